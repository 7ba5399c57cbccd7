#include "DbcText.h"

#include "CNumber.h"

namespace dbc {

const char* FindChar(const char* p, char c) {
  auto s = reinterpret_cast<const unsigned char*>(p);
  while (*s) {
    if (*s == static_cast<unsigned char>(c)) return reinterpret_cast<const char*>(s);
    s += CharLen(s);
  }
  return nullptr;
}

uint32_t LowBitsSlow(const char* text) { return static_cast<uint32_t>(cnum::Strtoull(text, nullptr, 10)); }

int AtoiSlow(const char* text) { return cnum::Atoi(text); }

double StrtodSlow(const char* text, const char** end) {
  char* stop = nullptr;
  double v = cnum::Strtod(text, &stop);
  if (end) *end = stop;
  return v;
}

namespace {

bool SkipBlanksAndExpect(const char*& p, char c) {
  while (*p == ' ' || *p == '\t') ++p;
  if (*p != c) return false;
  ++p;
  return true;
}

}  // namespace

const char* ReadNumberPair(const char* p, char joint, double& first, double& second) {
  const char* end = nullptr;
  double v = Strtod(p, &end);
  if (end == p) return nullptr;
  first = v;
  const char* q = end;
  if (!SkipBlanksAndExpect(q, joint)) return nullptr;
  v = Strtod(q, &end);
  if (end == q) return nullptr;
  second = v;
  return end;
}

// A '"' byte is never the trail byte of a double-byte character, so on a
// line without a backslash only the number of quotes counts; every line of
// the file passes through here, so that case goes sixteen bytes at a time,
// the last sixteen with the lanes past the end masked off.
bool StillInString(const char* p, const char* end, bool inString) {
  Bytes16 odd = {};  // a lane is all ones when it saw an odd number of quotes
  Bytes16 escapes = {};
  for (const char* q = p; q < end; q += 16) {
    Bytes16 v;
    std::memcpy(&v, q, 16);
    Bytes16 quotes = reinterpret_cast<Bytes16>(v == '"');
    Bytes16 backslashes = reinterpret_cast<Bytes16>(v == '\\');
    if (end - q < 16) {
      const Bytes16 inside = LanesBelow(static_cast<std::size_t>(end - q));
      quotes &= inside;
      backslashes &= inside;
    }
    odd ^= quotes;
    escapes |= backslashes;
  }
  uint64_t lanes[2], marks[2];
  std::memcpy(lanes, &odd, 16);
  std::memcpy(marks, &escapes, 16);
  // Each lane byte is 0x00 or 0xFF: their XOR is 0xFF for an odd count.
  uint64_t fold = lanes[0] ^ lanes[1];
  fold ^= fold >> 32;
  fold ^= fold >> 16;
  fold ^= fold >> 8;
  const bool oddQuotes = fold & 1;
  const bool anyBackslash = (marks[0] | marks[1]) != 0;
  if (!anyBackslash) return inString != oddQuotes;

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
