// The static control tables with which a definition dialog prepares its
// controls in one pass, and the dialog's place beside the list it was opened
// from. Every table ends with a row whose control identifier is 0.
#pragma once

// Text limit (characters; 0 sets none) of an edit or a combo box. The edit
// and combo tables of a dialog are also the lists of the controls that are
// made read-only in view mode and that report their commits.
struct tagCtrlLimit {
  unsigned id;
  int limit;
};

// Range of an integer control.
struct tagCtrlIntRange {
  unsigned id;
  int minimum;
  int maximum;
};

// Range and display format of a floating-point edit. The format is the text
// `format`, or, when that is null, string `formatStringId` of the string table.
struct tagCtrlDblRange {
  unsigned id;
  double minimum;
  double maximum;
  const char* format;
  int formatStringId = 0;
};

// Calls fn(row) for every row before the end row. A null table does nothing.
template <class Row, class Fn>
void ForEachCtrlRow(const Row* table, Fn&& fn) {
  if (!table) return;
  for (const Row* row = table; row->id != 0; ++row) fn(*row);
}

// Rows of a table before its end row.
template <class Row>
int CtrlRowCount(const Row* table) {
  int n = 0;
  ForEachCtrlRow(table, [&n](const Row&) { ++n; });
  return n;
}

// The top-left corner of a definition dialog on the screen: right of and
// below the top-left corner of the window it was opened beside (the partner
// list, or the dialog that opened it).
constexpr int kDlgPlaceRight = 20;
constexpr int kDlgPlaceDown = 67;
struct DlgScreenPoint {
  int x;
  int y;
};
constexpr DlgScreenPoint PlaceBesideAnchor(int anchorLeft, int anchorTop) {
  return DlgScreenPoint{anchorLeft + kDlgPlaceRight, anchorTop + kDlgPlaceDown};
}

// Combo box types as a dialog switches them at run time.
enum ComboType { COMBO_SIMPLE = 1, COMBO_DROPDOWN = 2, COMBO_DROPLIST = 3 };
