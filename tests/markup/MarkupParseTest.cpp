#include "MarkupTestAccess.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct ParseCase {
  const char* label;
  std::string text;
  bool ok;
  const char* error;  // the error text on failure
  friend void PrintTo(const ParseCase& c, std::ostream* os) { *os << c.label; }
};

class MarkupParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(MarkupParse, ResultAndErrorText) {
  const ParseCase& c = GetParam();
  CMarkup m;
  EXPECT_EQ(m.SetDocument(c.text), c.ok);
  if (!c.ok) {
    EXPECT_EQ(m.GetError(), c.error);
    // A failed parse leaves an empty document that keeps the text.
    EXPECT_EQ(m.GetDoc(), c.text);
    EXPECT_FALSE(m.FindChildElement(nullptr));
    EXPECT_TRUE(CMarkupTestAccess::Tree(m).empty());
  }
}

const ParseCase kParseCases[] = {
    {"Plain", "<A><B>1</B></A>", true, ""},
    {"DeclarationCommentDoctype",
     "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n<!-- head -->\r\n"
     "<!DOCTYPE A [ <!ELEMENT A ANY> <!ENTITY e 'x>y'> ]>\r\n<A/>",
     true, ""},
    {"TextAfterTopLevelIgnored", "<A/>trailing <B> </C>", true, ""},
    {"SecondTopLevelIgnored", "<A/><B/>", true, ""},
    {"AttributesSkipped", "<A x=\"1\" y='/>'><B k=v/></A>", true, ""},
    {"SpacesInEndTag", "<A></A  >", true, ""},
    {"Empty", "", false, ""},
    {"NoTag", "just text", false, "Element tag not found"},
    {"AbruptEnd", "<A>text<", false, "Abrupt end within tag"},
    {"QuotedTag", "<'A'>", false, "Tag starts with quote"},
    {"UnterminatedComment", "<!-- never closed <A/>", false, "Invalid node"},
    {"UnterminatedPi", "<?xml <A/>", false, "Invalid node"},
    {"ShortSpecial", "<A><!", false, "Invalid node"},
    {"NoTagEnd", "<A", false, "End of tag not found"},
    {"NoEndTag", "<A>", false, "End tag of A element not found"},
    {"NoEndTagNested", "<A><B>x", false, "End tag of B element not found"},
    {"NoEndTagAfterComment", "<A><!--c-->", false, "End tag of A element not found"},
    {"NoEndTagAfterPi", "<A>x<?p?>", false, "End tag of A element not found"},
    {"NoEndTagAfterCdata", "<A><B/><![CDATA[x]]>", false, "End tag of A element not found"},
    {"NoEndTagAfterDoctype", "<A><!DOCTYPE x>\r\n", false, "End tag of A element not found"},
    {"WrongEndTag", "<A></B>", false, "End tag does not correspond to A"},
    {"EndTagPrefixOnly", "<AB></A>", false, "End tag does not correspond to AB"},
    {"EndTagLonger", "<A></AB>", false, "End tag does not correspond to A"},
    {"EndTagCut", "<A></A", false, "End tag not completed for element A"},
    {"EndTagNoName", "<A></>", false, "End tag does not correspond to A"},
    {"EndTagFirst", "</A>", false, "Element tag not found"},
};

INSTANTIATE_TEST_SUITE_P(Cases, MarkupParse, ::testing::ValuesIn(kParseCases),
                         [](const auto& c) { return std::string(c.param.label); });

TEST(MarkupParseRules, ErrorTextSurvivesLaterSuccess) {
  CMarkup m;
  EXPECT_FALSE(m.SetDocument("<A>"));
  EXPECT_TRUE(m.SetDocument("<A/>"));
  EXPECT_EQ(m.GetError(), "End tag of A element not found");
}

TEST(MarkupNavigation, SpecialNodesSkippedWhereverTheyStand) {
  CMarkup m;
  ASSERT_TRUE(
      m.SetDocument("<?xml version='1.0'?><!DOCTYPE R><R><!-- <A>x</A> --><?pi <B/>?>"
                    "<A>1</A><![CDATA[<B>no</B>]]><B>2</B></R>"));
  ASSERT_TRUE(m.FindChildElement("A"));
  EXPECT_EQ(m.GetChildText(), "1");
  ASSERT_TRUE(m.FindChildElement("B"));
  EXPECT_EQ(m.GetChildText(), "2");
  EXPECT_FALSE(m.FindChildElement(nullptr));
}

TEST(MarkupNavigation, ForwardOnlySearch) {
  const char* doc = "<R><A>a</A><B>b</B></R>";
  CMarkup m;
  ASSERT_TRUE(m.SetDocument(doc));
  EXPECT_TRUE(m.FindChildElement("B"));
  EXPECT_FALSE(m.FindChildElement("A"));
  EXPECT_EQ(m.GetChildName(), "B");  // a failed search does not move
  ASSERT_TRUE(m.SetDocument(doc));
  EXPECT_TRUE(m.FindChildElement("A"));
  EXPECT_TRUE(m.FindChildElement("B"));
  EXPECT_EQ(m.GetChildText(), "b");
}

struct NameCase {
  const char* doc;
  const char* wanted;
  bool found;
  friend void PrintTo(const NameCase& c, std::ostream* os) {
    *os << c.doc << " / " << (c.wanted ? c.wanted : "(null)");
  }
};

class MarkupNameMatch : public ::testing::TestWithParam<NameCase> {};

TEST_P(MarkupNameMatch, TagNameAgainstSearchName) {
  CMarkup m;
  ASSERT_TRUE(m.SetDocument(GetParam().doc));
  EXPECT_EQ(m.FindChildElement(GetParam().wanted), GetParam().found) << GetParam().doc << " / " << GetParam().wanted;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MarkupNameMatch,
    ::testing::Values(NameCase{"<R><GroupEx/></R>", "Group", false}, NameCase{"<R><Group/></R>", "GroupEx", false},
                      NameCase{"<R><GroupEx/></R>", "GroupEx", true}, NameCase{"<R><Group a='1'/></R>", "Group", true},
                      NameCase{"<R><group/></R>", "Group", false},
                      // the search name may carry a delimiter after the tag name
                      NameCase{"<R><Group/></R>", "Group x", true}, NameCase{"<R><Group/></R>", "Group=1", true},
                      NameCase{"<R><Group/></R>", "Group/", true}, NameCase{"<R><Group/></R>", "Group[", true},
                      NameCase{"<R><Group/></R>", "Group.", false}, NameCase{"<R><Group/></R>", "", true},
                      NameCase{"<R><Group/></R>", nullptr, true}, NameCase{"<R/>", nullptr, false}));

TEST(MarkupNavigation, EnterAndLeave) {
  CMarkup m;
  EXPECT_FALSE(m.EnterElement());
  EXPECT_FALSE(m.LeaveElement());
  ASSERT_TRUE(m.SetDocument("<R><W><L>1</L><T>2</T></W><S>3</S></R>"));
  EXPECT_FALSE(m.EnterElement());  // no current element yet
  ASSERT_TRUE(m.FindChildElement("W"));
  EXPECT_EQ(m.GetChildText(), "");  // has children
  ASSERT_TRUE(m.EnterElement());
  ASSERT_TRUE(m.FindChildElement("T"));
  EXPECT_EQ(m.GetChildText(), "2");
  ASSERT_TRUE(m.LeaveElement());
  EXPECT_EQ(m.GetChildName(), "W");
  ASSERT_TRUE(m.FindChildElement("S"));
  EXPECT_EQ(m.GetChildText(), "3");
  ASSERT_TRUE(m.LeaveElement() == false);  // already at the top level
}

struct TextCase {
  const char* label;
  std::string content;
  std::string text;
  friend void PrintTo(const TextCase& c, std::ostream* os) { *os << c.label; }
};

class MarkupChildText : public ::testing::TestWithParam<TextCase> {};

TEST_P(MarkupChildText, Decoded) {
  CMarkup m;
  ASSERT_TRUE(m.SetDocument("<R><V>" + GetParam().content + "</V></R>"));
  ASSERT_TRUE(m.FindChildElement("V"));
  EXPECT_EQ(m.GetChildText(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MarkupChildText,
    ::testing::Values(TextCase{"Amp", "a&amp;b", "a&b"}, TextCase{"All", "&lt;&gt;&amp;&apos;&quot;", "<>&'\""},
                      TextCase{"Unknown", "&nbsp;&amp", "&nbsp;&amp"}, TextCase{"AmpAmp", "&amp;amp;", "&amp;"},
                      TextCase{"CutAtEnd", "x&lt", "x&lt"}, TextCase{"KeepsSpace", "  a b \r\n", "  a b \r\n"},
                      TextCase{"Cdata", " \r\n<![CDATA[a&amp;<b>]]>\r\n ", "a&amp;<b>"},
                      TextCase{"CdataEmpty", "<![CDATA[]]>", ""},
                      TextCase{"CdataTrailByteBracket", "<![CDATA[\x83\x5D]]>", "\x83\x5D"},
                      TextCase{"Multibyte", "\x83\x5C\x95\x5C\\~\xB1", "\x83\x5C\x95\x5C\\~\xB1"},
                      TextCase{"Empty", "", ""}),
    [](const auto& c) { return std::string(c.param.label); });

TEST(MarkupChildTextRules, EmptyFormAndNoChild) {
  CMarkup m;
  EXPECT_EQ(m.GetChildText(), "");
  EXPECT_EQ(m.GetChildName(), "");
  ASSERT_TRUE(m.SetDocument("<R><E/></R>"));
  ASSERT_TRUE(m.FindChildElement("E"));
  EXPECT_EQ(m.GetChildText(), "");
}

// The trail byte of "ソ" and "表" is '\', a token delimiter: it must not end a
// tag name; the trail byte of "ゾ" is ']'.
TEST(MarkupMultibyte, TrailBytesDoNotEndScans) {
  CMarkup m;
  ASSERT_TRUE(m.SetDocument("<R><\x83\x5C\x95\x5C>\x83\x5D</\x83\x5C\x95\x5C><B>b</B></R>"));
  ASSERT_TRUE(m.FindChildElement("\x83\x5C\x95\x5C"));
  EXPECT_EQ(m.GetChildName(), "\x83\x5C\x95\x5C");
  EXPECT_EQ(m.GetChildText(), "\x83\x5D");
  EXPECT_TRUE(m.FindChildElement("B"));
}

// A lead byte followed by something that cannot be a trail byte stands alone:
// it must not swallow the '<' behind it.
TEST(MarkupMultibyte, LoneLeadByteDoesNotSwallowTags) {
  for (const char* lead : {"\x81", "\x9F", "\xE0", "\xFC"}) {
    CMarkup m;
    std::string doc = std::string("<R><A>x") + lead + "</A><B" + lead + ">y</B" + lead + "><C>" + lead + "</C></R>";
    ASSERT_TRUE(m.SetDocument(doc)) << m.GetError();
    ASSERT_TRUE(m.FindChildElement("A"));
    EXPECT_EQ(m.GetChildText(), std::string("x") + lead);
    ASSERT_TRUE(m.FindChildElement(nullptr));
    EXPECT_EQ(m.GetChildName(), std::string("B") + lead);
    ASSERT_TRUE(m.FindChildElement("C"));
    EXPECT_EQ(m.GetChildText(), lead);
  }
  CMarkup end;
  EXPECT_FALSE(end.SetDocument("<R>\x81"));
  EXPECT_EQ(end.GetError(), "End tag of R element not found");
}

std::string Nested(int depth) {
  std::string s;
  for (int i = 0; i < depth; ++i) s += "<E>";
  for (int i = 0; i < depth; ++i) s += "</E>";
  return s;
}

TEST(MarkupDepth, LimitIsAParseError) {
  CMarkup m;
  EXPECT_TRUE(m.SetDocument(Nested(CMarkup::kMaxDepth)));
  EXPECT_FALSE(m.SetDocument(Nested(CMarkup::kMaxDepth + 1)));
  EXPECT_EQ(m.GetError(), "Elements nested too deeply at E");
  // Far beyond the limit: an error, not a stack overflow.
  std::string deep;
  for (int i = 0; i < 1000000; ++i) deep += "<E>";
  EXPECT_FALSE(m.SetDocument(deep));
}

// The index grows in chunks: elements on both sides of every chunk's end
// are found and read, nested ones too, and the index agrees with its links.
TEST(MarkupDocument, ManyElementsAcrossTheIndexChunks) {
  std::string text = "<r>";
  for (int i = 0; i < 20000; ++i) text += "<e><n>" + std::to_string(i) + "</n></e>";
  text += "</r>";
  CMarkup m;
  ASSERT_TRUE(m.SetDocument(std::move(text)));
  EXPECT_TRUE(CMarkupTestAccess::Consistent(m));
  int read = 0;
  bool inOrder = true;
  while (m.FindChildElement("e")) {
    m.EnterElement();
    inOrder = inOrder && m.FindChildElement("n") && m.GetChildText() == std::to_string(read);
    m.LeaveElement();
    ++read;
  }
  EXPECT_EQ(read, 20000);
  EXPECT_TRUE(inOrder);
}

TEST(MarkupDocument, NullAndEmptyTextGiveEmptyDocument) {
  CMarkup m;
  EXPECT_FALSE(m.SetDocument(static_cast<const char*>(nullptr)));
  EXPECT_EQ(m.GetDoc(), "");
  EXPECT_FALSE(m.SetDocument(""));
  EXPECT_FALSE(m.FindChildElement(nullptr));
}

TEST(MarkupEntities, EncodeWithAndWithoutQuotes) {
  EXPECT_EQ(CMarkup::EncodeEntities("a<b&c>'\"", false), "a&lt;b&amp;c&gt;'\"");
  EXPECT_EQ(CMarkup::EncodeEntities("a<b&c>'\"", true), "a&lt;b&amp;c&gt;&apos;&quot;");
  EXPECT_EQ(CMarkup::EncodeEntities("\x83\x5C<", false), "\x83\x5C&lt;");
  const std::string long_(1000, '&');
  EXPECT_EQ(CMarkup::DecodeEntities(CMarkup::EncodeEntities(long_, true)), long_);
}

}  // namespace
