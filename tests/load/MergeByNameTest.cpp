// Records that come together by name are told after the load, as the
// records a limit leaves out are: rows a later record of the same name
// replaced, messages whose signals joined an earlier message of the same
// key, units cut to their field, and lines cut at a zero byte. Every file
// goes through the list window's load.
#include "DocFixture.h"
#include "ListLoad.h"
#include "ListLogic.h"
#include "ListTestUtil.h"
#include "RecordingMessageSink.h"

using namespace listtest;
using std::string_literals::operator""s;

namespace {

// What the notice after the load says; all zero: no notice.
struct Told {
  long long overLimit = 0;
  long long namesCut = 0;
  long long replaced = 0;
  long long joined = 0;
  bool zero = false;
  long long sharedFrames = 0;  // FlexRay frames left out for a name an earlier frame holds
  long long sharedRows = 0;
};

struct MergeCase {
  const char* what;
  const char* file;
  std::string text;
  int rows;  // rows the list shows
  Told told;
};

// The list window of `list` drops the file in; its rows and the notices.
void ExpectLoad(CVestrelDoc& doc, int list, const TempDir& dir, const MergeCase& c) {
  SCOPED_TRACE(c.what);
  RecordingMessageSink sink;
  CRefListLogic ref(doc);
  CDefListLogic def(doc);
  CListLogic& window = list == LIST_REFERENCE ? static_cast<CListLogic&>(ref) : def;
  const std::string path = dir.Write(c.file, c.text);
  ASSERT_TRUE(list == LIST_REFERENCE ? ref.DropFiles({path}) : def.DropFiles({path}));
  EXPECT_EQ(window.RowCount(), c.rows);
  const Told& t = c.told;
  const bool counts = t.overLimit > 0 || t.namesCut > 0 || t.replaced > 0 || t.joined > 0 || t.sharedFrames > 0;
  std::vector<int> ids;
  if (counts) ids.push_back(t.sharedFrames > 0 ? IDS_MSG_LOAD_CUT_FRAMES : IDS_MSG_LOAD_CUT);
  if (t.zero) ids.push_back(IDS_MSG_STOPPED_AT_ZERO);
  ASSERT_EQ(sink.Ids(), ids);
  if (!counts) return;
  const ShownMessage& notice = sink.shown[0];
  EXPECT_EQ(notice.ArgNumber(0), t.overLimit);
  EXPECT_EQ(notice.ArgNumber(1), t.namesCut);
  EXPECT_EQ(notice.ArgNumber(2), t.replaced);
  EXPECT_EQ(notice.ArgNumber(3), t.joined);
  if (t.sharedFrames == 0) return;
  EXPECT_EQ(notice.ArgNumber(4), t.sharedFrames);
  EXPECT_EQ(notice.ArgNumber(5), t.sharedRows);
}

std::string Numbered(const std::string& prefix, int from, int count) {
  std::string names;
  for (int k = from; k < from + count; ++k) names += prefix + std::to_string(k) + " ";
  return names;
}

std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::size_t at = 0;
  while ((at = text.find_first_not_of(' ', at)) != std::string::npos) {
    std::size_t end = text.find(' ', at);
    words.push_back(text.substr(at, end - at));
    at = end;
  }
  return words;
}

// ---- Definition files ----------------------------------------------------

struct SblMsg {
  std::string name;
  std::string signals;  // names separated by blanks
  std::string unit = "";
};

// A symbol table of CAN, LIN or FlexRay messages.
std::string SblTable(const char* table, const std::vector<SblMsg>& msgs) {
  std::string s = std::string("<") + table + "><MessageTotalNum>" + std::to_string(msgs.size()) + "</MessageTotalNum>";
  for (std::size_t m = 0; m < msgs.size(); ++m) {
    const std::vector<std::string> names = Words(msgs[m].signals);
    s += "<Group><Message><MSGName>" + msgs[m].name + "</MSGName><MSGId>" + std::to_string(m + 1) +
         "</MSGId><MSGByteSize>8</MSGByteSize></Message><SignalNum>" + std::to_string(names.size()) + "</SignalNum>";
    for (const std::string& name : names)
      s += "<Signal><SIGName>" + name + "</SIGName><Unit>" + msgs[m].unit + "</Unit></Signal>";
    s += "</Group>";
  }
  return "<SBLVersion>1.2</SBLVersion>" + s + "</" + table + ">";
}

std::string SblLogic(const std::string& symbols) {
  const std::vector<std::string> names = Words(symbols);
  std::string s =
      "<SBLVersion>1.2</SBLVersion><LogicSymbolTable><MessageTotalNum>1</MessageTotalNum><Group><Message>"
      "<MSGName>G</MSGName><MSGid>1</MSGid><MSGBitSize>2</MSGBitSize></Message><SignalNum>" +
      std::to_string(names.size()) + "</SignalNum>";
  for (const std::string& name : names)
    s += "<Signal><SIGName>" + name + "</SIGName><SIGPattern>10</SIGPattern></Signal>";
  return s + "</Group></LogicSymbolTable>";
}

// ---- CANdb files ---------------------------------------------------------

std::string Bo(int id, const std::string& name) { return "BO_ " + std::to_string(id) + " " + name + ": 8 N\n"; }
std::string Sg(const std::string& name, const std::string& unit = "") {
  return " SG_ " + name + " : 0|1@1+ (1,0) [0|1] \"" + unit + "\" N\n";
}

// ---- LIN description files -----------------------------------------------

// `signalLines` inside the Signals section, `frames` inside the Frames section.
std::string Ldf(const std::string& signalLines, const std::string& frames) {
  return "LIN_description_file;\nLIN_protocol_version = \"2.1\";\nSignals {\n" + signalLines + "}\nFrames {\n" +
         frames + "}\n";
}
std::string LdfSignals(const std::string& names) {
  std::string lines;
  for (const std::string& name : Words(names)) lines += " " + name + ": 8, 0, M;\n";
  return lines;
}
std::string LdfFrame(const std::string& name, int id, const std::string& body) {
  return " " + name + ": " + std::to_string(id) + ", M, 8 {\n" + body + " }\n";
}
std::string LdfEntries(const std::string& name, int count) {
  std::string body;
  for (int k = 0; k < count; ++k) body += name + ", 0;\n";
  return body;
}

const std::string kName32 = "LongMessageNameOfThirtyTwoBytes_";  // 32 bytes
const std::string kUnit40(40, 'u');
const std::string kDoubleByte = "\x82\xA0";  // one CP932 character

}  // namespace

// A later record of a name takes the place of the earlier one with its
// rows; every row so taken away is told.
DOC_TEST(MergeByName, SblRowsReplacedByALaterRecordAreTold) {
  const MergeCase cases[] = {
      {"five CAN messages named DUP of two signals each",
       "dup.sbl",
       SblTable("CanSymbolTable", {{"DUP", "A B"}, {"DUP", "C D"}, {"DUP", "E F"}, {"Dup", "G H"}, {"DUP", "I J"}}),
       2,
       {0, 0, 8}},
      {"ten CAN signals sharing five names",
       "names.sbl",
       SblTable("CanSymbolTable", {{"M", "S0 S1 S2 S3 S4 s0 S1 S2 S3 S4"}}),
       5,
       {0, 0, 5}},
      {"LIN frames named alike", "lin.sbl", SblTable("LinSymbolTable", {{"F", "A B"}, {"f", "C"}}), 1, {0, 0, 2}},
      {"FlexRay signals named alike", "fr.sbl", SblTable("FlexRaySymbolTable", {{"F", "A a B"}}), 2, {0, 0, 1}},
      {"LOGIC symbols named alike", "logic.sbl", SblLogic("K0 K1 k0 K2 K1"), 3, {0, 0, 2}},
      {"messages of distinct names", "clean.sbl", SblTable("CanSymbolTable", {{"A", "S T"}, {"B", "S T"}}), 4, {}},
      {"units longer than their field", "units.sbl", SblTable("CanSymbolTable", {{"A", "S T", kUnit40}}), 2, {0, 2}},
      {"units as long as their field",
       "exact.sbl",
       SblTable("LinSymbolTable", {{"A", "S T", std::string(32, 'u')}}),
       2,
       {}},
  };
  TempDir dir;
  for (const MergeCase& c : cases) ExpectLoad(NewDoc(), LIST_REFERENCE, dir, c);
}

// A FlexRay frame whose name an earlier frame holds is left out with its
// rows and told once after the load, in either list, never with a box each.
DOC_TEST(MergeByName, SblFramesSharingANameAreToldOnce) {
  const MergeCase c{"FlexRay frames named alike",
                    "frames.sbl",
                    SblTable("FlexRaySymbolTable", {{"F", "A B"}, {"f", "C D E"}, {"G", "H"}, {"F", ""}}),
                    3,
                    {0, 0, 0, 0, false, 2, 3}};
  TempDir dir;
  for (int list : {LIST_REFERENCE, LIST_DEFINITION}) ExpectLoad(NewDoc(), list, dir, c);
}

// The definition list counts the rows it holds against its limits: a row
// that a later record of its name took away holds no place.
DOC_TEST(MergeByName, SblReplacedRowsHoldNoPlaceTowardTheLimits) {
  const MergeCase cases[] = {
      {"a message replaced by one of 300 signals",
       "again.sbl",
       SblTable("CanSymbolTable", {{"DUP", Numbered("A", 0, 300)}, {"DUP", Numbered("B", 0, 300)}}),
       300,
       {0, 0, 300}},
      {"a message whose ten signals give five rows fills the list",
       "fills.sbl",
       SblTable("CanSymbolTable", {{"M0", Numbered("A", 0, 495)}, {"M1", Numbered("B", 0, 5) + Numbered("B", 0, 5)}}),
       500,
       {0, 0, 5}},
      {"a message whose rows would pass 500 keeps none",
       "passes.sbl",
       SblTable("CanSymbolTable", {{"M0", Numbered("A", 0, 495)}, {"M1", Numbered("B", 0, 6) + Numbered("B", 0, 4)}}),
       495,
       {10, 0, 0}},
      {"LIN signals named alike near the limit",
       "lin.sbl",
       SblTable("LinSymbolTable", {{"F0", Numbered("A", 0, 498)}, {"F1", "B C B C"}}),
       500,
       {0, 0, 2}},
      {"LOGIC symbols named alike before the group's 100th",
       "logic.sbl",
       SblLogic(Numbered("K", 0, 10) + Numbered("K", 0, 10) + Numbered("K", 10, 90)),
       100,
       {0, 0, 10}},
  };
  TempDir dir;
  for (const MergeCase& c : cases) ExpectLoad(NewDoc(), LIST_DEFINITION, dir, c);
}

// A message line whose name is the key of an earlier message stays merged
// into it, and is told; so are units and names cut to their field.
DOC_TEST(MergeByName, CanDbJoinedMessagesAndCutUnitsAreTold) {
  const std::string longName = std::string(31, 'N') + kDoubleByte;  // 33 bytes, cut to 31
  const MergeCase cases[] = {
      {"identifier 4 named as identifier 3",
       "same.dbc",
       Bo(3, "DUP") + Sg("A") + Bo(4, "DUP") + Sg("B"),
       2,
       {0, 0, 0, 1}},
      {"names that differ in letter case",
       "case.dbc",
       Bo(3, "Dup") + Sg("A") + Bo(4, "DUP") + Sg("B"),
       2,
       {0, 0, 0, 1}},
      {"names that share their first 32 bytes",
       "long.dbc",
       Bo(3, kName32 + "X") + Sg("A") + Bo(4, kName32 + "Y") + Sg("B"),
       2,
       {0, 2, 0, 1}},
      {"a message without signals joins by its placeholder",
       "bare.dbc",
       Bo(3, "DUP") + Sg("A") + Bo(4, "DUP"),
       2,
       {0, 0, 0, 1}},
      {"three lines of one name",
       "three.dbc",
       Bo(3, "D") + Sg("A") + Bo(4, "D") + Sg("A") + Bo(5, "d") + Sg("C"),
       2,
       {0, 0, 1, 2}},
      {"one message line with two signals", "one.dbc", Bo(3, "DUP") + Sg("A") + Sg("B"), 2, {}},
      {"a unit longer than its field", "unit.dbc", Bo(3, "M") + Sg("A", kUnit40), 1, {0, 1}},
      {"a unit behind blanks of an unusual line",
       "loose.dbc",
       Bo(3, "M") + " SG_ A : 0|1@1+  (1,0)  [0|1]  \"" + kUnit40 + "\"  N\n",
       1,
       {0, 1}},
      {"a unit as long as its field", "exact.dbc", Bo(3, "M") + Sg("A", std::string(32, 'u')), 1, {}},
      {"a cut unit of a message that makes no row",
       "independent.dbc",
       Bo(3, "VECTOR__INDEPENDENT_SIG_MSG") + Sg("A", kUnit40) + Bo(4, "M") + Sg("B"),
       1,
       {}},
      {"a signal name cut before a double-byte character", "sig.dbc", Bo(3, "M") + Sg(longName), 1, {0, 1}},
      {"a message name cut before a double-byte character", "msg.dbc", Bo(3, longName) + Sg("A"), 1, {0, 1}},
  };
  TempDir dir;
  for (const MergeCase& c : cases) ExpectLoad(NewDoc(), LIST_REFERENCE, dir, c);
}

// The same for LIN frames; a zero byte that cuts a line short is told, and
// only entries that would have been rows count beyond the output table.
DOC_TEST(MergeByName, LdfJoinedFramesZeroBytesAndEntriesBeyondTheTableAreTold) {
  const std::string six = LdfSignals("S0 S1 S2 S3 S4 S5");
  const std::string sixBody = " S0, 0; S1, 8; S2, 16;\n S3, 24; S4, 32; S5, 40;\n";
  std::string cutBody = sixBody;
  cutBody.insert(cutBody.find(" S5"), 1, '\0');
  std::string cutSignals = six;
  cutSignals.insert(cutSignals.find(" S5"), 1, '\0');
  cutSignals.erase(cutSignals.find('\0') - 1, 1);  // S4's line end: the zero byte stands inside its line
  std::string zeroAtEnd = six;
  zeroAtEnd.insert(zeroAtEnd.find("\n S5"), "\0\0"s);
  const MergeCase cases[] = {
      {"frames whose names differ in letter case",
       "case.ldf",
       Ldf(LdfSignals("A B"), LdfFrame("DUP", 1, " A, 0;\n") + LdfFrame("dup", 2, " B, 8;\n")),
       2,
       {0, 0, 0, 1}},
      {"frames of distinct names", "clean.ldf", Ldf(six, LdfFrame("F", 1, sixBody)), 6, {}},
      {"a zero byte in a frame's signal line", "body.ldf", Ldf(six, LdfFrame("F", 1, cutBody)), 5, {0, 0, 0, 0, true}},
      {"a zero byte in a line of the Signals section",
       "signals.ldf",
       Ldf(cutSignals, LdfFrame("F", 1, sixBody)),
       5,
       {0, 0, 0, 0, true}},
      {"zero bytes at a line's end lose nothing", "end.ldf", Ldf(zeroAtEnd, LdfFrame("F", 1, sixBody)), 6, {}},
      {"entries beyond 5,000 that name no signal",
       "unknown.ldf",
       Ldf(LdfSignals("A"), LdfFrame("F", 1, LdfEntries("A", 5000) + LdfEntries("Nope", 1000))),
       1,
       {0, 0, 4999}},
      {"entries beyond 5,000 that would be rows",
       "beyond.ldf",
       Ldf(LdfSignals("A B"), LdfFrame("F", 1, LdfEntries("A", 5000)) + LdfFrame("G", 2, LdfEntries("B", 1000))),
       1,
       {1000, 0, 4999}},
  };
  TempDir dir;
  for (const MergeCase& c : cases) ExpectLoad(NewDoc(), LIST_REFERENCE, dir, c);
}
