// A multiplexed signal added to the definitions without its switch, from a
// CANdb file of the shared corpus: the CAN dialog opened on it and left with
// OK keeps the multiplexor it names, and the save still asks about it.
#include <QApplication>
#include <QComboBox>
#include <QFileInfo>

#include <cstdlib>

#include "CanDlg.h"
#include "CanDlgDriver.h"
#include "DlgKeys.h"
#include "ResIds.h"
#include "RoadFixture.h"

class CanMuxRoadTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void signalAddedWithoutItsSwitchKeepsItsMultiplexor() {
    const QString dbc = QStringLiteral(VR_CORPUS_DIR "/dbc/cantools/multiplex.dbc");
    if (!QFileInfo::exists(dbc)) {
      const char* ci = std::getenv("CI");
      if (ci && *ci && QByteArray(ci) != "0" && QByteArray(ci) != "false") QFAIL("no corpus");
      QSKIP("no corpus");
    }
    RoadFixture fx;
    CMainFrame& f = fx.Make();
    fx.OpenReference(dbc.toStdString());
    CListCtrlEx& ref = fx.Ref().List();
    const int row = static_cast<int>(Column(ref, 4).indexOf(QStringLiteral("BIT_K")));
    QVERIFY(row >= 0);
    ClickRow(ref, row);
    QTest::mouseClick(fx.Ref().Button(IDC_BTN_ADD_DEFINITION), Qt::LeftButton);
    CListCtrlEx& def = fx.Def().List();
    QCOMPARE(Column(def, 4), QStringList{QStringLiteral("BIT_K")});
    _CANMsg* m = fx.doc.GetCanMsgTable(LIST_DEFINITION).Find("MESSAGE1");
    QVERIFY(m);
    _CANSignal* s = m->signals.Find("BIT_K");
    QVERIFY(s);
    const std::string mux = s->multiplexor;
    const std::string value = s->multiplexValue;
    QCOMPARE(QString::fromStdString(mux), QStringLiteral("Multiplexor"));

    QString shown;
    CanDlgDriver driver([&](CCanDlg& dlg) {
      if (!vrtest::ShowActive(dlg)) return;
      shown = static_cast<QComboBox*>(dlg.GetDlgItem(dlgids::IDC_MULTIPLEXOR))->currentText();
      vrtest::PressOk(dlg);
    });
    ClickRow(def, 0);
    QTest::mouseDClick(def.viewport(), Qt::LeftButton, {}, RowPoint(def, 0));
    QCOMPARE(driver.runs(), 1);
    QCOMPARE(fx.sink.Ids(), std::vector<int>{});
    QCOMPARE(shown, QStringLiteral("Multiplexor"));
    QCOMPARE(std::string(s->multiplexor), mux);
    QCOMPARE(s->multiplexValue, value);

    // The save asks whether to save with a multiplexor that is not there;
    // No ends it before the file dialog.
    fx.sink.defaultAnswer = MSG_NO;
    const std::size_t fileDialogs = fx.dialogs.asked.size();
    f.OnCommand(ID_FILE_SAVE_DEFINITIONS);
    QCOMPARE(fx.sink.Ids(), std::vector<int>{IDS_ASK_MISSING_MUX});
    QCOMPARE(fx.dialogs.asked.size(), fileDialogs);
  }
};

QTEST_MAIN(CanMuxRoadTest)
#include "CanMuxRoadTest.moc"
