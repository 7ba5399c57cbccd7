// The FlexRay, LIN and LOGIC dialogs as a user works them: shown and active,
// with keystrokes into the fields, Tab and Enter, presses and small moves on
// the bit grid, then OK, and the records compared with what was stored.
#include "BitWindowGrid.h"
#include "DlgKeys.h"
#include "EditINT.h"
#include "FlexRayDlg.h"
#include "FrameDlgIds.h"
#include "LinDlg.h"
#include "LogicDlg.h"
#include "RecordPicture.h"
#include "RecordingMessageSink.h"
#include "SampleDefs.h"
#include "StaticEx.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QTest>

#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace dlgids;

using namespace vrtest;

namespace {

int IntField(CMsgDlg& dlg, int id) { return qobject_cast<CEditINT*>(dlg.GetDlgItem(id))->text().toInt(); }
QPoint CellCentre(CBitWindowGrid* grid, int cell) { return grid->Cell(cell)->geometry().center(); }

// A FlexRay or LIN dialog in edit mode on signal `sig` of frame `msg`.
template <class Dlg, class Msg>
void Target(Dlg& dlg, NameMap<Msg>& table, Msg* msg, const char* sig) {
  dlg.SetTarget(msg, msg->signals.Find(MakeUpperString(sig)));
  dlg.SetMessageTable(&table);
  dlg.SetEditedSignalName(sig);
  dlg.SetMode(DLGMODE_EDIT);
}

// A FlexRay or LIN dialog on signal S of a new frame, and what the frame
// stores.
struct EditedFrame {
  std::unique_ptr<CFrameSignalDlg> dlg;
  std::function<_SignalHead&()> sig;
  std::function<int()> bytes;
};
template <class Dlg, class Msg>
EditedFrame EditS(NameMap<Msg>& table, Msg* m) {
  auto* dlg = new Dlg;
  Target(*dlg, table, m, "S");
  return {std::unique_ptr<CFrameSignalDlg>(dlg), [m]() -> _SignalHead& { return *m->signals.Find("S"); },
          [m] { return int(m->byteCount); }};
}
EditedFrame EditS(CVestrelDoc& doc, bool lin, int bytes, const std::vector<sample::Sig>& sigs, int base = 0,
                  int rep = 1) {
  if (lin) return EditS<CLinDlg>(doc.GetLinMsgTable(LIST_DEFINITION), sample::Lin(doc, "Fr", 3, bytes, sigs));
  return EditS<CFlexRayDlg>(doc.GetFlexRayMsgTable(LIST_DEFINITION),
                            sample::FlexRay(doc, "Fr", 3, bytes, base, rep, sigs));
}

}  // namespace

class FrLinLogicTypingTest : public QObject {
  Q_OBJECT

 private:
  RecordingMessageSink sink_;

 private Q_SLOTS:
  void init() { sink_.shown.clear(); }

  // A byte count typed over the old one never cuts the signal at a count
  // passed on the way; only the count left in the field does.
  void byteCountCutsOnlyWhenLeft() {
    struct Row {
      bool lin;
      int bytes, start, count;
      const char* keys;  // '\b' is Backspace
      Qt::Key end;
      int wantStart, wantCount, wantBytes;
    };
    const Row rows[] = {
        {false, 254, 2000, 32, "\b254", Qt::Key_Tab, 2000, 32, 254},     // passes 2 and 25
        {false, 254, 2000, 32, "\b254", Qt::Key_Return, 2000, 32, 254},  // Enter settles the same
        {false, 254, 2000, 32, "\b250", Qt::Key_Tab, 1999, 1, 250},      // the count left cuts
        {true, 4, 24, 8, "3\b4", Qt::Key_Tab, 24, 8, 4},                 // 3 typed, then corrected
    };
    for (const Row& r : rows) {
      CVestrelDoc doc;
      const EditedFrame e = EditS(doc, r.lin, r.bytes, {{"S", r.start, r.count}});
      CFrameSignalDlg& dlg = *e.dlg;
      QVERIFY(ShowActive(dlg));
      const QString keys = QString::fromLatin1(r.keys);
      TypeOver(dlg.GetDlgItem(IDC_BYTE_COUNT), keys.chopped(1));
      // One keystroke short of the end: nothing is cut yet.
      QCOMPARE(IntField(dlg, IDC_START_BIT), r.start);
      QCOMPARE(IntField(dlg, IDC_BIT_COUNT), r.count);
      QTest::keyClick(QApplication::focusWidget(), keys.back().toLatin1());
      Press(r.end);
      QCOMPARE(IntField(dlg, IDC_START_BIT), r.wantStart);
      QCOMPARE(IntField(dlg, IDC_BIT_COUNT), r.wantCount);
      PressOk(dlg);
      QCOMPARE(sink_.Ids(), std::vector<int>{});
      QCOMPARE(dlg.result(), int(QDialog::Accepted));
      QCOMPARE(e.sig().startBit, r.wantStart);
      QCOMPARE(e.sig().bitCount, r.wantCount);
      QCOMPARE(e.bytes(), r.wantBytes);
    }
  }

  // Open, OK without an edit: the frame is written back as stored, or OK
  // refuses and says why. FlexRay keeps its stored cycles; in LIN a stored
  // range outside the frame is refused, not moved, a stored float of neither
  // 32 nor 64 bits shows as Float and stays a float, and an imported
  // float's limits beyond what may be typed stay.
  void unchangedOkKeepsTheStoredFrame() {
    struct Row {
      bool lin;
      int base, rep;  // FlexRay's cycles
      int start, count, valueType;
      double limit;
      int message;  // 0: accepted without a change
    };
    const int U = VALTYPE_UNSIGNED;
    const double NO = VALUE_UNLIMITED;
    const Row rows[] = {
        {false, 3, 100, 0, 8, U, NO, 0},
        {false, 70, 64, 0, 8, U, NO, IDS_MSG_BASE_CYCLE},
        {false, 5, 0, 0, 8, U, NO, IDS_MSG_BASE_CYCLE},
        {false, 1, 4, 0, 8, U, NO, 0},
        {true, 0, 1, 70, 1, U, NO, IDS_MSG_BITS_OUTSIDE},
        {true, 0, 1, 8, 8, U, NO, 0},
        {true, 0, 1, 8, 10, VALTYPE_FLOAT, NO, 0},
        {true, 0, 1, 8, 32, VALTYPE_FLOAT, 3.4e38, 0},
    };
    for (const Row& r : rows) {
      sink_.shown.clear();
      CVestrelDoc doc;
      std::vector<sample::Sig> sigs{{"S", r.start, r.count}};
      if (r.lin) sigs.push_back({"T", 0, 4});
      const EditedFrame e = EditS(doc, r.lin, 8, sigs, r.base, r.rep);
      e.sig().valueType = static_cast<uint8_t>(r.valueType);
      e.sig().minimum = -r.limit;
      e.sig().maximum = r.limit;
      const Picture stored(doc, LIST_DEFINITION);
      CFrameSignalDlg& dlg = *e.dlg;
      QVERIFY(ShowActive(dlg));
      QCOMPARE(IntField(dlg, IDC_START_BIT), r.start);
      if (!r.lin) {
        QCOMPARE(IntField(dlg, IDC_BASE_CYCLE), r.base);
        QCOMPARE(IntField(dlg, IDC_CYCLE_REPEAT), r.rep);
      }
      PressOk(dlg);
      const Picture now(doc, LIST_DEFINITION);
      QVERIFY2(now == stored, stored.Differences(now).c_str());
      QVERIFY(!dlg.IsModified());
      QCOMPARE(sink_.Ids(), r.message ? std::vector<int>{r.message} : std::vector<int>{});
      QCOMPARE(dlg.isVisible(), r.message != 0);
    }
  }

  // And for LOGIC: a lower-case don't-care and an empty pattern stay as stored.
  void logicUnchangedOkKeepsStoredPattern() {
    const char* patterns[] = {"1x0x", "", "10X1"};
    for (const char* p : patterns) {
      CVestrelDoc doc;
      _LOGICSignal* s = sample::Symbol(doc, 0, "Sym", p);
      doc.GetLogicGroup(LIST_DEFINITION, 0)->bitCount = 4;
      const Picture stored(doc, LIST_DEFINITION);
      CLogicDlg dlg;
      dlg.SetGroups(doc.GetLogicGroup(LIST_DEFINITION, 0));
      dlg.SetSymbol(s);
      dlg.SetGroupIndex(0);
      dlg.SetMode(DLGMODE_EDIT);
      QVERIFY(ShowActive(dlg));
      PressOk(dlg);
      QCOMPARE(dlg.result(), int(QDialog::Accepted));
      const Picture now(doc, LIST_DEFINITION);
      QVERIFY2(now == stored, stored.Differences(now).c_str());
      QVERIFY(!dlg.IsModified());
    }
  }

  // Float, then a bit count that resets it to Unsigned, then a Double that
  // does not fit: the type goes back to Unsigned, never to Float.
  void refusedDoubleReturnsToTheTypeOnScreen() {
    for (bool lin : {false, true}) {
      CVestrelDoc doc;
      const EditedFrame e = EditS(doc, lin, 6, {{"S", 0, 8}});
      CFrameSignalDlg& dlg = *e.dlg;
      QVERIFY(ShowActive(dlg));
      auto* type = qobject_cast<QComboBox*>(dlg.GetDlgItem(IDC_VALUE_TYPE));
      type->setFocus();
      QTest::keyClick(type, Qt::Key_Down);
      QTest::keyClick(type, Qt::Key_Down);
      QCOMPARE(type->currentIndex(), int(VTITEM_FLOAT));
      QCOMPARE(IntField(dlg, IDC_BIT_COUNT), 32);
      TypeOver(dlg.GetDlgItem(IDC_BIT_COUNT), u"10");
      Press(Qt::Key_Return);
      QCOMPARE(type->currentIndex(), int(VTITEM_UNSIGNED));
      type->setFocus();
      QTest::keyClick(type, Qt::Key_End);  // Double: 64 bits do not fit in 48
      QCOMPARE(type->currentIndex(), int(VTITEM_UNSIGNED));
      QCOMPARE(IntField(dlg, IDC_BIT_COUNT), 10);
      PressOk(dlg);
      QCOMPARE(int(e.sig().valueType), int(VALTYPE_UNSIGNED));
      QCOMPARE(e.sig().bitCount, 10);
    }
  }

  // A press and a one-pixel move inside the same cell select one bit: the
  // window does not move under the pointer before the release.
  void windowHoldsStillFromPressToRelease() {
    CVestrelDoc doc;
    _FlexRayMsg* m = sample::FlexRay(doc, "Wide", 7, 16, 0, 1, {{"S", 0, 4}});
    CFlexRayDlg dlg;
    Target(dlg, doc.GetFlexRayMsgTable(LIST_DEFINITION), m, "S");
    QVERIFY(ShowActive(dlg));
    CBitWindowGrid* grid = dlg.Grid();
    const QPoint at = CellCentre(grid, 50);
    QTest::mousePress(grid, Qt::LeftButton, {}, at);
    QTest::mouseMove(grid, at + QPoint(1, 0));
    QTest::mouseRelease(grid, Qt::LeftButton, {}, at + QPoint(1, 0));
    QCOMPARE(IntField(dlg, IDC_START_BIT), 50);
    QCOMPARE(IntField(dlg, IDC_BIT_COUNT), 1);
    // After the release the window follows the start bit.
    QCOMPARE(dlg.Grid()->RowLabel(0)->text(), QStringLiteral("48"));
  }

  // Tooltips describe the window after it moves, by a press or by a byte
  // count that cuts the signal.
  void tooltipsFollowTheWindow() {
    struct Row {
      int start;
      bool press;  // press cell 50; else type byte count 10
      int cell;    // the cell that shows bit 64 afterwards
    };
    const Row rows[] = {{0, true, 16}, {100, false, 0}};
    for (const Row& r : rows) {
      CVestrelDoc doc;
      _FlexRayMsg* m = sample::FlexRay(doc, "Wide", 7, 16, 0, 1, {{"S", r.start, 4}, {"Far", 64, 8}});
      CFlexRayDlg dlg;
      Target(dlg, doc.GetFlexRayMsgTable(LIST_DEFINITION), m, "S");
      QVERIFY(ShowActive(dlg));
      CBitWindowGrid* grid = dlg.Grid();
      if (r.press) {
        QTest::mousePress(grid, Qt::LeftButton, {}, CellCentre(grid, 50));
        QTest::mouseRelease(grid, Qt::LeftButton, {}, CellCentre(grid, 50));
      } else {
        TypeAndTab(dlg.GetDlgItem(IDC_BYTE_COUNT), u"10");
      }
      QVERIFY2(grid->Cell(r.cell)->ToolTipText().contains(QStringLiteral("Far")),
               qPrintable(grid->Cell(r.cell)->ToolTipText()));
      QVERIFY(!grid->Cell(r.cell + 8)->ToolTipText().contains(QStringLiteral("Far")));
    }
  }

  // Choosing a row of the signal-name list shows its bits on the grid.
  void signalRowRedrawsTheGrid() {
    CVestrelDoc doc;
    sample::FlexRay(doc, "Engine", 5, 8, 0, 2, {{"Temp", 24, 8}});
    _FlexRayMsg fresh;
    _FlexRaySignal freshSignal;
    CFlexRayDlg dlg;
    dlg.SetTarget(&fresh, &freshSignal);
    dlg.SetMessageTable(&doc.GetFlexRayMsgTable(LIST_DEFINITION));
    dlg.SetMode(DLGMODE_NEW);
    QVERIFY(ShowActive(dlg));
    TypeAndTab(dlg.GetDlgItem(IDC_BYTE_COUNT), u"8");
    auto* names = qobject_cast<QComboBox*>(dlg.GetDlgItem(IDC_SIGNAL_NAME));
    QCOMPARE(names->count(), 1);
    QVERIFY(ChooseFromList(names, names->itemText(0)));
    QCOMPARE(IntField(dlg, IDC_START_BIT), 24);
    // The window starts at bit 16: cells 8 to 15 show bits 24 to 31.
    QCOMPARE(dlg.Grid()->RowLabel(0)->text(), QStringLiteral("16"));
    QCOMPARE(dlg.Grid()->Cell(8)->ColorIndex(), int(BITKIND_EDITED));
    QCOMPARE(dlg.Grid()->Cell(15)->ColorIndex(), int(BITKIND_EDITED));
    QCOMPARE(dlg.Grid()->Cell(16)->ColorIndex(), int(BITKIND_FREE));
  }

  // A bit count typed, left with Tab and OK clicked refits every pattern of
  // the group as the edited symbol's own field was fitted: bit 0 stays
  // rightmost, so bit k means the same channel in every pattern.
  void refitKeepsBitZeroRightmost() {
    struct Row {
      const char* rule;
      const char* edited;  // C, the symbol in the dialog
      const char* other;   // D
      const char* bits;
      const char* wantEdited;
      const char* wantOther;
    };
    const Row rows[] = {
        {"cut to 2: 1100 and 0011 stay apart", "1100", "0011", "2", "00", "11"},
        {"cut to 2: 1100 and 1010", "1100", "1010", "2", "00", "10"},
        {"widened to 6: padded on the left", "1100", "0011", "6", "XX1100", "XX0011"},
        {"cut to 3: don't-cares kept in place", "1100", "x01X", "3", "100", "01X"},
    };
    for (const Row& r : rows) {
      sink_.shown.clear();
      CVestrelDoc doc;
      _LOGICSignal* c = sample::Symbol(doc, 0, "C", r.edited);
      _LOGICSignal* d = sample::Symbol(doc, 0, "D", r.other);
      CLogicDlg dlg;
      dlg.SetGroups(doc.GetLogicGroup(LIST_DEFINITION, 0));
      dlg.SetSymbol(c);
      dlg.SetGroupIndex(0);
      dlg.SetMode(DLGMODE_EDIT);
      QVERIFY2(ShowActive(dlg), r.rule);
      TypeAndTab(dlg.GetDlgItem(IDC_LOGIC_BITS), QString::fromLatin1(r.bits));
      QVERIFY2(TextOf(dlg.GetDlgItem(IDC_PATTERN_BIN)) == QLatin1String(r.wantEdited), r.rule);
      PressOk(dlg);
      QVERIFY2(sink_.Ids() == std::vector<int>{IDS_ASK_GROUP_BITS}, r.rule);
      QVERIFY2(!dlg.isVisible(), r.rule);
      QVERIFY2(std::string(c->pattern) == r.wantEdited, r.rule);
      QVERIFY2(std::string(d->pattern) == r.wantOther, r.rule);
    }
  }

  // A lower bit count that would cut two patterns of the group to one is
  // refused before anything changes.
  void refitNeverMergesTwoPatterns() {
    CVestrelDoc doc;
    sample::Symbol(doc, 0, "A", "0101");
    sample::Symbol(doc, 0, "B", "1101");
    _LOGICSignal* c = sample::Symbol(doc, 0, "C", "1111");
    _LOGICGroup* g = doc.GetLogicGroup(LIST_DEFINITION, 0);
    const Picture stored(doc, LIST_DEFINITION);
    CLogicDlg dlg;
    dlg.SetGroups(g);
    dlg.SetSymbol(c);
    dlg.SetGroupIndex(0);
    dlg.SetMode(DLGMODE_EDIT);
    QVERIFY(ShowActive(dlg));
    TypeOver(dlg.GetDlgItem(IDC_LOGIC_BITS), u"3");
    Press(Qt::Key_Return);
    PressOk(dlg);
    QCOMPARE(sink_.Ids(), std::vector<int>{IDS_MSG_SAME_PATTERN});
    QVERIFY(dlg.isVisible());
    QCOMPARE(QApplication::focusWidget(), dlg.GetDlgItem(IDC_LOGIC_BITS));
    const Picture now(doc, LIST_DEFINITION);
    QVERIFY2(now == stored, stored.Differences(now).c_str());
  }
};

QTEST_MAIN(FrLinLogicTypingTest)
#include "FrLinLogicTypingTest.moc"
