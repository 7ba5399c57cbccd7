// CAN definitions through the list windows of a real main window, with the
// real CAN dialog: opened from each list, the bits chosen by dragging on the
// grid, OK pressed; then the file saved and opened again.
#include <QApplication>
#include <QComboBox>
#include <QTimer>

#include <functional>

#include "CanDlg.h"
#include "CanDlgDriver.h"
#include "DlgKeys.h"
#include "DocFill.h"
#include "GridDrag.h"
#include "ResIds.h"
#include "RoadFixture.h"

using vrtest::PressOk;

namespace {

// Engine (256, 8 bytes) with Speed at 0..15 and Temp at 16..23, in both lists.
void Fill(RoadFixture& fx) {
  for (int list : {LIST_REFERENCE, LIST_DEFINITION}) {
    _CANMsg* m = AddCan(fx.doc, list, "Engine", 256);
    _CANSignal* speed = AddCanSig(fx.doc, m, "Speed", 0);
    speed->bitCount = 16;
    _CANSignal* temp = AddCanSig(fx.doc, m, "Temp", 1);
    temp->startBit = 16;
    temp->bitCount = 8;
  }
  fx.Ref().RefreshList();
  fx.Def().RefreshList();
}

_CANSignal* DefSignal(RoadFixture& fx, const char* msg, const char* sig) {
  _CANMsg* m = fx.doc.GetCanMsgTable(LIST_DEFINITION).Find(msg);
  return m ? m->signals.Find(sig) : nullptr;
}

}  // namespace

class CanRoadTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void editByDragSavesAndReopens() {
    RoadFixture fx;
    CMainFrame& f = fx.Make();
    Fill(fx);
    CanDlgDriver driver([](CCanDlg& dlg) {
      DragBits(dlg.GridView(), 40, 47);
      PressOk(dlg);
    });
    CListCtrlEx& list = fx.Def().List();
    ClickRow(list, 1);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, RowPoint(list, 1));
    QCOMPARE(driver.runs(), 1);
    QVERIFY(fx.sink.shown.empty());
    QVERIFY(fx.doc.IsDefModified());
    _CANSignal* temp = DefSignal(fx, "ENGINE", "TEMP");
    QVERIFY(temp);
    QCOMPARE(temp->startBit, 40);
    QCOMPARE(temp->bitCount, 8);
    QCOMPARE(Column(list, 4), (QStringList{"Speed", "Temp"}));

    const std::string sbl = fx.Path("engine.sbl");
    fx.dialogs.answers.push_back(sbl);
    f.OnCommand(ID_FILE_SAVE_DEFINITIONS);
    QVERIFY(!fx.doc.IsDefModified());
    fx.doc.ClearCanList(LIST_DEFINITION);
    fx.dialogs.answers.push_back(sbl);
    f.OnCommand(ID_FILE_OPEN_DEFINITIONS);
    temp = DefSignal(fx, "ENGINE", "TEMP");
    QVERIFY(temp);
    QCOMPARE(temp->startBit, 40);
    QCOMPARE(temp->bitCount, 8);
  }

  void showFromTheReferenceListChangesNothing() {
    RoadFixture fx;
    CMainFrame& f = fx.Make();
    Fill(fx);
    CanDlgDriver driver([](CCanDlg& dlg) {
      DragBits(dlg.GridView(), 40, 47);
      PressOk(dlg);
    });
    ClickRow(fx.Ref().List(), 0);
    f.OnCommand(ID_EDIT_SHOW_DEFINITION);
    QCOMPARE(driver.runs(), 1);
    _CANSignal* speed = fx.doc.GetCanMsgTable(LIST_REFERENCE).Find("ENGINE")->signals.Find("SPEED");
    QCOMPARE(speed->startBit, 0);
    QCOMPARE(speed->bitCount, 16);
    QVERIFY(!fx.doc.IsDefModified());
  }

  void newSignalForAnExistingMessage() {
    RoadFixture fx;
    CMainFrame& f = fx.Make();
    Fill(fx);
    CanDlgDriver driver([](CCanDlg& dlg) {
      auto* name = static_cast<QComboBox*>(dlg.GetDlgItem(dlgids::IDC_MSG_NAME));
      Q_EMIT name->activated(0);  // picks Engine
      vrtest::TypeOver(dlg.GetDlgItem(dlgids::IDC_SIGNAL_NAME), u"Gear");
      DragBits(dlg.GridView(), 24, 31);
      PressOk(dlg);
    });
    f.OnCommand(ID_FILE_NEW_DEFINITION);
    QCOMPARE(driver.runs(), 1);
    QCOMPARE(fx.sink.Ids(), std::vector<int>{});
    QCOMPARE(driver.leftOpen(), 0);
    _CANSignal* gear = DefSignal(fx, "ENGINE", "GEAR");
    QVERIFY(gear);
    QCOMPARE(gear->startBit, 24);
    QCOMPARE(gear->bitCount, 8);
    QCOMPARE(Column(fx.Def().List(), 4), (QStringList{"Speed", "Temp", "Gear"}));
    QVERIFY(fx.doc.IsDefModified());
  }
};

QTEST_MAIN(CanRoadTest)
#include "CanRoadTest.moc"
