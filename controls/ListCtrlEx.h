// The report-style list of both list windows: a view over rows kept
// elsewhere (IListCells, the list logic's rows), with no copy of its own. It
// paints every row itself: striped rows and empty area, a grey look for the
// read-only reference list, the selection, and the insertion line while rows
// are dragged. The first column is hidden (width 0) and cannot be resized by
// the user, so that the visible columns start at index 1.
//
// Whoever changes the rows tells the control afterwards exactly what changed
// (ResetRows, RowsInserted, RowsRemoved, RowsMoved, RowsChanged,
// ColumnChanged, RowsReordered); the selection and the focus live in the
// view's selection model and follow those changes.
#pragma once

#include "ListModel.h"

#include <QIcon>
#include <QMouseEvent>
#include <QTableView>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CListCtrlEx : public QTableView {
  Q_OBJECT

 public:
  // Colours of the custom drawing, 0x00BBGGRR.
  static constexpr std::uint32_t kStripeColor = 0xFFF0F0;
  static constexpr std::uint32_t kDisabledBase = 0xC8C8C8;
  static constexpr std::uint32_t kDisabledStripe = 0xC0C0C0;
  static constexpr std::uint32_t kDragSelection = 0xDC9090;

  using Column = CListModel::Column;

  explicit CListCtrlEx(QWidget* parent = nullptr);

  // Grey colours (the reference list); takes effect at the next paint.
  void SetDisabledLook(bool on) { disabledLook_ = on; }
  bool DisabledLook() const { return disabledLook_; }

  // Insertion line above `row`, below the last row when row >= count, none
  // for a negative row.
  void SetDropLine(int row);
  int DropLine() const { return dropLine_; }

  // Columns: a new set empties the selection; widths start at 0.
  void SetColumns(std::vector<Column> columns);
  int GetColumnCount() const { return model_->columnCount(); }
  QString ColumnTitle(int col) const;
  void SetColumnWidth(int col, int width);
  int GetColumnWidth(int col) const;
  int GetColumnAlign(int col) const;
  // Header image of a column (null icon: none); the text stays.
  void SetHeaderIcon(int col, const QIcon& icon) { model_->SetHeaderIcon(col, icon); }
  QIcon HeaderIcon(int col) const { return model_->HeaderIcon(col); }

  // The rows shown (null: none); they are read, never copied.
  void SetCells(const IListCells* cells);
  const IListCells* Cells() const { return model_->Cells(); }
  int GetItemCount() const { return model_->rowCount(); }
  // A cell as the user sees it, and as it is kept (CP932).
  QString GetItemText(int row, int col) const;
  const std::string& GetItemTextA(int row, int col) const { return model_->CellText(row, col); }

  // What changed in the rows since the last notice (see CListModel).
  void ResetRows() { model_->ResetRows(); }
  void RowsInserted(int first, int last) { model_->RowsInserted(first, last); }
  void RowsRemoved(int first, int last) { model_->RowsRemoved(first, last); }
  bool RowsMoved(int first, int count, int target) { return model_->RowsMoved(first, count, target); }
  void RowsChanged(int first, int last) { model_->RowsChanged(first, last); }
  void ColumnChanged(int column) { model_->ColumnChanged(column); }
  void RowsReordered(const std::vector<int>& order) { model_->RowsReordered(order); }

  // Selection and focus.
  bool HasSelection() const;
  int GetSelectedCount() const;
  std::vector<int> GetSelectedRows() const;  // ascending
  bool IsRowSelected(int row) const;
  void SetRowSelected(int row, bool selected);
  // Adds these rows to the selection in one step (one change notification).
  void SelectRows(const std::vector<int>& rows);
  void SelectAllRows();
  void ClearRowSelection();
  int GetFocusedRow() const;
  void SetFocusedRow(int row);

  // Geometry and scrolling (viewport coordinates).
  int RowHeight() const;
  int GetTopIndex() const;
  int GetCountPerPage() const;
  QRect GetItemRect(int row) const;  // across every column
  void ScrollRows(int rows);
  // The scrolling rule of the lists: a row below the page comes to about the
  // middle, a row at or above the top row becomes the top row.
  void EnsureRowVisible(int row);
  // Row under a viewport point, -1 when none; `nowhere` tells whether the
  // point lies over no row at all (as below the last row).
  int HitTestRow(const QPoint& pos, bool* nowhere = nullptr) const;

  // Colours of one row as the custom drawing chooses them.
  QColor RowBackground(int row) const;
  QColor RowText(int row) const;

  // Dragging rows: a press on a row (an unselected row is selected alone
  // first) and a move past the drag distance starts a drag (beginDrag);
  // while it lasts the mouse is reported in screen coordinates (dragMove,
  // dragRelease) instead of changing the selection. CancelDrag ends it
  // without a release; losing the keyboard focus ends it the same way
  // (dragCancelled). What a drag means is the window's business.
  bool IsDragging() const { return dragging_; }
  void CancelDrag();

 Q_SIGNALS:
  void beginDrag();
  void dragMove(const QPoint& globalPos);
  void dragRelease(const QPoint& globalPos);
  // A drag ended without a release (focus or window lost).
  void dragCancelled();
  // A double click with the left button on a row.
  void rowDoubleClicked(int row);

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool viewportEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  // Home, End, PgUp and PgDn move between rows; Left and Right scroll.
  QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
  // Typed letters look for a row by the text of the first column, which is
  // the hidden, empty one: they find nothing and change nothing.
  void keyboardSearch(const QString& /*search*/) override {}
  // Shift extends the selection from its anchor (also with Ctrl); Ctrl alone
  // moves the focus only.
  QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                       const QEvent* event = nullptr) const override;

 private:
  void ApplyRowHeight();
  void InvalidateDropStrip(int row);
  int DropLineY(int row) const;
  int TotalColumnWidth() const;
  QModelIndex RowIndex(int row) const;

  CListModel* model_;  // owned as a child
  bool disabledLook_ = false;
  int dropLine_ = -1;
  bool dragging_ = false;
  int pressRow_ = -1;
  QPoint pressPos_;
  std::unique_ptr<QMouseEvent> deferredPress_;  // a press on a selected row, kept for a click
  bool held_ = false;                           // our press: moves do not select until the release
  bool baseSawPress_ = false;                   // the view's own press handling ran
};
