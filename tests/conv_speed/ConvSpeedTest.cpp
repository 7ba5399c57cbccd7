// The fast paths of the CAN conversion give what the plain ways give: the
// table key of a fixed name field, the pools' first-in-first-out order and
// their reset of a record, and the multiplex value check.
#include "CNumber.h"
#include "CodePage.h"
#include "ReferenceText.h"
#include "ListLoad.h"
#include "NameKey.h"
#include "VestrelDoc.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

using vrtest::ReferenceUpper;

// A field of N bytes holding `len` random bytes, then (when there is room) a
// zero and, with `dirty`, more random bytes behind it.
template <std::size_t N>
void RandomField(std::mt19937& rng, char (&field)[N], std::size_t len, bool dirty, bool ascii) {
  static const unsigned char kBytes[] = {'a',  'z',  'A',  'm',  '_',  '0',  ' ',  '{',  '`',  0x40, 0x61,
                                         0x7A, 0x7E, 0x81, 0x83, 0x9F, 0xE0, 0xFC, 0x80, 0xA0, 0xDF, 0xFF};
  const std::size_t choices = ascii ? 12 : sizeof kBytes;
  std::memset(field, 0, N);
  for (std::size_t i = 0; i < N; ++i) {
    char c = static_cast<char>(kBytes[rng() % choices]);
    if (i < len || (dirty && i > len)) field[i] = c;
  }
}

template <std::size_t N>
void CheckKeys(unsigned seed) {
  std::mt19937 rng(seed);
  for (int round = 0; round < 20000; ++round) {
    char field[N];
    char buffer[N];
    const std::size_t len = rng() % N;  // N - 1 at most: the field keeps its zero
    RandomField(rng, field, len, rng() % 2 == 0, rng() % 4 != 0);
    const std::string name(field, ::strnlen(field, N));
    ASSERT_EQ(NameKey(field, buffer), ReferenceUpper(name)) << "length " << len << " round " << round;
  }
}

TEST(NameKeyFastPath, GivesTheCodePageUpperCaseOfTheNameUpToItsZero) {
  CheckKeys<MAX_NAME_LEN + 1>(1);
  CheckKeys<MAX_LOGIC_NAME_LEN + 1>(2);
}

TEST(NameKeyFastPath, AFieldWithoutItsZeroIsKeyedWhole) {
  // Not made by CopyToCharBuffer, but a key all the same: all 33 bytes.
  char field[MAX_NAME_LEN + 1];
  char buffer[MAX_NAME_LEN + 1];
  std::memset(field, 'q', sizeof field);
  EXPECT_EQ(NameKey(field, buffer), std::string(sizeof field, 'Q'));
  field[MAX_NAME_LEN] = '\0';
  EXPECT_EQ(NameKey(field, buffer), std::string(MAX_NAME_LEN, 'Q'));
}

TEST(RecordPool, GivesRecordsBackInTheOrderTheyCameWhateverTheMix) {
  std::mt19937 rng(3);
  RecordPool<int> pool;
  std::vector<int> records(5000);
  std::vector<int*> model;  // the same queue, kept plainly
  std::size_t taken = 0;
  std::size_t next = 0;
  for (int step = 0; step < 200000; ++step) {
    const unsigned what = rng() % 8;
    if (what < 4 && next < records.size()) {
      ASSERT_TRUE(pool.Reserve(rng() % 3));
      pool.push_back(&records[next]);
      model.push_back(&records[next++]);
    } else if (what < 7 && !pool.empty()) {
      ASSERT_EQ(pool.front(), model[taken++]);
      pool.pop_front();
    } else if (next == records.size()) {
      next = 0;  // the records come round again, as a reload gives them back
    }
    ASSERT_EQ(pool.size(), model.size() - taken);
    ASSERT_EQ(pool.empty(), model.size() == taken);
  }
}

TEST(DocPools, AFreedCanRecordComesBackAtItsDefaults) {
  CVestrelDoc doc;
  _CANMsg* msg = doc.AllocCanMsg();
  _CANSignal* sig = doc.AllocCanSignal();
  ASSERT_TRUE(msg && sig);
  CopyToCharBuffer(msg->name, "Msg", MAX_NAME_LEN);
  msg->frameFormat = FRAME_XTD;
  msg->byteCount = 8;
  msg->id = 0x123;
  msg->j1939 = 1;
  msg->frameType = CANFRAME_FD;
  CopyToCharBuffer(sig->name, "Sig", MAX_NAME_LEN);
  CopyToCharBuffer(sig->unit, "km/h", MAX_NAME_LEN);
  CopyToCharBuffer(sig->multiplexor, "Mux", MAX_NAME_LEN);
  sig->multiplexValue = "1,3-5 and a text too long for the string's own buffer";
  sig->bitOrder = BITORDER_LSB_FIRST;
  sig->byteOrder = BYTEORDER_BIG;
  sig->valueType = VALTYPE_FLOAT;
  sig->startBit = 7;
  sig->bitCount = 9;
  sig->identicalCoding = 1;
  sig->importError = 1;
  sig->factor = 2.5;
  sig->offset = -1;
  sig->minimum = 0;
  sig->maximum = 10;
  sig->loadNo = 4;
  doc.AddCanSignal(msg, sig);
  doc.AddCanMsg(msg, LIST_REFERENCE);
  doc.ClearCanList(LIST_REFERENCE);

  const _CANMsg freshMsg;
  const _CANSignal freshSig;
  _CANMsg* again = doc.AllocCanMsg();
  _CANSignal* sigAgain = doc.AllocCanSignal();
  ASSERT_EQ(again, msg);
  ASSERT_EQ(sigAgain, sig);
  EXPECT_EQ(std::memcmp(again->name, freshMsg.name, sizeof again->name), 0);
  EXPECT_EQ(again->frameFormat, freshMsg.frameFormat);
  EXPECT_EQ(again->byteCount, freshMsg.byteCount);
  EXPECT_EQ(again->id, freshMsg.id);
  EXPECT_EQ(again->j1939, freshMsg.j1939);
  EXPECT_EQ(again->frameType, freshMsg.frameType);
  EXPECT_TRUE(again->signals.empty());
  // Field by field: the bytes between fields are no part of the record.
  EXPECT_EQ(std::memcmp(sigAgain->name, freshSig.name, sizeof sigAgain->name), 0);
  EXPECT_EQ(std::memcmp(sigAgain->unit, freshSig.unit, sizeof sigAgain->unit), 0);
  EXPECT_EQ(sigAgain->bitOrder, freshSig.bitOrder);
  EXPECT_EQ(sigAgain->byteOrder, freshSig.byteOrder);
  EXPECT_EQ(sigAgain->valueType, freshSig.valueType);
  EXPECT_EQ(sigAgain->startBit, freshSig.startBit);
  EXPECT_EQ(sigAgain->bitCount, freshSig.bitCount);
  EXPECT_EQ(sigAgain->identicalCoding, freshSig.identicalCoding);
  EXPECT_EQ(sigAgain->importError, freshSig.importError);
  EXPECT_EQ(sigAgain->factor, freshSig.factor);
  EXPECT_EQ(sigAgain->offset, freshSig.offset);
  EXPECT_EQ(sigAgain->minimum, freshSig.minimum);
  EXPECT_EQ(sigAgain->maximum, freshSig.maximum);
  EXPECT_EQ(sigAgain->loadNo, freshSig.loadNo);
  EXPECT_EQ(std::memcmp(sigAgain->multiplexor, freshSig.multiplexor, sizeof sigAgain->multiplexor), 0);
  EXPECT_EQ(sigAgain->multiplexValue, freshSig.multiplexValue);
  doc.FreeCanSignal(sigAgain);
  doc.FreeCanMsg(again);
}

// The check as it reads every piece, the fast path's reference.
bool ReferenceNumericText(const std::string& text) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find_first_of(" ,-", pos);
    if (end == std::string::npos) end = text.size();
    if (end > pos) {
      std::string piece = text.substr(pos, end - pos);
      char* stop = nullptr;
      long value = cnum::Strtol(piece.c_str(), &stop, 0);
      if (stop != piece.c_str() + piece.size() || stop == piece.c_str()) return false;
      if (piece.size() > 1 && value == 0) return false;
    }
    pos = end + 1;
  }
  return true;
}

TEST(MultiplexTextCheck, FastPathAgreesWithReadingEveryPiece) {
  for (const char* text : {"0",
                           "00",
                           "007",
                           "08",
                           "10",
                           "1,3-5",
                           "99999999999999999999999",
                           "+5",
                           "0x10",
                           "0x",
                           "a",
                           "",
                           "1 2",
                           "1,,2",
                           "-",
                           "0,00",
                           " 0",
                           "1\t",
                           "\t1",
                           "12a",
                           "0-0",
                           "000000000000001"})
    EXPECT_EQ(IsNumericMultiplexText(text), ReferenceNumericText(text)) << '"' << text << '"';
  std::mt19937 rng(4);
  static const char kChars[] = "0123456789 ,-+xXaF\t";
  for (int round = 0; round < 50000; ++round) {
    std::string text(rng() % 12, ' ');
    for (char& c : text) c = kChars[rng() % (sizeof kChars - 1)];
    ASSERT_EQ(IsNumericMultiplexText(text), ReferenceNumericText(text)) << '"' << text << '"';
  }
}

}  // namespace
