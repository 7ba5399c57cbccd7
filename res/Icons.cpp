#include "Icons.h"

#include "ResIds.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace vrres {
namespace {

const QColor kInk(0x30, 0x30, 0x30);
const QColor kPaper(0xFF, 0xFF, 0xFF);
const QColor kFolder(0xE8, 0xB8, 0x40);
const QColor kBlue(0x28, 0x6E, 0xC8);
const QColor kGreen(0x2E, 0x9A, 0x3A);
const QColor kRed(0xD0, 0x30, 0x30);

QImage Canvas(int size) {
  QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  return img;
}

void Document(QPainter& p, QRectF r) {
  QPainterPath path;
  const qreal fold = r.width() * 0.3;
  path.moveTo(r.left(), r.top());
  path.lineTo(r.right() - fold, r.top());
  path.lineTo(r.right(), r.top() + fold);
  path.lineTo(r.right(), r.bottom());
  path.lineTo(r.left(), r.bottom());
  path.closeSubpath();
  p.setPen(QPen(kInk, 1));
  p.setBrush(kPaper);
  p.drawPath(path);
  p.drawLine(QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold));
  p.drawLine(QPointF(r.right() - fold, r.top() + fold), QPointF(r.right(), r.top() + fold));
  p.setPen(QPen(QColor(0x90, 0x90, 0x90), 1));
  for (qreal y = r.top() + fold + 2; y < r.bottom() - 1; y += 2.5)
    p.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - 2, y));
}

void Folder(QPainter& p, QRectF r) {
  p.setPen(QPen(kInk, 1));
  p.setBrush(kFolder.darker(115));
  p.drawRect(QRectF(r.left(), r.top() + 2, r.width() * 0.45, 3));
  p.setBrush(kFolder);
  p.drawRect(QRectF(r.left(), r.top() + 4, r.width(), r.height() - 4));
}

void Arrow(QPainter& p, QPointF from, QPointF to, QColor c, qreal width) {
  p.setPen(QPen(c, width, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(from, to);
  QLineF line(to, from);
  QLineF a = line;
  a.setAngle(line.angle() + 35);
  a.setLength(width * 2.2);
  QLineF b = line;
  b.setAngle(line.angle() - 35);
  b.setLength(width * 2.2);
  p.setBrush(c);
  p.setPen(Qt::NoPen);
  p.drawPolygon(QPolygonF({to, a.p2(), b.p2()}));
}

void Magnifier(QPainter& p, QPointF c, qreal radius) {
  p.setPen(QPen(kInk, radius * 0.45, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(c + QPointF(radius * 0.7, radius * 0.7), c + QPointF(radius * 1.8, radius * 1.8));
  p.setPen(QPen(kInk, 1.5));
  p.setBrush(QColor(0xD8, 0xEC, 0xFF));
  p.drawEllipse(c, radius, radius);
}

void Plus(QPainter& p, QPointF c, qreal half, QColor color) {
  p.setPen(QPen(color, 2.5, Qt::SolidLine, Qt::FlatCap));
  p.drawLine(c - QPointF(half, 0), c + QPointF(half, 0));
  p.drawLine(c - QPointF(0, half), c + QPointF(0, half));
}

void Triangle(QPainter& p, int size, bool up, QColor color) {
  const qreal m = size * 0.25;
  QPolygonF tri = up ? QPolygonF({QPointF(size / 2.0, m), QPointF(size - m, size - m), QPointF(m, size - m)})
                     : QPolygonF({QPointF(m, m), QPointF(size - m, m), QPointF(size / 2.0, size - m)});
  p.setPen(Qt::NoPen);
  p.setBrush(color);
  p.drawPolygon(tri);
}

QImage Draw(int id, int size) {
  QImage img = Canvas(size);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 16.0, size / 16.0);
  switch (id) {
    case IDI_PROGRAM: {
      p.setPen(Qt::NoPen);
      p.setBrush(kBlue);
      p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
      p.setPen(QPen(kPaper, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      p.drawPolyline(QPolygonF({QPointF(3, 4), QPointF(8, 12.5), QPointF(13, 4)}));
      p.setPen(QPen(QColor(0xFF, 0xD0, 0x40), 1.0));
      p.drawPolyline(
          QPolygonF({QPointF(2, 13.5), QPointF(4, 13.5), QPointF(4, 11.5), QPointF(6, 11.5), QPointF(6, 13.5),
                     QPointF(10, 13.5), QPointF(10, 11.5), QPointF(12, 11.5), QPointF(12, 13.5), QPointF(14, 13.5)}));
      break;
    }
    case IDI_REFERENCE:
      Folder(p, QRectF(0.5, 3.5, 11, 10));
      Arrow(p, QPointF(9, 9), QPointF(15, 3), kBlue, 1.6);
      break;
    case IDI_SHOW_DEFINITION:
      Document(p, QRectF(1.5, 0.5, 10, 13));
      Magnifier(p, QPointF(9.5, 9.5), 3);
      break;
    case IDI_ADD_DEFINITION:
      Document(p, QRectF(6.5, 0.5, 9, 12));
      Arrow(p, QPointF(0.5, 8), QPointF(8, 8), kGreen, 2);
      Plus(p, QPointF(3.5, 12.5), 2.5, kGreen);
      break;
    case IDI_OPEN:
      Folder(p, QRectF(0.5, 2.5, 15, 11));
      break;
    case IDI_NEW_DEFINITION:
      Document(p, QRectF(1.5, 0.5, 10, 14));
      Plus(p, QPointF(12, 11.5), 3, kGreen);
      break;
    case IDI_EDIT_DEFINITION: {
      Document(p, QRectF(0.5, 0.5, 10, 14));
      p.save();
      p.translate(12, 4);
      p.rotate(45);
      p.setPen(QPen(kInk, 0.8));
      p.setBrush(QColor(0xF0, 0xC0, 0x30));
      p.drawRect(QRectF(-1.5, 0, 3, 9));
      p.setBrush(kInk);
      p.drawPolygon(QPolygonF({QPointF(-1.5, 9), QPointF(1.5, 9), QPointF(0, 11.5)}));
      p.restore();
      break;
    }
    case IDI_DELETE_DEFINITION:
      Document(p, QRectF(0.5, 0.5, 10, 14));
      p.setPen(QPen(kRed, 2.4, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(8, 8), QPointF(14.5, 14.5));
      p.drawLine(QPointF(14.5, 8), QPointF(8, 14.5));
      break;
    case IDI_SAVE:
      p.setPen(QPen(kInk, 1));
      p.setBrush(kBlue);
      p.drawRect(QRectF(1.5, 1.5, 13, 13));
      p.setBrush(kPaper);
      p.drawRect(QRectF(4, 1.5, 8, 5));
      p.setBrush(QColor(0xC8, 0xC8, 0xC8));
      p.drawRect(QRectF(4, 9.5, 8, 5));
      break;
    case IDI_DRAG_ROWS:
      Document(p, QRectF(4.5, 0.5, 10, 12));
      Document(p, QRectF(1.5, 3.5, 10, 12));
      break;
    case IDI_SORT_ASCENDING:
      Triangle(p, 16, true, QColor(0x50, 0x50, 0x50));
      break;
    case IDI_SORT_DESCENDING:
      Triangle(p, 16, false, QColor(0x50, 0x50, 0x50));
      break;
    case IDI_PAGE_NEXT:
      Triangle(p, 16, true, kInk);
      break;
    case IDI_PAGE_PREVIOUS:
      Triangle(p, 16, false, kInk);
      break;
    default:
      p.end();
      return QImage();
  }
  p.end();
  return img;
}

}  // namespace

QIcon LoadIcon(int id) {
  QIcon icon;
  for (int size : {16, 32}) {
    QImage img = Draw(id, size);
    if (img.isNull()) return QIcon();
    icon.addPixmap(QPixmap::fromImage(img));
  }
  return icon;
}

QPixmap ToolbarImage(int index) {
  QImage img(kToolbarImageWidth, kToolbarImageHeight, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  static const char* const kBusNames[] = {"FlexRay", "CAN/CAN FD", "LIN", "LOGIC"};
  static const QColor kBusColours[] = {QColor(0xB0, 0x40, 0xB0), QColor(0x28, 0x6E, 0xC8), QColor(0x2E, 0x9A, 0x3A),
                                       QColor(0xC0, 0x70, 0x10)};
  if (index >= 0 && index < 4) {
    p.setPen(Qt::NoPen);
    p.setBrush(kBusColours[index]);
    p.drawRoundedRect(QRectF(1, 3, 10, 10), 2, 2);
    // The largest size up to 11 pixels at which the name fits the image.
    const QString name = QString::fromLatin1(kBusNames[index]);
    QFont f;
    f.setBold(true);
    for (int size = 11; size >= 7; --size) {
      f.setPixelSize(size);
      if (QFontMetrics(f).horizontalAdvance(name) <= kToolbarImageWidth - 15) break;
    }
    p.setFont(f);
    p.setPen(kInk);
    p.drawText(QRect(14, 0, kToolbarImageWidth - 14, kToolbarImageHeight), Qt::AlignLeft | Qt::AlignVCenter, name);
  } else if (index == 4) {
    p.translate((kToolbarImageWidth - 16) / 2.0, 0);
    Magnifier(p, QPointF(6.5, 6.5), 4.5);
  } else if (index == 5) {
    p.translate((kToolbarImageWidth - 16) / 2.0, 0);
    p.setPen(QPen(kInk, 1));
    p.setBrush(QColor(0x80, 0x30, 0x30));
    p.drawRect(QRectF(2.5, 1.5, 11, 13));
    p.setBrush(kPaper);
    p.drawRect(QRectF(4.5, 1.5, 9, 11));
    p.setPen(QPen(QColor(0x90, 0x90, 0x90), 1));
    for (qreal y = 4; y < 11; y += 2) p.drawLine(QPointF(6, y), QPointF(12, y));
  }
  p.end();
  return QPixmap::fromImage(img);
}

}  // namespace vrres
