// The report-style list of both list windows. It paints every row itself:
// striped rows and empty area, a grey look for the read-only reference list,
// the selection, and the insertion line while rows are dragged. The first
// column is hidden (width 0) and cannot be resized by the user, so that the
// visible columns start at index 1.
#pragma once

#include <QIcon>
#include <QTableWidget>

#include <QMouseEvent>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

enum ListAlign { LISTALIGN_LEFT = 0, LISTALIGN_RIGHT = 1, LISTALIGN_CENTER = 2 };

class CListCtrlEx : public QTableWidget {
  Q_OBJECT

 public:
  // Colours of the custom drawing, 0x00BBGGRR.
  static constexpr std::uint32_t kStripeColor = 0xFFF0F0;
  static constexpr std::uint32_t kDisabledBase = 0xC8C8C8;
  static constexpr std::uint32_t kDisabledStripe = 0xC0C0C0;
  static constexpr std::uint32_t kDragSelection = 0xDC9090;

  explicit CListCtrlEx(QWidget* parent = nullptr);

  // Grey colours (the reference list); takes effect at the next paint.
  void SetDisabledLook(bool on) { disabledLook_ = on; }
  bool DisabledLook() const { return disabledLook_; }

  // Insertion line above `row`, below the last row when row >= count, none
  // for a negative row.
  void SetDropLine(int row);
  int DropLine() const { return dropLine_; }

  // Columns.
  int InsertColumn(int col, const QString& title, int align, int width);
  bool DeleteColumn(int col);
  int GetColumnCount() const { return columnCount(); }
  void SetColumnWidth(int col, int width);
  int GetColumnWidth(int col) const;
  int GetColumnAlign(int col) const;
  // Header image of a column (null icon: none); the text stays.
  void SetHeaderIcon(int col, const QIcon& icon);
  QIcon HeaderIcon(int col) const;

  // Rows. Texts are Unicode; the ...A forms take and give CP932 bytes and keep
  // the bytes of a cell exactly as they were put in.
  int GetItemCount() const { return rowCount(); }
  int InsertItem(int row);
  bool DeleteItem(int row);
  void DeleteAllItems();
  void SetItemText(int row, int col, const QString& text);
  QString GetItemText(int row, int col) const;
  void SetItemTextA(int row, int col, const std::string& cp932);
  std::string GetItemTextA(int row, int col) const;
  void SetItemData(int row, std::intptr_t data);
  std::intptr_t GetItemData(int row) const;

  // Selection and focus.
  int GetSelectedCount() const;
  std::vector<int> GetSelectedRows() const;  // ascending
  int GetNextSelected(int after) const;      // first selected row > after, -1 none
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

  // Stable sort of the rows by their item data.
  using CompareFunc = int (*)(std::intptr_t a, std::intptr_t b, std::intptr_t context);
  void SortItems(CompareFunc compare, std::intptr_t context);

  // Colours of one row as the custom drawing chooses them.
  QColor RowBackground(int row) const;
  QColor RowText(int row) const;

  // Dragging selected rows: pressing on a selected row and moving the mouse
  // past the drag distance starts a drag (beginDrag); while it lasts the
  // mouse is reported in screen coordinates (dragMove, dragRelease) instead
  // of changing the selection. CancelDrag ends it without a release; losing
  // the keyboard focus or the window ends it the same way (dragCancelled).
  bool IsDragging() const { return dragging_; }
  void CancelDrag() {
    dragging_ = false;
    pressRow_ = -1;
    deferredPress_.reset();
  }

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

 private:
  void ApplyRowHeight();
  QTableWidgetItem* CellItem(int row, int col);
  void InvalidateDropStrip(int row);
  int DropLineY(int row) const;

  bool disabledLook_ = false;
  int dropLine_ = -1;
  bool dragging_ = false;
  int pressRow_ = -1;
  QPoint pressPos_;
  std::unique_ptr<QMouseEvent> deferredPress_;
};
