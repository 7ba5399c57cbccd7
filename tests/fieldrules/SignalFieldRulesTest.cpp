// The signal-field rules the CAN, FlexRay and LIN models share, case by
// case where the dialogs cannot reach them: stored bytes the value-type list
// cannot name, counts left in the field, ranges cut to a frame.
#include <gtest/gtest.h>

#include "Records.h"
#include "SignalFieldRules.h"

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
