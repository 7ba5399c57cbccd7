#include "EditEx.h"

#include <QAbstractItemView>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QWheelEvent>
#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QMenu>

#include "CharFilter.h"
#include "ComboStep.h"
#include "InputFilter.h"
#include "KeyChars.h"

IValueCommitTarget* CCommitLink::Resolve(const QWidget* self) const {
  if (target) return target;
  for (QWidget* w = self ? self->parentWidget() : nullptr; w; w = w->parentWidget()) {
    if (auto* t = dynamic_cast<IValueCommitTarget*>(w)) return t;
  }
  return nullptr;
}

namespace {

// A context menu or a drop list takes the focus only while it is open; the
// original platform's did not take it at all. (An open drop list may move the
// focus on to its own view, which Qt reports with another reason.)
bool IsFocusLostToPopup(const QFocusEvent* event) {
  return event->reason() == Qt::PopupFocusReason || QApplication::activePopupWidget() != nullptr;
}

// -1 for a key that steps a combo box up, +1 down, 0 for any other key.
// Alt+Up/Down opens the list and Ctrl with an arrow belongs to the field.
int ComboStepOfKey(const QKeyEvent* event) {
  if (event->modifiers() & (Qt::AltModifier | Qt::ControlModifier | Qt::MetaModifier)) return 0;
  switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_PageUp:
      return -1;
    case Qt::Key_Down:
    case Qt::Key_PageDown:
      return 1;
    default:
      return 0;
  }
}

}  // namespace

// ---------------------------------------------------------------------------

CEditEx::CEditEx(QWidget* parent) : QLineEdit(parent) {
  filter_ = new CInputFilter(this, [this](int c) { return AcceptChar(c); });
  // The filter follows the text first, so a change reaction that rewrites the
  // text leaves it with the final text.
  connect(this, &QLineEdit::textChanged, this, [this] { OnEditChange(); });
  connect(this, &QLineEdit::textEdited, this, [this] { modified_ = 1; });
}

CEditEx::~CEditEx() = default;

void CEditEx::SetLimitText(int limit) { filter_->SetLimit(limit > 0 ? limit : 0); }

int CEditEx::GetLimitText() const { return filter_->Limit(); }

void CEditEx::SetWindowText(const QString& text) {
  if (text == QLineEdit::text()) {
    OnEditChange();
    return;
  }
  const CInputFilter::ActiveScope programText(filter_, false);
  setText(text);
}

void CEditEx::SendCommit(int flag) {
  if (link_.notifyMessage == 0) return;
  // What the dialog writes into this field is the program's text. The
  // handler may delete the field: after it, only `self` says whether a member
  // may still be read.
  const CInputFilter::ActiveScope programText(filter_, false);
  const QPointer<CEditEx> self(this);
  const int id = link_.ctrlId;
  if (IValueCommitTarget* target = link_.Resolve(this)) target->OnValueCommit(id, flag);
  if (self) Q_EMIT valueCommitted(id, flag);
}

bool CEditEx::AcceptChar(int c) const { return c == ctl::kCharBackspace || (c >= 0x20 && c < 0x7F); }

void CEditEx::CommitOnEnter() {
  modified_ = 0;
  SendCommit(0);
}

void CEditEx::CommitIfModified() {
  const int was = modified_;
  modified_ = 0;
  if (was == 1) SendCommit(0);
}

void CEditEx::OnEnter() { CommitOnEnter(); }

void CEditEx::OnKillFocus() { CommitIfModified(); }

void CEditEx::OnEnterUpdatingValue() {
  // Reading the text may commit already (a change-reporting field).
  const QPointer<CEditEx> self(this);
  UpdateValue();
  if (self) SendCommit(0);
}

void CEditEx::keyPressEvent(QKeyEvent* event) {
  QList<int> chars;
  switch (ClassifyKey(event, &chars)) {
    case KeyClass::Enter:
      event->accept();
      if (enterUpdatesValue_) {
        OnEnterUpdatingValue();
      } else {
        OnEnter();
      }
      return;
    case KeyClass::Characters:
      for (int c : chars) {
        if (!AcceptChar(c)) {
          event->accept();
          return;
        }
      }
      modified_ = 1;
      break;
    case KeyClass::Other:
      break;
  }
  const CInputFilter::ActiveScope user(filter_, !IsUndoRedo(event));
  QLineEdit::keyPressEvent(event);
}

void CEditEx::inputMethodEvent(QInputMethodEvent* event) {
  const CInputFilter::ActiveScope user(filter_, true);
  QLineEdit::inputMethodEvent(event);
}

void CEditEx::mouseReleaseEvent(QMouseEvent* event) {
  const CInputFilter::ActiveScope user(filter_, true);  // middle-button paste
  QLineEdit::mouseReleaseEvent(event);
}

void CEditEx::dropEvent(QDropEvent* event) {
  // A drag within the field moves text the field already held.
  const CInputFilter::ActiveScope user(filter_, event->source() != this);
  QLineEdit::dropEvent(event);
}

void CEditEx::contextMenuEvent(QContextMenuEvent* event) {
  // The menu acts after this handler has returned. Its Paste brings new text
  // and is judged as Ctrl+V is; its Undo and Redo put back old text.
  QMenu* menu = createStandardContextMenu();
  if (!menu) return;
  menu->setAttribute(Qt::WA_DeleteOnClose);
  const QString pasteKeys = QLatin1Char('\t') + QKeySequence(QKeySequence::Paste).toString(QKeySequence::NativeText);
  for (QAction* action : menu->actions()) {
    if (!action->text().endsWith(pasteKeys)) continue;
    disconnect(action, &QAction::triggered, nullptr, nullptr);
    connect(action, &QAction::triggered, this, [this] {
      const CInputFilter::ActiveScope user(filter_, true);
      paste();
    });
  }
  menu->popup(event->globalPos());
}

void CEditEx::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  if (IsFocusLostToPopup(event)) return;
  OnKillFocus();
}

// ---------------------------------------------------------------------------

CComboBoxExt::CComboBoxExt(QWidget* parent) : QComboBox(parent) {
  setInsertPolicy(QComboBox::NoInsert);
  // The wheel must not take the focus (and then change the value) in passing.
  setFocusPolicy(Qt::StrongFocus);
  connect(this, &QComboBox::activated, this, [this](int index) {
    if (isEditable() && outsideList_ > 0) return;
    Q_EMIT picked(index);
  });
  HookEdit();
}

CComboBoxExt::~CComboBoxExt() = default;

void CComboBoxExt::HookEdit() {
  QLineEdit* edit = lineEdit();
  if (!edit || edit == hookedEdit_) return;
  hookedEdit_ = edit;
  edit->setCompleter(nullptr);
  edit->installEventFilter(this);
  filter_ = new CInputFilter(edit, [this](int c) { return AcceptChar(c); });
  filter_->SetLimit(limit_);
}

void CComboBoxExt::SetEditable(bool editable) {
  setEditable(editable);
  HookEdit();
}

void CComboBoxExt::SetLimitText(int limit) {
  limit_ = limit > 0 ? limit : 0;
  HookEdit();
  if (filter_ && hookedEdit_) filter_->SetLimit(limit_);
}

void CComboBoxExt::SetWindowText(const QString& text) {
  HookEdit();
  if (isEditable()) {
    const CInputFilter::ActiveScope programText(filter_.data(), false);
    setEditText(text);
  } else {
    setCurrentIndex(findText(text, Qt::MatchFixedString));
  }
}

void CComboBoxExt::SendCommit(int flag) {
  if (link_.notifyMessage == 0) return;
  const CInputFilter::ActiveScope programText(filter_.data(), false);
  const QPointer<CComboBoxExt> self(this);
  const int id = link_.ctrlId;
  if (IValueCommitTarget* target = link_.Resolve(this)) target->OnValueCommit(id, flag);
  if (self) Q_EMIT valueCommitted(id, flag);
}

bool CComboBoxExt::AcceptChar(int c) const { return ctl::IsNameChar(c); }

void CComboBoxExt::OnEnter() {
  modified_ = 0;
  SendCommit(isEditable() ? enterFlag_ : 0);
}

void CComboBoxExt::OnKillFocus() {
  modified_ = 0;
  SendCommit(0);
}

void CComboBoxExt::keyPressEvent(QKeyEvent* event) {
  HookEdit();
  if (const int step = isEditable() ? ComboStepOfKey(event) : 0) {
    modified_ = 1;
    event->accept();
    StepAndPick(step);
    return;
  }
  QList<int> chars;
  switch (ClassifyKey(event, &chars)) {
    case KeyClass::Enter:
      event->accept();
      OnEnter();
      return;
    case KeyClass::Characters:
      modified_ = 1;
      for (int c : chars) {
        if (!AcceptChar(c)) {
          event->accept();
          return;
        }
      }
      break;
    case KeyClass::Other:
      modified_ = 1;
      break;
  }
  const CInputFilter::ActiveScope user(filter_.data(), !IsUndoRedo(event));
  OutsideList([&] { QComboBox::keyPressEvent(event); });
}

void CComboBoxExt::inputMethodEvent(QInputMethodEvent* event) {
  const CInputFilter::ActiveScope user(filter_.data(), true);
  QComboBox::inputMethodEvent(event);
}

bool CComboBoxExt::eventFilter(QObject* watched, QEvent* event) {
  // Mouse paste, drops and the context menu reach the edit field directly.
  if (watched == hookedEdit_ && filter_) {
    switch (event->type()) {
      case QEvent::MouseButtonRelease:
      case QEvent::Drop:
      case QEvent::ContextMenu:
      case QEvent::InputMethod: {
        const bool ownDrag =
            event->type() == QEvent::Drop && static_cast<QDropEvent*>(event)->source() == hookedEdit_.data();
        const CInputFilter::ActiveScope user(filter_.data(), !ownDrag);
        hookedEdit_->event(event);
        return true;
      }
      default:
        break;
    }
  }
  return QComboBox::eventFilter(watched, event);
}

void CComboBoxExt::focusInEvent(QFocusEvent* event) {
  HookEdit();
  QComboBox::focusInEvent(event);
}

void CComboBoxExt::showEvent(QShowEvent* event) {
  HookEdit();
  QComboBox::showEvent(event);
}

void CComboBoxExt::focusOutEvent(QFocusEvent* event) {
  OutsideList([&] { QComboBox::focusOutEvent(event); });
  if (IsFocusLostToPopup(event)) return;
  OnKillFocus();
}

void CComboBoxExt::wheelEvent(QWheelEvent* event) {
  if (!hasFocus()) {
    event->ignore();
    return;
  }
  if (!isEditable()) {
    OutsideList([&] { QComboBox::wheelEvent(event); });
    return;
  }
  QStyleOptionComboBox option;
  initStyleOption(&option);
  if (!style()->styleHint(QStyle::SH_ComboBox_AllowWheelScrolling, &option, this) || view()->isVisible()) return;
  event->accept();
  const int dy = event->angleDelta().y();
  if (dy != 0) StepAndPick(dy > 0 ? -1 : 1);
}

int CComboBoxExt::StepOrigin() const {
  const QString shown = currentText();
  const int current = currentIndex();
  if (current >= 0 && QString::compare(itemText(current), shown, Qt::CaseInsensitive) == 0) return current;
  return findText(shown, Qt::MatchFixedString);
}

void CComboBoxExt::StepAndPick(int step) {
  const int from = StepOrigin();
  const int to = ctl::ComboStepTarget(from, step, count());
  if (to < 0 || to == from) return;
  {
    const CInputFilter::ActiveScope programText(filter_.data(), false);
    // The same current item does not write the field again by itself.
    setCurrentIndex(to);
    if (currentText() != itemText(to)) setEditText(itemText(to));
  }
  Q_EMIT picked(to);
}

QWidget* FindDlgItem(const QWidget* root, int ctrlId) {
  if (!root) return nullptr;
  const QList<QWidget*> children = root->findChildren<QWidget*>();
  for (QWidget* w : children) {
    if (auto* edit = qobject_cast<CEditEx*>(w); edit && edit->GetDlgCtrlID() == ctrlId) return edit;
    if (auto* combo = qobject_cast<CComboBoxExt*>(w); combo && combo->GetDlgCtrlID() == ctrlId) return combo;
  }
  return nullptr;
}
