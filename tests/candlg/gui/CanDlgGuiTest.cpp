// The CAN dialog as a window, headless: dragging on the bit grid with the
// mouse, OK with and without a refusal, view mode.
#include <QApplication>
#include <QCheckBox>
#include <QHelpEvent>
#include <QTimer>
#include <QPushButton>
#include <QToolTip>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include "ModalSteps.h"
#include "BitAssignView.h"
#include "CanDlg.h"
#include "CanDlgFixture.h"
#include "DlgKeys.h"
#include "EditINT.h"
#include "J1939Dlg.h"
#include "GridDrag.h"
#include "RecordingMessageSink.h"

class CanDlgGuiTest : public QObject {
  Q_OBJECT

 private:
  static int EditValue(CCanDlg& dlg, int id) { return static_cast<CEditINT*>(dlg.GetDlgItem(id))->Value(); }
  static void PressOk(CCanDlg& dlg) {
    QTest::mouseClick(static_cast<QPushButton*>(dlg.GetDlgItem(dlgids::IDC_OK)), Qt::LeftButton);
  }

 private Q_SLOTS:
  void dragThenOkWritesTheRange() {
    CanTableFixture t;
    _CANMsg* m = t.Msg("ENGINE", 8, 0x100);
    _CANSignal* s = t.Sig(m, "RPM", 0, 8);
    t.Sig(m, "TEMP", 32, 8);
    CCanDlg dlg;
    dlg.SetMode(DLGMODE_EDIT);
    dlg.SetMessageTable(&t.table);
    dlg.SetTarget(m, s);
    QVERIFY(vrtest::ShowActive(dlg));
    BitAssignView* grid = dlg.GridView();
    QSignalSpy changing(grid, &BitAssignView::bitSelectChanging);
    QSignalSpy done(grid, &BitAssignView::bitSelectDone);
    DragBits(grid, 20, 27);
    QVERIFY(changing.count() >= 2);
    QCOMPARE(done.count(), 1);
    QCOMPARE(EditValue(dlg, dlgids::IDC_START_BIT), 20);
    QCOMPARE(EditValue(dlg, dlgids::IDC_BIT_COUNT), 8);

    // A drag past TEMP's bits stops before its first bit.
    DragBits(grid, 24, 45);
    QCOMPARE(EditValue(dlg, dlgids::IDC_START_BIT), 24);
    QCOMPARE(EditValue(dlg, dlgids::IDC_BIT_COUNT), 8);

    RecordingMessageSink sink;
    PressOk(dlg);
    QVERIFY(sink.shown.empty());
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QVERIFY(dlg.IsModified());
    QCOMPARE(s->startBit, 24);
    QCOMPARE(s->bitCount, 8);
  }

  void pressOnAnOccupiedCellSendsNothing() {
    CanTableFixture t;
    _CANMsg* m = t.Msg("ENGINE", 8, 0x100);
    _CANSignal* s = t.Sig(m, "RPM", 0, 8);
    t.Sig(m, "TEMP", 32, 8);
    CCanDlg dlg;
    dlg.SetMode(DLGMODE_EDIT);
    dlg.SetMessageTable(&t.table);
    dlg.SetTarget(m, s);
    dlg.show();
    BitAssignView* grid = dlg.GridView();
    QSignalSpy changing(grid, &BitAssignView::bitSelectChanging);
    QSignalSpy done(grid, &BitAssignView::bitSelectDone);
    QTest::mouseClick(grid->Canvas(), Qt::LeftButton, Qt::NoModifier, BitPoint(grid, 34));
    QCOMPARE(changing.count(), 0);
    QCOMPARE(done.count(), 0);
    QCOMPARE(EditValue(dlg, dlgids::IDC_START_BIT), 0);
  }

  void occupiedCellsNameTheirSignal() {
    CanTableFixture t;
    _CANMsg* m = t.Msg("ENGINE", 8, 0x100);
    _CANSignal* s = t.Sig(m, "RPM", 0, 8);
    t.Sig(m, "TEMP", 32, 8);
    CCanDlg dlg;
    dlg.SetMode(DLGMODE_EDIT);
    dlg.SetMessageTable(&t.table);
    dlg.SetTarget(m, s);
    QVERIFY(vrtest::ShowActive(dlg));
    QWidget* canvas = dlg.GridView()->Canvas();
    const QPoint p = BitPoint(dlg.GridView(), 34);
    QHelpEvent help(QEvent::ToolTip, p, canvas->mapToGlobal(p));
    QCoreApplication::sendEvent(canvas, &help);
    QCOMPARE(QToolTip::text(), QStringLiteral("SignalName: TEMP\nStartBit: 32\nBitCount: 8"));
    const QPoint free = BitPoint(dlg.GridView(), 50);
    QHelpEvent none(QEvent::ToolTip, free, canvas->mapToGlobal(free));
    QCoreApplication::sendEvent(canvas, &none);
    QTRY_VERIFY(!QToolTip::isVisible());
  }

  void j1939BoxOpensTheIdentifierDialog() {
    CanTableFixture t;
    _CANMsg* m = t.Msg("ENGINE", 8, 0x100);
    _CANSignal* s = t.Sig(m, "RPM", 0, 8);
    CCanDlg dlg;
    dlg.SetMode(DLGMODE_EDIT);
    dlg.SetMessageTable(&t.table);
    dlg.SetTarget(m, s);
    dlg.SetHexFlag(1);
    QVERIFY(vrtest::ShowActive(dlg));
    QWidget* more = dlg.GetDlgItem(dlgids::IDC_J1939_ID);
    QVERIFY(!more->isVisible());
    QTest::mouseClick(static_cast<QCheckBox*>(dlg.GetDlgItem(dlgids::IDC_J1939)), Qt::LeftButton);
    QVERIFY(more->isVisible());
    QCOMPARE(static_cast<QComboBox*>(dlg.GetDlgItem(dlgids::IDC_FRAME_FORMAT))->currentIndex(), int(FRAME_XTD));
    // The identifier dialog composes a PDU2 identifier: PGN 0xFEF1, source 0x21.
    vrtest::ModalSteps steps({vrtest::On<CJ1939Dlg>([](CJ1939Dlg& j) {
      j.PgnEdit()->setText(QStringLiteral("FEF1"));
      j.SourceEdit()->setText(QStringLiteral("21"));
      j.PriorityEdit()->setText(QStringLiteral("3"));
      QTest::mouseClick(static_cast<QPushButton*>(j.GetDlgItem(dlgids::IDC_OK)), Qt::LeftButton);
    })});
    QTest::mouseClick(static_cast<QPushButton*>(more), Qt::LeftButton);
    QCOMPARE(steps.runs, 1);
    QCOMPARE(steps.leftOpen, 0);
    QCOMPARE(static_cast<CComboBoxINT*>(dlg.GetDlgItem(dlgids::IDC_MSG_ID))->Value(), 0x0CFEF121);
    RecordingMessageSink sink;
    PressOk(dlg);
    QVERIFY(sink.shown.empty());
    QCOMPARE(m->id, 0x0CFEF121);
    QCOMPARE(m->j1939, 1);
    QCOMPARE(int(m->frameFormat), int(FRAME_XTD));
  }

  void refusalKeepsTheDialogOpen() {
    CanTableFixture t;
    _CANMsg* m = t.Msg("ENGINE", 8, 0x100);
    _CANSignal* s = t.Sig(m, "RPM", 0, 8);
    t.Sig(m, "TEMP", 32, 8);
    CCanDlg dlg;
    dlg.SetMode(DLGMODE_EDIT);
    dlg.SetMessageTable(&t.table);
    dlg.SetTarget(m, s);
    QVERIFY(vrtest::ShowActive(dlg));
    vrtest::TypeOver(dlg.GetDlgItem(dlgids::IDC_SIGNAL_NAME), u"temp");
    RecordingMessageSink sink;
    PressOk(dlg);
    QCOMPARE(sink.Ids(), std::vector<int>{4021});
    QVERIFY(dlg.isVisible());
    QCOMPARE(QString(s->name), QStringLiteral("RPM"));
  }

  void viewModeSelectsNothing() {
    CanTableFixture t;
    _CANMsg* m = t.Msg("ENGINE", 8, 0x100);
    _CANSignal* s = t.Sig(m, "RPM", 0, 8);
    CCanDlg dlg;
    dlg.SetMode(DLGMODE_VIEW);
    dlg.SetMessageTable(&t.table);
    dlg.SetTarget(m, s);
    dlg.show();
    BitAssignView* grid = dlg.GridView();
    QSignalSpy done(grid, &BitAssignView::bitSelectDone);
    DragBits(grid, 20, 27);
    QCOMPARE(done.count(), 1);  // the release is still reported
    QCOMPARE(EditValue(dlg, dlgids::IDC_START_BIT), 0);
    PressOk(dlg);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QVERIFY(!dlg.IsModified());
    QCOMPARE(s->startBit, 0);
  }

  void autoScrollRunsOutsideTheGrid() {
    CanTableFixture t;
    _CANMsg* m = t.Msg("BIG", 64, 0x100);
    _CANSignal* s = t.Sig(m, "S", 0, 8);
    CCanDlg dlg;
    dlg.SetMode(DLGMODE_EDIT);
    dlg.SetMessageTable(&t.table);
    dlg.SetTarget(m, s);
    dlg.show();
    BitAssignView* grid = dlg.GridView();
    QWidget* canvas = grid->Canvas();
    const QPoint start = BitPoint(grid, 8);
    QTest::mousePress(canvas, Qt::LeftButton, Qt::NoModifier, start);
    auto moveTo = [&](const QPoint& viewportPoint) {
      const QPoint p = canvas->mapFrom(grid->viewport(), viewportPoint);
      DragMove(canvas, p);
    };
    moveTo(canvas->mapTo(grid->viewport(), start) + QPoint(14, 0));  // takes the capture
    const int bottom = grid->viewport()->rect().bottom();
    // The edited bits sit on the last row, so the grid shows its end: the
    // pointer above the grid scrolls up.
    const int before = grid->verticalScrollBar()->value();
    QVERIFY(before > 0);
    moveTo(QPoint(20, -10));
    QVERIFY(grid->AutoScrollRunning());
    QCOMPARE(grid->AutoScrollInterval(), 500);
    moveTo(QPoint(20, -100));
    QCOMPARE(grid->AutoScrollInterval(), 60);
    moveTo(QPoint(20, bottom - 10));  // back inside
    QVERIFY(!grid->AutoScrollRunning());
    moveTo(QPoint(20, -100));
    QTRY_VERIFY(grid->verticalScrollBar()->value() < before);
    QTest::mouseRelease(canvas, Qt::LeftButton, Qt::NoModifier, start);
    QVERIFY(!grid->AutoScrollRunning());
  }
};

QTEST_MAIN(CanDlgGuiTest)
#include "CanDlgGuiTest.moc"
