#include "DbcFixture.h"

#include <cstring>
#include <vector>

namespace {

const char kHeader[] =
    "VERSION \"\"\n"
    "\n"
    "NS_ :\n"
    "\tNS_DESC_\n"
    "\tCM_\n"
    "\tBA_DEF_\n"
    "\tBA_\n"
    "\tBA_DEF_DEF_\n"
    "\tSIG_VALTYPE_\n"
    "\tBO_TX_BU_\n"
    "\tBA_DEF_DEF_REL_\n"
    "\tSG_MUL_VAL_\n"
    "\n"
    "BS_:\n"
    "\n"
    "BU_: ECU1 ECU2\n"
    "\n";

std::string Dbc(const std::string& body) { return kHeader + body; }

// ---------------------------------------------------------------------------
// Signal geometry

struct BitCase {
  int dlc;
  const char* layout;  // "start|length@order+"
  uint32_t startBit;
  uint32_t bitLength;
  uint8_t byteOrder;
  uint8_t valueType;
};

class SignalGeometry : public ::testing::TestWithParam<BitCase> {};

TEST_P(SignalGeometry, StartBitIsTheLeastSignificantBitInTheSystemsNumbering) {
  const BitCase& c = GetParam();
  auto db = ReadDbc(
      Dbc("BO_ 100 Msg: " + std::to_string(c.dlc) + " ECU1\n SG_ Sig : " + c.layout + " (1,0) [0|0] \"\" ECU2\n"));
  ASSERT_EQ(db->GetCount(), 1);
  EXPECT_EQ(db->GetStartBit(0), c.startBit);
  EXPECT_EQ(db->GetBitLength(0), c.bitLength);
  EXPECT_EQ(db->GetByteOrder(0), c.byteOrder);
  EXPECT_EQ(db->GetValueType(0), c.valueType);
}

INSTANTIATE_TEST_SUITE_P(
    CanDb, SignalGeometry,
    ::testing::Values(BitCase{8, "7|8@0+", 56, 8, 1, 0},     // byte 0 of 8 is the top byte
                      BitCase{8, "15|16@0+", 40, 16, 1, 0},  // bytes 1..2
                      BitCase{8, "7|1@0-", 63, 1, 1, 1},     // the most significant bit of byte 0
                      BitCase{8, "0|1@0+", 56, 1, 1, 0},
                      BitCase{8, "12|8@1-", 12, 8, 0, 1},   // little endian stays as written
                      BitCase{64, "7|8@0+", 504, 8, 1, 0},  // CAN FD: beyond 16-bit-safe 8-bit lengths
                      BitCase{64, "503|8@0+", 8, 8, 1, 0},
                      BitCase{64, "0|512@1+", 0, 512, 0, 0},        // a length over 255 is kept whole
                      BitCase{1, "7|16@0+", 0xFFFFFFF8u, 16, 1, 0}  // past the end: wraps, the loader clamps
                      ));

// ---------------------------------------------------------------------------
// Placeholders of messages without signals

struct PlaceholderCase {
  int dlc;
  uint32_t bitLength;
};

class Placeholder : public ::testing::TestWithParam<PlaceholderCase> {};

TEST_P(Placeholder, MessageWithoutSignalsGetsOneNoNameRecordOfItsWholeLength) {
  const PlaceholderCase& c = GetParam();
  // The message in question comes last, so the end of the file stores it.
  auto db = ReadDbc(Dbc("BO_ 1 First: 8 ECU1\n SG_ A : 0|8@1+ (2,1) [1|2] \"km\" ECU2\n\nBO_ 2 Empty: " +
                        std::to_string(c.dlc) + " ECU1\n"));
  ASSERT_EQ(db->GetCount(), 2);
  EXPECT_STREQ(db->GetSignalName(1), "NoName");
  EXPECT_STREQ(db->GetMessageName(1), "Empty");
  EXPECT_EQ(db->GetBitLength(1), c.bitLength);
  EXPECT_EQ(db->GetStartBit(1), 0u);
  EXPECT_EQ(db->GetFactor(1), 1.0);
  EXPECT_EQ(db->GetOffset(1), 0.0);
  EXPECT_EQ(db->GetMinimum(1), -1e31);
  EXPECT_EQ(db->GetMaximum(1), 1e31);
  EXPECT_STREQ(db->GetUnit(1), "");
  EXPECT_STREQ(db->GetMultiplexor(1), "");
  EXPECT_EQ(db->GetMultiplexValue(1), nullptr);
}

INSTANTIATE_TEST_SUITE_P(CanDb, Placeholder,
                         ::testing::Values(PlaceholderCase{8, 64}, PlaceholderCase{0, 1}, PlaceholderCase{1, 8},
                                           PlaceholderCase{32, 256}, PlaceholderCase{64, 512}));

TEST(CanDbPlaceholder, OnlyMessageLinesGiveOneRecordEachInFileOrder) {
  auto db = ReadDbc(Dbc("BO_ 1 A: 8 ECU1\nBO_ 2 B: 4 ECU2\nBO_ 3 C: 2 ECU1\n"));
  ASSERT_EQ(db->GetCount(), 3);
  const char* names[] = {"A", "B", "C"};
  for (int i = 0; i < 3; ++i) {
    EXPECT_STREQ(db->GetMessageName(i), names[i]);
    EXPECT_STREQ(db->GetSignalName(i), "NoName");
    EXPECT_EQ(db->GetId(i), i + 1);
  }
  EXPECT_STREQ(db->GetNodeName(1), "ECU2");
  EXPECT_EQ(db->GetNodeNameCount(), 2);
  EXPECT_EQ(db->GetMessageNameCount(), 3);
}

TEST(CanDbPlaceholder, EmptyFileAndMissingFile) {
  int n = -5;
  auto db = ReadDbc("", CANDB_DEFAULT_CAPACITY, &n);
  EXPECT_EQ(n, 0);
  CCanDB other;
  EXPECT_EQ(other.ReadDbcFile("/nonexistent/folder/file.dbc"), -1);
  EXPECT_EQ(other.GetCount(), 0);
}

// ---------------------------------------------------------------------------
// Signal fields

TEST(CanDbSignal, LimitsDoNotCarryOverToTheNextSignal) {
  auto db =
      ReadDbc(Dbc("BO_ 1 Msg: 8 ECU1\n"
                  " SG_ Speed : 8|16@1- (0.01,-40) [-40|615.35] \"km/h\" ECU2,ECU1\n"
                  " SG_ NoLimits : 24|4@1+ (1,0) \"\" ECU2\n"));
  ASSERT_EQ(db->GetCount(), 2);
  EXPECT_EQ(db->GetMinimum(0), -40.0);
  EXPECT_EQ(db->GetMaximum(0), 615.35);
  EXPECT_EQ(db->GetMinimum(1), -1e31);
  EXPECT_EQ(db->GetMaximum(1), 1e31);
}

struct TextCase {
  const char* line;  // one signal line of message "Msg"
  const char* name;
  const char* unit;
  double factor, offset, minimum, maximum;
};

class SignalText : public ::testing::TestWithParam<TextCase> {};

TEST_P(SignalText, NamesUnitsAndScalingFromOddlySpacedLines) {
  const TextCase& c = GetParam();
  auto db = ReadDbc(Dbc(std::string("BO_ 5 Msg: 8 ECU1\n") + c.line + "\n"));
  ASSERT_EQ(db->GetCount(), 1);
  EXPECT_STREQ(db->GetSignalName(0), c.name);
  EXPECT_STREQ(db->GetUnit(0), c.unit);
  EXPECT_EQ(db->GetFactor(0), c.factor);
  EXPECT_EQ(db->GetOffset(0), c.offset);
  EXPECT_EQ(db->GetMinimum(0), c.minimum);
  EXPECT_EQ(db->GetMaximum(0), c.maximum);
}

INSTANTIATE_TEST_SUITE_P(
    CanDb, SignalText,
    ::testing::Values(TextCase{" SG_ Temp : 0|8@1+ (1,0) [0|100] \"deg C\" ECU2", "Temp", "deg C", 1, 0, 0, 100},
                      TextCase{" SG_ Ratio : 0|8@1+ (1,0) [0|100] \"[%]\" ECU2", "Ratio", "[%]", 1, 0, 0, 100},
                      TextCase{" SG_ Spaced : 0|8@1+ (2, 5) [ 1 | 9 ] \"x\" ECU2", "Spaced", "x", 2, 5, 1, 9},
                      TextCase{" SG_ Tight: 0|8@1+ (3,4) [5|6] \"\" ECU2", "Tight", "", 3, 4, 5, 6},
                      TextCase{"\tSG_\tTabbed\t:\t0|8@1+\t(1,2)\t[3|4]\t\"u\"\tECU2", "Tabbed", "u", 1, 2, 3, 4},
                      TextCase{" SG_ Cut : 0|8@1+ (1,0) [0|1] \"0123456789012345678901234567890123456789\" X", "Cut",
                               "01234567890123456789012345678901", 1, 0, 0, 1},
                      TextCase{" SG_ Early : 0|8@1+", "Early", "", 1, 0, -1e31, 1e31}));

TEST(CanDbSignal, LongLinesAreReadWhole) {
  std::string padding(3000, ' ');
  auto db = ReadDbc(Dbc("BO_ 5 Msg: 8 ECU1\n SG_ Far :" + padding + "0|8@1+" + padding + "(7,0) [0|1] \"u\" ECU2\n" +
                        " SG_ Next : 8|8@1+ (1,0) [0|1] \"\" " + std::string(5000, 'R') + "\n"));
  ASSERT_EQ(db->GetCount(), 2);
  EXPECT_EQ(db->GetFactor(0), 7.0);
  EXPECT_STREQ(db->GetUnit(0), "u");
  EXPECT_STREQ(db->GetSignalName(1), "Next");
}

TEST(CanDbSignal, NamesOver32BytesAreCutAndStillMatchTheirLaterLines) {
  const std::string longMsg = "Message_name_that_is_longer_than_32_bytes";
  const std::string longSig = "Signal_name_that_is_longer_than_32_bytes";
  auto db = ReadDbc(Dbc("BO_ 7 " + longMsg + ": 8 ECU1\n SG_ " + longSig + " : 0|32@1+ (1,0) [0|0] \"\" ECU2\n" +
                        "BO_ 8 " + longMsg + "_other: 8 ECU1\n SG_ B : 0|8@1+ (1,0) [0|0] \"\" ECU2\n" +
                        "SIG_VALTYPE_ 7 " + longSig + " : 1;\n"));
  ASSERT_EQ(db->GetCount(), 2);
  EXPECT_EQ(std::string(db->GetSignalName(0)), longSig.substr(0, 32));
  EXPECT_EQ(std::string(db->GetMessageName(0)), longMsg.substr(0, 32));
  // The first 32 bytes decide which message a name is.
  EXPECT_EQ(db->GetMessageNameIndex(1), db->GetMessageNameIndex(0));
  EXPECT_EQ(db->GetMessageNameCount(), 1);
  EXPECT_EQ(db->GetValueType(0), 2);
}

TEST(CanDbSignal, Cp932TrailBytesAreNeverSeparators) {
  // "データ" holds the long-vowel mark 0x81 0x5B, whose second byte is '[';
  // "ソ" is 0x83 0x5C, whose second byte is a backslash.
  const std::string data = "\x83\x66\x81\x5B\x83\x5E";
  const std::string so = "\x83\x5C";
  auto db = ReadDbc(Dbc("BO_ 9 " + data + "Msg: 8 ECU1\n SG_ " + data + " : 0|8@1+ (1,0) [0|9] \"" + data +
                        "\" ECU2\n" + "CM_ SG_ 9 " + data + " \"" + so + "\";\n" + "BO_ 10 After: 8 ECU1\n"));
  ASSERT_EQ(db->GetCount(), 2);
  EXPECT_EQ(std::string(db->GetMessageName(0)), data + "Msg");
  EXPECT_EQ(std::string(db->GetSignalName(0)), data);
  EXPECT_EQ(std::string(db->GetUnit(0)), data);
  EXPECT_EQ(db->GetMaximum(0), 9.0);
  EXPECT_STREQ(db->GetMessageName(1), "After");  // the comment's string closed after "ソ"
}

TEST(CanDbSignal, IdentifiersKeepTheirLowestThirtyTwoBits) {
  auto db = ReadDbc(Dbc("BO_ 4294967396 Wide: 8 ECU1\nBO_ 2147483748 Ext: 8 ECU1\nBO_ 2047 Std: 8 ECU1\n"));
  ASSERT_EQ(db->GetCount(), 3);
  EXPECT_EQ(db->GetId(0), 100);
  EXPECT_FALSE(db->IsExtended(0));
  EXPECT_EQ(db->GetId(1), 100);
  EXPECT_TRUE(db->IsExtended(1));
  EXPECT_EQ(db->GetId(2), 2047);
  EXPECT_FALSE(db->IsExtended(2));
}

// ---------------------------------------------------------------------------
// Line ends and statements that are not ours

std::string ToCrLf(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

void ExpectSameRecords(const CCanDB& a, const CCanDB& b) {
  ASSERT_EQ(a.GetCount(), b.GetCount());
  for (int i = 0; i < a.GetCount(); ++i) {
    EXPECT_STREQ(a.GetSignalName(i), b.GetSignalName(i));
    EXPECT_STREQ(a.GetMessageName(i), b.GetMessageName(i));
    EXPECT_STREQ(a.GetNodeName(i), b.GetNodeName(i));
    EXPECT_STREQ(a.GetUnit(i), b.GetUnit(i));
    EXPECT_STREQ(a.GetMultiplexor(i), b.GetMultiplexor(i));
    EXPECT_EQ(a.GetStartBit(i), b.GetStartBit(i));
    EXPECT_EQ(a.GetBitLength(i), b.GetBitLength(i));
    EXPECT_EQ(a.GetValueType(i), b.GetValueType(i));
    EXPECT_EQ(a.IsJ1939(i), b.IsJ1939(i));
  }
}

const char kMixedBody[] =
    "BO_ 100 Mux: 8 ECU1\n"
    " SG_ Switch M : 0|8@1+ (1,0) [0|0] \"\" ECU2\n"
    " SG_ Sel m3 : 8|8@1+ (1,0) [0|0] \"u u\" ECU2\n"
    "BO_ 200 Empty: 64 ECU2\n"
    "SIG_VALTYPE_ 100 Sel : 1;\n";

TEST(CanDbLines, CrLfAndAFinalCtrlZReadLikeLf) {
  auto lf = ReadDbc(Dbc(kMixedBody));
  auto crlf = ReadDbc(ToCrLf(Dbc(kMixedBody)) + "\x1A");
  ASSERT_EQ(lf->GetCount(), 3);
  ExpectSameRecords(*lf, *crlf);
  EXPECT_STREQ(crlf->GetNodeName(2), "ECU2");  // no CR left on the transmitter
  EXPECT_STREQ(crlf->GetUnit(1), "u u");
}

TEST(CanDbLines, KeywordOnlyLinesOfTheNamespaceBlockStoreNothing) {
  int n = -1;
  auto db = ReadDbc(Dbc(""), CANDB_DEFAULT_CAPACITY, &n);
  EXPECT_EQ(n, 0);
  // The same keywords alone after real content change nothing either.
  auto after = ReadDbc(Dbc(std::string(kMixedBody) + "BA_\nBA_DEF_\nBA_DEF_DEF_\nSG_MUL_VAL_\nSIG_VALTYPE_\nBO_\n"));
  auto plain = ReadDbc(Dbc(kMixedBody));
  ExpectSameRecords(*after, *plain);
}

TEST(CanDbLines, KeywordOnlyLinesBetweenAMessageAndItsSignalsChangeNothing) {
  const std::string head = "BO_ 300 Late: 8 ECU1\n";
  const std::string tail = " SG_ First : 0|8@1+ (1,0) [0|0] \"\" ECU2\nSIG_VALTYPE_ 300 First : 1;\n";
  auto plain = ReadDbc(Dbc(head + tail));
  ASSERT_EQ(plain->GetCount(), 1);
  for (const char* lone : {"BO_\n", "\tSG_\n", "SG_\r\n", "BA_\n", "BA_DEF_\n", "SG_MUL_VAL_\n"}) {
    auto db = ReadDbc(Dbc(head + lone + tail));
    ExpectSameRecords(*db, *plain);
    ASSERT_EQ(db->GetCount(), 1) << lone;
    EXPECT_EQ(db->GetId(0), 300) << lone;
    EXPECT_EQ(db->GetValueType(0), 2) << lone;
  }
}

TEST(CanDbLines, StatementsInsideMultiLineStringsAreNotRead) {
  auto db =
      ReadDbc(Dbc("BO_ 1 Real: 8 ECU1\n SG_ A : 0|8@1+ (1,0) [0|0] \"\" ECU2\n"
                  "CM_ BO_ 1 \"A comment over lines\n"
                  "BO_ 2 Fake: 8 ECU1\n"
                  " SG_ Fake : 0|8@1+ (1,0) [0|0] \"\" ECU2\n"
                  "with an escaped \\\" quote\n"
                  "BO_ 3 Fake2: 8 ECU1\n"
                  "end\";\n"
                  "BA_ \"Text\" BO_ 1 \"first\n"
                  " SG_ AlsoFake : 0|8@1+ (1,0) [0|0] \"\" ECU2\n"
                  "last\";\n"
                  "BO_ 4 After: 8 ECU1\n"));
  ASSERT_EQ(db->GetCount(), 2);
  EXPECT_STREQ(db->GetSignalName(0), "A");
  EXPECT_STREQ(db->GetMessageName(1), "After");
}

TEST(CanDbLines, AnUnclosedUnitQuoteDoesNotSwallowTheLinesBelow) {
  auto db =
      ReadDbc(Dbc("BO_ 1 M: 8 ECU1\n SG_ A : 0|8@1+ (1,0) [0|0] \"km ECU2\n SG_ B : 8|8@1+ (1,0) [0|0] \"\" ECU2\n"));
  ASSERT_EQ(db->GetCount(), 2);
  EXPECT_STREQ(db->GetUnit(0), "km");
  EXPECT_STREQ(db->GetSignalName(1), "B");
}

// ---------------------------------------------------------------------------
// Multiplexing

TEST(CanDbMultiplex, SwitchAndSelectedSignal) {
  auto db = ReadDbc(Dbc(kMixedBody));
  ASSERT_EQ(db->GetCount(), 3);
  EXPECT_STREQ(db->GetMultiplexor(0), "");
  EXPECT_EQ(db->GetMultiplexValue(0), nullptr);
  EXPECT_STREQ(db->GetMultiplexor(1), "Switch");
  ASSERT_NE(db->GetMultiplexValue(1), nullptr);
  EXPECT_STREQ(db->GetMultiplexValue(1), "3");
}

struct IndicatorCase {
  const char* nameAndIndicator;  // text between "SG_ " and the colon
  const char* name;
  bool isSwitch;
  const char* value;  // null for none
};

class Indicator : public ::testing::TestWithParam<IndicatorCase> {};

TEST_P(Indicator, NameAndIndicatorWithAnySpacing) {
  const IndicatorCase& c = GetParam();
  auto db = ReadDbc(Dbc(std::string("BO_ 1 M: 8 ECU1\n SG_ ") + c.nameAndIndicator +
                        ": 0|8@1+ (1,0) [0|0] \"\" ECU2\n SG_ Probe m1 : 8|8@1+ (1,0) [0|0] \"\" ECU2\n"));
  ASSERT_EQ(db->GetCount(), 2);
  EXPECT_STREQ(db->GetSignalName(0), c.name);
  // A switch hands its name to the selected probe.
  EXPECT_STREQ(db->GetMultiplexor(1), c.isSwitch ? c.name : "");
  if (c.value) {
    ASSERT_NE(db->GetMultiplexValue(0), nullptr);
    EXPECT_STREQ(db->GetMultiplexValue(0), c.value);
  } else {
    EXPECT_EQ(db->GetMultiplexValue(0), nullptr);
  }
}

INSTANTIATE_TEST_SUITE_P(
    CanDb, Indicator,
    ::testing::Values(IndicatorCase{"Sw M ", "Sw", true, nullptr}, IndicatorCase{"Sw  M  ", "Sw", true, nullptr},
                      IndicatorCase{"Sw M", "Sw", true, nullptr}, IndicatorCase{"Sw\tM\t", "Sw", true, nullptr},
                      IndicatorCase{"Sw m12M ", "Sw", true, "12"}, IndicatorCase{"Sel m7 ", "Sel", false, "7"},
                      IndicatorCase{"Sel m4294967297 ", "Sel", false, "1"},
                      IndicatorCase{"Plain ", "Plain", false, nullptr},
                      IndicatorCase{"Plain", "Plain", false, nullptr}));

TEST(CanDbMultiplex, RangeLinesAndCascadedSwitches) {
  auto db =
      ReadDbc(Dbc("BO_ 2147483948 Ext: 8 ECU1\n"
                  " SG_ MuxA M : 0|8@1+ (1,0) [0|0] \"\" ECU2\n"
                  " SG_ MuxB m2M : 8|8@1+ (1,0) [0|0] \"\" ECU2\n"
                  " SG_ B0 m0 : 16|8@1+ (1,0) [0|0] \"\" ECU2\n"
                  " SG_ A1 m1 : 16|8@1+ (1,0) [0|0] \"\" ECU2\n"
                  "SG_MUL_VAL_ 2147483948 MuxB MuxA 2-2;\n"
                  "SG_MUL_VAL_ 2147483948 B0 MuxB 0-0;\n"
                  "SG_MUL_VAL_ 2147483948 A1 MuxA 1-1, 3-3, 5-10;\n"));
  ASSERT_EQ(db->GetCount(), 4);
  EXPECT_STREQ(db->GetMultiplexor(0), "");
  EXPECT_STREQ(db->GetMultiplexor(1), "MuxA");  // a selected switch
  EXPECT_STREQ(db->GetMultiplexValue(1), "2-2");
  EXPECT_STREQ(db->GetMultiplexor(2), "MuxB");  // named by its range line
  EXPECT_STREQ(db->GetMultiplexValue(2), "0-0");
  EXPECT_STREQ(db->GetMultiplexor(3), "MuxA");
  EXPECT_STREQ(db->GetMultiplexValue(3), "1-1, 3-3, 5-10");
}

TEST(CanDbMultiplex, TheEarlierOfTwoSwitchesTakesTheUnassignedSignals) {
  auto db =
      ReadDbc(Dbc("BO_ 3 Two: 8 ECU1\n"
                  " SG_ First M : 0|8@1+ (1,0) [0|0] \"\" ECU2\n"
                  " SG_ Second M : 8|8@1+ (1,0) [0|0] \"\" ECU2\n"
                  " SG_ X m1 : 16|8@1+ (1,0) [0|0] \"\" ECU2\n"
                  " SG_ Y m1 : 24|8@1+ (1,0) [0|0] \"\" ECU2\n"
                  "BO_ 4 Other: 8 ECU1\n"
                  " SG_ Z m1 : 0|8@1+ (1,0) [0|0] \"\" ECU2\n"
                  "SG_MUL_VAL_ 3 Y Second 1-1;\n"));
  EXPECT_STREQ(db->GetMultiplexor(FindSignal(*db, "X")), "First");
  EXPECT_STREQ(db->GetMultiplexor(FindSignal(*db, "Y")), "Second");
  EXPECT_STREQ(db->GetMultiplexor(FindSignal(*db, "Z")), "");  // another message has no switch
}

TEST(CanDbMultiplex, ASwitchNamedMMarksLikeASwitchAlsoForTheNextRead) {
  // A switch named "M" hands the switch mark itself to its selected
  // signals: those further down become switches, one above keeps the mark,
  // and a second read into the same tables takes that one as a switch.
  const std::string text =
      "BO_ 5 Late: 8 ECU1\n"
      " SG_ X m1 : 0|8@1+ (1,0) [0|0] \"\" ECU2\n"
      " SG_ M M : 8|8@1+ (1,0) [0|0] \"\" ECU2\n"
      " SG_ Y m2 : 16|8@1+ (1,0) [0|0] \"\" ECU2\n"
      " SG_ Z m3 : 24|8@1+ (1,0) [0|0] \"\" ECU2\n";
  TempFolder folder;
  const std::string path = folder.Write("late.dbc", text);
  CCanDB db;
  ASSERT_EQ(db.ReadDbcFile(path), 4);
  EXPECT_STREQ(db.GetMultiplexor(0), "M");  // above the switch: keeps the mark
  EXPECT_STREQ(db.GetMultiplexor(2), "Z");  // below: switches themselves, the later naming the earlier
  EXPECT_STREQ(db.GetMultiplexor(3), "");
  ASSERT_EQ(db.ReadDbcFile(path), 8);
  EXPECT_STREQ(db.GetMultiplexor(3), "X");  // the mark left above is a switch now
  EXPECT_STREQ(db.GetMultiplexor(0), "M");  // and marked again by the new "M"
  EXPECT_STREQ(db.GetMultiplexor(4), "M");
  EXPECT_STREQ(db.GetMultiplexor(6), "X");
  EXPECT_STREQ(db.GetMultiplexor(7), "X");
}

TEST(CanDbMultiplex, TakenTextsBelongToTheCaller) {
  auto db = ReadDbc(Dbc(kMixedBody));
  char* text = db->TakeMultiplexValue(1);
  ASSERT_NE(text, nullptr);
  EXPECT_STREQ(text, "3");
  EXPECT_EQ(db->GetMultiplexValue(1), nullptr);
  delete[] text;
}

// ---------------------------------------------------------------------------
// J1939 marks and float signals

const char kVFrameDef[] =
    "BA_DEF_ BO_ \"VFrameFormat\" ENUM \"StandardCAN\",\"ExtendedCAN\",\"reserved\",\"J1939PG\";\n";

struct J1939Case {
  const char* name;
  std::string tail;          // attribute lines after the messages
  int first, second, third;  // marks of records of messages 1, 2 and the signal-less 3
};

class J1939 : public ::testing::TestWithParam<J1939Case> {};

TEST_P(J1939, MarksFromProtocolTypeAndVFrameFormat) {
  const J1939Case& c = GetParam();
  auto db =
      ReadDbc(Dbc("BO_ 2566844926 One: 8 ECU1\n SG_ A : 0|8@1+ (1,0) [0|0] \"\" ECU2\n"
                  "BO_ 2566844927 Two: 8 ECU1\n SG_ B : 0|8@1+ (1,0) [0|0] \"\" ECU2\n"
                  "BO_ 2566844928 Three: 64 ECU1\n\n" +
                  c.tail));
  ASSERT_EQ(db->GetCount(), 3) << c.name;
  EXPECT_EQ(db->IsJ1939(0), c.first) << c.name;
  EXPECT_EQ(db->IsJ1939(1), c.second) << c.name;
  EXPECT_EQ(db->IsJ1939(2), c.third) << c.name;  // the last placeholder gets its marks too
  EXPECT_EQ(db->GetBitLength(2), 512u);
}

INSTANTIATE_TEST_SUITE_P(
    CanDb, J1939,
    ::testing::Values(J1939Case{"none", "", 0, 0, 0},
                      J1939Case{"protocol default", "BA_DEF_DEF_  \"ProtocolType\" \"J1939\";\n", 1, 1, 1},
                      J1939Case{"other protocol", "BA_DEF_DEF_  \"ProtocolType\" \"CAN\";\n", 0, 0, 0},
                      J1939Case{"frame format values",
                                std::string(kVFrameDef) + "BA_ \"VFrameFormat\" BO_ 2566844926 3;\n"
                                                          "BA_ \"VFrameFormat\" BO_ 2566844928 3;\n",
                                1, 0, 1},
                      J1939Case{"value overrides default",
                                std::string(kVFrameDef) + "BA_DEF_DEF_ \"ProtocolType\" \"J1939\";\n"
                                                          "BA_ \"VFrameFormat\" BO_ 2566844927 1;\n"
                                                          "BA_ \"VFrameFormat\" BO_ 2566844928 0;\n",
                                1, 0, 0},
                      J1939Case{"value before definition",
                                "BA_ \"VFrameFormat\" BO_ 2566844926 3;\n" + std::string(kVFrameDef), 0, 0, 0}));

TEST(CanDbFloat, ValueTypeLineMarksTheSignalOfThatMessageOnly) {
  auto db = ReadDbc(
      Dbc("BO_ 1 A: 8 ECU1\n SG_ Same : 0|32@1- (1,0) [0|0] \"\" ECU2\n SG_ Int : 32|32@1- (1,0) [0|0] \"\" ECU2\n"
          "BO_ 2 B: 8 ECU1\n SG_ Same : 0|64@1- (1,0) [0|0] \"\" ECU2\n"
          "SIG_VALTYPE_ 1 Same : 1;\n"
          "SIG_VALTYPE_ 1 Int : 0;\n"));
  ASSERT_EQ(db->GetCount(), 3);
  EXPECT_EQ(db->GetValueType(0), 2);
  EXPECT_EQ(db->GetValueType(1), 1);  // type 0 declares an integer
  EXPECT_EQ(db->GetValueType(2), 1);  // same name, other message
}

// ---------------------------------------------------------------------------
// Capacity

std::string ManySignals(int messages, int signalsEach) {
  std::string body;
  for (int m = 0; m < messages; ++m) {
    body += "BO_ " + std::to_string(m) + " M" + std::to_string(m) + ": 8 N" + std::to_string(m % 7) + "\n";
    for (int s = 0; s < signalsEach; ++s)
      body += " SG_ S" + std::to_string(s) + (s == 0 ? " M" : " m1") + " : " + std::to_string(s) +
              "|1@1+ (1,0) [0|1] \"\" N0\n";
  }
  return body;
}

TEST(CanDbCapacity, ReadingStopsAtTheLineThatFillsTheLastSlot) {
  int n = 0;
  auto db = ReadDbc(Dbc(ManySignals(102, 50) + "SIG_VALTYPE_ 0 S1 : 1;\n"), CANDB_DEFAULT_CAPACITY, &n);
  EXPECT_EQ(n, 5000);
  EXPECT_EQ(db->GetCount(), 5000);
  EXPECT_EQ(db->GetValueType(1), 0);  // the line after the cap was not read
  EXPECT_EQ(db->GetMessageNameCount(), 100);
  EXPECT_STREQ(db->GetMultiplexor(4999), "S0");  // the multiplexor pass still ran
}

TEST(CanDbCapacity, PlaceholdersAndNameTablesStopAtTheCapacity) {
  std::string body;
  for (int m = 0; m < 5003; ++m)
    body += "BO_ " + std::to_string(m) + " M" + std::to_string(m) + ": 8 N" + std::to_string(m) + "\n";
  int n = 0;
  auto db = ReadDbc(Dbc(body), CANDB_DEFAULT_CAPACITY, &n);
  EXPECT_EQ(n, 5000);
  EXPECT_STREQ(db->GetMessageName(4999), "M4999");
  EXPECT_LE(db->GetMessageNameCount(), 5000);
  EXPECT_LE(db->GetNodeNameCount(), 5000);

  auto tiny = ReadDbc(Dbc(ManySignals(3, 3)), 4, &n);
  EXPECT_EQ(n, 4);
}

TEST(CanDbCapacity, ReadingAppendsToWhatTheObjectHolds) {
  TempFolder folder;
  std::string path = folder.Write("a.dbc", Dbc(kMixedBody));
  CCanDB db;
  EXPECT_EQ(db.ReadDbcFile(path), 3);
  EXPECT_EQ(db.ReadDbcFile(path), 6);
  EXPECT_EQ(db.GetMessageNameCount(), 2);  // names are not stored twice
  EXPECT_EQ(db.GetMessageNameIndex(3), db.GetMessageNameIndex(0));
}

// ---------------------------------------------------------------------------
// Getters and setters at and beyond the edges

TEST(CanDbAccess, IndicesOutsideTheTablesAreRefused) {
  CCanDB db(3);
  for (int i : {-1, 3, 1000}) {
    EXPECT_EQ(db.SetStartBit(i, 1), -1);
    EXPECT_EQ(db.SetSignalName(i, "x"), -1);
    EXPECT_EQ(db.SetExtended(i, true), -1);
    EXPECT_EQ(db.SetId(i, 5), -1);
  }
  EXPECT_EQ(db.SetCount(4), -1);
  EXPECT_EQ(db.SetCount(-1), -1);
  EXPECT_EQ(db.SetCount(2), 0);
  EXPECT_STREQ(db.GetSignalName(2), "");  // beyond the count
  EXPECT_EQ(db.GetMultiplexValue(-1), nullptr);
  EXPECT_EQ(db.SetNodeIndex(0, 99999), 0);
  EXPECT_STREQ(db.GetNodeName(0), "");  // a stray index reads as no name
  EXPECT_STREQ(db.GetNodeNameAt(0), "");
}

TEST(CanDbAccess, SetIdKeepsTheExtendedBitAndKeepNodePacksInOrder) {
  CCanDB db(4);
  ASSERT_EQ(db.SetCount(3), 0);
  db.SetExtended(0, true);
  db.SetId(0, 0x5234);
  EXPECT_TRUE(db.IsExtended(0));
  EXPECT_EQ(db.GetId(0), 0x5234);
  db.SetExtended(0, false);
  EXPECT_EQ(db.GetId(0), 0x234);  // back to eleven bits
  const char* names[] = {"a", "b", "c"};
  for (int i = 0; i < 3; ++i) {
    db.SetSignalName(i, names[i]);
    db.SetNodeIndex(i, i == 1 ? 0 : 1);
  }
  EXPECT_EQ(db.KeepNode(1), 0);
  ASSERT_EQ(db.GetCount(), 2);
  EXPECT_STREQ(db.GetSignalName(0), "a");
  EXPECT_STREQ(db.GetSignalName(1), "c");
}

}  // namespace
