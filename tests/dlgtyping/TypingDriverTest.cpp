// The typing driver of the dialogs fuzz target, run over fixed scripts: each
// row types one rule of the signal fields into the CAN, FlexRay or LIN
// dialog of a small definition file and presses OK; no check of the driver
// may find a difference (what OK stored against what the fields showed, a
// refusal that changed something, a byte count typed back that moved the
// signal).
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "DialogsFuzz.h"

namespace {

// CAN rows: 0 Eight/A, 1 Eight/B, 2 Wide/W, 3 Long/J. FlexRay rows: 0 F,
// 1 G, 2 H (over F's bits), 3 Fr8/E. LIN rows: 0 Lin2/L, 1 Lin2/K, 2 Lap/A, 3 Lap/B
// (over A's bits).
const char kDefinitions[] = R"(<SBLVersion>1.2</SBLVersion>
<FlexRaySymbolTable><MessageTotalNum>2</MessageTotalNum>
<Group><Message><MSGName>Fr16</MSGName><MSGId>5</MSGId><MSGBitSize>128</MSGBitSize>
<BaseCycle>0</BaseCycle><CycleRepetition>1</CycleRepetition></Message><SignalNum>3</SignalNum>
<Signal><SIGName>F</SIGName><StartBit>5</StartBit><BitSize>12</BitSize></Signal>
<Signal><SIGName>G</SIGName><StartBit>40</StartBit><BitSize>12</BitSize><ValueType>FLOAT</ValueType></Signal>
<Signal><SIGName>H</SIGName><StartBit>8</StartBit><BitSize>8</BitSize></Signal></Group>
<Group><Message><MSGName>Fr8</MSGName><MSGId>6</MSGId><MSGBitSize>64</MSGBitSize>
<BaseCycle>0</BaseCycle><CycleRepetition>1</CycleRepetition></Message><SignalNum>1</SignalNum>
<Signal><SIGName>E</SIGName><StartBit>0</StartBit><BitSize>8</BitSize><Factor>2.5</Factor></Signal>
</Group></FlexRaySymbolTable>
<CanSymbolTable><MessageTotalNum>3</MessageTotalNum>
<Group><Message><MSGName>Eight</MSGName><FrameFormat>STD</FrameFormat><MSGId>16</MSGId><MSGBitSize>64</MSGBitSize>
<J1939>OFF</J1939></Message><SignalNum>2</SignalNum>
<Signal><SIGName>A</SIGName><StartBit>24</StartBit><BitSize>8</BitSize></Signal>
<Signal><SIGName>B</SIGName><StartBit>56</StartBit><BitSize>8</BitSize></Signal></Group>
<GroupEx><Message><MSGName>Wide</MSGName><FrameFormat>STD</FrameFormat><MSGId>17</MSGId><MSGBitSize>512</MSGBitSize>
<J1939>OFF</J1939></Message><SignalNum>1</SignalNum>
<Signal><SIGName>W</SIGName><StartBit>511</StartBit><BitSize>1</BitSize></Signal></GroupEx>
<GroupEx><Message><MSGName>Long</MSGName><FrameFormat>XTD</FrameFormat><MSGId>419361024</MSGId><MSGBitSize>800</MSGBitSize>
<J1939>ON</J1939></Message><SignalNum>1</SignalNum>
<Signal><SIGName>J</SIGName><StartBit>600</StartBit><BitSize>16</BitSize></Signal></GroupEx>
</CanSymbolTable>
<LinSymbolTable><MessageTotalNum>2</MessageTotalNum>
<Group><Message><MSGName>Lin2</MSGName><MSGId>3</MSGId><MSGBitSize>16</MSGBitSize></Message><SignalNum>2</SignalNum>
<Signal><SIGName>L</SIGName><StartBit>8</StartBit><BitSize>8</BitSize><Factor>3</Factor></Signal>
<Signal><SIGName>K</SIGName><StartBit>0</StartBit><BitSize>4</BitSize></Signal></Group>
<Group><Message><MSGName>Lap</MSGName><MSGId>4</MSGId><MSGBitSize>16</MSGBitSize></Message><SignalNum>2</SignalNum>
<Signal><SIGName>A</SIGName><StartBit>0</StartBit><BitSize>8</BitSize></Signal>
<Signal><SIGName>B</SIGName><StartBit>4</StartBit><BitSize>8</BitSize></Signal></Group>
</LinSymbolTable>
)";

// Scripts (see TypingMode.cpp): per bus a dialog count, then per dialog the
// row, actions (0 presses OK) and the answer to the byte-order question.
struct TypingCase {
  const char* rule;
  std::vector<std::uint8_t> script;
};

const TypingCase kCases[] = {
    // J1939 ticked off on a message of 100 bytes: the fields show the cut
    // at once, and OK stores what they show.
    {"CAN: the J1939 switch", {1, 3, 8, 0, 0}},
    // A float of 12 bits left as it opened.
    {"FlexRay: float of another width", {0, 1, 1, 0, 0}},
    // The factor or offset emptied, and Enter.
    {"FlexRay: emptied factor", {0, 1, 3, 5, 0, 1, 0, 0}},
    {"LIN: emptied offset", {0, 0, 1, 1, 6, 0, 1, 0, 0}},
    // Backspace, the same digits, Tab on a stored signal over another's bits.
    {"FlexRay: byte count typed back to its own value", {0, 1, 2, 1, 1, 16, 1, 1, 0, 0}},
    {"LIN: byte count typed back to its own value", {0, 0, 1, 3, 1, 1, 2, 1, 1, 0, 0}},
    // A unit the code page cannot hold (Hangul, an emoji) is refused.
    {"CAN: unit in Hangul", {1, 0, 7, 4, 1, 0, 0}},
    {"FlexRay: unit with an emoji", {0, 1, 3, 7, 5, 0, 0}},
    {"CAN: signal name in Hangul", {1, 0, 12, 3, 0, 0}},
    {"LIN: signal name in Hangul", {0, 0, 1, 0, 11, 3, 0, 0}},
};

class TypingDriver : public testing::TestWithParam<TypingCase> {};

TEST_P(TypingDriver, FindsNoDifference) {
  const TypingCase& c = GetParam();
  std::vector<std::uint8_t> input{static_cast<std::uint8_t>(c.script.size())};
  input.insert(input.end(), c.script.begin(), c.script.end());
  input.insert(input.end(), kDefinitions, kDefinitions + sizeof kDefinitions - 1);
  std::string found;
  dlgfuzz::RunTypingMode(input.data(), input.size(), [&found](const std::string& check, const std::string& what) {
    found += "[" + check + "] " + what + "\n";
  });
  EXPECT_EQ(found, "") << c.rule;
}

INSTANTIATE_TEST_SUITE_P(SignalFields, TypingDriver, testing::ValuesIn(kCases));

}  // namespace
