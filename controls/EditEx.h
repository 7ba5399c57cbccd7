// The commit protocol of the input controls. The definition dialogs react to a
// value when the user has finished with a control, not on every keystroke: a
// control commits by reporting its identifier and a flag (0 from the
// controls) synchronously to its dialog, but only once the dialog has set the
// control's notify message (WM_VALUE_COMMIT). The report goes to the notify
// target - by default the nearest ancestor widget that implements
// IValueCommitTarget - and is also emitted as valueCommitted(ctrlId, flag).
//
// CEditEx commits on Enter and on losing the focus after a change; CComboBoxExt
// on Enter and on every loss of focus. Enter is always taken by the control,
// so it never presses the dialog's default button. Losing the focus to a popup
// (a context menu, the combo's own list) is no loss of focus here.
#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QPointer>

#include "ShownValue.h"
#include "ValueCommit.h"

class CInputFilter;

// The identifier, notify message and target shared by both bases.
struct CCommitLink {
  int ctrlId = 0;
  unsigned notifyMessage = 0;
  IValueCommitTarget* target = nullptr;

  // The explicit target, or the nearest ancestor of `self` implementing the
  // interface; null when there is none.
  IValueCommitTarget* Resolve(const QWidget* self) const;
};

// The link and the modified flag of both bases, with the accessors the
// dialogs use.
class CCommitControl : public IShownValue {
 public:
  // The control identifier reported with every commit.
  void SetDlgCtrlID(int id) { link_.ctrlId = id; }
  int GetDlgCtrlID() const { return link_.ctrlId; }
  // 0 (the default) reports nothing; the dialogs set WM_VALUE_COMMIT.
  void SetNotifyMessage(unsigned message) { link_.notifyMessage = message; }
  unsigned GetNotifyMessage() const { return link_.notifyMessage; }
  // Where commits go; null: the nearest ancestor implementing the interface.
  void SetNotifyTarget(IValueCommitTarget* target) { link_.target = target; }

  // 1 after a character other than Enter reached the control, 0 after a commit.
  int IsModified() const { return modified_; }
  void SetModified(int modified) { modified_ = modified; }

 protected:
  CCommitLink link_;
  int modified_ = 0;
};

class CEditEx : public QLineEdit, public CCommitControl {
  Q_OBJECT

 public:
  explicit CEditEx(QWidget* parent = nullptr);
  ~CEditEx() override;

  // Characters the user may type or paste; 0 = no limit. Text that the
  // program sets is never cut.
  void SetLimitText(int limit);
  int GetLimitText() const;

  // Sets the text; setting the same text again still runs the control's
  // change reaction, as the original platform's edit did.
  void SetWindowText(const QString& text);
  QString GetWindowText() const { return text(); }

  // Parses the text into the control's value and shows it again (nothing in
  // the plain edit).
  virtual void UpdateValue() {}
  // The plain edit shows its text.
  std::optional<QString> ShownValue() const override { return text(); }

  // Reports (ctrlId, flag) when a notify message is set.
  void SendCommit(int flag = 0);

  // A dialog that, like the original dialogs' key filter, wants Enter in this
  // field to take the typed text first: Enter then runs UpdateValue and
  // commits, and leaves the modified flag as it is. Off by default.
  void SetEnterUpdatesValue(bool on) { enterUpdatesValue_ = on; }
  bool EnterUpdatesValue() const { return enterUpdatesValue_; }

 Q_SIGNALS:
  void valueCommitted(int ctrlId, int flag);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

  // Whether a typed or pasted character may reach the control (Backspace is
  // 8). The plain edit takes printable ASCII.
  virtual bool AcceptChar(int c) const;
  // Enter pressed in the field.
  virtual void OnEnter();
  // Enter pressed in a field whose dialog asked Enter to read the text
  // first (SetEnterUpdatesValue).
  virtual void OnEnterUpdatingValue();
  // The field lost the focus (not to a popup).
  virtual void OnKillFocus();
  // The text changed, by the user or the program.
  virtual void OnEditChange() {}

  // The base rules, for subclasses that extend them.
  void CommitOnEnter();     // modified = 0, commit
  void CommitIfModified();  // commit only when modified, then modified = 0

 private:
  CInputFilter* filter_ = nullptr;
  bool enterUpdatesValue_ = false;
};

class CComboBoxExt : public QComboBox, public CCommitControl {
  Q_OBJECT

 public:
  explicit CComboBoxExt(QWidget* parent = nullptr);
  ~CComboBoxExt() override;

  // Use this rather than setEditable: the new edit field gets the filter, the
  // limit and no completer.
  void SetEditable(bool editable);
  // Characters the user may type into the edit field; 0 = no limit.
  void SetLimitText(int limit);
  int GetLimitText() const { return limit_; }
  // The edit field's text (editable), or the item with that text.
  void SetWindowText(const QString& text);
  QString GetWindowText() const { return currentText(); }
  std::optional<QString> ShownValue() const override { return currentText(); }

  // The flag reported with an Enter commit of an editable combo; a dialog
  // that, like the original key filter, tells Enter in a combo's edit field
  // apart sets 1. Default 0.
  void SetEnterCommitFlag(int flag) { enterFlag_ = flag; }

  void SendCommit(int flag = 0);

 Q_SIGNALS:
  void valueCommitted(int ctrlId, int flag);
  // The user chose the item `index`: from the open list, or by stepping to
  // it with the arrow keys, Page Up/Down or the wheel (which select an item
  // and so choose it). Typed text stays typed text even where it matches an
  // item. The dialogs run their "picked" reactions on this, never on
  // activated.
  void picked(int index);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

  // Letters, digits, % _ ( ) - / and Backspace.
  virtual bool AcceptChar(int c) const;
  virtual void OnEnter();
  // Commits every time, changed or not.
  virtual void OnKillFocus();

  void HookEdit();

 private:
  // An editable box steps itself: from typed text the first step lands on
  // item 0, and every step that selects an item picks it.
  void StepAndPick(int step);
  int StepOrigin() const;

  // Runs QComboBox's own handling of a key, the wheel or the focus loss,
  // none of which is a choice from the open list.
  template <typename Fn>
  void OutsideList(Fn&& handle) {
    const QPointer<CComboBoxExt> self(this);
    ++outsideList_;
    handle();
    if (self) --outsideList_;
  }

  QPointer<QLineEdit> hookedEdit_;
  QPointer<CInputFilter> filter_;
  int limit_ = 0;
  int enterFlag_ = 0;
  int outsideList_ = 0;
};

// The input control (a CEditEx or CComboBoxExt) with that identifier among the
// descendants of `root`, for table-driven set-up; null when there is none.
QWidget* FindDlgItem(const QWidget* root, int ctrlId);
