// The CAN dialog typed into as a user does, headless, in an active window:
// the byte count typed digit by digit, the J1939 box ticked, start bit, bit
// count, factor and offset typed and left with Tab, and OK on records that
// break the dialog's rules.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <climits>
#include <sstream>

#include "CanDlg.h"
#include "CanDlgFixture.h"
#include "EditDBL.h"
#include "EditINT.h"
#include "RecordingMessageSink.h"

namespace {

// Every field of a message and its signals, to tell a record that OK left as
// it was from one it rewrote.
std::string Snapshot(const _CANMsg& m) {
  std::ostringstream out;
  out.precision(17);
  out << m.name << ' ' << m.id << ' ' << m.byteCount << ' ' << int(m.frameFormat) << ' ' << m.j1939 << ' '
      << int(m.frameType) << '\n';
  for (const auto& entry : m.signals) {
    const _CANSignal& s = *entry.value;
    out << s.name << ' ' << s.startBit << ' ' << s.bitCount << ' ' << int(s.valueType) << ' ' << int(s.byteOrder) << ' '
        << s.factor << ' ' << s.offset << ' ' << s.minimum << ' ' << s.maximum << ' ' << s.unit << ' ' << s.multiplexor
        << ' ' << s.multiplexValue << '\n';
  }
  return out.str();
}

}  // namespace

class CanDlgTypingTest : public QObject {
  Q_OBJECT

 private:
  // Shows the dialog and makes its window the active one, so that Tab and
  // the loss of focus reach the fields.
  static bool Open(CCanDlg& dlg, CanTableFixture& t, int mode, _CANMsg* m, _CANSignal* s) {
    dlg.SetMode(mode);
    dlg.SetMessageTable(&t.table);
    dlg.SetTarget(m, s);
    dlg.show();
    dlg.activateWindow();
    return QTest::qWaitForWindowActive(&dlg);
  }
  // The field of an edit, or the edit field of a combo box.
  static QLineEdit* Field(CCanDlg& dlg, int id) {
    QWidget* w = dlg.GetDlgItem(id);
    if (auto* combo = qobject_cast<QComboBox*>(w)) return combo->lineEdit();
    return qobject_cast<QLineEdit*>(w);
  }
  // Clicks into a field, selects its text and types over it.
  static void TypeInto(CCanDlg& dlg, int id, const QString& keys) {
    QLineEdit* field = Field(dlg, id);
    QTest::mouseClick(field, Qt::LeftButton);
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    if (keys.isEmpty()) QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, keys);
  }
  static void Tab() { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); }
  static void PressOk(CCanDlg& dlg) {
    QTest::mouseClick(static_cast<QPushButton*>(dlg.GetDlgItem(canctl::OK)), Qt::LeftButton);
  }
  static QString Text(CCanDlg& dlg, int id) { return Field(dlg, id)->text(); }

 private Q_SLOTS:
  // The signal keeps its range through every keystroke of the byte count;
  // only the count left in the field cuts what no longer fits.
  void byteCountTypedOnTheWayCutsNothing() {
    enum Act { TYPE, EMPTY_THEN_TYPE, J1939_OFF_ON };
    struct Case {
      const char* rule;
      int bytes, j1939, start, count;
      Act act;
      const char* keys;
      int expBytes, expStart, expCount;
    };
    const Case cases[] = {
        {"16 passes through 1 byte", 8, 0, 4, 28, TYPE, "16", 16, 4, 28},
        {"64 passes through 6 bytes", 8, 0, 63, 1, TYPE, "64", 64, 63, 1},
        {"an emptied field is no zero bytes", 8, 0, 20, 8, EMPTY_THEN_TYPE, "8", 8, 20, 8},
        {"J1939 ticked off and on again", 200, 1, 1000, 16, J1939_OFF_ON, "", 200, 1000, 16},
        {"the count left in the field cuts", 8, 0, 4, 28, TYPE, "2", 2, 4, 12},
        {"an empty field left shows 0", 8, 0, 4, 28, TYPE, "", 0, 0, 28},
    };
    for (const Case& c : cases) {
      CanTableFixture t;
      _CANMsg* m = t.Msg("ENGINE", c.bytes, 0x100, c.j1939 ? FRAME_XTD : FRAME_STD);
      m->j1939 = c.j1939;
      _CANSignal* s = t.Sig(m, "S5", c.start, c.count);
      CCanDlg dlg;
      QVERIFY2(Open(dlg, t, DLGMODE_EDIT, m, s), c.rule);
      if (c.act == J1939_OFF_ON) {
        auto* box = static_cast<QCheckBox*>(dlg.GetDlgItem(canctl::J1939));
        QTest::mouseClick(box, Qt::LeftButton);
        QTest::mouseClick(box, Qt::LeftButton);
      } else {
        if (c.act == EMPTY_THEN_TYPE) TypeInto(dlg, canctl::BYTE_COUNT, QString());
        TypeInto(dlg, canctl::BYTE_COUNT, QString::fromLatin1(c.keys));
        Tab();
      }
      QVERIFY2(Text(dlg, canctl::BYTE_COUNT) == QString::number(c.expBytes), c.rule);
      QVERIFY2(Text(dlg, canctl::START_BIT).toInt() == c.expStart, c.rule);
      QVERIFY2(Text(dlg, canctl::BIT_COUNT).toInt() == c.expCount, c.rule);
      RecordingMessageSink sink;
      PressOk(dlg);
      QVERIFY2(sink.shown.empty(), c.rule);
      QCOMPARE_EQ(m->byteCount, c.expBytes);
      QVERIFY2(s->startBit == c.expStart && s->bitCount == c.expCount, c.rule);
    }
  }

  // What a field shows after a commit is what the model holds, also when
  // the model put back the value it had before.
  void fieldShowsWhatTheModelHolds() {
    struct Case {
      const char* rule;
      int field;
      const char* keys;
    };
    // A holds 0-7 and C 16-23; B sits at 8 with 8 bits and cannot move.
    const Case cases[] = {
        {"start 4 lies on A: 8 shown", canctl::START_BIT, "4"},
        {"count 20 runs into C: 8 shown", canctl::BIT_COUNT, "20"},
        {"an emptied start: the grid's 8 shown", canctl::START_BIT, ""},
    };
    for (const Case& c : cases) {
      CanTableFixture t;
      _CANMsg* m = t.Msg("ENGINE", 8, 0x100);
      t.Sig(m, "A", 0, 8);
      _CANSignal* b = t.Sig(m, "B", 8, 8);
      t.Sig(m, "C", 16, 8);
      CCanDlg dlg;
      QVERIFY2(Open(dlg, t, DLGMODE_EDIT, m, b), c.rule);
      TypeInto(dlg, c.field, QString::fromLatin1(c.keys));
      Tab();
      QVERIFY2(Text(dlg, canctl::START_BIT) == QStringLiteral("8"), c.rule);
      QVERIFY2(Text(dlg, canctl::BIT_COUNT) == QStringLiteral("8"), c.rule);
      RecordingMessageSink sink;
      PressOk(dlg);
      QVERIFY2(sink.shown.empty(), c.rule);
      QVERIFY2(b->startBit == 8 && b->bitCount == 8 && !dlg.IsModified(), c.rule);
    }
  }

  // An emptied factor or offset shows and keeps the value it held; it never
  // becomes the no-limit marker.
  void emptiedScalingKeepsItsValue() {
    struct Case {
      const char* rule;
      bool fresh;
      int field;
      double stored;
      const char* shown;
    };
    const Case cases[] = {
        {"factor of a stored signal", false, canctl::FACTOR, 0.5, "500.00m"},
        {"offset of a stored signal", false, canctl::OFFSET, -3, "-3.0000"},
        {"factor of a new signal", true, canctl::FACTOR, 1, "1.0000"},
        {"offset of a new signal", true, canctl::OFFSET, 0, "0.0000"},
    };
    for (const Case& c : cases) {
      CanTableFixture t;
      _CANMsg* m = t.Msg("ENGINE", 8, 0x100);
      _CANSignal* s = t.Sig(m, "RPM", 0, 8);
      (c.field == canctl::FACTOR ? s->factor : s->offset) = c.stored;
      _CANMsg freshMsg;
      _CANSignal freshSig;
      CanTableFixture empty;
      CCanDlg dlg;
      if (c.fresh) {
        QVERIFY2(Open(dlg, empty, DLGMODE_NEW, &freshMsg, &freshSig), c.rule);
        TypeInto(dlg, canctl::MSG_NAME, QStringLiteral("FRESH"));
        TypeInto(dlg, canctl::BYTE_COUNT, QStringLiteral("8"));
        TypeInto(dlg, canctl::SIG_NAME, QStringLiteral("NEW"));
      } else {
        QVERIFY2(Open(dlg, t, DLGMODE_EDIT, m, s), c.rule);
      }
      TypeInto(dlg, c.field, QString());
      Tab();
      QVERIFY2(Text(dlg, c.field) == QLatin1String(c.shown), qPrintable(Text(dlg, c.field)));
      RecordingMessageSink sink;
      PressOk(dlg);
      QVERIFY2(sink.shown.empty(), c.rule);
      const _CANSignal& written = c.fresh ? freshSig : *s;
      QVERIFY2((c.field == canctl::FACTOR ? written.factor : written.offset) == c.stored, c.rule);
    }
  }

  // OK without an edit writes every record back as it was stored, or
  // refuses with the rule the record breaks and the focus on its field.
  void unchangedOkKeepsStoredRecords() {
    struct Case {
      const char* rule;
      int expMessage;  // 0: accepted
      int focus;
      const char* maxShown;
    };
    const Case cases[] = {
        {"A at 0-7 beside B at 4-11", 4014, canctl::START_BIT, ""},
        {"a double at 0 beside a 16-bit signal at 0", 4014, canctl::START_BIT, ""},
        {"a float with limits of 3.4e38", 0, 0, "3.4028e+38"},
        {"a start near INT_MAX", 4018, canctl::START_BIT, ""},
        {"a count near INT_MAX", 4018, canctl::START_BIT, ""},
        {"a signal beside one near INT_MAX", 4018, canctl::BYTE_COUNT, ""},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
      const Case& c = cases[i];
      CanTableFixture t;
      _CANMsg* m = t.Msg("ENGINE", 8, 0x100);
      _CANSignal* edited = nullptr;
      switch (i) {
        case 0:
          t.Sig(m, "A", 0, 8);
          edited = t.Sig(m, "B", 4, 8);
          break;
        case 1:
          edited = t.Sig(m, "D", 0, 64);
          edited->valueType = VALTYPE_FLOAT;
          t.Sig(m, "E", 0, 16);
          break;
        case 2:
          edited = t.Sig(m, "F", 0, 32);
          edited->valueType = VALTYPE_FLOAT;
          edited->minimum = -3.4028234663852886e38;
          edited->maximum = 3.4028234663852886e38;
          break;
        case 3:
          edited = t.Sig(m, "G", INT_MAX - 5, 10);
          break;
        case 4:
          edited = t.Sig(m, "G", 8, INT_MAX);
          break;
        default:
          t.Sig(m, "G", INT_MAX - 5, 10);
          edited = t.Sig(m, "H", 0, 8);
          break;
      }
      const std::string before = Snapshot(*m);
      CCanDlg dlg;
      QVERIFY2(Open(dlg, t, DLGMODE_EDIT, m, edited), c.rule);
      // The fields show the stored values, and passing through them keeps them.
      QVERIFY2(Text(dlg, canctl::START_BIT).toLongLong() == edited->startBit, c.rule);
      QVERIFY2(Text(dlg, canctl::BIT_COUNT).toLongLong() == edited->bitCount, c.rule);
      QVERIFY2(Text(dlg, canctl::MAXIMUM) == QLatin1String(c.maxShown), qPrintable(Text(dlg, canctl::MAXIMUM)));
      QTest::mouseClick(Field(dlg, canctl::BYTE_COUNT), Qt::LeftButton);
      for (int tab = 0; tab < 12; ++tab) Tab();
      RecordingMessageSink sink;
      PressOk(dlg);
      QVERIFY2(Snapshot(*m) == before, c.rule);
      QVERIFY2(!dlg.IsModified(), c.rule);
      if (c.expMessage == 0) {
        QVERIFY2(sink.shown.empty() && dlg.result() == QDialog::Accepted, c.rule);
        continue;
      }
      QVERIFY2(sink.Ids() == std::vector<int>{c.expMessage}, c.rule);
      QVERIFY2(dlg.isVisible(), c.rule);
      QVERIFY2(QApplication::focusWidget() == dlg.GetDlgItem(c.focus), c.rule);
    }
  }
};

QTEST_MAIN(CanDlgTypingTest)
#include "CanDlgTypingTest.moc"
