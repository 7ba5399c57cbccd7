// The fast paths of the name helpers give the bytes of the plain code-page
// walk: upper-casing (single-byte a-z only, double-byte characters whole,
// their trail bytes untouched even when they look like letters) and the
// bounded copy into a fixed field (cut at a character boundary, zero-filled).
#include "CodePage.h"
#include "ReferenceText.h"
#include "TextFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

namespace {

using vrtest::ReferenceUpper;

std::string ReferenceCopy(const std::string& source, std::size_t n) {
  std::string out(n + 1, '\0');
  std::size_t len = cp932::CharBoundaryAtOrBefore(source, n);
  out.replace(0, len, source.substr(0, len));
  return out;
}

// Bytes that matter: letters, lead bytes, trail bytes that are letters, and
// high bytes that are neither.
std::string RandomText(std::mt19937& rng, std::size_t maxLen) {
  static const unsigned char kBytes[] = {'a',  'z',  'A',  'm',  '_',  '0',  ' ',  0x81, 0x83, 0x9F, 0xE0,
                                         0xFC, 0x40, 0x61, 0x7A, 0x7E, 0x80, 0xA0, 0xDF, 0xFD, 0x5C, 0xFF};
  std::string s(rng() % (maxLen + 1), ' ');
  for (char& c : s) c = static_cast<char>(kBytes[rng() % sizeof kBytes]);
  return s;
}

}  // namespace

TEST(NameHelpers, UpperCaseMatchesTheCodePageWalk) {
  struct Case {
    std::string in, out;
  };
  const Case cases[] = {
      {"Speed_1", "SPEED_1"},
      {"\x83\x61\x83\x7a", "\x83\x61\x83\x7a"},  // trail bytes 'a' and 'z' stay
      {"a\x83", "A\x83"},                        // a lead byte at the end stands alone
      {"\x83 b", "\x83 B"},                      // a lead byte without its trail
      {"\xA0"
       "abc",
       "\xA0"
       "ABC"},  // a half-width kana byte is one character
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(MakeUpperString(c.in), c.out);
  EXPECT_EQ(MakeUpperString(static_cast<const char*>(nullptr)), "");
  std::mt19937 rng(7);
  for (int k = 0; k < 20000; ++k) {
    std::string text = RandomText(rng, 40);
    std::string want = ReferenceUpper(text);
    ASSERT_EQ(MakeUpperString(text), want);
    ASSERT_EQ(MakeUpperString(text.c_str()), ReferenceUpper(text.c_str()));
    char buffer[48];
    ASSERT_EQ(MakeUpperInto(text, buffer), text.size());
    ASSERT_EQ(std::string(buffer, text.size()), want);
  }
}

TEST(NameHelpers, BoundedCopyMatchesTheCodePageWalk) {
  std::mt19937 rng(11);
  for (int k = 0; k < 20000; ++k) {
    std::string text = RandomText(rng, 70);
    for (std::size_t n : {std::size_t{16}, std::size_t{32}}) {
      std::string want = ReferenceCopy(text, n);
      char dest[40];
      std::memset(dest, 0x55, sizeof dest);
      CopyToCharBuffer(dest, text.c_str(), n);
      ASSERT_EQ(std::string(dest, n + 1), ReferenceCopy(text.c_str(), n));
      ASSERT_EQ(dest[n + 1], 0x55);  // nothing written past the field
      CopyToCharBuffer(dest, text, n);
      ASSERT_EQ(std::string(dest, n + 1), want);
      CopyToCharBuffer(dest, std::string_view(text), n);
      ASSERT_EQ(std::string(dest, n + 1), want);
    }
  }
  char dest[33];
  std::memset(dest, 'x', sizeof dest);
  CopyToCharBuffer(dest, static_cast<const char*>(nullptr), 32);
  EXPECT_EQ(std::string(dest, 33), std::string(33, '\0'));
}
