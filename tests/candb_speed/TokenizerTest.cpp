// The reader's sixteen-bytes-at-a-time quote scan against its byte walk:
// whether a quoted string is still open at a line's end, on random lines of
// quotes, backslashes, letters, double-byte characters and stray bytes.
#include "DbcText.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

std::string RandomLine(std::mt19937& rng, std::size_t maxLen) {
  static const unsigned char kBytes[] = {' ',  ':',  '(',  ')',  '[',  ']',  '\t', '|',  '@',  ',',  '"',  ';',  '\\',
                                         'a',  'Z',  '0',  '9',  '_',  'm',  'M',  '.',  '-',  0x81, 0x83, 0x9F, 0xE0,
                                         0xFC, 0x40, 0x5C, 0x7E, 0x80, 0xA0, 0xDF, 0xFD, 0xFF, '\r', '\n'};
  std::string s(rng() % (maxLen + 1), 'x');
  for (char& c : s) c = static_cast<char>(kBytes[rng() % sizeof kBytes]);
  return s;
}

bool ReferenceStillInString(const std::string& line, bool inString) {
  for (std::size_t i = 0; i < line.size();) {
    auto c = static_cast<unsigned char>(line[i]);
    if (c == '"') {
      inString = !inString;
      ++i;
    } else if (inString && c == '\\' && i + 1 < line.size()) {
      i += 1 + cp932::CharLength(line, i + 1);
    } else {
      i += cp932::CharLength(line, i);
    }
  }
  return inString;
}

}  // namespace

TEST(ReaderTokenizer, QuoteStateMatchesTheByteWalk) {
  std::mt19937 rng(23);
  for (int k = 0; k < 20000; ++k) {
    std::string line = RandomLine(rng, k % 2 ? 200 : 40);
    if (k % 3 == 0)  // no backslash: the counting path alone
      for (char& c : line)
        if (c == '\\') c = '"';
    // As the reader holds it: quotes and backslashes of the next line right
    // behind it, then the slack.
    const std::string held = line + "\"\\\"\\\"\\\"\\\"\\\"\\\"\\\"\\" + std::string(dbc::kReadSlack, '\0');
    for (bool open : {false, true})
      ASSERT_EQ(dbc::StillInString(held.data(), held.data() + line.size(), open), ReferenceStillInString(line, open))
          << k;
  }
}

TEST(ReaderTokenizer, LineTokensMatchTheByteWalk) {
  std::mt19937 rng(29);
  for (int k = 0; k < 20000; ++k) {
    const std::string line = RandomLine(rng, k % 2 ? 80 : 20);
    // The next line's bytes behind the terminating zero, then the slack.
    const std::string held = line + '\0' + RandomLine(rng, 40) + std::string(dbc::kReadSlack, '\0');
    const char* walk = held.data();
    const char* blocks = held.data();
    for (int n = 0; n < 40; ++n) {
      std::string_view expected{"unchanged"}, got{"unchanged"};
      const bool more = dbc::NextToken(walk, dbc::kLineSeps, expected);
      ASSERT_EQ(dbc::NextLineToken(blocks, got), more) << k;
      ASSERT_EQ(blocks, walk) << k;
      ASSERT_EQ(got.data(), expected.data()) << k;
      ASSERT_EQ(got.size(), expected.size()) << k;
      if (!more) break;
    }
  }
}
