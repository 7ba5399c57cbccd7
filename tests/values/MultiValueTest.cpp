#include "MultiValue.h"

#include <gtest/gtest.h>

using ctl::MultiValueParser;

TEST(MultiValue, NormalFormsAndErrors) {
  struct Case {
    const char* text;
    bool decimal;
    const char* out;
    int error;
    const char* part;  // the current part after an error
  } cases[] = {
      {"1,3-5,0x10", true, "1,3-5,16", 0, nullptr},
      {"1,3-5,0x10", false, "0x1,0x3-0x5,0x10", 0, nullptr},
      {"7-7", false, "0x7", 0, nullptr},
      {"7-7", true, "7-7", 0, nullptr},
      {"0", false, "0x0", 0, nullptr},
      {"", true, "", 0, nullptr},
      {",,1,,2,", true, "1,2", 0, nullptr},
      {"-5", true, "5", 0, nullptr},
      {"3-3, 5-10", true, "3-3,5-10", 0, nullptr},
      {"010", true, "8", 0, nullptr},
      {"0X1F", true, "31", 0, nullptr},
      {"5-3", true, "", 2, "5-3"},
      {"1,abc", true, "1", 1, "abc"},
      {"4294967296", true, "", 3, "4294967296"},
      {"4294967295", true, "4294967295", 0, nullptr},
      {"1-2-3", true, "", 1, "1-2-3"},
      {"08", true, "", 1, "08"},
      {"1 ,2", true, "", 1, "1 "},
      {"99999999999999999999999", true, "", 3, "99999999999999999999999"},
  };
  for (const Case& c : cases) {
    MultiValueParser p;
    std::string out = "old";
    p.Normalise(c.text, c.decimal, &out);
    EXPECT_EQ(out, c.out) << c.text;
    EXPECT_EQ(p.error, c.error) << c.text;
    if (c.part) {
      EXPECT_EQ(p.currentPart, c.part) << c.text;
    }
  }
}

TEST(MultiValue, NumbersWithinTheRange) {
  MultiValueParser p;
  p.minimum = 2;
  p.maximum = 10;
  std::uint64_t v = 99;
  EXPECT_FALSE(p.ParseNumber("1", &v));
  EXPECT_EQ(p.error, MULTIVALUE_OUT_OF_RANGE);
  EXPECT_TRUE(p.ParseNumber("0xA", &v));
  EXPECT_EQ(v, 10u);
  p.minimum = 0;
  EXPECT_TRUE(p.ParseNumber("", &v));
  EXPECT_EQ(v, 0u);
  EXPECT_FALSE(p.ParseNumber("1x", &v));
  EXPECT_EQ(p.error, MULTIVALUE_MALFORMED);
}
