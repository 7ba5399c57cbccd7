#include "BitAssignView.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>

#include "ColorRef.h"
#include "StaticEx.h"

#include <algorithm>

class BitGridCanvas : public QWidget {
 public:
  BitGridCanvas(BitAssignView* view) : QWidget(view), view_(view) { setMouseTracking(false); }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    const BitGridModel& m = view_->model_;
    const BitGridGeometry& g = view_->geo_;
    if (!view_->pageForm_ && m.PageBitCount() > 0) {
      p.drawText(QRect(g.LabelX(), 0, 40, g.originY), Qt::AlignHCenter | Qt::AlignVCenter, QStringLiteral("Bit"));
    }
    p.setPen(QPen(Qt::black, 1));
    for (int cell = 0; cell < BITGRID_CELLS; ++cell) {
      const BitGridModel::Cell& c = m.CellAt(cell);
      if (!c.shown) continue;
      p.setBrush(ColorFromRef(CStaticEx::kColors[std::clamp<int>(c.color, 0, CStaticEx::kColorCount - 1)]));
      p.drawRect(QRect(g.CellX(cell), g.CellY(cell), g.cellSize - 1, g.cellSize - 1));
    }
    p.setPen(palette().color(QPalette::WindowText));
    const Qt::Alignment align = view_->pageForm_ ? (Qt::AlignRight | Qt::AlignVCenter) : Qt::AlignCenter;
    for (int row = 0; row < m.RowCount(); ++row) {
      const QRect r(g.LabelX(), g.CellY(row * BITGRID_COLUMNS) - 2, 34, g.cellSize + 4);
      p.drawText(r, align, QString::fromStdString(m.RowLabel(row)));
    }
  }
  void mousePressEvent(QMouseEvent* e) override {
    if (e->button() == Qt::LeftButton) view_->Press(e->position().toPoint());
  }
  void mouseMoveEvent(QMouseEvent* e) override {
    if (e->buttons() & Qt::LeftButton) view_->Move(e->position().toPoint());
  }
  void mouseReleaseEvent(QMouseEvent* e) override {
    if (e->button() == Qt::LeftButton) view_->Release();
  }
  bool event(QEvent* e) override {
    if (e->type() == QEvent::ToolTip) {
      auto* help = static_cast<QHelpEvent*>(e);
      const int cell = view_->geo_.HitCell(help->pos().x(), help->pos().y());
      const BitGridModel::Cell& c = view_->model_.CellAt(cell);
      if (c.shown && c.notify && !c.tip.empty()) {
        QString tip = QString::fromStdString(c.tip);
        tip.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        const BitGridGeometry& g = view_->geo_;
        QToolTip::showText(help->globalPos(), tip, this, QRect(g.CellX(cell), g.CellY(cell), g.cellSize, g.cellSize));
      } else {
        QToolTip::hideText();
        e->ignore();
      }
      return true;
    }
    return QWidget::event(e);
  }

 private:
  BitAssignView* view_;
};

BitAssignView::BitAssignView(QWidget* parent) : BitAssignView(parent, false) {}

BitAssignView::BitAssignView(QWidget* parent, bool pageForm) : QScrollArea(parent), pageForm_(pageForm) {
  geo_.originY = pageForm ? 6 : 22;
  canvas_ = new BitGridCanvas(this);
  canvas_->resize(geo_.Width(), geo_.Height());
  setWidget(canvas_);
  setWidgetResizable(false);
  setFocusPolicy(Qt::TabFocus);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  timer_.setSingleShot(false);
  connect(&timer_, &QTimer::timeout, this, &BitAssignView::OnTick);
}

BitAssignView::~BitAssignView() = default;

QWidget* BitAssignView::Canvas() const { return canvas_; }

void BitAssignView::ApplyStyle() {
  setVerticalScrollBarPolicy(model_.NeedsVScroll() ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  const int last = model_.LastUsedCell();
  int height = last >= 0 ? geo_.RowBottom(last / BITGRID_COLUMNS) + 1 : geo_.originY;
  if (!model_.NeedsVScroll()) height = std::max(height, viewport()->height());
  canvas_->resize(std::max(geo_.Width(), viewport()->width()), height);
}

void BitAssignView::resizeEvent(QResizeEvent* event) {
  QScrollArea::resizeEvent(event);
  ApplyStyle();
}

void BitAssignView::SetBitAssign(const tagBitAssignInfo& info) {
  verticalScrollBar()->setValue(0);
  canvas_->setUpdatesEnabled(false);
  model_.SetBitAssign(info);
  ApplyStyle();
  verticalScrollBar()->setValue(KeepRangeInView(model_, geo_, 0, viewport()->height()));
  canvas_->setUpdatesEnabled(true);
  canvas_->update();
}

void BitAssignView::Notify(bool done) {
  if (IsLocked()) return;
  if (done) {
    Q_EMIT bitSelectDone();
  } else {
    Q_EMIT bitSelectChanging();
  }
}

void BitAssignView::Press(const QPoint& pos) {
  const int cell = geo_.HitCell(pos.x(), pos.y());
  // An occupied cell keeps the press for its tooltip; the grid sees nothing.
  pressSwallowed_ = model_.CellAt(cell).shown && model_.CellAt(cell).notify;
  if (pressSwallowed_) return;
  const bool changing = model_.Press(cell);
  canvas_->update();
  if (changing) Notify(false);
}

void BitAssignView::Move(const QPoint& pos) {
  if (pressSwallowed_) return;
  const QPoint inViewport = canvas_->mapTo(viewport(), pos);
  if (model_.Captured() && !viewport()->rect().contains(inViewport)) {
    AutoScroll(inViewport);
    return;
  }
  if (model_.Captured()) {
    if (model_.AutoScrollTest(true, 0, model_.NeedsVScroll()) == BitGridModel::TimerAction::Stop) timer_.stop();
  } else {
    model_.BeginCapture();
  }
  if (!model_.Captured()) return;
  if (model_.Drag(geo_.HitCell(pos.x(), pos.y()))) {
    canvas_->update();
    Notify(false);
  }
}

void BitAssignView::AutoScroll(const QPoint& p) {
  const QRect r = viewport()->rect();
  const int d = p.y() < r.top() ? p.y() - r.top() : (p.y() > r.bottom() ? p.y() - r.bottom() : 0);
  switch (model_.AutoScrollTest(false, d, model_.NeedsVScroll())) {
    case BitGridModel::TimerAction::Start:
    case BitGridModel::TimerAction::Restart:
      timer_.start(model_.TimerIntervalMs());
      break;
    case BitGridModel::TimerAction::Stop:
      timer_.stop();
      break;
    case BitGridModel::TimerAction::None:
      break;
  }
}

void BitAssignView::OnTick() {
  if (!model_.NeedsVScroll()) return;
  QScrollBar* bar = verticalScrollBar();
  const int next = model_.TickPosition(bar->value(), bar->maximum());
  if (next != bar->value()) bar->setValue(next);
}

void BitAssignView::Release() {
  if (pressSwallowed_) {
    pressSwallowed_ = false;
    return;
  }
  model_.Release();
  timer_.stop();
  canvas_->update();
  Notify(true);
}

BitAssignViewPage::BitAssignViewPage(QWidget* parent) : BitAssignView(parent, true) {}

BitAssignViewPage::~BitAssignViewPage() = default;
