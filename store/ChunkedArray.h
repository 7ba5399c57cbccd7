// An array that grows in fixed chunks instead of by reallocation. The element
// indexes of the XML readers hold one entry per element of a file that may be
// made of nothing but the smallest elements; a growing vector would hold the
// old and the new block at once (two and a half times the entries) at every
// step, and round up to a power of two, which is what the file's size, not
// the entries, must bound. Here the memory is the entries plus at most one
// partly used chunk, and nothing is ever copied.
//
// A small array (a settings file, one definition list) stays in one chunk
// that grows like a vector up to the chunk size.
#pragma once

#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

template <class T, unsigned ChunkShift = 14>
class ChunkedArray {
 public:
  static constexpr std::size_t kChunk = std::size_t{1} << ChunkShift;

  std::size_t size() const { return size_; }
  // The entries the chunks hold, used or not.
  std::size_t capacity() const { return Capacity(); }
  bool empty() const { return size_ == 0; }

  T& operator[](std::size_t i) { return chunks_[i >> ChunkShift][i & (kChunk - 1)]; }
  const T& operator[](std::size_t i) const { return chunks_[i >> ChunkShift][i & (kChunk - 1)]; }

  T& back() { return (*this)[size_ - 1]; }
  const T& back() const { return (*this)[size_ - 1]; }

  void push_back(const T& value) {
    Grow(size_ + 1);
    (*this)[size_ - 1] = value;
  }

  // New entries are value-initialised; shrinking keeps the chunks.
  void resize(std::size_t n) {
    if (n > size_) {
      Grow(n);
    } else {
      size_ = n;
    }
  }

  void clear() {
    chunks_.clear();
    size_ = 0;
  }

 private:
  void Grow(std::size_t n) {
    while (n > Capacity()) {
      if (!chunks_.empty() && chunks_.back().size() < kChunk) {
        // The first chunk grows by doubling until it is full size.
        std::vector<T>& first = chunks_.back();
        std::size_t next = first.size() * 2;
        if (next < 16) next = 16;
        if (next > kChunk) next = kChunk;
        std::vector<T> grown;
        grown.reserve(next);
        grown.assign(first.begin(), first.end());
        grown.resize(next);
        first = std::move(grown);
      } else {
        std::vector<T> chunk;
        if (chunks_.empty()) {
          chunk.resize(n < 16 ? 16 : n < kChunk ? n : kChunk);
        } else {
          chunk.reserve(kChunk);
          chunk.resize(kChunk);
        }
        chunks_.push_back(std::move(chunk));
      }
    }
    for (std::size_t i = size_; i < n; ++i) (*this)[i] = T();
    size_ = n;
  }

  std::size_t Capacity() const {
    if (chunks_.empty()) return 0;
    return (chunks_.size() - 1) * kChunk + chunks_.back().size();
  }

  std::vector<std::vector<T>> chunks_;
  std::size_t size_ = 0;
};
