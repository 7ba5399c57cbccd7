// A load that fails leaves the list exactly as it was (its records, its rows
// and their order, its file and the modified mark), for both lists and every
// kind of bad file; a successful one tells what it had to leave out.
#include "DocFixture.h"
#include "FibexFixture.h"
#include "ListLoad.h"
#include "ListLogic.h"
#include "ListTestUtil.h"
#include "RecordingMessageSink.h"

#include <algorithm>
#include <fstream>

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

std::string GoodFibexText() {
  fx::Parts p;
  p.clusters.push_back(fx::Cluster("CL1", {"CH1"}));
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
};

std::vector<BadFile> BadFiles(const std::string& good) {
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 7919 + 13) & 0xFF);
  return {
      {"truncated definition file", "cut.sbl", good.substr(0, good.size() / 2)},
      {"binary definition file", "bin.sbl", binary},
      {"missing definition file", "gone.sbl", "", false},
      {"truncated FIBEX file", "cut.xml", GoodFibexText().substr(0, 700)},
      {"binary FIBEX file", "bin.xml", binary},
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
      EXPECT_EQ(sink.Ids().back(), 4006);
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

// A FIBEX file without any FlexRay frame reads as an empty success; with
// nothing to show, the lists stay on the kind the user chose.
DOC_TEST(EmptyLoad, KeepsTheBusKind) {
  fx::Parts p;
  p.clusters.push_back(fx::Cluster("CL1", {"CH1"}, "CAN"));
  p.channels.push_back(fx::Channel("CH1", {fx::Triggering("FT1", "F1", {{1, 0, 1}})}));
  p.frames.push_back(fx::Frame("F1", "A", 8, {fx::Instance("I1", 0, "S1")}));
  p.signals.push_back(fx::Signal("S1", "Sig"));
  TempDir dir;
  RecordingMessageSink sink;
  for (int bus : {BUS_LIN, BUS_LOGIC, BUS_FLEXRAY}) {
    LoadOutcome o = LoadListFile(doc, LIST_REFERENCE, dir.Write("can.xml", fx::Document(p)), bus);
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
