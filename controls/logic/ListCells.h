// What a list control shows: the cell texts of its rows, in CP932, read where
// they are kept (the list logic's rows) instead of being copied into the
// control. Toolkit-free, so that the logic can offer its rows without knowing
// the control.
#pragma once

#include <string>

class IListCells {
 public:
  virtual ~IListCells() = default;
  virtual int RowCount() const = 0;
  // The text of a cell; empty for a row or a column that does not exist.
  virtual const std::string& CellText(int row, int column) const = 0;
};
