#include "BitWindowGrid.h"

#include "FrameDlgModel.h"
#include "StaticEx.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>

#include "CodePageQt.h"

#include <algorithm>

namespace {
constexpr int kCellSize = 14;
// Grid columns: 8 cells, a gap, 8 cells, a gap, then the label column.
int ColumnOf(int position) { return position < 8 ? position : position + 1; }
}  // namespace

CBitWindowGrid::CBitWindowGrid(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("bitGrid"));
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setHorizontalSpacing(1);
  grid->setVerticalSpacing(2);
  grid->setColumnMinimumWidth(8, 8);
  grid->setColumnMinimumWidth(17, 6);
  for (int i = 0; i < kCells; ++i) {
    auto* cell = new CStaticEx(this);
    cell->setObjectName(QStringLiteral("cell%1").arg(2063 - i));
    cell->setFixedSize(kCellSize, kCellSize);
    QSizePolicy keep = cell->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    cell->setSizePolicy(keep);
    cells_[static_cast<std::size_t>(i)] = cell;
    // Control 2000 + k sits in row k / 16 from the top, column k % 16.
    int k = 63 - i;
    grid->addWidget(cell, 1 + k / 16, ColumnOf(k % 16));
  }
  // Every label is as wide as the widest text it can show (four digits, or
  // "Bit") and as tall as the tallest, nothing included: an empty label is
  // lower than one with text where the face's line height differs from its
  // glyphs', and the grid keeps its size while the window moves.
  const QFontMetrics metrics(font());
  const int labelWidth = std::max({28, metrics.horizontalAdvance(QStringLiteral("0000")) + 4,
                                   metrics.horizontalAdvance(QStringLiteral("Bit")) + 4});
  int labelHeight = 0;
  {
    QLabel probe(this);
    for (const QString& text : {QString(), QStringLiteral("0000"), QStringLiteral("Bit")}) {
      probe.setText(text);
      labelHeight = std::max(labelHeight, probe.sizeHint().height());
    }
  }
  for (int r = 0; r < kLabels; ++r) {
    auto* label = new QLabel(this);
    label->setObjectName(QStringLiteral("rowLabel%1").arg(1700 + r));
    label->setFixedSize(labelWidth, labelHeight);
    // Row numbers stand right-aligned in their column, clear of the cells.
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QSizePolicy keep = label->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    label->setSizePolicy(keep);
    labels_[static_cast<std::size_t>(r)] = label;
    grid->addWidget(label, 4 - r, 18);
  }
  grid->setColumnStretch(19, 1);
}

CStaticEx* CBitWindowGrid::Cell(int i) const {
  return i >= 0 && i < kCells ? cells_[static_cast<std::size_t>(i)] : nullptr;
}

QLabel* CBitWindowGrid::RowLabel(int r) const {
  return r >= 0 && r < kLabels ? labels_[static_cast<std::size_t>(r)] : nullptr;
}

void CBitWindowGrid::ShowModel(const CFrameDlgModelBase& model) {
  for (int i = 0; i < kCells; ++i) {
    const GridCellState& s = model.Cell(i);
    CStaticEx* cell = cells_[static_cast<std::size_t>(i)];
    cell->SetColorIndex(s.colour);
    cell->SetToolTip(cp932::ToQString(s.tip));
    cell->setVisible(s.visible);
  }
  for (int r = 0; r < kLabels; ++r) {
    const RowLabelState& s = model.Label(r);
    QLabel* label = labels_[static_cast<std::size_t>(r)];
    label->setText(QString::fromLatin1(s.text.c_str()));
    label->setVisible(s.visible);
  }
}

int CBitWindowGrid::CellAt(const QPoint& pos) const {
  for (int i = 0; i < kCells; ++i) {
    const CStaticEx* cell = cells_[static_cast<std::size_t>(i)];
    if (cell->isVisible() && cell->geometry().contains(pos)) return i;
  }
  return -1;
}

void CBitWindowGrid::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  pressed_ = true;
  int cell = CellAt(event->position().toPoint());
  if (cell >= 0) Q_EMIT cellPressed(cell);
}

void CBitWindowGrid::mouseMoveEvent(QMouseEvent* event) {
  if (!pressed_) return QWidget::mouseMoveEvent(event);
  int cell = CellAt(event->position().toPoint());
  if (cell >= 0) Q_EMIT cellDragged(cell);
}

void CBitWindowGrid::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
  pressed_ = false;
  Q_EMIT released();
}
