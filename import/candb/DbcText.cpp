#include "DbcText.h"

#include "CNumber.h"

#include <bit>

namespace dbc {

const char* FindChar(const char* p, char c) {
  auto s = reinterpret_cast<const unsigned char*>(p);
  while (*s) {
    if (*s == static_cast<unsigned char>(c)) return reinterpret_cast<const char*>(s);
    s += CharLen(s);
  }
  return nullptr;
}

namespace {

inline bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

// The plain forms (digits only, at most 19 of them) need no library call;
// anything else (blanks, signs, overflow) takes the runtime's own road.
uint32_t LowBits(const char* text) {
  uint64_t v = 0;
  int n = 0;
  for (; IsDigit(text[n]); ++n) {
    if (n == 19) return static_cast<uint32_t>(cnum::Strtoull(text, nullptr, 10));
    v = v * 10 + static_cast<uint64_t>(text[n] - '0');
  }
  if (n == 0) return static_cast<uint32_t>(cnum::Strtoull(text, nullptr, 10));
  return static_cast<uint32_t>(v);
}

int Atoi(const char* text) {
  const char* p = text;
  bool negative = false;
  if (*p == '-' || *p == '+') {
    negative = *p == '-';
    ++p;
  }
  if (!IsDigit(*p)) return cnum::Atoi(text);
  int64_t v = 0;
  for (int n = 0; IsDigit(p[n]); ++n) {
    if (n == 18) return cnum::Atoi(text);
    v = v * 10 + (p[n] - '0');
  }
  return cnum::SaturateToInt(negative ? -v : v);
}

double Strtod(const char* text, const char** end) {
  // [sign] digits [. digits] with no exponent: the integer of all digits is
  // exact below 2^53, and one correctly rounded division by an exact power
  // of ten gives the correctly rounded value, which is strtod's.
  static constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                      1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  const char* p = text;
  bool negative = false;
  if (*p == '-' || *p == '+') {
    negative = *p == '-';
    ++p;
  }
  uint64_t mantissa = 0;
  int digits = 0;
  int fraction = 0;
  bool any = false;
  for (; IsDigit(*p); ++p, any = true) {
    if (mantissa != 0 || *p != '0') ++digits;
    mantissa = mantissa * 10 + static_cast<uint64_t>(*p - '0');
    if (digits > 15) break;
  }
  if (*p == '.' && digits <= 15) {
    ++p;
    for (; IsDigit(*p); ++p, any = true) {
      if (mantissa != 0 || *p != '0') ++digits;
      mantissa = mantissa * 10 + static_cast<uint64_t>(*p - '0');
      ++fraction;
      if (digits > 15 || fraction > 22) break;
    }
  }
  const char c = *p;
  const bool plain = any && digits <= 15 && fraction <= 22 && !IsDigit(c) && c != 'e' && c != 'E' && c != 'x' &&
                     c != 'X' && c != '.' && c != 'p' && c != 'P';
  if (!plain) {
    char* stop = nullptr;
    double v = cnum::Strtod(text, &stop);
    if (end) *end = stop;
    return v;
  }
  double v = static_cast<double>(mantissa);
  if (fraction) v /= kPow10[fraction];
  if (end) *end = p;
  return negative ? -v : v;
}

namespace {

bool SkipBlanksAndExpect(const char*& p, char c) {
  while (*p == ' ' || *p == '\t') ++p;
  if (*p != c) return false;
  ++p;
  return true;
}

}  // namespace

void ReadNumberPair(const char* p, char joint, double& first, double& second) {
  const char* end = nullptr;
  double v = Strtod(p, &end);
  if (end == p) return;
  first = v;
  const char* q = end;
  if (!SkipBlanksAndExpect(q, joint)) return;
  v = Strtod(q, &end);
  if (end == q) return;
  second = v;
}

namespace {

// The high bit of each byte of `word` equal to the byte repeated in `pattern`.
inline uint64_t ByteMarks(uint64_t word, uint64_t pattern) {
  constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
  uint64_t v = word ^ pattern;
  return ~(((v & kLow7) + kLow7) | v | kLow7);
}

}  // namespace

// A '"' byte is never the trail byte of a double-byte character, so on a
// line without a backslash only the number of quotes counts; every line of
// the file passes through here, so that case goes eight bytes at a time.
bool StillInString(const char* p, const char* end, bool inString) {
  uint64_t quotes = 0;  // high bits of quote bytes, summed modulo 2
  uint64_t backslashes = 0;
  const char* q = p;
  for (; end - q >= 16; q += 16) {
    uint64_t a, b;
    std::memcpy(&a, q, 8);
    std::memcpy(&b, q + 8, 8);
    quotes ^= ByteMarks(a, 0x2222222222222222ull) ^ ByteMarks(b, 0x2222222222222222ull);
    backslashes |= ByteMarks(a, 0x5C5C5C5C5C5C5C5Cull) | ByteMarks(b, 0x5C5C5C5C5C5C5C5Cull);
  }
  for (; end - q >= 8; q += 8) {
    uint64_t word;
    std::memcpy(&word, q, 8);
    quotes ^= ByteMarks(word, 0x2222222222222222ull);
    backslashes |= ByteMarks(word, 0x5C5C5C5C5C5C5C5Cull);
  }
  bool odd = (std::popcount(quotes) & 1) != 0;
  for (; q < end; ++q) {
    odd ^= *q == '"';
    if (*q == '\\') backslashes = 1;
  }
  if (!backslashes) return inString != odd;

  auto s = reinterpret_cast<const unsigned char*>(p);
  auto e = reinterpret_cast<const unsigned char*>(end);
  while (s < e) {
    if (*s == '"') {
      inString = !inString;
      ++s;
    } else if (inString && *s == '\\' && s + 1 < e) {
      s += 1 + CharLen(s + 1);
    } else {
      s += CharLen(s);
    }
  }
  return inString;
}

}  // namespace dbc
