// The signal-field rules the CAN, FlexRay and LIN models share, case by
// case where the dialogs cannot reach them: stored bytes the value-type list
// cannot name, counts left in the field, ranges cut to a frame.
#include <gtest/gtest.h>

#include "Records.h"
#include "SignalFieldRules.h"

#include <string>
#include <vector>

TEST(SignalFieldRules, ValueTypeStoredOnOk) {
  struct Case {
    const char* rule;
    int item, count, storedType, storedCount, want;
  };
  const Case cases[] = {
      {"a byte the list cannot name stays while untouched", VTITEM_UNSIGNED, 8, 7, 8, 7},
      {"it goes once the count changes", VTITEM_UNSIGNED, 9, 7, 8, VALTYPE_UNSIGNED},
      {"a float of 12 bits stays", VTITEM_FLOAT, 12, VALTYPE_FLOAT, 12, VALTYPE_FLOAT},
      {"Unsigned chosen for it", VTITEM_UNSIGNED, 12, VALTYPE_FLOAT, 12, VALTYPE_UNSIGNED},
      {"Double is the floating type", VTITEM_DOUBLE, 64, VALTYPE_SIGNED, 64, VALTYPE_FLOAT},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ValueTypeToStore(c.item, c.count, static_cast<std::uint8_t>(c.storedType), c.storedCount), c.want)
        << c.rule;
  }
}

TEST(SignalFieldRules, ValueTypeFollowsTheCount) {
  struct Case {
    int item, count, want;
  };
  const Case cases[] = {
      {VTITEM_FLOAT, 32, VTITEM_FLOAT},     {VTITEM_FLOAT, 64, VTITEM_DOUBLE},  {VTITEM_FLOAT, 16, VTITEM_UNSIGNED},
      {VTITEM_DOUBLE, 32, VTITEM_UNSIGNED}, {VTITEM_SIGNED, 16, VTITEM_SIGNED},
  };
  for (const Case& c : cases) EXPECT_EQ(ValueTypeItemForCount(c.item, c.count), c.want) << c.item << "/" << c.count;
}

TEST(SignalFieldRules, ByteCountLeftInTheField) {
  struct Case {
    const char* rule;
    int settled, bytes, start, count;
    bool newSignal;
    CByteCountSettle::Step want;
  };
  const Case cases[] = {
      {"typed back to the settled count", 2, 2, 4, 80, false, CByteCountSettle::KEEP},
      {"a stored range that still fits", 2, 3, 4, 8, false, CByteCountSettle::KEEP},
      {"a new signal's range that fits", 2, 3, 4, 8, true, CByteCountSettle::FIT},
      {"a range beyond the count", 4, 1, 4, 8, false, CByteCountSettle::CUT},
      {"a typed 0", 4, 0, 0, 8, false, CByteCountSettle::CUT},
      {"a start past any int end", 8, 9, 2147483647, 2, false, CByteCountSettle::CUT},
  };
  for (const Case& c : cases) {
    CByteCountSettle settle;
    settle.Reset(c.settled);
    EXPECT_EQ(settle.Leave(c.bytes, c.start, c.count, c.newSignal), c.want) << c.rule;
    EXPECT_EQ(settle.Leave(c.bytes, c.start, c.count, c.newSignal), CByteCountSettle::KEEP) << c.rule << ", again";
  }
}

TEST(SignalFieldRules, RangeCutToTheFrame) {
  struct Case {
    int start, count, bits, wantStart, wantCount;
  };
  const Case cases[] = {
      {20, 30, 16, 15, 1},  // the start on the last bit
      {4, 28, 16, 4, 12},   // the end at the frame's end
      {4, 8, 16, 4, 8},     // a range inside stays
      {-3, 8, 16, 0, 8},    // a start below the frame
      {40, 8, 0, 0, 8},     // no bits: the start becomes 0
  };
  for (const Case& c : cases) {
    int start = c.start, count = c.count;
    CutRangeToFrame(start, count, c.bits);
    EXPECT_EQ(start, c.wantStart) << c.start << "/" << c.count << " in " << c.bits;
    EXPECT_EQ(count, c.wantCount) << c.start << "/" << c.count << " in " << c.bits;
  }
}

namespace {

struct Sig {
  const char* name;
  int startBit, bitCount;
};
struct Frame {
  struct Entry {
    std::string key;
    Sig* value;
  };
  std::vector<Entry> signals;
};

}  // namespace

TEST(SignalFieldRules, OccupancyOfAFrame) {
  Sig a{"A", 0, 4}, b{"B", 2, 4}, c{"C", 10, 8};
  const Frame frame{{{"A", &a}, {"SKIP", &b}, {"C", &c}, {"NONE", nullptr}}};
  const auto skip = [](const std::string& key, const Sig&) { return key == "SKIP"; };
  const CBitOccupancy map = OccupancyOf(&frame, 16, skip);
  struct Case {
    int bit, owner;
  };
  // Running numbers count only the signals written; bits past the map stay out.
  const Case cases[] = {{0, 0}, {3, 0}, {4, -1}, {5, -1}, {10, 1}, {15, 1}, {16, -1}};
  for (const Case& k : cases) EXPECT_EQ(map.Get(k.bit), k.owner) << "bit " << k.bit;
  EXPECT_EQ(OccupancyOf(static_cast<const Frame*>(nullptr), 8, skip).AnyTaken(0, 8), false) << "no frame";
}

TEST(SignalFieldRules, SignalPlaceOnOk) {
  Sig other{"Other", 8, 8}, tail{"Tail", 56, 8};
  const Frame frame{{{"OTHER", &other}, {"TAIL", &tail}}};
  const CBitOccupancy taken = OccupancyOf(&frame, 64, [](const std::string&, const Sig&) { return false; });
  const std::vector<Sig*> others{&other, &tail};
  const SignalPlaceFields fields{1016, 1020, 1021, 1022};
  struct Case {
    const char* rule;
    int bytes, start, count, message, focus;
    const char* named;
  };
  const Case cases[] = {
      {"another signal beyond the bytes, before the own range", 4, 40, 80, IDS_MSG_BITS_OUTSIDE, 1016, "Tail"},
      {"start past the frame", 8, 64, 1, IDS_MSG_BITS_OUTSIDE, 1020, "Sig"},
      {"end past the frame focuses the end's field", 8, 60, 8, IDS_MSG_BITS_OUTSIDE, 1021, "Sig"},
      {"a start past any int end", 8, 2147483647, 2, IDS_MSG_BITS_OUTSIDE, 1020, "Sig"},
      {"bits of another signal", 8, 12, 2, IDS_MSG_BITS_OVERLAP, 1020, nullptr},
      {"free bits", 8, 0, 8, 0, 0, nullptr},
      {"0 bytes judge no range, only the overlap", 0, 8, 2, IDS_MSG_BITS_OVERLAP, 1020, nullptr},
      {"no bits, in a frame of bytes", 8, 0, 0, IDS_MSG_BITS_OUTSIDE, 1022, "Sig"},
      {"no bits, in a frame of 0 bytes: its placeholder", 0, 0, 0, 0, 0, nullptr},
  };
  for (const Case& c : cases) {
    // Another signal reaches beyond 4 bytes; none is beyond 0 bytes here.
    const std::vector<Sig*> list = c.bytes == 4   ? others
                                   : c.bytes == 0 ? std::vector<Sig*>{}
                                                  : std::vector<Sig*>{&other};
    const OkCheck refusal = CheckSignalPlace(list, taken, {c.bytes, c.start, c.count, "Sig"}, fields);
    ASSERT_EQ(refusal.has_value(), c.message != 0) << c.rule;
    if (!refusal) continue;
    EXPECT_EQ(refusal->message, c.message) << c.rule;
    EXPECT_EQ(refusal->focus, c.focus) << c.rule;
    ASSERT_EQ(refusal->args.size(), c.named ? 1u : 0u) << c.rule;
    if (c.named) {
      EXPECT_EQ(refusal->args[0].Text(), c.named) << c.rule;
    }
  }
}

TEST(SignalFieldRules, FloatAndDoubleNeedTheirBits) {
  CBitOccupancy taken(64);
  taken.Mark(40, 8, 0);
  struct Case {
    const char* rule;
    int start, count, frameBits;
    bool want;
  };
  const Case cases[] = {
      {"free bits inside the frame", 0, 32, 64, true},
      {"past the frame's end", 8, 64, 64, false},
      {"on another signal's bits", 16, 32, 64, false},
      {"a start below the frame", -1, 32, 64, false},
      {"no bits asked", 0, 0, 64, false},
      {"a start past any int end", 2147483647, 32, 64, false},
  };
  for (const Case& c : cases) EXPECT_EQ(RangePlaceable(taken, c.start, c.count, c.frameBits), c.want) << c.rule;
}
