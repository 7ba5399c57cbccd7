#include "ListCtrlEx.h"

#include "CodePage.h"
#include "ColorRef.h"
#include "ListScroll.h"

#include <QApplication>
#include <QEvent>
#include <QFontInfo>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <numeric>

namespace {

constexpr int kDataRole = Qt::UserRole;
constexpr int kBytesRole = Qt::UserRole + 1;

Qt::Alignment ToQtAlign(int align) {
  switch (align) {
    case LISTALIGN_RIGHT: return Qt::AlignRight | Qt::AlignVCenter;
    case LISTALIGN_CENTER: return Qt::AlignHCenter | Qt::AlignVCenter;
    default: return Qt::AlignLeft | Qt::AlignVCenter;
  }
}

}  // namespace

CListCtrlEx::CListCtrlEx(QWidget* parent) : QTableWidget(parent) {
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
  return QTableWidget::viewportEvent(event);
}

// --- columns -------------------------------------------------------------

int CListCtrlEx::InsertColumn(int col, const QString& title, int align, int width) {
  col = std::clamp(col, 0, columnCount());
  insertColumn(col);
  auto* header = new QTableWidgetItem(title);
  header->setTextAlignment(ToQtAlign(align));
  header->setData(kDataRole, align);
  setHorizontalHeaderItem(col, header);
  for (int r = 0; r < rowCount(); ++r) CellItem(r, col);
  // The hidden first column keeps its width whatever the user does.
  horizontalHeader()->setSectionResizeMode(col, col == 0 ? QHeaderView::Fixed : QHeaderView::Interactive);
  if (col == 0 && columnCount() > 1) horizontalHeader()->setSectionResizeMode(1, QHeaderView::Interactive);
  setColumnWidth(col, std::max(0, width));
  return col;
}

bool CListCtrlEx::DeleteColumn(int col) {
  if (col < 0 || col >= columnCount()) return false;
  removeColumn(col);
  if (columnCount() > 0) horizontalHeader()->setSectionResizeMode(0, QHeaderView::Fixed);
  return true;
}

void CListCtrlEx::SetColumnWidth(int col, int width) {
  if (col < 0 || col >= columnCount()) return;
  setColumnWidth(col, std::max(0, width));
}

int CListCtrlEx::GetColumnWidth(int col) const { return col >= 0 && col < columnCount() ? columnWidth(col) : 0; }

int CListCtrlEx::GetColumnAlign(int col) const {
  const QTableWidgetItem* h = col >= 0 && col < columnCount() ? horizontalHeaderItem(col) : nullptr;
  return h ? h->data(kDataRole).toInt() : LISTALIGN_LEFT;
}

void CListCtrlEx::SetHeaderIcon(int col, const QIcon& icon) {
  if (QTableWidgetItem* h = col >= 0 && col < columnCount() ? horizontalHeaderItem(col) : nullptr) h->setIcon(icon);
}

QIcon CListCtrlEx::HeaderIcon(int col) const {
  const QTableWidgetItem* h = col >= 0 && col < columnCount() ? horizontalHeaderItem(col) : nullptr;
  return h ? h->icon() : QIcon();
}

// --- rows ----------------------------------------------------------------

QTableWidgetItem* CListCtrlEx::CellItem(int row, int col) {
  QTableWidgetItem* it = item(row, col);
  if (!it) {
    it = new QTableWidgetItem;
    it->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    setItem(row, col, it);
  }
  return it;
}

int CListCtrlEx::InsertItem(int row) {
  row = std::clamp(row, 0, rowCount());
  insertRow(row);
  for (int c = 0; c < columnCount(); ++c) CellItem(row, c);
  return row;
}

bool CListCtrlEx::DeleteItem(int row) {
  if (row < 0 || row >= rowCount()) return false;
  removeRow(row);
  return true;
}

void CListCtrlEx::DeleteAllItems() {
  clearSelection();
  setRowCount(0);
}

void CListCtrlEx::SetItemText(int row, int col, const QString& text) {
  if (row < 0 || row >= rowCount() || col < 0 || col >= columnCount()) return;
  QTableWidgetItem* it = CellItem(row, col);
  it->setData(kBytesRole, QVariant());
  it->setText(text);
}

QString CListCtrlEx::GetItemText(int row, int col) const {
  const QTableWidgetItem* it = row >= 0 && row < rowCount() && col >= 0 && col < columnCount() ? item(row, col) : nullptr;
  return it ? it->text() : QString();
}

void CListCtrlEx::SetItemTextA(int row, int col, const std::string& cp932) {
  if (row < 0 || row >= rowCount() || col < 0 || col >= columnCount()) return;
  QTableWidgetItem* it = CellItem(row, col);
  it->setText(QString::fromStdString(cp932::ToUtf8(cp932)));
  it->setData(kBytesRole, QByteArray::fromStdString(cp932));
}

std::string CListCtrlEx::GetItemTextA(int row, int col) const {
  const QTableWidgetItem* it = row >= 0 && row < rowCount() && col >= 0 && col < columnCount() ? item(row, col) : nullptr;
  if (!it) return std::string();
  const QVariant bytes = it->data(kBytesRole);
  if (bytes.isValid()) return bytes.toByteArray().toStdString();
  std::string out;
  if (!cp932::FromUtf8(it->text().toStdString(), out)) out.clear();
  return out;
}

void CListCtrlEx::SetItemData(int row, std::intptr_t data) {
  if (row < 0 || row >= rowCount() || columnCount() == 0) return;
  CellItem(row, 0)->setData(kDataRole, QVariant::fromValue<qlonglong>(data));
}

std::intptr_t CListCtrlEx::GetItemData(int row) const {
  const QTableWidgetItem* it = row >= 0 && row < rowCount() && columnCount() > 0 ? item(row, 0) : nullptr;
  return it ? static_cast<std::intptr_t>(it->data(kDataRole).toLongLong()) : 0;
}

// --- selection -----------------------------------------------------------

std::vector<int> CListCtrlEx::GetSelectedRows() const {
  std::vector<int> rows;
  if (!selectionModel()) return rows;
  for (const QModelIndex& i : selectionModel()->selectedRows()) rows.push_back(i.row());
  std::sort(rows.begin(), rows.end());
  return rows;
}

int CListCtrlEx::GetSelectedCount() const { return static_cast<int>(GetSelectedRows().size()); }

int CListCtrlEx::GetNextSelected(int after) const {
  for (int r : GetSelectedRows())
    if (r > after) return r;
  return -1;
}

bool CListCtrlEx::IsRowSelected(int row) const {
  return row >= 0 && row < rowCount() && columnCount() > 0 && selectionModel() &&
         selectionModel()->isRowSelected(row, QModelIndex());
}

void CListCtrlEx::SetRowSelected(int row, bool selected) {
  if (row < 0 || row >= rowCount() || columnCount() == 0) return;
  const QItemSelection sel(model()->index(row, 0), model()->index(row, columnCount() - 1));
  selectionModel()->select(sel, selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
}

void CListCtrlEx::SelectRows(const std::vector<int>& rows) {
  if (columnCount() == 0) return;
  std::vector<int> sorted;
  for (int r : rows)
    if (r >= 0 && r < rowCount()) sorted.push_back(r);
  std::sort(sorted.begin(), sorted.end());
  QItemSelection sel;
  for (std::size_t i = 0; i < sorted.size();) {
    std::size_t j = i;
    while (j + 1 < sorted.size() && sorted[j + 1] <= sorted[j] + 1) ++j;
    sel.select(model()->index(sorted[i], 0), model()->index(sorted[j], columnCount() - 1));
    i = j + 1;
  }
  if (!sel.isEmpty()) selectionModel()->select(sel, QItemSelectionModel::Select);
}

void CListCtrlEx::SelectAllRows() {
  if (rowCount() == 0 || columnCount() == 0) return;
  const QItemSelection sel(model()->index(0, 0), model()->index(rowCount() - 1, columnCount() - 1));
  selectionModel()->select(sel, QItemSelectionModel::Select);
}

void CListCtrlEx::ClearRowSelection() { clearSelection(); }

int CListCtrlEx::GetFocusedRow() const { return currentIndex().isValid() ? currentIndex().row() : -1; }

void CListCtrlEx::SetFocusedRow(int row) {
  if (row < 0 || row >= rowCount() || columnCount() == 0) {
    selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    return;
  }
  selectionModel()->setCurrentIndex(model()->index(row, 1 < columnCount() ? 1 : 0), QItemSelectionModel::NoUpdate);
}

// --- geometry ------------------------------------------------------------

int CListCtrlEx::GetTopIndex() const {
  const int r = rowAt(0);
  return r < 0 ? 0 : r;
}

int CListCtrlEx::GetCountPerPage() const { return std::max(1, viewport()->height() / RowHeight()); }

QRect CListCtrlEx::GetItemRect(int row) const {
  if (row < 0 || row >= rowCount()) return QRect();
  int width = 0;
  for (int c = 0; c < columnCount(); ++c) width += columnWidth(c);
  return QRect(-horizontalOffset(), rowViewportPosition(row), width, rowHeight(row));
}

void CListCtrlEx::ScrollRows(int rows) {
  // Rows added just now may not be in the scroll range yet.
  verticalHeader()->length();  // runs the header's pending layout
  updateGeometries();
  verticalScrollBar()->setValue(verticalScrollBar()->value() + rows);
}

void CListCtrlEx::EnsureRowVisible(int row) {
  if (row < 0 || row >= rowCount()) return;
  ScrollRows(RowsToScrollForVisibility(row, GetTopIndex(), GetCountPerPage(), rowCount()));
}

int CListCtrlEx::HitTestRow(const QPoint& pos, bool* nowhere) const {
  const int r = rowAt(pos.y());
  int width = 0;
  for (int c = 0; c < columnCount(); ++c) width += columnWidth(c);
  const bool inside = r >= 0 && pos.x() + horizontalOffset() < width && pos.x() >= 0;
  if (nowhere) *nowhere = !inside;
  return inside ? r : -1;
}

// --- sorting -------------------------------------------------------------

void CListCtrlEx::SortItems(CompareFunc compare, std::intptr_t context) {
  const int rows = rowCount();
  const int cols = columnCount();
  if (!compare || rows < 2 || cols == 0) return;
  struct Row {
    std::vector<QTableWidgetItem*> cells;
    bool selected;
  };
  std::vector<Row> taken(rows);
  const int focused = GetFocusedRow();
  for (int r = 0; r < rows; ++r) {
    taken[r].selected = IsRowSelected(r);
    for (int c = 0; c < cols; ++c) {
      CellItem(r, c);
      taken[r].cells.push_back(takeItem(r, c));
    }
  }
  std::vector<int> order(rows);
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    return compare(static_cast<std::intptr_t>(taken[a].cells[0]->data(kDataRole).toLongLong()),
                   static_cast<std::intptr_t>(taken[b].cells[0]->data(kDataRole).toLongLong()), context) < 0;
  });
  clearSelection();
  int newFocus = -1;
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < cols; ++c) setItem(r, c, taken[order[r]].cells[c]);
    if (order[r] == focused) newFocus = r;
  }
  for (int r = 0; r < rows; ++r)
    if (taken[order[r]].selected) SetRowSelected(r, true);
  if (newFocus >= 0) SetFocusedRow(newFocus);
  viewport()->update();
}

// --- drop line -----------------------------------------------------------

int CListCtrlEx::DropLineY(int row) const {
  if (row >= rowCount()) {
    const QRect last = GetItemRect(rowCount() - 1);
    return last.bottom() + 1;
  }
  return GetItemRect(row).top();
}

void CListCtrlEx::InvalidateDropStrip(int row) {
  if (row < 0 || rowCount() == 0) return;
  const int y = DropLineY(row);
  const QRect item = GetItemRect(std::min(row, rowCount() - 1));
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
  const int count = rowCount();

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

  // Items.
  const QColor grid = palette().color(QPalette::Midlight);
  const int focused = GetFocusedRow();
  for (int r = first; r < count; ++r) {
    const QRect rect = GetItemRect(r);
    if (rect.top() > area.bottom()) break;
    p.fillRect(rect, RowBackground(r));
    if (r == focused && hasFocus()) {
      QPen pen(palette().color(QPalette::WindowText), 1, Qt::DotLine);
      p.setPen(pen);
      p.setBrush(Qt::NoBrush);
      p.drawRect(rect.adjusted(0, 0, -1, -2));
    }
    p.setPen(RowText(r));
    int x = rect.left();
    for (int c = 0; c < columnCount(); ++c) {
      if (x > rect.right()) break;
      const int w = columnWidth(c);
      QRect cell(x, rect.top(), w, rect.height());
      cell.setRight(std::min(cell.right(), rect.right()));
      x += w;
      if (w <= 0) continue;
      cell.adjust(4, 0, -6, 0);
      if (cell.width() <= 0) continue;
      const QString text = fontMetrics().elidedText(GetItemText(r, c), Qt::ElideRight, cell.width());
      p.drawText(cell, static_cast<int>(ToQtAlign(GetColumnAlign(c))), text);
    }
  }

  // Grid lines over the rows and the empty area.
  p.setPen(grid);
  int x = -horizontalOffset();
  for (int c = 0; c < columnCount(); ++c) {
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

// --- dragging rows -------------------------------------------------------

void CListCtrlEx::mousePressEvent(QMouseEvent* event) {
  dragging_ = false;
  pressRow_ = -1;
  deferredPress_.reset();
  if (event->button() == Qt::LeftButton) {
    const int row = HitTestRow(event->position().toPoint());
    // Pressing on a row that is already selected may start a drag; the
    // selection then stays as it is until the button is released.
    if (row >= 0 && IsRowSelected(row) && !(event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier))) {
      pressRow_ = row;
      pressPos_ = event->position().toPoint();
      // Kept for a release without a drag, which then clicks as usual.
      deferredPress_.reset(static_cast<QMouseEvent*>(event->clone()));
      // Focus only: the view's own current-index change would select this
      // row alone and break up the block about to be dragged.
      SetFocusedRow(row);
      viewport()->update();
      return;
    }
  }
  QTableWidget::mousePressEvent(event);
}

void CListCtrlEx::mouseMoveEvent(QMouseEvent* event) {
  if (dragging_) {
    Q_EMIT dragMove(event->globalPosition().toPoint());
    return;
  }
  if (pressRow_ >= 0 && (event->buttons() & Qt::LeftButton)) {
    if ((event->position().toPoint() - pressPos_).manhattanLength() >= QApplication::startDragDistance()) {
      dragging_ = true;
      Q_EMIT beginDrag();
    }
    return;
  }
  QTableWidget::mouseMoveEvent(event);
}

void CListCtrlEx::mouseReleaseEvent(QMouseEvent* event) {
  if (dragging_) {
    dragging_ = false;
    pressRow_ = -1;
    deferredPress_.reset();
    Q_EMIT dragRelease(event->globalPosition().toPoint());
    return;
  }
  if (pressRow_ >= 0) {
    // A click without a drag on a selected row: the view's own click, so
    // that it selects the row alone and anchors a later shift-click there.
    const int row = pressRow_;
    pressRow_ = -1;
    const std::unique_ptr<QMouseEvent> press = std::move(deferredPress_);
    if (press) {
      QTableWidget::mousePressEvent(press.get());
      QTableWidget::mouseReleaseEvent(event);
    }
    ClearRowSelection();
    SetRowSelected(row, true);
    SetFocusedRow(row);
    return;
  }
  QTableWidget::mouseReleaseEvent(event);
}

void CListCtrlEx::mouseDoubleClickEvent(QMouseEvent* event) {
  const int row = event->button() == Qt::LeftButton ? HitTestRow(event->position().toPoint()) : -1;
  if (row < 0) {
    QTableWidget::mouseDoubleClickEvent(event);
    return;
  }
  pressRow_ = -1;
  deferredPress_.reset();
  dragging_ = false;
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
  QTableWidget::focusOutEvent(event);
}
