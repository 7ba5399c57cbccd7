#include "ListCtrlEx.h"

#include "ColorRef.h"
#include "logic/ListScroll.h"

#include <QApplication>
#include <QEvent>
#include <QFontInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <utility>

namespace {

bool IsRowMoveKey(int key) {
  switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
      return true;
    default:
      return false;
  }
}

}  // namespace

CListCtrlEx::CListCtrlEx(QWidget* parent) : QTableView(parent), model_(new CListModel(this)) {
  setModel(model_);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setShowGrid(false);
  setWordWrap(false);
  setTabKeyNavigation(false);
  setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  verticalHeader()->hide();
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setSectionsClickable(true);
  horizontalHeader()->setStretchLastSection(false);
  horizontalHeader()->setMinimumSectionSize(0);
  ApplyRowHeight();
}

// The stripe height: the font's pixel height taken as points at the screen's
// resolution. Rows are given the same height, so stripes and rows line up.
int CListCtrlEx::RowHeight() const {
  int h = QFontInfo(font()).pixelSize();
  if (h == 0) h = 10;
  if (h < 0) h = -h;
  const int dpi = logicalDpiY() > 0 ? logicalDpiY() : 96;
  return std::max(1, h * dpi / 72);
}

void CListCtrlEx::ApplyRowHeight() {
  verticalHeader()->setMinimumSectionSize(1);
  verticalHeader()->setDefaultSectionSize(RowHeight());
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
}

bool CListCtrlEx::viewportEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange) ApplyRowHeight();
  return QTableView::viewportEvent(event);
}

// --- columns -------------------------------------------------------------

void CListCtrlEx::SetColumns(std::vector<Column> columns) {
  model_->SetColumns(std::move(columns));
  QHeaderView* header = horizontalHeader();
  for (int c = 0; c < GetColumnCount(); ++c) {
    // The hidden first column keeps its width whatever the user does.
    header->setSectionResizeMode(c, c == 0 ? QHeaderView::Fixed : QHeaderView::Interactive);
    setColumnWidth(c, 0);
  }
}

QString CListCtrlEx::ColumnTitle(int col) const {
  return col >= 0 && col < GetColumnCount() ? model_->Columns()[static_cast<std::size_t>(col)].title : QString();
}

void CListCtrlEx::SetColumnWidth(int col, int width) {
  if (col < 0 || col >= GetColumnCount()) return;
  setColumnWidth(col, std::max(0, width));
}

int CListCtrlEx::GetColumnWidth(int col) const { return col >= 0 && col < GetColumnCount() ? columnWidth(col) : 0; }

int CListCtrlEx::GetColumnAlign(int col) const {
  return col >= 0 && col < GetColumnCount() ? model_->Columns()[static_cast<std::size_t>(col)].align : LISTALIGN_LEFT;
}

int CListCtrlEx::TotalColumnWidth() const {
  int width = 0;
  for (int c = 0; c < GetColumnCount(); ++c) width += columnWidth(c);
  return width;
}

// --- rows ----------------------------------------------------------------

void CListCtrlEx::SetCells(const IListCells* cells) { model_->SetCells(cells); }

QString CListCtrlEx::GetItemText(int row, int col) const { return CellToQString(model_->CellText(row, col)); }

QModelIndex CListCtrlEx::RowIndex(int row) const {
  // The focus sits on the first visible column, so that scrolling to it
  // never jumps to the hidden one.
  return model_->index(row, GetColumnCount() > 1 ? 1 : 0);
}

// --- selection -----------------------------------------------------------

bool CListCtrlEx::HasSelection() const { return selectionModel() && selectionModel()->hasSelection(); }

std::vector<int> CListCtrlEx::GetSelectedRows() const {
  std::vector<int> rows;
  if (!selectionModel()) return rows;
  // Whole rows are selected, so the ranges give the rows without looking at
  // every cell.
  for (const QItemSelectionRange& range : selectionModel()->selection())
    for (int r = range.top(); r <= range.bottom(); ++r) rows.push_back(r);
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  return rows;
}

int CListCtrlEx::GetSelectedCount() const { return static_cast<int>(GetSelectedRows().size()); }

bool CListCtrlEx::IsRowSelected(int row) const {
  return row >= 0 && row < GetItemCount() && GetColumnCount() > 0 && selectionModel() &&
         selectionModel()->isRowSelected(row, QModelIndex());
}

void CListCtrlEx::SetRowSelected(int row, bool selected) {
  if (row < 0 || row >= GetItemCount() || GetColumnCount() == 0) return;
  const QItemSelection sel(model_->index(row, 0), model_->index(row, GetColumnCount() - 1));
  selectionModel()->select(sel, selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
}

void CListCtrlEx::SelectRows(const std::vector<int>& rows) {
  if (GetColumnCount() == 0) return;
  std::vector<int> sorted;
  for (int r : rows)
    if (r >= 0 && r < GetItemCount()) sorted.push_back(r);
  std::sort(sorted.begin(), sorted.end());
  QItemSelection sel;
  for (std::size_t i = 0; i < sorted.size();) {
    std::size_t j = i;
    while (j + 1 < sorted.size() && sorted[j + 1] <= sorted[j] + 1) ++j;
    sel.select(model_->index(sorted[i], 0), model_->index(sorted[j], GetColumnCount() - 1));
    i = j + 1;
  }
  if (!sel.isEmpty()) selectionModel()->select(sel, QItemSelectionModel::Select);
}

void CListCtrlEx::SelectAllRows() {
  if (GetItemCount() == 0 || GetColumnCount() == 0) return;
  const QItemSelection sel(model_->index(0, 0), model_->index(GetItemCount() - 1, GetColumnCount() - 1));
  selectionModel()->select(sel, QItemSelectionModel::Select);
}

void CListCtrlEx::ClearRowSelection() { clearSelection(); }

int CListCtrlEx::GetFocusedRow() const { return currentIndex().isValid() ? currentIndex().row() : -1; }

void CListCtrlEx::SetFocusedRow(int row) {
  if (row < 0 || row >= GetItemCount() || GetColumnCount() == 0) {
    selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    return;
  }
  selectionModel()->setCurrentIndex(RowIndex(row), QItemSelectionModel::NoUpdate);
}

// --- geometry ------------------------------------------------------------

int CListCtrlEx::GetTopIndex() const {
  const int r = rowAt(0);
  return r < 0 ? 0 : r;
}

int CListCtrlEx::GetCountPerPage() const { return std::max(1, viewport()->height() / RowHeight()); }

QRect CListCtrlEx::GetItemRect(int row) const {
  if (row < 0 || row >= GetItemCount()) return QRect();
  return QRect(-horizontalOffset(), rowViewportPosition(row), TotalColumnWidth(), rowHeight(row));
}

void CListCtrlEx::ScrollRows(int rows) {
  // Rows added just now may not be in the scroll range yet.
  verticalHeader()->length();  // runs the header's pending layout
  updateGeometries();
  verticalScrollBar()->setValue(verticalScrollBar()->value() + rows);
}

void CListCtrlEx::EnsureRowVisible(int row) {
  if (row < 0 || row >= GetItemCount()) return;
  ScrollRows(RowsToScrollForVisibility(row, GetTopIndex(), GetCountPerPage(), GetItemCount()));
}

int CListCtrlEx::HitTestRow(const QPoint& pos, bool* nowhere) const {
  const int r = rowAt(pos.y());
  const bool inside = r >= 0 && pos.x() + horizontalOffset() < TotalColumnWidth() && pos.x() >= 0;
  if (nowhere) *nowhere = !inside;
  return inside ? r : -1;
}

// --- drop line -----------------------------------------------------------

int CListCtrlEx::DropLineY(int row) const {
  if (row >= GetItemCount()) {
    const QRect last = GetItemRect(GetItemCount() - 1);
    return last.bottom() + 1;
  }
  return GetItemRect(row).top();
}

void CListCtrlEx::InvalidateDropStrip(int row) {
  if (row < 0 || GetItemCount() == 0) return;
  const int y = DropLineY(row);
  const QRect item = GetItemRect(std::min(row, GetItemCount() - 1));
  viewport()->update(QRect(item.left(), y - 2, item.width(), 4));
}

void CListCtrlEx::SetDropLine(int row) {
  if (row < 0) row = -1;
  if (row == dropLine_) return;
  if (dropLine_ < 0 || row < 0) {
    dropLine_ = row;
    viewport()->update();
    return;
  }
  InvalidateDropStrip(dropLine_);
  dropLine_ = row;
  InvalidateDropStrip(dropLine_);
}

// --- painting ------------------------------------------------------------

QColor CListCtrlEx::RowBackground(int row) const {
  if (IsRowSelected(row))
    return dropLine_ >= 0 ? ColorFromRef(kDragSelection) : palette().color(QPalette::Active, QPalette::Highlight);
  const bool even = row % 2 == 0;
  if (disabledLook_) return ColorFromRef(even ? kDisabledStripe : kDisabledBase);
  return even ? ColorFromRef(kStripeColor) : palette().color(QPalette::Base);
}

QColor CListCtrlEx::RowText(int row) const {
  return IsRowSelected(row) ? palette().color(QPalette::Active, QPalette::HighlightedText)
                            : palette().color(QPalette::ButtonText);
}

void CListCtrlEx::paintEvent(QPaintEvent* event) {
  QPainter p(viewport());
  const QRect area = event->rect();
  if (area.isEmpty()) return;
  const int h = RowHeight();
  const int count = GetItemCount();

  // Whole control: base colour, then the stripes from the first visible row
  // downwards, also over the empty area below the last row.
  const QColor base = disabledLook_ ? ColorFromRef(kDisabledBase) : palette().color(QPalette::Base);
  const QColor stripe = disabledLook_ ? ColorFromRef(kDisabledStripe) : ColorFromRef(kStripeColor);
  p.fillRect(area, base);
  const int first = count > 0 ? GetTopIndex() : 0;
  const int firstTop = count > 0 ? rowViewportPosition(first) : 0;
  for (int i = 0;; ++i) {
    const int y = firstTop + i * h;
    if (y > area.bottom()) break;
    if ((first + i) % 2 == 0) p.fillRect(QRect(area.left(), y, area.width(), h).intersected(area), stripe);
  }

  // Items: only the rows on screen are read and converted.
  const QColor grid = palette().color(QPalette::Midlight);
  const int focused = GetFocusedRow();
  const QFontMetrics metrics = fontMetrics();
  for (int r = first; r < count; ++r) {
    const QRect rect = GetItemRect(r);
    if (rect.top() > area.bottom()) break;
    if (rect.bottom() < area.top()) continue;
    p.fillRect(rect, RowBackground(r));
    if (r == focused && hasFocus()) {
      QPen pen(palette().color(QPalette::WindowText), 1, Qt::DotLine);
      p.setPen(pen);
      p.setBrush(Qt::NoBrush);
      p.drawRect(rect.adjusted(0, 0, -1, -2));
    }
    p.setPen(RowText(r));
    int x = rect.left();
    for (int c = 0; c < GetColumnCount(); ++c) {
      if (x > rect.right()) break;
      const int w = columnWidth(c);
      QRect cell(x, rect.top(), w, rect.height());
      cell.setRight(std::min(cell.right(), rect.right()));
      x += w;
      if (w <= 0) continue;
      cell.adjust(4, 0, -6, 0);
      if (cell.width() <= 0) continue;
      const QString text = metrics.elidedText(GetItemText(r, c), Qt::ElideRight, cell.width());
      p.drawText(cell, static_cast<int>(ToQtAlign(GetColumnAlign(c))), text);
    }
  }

  // Grid lines over the rows and the empty area.
  p.setPen(grid);
  int x = -horizontalOffset();
  for (int c = 0; c < GetColumnCount(); ++c) {
    x += columnWidth(c);
    if (columnWidth(c) > 0) p.drawLine(x - 1, area.top(), x - 1, area.bottom());
  }
  for (int y = firstTop + h - 1; y <= area.bottom(); y += h) p.drawLine(area.left(), y, area.right(), y);

  // Insertion line while rows are dragged.
  if (dropLine_ >= 0 && count > 0) {
    const int y = DropLineY(dropLine_);
    const QRect item = GetItemRect(std::min(dropLine_, count - 1));
    p.setPen(QPen(palette().color(QPalette::Active, QPalette::Highlight), 3, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(item.left(), y - 1, item.right(), y - 1);
  }
}

// --- keyboard ------------------------------------------------------------

QModelIndex CListCtrlEx::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) {
  const int count = GetItemCount();
  if (count == 0 || GetColumnCount() == 0) return QModelIndex();
  const QModelIndex current = currentIndex();
  const int row = current.isValid() ? current.row() : -1;
  const int top = GetTopIndex();
  const int page = GetCountPerPage();
  int target = row;
  switch (cursorAction) {
    case MoveHome:
      target = 0;
      break;
    case MoveEnd:
      target = count - 1;
      break;
    case MovePageUp:
      // First to the top of the page, then a page further up.
      target = row > top ? top : row - (page - 1);
      break;
    case MovePageDown: {
      // First to the bottom of the page, then a page further down.
      const int bottom = std::min(top + page - 1, count - 1);
      target = row < bottom ? bottom : row + (page - 1);
      break;
    }
    case MoveLeft:
    case MoveRight:
      // A report list has no current column: the arrows scroll sideways.
      horizontalScrollBar()->triggerAction(cursorAction == MoveLeft ? QAbstractSlider::SliderSingleStepSub
                                                                    : QAbstractSlider::SliderSingleStepAdd);
      return current;
    default: {
      const QModelIndex next = QTableView::moveCursor(cursorAction, modifiers);
      return next.isValid() ? RowIndex(next.row()) : next;
    }
  }
  return RowIndex(std::clamp(target, 0, count - 1));
}

QItemSelectionModel::SelectionFlags CListCtrlEx::selectionCommand(const QModelIndex& index, const QEvent* event) const {
  if (event && event->type() == QEvent::KeyPress && selectionMode() == QAbstractItemView::ExtendedSelection) {
    const auto* key = static_cast<const QKeyEvent*>(event);
    if (IsRowMoveKey(key->key())) {
      // Shift: the rows from the anchor to the new focus, and no others.
      if (key->modifiers() & Qt::ShiftModifier)
        return QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Current | QItemSelectionModel::Rows;
      if (key->modifiers() & Qt::ControlModifier) return QItemSelectionModel::NoUpdate;
      return QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;
    }
  }
  return QTableView::selectionCommand(index, event);
}

// --- dragging rows -------------------------------------------------------

void CListCtrlEx::CancelDrag() {
  // The button may still be down: the rest of this press selects nothing.
  dragging_ = false;
  pressRow_ = -1;
  deferredPress_.reset();
}

void CListCtrlEx::mousePressEvent(QMouseEvent* event) {
  dragging_ = false;
  pressRow_ = -1;
  deferredPress_.reset();
  held_ = false;
  baseSawPress_ = false;
  if (event->button() == Qt::LeftButton && !(event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier))) {
    const int row = HitTestRow(event->position().toPoint());
    if (row >= 0) {
      held_ = true;
      pressRow_ = row;
      pressPos_ = event->position().toPoint();
      if (IsRowSelected(row)) {
        // A press on a selected row keeps the selection as it is, so that
        // the whole block can be dragged; a release without a drag clicks
        // as usual then.
        deferredPress_.reset(static_cast<QMouseEvent*>(event->clone()));
        SetFocusedRow(row);
        viewport()->update();
      } else {
        // An unselected row is selected alone at once and can be dragged
        // straight away.
        QTableView::mousePressEvent(event);
        baseSawPress_ = true;
      }
      return;
    }
  }
  QTableView::mousePressEvent(event);
}

void CListCtrlEx::mouseMoveEvent(QMouseEvent* event) {
  if (dragging_) {
    Q_EMIT dragMove(event->globalPosition().toPoint());
    return;
  }
  if (held_) {
    if (pressRow_ >= 0 && (event->buttons() & Qt::LeftButton) &&
        (event->position().toPoint() - pressPos_).manhattanLength() >= QApplication::startDragDistance()) {
      dragging_ = true;
      Q_EMIT beginDrag();  // the window may refuse it at once (CancelDrag)
    }
    return;
  }
  QTableView::mouseMoveEvent(event);
}

void CListCtrlEx::mouseReleaseEvent(QMouseEvent* event) {
  if (dragging_) {
    dragging_ = false;
    held_ = false;
    pressRow_ = -1;
    deferredPress_.reset();
    Q_EMIT dragRelease(event->globalPosition().toPoint());
    return;
  }
  if (held_) {
    held_ = false;
    const int row = pressRow_;
    pressRow_ = -1;
    const std::unique_ptr<QMouseEvent> press = std::move(deferredPress_);
    if (baseSawPress_) {
      QTableView::mouseReleaseEvent(event);
    } else if (press && row >= 0) {
      // A click without a drag on a selected row: the view's own click, so
      // that it selects the row alone and anchors a later shift-click there.
      QTableView::mousePressEvent(press.get());
      QTableView::mouseReleaseEvent(event);
      ClearRowSelection();
      SetRowSelected(row, true);
      SetFocusedRow(row);
    }
    baseSawPress_ = false;
    return;
  }
  QTableView::mouseReleaseEvent(event);
}

void CListCtrlEx::mouseDoubleClickEvent(QMouseEvent* event) {
  const int row = event->button() == Qt::LeftButton ? HitTestRow(event->position().toPoint()) : -1;
  if (row < 0) {
    QTableView::mouseDoubleClickEvent(event);
    return;
  }
  CancelDrag();
  held_ = false;
  baseSawPress_ = false;
  if (!IsRowSelected(row)) {
    ClearRowSelection();
    SetRowSelected(row, true);
  }
  SetFocusedRow(row);
  Q_EMIT rowDoubleClicked(row);
}

void CListCtrlEx::focusOutEvent(QFocusEvent* event) {
  // The mouse goes elsewhere with the focus (a message box, another window):
  // a drag in progress cannot end with a drop any more.
  if (dragging_) {
    CancelDrag();
    Q_EMIT dragCancelled();
  }
  QTableView::focusOutEvent(event);
}
