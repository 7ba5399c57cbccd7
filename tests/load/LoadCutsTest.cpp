// What a load leaves out is told once, after the load: records beyond a
// table's limit, names cut to their field and records merged by name.
#include "Corpus.h"
#include "DocFixture.h"
#include "FibexFixture.h"
#include "LdfParser.h"
#include "ListLoad.h"
#include "ListLogic.h"
#include "ListTestUtil.h"
#include "RecordingMessageSink.h"

using namespace listtest;

namespace {

std::string Dbc(int messages, int signalsEach, const std::string& prefix = "S") {
  std::string s = "VERSION \"\"\n\nBU_: N\n";
  for (int m = 0; m < messages; ++m) {
    s += "BO_ " + std::to_string(100 + m) + " M" + std::to_string(m) + ": 8 N\n";
    for (int k = 0; k < signalsEach; ++k)
      s += " SG_ " + prefix + std::to_string(m) + "_" + std::to_string(k) + " : 0|1@1+ (1,0) [0|1] \"\" N\n";
  }
  return s;
}

struct CutCase {
  const char* what;
  const char* file;
  std::string text;
  LoadCuts expected;
};

}  // namespace

DOC_TEST(LoadCuts, CountedPerReader) {
  const std::string longA(40, 'A');
  const std::string longB = longA.substr(0, 32) + "_second_one";
  const std::string longFrame = std::string(36, 'F');
  fx::Parts fibex;
  fibex.clusters.push_back(fx::Cluster("CL1", {"CH1"}));
  fibex.channels.push_back(fx::Channel("CH1", {fx::Triggering("FT1", "F1", {{1, 0, 1}})}));
  fibex.frames.push_back(fx::Frame("F1", longFrame, 8, {fx::Instance("I1", 0, "S1"), fx::Instance("I2", 8, "S2")}));
  fibex.signals.push_back(fx::Signal("S1", "Same"));
  fibex.signals.push_back(fx::Signal("S2", "SAME"));
  const CutCase cases[] = {
      {"clean CANdb file", "clean.dbc", Dbc(3, 4), {0, 0, 0}},
      {"CANdb file beyond 5000 signals", "big.dbc", Dbc(50, 101), {50, 0, 0}},
      {"CANdb names cut and merged",
       "long.dbc",
       "BO_ 100 " + std::string(35, 'M') + ": 8 N\n SG_ " + longA + " : 0|1@1+ (1,0) [0|1] \"\" N\n SG_ " + longB +
           " : 1|1@1+ (1,0) [0|1] \"\" N\n",
       {0, 3, 1}},
      {"LDF names cut and merged",
       "long.ldf",
       "LIN_description_file;\nLIN_protocol_version = \"2.1\";\nSignals {\n " + longA + ": 8, 0, M;\n " + longB +
           ": 8, 0, M;\n}\nFrames {\n " + longFrame + ": 1, M, 2 {\n " + longA + ", 0;\n " + longB + ", 8;\n }\n}\n",
       {0, 3, 1}},
      {"FIBEX names cut and merged", "long.xml", fx::Document(fibex), {0, 1, 1}},
  };
  TempDir dir;
  for (const CutCase& c : cases) {
    SCOPED_TRACE(c.what);
    CVestrelDoc& rowDoc = NewDoc();
    RecordingMessageSink sink;
    LoadOutcome o = LoadListFile(rowDoc, LIST_REFERENCE, dir.Write(c.file, c.text), BUS_CAN);
    ASSERT_EQ(o.result, 0);
    EXPECT_EQ(o.cuts.overLimit, c.expected.overLimit);
    EXPECT_EQ(o.cuts.namesCut, c.expected.namesCut);
    EXPECT_EQ(o.cuts.merged, c.expected.merged);
  }
}

namespace {

// `prefix` and the number, filled up with 'x' to `length` bytes.
std::string Name(const std::string& prefix, int number, std::size_t length = 0) {
  std::string name = prefix + std::to_string(number);
  return name.size() < length ? name + std::string(length - name.size(), 'x') : name;
}

// A CAN table of `messages` messages of `signalsEach` signals; names of `nameLength` bytes.
std::string SblCan(int messages, int signalsEach, std::size_t nameLength = 0) {
  std::string s = "<CanSymbolTable><MessageTotalNum>" + std::to_string(messages) + "</MessageTotalNum>";
  for (int m = 0; m < messages; ++m) {
    s += "<Group><Message><MSGName>" + Name("M", m, nameLength) + "</MSGName></Message><SignalNum>" +
         std::to_string(signalsEach) + "</SignalNum>";
    for (int k = 0; k < signalsEach; ++k) s += "<Signal><SIGName>" + Name("S", k, nameLength) + "</SIGName></Signal>";
    s += "</Group>";
  }
  return s + "</CanSymbolTable>";
}

// `frames` FlexRay frames of `signalsEach` signals each.
std::string FibexFrames(int frames, int signalsEach) {
  fx::Parts p;
  p.clusters.push_back(fx::Cluster("CL1", {"CH1"}));
  std::vector<std::string> triggerings;
  for (int f = 0; f < frames; ++f) {
    triggerings.push_back(fx::Triggering(Name("T", f), Name("F", f), {{f % 2047 + 1, 0, 1}}));
    std::vector<std::string> instances;
    for (int k = 0; k < signalsEach; ++k) instances.push_back(fx::Instance(Name("I", f * 8 + k), k * 8, Name("S", k)));
    p.frames.push_back(fx::Frame(Name("F", f), Name("Frame", f), 8, instances));
  }
  p.channels.push_back(fx::Channel("CH1", triggerings));
  for (int k = 0; k < signalsEach; ++k) p.signals.push_back(fx::Signal(Name("S", k), Name("Sig", k)));
  return fx::Document(p);
}

}  // namespace

// What a load leaves out is counted in rows, whatever the reader and list,
// and a name cut while reading a definition file is counted like any other.
DOC_TEST(LoadCuts, CountedInRows) {
  const struct {
    const char* what;
    const char* file;
    std::string text;
    int list;
    LoadCuts expected;
  } cases[] = {
      {"FIBEX: 1,000 frames of 3 signals", "big.xml", FibexFrames(1000, 3), LIST_REFERENCE, {952, 0, 0}},
      {"FIBEX: a frame cut part-way, 17 after it", "cut.xml", FibexFrames(700, 3), LIST_REFERENCE, {52, 0, 0}},
      {"FIBEX: frames beyond the frame table", "many.xml", FibexFrames(2100, 1), LIST_REFERENCE, {52, 0, 0}},
      {"40 names of 40 bytes", "long.sbl", SblCan(20, 1, 40), LIST_REFERENCE, {0, 40, 0}},
      {"names as long as the field", "exact.sbl", SblCan(3, 2, MAX_NAME_LEN), LIST_REFERENCE, {}},
      {"500 messages, 500 signals", "defs.sbl", SblCan(1000, 3), LIST_DEFINITION, {2502, 0, 0}},
      {"100,000 messages of 3 signals", "huge.sbl", SblCan(100000, 3), LIST_DEFINITION, {299502, 0, 0}},
      {"messages without signals are no rows", "bare.sbl", SblCan(600, 0), LIST_DEFINITION, {}},
      {"the reference list has no limit", "ref.sbl", SblCan(1000, 3), LIST_REFERENCE, {}},
  };
  TempDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    RecordingMessageSink sink;
    LoadOutcome o = LoadListFile(NewDoc(), c.list, dir.Write(c.file, c.text), BUS_CAN);
    ASSERT_EQ(o.result, 0);
    EXPECT_EQ(o.cuts.overLimit, c.expected.overLimit);
    EXPECT_EQ(o.cuts.namesCut, c.expected.namesCut);
  }
}

// The list window shows the one notice after the load, with the three
// counts; a load that cut nothing shows nothing.
DOC_TEST(LoadCuts, OneNoticeAfterTheLoad) {
  TempDir dir;
  CRefListLogic ref(doc);
  RecordingMessageSink sink;
  EXPECT_TRUE(ref.DropFiles({dir.Write("clean.dbc", Dbc(2, 2))}));
  EXPECT_TRUE(sink.shown.empty());
  EXPECT_TRUE(ref.DropFiles({dir.Write("big.dbc", Dbc(50, 101))}));
  ASSERT_EQ(sink.Ids(), std::vector<int>{IDS_MSG_LOAD_CUT});
  EXPECT_EQ(sink.shown[0].ArgNumber(0), 50);
  EXPECT_EQ(sink.shown[0].ArgNumber(1), 0);
  EXPECT_EQ(sink.shown[0].ArgNumber(2), 0);
  EXPECT_EQ(ref.RowCount(), 5000);
}

namespace {

// Messages without signals: one placeholder record each.
std::string BareMessages(int first, int count, const std::string& prefix = "E") {
  std::string s;
  for (int id = first; id < first + count; ++id)
    s += "BO_ " + std::to_string(id) + " " + prefix + std::to_string(id) + ": 8 N\n";
  return s;
}

std::string Signal(const std::string& name) { return " SG_ " + name + " : 0|1@1+ (1,0) [0|1] \"\" N\n"; }

// A definition table of `groups` groups of `signalsEach` signals, whose
// MessageTotalNum says `groupsSaid` and every SignalNum `signalsSaid`.
std::string SblSaying(const std::string& table, int groups, int signalsEach, int groupsSaid, int signalsSaid) {
  std::string s = "<SBLVersion>1.2</SBLVersion><" + table + "><MessageTotalNum>" + std::to_string(groupsSaid) +
                  "</MessageTotalNum>";
  for (int g = 1; g <= groups; ++g) {
    s += "<Group><Message><MSGName>G" + std::to_string(g) + "</MSGName></Message><SignalNum>" +
         std::to_string(signalsSaid) + "</SignalNum>";
    for (int k = 0; k < signalsEach; ++k) s += "<Signal><SIGName>S" + std::to_string(k) + "</SIGName></Signal>";
    s += "</Group>";
  }
  return s + "</" + table + ">";
}

struct LeftOutCase {
  const char* what;
  const char* file;
  std::string text;
  int rows;
  LoadCuts expected;  // all zero and not stopped: no notice
};

}  // namespace

// Every record the table could not take is counted, a message without
// signals as much as a signal, and so is every row a definition file's own
// counts leave unread and every record of a CANdb message passed over for
// its identifier's bit 30; a text that stopped at a zero byte is told too.
// Rows shown and rows told make the rows of the file. Through the list
// window's load, which shows the notice.
DOC_TEST(LoadCuts, EveryRecordLeftOutAndEveryStopIsTold) {
  CVestrelDoc source;
  AddCanSig(source, AddCanMsg(source, LIST_DEFINITION, "Engine", 0x100, 8), {"Speed", 0, 8});
  AddSymbol(source, LIST_DEFINITION, 1, 4, "Run", "1010");
  std::string sbl = source.BuildSblText(LIST_DEFINITION);
  ASSERT_NE(sbl.find("<LogicSymbolTable"), std::string::npos);
  sbl.insert(sbl.find("<LogicSymbolTable"), 1, '\0');
  const std::string independent = "BO_ 7 VECTOR__INDEPENDENT_SIG_MSG: 0 N\n" + Signal("I1") + Signal("I2");
  const std::string bit30 = "BO_ 1073741924 Marked: 8 N\n";
  using std::string_literals::operator""s;
  LoadCuts stopped;
  stopped.stoppedAtZero = true;
  const LeftOutCase cases[] = {
      {"messages without signals beyond the table", "bare.dbc", BareMessages(0, 100000), 5000, {95000, 0, 0}},
      {"messages with and without signals beyond the table",
       "mixed.dbc",
       Dbc(4990, 1) + BareMessages(10000, 100),
       5000,
       {90, 0, 0}},
      {"the independent signals are not counted beyond the table",
       "never.dbc",
       BareMessages(0, 5000) + independent,
       5000,
       {}},
      {"a message of bit 30 beyond the table is passed over",
       "marked.dbc",
       BareMessages(0, 5000) + bit30,
       5000,
       {.passedOver = 1}},
      {"a message of bit 30 with its signals",
       "bit30.dbc",
       bit30 + Signal("A") + Signal("B") + Dbc(1, 1),
       1,
       {.passedOver = 2}},
      {"a message of bit 30 without signals", "bare30.dbc", Dbc(1, 1) + bit30, 1, {.passedOver = 1}},
      {"the independent signals' message, bit 30 and all",
       "independent.dbc",
       "BO_ 3221225472 VECTOR__INDEPENDENT_SIG_MSG: 0 N\n" + Signal("I1") + Dbc(1, 1),
       1,
       {}},
      {"CAN groups past MessageTotalNum", "groups.sbl", SblSaying("CanSymbolTable", 5, 2, 2, 2), 4, {.overLimit = 6}},
      {"CAN signals past SignalNum, in groups read and not",
       "signals.sbl",
       SblSaying("CanSymbolTable", 5, 2, 2, 1),
       2,
       {.overLimit = 8}},
      {"FlexRay frames and signals past the counts",
       "fr.sbl",
       SblSaying("FlexRaySymbolTable", 3, 2, 1, 1),
       1,
       {.overLimit = 5}},
      {"LIN frames and signals past the counts",
       "lin.sbl",
       SblSaying("LinSymbolTable", 3, 2, 1, 1),
       1,
       {.overLimit = 5}},
      {"LOGIC groups and symbols past the counts",
       "logic.sbl",
       SblSaying("LogicSymbolTable", 3, 2, 1, 1),
       1,
       {.overLimit = 5}},
      {"counts above what the file holds", "over.sbl", SblSaying("CanSymbolTable", 2, 2, 9, 5), 4, {}},
      {"a long name beyond the table is left out, not cut",
       "longbeyond.dbc",
       BareMessages(0, 5001) + "BO_ 9999 " + std::string(40, 'L') + ": 8 N\n",
       5000,
       {2, 0, 0}},
      {"a CANdb text stopped at a zero byte", "zero.dbc", "BO_ 1 A\0B: 8 N\nBO_ 2 C: 8 N\nBO_ 3 D: 8 N\n"s, 1, stopped},
      {"zero bytes only at the end leave nothing unread", "tail.dbc", "BO_ 1 A: 8 N\nBO_ 2 C: 8 N\n\0\0\0"s, 2, {}},
      {"a definition text stopped at a zero byte", "defs.sbl", sbl, 1, stopped},
  };
  TempDir dir;
  for (const LeftOutCase& c : cases) {
    SCOPED_TRACE(c.what);
    CVestrelDoc& listDoc = NewDoc();
    CRefListLogic ref(listDoc);
    RecordingMessageSink sink;
    EXPECT_TRUE(ref.DropFiles({dir.Write(c.file, c.text)}));
    EXPECT_EQ(ref.RowCount(), c.rows);
    if (!c.expected.Any()) {
      EXPECT_TRUE(sink.shown.empty());
      continue;
    }
    if (c.expected.stoppedAtZero) {
      EXPECT_EQ(sink.Ids(), std::vector<int>{IDS_MSG_STOPPED_AT_ZERO});
      continue;
    }
    EXPECT_EQ(sink.Ids(), std::vector<int>{IDS_MSG_LOAD_CUT});
    if (sink.shown.empty()) continue;
    EXPECT_EQ(sink.shown[0].ArgNumber(0), c.expected.overLimit);
    EXPECT_EQ(sink.shown[0].ArgNumber(1), c.expected.namesCut);
    EXPECT_EQ(sink.shown[0].ArgNumber(2), c.expected.merged);
    EXPECT_EQ(sink.shown[0].ArgNumber(4), c.expected.passedOver);
  }
}

// A real file's messages of bit 30 are told with their records.
DOC_TEST(LoadCuts, ACorpusFilesMessagesOfBit30AreTold) {
  const std::filesystem::path file = vrtest::CorpusDir() / "dbc/opendbc/toyota_2017_ref_pt.dbc";
  VR_REQUIRE_CORPUS(file);
  CRefListLogic ref(doc);
  RecordingMessageSink sink;
  ASSERT_TRUE(ref.DropFiles({file.string()}));
  EXPECT_EQ(ref.RowCount(), 1040);
  ASSERT_EQ(sink.Ids(), std::vector<int>{IDS_MSG_LOAD_CUT});
  EXPECT_EQ(sink.shown[0].ArgNumber(4), 275);
}

// A frame length that does not fit the one-byte field is clamped before it
// is stored: 256 must not become 0 and cut every signal to nothing.
DOC_TEST(LinConversion, FrameLengthAbove255IsClampedBeforeTheByteField) {
  std::vector<LdfOutFrame> frames(2);
  frames[0].name = "Wide";
  frames[0].id = 1;
  frames[0].length = 256;
  frames[1].name = "Huge";
  frames[1].id = 2;
  frames[1].length = 1 << 20;
  std::vector<LdfOutSignal> signals(2);
  signals[0].name = "A";
  signals[0].frameIndex = 0;
  signals[0].startBit = 8;
  signals[0].bitSize = 8;
  signals[1].name = "B";
  signals[1].frameIndex = 1;
  signals[1].bitSize = 4;
  ConvertLdfOutput(doc, LIST_REFERENCE, frames, signals);
  for (const char* name : {"WIDE", "HUGE"}) {
    const _LINMsg* m = doc.GetLinMsgTable(LIST_REFERENCE).Find(name);
    ASSERT_NE(m, nullptr) << name;
    EXPECT_EQ(m->byteCount, MAX_LIN_BYTES) << name;
    const _LINSignal* s = m->signals.begin()->value;
    EXPECT_GT(s->bitCount, 0) << name;
    EXPECT_EQ(s->importError, 1) << name;  // measured against the cut to 64 bits
  }
  EXPECT_EQ(doc.GetLinMsgTable(LIST_REFERENCE).Find("WIDE")->signals.Find("A")->startBit, 8);
}
