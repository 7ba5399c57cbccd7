// The LOGIC dialog's model: groups, the shared bit count and its refit, and
// the OK checks; a refusal leaves the group as it was.
#include "LogicDlgModel.h"
#include "ModelTestUtil.h"

using namespace mtest;
using namespace dlgids;

namespace {

struct LogicDlg {
  CVestrelDoc doc;
  CLogicDlgModel model;
  _LOGICSignal fresh;

  _LOGICGroup* Groups() { return doc.GetLogicGroup(LIST_DEFINITION, 0); }
  _LOGICGroup& G(int i) { return *doc.GetLogicGroup(LIST_DEFINITION, i); }
  _LOGICSignal* Add(int group, const char* name, const char* pattern) {
    _LOGICSignal* s = doc.AllocLogicSignal();
    CopyToCharBuffer(s->name, name, MAX_LOGIC_NAME_LEN);
    CopyToCharBuffer(s->pattern, pattern, MAX_LOGIC_BITS);
    G(group).bitCount = static_cast<uint8_t>(std::string(pattern).size());
    doc.AddLogicSignal(LIST_DEFINITION, group, s);
    return s;
  }
  void OpenNew(int group) {
    model.SetMode(DLGMODE_NEW);
    model.SetGroups(Groups());
    model.SetSymbol(&fresh);
    model.SetGroupIndex(group);
    model.Open();
  }
  void OpenEdit(int group, const char* name) {
    model.SetMode(DLGMODE_EDIT);
    model.SetGroups(Groups());
    model.SetSymbol(G(group).symbols.Find(MakeUpperString(std::string(name))));
    model.SetGroupIndex(group);
    model.Open();
  }
  std::string Pattern(int group, const char* name) {
    return G(group).symbols.Find(MakeUpperString(std::string(name)))->pattern;
  }
};

// The group's other patterns are refitted by the pattern field's own rule:
// bit 0 stays rightmost, so bit k means the same channel before and after.
TEST(LogicModel, RefitFourToSixToTwo) {
  LogicDlg d;
  d.Add(0, "P", "0101");
  d.Add(0, "Q", "1xx0");
  d.OpenEdit(0, "P");
  d.model.CommitBitCount(6);
  EXPECT_EQ(d.model.Pattern(), "XX0101");  // the field pads on the left
  ScriptedPrompt p;
  ASSERT_EQ(d.model.Ok(p), DLG_OK_CLOSE);
  EXPECT_EQ(p.ids, std::vector<int>{IDS_ASK_GROUP_BITS});
  EXPECT_EQ(d.G(0).bitCount, 6);
  EXPECT_EQ(d.Pattern(0, "Q"), "XX1xx0");
  EXPECT_EQ(d.Pattern(0, "P"), "XX0101");  // its own field's value
  EXPECT_EQ(d.model.RefittedSymbols().size(), 1u);
  EXPECT_TRUE(d.model.Modified());

  LogicDlg e;
  e.Add(0, "P", "XX0101");
  e.Add(0, "Q", "XX1xx0");
  e.OpenEdit(0, "Q");
  e.model.CommitBitCount(2);
  ScriptedPrompt q;
  ASSERT_EQ(e.model.Ok(q), DLG_OK_CLOSE);
  EXPECT_EQ(e.Pattern(0, "P"), "01");
  EXPECT_EQ(e.Pattern(0, "Q"), "X0");
  EXPECT_EQ(e.G(0).bitCount, 2);
}

TEST(LogicModel, RefitPatternFollowsTheField) {
  struct Case {
    const char* pattern;
    int bits;
    const char* want;
  } cases[] = {
      {"1100", 2, "00"},     {"0011", 2, "11"},    {"1010", 2, "10"},   {"1xx0XX", 2, "XX"},
      {"0101", 6, "XX0101"}, {"1xx0", 5, "X1xx0"}, {"0101", 4, "0101"}, {"01", 0, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RefitPattern(c.pattern, c.bits), c.want) << c.pattern << " to " << c.bits;
    ctl::BitPattern field;
    field.SetPatternText(c.pattern);
    field.SetBitCount(static_cast<int>(std::string(c.pattern).size()));
    field.SetBitCount(c.bits);
    if (c.bits > 0) {
      EXPECT_TRUE(SamePattern(field.Pattern(), c.want)) << c.pattern << " to " << c.bits;
    }
  }
}

TEST(LogicModel, TheQuestionOnlyWhenOthersChange) {
  struct Case {
    const char* what;
    bool isNew;
    int symbols;  // already in group 0
    bool asked;
  } cases[] = {
      {"single symbol edited", false, 1, false},
      {"two symbols edited", false, 2, true},
      {"new symbol beside one other", true, 1, true},
      {"new symbol into an empty group", true, 0, false},
  };
  for (const auto& c : cases) {
    LogicDlg d;
    const char* names[] = {"P", "Q"};
    const char* patterns[] = {"0101", "1100"};
    for (int i = 0; i < c.symbols; ++i) d.Add(0, names[i], patterns[i]);
    if (c.isNew) {
      d.OpenNew(0);
      d.model.name = "N";
    } else {
      d.OpenEdit(0, "P");
    }
    d.model.CommitBitCount(5);
    d.model.CommitPattern("00111");
    ScriptedPrompt p;
    EXPECT_EQ(d.model.Ok(p), DLG_OK_CLOSE) << c.what;
    EXPECT_EQ(!p.ids.empty() && p.ids[0] == IDS_ASK_GROUP_BITS, c.asked) << c.what;
    EXPECT_EQ(d.G(0).bitCount, 5) << c.what;
  }
}

TEST(LogicModel, RefusalsLeaveTheGroupAsItWas) {
  // No to the question.
  LogicDlg d;
  d.Add(0, "P", "0101");
  d.Add(0, "Q", "1100");
  d.OpenEdit(0, "P");
  d.model.CommitBitCount(6);
  ScriptedPrompt p;
  p.answers = {false};
  EXPECT_EQ(d.model.Ok(p), IDC_LOGIC_BITS);
  EXPECT_EQ(d.G(0).bitCount, 4);
  EXPECT_EQ(d.Pattern(0, "Q"), "1100");
  EXPECT_FALSE(d.model.Modified());

  // Yes, then a pattern that equals Q's refitted one.
  LogicDlg e;
  e.Add(0, "P", "0101");
  e.Add(0, "Q", "1100");
  e.OpenEdit(0, "P");
  e.model.CommitBitCount(6);
  e.model.CommitPattern("xx1100");
  ScriptedPrompt q;
  EXPECT_EQ(e.model.Ok(q), IDC_PATTERN_BIN);
  EXPECT_EQ(q.ids, (std::vector<int>{IDS_ASK_GROUP_BITS, IDS_MSG_SAME_PATTERN}));
  EXPECT_EQ(e.G(0).bitCount, 4);
  EXPECT_EQ(e.Pattern(0, "Q"), "1100");
  EXPECT_EQ(e.Pattern(0, "P"), "0101");
}

TEST(LogicModel, OkChecks) {
  struct Case {
    const char* what;
    bool isNew;
    int group;
    const char* name;
    const char* pattern;
    int message;
    int focus;
  } cases[] = {
      {"new, valid", true, 0, "N", "0011", 0, DLG_OK_CLOSE},
      {"new, empty name", true, 0, "", "0011", IDS_MSG_NAME_EMPTY, IDC_SYMBOL_NAME},
      {"new, name taken", true, 0, "p", "0011", IDS_MSG_SYMBOL_DEFINED, IDC_SYMBOL_NAME},
      {"new, same pattern", true, 0, "N", "0101", IDS_MSG_SAME_PATTERN, IDC_PATTERN_BIN},
      {"new, x and X are the same", true, 0, "N", "1XX0", IDS_MSG_SAME_PATTERN, IDC_PATTERN_BIN},
      {"new into another group", true, 1, "P", "0101", 0, DLG_OK_CLOSE},
      {"edit, unchanged", false, 0, "P", "0101", 0, DLG_OK_CLOSE},
      {"edit, case-only rename", false, 0, "p", "0101", IDS_MSG_SYMBOL_DEFINED, IDC_SYMBOL_NAME},
      {"edit, other's name", false, 0, "Q", "0101", IDS_MSG_SYMBOL_DEFINED, IDC_SYMBOL_NAME},
      {"edit, other's pattern", false, 0, "P", "1xx0", IDS_MSG_SAME_PATTERN, IDC_PATTERN_BIN},
      // Two rules broken at once: the earlier check speaks.
      {"new, empty name before the same pattern", true, 0, "", "0101", IDS_MSG_NAME_EMPTY, IDC_SYMBOL_NAME},
      {"new, name taken before the same pattern", true, 0, "q", "0101", IDS_MSG_SYMBOL_DEFINED, IDC_SYMBOL_NAME},
  };
  for (const auto& c : cases) {
    LogicDlg d;
    d.Add(0, "P", "0101");
    d.Add(0, "Q", "1xx0");
    if (c.isNew) {
      d.OpenNew(0);
    } else {
      d.OpenEdit(0, "P");
    }
    d.model.SelectGroup(c.group);
    d.model.name = c.name;
    d.model.CommitBitCount(4);
    d.model.CommitPattern(c.pattern);
    ScriptedPrompt p;
    EXPECT_EQ(d.model.Ok(p), c.focus) << c.what;
    EXPECT_EQ(p.Last(), c.message) << c.what;
    if (c.message) {
      EXPECT_FALSE(d.model.Modified()) << c.what;
    }
  }
}

TEST(LogicModel, FullGroupRefusesOnlyNewcomers) {
  LogicDlg d;
  for (int i = 0; i < MAX_LOGIC_GROUP_SYMBOLS; ++i) {
    std::string bits;
    for (int b = 6; b >= 0; --b) bits += (i >> b & 1) ? '1' : '0';
    d.Add(2, ("S" + std::to_string(i)).c_str(), bits.c_str());
  }
  d.OpenNew(2);
  d.model.name = "NEW";
  ScriptedPrompt p;
  EXPECT_EQ(d.model.Ok(p), DLG_OK_STAY);
  ASSERT_EQ(p.ids, std::vector<int>{IDS_MSG_TOO_MANY});
  EXPECT_EQ(p.args[0][0].Number(), 100);

  LogicDlg e;
  for (int i = 0; i < MAX_LOGIC_GROUP_SYMBOLS; ++i) {
    std::string bits;
    for (int b = 6; b >= 0; --b) bits += (i >> b & 1) ? '1' : '0';
    e.Add(2, ("S" + std::to_string(i)).c_str(), bits.c_str());
  }
  e.OpenEdit(2, "S5");
  e.model.name = "S5B";
  ScriptedPrompt q;
  EXPECT_EQ(e.model.Ok(q), DLG_OK_CLOSE);
  EXPECT_TRUE(q.ids.empty());
  EXPECT_TRUE(e.model.Modified());
}

TEST(LogicModel, GroupChoiceBringsItsBitCount) {
  LogicDlg d;
  d.Add(0, "P", "0101");
  d.Add(3, "W", "10101010");
  d.OpenEdit(0, "P");
  EXPECT_EQ(d.model.bitCount, 4);
  d.model.SelectGroup(3);
  EXPECT_EQ(d.model.bitCount, 8);
  EXPECT_EQ(d.model.Pattern(), "XXXX0101");
  d.model.SelectGroup(4);  // never used: bit count 0 shows as 1
  EXPECT_EQ(d.model.bitCount, 1);
  EXPECT_EQ(d.model.Pattern(), "1");
  d.model.SelectGroup(9);  // no such group
  EXPECT_EQ(d.model.group, 4);
  ScriptedPrompt p;
  ASSERT_EQ(d.model.Ok(p), DLG_OK_CLOSE);
  EXPECT_EQ(d.model.GroupIndex(), 4);
  EXPECT_EQ(d.G(4).bitCount, 1);
}

TEST(LogicModel, BinaryAndHexInStep) {
  struct Case {
    int bits;
    const char* binary;  // committed in the binary field, or
    const char* hex;     // in the hexadecimal one
    const char* wantBinary;
    const char* wantHex;
  } cases[] = {
      {8, "1010x", nullptr, "XXX1010X", "$$"}, {8, "1010", nullptr, "XXXX1010", "XA"},
      {8, nullptr, "a5", "10100101", "A5"},    {6, nullptr, "F5", "110101", "35"},
      {6, "1x0101", nullptr, "1X0101", "$5"},
  };
  for (const auto& c : cases) {
    LogicDlg d;
    d.OpenNew(0);
    d.model.CommitBitCount(c.bits);
    if (c.binary) d.model.CommitPattern(c.binary);
    if (c.hex) d.model.CommitHexText(c.hex);
    EXPECT_EQ(d.model.Pattern(), c.wantBinary);
    EXPECT_EQ(d.model.HexText(), c.wantHex);
  }
}

TEST(LogicModel, ViewModeClosesWithoutChecks) {
  LogicDlg d;
  d.Add(0, "P", "0101");
  d.model.SetMode(DLGMODE_VIEW);
  d.model.SetGroups(d.Groups());
  d.model.SetSymbol(d.G(0).symbols.Find("P"));
  d.model.Open();
  d.model.name = "";
  ScriptedPrompt p;
  EXPECT_EQ(d.model.Ok(p), DLG_OK_CLOSE);
  EXPECT_TRUE(p.ids.empty());
  EXPECT_STREQ(d.G(0).symbols.Find("P")->name, "P");
}

}  // namespace
