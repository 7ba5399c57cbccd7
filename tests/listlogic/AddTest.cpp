// Adding reference rows to the definitions: every refusal with its message
// and arguments, the order of the checks, FlexRay cycles, LOGIC groups, and
// no record lost from the pools.
#include "DocFixture.h"
#include "ListAdd.h"
#include "ListLogic.h"
#include "ListTestUtil.h"
#include "RecordingMessageSink.h"

#include <functional>

using namespace listtest;

namespace {

int RowOf(const ListRows& rows, const std::string& msg, const std::string& sig) {
  for (std::size_t i = 0; i < rows.size(); ++i)
    if (rows[i].Cell(COL_MESSAGE) == msg && rows[i].Cell(COL_SIGNAL) == sig) return static_cast<int>(i);
  return -1;
}

ListRows Filler(int n) {
  ListRows rows(static_cast<std::size_t>(n));
  for (auto& r : rows) r.cells.resize(5);
  return rows;
}

// The CAN reference list every CAN case starts from: message REF (id 0x100,
// 8 bytes) with plain, faulty, overlapping, big-endian and multiplexed signals.
void CanReference(CVestrelDoc& doc) {
  _CANMsg* ref = AddCanMsg(doc, LIST_REFERENCE, "Ref", 0x100, 8);
  AddCanSig(doc, ref, {"Plain", 0, 8, 0});
  AddCanSig(doc, ref, {"Faulty", 8, 8, 1, "", BYTEORDER_LITTLE, 1});
  AddCanSig(doc, ref, {"Overlap", 4, 8, 2});
  AddCanSig(doc, ref, {"Big", 16, 8, 3, "", BYTEORDER_BIG});
  AddCanSig(doc, ref, {"Muxed", 0, 8, 4, "Plain"}, "1-3");
  AddCanSig(doc, ref, {"Free", 24, 8, 7});
  _CANMsg* other = AddCanMsg(doc, LIST_REFERENCE, "Other", 0x200, 8);
  AddCanSig(doc, other, {"S", 0, 8, 5});
  AddCanSig(doc, other, {"Bad", 8, 8, 6, "", BYTEORDER_LITTLE, 1});
}

struct AddCase {
  const char* name;
  std::function<void(CVestrelDoc&)> definitions;  // what the definition list holds first
  const char* msg;
  const char* sig;
  int defRows;                     // rows the definition list shows already
  int expectId;                    // 0: added without a message
  std::vector<std::string> texts;  // text arguments expected, in order
  std::vector<long long> numbers;  // number arguments expected, in order
};

}  // namespace

class CanAddRefusals : public vrtest::DocTestWithParam<AddCase> {};

TEST_P(CanAddRefusals, MessageArgumentsAndNothingLost) {
  const AddCase& c = GetParam();
  CanReference(doc);
  if (c.definitions) c.definitions(doc);
  ListRows refRows = BuildListRows(doc, LIST_REFERENCE, BUS_CAN, 0);
  ListRows defRows = Filler(c.defRows);
  const std::size_t before = defRows.size();
  const int defSignals = doc.CountCanSignals(LIST_DEFINITION);
  RecordingMessageSink sink;

  int added = AddReferenceRows(doc, BUS_CAN, refRows, {RowOf(refRows, c.msg, c.sig)}, defRows);

  if (c.expectId == 0) {
    EXPECT_TRUE(sink.shown.empty());
    EXPECT_EQ(added, 1);
    EXPECT_EQ(defRows.size(), before + 1);
    EXPECT_EQ(doc.CountCanSignals(LIST_DEFINITION), defSignals + 1);
    EXPECT_TRUE(doc.IsDefModified());
  } else {
    ASSERT_EQ(sink.shown.size(), 1u);
    const ShownMessage& m = sink.shown[0];
    EXPECT_EQ(m.id, c.expectId);
    std::vector<std::string> texts;
    std::vector<long long> numbers;
    for (const auto& a : m.args) (a.IsText() ? (void)texts.push_back(a.Text()) : numbers.push_back(a.Number()));
    EXPECT_EQ(texts, c.texts);
    EXPECT_EQ(numbers, c.numbers);
    EXPECT_EQ(added, 0);
    EXPECT_EQ(defRows.size(), before);
    EXPECT_EQ(doc.CountCanSignals(LIST_DEFINITION), defSignals);
    EXPECT_FALSE(doc.IsDefModified());
  }
  EXPECT_TRUE(NothingLost(doc));
}

namespace {

void DefRef(CVestrelDoc& doc, int id = 0x100, int bytes = 8, int format = FRAME_STD) {
  _CANMsg* d = AddCanMsg(doc, LIST_DEFINITION, "REF", id, bytes, format);
  AddCanSig(doc, d, {"Plain", 0, 8, 0});
}

const AddCase kCanCases[] = {
    {"IntoExisting", [](CVestrelDoc& d) { DefRef(d); }, "Ref", "Free", 0, 0, {}, {}},
    {"FrameFormat",
     [](CVestrelDoc& d) { DefRef(d, 0x100, 8, FRAME_XTD); },
     "Ref",
     "Free",
     0,
     4029,
     {"Ref", "Free"},
     {}},
    {"Identifier", [](CVestrelDoc& d) { DefRef(d, 0x101); }, "Ref", "Free", 0, 4003, {"Ref"}, {0x101}},
    {"ByteCount", [](CVestrelDoc& d) { DefRef(d, 0x100, 12); }, "Ref", "Free", 0, 4028, {"Ref", "Free"}, {}},
    {"AlreadyDefined", [](CVestrelDoc& d) { DefRef(d); }, "Ref", "Plain", 0, 4033, {"Ref", "Plain"}, {}},
    {"ImportError", [](CVestrelDoc& d) { DefRef(d); }, "Ref", "Faulty", 0, 4015, {"Ref", "Faulty"}, {}},
    // The import mark is tested before the row limit.
    {"ImportErrorBeforeLimit", [](CVestrelDoc& d) { DefRef(d); }, "Ref", "Faulty", 500, 4015, {"Ref", "Faulty"}, {}},
    {"RowLimit", [](CVestrelDoc& d) { DefRef(d); }, "Ref", "Free", 500, 4019, {}, {500}},
    {"RowLimitLeavesOneFree", [](CVestrelDoc& d) { DefRef(d); }, "Ref", "Free", 499, 0, {}, {}},
    {"BitOverlap", [](CVestrelDoc& d) { DefRef(d); }, "Ref", "Overlap", 0, 4030, {"Ref", "Overlap"}, {}},
    // A multiplexed signal is never refused for its bits.
    {"MultiplexedOverlapAccepted", [](CVestrelDoc& d) { DefRef(d); }, "Ref", "Muxed", 0, 0, {}, {}},
    {"ByteOrder",
     [](CVestrelDoc& d) {
       _CANMsg* m = AddCanMsg(d, LIST_DEFINITION, "REF", 0x100, 8);
       AddCanSig(d, m, {"Plain", 0, 8, 0, "", BYTEORDER_BIG});
     },
     "Ref",
     "Overlap",
     0,
     4030,
     {"Ref", "Overlap"},
     {}},
    {"ByteOrderAfterBits",
     [](CVestrelDoc& d) {
       _CANMsg* m = AddCanMsg(d, LIST_DEFINITION, "REF", 0x100, 8);
       AddCanSig(d, m, {"Plain", 0, 8, 0, "", BYTEORDER_BIG});
     },
     "Ref",
     "Muxed",
     0,
     4027,
     {"Ref", "Muxed"},
     {}},
    {"NewMessage", nullptr, "Other", "S", 0, 0, {}, {}},
    {"NewIdentifierUsed",
     [](CVestrelDoc& d) { AddCanSig(d, AddCanMsg(d, LIST_DEFINITION, "Holder", 0x200, 8), {"X"}); },
     "Other",
     "S",
     0,
     4008,
     {"Holder"},
     {0x200}},
    // The identifier test ignores the frame format.
    {"NewIdentifierUsedOtherFormat",
     [](CVestrelDoc& d) { AddCanSig(d, AddCanMsg(d, LIST_DEFINITION, "Holder", 0x200, 8, FRAME_XTD), {"X"}); },
     "Other",
     "S",
     0,
     4008,
     {"Holder"},
     {0x200}},
    {"NewImportError", nullptr, "Other", "Bad", 0, 4015, {"Other", "Bad"}, {}},
    {"NewImportErrorBeforeLimit", nullptr, "Other", "Bad", 500, 4015, {"Other", "Bad"}, {}},
    {"NewRowLimit", nullptr, "Other", "S", 500, 4019, {}, {500}},
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Table, CanAddRefusals, ::testing::ValuesIn(kCanCases),
                         [](const auto& c) { return std::string(c.param.name); });

DOC_TEST(AddReferenceRows, NoSelectionChangesNothing) {
  CanReference(doc);
  ListRows refRows = BuildListRows(doc, LIST_REFERENCE, BUS_CAN, 0);
  ListRows defRows;
  RecordingMessageSink sink;
  EXPECT_EQ(AddReferenceRows(doc, BUS_CAN, refRows, {}, defRows), 0);
  EXPECT_FALSE(doc.IsDefModified());
  EXPECT_TRUE(sink.shown.empty());
}

DOC_TEST(AddReferenceRows, FirstRefusalEndsTheRunAndKeepsWhatWasAdded) {
  _CANMsg* m = AddCanMsg(doc, LIST_REFERENCE, "M", 1, 8);
  for (int i = 0; i < 5; ++i) {
    std::string n = "S" + std::to_string(i);
    AddCanSig(doc, m, {n.c_str(), i * 8, 8, i, "", BYTEORDER_LITTLE, i == 2 ? 1 : 0});
  }
  ListRows refRows = BuildListRows(doc, LIST_REFERENCE, BUS_CAN, 0);
  ListRows defRows;
  RecordingMessageSink sink;
  // Rows in any order: they are worked on in ascending order.
  EXPECT_EQ(AddReferenceRows(doc, BUS_CAN, refRows, {4, 0, 2, 1, 3}, defRows), 2);
  EXPECT_EQ(sink.Ids(), std::vector<int>{4015});
  ASSERT_EQ(defRows.size(), 2u);
  EXPECT_EQ(defRows[1].Cell(COL_SIGNAL), "S1");
  EXPECT_EQ(defRows[1].Cell(COL_NUMBER), "2");
  EXPECT_TRUE(doc.IsDefModified());
  EXPECT_EQ(doc.CountCanSignals(LIST_DEFINITION), 2);
  EXPECT_TRUE(NothingLost(doc));
}

DOC_TEST(AddReferenceRows, RowsWithoutRecordsArePassedOver) {
  CanReference(doc);
  ListRows refRows = BuildListRows(doc, LIST_REFERENCE, BUS_CAN, 0);
  ListRows stale = refRows;
  stale[0].SetCell(COL_MESSAGE, "Gone");
  ListRows defRows;
  RecordingMessageSink sink;
  EXPECT_EQ(AddReferenceRows(doc, BUS_CAN, stale, {0, RowOf(refRows, "Other", "S")}, defRows), 1);
  EXPECT_TRUE(sink.shown.empty());
}

DOC_TEST(AddReferenceRows, CopiesOwnTheirMultiplexTextAndKeepTheLoadNumber) {
  CanReference(doc);
  ListRows refRows = BuildListRows(doc, LIST_REFERENCE, BUS_CAN, 0);
  ListRows defRows;
  RecordingMessageSink sink;
  // Refused by its identifier after the copy was made: the reference text stays.
  AddCanSig(doc, AddCanMsg(doc, LIST_DEFINITION, "Holder", 0x100, 8), {"X"});
  EXPECT_EQ(AddReferenceRows(doc, BUS_CAN, refRows, {RowOf(refRows, "Ref", "Muxed")}, defRows), 0);
  const _CANSignal* ref = doc.GetCanMsgTable(LIST_REFERENCE).Find("REF")->signals.Find("MUXED");
  EXPECT_EQ(ref->multiplexValue, "1-3");

  CVestrelDoc& doc2 = NewDoc();
  CanReference(doc2);
  ListRows rows2 = BuildListRows(doc2, LIST_REFERENCE, BUS_CAN, 0);
  ASSERT_EQ(AddReferenceRows(doc2, BUS_CAN, rows2, {RowOf(rows2, "Ref", "Muxed")}, defRows), 1);
  _CANSignal* copy = doc2.GetCanMsgTable(LIST_DEFINITION).Find("REF")->signals.Find("MUXED");
  _CANSignal* src = doc2.GetCanMsgTable(LIST_REFERENCE).Find("REF")->signals.Find("MUXED");
  ASSERT_NE(copy, src);
  EXPECT_EQ(copy->loadNo, 4);
  EXPECT_STREQ(copy->multiplexor, "Plain");
  copy->multiplexValue = "9";
  EXPECT_EQ(src->multiplexValue, "1-3");
}

DOC_TEST(AddReferenceRows, LinRefusesTwiceWith4033AndChecksIdentifiers) {
  _LINMsg* m = AddLinMsg(doc, LIST_REFERENCE, "Frame", 5, 2);
  AddLinSig(doc, m, {"A", 0, 8, 0});
  _LINMsg* other = AddLinMsg(doc, LIST_REFERENCE, "Other", 5, 2);
  AddLinSig(doc, other, {"B", 0, 8, 1});
  ListRows refRows = BuildListRows(doc, LIST_REFERENCE, BUS_LIN, 0);
  ListRows defRows;
  RecordingMessageSink sink;
  EXPECT_EQ(AddReferenceRows(doc, BUS_LIN, refRows, {0}, defRows), 1);
  EXPECT_EQ(AddReferenceRows(doc, BUS_LIN, refRows, {0}, defRows), 0);
  EXPECT_EQ(AddReferenceRows(doc, BUS_LIN, refRows, {1}, defRows), 0);
  ASSERT_EQ(sink.Ids(), (std::vector<int>{4033, 4008}));
  EXPECT_EQ(sink.shown[1].ArgNumber(0), 5);
  EXPECT_EQ(sink.shown[1].ArgText(1), "Frame");
  EXPECT_TRUE(NothingLost(doc));
}

DOC_TEST(AddReferenceRows, FlexRayCyclesOnOneSlot) {
  struct Case {
    int base, rep, defBase, defRep;
    bool refused;
  };
  const Case cases[] = {
      {0, 4, 2, 2, true},    // 4, 8 ... shared
      {1, 4, 0, 2, false},   // odd against even
      {0, 64, 64, 1, true},  // 64 belongs to both sets
      {63, 2, 0, 1, true},  {3, 8, 4, 8, false},
  };
  for (const Case& c : cases) {
    CVestrelDoc& rowDoc = NewDoc();
    AddFrSig(rowDoc, AddFrMsg(rowDoc, LIST_REFERENCE, "NewFrame", 5, 8, c.base, c.rep), {"S", 0, 8});
    AddFrSig(rowDoc, AddFrMsg(rowDoc, LIST_DEFINITION, "OldFrame", 5, 8, c.defBase, c.defRep), {"T", 0, 8});
    ListRows refRows = BuildListRows(rowDoc, LIST_REFERENCE, BUS_FLEXRAY, 0);
    ListRows defRows = Filler(1);
    RecordingMessageSink sink;
    int added = AddReferenceRows(rowDoc, BUS_FLEXRAY, refRows, {0}, defRows);
    EXPECT_EQ(added, c.refused ? 0 : 1) << c.base << "/" << c.rep;
    if (c.refused) {
      ASSERT_EQ(sink.Ids(), std::vector<int>{4035});
      EXPECT_EQ(sink.shown[0].ArgNumber(0), 5);
      EXPECT_EQ(sink.shown[0].ArgText(1), "NewFrame");
    }
    EXPECT_TRUE(NothingLost(rowDoc));
  }
  // Another slot never collides.
  EXPECT_TRUE(CheckCycleFree(doc, 5, 0, 1));
  AddFrSig(doc, AddFrMsg(doc, LIST_DEFINITION, "F", 6, 8, 0, 1), {"T"});
  EXPECT_TRUE(CheckCycleFree(doc, 5, 0, 1));
  EXPECT_FALSE(CheckCycleFree(doc, 6, 7, 9));
}

// A new frame's base cycle must lie below its repetition, as the FlexRay
// dialog demands: one that does not is refused with 4036 and nothing added.
DOC_TEST(AddReferenceRows, FlexRayBaseCycleBelowRepetition) {
  struct Case {
    int base, rep;
    bool refused;
  };
  const Case cases[] = {{1, 1, true}, {4, 4, true}, {5, 2, true}, {1, 4, false}, {0, 1, false}, {63, 64, false}};
  for (const Case& c : cases) {
    CVestrelDoc& rowDoc = NewDoc();
    AddFrSig(rowDoc, AddFrMsg(rowDoc, LIST_REFERENCE, "Frame", 5, 8, c.base, c.rep), {"S", 0, 8});
    ListRows refRows = BuildListRows(rowDoc, LIST_REFERENCE, BUS_FLEXRAY, 0);
    ListRows defRows;
    RecordingMessageSink sink;
    EXPECT_EQ(AddReferenceRows(rowDoc, BUS_FLEXRAY, refRows, {0}, defRows), c.refused ? 0 : 1)
        << c.base << "/" << c.rep;
    EXPECT_EQ(sink.Ids(), c.refused ? std::vector<int>{4036} : std::vector<int>{}) << c.base << "/" << c.rep;
    EXPECT_EQ(rowDoc.GetFlexRayMsgTable(LIST_DEFINITION).size(), c.refused ? 0u : 1u);
    EXPECT_TRUE(NothingLost(rowDoc));
  }
}

DOC_TEST(AddReferenceRows, FlexRayIdenticalCodingWarnsOnceAndClearsBothMarks) {
  _FlexRayMsg* m = AddFrMsg(doc, LIST_REFERENCE, "F", 1, 8, 0, 1);
  AddFrSig(doc, m, {"Warned", 0, 8, -1, "", BYTEORDER_LITTLE, 0, 1});
  AddFrSig(doc, m, {"Other", 8, 8, -1, "", BYTEORDER_LITTLE, 0, 1});
  ListRows refRows = BuildListRows(doc, LIST_REFERENCE, BUS_FLEXRAY, 0);
  ListRows defRows;
  RecordingMessageSink sink;
  EXPECT_EQ(AddReferenceRows(doc, BUS_FLEXRAY, refRows, {0}, defRows), 1);
  EXPECT_EQ(sink.Ids(), std::vector<int>{4016});
  const _FlexRaySignal* copy = doc.GetFlexRayMsgTable(LIST_DEFINITION).Find("F")->signals.Find("WARNED");
  EXPECT_EQ(copy->identicalCoding, 0);
  EXPECT_EQ(copy->importError, 0);
  // Into the existing frame: warned again, then a second add of it is 4035.
  EXPECT_EQ(AddReferenceRows(doc, BUS_FLEXRAY, refRows, {1}, defRows), 1);
  EXPECT_EQ(AddReferenceRows(doc, BUS_FLEXRAY, refRows, {1}, defRows), 0);
  EXPECT_EQ(sink.Ids(), (std::vector<int>{4016, 4016, 4035}));
  // The reference keeps its marks.
  EXPECT_EQ(doc.GetFlexRayMsgTable(LIST_REFERENCE).Find("F")->signals.Find("WARNED")->identicalCoding, 1);
  EXPECT_TRUE(NothingLost(doc));
}

DOC_TEST(AddReferenceRows, LogicGroupTakeoverAndRefusals) {
  doc.ClearLogicGroups(LIST_DEFINITION, -1);
  AddSymbol(doc, LIST_REFERENCE, 1, 4, "Up", "0001");
  AddSymbol(doc, LIST_REFERENCE, 1, 4, "Same", "000X");
  AddSymbol(doc, LIST_REFERENCE, 1, 4, "Dup", "000x");
  ListRows refRows = BuildListRows(doc, LIST_REFERENCE, BUS_LOGIC, 0);
  ASSERT_EQ(refRows.size(), 3u);
  ListRows defRows;
  RecordingMessageSink sink;

  EXPECT_EQ(AddReferenceRows(doc, BUS_LOGIC, refRows, {0}, defRows), 1);
  const _LOGICGroup* g = doc.GetLogicGroup(LIST_DEFINITION, 1);
  EXPECT_EQ(g->bitCount, 4);
  EXPECT_STREQ(g->name, "Group2");
  EXPECT_EQ(defRows[0].Cell(COL_GROUP), "2");
  EXPECT_EQ(defRows[0].Cell(COL_BITS), "4");

  EXPECT_EQ(AddReferenceRows(doc, BUS_LOGIC, refRows, {0}, defRows), 0);     // 4034
  EXPECT_EQ(AddReferenceRows(doc, BUS_LOGIC, refRows, {1, 2}, defRows), 1);  // Same, then Dup's pattern: 4010
  ASSERT_EQ(sink.Ids(), (std::vector<int>{4034, 4010}));
  EXPECT_EQ(sink.shown[1].ArgText(0), "Dup");
  EXPECT_EQ(sink.shown[1].ArgText(1), "000x");

  // Another bit count into the filled group: 4009 with the group number and its count.
  doc.GetLogicGroup(LIST_REFERENCE, 1)->bitCount = 8;
  AddSymbol(doc, LIST_REFERENCE, 1, 8, "Wide", "00000000");
  refRows = BuildListRows(doc, LIST_REFERENCE, BUS_LOGIC, 0);
  sink.shown.clear();
  EXPECT_EQ(AddReferenceRows(doc, BUS_LOGIC, refRows, {3}, defRows), 0);
  ASSERT_EQ(sink.Ids(), std::vector<int>{4009});
  EXPECT_EQ(sink.shown[0].ArgNumber(0), 2);
  EXPECT_EQ(sink.shown[0].ArgNumber(1), 4);
  EXPECT_TRUE(NothingLost(doc));
}

DOC_TEST(AddReferenceRows, LogicGroupLimitAndGroupTextsOutsideTheFive) {
  for (int i = 0; i < 101; ++i) {
    std::string name = "S" + std::to_string(i);
    std::string pattern;
    for (int b = 7; b >= 0; --b) pattern += ((i >> b) & 1) ? '1' : '0';
    AddSymbol(doc, LIST_REFERENCE, 0, 8, name.c_str(), pattern.c_str());
  }
  ListRows refRows = BuildListRows(doc, LIST_REFERENCE, BUS_LOGIC, 0);
  std::vector<int> all;
  for (int i = 0; i < 101; ++i) all.push_back(i);
  ListRows defRows = Filler(600);  // LOGIC has no 500-row limit
  RecordingMessageSink sink;
  EXPECT_EQ(AddReferenceRows(doc, BUS_LOGIC, refRows, all, defRows), 100);
  ASSERT_EQ(sink.Ids(), std::vector<int>{4019});
  EXPECT_EQ(sink.shown[0].ArgNumber(0), 100);

  ListRows odd = refRows;
  odd[100].SetCell(COL_GROUP, "0");
  odd[99].SetCell(COL_GROUP, "6");
  odd[98].SetCell(COL_GROUP, "-2147483648");
  sink.shown.clear();
  EXPECT_EQ(AddReferenceRows(doc, BUS_LOGIC, odd, {98, 99, 100}, defRows), 0);
  EXPECT_TRUE(sink.shown.empty());
  EXPECT_TRUE(NothingLost(doc));
}

DOC_TEST(AddReferenceRows, RefListLogicAppendsToItsPartner) {
  CanReference(doc);
  CRefListLogic ref(doc);
  CDefListLogic def(doc);
  ref.SetPartner(&def);
  def.SetPartner(&ref);
  ref.SetBusKind(BUS_CAN);
  def.SetBusKind(BUS_CAN);
  RecordingMessageSink sink;
  EXPECT_EQ(ref.AddToDefinitions({RowOf(ref.Rows(), "Other", "S")}), 1);
  ASSERT_EQ(def.RowCount(), 1);
  EXPECT_EQ(def.Rows()[0].Cell(COL_ID), "512");
  EXPECT_EQ(def.FileLabel(), "*");
  // The appended row and a fresh fill agree.
  def.RefreshList();
  EXPECT_EQ(def.Rows()[0].cells, BuildListRows(doc, LIST_DEFINITION, BUS_CAN, 0)[0].cells);
}

DOC_TEST(BitRangeTests, IntervalsAndMultiplexors) {
  _LINMsg* lin = AddLinMsg(doc, LIST_DEFINITION, "L", 1, 8);
  AddLinSig(doc, lin, {"A", 8, 4});
  AddLinSig(doc, lin, {"Zero", 20, 0});
  EXPECT_TRUE(IsBitRangeUsed(doc, BUS_LIN, "l", 11, 1));
  EXPECT_FALSE(IsBitRangeUsed(doc, BUS_LIN, "L", 12, 8));
  EXPECT_FALSE(IsBitRangeUsed(doc, BUS_LIN, "L", 0, 8));
  EXPECT_FALSE(IsBitRangeUsed(doc, BUS_LIN, "L", 20, 1));  // a signal of 0 bits takes nothing
  EXPECT_FALSE(IsBitRangeUsed(doc, BUS_LIN, "L", 8, 0));   // nor does asking for 0 bits
  EXPECT_FALSE(IsBitRangeUsed(doc, BUS_LIN, "None", 8, 4));
  // Far outside any message: no map to overrun.
  EXPECT_FALSE(IsBitRangeUsed(doc, BUS_LIN, "L", 2000000000, 2000000000));
  EXPECT_FALSE(IsBitRangeUsed(doc, BUS_LIN, "L", -100000, 10));

  _CANMsg* can = AddCanMsg(doc, LIST_DEFINITION, "C", 1, 8);
  AddCanSig(doc, can, {"Sw", 0, 8});
  AddCanSig(doc, can, {"Mx", 8, 8, -1, "Sw"});
  EXPECT_TRUE(IsCanBitRangeUsed(doc, "C", 4, 2, ""));
  EXPECT_FALSE(IsCanBitRangeUsed(doc, "C", 4, 2, "Sw"));
  EXPECT_FALSE(IsCanBitRangeUsed(doc, "C", 8, 8, ""));  // multiplexed signals take no bits
  EXPECT_TRUE(IsByteOrderDifferent(doc, BUS_CAN, "C", BYTEORDER_BIG));
  EXPECT_FALSE(IsByteOrderDifferent(doc, BUS_CAN, "C", BYTEORDER_LITTLE));
}
