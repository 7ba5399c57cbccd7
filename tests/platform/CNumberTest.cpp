#include "CNumber.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <clocale>
#include <string>

namespace {

// Runs the test body under a comma-decimal locale, as Qt does for a German user.
class CommaLocale : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* current = std::setlocale(LC_ALL, nullptr);
    saved_ = current ? current : "C";
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8") && !std::setlocale(LC_ALL, "de_DE.utf8"))
      GTEST_SKIP() << "no German locale installed";
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    ASSERT_STREQ(probe, "1,5");  // the locale really uses a comma
  }
  void TearDown() override { std::setlocale(LC_ALL, saved_.c_str()); }

 private:
  std::string saved_;
};

TEST_F(CommaLocale, FormatWritesAPoint) {
  EXPECT_EQ(cnum::Format("%e", 1.0), "1.000000e+00");
  EXPECT_EQ(cnum::Format("%.1f", 1.2), "1.2");
  EXPECT_EQ(cnum::Format("%1.1f", 1.25), "1.2");
  EXPECT_EQ(cnum::Format("%lg", 0.001), "0.001");
  EXPECT_EQ(cnum::Format("%d|%X", 1234567, 255), "1234567|FF");  // no digit grouping
}

TEST_F(CommaLocale, ReadsAPoint) {
  EXPECT_DOUBLE_EQ(cnum::Atof("1.5"), 1.5);
  EXPECT_DOUBLE_EQ(cnum::Atof("1,5"), 1.0);  // a comma ends the number, as in the C locale
  char* end = nullptr;
  EXPECT_DOUBLE_EQ(cnum::Strtod("-2.5e3x", &end), -2500.0);
  EXPECT_STREQ(end, "x");
  double a = 0, b = 0;
  EXPECT_EQ(cnum::Scan("(0.5,-1.25)", "(%lf,%lf)", &a, &b), 2);
  EXPECT_DOUBLE_EQ(a, 0.5);
  EXPECT_DOUBLE_EQ(b, -1.25);
  EXPECT_EQ(cnum::Scan("[1e-3|2.5]", "[%lf|%lf]", &a, &b), 2);
  EXPECT_DOUBLE_EQ(a, 0.001);
  EXPECT_DOUBLE_EQ(b, 2.5);
}

TEST_F(CommaLocale, WriteThenReadGivesTheSameBytes) {
  const double values[] = {0.0, 1.2, -0.125, 3.4028234663852886e38, 1e-31, 1e31, -1e31};
  for (double v : values) {
    std::string text = cnum::Format("%e", v);
    EXPECT_EQ(text.find(','), std::string::npos) << text;
    EXPECT_EQ(cnum::Format("%e", cnum::Atof(text.c_str())), text);
  }
}

struct IntCase {
  const char* text;
  int value;
};

TEST(CNumber, AtoiLikeTheRuntimeButSaturating) {
  const IntCase cases[] = {
      {"42", 42},
      {"  -17x", -17},
      {"+5", 5},
      {"abc", 0},
      {"", 0},
      {"0x1F", 0},
      {"2147483647", INT_MAX},
      {"2147483648", INT_MAX},
      {"99999999999999999999", INT_MAX},
      {"-2147483648", INT_MIN},
      {"-2147483649", INT_MIN},
      {"-99999999999999999999", INT_MIN},
      {"1.9", 1},
  };
  for (const auto& c : cases) EXPECT_EQ(cnum::Atoi(c.text), c.value) << c.text;
  EXPECT_EQ(cnum::Atoi(nullptr), 0);
}

TEST(CNumber, StrtolAutomaticBase) {
  char* end = nullptr;
  EXPECT_EQ(cnum::Strtol("0x1F z", &end, 0), 31);
  EXPECT_STREQ(end, " z");
  EXPECT_EQ(cnum::Strtol("017", nullptr, 0), 15);
  EXPECT_EQ(cnum::Strtol("99999999999999999999999", nullptr, 10), LONG_MAX);
  EXPECT_EQ(cnum::Strtoull("18446744073709551616", nullptr, 10), ULLONG_MAX);
  EXPECT_EQ(cnum::Strtol(nullptr, &end, 10), 0);
  EXPECT_EQ(end, nullptr);
}

// The runtime's sscanf wraps an integer that does not fit ("0x100000003" read
// with "%x" gives 3); Scan saturates instead.
TEST(CNumber, ScanSaturatesIntegers) {
  int i = 0;
  unsigned u = 0;
  EXPECT_EQ(cnum::Scan("99999999999", "%d", &i), 1);
  EXPECT_EQ(i, INT_MAX);
  EXPECT_EQ(cnum::Scan("-99999999999", "%d", &i), 1);
  EXPECT_EQ(i, INT_MIN);
  EXPECT_EQ(cnum::Scan("0x100000003", "0x%x", &u), 1);
  EXPECT_EQ(u, UINT_MAX);
  EXPECT_EQ(cnum::Scan("0x3B", "0x%x", &u), 1);
  EXPECT_EQ(u, 0x3Bu);
  EXPECT_EQ(cnum::Scan("1FFFFFFF", "%X", &u), 1);
  EXPECT_EQ(u, 0x1FFFFFFFu);
  EXPECT_EQ(cnum::Scan("-1", "%x", &u), 1);  // a negative text keeps its runtime meaning
  EXPECT_EQ(u, UINT_MAX);
  EXPECT_EQ(cnum::Scan("-5", "%u", &u), 1);
  EXPECT_EQ(u, 4294967291u);
  short h = 0;
  unsigned char c = 0;
  long long ll = 0;
  EXPECT_EQ(cnum::Scan("40000 300 99999999999999999999", "%hd %hhu %lld", &h, &c, &ll), 3);
  EXPECT_EQ(h, SHRT_MAX);
  EXPECT_EQ(c, UCHAR_MAX);
  EXPECT_EQ(ll, LLONG_MAX);
}

TEST(CNumber, ScanCountsLikeTheRuntime) {
  int a = -1, b = -1, n = -1;
  double d = 0;
  char word[8] = {};
  EXPECT_EQ(cnum::Scan("", "%d", &a), EOF);
  EXPECT_EQ(cnum::Scan("   ", "%d", &a), EOF);
  EXPECT_EQ(cnum::Scan("x", "%d", &a), 0);
  EXPECT_EQ(cnum::Scan("7 x", "%d %d", &a, &b), 1);
  EXPECT_EQ(a, 7);
  EXPECT_EQ(b, -1);
  EXPECT_EQ(cnum::Scan("7", "%d %d", &a, &b), 1);
  EXPECT_EQ(cnum::Scan("12345", "%2d%d", &a, &b), 2);
  EXPECT_EQ(a, 12);
  EXPECT_EQ(b, 345);
  EXPECT_EQ(cnum::Scan("5 skip 6", "%d %*s %d%n", &a, &b, &n), 2);
  EXPECT_EQ(b, 6);
  EXPECT_EQ(n, 8);
  EXPECT_EQ(cnum::Scan("100% 2.5 abc]", "%d%% %lf %7[^]]", &a, &d, word), 3);
  EXPECT_EQ(a, 100);
  EXPECT_DOUBLE_EQ(d, 2.5);
  EXPECT_STREQ(word, "abc");
  EXPECT_EQ(cnum::Scan(nullptr, "%d", &a), EOF);
}

}  // namespace

// The decimal fast path must give exactly what strtod gives in the C locale:
// the same value (bit for bit) and the same end of the number.
TEST(CNumberStrtod, SameValueAndEndAsTheCRuntime) {
  const char* texts[] = {"0",
                         "  12.5xyz",
                         "-0.125",
                         "+3e2",
                         ".5",
                         "-.5e-3",
                         "1e",
                         "1e+",
                         "1.5e-",
                         "7.",
                         "+-5",
                         "-+5",
                         "- 5",
                         "0x1p3",
                         "-0X10",
                         "inf",
                         "-nan",
                         "1e5000",
                         "-1e-5000",
                         "4.9e-324",
                         "\t\n 42",
                         "1.7976931348623157e308",
                         "123456789012345678901234567890",
                         "0.1e1.2",
                         "1-2",
                         "e5",
                         ".",
                         "00012",
                         "1,5",
                         "",
                         "+.e1",
                         "2.2250738585072011e-308"};
  for (const char* t : texts) {
    char* cEnd = nullptr;
    char* ourEnd = nullptr;
    double c = std::strtod(t, &cEnd);
    double ours = cnum::Strtod(t, &ourEnd);
    EXPECT_EQ(cEnd - t, ourEnd - t) << t;
    if (std::isnan(c)) EXPECT_TRUE(std::isnan(ours)) << t;
    else EXPECT_EQ(0, std::memcmp(&c, &ours, sizeof c)) << t << " " << c << " " << ours;
  }
  // A spread of generated decimal texts.
  std::mt19937 rng(7);
  for (int i = 0; i < 20000; ++i) {
    char buf[64];
    std::uniform_real_distribution<double> mant(-1e6, 1e6);
    std::uniform_int_distribution<int> exp(-320, 310);
    std::snprintf(buf, sizeof buf, i % 2 ? "%.17ge%d" : "%.9g", mant(rng), exp(rng));
    char* cEnd = nullptr;
    char* ourEnd = nullptr;
    double c = std::strtod(buf, &cEnd);
    double ours = cnum::Strtod(buf, &ourEnd);
    ASSERT_EQ(cEnd, ourEnd) << buf;
    ASSERT_EQ(0, std::memcmp(&c, &ours, sizeof c)) << buf;
  }
}
