// The definition dialog base: placement, the control tables, combo styles,
// the read-only look and what Enter and OK do.
#include "DlgKeys.h"
#include "EditDBL.h"
#include "EditINT.h"
#include "MessageBox.h"
#include "MsgDlg.h"
#include "MsgIds.h"
#include "RecordingMessageSink.h"
#include "Resources.h"
#include "ShownValue.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

namespace {

// A plain edit field that says what it shows, as the dialogs' input controls do.
class ShownEdit : public QLineEdit, public IShownValue {
 public:
  using QLineEdit::QLineEdit;
  std::optional<QString> ShownValue() const override { return text(); }
};

// A dialog of the base alone with a few controls of every kind.
class TestDlg : public CMsgDlg {
 public:
  explicit TestDlg(QWidget* parent = nullptr) : CMsgDlg(131, parent) {
    auto* layout = new QVBoxLayout(this);
    name = new QComboBox(this);
    name->setEditable(true);
    format = new QComboBox(this);
    format->addItems({QStringLiteral("STD"), QStringLiteral("XTD")});
    edit = new ShownEdit(this);
    plain = new QLineEdit(this);
    for (QWidget* w : {static_cast<QWidget*>(name), static_cast<QWidget*>(format), static_cast<QWidget*>(edit),
                       static_cast<QWidget*>(plain)})
      layout->addWidget(w);
    SetCtrlId(name, 1012);
    SetCtrlId(format, 1017);
    SetCtrlId(edit, 1016);
    ok = MakeButton(1);
    cancel = MakeButton(2);
    layout->addWidget(ok);
    layout->addWidget(cancel);
  }
  void OnEnterInField(QWidget* focus) override { enterIn.push_back(focus); }
  void OnOK() override {
    ++okRuns;
    CMsgDlg::OnOK();
  }
  bool OnInitDialog() override {
    ++inits;
    return CMsgDlg::OnInitDialog();
  }

  QComboBox* name;
  QComboBox* format;
  QLineEdit* edit;
  QLineEdit* plain;  // no identifier
  QPushButton* ok;
  QPushButton* cancel;
  std::vector<QWidget*> enterIn;
  int okRuns = 0;
  int inits = 0;
};

// A dialog with the input controls the definition dialogs use.
class ControlsDlg : public CMsgDlg {
 public:
  ControlsDlg() : CMsgDlg(131, nullptr) {
    auto* layout = new QVBoxLayout(this);
    start = new CEditINT(this);
    pgn = new CEditExINT(this);
    id = new CComboBoxINT(this);
    id->SetEditable(true);
    factor = new CEditDBL(this);
    offset = new CEditDBL(this);
    signal = new CComboBoxExt(this);
    signal->SetEditable(true);
    valueType = new CComboBoxExt(this);
    valueType->addItems({QStringLiteral("Unsigned"), QStringLiteral("Signed")});
    const std::pair<QWidget*, int> controls[] = {{start, 1020},  {pgn, 2580},    {id, 1015},       {factor, 1024},
                                                 {offset, 1025}, {signal, 1018}, {valueType, 1022}};
    for (const auto& [w, ctrlId] : controls) {
      layout->addWidget(w);
      SetCtrlId(w, ctrlId);
    }
    layout->addWidget(MakeButton(1));
  }
  void OnValueCommit(int ctrlId, int flag) override { commits.emplace_back(ctrlId, flag); }

  CEditINT* start;
  CEditExINT* pgn;
  CComboBoxINT* id;
  CEditDBL* factor;
  CEditDBL* offset;
  CComboBoxExt* signal;
  CComboBoxExt* valueType;
  std::vector<std::pair<int, int>> commits;
};

// A dialog's own reaction to a field being left, hooked where a dialog may
// hook it: rewrites the field, or refuses it with a message and takes the
// focus back.
class LeftFieldReaction : public QObject {
 public:
  LeftFieldReaction(QLineEdit* field, QEvent::Type on, const char* rewrite, int refusal)
      : field_(field), on_(on), rewrite_(QString::fromLatin1(rewrite)), refusal_(refusal) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != field_ || event->type() != on_) return false;
    if (!rewrite_.isNull()) field_->setText(rewrite_);
    if (refusal_) {
      ShowMessage(refusal_);
      field_->setFocus(Qt::OtherFocusReason);
    }
    return false;
  }

 private:
  QLineEdit* field_;
  QEvent::Type on_;
  QString rewrite_;
  int refusal_;
};

const tagCtrlIntRange kIntRanges[] = {{1020, 0, 511}, {2580, 0, 0x3FFFF}, {1015, 0, 0x7FF}, {4711, 1, 2}, {0, 0, 0}};
const tagCtrlDblRange kDblRanges[] = {
    {1024, -1e30, 1e30, "%e"}, {1025, -5.0, 5.0, nullptr, 3100}, {4711, 0, 1, "%e"}, {0, 0, 0, nullptr}};
const tagCtrlLimit kNotifyEdits[] = {{1020, 3}, {1024, 0}, {1022, 0}, {0, 0}};
const tagCtrlLimit kNotifyCombos[] = {{1018, 32}, {0, 0}};

const tagCtrlLimit kCombos[] = {{1012, 32}, {1017, 0}, {4711, 5}, {0, 0}};
const tagCtrlLimit kEdits[] = {{1016, 4}, {1017, 9}, {0, 0}};
const tagCtrlLimit kEmpty[] = {{0, 7}};

}  // namespace

class MsgDlgTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void startsInViewModeUnmodifiedWithoutAnchor() {
    TestDlg dlg;
    QCOMPARE(dlg.Mode(), 0);
    QVERIFY(!dlg.IsModified());
    QCOMPARE(dlg.Anchor().left(), 0);
    QCOMPARE(dlg.Anchor().top(), 0);
    QCOMPARE(dlg.windowTitle(), vrres::DialogText(131, QStringLiteral("caption")));
  }

  void opensBesideItsAnchorOnce() {
    struct Case {
      QRect anchor;
      QPoint at;
    };
    const Case cases[] = {{QRect(), QPoint(20, 67)}, {QRect(300, 100, 400, 500), QPoint(320, 167)}};
    for (const Case& c : cases) {
      TestDlg dlg;
      dlg.SetAnchor(c.anchor);
      dlg.show();
      QCOMPARE(dlg.pos(), c.at);
      dlg.hide();
      dlg.show();
      QCOMPARE(dlg.inits, 1);
    }
  }

  void controlsAreFoundByIdentifier() {
    TestDlg dlg;
    QCOMPARE(dlg.GetDlgItem(1012), dlg.name);
    QCOMPARE(dlg.GetDlgItem(1), dlg.ok);
    QCOMPARE(dlg.GetDlgItem(4711), nullptr);
    QCOMPARE(dlg.CtrlIdOf(dlg.edit), 1016);
    QCOMPARE(dlg.CtrlIdOf(dlg.plain), 0);
    QCOMPARE(dlg.ok->text(), QStringLiteral("OK"));
  }

  void textLimitsSkipZeroAndMissingRows() {
    TestDlg dlg;
    const int comboDefault = dlg.name->lineEdit()->maxLength();
    dlg.SetEditLimits(kEdits);
    dlg.SetComboLimits(kCombos);
    QCOMPARE(dlg.edit->maxLength(), 4);
    QCOMPARE(dlg.name->lineEdit()->maxLength(), 32);
    QVERIFY(dlg.format->lineEdit() == nullptr);  // a drop list is left alone
    // Only the end row: nothing happens.
    dlg.SetEditLimits(kEmpty);
    dlg.SetComboLimits(nullptr);
    QCOMPARE(dlg.edit->maxLength(), 4);
    QVERIFY(comboDefault != 32);
  }

  void editsReadOnlyKeepTheirText() {
    TestDlg dlg;
    dlg.edit->setText(QStringLiteral("8"));
    dlg.SetEditsReadOnly(kEdits);
    QVERIFY(dlg.edit->isReadOnly());
    QVERIFY(dlg.edit->isEnabled());
    QVERIFY(!dlg.plain->isReadOnly());
    dlg.show();
    dlg.edit->setFocus();
    QTest::keyClicks(dlg.edit, QStringLiteral("99"));
    QCOMPARE(dlg.edit->text(), QStringLiteral("8"));
  }

  void comboStyles() {
    TestDlg dlg;
    dlg.format->setCurrentIndex(1);
    QCOMPARE(CMsgDlg::ComboType(dlg.format), static_cast<int>(COMBO_DROPLIST));
    QCOMPARE(CMsgDlg::ComboType(dlg.name), static_cast<int>(COMBO_DROPDOWN));
    // The type it has already: nothing changes, the items stay.
    dlg.ChangeComboStyle(1017, COMBO_DROPLIST, 20);
    QCOMPARE(dlg.format->count(), 2);
    QCOMPARE(dlg.format->currentIndex(), 1);
    // A drop list made drop-down gets an edit field and loses its items.
    const QFont font = dlg.format->font();
    dlg.ChangeComboStyle(1017, COMBO_DROPDOWN, 20);
    QVERIFY(dlg.format->lineEdit() != nullptr);
    QCOMPARE(dlg.format->count(), 0);
    QCOMPARE(dlg.GetDlgItem(1017), dlg.format);
    QCOMPARE(dlg.format->font(), font);
    // Simple: an edit field whose list never opens.
    dlg.name->addItems({QStringLiteral("A"), QStringLiteral("B")});
    dlg.ChangeComboStyle(1012, COMBO_SIMPLE, 20);
    QCOMPARE(CMsgDlg::ComboType(dlg.name), static_cast<int>(COMBO_SIMPLE));
    QVERIFY(dlg.name->lineEdit() != nullptr);
    dlg.name->addItems({QStringLiteral("A"), QStringLiteral("B")});
    dlg.show();
    dlg.name->setFocus();
    QTest::keyClick(dlg.name, Qt::Key_F4);
    QTest::keyClick(dlg.name, Qt::Key_Down, Qt::AltModifier);
    QVERIFY(!dlg.name->view()->isVisible());
    QTest::keyClicks(dlg.name->lineEdit(), QStringLiteral("xy"));
    QVERIFY(dlg.name->currentText().endsWith(QStringLiteral("xy")));
    // An unknown identifier or type does nothing.
    dlg.ChangeComboStyle(4711, COMBO_SIMPLE, 20);
    dlg.ChangeComboStyle(1012, 7, 20);
    QCOMPARE(CMsgDlg::ComboType(dlg.name), static_cast<int>(COMBO_SIMPLE));
  }

  // View mode: a drop list made drop-down and then read-only shows its text
  // in normal colours and cannot be changed.
  void readOnlyComboKeepsNormalColours() {
    TestDlg dlg;
    dlg.ChangeComboStyle(1017, COMBO_DROPDOWN, 20);
    dlg.format->addItems({QStringLiteral("STD"), QStringLiteral("XTD")});
    dlg.format->setCurrentIndex(0);
    dlg.SetCombosReadOnly(kCombos);
    QVERIFY(dlg.format->isEnabled());
    QVERIFY(dlg.format->lineEdit()->isReadOnly());
    QVERIFY(CMsgDlg::IsComboReadOnly(dlg.format));
    QCOMPARE(dlg.format->lineEdit()->palette().color(QPalette::Text), dlg.plain->palette().color(QPalette::Text));
    dlg.show();
    dlg.format->setFocus();
    for (int key : {Qt::Key_Down, Qt::Key_Up, Qt::Key_PageDown, Qt::Key_F4}) QTest::keyClick(dlg.format, Qt::Key(key));
    QTest::keyClick(dlg.format, Qt::Key_Down, Qt::AltModifier);
    QTest::mouseClick(dlg.format, Qt::LeftButton, {}, QPoint(dlg.format->width() - 5, dlg.format->height() / 2));
    QTest::keyClicks(dlg.format->lineEdit(), QStringLiteral("Q"));
    QCOMPARE(dlg.format->currentText(), QStringLiteral("STD"));
    QCOMPARE(dlg.format->currentIndex(), 0);
    QVERIFY(!dlg.format->view()->isVisible());
    // A combo without an edit field is merely disabled.
    TestDlg other;
    other.SetComboReadOnly(1017);
    QVERIFY(!other.format->isEnabled());
  }

  void enterInAFieldNeverPressesOk() {
    TestDlg dlg;
    QVERIFY(vrtest::ShowActive(dlg));
    for (QWidget* field : {static_cast<QWidget*>(dlg.edit), static_cast<QWidget*>(dlg.plain),
                           static_cast<QWidget*>(dlg.name->lineEdit())}) {
      field->setFocus();
      QTest::keyClick(field, Qt::Key_Return);
      QTest::keyClick(field, Qt::Key_Enter, Qt::KeypadModifier);
    }
    QCOMPARE(dlg.okRuns, 0);
    QVERIFY(dlg.isVisible());
    QCOMPARE(dlg.enterIn.size(), std::size_t(6));
    // Enter on the focused OK button presses it; OK accepts.
    dlg.ok->setFocus();
    QTest::keyClick(dlg.ok, Qt::Key_Return);
    QCOMPARE(dlg.okRuns, 1);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
  }

  void rangesAndFormatsGoIntoTheControls() {
    ControlsDlg dlg;
    const int limitBefore = dlg.start->GetLimitText();
    dlg.SetIntRanges(kIntRanges);
    dlg.SetDoubleRanges(kDblRanges);
    QCOMPARE(dlg.start->Min(), 0);
    QCOMPARE(dlg.start->Max(), 511);
    QCOMPARE(dlg.start->GetLimitText(), limitBefore);  // the range sets no text limit
    QCOMPARE(dlg.pgn->Max(), 0x3FFFF);
    QCOMPARE(dlg.id->Max(), 0x7FF);
    QCOMPARE(dlg.factor->Max(), 1e30);
    QCOMPARE(dlg.factor->Format(), QStringLiteral("%e"));
    // A format given by string identifier comes from the string table.
    QCOMPARE(dlg.offset->Min(), -5.0);
    QCOMPARE(dlg.offset->Format(), vrres::LoadString(3100));
    dlg.start->SetValue(600);
    QCOMPARE(dlg.start->text(), QStringLiteral("511"));
  }

  void listedControlsReportTheirCommits() {
    ControlsDlg dlg;
    dlg.SetEditNotifyMessage(kNotifyEdits);
    dlg.SetComboNotifyMessage(kNotifyCombos);
    QCOMPARE(dlg.start->GetNotifyMessage(), WM_VALUE_COMMIT);
    QCOMPARE(dlg.factor->GetNotifyMessage(), WM_VALUE_COMMIT);
    QCOMPARE(dlg.valueType->GetNotifyMessage(), WM_VALUE_COMMIT);  // a combo of the edit table
    QCOMPARE(dlg.signal->GetNotifyMessage(), WM_VALUE_COMMIT);
    QCOMPARE(dlg.pgn->GetNotifyMessage(), 0u);
    QCOMPARE(dlg.offset->GetNotifyMessage(), 0u);
    QVERIFY(vrtest::ShowActive(dlg));
    dlg.start->setFocus();
    QTest::keyClicks(dlg.start, QStringLiteral("12"));
    QTest::keyClick(dlg.start, Qt::Key_Return);
    QVERIFY(!dlg.commits.empty());
    QCOMPARE(dlg.commits.front(), std::make_pair(1020, 0));
    QVERIFY(dlg.isVisible());
    // An unlisted control reports nothing.
    dlg.commits.clear();
    dlg.pgn->setFocus();
    QTest::keyClicks(dlg.pgn, QStringLiteral("5"));
    QTest::keyClick(dlg.pgn, Qt::Key_Return);
    for (const auto& c : dlg.commits) QVERIFY(c.first != 2580);
  }

  // A combo box of the input controls keeps its character filter and takes
  // its limit when it becomes drop-down.
  void restyledInputComboKeepsItsFilter() {
    ControlsDlg dlg;
    dlg.ChangeComboStyle(1022, COMBO_DROPDOWN, 20);
    const tagCtrlLimit limits[] = {{1022, 4}, {0, 0}};
    dlg.SetComboLimits(limits);
    QVERIFY(dlg.valueType->lineEdit() != nullptr);
    QCOMPARE(dlg.valueType->GetLimitText(), 4);
    QVERIFY(vrtest::ShowActive(dlg));
    dlg.valueType->setFocus();
    QTest::keyClicks(dlg.valueType, QStringLiteral("a b.cdef"));
    QCOMPARE(dlg.valueType->currentText(), QStringLiteral("abcd"));
  }

  // OK clicked right after typing: whatever reacts to the field being left,
  // where and when it is hooked, a press whose field then shows something
  // else is held with a word why, and one refused with a message and the
  // focus taken back is held with that message alone.
  void okPressHeldWhateverReactsToTheFieldLeft() {
    enum Hook { FILTER_FIRST, FILTER_LAST, FIRST_NOTICE };
    struct Row {
      const char* rule;
      Hook hook;
      const char* rewrite;  // null: the field stays as typed
      int refusal;
      std::vector<int> messages;
    };
    const Row rows[] = {
        {"a filter put on the field before the dialog shows", FILTER_FIRST, "8", 0, {IDS_MSG_SHOWN_CHANGED}},
        {"a filter put on the field once it shows", FILTER_LAST, "8", 0, {IDS_MSG_SHOWN_CHANGED}},
        {"a reaction to the first notice of the focus leaving", FIRST_NOTICE, "8", 0, {IDS_MSG_SHOWN_CHANGED}},
        {"a refusal that takes the focus back", FILTER_FIRST, nullptr, IDS_MSG_MUX_ORDER, {IDS_MSG_MUX_ORDER}},
        {"a refusal that rewrites the field as well", FILTER_LAST, "8", IDS_MSG_MUX_ORDER, {IDS_MSG_MUX_ORDER}},
        {"a reaction that keeps what shows", FILTER_FIRST, "7", 0, {}},
    };
    for (const Row& r : rows) {
      RecordingMessageSink sink;
      TestDlg dlg;
      LeftFieldReaction reaction(dlg.edit, r.hook == FIRST_NOTICE ? QEvent::FocusAboutToChange : QEvent::FocusOut,
                                 r.rewrite, r.refusal);
      if (r.hook != FILTER_LAST) dlg.edit->installEventFilter(&reaction);
      QVERIFY2(vrtest::ShowActive(dlg), r.rule);
      if (r.hook == FILTER_LAST) dlg.edit->installEventFilter(&reaction);
      vrtest::TypeOver(dlg.edit, u"7");
      vrtest::PressOk(dlg);
      QVERIFY2(sink.Ids() == r.messages, r.rule);
      const bool held = !r.messages.empty();
      QVERIFY2(dlg.okRuns == (held ? 0 : 1) && dlg.isVisible() == held, r.rule);
      if (held) QVERIFY2(QApplication::focusWidget() == dlg.edit, r.rule);
    }
  }

  void cancelRejects() {
    TestDlg dlg;
    dlg.show();
    dlg.cancel->click();
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QCOMPARE(dlg.okRuns, 0);
  }
};

QTEST_MAIN(MsgDlgTest)
#include "MsgDlgTest.moc"
