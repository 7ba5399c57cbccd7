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
    if ((count_ + 1) * 2 > slots_.size()) {
      if (Node* n = FindNode(key, hash)) return std::exchange(n->entry.value, value);
      Grow();
    }
    // One probe finds the key or the free slot it goes into.
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = hash & mask;
    for (; slots_[i]; i = (i + 1) & mask)
      if (slots_[i]->hash == hash && slots_[i]->entry.key == key) return std::exchange(slots_[i]->entry.value, value);
    Node* n = NewNode();
    n->entry.key.assign(key.data(), key.size());
    n->entry.value = value;
    n->hash = hash;
    n->prev = tail_;
    n->next = nullptr;
    (tail_ ? tail_->next : head_) = n;
    tail_ = n;
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
  // Sixteen bytes per multiplication, folded from its full 128-bit product;
  // the last one to sixteen bytes are read in at most two loads of fixed
  // size (a copy of a variable length costs more than a short key's hash).
  static uint64_t Hash(std::string_view key) {
    constexpr uint64_t kSeed0 = 0xA0761D6478BD642Full;
    constexpr uint64_t kSeed1 = 0xE7037ED1A0B428DBull;
    auto fold = [](uint64_t a, uint64_t b) {
      const unsigned __int128 r = static_cast<unsigned __int128>(a) * b;
      return static_cast<uint64_t>(r) ^ static_cast<uint64_t>(r >> 64);
    };
    auto load64 = [](const char* at) {
      uint64_t w;
      std::memcpy(&w, at, 8);
      return w;
    };
    auto load32 = [](const char* at) {
      uint32_t w;
      std::memcpy(&w, at, 4);
      return static_cast<uint64_t>(w);
    };
    const char* p = key.data();
    std::size_t left = key.size();
    uint64_t h = kSeed0 ^ left;
    for (; left > 16; p += 16, left -= 16) h = fold(load64(p) ^ kSeed1, load64(p + 8) ^ h);
    uint64_t a = 0;
    uint64_t b = 0;
    if (left >= 8) {
      a = load64(p);
      b = load64(p + left - 8);
    } else if (left >= 4) {
      a = load32(p);
      b = load32(p + left - 4);
    } else if (left > 0) {
      a = (static_cast<uint64_t>(static_cast<unsigned char>(p[0])) << 16) |
          (static_cast<uint64_t>(static_cast<unsigned char>(p[left / 2])) << 8) |
          static_cast<unsigned char>(p[left - 1]);
    }
    return fold(a ^ kSeed1, b ^ h ^ kSeed0);
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

  // Kept out of the insert, which runs for every record of a load.
  [[gnu::noinline]] void Grow() { Rehash(slots_.empty() ? 16 : slots_.size() * 2); }

  Node* NewNode() {
    if (!free_) AddBlock();
    Node* n = free_;
    free_ = n->nextFree;
    return n;
  }

  [[gnu::noinline]] void AddBlock() {
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
