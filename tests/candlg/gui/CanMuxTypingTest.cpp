// The CAN dialog's multiplexor and frame format as a user meets them: typed
// into the fields, picked from the open lists with the mouse, paged past;
// and what an OK without any edit writes back.
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <vector>

#include "CanDlg.h"
#include "CanDlgFixture.h"
#include "EditINT.h"
#include "J1939Dlg.h"
#include "RecordingMessageSink.h"

namespace {

QWidget* TypingTarget(QWidget* field) {
  if (auto* combo = qobject_cast<QComboBox*>(field); combo && combo->lineEdit()) return combo->lineEdit();
  return field;
}

// Clicks into the field, replaces its text by typing and leaves it with Tab.
void TypeInto(QWidget* field, const QString& text) {
  QWidget* target = TypingTarget(field);
  QTest::mouseClick(target, Qt::LeftButton);
  QTest::keyClick(target, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(target, Qt::Key_Backspace);
  QTest::keyClicks(target, text);
  QTest::keyClick(target, Qt::Key_Tab);
}

// Opens the combo's list with the mouse and clicks the item.
bool PickItem(QComboBox* combo, const QString& text) {
  const int index = combo->findText(text, Qt::MatchFixedString);
  if (index < 0) return false;
  QTest::mouseClick(combo, Qt::LeftButton, Qt::NoModifier, QPoint(combo->width() - 8, combo->height() / 2));
  QAbstractItemView* list = combo->view();
  if (!QTest::qWaitFor([&] { return list->isVisible(); })) return false;
  // The list ignores a release that follows its opening too closely.
  QTest::qWait(QApplication::doubleClickInterval() + 20);
  const QPoint at = list->visualRect(list->model()->index(index, 0)).center();
  QTest::mouseMove(list->viewport(), at);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
  return QTest::qWaitFor([&] { return !list->isVisible(); });
}

void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); }

// The message's own fields (its signal table cannot be copied).
struct MsgFields {
  explicit MsgFields(const _CANMsg& m)
      : name(m.name),
        frameFormat(m.frameFormat),
        byteCount(m.byteCount),
        id(m.id),
        j1939(m.j1939),
        frameType(m.frameType) {}
  bool operator==(const MsgFields&) const = default;
  std::string name;
  int frameFormat, byteCount, id, j1939, frameType;
};

bool SameRecords(const _CANSignal& a, const _CANSignal& b) {
  return std::string(a.name) == b.name && a.startBit == b.startBit && a.bitCount == b.bitCount &&
         a.byteOrder == b.byteOrder && a.valueType == b.valueType && a.factor == b.factor && a.offset == b.offset &&
         a.minimum == b.minimum && a.maximum == b.maximum && std::string(a.unit) == b.unit &&
         std::string(a.multiplexor) == b.multiplexor && a.multiplexValue == b.multiplexValue;
}

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
  static void ShowActive(CCanDlg& dlg) {
    dlg.show();
    dlg.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
  }
  // Opens the dialog on the records as the lists do and makes it active.
  static void Open(CCanDlg& dlg, int mode, CanTableFixture& t, _CANMsg* m, _CANSignal* s) {
    dlg.SetMode(mode);
    dlg.SetMessageTable(&t.table);
    dlg.SetTarget(m, s);
    ShowActive(dlg);
  }
  static QComboBox* Combo(CCanDlg& dlg, int id) { return static_cast<QComboBox*>(dlg.GetDlgItem(id)); }
  static void PressOk(CCanDlg& dlg) { Click(dlg.GetDlgItem(canctl::OK)); }

 private Q_SLOTS:
  // A new message in an empty list: no signal can be picked, the name typed
  // into the multiplexor field is the one stored.
  void typedMultiplexorIsStored() {
    CanTableFixture t;
    _CANMsg msg;
    _CANSignal sig;
    CCanDlg dlg;
    Open(dlg, DLGMODE_NEW, t, &msg, &sig);
    TypeInto(dlg.GetDlgItem(canctl::MSG_NAME), QStringLiteral("ENGINE"));
    TypeInto(dlg.GetDlgItem(canctl::BYTE_COUNT), QStringLiteral("8"));
    TypeInto(dlg.GetDlgItem(canctl::SIG_NAME), QStringLiteral("RPM"));
    QComboBox* mux = Combo(dlg, canctl::MULTIPLEXOR);
    QVERIFY(mux->isEditable() && mux->isEnabled());
    TypeInto(mux, QStringLiteral("MODE"));
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
    Open(dlg, DLGMODE_EDIT, t, m, a);
    QComboBox* mux = Combo(dlg, canctl::MULTIPLEXOR);
    QVERIFY(mux->count() > 2);
    QVERIFY(PickItem(mux, QStringLiteral("MUX")));
    QCOMPARE(mux->currentText(), QStringLiteral("MUX"));
    TypeInto(dlg.GetDlgItem(canctl::MUX_VALUE), QStringLiteral("1,2"));
    switch (action) {
      case 0: {
        QWidget* next = dlg.GetDlgItem(canctl::PAGE_NEXT);
        QVERIFY(next->isVisible());
        Click(next);
        QWidget* previous = dlg.GetDlgItem(canctl::PAGE_PREVIOUS);
        QVERIFY(previous->isVisible());
        Click(previous);
        break;
      }
      case 1:
        TypeInto(dlg.GetDlgItem(canctl::BYTE_COUNT), QStringLiteral("200"));
        break;
      default:
        Click(dlg.GetDlgItem(canctl::J1939));
        Click(dlg.GetDlgItem(canctl::J1939));
        break;
    }
    QCOMPARE(mux->currentText(), QStringLiteral("MUX"));
    QCOMPARE(static_cast<QLineEdit*>(dlg.GetDlgItem(canctl::MUX_VALUE))->text(), QStringLiteral("1,2"));
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
    Open(dlg, DLGMODE_NEW, t, &msg, &sig);
    QVERIFY(PickItem(Combo(dlg, canctl::MSG_NAME), QStringLiteral("FIRST")));
    QComboBox* mux = Combo(dlg, canctl::MULTIPLEXOR);
    QVERIFY(PickItem(mux, QStringLiteral("MUX")));
    auto* value = static_cast<QLineEdit*>(dlg.GetDlgItem(canctl::MUX_VALUE));
    TypeInto(value, QStringLiteral("3"));
    QVERIFY(PickItem(Combo(dlg, canctl::MSG_NAME), QStringLiteral("SECOND")));
    QCOMPARE(mux->currentText(), QString());
    QCOMPARE(value->text(), QString());
    QVERIFY(!value->isEnabled());
    TypeInto(dlg.GetDlgItem(canctl::SIG_NAME), QStringLiteral("NEWSIG"));
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
    Open(dlg, DLGMODE_EDIT, t, m, s);
    QComboBox* format = Combo(dlg, canctl::FRAME_FORMAT);
    QCOMPARE(format->currentIndex(), int(FRAME_STD));
    bool seen = false;
    QTimer::singleShot(50, [&] {
      auto* j = qobject_cast<CJ1939Dlg*>(QApplication::activeModalWidget());
      if (!j) return;
      seen = true;
      TypeInto(j->PgnEdit(), QStringLiteral("FEF1"));
      TypeInto(j->SourceEdit(), QStringLiteral("21"));
      TypeInto(j->PriorityEdit(), QStringLiteral("3"));
      Click(j->GetDlgItem(canctl::OK));
    });
    Click(dlg.GetDlgItem(canctl::J1939_ID));
    QVERIFY(seen);
    QCOMPARE(format->currentIndex(), int(FRAME_XTD));
    QCOMPARE(static_cast<CComboBoxINT*>(dlg.GetDlgItem(canctl::MSG_ID))->Value(), 0x0CFEF121);
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
    const MsgFields msgBefore(*m);
    const _CANSignal sigBefore = *s;
    CCanDlg dlg;
    Open(dlg, DLGMODE_EDIT, t, m, s);
    // The fields show what is stored.
    QCOMPARE(Combo(dlg, canctl::MULTIPLEXOR)->currentText().toUpper(), QString(s->multiplexor).toUpper());
    QCOMPARE(Combo(dlg, canctl::FRAME_FORMAT)->currentIndex(), int(m->frameFormat));
    QCOMPARE(static_cast<QLineEdit*>(dlg.GetDlgItem(canctl::MUX_VALUE))->text(), shownValue);
    RecordingMessageSink sink;
    PressOk(dlg);
    if (refusal) {
      QCOMPARE(sink.Ids(), std::vector<int>{refusal});
      QVERIFY(dlg.isVisible());
      QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(Combo(dlg, canctl::MULTIPLEXOR)));
    } else {
      QCOMPARE(sink.Ids(), std::vector<int>{});
      QCOMPARE(dlg.result(), int(QDialog::Accepted));
      QVERIFY(!dlg.IsModified());
    }
    QVERIFY(MsgFields(*m) == msgBefore);
    QVERIFY(SameRecords(*s, sigBefore));
  }
};

QTEST_MAIN(CanMuxTypingTest)
#include "CanMuxTypingTest.moc"
