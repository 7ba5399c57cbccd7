// An array that grows in fixed chunks instead of by reallocation. The element
// indexes of the XML readers hold one entry per element of a file that may be
// made of nothing but the smallest elements; a growing vector would hold the
// old and the new block at once (two and a half times the entries) at every
// step, and round up its size, which is what the file's size, not the
// entries, must bound. Here the memory is the entries plus at most one partly
// used chunk, and nothing is ever copied: a reference to an entry stays
// valid while the array grows.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

template <class T, unsigned ChunkShift = 14>
class ChunkedArray {
 public:
  static constexpr std::size_t kChunk = std::size_t{1} << ChunkShift;

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  // The entries the chunks hold, used or not.
  std::size_t capacity() const { return chunks_.size() * kChunk; }

  T& operator[](std::size_t i) { return chunks_[i >> ChunkShift][i & (kChunk - 1)]; }
  const T& operator[](std::size_t i) const { return chunks_[i >> ChunkShift][i & (kChunk - 1)]; }

  T& back() { return (*this)[size_ - 1]; }
  const T& back() const { return (*this)[size_ - 1]; }

  void push_back(const T& value) {
    if (size_ == capacity()) AddChunk();
    (*this)[size_++] = value;
  }

  // New entries are value-initialised; shrinking keeps the chunks.
  void resize(std::size_t n) {
    while (capacity() < n) AddChunk();
    for (std::size_t i = size_; i < n; ++i) (*this)[i] = T();
    size_ = n;
  }

  void clear() {
    chunks_.clear();
    size_ = 0;
  }

 private:
  void AddChunk() { chunks_.push_back(std::make_unique<T[]>(kChunk)); }

  std::vector<std::unique_ptr<T[]>> chunks_;
  std::size_t size_ = 0;
};
