// Rows of CAN signals come in load-number order: the rows stage places
// numbers that are distinct and dense directly and sorts the rest; both ways
// must give the order of a stable sort over the table order.
#include "ListRows.h"
#include "ListTestUtil.h"

#include <algorithm>

using namespace listtest;

namespace {

// Signal names in the order of a stable sort by load number (numbered
// ones ascending, unnumbered ones last), over the order the tables deliver.
std::vector<std::string> StableOrder(const CVestrelDoc& doc) {
  struct Item {
    std::string name;
    int loadNo;
  };
  std::vector<Item> items;
  for (const auto& m : doc.GetCanMsgTable(LIST_REFERENCE))
    for (const auto& s : m.value->signals) items.push_back({s.value->name, s.value->loadNo});
  std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
    if ((a.loadNo < 0) != (b.loadNo < 0)) return b.loadNo < 0;
    return a.loadNo >= 0 && a.loadNo < b.loadNo;
  });
  std::vector<std::string> names;
  for (const Item& i : items) names.push_back(i.name);
  return names;
}

}  // namespace

TEST(RowOrder, LoadNumbersPlacedOrSortedAsAStableSort) {
  struct Case {
    const char* name;
    std::vector<int> loadNos;  // of signals S0, S1, ... spread over three messages
  };
  const Case cases[] = {
      {"dense, reversed", {5, 4, 3, 2, 1, 0}}, {"dense with gaps and unnumbered ones", {7, -1, 0, 3, -1, 1, 9}},
      {"a number twice", {2, 0, 2, 1, -1, 0}}, {"spread wide", {100000, 3, 70000, -1, 0}},
      {"none numbered", {-1, -1, -1}},         {"a single zero", {0}},
  };
  for (const Case& c : cases) {
    CVestrelDoc doc;
    _CANMsg* msgs[] = {AddCanMsg(doc, LIST_REFERENCE, "A", 1, 8), AddCanMsg(doc, LIST_REFERENCE, "B", 2, 8),
                       AddCanMsg(doc, LIST_REFERENCE, "C", 3, 8)};
    for (std::size_t k = 0; k < c.loadNos.size(); ++k) {
      std::string name = std::to_string(k);
      name.insert(0, 1, 'S');
      SigSpec wanted{name.c_str()};
      wanted.loadNo = c.loadNos[k];
      AddCanSig(doc, msgs[k % 3], wanted);
    }
    ListRows rows = BuildListRows(doc, LIST_REFERENCE, BUS_CAN, 0);
    std::vector<std::string> got;
    for (const ListRow& r : rows) got.push_back(r.Cell(COL_SIGNAL));
    EXPECT_EQ(got, StableOrder(doc)) << c.name;
    for (std::size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i].Cell(COL_NUMBER), std::to_string(i + 1)) << c.name;
  }
}
