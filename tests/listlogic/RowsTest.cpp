// Rows filled from the document: order, identifier texts, column sets.
#include "DocFixture.h"
#include "ListRows.h"
#include "ListTestUtil.h"

using namespace listtest;

namespace {

std::vector<std::string> Column(const ListRows& rows, int c) {
  std::vector<std::string> out;
  for (const auto& r : rows) out.push_back(r.Cell(c));
  return out;
}

}  // namespace

DOC_TEST(BuildListRows, CanInLoadNumberOrderWithUnnumberedLast) {
  _CANMsg* a = AddCanMsg(doc, LIST_REFERENCE, "A", 255, 8);
  AddCanSig(doc, a, {"late", 0, 1, -1});
  AddCanSig(doc, a, {"three", 0, 1, 3});
  AddCanSig(doc, a, {"oneA", 0, 1, 1});
  _CANMsg* b = AddCanMsg(doc, LIST_REFERENCE, "B", 16, 8);
  AddCanSig(doc, b, {"oneB", 0, 1, 1});
  AddCanSig(doc, b, {"zero", 0, 1, 0});
  AddCanSig(doc, b, {"later", 0, 1, -1});
  AddCanMsg(doc, LIST_REFERENCE, "Empty", 1, 8);  // no signal, no row

  ListRows rows = BuildListRows(doc, LIST_REFERENCE, BUS_CAN, 0);
  EXPECT_EQ(Column(rows, COL_SIGNAL), (std::vector<std::string>{"zero", "oneA", "oneB", "three", "late", "later"}));
  EXPECT_EQ(Column(rows, COL_NUMBER), (std::vector<std::string>{"1", "2", "3", "4", "5", "6"}));
  EXPECT_EQ(rows[1].Cell(COL_ID), "255");
  EXPECT_EQ(rows[1].Cell(COL_HIDDEN), "");
  EXPECT_EQ(rows[1].cells.size(), 5u);
  EXPECT_EQ(BuildListRows(doc, LIST_REFERENCE, BUS_CAN, 1)[1].Cell(COL_ID), "FF");
  // Any format but 1 is decimal.
  EXPECT_EQ(BuildListRows(doc, LIST_REFERENCE, BUS_CAN, 2)[1].Cell(COL_ID), "255");
  EXPECT_TRUE(BuildListRows(doc, LIST_DEFINITION, BUS_CAN, 0).empty());
}

DOC_TEST(BuildListRows, FlexRayLinAndLogic) {
  _FlexRayMsg* f = AddFrMsg(doc, LIST_DEFINITION, "Frame", 42, 8, 0, 1);
  AddFrSig(doc, f, {"s2"});
  AddFrSig(doc, f, {"s1"});
  ListRows fr = BuildListRows(doc, LIST_DEFINITION, BUS_FLEXRAY, 1);
  EXPECT_EQ(Column(fr, COL_SIGNAL), (std::vector<std::string>{"s2", "s1"}));
  EXPECT_EQ(fr[0].Cell(COL_ID), "2A");

  _LINMsg* l = AddLinMsg(doc, LIST_DEFINITION, "Lin", 60, 8);
  AddLinSig(doc, l, {"b", 0, 1, 1});
  AddLinSig(doc, l, {"a", 0, 1, 0});
  EXPECT_EQ(Column(BuildListRows(doc, LIST_DEFINITION, BUS_LIN, 0), COL_SIGNAL), (std::vector<std::string>{"a", "b"}));

  AddSymbol(doc, LIST_DEFINITION, 4, 3, "Last", "01x");
  AddSymbol(doc, LIST_DEFINITION, 0, 2, "First", "10");
  ListRows logic = BuildListRows(doc, LIST_DEFINITION, BUS_LOGIC, 0);
  ASSERT_EQ(logic.size(), 2u);
  EXPECT_EQ(logic[0].cells, (std::vector<std::string>{"", "1", "First", "1", "2", "10"}));
  EXPECT_EQ(logic[1].cells, (std::vector<std::string>{"", "2", "Last", "5", "3", "01x"}));
}

DOC_TEST(ListColumns, SetsAndWidthRule) {
  ASSERT_EQ(ListColumns(BUS_CAN).size(), 5u);
  ASSERT_EQ(ListColumns(BUS_LOGIC).size(), 6u);
  EXPECT_EQ(ListColumns(BUS_LIN)[2].titleId, 3010u);
  EXPECT_EQ(ListColumns(BUS_FLEXRAY)[3].titleId, 3011u);
  EXPECT_EQ(ListColumns(BUS_LOGIC)[5].titleId, 3016u);
  EXPECT_EQ(ListColumns(BUS_LOGIC)[4].align, 1u);
  EXPECT_EQ(ListColumns(BUS_CAN)[0].titleId, 0u);
  // 0.1 x 333 = 33.3 -> 33, 0.4 x 333 = 133.2 -> 133; the last takes 333 - 4 - 199.
  EXPECT_EQ(ListColumnWidths(BUS_CAN, 333), (std::vector<int>{0, 33, 133, 33, 130}));
  EXPECT_EQ(ListColumnWidths(BUS_LOGIC, 1000), (std::vector<int>{0, 70, 350, 100, 80, 396}));
  EXPECT_EQ(ListColumnWidths(BUS_CAN, 0)[0], 0);
}
