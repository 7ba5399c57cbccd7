#include "ListRows.h"

#include "CNumber.h"

namespace {

const std::string kEmpty;

// The FlexRay set is a table of its own, with the same values as CAN and LIN.
const std::vector<ListColumnInfo> kCanLinColumns = {
    {0, 0, 0.0}, {3017, 1, 0.1}, {3010, 0, 0.4}, {3011, 1, 0.1}, {3012, 0, 0.4}};
const std::vector<ListColumnInfo> kFlexRayColumns = {
    {0, 0, 0.0}, {3017, 1, 0.1}, {3010, 0, 0.4}, {3011, 1, 0.1}, {3012, 0, 0.4}};
const std::vector<ListColumnInfo> kLogicColumns = {
    {0, 0, 0.0}, {3017, 1, 0.07}, {3015, 0, 0.35}, {3013, 1, 0.1}, {3014, 1, 0.08}, {3016, 0, 0.4}};

}  // namespace

const std::string& ListRow::Cell(int column) const {
  if (column < 0 || static_cast<std::size_t>(column) >= cells.size()) return kEmpty;
  return cells[static_cast<std::size_t>(column)];
}

void ListRow::SetCell(int column, const std::string& text) {
  if (column < 0) return;
  if (static_cast<std::size_t>(column) >= cells.size()) cells.resize(static_cast<std::size_t>(column) + 1);
  cells[static_cast<std::size_t>(column)] = text;
}

const std::vector<ListColumnInfo>& ListColumns(int busKind) {
  switch (busKind) {
    case BUS_LOGIC: return kLogicColumns;
    case BUS_FLEXRAY: return kFlexRayColumns;
    default: return kCanLinColumns;
  }
}

std::vector<int> ListColumnWidths(int busKind, int windowWidth) {
  const auto& columns = ListColumns(busKind);
  std::vector<int> widths(columns.size(), 0);
  int sum = 0;
  for (std::size_t i = 0; i + 1 < columns.size(); ++i) {
    widths[i] = static_cast<int>(windowWidth * columns[i].width);
    sum += widths[i];
  }
  if (!widths.empty()) widths.back() = windowWidth - 4 - sum;
  return widths;
}

std::string FormatMsgId(long long id, int msgIdFormat) {
  // The records hold identifiers as 32-bit fields; show them as the C runtime
  // would print that field.
  if (msgIdFormat == 1) return cnum::Format("%X", static_cast<unsigned>(id));
  return cnum::Format("%d", static_cast<int>(id));
}

void RenumberRows(ListRows& rows, int firstRow) {
  if (firstRow < 0) firstRow = 0;
  for (std::size_t i = static_cast<std::size_t>(firstRow); i < rows.size(); ++i)
    rows[i].SetCell(COL_NUMBER, cnum::Format("%d", static_cast<int>(i) + 1));
}
