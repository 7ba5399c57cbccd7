// The common base of the modal definition dialogs (CAN, J1939, FlexRay, LIN,
// LOGIC): the mode the list opened it in, the rectangle it is placed beside,
// the flag that tells the opener whether OK wrote anything, and the
// operations with which a dialog prepares its controls in one pass over
// static tables (read-only state in view mode, text limits, number ranges,
// display formats, commit notification). It knows nothing of any bus.
//
// Use by a subclass:
// - the constructor builds the controls with Qt layouts and gives each its
//   identifier (SetCtrlId, which also sets the identifier an input control
//   reports); MakeButton makes OK (1) and Cancel (2); then WireControls
//   gives every other control that takes input its row: what its commit,
//   click or pick tells the model;
// - OnInitDialog (run once, when the dialog is first shown) calls
//   CMsgDlg::OnInitDialog (placement), then InitControls and FillControls;
// - OK runs OnOK; its checks and write-back end with CMsgDlg::OnOK, which is
//   accept(). View mode closes at once: the subclass's OnOK tests Mode();
// - Enter in a field never presses OK: it reaches OnEnterInField, where a
//   dialog may commit the field; Enter on a focused button presses it.
// - A press of OK (mouse or its key) takes the focus out of the field being
//   typed into, which commits it first. When that commit changes what any
//   field shows (a value cut, clamped, moved or recomposed), OnOK does not
//   run: the dialog says so and stays open with the changed fields shown, so
//   that OK only ever stores what the user saw. A commit that refuses the
//   value with its own message and takes the focus back spends the press as
//   well. What the fields showed is taken before anything reacts to the
//   focus leaving them, whatever a subclass hooks onto that.
#pragma once

#include "CtrlTables.h"
#include "ValueCommit.h"
#include "WndAssist.h"

#include <QDialog>
#include <QRect>
#include <QStringList>

#include <functional>
#include <map>
#include <vector>

class QComboBox;
class QPushButton;

class CMsgDlg : public QDialog, public cWndAssist, public IValueCommitTarget {
  Q_OBJECT

 public:
  CMsgDlg(int templateId, QWidget* parent);
  ~CMsgDlg() override;

  int TemplateId() const { return templateId_; }

  // DlgMode, written by the opener before the run; DLGMODE_VIEW at first.
  int Mode() const { return mode_; }
  void SetMode(int mode) { mode_ = mode; }
  // The window rectangle (screen coordinates) beside which the dialog opens:
  // its top-left corner goes 20 pixels right of and 67 below the anchor's.
  // An empty anchor places the dialog at (20, 67).
  const QRect& Anchor() const { return anchor_; }
  void SetAnchor(const QRect& screenRect) { anchor_ = screenRect; }
  // Set by a subclass's OK when it wrote into the records; read by the opener.
  bool IsModified() const { return modified_; }
  void SetModified(bool modified) { modified_ = modified; }

  // How every control reaches the model: one row per control that takes
  // input. `commit` runs on the control's commit (edit fields and combo
  // boxes, with the flag of OnValueCommit) or its click (buttons, with 1 when
  // it is checked); `pick` on a combo box's pick, with the item's index. A
  // control whose value only OK reads has a row with no commit
  // (kReadByOk): it is wired all the same, on purpose. What a field shows
  // for OK's guard is said by the control itself (IShownValue). Rows of controls the
  // dialog does not have are skipped. Nothing runs while the dialog holds
  // its lock (it is filling its own controls).
  using CtrlCommit = std::function<void(int)>;
  static inline const CtrlCommit kReadByOk = nullptr;
  struct CtrlWire {
    int id;
    CtrlCommit commit;
    CtrlCommit pick = nullptr;
  };
  // Given once, when the dialog is built, after every control has its
  // identifier.
  void WireControls(std::vector<CtrlWire> wires);
  // Controls that take input, have an identifier and no row: a control the
  // user could change without the model hearing of it. Empty in a sound
  // dialog.
  std::vector<int> UnwiredControls() const;

  // Control identifiers: the dialog finds its controls by them.
  void SetCtrlId(QWidget* control, int id);
  QWidget* GetDlgItem(int id) const;
  // The control's identifier; 0 for a widget without one.
  int CtrlIdOf(const QWidget* control) const;

  // Table operations. Rows whose control does not exist are skipped; a table
  // with only its end row (or null) does nothing.
  // Line edits of the table become read-only (normal colours, no changes).
  virtual void SetEditsReadOnly(const tagCtrlLimit* table);
  // A combo box with an edit field keeps its text in normal colours and can
  // neither be typed into nor dropped down; one without an edit field is
  // disabled.
  virtual void SetComboReadOnly(unsigned id);
  virtual void SetCombosReadOnly(const tagCtrlLimit* table);
  // Text limits above 0 (a limit of 0 leaves the control as it is).
  virtual void SetEditLimits(const tagCtrlLimit* table);
  virtual void SetComboLimits(const tagCtrlLimit* table);
  // Minimum and maximum into the integer controls; their text limits are not
  // recomputed here.
  virtual void SetIntRanges(const tagCtrlIntRange* table);
  // Minimum, maximum and display format into the floating-point edits.
  virtual void SetDoubleRanges(const tagCtrlDblRange* table);
  // The listed controls report their commits to this dialog (OnValueCommit):
  // their notify message becomes WM_VALUE_COMMIT.
  virtual void SetEditNotifyMessage(const tagCtrlLimit* table);
  virtual void SetComboNotifyMessage(const tagCtrlLimit* table);

  // Hooks: take the working copies, set combo styles, apply the tables; then
  // fill the controls from the working copies.
  virtual void InitControls() {}
  virtual void FillControls() {}

  // Switches a combo box between COMBO_SIMPLE (a plain edit field without a
  // list), COMBO_DROPDOWN (edit field and list) and COMBO_DROPLIST. The box
  // keeps its identifier, font and tab position and loses its items; asking
  // for the type it has changes nothing. `height` is the closed box's height
  // (Qt sizes a box itself; it is accepted for the callers' sake).
  void ChangeComboStyle(unsigned id, int type, int height = 0);
  static int ComboType(const QComboBox* combo);
  static bool IsComboReadOnly(const QComboBox* combo);

  // A committed value of a control with a notification (identifier, 1 when
  // the dialog's key filter saw Enter in a combo's edit field, else 0): runs
  // the control's row.
  void OnValueCommit(int ctrlId, int flag) override;

  // The dialog's own texts: DialogText(TemplateId(), key).
  QString Text(const QString& key) const;
  QString Text(int ctrlId) const;

 protected:
  // Placement beside the anchor, on top. True: the focus goes to the first
  // control.
  virtual bool OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();
  // Enter in a field (not on a button).
  virtual void OnEnterInField(QWidget* /*focus*/) {}

  // A push button with the template's text; 1 runs OnOK, 2 OnCancel.
  QPushButton* MakeButton(int id);

  // A dialog holds still whatever it shows: a control that comes and goes
  // keeps its place while hidden, and a combo box whose items follow the
  // definition shown takes its width from the layout (room for `chars`
  // characters at least), never from the longest item.
  static void KeepPlaceWhenHidden(QWidget* widget);
  static void WidthIndependentOfItems(QComboBox* combo, int chars);
  // Puts the items into the combo box. The items it holds already change
  // nothing; other items replace them, and its edit field keeps the text
  // typed into it.
  static void SetItems(QComboBox* combo, const QStringList& items);

  void setVisible(bool visible) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ApplySimpleLook(QComboBox* combo, bool simple);
  void GuardCombo(QComboBox* combo);

  // What every field shows, as the value each field stands for: a number
  // typed as "012" shows 12, a factor typed as "2" shows what the field
  // writes for 2. Keyed by control identifier.
  using FieldPicture = std::map<int, QString>;
  FieldPicture PictureFields() const;
  void OnOkClicked();
  // The press's commit changed what the fields show: says so and puts the
  // focus on the first field that changed.
  void HoldChangedPress(const FieldPicture& before, const FieldPicture& now);
  // The press of OK in progress, with the fields as it found them. It
  // watches the whole program while the dialog is shown, so that it sees a
  // field being left before the field and any filter on it.
  class COkPressGuard;
  void GuardOkPress(bool guard);

  int templateId_;
  int mode_ = 0;
  QRect anchor_;
  bool modified_ = false;
  bool initialised_ = false;
  std::map<int, QWidget*> controls_;
  std::map<int, CtrlWire> wires_;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
  COkPressGuard* okPress_ = nullptr;
};
