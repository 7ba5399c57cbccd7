// The name table of the document: upper-cased name -> record, iterating in
// the order the keys were first put in. Rows and written files follow the
// table order, so that order must not depend on hashing.
//
// The table does not own its records; they belong to the document's pools.
// It cannot be copied, so two messages can never share one signal table.
//
// A load puts thousands of signals into their tables, and the pools recycle
// the tables with their messages, so an entry costs no allocation of its
// own: entries live in blocks that the table keeps (a removed entry is
// reused, with its key's storage), and the index is one open-addressing
// array. A key longer than the string's inline buffer is the one allocation
// left, and only until the entry is reused by a key that fits.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

template <class T>
class NameMap {
 public:
  struct Entry {
    std::string key;
    T* value;
  };

 private:
  struct Node {
    Entry entry{std::string(), nullptr};
    uint64_t hash = 0;
    Node* prev = nullptr;
    Node* next = nullptr;
    Node* nextFree = nullptr;
  };

 public:
  // Iteration gives the keys and the records in table order; the records can
  // be changed through it, the keys and the table only through the
  // operations below. Removing an entry leaves iterators to the others valid.
  class const_iterator {
   public:
    using iterator_category = std::bidirectional_iterator_tag;
    using value_type = Entry;
    using difference_type = std::ptrdiff_t;
    using pointer = const Entry*;
    using reference = const Entry&;

    const_iterator() = default;
    reference operator*() const { return node_->entry; }
    pointer operator->() const { return &node_->entry; }
    const_iterator& operator++() {
      node_ = node_->next;
      return *this;
    }
    const_iterator operator++(int) {
      const_iterator old = *this;
      node_ = node_->next;
      return old;
    }
    const_iterator& operator--() {
      node_ = node_ ? node_->prev : owner_->tail_;
      return *this;
    }
    const_iterator operator--(int) {
      const_iterator old = *this;
      --*this;
      return old;
    }
    bool operator==(const const_iterator& other) const { return node_ == other.node_; }
    bool operator!=(const const_iterator& other) const { return node_ != other.node_; }

   private:
    friend class NameMap;
    const_iterator(const NameMap* owner, Node* node) : owner_(owner), node_(node) {}
    const NameMap* owner_ = nullptr;
    Node* node_ = nullptr;
  };

  NameMap() = default;
  NameMap(const NameMap&) = delete;
  NameMap& operator=(const NameMap&) = delete;
  // A moved table keeps its entry blocks, so nothing inside it moves.
  NameMap(NameMap&& other) noexcept { Take(other); }
  NameMap& operator=(NameMap&& other) noexcept {
    if (this != &other) Take(other);
    return *this;
  }

  // The record under `key`, or null.
  T* Find(std::string_view key) const {
    const Node* n = FindNode(key, Hash(key));
    return n ? n->entry.value : nullptr;
  }
  bool Lookup(std::string_view key, T*& out) const {
    const Node* n = FindNode(key, Hash(key));
    if (!n) return false;
    out = n->entry.value;
    return true;
  }
  bool Contains(std::string_view key) const { return FindNode(key, Hash(key)) != nullptr; }

  // Puts `value` under `key`. A key already present keeps its place in the
  // order and takes the new record; the record it held before is returned
  // (null when the key is new) so the caller can give it back.
  T* SetAt(std::string_view key, T* value) {
    const uint64_t hash = Hash(key);
    if (Node* n = FindNode(key, hash)) return std::exchange(n->entry.value, value);
    if ((count_ + 1) * 2 > slots_.size()) Rehash(slots_.empty() ? 16 : slots_.size() * 2);
    Node* n = NewNode();
    n->entry.key.assign(key.data(), key.size());
    n->entry.value = value;
    n->hash = hash;
    n->prev = tail_;
    n->next = nullptr;
    (tail_ ? tail_->next : head_) = n;
    tail_ = n;
    std::size_t i = hash & (slots_.size() - 1);
    while (slots_[i]) i = (i + 1) & (slots_.size() - 1);
    slots_[i] = n;
    ++count_;
    return nullptr;
  }

  // Removes `key`; the record it held (null when absent) is returned.
  T* RemoveKey(std::string_view key) {
    if (slots_.empty()) return nullptr;
    const uint64_t hash = Hash(key);
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = hash & mask;
    for (; slots_[i]; i = (i + 1) & mask)
      if (slots_[i]->hash == hash && slots_[i]->entry.key == key) break;
    Node* n = slots_[i];
    if (!n) return nullptr;
    // Backward-shift deletion: every later entry of the probe run that may
    // sit in the freed slot moves up, so lookups never meet a hole too early.
    for (std::size_t j = (i + 1) & mask; slots_[j]; j = (j + 1) & mask) {
      std::size_t home = slots_[j]->hash & mask;
      if (((j - home) & mask) >= ((j - i) & mask)) {
        slots_[i] = slots_[j];
        i = j;
      }
    }
    slots_[i] = nullptr;
    (n->prev ? n->prev->next : head_) = n->next;
    (n->next ? n->next->prev : tail_) = n->prev;
    T* value = n->entry.value;
    Release(n);
    --count_;
    return value;
  }

  void RemoveAll() {
    for (Node* n = head_; n;) {
      Node* next = n->next;
      Release(n);
      n = next;
    }
    head_ = tail_ = nullptr;
    count_ = 0;
    std::fill(slots_.begin(), slots_.end(), nullptr);
  }

  std::size_t GetCount() const { return count_; }
  std::size_t size() const { return count_; }
  bool IsEmpty() const { return count_ == 0; }
  bool empty() const { return count_ == 0; }

  const_iterator begin() const { return const_iterator(this, head_); }
  const_iterator end() const { return const_iterator(this, nullptr); }

 private:
  static uint64_t Hash(std::string_view key) {
    uint64_t h = 0x9E3779B97F4A7C15ull ^ key.size();
    const char* p = key.data();
    std::size_t left = key.size();
    auto mix = [&h](uint64_t w) {
      h = (h ^ w) * 0xBF58476D1CE4E5B9ull;
      h ^= h >> 31;
    };
    for (; left >= 8; p += 8, left -= 8) {
      uint64_t w;
      std::memcpy(&w, p, 8);
      mix(w);
    }
    if (left) {
      uint64_t w = 0;
      std::memcpy(&w, p, left);
      mix(w);
    }
    return h ^ (h >> 29);
  }

  Node* FindNode(std::string_view key, uint64_t hash) const {
    if (slots_.empty()) return nullptr;
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask; slots_[i]; i = (i + 1) & mask)
      if (slots_[i]->hash == hash && slots_[i]->entry.key == key) return slots_[i];
    return nullptr;
  }

  void Rehash(std::size_t size) {
    slots_.assign(size, nullptr);
    for (Node* n = head_; n; n = n->next) {
      std::size_t i = n->hash & (size - 1);
      while (slots_[i]) i = (i + 1) & (size - 1);
      slots_[i] = n;
    }
  }

  Node* NewNode() {
    if (!free_) {
      // Blocks grow with the table: small for the signals of one message,
      // larger for a list of hundreds of messages.
      std::size_t n = blocks_.empty() ? 8 : std::min<std::size_t>(blockSize_ * 2, 256);
      blocks_.push_back(std::make_unique<Node[]>(n));
      blockSize_ = n;
      Node* block = blocks_.back().get();
      for (std::size_t k = n; k-- > 0;) {
        block[k].nextFree = free_;
        free_ = &block[k];
      }
    }
    Node* n = free_;
    free_ = n->nextFree;
    return n;
  }

  // The key keeps its storage for the entry's next use.
  void Release(Node* n) {
    n->entry.value = nullptr;
    n->nextFree = free_;
    free_ = n;
  }

  void Take(NameMap& other) {
    blocks_ = std::move(other.blocks_);
    slots_ = std::move(other.slots_);
    head_ = std::exchange(other.head_, nullptr);
    tail_ = std::exchange(other.tail_, nullptr);
    free_ = std::exchange(other.free_, nullptr);
    count_ = std::exchange(other.count_, 0);
    blockSize_ = std::exchange(other.blockSize_, 0);
    other.blocks_.clear();
    other.slots_.clear();
  }

  std::vector<std::unique_ptr<Node[]>> blocks_;
  std::vector<Node*> slots_;  // open addressing, linear probing; a power of two, at most half full
  Node* head_ = nullptr;
  Node* tail_ = nullptr;
  Node* free_ = nullptr;
  std::size_t count_ = 0;
  std::size_t blockSize_ = 0;
};
