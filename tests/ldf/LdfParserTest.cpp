#include "LdfParser.h"
#include "RecordingMessageSink.h"
#include "TempLdfFile.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace {

// A small well-formed file; each section can be replaced by a test.
struct LdfText {
  std::string header = "LIN_description_file;\n";
  std::string version = "LIN_protocol_version = \"2.1\";\n";
  std::string preamble =
      "LIN_language_version = \"2.1\";\n"
      "LIN_speed = 19.2 kbps;\n"
      "Nodes {\n  Master: CEM, 5 ms, 0.1 ms;\n  Slaves: LSM;\n}\n";
  std::string signals =
      "Signals {\n"
      "  Temp: 8, 0, LSM, CEM;\n"
      "  Mode: 2, 0, CEM, LSM;\n"
      "  Wide: 16, {0, 0}, LSM, CEM;\n"
      "}\n";
  std::string frames =
      "Frames {\n"
      "  Status: 0x10, LSM, 4 {\n    Temp, 0;\n    Wide, 8;\n  }\n"
      "  Control: 17, CEM, 1 {\n    Mode, 0;\n  }\n"
      "}\n";
  std::string between = "Schedule_tables {\n  Run { Status delay 10 ms; Control delay 10 ms; }\n}\n";
  std::string encodings =
      "Signal_encoding_types {\n"
      "  TempEnc {\n    physical_value, 0, 200, 0.5, -20, \"degC\";\n    logical_value, 255, \"invalid\";\n  }\n"
      "  ModeEnc {\n    logical_value, 0, \"off\";\n    logical_value, 1, \"on\";\n  }\n"
      "}\n";
  std::string representations = "Signal_representation {\n  TempEnc: Temp;\n  ModeEnc: Mode;\n}\n";

  std::string Text() const {
    return header + version + preamble + signals + frames + between + encodings + representations;
  }
};

struct ParseResult {
  int result = 0;
  std::vector<int> messages;
  int errorLine = -1;
  std::vector<LdfOutFrame> frames;
  std::vector<LdfOutSignal> signals;
  std::string version;
};

ParseResult ParseText(const std::string& text) {
  TempLdfFile file(text);
  RecordingMessageSink sink;
  CLdfParser parser;
  ParseResult r;
  r.result = parser.Parse(file.Path());
  r.messages = sink.Ids();
  if (!sink.shown.empty()) r.errorLine = static_cast<int>(sink.shown[0].ArgNumber(0));
  r.frames = parser.OutputFrames();
  r.signals = parser.OutputSignals();
  r.version = parser.Version();
  EXPECT_EQ(parser.OutputSignalCount(), static_cast<int>(r.signals.size()));
  return r;
}

const LdfOutSignal* FindSignal(const ParseResult& r, const std::string& name) {
  for (const LdfOutSignal& s : r.signals)
    if (s.name == name) return &s;
  return nullptr;
}

// Scaling, limits and unit of one output signal.
void ExpectScaling(const LdfOutSignal* s, double factor, double offset, double min, double max, const char* unit) {
  ASSERT_NE(s, nullptr);
  EXPECT_DOUBLE_EQ(s->factor, factor) << s->name;
  EXPECT_DOUBLE_EQ(s->offset, offset) << s->name;
  EXPECT_DOUBLE_EQ(s->minimum, min) << s->name;
  EXPECT_DOUBLE_EQ(s->maximum, max) << s->name;
  EXPECT_EQ(s->unit, unit);
}

TEST(LdfParse, WellFormedFile) {
  ParseResult r = ParseText(LdfText().Text());
  ASSERT_EQ(r.result, 3);
  EXPECT_TRUE(r.messages.empty());
  EXPECT_EQ(r.version, "2.1");
  ASSERT_EQ(r.frames.size(), 2u);
  EXPECT_EQ((std::tuple(r.frames[0].name, r.frames[0].id, r.frames[0].length, r.frames[0].enhanced)),
            (std::tuple(std::string("Status"), 16, 4, true)));
  EXPECT_EQ((std::tuple(r.frames[1].name, r.frames[1].id, r.frames[1].length)),
            (std::tuple(std::string("Control"), 17, 1)));

  ASSERT_EQ(r.signals.size(), 3u);
  std::vector<std::tuple<std::string, int, int, int>> placed;  // name, frame, start bit, bits
  for (const LdfOutSignal& s : r.signals) placed.emplace_back(s.name, s.frameIndex, s.startBit, s.bitSize);
  std::vector<std::tuple<std::string, int, int, int>> expected = {
      {"Temp", 0, 0, 8}, {"Wide", 0, 8, 16}, {"Mode", 1, 0, 2}};
  EXPECT_EQ(placed, expected);
  ExpectScaling(&r.signals[0], 0.5, -20.0, -20.0, 80.0, "degC");
  ExpectScaling(&r.signals[1], 1.0, 0.0, -1.0, 1.0, "");  // no representation
  ExpectScaling(&r.signals[2], 1.0, 0.0, -1.0, 1.0, "");  // logical values only
}

TEST(LdfParse, FilesEndingEarlyComplete) {
  LdfText afterFrames, encodingKeyword, cutAfterSignalName;
  afterFrames.between = afterFrames.encodings = afterFrames.representations = "";
  encodingKeyword.encodings = "Signal_encoding_types";
  encodingKeyword.representations = "";
  cutAfterSignalName.representations = "Signal_representation {\n  TempEnc: Wide, Temp";
  for (const LdfText* t : {&afterFrames, &encodingKeyword}) {
    ParseResult r = ParseText(t->Text());
    ASSERT_EQ(r.result, 3);
    EXPECT_TRUE(r.messages.empty());
    for (const LdfOutSignal& s : r.signals) ExpectScaling(&s, 1.0, 0.0, -1.0, 1.0, "");
  }
  ParseResult r = ParseText(cutAfterSignalName.Text());
  ASSERT_EQ(r.result, 3);
  ExpectScaling(FindSignal(r, "Wide"), 0.5, -20.0, -20.0, 80.0, "degC");
  ExpectScaling(FindSignal(r, "Temp"), 0.5, -20.0, -20.0, 80.0, "degC");
}

TEST(LdfParse, CrLfAndCtrlZGiveTheSameResult) {
  std::string lf = LdfText().Text();
  std::string crlf;
  for (char c : lf) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  ParseResult a = ParseText(lf);
  ParseResult b = ParseText(crlf + "\x1a");
  ASSERT_EQ(a.result, b.result);
  ASSERT_EQ(a.signals.size(), b.signals.size());
  for (std::size_t i = 0; i < a.signals.size(); ++i) {
    EXPECT_EQ(a.signals[i].name, b.signals[i].name);
    EXPECT_EQ(a.signals[i].unit, b.signals[i].unit);
  }
}

TEST(LdfParse, CannotOpenGivesMinusOneWithoutMessage) {
  RecordingMessageSink sink;
  CLdfParser parser;
  EXPECT_EQ(parser.Parse("/nonexistent/bus.ldf"), -1);
  EXPECT_TRUE(sink.shown.empty());
}

// Each syntax error: message 4037 with the line of the token at fault.
struct SyntaxCase {
  const char* name;
  std::string text;
  int line;
};
void PrintTo(const SyntaxCase& c, std::ostream* os) { *os << c.name; }

class SyntaxErrors : public ::testing::TestWithParam<SyntaxCase> {};

TEST_P(SyntaxErrors, ReportLine) {
  ParseResult r = ParseText(GetParam().text);
  EXPECT_EQ(r.result, -1);
  ASSERT_EQ(r.messages, std::vector<int>{4037});
  EXPECT_EQ(r.errorLine, GetParam().line);
  EXPECT_TRUE(r.signals.empty());
}

std::string WithSignals(const std::string& signals) {
  LdfText t;
  t.signals = signals;
  return t.Text();
}
std::string WithFrames(const std::string& frames) {
  LdfText t;
  t.frames = frames;
  return t.Text();
}
std::string WithEncodings(const std::string& encodings) {
  LdfText t;
  t.encodings = encodings;
  t.representations = "";
  return t.Text();
}
std::string WithRepresentations(const std::string& representations) {
  LdfText t;
  t.representations = representations;
  return t.Text();
}
std::string UpToVersion(const std::string& version) {
  LdfText t;
  return t.header + version;
}

// Lines of the default text: header 1, version 2, preamble 3-8, Signals 9-13,
// Frames 14-22, schedule 23-25, encodings 26-35, representations 36-39.
INSTANTIATE_TEST_SUITE_P(
    Ldf, SyntaxErrors,
    ::testing::Values(
        SyntaxCase{"EmptyFile", "", 1},  // lines count from 1, also in an empty file
        SyntaxCase{"NoHeader", "Nodes {\n}\n", 2},
        SyntaxCase{"HeaderWithoutSemicolon", "LIN_description_file\nLIN_protocol_version = \"2.1\";", 2},
        SyntaxCase{"NoProtocolVersion", "LIN_description_file;\nSignals {\n}\n", 3},
        SyntaxCase{"VersionWithoutEquals", UpToVersion("LIN_protocol_version \"2.1\";\n"), 2},
        SyntaxCase{"EmptyQuotedVersion", UpToVersion("LIN_protocol_version = \"\";\n"), 2},
        SyntaxCase{"UnclosedQuotedVersion", UpToVersion("LIN_protocol_version = \"2.1;\nx;\n"), 3},
        SyntaxCase{"UnquotedVersionWithoutSemicolon", UpToVersion("LIN_protocol_version = 2.1\n}"), 3},
        SyntaxCase{"NoSignalsSection", UpToVersion("LIN_protocol_version = \"2.1\";\nFrames {\n}\n"), 4},
        SyntaxCase{"SignalsWithoutBrace", WithSignals("Signals\n  A: 8, 0, X;\n}\n"), 10},
        SyntaxCase{"EmptySignals", WithSignals("Signals {\n}\n"), 10},
        SyntaxCase{"SignalWithoutColon", WithSignals("Signals {\n  A 8, 0, X;\n}\n"), 10},
        SyntaxCase{"SignalOf17Bits", WithSignals("Signals {\n  A: 8, 0, X;\n  B: 17, 0, X;\n}\n"), 11},
        SyntaxCase{"SignalOf72Bits", WithSignals("Signals {\n  A: 72, 0, X;\n}\n"), 10},
        SyntaxCase{"SignalWithoutEnd", UpToVersion("LIN_protocol_version = \"2.1\";\nSignals {\n  A: 8, 0, X\n"), 4},
        SyntaxCase{"FramesWithoutBrace", WithFrames("Frames\n  F: 1, X, 1 { Temp, 0; }\n}\n"), 15},
        SyntaxCase{"EmptyFrames", WithFrames("Frames {\n}\n"), 15},
        SyntaxCase{"FrameIdHex60", WithFrames("Frames {\n  F: 0x3C, X, 1 { Temp, 0; }\n}\n"), 15},
        SyntaxCase{"FrameIdUpperHex60", WithFrames("Frames {\n  F: 0X3C, X, 1 { Temp, 0; }\n}\n"), 15},
        SyntaxCase{"FrameIdDecimal60", WithFrames("Frames {\n  F: 60, X, 1 { Temp, 0; }\n}\n"), 15},
        SyntaxCase{"FrameIdNegative", WithFrames("Frames {\n  F: -1, X, 1 { Temp, 0; }\n}\n"), 15},
        SyntaxCase{"FrameWithoutComma", WithFrames("Frames {\n  F: 1 X, 1 { Temp, 0; }\n}\n"), 15},
        SyntaxCase{"FrameLength0", WithFrames("Frames {\n  F: 1, X, 0 { Temp, 0; }\n}\n"), 15},
        SyntaxCase{"FrameLength9", WithFrames("Frames {\n  F: 1, X,\n 9 { Temp, 0; }\n}\n"), 16},
        SyntaxCase{"FrameBodyEmpty", WithFrames("Frames {\n  F: 1, X, 1 {\n  }\n}\n"), 16},
        SyntaxCase{"DuplicateFrameId",
                   WithFrames("Frames {\n  F: 1, X, 1 { Temp, 0; }\n  G: 0x01, X, 1 {\n Temp, 0;\n }\n}\n"), 18},
        SyntaxCase{"BitOffset64", WithFrames("Frames {\n  F: 1, X, 8 {\n Temp, 64;\n }\n}\n"), 16},
        SyntaxCase{"FrameSignalWithoutSemicolon", WithFrames("Frames {\n  F: 1, X, 8 {\n Temp, 0\n }\n}\n"), 17},
        SyntaxCase{
            "FramesWithoutEnd",
            UpToVersion("LIN_protocol_version = 2.1;\nSignals {\n A: 8, 0, X;\n}\nFrames {\n  F: 1, X, 8 { A, 0; }\n"),
            7},
        SyntaxCase{"EncodingsWithoutBrace", WithEncodings("Signal_encoding_types\n E { }\n}\n"), 27},
        SyntaxCase{"EncodingWithoutBrace",
                   WithEncodings("Signal_encoding_types {\n E\n physical_value, 0, 1, 1, 0;\n}\n"), 28},
        SyntaxCase{"RawMaxAbove65535",
                   WithEncodings("Signal_encoding_types {\n E {\n physical_value, 0, 65536, 1, 0;\n }\n}\n"), 28},
        SyntaxCase{"RawMinNegative",
                   WithEncodings("Signal_encoding_types {\n E {\n physical_value, -1, 5, 1, 0;\n }\n}\n"), 28},
        SyntaxCase{"PhysicalWithoutSemicolon",
                   WithEncodings("Signal_encoding_types {\n E {\n physical_value, 0, 5, 1, 0\n }\n}\n"), 29},
        SyntaxCase{"UnitWithoutQuote",
                   WithEncodings("Signal_encoding_types {\n E {\n physical_value, 0, 5, 1, 0, V;\n }\n}\n"), 28},
        SyntaxCase{"UnitOf33Characters",
                   WithEncodings("Signal_encoding_types {\n E {\n physical_value, 0, 5, 1, 0, \"" +
                                 std::string(33, 'u') + "\";\n }\n}\n"),
                   28},
        SyntaxCase{"EncodingsWithoutEnd", WithEncodings("Signal_encoding_types {\n E {\n logical_value, 0, \"off\";\n"),
                   28},
        SyntaxCase{"RepresentationWithoutBrace", WithRepresentations("Signal_representation\n E: Temp;\n}\n"), 37},
        SyntaxCase{"RepresentationKeywordAtTheEnd", WithRepresentations("Signal_representation\n"), 36},
        SyntaxCase{"RepresentationWithoutColon", WithRepresentations("Signal_representation {\n TempEnc Temp;\n}\n"),
                   37},
        SyntaxCase{"RepresentationBadSeparator",
                   WithRepresentations("Signal_representation {\n TempEnc: Temp. Wide;\n}\n"), 37},
        SyntaxCase{"RepresentationEndsAfterColon", WithRepresentations("Signal_representation {\n TempEnc:\n"), 37}),
    [](const auto& c) { return std::string(c.param.name); });

// Values that pass the checks, and what they give.
TEST(LdfParse, FrameIdentifiers) {
  struct Case {
    const char* id;
    int expected;
  } cases[] = {{"0x3B", 59},
               {"0X3B", 59},
               {"59", 59},
               {"0", 0},
               {"0x0A", 10},
               {"0X0a", 10},
               // A hexadecimal prefix without digits reads as 0, never as a leftover value.
               {"0x", 0},
               {"0xZZ", 0}};
  for (const Case& c : cases) {
    ParseResult r = ParseText(WithFrames(std::string("Frames {\n  F: ") + c.id + ", X, 1 { Temp, 0; }\n}\n"));
    ASSERT_EQ(r.result, 1) << c.id;
    ASSERT_EQ(r.frames.size(), 1u) << c.id;
    EXPECT_EQ(r.frames[0].id, c.expected) << c.id;
  }
}

TEST(LdfParse, SignalSizes) {
  struct Case {
    const char* text;
    int bits;
  } cases[] = {{"1", 1},   {"16", 16},   {"24", 24},
               {"64", 64}, {"0x18", 24}, {"8, 0, X;\n  Temp: 7", 7}};  // a repeated name takes the later size
  for (const Case& c : cases) {
    ParseResult r = ParseText(WithSignals(std::string("Signals {\n  Temp: ") + c.text + ", 0, X;\n}\n"));
    ASSERT_EQ(r.result, 1) << c.text;  // Wide and Mode are not declared now
    EXPECT_EQ(r.signals[0].bitSize, c.bits) << c.text;
  }
}

TEST(LdfParse, SignalsOutsideTheirFrameOrUndeclaredAreLeftOut) {
  // The 2-byte frame holds bits 0..15; offset 16 passes the body but not the output.
  ParseResult r =
      ParseText(WithFrames("Frames {\n"
                           "  Ghost: 1, X, 8 { Unknown, 0; Other, 8; }\n"
                           "  Small: 2, X, 2 { Temp, 0; Wide, 16; Mode, 15; }\n"
                           "}\n"));
  ASSERT_EQ(r.result, 2);
  ASSERT_EQ(r.frames.size(), 1u);  // the ghost frame took no slot
  EXPECT_EQ(r.frames[0].name, "Small");
  EXPECT_EQ(r.signals[0].name, "Temp");
  EXPECT_EQ(r.signals[0].frameIndex, 0);
  EXPECT_EQ(r.signals[1].name, "Mode");
  EXPECT_EQ(r.signals[1].startBit, 15);
}

TEST(LdfParse, NoSignalInAnyFrameGivesZero) {
  ParseResult r = ParseText(WithFrames("Frames {\n  F: 1, X, 1 { Unknown, 0; }\n}\n"));
  EXPECT_EQ(r.result, 0);
  EXPECT_TRUE(r.messages.empty());
  EXPECT_TRUE(r.frames.empty());
}

TEST(LdfParse, ChecksumModelFollowsTheProtocolVersion) {
  struct Case {
    const char* line;
    bool enhanced;
  } cases[] = {
      {"LIN_protocol_version = \"1.3\";", false},
      {"LIN_protocol_version = \"1.2\";", false},
      {"LIN_protocol_version = \"2.0\";", true},
      {"LIN_protocol_version = \"2.2\";", true},
      {"LIN_protocol_version = 2.1;", true},
      {"LIN_protocol_version = 1.3 ;", false},
      {"LIN_protocol_version = \"ISO17987:2015\";", true},
      {"LIN_protocol_version = \"ISO 17987:2016\";", true},
      {"LIN_protocol_version = \"J2602_1_1.0\";", true},
      {"LIN_protocol_version = \"SAE_J2602_3_1.0\";", true},
      {"LIN_protocol_version = \"custom\";", false},
  };
  for (const Case& c : cases) {
    LdfText t;
    t.version = std::string(c.line) + "\n";
    ParseResult r = ParseText(t.Text());
    ASSERT_EQ(r.result, 3) << c.line;
    for (const LdfOutFrame& f : r.frames) EXPECT_EQ(f.enhanced, c.enhanced) << c.line;
  }
}

TEST(LdfParse, UnquotedVersionKeepsItsText) {
  LdfText t;
  t.version = "LIN_protocol_version = 2.1 ;\n";
  EXPECT_EQ(ParseText(t.Text()).version, "2.1 ");
}

TEST(LdfParse, EncodingsAndRepresentations) {
  LdfText t;
  t.encodings =
      "Signal_encoding_types {\n"
      // The second physical line of an encoding replaces the first.
      "  TempEnc {\n    physical_value, 0, 10, 1, 0, \"a\";\n    physical_value, 0x10, 0XFF, 2, 1.5, \"b\";\n  }\n"
      "  WideEnc { physical_value, 0, 65535, 1e-2, -1.25E+1; }\n"
      // Skipping a logical line stops at its ';': the '}' behind it closes the encoding.
      "  ModeEnc { logical_value, 0, \"a;b\"; logical_value, 1, \"on\"; }\n"
      "  ModeEnc2 {\n    bcd_value ; ascii_value;; physical_value, 0, 3, 10, 0, \"\" ; }\n"
      "}\n";
  t.representations =
      "Signal_representation {\n"
      "  TempEnc: Temp, Unknown;\n"
      "  WideEnc: Wide;\n"
      "  ModeEnc: Mode;\n"
      "  ModeEnc2: Mode;\n"  // a later entry wins
      "}\n";
  ParseResult r = ParseText(t.Text());
  ASSERT_EQ(r.result, 3);
  ExpectScaling(FindSignal(r, "Temp"), 2.0, 1.5, 33.5, 511.5, "b");
  ExpectScaling(FindSignal(r, "Wide"), 0.01, -12.5, -12.5, 65535 * 0.01 - 12.5, "");
  ExpectScaling(FindSignal(r, "Mode"), 10.0, 0.0, 0.0, 30.0, "");
}

TEST(LdfParse, SkippedEntryWithoutSemicolonEndsAtTheClosingBrace) {
  // The '}' of an encoding whose last logical line lacks its ';' still closes
  // that encoding, whether it stands on the next line or behind the entry.
  for (const char* modeEnc :
       {"  ModeEnc {\n    logical_value, 0, \"o}f;f\"\n  }\n", "  ModeEnc { logical_value, 0, \"off\" }\n"}) {
    LdfText t;
    t.encodings = std::string("Signal_encoding_types {\n") + modeEnc +
                  "  TempEnc { physical_value, 0, 200, 0.5, -20, \"degC\"; }\n}\n";
    t.representations = "Signal_representation {\n  ModeEnc: Mode;\n  TempEnc: Temp;\n}\n";
    ParseResult r = ParseText(t.Text());
    ASSERT_EQ(r.result, 3) << modeEnc;
    EXPECT_TRUE(r.messages.empty()) << modeEnc;
    ExpectScaling(FindSignal(r, "Temp"), 0.5, -20.0, -20.0, 80.0, "degC");
    ExpectScaling(FindSignal(r, "Mode"), 1.0, 0.0, -1.0, 1.0, "");
  }
}

TEST(LdfParse, SectionsSkippedAndKeywordCase) {
  LdfText t;
  t.header = "/* generated */ lin_DESCRIPTION_file ;\n";
  t.preamble += "Diagnostic_signals {\n  MasterReqB0: 8, 0;\n}\nSignals_of_nothing;\n";
  t.frames.replace(0, 6, "FRAMES");
  t.between =
      "Sporadic_frames { SF: Status, Control; }\n"
      "Event_triggered_frames { ETF: Run, 58, Status; }\n"
      "Diagnostic_frames {\n  MasterReq: 0x3c { MasterReqB0, 0; }\n}\n"
      "Node_attributes { LSM { LIN_protocol = \"2.1\"; configurable_frames { Status; } } }\n";
  ParseResult r = ParseText(t.Text());
  EXPECT_EQ(r.result, 3);
  EXPECT_EQ(r.frames.size(), 2u);
  // Keywords other than the header and Frames keep their case.
  LdfText lower;
  lower.signals.replace(0, 7, "signals");
  EXPECT_EQ(ParseText(lower.Text()).result, -1);
}

TEST(LdfParse, OutputCapOf5000Signals) {
  // 60 frames (all identifiers there are) of 100 entries each: 6000 entries.
  std::string frames = "Frames {\n";
  for (int f = 0; f < 60; ++f) {
    frames += "  F" + std::to_string(f) + ": " + std::to_string(f) + ", X, 8 {";
    for (int s = 0; s < 100; ++s) frames += " Temp, " + std::to_string(s % 64) + ";";
    frames += " }\n";
  }
  frames += "}\n";
  ParseResult r = ParseText(WithFrames(frames));
  ASSERT_EQ(r.result, LDF_MAX_SIGNALS);
  ASSERT_EQ(r.frames.size(), 50u);  // frame 51 on would start beyond the cap
  EXPECT_EQ(r.signals.back().frameIndex, 49);
  EXPECT_EQ(r.frames.back().id, 49);
}

}  // namespace
