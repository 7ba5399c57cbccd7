// The rows that the two list windows show, as CP932 cell texts.
//
// A row carries no pointer to its records: every operation finds the records
// again from the texts of its cells (message name in column 2, signal name in
// column 4; for LOGIC the symbol name in column 2 and the group number in
// column 3), upper-cased and looked up in the document's tables.
#pragma once

#include "BusTypes.h"

#include <string>
#include <vector>

class CVestrelDoc;
struct _CANMsg;
struct _FlexRayMsg;
struct _LINMsg;
struct _LOGICGroup;
struct _LOGICSignal;

// Column indices. Column 0 is hidden and always empty.
enum ListColumn {
  COL_HIDDEN = 0,
  COL_NUMBER = 1,
  COL_MESSAGE = 2,  // CAN, FlexRay, LIN
  COL_ID = 3,
  COL_SIGNAL = 4,
  COL_SYMBOL = 2,  // LOGIC
  COL_GROUP = 3,
  COL_BITS = 4,
  COL_PATTERN = 5,
};

struct ListRow {
  std::vector<std::string> cells;  // CP932; 5 cells, 6 for LOGIC

  // The text of a cell; empty for a column the row does not have.
  const std::string& Cell(int column) const;
  void SetCell(int column, const std::string& text);
};
using ListRows = std::vector<ListRow>;

// One column of a column set.
struct ListColumnInfo {
  unsigned titleId;  // string-table identifier of the title, 0 for the hidden column
  unsigned align;    // 0 left, 1 right
  double width;      // fraction of the list control's window width
};

// The column set of a bus kind (LOGIC has six columns, the others five). An
// unknown kind gets the CAN set.
const std::vector<ListColumnInfo>& ListColumns(int busKind);

// Column widths for a list control of `windowWidth` pixels: every column but
// the last gets the cut-off fraction, the last what is left of width - 4.
std::vector<int> ListColumnWidths(int busKind, int windowWidth);
// One of those widths, worked out without needing memory.
int ListColumnWidth(int busKind, int windowWidth, int column);

// An identifier as the Id column shows it: "%X" when msgIdFormat is 1, "%d"
// otherwise.
std::string FormatMsgId(long long id, int msgIdFormat);

// One row at index rowIndex (its "No." is rowIndex + 1).
ListRow MakeCanRow(int rowIndex, const _CANMsg& msg, const char* signalName, int msgIdFormat);
ListRow MakeFlexRayRow(int rowIndex, const _FlexRayMsg& msg, const char* signalName, int msgIdFormat);
ListRow MakeLinRow(int rowIndex, const _LINMsg& msg, const char* signalName, int msgIdFormat);
ListRow MakeLogicRow(int rowIndex, const _LOGICGroup& group, const _LOGICSignal& symbol);

// Every row of one list of the document for one bus kind, in the order of the
// records' numbers (CAN and LIN signals by load number, FlexRay signals and
// LOGIC symbols by row place): numbers of 0 and more ascending, equal numbers
// in the order the tables deliver them, records without a number after all
// numbered ones. A message without signals and a group without symbols give
// no row.
ListRows BuildListRows(const CVestrelDoc& doc, ListKind list, BusKind bus, int msgIdFormat);

// Writes row + 1 into the "No." column of every row from firstRow on; a
// negative firstRow counts as 0.
void RenumberRows(ListRows& rows, int firstRow);

// The selected row indices that exist, ascending, each once: the windows may
// hand over a selection in click order or with stale rows.
std::vector<int> SortedSelection(const std::vector<int>& selection, std::size_t rowCount);
