// The input controls inside a dialog with a default button, driven by real key
// and focus events.
#include "DlgKeys.h"
#include "EditBIT.h"
#include "EditDBL.h"
#include "EditEx.h"
#include "EditINT.h"
#include "EditMultiValue.h"
#include "EditUnit.h"
#include "WndAssist.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStringList>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <functional>
#include <utility>
#include <vector>

namespace {

// A dialog that records every commit and has a default OK button, so that an
// Enter which escapes a control would close it.
class CommitDialog : public QDialog, public IValueCommitTarget {
 public:
  CommitDialog() {
    layout_ = new QVBoxLayout(this);
    other = new QLineEdit(this);
    layout_->addWidget(other);
    ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    ok->setFocusPolicy(Qt::NoFocus);
    layout_->addWidget(ok);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  }

  void OnValueCommit(int ctrlId, int flag) override {
    commits.emplace_back(ctrlId, flag);
    if (onCommit) onCommit(ctrlId);
  }

  template <class T>
  T* Add(int id) {
    auto* c = new T(this);
    c->SetDlgCtrlID(id);
    c->SetNotifyMessage(WM_VALUE_COMMIT);
    layout_->insertWidget(0, c);
    c->show();
    return c;
  }

  // Shows the dialog and puts the focus into `w`.
  void Start(QWidget* w) {
    QVERIFY(vrtest::ShowActive(*this));
    w->setFocus(Qt::TabFocusReason);
    QVERIFY(w->hasFocus());
    commits.clear();
  }

  // Moves the focus away with a real focus change.
  void Leave() { other->setFocus(Qt::TabFocusReason); }

  QLineEdit* other = nullptr;
  QPushButton* ok = nullptr;
  std::vector<std::pair<int, int>> commits;
  std::function<void(int)> onCommit;

 private:
  QVBoxLayout* layout_ = nullptr;
};

using Commits = std::vector<std::pair<int, int>>;

// Keys pressed into the field that has the focus.
using Keys = std::function<void(QWidget*)>;
void SelectAll(QWidget* w) { QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier); }
void ClearAll(QWidget* w) {
  SelectAll(w);
  QTest::keyClick(w, Qt::Key_Backspace);
}
void Undo(QWidget* w) { QTest::keyClick(w, Qt::Key_Z, Qt::ControlModifier); }
void Redo(QWidget* w) { QTest::keyClick(w, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier); }

}  // namespace

class ValueControlsTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void enterCommitsOnceAndLeavingAfterwardsNot() {
    CommitDialog dlg;
    auto* edit = dlg.Add<CEditEx>(1024);
    QSignalSpy spy(edit, &CEditEx::valueCommitted);
    dlg.Start(edit);
    QTest::keyClicks(edit, "12");
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(dlg.commits, (Commits{{1024, 0}}));
    QCOMPARE(spy.count(), 1);
    dlg.Leave();
    QCOMPARE(dlg.commits.size(), 1u);
    QVERIFY(dlg.isVisible());  // Enter did not press the default button
    QCOMPARE(dlg.result(), 0);
  }

  void editCommitsOnLeavingOnlyAfterAChange() {
    CommitDialog dlg;
    auto* edit = dlg.Add<CEditEx>(7);
    dlg.Start(edit);
    dlg.Leave();
    QVERIFY(dlg.commits.empty());
    edit->setFocus(Qt::TabFocusReason);
    QTest::keyClick(edit, Qt::Key_Left);  // no character: still unchanged
    dlg.Leave();
    QVERIFY(dlg.commits.empty());
    edit->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(edit, "x");
    dlg.Leave();
    QCOMPARE(dlg.commits, (Commits{{7, 0}}));
  }

  void comboCommitsOnEveryLossOfFocus() {
    CommitDialog dlg;
    auto* combo = dlg.Add<CComboBoxExt>(1012);
    combo->SetEditable(true);
    dlg.Start(combo);
    dlg.Leave();
    QCOMPARE(dlg.commits, (Commits{{1012, 0}}));
    combo->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(combo, "AB");
    QTest::keyClick(combo, Qt::Key_Return);
    QCOMPARE(dlg.commits.size(), 2u);
    QVERIFY(dlg.isVisible());
    combo->SetEnterCommitFlag(1);
    QTest::keyClick(combo, Qt::Key_Return);
    QCOMPARE(dlg.commits.back(), std::make_pair(1012, 1));
  }

  void noNotifyMessageNoCommitButEnterIsStillTaken() {
    CommitDialog dlg;
    auto* edit = dlg.Add<CEditEx>(5);
    edit->SetNotifyMessage(0);
    auto* combo = dlg.Add<CComboBoxExt>(6);
    combo->SetNotifyMessage(0);
    combo->SetEditable(true);
    dlg.Start(edit);
    QTest::keyClicks(edit, "1");
    QTest::keyClick(edit, Qt::Key_Return);
    combo->setFocus(Qt::TabFocusReason);
    QTest::keyClick(combo, Qt::Key_Return);
    dlg.Leave();
    QVERIFY(dlg.commits.empty());
    QVERIFY(dlg.isVisible());
  }

  void noCommitWhileAPopupIsOpen() {
    CommitDialog dlg;
    auto* combo = dlg.Add<CComboBoxExt>(1017);
    combo->addItems({QStringLiteral("STD"), QStringLiteral("XTD")});
    dlg.Start(combo);
    combo->showPopup();
    QTRY_VERIFY(!combo->hasFocus() || QApplication::activePopupWidget());
    QVERIFY(dlg.commits.empty());
    combo->hidePopup();
    QVERIFY(dlg.commits.empty());
    // A focus loss reported as a popup's is ignored by the edits too.
    auto* edit = dlg.Add<CEditEx>(1);
    dlg.Start(edit);
    QTest::keyClicks(edit, "5");
    QFocusEvent out(QEvent::FocusOut, Qt::PopupFocusReason);
    QApplication::sendEvent(edit, &out);
    QVERIFY(dlg.commits.empty());
    QCOMPARE(edit->IsModified(), 1);
  }

  void filtersOnTypedAndPastedText() {
    CommitDialog dlg;
    auto* integer = dlg.Add<CEditINT>(1);
    auto* unit = dlg.Add<CEditUnit>(2);
    auto* combo = dlg.Add<CComboBoxExt>(3);
    combo->SetEditable(true);
    auto* bits = dlg.Add<CEditBIT>(4);
    bits->SetBitCount(4);
    bits->SetWindowText(QString());
    dlg.Start(integer);

    QTest::keyClicks(integer, "1a-2 .");
    QCOMPARE(integer->text(), QStringLiteral("12"));
    QApplication::clipboard()->setText(QStringLiteral("3x-4"));
    QTest::keyClick(integer, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(integer->text(), QStringLiteral("1234"));
    integer->SetUnsigned(false);
    QTest::keyClicks(integer, "-");
    QCOMPARE(integer->text(), QStringLiteral("1234-"));

    unit->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(unit, "m/s .%");
    QCOMPARE(unit->text(), QStringLiteral("m/s%"));
    QTest::keyClicks(unit, QString::fromUtf8("\xC2\xB0"));  // a degree sign
    QCOMPARE(unit->text(), QStringLiteral("m/s%"));
    QApplication::clipboard()->setText(QString::fromUtf8("k(g) \xC3\xA9"));
    QTest::keyClick(unit, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(unit->text(), QStringLiteral("m/s%k(g)"));
    // The context menu's Paste is judged as Ctrl+V is.
    QApplication::clipboard()->setText(QStringLiteral("a b.c"));
    QContextMenuEvent menuAt(QContextMenuEvent::Keyboard, QPoint(5, 5), unit->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(unit, &menuAt);
    QTRY_VERIFY(QApplication::activePopupWidget() != nullptr);
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_P);  // &Paste
    QTRY_VERIFY(QApplication::activePopupWidget() == nullptr);
    QCOMPARE(unit->text(), QStringLiteral("m/s%k(g)abc"));
    // Text the program set stays whole, even with characters the user may not type.
    unit->SetWindowText(QStringLiteral("deg C"));
    QTest::keyClicks(unit, "x");
    QCOMPARE(unit->text(), QStringLiteral("deg Cx"));

    combo->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(combo, "a b.c");
    QCOMPARE(combo->currentText(), QStringLiteral("abc"));
    QKeyEvent wide(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromUtf8("\xE3\x81\x82"));  // a double-byte character
    QApplication::sendEvent(combo, &wide);
    QTest::keyClicks(combo, "d");
    QCOMPARE(combo->currentText(), QStringLiteral("abcd"));

    bits->setFocus(Qt::TabFocusReason);
    QApplication::clipboard()->setText(QStringLiteral("1021x"));
    QTest::keyClick(bits, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(bits->text(), QStringLiteral("101x"));
    QTest::keyClick(bits, Qt::Key_Return);
    QCOMPARE(bits->GetPatternText(), QStringLiteral("101X"));
  }

  void pastingOnlyRefusedCharactersChangesNothing() {
    CommitDialog dlg;
    auto* edit = dlg.Add<CEditINT>(3);
    edit->SetValue(5);
    dlg.Start(edit);
    QApplication::clipboard()->setText(QStringLiteral("abc"));
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(edit->text(), QStringLiteral("5"));
    QCOMPARE(edit->IsModified(), 0);
    dlg.Leave();
    QVERIFY(dlg.commits.empty());
  }

  void textLimitNeverCutsProgramText() {
    CommitDialog dlg;
    auto* edit = dlg.Add<CEditEx>(1);
    edit->SetLimitText(3);
    edit->SetWindowText(QStringLiteral("12345"));
    QCOMPARE(edit->text(), QStringLiteral("12345"));
    dlg.Start(edit);
    edit->setCursorPosition(5);
    QTest::keyClicks(edit, "6");
    QCOMPARE(edit->text(), QStringLiteral("12345"));
    for (int i = 0; i < 4; ++i) QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, "abcd");
    QCOMPARE(edit->text(), QStringLiteral("1ab"));
    edit->SetLimitText(0);
    QTest::keyClicks(edit, "cdef");
    QCOMPARE(edit->text(), QStringLiteral("1abcdef"));
  }

  void integerEditClampsAndCommitsOnEnterAndLeaving() {
    CommitDialog dlg;
    auto* edit = dlg.Add<CEditINT>(1016);
    edit->SetRange(1, 2047);
    dlg.Start(edit);
    QTest::keyClicks(edit, "0");
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(edit->text(), QStringLiteral("1"));
    QCOMPARE(edit->Value(), 1);
    QCOMPARE(dlg.commits.size(), 1u);
    // The modified flag survives Enter, so leaving commits once more.
    dlg.Leave();
    QCOMPARE(dlg.commits.size(), 2u);
    edit->setFocus(Qt::TabFocusReason);
    edit->selectAll();
    QTest::keyClicks(edit, "3000");
    dlg.Leave();
    QCOMPARE(edit->text(), QStringLiteral("2047"));
    QCOMPARE(edit->Value(), 2047);
    QCOMPARE(dlg.commits.size(), 3u);
    edit->SetValue(-5);
    QCOMPARE(edit->text(), QStringLiteral("1"));
  }

  void changeReportingEditsCommitEveryChange() {
    CommitDialog dlg;
    auto* repeat = dlg.Add<CEditCycleRepeat>(1031);
    auto* base = dlg.Add<CEditBaseCycle>(1032);
    auto* bytes = dlg.Add<CEditByteCount>(1016);
    QVERIFY(bytes->IsValueZero());
    dlg.Start(repeat);
    QTest::keyClicks(repeat, "0");
    QCOMPARE(repeat->Value(), 1);
    QCOMPARE(repeat->text(), QStringLiteral("0"));
    QCOMPARE(dlg.commits, (Commits{{1031, 0}}));
    repeat->selectAll();
    QTest::keyClicks(repeat, "10");
    dlg.commits.clear();
    QTest::keyClicks(repeat, "0");
    QCOMPARE(repeat->text(), QStringLiteral("64"));
    QCOMPARE(repeat->Value(), 64);
    QCOMPARE(dlg.commits, (Commits{{1031, 0}, {1031, 0}}));
    dlg.commits.clear();
    dlg.Leave();
    QVERIFY(dlg.commits.empty());

    base->SetWindowText(QStringLiteral("99"));
    QCOMPARE(base->text(), QStringLiteral("63"));
    QCOMPARE(base->Value(), 63);
    // Setting the same text again still reports it.
    dlg.commits.clear();
    base->SetValue(63);
    QCOMPARE(dlg.commits, (Commits{{1032, 0}}));

    bytes->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(bytes, "8");
    QVERIFY(!bytes->IsValueZero());
    QCOMPARE(bytes->Value(), 8);
  }

  void hexEditAndCombo() {
    CommitDialog dlg;
    auto* edit = dlg.Add<CEditExINT>(2580);
    edit->SetRange(0, 0x7FF);
    edit->SetValue(255);
    edit->SetHexMode(true);
    QCOMPARE(edit->text(), QStringLiteral("FF"));
    QCOMPARE(edit->GetLimitText(), 3);
    auto* combo = dlg.Add<CComboBoxINT>(1015);
    combo->SetEditable(true);
    combo->SetRange(0, 0x1FFFFFFF);
    combo->addItems({QStringLiteral("10"), QStringLiteral("255")});
    QSignalSpy changed(combo, &QComboBox::currentIndexChanged);
    combo->SetHexMode(true);
    QCOMPARE(combo->itemText(0), QStringLiteral("A"));
    QCOMPARE(combo->itemText(1), QStringLiteral("FF"));
    QCOMPARE(combo->GetLimitText(), 8);
    combo->SetHexMode(false);
    QCOMPARE(combo->itemText(1), QStringLiteral("255"));
    QCOMPARE(changed.count(), 0);
    combo->SetHexMode(true);

    dlg.Start(combo);
    combo->lineEdit()->clear();
    QTest::keyClicks(combo, "7G");
    QCOMPARE(combo->currentText(), QStringLiteral("7"));
    dlg.Leave();
    QCOMPARE(combo->Value(), 7);
    QCOMPARE(dlg.commits, (Commits{{1015, 0}}));
    combo->SetWindowText(QStringLiteral("FFFFFFFFF"));
    QCOMPARE(combo->GetValue(), 0x1FFFFFFF);
    QCOMPARE(combo->currentText(), QStringLiteral("1FFFFFFF"));

    edit->setFocus(Qt::TabFocusReason);
    edit->selectAll();
    QTest::keyClicks(edit, "-1g0");
    QCOMPARE(edit->text(), QStringLiteral("10"));
    dlg.Leave();
    QCOMPARE(edit->Value(), 16);
  }

  void floatingFieldReadsShowsAndKeepsPrecision() {
    CommitDialog dlg;
    auto* edit = dlg.Add<CEditDBL>(1024);
    edit->SetRange(-1e30, 1e30);
    edit->SetFormat(QStringLiteral("%e"));
    dlg.Start(edit);
    QTest::keyClicks(edit, "2.5u");
    dlg.Leave();
    QCOMPARE(edit->text(), QStringLiteral("2.5000u"));
    QCOMPARE(edit->GetStoredValue(false), 2.5e-6);
    QCOMPARE(dlg.commits.size(), 1u);

    edit->SetValue(1.23456789);
    QCOMPARE(edit->text(), QStringLiteral("1.2346"));
    edit->setFocus(Qt::TabFocusReason);
    dlg.Leave();
    QCOMPARE(edit->GetStoredValue(false), 1.23456789);

    edit->setFocus(Qt::TabFocusReason);
    edit->clear();
    dlg.Leave();
    QCOMPARE(edit->text(), QString());
    QCOMPARE(edit->GetStoredValue(false), 1e31);
    QCOMPARE(edit->GetStoredValue(true), -1e31);
    QCOMPARE(edit->GetStoredValue(false), -1e31);

    edit->SetWindowText(QStringLiteral("2.5T"));
    edit->UpdateValue();
    QCOMPARE(edit->GetStoredValue(false), 2.5e12);
    QCOMPARE(edit->text(), QStringLiteral("2.5000T"));
    edit->SetWindowText(QStringLiteral("nan"));
    edit->UpdateValue();
    QCOMPARE(edit->GetStoredValue(false), 0.0);
    edit->SetValue(5e30);
    QCOMPARE(edit->GetStoredValue(false), 1e30);

    auto* integer = dlg.Add<CEditDBL>(1025);
    integer->SetWindowText(QStringLiteral("12.7"));
    integer->UpdateValue();
    QCOMPARE(integer->text(), QStringLiteral("13"));
    QCOMPARE(integer->GetStoredValue(false), 12.7);
  }

  void bitPatternField() {
    CommitDialog dlg;
    auto* hex = dlg.Add<CEditBIT>(1021);
    hex->SetMode(1);
    hex->SetBitCount(6);
    QCOMPARE(hex->text(), QStringLiteral("XX"));
    dlg.Start(hex);
    hex->selectAll();
    QTest::keyClicks(hex, "F5");
    QTest::keyClick(hex, Qt::Key_Return);
    QCOMPARE(hex->text(), QStringLiteral("35"));
    QCOMPARE(hex->GetPatternText(), QStringLiteral("110101"));
    QCOMPARE(dlg.commits, (Commits{{1021, 0}}));
    hex->SetPatternText(QStringLiteral("1x0101"));
    QCOMPARE(hex->text(), QStringLiteral("$5"));

    auto* binary = dlg.Add<CEditBIT>(1022);
    binary->SetBitCount(8);
    binary->setFocus(Qt::TabFocusReason);
    binary->selectAll();
    QTest::keyClicks(binary, "1012");
    dlg.Leave();
    QCOMPARE(binary->text(), QStringLiteral("XXXXX101"));
    QCOMPARE(binary->GetPatternText(), QStringLiteral("XXXXX101"));
  }

  void multiplexValueField() {
    CommitDialog dlg;
    auto* edit = dlg.Add<CEditMultiValue>(1030);
    edit->SetText(QStringLiteral("1,3-5,0x10"));
    QCOMPARE(edit->text(), QStringLiteral("0x1,0x3-0x5,0x10"));
    QCOMPARE(edit->GetText(), QStringLiteral("1,3-5,16"));
    QCOMPARE(edit->text(), QStringLiteral("0x1,0x3-0x5,0x10"));
    QCOMPARE(edit->GetError(), 0);
    edit->SetText(QStringLiteral("1,abc,7"));
    QCOMPARE(edit->text(), QStringLiteral("1,abc,7"));
    QCOMPARE(edit->GetError(), int{MULTIVALUE_MALFORMED});
    QCOMPARE(edit->GetCurrentPart(), QStringLiteral("abc"));
    edit->SetWindowText(QStringLiteral("5-3"));
    edit->GetText();
    QCOMPARE(edit->GetError(), int{MULTIVALUE_REVERSED});
    QCOMPARE(edit->GetCurrentPart(), QStringLiteral("5-3"));
  }

  void commitTargetMayWriteIntoTheControl() {
    CommitDialog dlg;
    auto* edit = dlg.Add<CEditINT>(1020);
    edit->SetRange(0, 100);
    dlg.onCommit = [edit](int) { edit->SetValue(edit->Value() * 2); };
    dlg.Start(edit);
    QTest::keyClicks(edit, "21");
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(edit->text(), QStringLiteral("42"));
  }

  void undoAndRedoPutTextBackAsItWas() {
    // Every row starts from a text the program set, with characters the user
    // could not type (a blank, a period), and the focus in the field.
    struct Case {
      const char* rule;
      bool combo;
      const char* programText;
      std::vector<Keys> keys;
      const char* shown;
    } cases[] = {
        {"undo after select all and Backspace", false, "deg C", {ClearAll, Undo}, "deg C"},
        {"undo of typing over the whole text",
         false,
         "deg C",
         {[](QWidget* w) {
            SelectAll(w);
            QTest::keyClicks(w, "x");
          },
          Undo},
         "deg C"},
        {"redo and undo again", false, "deg C", {ClearAll, Undo, Redo, Undo}, "deg C"},
        {"typing after undo is judged as before",
         false,
         "deg C",
         {ClearAll, Undo,
          [](QWidget* w) {
            QTest::keyClick(w, Qt::Key_End);
            QTest::keyClicks(w, " x.");
          }},
         "deg Cx"},
        {"undo in a combo's edit field", true, "ENGINE.1", {ClearAll, Undo}, "ENGINE.1"},
    };
    QStringList wrong;  // every row that breaks its rule, with what it shows
    for (const Case& c : cases) {
      CommitDialog dlg;
      QWidget* field = nullptr;
      QLineEdit* edit = nullptr;
      if (c.combo) {
        auto* combo = dlg.Add<CComboBoxExt>(1012);
        combo->SetEditable(true);
        combo->addItems({QStringLiteral("ENGINE"), QStringLiteral("GEARBOX")});
        combo->SetWindowText(QString::fromLatin1(c.programText));
        field = combo;
        edit = combo->lineEdit();
      } else {
        auto* unit = dlg.Add<CEditUnit>(1023);
        unit->SetWindowText(QString::fromLatin1(c.programText));
        field = edit = unit;
      }
      dlg.Start(field);
      for (const Keys& k : c.keys) k(field);
      if (edit->text() != QLatin1String(c.shown)) wrong << QStringLiteral("%1: %2").arg(c.rule, edit->text());
    }
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QStringLiteral("; "))));
  }

  void deleteCutAndUndoMarkTheFieldModified() {
    struct Case {
      const char* rule;
      Keys keys;
    } cases[] = {
        {"Delete",
         [](QWidget* w) {
           QTest::keyClick(w, Qt::Key_Home);
           QTest::keyClick(w, Qt::Key_Delete);
         }},
        {"cut",
         [](QWidget* w) {
           SelectAll(w);
           QTest::keyClick(w, Qt::Key_X, Qt::ControlModifier);
         }},
        {"undo", Undo},
    };
    QStringList wrong;
    for (const Case& c : cases) {
      CommitDialog dlg;
      auto* edit = dlg.Add<CEditEx>(1024);
      edit->SetWindowText(QStringLiteral("12.5"));
      dlg.Start(edit);
      // Something to undo, committed, so that only the key below can mark it.
      QTest::keyClicks(edit, "0");
      dlg.Leave();
      edit->setFocus(Qt::TabFocusReason);
      dlg.commits.clear();
      QCOMPARE(edit->IsModified(), 0);
      c.keys(edit);
      const int modified = edit->IsModified();
      dlg.Leave();
      if (modified != 1 || dlg.commits != Commits{{1024, 0}}) wrong << QLatin1String(c.rule);
    }
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QStringLiteral("; "))));
  }

  void commitHandlerMayDeleteTheControl() {
    // The handler deletes the control on the commit that the last key or
    // the focus change sends; nothing of the control may be used after it,
    // and it sends no further commit.
    using Last = std::function<void(CommitDialog&, QWidget*)>;
    const Last enter = [](CommitDialog&, QWidget* w) { QTest::keyPress(w, Qt::Key_Return); };
    const Last leave = [](CommitDialog& d, QWidget*) { d.Leave(); };
    struct Case {
      const char* rule;
      std::function<QWidget*(CommitDialog&)> make;
      const char* typedFirst;
      Last last;
    } cases[] = {
        {"Enter in an edit", [](CommitDialog& d) -> QWidget* { return d.Add<CEditINT>(1020); }, "12", enter},
        {"Enter in a combo",
         [](CommitDialog& d) -> QWidget* {
           auto* combo = d.Add<CComboBoxExt>(1012);
           combo->SetEditable(true);
           return combo;
         },
         "AB", enter},
        {"leaving an edit", [](CommitDialog& d) -> QWidget* { return d.Add<CEditEx>(1023); }, "kg", leave},
        {"leaving an identifier combo", [](CommitDialog& d) -> QWidget* { return d.Add<CComboBoxINT>(1015); }, "7",
         leave},
    };
    for (const Case& c : cases) {
      CommitDialog dlg;
      QPointer<QWidget> field = c.make(dlg);
      dlg.Start(field);
      QTest::keyClicks(field, c.typedFirst);
      dlg.commits.clear();
      dlg.onCommit = [&field](int) { delete field.data(); };
      c.last(dlg, field);
      QVERIFY2(field.isNull(), c.rule);
      QVERIFY2(dlg.commits.size() == 1, c.rule);
    }
  }

  void wheelChangesNoComboWithoutFocus() {
    CommitDialog dlg;
    auto* combo = dlg.Add<CComboBoxExt>(1022);
    combo->addItems({QStringLiteral("Unsigned"), QStringLiteral("Signed")});
    dlg.Start(dlg.other);
    QWheelEvent wheel(QPointF(5, 5), combo->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(combo, &wheel);
    QCOMPARE(combo->currentIndex(), 0);
    QVERIFY(!combo->hasFocus());
    QVERIFY(combo->lineEdit() == nullptr);
    QVERIFY(combo->completer() == nullptr);
    combo->SetEditable(true);
    QVERIFY(combo->completer() == nullptr);
    QCOMPARE(combo->insertPolicy(), QComboBox::NoInsert);
  }

  void controlsAreFoundByIdentifier() {
    CommitDialog dlg;
    auto* edit = dlg.Add<CEditDBL>(1024);
    auto* combo = dlg.Add<CComboBoxINT>(1015);
    QCOMPARE(FindDlgItem(&dlg, 1024), static_cast<QWidget*>(edit));
    QCOMPARE(FindDlgItem(&dlg, 1015), static_cast<QWidget*>(combo));
    QCOMPARE(FindDlgItem(&dlg, 9999), nullptr);
    QCOMPARE(FindDlgItem(nullptr, 1024), nullptr);
  }

  void lockGuardGivesBackOnlyWhatItTook() {
    cWndAssist assist;
    QVERIFY(assist.Lock());
    QVERIFY(!assist.Lock());
    assist.Unlock();
    {
      cWndAssistLock outer(assist);
      QVERIFY(outer.Taken());
      {
        cWndAssistLock inner(assist);
        QVERIFY(!inner.Taken());
      }
      QCOMPARE(assist.IsLocked(), 1);
    }
    QCOMPARE(assist.IsLocked(), 0);
  }
};

QTEST_MAIN(ValueControlsTest)
#include "ValueControlsTest.moc"
