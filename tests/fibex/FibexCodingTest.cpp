// Codings, value types and bit positions as pure functions.
#include <gtest/gtest.h>

#include <climits>

#include "FibexCoding.h"

namespace {

FibexCoding MakeCoding(const std::string& base, int bits, const std::string& category,
                       std::vector<FibexScaleConstraint> constraints = {}, double offset = 0.0, double factor = 1.0) {
  FibexCoding c;
  c.baseDataType = base;
  c.bitLength = bits;
  c.category = category;
  c.offset = offset;
  c.factor = factor;
  c.scaleConstraintCount = static_cast<std::uint16_t>(constraints.size());
  for (std::size_t i = 0; i < constraints.size() && i < 3; ++i) c.scaleConstraints[i] = constraints[i];
  return c;
}

FibexScaleConstraint Constraint(const char* validity, double lo, double hi) {
  FibexScaleConstraint k;
  k.validity = validity;
  k.lowerLimit = lo;
  k.upperLimit = hi;
  return k;
}

struct BaseCase {
  const char* base;
  int codingBits;
  int kind;
  double bits;
  double min;
  double max;
};

TEST(FibexCoding, BaseDataTypes) {
  const BaseCase cases[] = {
      {"A_INT8", 3, 1, 8, -128, 127},
      {"A_UINT8", 3, 0, 8, 0, 255},
      {"A_INT16", 3, 1, 16, -32768, 32767},
      {"A_UINT16", 3, 0, 16, 0, 65535},
      {"A_INT32", 3, 1, 32, -2147483647.0, 2147483647.0},
      {"A_UINT32", 3, 0, 32, 0, 4294967295.0},
      {"A_FLOAT32", 3, 2, 32, -1e30, 1e30},
      {"A_FLOAT64", 3, 2, 64, -1e30, 1e30},
      // Anything else takes the coding's bit length, unsigned.
      {"", 12, 0, 12, 0, 4095},
      {"a_uint8", 4, 0, 4, 0, 15},
      {"A_BYTEFIELD", 0, 0, 0, 0, 0},
      {"A_BYTEFIELD", 31, 0, 31, 0, 2147483647.0},
      {"A_BYTEFIELD", 32, 0, 32, 0, 4294967295.0},
      {"A_BYTEFIELD", 40, 0, 40, 0, 4294967295.0},
      {"A_BYTEFIELD", -5, 0, -5, 0, 0},
      {"A_BYTEFIELD", INT_MAX, 0, INT_MAX, 0, 4294967295.0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.base) + " bits " + std::to_string(c.codingBits));
    std::vector<FibexCoding> codings{MakeCoding(c.base, c.codingBits, "IDENTICAL")};
    FibexValueRange r;
    EXPECT_EQ(1, GetFibexBaseTypeRange(codings, 0, r));
    EXPECT_EQ(c.kind, r.valueKind);
    EXPECT_EQ(c.bits, r.bitCount);
    EXPECT_EQ(c.min, r.rawMinimum);
    EXPECT_EQ(c.max, r.rawMaximum);
  }
}

struct ScaleCase {
  const char* what;
  FibexCoding coding;
  int result;
  int kind;
  double factor, offset, min, max;
};

TEST(FibexCoding, Scaling) {
  const ScaleCase cases[] = {
      {"identical uint8", MakeCoding("A_UINT8", 8, "IDENTICAL"), 1, 0, 1, 0, 0, 255},
      {"linear float64", MakeCoding("A_FLOAT64", 64, "LINEAR", {}, 0.0, 2.0), 1, 2, 2, 0, -2e30, 2e30},
      {"linear int16 with offset", MakeCoding("A_INT16", 16, "LINEAR", {}, -40.0, 0.5), 1, 1, 0.5, -40, -16424,
       16343.5},
      {"negative factor keeps the order", MakeCoding("A_UINT8", 8, "LINEAR", {}, 0.0, -1.0), 1, 0, -1, 0, 0, -255},
      {"valid constraint", MakeCoding("A_UINT8", 8, "IDENTICAL", {Constraint("VALID", 0, 250)}), 1, 0, 1, 0, 0, 250},
      {"valid then not-valid intersects",
       MakeCoding("A_UINT8", 8, "IDENTICAL", {Constraint("VALID", 0, 250), Constraint("NOT-VALID", 251, 255)}), 1, 0, 1,
       0, 251, 250},
      {"not-available narrows", MakeCoding("A_UINT8", 8, "IDENTICAL", {Constraint("NOT-AVAILABLE", 10, 300)}), 1, 0, 1,
       0, 10, 255},
      {"other validity ignored", MakeCoding("A_UINT8", 8, "IDENTICAL", {Constraint("valid", 3, 4)}), 1, 0, 1, 0, 0,
       255},
      {"linear with constraint", MakeCoding("A_UINT16", 16, "LINEAR", {Constraint("VALID", 0, 1000)}, 10.0, 0.1), 1, 0,
       0.1, 10, 10, 110},
      {"text table unsigned", MakeCoding("A_UINT16", 4, "TEXTTABLE", {}, 5.0, 3.0), 0, 0, 1, 0, 0, 15},
      {"text table signed suits signed values", MakeCoding("A_INT8", 8, "TEXTTABLE"), 0, 1, 1, 0, -128, 127},
      {"text table signed 0 bits", MakeCoding("A_INT8", 0, "SCALE-LINEAR"), 0, 1, 1, 0, 0, 0},
      {"text table float keeps its range", MakeCoding("A_FLOAT32", 32, "TAB-NOINTP"), 0, 2, 1, 0, -1e30, 1e30},
      {"lower-case linear is unsupported", MakeCoding("A_UINT8", 8, "linear", {}, 1.0, 2.0), 0, 0, 1, 0, 0, 255},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<FibexCoding> codings{c.coding};
    FibexValueRange r;
    EXPECT_EQ(c.result, GetFibexCodingScale(codings, 0, r));
    EXPECT_EQ(c.kind, r.valueKind);
    EXPECT_DOUBLE_EQ(c.factor, r.factor);
    EXPECT_DOUBLE_EQ(c.offset, r.offset);
    EXPECT_DOUBLE_EQ(c.min, r.physicalMinimum);
    EXPECT_DOUBLE_EQ(c.max, r.physicalMaximum);
  }
}

TEST(FibexCoding, EmptyCategoryBecomesIdentical) {
  std::vector<FibexCoding> codings{MakeCoding("A_UINT8", 8, "", {}, 7.0, 3.0)};
  FibexValueRange r;
  EXPECT_EQ(1, GetFibexCodingScale(codings, 0, r));
  EXPECT_EQ("IDENTICAL", codings[0].category);
  EXPECT_EQ(1.0, r.factor);
  EXPECT_EQ(255.0, r.physicalMaximum);
}

TEST(FibexCoding, MaskIsComputedIn64Bits) {
  EXPECT_EQ(0.0, FibexBitMask(0));
  EXPECT_EQ(0.0, FibexBitMask(-1));
  EXPECT_EQ(1.0, FibexBitMask(1));
  EXPECT_EQ(2147483647.0, FibexBitMask(31));
  EXPECT_EQ(4294967295.0, FibexBitMask(32));
  EXPECT_EQ(4294967295.0, FibexBitMask(1LL << 40));
}

struct BitCase {
  const char* byteOrder;
  const char* bitOrder;
  const char* policy;
  int p, n, L;
  int start;
  int outBitOrder;   // 1 LSB First (INC), 0 MSB First (DEC)
  int outByteOrder;  // 0 little, 1 big
};

TEST(FibexCoding, BitPositions) {
  const BitCase cases[] = {
      // LITTLE, all four combinations at p = 12, n = 4 (mirrored 12 is 11).
      {"false", "false", "MONOTONE", 12, 4, 8, 12, 1, 0},
      {"false", "false", "SAWTOOTH", 12, 4, 8, 8, 1, 0},
      {"false", "true", "MONOTONE", 12, 4, 8, 8, 0, 0},
      {"false", "true", "SAWTOOTH", 12, 4, 8, 12, 0, 0},
      // BIG in an 8-byte frame.
      {"true", "false", "MONOTONE", 12, 4, 8, 52, 1, 1},
      {"true", "false", "SAWTOOTH", 12, 4, 8, 48, 1, 1},
      {"true", "true", "MONOTONE", 12, 4, 8, 48, 0, 1},
      {"true", "true", "SAWTOOTH", 12, 4, 8, 52, 0, 1},
      // The two worked examples.
      {"false", "true", "MONOTONE", 7, 8, 8, -7, 0, 0},
      {"true", "false", "SAWTOOTH", 0, 8, 8, 56, 1, 1},
      // Only the exact words count.
      {"", "false", "MONOTONE", 0, 8, 2, 8, 1, 1},
      {"FALSE", "false", "MONOTONE", 0, 8, 2, 8, 1, 1},
      {"false", "TRUE", "SAWTOOTH", 12, 4, 8, 8, 1, 0},
      {"false", "false", "sawtooth", 12, 4, 8, 12, 1, 0},
      // A 254-byte frame, big endian, last byte.
      {"true", "false", "SAWTOOTH", 2024, 8, 254, 0, 1, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.byteOrder) + "/" + c.bitOrder + "/" + c.policy + " p=" + std::to_string(c.p));
    std::uint8_t bitOrder = 9, byteOrder = 9;
    EXPECT_EQ(c.start, ConvertFibexBitPosition(c.p, c.n, c.L, c.bitOrder, c.policy, c.byteOrder, bitOrder, byteOrder));
    EXPECT_EQ(c.outBitOrder, bitOrder);
    EXPECT_EQ(c.outByteOrder, byteOrder);
  }
}

TEST(FibexCoding, BitPositionExtremesDoNotOverflow) {
  std::uint8_t a, b;
  EXPECT_EQ(INT_MIN, ConvertFibexBitPosition(INT_MAX, INT_MAX, 0, "true", "MONOTONE", "true", a, b));
  EXPECT_EQ(INT_MAX, ConvertFibexBitPosition(INT_MIN, INT_MAX, INT_MAX, "true", "MONOTONE", "true", a, b));
  ConvertFibexBitPosition(INT_MIN, INT_MIN, INT_MIN, "true", "SAWTOOTH", "false", a, b);
  ConvertFibexBitPosition(-1, 8, 1, "true", "MONOTONE", "false", a, b);
}

}  // namespace
