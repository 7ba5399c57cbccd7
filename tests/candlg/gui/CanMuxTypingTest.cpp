// The CAN dialog's multiplexor and frame format as a user meets them: typed
// into the fields, picked from the open lists with the mouse, paged past;
// and what an OK without any edit writes back.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <vector>

#include "ModalSteps.h"
#include "CanDlg.h"
#include "CanDlgFixture.h"
#include "DlgKeys.h"
#include "EditINT.h"
#include "J1939Dlg.h"
#include "RecordPicture.h"
#include "RecordingMessageSink.h"

using namespace vrtest;

namespace {

// A signal with plain limits, so that an unchanged OK has nothing else to
// rewrite.
_CANSignal* PlainSig(CanTableFixture& t, _CANMsg* m, const char* name, int start, int count) {
  _CANSignal* s = t.Sig(m, name, start, count);
  s->minimum = 0;
  s->maximum = 100;
  return s;
}

// One signal of a stored message: where it lies and what multiplexes it.
struct StoredSig {
  const char* name;
  int start;
  int count;
  const char* mux = "";
  const char* value = "";
};

// A stored message; the dialog edits its first signal.
struct StoredMessage {
  int format;
  int j1939;
  std::vector<StoredSig> sigs;
};

}  // namespace

Q_DECLARE_METATYPE(StoredMessage)

class CanMuxTypingTest : public QObject {
  Q_OBJECT

 private:
  static QComboBox* Combo(CCanDlg& dlg, int id) { return static_cast<QComboBox*>(dlg.GetDlgItem(id)); }

 private Q_SLOTS:
  // A new message in an empty list: no signal can be picked, the name typed
  // into the multiplexor field is the one stored.
  void typedMultiplexorIsStored() {
    CanTableFixture t;
    _CANMsg msg;
    _CANSignal sig;
    CCanDlg dlg;
    t.Aim(dlg, DLGMODE_NEW, &msg, &sig);
    QVERIFY(ShowActive(dlg));
    TypeAndTab(dlg.GetDlgItem(dlgids::IDC_MSG_NAME), u"ENGINE");
    TypeAndTab(dlg.GetDlgItem(dlgids::IDC_BYTE_COUNT), u"8");
    TypeAndTab(dlg.GetDlgItem(dlgids::IDC_SIGNAL_NAME), u"RPM");
    QComboBox* mux = Combo(dlg, dlgids::IDC_MULTIPLEXOR);
    QVERIFY(mux->isEditable() && mux->isEnabled());
    TypeAndTab(mux, u"MODE");
    QCOMPARE(mux->currentText(), QStringLiteral("MODE"));
    RecordingMessageSink sink;
    PressOk(dlg);
    QCOMPARE(sink.Ids(), std::vector<int>{});
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(QString(sig.name), QStringLiteral("RPM"));
    QCOMPARE(QString(sig.multiplexor), QStringLiteral("MODE"));
  }

  // The multiplexor picked and its value typed survive whatever commits the
  // byte count again; OK stores the pair.
  void chosenMultiplexorSurvives_data() {
    QTest::addColumn<int>("action");
    QTest::newRow("page forward and back") << 0;
    QTest::newRow("byte count typed again") << 1;
    QTest::newRow("J1939 box off and on") << 2;
  }
  void chosenMultiplexorSurvives() {
    QFETCH(int, action);
    CanTableFixture t;
    _CANMsg* m = t.Msg("LONGMSG", 200, 0x18FEF100, FRAME_XTD);
    m->j1939 = 1;
    PlainSig(t, m, "MUX", 0, 8);
    _CANSignal* a = PlainSig(t, m, "A", 8, 8);
    PlainSig(t, m, "B", 16, 8);
    CCanDlg dlg;
    t.Aim(dlg, DLGMODE_EDIT, m, a);
    QVERIFY(ShowActive(dlg));
    QComboBox* mux = Combo(dlg, dlgids::IDC_MULTIPLEXOR);
    QVERIFY(mux->count() > 2);
    QVERIFY(ChooseFromList(mux, QStringLiteral("MUX")));
    QCOMPARE(mux->currentText(), QStringLiteral("MUX"));
    TypeAndTab(dlg.GetDlgItem(dlgids::IDC_MUX_VALUE), u"1,2");
    switch (action) {
      case 0: {
        QWidget* next = dlg.GetDlgItem(dlgids::IDC_PAGE_NEXT);
        QVERIFY(next->isVisible());
        Click(next);
        QWidget* previous = dlg.GetDlgItem(dlgids::IDC_PAGE_PREVIOUS);
        QVERIFY(previous->isVisible());
        Click(previous);
        break;
      }
      case 1:
        TypeAndTab(dlg.GetDlgItem(dlgids::IDC_BYTE_COUNT), u"200");
        break;
      default:
        Click(dlg.GetDlgItem(dlgids::IDC_J1939));
        Click(dlg.GetDlgItem(dlgids::IDC_J1939));
        break;
    }
    QCOMPARE(mux->currentText(), QStringLiteral("MUX"));
    QCOMPARE(static_cast<QLineEdit*>(dlg.GetDlgItem(dlgids::IDC_MUX_VALUE))->text(), QStringLiteral("1,2"));
    RecordingMessageSink sink;
    PressOk(dlg);
    QCOMPARE(sink.Ids(), std::vector<int>{});
    QCOMPARE(QString(a->multiplexor), QStringLiteral("MUX"));
    QCOMPARE(QString::fromStdString(a->multiplexValue), QStringLiteral("1,2"));
  }

  // A multiplexor the newly picked message does not offer goes together
  // with its value.
  void multiplexorTheMessageNoLongerOffersGoesWithItsValue() {
    CanTableFixture t;
    _CANMsg* first = t.Msg("FIRST", 8, 0x100);
    PlainSig(t, first, "MUX", 0, 8);
    PlainSig(t, first, "X", 8, 8);
    _CANMsg* second = t.Msg("SECOND", 8, 0x200);
    PlainSig(t, second, "Y", 0, 8);
    _CANMsg msg;
    _CANSignal sig;
    CCanDlg dlg;
    t.Aim(dlg, DLGMODE_NEW, &msg, &sig);
    QVERIFY(ShowActive(dlg));
    QVERIFY(ChooseFromList(Combo(dlg, dlgids::IDC_MSG_NAME), QStringLiteral("FIRST")));
    QComboBox* mux = Combo(dlg, dlgids::IDC_MULTIPLEXOR);
    QVERIFY(ChooseFromList(mux, QStringLiteral("MUX")));
    auto* value = static_cast<QLineEdit*>(dlg.GetDlgItem(dlgids::IDC_MUX_VALUE));
    TypeAndTab(value, u"3");
    QVERIFY(ChooseFromList(Combo(dlg, dlgids::IDC_MSG_NAME), QStringLiteral("SECOND")));
    QCOMPARE(mux->currentText(), QString());
    QCOMPARE(value->text(), QString());
    QVERIFY(!value->isEnabled());
    TypeAndTab(dlg.GetDlgItem(dlgids::IDC_SIGNAL_NAME), u"NEWSIG");
    RecordingMessageSink sink;
    PressOk(dlg);
    QCOMPARE(sink.Ids(), std::vector<int>{});
    QCOMPARE(QString(sig.multiplexor), QString());
    QCOMPARE(QString::fromStdString(sig.multiplexValue), QString());
  }

  // A J1939 message stored as "STD" keeps it until an identifier is composed
  // for it: 29 bits need "XTD", and none of them is cut.
  void composedIdentifierTakesTheExtendedFormat() {
    CanTableFixture t;
    _CANMsg* m = t.Msg("PGN", 8, 0x123);
    m->j1939 = 1;
    _CANSignal* s = PlainSig(t, m, "S", 0, 8);
    CCanDlg dlg;
    dlg.SetHexFlag(1);
    t.Aim(dlg, DLGMODE_EDIT, m, s);
    QVERIFY(ShowActive(dlg));
    QComboBox* format = Combo(dlg, dlgids::IDC_FRAME_FORMAT);
    QCOMPARE(format->currentIndex(), int(FRAME_STD));
    vrtest::ModalSteps steps({vrtest::On<CJ1939Dlg>([](CJ1939Dlg& j) {
      TypeAndTab(j.PgnEdit(), u"FEF1");
      TypeAndTab(j.SourceEdit(), u"21");
      TypeAndTab(j.PriorityEdit(), u"3");
      PressOk(j);
    })});
    Click(dlg.GetDlgItem(dlgids::IDC_J1939_ID));
    QCOMPARE(steps.runs, 1);
    QCOMPARE(steps.leftOpen, 0);
    QCOMPARE(format->currentIndex(), int(FRAME_XTD));
    QCOMPARE(static_cast<CComboBoxINT*>(dlg.GetDlgItem(dlgids::IDC_MSG_ID))->Value(), 0x0CFEF121);
    RecordingMessageSink sink;
    PressOk(dlg);
    QCOMPARE(sink.Ids(), std::vector<int>{});
    QCOMPARE(m->id, 0x0CFEF121);
    QCOMPARE(int(m->frameFormat), int(FRAME_XTD));
  }

  // Open, OK, compare: stored multiplexing and frame formats come back as
  // they were, or OK refuses with the rule's message and focus.
  void unchangedOkKeepsTheRecord_data() {
    QTest::addColumn<StoredMessage>("stored");
    QTest::addColumn<int>("refusal");
    QTest::addColumn<QString>("shownValue");  // the multiplex value field
    QTest::newRow("multiplex text as written")
        << StoredMessage{FRAME_STD, 0, {{"S", 8, 8, "MUX", "1-1, 3-3"}, {"MUX", 0, 8}}} << 0
        << QStringLiteral("0x1,0x3");
    // Only multiplexed signals were added, their switch was not.
    QTest::newRow("multiplexor not in the message")
        << StoredMessage{FRAME_XTD, 0, {{"BIT_K", 28, 1, "Multiplexor", "24"}, {"BIT_D", 28, 1, "Multiplexor", "8"}}}
        << 0 << QStringLiteral("0x18");
    QTest::newRow("multiplexor spelt in other case")
        << StoredMessage{FRAME_STD, 0, {{"S", 8, 8, "MUX", "2"}, {"Mux", 0, 8}}} << 0 << QStringLiteral("0x2");
    QTest::newRow("J1939 message stored as STD") << StoredMessage{FRAME_STD, 1, {{"S", 0, 8}}} << 0 << QString();
    QTest::newRow("multiplexor is the signal itself")
        << StoredMessage{FRAME_STD, 0, {{"S", 8, 8, "S", "1"}, {"OTHER", 0, 8}}} << 4110 << QStringLiteral("0x1");
    QTest::newRow("multiplexor on the signal's bits")
        << StoredMessage{FRAME_STD, 0, {{"S", 8, 8, "MUX"}, {"MUX", 4, 8, "TOP"}, {"TOP", 32, 8}}} << 4014 << QString();
  }
  void unchangedOkKeepsTheRecord() {
    QFETCH(StoredMessage, stored);
    QFETCH(int, refusal);
    QFETCH(QString, shownValue);
    CanTableFixture t;
    _CANMsg* m = t.Msg("M", 8, 0x56, stored.format);
    m->j1939 = stored.j1939;
    _CANSignal* s = nullptr;
    for (const StoredSig& row : stored.sigs) {
      _CANSignal* one = PlainSig(t, m, row.name, row.start, row.count);
      CopyToCharBuffer(one->multiplexor, row.mux, MAX_NAME_LEN);
      one->multiplexValue = row.value;
      if (!s) s = one;
    }
    const Picture before = Picture::Of(*m);
    CCanDlg dlg;
    t.Aim(dlg, DLGMODE_EDIT, m, s);
    QVERIFY(ShowActive(dlg));
    // The fields show what is stored.
    QCOMPARE(Combo(dlg, dlgids::IDC_MULTIPLEXOR)->currentText().toUpper(), QString(s->multiplexor).toUpper());
    QCOMPARE(Combo(dlg, dlgids::IDC_FRAME_FORMAT)->currentIndex(), int(m->frameFormat));
    QCOMPARE(static_cast<QLineEdit*>(dlg.GetDlgItem(dlgids::IDC_MUX_VALUE))->text(), shownValue);
    RecordingMessageSink sink;
    PressOk(dlg);
    if (refusal) {
      QCOMPARE(sink.Ids(), std::vector<int>{refusal});
      QVERIFY(dlg.isVisible());
      QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(Combo(dlg, dlgids::IDC_MULTIPLEXOR)));
    } else {
      QCOMPARE(sink.Ids(), std::vector<int>{});
      QCOMPARE(dlg.result(), int(QDialog::Accepted));
      QVERIFY(!dlg.IsModified());
    }
    const Picture now = Picture::Of(*m);
    QVERIFY2(now == before, before.Differences(now).c_str());
  }
};

QTEST_MAIN(CanMuxTypingTest)
#include "CanMuxTypingTest.moc"
