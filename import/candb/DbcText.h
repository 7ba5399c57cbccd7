// Text to tokens: the CANdb reader's tokenizer over one zero-terminated line,
// the quoted-string state carried from line to line, and the number reads
// with their fast paths for the plain forms that fill real files. Every read
// gives exactly what the C runtime's conversion gives on the same text.
#pragma once

#include "CodePage.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace dbc {

constexpr int kNameLen = 32;  // bytes of a stored name, unit or multiplexor

// Zero bytes that the reader puts behind the text it reads, so that up to 32
// bytes may be loaded at any point of a line without a bounds test:
// a load that runs past the line's terminating zero reads the next line or
// these bytes, and every scan stops at that zero; a name of the line is
// copied in two sixteen-byte moves.
constexpr std::size_t kReadSlack = 32;

// Eight bytes at a time in one 64-bit word, the first byte in the lowest
// bits. Each test gives the high bit of every byte it holds for; the lowest
// such byte is the first one in the text.
namespace swar {

static_assert(std::endian::native == std::endian::little, "the first byte must be the lowest");

constexpr uint64_t kOnes = 0x0101010101010101ull;
constexpr uint64_t kHigh = kOnes * 0x80;
constexpr uint64_t kLow7 = kOnes * 0x7F;

inline uint64_t Load8(const char* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}

// Every byte is tested on its own (no carry crosses into the next one).
inline uint64_t ZeroBytes(uint64_t v) { return ~(((v & kLow7) + kLow7) | v | kLow7); }
inline uint64_t BytesEqual(uint64_t v, unsigned char c) { return ZeroBytes(v ^ (kOnes * c)); }
// Bytes below c (c at most 0x80).
inline uint64_t BytesBelow(uint64_t v, unsigned char c) { return ~((v & kLow7) + kOnes * (0x80 - c)) & ~v & kHigh; }
inline uint64_t NonDigits(uint64_t v) {
  const uint64_t low = v & kLow7;
  const uint64_t above9 = low + kOnes * (0x80 - 0x3A);  // high bit from ':' on
  const uint64_t from0 = low + kOnes * (0x80 - '0');    // high bit from '0' on
  return (v | above9 | ~from0) & kHigh;
}

// Index of the first marked byte; 8 when none is.
inline int FirstMarked(uint64_t marks) { return std::countr_zero(marks) >> 3; }

// The value of the first n (1..8) bytes, all digits.
inline uint32_t DigitsValue(uint64_t v, int n) {
  v -= kOnes * '0';  // what a byte behind the digits borrows goes further up, and is shifted out
  v <<= 8 * (8 - n);
  v = (v * 10 + (v >> 8)) & 0x00FF00FF00FF00FFull;
  v = (v * 100 + (v >> 16)) & 0x0000FFFF0000FFFFull;
  v = (v * 10000 + (v >> 32)) & 0xFFFFFFFFull;
  return static_cast<uint32_t>(v);
}

}  // namespace swar

// Sixteen bytes at a time, in the compiler's portable vector type, and the
// masks that cut off the lanes past an end.
using Bytes16 = unsigned char __attribute__((vector_size(16)));

// The lanes whose number plus `first` is below n all ones, the others zero:
// sixteen bytes of a table of ones then zeros, one load where a compare of
// lane numbers takes several steps on SSE2 (it has no unsigned byte compare).
inline constexpr std::array<unsigned char, 32> kOnesThenZeros = [] {
  std::array<unsigned char, 32> t{};
  for (std::size_t i = 0; i < 16; ++i) t[i] = 0xFF;
  return t;
}();
inline Bytes16 LanesBelow(std::size_t n, unsigned char first = 0) {
  const std::size_t ones = n <= first ? 0 : n - first >= 16 ? 16 : n - first;
  Bytes16 mask;
  std::memcpy(&mask, kOnesThenZeros.data() + 16 - ones, 16);
  return mask;
}

// What a byte means to the tokenizer under one set of separators. Only
// ASCII bytes are separators, so the lead byte of a double-byte character
// never is one, and its trail byte is skipped with it.
enum ByteClass : uint8_t { kPlain = 0, kSeparator = 1, kEnd = 2, kLead = 3 };

class Seps {
 public:
  constexpr explicit Seps(const char* chars) : class_{} {
    for (int c = 0x81; c <= 0xFC; ++c)
      if (c <= 0x9F || c >= 0xE0) class_[static_cast<std::size_t>(c)] = kLead;
    for (const char* c = chars; *c; ++c) class_[static_cast<unsigned char>(*c)] = kSeparator;
    class_[0] = kEnd;
  }
  constexpr uint8_t Class(unsigned char c) const { return class_[c]; }

 private:
  std::array<uint8_t, 256> class_;
};

// Separators of the first token of a line, and of the message line.
inline constexpr Seps kLineSeps(" :()[]\t");
inline constexpr Seps kTransmitterSeps(" :()[]\t\r\n");
inline constexpr Seps kColonSeps(":");
inline constexpr Seps kBitSeps(" :|@\t\n");
inline constexpr Seps kScaleSeps(" :\t\n)]");
inline constexpr Seps kFloatSeps(" :\t\n");
inline constexpr Seps kBlankSeps(" \t\n");
inline constexpr Seps kRangeTextSeps(";\t\n");
inline constexpr Seps kDefaultSeps(" \"\t\n");
inline constexpr Seps kDefaultValueSeps(" \"\t\n;");
inline constexpr Seps kAttributeSeps(" \"\t\n,");
inline constexpr Seps kIndicatorSeps(" \t\nmM");

inline std::size_t CharLen(const unsigned char* s) {
  return (cp932::IsLeadByte(s[0]) && cp932::IsTrailByte(s[1])) ? 2 : 1;
}

// strtok over a zero-terminated line without writing into it: skips
// separators, takes the run of characters up to the next separator (a
// double-byte character is taken whole, so its trail byte never ends a
// token) and leaves the cursor behind the separator that ended the token.
inline bool NextToken(const char*& cursor, const Seps& seps, std::string_view& token) {
  auto s = reinterpret_cast<const unsigned char*>(cursor);
  while (seps.Class(*s) == kSeparator) ++s;
  if (!*s) {
    cursor = reinterpret_cast<const char*>(s);
    return false;
  }
  const unsigned char* start = s;
  for (;;) {
    // Runs of plain bytes, four at a time: names are long.
    while (seps.Class(s[0]) == kPlain && seps.Class(s[1]) == kPlain && seps.Class(s[2]) == kPlain &&
           seps.Class(s[3]) == kPlain)
      s += 4;
    while (seps.Class(*s) == kPlain) ++s;
    if (seps.Class(*s) != kLead) break;
    s += cp932::IsTrailByte(s[1]) ? 2 : 1;
  }
  token = std::string_view(reinterpret_cast<const char*>(start), static_cast<std::size_t>(s - start));
  if (*s) ++s;
  cursor = reinterpret_cast<const char*>(s);
  return true;
}

// NextToken(cursor, kLineSeps, token) sixteen bytes at a time, for the
// message line's long names. Each block marks the separators, the end and
// every byte that a byte walk must look at (control bytes and bytes from
// 0x80, which may lead a double-byte character); of those, only a separator
// or the end stops the token. The line must lie in a text followed by
// kReadSlack readable bytes.
inline bool NextLineToken(const char*& cursor, std::string_view& token) {
  auto s = reinterpret_cast<const unsigned char*>(cursor);
  while (kLineSeps.Class(*s) == kSeparator) ++s;
  const unsigned char* start = s;
  for (;;) {
    Bytes16 v;
    std::memcpy(&v, s, 16);
    const Bytes16 marks = reinterpret_cast<Bytes16>((v < 0x21) | (v >= 0x80) | (v == ':') | ((v & 0xFE) == '(') |
                                                    (v == '[') | (v == ']'));
    uint64_t half[2];
    std::memcpy(half, &marks, 16);
    if (!(half[0] | half[1])) {
      s += 16;
      continue;
    }
    s += half[0] ? std::countr_zero(half[0]) >> 3 : 8 + (std::countr_zero(half[1]) >> 3);
    const uint8_t c = kLineSeps.Class(*s);
    if (c == kPlain) {
      ++s;
    } else if (c == kLead) {
      s += cp932::IsTrailByte(s[1]) ? 2 : 1;
    } else {
      break;
    }
  }
  cursor = reinterpret_cast<const char*>(s + (*s ? 1 : 0));
  if (s == start) return false;  // only at the end: no token is empty
  token = std::string_view(reinterpret_cast<const char*>(start), static_cast<std::size_t>(s - start));
  return true;
}

// The first single-byte character c at or after p, walking whole characters.
const char* FindChar(const char* p, char c);

// A name as the tables store it: its first 32 bytes, whole characters only.
inline std::string_view StoredForm(std::string_view token) {
  if (token.size() <= kNameLen) return token;
  return token.substr(0, cp932::CharBoundaryAtOrBefore(token, kNameLen));
}

// Bounded name copy: zero-filled, cut at a character boundary.
inline void CopyName(char* dest, std::string_view src) {
  src = StoredForm(src);
  std::memset(dest, 0, kNameLen + 1);
  std::memcpy(dest, src.data(), src.size());
}

// CopyName for a name that lies in a line of the reader's text (see
// kReadSlack): the bytes behind the name are loaded with it and masked off.
inline void CopyLineName(char* dest, std::string_view src) {
  if (src.size() > kNameLen) return CopyName(dest, src);
  Bytes16 low, high;
  std::memcpy(&low, src.data(), 16);
  std::memcpy(&high, src.data() + 16, 16);
  low &= LanesBelow(src.size());
  high &= LanesBelow(src.size(), 16);
  std::memcpy(dest, &low, 16);
  std::memcpy(dest + 16, &high, 16);
  dest[kNameLen] = '\0';
}

// Numbers of a zero-terminated text, read from `text` on as the C runtime
// reads them: strtoull base 10 cut to 32 bits, atoi, strtod. A token's text
// may be passed: no separator is a digit, sign or dot, so a read never runs
// on into the next token.

// The runtime's reads themselves, for the forms the fast paths leave.
uint32_t LowBitsSlow(const char* text);
int AtoiSlow(const char* text);
double StrtodSlow(const char* text, const char** end);

inline bool IsDigit(char c) { return static_cast<unsigned char>(c - '0') < 10; }

// Digits only, at most 19 of them: no library call.
inline uint32_t LowBits(const char* text) {
  uint64_t v = 0;
  int n = 0;
  for (; IsDigit(text[n]); ++n) {
    if (n == 19) return LowBitsSlow(text);
    v = v * 10 + static_cast<uint64_t>(text[n] - '0');
  }
  return n ? static_cast<uint32_t>(v) : LowBitsSlow(text);
}

// An optional sign and at most 18 digits: no library call.
inline int Atoi(const char* text) {
  const char* p = text;
  bool negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  if (!IsDigit(*p)) return AtoiSlow(text);
  int64_t v = 0;
  for (int n = 0; IsDigit(p[n]); ++n) {
    if (n == 18) return AtoiSlow(text);
    v = v * 10 + (p[n] - '0');
  }
  v = negative ? -v : v;
  return v > 2147483647 ? 2147483647 : v < -2147483647 - 1 ? -2147483647 - 1 : static_cast<int>(v);
}

// Bytes that carry a number on in strtod's grammar behind plain digits and
// a point: an exponent, a hexadecimal prefix or a second point.
inline constexpr std::array<bool, 256> kNumberGoesOn = [] {
  std::array<bool, 256> t{};
  for (unsigned char c : {'e', 'E', 'x', 'X', '.', 'p', 'P'}) t[c] = true;
  return t;
}();

// [sign] digits [. digits] with no exponent and at most 15 digits: their
// integer is exact (below 10^15 < 2^53), and one correctly rounded division
// by an exact power of ten gives the correctly rounded value, which is
// strtod's. Anything else (more digits, an exponent, hexadecimal, blanks in
// front, inf and nan) is strtod's own.
inline double Strtod(const char* text, const char** end) {
  static constexpr double kPow10[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                      1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  const char* p = text;
  const bool negative = *p == '-';
  p += (*p == '-' || *p == '+');
  uint64_t mantissa = 0;
  const char* first = p;
  for (; IsDigit(*p); ++p) mantissa = mantissa * 10 + static_cast<uint64_t>(*p - '0');
  std::ptrdiff_t whole = p - first;
  std::ptrdiff_t fraction = 0;
  if (*p == '.') {
    const char* dot = p++;
    for (; IsDigit(*p); ++p) mantissa = mantissa * 10 + static_cast<uint64_t>(*p - '0');
    fraction = p - dot - 1;
  }
  if (whole + fraction == 0 || whole + fraction > 15 || kNumberGoesOn[static_cast<unsigned char>(*p)])
    return StrtodSlow(text, end);
  double v = static_cast<double>(mantissa);
  if (fraction) v /= kPow10[fraction];
  if (end) *end = p;
  return negative ? -v : v;
}

// Two numbers joined by `joint`, as in "(1,0)" and "[0|255]". Each value
// that reads is stored; blanks around the joint are allowed. Returns the end
// of the second number when both read, else null.
const char* ReadNumberPair(const char* p, char joint, double& first, double& second);

inline bool IsBlank(unsigned char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// Whether the quoted string that is open at p (or none, !inString) is still
// open at the end of [p, end). A backslash inside a string escapes the next
// character. Sixteen bytes at a time: [p, end) must lie in a text followed
// by kReadSlack readable bytes.
bool StillInString(const char* p, const char* end, bool inString);

// Calls fn(line, lineEnd) for every line of [p, end), zero-terminated in
// place (*end must be writable): a CR before the LF is dropped. fn returns
// false to stop.
template <typename Fn>
void ForEachLine(char* p, char* end, Fn fn) {
  while (p < end) {
    char* nl = static_cast<char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
    char* lineEnd = nl ? nl : end;
    char* next = nl ? nl + 1 : end;
    if (nl && lineEnd > p && lineEnd[-1] == '\r') --lineEnd;
    *lineEnd = '\0';
    if (!fn(p, lineEnd)) break;
    p = next;
  }
}

// The same over a text, where a Ctrl-Z that ends the file is not text.
template <typename Fn>
void ForEachLine(std::string& text, Fn fn) {
  if (!text.empty() && text.back() == '\x1A') text.pop_back();
  ForEachLine(text.data(), text.data() + text.size(), fn);  // at the end, the string's own terminator
}

// Drops the Ctrl-Z that ends a file and puts kReadSlack zero bytes behind
// the text; the length of the text proper.
inline std::size_t PadText(std::string& text) {
  if (!text.empty() && text.back() == '\x1A') text.pop_back();
  const std::size_t n = text.size();
  text.append(kReadSlack, '\0');
  return n;
}

}  // namespace dbc
