// The table key of a record's name: the name upper-cased (plain letters
// only; a double-byte character stays as it is), made without a string.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "TextFile.h"

// The table key of a record's name, upper-cased into `buffer` beside it: no
// string is made for a lookup or an insert.
template <std::size_t N>
inline std::string_view NameKey(const char (&name)[N], char (&buffer)[N]) {
  constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
#if defined(__SSE2__)
  if constexpr ((N - 1) % 16 == 0) {
    // The usual name: plain ASCII with its zero within the array. The whole
    // array is upper-cased at once, whatever the name's length; the bytes
    // behind the zero go into the buffer but not into the key.
    constexpr std::size_t kChunks = (N - 1) / 16;
    __m128i chunk[kChunks];
    __m128i any = _mm_setzero_si128();
    for (std::size_t k = 0; k < kChunks; ++k) {
      chunk[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(name + 16 * k));
      any = _mm_or_si128(any, chunk[k]);
    }
    if (_mm_movemask_epi8(any) == 0) {
      uint64_t zeros = 0;
      for (std::size_t k = 0; k < kChunks; ++k)
        zeros |= static_cast<uint64_t>(
                     static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk[k], _mm_setzero_si128()))))
                 << (16 * k);
      if (zeros || name[N - 1] == '\0') {
        const __m128i beforeA = _mm_set1_epi8('a' - 1);
        const __m128i afterZ = _mm_set1_epi8('z' + 1);
        const __m128i caseBit = _mm_set1_epi8(0x20);
        for (std::size_t k = 0; k < kChunks; ++k) {
          __m128i lower = _mm_and_si128(_mm_cmpgt_epi8(chunk[k], beforeA), _mm_cmplt_epi8(chunk[k], afterZ));
          _mm_storeu_si128(reinterpret_cast<__m128i*>(buffer + 16 * k),
                           _mm_sub_epi8(chunk[k], _mm_and_si128(lower, caseBit)));
        }
        return std::string_view(buffer, zeros ? static_cast<std::size_t>(std::countr_zero(zeros)) : N - 1);
      }
    }
  }
#endif
  // The name's length, eight bytes at a time (the whole array may be read).
  std::size_t len = 0;
  for (; len + 8 <= N; len += 8) {
    uint64_t word;
    std::memcpy(&word, name + len, 8);
    if (~(((word & kLow7) + kLow7) | word | kLow7)) break;  // a zero byte among them
  }
  while (len < N && name[len]) ++len;
  return std::string_view(buffer, MakeUpperInto(std::string_view(name, len), buffer));
}
