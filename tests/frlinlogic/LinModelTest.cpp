// The LIN dialog's model: the fixed 64-bit grid, snapping that keeps the
// length, identifier rules and the OK checks.
#include "LinDlgModel.h"
#include "ModelTestUtil.h"

#include <functional>
#include <set>

using namespace mtest;
using namespace dlgids;

namespace {

struct LinDlg {
  CVestrelDoc doc;
  CLinDlgModel model;
  _LINMsg fresh;
  _LINSignal freshSig;

  LinDlg() { AddLin(doc, "F", 12, 8, {{"A", 0, 8}, {"B", 16, 8}}); }
  NameMap<_LINMsg>& Table() { return doc.GetLinMsgTable(LIST_DEFINITION); }
  _LINMsg* Frame(const char* name) { return Table().Find(MakeUpperString(std::string(name))); }
  void OpenNew() {
    model.SetMode(DLGMODE_NEW);
    model.SetTarget(&fresh, &freshSig);
    model.SetMessageMap(&Table());
    model.Open();
  }
  void OpenEdit(const char* frame, const char* sig) {
    _LINMsg* m = Frame(frame);
    model.SetMode(DLGMODE_EDIT);
    model.SetTarget(m, SignalOf(m, sig));
    model.SetMessageMap(&Table());
    model.SetEditedSignalName(sig);
    model.Open();
  }
  void FillValidNew() {
    auto& v = model.Values();
    v.msgName = "G";
    v.id = 13;
    v.signalName = "X";
    model.CommitByteCount(4);
    v.startBit = 8;
    v.bitCount = 8;
  }
};

TEST(LinModel, ByteCountAndLabels) {
  LinDlg d;
  d.OpenNew();
  EXPECT_EQ(d.model.Values().signalName, "NoName");
  d.model.CommitByteCount(9);
  EXPECT_EQ(d.model.Values().byteCount, 8);
  d.model.CommitByteCount(3);
  std::vector<std::string> labels{"0", "16", "Bit", "", ""};
  for (int r = 0; r < 5; ++r) {
    EXPECT_EQ(d.model.Label(r).text, labels[r]) << r;
    EXPECT_EQ(d.model.Label(r).visible, r < 3) << r;
  }
  for (int i = 0; i < 64; ++i) {
    EXPECT_EQ(d.model.Cell(i).visible, i < 24) << i;
    EXPECT_EQ(d.model.Cell(i).bit, i);
  }
  d.model.CommitId(64, true);
  EXPECT_EQ(d.model.Values().id, 63);
  d.model.CommitId(-3, true);
  EXPECT_EQ(d.model.Values().id, 0);
}

TEST(LinModel, SnapKeepsTheLength) {
  struct Case {
    int start, count;
    int wantStart, wantCount;
  } cases[] = {
      {4, 4, 8, 4},     // A's bit: moves to 8 and keeps 4 bits
      {10, 10, 10, 6},  // cut before B at 16
      {60, 8, 60, 4},   // cut at the frame's end
      {22, 4, 24, 4},   // on B: moves to 24
  };
  for (const auto& c : cases) {
    LinDlg d;
    d.OpenEdit("F", "A");
    // Only B is another signal here; give A's bits to a third one.
    AddLin(d.doc, "H", 14, 8, {{"A2", 0, 8}, {"B2", 16, 8}, {"E", 40, 2}});
    d.OpenEdit("H", "E");
    d.model.Values().startBit = c.start;
    d.model.CommitBitCount(c.count);
    EXPECT_EQ(d.model.Values().startBit, c.wantStart) << c.start << "+" << c.count;
    EXPECT_EQ(d.model.Values().bitCount, c.wantCount) << c.start << "+" << c.count;
  }
}

TEST(LinModel, TooltipsAndDrag) {
  LinDlg d;
  d.OpenEdit("F", "A");
  EXPECT_EQ(d.model.Cell(16).tip, "SignalName: B\nStartBit: 16\nBitCount: 8");
  EXPECT_TRUE(d.model.Cell(0).tip.empty());
  ASSERT_TRUE(d.model.PressCell(12));
  d.model.DragToCell(40);
  EXPECT_EQ(d.model.Values().startBit, 12);
  EXPECT_EQ(d.model.Values().bitCount, 4);
  d.model.Release();
  EXPECT_EQ(d.model.WindowStart(), 0);
}

TEST(LinModel, DoubleNeedsTheWholeFrame) {
  struct Case {
    int start;
    bool kept;
  } cases[] = {{0, true}, {1, false}};
  for (const auto& c : cases) {
    LinDlg d;
    AddLin(d.doc, "Solo", 20, 8, {{"S", 0, 8}});
    d.OpenEdit("Solo", "S");
    d.model.CommitStartBit(c.start);
    d.model.RememberValueType();
    EXPECT_EQ(d.model.ChooseValueType(VTITEM_DOUBLE), c.kept);
    EXPECT_EQ(d.model.Values().valueType, c.kept ? VTITEM_DOUBLE : VTITEM_UNSIGNED);
    EXPECT_EQ(d.model.Values().bitCount, c.kept ? 64 : 8);
  }
}

TEST(LinModel, OkChecksInOrder) {
  struct Case {
    const char* what;
    std::function<void(LinDlg&)> set;
    int message;
    int focus;
  } cases[] = {
      {"valid", [](LinDlg&) {}, 0, DLG_OK_CLOSE},
      {"empty name", [](LinDlg& d) { d.model.Values().msgName = ""; }, IDS_MSG_NAME_EMPTY, IDC_MSG_NAME},
      {"other checksum",
       [](LinDlg& d) {
         d.model.Values().msgName = "f";
         d.model.Values().formatIndex = CHECKSUM_ENHANCED;
       },
       IDS_MSG_MESSAGE_OTHER_FORMAT, IDC_CHECKSUM},
      {"existing frame, other id", [](LinDlg& d) { d.model.Values().msgName = "f"; }, IDS_MSG_MESSAGE_OTHER_ID,
       IDC_MSG_ID},
      {"identifier used", [](LinDlg& d) { d.model.Values().id = 12; }, IDS_MSG_ID_USED, IDC_MSG_ID},
      {"signal name needed even at 0 bytes",
       [](LinDlg& d) {
         d.model.Values().byteCount = 0;
         d.model.Values().signalName = "";
       },
       IDS_MSG_NAME_EMPTY, IDC_SIGNAL_NAME},
      {"signal defined",
       [](LinDlg& d) {
         d.model.Values().msgName = "f";
         d.model.Values().id = 12;
         d.model.Values().byteCount = 8;
         d.model.Values().signalName = "b";
       },
       IDS_MSG_SIGNAL_DEFINED, IDC_SIGNAL_NAME},
      {"other byte count",
       [](LinDlg& d) {
         d.model.Values().msgName = "f";
         d.model.Values().id = 12;
       },
       IDS_MSG_MESSAGE_OTHER_LENGTH, IDC_BYTE_COUNT},
      {"start outside", [](LinDlg& d) { d.model.Values().startBit = 32; }, IDS_MSG_BITS_OUTSIDE, IDC_START_BIT},
      {"end outside", [](LinDlg& d) { d.model.Values().bitCount = 30; }, IDS_MSG_BITS_OUTSIDE, IDC_BIT_COUNT},
      {"bits taken",
       [](LinDlg& d) {
         d.model.Values().msgName = "f";
         d.model.Values().id = 12;
         d.model.Values().byteCount = 8;
         d.model.Values().startBit = 20;
       },
       IDS_MSG_BITS_OVERLAP, IDC_START_BIT},
      // Two rules broken at once: the earlier check speaks.
      {"identifier used before an empty signal name",
       [](LinDlg& d) {
         d.model.Values().id = 12;
         d.model.Values().signalName = "";
       },
       IDS_MSG_ID_USED, IDC_MSG_ID},
      {"signal defined before the other byte count",
       [](LinDlg& d) {
         d.model.Values().msgName = "f";
         d.model.Values().id = 12;
         d.model.Values().signalName = "b";
       },
       IDS_MSG_SIGNAL_DEFINED, IDC_SIGNAL_NAME},
      {"other byte count before the range",
       [](LinDlg& d) {
         d.model.Values().msgName = "f";
         d.model.Values().id = 12;
         d.model.Values().startBit = 40;
       },
       IDS_MSG_MESSAGE_OTHER_LENGTH, IDC_BYTE_COUNT},
  };
  for (const auto& c : cases) {
    LinDlg d;
    d.OpenNew();
    d.FillValidNew();
    c.set(d);
    ScriptedPrompt p;
    EXPECT_EQ(d.model.Ok(p), c.focus) << c.what;
    EXPECT_EQ(p.Last(), c.message) << c.what;
  }
}

TEST(LinModel, IdentifierUsedInEditModeToo) {
  LinDlg d;
  AddLin(d.doc, "Other", 30, 2, {{"O", 0, 8}});
  d.OpenEdit("Other", "O");
  d.model.Values().id = 12;
  ScriptedPrompt p;
  EXPECT_EQ(d.model.Ok(p), IDC_MSG_ID);
  ASSERT_EQ(p.ids, std::vector<int>{IDS_MSG_ID_USED});
  EXPECT_EQ(p.ArgText(0), "12");
  EXPECT_EQ(p.ArgText(1), "F");

  // Renamed, on its own identifier, into its own free bits: accepted.
  LinDlg r;
  r.OpenEdit("F", "A");
  r.model.Values().msgName = "F2";
  r.model.SetHexDisplay(true);
  ScriptedPrompt q;
  EXPECT_EQ(r.model.Ok(q), DLG_OK_CLOSE);
  EXPECT_TRUE(r.model.Modified());
  EXPECT_STREQ(r.Frame("F")->name, "F2");
  EXPECT_EQ(SignalOf(r.Frame("F"), "A")->bitOrder, BITORDER_LSB_FIRST) << "the bit order is not the dialog's";
}

TEST(LinModel, SignalRowLeavesTheByteOrder) {
  LinDlg d;
  SignalOf(d.Frame("F"), "B")->byteOrder = BYTEORDER_BIG;
  d.OpenNew();
  d.model.Values().byteOrder = BYTEORDER_LITTLE;
  d.model.SelectSignalRow(1);
  EXPECT_EQ(d.model.Values().signalName, "B");
  EXPECT_EQ(d.model.Values().startBit, 16);
  EXPECT_EQ(d.model.Values().byteOrder, BYTEORDER_LITTLE);
}

}  // namespace

// The fields a commit wrote, as the view learns them: only what the model
// changed beyond what the user typed, and the range after every range edit.
TEST(LinModel, CommitsNameTheFieldsTheyWrote) {
  struct Case {
    const char* rule;
    std::function<void(CLinDlgModel&)> commit;
    std::set<int> written;
  };
  const Case cases[] = {
      {"an emptied factor is shown again", [](CLinDlgModel& m) { m.CommitFactor(VALUE_UNLIMITED); }, {IDC_FACTOR}},
      {"a typed factor is left alone", [](CLinDlgModel& m) { m.CommitFactor(2.0); }, {}},
      {"an emptied offset is shown again", [](CLinDlgModel& m) { m.CommitOffset(-VALUE_UNLIMITED); }, {IDC_OFFSET}},
      {"swapped limits", [](CLinDlgModel& m) { m.CommitLimits(5, 1); }, {IDC_MINIMUM, IDC_MAXIMUM}},
      {"limits in order", [](CLinDlgModel& m) { m.CommitLimits(1, 5); }, {}},
      {"a count beyond 8 bytes is cut",
       [](CLinDlgModel& m) { m.TypeByteCount(9); },
       {IDC_BYTE_COUNT, IDC_START_BIT, IDC_BIT_COUNT}},
      {"a count within 8 bytes", [](CLinDlgModel& m) { m.TypeByteCount(6); }, {IDC_START_BIT, IDC_BIT_COUNT}},
      {"a start bit", [](CLinDlgModel& m) { m.CommitStartBit(40); }, {IDC_START_BIT, IDC_BIT_COUNT}},
  };
  for (const Case& c : cases) {
    LinDlg d;
    d.OpenEdit("F", "A");
    d.model.TakeWrittenFields();
    c.commit(d.model);
    EXPECT_EQ(d.model.TakeWrittenFields(), c.written) << c.rule;
  }
}
