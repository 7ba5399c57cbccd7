#include "LdfReader.h"
#include "TempLdfFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Token {
  std::string text;
  int line;
  bool operator==(const Token& o) const { return text == o.text && line == o.line; }
};

std::ostream& operator<<(std::ostream& os, const Token& t) { return os << '"' << t.text << "\"@" << t.line; }

// Every word and punctuation token of the text with the line it was read on.
std::vector<Token> AllTokens(const std::string& bytes) {
  TempLdfFile file(bytes);
  CLdfReader reader;
  EXPECT_EQ(reader.Open(file.Path()), 0);
  std::vector<Token> tokens;
  std::string t;
  while (reader.ReadToken(t) == 0) tokens.push_back({t, reader.LineNumber()});
  EXPECT_TRUE(t.empty());
  EXPECT_EQ(reader.ReadToken(t), -1);  // the end stays the end
  return tokens;
}

std::vector<std::string> Texts(const std::vector<Token>& tokens) {
  std::vector<std::string> texts;
  for (const Token& t : tokens) texts.push_back(t.text);
  return texts;
}

struct TokenCase {
  const char* name;
  std::string input;
  std::vector<std::string> expected;
};

class Tokens : public ::testing::TestWithParam<TokenCase> {};

TEST_P(Tokens, SplitAsExpected) { EXPECT_EQ(Texts(AllTokens(GetParam().input)), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(
    Reader, Tokens,
    ::testing::Values(
        TokenCase{"LineCommentAfterBrace", "Signals { // all of them\n  A:1;\n", {"Signals", "{", "A", ":", "1", ";"}},
        TokenCase{"BlockCommentAcrossLines", "a /* one\ntwo\nthree */ b\nc\n", {"a", "b", "c"}},
        TokenCase{"BlockCommentJoinsNeighbours", "ab/* x */cd", {"abcd"}},
        TokenCase{"SlashStarSlashDoesNotClose", "/*/ still */x", {"x"}},
        TokenCase{"CommentRightAfterAClosedOne", "/*a*///b\nc", {"c"}},
        TokenCase{"BlockInsideLineCommentIsNoBlock", "a // /* not\nb */", {"a", "b", "*", "/"}},
        TokenCase{"HexIsOneWord", "0x3C,0X3b", {"0x3C", ",", "0X3b"}},
        TokenCase{"FractionIsThreeTokens", "19.2", {"19", ".", "2"}},
        TokenCase{"NegativeIsTwoTokens", "-20", {"-", "20"}}, TokenCase{"BraceAndSemicolon", "};", {"}", ";"}},
        TokenCase{"TabsAndControlBytes",
                  "\ta\x01\x7f"
                  "b\x0b",
                  {"a", "b"}},
        TokenCase{"HighBytesSeparate", "\x82\xa0name\x81\x5b", {"name", "["}},
        TokenCase{"CrLfLines", "a\r\nb\r\n", {"a", "b"}}, TokenCase{"LoneCrIsASeparator", "a\rb", {"a", "b"}},
        TokenCase{"CtrlZEndsTheFile", "a;\r\n\x1a", {"a", ";"}}, TokenCase{"CtrlZAfterLastToken", "a\x1a", {"a"}},
        TokenCase{"ZeroByteEndsTheLine", std::string("ab\0cd\nef", 8), {"ab", "ef"}},
        TokenCase{"NoLineEndAtTheEnd", "x y", {"x", "y"}}, TokenCase{"OnlyComments", "// a\n/* b\n*/\n", {}}),
    [](const auto& c) { return std::string(c.param.name); });

TEST(Reader, LineNumbersCountEveryLine) {
  std::vector<Token> tokens = AllTokens("a\n\n/* x\n y\n */ b // c\r\n\r\nd");
  std::vector<Token> expected = {{"a", 1}, {"b", 5}, {"d", 7}};
  EXPECT_EQ(tokens, expected);
}

TEST(Reader, LinesLongerThanTheReadBufferStayWhole) {
  // More than the reader's first buffer, so the line is gathered over several reads.
  std::string word(200000, 'q');
  std::string text = "a\r\n" + word + "\r\n" + word + "\r\nb";
  std::vector<Token> tokens = AllTokens(text);
  ASSERT_EQ(tokens.size(), 4u);
  EXPECT_EQ(tokens[1], (Token{word, 2}));
  EXPECT_EQ(tokens[2], (Token{word, 3}));
  EXPECT_EQ(tokens[3], (Token{"b", 4}));
}

struct NumberCase {
  const char* name;
  std::string input;  // read: one token, then a number, then one token
  std::string number;
  std::string after;
};

class Numbers : public ::testing::TestWithParam<NumberCase> {};

TEST_P(Numbers, ReadWhole) {
  const NumberCase& c = GetParam();
  TempLdfFile file(c.input);
  CLdfReader reader;
  ASSERT_EQ(reader.Open(file.Path()), 0);
  std::string t;
  ASSERT_EQ(reader.ReadToken(t), 0);
  ASSERT_EQ(reader.ReadNumber(t), 0);
  EXPECT_EQ(t, c.number);
  ASSERT_EQ(reader.ReadToken(t), 0);
  EXPECT_EQ(t, c.after);
}

INSTANTIATE_TEST_SUITE_P(Reader, Numbers,
                         ::testing::Values(NumberCase{"AfterBlanksAndTabs", ", \t \t0.500, x", "0.500", ","},
                                           NumberCase{"NegativeWithExponent", ",-1.25e-3;", "-1.25e-3", ";"},
                                           NumberCase{"ExponentLettersOfBothKinds", ",1E+5D2 ;", "1E+5D2", ";"},
                                           NumberCase{"HexReadsAsItsZero", ",0x10;", "0", "x10"},
                                           NumberCase{"NumberOnTheNextLine", ",\n\n  7;", "7", ";"},
                                           NumberCase{"NumberEndsWithTheLine", ",12\n;", "12", ";"},
                                           NumberCase{"AnyFirstCharacterStarts", ",abc", "a", "bc"},
                                           NumberCase{"CommentJustBehind", ",3/*x*/;", "3", ";"}),
                         [](const auto& c) { return std::string(c.param.name); });

TEST(Reader, ReadUntil) {
  TempLdfFile file("a b c\r\nd\n\"\"");
  CLdfReader reader;
  ASSERT_EQ(reader.Open(file.Path()), 0);
  std::string t;
  std::vector<std::string> seen;
  auto token = [&] {
    reader.ReadToken(t);
    seen.push_back(t);
  };
  auto until = [&](char d) {
    EXPECT_EQ(reader.ReadUntil(t, d), 0);
    seen.push_back(t);
  };
  token();
  until(';');  // no delimiter: the rest of the line, its CR LF arriving as LF
  token();
  token();
  until('"');  // empty text between two quotes; the delimiter is read next
  token();
  until('"');  // at the end of the last line: empty, not the end of the file
  std::vector<std::string> expected = {"a", " b c\n", "d", "\"", "", "\"", ""};
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(reader.ReadToken(t), -1);
  EXPECT_EQ(reader.ReadUntil(t, '"'), -1);
}

TEST(Reader, OpenAndCloseResults) {
  CLdfReader reader;
  EXPECT_EQ(reader.Close(), -1);
  EXPECT_EQ(reader.Open("/nonexistent/folder/x.ldf"), -1);
  EXPECT_EQ(reader.Open("/tmp"), -1);  // a folder
  TempLdfFile file("a");
  ASSERT_EQ(reader.Open(file.Path()), 0);
  EXPECT_EQ(reader.Open(file.Path()), -1);  // already open
  EXPECT_EQ(reader.Close(), 0);
  EXPECT_EQ(reader.Close(), -1);
  std::string t;
  EXPECT_EQ(reader.ReadToken(t), -1);  // closed
}

}  // namespace
