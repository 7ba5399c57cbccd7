#include "BitPattern.h"

#include <gtest/gtest.h>

using ctl::BitPattern;

namespace {

BitPattern Make(int bits, int mode, const char* pattern = nullptr) {
  BitPattern p;
  p.SetMode(mode);
  p.SetBitCount(bits);
  if (pattern) p.SetPatternText(pattern);
  return p;
}

}  // namespace

TEST(BitPattern, BitCountKeepsTheRightmostBits) {
  BitPattern p;
  EXPECT_EQ(p.Pattern(), std::string(32, 'X'));
  p.SetBitCount(40);
  EXPECT_EQ(p.BitCount(), 32);
  p.SetBitCount(0);
  EXPECT_EQ(p.BitCount(), 1);
  p = Make(4, 0, "1010");
  p.SetBitCount(8);
  EXPECT_EQ(p.Pattern(), "XXXX1010");
  p.SetBitCount(3);
  EXPECT_EQ(p.Pattern(), "010");
}

TEST(BitPattern, PatternTextIsUpperCasedAndFitted) {
  EXPECT_EQ(Make(8, 0, "x1").Pattern(), "XXXXXXX1");
  EXPECT_EQ(Make(4, 0, "110011").Pattern(), "0011");
}

TEST(BitPattern, TypedTexts) {
  struct Case {
    int bits, mode;
    const char* before;
    const char* typed;
    const char* shown;
    const char* pattern;
  } cases[] = {
      {8, 0, nullptr, "101", "XXXXX101", "XXXXX101"},
      {4, 0, nullptr, "1100110", "0110", "0110"},  // over-long: the rightmost bits
      {6, 1, nullptr, "F5", "35", "110101"},
      {6, 1, nullptr, "5", "X5", "XX0101"},
      {5, 1, nullptr, "ff", "1F", "11111"},
      {7, 1, nullptr, "9x", "7X", "111XXXX"},
      {8, 1, "10101010", "$0", "$0", "10100000"},
      {6, 1, "1X0101", "$3", "$3", "1X0011"},
      {6, 1, "1X0101", "X$", "X$", "XX0101"},
      {8, 1, nullptr, "", "XX", "XXXXXXXX"},
  };
  for (const Case& c : cases) {
    BitPattern p = Make(c.bits, c.mode, c.before);
    EXPECT_EQ(p.ReadText(c.typed), c.shown) << c.typed;
    EXPECT_EQ(p.Pattern(), c.pattern) << c.typed;
  }
}

TEST(BitPattern, HexFormOfPatterns) {
  struct Case {
    int bits;
    const char* pattern;
    const char* hex;
  } cases[] = {
      {6, "1X0101", "$5"}, {6, "110101", "35"}, {8, "XXXX1111", "XF"}, {5, "X0000", "X0"},
      {5, "10000", "10"},  {1, "X", "X"},       {3, "1X1", "$"},       {32, "", "XXXXXXXX"},
  };
  for (const Case& c : cases) EXPECT_EQ(Make(c.bits, 1, c.pattern).BinaryToHex(), c.hex) << c.pattern;
}

TEST(BitPattern, NibblesAndPadding) {
  BitPattern p = Make(6, 1, "1X0101");
  EXPECT_EQ(p.GetStoredNibble(0), "1X");
  EXPECT_EQ(p.GetStoredNibble(1), "0101");
  EXPECT_EQ(p.GetStoredNibble(2), "");
  EXPECT_EQ(p.GetStoredNibble(-1), "");
  p = Make(8, 1, "11110000");
  EXPECT_EQ(p.GetStoredNibble(0), "1111");
  EXPECT_EQ(p.GetStoredNibble(1), "0000");
  EXPECT_EQ(BitPattern::NibbleToHex("1"), "1");
  EXPECT_EQ(BitPattern::NibbleToHex("X1"), "$");
  EXPECT_EQ(BitPattern::NibbleToHex("XXX"), "X");
  EXPECT_EQ(BitPattern::PadLeft("10", 3), "XXX10");
  EXPECT_EQ(BitPattern::PadLeft("10", -2), "10");
  // Characters that are no hex digit give nothing.
  p = Make(8, 1);
  p.FormatPattern("a1");
  EXPECT_EQ(p.Pattern(), "XXXX0001");
}
