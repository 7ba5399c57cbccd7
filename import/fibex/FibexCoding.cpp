#include "FibexCoding.h"

#include "CNumber.h"

#include <algorithm>
#include <cstring>

double FibexBitMask(long long bits) {
  if (bits <= 0) return 0.0;
  if (bits >= 32) return 4294967295.0;
  return static_cast<double>((1ULL << bits) - 1ULL);
}

namespace {

struct BaseType {
  const char* name;
  int kind;
  int bits;
  double minimum;
  double maximum;
};

const BaseType kBaseTypes[] = {
    {"A_INT8", 1, 8, -128.0, 127.0},
    {"A_UINT8", 0, 8, 0.0, 255.0},
    {"A_INT16", 1, 16, -32768.0, 32767.0},
    {"A_UINT16", 0, 16, 0.0, 65535.0},
    // -2147483647, one above the type's true minimum: that is what the
    // reference tables of the instrument have always shown.
    {"A_INT32", 1, 32, -2147483647.0, 2147483647.0},
    {"A_UINT32", 0, 32, 0.0, 4294967295.0},
    {"A_FLOAT32", 2, 32, -1e30, 1e30},
    {"A_FLOAT64", 2, 64, -1e30, 1e30},
};

const FibexCoding* CodingAt(const std::vector<FibexCoding>& codings, int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= codings.size()) return nullptr;
  return &codings[static_cast<std::size_t>(index)];
}

long long FloorDiv8(long long p) { return p >= 0 ? p / 8 : -((-p + 7) / 8); }

}  // namespace

int GetFibexBaseTypeRange(const std::vector<FibexCoding>& codings, int index, FibexValueRange& range) {
  const FibexCoding* c = CodingAt(codings, index);
  const std::string empty;
  const std::string& base = c ? c->baseDataType : empty;
  for (const BaseType& t : kBaseTypes) {
    if (base == t.name) {
      range.valueKind = t.kind;
      range.bitCount = t.bits;
      range.rawMinimum = t.minimum;
      range.rawMaximum = t.maximum;
      return 1;
    }
  }
  int bits = c ? c->bitLength : 0;
  range.valueKind = 0;
  range.bitCount = bits;
  range.rawMinimum = 0.0;
  range.rawMaximum = FibexBitMask(bits);
  return 1;
}

int GetFibexCodingScale(std::vector<FibexCoding>& codings, int index, FibexValueRange& range) {
  range.physicalMinimum = -1e30;
  range.physicalMaximum = 1e30;
  FibexCoding* c = index >= 0 && static_cast<std::size_t>(index) < codings.size()
                       ? &codings[static_cast<std::size_t>(index)]
                       : nullptr;
  if (c && c->category.empty()) c->category = "IDENTICAL";
  GetFibexBaseTypeRange(codings, index, range);
  const std::string category = c ? c->category : std::string("IDENTICAL");
  const int bits = c ? c->bitLength : 0;

  if (category != "IDENTICAL" && category != "LINEAR") {
    range.factor = 1.0;
    range.offset = 0.0;
    if (range.valueKind == 0) {
      range.rawMinimum = 0.0;
      range.rawMaximum = FibexBitMask(bits);
    } else if (range.valueKind == 1) {
      // A signed raw value of n bits spans -2^(n-1) .. 2^(n-1) - 1.
      long long n = std::clamp(bits, 0, 32);
      if (n == 0) {
        range.rawMinimum = range.rawMaximum = 0.0;
      } else {
        range.rawMinimum = -static_cast<double>(1ULL << (n - 1));
        range.rawMaximum = static_cast<double>((1ULL << (n - 1)) - 1ULL);
      }
    }
    range.physicalMinimum = range.rawMinimum;
    range.physicalMaximum = range.rawMaximum;
    return 0;
  }

  double lo = range.rawMinimum;
  double hi = range.rawMaximum;
  int constraints = std::min<int>(c ? c->scaleConstraintCount : 0, FIBEX_MAX_SCALE_CONSTRAINTS);
  for (int i = 0; i < constraints; ++i) {
    const FibexScaleConstraint& k = c->scaleConstraints[i];
    if (k.validity == "VALID") {
      lo = k.lowerLimit;
      hi = k.upperLimit;
    } else if (k.validity == "NOT-AVAILABLE" || k.validity == "NOT-VALID") {
      lo = std::max(lo, k.lowerLimit);
      hi = std::min(hi, k.upperLimit);
    }
  }
  range.factor = 1.0;
  range.offset = 0.0;
  if (category == "LINEAR" && c) {
    range.factor = c->factor;
    range.offset = c->offset;
  }
  range.physicalMinimum = range.factor * lo + range.offset;
  range.physicalMaximum = range.factor * hi + range.offset;
  return 1;
}

int ConvertFibexBitPosition(int bitPosition, int bitCount, int byteLength, const std::string& bitOrderText,
                            const std::string& bitCountingPolicy, const std::string& byteOrderText,
                            std::uint8_t& bitOrder, std::uint8_t& byteOrder) {
  const bool little = byteOrderText == "false";
  const bool dec = bitOrderText == "true";
  const bool inc = !dec;
  const bool sawtooth = bitCountingPolicy == "SAWTOOTH";
  byteOrder = little ? 0 : 1;
  bitOrder = inc ? 1 : 0;

  // All in 64 bits: every input is a 32-bit value, so nothing below overflows.
  const long long p = bitPosition;
  const long long n = bitCount;
  const long long byte = FloorDiv8(p);
  const long long mirrored = 8 * byte + 7 - (p - 8 * byte);
  long long start;
  if (little) {
    start = ((inc && sawtooth) || (dec && !sawtooth)) ? mirrored - n + 1 : p;
  } else {
    long long x = ((inc && !sawtooth) || (dec && sawtooth)) ? mirrored : p + n - 1;
    start = 8LL * byteLength - x - 1;
  }
  return cnum::SaturateToInt(start);
}
