// The CAN dialog typed into as a user does, headless, in an active window:
// the byte count typed digit by digit, the J1939 box ticked, start bit, bit
// count, factor and offset typed and left with Tab, and OK on records that
// break the dialog's rules.
#include <QApplication>
#include <QComboBox>
#include <QRadioButton>
#include <QTest>

#include <climits>

#include "CanDlg.h"
#include "CanDlgFixture.h"
#include "DlgKeys.h"
#include "GridDrag.h"
#include "MsgIds.h"
#include "RecordPicture.h"
#include "RecordingMessageSink.h"
#include "Resources.h"

using namespace vrtest;

class CanDlgTypingTest : public QObject {
  Q_OBJECT

 private:
  static QString Text(CCanDlg& dlg, int id) { return TextOf(dlg.GetDlgItem(id)); }

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
        {"J1939 ticked off cuts at once; on again, the count comes back", 200, 1, 1000, 16, J1939_OFF_ON, "", 200, 511,
         1},
        {"the count left in the field cuts", 8, 0, 4, 28, TYPE, "2", 2, 4, 12},
        {"an empty field left keeps its count", 8, 0, 4, 28, TYPE, "", 8, 4, 28},
    };
    for (const Case& c : cases) {
      CanTableFixture t;
      _CANMsg* m = t.Msg("ENGINE", c.bytes, 0x100, c.j1939 ? FRAME_XTD : FRAME_STD);
      m->j1939 = c.j1939;
      _CANSignal* s = t.Sig(m, "S5", c.start, c.count);
      CCanDlg dlg;
      t.Aim(dlg, DLGMODE_EDIT, m, s);
      QVERIFY2(ShowActive(dlg), c.rule);
      if (c.act == J1939_OFF_ON) {
        QWidget* box = dlg.GetDlgItem(dlgids::IDC_J1939);
        Click(box);
        Click(box);
      } else {
        if (c.act == EMPTY_THEN_TYPE) TypeOver(dlg.GetDlgItem(dlgids::IDC_BYTE_COUNT), QString());
        TypeAndTab(dlg.GetDlgItem(dlgids::IDC_BYTE_COUNT), QString::fromLatin1(c.keys));
      }
      QVERIFY2(Text(dlg, dlgids::IDC_BYTE_COUNT) == QString::number(c.expBytes), c.rule);
      QVERIFY2(Text(dlg, dlgids::IDC_START_BIT).toInt() == c.expStart, c.rule);
      QVERIFY2(Text(dlg, dlgids::IDC_BIT_COUNT).toInt() == c.expCount, c.rule);
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
        {"start 4 lies on A: 8 shown", dlgids::IDC_START_BIT, "4"},
        {"count 20 runs into C: 8 shown", dlgids::IDC_BIT_COUNT, "20"},
        {"an emptied start keeps its 8", dlgids::IDC_START_BIT, ""},
    };
    for (const Case& c : cases) {
      CanTableFixture t;
      _CANMsg* m = t.Msg("ENGINE", 8, 0x100);
      t.Sig(m, "A", 0, 8);
      _CANSignal* b = t.Sig(m, "B", 8, 8);
      t.Sig(m, "C", 16, 8);
      CCanDlg dlg;
      t.Aim(dlg, DLGMODE_EDIT, m, b);
      QVERIFY2(ShowActive(dlg), c.rule);
      TypeAndTab(dlg.GetDlgItem(c.field), QString::fromLatin1(c.keys));
      QVERIFY2(Text(dlg, dlgids::IDC_START_BIT) == QStringLiteral("8"), c.rule);
      QVERIFY2(Text(dlg, dlgids::IDC_BIT_COUNT) == QStringLiteral("8"), c.rule);
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
        {"factor of a stored signal", false, dlgids::IDC_FACTOR, 0.5, "500.00m"},
        {"offset of a stored signal", false, dlgids::IDC_OFFSET, -3, "-3.0000"},
        {"factor of a new signal", true, dlgids::IDC_FACTOR, 1, "1.0000"},
        {"offset of a new signal", true, dlgids::IDC_OFFSET, 0, "0.0000"},
    };
    for (const Case& c : cases) {
      CanTableFixture t;
      _CANMsg* m = t.Msg("ENGINE", 8, 0x100);
      _CANSignal* s = t.Sig(m, "RPM", 0, 8);
      (c.field == dlgids::IDC_FACTOR ? s->factor : s->offset) = c.stored;
      _CANMsg freshMsg;
      _CANSignal freshSig;
      CanTableFixture empty;
      CCanDlg dlg;
      if (c.fresh) {
        empty.Aim(dlg, DLGMODE_NEW, &freshMsg, &freshSig);
        QVERIFY2(ShowActive(dlg), c.rule);
        TypeOver(dlg.GetDlgItem(dlgids::IDC_MSG_NAME), u"FRESH");
        TypeOver(dlg.GetDlgItem(dlgids::IDC_BYTE_COUNT), u"8");
        TypeOver(dlg.GetDlgItem(dlgids::IDC_SIGNAL_NAME), u"NEW");
      } else {
        t.Aim(dlg, DLGMODE_EDIT, m, s);
        QVERIFY2(ShowActive(dlg), c.rule);
      }
      TypeAndTab(dlg.GetDlgItem(c.field), QString());
      QVERIFY2(Text(dlg, c.field) == QLatin1String(c.shown), qPrintable(Text(dlg, c.field)));
      RecordingMessageSink sink;
      PressOk(dlg);
      QVERIFY2(sink.shown.empty(), c.rule);
      const _CANSignal& written = c.fresh ? freshSig : *s;
      QVERIFY2((c.field == dlgids::IDC_FACTOR ? written.factor : written.offset) == c.stored, c.rule);
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
        {"A at 0-7 beside B at 4-11", 4014, dlgids::IDC_START_BIT, ""},
        {"a double at 0 beside a 16-bit signal at 0", 4014, dlgids::IDC_START_BIT, ""},
        {"a float with limits of 3.4e38", 0, 0, "3.4028e+38"},
        {"a start near INT_MAX", 4018, dlgids::IDC_START_BIT, ""},
        {"a count near INT_MAX", 4018, dlgids::IDC_START_BIT, ""},
        {"a signal beside one near INT_MAX", 4018, dlgids::IDC_BYTE_COUNT, ""},
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
      const Picture before = Picture::Of(*m);
      CCanDlg dlg;
      t.Aim(dlg, DLGMODE_EDIT, m, edited);
      QVERIFY2(ShowActive(dlg), c.rule);
      // The fields show the stored values, and passing through them keeps them.
      QVERIFY2(Text(dlg, dlgids::IDC_START_BIT).toLongLong() == edited->startBit, c.rule);
      QVERIFY2(Text(dlg, dlgids::IDC_BIT_COUNT).toLongLong() == edited->bitCount, c.rule);
      QVERIFY2(Text(dlg, dlgids::IDC_MAXIMUM) == QLatin1String(c.maxShown), qPrintable(Text(dlg, dlgids::IDC_MAXIMUM)));
      Click(EditOf(dlg.GetDlgItem(dlgids::IDC_BYTE_COUNT)));
      for (int tab = 0; tab < 12; ++tab) Press(Qt::Key_Tab);
      RecordingMessageSink sink;
      PressOk(dlg);
      const Picture now = Picture::Of(*m);
      QVERIFY2(now == before, (c.rule + ("\n" + before.Differences(now))).c_str());
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

  // A byte order clicked stands through whatever the user does next, up to
  // OK, which stores it (and, asked, gives it to the other signal).
  void clickedByteOrderHolds() {
    enum Act { START, COUNT, FACTOR, BYTES, VALUE_TYPE, DRAG, PAGE, MULTIPLEXOR, J1939_OFF_ON, MESSAGE };
    struct Case {
      const char* rule;
      Act act;
    };
    const Case cases[] = {
        {"start bit typed", START},         {"bit count typed", COUNT},
        {"factor typed", FACTOR},           {"byte count typed", BYTES},
        {"value type picked", VALUE_TYPE},  {"bits dragged", DRAG},
        {"paged forward and back", PAGE},   {"multiplexor picked", MULTIPLEXOR},
        {"J1939 off and on", J1939_OFF_ON}, {"message picked for a new signal", MESSAGE},
    };
    for (const Case& c : cases) {
      for (int stored : {BYTEORDER_LITTLE, BYTEORDER_BIG}) {
        const int chosen = stored == BYTEORDER_BIG ? BYTEORDER_LITTLE : BYTEORDER_BIG;
        const std::string what = std::string(c.rule) + (chosen == BYTEORDER_BIG ? ", Big" : ", Little");
        CanTableFixture t;
        _CANMsg* m = t.Msg("LONGMSG", 200, 0x18FEF100, FRAME_XTD);
        m->j1939 = 1;
        _CANSignal* mux = t.Sig(m, "MUX", 0, 8);
        _CANSignal* s = t.Sig(m, "S", 8, 8);
        _CANMsg freshMsg;
        _CANSignal freshSig;
        mux->byteOrder = s->byteOrder = freshSig.byteOrder = static_cast<uint8_t>(stored);
        _CANSignal* edited = c.act == MESSAGE ? &freshSig : s;
        CCanDlg dlg;
        if (c.act == MESSAGE) t.Aim(dlg, DLGMODE_NEW, &freshMsg, &freshSig);
        else t.Aim(dlg, DLGMODE_EDIT, m, s);
        QVERIFY2(ShowActive(dlg), what.c_str());
        // A new message has no bits until it has bytes: the signal fields wait.
        if (c.act == MESSAGE) TypeAndTab(dlg.GetDlgItem(dlgids::IDC_BYTE_COUNT), u"8");
        QWidget* radio = dlg.GetDlgItem(chosen == BYTEORDER_BIG ? dlgids::IDC_BYTE_BIG : dlgids::IDC_BYTE_LITTLE);
        QVERIFY2(radio->isEnabled(), what.c_str());
        Click(radio);
        switch (c.act) {
          case START:
            TypeAndTab(dlg.GetDlgItem(dlgids::IDC_START_BIT), u"40");
            break;
          case COUNT:
            TypeAndTab(dlg.GetDlgItem(dlgids::IDC_BIT_COUNT), u"4");
            break;
          case FACTOR:
            TypeAndTab(dlg.GetDlgItem(dlgids::IDC_FACTOR), u"2");
            break;
          case BYTES:
            TypeAndTab(dlg.GetDlgItem(dlgids::IDC_BYTE_COUNT), u"100");
            break;
          case VALUE_TYPE:
            QVERIFY2(ChooseFromList(static_cast<QComboBox*>(dlg.GetDlgItem(dlgids::IDC_VALUE_TYPE)),
                                    vrres::LoadString(IDS_VALTYPE_SIGNED)),
                     what.c_str());
            break;
          case DRAG:
            DragBits(dlg.GridView(), 100, 103);
            break;
          case PAGE:
            Click(dlg.GetDlgItem(dlgids::IDC_PAGE_NEXT));
            Click(dlg.GetDlgItem(dlgids::IDC_PAGE_PREVIOUS));
            break;
          case MULTIPLEXOR:
            QVERIFY2(
                ChooseFromList(static_cast<QComboBox*>(dlg.GetDlgItem(dlgids::IDC_MULTIPLEXOR)), QStringLiteral("MUX")),
                what.c_str());
            break;
          case J1939_OFF_ON:
            Click(dlg.GetDlgItem(dlgids::IDC_J1939));
            Click(dlg.GetDlgItem(dlgids::IDC_J1939));
            break;
          case MESSAGE:
            QVERIFY2(ChooseFromList(static_cast<QComboBox*>(dlg.GetDlgItem(dlgids::IDC_MSG_NAME)),
                                    QStringLiteral("LONGMSG")),
                     what.c_str());
            TypeAndTab(dlg.GetDlgItem(dlgids::IDC_SIGNAL_NAME), u"NEW");
            break;
        }
        QVERIFY2(static_cast<QRadioButton*>(radio)->isChecked(), what.c_str());
        RecordingMessageSink sink;
        sink.answers = {MSG_OK};
        PressOk(dlg);
        QVERIFY2(sink.Ids() == std::vector<int>{IDS_MSG_BYTEORDER_CHANGE}, what.c_str());
        QVERIFY2(dlg.result() == QDialog::Accepted, what.c_str());
        QVERIFY2(edited->byteOrder == chosen && mux->byteOrder == chosen, what.c_str());
      }
    }
  }
};

QTEST_MAIN(CanDlgTypingTest)
#include "CanDlgTypingTest.moc"
