// Column sorting, block reordering, the find-next walk and the search history.
#include "ListScroll.h"
#include "ListSearch.h"
#include "ListSort.h"
#include "RecordingMessageSink.h"

#include <gtest/gtest.h>

namespace {

ListRow Row(std::vector<std::string> cells) { return ListRow{std::move(cells)}; }

// CAN-style rows: No., message, id, signal. The tag in column 0 tells the rows apart.
ListRows CanRows(const std::vector<std::tuple<std::string, std::string, std::string>>& data) {
  ListRows rows;
  int i = 0;
  for (const auto& [msg, id, sig] : data) {
    rows.push_back(Row({"r" + std::to_string(i), std::to_string(i + 1), msg, id, sig}));
    ++i;
  }
  return rows;
}

std::vector<std::string> Tags(const ListRows& rows) {
  std::vector<std::string> out;
  for (const auto& r : rows) out.push_back(r.Cell(0));
  return out;
}

}  // namespace

TEST(ListSort, NumberColumnsCompareAsNumbersAndStayStableBothWays) {
  ListRows rows = CanRows({{"A", "10", "s"}, {"B", "2", "s"}, {"C", "10", "s"}, {"D", "2", "s"}});
  tagListSortInfo info;
  ASSERT_TRUE(SortRowsByColumn(rows, info, COL_ID, BUS_CAN, 0));
  EXPECT_EQ(Tags(rows), (std::vector<std::string>{"r1", "r3", "r0", "r2"}));
  EXPECT_EQ(info.ascending, 1);
  // A second click reverses; equal values keep their relative order.
  ASSERT_TRUE(SortRowsByColumn(rows, info, COL_ID, BUS_CAN, 0));
  EXPECT_EQ(info.ascending, 0);
  EXPECT_EQ(Tags(rows), (std::vector<std::string>{"r0", "r2", "r1", "r3"}));
}

TEST(ListSort, OrderTellsWhereEachRowCameFrom) {
  ListRows rows = CanRows({{"C", "1", "s"}, {"A", "1", "s"}, {"B", "1", "s"}});
  tagListSortInfo info;
  std::vector<int> order;
  ASSERT_TRUE(SortRowsByColumn(rows, info, COL_MESSAGE, BUS_CAN, 0, &order));
  EXPECT_EQ(order, (std::vector<int>{1, 2, 0}));
  ASSERT_TRUE(SortRowsByColumn(rows, info, COL_MESSAGE, BUS_CAN, 0, &order));
  EXPECT_EQ(order, (std::vector<int>{2, 1, 0}));  // positions of the previous order
  EXPECT_EQ(Tags(rows), (std::vector<std::string>{"r0", "r2", "r1"}));
}

TEST(ListSort, HexIdentifiersOrderByHexValue) {
  ListRows rows = CanRows({{"A", "FF", "s"}, {"B", "1A", "s"}, {"C", "9", "s"}});
  tagListSortInfo info;
  ASSERT_TRUE(SortRowsByColumn(rows, info, COL_ID, BUS_CAN, 1));
  EXPECT_EQ(Tags(rows), (std::vector<std::string>{"r2", "r1", "r0"}));
  // In decimal display the same texts would read 0, 1 and 9.
  ListRows dec = CanRows({{"A", "FF", "s"}, {"B", "1A", "s"}, {"C", "9", "s"}});
  tagListSortInfo info2;
  SortRowsByColumn(dec, info2, COL_ID, BUS_CAN, 0);
  EXPECT_EQ(Tags(dec), (std::vector<std::string>{"r0", "r1", "r2"}));
}

TEST(ListSort, TextIsCaseSensitiveAndMultiByte) {
  // Upper case sorts before lower case; a double-byte character after a
  // half-width katakana (0xB1) although its lead byte 0x83 is smaller.
  ListRows rows =
      CanRows({{"b", "1", "s"}, {"B", "1", "s"}, {"\x83\x41", "1", "s"}, {"\xB1", "1", "s"}, {"a", "1", "s"}});
  tagListSortInfo info;
  SortRowsByColumn(rows, info, COL_MESSAGE, BUS_CAN, 0);
  EXPECT_EQ(Tags(rows), (std::vector<std::string>{"r1", "r4", "r0", "r3", "r2"}));
  EXPECT_EQ(info.compareKind, SORT_TEXT);
}

TEST(ListSort, ClicksThatDoNothing) {
  ListRows rows = CanRows({{"B", "1", "s"}, {"A", "1", "s"}});
  tagListSortInfo info;
  EXPECT_FALSE(SortRowsByColumn(rows, info, 0, BUS_CAN, 0));
  EXPECT_FALSE(SortRowsByColumn(rows, info, COL_NUMBER, BUS_CAN, 0));
  EXPECT_FALSE(SortRowsByColumn(rows, info, COL_MESSAGE, 7, 0));
  EXPECT_EQ(Tags(rows), (std::vector<std::string>{"r0", "r1"}));
  EXPECT_EQ(info.column, -1);
}

TEST(ListSort, CompareKindTable) {
  struct Case {
    int bus, column;
    SortCompareKind kind;
  };
  const Case cases[] = {
      {BUS_CAN, 1, SORT_NUMBER},   {BUS_CAN, 2, SORT_TEXT},     {BUS_CAN, 3, SORT_NUMBER},
      {BUS_CAN, 4, SORT_TEXT},     {BUS_CAN, 5, SORT_NONE},     {BUS_FLEXRAY, 3, SORT_NUMBER},
      {BUS_LIN, 4, SORT_TEXT},     {BUS_LOGIC, 1, SORT_NONE},   {BUS_LOGIC, 2, SORT_TEXT},
      {BUS_LOGIC, 3, SORT_NUMBER}, {BUS_LOGIC, 4, SORT_NUMBER}, {BUS_LOGIC, 5, SORT_TEXT},
      {BUS_LOGIC, 6, SORT_NONE},   {9, 2, SORT_NONE},
  };
  for (const auto& c : cases) EXPECT_EQ(CompareKindFor(c.bus, c.column), c.kind) << c.bus << "/" << c.column;
}

TEST(ListReorder, StartNeedsOneContiguousBlockThatIsNotEverything) {
  int first = -1, count = -1;
  EXPECT_FALSE(CanStartReorder({}, 10, first, count));
  EXPECT_FALSE(CanStartReorder({1, 3}, 10, first, count));
  EXPECT_FALSE(CanStartReorder({0, 1, 2}, 3, first, count));
  EXPECT_TRUE(CanStartReorder({3, 2}, 10, first, count));
  EXPECT_EQ(first, 2);
  EXPECT_EQ(count, 2);
}

TEST(ListReorder, TargetRule) {
  EXPECT_EQ(ReorderTargetRow(6, true, false, 10), 7);
  EXPECT_EQ(ReorderTargetRow(6, false, false, 10), 6);
  EXPECT_EQ(ReorderTargetRow(-1, false, true, 10), 10);
  EXPECT_EQ(ReorderTargetRow(-1, false, true, 1), -1);
  EXPECT_EQ(ReorderTargetRow(-1, false, false, 10), -1);
}

TEST(ListReorder, MovesBlocksUpAndDown) {
  auto make = [] {
    ListRows rows;
    for (int i = 0; i < 10; ++i) rows.push_back(Row({"r" + std::to_string(i)}));
    return rows;
  };
  // Rows 3 and 4 (indices 2, 3) dropped on the lower half of row 7 (index 6).
  ListRows rows = make();
  EXPECT_EQ(MoveRowBlock(rows, 2, 2, ReorderTargetRow(6, true, false, 10)), 5);
  EXPECT_EQ(Tags(rows), (std::vector<std::string>{"r0", "r1", "r4", "r5", "r6", "r2", "r3", "r7", "r8", "r9"}));
  // On rows 3, 4 or 5 (upper half): no move.
  for (int hit : {2, 3, 4}) {
    ListRows same = make();
    EXPECT_EQ(MoveRowBlock(same, 2, 2, ReorderTargetRow(hit, false, false, 10)), -1);
    EXPECT_EQ(Tags(same), Tags(make()));
  }
  // Up to the top, and to the end below the last row.
  rows = make();
  EXPECT_EQ(MoveRowBlock(rows, 5, 3, 0), 0);
  EXPECT_EQ(Tags(rows), (std::vector<std::string>{"r5", "r6", "r7", "r0", "r1", "r2", "r3", "r4", "r8", "r9"}));
  rows = make();
  EXPECT_EQ(MoveRowBlock(rows, 0, 2, ReorderTargetRow(-1, false, true, 10)), 8);
  EXPECT_EQ(Tags(rows), (std::vector<std::string>{"r2", "r3", "r4", "r5", "r6", "r7", "r8", "r9", "r0", "r1"}));
  EXPECT_EQ(MoveRowBlock(rows, 0, 2, 11), -1);
}

TEST(ListRowsNumbering, RenumberFromARow) {
  ListRows rows = CanRows({{"A", "1", "s"}, {"B", "1", "s"}, {"C", "1", "s"}});
  for (auto& r : rows) r.SetCell(COL_NUMBER, "x");
  RenumberRows(rows, 1);
  EXPECT_EQ(rows[0].Cell(COL_NUMBER), "x");
  EXPECT_EQ(rows[2].Cell(COL_NUMBER), "3");
  RenumberRows(rows, -5);
  EXPECT_EQ(rows[0].Cell(COL_NUMBER), "1");
}

TEST(SearchHistory, OrderDuplicatesAndOverflow) {
  CSearchHistory h;
  h.AddHistory("A");
  h.AddHistory("B");
  h.AddHistory("C");
  EXPECT_EQ(h.Entries()[0], "C");
  EXPECT_EQ(h.Entries()[2], "A");
  EXPECT_EQ(h.Entries()[3], "");
  h.AddHistory("B");
  EXPECT_EQ(h.KeywordsForSettings(), (std::vector<std::string>{"B", "C", "A"}));
  h.AddHistory("b");  // another case is another text
  EXPECT_EQ(h.KeywordsForSettings().size(), 4u);
  for (int i = 0; i < 20; ++i) h.AddHistory("k" + std::to_string(i));
  EXPECT_EQ(h.Entries()[0], "k19");
  EXPECT_EQ(h.Entries()[19], "k0");
  EXPECT_FALSE(h.MoveToFront("A"));
  // Stored and reloaded twice (two restarts), the order stays.
  CSearchHistory loaded;
  loaded.LoadKeywords({"x", "", "y"});
  EXPECT_EQ(loaded.KeywordsForSettings(), (std::vector<std::string>{"x", "y"}));
  CSearchHistory again;
  again.LoadKeywords(loaded.KeywordsForSettings());
  EXPECT_EQ(again.KeywordsForSettings(), (std::vector<std::string>{"x", "y"}));
}

TEST(SearchHistory, EmptyTextTakesTheFirstFreeEntry) {
  CSearchHistory h;
  h.AddHistory("A");
  EXPECT_TRUE(h.MoveToFront(""));
  EXPECT_EQ(h.Entries()[0], "");
  EXPECT_EQ(h.Entries()[1], "A");
}

class ListSearchTest : public ::testing::Test {
 protected:
  // Hits on rows 1 and 3 for "abc" (case ignored).
  ListRows rows = CanRows({{"M0", "1", "x"}, {"M1", "2", "ABC_SIG"}, {"M2", "3", "y"}, {"abcMsg", "4", "z"}});
  RecordingMessageSink sink;
  CListSearch search;
};

TEST_F(ListSearchTest, NoSelectionStartsAtRowOneAndLooksAtRowZeroLast) {
  ListRows r = CanRows({{"hit", "1", "x"}, {"M1", "2", "y"}});
  auto res = search.FindNext(r, BUS_CAN, {}, "HIT");
  EXPECT_EQ(res.outcome, SEARCH_FOUND);
  EXPECT_EQ(res.selectRow, 0);
}

TEST_F(ListSearchTest, ContinuesThenWrapsToTheStartRow) {
  auto r1 = search.FindNext(rows, BUS_CAN, {0}, "abc");
  ASSERT_EQ(r1.outcome, SEARCH_FOUND);
  EXPECT_EQ(r1.selectRow, 1);
  auto r2 = search.FindNext(rows, BUS_CAN, {1}, "abc");
  EXPECT_EQ(r2.selectRow, 3);
  auto r3 = search.FindNext(rows, BUS_CAN, {3}, "abc");
  EXPECT_EQ(r3.outcome, SEARCH_WRAPPED);
  EXPECT_EQ(r3.selectRow, 0);
  EXPECT_EQ(sink.Ids(), std::vector<int>{4013});
  EXPECT_EQ(search.LastText(), "");
  // Changing the text starts a new search from the selection.
  auto r4 = search.FindNext(rows, BUS_CAN, {3}, "M2");
  EXPECT_EQ(r4.selectRow, 2);
  EXPECT_EQ(search.StartRow(), 3);
}

TEST_F(ListSearchTest, AWrappedSearchBringsItsStartRowIntoViewBeforeTheMessage) {
  std::vector<std::pair<int, std::size_t>> shown;  // row, messages shown by then
  auto showRow = [&](int row) { shown.emplace_back(row, sink.shown.size()); };
  ASSERT_EQ(search.FindNext(rows, BUS_CAN, {2}, "abc", showRow).selectRow, 3);
  ASSERT_EQ(search.FindNext(rows, BUS_CAN, {3}, "abc", showRow).selectRow, 1);
  EXPECT_TRUE(shown.empty());  // a hit is scrolled to by the window
  auto r = search.FindNext(rows, BUS_CAN, {1}, "abc", showRow);
  EXPECT_EQ(r.outcome, SEARCH_WRAPPED);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0], (std::pair<int, std::size_t>{2, 0}));
  EXPECT_EQ(sink.Ids(), std::vector<int>{4013});
}

TEST_F(ListSearchTest, NotFoundNoDataAndSearchedColumns) {
  auto r = search.FindNext(rows, BUS_CAN, {}, "nothing");
  EXPECT_EQ(r.outcome, SEARCH_NOT_FOUND);
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].id, 4012);
  EXPECT_EQ(sink.shown[0].ArgText(0), "nothing");
  EXPECT_EQ(search.FindNext(rows, BUS_CAN, {}, "").outcome, SEARCH_NO_DATA);
  EXPECT_EQ(search.FindNext({}, BUS_CAN, {}, "a").outcome, SEARCH_NO_DATA);
  EXPECT_EQ(sink.Ids(), (std::vector<int>{4012, 4000, 4000}));
  // Every text pressed went into the history; the empty one sat at the front
  // as the first free entry and was overwritten by the next text.
  EXPECT_EQ(search.History().Entries()[0], "a");
  EXPECT_EQ(search.History().Entries()[1], "nothing");
  // The No. column is not searched for CAN; for LOGIC it is, Bit and pattern are not.
  EXPECT_EQ(search.FindNext(rows, BUS_CAN, {}, "4").selectRow, 3);  // the Id cell
  ListRows logic = {Row({"", "1", "SYM", "2", "8", "0101"})};
  EXPECT_TRUE(RowMatches(logic[0], BUS_LOGIC, "1"));
  EXPECT_TRUE(RowMatches(logic[0], BUS_LOGIC, "2"));
  EXPECT_FALSE(RowMatches(logic[0], BUS_LOGIC, "8"));
  EXPECT_FALSE(RowMatches(logic[0], BUS_LOGIC, "0101"));
}

TEST_F(ListSearchTest, DoubleByteTrailNeverStartsAHit) {
  // 0x83 0x41 is one character whose trail byte is "A".
  ListRows r = CanRows({{"\x83\x41", "1", "x"}});
  EXPECT_EQ(search.FindNext(r, BUS_CAN, {}, "A").outcome, SEARCH_NOT_FOUND);
}

TEST_F(ListSearchTest, ContinuedSearchOverChangedRowsEndsLikeANewOneWithoutHit) {
  ListRows many =
      CanRows({{"a", "1", "x"}, {"b", "1", "x"}, {"c", "1", "x"}, {"d", "1", "x"}, {"e", "1", "x"}, {"hit", "1", "x"}});
  ASSERT_EQ(search.FindNext(many, BUS_CAN, {4}, "hit").selectRow, 5);  // start row 4
  // Rows deleted: the start row no longer exists and nothing matches.
  ListRows fewer = CanRows({{"a", "1", "x"}, {"b", "1", "x"}});
  auto r = search.FindNext(fewer, BUS_CAN, {1}, "hit");
  EXPECT_EQ(r.outcome, SEARCH_NOT_FOUND);
  EXPECT_EQ(sink.Ids(), std::vector<int>{4012});
  EXPECT_EQ(search.LastText(), "");
}

TEST(SearchDialogLogic, ListChoiceAndScrolling) {
  auto both = PrepareSearchLists(3, 4, LIST_DEFINITION);
  EXPECT_EQ(both.list, LIST_DEFINITION);
  EXPECT_TRUE(both.referenceEnabled && both.definitionEnabled);
  auto defOnly = PrepareSearchLists(0, 4, LIST_REFERENCE);
  EXPECT_EQ(defOnly.list, LIST_DEFINITION);
  EXPECT_FALSE(defOnly.referenceEnabled);
  auto refOnly = PrepareSearchLists(2, 0, LIST_DEFINITION);
  EXPECT_EQ(refOnly.list, LIST_REFERENCE);
  EXPECT_FALSE(refOnly.definitionEnabled);
  // Page of rows 10..19 of 100, 16 px each.
  EXPECT_EQ(RowsToScrollForVisibility(15, 10, 10, 100) * 16, 0);
  EXPECT_EQ(RowsToScrollForVisibility(5, 10, 10, 100) * 16, -80);
  EXPECT_EQ(RowsToScrollForVisibility(30, 10, 10, 100) * 16, (5 - 20 + 30) * 16);
}
