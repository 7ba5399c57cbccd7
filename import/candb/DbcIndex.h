// Open-addressing index from a hash to entries of a table kept elsewhere:
// the slots hold entry numbers and their hashes, the caller says which entry
// matches. One allocation per growth, none per entry, so indexing every
// record of a 5,000-record table costs little beside reading it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace dbc {

// Eight bytes per step: names are 10 to 32 bytes, and a byte-wise hash's
// chain of multiplications cost more than the lookup it serves.
inline uint64_t HashBytes(std::string_view text, uint64_t seed = 0) {
  constexpr uint64_t kMul = 0xBF58476D1CE4E5B9ull;
  const char* p = text.data();
  std::size_t n = text.size();
  uint64_t h = 0xCBF29CE484222325ull ^ seed ^ n;
  for (; n >= 8; p += 8, n -= 8) {
    uint64_t word;
    std::memcpy(&word, p, 8);
    h = (h ^ word) * kMul;
    h ^= h >> 31;
  }
  if (n) {
    // The last bytes in at most two loads: a byte-wise copy into a word would
    // make its load wait for the stores. The loads may overlap; together
    // they hold every byte, and the length is in the hash already.
    uint64_t word;
    if (n >= 4) {
      uint32_t first, last;
      std::memcpy(&first, p, 4);
      std::memcpy(&last, p + n - 4, 4);
      word = first | static_cast<uint64_t>(last) << 32;
    } else {
      auto byte = [p](std::size_t i) { return static_cast<uint64_t>(static_cast<unsigned char>(p[i])); };
      word = byte(0) | byte(n / 2) << 8 | byte(n - 1) << 16;
    }
    h = (h ^ word) * kMul;
    h ^= h >> 31;
  }
  return h ^ (h >> 29);
}

class FlatIndex {
 public:
  // The entry under `hash` for which match(entry) holds, or -1.
  template <class Match>
  int Find(uint64_t hash, Match match) const {
    if (slots_.empty()) return -1;
    for (std::size_t i = hash & mask_;; i = (i + 1) & mask_) {
      const Slot& s = slots_[i];
      if (s.entry < 0) return -1;
      if (s.hash == hash && match(s.entry)) return s.entry;
    }
  }
  // Adds `entry` under `hash`; the caller has made sure no matching entry is
  // there (an entry added twice is found first in the order added).
  void Add(uint64_t hash, int entry) {
    if ((used_ + 1) * 2 > slots_.size()) Grow();
    std::size_t i = hash & mask_;
    while (slots_[i].entry >= 0) i = (i + 1) & mask_;
    slots_[i] = Slot{hash, entry};
    ++used_;
  }
  void Clear() {
    slots_.clear();
    used_ = 0;
    mask_ = 0;
  }

 private:
  struct Slot {
    uint64_t hash = 0;
    int entry = -1;
  };
  void Grow() {
    std::vector<Slot> old;
    old.swap(slots_);
    slots_.assign(old.empty() ? 64 : old.size() * 2, Slot{});
    mask_ = slots_.size() - 1;
    for (const Slot& s : old)
      if (s.entry >= 0) {
        std::size_t i = s.hash & mask_;
        while (slots_[i].entry >= 0) i = (i + 1) & mask_;
        slots_[i] = s;
      }
  }
  std::vector<Slot> slots_;
  std::size_t used_ = 0;
  std::size_t mask_ = 0;
};

}  // namespace dbc
