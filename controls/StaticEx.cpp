#include "StaticEx.h"

#include "ColorRef.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

CStaticEx::CStaticEx(QWidget* parent) : QWidget(parent) {}

CStaticEx::~CStaticEx() = default;

void CStaticEx::SetColorIndex(int index) {
  if (index >= 0 && index < kColorCount) {
    fill_ = kColors[index];
    colorIndex_ = index;
  }
  if (!IsLocked()) update();
}

void CStaticEx::SetToolTip(const QString& text) {
  tip_ = text;
  hasTip_ = true;
}

void CStaticEx::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(ColorFromRef(fill_));
  p.drawRect(QRect(0, 0, width() - 1, height() - 1));
}

void CStaticEx::mousePressEvent(QMouseEvent* event) {
  if (notify_ && event->button() == Qt::LeftButton) Q_EMIT clicked();
  QWidget::mousePressEvent(event);
}

bool CStaticEx::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    if (hasTip_ && !tip_.isEmpty()) {
      auto* help = static_cast<QHelpEvent*>(event);
      // Long texts stay up for half a minute.
      QToolTip::showText(help->globalPos(), tip_, this, rect(), 30000);
    } else {
      QToolTip::hideText();
    }
    return true;
  }
  return QWidget::event(event);
}
