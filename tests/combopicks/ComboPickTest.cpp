// Text typed into a combo box of a definition dialog stays what was typed,
// even where it matches an item of the list; only a choice from the open
// list takes over that item's message or signal. OK then judges the typed
// values.
#include <QComboBox>
#include <QScopeGuard>
#include <QTest>

#include <string>

#include "CanDlg.h"
#include "CanDlgFixture.h"
#include "DlgKeys.h"
#include "EditINT.h"
#include "FrameDefs.h"
#include "FrameDlgIds.h"
#include "LinDlg.h"
#include "MsgIds.h"
#include "RecordingMessageSink.h"

using namespace vrtest;

class ComboPickTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void canTypedTextIsNoPick_data() {
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("fromList");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("id");
    QTest::addColumn<int>("bytes");
    QTest::addColumn<int>("startBit");
    QTest::addColumn<int>("okMessage");
    // The name MSG3 (unless the row types a name) and the byte count 8 are
    // typed first.
    QTest::newRow("typed identifier of another message") << canctl::MSG_ID << "7FF" << false << "MSG3"
                                                         << "7FF" << 8 << 0 << int(IDS_MSG_ID_USED);
    QTest::newRow("typed name of another message") << canctl::MSG_NAME << "GEARBOX" << false << "GEARBOX"
                                                   << "0" << 8 << 0 << -1;
    QTest::newRow("typed name of another signal") << canctl::SIG_NAME << "PRESSURE" << false << "MSG3"
                                                  << "0" << 8 << 0 << -1;
    QTest::newRow("identifier chosen from the list") << canctl::MSG_ID << "7FF" << true << "GEARBOX"
                                                     << "7FF" << 4 << 4 << -1;
    QTest::newRow("signal chosen from the list") << canctl::SIG_NAME << "PRESSURE" << true << "MSG3"
                                                 << "0" << 8 << 4 << -1;
  }

  void canTypedTextIsNoPick() {
    QFETCH(int, field);
    QFETCH(QString, typed);
    QFETCH(bool, fromList);
    QFETCH(QString, name);
    QFETCH(QString, id);
    QFETCH(int, bytes);
    QFETCH(int, startBit);
    QFETCH(int, okMessage);

    CanTableFixture t;
    t.Sig(t.Msg("ENGINE", 8, 0x100), "RPM", 8, 16);
    t.Sig(t.Msg("GEARBOX", 4, 0x7FF), "GEAR", 0, 4);
    t.Sig(t.Msg("BRAKE", 2, 0x200), "PRESSURE", 4, 12);
    _CANMsg msg;
    _CANSignal sig;
    CCanDlg dlg;
    t.Aim(dlg, DLGMODE_NEW, &msg, &sig);
    dlg.SetHexFlag(1);
    // Hidden again before the dialog goes, so that the focus leaves its
    // fields while it is still whole.
    const auto hide = qScopeGuard([&dlg] { dlg.hide(); });
    QVERIFY(ShowActive(dlg));
    auto* combo = qobject_cast<QComboBox*>(dlg.GetDlgItem(field));
    QVERIFY(combo && combo->isEditable() && combo->count() > 2);

    if (field != canctl::MSG_NAME) TypeAndTab(dlg.GetDlgItem(canctl::MSG_NAME), u"MSG3");
    TypeAndTab(dlg.GetDlgItem(canctl::BYTE_COUNT), u"8");
    // A text equal to the current item would be no test.
    QVERIFY2(combo->findText(typed) != combo->currentIndex(), qPrintable(combo->itemText(combo->currentIndex())));
    if (fromList) {
      QVERIFY(ChooseFromList(combo, typed));
    } else {
      TypeAndTab(combo, typed);
    }
    QCOMPARE(TextOf(dlg.GetDlgItem(canctl::MSG_NAME)), name);
    QCOMPARE(TextOf(dlg.GetDlgItem(canctl::MSG_ID)), id);
    QCOMPARE(static_cast<CEditINT*>(dlg.GetDlgItem(canctl::BYTE_COUNT))->Value(), bytes);
    QCOMPARE(static_cast<CEditINT*>(dlg.GetDlgItem(canctl::START_BIT))->Value(), startBit);
    if (okMessage < 0) return;

    RecordingMessageSink sink;
    PressOk(dlg);
    QCOMPARE(sink.Ids(), std::vector<int>{okMessage});
    QCOMPARE(sink.shown[0].ArgText(0), std::string("7FF"));
    QCOMPARE(sink.shown[0].ArgText(1), std::string("GEARBOX"));
    QVERIFY(dlg.isVisible());
    QCOMPARE(std::string(msg.name), std::string());
  }

  void linTypedTextIsNoPick_data() {
    QTest::addColumn<bool>("fromList");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("okMessage");
    QTest::newRow("typed identifier of another frame") << false << "F3" << int(IDS_MSG_ID_USED);
    QTest::newRow("identifier chosen from the list") << true << "SEAT" << -1;
  }

  void linTypedTextIsNoPick() {
    QFETCH(bool, fromList);
    QFETCH(QString, name);
    QFETCH(int, okMessage);

    CVestrelDoc doc;
    AddLinDef(doc, "DOOR", 0x10, 4, {{"LOCK", 0, 2}});
    AddLinDef(doc, "SEAT", 0x3C, 2, {{"HEAT", 0, 3}});
    AddLinDef(doc, "LAMP", 0x20, 1, {{"ON", 0, 1}});
    CLinDlg dlg;
    dlg.SetMode(DLGMODE_NEW);
    dlg.SetMessageTable(&doc.GetLinMsgTable(LIST_DEFINITION));
    dlg.SetTarget(doc.AllocLinMsg(), doc.AllocLinSignal());
    dlg.SetHexFlag(1);
    // Hidden again before the dialog goes, so that the focus leaves its
    // fields while it is still whole.
    const auto hide = qScopeGuard([&dlg] { dlg.hide(); });
    QVERIFY(ShowActive(dlg));
    auto* ids = qobject_cast<QComboBox*>(dlg.GetDlgItem(dlgids::IDC_MSG_ID));
    QVERIFY(ids && ids->isEditable() && ids->count() == 3);

    TypeAndTab(dlg.GetDlgItem(dlgids::IDC_MSG_NAME), u"F3");
    QVERIFY(ids->findText(QStringLiteral("3C")) != ids->currentIndex());
    if (fromList) {
      QVERIFY(ChooseFromList(ids, QStringLiteral("3C")));
    } else {
      TypeAndTab(ids, u"3C");
    }
    QCOMPARE(TextOf(dlg.GetDlgItem(dlgids::IDC_MSG_NAME)), name);
    QCOMPARE(TextOf(ids), QStringLiteral("3C"));
    if (okMessage < 0) return;

    RecordingMessageSink sink;
    PressOk(dlg);
    QVERIFY(!sink.shown.empty());
    QCOMPARE(sink.shown[0].id, okMessage);
    QCOMPARE(sink.shown[0].ArgText(1), std::string("SEAT"));
    QVERIFY(dlg.isVisible());
  }
};

QTEST_MAIN(ComboPickTest)
#include "ComboPickTest.moc"
