// The name table of the document: upper-cased name -> record, iterating in
// the order the keys were first put in. Rows and written files follow the
// table order, so that order must not depend on hashing.
//
// The table does not own its records; they belong to the document's pools.
// It cannot be copied, so two messages can never share one signal table.
#pragma once

#include <cstddef>
#include <iterator>
#include <list>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

template <class T>
class NameMap {
 public:
  struct Entry {
    std::string key;
    T* value;
  };
  using List = std::list<Entry>;
  // Iteration gives the keys and the records; the records can be changed
  // through it, the keys and the table only through the operations below.
  using const_iterator = typename List::const_iterator;

  NameMap() = default;
  NameMap(const NameMap&) = delete;
  NameMap& operator=(const NameMap&) = delete;
  // A moved list keeps its nodes, so the index's views into the keys stay valid.
  NameMap(NameMap&&) = default;
  NameMap& operator=(NameMap&&) = default;

  // The record under `key`, or null.
  T* Find(std::string_view key) const {
    auto it = index_.find(key);
    return it == index_.end() ? nullptr : it->second->value;
  }
  bool Lookup(std::string_view key, T*& out) const {
    auto it = index_.find(key);
    if (it == index_.end()) return false;
    out = it->second->value;
    return true;
  }
  bool Contains(std::string_view key) const { return index_.count(key) != 0; }

  // Puts `value` under `key`. A key already present keeps its place in the
  // order and takes the new record; the record it held before is returned
  // (null when the key is new) so the caller can give it back.
  T* SetAt(const std::string& key, T* value) {
    auto it = index_.find(key);
    if (it != index_.end()) {
      T* previous = it->second->value;
      it->second->value = value;
      return previous;
    }
    entries_.push_back(Entry{key, value});
    auto last = std::prev(entries_.end());
    index_.emplace(std::string_view(last->key), last);
    return nullptr;
  }

  // Removes `key`; the record it held (null when absent) is returned.
  T* RemoveKey(std::string_view key) {
    auto it = index_.find(key);
    if (it == index_.end()) return nullptr;
    auto node = it->second;
    T* value = node->value;
    index_.erase(it);
    entries_.erase(node);
    return value;
  }

  void RemoveAll() {
    index_.clear();
    entries_.clear();
  }

  std::size_t GetCount() const { return entries_.size(); }
  std::size_t size() const { return entries_.size(); }
  bool IsEmpty() const { return entries_.empty(); }
  bool empty() const { return entries_.empty(); }

  const_iterator begin() const { return entries_.begin(); }
  const_iterator end() const { return entries_.end(); }

 private:
  List entries_;
  std::unordered_map<std::string_view, typename List::iterator> index_;
};
