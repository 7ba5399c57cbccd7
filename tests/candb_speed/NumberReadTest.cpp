// The reader's number fast paths give what the C runtime gives on the same
// text: value (to the bit, sign of zero included) and, for doubles, where
// the read stopped.
#include "CNumber.h"
#include "DbcText.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

namespace {

void ExpectDoubleLikeRuntime(const std::string& text) {
  char* wantEnd = nullptr;
  double want = cnum::Strtod(text.c_str(), &wantEnd);
  // The text as the reader holds a line: its zero, the digits of the next
  // line right behind it, then the slack.
  const std::string line = text + '\0' + "0123456789.012345" + std::string(dbc::kReadSlack, '\0');
  const char* gotEnd = nullptr;
  double got = dbc::Strtod(line.c_str(), &gotEnd);
  EXPECT_EQ(std::memcmp(&got, &want, sizeof got), 0) << "'" << text << "': " << got << " vs " << want;
  EXPECT_EQ(gotEnd - line.c_str(), wantEnd - text.c_str()) << "'" << text << "'";
}

}  // namespace

TEST(ReaderNumbers, DoublesReadAsTheRuntimeReadsThem) {
  const char* texts[] = {"0",
                         "-0",
                         "+0",
                         "1",
                         "0.1",
                         "-40",
                         "6553.5",
                         "1.",
                         ".5",
                         "-.5",
                         "+.5",
                         ".",
                         "-",
                         "",
                         " 1",
                         "1e3",
                         "1E-005",
                         "1.5e",
                         "0x10",
                         "inf",
                         "-nan",
                         "1,5",
                         "0.0000001",
                         "00012.50",
                         "123456789012345",
                         "1234567890123456",
                         "12345678901234567890",
                         "0.1234567890123456789",
                         "9007199254740993",
                         "1.7976931348623157e308",
                         "4.9e-324",
                         "1e400",
                         "3.14|2",
                         "0.000000000000000000001",
                         "0.0000000000000000000000001",
                         "5)",
                         "7]",
                         "1..2",
                         "2p3"};
  for (const char* t : texts) ExpectDoubleLikeRuntime(t);
  std::mt19937 rng(3);
  for (int k = 0; k < 100000; ++k) {
    std::string t;
    if (rng() % 4 == 0) t += "-+"[rng() % 2];
    int whole = static_cast<int>(rng() % 18);
    for (int i = 0; i < whole; ++i) t += static_cast<char>('0' + rng() % 10);
    if (rng() % 3) {
      t += '.';
      int frac = static_cast<int>(rng() % 25);
      for (int i = 0; i < frac; ++i) t += static_cast<char>('0' + rng() % 10);
    }
    t += ",)| e"[rng() % 5];
    ExpectDoubleLikeRuntime(t);
  }
}

TEST(ReaderNumbers, IntegersReadAsTheRuntimeReadsThem) {
  const char* texts[] = {"0",
                         "7",
                         "-3",
                         "+12",
                         "2147483647",
                         "2147483648",
                         "-2147483649",
                         "99999999999999999999",
                         "",
                         "x",
                         "-",
                         " 5",
                         "\t5",
                         "12abc",
                         "4294967296",
                         "18446744073709551615",
                         "18446744073709551616",
                         "1234567890123456789",
                         "-1",
                         "007",
                         "+-1",
                         "\v9"};
  for (const char* t : texts) {
    EXPECT_EQ(dbc::Atoi(t), cnum::Atoi(t)) << "'" << t << "'";
    EXPECT_EQ(dbc::LowBits(t), static_cast<uint32_t>(cnum::Strtoull(t, nullptr, 10))) << "'" << t << "'";
  }
  std::mt19937_64 rng(5);
  for (int k = 0; k < 100000; ++k) {
    std::string t = std::to_string(rng() >> (rng() % 64));
    if (rng() % 3 == 0) t = "-" + t;
    t += " |:"[rng() % 3];
    ASSERT_EQ(dbc::Atoi(t.c_str()), cnum::Atoi(t.c_str())) << t;
    ASSERT_EQ(dbc::LowBits(t.c_str()), static_cast<uint32_t>(cnum::Strtoull(t.c_str(), nullptr, 10))) << t;
  }
}

// The eight-byte tests mark exactly the bytes they name, wherever a byte
// stands among its neighbours (no carry or borrow reaches the next lane).
TEST(ReaderNumbers, WordTestsMarkEveryByteOnItsOwn) {
  const unsigned char fills[] = {0x00, '0', '9', ' ', 0xFF, 0x80};
  for (unsigned char fill : fills) {
    for (int b = 0; b < 256; ++b) {
      for (int lane = 0; lane < 8; ++lane) {
        unsigned char bytes[8];
        std::memset(bytes, fill, 8);
        bytes[lane] = static_cast<unsigned char>(b);
        uint64_t v;
        std::memcpy(&v, bytes, 8);
        const uint64_t digits = dbc::swar::NonDigits(v);
        const uint64_t zeros = dbc::swar::ZeroBytes(v);
        const uint64_t colons = dbc::swar::BytesEqual(v, ':');
        const uint64_t controls = dbc::swar::BytesBelow(v, '!');
        for (int k = 0; k < 8; ++k) {
          const unsigned char c = bytes[k];
          const uint64_t bit = uint64_t{0x80} << (8 * k);
          ASSERT_EQ((digits & bit) != 0, c < '0' || c > '9') << b << " in lane " << lane << " of " << int(fill);
          ASSERT_EQ((zeros & bit) != 0, c == 0) << b << " in lane " << lane << " of " << int(fill);
          ASSERT_EQ((colons & bit) != 0, c == ':') << b << " in lane " << lane << " of " << int(fill);
          ASSERT_EQ((controls & bit) != 0, c < '!') << b << " in lane " << lane << " of " << int(fill);
        }
      }
    }
  }
}
