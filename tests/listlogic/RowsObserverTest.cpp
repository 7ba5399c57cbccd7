// The list logic reports every change of its rows so that a view showing
// them (the list control) never disagrees with them: an observer that keeps
// its own copy only from the reports must end with the logic's rows after
// every command. Also the reorder drag kept in the logic, and the bus kind
// asked from its owner.
#include "DocFixture.h"
#include "ListLogic.h"
#include "ListTestUtil.h"
#include "RecordingMessageSink.h"

#include <algorithm>

using namespace listtest;

namespace {

// Keeps a copy of the rows from the reports alone, as a view would show them.
class MirrorObserver : public IListRowsObserver {
 public:
  explicit MirrorObserver(const CListLogic& logic) : logic_(logic) {}
  void RowsReset() override {
    rows = logic_.Rows();
    log.push_back("reset");
  }
  void RowsInserted(int first, int last) override {
    for (int r = first; r <= last; ++r) rows.insert(rows.begin() + r, logic_.Rows()[static_cast<std::size_t>(r)]);
    log.push_back("insert " + std::to_string(first) + "-" + std::to_string(last));
  }
  void RowsRemoved(int first, int last) override {
    rows.erase(rows.begin() + first, rows.begin() + last + 1);
    log.push_back("remove " + std::to_string(first) + "-" + std::to_string(last));
  }
  void RowsMoved(int first, int count, int target) override {
    auto b = rows.begin();
    if (target < first) std::rotate(b + target, b + first, b + first + count);
    else std::rotate(b + first, b + first + count, b + target);
    log.push_back("move " + std::to_string(first) + "+" + std::to_string(count) + ">" + std::to_string(target));
  }
  void RowsChanged(int first, int last) override {
    for (int r = first; r <= last; ++r) rows[static_cast<std::size_t>(r)] = logic_.Rows()[static_cast<std::size_t>(r)];
    log.push_back("change " + std::to_string(first) + "-" + std::to_string(last));
  }
  void ColumnChanged(int column) override {
    for (std::size_t r = 0; r < rows.size(); ++r) rows[r].SetCell(column, logic_.Rows()[r].Cell(column));
    log.push_back("column " + std::to_string(column));
  }
  void RowsReordered(const std::vector<int>& order) override {
    ListRows sorted;
    for (int old : order) sorted.push_back(rows[static_cast<std::size_t>(old)]);
    rows = sorted;
    log.push_back("reorder");
  }
  bool Agrees() const {
    if (rows.size() != logic_.Rows().size()) return false;
    for (std::size_t r = 0; r < rows.size(); ++r)
      if (rows[r].cells != logic_.Rows()[r].cells) return false;
    return true;
  }

  ListRows rows;
  std::vector<std::string> log;

 private:
  const CListLogic& logic_;
};

std::vector<std::string> Signals(const CListLogic& list) {
  std::vector<std::string> out;
  for (const ListRow& row : list.Rows()) out.push_back(row.Cell(COL_SIGNAL));
  return out;
}

struct Lists {
  explicit Lists(CVestrelDoc& doc) : ref(doc), def(doc), refView(ref), defView(def) {
    ref.SetPartner(&def);
    def.SetPartner(&ref);
    ref.SetObserver(&refView);
    def.SetObserver(&defView);
    ref.SetBusKind(BUS_CAN);
    def.SetBusKind(BUS_CAN);
  }
  CRefListLogic ref;
  CDefListLogic def;
  MirrorObserver refView;
  MirrorObserver defView;
};

void FillSix(CVestrelDoc& doc, int list) {
  _CANMsg* m = AddCanMsg(doc, list, "M", 5, 8);
  const char* names[] = {"F", "B", "E", "A", "D", "C"};
  for (int i = 0; i < 6; ++i) AddCanSig(doc, m, {names[i], i * 8, 8, i});
}

}  // namespace

DOC_TEST(RowsObserver, EveryCommandIsReportedSoThatAViewAgrees) {
  FillSix(doc, LIST_REFERENCE);
  FillSix(doc, LIST_DEFINITION);
  Lists lists(doc);
  RecordingMessageSink sink;
  EXPECT_TRUE(lists.defView.Agrees());
  EXPECT_EQ(lists.defView.log.back(), "reset");

  // Delete rows 1, 2 and 4: two runs, the later one first, then the numbers.
  lists.defView.log.clear();
  sink.answers = {MSG_YES};
  ASSERT_TRUE(lists.def.Delete({4, 1, 2}));
  EXPECT_EQ(lists.defView.log, (std::vector<std::string>{"remove 4-4", "remove 1-2", "column 1"}));
  EXPECT_EQ(Signals(lists.def), (std::vector<std::string>{"F", "A", "C"}));
  EXPECT_TRUE(lists.defView.Agrees());

  // Sort by the signal column, then the numbers.
  lists.defView.log.clear();
  ASSERT_TRUE(lists.def.SortByColumn(COL_SIGNAL));
  EXPECT_EQ(lists.defView.log, (std::vector<std::string>{"reorder", "column 1"}));
  EXPECT_EQ(Signals(lists.def), (std::vector<std::string>{"A", "C", "F"}));
  EXPECT_TRUE(lists.defView.Agrees());
  ASSERT_TRUE(lists.ref.SortByColumn(COL_SIGNAL));
  EXPECT_TRUE(lists.refView.Agrees());

  // A block moved down and up.
  lists.defView.log.clear();
  EXPECT_EQ(lists.def.MoveBlock(0, 1, 3), 2);
  EXPECT_EQ(lists.defView.log, (std::vector<std::string>{"move 0+1>3", "column 1"}));
  EXPECT_EQ(Signals(lists.def), (std::vector<std::string>{"C", "F", "A"}));
  EXPECT_TRUE(lists.defView.Agrees());
  EXPECT_EQ(lists.def.MoveBlock(1, 2, 0), 0);
  EXPECT_EQ(Signals(lists.def), (std::vector<std::string>{"F", "A", "C"}));
  EXPECT_TRUE(lists.defView.Agrees());

  // Reference rows added to the definitions arrive one by one.
  doc.ClearCanList(LIST_DEFINITION);
  lists.def.RefreshList();
  lists.defView.log.clear();
  EXPECT_EQ(lists.ref.AddToDefinitions({0, 5}), 2);
  EXPECT_EQ(lists.defView.log, (std::vector<std::string>{"insert 0-0", "insert 1-1"}));
  EXPECT_TRUE(lists.defView.Agrees());

  // Rows rewritten in place by others (the definition dialogs) are reported
  // by them.
  lists.def.Rows()[1].SetCell(COL_MESSAGE, "N");
  lists.def.NotifyRowsChanged(1, 1);
  for (ListRow& row : lists.def.Rows()) row.SetCell(COL_ID, "FF");
  lists.def.NotifyColumnChanged(COL_ID);
  EXPECT_TRUE(lists.defView.Agrees());
  EXPECT_TRUE(sink.shown.size() <= 1u);
}

DOC_TEST(RowsObserver, CellsOutsideTheRowsAreEmpty) {
  FillSix(doc, LIST_REFERENCE);
  Lists lists(doc);
  EXPECT_EQ(lists.ref.RowCount(), 6);
  EXPECT_EQ(lists.ref.CellText(0, COL_MESSAGE), "M");
  EXPECT_EQ(lists.ref.CellText(6, COL_MESSAGE), "");
  EXPECT_EQ(lists.ref.CellText(-1, COL_MESSAGE), "");
  EXPECT_EQ(lists.ref.CellText(0, 9), "");
}

DOC_TEST(ReorderDrag, TheRuleIsKeptInTheLogic) {
  FillSix(doc, LIST_DEFINITION);
  Lists lists(doc);
  // Not dragging: no place, no drop.
  EXPECT_EQ(lists.def.ReorderTarget(2, false, false), -1);
  EXPECT_EQ(lists.def.DropReorder(0), -1);
  // A gap, every row, or nothing selected start no drag.
  EXPECT_FALSE(lists.def.BeginReorder({1, 3}));
  EXPECT_FALSE(lists.def.BeginReorder({0, 1, 2, 3, 4, 5}));
  EXPECT_FALSE(lists.def.BeginReorder({}));
  EXPECT_FALSE(lists.def.IsReordering());
  // Rows 2 and 3 onto the lower half of row 4: after it.
  ASSERT_TRUE(lists.def.BeginReorder({3, 2}));
  EXPECT_EQ(lists.def.ReorderFirst(), 2);
  EXPECT_EQ(lists.def.ReorderCount(), 2);
  EXPECT_EQ(lists.def.ReorderTarget(4, true, false), 5);
  EXPECT_EQ(lists.def.ReorderTarget(-1, false, true), 6);  // below the last row
  EXPECT_EQ(lists.def.DropReorder(5), 3);
  EXPECT_FALSE(lists.def.IsReordering());
  EXPECT_EQ(Signals(lists.def), (std::vector<std::string>{"F", "B", "D", "E", "A", "C"}));
  EXPECT_TRUE(lists.defView.Agrees());
  // A drop inside its own block, or a cancelled drag, moves nothing.
  ASSERT_TRUE(lists.def.BeginReorder({0}));
  EXPECT_EQ(lists.def.DropReorder(1), -1);
  ASSERT_TRUE(lists.def.BeginReorder({0}));
  lists.def.CancelReorder();
  EXPECT_EQ(lists.def.DropReorder(4), -1);
  EXPECT_EQ(Signals(lists.def), (std::vector<std::string>{"F", "B", "D", "E", "A", "C"}));
}

DOC_TEST(BusKind, AskedFromItsOwnerWhenThereIsOne) {
  FillSix(doc, LIST_REFERENCE);
  AddSymbol(doc, LIST_REFERENCE, 0, 2, "SYM", "01");
  CRefListLogic ref(doc);
  int owner = BUS_LOGIC;
  ref.SetBusKindSource([&owner] { return owner; });
  ref.SetBusKind(BUS_CAN);  // the owner's kind counts
  EXPECT_EQ(ref.BusKind(), int(BUS_LOGIC));
  ASSERT_EQ(ref.RowCount(), 1);
  EXPECT_EQ(ref.CellText(0, COL_SYMBOL), "SYM");
  owner = BUS_CAN;
  ref.RefreshList();
  EXPECT_EQ(ref.RowCount(), 6);
}
