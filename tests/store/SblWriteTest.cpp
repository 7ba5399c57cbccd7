// The definition-file writer, byte for byte.
#include <gtest/gtest.h>

#include <clocale>
#include <initializer_list>
#include <string>

#include "DocFixture.h"
#include "TextFile.h"
#include "VestrelDoc.h"

namespace {

std::string Lines(std::initializer_list<const char*> lines) {
  std::string text;
  for (const char* line : lines) text.append(line).append("\r\n");
  return text;
}

template <std::size_t N>
void SetName(char (&dest)[N], const char* text) {
  CopyToCharBuffer(dest, text, N - 1);
}

// One definition list with every bus: the figures below are the ones the
// expected text spells out.
void FillAllBuses(CVestrelDoc& doc, int list) {
  _FlexRayMsg* fr = doc.AllocFlexRayMsg();
  SetName(fr->name, "FrA");
  fr->slotId = 5;
  fr->byteCount = 16;
  fr->baseCycle = 1;
  fr->cycleRepetition = 4;
  _FlexRaySignal* frSig = doc.AllocFlexRaySignal();
  SetName(frSig->name, "Sig1");
  frSig->startBit = 3;
  frSig->bitCount = 8;
  frSig->byteOrder = BYTEORDER_BIG;
  frSig->valueType = VALTYPE_SIGNED;
  frSig->factor = 0.5;
  frSig->offset = -10;
  frSig->maximum = 100;
  doc.AddFlexRaySignal(fr, frSig);
  doc.AddFlexRayMsg(fr, list, nullptr);

  _CANMsg* can8 = doc.AllocCanMsg();
  SetName(can8->name, "Msg8");
  can8->id = 0x123;
  can8->byteCount = 8;
  _CANSignal* mux = doc.AllocCanSignal();
  SetName(mux->name, "Mux");
  mux->bitCount = 4;
  mux->loadNo = 0;
  _CANSignal* val = doc.AllocCanSignal();
  SetName(val->name, "Val");
  val->startBit = 8;
  val->bitCount = 12;
  val->loadNo = 1;
  SetName(val->multiplexor, "mux");  // letter case does not matter
  val->multiplexValue = "1,3-5";
  SetName(val->unit, "m&s");
  val->minimum = -2.5e-3;
  _CANSignal* lost = doc.AllocCanSignal();
  SetName(lost->name, "Lost");
  lost->startBit = 20;
  lost->bitCount = 1;
  lost->loadNo = 2;
  SetName(lost->multiplexor, "Nobody");  // no such signal: written empty
  doc.AddCanSignal(can8, mux);
  doc.AddCanSignal(can8, val);
  doc.AddCanSignal(can8, lost);
  doc.AddCanMsg(can8, list);

  _CANMsg* can12 = doc.AllocCanMsg();
  SetName(can12->name, "Msg12");
  can12->frameFormat = FRAME_XTD;
  can12->id = 0x1ABCDEF;
  can12->byteCount = 12;
  can12->j1939 = 1;
  can12->frameType = CANFRAME_CAN;
  doc.AddCanMsg(can12, list);

  _CANMsg* fd = doc.AllocCanMsg();
  SetName(fd->name, "Fd8");
  fd->id = 7;
  fd->byteCount = 8;
  fd->frameType = CANFRAME_FD;
  _CANSignal* dbl = doc.AllocCanSignal();
  SetName(dbl->name, "D");
  dbl->bitCount = 64;
  dbl->valueType = VALTYPE_FLOAT;
  dbl->byteOrder = BYTEORDER_BIG;
  dbl->bitOrder = BITORDER_LSB_FIRST;
  dbl->loadNo = 5;
  dbl->factor = 123456789.0;
  doc.AddCanSignal(fd, dbl);
  doc.AddCanMsg(fd, list);

  _LINMsg* lin = doc.AllocLinMsg();
  SetName(lin->name, "Door");
  lin->id = 10;
  lin->byteCount = 2;
  lin->checksum = CHECKSUM_ENHANCED;
  _LINSignal* lock = doc.AllocLinSignal();
  SetName(lock->name, "Lock");
  lock->startBit = 1;
  lock->bitCount = 2;
  lock->loadNo = 3;
  doc.AddLinSignal(lin, lock);
  doc.AddLinMsg(lin, list);

  // Group index 0 holds nothing and is left out; index 1 is cleared (no
  // name) and then given a symbol again.
  doc.ClearLogicGroups(list, 1);
  doc.GetLogicGroup(list, 1)->bitCount = 2;
  _LOGICSignal* s1 = doc.AllocLogicSignal();
  SetName(s1->name, "Idle");
  SetName(s1->pattern, "0x");
  doc.AddLogicSignal(list, 1, s1);
  doc.GetLogicGroup(list, 3)->bitCount = 4;
  for (const char* n : {"Run", "Stop"}) {
    _LOGICSignal* s = doc.AllocLogicSignal();
    SetName(s->name, n);
    SetName(s->pattern, n[0] == 'R' ? "1010" : "XX01");
    doc.AddLogicSignal(list, 3, s);
  }
}

const std::string& AllBusesText() {
  static const std::string text = "\r\n" +
                                  Lines({
                                      "<SBLVersion>1.2</SBLVersion>",
                                      "<Model>QK4200</Model>",
                                      "<FlexRaySymbolTable>",
                                      "<MessageTotalNum>1</MessageTotalNum>",
                                      "<SignalTotalNum>1</SignalTotalNum>",
                                      "<Group>",
                                      "<Message>",
                                      "<MSGName>FrA</MSGName>",
                                      "<FrameFormat>STD</FrameFormat>",
                                      "<MSGId>5</MSGId>",
                                      "<MSGBitSize>128</MSGBitSize>",
                                      "<BaseCycle>1</BaseCycle>",
                                      "<CycleRepetition>4</CycleRepetition>",
                                      "</Message>",
                                      "<SignalNum>1</SignalNum>",
                                      "<Signal>",
                                      "<SIGName>Sig1</SIGName>",
                                      "<BitOrder>MSB</BitOrder>",
                                      "<StartBit>3</StartBit>",
                                      "<BitSize>8</BitSize>",
                                      "<ByteOrder>BIG</ByteOrder>",
                                      "<ValueType>SIGNED</ValueType>",
                                      "<Unit/>",
                                      "<Factor>5.000000e-01</Factor>",
                                      "<Offset>-1.000000e+01</Offset>",
                                      "<Minimum>-1.000000e+31</Minimum>",
                                      "<Maximum>1.000000e+02</Maximum>",
                                      "</Signal>",
                                      "</Group>",
                                      "</FlexRaySymbolTable>",
                                      "<CanSymbolTable>",
                                      "<MessageTotalNum>3</MessageTotalNum>",
                                      "<SignalTotalNum>4</SignalTotalNum>",
                                      "<Group>",
                                      "<Message>",
                                      "<MSGName>Msg8</MSGName>",
                                      "<FrameFormat>STD</FrameFormat>",
                                      "<MSGId>291</MSGId>",
                                      "<MSGBitSize>64</MSGBitSize>",
                                      "<J1939>OFF</J1939>",
                                      "</Message>",
                                      "<SignalNum>3</SignalNum>",
                                      "<Signal>",
                                      "<SIGName>Mux</SIGName>",
                                      "<BitOrder>MSB</BitOrder>",
                                      "<StartBit>0</StartBit>",
                                      "<BitSize>4</BitSize>",
                                      "<ByteOrder>LITTLE</ByteOrder>",
                                      "<ValueType>UNSIGNED</ValueType>",
                                      "<Unit/>",
                                      "<Factor>1.000000e+00</Factor>",
                                      "<Offset>0.000000e+00</Offset>",
                                      "<Minimum>-1.000000e+31</Minimum>",
                                      "<Maximum>1.000000e+31</Maximum>",
                                      "<SIGLoadNo>0</SIGLoadNo>",
                                      "<Multiplexor/>",
                                      "<MultiplexValue/>",
                                      "</Signal>",
                                      "<Signal>",
                                      "<SIGName>Val</SIGName>",
                                      "<BitOrder>MSB</BitOrder>",
                                      "<StartBit>8</StartBit>",
                                      "<BitSize>12</BitSize>",
                                      "<ByteOrder>LITTLE</ByteOrder>",
                                      "<ValueType>UNSIGNED</ValueType>",
                                      "<Unit>m&amp;s</Unit>",
                                      "<Factor>1.000000e+00</Factor>",
                                      "<Offset>0.000000e+00</Offset>",
                                      "<Minimum>-2.500000e-03</Minimum>",
                                      "<Maximum>1.000000e+31</Maximum>",
                                      "<SIGLoadNo>1</SIGLoadNo>",
                                      "<Multiplexor>0</Multiplexor>",
                                      "<MultiplexValue>1,3-5</MultiplexValue>",
                                      "</Signal>",
                                      "<Signal>",
                                      "<SIGName>Lost</SIGName>",
                                      "<BitOrder>MSB</BitOrder>",
                                      "<StartBit>20</StartBit>",
                                      "<BitSize>1</BitSize>",
                                      "<ByteOrder>LITTLE</ByteOrder>",
                                      "<ValueType>UNSIGNED</ValueType>",
                                      "<Unit/>",
                                      "<Factor>1.000000e+00</Factor>",
                                      "<Offset>0.000000e+00</Offset>",
                                      "<Minimum>-1.000000e+31</Minimum>",
                                      "<Maximum>1.000000e+31</Maximum>",
                                      "<SIGLoadNo>2</SIGLoadNo>",
                                      "<Multiplexor/>",
                                      "<MultiplexValue/>",
                                      "</Signal>",
                                      "</Group>",
                                      "<GroupEx>",
                                      "<Message>",
                                      "<MSGName>Msg12</MSGName>",
                                      "<FrameFormat>XTD</FrameFormat>",
                                      "<MSGId>28036591</MSGId>",
                                      "<MSGBitSize>96</MSGBitSize>",
                                      "<J1939>ON</J1939>",
                                      "</Message>",
                                      "<SignalNum>0</SignalNum>",
                                      "</GroupEx>",
                                      "<GroupEx>",
                                      "<Message>",
                                      "<MSGName>Fd8</MSGName>",
                                      "<FrameFormat>STD</FrameFormat>",
                                      "<MSGId>7</MSGId>",
                                      "<MSGBitSize>64</MSGBitSize>",
                                      "<J1939>OFF</J1939>",
                                      "</Message>",
                                      "<SignalNum>1</SignalNum>",
                                      "<Signal>",
                                      "<SIGName>D</SIGName>",
                                      "<BitOrder>LSB</BitOrder>",
                                      "<StartBit>0</StartBit>",
                                      "<BitSize>64</BitSize>",
                                      "<ByteOrder>BIG</ByteOrder>",
                                      "<ValueType>FLOAT</ValueType>",
                                      "<Unit/>",
                                      "<Factor>1.234568e+08</Factor>",
                                      "<Offset>0.000000e+00</Offset>",
                                      "<Minimum>-1.000000e+31</Minimum>",
                                      "<Maximum>1.000000e+31</Maximum>",
                                      "<SIGLoadNo>5</SIGLoadNo>",
                                      "<Multiplexor/>",
                                      "<MultiplexValue/>",
                                      "</Signal>",
                                      "</GroupEx>",
                                      "</CanSymbolTable>",
                                      "<LinSymbolTable>",
                                      "<MessageTotalNum>1</MessageTotalNum>",
                                      "<SignalTotalNum>1</SignalTotalNum>",
                                      "<Group>",
                                      "<Message>",
                                      "<MSGName>Door</MSGName>",
                                      "<MSGId>10</MSGId>",
                                      "<MSGBitSize>16</MSGBitSize>",
                                      "<MSGCheckSum>ENHANCED</MSGCheckSum>",
                                      "</Message>",
                                      "<SignalNum>1</SignalNum>",
                                      "<Signal>",
                                      "<SIGName>Lock</SIGName>",
                                      "<BitOrder>LSB</BitOrder>",
                                      "<StartBit>1</StartBit>",
                                      "<BitSize>2</BitSize>",
                                      "<ByteOrder>LITTLE</ByteOrder>",
                                      "<ValueType>UNSIGNED</ValueType>",
                                      "<Unit/>",
                                      "<Factor>1.000000e+00</Factor>",
                                      "<Offset>0.000000e+00</Offset>",
                                      "<Minimum>-1.000000e+31</Minimum>",
                                      "<Maximum>1.000000e+31</Maximum>",
                                      "<SIGLoadNo>3</SIGLoadNo>",
                                      "</Signal>",
                                      "</Group>",
                                      "</LinSymbolTable>",
                                      "<LogicSymbolTable>",
                                      "<MessageTotalNum>2</MessageTotalNum>",
                                      "<SignalTotalNum>3</SignalTotalNum>",
                                      "<Group>",
                                      "<Message>",
                                      "<MSGName/>",
                                      "<MSGid>1</MSGid>",
                                      "<MSGBitSize>2</MSGBitSize>",
                                      "</Message>",
                                      "<SignalNum>1</SignalNum>",
                                      "<Signal>",
                                      "<SIGName>Idle</SIGName>",
                                      "<SIGPattern>0x</SIGPattern>",
                                      "</Signal>",
                                      "</Group>",
                                      "<Group>",
                                      "<Message>",
                                      "<MSGName>Group4</MSGName>",
                                      "<MSGid>3</MSGid>",
                                      "<MSGBitSize>4</MSGBitSize>",
                                      "</Message>",
                                      "<SignalNum>2</SignalNum>",
                                      "<Signal>",
                                      "<SIGName>Run</SIGName>",
                                      "<SIGPattern>1010</SIGPattern>",
                                      "</Signal>",
                                      "<Signal>",
                                      "<SIGName>Stop</SIGName>",
                                      "<SIGPattern>XX01</SIGPattern>",
                                      "</Signal>",
                                      "</Group>",
                                      "</LogicSymbolTable>",
                                  }) +
                                  "\r\n";
  return text;
}

DOC_TEST(SblWriteTest, AllFourBusesGiveTheExpectedBytes) {
  FillAllBuses(doc, LIST_DEFINITION);
  EXPECT_EQ(doc.BuildSblText(LIST_DEFINITION), AllBusesText());
  // The other list is empty: only the header.
  EXPECT_EQ(doc.BuildSblText(LIST_REFERENCE),
            "\r\n" + Lines({"<SBLVersion>1.2</SBLVersion>", "<Model>QK4200</Model>"}) + "\r\n");
}

DOC_TEST(SblWriteTest, TheExpectedBytesReadBackAndWriteAgainUnchanged) {
  ASSERT_EQ(doc.ParseSblText(AllBusesText(), LIST_DEFINITION), 0);
  // A CAN signal's bit order is not read: the LSB-first signal D comes back MSB first.
  std::string expected = AllBusesText();
  const std::string lsb = "<SIGName>D</SIGName>\r\n<BitOrder>LSB</BitOrder>";
  ASSERT_NE(expected.find(lsb), std::string::npos);
  expected.replace(expected.find(lsb), lsb.size(), "<SIGName>D</SIGName>\r\n<BitOrder>MSB</BitOrder>");
  EXPECT_EQ(doc.BuildSblText(LIST_DEFINITION), expected);
  EXPECT_STREQ(doc.GetCanMsgTable(LIST_DEFINITION).Find("MSG8")->signals.Find("VAL")->multiplexor, "Mux");
}

// A process that took a comma-decimal locale (as Qt does from the
// environment) must still write points.
DOC_TEST(SblWriteTest, CommaDecimalLocaleWritesTheSameBytes) {
  std::string previous = std::setlocale(LC_ALL, nullptr);
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "locale de_DE.UTF-8 is not installed";
  FillAllBuses(doc, LIST_REFERENCE);
  std::string written = doc.BuildSblText(LIST_REFERENCE);
  CVestrelDoc& again = NewDoc();
  int result = again.ParseSblText(written, LIST_REFERENCE);
  std::string rewritten = again.BuildSblText(LIST_REFERENCE);
  std::setlocale(LC_ALL, previous.c_str());
  EXPECT_EQ(written, AllBusesText());
  EXPECT_EQ(result, 0);
  // Read back in that locale, the values are the same (0.5, not 0 or 5).
  EXPECT_EQ(rewritten.find("<Factor>5.000000e-01</Factor>") != std::string::npos, true);
}

DOC_TEST(SblWriteTest, CanOnlyListHasOnlyItsTable) {
  _CANMsg* msg = doc.AllocCanMsg();
  SetName(msg->name, "Solo");
  msg->byteCount = 1;
  doc.AddCanMsg(msg, LIST_REFERENCE);
  EXPECT_EQ(doc.BuildSblText(LIST_REFERENCE), "\r\n" +
                                                  Lines({
                                                      "<SBLVersion>1.2</SBLVersion>",
                                                      "<Model>QK4200</Model>",
                                                      "<CanSymbolTable>",
                                                      "<MessageTotalNum>1</MessageTotalNum>",
                                                      "<SignalTotalNum>0</SignalTotalNum>",
                                                      "<Group>",
                                                      "<Message>",
                                                      "<MSGName>Solo</MSGName>",
                                                      "<FrameFormat>STD</FrameFormat>",
                                                      "<MSGId>0</MSGId>",
                                                      "<MSGBitSize>8</MSGBitSize>",
                                                      "<J1939>OFF</J1939>",
                                                      "</Message>",
                                                      "<SignalNum>0</SignalNum>",
                                                      "</Group>",
                                                      "</CanSymbolTable>",
                                                  }) +
                                                  "\r\n");
}

DOC_TEST(SblWriteTest, GroupOrGroupExFollowsFrameTypeAndLength) {
  struct Row {
    int frameType;
    int bytes;
    const char* element;
  } rows[] = {
      {CANFRAME_UNSET, 8, "<Group>"}, {CANFRAME_UNSET, 12, "<GroupEx>"}, {CANFRAME_CAN, 8, "<Group>"},
      {CANFRAME_CAN, 9, "<GroupEx>"}, {CANFRAME_FD, 8, "<GroupEx>"},     {CANFRAME_FD, 0, "<GroupEx>"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.frameType) + "/" + std::to_string(row.bytes));
    CVestrelDoc& rowDoc = NewDoc();
    _CANMsg* msg = rowDoc.AllocCanMsg();
    SetName(msg->name, "M");
    msg->frameType = row.frameType;
    msg->byteCount = row.bytes;
    rowDoc.AddCanMsg(msg, LIST_DEFINITION);
    std::string text = rowDoc.BuildSblText(LIST_DEFINITION);
    EXPECT_NE(text.find(std::string("\r\n") + row.element + "\r\n<Message>"), std::string::npos);
  }
}

// The file's words are constants: a translated string table cannot change
// them, and an enumeration value out of range is written as the first word.
DOC_TEST(SblWriteTest, OutOfRangeEnumerationsWriteTheFirstWord) {
  _LINMsg* msg = doc.AllocLinMsg();
  SetName(msg->name, "L");
  msg->checksum = 9;
  _LINSignal* sig = doc.AllocLinSignal();
  SetName(sig->name, "S");
  sig->byteOrder = 7;
  sig->valueType = 3;
  sig->bitOrder = 200;
  doc.AddLinSignal(msg, sig);
  doc.AddLinMsg(msg, LIST_DEFINITION);
  std::string text = doc.BuildSblText(LIST_DEFINITION);
  for (const char* line : {"<MSGCheckSum>CLASSIC</MSGCheckSum>", "<ByteOrder>LITTLE</ByteOrder>",
                           "<ValueType>UNSIGNED</ValueType>", "<BitOrder>MSB</BitOrder>"})
    EXPECT_NE(text.find(line), std::string::npos) << line;
}

}  // namespace
