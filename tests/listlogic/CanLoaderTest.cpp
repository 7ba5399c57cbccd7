// The CANdb conversion: skipped messages, clamps and import marks, the
// multiplex text check, J1939 sizes, repeated names and the bus switch.
#include "DocFixture.h"
#include "Corpus.h"
#include "ListLoad.h"
#include "ListLogic.h"
#include "ListTestUtil.h"
#include "RecordingMessageSink.h"

#include <filesystem>

using namespace listtest;

namespace {

std::string Sig(const std::string& name, int start, int length, const std::string& mux = "") {
  return " SG_ " + name + " " + mux + (mux.empty() ? "" : " ") + ": " + std::to_string(start) + "|" +
         std::to_string(length) + "@1+ (1,0) [0|0] \"\" Vector__XXX\n";
}

class CanLoader : public vrtest::DocTest {
 protected:
  const _CANMsg* Msg(const char* key) const { return doc.GetCanMsgTable(LIST_REFERENCE).Find(key); }
  const _CANSignal* Signal(const char* msg, const char* sig) const {
    const _CANMsg* m = Msg(msg);
    return m ? m->signals.Find(sig) : nullptr;
  }
  int Load(const std::string& text, const char* name = "bus.dbc") {
    return LoadListFile(doc, LIST_REFERENCE, dir.Write(name, text), BUS_CAN).result;
  }
  TempDir dir;
  RecordingMessageSink sink;
};

}  // namespace

TEST_F(CanLoader, ClampsAndMarks) {
  std::string text = "BO_ 1 Eight: 8 N\n" + Sig("Cut", 60, 8) + Sig("Moved", 70, 1) + Sig("Fits", 0, 64) +
                     Sig("Long", 16, 200) + "BO_ 2 Huge: 100 N\n" + Sig("InHuge", 0, 8) + Sig("PastCan", 500, 20) +
                     "BO_ 3 Zero: 0 N\n" + Sig("InZero", 0, 1) + "BO_ 4 Bare: 8 N\n";
  ASSERT_EQ(Load(text, "bus.DBC"), 0);
  struct Expect {
    const char* msg;
    const char* sig;
    int start, count, mark;
  };
  const Expect expects[] = {
      {"EIGHT", "CUT", 60, 4, 1},   {"EIGHT", "MOVED", 63, 1, 0}, {"EIGHT", "FITS", 0, 64, 0},
      {"EIGHT", "LONG", 16, 48, 1}, {"HUGE", "INHUGE", 0, 8, 1},  {"HUGE", "PASTCAN", 500, 12, 1},
      {"ZERO", "INZERO", 0, 0, 1},  {"BARE", "NONAME", 0, 64, 0},
  };
  for (const Expect& e : expects) {
    const _CANSignal* s = Signal(e.msg, e.sig);
    ASSERT_NE(s, nullptr) << e.sig;
    EXPECT_EQ(s->startBit, e.start) << e.sig;
    EXPECT_EQ(s->bitCount, e.count) << e.sig;
    EXPECT_EQ(s->importError, e.mark) << e.sig;
  }
  EXPECT_EQ(Msg("HUGE")->byteCount, 64);
  EXPECT_EQ(Msg("ZERO")->byteCount, 0);
  EXPECT_EQ(Msg("EIGHT")->frameType, CANFRAME_UNSET);
  EXPECT_EQ(Signal("EIGHT", "CUT")->loadNo, 0);
  EXPECT_EQ(Signal("BARE", "NONAME")->loadNo, 7);
  EXPECT_TRUE(NothingLost(doc));
}

TEST_F(CanLoader, J1939SizesAndExtendedIdentifiers) {
  std::string text = "BO_ " + std::to_string(2147483648u + 0x18FEF100u) + " Pgn: 100 N\n" + Sig("Wide", 0, 200) +
                     "BO_ " + std::to_string(2147483648u + 0x18FEF200u) + " Giant: 2000 N\n" + Sig("G", 15000, 8) +
                     "BA_DEF_DEF_ \"ProtocolType\" \"J1939\";\n";
  ASSERT_EQ(Load(text), 0);
  const _CANMsg* pgn = Msg("PGN");
  EXPECT_EQ(pgn->frameFormat, FRAME_XTD);
  EXPECT_EQ(pgn->id, 0x18FEF100);
  EXPECT_EQ(pgn->j1939, 1);
  EXPECT_EQ(pgn->byteCount, 100);
  EXPECT_EQ(Signal("PGN", "WIDE")->importError, 0);
  // 2000 bytes are beyond even J1939: measured against 14280 bits, then cut to 1785 bytes.
  EXPECT_EQ(Msg("GIANT")->byteCount, 1785);
  const _CANSignal* g = Signal("GIANT", "G");
  EXPECT_EQ(g->startBit, 14279);
  EXPECT_EQ(g->bitCount, 1);
  EXPECT_EQ(g->importError, 1);
}

TEST_F(CanLoader, MultiplexTextsAreCheckedAndKept) {
  std::string text = "BO_ 100 Mux: 8 N\n" + Sig("Sw", 0, 8, "M") + Sig("Good", 8, 8, "m3") +
                     Sig("Letters", 16, 8, "m1") + Sig("Zeros", 24, 8, "m2") + Sig("Octal", 32, 8, "m4") +
                     "SG_MUL_VAL_ 100 Good Sw 3-3, 5-10;\n"
                     "SG_MUL_VAL_ 100 Letters Sw ab-cd;\n"
                     "SG_MUL_VAL_ 100 Zeros Sw 00-00;\n"
                     "SG_MUL_VAL_ 100 Octal Sw 08-08;\n";
  ASSERT_EQ(Load(text), 0);
  EXPECT_EQ(Signal("MUX", "GOOD")->importError, 0);
  EXPECT_EQ(Signal("MUX", "GOOD")->multiplexValue, "3-3, 5-10");
  EXPECT_STREQ(Signal("MUX", "GOOD")->multiplexor, "Sw");
  for (const char* s : {"LETTERS", "ZEROS", "OCTAL"}) EXPECT_EQ(Signal("MUX", s)->importError, 1) << s;
  EXPECT_EQ(Signal("MUX", "LETTERS")->multiplexValue, "ab-cd");
  EXPECT_EQ(Signal("MUX", "SW")->importError, 0);
}

TEST_F(CanLoader, SkippedMessagesAndRepeatedNames) {
  std::string text = "BO_ 3221225472 VECTOR__INDEPENDENT_SIG_MSG: 0 N\n" + Sig("Free", 0, 8) +
                     "BO_ 1073741825 Bit30: 8 N\n" + Sig("X", 0, 8) + "BO_ 5 Twice: 8 N\n" + Sig("Same", 0, 8) +
                     Sig("SAME", 8, 4);
  ASSERT_EQ(Load(text), 0);
  EXPECT_EQ(doc.GetCanMsgTable(LIST_REFERENCE).GetCount(), 1u);
  const _CANMsg* twice = Msg("TWICE");
  ASSERT_EQ(twice->signals.GetCount(), 1u);
  EXPECT_EQ(twice->signals.Find("SAME")->startBit, 8);
  // The displaced signal went back to its pool.
  EXPECT_TRUE(NothingLost(doc));
  EXPECT_EQ(doc.GetPoolCounts().canSignal, 1u);
}

TEST_F(CanLoader, AllSkippedIsAnEmptySuccessKeepingTheBusKind) {
  CRefListLogic ref(doc);
  CDefListLogic def(doc);
  ref.SetPartner(&def);
  def.SetPartner(&ref);
  ref.SetBusKind(BUS_LIN);
  def.SetBusKind(BUS_LIN);
  std::string path = dir.Write("skip.dbc", "BO_ 3221225472 VECTOR__INDEPENDENT_SIG_MSG: 0 N\n" + Sig("Free", 0, 8));
  EXPECT_TRUE(ref.DropFiles({path}));
  EXPECT_TRUE(sink.shown.empty());
  // Nothing of any kind to show: the lists stay on the kind the user chose.
  EXPECT_EQ(ref.BusKind(), BUS_LIN);
  EXPECT_EQ(def.BusKind(), BUS_LIN);
  EXPECT_EQ(ref.RowCount(), 0);
  EXPECT_EQ(ref.FilePath(), path);
  // An empty file has no record: 4006.
  EXPECT_EQ(Load("VERSION \"\"\n", "empty.dbc"), 4006);
}

TEST_F(CanLoader, CorpusFilesLoadWithinTheLimits) {
  const std::filesystem::path corpus = vrtest::CorpusDir() / "dbc";
  VR_REQUIRE_CORPUS(corpus);
  int files = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(corpus)) {
    if (!entry.is_regular_file() || !IsLoadableFile(LIST_REFERENCE, entry.path().string())) continue;
    LoadOutcome o = LoadListFile(doc, LIST_REFERENCE, entry.path().string(), BUS_CAN);
    ++files;
    if (o.result != 0) continue;
    for (const auto& m : doc.GetCanMsgTable(LIST_REFERENCE)) {
      int max = m.value->j1939 ? MAX_J1939_BYTES : MAX_CAN_BYTES;
      ASSERT_LE(m.value->byteCount, max) << entry.path();
      int bits = std::min(m.value->byteCount * 8, m.value->j1939 ? MAX_J1939_BITS : MAX_CAN_BITS);
      for (const auto& s : m.value->signals) {
        ASSERT_GE(s.value->startBit, 0);
        ASSERT_LE(s.value->startBit + s.value->bitCount, std::max(bits, 0)) << entry.path();
      }
    }
    ListRows rows = BuildListRows(doc, LIST_REFERENCE, BUS_CAN, 0);
    ASSERT_EQ(static_cast<int>(rows.size()), doc.CountCanSignals(LIST_REFERENCE));
  }
  EXPECT_GT(files, 0);
  EXPECT_TRUE(NothingLost(doc));
}
