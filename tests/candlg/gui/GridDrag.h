// Mouse work on the bit grid for the window tests.
#pragma once

#include <QCoreApplication>
#include <QMouseEvent>
#include <QTest>

#include "BitAssignView.h"
#include "BitWindowGrid.h"
#include "CanDlg.h"
#include "FrameSignalDlg.h"
#include "StaticEx.h"

// Centre of the cell of page-relative bit `bit`, in the grid's canvas.
inline QPoint BitPoint(const BitAssignView* grid, int bit) {
  const BitGridGeometry& g = grid->Geometry();
  const int cell = grid->Model().CellOfBit(bit);
  return QPoint(g.CellX(cell) + g.cellSize / 2, g.CellY(cell) + g.cellSize / 2);
}

// Moves with the left button held, as a drag does.
inline void DragMove(QWidget* canvas, const QPoint& to) {
  QMouseEvent move(QEvent::MouseMove, to, canvas->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(canvas, &move);
}

// Presses on one bit, drags to another and releases there.
inline void DragBits(BitAssignView* grid, int fromBit, int toBit) {
  QWidget* canvas = grid->Canvas();
  QTest::mousePress(canvas, Qt::LeftButton, Qt::NoModifier, BitPoint(grid, fromBit));
  const QPoint to = BitPoint(grid, toBit);
  DragMove(canvas, to);
  QTest::mouseRelease(canvas, Qt::LeftButton, Qt::NoModifier, to);
}

// The same over the grid of any frame dialog: the CAN dialog's page, or the
// 64-cell window of the FlexRay and LIN dialogs.
inline void DragGridBits(CMsgDlg& dlg, int fromBit, int toBit) {
  if (auto* can = qobject_cast<CCanDlg*>(&dlg)) {
    DragBits(can->GridView(), fromBit, toBit);
    return;
  }
  CBitWindowGrid* grid = static_cast<CFrameSignalDlg&>(dlg).Grid();
  const QPoint a = grid->Cell(fromBit)->geometry().center(), b = grid->Cell(toBit)->geometry().center();
  QTest::mousePress(grid, Qt::LeftButton, {}, a);
  QTest::mouseMove(grid, b);
  QTest::mouseRelease(grid, Qt::LeftButton, {}, b);
}
