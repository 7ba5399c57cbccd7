// Loading files into a list: extensions, the CANdb and LIN conversions with
// their clamps and marks, unreadable files, and the bus kind shown afterwards.
#include "DocFixture.h"
#include "Corpus.h"
#include "ListLoad.h"
#include "ListLogic.h"
#include "ListTestUtil.h"
#include "RecordingMessageSink.h"

using namespace listtest;

namespace {

const char* kLdf =
    "LIN_description_file;\n"
    "LIN_protocol_version = \"2.1\";\n"
    "LIN_language_version = \"2.1\";\n"
    "LIN_speed = 19.2 kbps;\n"
    "Nodes {\n  Master: M, 5 ms, 0.1 ms;\n  Slaves: S;\n}\n"
    "Signals {\n  Temp: 8, 0, S, M;\n  Wide: 16, 0, S, M;\n  Mode: 2, 0, M, S;\n}\n"
    "Frames {\n"
    "  Status: 0x10, S, 2 {\n    Temp, 0;\n    Wide, 8;\n  }\n"
    "  Control: 17, M, 1 {\n    Mode, 0;\n    Temp, 4;\n  }\n"
    "}\n"
    "Signal_encoding_types {\n  TempEnc {\n    physical_value, 0, 200, 0.5, -20, \"degC\";\n  }\n}\n"
    "Signal_representation {\n  TempEnc: Temp;\n}\n";

}  // namespace

DOC_TEST(IsLoadableFile, ExtensionsPerList) {
  struct Case {
    const char* path;
    bool ref, def;
  };
  const Case cases[] = {
      {"/d/a.sbl", true, true},   {"/d/a.SBL", true, true},  {"/d/a.dbc", true, false},  {"/d/a.DBC", true, false},
      {"/d/a.Xml", true, false},  {"/d/a.ldf", true, false}, {"/d/a.txt", false, false}, {"/d/a", false, false},
      {"/d.sbl/a", false, false}, {".sbl", false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsLoadableFile(LIST_REFERENCE, c.path), c.ref) << c.path;
    EXPECT_EQ(IsLoadableFile(LIST_DEFINITION, c.path), c.def) << c.path;
  }
}

DOC_TEST(LoadListFile, RefusedKindsLeaveTheTablesAlone) {
  AddCanSig(doc, AddCanMsg(doc, LIST_DEFINITION, "Kept", 1, 8), {"S"});
  AddCanSig(doc, AddCanMsg(doc, LIST_REFERENCE, "KeptToo", 1, 8), {"S"});
  LoadOutcome def = LoadListFile(doc, LIST_DEFINITION, "/nowhere/a.dbc", BUS_CAN);
  EXPECT_EQ(def.result, 4006);
  EXPECT_FALSE(def.replaced);
  LoadOutcome ref = LoadListFile(doc, LIST_REFERENCE, "/nowhere/a.txt", BUS_CAN);
  EXPECT_EQ(ref.result, 4006);
  EXPECT_FALSE(ref.replaced);
  EXPECT_EQ(doc.CountCanSignals(LIST_DEFINITION), 1);
  EXPECT_EQ(doc.CountCanSignals(LIST_REFERENCE), 1);
}

DOC_TEST(LoadListFile, UnreadableFilesFailAndLeaveTheListAsItWas) {
  AddCanSig(doc, AddCanMsg(doc, LIST_DEFINITION, "Kept", 1, 8), {"S"});
  AddSymbol(doc, LIST_DEFINITION, 2, 4, "Sym", "0101");
  const std::string before = doc.BuildSblText(LIST_DEFINITION);
  for (const char* path : {"/nowhere/missing.sbl", "/nowhere/missing.SBL"}) {
    LoadOutcome o = LoadListFile(doc, LIST_DEFINITION, path, BUS_CAN);
    EXPECT_EQ(o.result, 4006) << path;
    EXPECT_FALSE(o.replaced);
  }
  EXPECT_EQ(doc.BuildSblText(LIST_DEFINITION), before);
  EXPECT_EQ(doc.GetLogicGroup(LIST_DEFINITION, 2)->bitCount, 4);
  for (const char* path : {"/nowhere/a.ldf", "/nowhere/a.xml", "/nowhere/a.dbc"})
    EXPECT_EQ(LoadListFile(doc, LIST_REFERENCE, path, BUS_CAN).result, 4006) << path;
  EXPECT_TRUE(NothingLost(doc));
}

DOC_TEST(LoadListFile, LinConversion) {
  TempDir dir;
  std::string path = dir.Write("bus.LDF", kLdf);
  RecordingMessageSink sink;
  LoadOutcome o = LoadListFile(doc, LIST_REFERENCE, path, BUS_CAN);
  ASSERT_EQ(o.result, 0);
  EXPECT_EQ(o.busAfter, BUS_LIN);
  const auto& table = doc.GetLinMsgTable(LIST_REFERENCE);
  ASSERT_EQ(table.GetCount(), 2u);
  const _LINMsg* status = table.Find("STATUS");
  ASSERT_NE(status, nullptr);
  EXPECT_EQ(status->id, 0x10u);
  EXPECT_EQ(status->byteCount, 2);
  EXPECT_EQ(status->checksum, CHECKSUM_ENHANCED);
  const _LINSignal* temp = status->signals.Find("TEMP");
  ASSERT_NE(temp, nullptr);
  EXPECT_EQ(temp->loadNo, 0);
  EXPECT_EQ(temp->bitOrder, BITORDER_LSB_FIRST);
  EXPECT_DOUBLE_EQ(temp->factor, 0.5);
  EXPECT_DOUBLE_EQ(temp->minimum, -20.0);
  EXPECT_DOUBLE_EQ(temp->maximum, 80.0);
  EXPECT_STREQ(temp->unit, "degC");
  EXPECT_EQ(temp->importError, 0);
  // 16 bits at bit 8 of a 2-byte frame: cut to 8 and marked.
  const _LINSignal* wide = status->signals.Find("WIDE");
  EXPECT_EQ(wide->startBit, 8);
  EXPECT_EQ(wide->bitCount, 8);
  EXPECT_EQ(wide->importError, 1);
  EXPECT_EQ(wide->loadNo, 1);
  // 8 bits at bit 4 of a 1-byte frame: cut to 4 and marked.
  const _LINSignal* t2 = table.Find("CONTROL")->signals.Find("TEMP");
  EXPECT_EQ(t2->bitCount, 4);
  EXPECT_EQ(t2->importError, 1);
  EXPECT_EQ(t2->loadNo, 3);
  EXPECT_TRUE(sink.shown.empty());
  // The rows follow the load numbers.
  ListRows rows = BuildListRows(doc, LIST_REFERENCE, BUS_LIN, 1);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].Cell(COL_ID), "10");
  EXPECT_EQ(rows[3].Cell(COL_MESSAGE), "Control");
  EXPECT_EQ(rows[3].Cell(COL_SIGNAL), "Temp");
}

DOC_TEST(LoadListFile, LinSyntaxErrorIs4037Then4006) {
  TempDir dir;
  std::string path = dir.Write("bad.ldf", "LIN_description_file\n");
  RecordingMessageSink sink;
  EXPECT_EQ(LoadListFile(doc, LIST_REFERENCE, path, BUS_LIN).result, 4006);
  EXPECT_EQ(sink.Ids(), std::vector<int>{4037});
}

DOC_TEST(LoadListFile, ReloadingRecyclesRecords) {
  TempDir dir;
  std::string path = dir.Write("bus.ldf", kLdf);
  // A load reads beside the tables it replaces, so the second load makes a
  // second set of records; from then on the two sets take turns.
  ASSERT_EQ(LoadListFile(doc, LIST_REFERENCE, path, BUS_LIN).result, 0);
  ASSERT_EQ(LoadListFile(doc, LIST_REFERENCE, path, BUS_LIN).result, 0);
  DocPoolCounts made = doc.GetCreatedCounts();
  for (int round = 0; round < 3; ++round) ASSERT_EQ(LoadListFile(doc, LIST_REFERENCE, path, BUS_LIN).result, 0);
  EXPECT_EQ(doc.GetCreatedCounts(), made);
  EXPECT_TRUE(NothingLost(doc));
}

DOC_TEST(ChooseBusAfterLoad, CurrentKindWhenItHasContentElseTheFirstInOrder) {
  // An empty list keeps the kind on show.
  EXPECT_EQ(ChooseBusAfterLoad(doc, LIST_REFERENCE, BUS_LIN), BUS_LIN);
  AddSymbol(doc, LIST_REFERENCE, 0, 2, "S", "01");
  EXPECT_EQ(ChooseBusAfterLoad(doc, LIST_REFERENCE, BUS_CAN), BUS_LOGIC);
  AddLinSig(doc, AddLinMsg(doc, LIST_REFERENCE, "L", 1, 1), {"A"});
  EXPECT_EQ(ChooseBusAfterLoad(doc, LIST_REFERENCE, BUS_CAN), BUS_LIN);
  EXPECT_EQ(ChooseBusAfterLoad(doc, LIST_REFERENCE, BUS_LOGIC), BUS_LOGIC);
  AddCanSig(doc, AddCanMsg(doc, LIST_REFERENCE, "C", 1, 1), {"A"});
  EXPECT_EQ(ChooseBusAfterLoad(doc, LIST_REFERENCE, BUS_FLEXRAY), BUS_CAN);
  AddFrSig(doc, AddFrMsg(doc, LIST_REFERENCE, "F", 1, 1, 0, 1), {"A"});
  EXPECT_EQ(ChooseBusAfterLoad(doc, LIST_REFERENCE, BUS_LOGIC), BUS_LOGIC);
  doc.ClearLogicGroups(LIST_REFERENCE, -1);
  EXPECT_EQ(ChooseBusAfterLoad(doc, LIST_REFERENCE, BUS_LOGIC), BUS_FLEXRAY);
  // A message without signals counts for nothing.
  CVestrelDoc& empty = NewDoc();
  AddCanMsg(empty, LIST_REFERENCE, "NoSignals", 1, 8);
  EXPECT_EQ(ChooseBusAfterLoad(empty, LIST_REFERENCE, BUS_LIN), BUS_LIN);
}

DOC_TEST(ListLogicLoad, LoadSwitchesBothListsAndKeepsThePath) {
  TempDir dir;
  std::string path = dir.Write("bus.ldf", kLdf);
  CRefListLogic ref(doc);
  CDefListLogic def(doc);
  ref.SetPartner(&def);
  def.SetPartner(&ref);
  ref.SetBusKind(BUS_CAN);
  def.SetBusKind(BUS_CAN);
  ScriptedDialogs dialogs;
  dialogs.answers = {std::nullopt, path};
  RecordingMessageSink sink;
  EXPECT_FALSE(ref.OpenReference(dialogs));  // cancelled: nothing happens
  EXPECT_TRUE(ref.OpenReference(dialogs));
  EXPECT_EQ(ref.BusKind(), BUS_LIN);
  EXPECT_EQ(def.BusKind(), BUS_LIN);
  EXPECT_EQ(ref.RowCount(), 4);
  EXPECT_EQ(ref.FilePath(), path);
  EXPECT_EQ(ref.FileLabel(), "bus.ldf");
  ASSERT_EQ(dialogs.openRequests.size(), 2u);
  EXPECT_EQ(dialogs.openRequests[0].filterIds, (std::vector<int>{3003, 3000, 3001}));

  // A bus switch of the main frame, when one is installed, takes the choice.
  std::vector<int> switched;
  ref.SetBusSwitch([&](int kind) { switched.push_back(kind); });
  ref.SetBusKind(BUS_FLEXRAY);
  EXPECT_TRUE(ref.DropFiles({path}));
  EXPECT_EQ(switched, std::vector<int>{BUS_LIN});

  // A failed load shows its message and keeps the path and the rows.
  ref.SetBusKind(BUS_LIN);
  ASSERT_EQ(ref.RowCount(), 4);
  EXPECT_FALSE(ref.DropFiles({dir.File("none.ldf")}));
  EXPECT_EQ(sink.Ids(), std::vector<int>{4006});
  EXPECT_EQ(ref.FilePath(), path);
  EXPECT_EQ(ref.RowCount(), 4);
  // Two files, or a file of another kind: nothing.
  EXPECT_FALSE(ref.DropFiles({path, path}));
  EXPECT_FALSE(ref.DropFiles({dir.File("a.txt")}));
  EXPECT_EQ(sink.Ids(), std::vector<int>{4006});
}

DOC_TEST(FileDialogRequests, StartingFolderAndName) {
  auto r = ReferenceOpenRequest(BUS_FLEXRAY, "/work/can/bus.dbc");
  EXPECT_EQ(r.filterIds, (std::vector<int>{3004, 3002, 3001}));
  EXPECT_EQ(r.folder, "/work/can");
  EXPECT_EQ(r.fileName, "");
  r = ReferenceOpenRequest(BUS_CAN, "/work/can/bus.DBC");
  EXPECT_EQ(r.fileName, "bus.DBC");
  r = ReferenceOpenRequest(BUS_LOGIC, "/work/defs.sbl");
  EXPECT_EQ(r.filterIds, std::vector<int>{3001});
  EXPECT_EQ(r.fileName, "defs.sbl");
  EXPECT_EQ(ReferenceOpenRequest(BUS_LIN, "/work/x.ldf").filterIds, (std::vector<int>{3006, 3005, 3001}));
  r = ReferenceOpenRequest(BUS_CAN, "");
  EXPECT_EQ(r.folder, "");
  EXPECT_EQ(r.fileName, "");
  auto d = DefinitionFileRequest("/work/a.sbl");
  EXPECT_EQ(d.folder, "/work");
  EXPECT_EQ(d.fileName, "a.sbl");
  d = DefinitionFileRequest("/a.txt");
  EXPECT_EQ(d.folder, "/");
  EXPECT_EQ(d.fileName, "");
  EXPECT_EQ(DefinitionFileRequest(std::string(1100, 'x') + "/a.sbl").folder, "");
}

DOC_TEST(MultiplexText, NumericPieces) {
  struct Case {
    const char* text;
    bool ok;
  };
  const Case cases[] = {
      {"3", true},    {"3-3, 5-10", true}, {"0", true},   {"0x1F", true}, {"017", true},  {"1,,2", true},
      {"abc", false}, {"00", false},       {"08", false}, {"3-x", false}, {"0x0", false}, {"-", true},
  };
  for (const Case& c : cases) EXPECT_EQ(IsNumericMultiplexText(c.text), c.ok) << c.text;
}

DOC_TEST(ClampSignalIntoMessage, StartAndCount) {
  struct Case {
    int bits, start, count, outStart, outCount;
    bool marked;
  };
  const Case cases[] = {
      {64, 60, 8, 60, 4, true},   // cut at the end of the message
      {64, 70, 1, 63, 1, false},  // start moved alone: no mark
      {64, 0, 64, 0, 64, false},     {64, 0, 65, 0, 64, true},     {0, 0, 1, 0, 0, true},  // a message of 0 bytes
      {512, 500, 20, 500, 12, true}, {64, 24, 1600, 24, 40, true},  // longer than the message and starting inside it
  };
  for (const Case& c : cases) {
    int s = c.start, n = c.count;
    EXPECT_EQ(ClampSignalIntoMessage(c.bits, s, n), c.marked) << c.bits << "/" << c.start << "/" << c.count;
    EXPECT_EQ(s, c.outStart);
    EXPECT_EQ(n, c.outCount);
  }
}

DOC_TEST(LoadListFile, FibexReferenceShowsFlexRayAndTheDefinitionListRefusesIt) {
  const std::string path = (vrtest::CorpusDir() / "fibex/busmaster/TestFlexRay.xml").string();
  VR_REQUIRE_CORPUS(path);
  RecordingMessageSink sink;
  LoadOutcome o = LoadListFile(doc, LIST_REFERENCE, path, BUS_CAN);
  ASSERT_EQ(o.result, 0);
  EXPECT_EQ(o.busAfter, BUS_FLEXRAY);
  EXPECT_GT(doc.CountFlexRaySignals(LIST_REFERENCE), 0);
  EXPECT_EQ(static_cast<int>(BuildListRows(doc, LIST_REFERENCE, BUS_FLEXRAY, 0).size()),
            doc.CountFlexRaySignals(LIST_REFERENCE));
  EXPECT_FALSE(LoadListFile(doc, LIST_DEFINITION, path, BUS_CAN).replaced);
  // Not a FIBEX document: 4006, and the reference list keeps what it held.
  const int before = doc.CountFlexRaySignals(LIST_REFERENCE);
  TempDir dir;
  EXPECT_EQ(LoadListFile(doc, LIST_REFERENCE, dir.Write("other.xml", "<root/>"), BUS_CAN).result, 4006);
  EXPECT_EQ(doc.CountFlexRaySignals(LIST_REFERENCE), before);
  EXPECT_TRUE(NothingLost(doc));
}
