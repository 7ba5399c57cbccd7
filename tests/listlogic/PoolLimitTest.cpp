// Adding reference rows when the pools refuse part-way: the add stops at the
// refused record, what was added before stays whole, and nothing half-added
// (a message without its signal) is left in the definitions.
#include "DocFixture.h"
#include "ListAdd.h"
#include "ListTestUtil.h"
#include "RecordingMessageSink.h"

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

using namespace listtest;

namespace {

struct LimitCase {
  int bus;
  std::size_t limit;  // records the pools still hand out
  int added;          // rows that fit before the refusal
};

void PrintTo(const LimitCase& c, std::ostream* os) { *os << "bus " << c.bus << ", limit " << c.limit; }

// Three reference rows: message M1 with S1 and S2, message M2 with S3. A
// new message costs two records (message and signal), a further signal of
// a message already copied one, a LOGIC symbol one: 2, 3 and 5 in all.
void Reference(CVestrelDoc& doc, int bus) {
  switch (bus) {
    case BUS_CAN: {
      _CANMsg* m1 = AddCanMsg(doc, LIST_REFERENCE, "M1", 0x100, 8);
      AddCanSig(doc, m1, {"S1", 0, 8});
      AddCanSig(doc, m1, {"S2", 8, 8});
      AddCanSig(doc, AddCanMsg(doc, LIST_REFERENCE, "M2", 0x200, 8), {"S3", 0, 8});
      break;
    }
    case BUS_FLEXRAY: {
      _FlexRayMsg* m1 = AddFrMsg(doc, LIST_REFERENCE, "M1", 1, 8, 0, 1);
      AddFrSig(doc, m1, {"S1", 0, 8});
      AddFrSig(doc, m1, {"S2", 8, 8});
      AddFrSig(doc, AddFrMsg(doc, LIST_REFERENCE, "M2", 2, 8, 0, 1), {"S3", 0, 8});
      break;
    }
    case BUS_LIN: {
      _LINMsg* m1 = AddLinMsg(doc, LIST_REFERENCE, "M1", 1, 8);
      AddLinSig(doc, m1, {"S1", 0, 8});
      AddLinSig(doc, m1, {"S2", 8, 8});
      AddLinSig(doc, AddLinMsg(doc, LIST_REFERENCE, "M2", 2, 8), {"S3", 0, 8});
      break;
    }
    default:
      AddSymbol(doc, LIST_REFERENCE, 0, 4, "S1", "0001");
      AddSymbol(doc, LIST_REFERENCE, 0, 4, "S2", "0010");
      AddSymbol(doc, LIST_REFERENCE, 0, 4, "S3", "0100");
      break;
  }
}

// Messages in the definition list that hold no signal: each would be a
// half-added row.
int EmptyDefinitionMessages(const CVestrelDoc& doc, int bus) {
  int empty = 0;
  auto count = [&empty](const auto& table) {
    for (const auto& entry : table)
      if (entry.value->signals.empty()) ++empty;
  };
  if (bus == BUS_CAN) count(doc.GetCanMsgTable(LIST_DEFINITION));
  if (bus == BUS_FLEXRAY) count(doc.GetFlexRayMsgTable(LIST_DEFINITION));
  if (bus == BUS_LIN) count(doc.GetLinMsgTable(LIST_DEFINITION));
  return empty;
}

int DefinitionSignals(const CVestrelDoc& doc, int bus) {
  switch (bus) {
    case BUS_CAN:
      return doc.CountCanSignals(LIST_DEFINITION);
    case BUS_FLEXRAY:
      return doc.CountFlexRaySignals(LIST_DEFINITION);
    case BUS_LIN:
      return doc.CountLinSignals(LIST_DEFINITION);
    default:
      return doc.CountLogicSymbols(LIST_DEFINITION);
  }
}

class AddUnderPoolLimit : public vrtest::DocTestWithParam<LimitCase> {};

TEST_P(AddUnderPoolLimit, StopsAtTheRefusalAndKeepsWholeRowsOnly) {
  const LimitCase& c = GetParam();
  Reference(doc, c.bus);
  ListRows refRows = BuildListRows(doc, LIST_REFERENCE, static_cast<BusKind>(c.bus), 0);
  ASSERT_EQ(refRows.size(), 3u);
  ListRows defRows;
  RecordingMessageSink sink;
  int appended = 0;
  doc.LimitAllocationsForTest(c.limit);
  EXPECT_EQ(AddReferenceRows(doc, c.bus, refRows, {0, 1, 2}, defRows, [&appended](int) { ++appended; }), c.added);
  EXPECT_EQ(appended, c.added);
  EXPECT_EQ(defRows.size(), static_cast<std::size_t>(c.added));
  EXPECT_EQ(DefinitionSignals(doc, c.bus), c.added);
  EXPECT_EQ(EmptyDefinitionMessages(doc, c.bus), 0);
  EXPECT_EQ(doc.IsDefModified(), c.added > 0);
  // The reference list is never touched.
  EXPECT_EQ(BuildListRows(doc, LIST_REFERENCE, static_cast<BusKind>(c.bus), 0).size(), 3u);
}

std::vector<LimitCase> Cases() {
  std::vector<LimitCase> cases;
  // Rows that fit in `limit` records: 2 for M1.S1, 3 with M1.S2, 5 with M2.S3.
  const int messageAdded[] = {0, 0, 1, 2, 2, 3, 3};
  for (int bus : {BUS_CAN, BUS_FLEXRAY, BUS_LIN})
    for (std::size_t limit = 0; limit < 7; ++limit) cases.push_back({bus, limit, messageAdded[limit]});
  for (std::size_t limit = 0; limit < 5; ++limit)
    cases.push_back({BUS_LOGIC, limit, static_cast<int>(std::min<std::size_t>(limit, 3))});
  return cases;
}

std::string CaseName(const ::testing::TestParamInfo<LimitCase>& info) {
  static const char* const kNames[] = {"Can", "Logic", "FlexRay", "Lin"};
  const LimitCase& c = info.param;
  return std::string(c.bus >= 0 && c.bus < 4 ? kNames[c.bus] : "Bus") + "Limit" + std::to_string(c.limit);
}

INSTANTIATE_TEST_SUITE_P(Table, AddUnderPoolLimit, ::testing::ValuesIn(Cases()), CaseName);

}  // namespace
