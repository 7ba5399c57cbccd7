// Every allocation of a load, an add and a save fails once in turn: the
// operation ends with a clear message (or absorbs the failure), never lets
// std::bad_alloc out, a failed load leaves the lists as they were, and a
// failed save leaves the modified flag set.
#include "FailingNew.h"
#include "FibexFixture.h"
#include "ListLoad.h"
#include "ListLogic.h"
#include "ListTestUtil.h"
#include "RecordingMessageSink.h"
#include "XmlDom.h"

#include <algorithm>
#include <new>

using namespace listtest;

namespace {

// A document with its two list windows, each the other's partner.
struct PartneredLists {
  CVestrelDoc doc;
  CRefListLogic ref{doc};
  CDefListLogic def{doc};
  PartneredLists() {
    ref.SetPartner(&def);
    def.SetPartner(&ref);
  }
};

std::string Cells(const ListRows& rows) {
  std::string out;
  for (const ListRow& r : rows)
    for (const std::string& c : r.cells) out += c + "|";
  return out;
}

std::string FibexText() {
  fx::Parts p;
  p.clusters.push_back(fx::Cluster("CL1", {"CH1"}));
  p.channels.push_back(fx::Channel("CH1", {fx::Triggering("FT1", "F1", {{1, 0, 1}})}));
  p.frames.push_back(fx::Frame("F1", "A", 8, {fx::Instance("I1", 0, "S1")}));
  p.signals.push_back(fx::Signal("S1", "Sig"));
  return fx::Document(p);
}

}  // namespace

TEST(OutOfMemory, EveryFailedAllocationOfALoadLeavesTheListsAsTheyWere) {
  TempDir dir;
  CVestrelDoc source;
  _CANMsg* m = AddCanMsg(source, LIST_DEFINITION, "Engine", 0x100, 8);
  AddCanSig(source, m, {"Speed", 0, 8});
  AddSymbol(source, LIST_DEFINITION, 1, 4, "Run", "1010");
  const std::string sbl = dir.Write("defs.sbl", source.BuildSblText(LIST_DEFINITION));
  const std::string files[] = {
      sbl,
      dir.Write("bus.dbc",
                "BO_ 100 M: 8 N\n SG_ A : 0|8@1+ (1,0) [0|255] \"\" N\n SG_ B : 8|8@1+ (1,0) [0|1] \"\" N\n"),
      dir.Write("bus.ldf",
                "LIN_description_file;\nLIN_protocol_version = \"2.1\";\nSignals {\n A: 8, 0, M;\n}\n"
                "Frames {\n F: 1, M, 2 {\n A, 0;\n }\n}\n"),
      dir.Write("bus.xml", FibexText()),
  };
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    for (int list : {LIST_REFERENCE, LIST_DEFINITION}) {
      CVestrelDoc doc;
      CRefListLogic ref(doc);
      CDefListLogic def(doc);
      ref.SetPartner(&def);
      def.SetPartner(&ref);
      RecordingMessageSink sink;
      sink.defaultAnswer = MSG_YES;
      ASSERT_TRUE(ref.DropFiles({sbl}));
      ASSERT_TRUE(def.DropFiles({sbl}));
      def.SetModified(true);
      CListLogic& target = list == LIST_REFERENCE ? static_cast<CListLogic&>(ref) : def;
      if (!target.IsLoadableFile(file)) continue;
      const std::vector<std::string> drop = {file};
      std::string whole;  // the list as the file fills it with memory to spare
      {
        PartneredLists spare;
        ASSERT_TRUE(list == LIST_REFERENCE ? spare.ref.DropFiles(drop) : spare.def.DropFiles(drop));
        whole = spare.doc.BuildSblText(list);
      }
      bool fired = true;
      for (long n = 0; fired && n < 200000; ++n) {
        const std::string refText = doc.BuildSblText(LIST_REFERENCE), defText = doc.BuildSblText(LIST_DEFINITION);
        const std::string rows = Cells(target.Rows()), path = target.FilePath();
        def.SetModified(true);
        sink.shown.clear();
        Arm(n);
        bool loaded = false;
        try {
          loaded = list == LIST_REFERENCE ? ref.DropFiles(drop) : def.DropFiles(drop);
        } catch (const std::bad_alloc&) {
          Disarm();
          FAIL() << "std::bad_alloc escaped at allocation " << n;
        }
        fired = Disarm();
        if (loaded) {
          // Absorbed (a pool that could not grow, say): a complete load,
          // never one short of a record that could not be made.
          EXPECT_EQ(doc.BuildSblText(list), whole) << "allocation " << n;
          continue;
        }
        ASSERT_FALSE(sink.Ids().empty()) << "allocation " << n;
        // Whichever reader ran out, the user hears that memory ran out.
        EXPECT_EQ(sink.Ids().back(), IDS_MSG_NO_MEMORY) << "allocation " << n;
        EXPECT_EQ(doc.BuildSblText(LIST_REFERENCE), refText) << "allocation " << n;
        EXPECT_EQ(doc.BuildSblText(LIST_DEFINITION), defText) << "allocation " << n;
        EXPECT_EQ(Cells(target.Rows()), rows) << "allocation " << n;
        EXPECT_EQ(target.FilePath(), path) << "allocation " << n;
        EXPECT_TRUE(def.IsModified()) << "allocation " << n;
        // (A record taken from its pool when memory ran out may be lost to
        // the pool's count; the lists themselves are whole.)
      }
      EXPECT_FALSE(fired) << "the load never completed";
    }
  }
}

// A load that shows another bus kind (LIN here: each file holds nothing of
// CAN) switches both lists, each to the rows of that kind and without a word
// about memory; when memory runs out anywhere on the way, nothing changes,
// the bus kind included, and the user hears so.
TEST(OutOfMemory, ALoadThatSwitchesTheBusKindSwitchesBothListsOrNothing) {
  TempDir dir;
  CVestrelDoc source;
  AddCanSig(source, AddCanMsg(source, LIST_DEFINITION, "Engine", 0x100, 8), {"Speed", 0, 8});
  AddLinSig(source, AddLinMsg(source, LIST_DEFINITION, "Door", 5, 2), {"Lock", 0, 8});
  const std::string every = dir.Write("every.sbl", source.BuildSblText(LIST_DEFINITION));
  CVestrelDoc linOnly;
  AddLinSig(linOnly, AddLinMsg(linOnly, LIST_DEFINITION, "Seat", 7, 2), {"Heat", 0, 8});
  struct SwitchCase {
    const char* what;
    int list;  // the list that loads; the other one follows the switch
    std::string file;
  };
  const SwitchCase cases[] = {
      {"LIN description file into the reference list", LIST_REFERENCE,
       dir.Write("bus.ldf",
                 "LIN_description_file;\nLIN_protocol_version = \"2.1\";\nSignals {\n A: 8, 0, M;\n}\n"
                 "Frames {\n F: 1, M, 2 {\n A, 0;\n }\n}\n")},
      {"LIN definitions into the definition list", LIST_DEFINITION,
       dir.Write("lin.sbl", linOnly.BuildSblText(LIST_DEFINITION))},
  };
  for (const SwitchCase& c : cases) {
    SCOPED_TRACE(c.what);
    bool fired = true;
    for (long n = 0; fired && n < 200000; ++n) {
      PartneredLists lists;
      RecordingMessageSink sink;
      ASSERT_TRUE(lists.ref.DropFiles({every}));
      ASSERT_TRUE(lists.def.DropFiles({every}));
      CListLogic* both[] = {&lists.ref, &lists.def};
      CListLogic& target = *both[c.list];
      const std::string texts = lists.doc.BuildSblText(LIST_REFERENCE) + lists.doc.BuildSblText(LIST_DEFINITION);
      const std::string rows = Cells(lists.ref.Rows()) + Cells(lists.def.Rows());
      const std::vector<std::string> drop = {c.file};
      Arm(n);
      bool loaded = false;
      try {
        loaded = c.list == LIST_REFERENCE ? lists.ref.DropFiles(drop) : lists.def.DropFiles(drop);
      } catch (const std::bad_alloc&) {
        Disarm();
        FAIL() << "std::bad_alloc escaped at allocation " << n;
      }
      fired = Disarm();
      const std::vector<int> ids = sink.Ids();
      if (loaded) {
        EXPECT_EQ(std::count(ids.begin(), ids.end(), IDS_MSG_NO_MEMORY), 0) << "allocation " << n;
        for (CListLogic* list : both) {
          EXPECT_EQ(list->BusKind(), BUS_LIN) << "allocation " << n;
          EXPECT_EQ(Cells(list->Rows()), Cells(BuildListRows(lists.doc, list->List(), BUS_LIN, 0)))
              << "allocation " << n;
        }
        EXPECT_EQ(target.FilePath(), c.file) << "allocation " << n;
        continue;
      }
      EXPECT_EQ(ids, std::vector<int>{IDS_MSG_NO_MEMORY}) << "allocation " << n;
      for (CListLogic* list : both) EXPECT_EQ(list->BusKind(), BUS_CAN) << "allocation " << n;
      EXPECT_EQ(Cells(lists.ref.Rows()) + Cells(lists.def.Rows()), rows) << "allocation " << n;
      EXPECT_EQ(lists.doc.BuildSblText(LIST_REFERENCE) + lists.doc.BuildSblText(LIST_DEFINITION), texts)
          << "allocation " << n;
      EXPECT_EQ(target.FilePath(), every) << "allocation " << n;
    }
    EXPECT_FALSE(fired) << "the load never completed";
  }
}

TEST(OutOfMemory, AddAndSaveEndWithAMessage) {
  TempDir dir;
  // Names longer than a string holds in place: finding their records after
  // an add needs no memory either.
  const std::string dbc = dir.Write("bus.dbc",
                                    "BO_ 100 TransmissionControlUnit: 8 N\n SG_ A : 0|8@1+ (1,0) [0|255] \"\" N\n"
                                    " SG_ GearSelectorPosition : 8|8@1+ (1,0) [0|1] \"\" N\n");
  const std::string target = dir.File("out.sbl");
  bool fired = true;
  for (long n = 0; fired && n < 200000; ++n) {
    CVestrelDoc doc;
    CRefListLogic ref(doc);
    CDefListLogic def(doc);
    ref.SetPartner(&def);
    def.SetPartner(&ref);
    RecordingMessageSink sink;
    ASSERT_TRUE(ref.DropFiles({dbc}));
    ScriptedDialogs dialogs;
    dialogs.answers = {target};
    const std::vector<int> selection = {0, 1};
    Arm(n);
    int added = 0;
    bool saved = false;
    try {
      added = ref.AddToDefinitions(selection);
      saved = def.Save(dialogs);
    } catch (const std::bad_alloc&) {
      Disarm();
      FAIL() << "std::bad_alloc escaped at allocation " << n;
    }
    fired = Disarm();
    if (fired && !saved) {
      ASSERT_FALSE(sink.Ids().empty()) << "allocation " << n;
      EXPECT_EQ(doc.IsDefModified(), added > 0) << "allocation " << n;
    }
    EXPECT_EQ(def.RowCount(), added) << "allocation " << n;
  }
  EXPECT_FALSE(fired);
}

// Without memory for the file's text, every reader says that memory ran out,
// and a load leaves the lists as they were; so does a CANdb load whose second
// read, which counts what a full table left out, finds no memory.
TEST(OutOfMemory, AReadWithoutMemorySaysSoOnEveryReader) {
  // Far above any table a load makes: only a file's text is this large.
  constexpr std::size_t kBig = std::size_t{4} << 20;
  const std::string blanks(kBig, ' ');
  std::string full;
  for (int id = 0; id < 5001; ++id) full += "BO_ " + std::to_string(id) + " E" + std::to_string(id) + ": 8 N\n";
  full += "CM_ \"" + blanks + "\";\n";
  struct ReadCase {
    const char* what;
    const char* file;
    const std::string& text;
    long bigToPass;  // large allocations that succeed before the one that fails
  };
  const ReadCase cases[] = {
      {"definition file", "big.sbl", blanks, 0},
      {"CANdb file", "big.dbc", blanks, 0},
      {"LIN description file", "big.ldf", blanks, 0},
      {"FIBEX file", "big.xml", blanks, 0},
      {"second read of a full CANdb file", "full.dbc", full, 1},
  };
  TempDir dir;
  CVestrelDoc source;
  AddCanSig(source, AddCanMsg(source, LIST_DEFINITION, "Engine", 0x100, 8), {"Speed", 0, 8});
  const std::string sbl = dir.Write("defs.sbl", source.BuildSblText(LIST_DEFINITION));
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = dir.Write(c.file, c.text);
    PartneredLists lists;
    CRefListLogic& ref = lists.ref;
    RecordingMessageSink sink;
    ASSERT_TRUE(ref.DropFiles({sbl}));
    const std::string refText = lists.doc.BuildSblText(LIST_REFERENCE), rows = Cells(ref.Rows());
    ArmBig(kBig, c.bigToPass);
    const bool loaded = ref.DropFiles({path});
    const bool fired = DisarmBig();
    ASSERT_TRUE(fired) << "no allocation of the file's size";
    EXPECT_FALSE(loaded);
    EXPECT_EQ(sink.Ids(), std::vector<int>{IDS_MSG_NO_MEMORY});
    EXPECT_EQ(lists.doc.BuildSblText(LIST_REFERENCE), refText);
    EXPECT_EQ(Cells(ref.Rows()), rows);
    EXPECT_EQ(ref.FilePath(), sbl);
  }
}

// The XML engine running out of memory anywhere in a FIBEX load (parsing,
// walking the elements) says so: not a missing engine, not a bad file.
TEST(OutOfMemory, TheXmlEngineWithoutMemorySaysSo) {
  TempDir dir;
  const std::string file = dir.Write("bus.xml", FibexText());
  {
    // The engine's own start-up, done once per program, is not the load's.
    CVestrelDoc doc;
    CRefListLogic ref(doc);
    RecordingMessageSink sink;
    ASSERT_TRUE(ref.DropFiles({file}));
    ASSERT_EQ(ref.RowCount(), 1);
  }
  bool fired = true;
  long n = 0;
  for (; fired && n < 100000; ++n) {
    CVestrelDoc doc;
    CRefListLogic ref(doc);
    RecordingMessageSink sink;
    SetXmlEngineAllocationFailure(n);
    const bool loaded = ref.DropFiles({file});
    fired = !loaded;
    SetXmlEngineAllocationFailure(-1);
    if (loaded) {
      EXPECT_EQ(ref.RowCount(), 1) << "allocation " << n;  // whole, or not at all
      break;
    }
    EXPECT_EQ(sink.Ids(), std::vector<int>{IDS_MSG_NO_MEMORY}) << "allocation " << n;
    EXPECT_EQ(ref.RowCount(), 0) << "allocation " << n;
  }
  EXPECT_GT(n, 10) << "the engine allocated next to nothing";
  EXPECT_FALSE(fired) << "the load never completed";
}
