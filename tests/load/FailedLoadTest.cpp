// A load that fails leaves the list exactly as it was (its records, its rows
// and their order, its file and the modified mark), for both lists and every
// kind of bad file; a successful one tells what it had to leave out.
#include "Corpus.h"
#include "DocFixture.h"
#include "FibexFixture.h"
#include "ListLoad.h"
#include "ListLogic.h"
#include "ListTestUtil.h"
#include "RecordingMessageSink.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>

using namespace listtest;

namespace {

std::string Cells(const ListRows& rows) {
  std::string out;
  for (const ListRow& r : rows) {
    for (const std::string& c : r.cells) out += c + "|";
    out += "\n";
  }
  return out;
}

// Both lists filled from one definition file, the definition list reordered
// (an order no rebuild from the tables gives) and modified.
struct TwoLists {
  TempDir dir;
  CVestrelDoc doc;
  CRefListLogic ref{doc};
  CDefListLogic def{doc};
  std::string good;

  TwoLists() {
    CVestrelDoc source;
    _CANMsg* m = AddCanMsg(source, LIST_DEFINITION, "Engine", 0x100, 8);
    AddCanSig(source, m, {"Speed", 0, 8});
    AddCanSig(source, m, {"Temp", 8, 8});
    AddCanSig(source, AddCanMsg(source, LIST_DEFINITION, "Brake", 0x200, 8), {"Force", 0, 16});
    good = dir.Write("good.sbl", source.BuildSblText(LIST_DEFINITION));
    ref.SetPartner(&def);
    def.SetPartner(&ref);
    RecordingMessageSink quiet;
    EXPECT_TRUE(ref.DropFiles({good}));
    EXPECT_TRUE(def.DropFiles({good}));
    EXPECT_GE(def.MoveBlock(2, 1, 0), 0);
    def.SetModified(true);
  }
};

// One frame of one signal, on a cluster of `protocol`.
std::string FibexText(const std::string& protocol = "FlexRay") {
  fx::Parts p;
  p.clusters.push_back(fx::Cluster("CL1", {"CH1"}, protocol));
  p.channels.push_back(fx::Channel("CH1", {fx::Triggering("FT1", "F1", {{1, 0, 1}})}));
  p.frames.push_back(fx::Frame("F1", "A", 8, {fx::Instance("I1", 0, "S1")}));
  p.signals.push_back(fx::Signal("S1", "Sig"));
  return fx::Document(p);
}

struct BadFile {
  const char* what;
  const char* name;
  std::string bytes;  // empty name: the file is not written (missing)
  bool write = true;
  int message = IDS_MSG_LOAD_FAILED;
};

std::vector<BadFile> BadFiles(const std::string& good) {
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 7919 + 13) & 0xFF);
  return {
      {"truncated definition file", "cut.sbl", good.substr(0, good.size() / 2)},
      {"binary definition file", "bin.sbl", binary},
      {"missing definition file", "gone.sbl", "", false},
      {"truncated FIBEX file", "cut.xml", FibexText().substr(0, 700)},
      {"binary FIBEX file", "bin.xml", binary},
      {"FIBEX file of a CAN cluster only", "can.xml", FibexText("CAN"), true, IDS_MSG_NO_FLEXRAY_FRAMES},
      {"truncated LDF file", "cut.ldf", "LIN_description_file;\nLIN_protocol_version = \"2.1\";\nSignals {\n A: 8,"},
      {"binary LDF file", "bin.ldf", binary},
      {"binary CANdb file", "bin.dbc", binary},
      {"missing CANdb file", "gone.dbc", "", false},
  };
}

}  // namespace

DOC_TEST(FailedLoad, LeavesEitherListAsItWas) {
  for (int list : {LIST_REFERENCE, LIST_DEFINITION}) {
    TwoLists lists;
    for (const BadFile& bad : BadFiles(lists.doc.BuildSblText(LIST_DEFINITION))) {
      CListLogic& target = list == LIST_REFERENCE ? static_cast<CListLogic&>(lists.ref) : lists.def;
      std::string path = lists.dir.File(bad.name);
      if (bad.write) std::ofstream(path, std::ios::binary) << bad.bytes;
      if (!target.IsLoadableFile(path)) continue;  // the definition list takes ".sbl" only
      SCOPED_TRACE(std::string(list == LIST_REFERENCE ? "reference list, " : "definition list, ") + bad.what);

      const std::string refText = lists.doc.BuildSblText(LIST_REFERENCE);
      const std::string defText = lists.doc.BuildSblText(LIST_DEFINITION);
      const std::string refRows = Cells(lists.ref.Rows()), defRows = Cells(lists.def.Rows());
      const std::string refPath = lists.ref.FilePath(), defPath = lists.def.FilePath();
      RecordingMessageSink sink;
      sink.answers = {MSG_YES};  // 4104 of the definition list: open anyway
      const bool loaded = list == LIST_REFERENCE ? lists.ref.DropFiles({path}) : lists.def.DropFiles({path});
      EXPECT_FALSE(loaded);
      ASSERT_FALSE(sink.Ids().empty());
      EXPECT_EQ(sink.Ids().back(), bad.message);
      EXPECT_EQ(lists.doc.BuildSblText(LIST_REFERENCE), refText);
      EXPECT_EQ(lists.doc.BuildSblText(LIST_DEFINITION), defText);
      EXPECT_EQ(Cells(lists.ref.Rows()), refRows);
      EXPECT_EQ(Cells(lists.def.Rows()), defRows);
      EXPECT_EQ(lists.ref.FilePath(), refPath);
      EXPECT_EQ(lists.def.FilePath(), defPath);
      EXPECT_TRUE(lists.def.IsModified());
      EXPECT_EQ(lists.def.FileLabel(), "good.sbl *");
      EXPECT_TRUE(NothingLost(lists.doc));
    }
  }
}

// The same file loads fine afterwards: the swap left nothing behind.
DOC_TEST(FailedLoad, AGoodFileStillLoadsAfterwards) {
  TwoLists lists;
  RecordingMessageSink sink;
  sink.answers = {MSG_YES, MSG_YES};
  EXPECT_FALSE(lists.def.DropFiles({lists.dir.File("gone.sbl")}));
  EXPECT_TRUE(lists.def.DropFiles({lists.good}));
  EXPECT_FALSE(lists.def.IsModified());
  EXPECT_EQ(lists.def.RowCount(), 3);
  EXPECT_TRUE(NothingLost(lists.doc));
}

// A FIBEX file whose FlexRay cluster sends no frame (its one triggering has
// no timing) reads as an empty success; with nothing to show, the lists stay
// on the kind the user chose.
DOC_TEST(EmptyLoad, KeepsTheBusKind) {
  fx::Parts p;
  p.clusters.push_back(fx::Cluster("CL1", {"CH1"}));
  p.channels.push_back(fx::Channel("CH1", {fx::Triggering("FT1", "F1", {})}));
  p.frames.push_back(fx::Frame("F1", "A", 8, {fx::Instance("I1", 0, "S1")}));
  p.signals.push_back(fx::Signal("S1", "Sig"));
  TempDir dir;
  RecordingMessageSink sink;
  for (int bus : {BUS_LIN, BUS_LOGIC, BUS_FLEXRAY}) {
    LoadOutcome o = LoadListFile(doc, LIST_REFERENCE, dir.Write("untimed.xml", fx::Document(p)), bus);
    ASSERT_EQ(o.result, 0);
    EXPECT_EQ(doc.CountFlexRaySignals(LIST_REFERENCE), 0);
    EXPECT_EQ(o.busAfter, bus);
  }
}

// The windows' wait cursor: shown only while the file is read, and gone
// again before any message about the load (a failed one, or the notice of
// what a load left out), also when the reader fails.
DOC_TEST(LoadBusy, OnlyWhileReadingAndNeverUnderAMessage) {
  struct Case {
    const char* what;
    bool good;
  };
  for (const Case& c : {Case{"good file", true}, Case{"missing file", false}}) {
    SCOPED_TRACE(c.what);
    TwoLists lists;
    std::vector<std::string> events;
    lists.ref.SetBusyIndicator([&](bool busy) { events.push_back(busy ? "busy" : "idle"); });
    struct Sink : RecordingMessageSink {
      std::vector<std::string>* events = nullptr;
      int Show(int id, const std::vector<MsgArg>& args, MsgButtons b, MsgIcon i) override {
        events->push_back("message");
        return RecordingMessageSink::Show(id, args, b, i);
      }
    } sink;
    sink.events = &events;
    const std::string path = c.good ? lists.good : lists.dir.File("gone.sbl");
    EXPECT_EQ(lists.ref.DropFiles({path}), c.good);
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(events[0], "busy");
    EXPECT_EQ(events[1], "idle");
    EXPECT_EQ(std::count(events.begin(), events.end(), "busy"), 1);
    EXPECT_EQ(std::count(events.begin(), events.end(), "idle"), 1);
    EXPECT_EQ(events.size() > 2, !c.good);  // only the failure shows a message
  }
}

namespace {

// Both lists' records, rows and file names.
std::string Picture(const TwoLists& l) {
  return l.doc.BuildSblText(LIST_REFERENCE) + l.doc.BuildSblText(LIST_DEFINITION) + Cells(l.ref.Rows()) +
         Cells(l.def.Rows()) + std::filesystem::path(l.ref.FilePath()).filename().string() + "|" +
         std::filesystem::path(l.def.FilePath()).filename().string();
}

// Loads `file` under every limit on the records the document may make, from
// none to what the load takes: each ends with the whole file in the list, or
// with the out-of-memory message and both lists as they were.
void SweepAllocationLimit(const char* what, int list, const std::string& file) {
  SCOPED_TRACE(what);
  constexpr std::size_t kPlenty = std::size_t{1} << 40;
  RecordingMessageSink sink;
  auto load = [&](TwoLists& l, std::size_t limit) {
    sink.shown.clear();
    l.doc.LimitAllocationsForTest(limit);
    return list == LIST_REFERENCE ? l.ref.DropFiles({file}) : l.def.DropFiles({file});
  };
  TwoLists first;
  ASSERT_TRUE(load(first, kPlenty));
  const std::size_t need = kPlenty - first.doc.AllocationsLeftForTest();
  const std::string full = Picture(first);
  int whole = 0, refused = 0, partial = 0;
  for (std::size_t limit = 0; limit <= need; ++limit) {
    TwoLists l;
    const std::string old = Picture(l);
    const bool loaded = load(l, limit);
    const bool noMemory = !sink.shown.empty() && sink.Ids().back() == IDS_MSG_NO_MEMORY;
    if (loaded && !noMemory && Picture(l) == full) ++whole;
    else if (!loaded && noMemory && Picture(l) == old) ++refused;
    else ADD_FAILURE() << "partial list under limit " << limit << " of " << need << " (" << ++partial << ")";
  }
  std::cout << what << ": " << need + 1 << " loads, " << whole << " whole, " << refused << " refused, " << partial
            << " partial\n";
  EXPECT_EQ(whole, 1);
}

}  // namespace

DOC_TEST(FailedLoad, ARecordTheDocumentCannotMakeFailsTheWholeLoad) {
  CVestrelDoc source;
  AddCanSig(source, AddCanMsg(source, LIST_DEFINITION, "Gear", 0x200, 8), {"Pos", 0, 4});
  AddLinSig(source, AddLinMsg(source, LIST_DEFINITION, "Seat", 5, 1), {"Heat", 0, 2});
  AddFrSig(source, AddFrMsg(source, LIST_DEFINITION, "Wheel", 9, 8, 0, 1), {"Rate", 0, 16});
  AddSymbol(source, LIST_DEFINITION, 2, 2, "On", "11");
  TempDir dir;
  const std::string sbl = dir.Write("all.sbl", source.BuildSblText(LIST_DEFINITION));
  SweepAllocationLimit("definition file into the reference list", LIST_REFERENCE, sbl);
  SweepAllocationLimit("definition file into the definition list", LIST_DEFINITION, sbl);
  SweepAllocationLimit("CANdb file", LIST_REFERENCE,
                       dir.Write("bus.dbc", "BO_ 1 M: 8 N\n SG_ A : 0|8@1+ (1,0) [0|9] \"\" N\nBO_ 2 Bare: 2 N\n"));
  SweepAllocationLimit("LIN description file", LIST_REFERENCE,
                       dir.Write("bus.ldf",
                                 "LIN_description_file;\nLIN_protocol_version = \"2.1\";\nSignals {\n A: 8, 0, "
                                 "M;\n}\nFrames {\n F: 1, M, 2 {\n A, 0;\n }\n}\n"));
  SweepAllocationLimit("FIBEX file", LIST_REFERENCE, dir.Write("bus.xml", FibexText()));
}

DOC_TEST(FailedLoad, ACorpusFileWhoseRecordCannotBeMadeFailsTheWholeLoad) {
  const std::filesystem::path corpus = vrtest::CorpusDir();
  const std::string dbc = (corpus / "dbc/cantools/abs.dbc").string();
  const std::string ldf = (corpus / "ldf/ldfparser/lin22.ldf").string();
  const std::string xml = (corpus / "fibex/busmaster/TestFlexRay.xml").string();
  for (const std::string& file : {dbc, ldf, xml}) VR_REQUIRE_CORPUS(file);
  CRefListLogic ref(doc);
  RecordingMessageSink sink;
  ASSERT_TRUE(ref.DropFiles({dbc}));
  TempDir dir;
  const std::string sbl = dir.Write("abs.sbl", doc.BuildSblText(LIST_REFERENCE));
  for (const std::string& file : {dbc, ldf, xml, sbl})
    SweepAllocationLimit(std::filesystem::path(file).filename().c_str(), LIST_REFERENCE, file);
}
