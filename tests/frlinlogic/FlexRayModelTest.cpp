// The FlexRay dialog's model: cycle rules, the moving window and its labels,
// snapping that keeps the end, drag selection, and the OK checks in order.
#include "FlexRayCycles.h"
#include "FlexRayDlgModel.h"
#include "ModelTestUtil.h"

#include <functional>

using namespace mtest;
using namespace dlgids;

namespace {

struct FlexRayDlg {
  CVestrelDoc doc;
  CFlexRayDlgModel model;
  _FlexRayMsg fresh;
  _FlexRaySignal freshSig;

  FlexRayDlg() {
    // Frame A: slot 5, cycles 0/2, two little-endian signals in bytes 0 and 1.
    AddFlexRay(doc, "A", 5, 8, 0, 2, {{"S1", 0, 8}, {"S2", 8, 8}});
  }
  NameMap<_FlexRayMsg>& Table() { return doc.GetFlexRayMsgTable(LIST_DEFINITION); }
  _FlexRayMsg* Frame(const char* name) { return Table().Find(MakeUpperString(std::string(name))); }

  void OpenNew() {
    model.SetMode(DLGMODE_NEW);
    model.SetTarget(&fresh, &freshSig);
    model.SetMessageMap(&Table());
    model.Open();
  }
  void OpenEdit(const char* frame, const char* sig, int mode = DLGMODE_EDIT) {
    _FlexRayMsg* m = Frame(frame);
    model.SetMode(mode);
    model.SetTarget(m, SignalOf(m, sig));
    model.SetMessageMap(&Table());
    model.SetEditedSignalName(sig);
    model.Open();
  }
  // A new frame B that passes every check.
  void FillValidNew() {
    auto& v = model.Values();
    v.msgName = "B";
    v.id = 6;
    v.baseCycle = 0;
    v.cycleRepetition = 1;
    v.signalName = "X";
    model.CommitByteCount(8);
    v.startBit = 16;
    v.bitCount = 8;
  }
};

TEST(FlexRayCycles, SetsMeetUpToSixtyFourInclusive) {
  struct Case {
    int b1, r1, b2, r2;
    bool meet;
  } cases[] = {
      {0, 2, 1, 2, false},   // even and odd cycles
      {0, 2, 0, 4, true},    // 0, 4, 8 ...
      {1, 63, 4, 60, true},  // both reach 64
      {0, 4, 2, 2, true},    // 4, 8 ...
      {1, 4, 0, 2, false},   // odd against even
      {63, 64, 0, 64, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FlexRayCyclesMeet(c.b1, c.r1, c.b2, c.r2), c.meet) << c.b1 << "/" << c.r1 << " " << c.b2 << "/" << c.r2;
    EXPECT_EQ(FlexRayCyclesMeet(c.b2, c.r2, c.b1, c.r1), c.meet);
  }
  EXPECT_TRUE(FlexRayCycleSet(1, 63).test(64));
  EXPECT_EQ(FlexRayCycleSet(0, 1).count(), 64u);  // at most 64 values: 0..63
}

TEST(FlexRayModel, CyclesOnTheSameSlotThroughOk) {
  struct Case {
    int slot, base, rep;
    int message;
  } cases[] = {
      {5, 1, 2, 0},                      // A is 0/2: odd cycles are free
      {5, 0, 4, IDS_MSG_CYCLE_OVERLAP},  // 4, 8 ... are A's
      {6, 0, 2, 0},                      // another slot
  };
  for (const auto& c : cases) {
    FlexRayDlg d;
    d.OpenNew();
    d.FillValidNew();
    d.model.Values().id = c.slot;
    d.model.Values().baseCycle = c.base;
    d.model.Values().cycleRepetition = c.rep;
    ScriptedPrompt p;
    int focus = d.model.Ok(p);
    EXPECT_EQ(p.Last(), c.message) << c.slot << " " << c.base << "/" << c.rep;
    EXPECT_EQ(focus, c.message ? int(IDC_MSG_ID) : int(DLG_OK_CLOSE));
  }
  // 1/63 against 4/60 meet at 64.
  FlexRayDlg d;
  AddFlexRay(d.doc, "C", 9, 8, 4, 60);
  d.OpenNew();
  d.FillValidNew();
  d.model.Values().id = 9;
  d.model.Values().baseCycle = 1;
  d.model.Values().cycleRepetition = 63;
  ScriptedPrompt p;
  EXPECT_EQ(d.model.Ok(p), IDC_MSG_ID);
  ASSERT_EQ(p.ids, std::vector<int>{IDS_MSG_CYCLE_OVERLAP});
  EXPECT_EQ(p.ArgText(0), "9");
  EXPECT_EQ(p.ArgText(1), "B");
}

TEST(FlexRayModel, ByteCountCapsAndSnaps) {
  FlexRayDlg d;
  d.OpenNew();
  d.model.CommitByteCount(300);
  EXPECT_EQ(d.model.Values().byteCount, 254);
  EXPECT_TRUE(d.model.SignalControlsEnabled());
  EXPECT_EQ(d.model.StartBitMax(), 2031);

  d.model.CommitStartBit(20);
  d.model.CommitBitCount(30);
  d.model.CommitByteCount(2);
  EXPECT_EQ(d.model.Values().startBit, 15);
  EXPECT_EQ(d.model.Values().bitCount, 1);
  EXPECT_EQ(d.model.StartBitMax(), 15);
  EXPECT_EQ(d.model.BitCountMax(), 16);

  d.model.CommitByteCount(0);
  EXPECT_FALSE(d.model.SignalControlsEnabled());
  EXPECT_GE(d.model.Values().bitCount, 1);
}

TEST(FlexRayModel, CycleFieldsAndIdentifierKeepTheirRanges) {
  struct Case {
    int typed, base, repetition;
  } cases[] = {{100, 63, 64}, {0, 0, 1}, {-5, 0, 1}, {7, 7, 7}};
  for (const auto& c : cases) {
    FlexRayDlg d;
    d.OpenNew();
    EXPECT_EQ(d.model.Values().cycleRepetition, 1) << "a new frame starts in every cycle";
    d.model.CommitBaseCycle(c.typed);
    d.model.CommitRepetition(c.typed);
    EXPECT_EQ(d.model.Values().baseCycle, c.base) << c.typed;
    EXPECT_EQ(d.model.Values().cycleRepetition, c.repetition) << c.typed;
  }
  FlexRayDlg d;
  d.OpenNew();
  d.model.CommitId(0, true);
  EXPECT_EQ(d.model.Values().id, 1);
  d.model.CommitFormat(1);
  EXPECT_EQ(d.model.Values().formatIndex, 1);
  EXPECT_EQ(d.model.Values().id, 1);
}

TEST(FlexRayModel, WindowAndLabelsFollowTheStartBit) {
  struct Case {
    int bytes;
    std::vector<std::string> labels;  // 1700..1704, "" hidden
    int lastVisibleCell;
  } cases[] = {
      {12, {"32", "48", "64", "80", "Bit"}, 63},
      {6, {"32", "Bit", "", "", ""}, 15},
  };
  for (const auto& c : cases) {
    FlexRayDlg d;
    d.OpenNew();
    d.model.CommitByteCount(c.bytes);
    d.model.CommitStartBit(37);
    EXPECT_EQ(d.model.WindowStart(), 32);
    for (int r = 0; r < 5; ++r) {
      EXPECT_EQ(d.model.Label(r).visible, !c.labels[r].empty()) << c.bytes << " label " << r;
      EXPECT_EQ(d.model.Label(r).text, c.labels[r]) << c.bytes << " label " << r;
    }
    for (int i = 0; i < 64; ++i) {
      EXPECT_EQ(d.model.Cell(i).visible, i <= c.lastVisibleCell) << c.bytes << " cell " << i;
      EXPECT_EQ(d.model.Cell(i).bit, 32 + i);
    }
    EXPECT_EQ(d.model.Cell(5).colour, BITKIND_EDITED);  // bit 37
  }
}

TEST(FlexRayModel, OtherSignalsColouredWithTooltips) {
  FlexRayDlg d;
  d.OpenEdit("A", "S2");
  // S1 is the only other signal: grey 0, with its tooltip; S2's own bits are green.
  EXPECT_EQ(d.model.Cell(0).colour, 0);
  EXPECT_EQ(d.model.Cell(0).tip, "SignalName: S1\nStartBit: 0\nBitCount: 8");
  EXPECT_EQ(d.model.Cell(8).colour, BITKIND_EDITED);
  EXPECT_TRUE(d.model.Cell(8).tip.empty());
  EXPECT_EQ(d.model.Cell(16).colour, BITKIND_FREE);
  EXPECT_TRUE(d.model.Cell(63).visible);
}

TEST(FlexRayModel, SnapKeepsTheEndAndNeverLeavesTheFrame) {
  struct Case {
    int start, count;
    int wantStart, wantCount;
  } cases[] = {
      {4, 8, 8, 4},     // start on S1 moves to bit 8 (S2 is edited, so free); the end 12 stays
      {20, 8, 20, 8},   // all free
      {60, 10, 60, 4},  // cut at the end of the 8-byte frame
      {2, 3, 8, 1},     // moved beyond the old end: one bit, never 0 or less
  };
  for (const auto& c : cases) {
    FlexRayDlg d;
    d.OpenEdit("A", "S2");
    d.model.Values().startBit = c.start;
    d.model.CommitBitCount(c.count);
    EXPECT_EQ(d.model.Values().startBit, c.wantStart) << c.start << "+" << c.count;
    EXPECT_EQ(d.model.Values().bitCount, c.wantCount) << c.start << "+" << c.count;
  }
  // Bits shown before the frame shrank are no longer the frame's: a start
  // pushed onto another signal finds no free bit there.
  {
    FlexRayDlg s;
    AddFlexRay(s.doc, "Shrink", 7, 8, 0, 1, {{"F", 0, 8}, {"E", 10, 2}});
    s.OpenEdit("Shrink", "E");
    s.model.CommitByteCount(1);
    EXPECT_EQ(s.model.Values().startBit, 7);
    EXPECT_EQ(s.model.Values().bitCount, 1);
  }
  // A frame filled by other signals has no free bit inside it: the start
  // stays, and nothing beyond the frame is chosen.
  FlexRayDlg d;
  AddFlexRay(d.doc, "Full", 7, 1, 0, 1, {{"F", 0, 8}, {"E", 0, 1}});
  d.OpenEdit("Full", "E");
  d.model.CommitStartBit(3);
  EXPECT_EQ(d.model.Values().startBit, 3);
  EXPECT_EQ(d.model.Values().bitCount, 1);
}

TEST(FlexRayModel, DragStopsBeforeATakenBit) {
  FlexRayDlg d;
  AddFlexRay(d.doc, "D", 8, 8, 0, 1, {{"T", 20, 4}, {"E", 4, 2}});
  d.OpenEdit("D", "E");
  ASSERT_TRUE(d.model.PressCell(10));
  EXPECT_TRUE(d.model.DragToCell(30));  // over T at 20..23
  EXPECT_EQ(d.model.Values().startBit, 10);
  EXPECT_EQ(d.model.Values().bitCount, 10);
  EXPECT_TRUE(d.model.DragToCell(2));  // backwards is free
  EXPECT_EQ(d.model.Values().startBit, 2);
  EXPECT_EQ(d.model.Values().bitCount, 9);
  d.model.Release();
  EXPECT_FALSE(d.model.DragToCell(5));
  EXPECT_FALSE(d.model.PressCell(21));  // T's bit
  EXPECT_FALSE(d.model.PressCell(64));
  EXPECT_FALSE(d.model.PressCell(-1));

  FlexRayDlg view;
  view.OpenEdit("A", "S2", DLGMODE_VIEW);
  EXPECT_FALSE(view.model.PressCell(20));
}

TEST(FlexRayModel, IdenticalSignalShowsNoValuesAndHidesBitsOutsideTheWindow) {
  FlexRayDlg d;
  _FlexRayMsg* big = AddFlexRay(d.doc, "Big", 11, 32, 0, 1, {{"I", 100, 12}});
  SignalOf(big, "I")->identicalCoding = 1;
  SignalOf(big, "I")->factor = 7.0;
  d.OpenEdit("Big", "I", DLGMODE_VIEW);
  EXPECT_FALSE(d.model.SignalValuesLoaded());
  EXPECT_EQ(d.model.Values().startBit, 0);
  EXPECT_EQ(d.model.Values().factor, 1.0);
  EXPECT_TRUE(d.model.VisibleBit(10));    // inside the window 0..63
  EXPECT_FALSE(d.model.VisibleBit(100));  // outside it

  FlexRayDlg plain;
  plain.OpenEdit("A", "S2");
  EXPECT_TRUE(plain.model.SignalValuesLoaded());
  EXPECT_EQ(plain.model.Values().startBit, 8);
}

TEST(FlexRayModel, FloatAndDoubleNeedTheirBits) {
  FlexRayDlg d;
  d.OpenEdit("A", "S2");
  d.model.RememberValueType();
  EXPECT_FALSE(d.model.ChooseValueType(VTITEM_DOUBLE));  // 8..71 is beyond 64 bits
  EXPECT_EQ(d.model.Values().valueType, VTITEM_UNSIGNED);
  d.model.CommitStartBit(16);
  EXPECT_TRUE(d.model.ChooseValueType(VTITEM_FLOAT));
  EXPECT_EQ(d.model.Values().bitCount, 32);
  d.model.CommitBitCount(16);  // shrinking a Float resets it
  EXPECT_EQ(d.model.Values().valueType, VTITEM_UNSIGNED);
}

TEST(FlexRayModel, OkChecksInOrder) {
  struct Case {
    const char* what;
    std::function<void(FlexRayDlg&)> set;
    int message;
    int focus;
  } cases[] = {
      {"valid", [](FlexRayDlg&) {}, 0, DLG_OK_CLOSE},
      {"empty name", [](FlexRayDlg& d) { d.model.Values().msgName = ""; }, IDS_MSG_NAME_EMPTY, IDC_MSG_NAME},
      {"other format",
       [](FlexRayDlg& d) {
         d.model.Values().msgName = "a";
         d.model.Values().formatIndex = 1;
       },
       IDS_MSG_MESSAGE_OTHER_FORMAT, IDC_FRAME_FORMAT},
      {"base not below repetition",
       [](FlexRayDlg& d) {
         d.model.Values().baseCycle = 4;
         d.model.Values().cycleRepetition = 4;
       },
       IDS_MSG_BASE_CYCLE, IDC_BASE_CYCLE},
      {"existing frame, other slot",
       [](FlexRayDlg& d) {
         d.model.Values().msgName = "a";
         d.model.Values().id = 7;
       },
       IDS_MSG_MESSAGE_OTHER_ID, IDC_MSG_ID},
      {"signal name needed", [](FlexRayDlg& d) { d.model.Values().signalName = ""; }, IDS_MSG_NAME_EMPTY,
       IDC_SIGNAL_NAME},
      {"byte count 0 needs no signal name",
       [](FlexRayDlg& d) {
         d.model.Values().signalName = "";
         d.model.Values().byteCount = 0;
       },
       0, DLG_OK_CLOSE},
      {"signal defined",
       [](FlexRayDlg& d) {
         d.model.Values().msgName = "a";
         d.model.Values().id = 5;
         d.model.Values().cycleRepetition = 2;
         d.model.Values().signalName = "s1";
       },
       IDS_MSG_SIGNAL_DEFINED, IDC_SIGNAL_NAME},
      {"other byte count",
       [](FlexRayDlg& d) {
         d.model.Values().msgName = "a";
         d.model.Values().id = 5;
         d.model.Values().cycleRepetition = 2;
         d.model.Values().byteCount = 4;
       },
       IDS_MSG_MESSAGE_OTHER_LENGTH, IDC_BYTE_COUNT},
      {"start outside", [](FlexRayDlg& d) { d.model.Values().startBit = 64; }, IDS_MSG_BITS_OUTSIDE, IDC_START_BIT},
      {"end outside", [](FlexRayDlg& d) { d.model.Values().startBit = 60; }, IDS_MSG_BITS_OUTSIDE, IDC_BIT_COUNT},
      {"bits taken",
       [](FlexRayDlg& d) {
         d.model.Values().msgName = "a";
         d.model.Values().id = 5;
         d.model.Values().cycleRepetition = 2;
         d.model.Values().startBit = 4;
       },
       IDS_MSG_BITS_OVERLAP, IDC_START_BIT},
      {"existing frame, other cycles",
       [](FlexRayDlg& d) {
         d.model.Values().msgName = "a";
         d.model.Values().id = 5;
         d.model.Values().cycleRepetition = 4;
       },
       IDS_MSG_CYCLE_OVERLAP, IDC_BASE_CYCLE},
      // Two rules broken at once: the earlier check speaks.
      {"other format before the cycles",
       [](FlexRayDlg& d) {
         d.model.Values().msgName = "a";
         d.model.Values().formatIndex = 1;
         d.model.Values().baseCycle = 4;
       },
       IDS_MSG_MESSAGE_OTHER_FORMAT, IDC_FRAME_FORMAT},
      {"cycles before the slot",
       [](FlexRayDlg& d) {
         d.model.Values().msgName = "a";
         d.model.Values().id = 7;
         d.model.Values().baseCycle = 4;
       },
       IDS_MSG_BASE_CYCLE, IDC_BASE_CYCLE},
      {"slot before the signal name",
       [](FlexRayDlg& d) {
         d.model.Values().msgName = "a";
         d.model.Values().id = 7;
         d.model.Values().signalName = "";
       },
       IDS_MSG_MESSAGE_OTHER_ID, IDC_MSG_ID},
      {"signal defined before the other byte count",
       [](FlexRayDlg& d) {
         d.model.Values().msgName = "a";
         d.model.Values().id = 5;
         d.model.Values().cycleRepetition = 2;
         d.model.Values().signalName = "s1";
         d.model.Values().byteCount = 4;
       },
       IDS_MSG_SIGNAL_DEFINED, IDC_SIGNAL_NAME},
      {"bits taken before the other cycles",
       [](FlexRayDlg& d) {
         d.model.Values().msgName = "a";
         d.model.Values().id = 5;
         d.model.Values().cycleRepetition = 4;
         d.model.Values().startBit = 4;
       },
       IDS_MSG_BITS_OVERLAP, IDC_START_BIT},
  };
  for (const auto& c : cases) {
    FlexRayDlg d;
    d.OpenNew();
    d.FillValidNew();
    c.set(d);
    ScriptedPrompt p;
    EXPECT_EQ(d.model.Ok(p), c.focus) << c.what;
    EXPECT_EQ(p.Last(), c.message) << c.what;
    if (c.message) {
      EXPECT_STREQ(d.fresh.name, "") << c.what << ": nothing written";
    }
  }
}

TEST(FlexRayModel, NewFrameIsWrittenFieldByField) {
  FlexRayDlg d;
  d.OpenNew();
  d.FillValidNew();
  d.model.Values().valueType = VTITEM_SIGNED;
  d.model.Values().unit = "km/h";
  ScriptedPrompt p;
  ASSERT_EQ(d.model.Ok(p), DLG_OK_CLOSE);
  EXPECT_TRUE(d.model.Modified());
  EXPECT_STREQ(d.fresh.name, "B");
  EXPECT_EQ(d.fresh.slotId, 6u);
  EXPECT_EQ(d.fresh.byteCount, 8);
  EXPECT_EQ(d.fresh.cycleRepetition, 1);
  EXPECT_STREQ(d.freshSig.name, "X");
  EXPECT_EQ(d.freshSig.startBit, 16);
  EXPECT_EQ(d.freshSig.valueType, VALTYPE_SIGNED);
  EXPECT_STREQ(d.freshSig.unit, "km/h");
}

TEST(FlexRayModel, EditWithoutChangeIsNotModified) {
  FlexRayDlg d;
  d.OpenEdit("A", "S1");
  ScriptedPrompt p;
  EXPECT_EQ(d.model.Ok(p), DLG_OK_CLOSE);
  EXPECT_TRUE(p.ids.empty());
  EXPECT_FALSE(d.model.Modified());
}

TEST(FlexRayModel, ByteOrderQuestionWritesEverySignalAndMarksModified) {
  for (bool accept : {false, true}) {
    FlexRayDlg d;
    d.OpenEdit("A", "S1");
    d.model.Values().byteOrder = BYTEORDER_BIG;
    ScriptedPrompt p;
    p.answers = {accept};
    int r = d.model.Ok(p);
    EXPECT_EQ(p.ids, std::vector<int>{IDS_MSG_BYTEORDER_CHANGE});
    _FlexRayMsg* a = d.Frame("A");
    EXPECT_EQ(r, accept ? int(DLG_OK_CLOSE) : int(DLG_OK_STAY));
    EXPECT_EQ(SignalOf(a, "S2")->byteOrder, accept ? BYTEORDER_BIG : BYTEORDER_LITTLE);
    EXPECT_EQ(d.model.Modified(), accept);
  }
  // Only the other signals differed before: accepting still marks the change.
  FlexRayDlg d;
  SignalOf(d.Frame("A"), "S2")->byteOrder = BYTEORDER_BIG;
  d.OpenEdit("A", "S1");
  ScriptedPrompt p;
  ASSERT_EQ(d.model.Ok(p), DLG_OK_CLOSE);
  EXPECT_TRUE(d.model.Modified());
}

TEST(FlexRayModel, RenamedFrameKeepsItsOwnSignalsAndNeverMeetsItself) {
  FlexRayDlg d;
  d.OpenEdit("A", "S1");
  d.model.Values().msgName = "Renamed";
  ScriptedPrompt p;
  EXPECT_EQ(d.model.Ok(p), DLG_OK_CLOSE) << "its own slot and cycles are no clash";
  EXPECT_STREQ(d.Frame("A")->name, "Renamed");

  FlexRayDlg o;
  o.OpenEdit("A", "S1");
  o.model.Values().msgName = "Renamed";
  o.model.Values().startBit = 8;  // onto S2 of the same frame
  ScriptedPrompt q;
  EXPECT_EQ(o.model.Ok(q), IDC_START_BIT);
  EXPECT_EQ(q.Last(), IDS_MSG_BITS_OVERLAP);

  FlexRayDlg n;
  n.OpenEdit("A", "S1");
  n.model.Values().msgName = "Renamed";
  n.model.Values().signalName = "s2";
  ScriptedPrompt r;
  EXPECT_EQ(n.model.Ok(r), IDC_SIGNAL_NAME);
  EXPECT_EQ(r.Last(), IDS_MSG_SIGNAL_DEFINED);
}

TEST(FlexRayModel, EditChecksAgainstOtherFrames) {
  FlexRayDlg d;
  AddFlexRay(d.doc, "Other", 6, 8, 1, 2);
  d.OpenEdit("A", "S1");
  d.model.Values().msgName = "other";
  ScriptedPrompt p;
  EXPECT_EQ(d.model.Ok(p), IDC_MSG_NAME);
  EXPECT_EQ(p.Last(), IDS_MSG_MESSAGE_DEFINED);

  d.model.Values().msgName = "A";
  d.model.Values().id = 6;
  d.model.Values().baseCycle = 1;  // Other is 1/2
  ScriptedPrompt q;
  EXPECT_EQ(d.model.Ok(q), IDC_MSG_ID);
  EXPECT_EQ(q.Last(), IDS_MSG_CYCLE_OVERLAP);

  // A signal of the frame beyond a shrunk frame.
  FlexRayDlg s;
  s.OpenEdit("A", "S1");
  s.model.Values().byteCount = 1;
  ScriptedPrompt r;
  EXPECT_EQ(s.model.Ok(r), IDC_BYTE_COUNT);
  EXPECT_EQ(r.Last(), IDS_MSG_BITS_OUTSIDE);
  EXPECT_EQ(r.ArgText(0), "S2");
}

TEST(FlexRayModel, StoredRangesOutsideEveryMapAreHarmless) {
  FlexRayDlg d;
  AddFlexRay(d.doc, "Odd", 20, 254, 0, 1, {{"Neg", -40, 50}, {"Huge", 2000, 1 << 30}, {"E", 100, 4}});
  d.OpenEdit("Odd", "E");
  EXPECT_EQ(d.model.KindOf(0), 0);     // Neg reaches bits 0..9
  EXPECT_EQ(d.model.KindOf(2031), 1);  // Huge up to the last bit
  d.model.CommitStartBit(2031);
  EXPECT_EQ(d.model.Values().startBit, 2031) << "no free bit after it: the start stays";
  EXPECT_EQ(d.model.Values().bitCount, 1);
  EXPECT_EQ(d.model.KindOf(2031), 1) << "the range sitting on Huge's bit leaves it Huge's";
  EXPECT_FALSE(d.model.PressCell(15));
  d.model.CommitStartBit(1990);
  EXPECT_EQ(d.model.KindOf(2031), 1);
  ScriptedPrompt p;
  EXPECT_EQ(d.model.Ok(p), IDC_BYTE_COUNT);  // Huge reaches beyond the frame
  EXPECT_EQ(p.ArgText(0), "Huge");
}

TEST(FlexRayModel, RowSelectionAndBounds) {
  FlexRayDlg d;
  AddFlexRay(d.doc, "Empty", 12, 0, 1, 4);
  d.OpenNew();
  EXPECT_EQ(d.model.MessageNames(), (std::vector<std::string>{"A", "Empty"}));
  EXPECT_EQ(d.model.SignalNames(), (std::vector<std::string>{"S1", "S2"}));
  d.model.SelectMessageRow(1);
  EXPECT_EQ(d.model.Values().signalName, "NoName");
  EXPECT_FALSE(d.model.SignalControlsEnabled());
  d.model.SelectMessageRow(0);
  EXPECT_EQ(d.model.Values().byteCount, 8);
  EXPECT_EQ(d.model.Values().startBit, 16);  // first free bit of A
  EXPECT_EQ(d.model.KindOf(0), 0);           // S1
  EXPECT_EQ(d.model.KindOf(8), 1);           // S2
  d.model.SelectMessageRow(7);               // no such row: nothing changes
  d.model.SelectSignalRow(-1);
  EXPECT_EQ(d.model.Values().msgName, "A");
  d.model.SetHexDisplay(true);
  d.model.CommitId(5000, true);
  EXPECT_EQ(d.model.Values().id, 2047);
  EXPECT_EQ(d.model.IdTexts(), (std::vector<std::string>{"5", "C"}));
  EXPECT_EQ(d.model.KindOf(-1), 0);
  EXPECT_EQ(d.model.KindOf(5000), 0);
  EXPECT_FALSE(d.model.Cell(64).visible);
  EXPECT_FALSE(d.model.Label(9).visible);
}

}  // namespace
