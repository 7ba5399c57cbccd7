#include "CodePage.h"
#include "TextFile.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct RoundTrip {
  const char* label;
  std::string cp932;
  std::string utf8;
  friend void PrintTo(const RoundTrip& c, std::ostream* os) { *os << c.label; }
};

class CodePageRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

// Both directions, byte for byte.
TEST_P(CodePageRoundTrip, BothWays) {
  const RoundTrip& c = GetParam();
  EXPECT_EQ(cp932::ToUtf8(c.cp932), c.utf8);
  std::string back;
  ASSERT_TRUE(cp932::FromUtf8(c.utf8, back));
  EXPECT_EQ(back, c.cp932);
}

INSTANTIATE_TEST_SUITE_P(Cases, CodePageRoundTrip,
                         ::testing::Values(
                             // 0x5C and 0x7E stay backslash and tilde; the trail byte of ソ and 表 is 0x5C.
                             RoundTrip{"SoHyoBackslashTildeKana", "\x83\x5C\x95\x5C\\~\xB1", "ソ表\\~ｱ"},
                             RoundTrip{"NecRow13", "\x87\x40\x87\x82\x87\x8A\x87\x54", "①№㈱Ⅰ"},
                             RoundTrip{"IbmExtension", "\xFA\x40\xFA\x5C", "ⅰ纊"},
                             RoundTrip{"Ascii", "Speed_1 <&>", "Speed_1 <&>"}, RoundTrip{"Empty", "", ""}),
                         [](const auto& c) { return std::string(c.param.label); });

TEST(CodePage, DecodingIsLenient) {
  // A lone lead byte, an unassigned pair and a byte CP932 does not use show
  // as U+FFFD; the ASCII around them survives.
  EXPECT_EQ(cp932::ToUtf8("a\x81"), "a\xEF\xBF\xBD");
  EXPECT_EQ(cp932::ToUtf8("a\x81<b"), "a\xEF\xBF\xBD<b");
  EXPECT_EQ(cp932::ToUtf8("\x85\x40x"), "\xEF\xBF\xBDx");
  EXPECT_EQ(cp932::ToUtf8(std::string("\xFD", 1) + "z"), "\xEF\xBF\xBDz");
}

TEST(CodePage, EncodingIsStrict) {
  const char* refused[] = {
      "中文简体",           // simplified Chinese characters outside CP932
      "€",                  // no euro sign in CP932
      "\xC2\xA5",           // yen sign: would become a backslash
      "\xE2\x80\xBE",       // overline: would become a tilde
      "a\xF3\xA0\x80\x81",  // a tag character: would vanish
      "\xFF\xFE",           // not UTF-8
      "\xE3\x81",           // cut UTF-8
  };
  for (const char* text : refused) {
    std::string out = "untouched";
    EXPECT_FALSE(cp932::FromUtf8(text, out)) << text;
    EXPECT_EQ(out, "untouched");
  }
}

TEST(CodePage, CharLengthPairsOnlyValidTrailBytes) {
  EXPECT_EQ(cp932::CharLength("\x83\x61", 0), 2u);  // trail byte that looks like 'a'
  EXPECT_EQ(cp932::CharLength("\x81<", 0), 1u);     // '<' is never a trail byte
  EXPECT_EQ(cp932::CharLength("\x81", 0), 1u);      // at the end
  EXPECT_EQ(cp932::CharLength(std::string("\x81\x7F", 2), 0), 1u);
  EXPECT_EQ(cp932::CharLength("\xA0\x40", 0), 1u);  // 0xA0 is no lead byte
  EXPECT_EQ(cp932::CharLength("\xB1\x40", 0), 1u);  // half-width kana
}

struct UpperCase {
  std::string in, out;
};

TEST(CodePage, MakeUpperStringLeavesDoubleByteCharactersAlone) {
  const UpperCase cases[] = {
      {"Speed_1", "SPEED_1"},
      {"az{}`@", "AZ{}`@"},
      {"\x83\x61", "\x83\x61"},      // "ア": trail byte 'a' stays
      {"x\x82\x81y", "X\x82\x81Y"},  // full-width "ａ" stays
      {"\x83\x5C\x95\x5C"
       "abc",
       "\x83\x5C\x95\x5C"
       "ABC"},
      {"\xB1z", "\xB1Z"},  // half-width kana is single-byte
      {"\x81", "\x81"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(MakeUpperString(c.in), c.out) << c.in;
  EXPECT_EQ(MakeUpperString(static_cast<const char*>(nullptr)), "");
}

struct Bounded {
  std::string source;
  std::size_t n;
  std::string kept;
};

TEST(CodePage, CopyToCharBufferNeverSplitsACharacter) {
  const Bounded cases[] = {
      {std::string(40, 'A'), 32, std::string(32, 'A')},
      {"ABCDE", 32, "ABCDE"},
      {std::string(31, 'A') + "\x83\x5C", 32, std::string(31, 'A')},  // would split at 32
      {std::string(30, 'A') + "\x83\x5C"
                              "B",
       32, std::string(30, 'A') + "\x83\x5C"},
      {std::string(31, 'A') + "\x81<", 32, std::string(31, 'A') + "\x81"},  // a lone lead byte is one character
      {"\x83\x5C\x83\x5C\x83\x5C\x83\x5C\x83\x5C\x83\x5C\x83\x5C\x83\x5C\x83\x5C", 16,
       "\x83\x5C\x83\x5C\x83\x5C\x83\x5C\x83\x5C\x83\x5C\x83\x5C\x83\x5C"},
      {"", 16, ""},
  };
  for (const auto& c : cases) {
    char buffer[64];
    std::fill(std::begin(buffer), std::end(buffer), '#');
    CopyToCharBuffer(buffer, c.source, c.n);
    EXPECT_EQ(std::string(buffer), c.kept);
    for (std::size_t i = c.kept.size(); i <= c.n; ++i) EXPECT_EQ(buffer[i], '\0') << i;
    EXPECT_EQ(buffer[c.n + 1], '#');  // nothing written beyond n + 1 bytes
  }
  char small[5];
  CopyToCharBuffer(small, static_cast<const char*>(nullptr), 4);
  EXPECT_EQ(std::string(small, 5), std::string(5, '\0'));
}

}  // namespace
