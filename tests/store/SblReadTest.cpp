// The definition-file reader: older versions, clamps, limits, links and
// failures; and that a written file read back settles after one pass.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DocFixture.h"
#include "RecordingMessageSink.h"
#include "DocPoolCheck.h"
#include "TextFile.h"
#include "VestrelDoc.h"

namespace {

std::string Sbl(const std::string& body, const char* version = "1.2") {
  return std::string("\r\n<SBLVersion>") + version + "</SBLVersion>\r\n<Model>QK4200</Model>\r\n" + body;
}

std::string Numbered(const char* format, int i) {
  std::string s = format;
  std::size_t at = s.find("%d");
  return s.replace(at, 2, std::to_string(i));
}

// One table with one group element holding `message` and `signals`.
std::string OneGroup(const char* table, const std::string& message, const std::string& signals = "", int signalNum = 0,
                     const char* group = "Group") {
  return std::string("<") + table + "><MessageTotalNum>1</MessageTotalNum><SignalTotalNum>" +
         std::to_string(signalNum) + "</SignalTotalNum><" + group + "><Message>" + message + "</Message><SignalNum>" +
         std::to_string(signalNum) + "</SignalNum>" + signals + "</" + group + "></" + table + ">";
}

std::string CanSignal(const std::string& name, const std::string& extra = "") {
  return "<Signal><SIGName>" + name + "</SIGName>" + extra + "</Signal>";
}

// From the second write on, reading and writing again changes nothing. (The
// first write may still differ from the second: a CAN signal's bit order is
// written but not read back.)
void ExpectSettled(const std::string& text, int list) {
  CVestrelDoc first;
  first.ParseSblText(text, list);
  std::string once = first.BuildSblText(list);
  CVestrelDoc second;
  ASSERT_EQ(second.ParseSblText(once, list), 0);
  std::string twice = second.BuildSblText(list);
  CVestrelDoc third;
  ASSERT_EQ(third.ParseSblText(twice, list), 0);
  EXPECT_EQ(third.BuildSblText(list), twice);
  EXPECT_TRUE(poolcheck::NothingLost(first));
}

DOC_TEST(SblReadTest, WrittenFileReadsBackTheSameRecords) {
  _CANMsg* msg = doc.AllocCanMsg();
  CopyToCharBuffer(msg->name, "Brake", MAX_NAME_LEN);
  msg->frameFormat = FRAME_XTD;
  msg->id = 0x18FEF100;
  msg->j1939 = 1;
  msg->byteCount = 100;
  _CANSignal* sw = doc.AllocCanSignal();
  CopyToCharBuffer(sw->name, "Switch", MAX_NAME_LEN);
  sw->loadNo = 4;
  sw->bitOrder = BITORDER_LSB_FIRST;  // as an older file's SIGType gives it
  _CANSignal* sel = doc.AllocCanSignal();
  CopyToCharBuffer(sel->name, "Selected", MAX_NAME_LEN);
  CopyToCharBuffer(sel->multiplexor, "SWITCH", MAX_NAME_LEN);
  CopyToCharBuffer(sel->unit, "km/h <a&b>", MAX_NAME_LEN);
  sel->multiplexValue = "0-3,7";
  sel->loadNo = 9;
  sel->valueType = VALTYPE_FLOAT;
  sel->bitCount = 32;
  sel->factor = 0.125;
  sel->offset = -273.15;
  sel->minimum = -1e30;
  sel->maximum = 2.5e-7;
  doc.AddCanSignal(msg, sw);
  doc.AddCanSignal(msg, sel);
  doc.AddCanMsg(msg, LIST_DEFINITION);

  CVestrelDoc& back = NewDoc();
  ASSERT_EQ(back.ParseSblText(doc.BuildSblText(LIST_DEFINITION), LIST_REFERENCE), 0);
  const _CANMsg* m = back.GetCanMsgTable(LIST_REFERENCE).Find("BRAKE");
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->frameFormat, FRAME_XTD);
  EXPECT_EQ(m->id, 0x18FEF100);
  EXPECT_EQ(m->j1939, 1);
  EXPECT_EQ(m->byteCount, 100);
  EXPECT_EQ(m->frameType, CANFRAME_FD);  // written as GroupEx (above 8 bytes)
  const _CANSignal* s = m->signals.Find("SELECTED");
  ASSERT_NE(s, nullptr);
  EXPECT_STREQ(s->multiplexor, "Switch");  // linked by load number, named as stored
  EXPECT_EQ(s->multiplexValue, "0-3,7");
  EXPECT_STREQ(s->unit, "km/h <a&b>");
  EXPECT_EQ(s->valueType, VALTYPE_FLOAT);
  EXPECT_EQ(s->loadNo, 9);
  EXPECT_DOUBLE_EQ(s->factor, 0.125);
  EXPECT_DOUBLE_EQ(s->offset, -273.15);
  EXPECT_DOUBLE_EQ(s->minimum, -1e30);
  EXPECT_DOUBLE_EQ(s->maximum, 2.5e-7);
  // A CAN signal's written bit order is not read back: MSB first whatever was written.
  EXPECT_EQ(m->signals.Find("SWITCH")->bitOrder, BITORDER_MSB_FIRST);
  EXPECT_EQ(m->signals.Find("SELECTED")->bitOrder, BITORDER_MSB_FIRST);
}

// BitOrder of a CAN signal is not looked for, so one written out of its
// place (last) hides none of the fields before it.
DOC_TEST(SblReadTest, CanBitOrderIsNotReadAndHidesNothing) {
  const std::string fields =
      "<StartBit>5</StartBit><BitSize>3</BitSize><ByteOrder>BIG</ByteOrder><Unit>V</Unit><Factor>2</Factor>";
  for (const char* place : {"first", "last"}) {
    std::string sig =
        std::string(place) == "first" ? "<BitOrder>LSB</BitOrder>" + fields : fields + "<BitOrder>LSB</BitOrder>";
    CVestrelDoc& rowDoc = NewDoc();
    ASSERT_EQ(rowDoc.ParseSblText(Sbl(OneGroup("CanSymbolTable", "<MSGName>M</MSGName><MSGByteSize>8</MSGByteSize>",
                                               CanSignal("S", sig), 1)),
                                  LIST_REFERENCE),
              0);
    const _CANSignal* s = rowDoc.GetCanMsgTable(LIST_REFERENCE).Find("M")->signals.Find("S");
    ASSERT_NE(s, nullptr) << place;
    EXPECT_EQ(s->bitOrder, BITORDER_MSB_FIRST) << place;
    EXPECT_EQ(s->startBit, 5) << place;
    EXPECT_EQ(s->bitCount, 3) << place;
    EXPECT_EQ(s->byteOrder, BYTEORDER_BIG) << place;
    EXPECT_STREQ(s->unit, "V") << place;
    EXPECT_DOUBLE_EQ(s->factor, 2.0) << place;
  }
}

DOC_TEST(SblReadTest, Version11FileWithOlderElementNames) {
  std::string text =
      Sbl("<FlexRaySymbolTable><MessageTotalNum>1</MessageTotalNum><SignalTotalNum>1</SignalTotalNum>"
          "<Group><MessageFlexRay><MSGName>F</MSGName><MSGId>9</MSGId><MSGByteSize>4</MSGByteSize></MessageFlexRay>"
          "<SignalNum>1</SignalNum><SignalFlexRay><SIGName>FS</SIGName><SIGType>x</SIGType><BitOrder>lsb</BitOrder>"
          "<BitFormat>big</BitFormat></SignalFlexRay></Group></FlexRaySymbolTable>"
          "<CanSymbolTable><MessageTotalNum>1</MessageTotalNum><SignalTotalNum>1</SignalTotalNum>"
          "<Group><MessageCAN><MSGName>C</MSGName><MSGByteSize>6</MSGByteSize></MessageCAN><SignalNum>1</SignalNum>"
          "<SignalCAN><SIGName>CS</SIGName><SIGType>xtd</SIGType><ValueType>signed</ValueType></SignalCAN>"
          "</Group></CanSymbolTable>"
          "<LinSymbolTable><MessageTotalNum>1</MessageTotalNum><SignalTotalNum>1</SignalTotalNum>"
          "<Group><MessageCAN><MSGName>L</MSGName><MSGId>5</MSGId><MSGBitSize>16</MSGBitSize>"
          "<MSGCheckSum>enhanced</MSGCheckSum></MessageCAN><SignalNum>1</SignalNum>"
          "<SignalCAN><SIGName>LS</SIGName><StartBit>3</StartBit></SignalCAN></Group></LinSymbolTable>"
          "<LogicSymbolTable><MessageTotalNum>1</MessageTotalNum><SignalTotalNum>1</SignalTotalNum>"
          "<Group><MessageLOGIC><MSGName>Group3</MSGName><MSGBitSize>3</MSGBitSize></MessageLOGIC>"
          "<SignalNum>1</SignalNum><SignalLOGIC><SIGName>Go</SIGName><SIGPattern>101</SIGPattern></SignalLOGIC>"
          "</Group></LogicSymbolTable>",
          "1.1");
  ASSERT_EQ(doc.ParseSblText(text, LIST_REFERENCE), 0);
  const _FlexRayMsg* f = doc.GetFlexRayMsgTable(LIST_REFERENCE).Find("F");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->byteCount, 4);
  EXPECT_EQ(f->slotId, 9u);
  EXPECT_EQ(f->cycleRepetition, 1);
  EXPECT_EQ(f->signals.Find("FS")->bitOrder, BITORDER_LSB_FIRST);
  EXPECT_EQ(f->signals.Find("FS")->byteOrder, BYTEORDER_BIG);
  const _CANMsg* c = doc.GetCanMsgTable(LIST_REFERENCE).Find("C");
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->byteCount, 6);
  EXPECT_EQ(c->frameType, CANFRAME_CAN);
  EXPECT_EQ(c->signals.Find("CS")->bitOrder, BITORDER_LSB_FIRST);
  EXPECT_EQ(c->signals.Find("CS")->valueType, VALTYPE_SIGNED);
  EXPECT_EQ(c->signals.Find("CS")->loadNo, -1);
  const _LINMsg* l = doc.GetLinMsgTable(LIST_REFERENCE).Find("L");
  ASSERT_NE(l, nullptr);
  EXPECT_EQ(l->id, 5u);
  EXPECT_EQ(l->byteCount, 2);
  EXPECT_EQ(l->checksum, CHECKSUM_ENHANCED);
  EXPECT_EQ(l->signals.Find("LS")->startBit, 3);
  EXPECT_EQ(l->signals.Find("LS")->loadNo, -1);  // LIN counts its own signals
  const _LOGICGroup* g = doc.GetLogicGroup(LIST_REFERENCE, 2);
  EXPECT_STREQ(g->name, "Group3");
  EXPECT_EQ(g->bitCount, 3);
  EXPECT_STREQ(g->symbols.Find("GO")->pattern, "101");
  ExpectSettled(text, LIST_REFERENCE);
}

struct ClampRow {
  const char* what;
  std::string text;
  long long (*field)(CVestrelDoc&);
  long long expected;
};

long long FrSlot(CVestrelDoc& d) { return d.GetFlexRayMsgTable(0).Find("M")->slotId; }
long long FrBytes(CVestrelDoc& d) { return d.GetFlexRayMsgTable(0).Find("M")->byteCount; }
long long FrCycleRep(CVestrelDoc& d) { return d.GetFlexRayMsgTable(0).Find("M")->cycleRepetition; }
long long CanId(CVestrelDoc& d) { return d.GetCanMsgTable(0).Find("M")->id; }
long long CanBytes(CVestrelDoc& d) { return d.GetCanMsgTable(0).Find("M")->byteCount; }
long long CanJ1939(CVestrelDoc& d) { return d.GetCanMsgTable(0).Find("M")->j1939; }
long long LinId(CVestrelDoc& d) { return d.GetLinMsgTable(0).Find("M")->id; }
long long LinBytes(CVestrelDoc& d) { return d.GetLinMsgTable(0).Find("M")->byteCount; }
long long LogicBits(CVestrelDoc& d) {
  for (int g = 0; g < LOGIC_GROUP_COUNT; ++g)
    if (std::string(d.GetLogicGroup(0, g)->name) == "M") return d.GetLogicGroup(0, g)->bitCount;
  return -1;
}
long long LogicIndex(CVestrelDoc& d) {
  for (int g = 0; g < LOGIC_GROUP_COUNT; ++g)
    if (!d.GetLogicGroup(0, g)->symbols.IsEmpty()) return g;
  return -1;
}

std::string Fr(const std::string& children) {
  return Sbl(OneGroup("FlexRaySymbolTable", "<MSGName>M</MSGName>" + children));
}
std::string Can(const std::string& children) {
  return Sbl(OneGroup("CanSymbolTable", "<MSGName>M</MSGName>" + children));
}
std::string Lin(const std::string& children) {
  return Sbl(OneGroup("LinSymbolTable", "<MSGName>M</MSGName>" + children));
}
std::string Logic(const std::string& children, const char* name = "M") {
  return Sbl(OneGroup("LogicSymbolTable", std::string("<MSGName>") + name + "</MSGName>" + children,
                      "<Signal><SIGName>s</SIGName></Signal>", 1));
}

DOC_TEST(SblReadTest, FieldsAreClampedIntoTheirLimits) {
  const ClampRow rows[] = {
      {"FlexRay slot 3000", Fr("<MSGId>3000</MSGId>"), FrSlot, 2047},
      {"FlexRay slot 0", Fr("<MSGId>0</MSGId>"), FrSlot, 1},
      {"FlexRay slot missing", Fr(""), FrSlot, 1},
      {"FlexRay 2040 bits", Fr("<MSGBitSize>2040</MSGBitSize>"), FrBytes, 254},
      {"FlexRay 9 bits", Fr("<MSGBitSize>9</MSGBitSize>"), FrBytes, 2},
      {"FlexRay 4000 bits", Fr("<MSGBitSize>4000</MSGBitSize>"), FrBytes, 254},
      {"FlexRay negative bits", Fr("<MSGBitSize>-8</MSGBitSize>"), FrBytes, 0},
      {"FlexRay 255 bytes", Fr("<MSGByteSize>255</MSGByteSize>"), FrBytes, 254},
      {"FlexRay 300 bytes", Fr("<MSGByteSize>300</MSGByteSize>"), FrBytes, 254},
      {"FlexRay bits override bytes", Fr("<MSGByteSize>20</MSGByteSize><MSGBitSize>16</MSGBitSize>"), FrBytes, 2},
      {"FlexRay repetition missing", Fr(""), FrCycleRep, 1},
      {"FlexRay repetition 70000", Fr("<CycleRepetition>70000</CycleRepetition>"), FrCycleRep, 65535},
      {"CAN STD 4096 stays", Can("<FrameFormat>STD</FrameFormat><MSGId>4096</MSGId>"), CanId, 4096},
      {"CAN STD above 29 bits", Can("<FrameFormat>STD</FrameFormat><MSGId>536870912</MSGId>"), CanId, 0x7FF},
      {"CAN XTD above 29 bits", Can("<FrameFormat>xtd</FrameFormat><MSGId>536870912</MSGId>"), CanId, 0x1FFFFFFF},
      {"CAN id far above int", Can("<FrameFormat>XTD</FrameFormat><MSGId>99999999999</MSGId>"), CanId, 0x1FFFFFFF},
      {"CAN negative id", Can("<MSGId>-3</MSGId>"), CanId, 0},
      {"CAN 100 bits", Can("<MSGBitSize>100</MSGBitSize><J1939>OFF</J1939>"), CanBytes, 13},
      {"CAN 1000 bits", Can("<MSGBitSize>1000</MSGBitSize><J1939>OFF</J1939>"), CanBytes, 64},
      {"J1939 14280 bits", Can("<MSGBitSize>14280</MSGBitSize><J1939>ON</J1939>"), CanBytes, 1785},
      {"J1939 20000 bits", Can("<MSGBitSize>20000</MSGBitSize><J1939>ON</J1939>"), CanBytes, 1785},
      {"J1939 without bits", Can("<MSGByteSize>8</MSGByteSize><J1939>ON</J1939>"), CanBytes, 0},
      {"no J1939: bytes as written", Can("<MSGByteSize>12</MSGByteSize><MSGBitSize>800</MSGBitSize>"), CanBytes, 12},
      {"no J1939: 100 bytes", Can("<MSGByteSize>100</MSGByteSize>"), CanBytes, 64},
      {"no J1939, no bytes", Can(""), CanBytes, 0},
      {"J1939 'on' is not J1939", Can("<MSGBitSize>800</MSGBitSize><J1939>on</J1939>"), CanJ1939, 0},
      {"J1939 'on' limit", Can("<MSGBitSize>800</MSGBitSize><J1939>on</J1939>"), CanBytes, 64},
      {"LIN id 99", Lin("<MSGId>99</MSGId>"), LinId, 63},
      {"LIN id -1", Lin("<MSGId>-1</MSGId>"), LinId, 0},
      {"LIN 72 bits", Lin("<MSGBitSize>72</MSGBitSize>"), LinBytes, 8},
      {"LIN 300 bits", Lin("<MSGBitSize>300</MSGBitSize>"), LinBytes, 8},
      {"LIN 20 bytes", Lin("<MSGByteSize>20</MSGByteSize>"), LinBytes, 8},
      {"LIN 12 bits", Lin("<MSGBitSize>12</MSGBitSize>"), LinBytes, 2},
      {"LOGIC 256 bits", Logic("<MSGid>0</MSGid><MSGBitSize>256</MSGBitSize>"), LogicBits, 32},
      {"LOGIC 33 bits", Logic("<MSGid>0</MSGid><MSGBitSize>33</MSGBitSize>"), LogicBits, 32},
      {"LOGIC 0 bits", Logic("<MSGid>0</MSGid><MSGBitSize>0</MSGBitSize>"), LogicBits, 1},
      {"LOGIC -4 bits", Logic("<MSGid>0</MSGid><MSGBitSize>-4</MSGBitSize>"), LogicBits, 1},
      {"LOGIC bits missing", Logic("<MSGid>0</MSGid>"), LogicBits, 1},
      {"LOGIC MSGid 9", Logic("<MSGid>9</MSGid>"), LogicIndex, 4},
      {"LOGIC MSGid -1", Logic("<MSGid>-1</MSGid>"), LogicIndex, 0},
      {"LOGIC MSGId", Logic("<MSGId>2</MSGId>"), LogicIndex, 2},
      {"LOGIC name Group3", Logic("", "Group3"), LogicIndex, 2},
      {"LOGIC name Group0", Logic("", "Group0"), LogicIndex, 4},
      {"LOGIC name without digits", Logic("", "Lamps"), LogicIndex, 4},
      {"LOGIC name Group65537", Logic("", "Group65537"), LogicIndex, 0},
  };
  for (const ClampRow& row : rows) {
    SCOPED_TRACE(row.what);
    CVestrelDoc& rowDoc = NewDoc();
    ASSERT_EQ(rowDoc.ParseSblText(row.text, LIST_REFERENCE), 0);
    EXPECT_EQ(row.field(rowDoc), row.expected);
    ExpectSettled(row.text, LIST_REFERENCE);
  }
}

std::string CanGroups(int groups, int signalsEach) {
  std::string body = "<CanSymbolTable><MessageTotalNum>" + std::to_string(groups) +
                     "</MessageTotalNum><SignalTotalNum>0</SignalTotalNum>";
  for (int i = 0; i < groups; ++i) {
    body += "<Group><Message><MSGName>" + Numbered("M%d", i) + "</MSGName></Message><SignalNum>" +
            std::to_string(signalsEach) + "</SignalNum>";
    for (int s = 0; s < signalsEach; ++s) body += CanSignal(Numbered("S%d", s));
    body += "</Group>";
  }
  return Sbl(body + "</CanSymbolTable>");
}

DOC_TEST(SblReadTest, DefinitionListTakesAtMost500MessagesAndSignals) {
  std::string text = CanGroups(600, 0);
  long long leftOut = -1;
  ASSERT_EQ(doc.ParseSblText(text, LIST_DEFINITION, &leftOut), 0);
  EXPECT_EQ(doc.GetCanMsgTable(LIST_DEFINITION).GetCount(), 500u);
  EXPECT_EQ(leftOut, 0);  // counted in rows: messages without signals have none
  ASSERT_EQ(doc.ParseSblText(text, LIST_REFERENCE, &leftOut), 0);
  EXPECT_EQ(leftOut, 0);
  EXPECT_EQ(doc.GetCanMsgTable(LIST_REFERENCE).GetCount(), 600u);

  // 3 x 200 signals: the third message would pass 500 and keeps none.
  std::string signals = CanGroups(3, 200);
  CVestrelDoc& def = NewDoc();
  ASSERT_EQ(def.ParseSblText(signals, LIST_DEFINITION, &leftOut), 0);
  EXPECT_EQ(def.CountCanSignals(LIST_DEFINITION), 400);
  EXPECT_EQ(leftOut, 200);
  ASSERT_NE(def.GetCanMsgTable(LIST_DEFINITION).Find("M2"), nullptr);
  EXPECT_TRUE(def.GetCanMsgTable(LIST_DEFINITION).Find("M2")->signals.IsEmpty());
  ASSERT_EQ(def.ParseSblText(signals, LIST_REFERENCE), 0);
  EXPECT_EQ(def.CountCanSignals(LIST_REFERENCE), 600);
  EXPECT_TRUE(poolcheck::NothingLost(def));
}

DOC_TEST(SblReadTest, DefinitionListTakesAtMost100SymbolsOfAGroup) {
  std::string symbols;
  for (int i = 0; i < 120; ++i)
    symbols += "<Signal><SIGName>" + Numbered("K%d", i) + "</SIGName><SIGPattern>10</SIGPattern></Signal>";
  std::string text =
      Sbl(OneGroup("LogicSymbolTable", "<MSGName>G</MSGName><MSGid>1</MSGid><MSGBitSize>2</MSGBitSize>", symbols, 120));
  long long leftOut = -1;
  ASSERT_EQ(doc.ParseSblText(text, LIST_DEFINITION, &leftOut), 0);
  EXPECT_EQ(doc.CountLogicSymbols(LIST_DEFINITION), 100);
  EXPECT_EQ(leftOut, 20);
  EXPECT_EQ(doc.GetLogicGroup(LIST_DEFINITION, 1)->symbols.Find("K100"), nullptr);
  // Counted as they stand in the file, not as its SignalNum claims.
  const std::string claimsMore = Sbl(
      OneGroup("LogicSymbolTable", "<MSGName>G</MSGName><MSGid>1</MSGid><MSGBitSize>2</MSGBitSize>", symbols, 1000));
  ASSERT_EQ(NewDoc().ParseSblText(claimsMore, LIST_DEFINITION, &leftOut), 0);
  EXPECT_EQ(leftOut, 20);
  ASSERT_EQ(doc.ParseSblText(text, LIST_REFERENCE), 0);
  EXPECT_EQ(doc.CountLogicSymbols(LIST_REFERENCE), 120);
  EXPECT_TRUE(poolcheck::NothingLost(doc));
}

DOC_TEST(SblReadTest, DuplicateFlexRayFrameIsCountedAndLeftOutWithItsSignals) {
  RecordingMessageSink sink;
  auto frame = [](const char* name, int slot, const char* signal) {
    return std::string("<Group><Message><MSGName>") + name + "</MSGName><MSGId>" + std::to_string(slot) +
           "</MSGId></Message><SignalNum>1</SignalNum><Signal><SIGName>" + signal + "</SIGName></Signal></Group>";
  };
  std::string text = Sbl("<FlexRaySymbolTable><MessageTotalNum>2</MessageTotalNum><SignalTotalNum>2</SignalTotalNum>" +
                         frame("Twin", 3, "First") + frame("TWIN", 8, "Second") + "</FlexRaySymbolTable>");
  SblSharedFrames shared;
  ASSERT_EQ(doc.ParseSblText(std::move(text), LIST_DEFINITION, nullptr, nullptr, nullptr, &shared), 0);
  // Told once by the load's notice, not with a box of its own.
  EXPECT_EQ(sink.Ids(), std::vector<int>{});
  EXPECT_EQ(shared.frames, 1);
  EXPECT_EQ(shared.rows, 1);
  const _FlexRayMsg* kept = doc.GetFlexRayMsgTable(LIST_DEFINITION).Find("TWIN");
  ASSERT_NE(kept, nullptr);
  EXPECT_EQ(kept->slotId, 3u);
  EXPECT_EQ(doc.CountFlexRaySignals(LIST_DEFINITION), 1);
  EXPECT_NE(kept->signals.Find("FIRST"), nullptr);
  EXPECT_EQ(kept->signals.Find("SECOND"), nullptr);
  EXPECT_EQ(doc.GetPoolCounts().flexRayMsg, 1u);
  EXPECT_TRUE(poolcheck::NothingLost(doc));
}

DOC_TEST(SblReadTest, DuplicateCanMessageReplacesTheFirstWithItsSignals) {
  auto group = [](const char* name, const char* signal) {
    return std::string("<Group><Message><MSGName>") + name + "</MSGName></Message><SignalNum>1</SignalNum>" +
           CanSignal(signal) + "</Group>";
  };
  std::string text = Sbl("<CanSymbolTable><MessageTotalNum>2</MessageTotalNum><SignalTotalNum>2</SignalTotalNum>" +
                         group("Dup", "Old") + group("dup", "New") + "</CanSymbolTable>");
  ASSERT_EQ(doc.ParseSblText(text, LIST_REFERENCE), 0);
  const _CANMsg* m = doc.GetCanMsgTable(LIST_REFERENCE).Find("DUP");
  ASSERT_NE(m, nullptr);
  EXPECT_STREQ(m->name, "dup");
  EXPECT_EQ(doc.CountCanSignals(LIST_REFERENCE), 1);
  EXPECT_NE(m->signals.Find("NEW"), nullptr);
  // The first message went back with its signal; "New" then reused that signal.
  EXPECT_EQ(doc.GetPoolCounts().canMsg, 1u);
  EXPECT_EQ(doc.GetPoolCounts().canSignal, 0u);
  EXPECT_EQ(doc.GetCreatedCounts().canSignal, 1u);
  EXPECT_TRUE(poolcheck::NothingLost(doc));
}

DOC_TEST(SblReadTest, MultiplexorNumbersLinkOnlyWholeNumbersThatExist) {
  std::string signals = CanSignal("Sw", "<SIGLoadNo>0</SIGLoadNo>") +
                        CanSignal("Two", "<SIGLoadNo>2</SIGLoadNo><Multiplexor>0</Multiplexor>") +
                        CanSignal("Seven", "<SIGLoadNo>3</SIGLoadNo><Multiplexor>7</Multiplexor>") +
                        CanSignal("Text", "<SIGLoadNo>4</SIGLoadNo><Multiplexor>abc</Multiplexor>") +
                        CanSignal("Tail", "<SIGLoadNo>5</SIGLoadNo><Multiplexor>2x</Multiplexor>") +
                        CanSignal("Empty", "<SIGLoadNo>6</SIGLoadNo><Multiplexor/><MultiplexValue/>");
  std::string text = Sbl(OneGroup("CanSymbolTable", "<MSGName>M</MSGName>", signals, 6));
  ASSERT_EQ(doc.ParseSblText(text, LIST_REFERENCE), 0);
  const _CANMsg* m = doc.GetCanMsgTable(LIST_REFERENCE).Find("M");
  ASSERT_NE(m, nullptr);
  EXPECT_STREQ(m->signals.Find("TWO")->multiplexor, "Sw");
  EXPECT_STREQ(m->signals.Find("SEVEN")->multiplexor, "7");
  EXPECT_STREQ(m->signals.Find("TEXT")->multiplexor, "abc");  // not linked to load number 0
  EXPECT_STREQ(m->signals.Find("TAIL")->multiplexor, "2x");
  EXPECT_STREQ(m->signals.Find("EMPTY")->multiplexor, "");
  EXPECT_TRUE(m->signals.Find("EMPTY")->multiplexValue.empty());
  ExpectSettled(text, LIST_REFERENCE);
}

DOC_TEST(SblReadTest, MissingLoadNumbersCountDownPerBus) {
  std::string text = Sbl(OneGroup("CanSymbolTable", "<MSGName>M</MSGName>", CanSignal("A") + CanSignal("B"), 2) +
                         OneGroup("LinSymbolTable", "<MSGName>L</MSGName>", CanSignal("C"), 1));
  ASSERT_EQ(doc.ParseSblText(text, LIST_REFERENCE), 0);
  EXPECT_EQ(doc.GetCanMsgTable(0).Find("M")->signals.Find("A")->loadNo, -1);
  EXPECT_EQ(doc.GetCanMsgTable(0).Find("M")->signals.Find("B")->loadNo, -2);
  EXPECT_EQ(doc.GetLinMsgTable(0).Find("L")->signals.Find("C")->loadNo, -1);
}

DOC_TEST(SblReadTest, PatternsSetTheWidthOfTheirGroup) {
  auto sym = [](const char* name, const char* pattern) {
    return std::string("<Signal><SIGName>") + name + "</SIGName>" +
           (pattern ? std::string("<SIGPattern>") + pattern + "</SIGPattern>" : std::string("<SIGPattern/>")) +
           "</Signal>";
  };
  struct Row {
    const char* what;
    std::string symbols;
    int count;
    int bits;
    std::vector<std::string> patterns;
  } rows[] = {
      {"an empty pattern keeps the width", sym("A", nullptr) + sym("B", "1010"), 2, 4, {"", "1010"}},
      {"a longer pattern is cut", sym("A", "101011"), 1, 4, {"1010"}},
      {"a shorter pattern narrows the group", sym("A", "1x"), 1, 2, {"1x"}},
      {"a later shorter pattern cuts the earlier", sym("A", "1111") + sym("B", "01"), 2, 2, {"11", "01"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    std::string text = Sbl(OneGroup(
        "LogicSymbolTable", "<MSGName>G</MSGName><MSGid>0</MSGid><MSGBitSize>4</MSGBitSize>", row.symbols, row.count));
    CVestrelDoc& rowDoc = NewDoc();
    ASSERT_EQ(rowDoc.ParseSblText(text, LIST_REFERENCE), 0);
    const _LOGICGroup* g = rowDoc.GetLogicGroup(LIST_REFERENCE, 0);
    EXPECT_EQ(g->bitCount, row.bits);
    std::vector<std::string> patterns;
    for (const auto& e : g->symbols) patterns.push_back(e.value->pattern);
    EXPECT_EQ(patterns, row.patterns);
    ExpectSettled(text, LIST_REFERENCE);
  }
}

DOC_TEST(SblReadTest, TextsThatAreNoDefinitionFileFail) {
  RecordingMessageSink sink;
  const char* texts[] = {
      "",
      "VERSION \"\"\r\nBO_ 100 Engine: 8 Node\r\n SG_ Speed : 0|16@1+ (1,0) [0|0] \"\" Node\r\n",
      "<a><b></a>",                                         // not well-formed
      "<?xml version=\"1.0\"?><FIBEX><ELEMENTS/></FIBEX>",  // XML, but not ours
      "<SBLVersion>1.2",                                    // end tag missing
  };
  for (const char* text : texts) {
    SCOPED_TRACE(text);
    CVestrelDoc& rowDoc = NewDoc();
    EXPECT_EQ(rowDoc.ParseSblText(text, LIST_DEFINITION), -1);
    EXPECT_EQ(rowDoc.GetCreatedCounts(), DocPoolCounts());
  }
  EXPECT_TRUE(sink.shown.empty());
  EXPECT_EQ(doc.ParseSblText("<SBLVersion>1.2</SBLVersion>", LIST_DEFINITION), 0);  // a file without definitions
  EXPECT_EQ(doc.ParseSblText("<Model>QK4200</Model>", 2), -1);                      // no such list
}

DOC_TEST(SblReadTest, CountsInTheFileCannotKeepTheReaderGoing) {
  std::string text = Sbl(
      "<CanSymbolTable><MessageTotalNum>2147483647</MessageTotalNum><SignalTotalNum>0</SignalTotalNum>"
      "<Group><Message><MSGName>A</MSGName></Message><SignalNum>99999999999</SignalNum>" +
      CanSignal("S") +
      "</Group><Other/></CanSymbolTable>"
      "<LogicSymbolTable><MessageTotalNum>2000000000</MessageTotalNum><Group><Message><MSGName>Group1</MSGName>"
      "</Message><SignalNum>2000000000</SignalNum><Signal><SIGName>x</SIGName></Signal></Group></LogicSymbolTable>");
  ASSERT_EQ(doc.ParseSblText(text, LIST_REFERENCE), 0);
  EXPECT_EQ(doc.CountCanSignals(LIST_REFERENCE), 1);
  EXPECT_EQ(doc.CountLogicSymbols(LIST_REFERENCE), 1);
  ASSERT_EQ(doc.ParseSblText(text, LIST_DEFINITION), 0);
  EXPECT_EQ(doc.CountCanSignals(LIST_DEFINITION), 0);  // more than 500 announced
}

DOC_TEST(SblReadTest, ReloadingReusesThePooledRecords) {
  std::string text = CanGroups(20, 10);
  ASSERT_EQ(doc.ParseSblText(text, LIST_REFERENCE), 0);
  DocPoolCounts made = doc.GetCreatedCounts();
  for (int round = 0; round < 3; ++round) {
    doc.ClearCanList(LIST_REFERENCE);
    ASSERT_EQ(doc.ParseSblText(text, LIST_REFERENCE), 0);
  }
  EXPECT_EQ(doc.GetCreatedCounts(), made);
  EXPECT_TRUE(poolcheck::NothingLost(doc));
}

// Two passes through the reader settle a file; a third changes nothing.
DOC_TEST(SblReadTest, ReadWriteReadWriteIsStable) {
  const std::string texts[] = {
      CanGroups(3, 4),
      // An LSB-first CAN signal of an older file: written "LSB", read back MSB first.
      Sbl(OneGroup("CanSymbolTable", "<MSGName>M</MSGName><MSGByteSize>8</MSGByteSize>",
                   CanSignal("A", "<SIGType>XTD</SIGType><StartBit>3</StartBit>"), 1)),
      Sbl(OneGroup("CanSymbolTable", "<MSGName>M</MSGName><MSGByteSize>12</MSGByteSize>",
                   CanSignal("A", "<Multiplexor>7</Multiplexor>") + CanSignal("7", "<SIGLoadNo>3</SIGLoadNo>") +
                       CanSignal("a", "<SIGLoadNo>3</SIGLoadNo><Multiplexor>3</Multiplexor>"),
                   3)),
      Sbl(OneGroup("LogicSymbolTable", "<MSGName>G</MSGName><MSGBitSize>8</MSGBitSize>",
                   "<Signal><SIGName>a</SIGName><SIGPattern>10101010</SIGPattern></Signal>"
                   "<Signal><SIGName>b</SIGName><SIGPattern>1\x83\x5C"
                   "01</SIGPattern></Signal>",
                   2)) +
          "<LogicSymbolTable/>",
      Sbl("<LogicSymbolTable><MessageTotalNum>2</MessageTotalNum>"
          "<Group><Message><MSGName>X</MSGName><MSGid>1</MSGid><MSGBitSize>4</MSGBitSize></Message>"
          "<SignalNum>1</SignalNum><Signal><SIGName>a</SIGName><SIGPattern>1111</SIGPattern></Signal></Group>"
          "<Group><Message><MSGName>Y</MSGName><MSGid>1</MSGid><MSGBitSize>8</MSGBitSize></Message>"
          "<SignalNum>1</SignalNum><Signal><SIGName>b</SIGName><SIGPattern>00001111</SIGPattern></Signal></Group>"
          "</LogicSymbolTable>"),
      Sbl(OneGroup("FlexRaySymbolTable", "<MSGName>F</MSGName><MSGId>0</MSGId><MSGBitSize>2100</MSGBitSize>",
                   "<Signal><SIGName>s</SIGName><Factor>1e400</Factor><Offset>0.1234567891</Offset>"
                   "<Unit>&lt;&amp;&foo;</Unit></Signal>",
                   1)),
  };
  for (const std::string& text : texts) {
    SCOPED_TRACE(text);
    ExpectSettled(text, LIST_REFERENCE);
    ExpectSettled(text, LIST_DEFINITION);
  }
}

}  // namespace
