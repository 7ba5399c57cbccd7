// Ordering the rows of a list: sorting by a clicked column, and moving a block
// of selected rows to another place. Only the order of the rows changes,
// never the document's tables.
#pragma once

#include "ListRows.h"

#include <cstdint>
#include <vector>

enum SortCompareKind { SORT_NONE = 0, SORT_TEXT = 1, SORT_NUMBER = 2 };

// The sort record of a list window.
struct tagListSortInfo {
  std::uint8_t ascending = 1;
  int busKind = BUS_CAN;
  SortCompareKind compareKind = SORT_NONE;
  int column = -1;  // -1: no sort column
  // Identifier texts are hexadecimal (MsgIdFormat 1): the Id column then
  // orders by hexadecimal value.
  bool hexIds = false;
};

// How a column compares for a bus kind.
SortCompareKind CompareKindFor(int busKind, int column);

// The multi-byte comparison of two CP932 texts: character by character, a
// double-byte character counting as lead * 256 + trail; letter case matters.
int CompareMultiByte(const std::string& a, const std::string& b);

// The comparison of two rows by the record's column and direction (sets the
// record's compare kind): negative, 0 or positive.
int CompareItems(const ListRow& a, const ListRow& b, tagListSortInfo& info);

// A click on a column header: columns 0 and 1, and any click while the bus
// kind is none of the four, do nothing (false). Otherwise the record's column
// and direction are set (a second click on the sort column reverses it) and
// the rows are sorted stably. The caller then renumbers as its list does.
// When `order` is given it receives, for every new position, the row's
// position before the sort (a window moves its selection with it).
bool SortRowsByColumn(ListRows& rows, tagListSortInfo& info, int column, int busKind, int msgIdFormat,
                      std::vector<int>* order = nullptr);

// A reorder drag starts only on one contiguous block of selected rows that
// is not the whole list. The selection is any set of row indices.
bool CanStartReorder(const std::vector<int>& selection, int rowCount, int& first, int& count);

// The target row of a point during a reorder drag: on a row, that row, or the
// next one when the point is in its lower half; over no item of the list
// (below the last row), the row count when the list has 2 rows or more; -1
// for none.
int ReorderTargetRow(int hitRow, bool lowerHalf, bool overNowhere, int rowCount);

// Moves the block [first, first + count) so that it lands before `target`.
// A target from first to first + count (inclusive) or -1 moves nothing and
// answers -1; otherwise the answer is the block's new first row.
int MoveRowBlock(ListRows& rows, int first, int count, int target);
