// The FlexRay, LIN and LOGIC dialogs as a user works them: shown and active,
// with keystrokes into the fields, Tab and Enter, presses and small moves on
// the bit grid, then OK, and the records compared with what was stored.
#include "BitWindowGrid.h"
#include "EditINT.h"
#include "FlexRayDlg.h"
#include "FrameDlgIds.h"
#include "LinDlg.h"
#include "LogicDlg.h"
#include "RecordingMessageSink.h"
#include "SampleDefs.h"
#include "StaticEx.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <cstdio>
#include <string>

using namespace dlgids;

namespace {

bool Activate(QDialog& dlg) {
  dlg.show();
  dlg.activateWindow();
  return QTest::qWaitForWindowActive(&dlg);
}

QLineEdit* EditOf(QWidget* field) {
  if (auto* combo = qobject_cast<QComboBox*>(field)) return combo->lineEdit();
  return qobject_cast<QLineEdit*>(field);
}

// Select all, then the keys one by one; `end` is the key that leaves the
// field (Tab, Return) or 0 to stay in it.
void Type(QWidget* field, const QString& keys, int end = Qt::Key_Tab) {
  QLineEdit* edit = EditOf(field);
  QVERIFY(edit);
  edit->setFocus();
  edit->selectAll();
  for (QChar c : keys) {
    if (c == QLatin1Char('<')) QTest::keyClick(edit, Qt::Key_Backspace);
    else QTest::keyClick(edit, c.toLatin1());
  }
  if (end) QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(end));
}

int IntField(CMsgDlg& dlg, int id) { return qobject_cast<CEditINT*>(dlg.GetDlgItem(id))->text().toInt(); }
void ClickOk(CMsgDlg& dlg) { QTest::mouseClick(dlg.GetDlgItem(1), Qt::LeftButton); }
QPoint CellCentre(CBitWindowGrid* grid, int cell) { return grid->Cell(cell)->geometry().center(); }

// Every stored field of a frame and its signals, as one text.
template <class Msg>
std::string Snapshot(const Msg& m) {
  char line[256];
  std::string out = m.name;
  for (const auto& e : m.signals) {
    const auto& s = *e.value;
    std::snprintf(line, sizeof line, "|%s %d %d %d %d %d %g %g %g %g %s", s.name, s.startBit, s.bitCount,
                  int(s.byteOrder), int(s.bitOrder), int(s.valueType), s.factor, s.offset, s.minimum, s.maximum,
                  s.unit);
    out += line;
  }
  return out;
}
std::string Snapshot(const _FlexRayMsg& m) {
  return std::to_string(m.slotId) + " " + std::to_string(m.byteCount) + " " + std::to_string(m.baseCycle) + " " +
         std::to_string(m.cycleRepetition) + " " + Snapshot<_FlexRayMsg>(m);
}
std::string Snapshot(const _LINMsg& m) {
  return std::to_string(m.id) + " " + std::to_string(m.byteCount) + " " + std::to_string(m.checksum) + " " +
         Snapshot<_LINMsg>(m);
}
std::string Snapshot(const _LOGICGroup& g) {
  std::string out = std::to_string(g.bitCount);
  for (const auto& e : g.symbols) out += std::string("|") + e.value->name + "=" + e.value->pattern;
  return out;
}

// A FlexRay or LIN dialog in edit mode on signal `sig` of frame `msg`.
template <class Dlg, class Msg>
void Target(Dlg& dlg, NameMap<Msg>& table, Msg* msg, const char* sig) {
  dlg.SetTarget(msg, msg->signals.Find(MakeUpperString(sig)));
  dlg.SetMessageTable(&table);
  dlg.SetEditedSignalName(sig);
  dlg.SetMode(DLGMODE_EDIT);
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
      const char* keys;
      int end;
      int wantStart, wantCount, wantBytes;
    };
    const Row rows[] = {
        {false, 254, 2000, 32, "<254", Qt::Key_Tab, 2000, 32, 254},     // passes 2 and 25
        {false, 254, 2000, 32, "<254", Qt::Key_Return, 2000, 32, 254},  // Enter settles the same
        {false, 254, 2000, 32, "<250", Qt::Key_Tab, 1999, 1, 250},      // the count left cuts
        {true, 4, 24, 8, "3<4", Qt::Key_Tab, 24, 8, 4},                 // 3 typed, then corrected
    };
    for (const Row& r : rows) {
      CVestrelDoc doc;
      std::unique_ptr<CFrameSignalDlg> owner;
      std::string before;
      std::function<std::string()> after;
      if (r.lin) {
        _LINMsg* m = sample::Lin(doc, "FrA", 3, r.bytes, {{"S", r.start, r.count}});
        auto* dlg = new CLinDlg;
        Target(*dlg, doc.GetLinMsgTable(LIST_DEFINITION), m, "S");
        owner.reset(dlg);
        after = [m] { return Snapshot(*m); };
      } else {
        _FlexRayMsg* m = sample::FlexRay(doc, "FrA", 3, r.bytes, 0, 1, {{"S", r.start, r.count}});
        auto* dlg = new CFlexRayDlg;
        Target(*dlg, doc.GetFlexRayMsgTable(LIST_DEFINITION), m, "S");
        owner.reset(dlg);
        after = [m] { return Snapshot(*m); };
      }
      CFrameSignalDlg& dlg = *owner;
      QVERIFY(Activate(dlg));
      Type(dlg.GetDlgItem(IDC_BYTE_COUNT), QString::fromLatin1(r.keys).chopped(1), 0);
      // One keystroke short of the end: nothing is cut yet.
      QCOMPARE(IntField(dlg, IDC_START_BIT), r.start);
      QCOMPARE(IntField(dlg, IDC_BIT_COUNT), r.count);
      QTest::keyClick(QApplication::focusWidget(), QString::fromLatin1(r.keys).back().toLatin1());
      QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(r.end));
      QCOMPARE(IntField(dlg, IDC_START_BIT), r.wantStart);
      QCOMPARE(IntField(dlg, IDC_BIT_COUNT), r.wantCount);
      ClickOk(dlg);
      QCOMPARE(sink_.Ids(), std::vector<int>{});
      QCOMPARE(dlg.result(), int(QDialog::Accepted));
      QVERIFY2(after().find("|S " + std::to_string(r.wantStart) + " " + std::to_string(r.wantCount) + " ") !=
                   std::string::npos,
               after().c_str());
      QVERIFY(after().find(" " + std::to_string(r.wantBytes) + " ") != std::string::npos);
    }
  }

  // Open, OK without an edit: the FlexRay frame is written back as stored,
  // or OK refuses and says why.
  void flexRayUnchangedOkKeepsStoredCycles() {
    struct Row {
      int base, rep;
      int message;  // 0: accepted without a change
    };
    const Row rows[] = {{3, 100, 0}, {70, 64, IDS_MSG_BASE_CYCLE}, {5, 0, IDS_MSG_BASE_CYCLE}, {1, 4, 0}};
    for (const Row& r : rows) {
      sink_.shown.clear();
      CVestrelDoc doc;
      _FlexRayMsg* m = sample::FlexRay(doc, "Cyc", 9, 8, r.base, r.rep, {{"S", 0, 8}});
      const std::string stored = Snapshot(*m);
      CFlexRayDlg dlg;
      Target(dlg, doc.GetFlexRayMsgTable(LIST_DEFINITION), m, "S");
      QVERIFY(Activate(dlg));
      QCOMPARE(IntField(dlg, IDC_BASE_CYCLE), r.base);
      QCOMPARE(IntField(dlg, IDC_CYCLE_REPEAT), r.rep);
      ClickOk(dlg);
      QCOMPARE(Snapshot(*m), stored);
      QVERIFY(!dlg.IsModified());
      QCOMPARE(sink_.Ids(), r.message ? std::vector<int>{r.message} : std::vector<int>{});
      QCOMPARE(dlg.isVisible(), r.message != 0);
    }
  }

  // The same for LIN: a stored range outside the frame is refused, not moved;
  // a stored float of neither 32 nor 64 bits shows as Unsigned and stays a
  // float; an imported float's limits beyond what may be typed stay.
  void linUnchangedOkKeepsStoredRange() {
    struct Row {
      int start, count, valueType;
      double limit;
      int message;
    };
    const Row rows[] = {{70, 1, VALTYPE_UNSIGNED, VALUE_UNLIMITED, IDS_MSG_BITS_OUTSIDE},
                        {8, 8, VALTYPE_UNSIGNED, VALUE_UNLIMITED, 0},
                        {8, 10, VALTYPE_FLOAT, VALUE_UNLIMITED, 0},
                        {8, 32, VALTYPE_FLOAT, 3.4e38, 0}};
    for (const Row& r : rows) {
      sink_.shown.clear();
      CVestrelDoc doc;
      _LINMsg* m = sample::Lin(doc, "Door", 4, 8, {{"S", r.start, r.count}, {"T", 0, 4}});
      _LINSignal* s = m->signals.Find("S");
      s->valueType = static_cast<uint8_t>(r.valueType);
      s->minimum = -r.limit;
      s->maximum = r.limit;
      const std::string stored = Snapshot(*m);
      CLinDlg dlg;
      Target(dlg, doc.GetLinMsgTable(LIST_DEFINITION), m, "S");
      QVERIFY(Activate(dlg));
      QCOMPARE(IntField(dlg, IDC_START_BIT), r.start);
      ClickOk(dlg);
      QCOMPARE(Snapshot(*m), stored);
      QVERIFY(!dlg.IsModified());
      QCOMPARE(sink_.Ids(), r.message ? std::vector<int>{r.message} : std::vector<int>{});
    }
  }

  // And for LOGIC: a lower-case don't-care and an empty pattern stay as stored.
  void logicUnchangedOkKeepsStoredPattern() {
    const char* patterns[] = {"1x0x", "", "10X1"};
    for (const char* p : patterns) {
      CVestrelDoc doc;
      _LOGICSignal* s = sample::Symbol(doc, 0, "Sym", p);
      doc.GetLogicGroup(LIST_DEFINITION, 0)->bitCount = 4;
      const std::string stored = Snapshot(*doc.GetLogicGroup(LIST_DEFINITION, 0));
      CLogicDlg dlg;
      dlg.SetGroups(doc.GetLogicGroup(LIST_DEFINITION, 0));
      dlg.SetSymbol(s);
      dlg.SetGroupIndex(0);
      dlg.SetMode(DLGMODE_EDIT);
      QVERIFY(Activate(dlg));
      ClickOk(dlg);
      QCOMPARE(dlg.result(), int(QDialog::Accepted));
      QCOMPARE(Snapshot(*doc.GetLogicGroup(LIST_DEFINITION, 0)), stored);
      QVERIFY(!dlg.IsModified());
    }
  }

  // Float, then a bit count that resets it to Unsigned, then a Double that
  // does not fit: the type goes back to Unsigned, never to Float.
  void refusedDoubleReturnsToTheTypeOnScreen() {
    for (bool lin : {false, true}) {
      CVestrelDoc doc;
      std::unique_ptr<CFrameSignalDlg> owner;
      std::function<int()> storedType;
      std::function<int()> storedCount;
      if (lin) {
        _LINMsg* m = sample::Lin(doc, "Six", 5, 6, {{"S", 0, 8}});
        auto* dlg = new CLinDlg;
        Target(*dlg, doc.GetLinMsgTable(LIST_DEFINITION), m, "S");
        owner.reset(dlg);
        storedType = [m] { return int(m->signals.Find("S")->valueType); };
        storedCount = [m] { return m->signals.Find("S")->bitCount; };
      } else {
        _FlexRayMsg* m = sample::FlexRay(doc, "Six", 5, 6, 0, 1, {{"S", 0, 8}});
        auto* dlg = new CFlexRayDlg;
        Target(*dlg, doc.GetFlexRayMsgTable(LIST_DEFINITION), m, "S");
        owner.reset(dlg);
        storedType = [m] { return int(m->signals.Find("S")->valueType); };
        storedCount = [m] { return m->signals.Find("S")->bitCount; };
      }
      CFrameSignalDlg& dlg = *owner;
      QVERIFY(Activate(dlg));
      auto* type = qobject_cast<QComboBox*>(dlg.GetDlgItem(IDC_VALUE_TYPE));
      type->setFocus();
      QTest::keyClick(type, Qt::Key_Down);
      QTest::keyClick(type, Qt::Key_Down);
      QCOMPARE(type->currentIndex(), int(VTSEL_FLOAT));
      QCOMPARE(IntField(dlg, IDC_BIT_COUNT), 32);
      Type(dlg.GetDlgItem(IDC_BIT_COUNT), QStringLiteral("10"), Qt::Key_Return);
      QCOMPARE(type->currentIndex(), int(VTSEL_UNSIGNED));
      type->setFocus();
      QTest::keyClick(type, Qt::Key_End);  // Double: 64 bits do not fit in 48
      QCOMPARE(type->currentIndex(), int(VTSEL_UNSIGNED));
      QCOMPARE(IntField(dlg, IDC_BIT_COUNT), 10);
      ClickOk(dlg);
      QCOMPARE(storedType(), int(VALTYPE_UNSIGNED));
      QCOMPARE(storedCount(), 10);
    }
  }

  // A press and a one-pixel move inside the same cell select one bit: the
  // window does not move under the pointer before the release.
  void windowHoldsStillFromPressToRelease() {
    CVestrelDoc doc;
    _FlexRayMsg* m = sample::FlexRay(doc, "Wide", 7, 16, 0, 1, {{"S", 0, 4}});
    CFlexRayDlg dlg;
    Target(dlg, doc.GetFlexRayMsgTable(LIST_DEFINITION), m, "S");
    QVERIFY(Activate(dlg));
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
      QVERIFY(Activate(dlg));
      CBitWindowGrid* grid = dlg.Grid();
      if (r.press) {
        QTest::mousePress(grid, Qt::LeftButton, {}, CellCentre(grid, 50));
        QTest::mouseRelease(grid, Qt::LeftButton, {}, CellCentre(grid, 50));
      } else {
        Type(dlg.GetDlgItem(IDC_BYTE_COUNT), QStringLiteral("10"));
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
    QVERIFY(Activate(dlg));
    Type(dlg.GetDlgItem(IDC_BYTE_COUNT), QStringLiteral("8"));
    auto* names = qobject_cast<QComboBox*>(dlg.GetDlgItem(IDC_SIGNAL_NAME));
    QCOMPARE(names->count(), 1);
    names->showPopup();
    QAbstractItemView* list = names->view();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(0, 0)).center());
    QCOMPARE(IntField(dlg, IDC_START_BIT), 24);
    // The window starts at bit 16: cells 8 to 15 show bits 24 to 31.
    QCOMPARE(dlg.Grid()->RowLabel(0)->text(), QStringLiteral("16"));
    QCOMPARE(dlg.Grid()->Cell(8)->ColorIndex(), int(BITKIND_EDITED));
    QCOMPARE(dlg.Grid()->Cell(15)->ColorIndex(), int(BITKIND_EDITED));
    QCOMPARE(dlg.Grid()->Cell(16)->ColorIndex(), int(BITKIND_FREE));
  }

  // A lower bit count that would cut two patterns of the group to one is
  // refused before anything changes.
  void refitNeverMergesTwoPatterns() {
    CVestrelDoc doc;
    sample::Symbol(doc, 0, "A", "0101");
    sample::Symbol(doc, 0, "B", "0100");
    _LOGICSignal* c = sample::Symbol(doc, 0, "C", "1111");
    _LOGICGroup* g = doc.GetLogicGroup(LIST_DEFINITION, 0);
    const std::string stored = Snapshot(*g);
    CLogicDlg dlg;
    dlg.SetGroups(g);
    dlg.SetSymbol(c);
    dlg.SetGroupIndex(0);
    dlg.SetMode(DLGMODE_EDIT);
    QVERIFY(Activate(dlg));
    Type(dlg.GetDlgItem(IDC_LOGIC_BITS), QStringLiteral("3"), Qt::Key_Return);
    ClickOk(dlg);
    QCOMPARE(sink_.Ids(), std::vector<int>{IDS_MSG_SAME_PATTERN});
    QVERIFY(dlg.isVisible());
    QCOMPARE(QApplication::focusWidget(), dlg.GetDlgItem(IDC_LOGIC_BITS));
    QCOMPARE(Snapshot(*g), stored);
  }
};

QTEST_MAIN(FrLinLogicTypingTest)
#include "FrLinLogicTypingTest.moc"
