// The scrolling rule that brings a row into view: a row below the visible
// page comes to about the middle of the page, a row at or above the top row
// becomes the top row, a row already inside the page stays where it is.
// Toolkit-free so that the rule can be checked on its own.
#pragma once

#include <algorithm>

// Rows to scroll (positive = down) to show `row`, given the top visible row,
// the number of rows per page and the row count.
inline int RowsToScrollForVisibility(int row, int topRow, int perPage, int rowCount) {
  const int last = std::min(topRow + perPage, rowCount);
  if (row >= last) return (last - topRow) / 2 - last + row;
  if (row <= topRow) return row - topRow;
  return 0;
}
