#include "CharFilter.h"
#include "IntValue.h"

#include <gtest/gtest.h>

using namespace ctl;

TEST(IntValue, ReadsClampsAndShows) {
  struct Case {
    const char* text;
    bool hex;
    int minimum, maximum;
    int value;
    const char* shown;
  } cases[] = {
      {"0", false, 1, 2047, 1, "1"},
      {"3000", false, 1, 2047, 2047, "2047"},
      {"12abc", false, 1, 2047, 12, "12"},
      {"  -5", false, -100, 100, -5, "-5"},
      {"abc", false, 0, 10, 0, "0"},
      {"7G", true, 0, 0x7FF, 7, "7"},
      {"ff", true, 0, 0x7FF, 255, "FF"},
      {"FFFFFFFFF", true, 0, kIntMax, kIntMax, "7FFFFFFF"},
      {"FFFFFFFFF", true, 0, 0x1FFFFFFF, 0x1FFFFFFF, "1FFFFFFF"},
      {"99999999999", false, kIntMin, kIntMax, kIntMax, "2147483647"},
      {"-99999999999", false, kIntMin, kIntMax, kIntMin, "-2147483648"},
      {"5", false, 10, 3, 10, "10"},  // minimum above maximum: the minimum wins
      {"1", false, 10, 3, 10, "10"},
      {"50", false, 10, 3, 10, "10"},  // above both bounds of an upside-down range
  };
  for (const Case& c : cases) {
    const int v = ClampInt(ReadIntText(c.text, c.hex), c.minimum, c.maximum);
    EXPECT_EQ(v, c.value) << c.text;
    EXPECT_EQ(FormatIntText(v, c.hex), c.shown) << c.text;
  }
  EXPECT_EQ(ReadDecimalInt("12abc"), 12);
  EXPECT_EQ(ReadDecimalInt(""), 0);
  EXPECT_EQ(ReadDecimalInt(" +42x"), 42);
}

TEST(IntValue, TextLimitFollowsTheRange) {
  struct Case {
    int minimum, maximum;
    bool isUnsigned, hex;
    int limit;
  } cases[] = {
      {0, 63, true, false, 2},
      {0, 0x7FF, true, true, 3},
      {0, 0x1FFFFFFF, true, true, 8},
      {0, 0, true, false, 0},
      {-100, 100, false, false, 4},
      {0, 9, true, false, 1},
      {0, 10, true, false, 2},
      {0, 15, true, true, 1},
      {0, 16, true, true, 2},
      {kIntMin, 5, false, false, 2},
      {kIntMin, kIntMax, true, false, 10},
      {kIntMin, -5, false, false, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IntTextLimit(c.minimum, c.maximum, c.isUnsigned, c.hex), c.limit) << c.minimum << ".." << c.maximum;
  }
}

TEST(IntValue, ItemsSwitchBetweenDecimalAndHex) {
  EXPECT_EQ(ConvertItemText("10", true), "A");
  EXPECT_EQ(ConvertItemText("255", true), "FF");
  EXPECT_EQ(ConvertItemText("A", false), "10");
  EXPECT_EQ(ConvertItemText("FF", false), "255");
  EXPECT_EQ(ConvertItemText(ConvertItemText("-10", true), false), "-10");
  EXPECT_EQ(ConvertItemText("zz", false), "0");
}

TEST(IntValue, ChangeBoundsOfTheChangeReportingEdits) {
  struct Case {
    ChangeBoundKind kind;
    int in, out;
    bool rewrite;
  } cases[] = {
      {ChangeBoundKind::ByteCount, 5000, 5000, false}, {ChangeBoundKind::ByteCount, 0, 0, false},
      {ChangeBoundKind::BaseCycle, 63, 63, false},     {ChangeBoundKind::BaseCycle, 64, 63, true},
      {ChangeBoundKind::CycleRepeat, 0, 1, false},     {ChangeBoundKind::CycleRepeat, 64, 64, false},
      {ChangeBoundKind::CycleRepeat, 100, 64, true},   {ChangeBoundKind::CycleRepeat, 1, 1, false},
  };
  for (const Case& c : cases) {
    const ChangeBound b = ApplyChangeBound(c.kind, c.in);
    EXPECT_EQ(b.value, c.out) << c.in;
    EXPECT_EQ(b.rewriteText, c.rewrite) << c.in;
  }
}

TEST(CharFilter, EachFieldTakesItsCharacters) {
  // Name/unit/combo characters.
  for (int c : {int{'a'}, int{'Z'}, int{'5'}, int{'%'}, int{'_'}, int{'('}, int{')'}, int{'-'}, int{'/'}, 8})
    EXPECT_TRUE(IsNameChar(c)) << c;
  for (int c : {int{' '}, int{'.'}, int{','}, int{'*'}, 0xE9, 0x3042, 13}) EXPECT_FALSE(IsNameChar(c)) << c;
  // Decimal edits: '-' only when signed; Enter is handled as a key, not a character.
  EXPECT_TRUE(IsDecimalEditChar('7', true));
  EXPECT_FALSE(IsDecimalEditChar('-', true));
  EXPECT_TRUE(IsDecimalEditChar('-', false));
  EXPECT_FALSE(IsDecimalEditChar(13, false));
  EXPECT_FALSE(IsDecimalEditChar('a', false));
  // Integer edits and combos with a display mode.
  EXPECT_TRUE(IsIntCharAccepted(13, true, false));
  EXPECT_TRUE(IsIntCharAccepted(8, true, false));
  EXPECT_FALSE(IsIntCharAccepted('a', true, false));
  EXPECT_TRUE(IsIntCharAccepted('a', true, true));
  EXPECT_TRUE(IsIntCharAccepted('F', true, true));
  EXPECT_FALSE(IsIntCharAccepted('G', true, true));
  EXPECT_FALSE(IsIntCharAccepted('-', true, true));
  EXPECT_TRUE(IsIntCharAccepted('-', false, false));
  // Bit patterns.
  EXPECT_TRUE(IsBitChar('1', 0));
  EXPECT_FALSE(IsBitChar('2', 0));
  EXPECT_TRUE(IsBitChar('x', 0));
  EXPECT_TRUE(IsBitChar('f', 1));
  EXPECT_FALSE(IsBitChar('$', 1));
  EXPECT_FALSE(IsBitChar('1', 2));
}
