#include "DoubleValue.h"
#include "EngNotation.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

using namespace ctl;

namespace {

std::string Eng(double v, int width = 6) {
  std::string out;
  FormatWithSiPrefix(&out, v, width, kSiPrefixCount, kSiPrefixes);
  return out;
}

std::string Rounded(double m, int lastPlace) {
  std::string out;
  FormatRounded(&out, m, lastPlace);
  return out;
}

}  // namespace

TEST(EngNotation, PrefixesRoundingAndEdges) {
  struct Case {
    double v;
    const char* text;
  } cases[] = {
      {0, " 0.0000 "},
      {1e-19, " 0.0000 "},
      {1e-18, " 0.0000 "},
      {0.5, " 500.00m"},
      {1, " 1.0000 "},
      {-12345, "-12.345k"},
      {2.5e-6, " 2.5000u"},
      {1.23456, " 1.2346 "},
      {1.23454, " 1.2345 "},
      {9.99996, " 10.000 "},
      {999.9996, " 1000.0 "},
      {1.5e-18, " 1.5000a"},
      {5e20, " 500.00E"},
      {1e21, "    *** "},
      {1500, " 1.5000k"},
      {2.5e12, " 2.5000T"},
      {1e15, " 1.0000P"},
      {3e-15, " 3.0000f"},
      {-0.001, "-1.0000m"},
      {std::numeric_limits<double>::infinity(), "    *** "},
      {-std::numeric_limits<double>::infinity(), "    *** "},
      {std::nan(""), "    *** "},
  };
  for (const Case& c : cases) EXPECT_EQ(Eng(c.v), c.text) << c.v;
}

TEST(EngNotation, WidthsWithoutABufferLimit) {
  EXPECT_EQ(Eng(0, 3), " 0.0 ");
  EXPECT_EQ(Eng(12.5, 4), " 12.5 ");
  EXPECT_EQ(Eng(1e21, 2), " *** ");
  // Widths of 64 and more used to overrun a fixed buffer.
  const std::string wide = Eng(1.25, 80);
  EXPECT_EQ(wide.substr(0, 6), " 1.250");
  EXPECT_LE(wide.size(), 65u);
  EXPECT_EQ(Eng(1e21, 1000000).size(), 65u);
  EXPECT_EQ(Rounded(0.5, -2147483647 - 1), "0.50000000000000000");
  EXPECT_EQ(Eng(0, 100), " 0.000000000000 ");
}

TEST(EngNotation, RoundsOnTheDecimalDigits) {
  EXPECT_EQ(Rounded(1.23456, -4), "1.23460");  // one decimal more after a carry
  EXPECT_EQ(Rounded(1.23454, -4), "1.2345");
  EXPECT_EQ(Rounded(-2.5, -1), "-2.5");
  EXPECT_EQ(Rounded(0.0015, -4), "0.0015");
  EXPECT_EQ(Rounded(0.00149, -2), "0.00");
  EXPECT_EQ(Rounded(123456.789, -1), "123456.80");
  EXPECT_EQ(Rounded(1e300, -2), Rounded(1e300, -2));  // long digit strings stay whole
}

TEST(DoubleValue, ReadsNumbersWithPrefixes) {
  struct Case {
    const char* text;
    const char* format;
    double value;
  } cases[] = {
      {"", "%e", kNoLimit},       {"", "%.0f", kNoLimit}, {"2.5u", "%e", 2.5e-6},  {"5ms", "%e", 0.005},
      {"5mS", "%e", 0.005},       {"1e-3", "%e", 0.001},  {"3 M", "%e", 3e6},      {"5MS", "%e", 5},
      {"1.5k", "%e", 1500},       {"2K", "%e", 2000},     {"4g", "%e", 4e9},       {"7ns", "%e", 7e-9},
      {"12.7", "%.0f", 12.7},     {"12.7", "%.0F", 12.7}, {"abc", "%e", 0},        {"42", "%e", 42},
      {"2.0000e+16", "%e", 2e16}, {"2.5T", "%e", 2.5e12}, {"1.0000P", "%e", 1e15}, {"3.0000f", "%e", 3e-15},
      {"1.5000a", "%e", 1.5e-18}, {"nan", "%e", 0},       {"NaN", "%.0f", 0},      {"-nan", "%e", 0},
      {"inf", "%e", 0},           {"0x10", "%e", 0},      {"1e31", "%e", 1e31},    {"-3.5", "%e", -3.5},
  };
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(ReadDoubleText(c.text, c.format), c.value) << c.text;
}

TEST(DoubleValue, PrefixFactors) {
  struct Case {
    const char* text;
    double factor;
  } cases[] = {{"m", 1e-3}, {"1us", 1e-6}, {"1uS", 1e-6}, {"1pS", 1e-12}, {"S", 1}, {"1s", 1}, {"", 1}, {"9E", 1}};
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(GetPrefixFactor(c.text), c.factor) << c.text;
}

TEST(DoubleValue, ShowsTheStoredValue) {
  struct Case {
    double v;
    const char* format;
    const char* text;
  } cases[] = {
      {2.5e-6, "%e", "2.5000u"},  {1500, "%e", "1.5000k"},      {0.5, "%e", "500.00m"},  {1, "%e", "1.0000"},
      {2e16, "%e", "2.0000e+16"}, {-2e16, "%e", "-2.0000e+16"}, {1e31, "%e", ""},        {-1e31, "%e", ""},
      {12.7, "%.0f", "13"},       {0, "%e", "0.0000"},          {1e15, "%e", "1.0000P"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatDoubleText(c.v, c.format), c.text) << c.v;
}

TEST(DoubleValue, ClampKeepsTheNoLimitMarker) {
  EXPECT_EQ(ClampDouble(1e31, -1e30, 1e30), 1e31);
  EXPECT_EQ(ClampDouble(-1e31, -1e30, 1e30), -1e31);
  EXPECT_EQ(ClampDouble(5e30, -1e30, 1e30), 1e30);
  EXPECT_EQ(ClampDouble(-5e30, -1e30, 1e30), -1e30);
  EXPECT_EQ(ClampDouble(std::nan(""), -1e30, 1e30), 0.0);
  EXPECT_EQ(ClampDouble(-5, 10, 3), 10);  // the minimum is tested first
}

TEST(DoubleValue, ShownTextsReadBackToTheirValue) {
  for (double v : {2.5e-6, 1500.0, 0.5, 1.0, 3e-15, 1.5e-18, 2.5e12, 1e15, 2e16, -12345.0, 123.45}) {
    const std::string text = FormatDoubleText(v, "%e");
    EXPECT_NEAR(ReadDoubleText(text, "%e"), v, std::fabs(v) * 1e-9) << text;
  }
}
