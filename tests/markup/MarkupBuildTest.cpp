#include "MarkupTestAccess.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// After an insertion the maintained index must describe the new text exactly
// as a fresh parse of that text does.
void ExpectIndexMatchesFreshParse(const CMarkup& built, const std::string& step) {
  bool linksOk = false;
  std::vector<IndexedElement> kept = CMarkupTestAccess::Tree(built, &linksOk);
  EXPECT_TRUE(linksOk) << step;
  CMarkup fresh;
  ASSERT_TRUE(fresh.SetDocument(built.GetDoc().c_str())) << step << "\n" << built.GetDoc();
  EXPECT_EQ(kept, CMarkupTestAccess::Tree(fresh)) << step << "\n" << built.GetDoc();
}

struct Op {
  enum Kind { Insert, Enter, Leave, Find } kind;
  const char* name = nullptr;
  const char* value = nullptr;
  bool before = false;
  bool child = false;
};

Op Ins(const char* name, const char* value = nullptr, bool child = true, bool before = false) {
  return {Op::Insert, name, value, before, child};
}
Op Enter() { return {Op::Enter}; }
Op Leave() { return {Op::Leave}; }
Op Find(const char* name) { return {Op::Find, name}; }

struct BuildCase {
  const char* label;
  const char* start;  // parsed first; null starts from an empty document
  std::vector<Op> ops;
  const char* expected;  // the final text; null when only the index is checked
  friend void PrintTo(const BuildCase& c, std::ostream* os) { *os << c.label; }
};

class MarkupBuild : public ::testing::TestWithParam<BuildCase> {};

TEST_P(MarkupBuild, IndexFollowsEveryInsertion) {
  const BuildCase& c = GetParam();
  CMarkup m;
  if (c.start) {
    ASSERT_TRUE(m.SetDocument(c.start));
  }
  int step = 0;
  for (const Op& op : c.ops) {
    std::string where = std::string(c.label) + " step " + std::to_string(++step);
    switch (op.kind) {
      case Op::Insert: {
        ASSERT_TRUE(m.InsertElement(op.name, op.value, op.before, op.child)) << where;
        ExpectIndexMatchesFreshParse(m, where);
        break;
      }
      case Op::Enter: {
        ASSERT_TRUE(m.EnterElement()) << where;
        break;
      }
      case Op::Leave: {
        ASSERT_TRUE(m.LeaveElement()) << where;
        break;
      }
      case Op::Find: {
        ASSERT_TRUE(m.FindChildElement(op.name)) << where;
        break;
      }
    }
  }
  if (c.expected) {
    EXPECT_EQ(m.GetDoc(), c.expected);
  }
}

const BuildCase kBuildCases[] = {
    {"SettingsLike",
     nullptr,
     {Ins("Root", nullptr, false), Ins("Version", "1.2"), Ins("Window"), Enter(), Ins("Left", "0"), Ins("Top", "5"),
      Leave(), Ins("ShowCmd", "1"), Ins("KeyWords"), Enter(), Ins("KeyWord00", "a&b"), Ins("KeyWord01", "<x>"),
      Leave()},
     "<Root>\r\n<Version>1.2</Version>\r\n<Window>\r\n<Left>0</Left>\r\n<Top>5</Top>\r\n</Window>\r\n"
     "<ShowCmd>1</ShowCmd>\r\n<KeyWords>\r\n<KeyWord00>a&amp;b</KeyWord00>\r\n<KeyWord01>&lt;x&gt;</KeyWord01>\r\n"
     "</KeyWords>\r\n</Root>\r\n"},
    {"EmptyFormParentTwoChildren",
     nullptr,
     {Ins("P", nullptr, false), Ins("A", "1"), Ins("B")},
     "<P>\r\n<A>1</A>\r\n<B/>\r\n</P>\r\n"},
    {"EmptyValueIsEmptyForm",
     nullptr,
     {Ins("P", "", false), Ins("A", ""), Ins("B", "x")},
     "<P>\r\n<A/>\r\n<B>x</B>\r\n</P>\r\n"},
    {"EmptyFormWithSpaceAndAttribute", "<R><P a='1' /></R>", {Find("P"), Enter(), Ins("A", "v"), Ins("B")}, nullptr},
    {"EmptyContentParent", "<R><P></P><Q/></R>", {Find("P"), Enter(), Ins("X", "1"), Ins("Y")}, nullptr},
    {"EmptyContentSiblingOfParsed", "<R><P></P><Q/></R>", {Find("P"), Ins("X", "1"), Ins("Y")}, nullptr},
    {"EmptyContentParentExact",
     "<R><P></P></R>",
     {Find("P"), Enter(), Ins("X", "1")},
     "<R><P>\r\n<X>1</X>\r\n</P></R>"},
    {"DeepWriterNesting",
     nullptr,
     {Ins("A", nullptr, false), Ins("B"), Enter(), Ins("C"), Enter(), Ins("D", "d"), Ins("E"), Enter(), Ins("F", "f"),
      Leave(), Leave(), Ins("G", "g"), Leave(), Ins("H", "h")},
     nullptr},
    {"IntoParsedDocumentMiddle",
     "<?xml version='1.0'?>\r\n<!-- c -->\r\n<R>\r\n  <A>1</A>\r\n  <B>\r\n    <C/>\r\n  </B>\r\n  "
     "<D>4</D>\r\n</R>\r\n",
     {Find("A"), Ins("A2", "x"), Find("B"), Enter(), Find("C"), Ins("C2", "y"), Leave(), Ins("B2")},
     nullptr},
    {"InsertBeforeFirstAndMiddle",
     "<R><A/><B/></R>",
     {Find("B"), Ins("Z", "z", true, true), Ins("Y", nullptr, true, true), Enter(), Ins("Y1", "1"), Leave()},
     nullptr},
    {"InsertBeforeWithoutCurrentChild",
     "<R>\r\n<S>\r\n<A/>\r\n</S>\r\n</R>",
     {Find("S"), Enter(), Ins("Q", "1", true, true)},
     "<R>\r\n<S>\r\n<Q>1</Q>\r\n<A/>\r\n</S>\r\n</R>"},
    {"SiblingOfCurrentElement",
     "<R><A/><B>b</B></R>",
     {Find("A"), Enter(), Ins("A1", "1", false), Ins("A2", "2", false)},
     nullptr},
    {"ContentTextAndComment", "<R>text<!-- <X> --><A>a</A>tail</R>", {Find("A"), Ins("N", "n")}, nullptr},
    {"MultibyteNamesAndValues",
     nullptr,
     {Ins("\x83\x5C\x95\x5C", nullptr, false), Ins("\x83\x5C", "\x95\x5C\\~\xB1"), Ins("K", "\x81")},
     "<\x83\x5C\x95\x5C>\r\n<\x83\x5C>\x95\x5C\\~\xB1</\x83\x5C>\r\n<K>\x81</K>\r\n</\x83\x5C\x95\x5C>\r\n"},
};

INSTANTIATE_TEST_SUITE_P(Cases, MarkupBuild, ::testing::ValuesIn(kBuildCases),
                         [](const auto& c) { return std::string(c.param.label); });

TEST(MarkupBuildRules, OnlyOneTopLevelElement) {
  for (const char* start : {static_cast<const char*>(nullptr), ""}) {
    CMarkup m;
    EXPECT_FALSE(m.SetDocument(start));
    EXPECT_TRUE(m.InsertElement("A", nullptr, false, false));
    EXPECT_FALSE(m.InsertElement("B", nullptr, false, false));
    EXPECT_FALSE(m.InsertElement("B", nullptr, true, false));
    EXPECT_EQ(m.GetDoc(), "<A/>\r\n");
  }
  CMarkup parsed;
  ASSERT_TRUE(parsed.SetDocument("<A/>"));
  EXPECT_FALSE(parsed.InsertElement("B", "1", false, false));
  EXPECT_EQ(parsed.GetDoc(), "<A/>");
}

TEST(MarkupBuildRules, ChildNeedsCurrentElement) {
  CMarkup m;
  EXPECT_FALSE(m.InsertElement("A", "1", false, true));
  ASSERT_TRUE(m.SetDocument("<R><A/></R>"));
  EXPECT_FALSE(m.InsertElement("X", "1", false, true));  // nothing current after a parse
  EXPECT_FALSE(m.InsertElement(nullptr, "1", false, false));
  EXPECT_FALSE(m.InsertElement("", "1", false, false));
  EXPECT_EQ(m.GetDoc(), "<R><A/></R>");
}

TEST(MarkupBuildRules, BuiltValuesReadBack) {
  const char* values[] = {"a<b", "&amp;", "x>y", "'\"", "\x83\x5C\x95\x5C", "  spaced  "};
  CMarkup m;
  ASSERT_TRUE(m.InsertElement("R", nullptr, false, false));
  for (const char* v : values) ASSERT_TRUE(m.InsertElement("V", v, false, true));
  CMarkup r;
  ASSERT_TRUE(r.SetDocument(m.GetDoc().c_str()));
  for (const char* v : values) {
    ASSERT_TRUE(r.FindChildElement("V"));
    EXPECT_EQ(r.GetChildText(), v);
  }
  EXPECT_FALSE(r.FindChildElement("V"));
}

TEST(MarkupBuildRules, NestingBeyondTheLimitIsRefused) {
  CMarkup m;
  ASSERT_TRUE(m.InsertElement("E", nullptr, false, false));
  int depth = 1;
  while (m.InsertElement("E", nullptr, false, true)) {
    ASSERT_TRUE(m.EnterElement());
    ++depth;
    ASSERT_LE(depth, CMarkup::kMaxDepth);
  }
  EXPECT_EQ(depth, CMarkup::kMaxDepth);
  CMarkup r;
  EXPECT_TRUE(r.SetDocument(m.GetDoc().c_str()));
}

}  // namespace

namespace {

// A malformed start tag may read back differently once its element has
// children, but the index must still describe the text it changed.
TEST(MarkupBuildRules, IndexStaysTrueInsideMalformedStartTags) {
  const char* docs[] = {"<R><P a//></R>", "<R><>x/></R>", "<R><\x0B\t/></R>", "<R><P a='/>'/></R>"};
  for (const char* doc : docs) {
    CMarkup m;
    ASSERT_TRUE(m.SetDocument(doc)) << doc;
    ASSERT_TRUE(m.FindChildElement(nullptr)) << doc;
    ASSERT_TRUE(m.EnterElement()) << doc;
    ASSERT_TRUE(m.InsertElement("A", "1", false, false)) << doc;
    ASSERT_TRUE(m.InsertElement("B", nullptr, true, false)) << doc;
    EXPECT_TRUE(CMarkupTestAccess::Consistent(m)) << m.GetDoc();
  }
}

}  // namespace
