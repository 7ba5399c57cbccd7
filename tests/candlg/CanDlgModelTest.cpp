#include <gtest/gtest.h>

#include <climits>
#include <deque>
#include <memory>

#include "CanDlgModel.h"
#include "RecordingPrompt.h"
#include "TextFile.h"

namespace {

// A definition table with records owned by the fixture.
class CanDlgTest : public ::testing::Test {
 public:
  _CANMsg* Msg(const char* name, int bytes, int id, int format = FRAME_STD, int j1939 = 0) {
    msgs_.push_back(std::make_unique<_CANMsg>());
    _CANMsg* m = msgs_.back().get();
    CopyToCharBuffer(m->name, name, MAX_NAME_LEN);
    m->byteCount = bytes;
    m->id = id;
    m->frameFormat = static_cast<uint8_t>(format);
    m->j1939 = j1939;
    m->frameType = bytes > 8 ? CANFRAME_FD : CANFRAME_CAN;
    table_.SetAt(MakeUpperString(name), m);
    return m;
  }
  _CANSignal* Sig(_CANMsg* m, const char* name, int start, int count, const char* mux = "") {
    sigs_.push_back(std::make_unique<_CANSignal>());
    _CANSignal* s = sigs_.back().get();
    CopyToCharBuffer(s->name, name, MAX_NAME_LEN);
    CopyToCharBuffer(s->multiplexor, mux, MAX_NAME_LEN);
    s->startBit = start;
    s->bitCount = count;
    m->signals.SetAt(MakeUpperString(name), s);
    return s;
  }
  // Fresh records for a new definition, not in the table.
  void OpenNew() {
    freshMsg_ = std::make_unique<_CANMsg>();
    freshSig_ = std::make_unique<_CANSignal>();
    Open(DLGMODE_NEW, freshMsg_.get(), freshSig_.get());
  }
  void Open(int mode, _CANMsg* m, _CANSignal* s) {
    dlg_ = std::make_unique<CCanDlgModel>(&table_, mode);
    dlg_->SetTarget(m, s);
    dlg_->SetGridSink([this](const tagBitAssignInfo& info) { pages_.push_back(info); });
    dlg_->Open();
  }
  CanDlgControls& C() { return dlg_->Controls(); }
  void Commit(int id) { dlg_->OnCommit(id); }

  NameMap<_CANMsg> table_;
  std::deque<std::unique_ptr<_CANMsg>> msgs_;
  std::deque<std::unique_ptr<_CANSignal>> sigs_;
  std::unique_ptr<_CANMsg> freshMsg_;
  std::unique_ptr<_CANSignal> freshSig_;
  std::unique_ptr<CCanDlgModel> dlg_;
  std::vector<tagBitAssignInfo> pages_;
  RecordingPrompt prompt_;
};

}  // namespace

TEST(CanPageSpan, PartOfASignalOnAPage) {
  struct Case {
    int start, count, page;
    PageSpan expected;
  };
  const Case cases[] = {
      {0, 8, 0, {0, 8, 1}},
      {500, 20, 0, {500, 12, 1}},
      {500, 20, 512, {0, 8, 1}},
      {512, 4, 512, {0, 4, 1}},
      {520, 4, 512, {8, 4, 1}},
      {1020, 8, 512, {508, 4, 1}},
      {100, 8, 512, {0, 0, 0}},
      {1024, 8, 512, {0, 0, 0}},
      {0, 1024, 512, {0, 512, 1}},
      // Stored geometry may reach INT_MAX; its end lies beyond the int range.
      {INT_MAX - 5, 10, 0, {0, 0, 0}},
      {0, INT_MAX, 512, {0, INT_MAX - 512, 1}},
  };
  for (const Case& c : cases) {
    const PageSpan s = CalcPageSpan(c.start, c.count, c.page);
    EXPECT_EQ(s.inPage, c.expected.inPage) << c.start << "+" << c.count << "@" << c.page;
    if (s.inPage) {
      EXPECT_EQ(s.start, c.expected.start) << c.start << "+" << c.count << "@" << c.page;
      EXPECT_EQ(s.length, c.expected.length) << c.start << "+" << c.count << "@" << c.page;
    }
  }
}

TEST(CanOccupancy, ReadsAndWritesOutsideAreHarmless) {
  CBitOccupancy map(8);
  map.Set(-1, 3);
  map.Set(8, 3);
  map.Set(2, 0);
  EXPECT_FALSE(map.Taken(-5));
  EXPECT_FALSE(map.Taken(100));
  EXPECT_TRUE(map.Taken(2));
  EXPECT_TRUE(map.AnyTaken(-4, 7));
  EXPECT_FALSE(map.AnyTaken(3, 100));
  EXPECT_EQ(CBitOccupancy(-3).Size(), 0);
}

TEST_F(CanDlgTest, LastPageAndPageButtonsFollowTheByteCount) {
  struct Case {
    int bytes, j1939, lastPage;
    bool next;
  };
  for (const Case& c : {Case{0, 0, 0, false}, Case{64, 0, 0, false}, Case{65, 1, 1, true}, Case{200, 1, 3, true},
                        Case{1785, 1, 27, true}}) {
    _CANMsg* m = Msg("M", c.bytes, 1, FRAME_XTD, c.j1939);
    _CANSignal* s = Sig(m, "S", 0, 1);
    Open(DLGMODE_EDIT, m, s);
    EXPECT_EQ(dlg_->LastPage(), c.lastPage) << c.bytes;
    EXPECT_EQ(C().nextVisible, c.next) << c.bytes;
    EXPECT_FALSE(C().previousVisible);
    EXPECT_EQ(C().headingVisible, c.bytes > 0);
  }
}

TEST_F(CanDlgTest, PagesOfAJ1939MessageEndWithAShortOne) {
  _CANMsg* m = Msg("BIG", 200, 1, FRAME_XTD, 1);
  _CANSignal* s = Sig(m, "S", 1540, 8);
  Open(DLGMODE_EDIT, m, s);
  for (int i = 0; i < 3; ++i) dlg_->OnPageNext();
  EXPECT_EQ(dlg_->Page(), 3);
  EXPECT_EQ(dlg_->PageBitCount(), 64);
  EXPECT_FALSE(C().nextVisible);
  EXPECT_TRUE(C().previousVisible);
  const tagBitAssignInfo& info = dlg_->LastPageInfo();
  EXPECT_EQ(info.pageStart, 1536);
  ASSERT_GE(info.currentIndex, 0);
  EXPECT_EQ(info.elements[static_cast<std::size_t>(info.currentIndex)].start, 4);
  dlg_->OnPagePrevious();
  EXPECT_EQ(dlg_->Page(), 2);
  // Committing the byte count goes back to the first page.
  Commit(dlgids::IDC_BYTE_COUNT);
  EXPECT_EQ(dlg_->Page(), 0);
}

TEST_F(CanDlgTest, ViewModeKeepsTheWidestRanges) {
  _CANMsg* m = Msg("BIG", 200, 1, FRAME_XTD, 1);
  _CANSignal* s = Sig(m, "S", 1000, 8);
  Open(DLGMODE_VIEW, m, s);
  EXPECT_EQ(C().byteCountMax, 1785);
  EXPECT_EQ(C().byteCount, 200);
  EXPECT_EQ(C().startBitMax, 14279);
  EXPECT_EQ(C().startBit, 1000);
  EXPECT_TRUE(C().nextVisible);
}

TEST_F(CanDlgTest, ByteCountLimitsAndJ1939Switch) {
  _CANMsg* m = Msg("M", 8, 0x100, FRAME_STD);
  _CANSignal* s = Sig(m, "S", 0, 8);
  Open(DLGMODE_EDIT, m, s);
  C().byteCount = 70;
  Commit(dlgids::IDC_BYTE_COUNT);
  EXPECT_EQ(C().byteCount, 64);
  EXPECT_EQ(dlg_->WorkingMsg().byteCount, 64);

  dlg_->OnJ1939Clicked(true);
  EXPECT_EQ(C().byteCountMax, 1785);
  EXPECT_EQ(C().startBitMax, 14279);
  EXPECT_EQ(C().frameFormat, FRAME_XTD);
  EXPECT_TRUE(C().j1939ButtonVisible);
  dlg_->OnFrameFormatPicked(FRAME_STD);  // J1939 keeps XTD
  EXPECT_EQ(C().frameFormat, FRAME_XTD);
  C().byteCount = 200;
  Commit(dlgids::IDC_BYTE_COUNT);
  EXPECT_EQ(C().byteCount, 200);

  dlg_->OnJ1939Clicked(false);
  EXPECT_EQ(C().byteCount, 64);
  EXPECT_EQ(C().startBitMax, 511);
  EXPECT_FALSE(C().j1939ButtonVisible);
}

TEST_F(CanDlgTest, StartBitAndCountAreClampedIntoTheMessage) {
  _CANMsg* m = Msg("M", 64, 1);
  _CANSignal* s = Sig(m, "S", 0, 8);
  Open(DLGMODE_EDIT, m, s);
  C().startBit = 600;
  Commit(dlgids::IDC_START_BIT);
  EXPECT_EQ(C().startBit, 511);
  EXPECT_EQ(C().bitCount, 1);

  // No bytes left in the field: the start never goes below 0 and the signal
  // controls close.
  C().byteCount = 0;
  Commit(dlgids::IDC_BYTE_COUNT);
  dlg_->OnByteCountLeft();
  EXPECT_EQ(C().startBit, 0);
  EXPECT_GE(dlg_->WorkingSignal().startBit, 0);
  EXPECT_FALSE(C().signalControlsEnabled);
  EXPECT_FALSE(C().headingVisible);
  EXPECT_FALSE(C().nextVisible || C().previousVisible);
}

TEST_F(CanDlgTest, RangeSnapsOntoFreeBits) {
  struct Case {
    int start, count, expStart, expCount;
  };
  // Other signals hold 0..7 and 16..23 of an 8-byte message.
  for (const Case& c : {Case{4, 4, 8, 4}, Case{10, 20, 10, 6}, Case{20, 2, 24, 2}, Case{60, 10, 60, 4}}) {
    table_.RemoveAll();
    _CANMsg* m = Msg("M", 8, 1);
    Sig(m, "A", 0, 8);
    Sig(m, "B", 16, 8);
    _CANSignal* s = Sig(m, "S", 8, 1);
    Open(DLGMODE_EDIT, m, s);
    C().startBit = c.start;
    Commit(dlgids::IDC_START_BIT);
    C().bitCount = c.count;
    Commit(dlgids::IDC_BIT_COUNT);
    EXPECT_EQ(C().startBit, c.expStart) << c.start;
    EXPECT_EQ(C().bitCount, c.expCount) << c.start;
  }
}

TEST_F(CanDlgTest, ByteCountCutsOnlyWhenLeft) {
  enum End { LEFT, OK };
  struct Case {
    const char* rule;
    int stored, start, count;
    std::vector<int> typed;  // every value the field passed through
    End end;
    int expStart, expCount;
    std::vector<int> messages;
  };
  // B holds 62-63 of the stored message.
  const Case cases[] = {
      {"left: cut, then moved off B", 16, 56, 16, {1, 8}, LEFT, 56, 6, {}},
      {"OK cuts nothing: the signal outside the frame is refused", 16, 56, 16, {1, 8}, OK, 56, 16, {4018}},
      {"typed back to the stored count: nothing cut", 8, 60, 8, {4, 8}, LEFT, 60, 8, {}},
      {"emptied on the way", 8, 40, 8, {0, 8}, LEFT, 40, 8, {}},
  };
  for (const Case& c : cases) {
    table_.RemoveAll();
    prompt_.shown.clear();
    _CANMsg* m = Msg("M", c.stored, 1);
    Sig(m, "B", 62, 2);
    _CANSignal* s = Sig(m, "S", c.start, c.count);
    Open(DLGMODE_EDIT, m, s);
    for (int bytes : c.typed) {
      C().byteCount = bytes;
      Commit(dlgids::IDC_BYTE_COUNT);
      EXPECT_EQ(C().startBit, c.start) << c.rule << " at " << bytes;
    }
    if (c.end == LEFT) dlg_->OnByteCountLeft();
    if (c.end == OK) {
      EXPECT_FALSE(dlg_->OnOK(prompt_).accept) << c.rule;
    }
    EXPECT_EQ(C().startBit, c.expStart) << c.rule;
    EXPECT_EQ(C().bitCount, c.expCount) << c.rule;
    EXPECT_EQ(prompt_.Ids(), c.messages) << c.rule;
    EXPECT_EQ(s->startBit, c.start) << c.rule;
  }
}

TEST_F(CanDlgTest, FullMessageDisablesTheSignalControls) {
  _CANMsg* m = Msg("M", 1, 1);
  Sig(m, "A", 0, 8);
  _CANSignal* s = Sig(m, "S", 0, 1);
  Open(DLGMODE_EDIT, m, s);
  EXPECT_FALSE(C().signalControlsEnabled);
}

TEST_F(CanDlgTest, ValueTypeFollowsTheBitCount) {
  _CANMsg* m = Msg("M", 16, 1);
  Sig(m, "A", 40, 8);
  _CANSignal* s = Sig(m, "S", 0, 8);
  Open(DLGMODE_EDIT, m, s);
  dlg_->OnValueTypeOpened();
  dlg_->OnValueTypePicked(VTITEM_FLOAT);
  EXPECT_EQ(C().valueType, VTITEM_FLOAT);
  EXPECT_EQ(C().bitCount, 32);
  dlg_->OnValueTypeOpened();
  dlg_->OnValueTypePicked(VTITEM_DOUBLE);  // 64 bits from 0 run into A
  EXPECT_EQ(C().valueType, VTITEM_FLOAT);
  EXPECT_EQ(C().bitCount, 32);
  C().bitCount = 16;
  Commit(dlgids::IDC_BIT_COUNT);
  EXPECT_EQ(C().valueType, VTITEM_UNSIGNED);
}

TEST_F(CanDlgTest, MultiplexedSignalsShareBitsAPlainOneIsRefused) {
  _CANMsg* m = Msg("M", 8, 1);
  Sig(m, "MODE", 0, 4);
  Sig(m, "A", 8, 8, "MODE");
  _CANSignal* b = Sig(m, "B", 8, 8, "MODE");
  Open(DLGMODE_EDIT, m, b);
  EXPECT_EQ(C().MuxText(), "MODE");
  EXPECT_TRUE(dlg_->OnOK(prompt_).accept);
  EXPECT_TRUE(prompt_.shown.empty());

  _CANSignal* c = Sig(m, "C", 8, 8);
  Open(DLGMODE_EDIT, m, c);
  C().startBit = 8;
  C().bitCount = 8;
  const auto r = dlg_->OnOK(prompt_);
  EXPECT_FALSE(r.accept);
  EXPECT_EQ(prompt_.Ids(), std::vector<int>{4014});
  EXPECT_EQ(r.focus, dlgids::IDC_START_BIT);
}

TEST_F(CanDlgTest, MultiplexorChainsBackToTheSignal) {
  struct Case {
    const char* pick;
    int message;
  };
  for (const Case& c : {Case{"B", 4110}, Case{"C", 4110}, Case{"MODE", 0}, Case{"LOW", 4014}}) {
    table_.RemoveAll();
    prompt_.shown.clear();
    _CANMsg* m = Msg("M", 8, 1);
    Sig(m, "MODE", 0, 4);
    Sig(m, "LOW", 28, 8, "MODE");
    _CANSignal* a = Sig(m, "A", 32, 8, "MODE");
    Sig(m, "B", 40, 4, "A");  // A-B-A
    Sig(m, "C", 44, 4, "B");  // A-C-B-A
    Open(DLGMODE_EDIT, m, a);
    int index = 0;
    for (std::size_t i = 0; i < C().muxItems.size(); ++i) {
      if (C().muxItems[i] == c.pick) index = static_cast<int>(i);
    }
    const int focus = dlg_->OnMultiplexorPicked(index, prompt_);
    if (c.message) {
      EXPECT_EQ(prompt_.Ids(), std::vector<int>{c.message}) << c.pick;
      EXPECT_EQ(focus, dlgids::IDC_MULTIPLEXOR);
      EXPECT_EQ(C().MuxText(), "MODE");  // back to the stored choice
    } else {
      EXPECT_TRUE(prompt_.shown.empty()) << c.pick;
      EXPECT_TRUE(C().muxValueEnabled);
    }
  }
}

// Every refusal of OK, in its place in the order, with its focus.
TEST_F(CanDlgTest, OkRefusals) {
  struct Case {
    const char* what;
    int mode;
    std::function<void(CanDlgTest&)> edit;
    int message;
    int focus;
    const char* arg0;
  };
  const Case cases[] = {
      {"empty message name", DLGMODE_EDIT, [](CanDlgTest& t) { t.C().msgName = ""; }, 4001, dlgids::IDC_MSG_NAME, ""},
      {"renamed onto another message", DLGMODE_EDIT, [](CanDlgTest& t) { t.C().msgName = "other"; }, 4020,
       dlgids::IDC_MSG_NAME, ""},
      {"identifier of another message", DLGMODE_EDIT, [](CanDlgTest& t) { t.C().id = 0x200; }, 4008, dlgids::IDC_MSG_ID,
       "512"},
      {"empty signal name", DLGMODE_EDIT, [](CanDlgTest& t) { t.C().sigName = ""; }, 4001, dlgids::IDC_SIGNAL_NAME, ""},
      {"signal name taken", DLGMODE_EDIT, [](CanDlgTest& t) { t.C().sigName = "b"; }, 4021, dlgids::IDC_SIGNAL_NAME,
       ""},
      {"other signal beyond the length", DLGMODE_EDIT, [](CanDlgTest& t) { t.C().byteCount = 1; }, 4018,
       dlgids::IDC_BYTE_COUNT, "B"},
      {"own bits beyond the length", DLGMODE_EDIT,
       [](CanDlgTest& t) {
         t.C().startBit = 60;
         t.C().bitCount = 8;
       },
       4018, dlgids::IDC_START_BIT, "S"},
      {"overlap", DLGMODE_EDIT, [](CanDlgTest& t) { t.C().startBit = 14; }, 4014, dlgids::IDC_START_BIT, ""},
      {"bad multiplex value", DLGMODE_EDIT,
       [](CanDlgTest& t) {
         t.C().muxValueError = MVERR_FORMAT;
         t.C().muxValuePart = "0xG";
       },
       4038, dlgids::IDC_MUX_VALUE, "0xG"},
      {"multiplex range reversed", DLGMODE_EDIT,
       [](CanDlgTest& t) {
         t.C().muxValueError = MVERR_ORDER;
         t.C().muxValuePart = "5-2";
       },
       4039, dlgids::IDC_MUX_VALUE, "5-2"},
      {"multiplex value too large", DLGMODE_EDIT,
       [](CanDlgTest& t) {
         t.C().muxValueError = MVERR_RANGE;
         t.C().muxValuePart = "99999999999";
       },
       4040, dlgids::IDC_MUX_VALUE, "99999999999"},
      {"new: other frame format", DLGMODE_NEW,
       [](CanDlgTest& t) {
         t.C().msgName = "m";
         t.C().frameFormat = FRAME_XTD;
       },
       4031, dlgids::IDC_FRAME_FORMAT, ""},
      {"new: identifier of another message", DLGMODE_NEW,
       [](CanDlgTest& t) {
         t.C().msgName = "NEWMSG";
         t.C().id = 0x200;
       },
       4008, dlgids::IDC_MSG_ID, "512"},
      {"new: existing message, other identifier", DLGMODE_NEW,
       [](CanDlgTest& t) {
         t.C().msgName = "M";
         t.C().id = 0x300;
       },
       4022, dlgids::IDC_MSG_ID, "M"},
      {"new: signal name taken", DLGMODE_NEW,
       [](CanDlgTest& t) {
         t.C().msgName = "M";
         t.C().id = 0x100;
         t.C().sigName = "s";
       },
       4021, dlgids::IDC_SIGNAL_NAME, ""},
      {"new: other byte count", DLGMODE_NEW,
       [](CanDlgTest& t) {
         t.C().msgName = "M";
         t.C().id = 0x100;
         t.C().sigName = "NEW";
         t.C().byteCount = 4;
       },
       4032, dlgids::IDC_BYTE_COUNT, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    table_.RemoveAll();
    prompt_.shown.clear();
    _CANMsg* m = Msg("M", 8, 0x100);
    _CANSignal* s = Sig(m, "S", 0, 8);
    Sig(m, "B", 8, 8);
    _CANMsg* other = Msg("OTHER", 8, 0x200);
    Sig(other, "X", 0, 8);
    if (c.mode == DLGMODE_NEW) {
      OpenNew();
      C().sigName = "NEW";
      C().byteCount = 8;
      C().startBit = 40;
    } else {
      Open(DLGMODE_EDIT, m, s);
    }
    c.edit(*this);
    const auto r = dlg_->OnOK(prompt_);
    EXPECT_FALSE(r.accept);
    EXPECT_EQ(r.focus, c.focus);
    ASSERT_EQ(prompt_.Ids(), std::vector<int>{c.message});
    if (*c.arg0) {
      const MsgArg& a = prompt_.shown[0].args.at(0);
      EXPECT_EQ(a.Text(), c.arg0);
    }
    EXPECT_FALSE(dlg_->Modified());
    EXPECT_STREQ(m->name, "M");
    EXPECT_EQ(s->startBit, 0);
  }
}

TEST_F(CanDlgTest, RenamedMessageIsCheckedWithItsOwnSignals) {
  _CANMsg* m = Msg("M", 8, 1);
  Sig(m, "A", 8, 8);
  _CANSignal* s = Sig(m, "S", 0, 8);
  Open(DLGMODE_EDIT, m, s);
  C().msgName = "RENAMED";
  C().startBit = 8;  // on A's bits
  EXPECT_FALSE(dlg_->OnOK(prompt_).accept);
  EXPECT_EQ(prompt_.Ids(), std::vector<int>{4014});

  // Only letter case changed: not "another message".
  prompt_.shown.clear();
  C().msgName = "m";
  C().startBit = 0;
  C().bitCount = 8;
  EXPECT_TRUE(dlg_->OnOK(prompt_).accept);
  EXPECT_STREQ(m->name, "m");
  EXPECT_TRUE(dlg_->Modified());
}

TEST_F(CanDlgTest, ByteOrderQuestion) {
  for (bool answer : {false, true}) {
    table_.RemoveAll();
    prompt_.shown.clear();
    _CANMsg* m = Msg("M", 8, 1);
    _CANSignal* a = Sig(m, "A", 8, 8);
    _CANSignal* s = Sig(m, "S", 0, 8);
    Open(DLGMODE_EDIT, m, s);
    C().byteOrder = BYTEORDER_BIG;
    a->byteOrder = BYTEORDER_LITTLE;
    prompt_.answers = {answer};
    const auto r = dlg_->OnOK(prompt_);
    EXPECT_EQ(prompt_.Ids(), std::vector<int>{4026});
    EXPECT_EQ(r.accept, answer);
    EXPECT_EQ(a->byteOrder, answer ? BYTEORDER_BIG : BYTEORDER_LITTLE);
    EXPECT_EQ(s->byteOrder, answer ? BYTEORDER_BIG : BYTEORDER_LITTLE);
    EXPECT_EQ(dlg_->Modified(), answer);
  }
}

TEST_F(CanDlgTest, AcceptedByteOrderAloneMarksTheDialogModified) {
  _CANMsg* m = Msg("M", 8, 1);
  _CANSignal* a = Sig(m, "A", 8, 8);
  a->byteOrder = BYTEORDER_BIG;
  _CANSignal* s = Sig(m, "S", 0, 8);
  Open(DLGMODE_EDIT, m, s);
  EXPECT_TRUE(dlg_->OnOK(prompt_).accept);
  EXPECT_EQ(a->byteOrder, BYTEORDER_LITTLE);
  EXPECT_TRUE(dlg_->Modified());
}

TEST_F(CanDlgTest, NothingChangedLeavesTheDialogUnmodified) {
  _CANMsg* m = Msg("M", 8, 1);
  _CANSignal* s = Sig(m, "S", 0, 8);
  s->multiplexValue = "1,2";
  Open(DLGMODE_EDIT, m, s);
  EXPECT_TRUE(dlg_->OnOK(prompt_).accept);
  EXPECT_FALSE(dlg_->Modified());
  EXPECT_EQ(s->multiplexValue, "1,2");
}

TEST_F(CanDlgTest, WriteBackFieldByField) {
  _CANMsg* m = Msg("M", 8, 1);
  Sig(m, "MODE", 60, 4);
  _CANSignal* s = Sig(m, "S", 0, 8);
  Open(DLGMODE_EDIT, m, s);
  C().byteCount = 9;
  Commit(dlgids::IDC_BYTE_COUNT);
  C().sigName = "Speed";
  C().startBit = 8;
  Commit(dlgids::IDC_START_BIT);
  C().bitCount = 32;
  Commit(dlgids::IDC_BIT_COUNT);
  dlg_->OnValueTypePicked(VTITEM_FLOAT);
  C().factor = 0.5;
  C().unit = "km/h";
  C().muxSel = 1;  // MODE
  C().muxValueText = "1,3";
  EXPECT_TRUE(dlg_->OnOK(prompt_).accept);
  EXPECT_EQ(m->byteCount, 9);
  EXPECT_EQ(m->frameType, CANFRAME_FD);
  EXPECT_STREQ(s->name, "Speed");
  EXPECT_EQ(s->startBit, 8);
  EXPECT_EQ(s->bitCount, 32);
  EXPECT_EQ(s->valueType, VALTYPE_FLOAT);
  EXPECT_EQ(s->factor, 0.5);
  EXPECT_STREQ(s->unit, "km/h");
  EXPECT_STREQ(s->multiplexor, "MODE");
  EXPECT_EQ(s->multiplexValue, "1,3");
  EXPECT_TRUE(dlg_->Modified());
}

TEST_F(CanDlgTest, MinimumAboveMaximumSwaps) {
  _CANMsg* m = Msg("M", 8, 1);
  _CANSignal* s = Sig(m, "S", 0, 8);
  Open(DLGMODE_EDIT, m, s);
  C().minimum = 10;
  C().maximum = 5;
  Commit(dlgids::IDC_MINIMUM);
  EXPECT_EQ(C().minimum, 5);
  EXPECT_EQ(C().maximum, 10);
  C().minimum = 20;
  C().maximum = VALUE_UNLIMITED;  // empty maximum: no limit, nothing to swap
  Commit(dlgids::IDC_MAXIMUM);
  EXPECT_EQ(C().minimum, 20);
}

TEST_F(CanDlgTest, GridSelectionTakesOnlyARangeChosenSincePress) {
  _CANMsg* m = Msg("M", 8, 1);
  _CANSignal* s = Sig(m, "S", 0, 8);
  Open(DLGMODE_EDIT, m, s);
  dlg_->OnBitSelectDone(40, 47);  // release after a press on nothing
  EXPECT_EQ(C().startBit, 0);
  dlg_->OnBitSelectChanging(20, 16);
  EXPECT_EQ(C().startBit, 16);
  EXPECT_EQ(C().bitCount, 5);
  dlg_->OnBitSelectDone(16, 23);
  EXPECT_EQ(dlg_->WorkingSignal().startBit, 16);
  EXPECT_EQ(dlg_->WorkingSignal().bitCount, 8);
  dlg_->OnBitSelectDone(40, 47);  // a second release without a new range
  EXPECT_EQ(C().startBit, 16);

  Open(DLGMODE_VIEW, m, s);
  dlg_->OnBitSelectChanging(40, 47);
  dlg_->OnBitSelectDone(40, 47);
  EXPECT_EQ(C().startBit, 0);
  EXPECT_FALSE(C().signalControlsEnabled);
  EXPECT_TRUE(dlg_->OnOK(prompt_).accept);
  EXPECT_EQ(s->startBit, 0);
}

TEST_F(CanDlgTest, OpeningGridShowsOtherSignalsAndTheEditedOneLast) {
  _CANMsg* m = Msg("M", 8, 1);
  Sig(m, "A", 8, 8);
  _CANSignal* s = Sig(m, "S", 0, 8);
  Open(DLGMODE_EDIT, m, s);
  ASSERT_FALSE(pages_.empty());
  const tagBitAssignInfo& first = pages_.front();
  EXPECT_EQ(first.pageBitCount, 64);
  ASSERT_EQ(first.elements.size(), 2u);
  EXPECT_EQ(first.elements[0].name, "A");
  EXPECT_EQ(first.currentIndex, 1);
  EXPECT_EQ(first.elements[1].name, "S");
}

TEST_F(CanDlgTest, NewDefinitionPicksAnExistingMessage) {
  _CANMsg* m = Msg("ENGINE", 16, 0x123, FRAME_XTD);
  Sig(m, "RPM", 0, 16);
  OpenNew();
  EXPECT_TRUE(dlg_->NamesPickable());
  EXPECT_EQ(C().msgNames, std::vector<std::string>{"ENGINE"});
  EXPECT_EQ(C().sigNames, std::vector<std::string>{"RPM"});
  dlg_->OnMessagePicked(0);
  EXPECT_EQ(C().msgName, "ENGINE");
  EXPECT_EQ(C().byteCount, 16);
  EXPECT_EQ(C().frameFormat, FRAME_XTD);
  EXPECT_EQ(C().id, 0x123);
  EXPECT_EQ(C().startBit, 16);  // snapped past RPM
  C().sigName = "TEMP";
  const auto r = dlg_->OnOK(prompt_);
  EXPECT_TRUE(r.accept);
  EXPECT_TRUE(prompt_.shown.empty());
  EXPECT_STREQ(freshMsg_->name, "ENGINE");
  EXPECT_EQ(freshSig_->startBit, 16);
}

TEST_F(CanDlgTest, EmptyMessageOpensWithNoName) {
  _CANMsg* m = Msg("M", 0, 1);
  _CANSignal* s = Sig(m, "S", 0, 1);
  dlg_ = std::make_unique<CCanDlgModel>(&table_, DLGMODE_NEW);
  freshMsg_ = std::make_unique<_CANMsg>();
  freshSig_ = std::make_unique<_CANSignal>();
  dlg_->SetTarget(freshMsg_.get(), freshSig_.get());
  dlg_->Open();
  EXPECT_EQ(C().sigName, "NoName");
  EXPECT_FALSE(C().signalControlsEnabled);
  (void)s;
}
