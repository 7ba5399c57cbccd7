#include "MsgDlg.h"

#include "EditDBL.h"
#include "EditEx.h"
#include "EditINT.h"
#include "MessageBox.h"
#include "MsgIds.h"
#include "Resources.h"
#include "ShownValue.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QFocusEvent>
#include <QComboBox>
#include <QPointer>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOptionFrame>
#include <QStyleOptionComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include <optional>
#include <utility>

namespace {

const char kCtrlIdProperty[] = "vrCtrlId";
const char kComboTypeProperty[] = "vrComboType";
const char kReadOnlyProperty[] = "vrReadOnly";

// A box made COMBO_SIMPLE is a plain edit field: it paints as an edit
// field's panel in every state (hover and focus included), its edit field
// fills it, and it has no drop button to draw or to hit.
class CSimpleComboStyle : public QProxyStyle {
 public:
  void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                          const QWidget* widget) const override {
    const auto* combo = qstyleoption_cast<const QStyleOptionComboBox*>(option);
    if (control != CC_ComboBox || !combo) {
      QProxyStyle::drawComplexControl(control, option, painter, widget);
      return;
    }
    QStyleOptionFrame panel;
    panel.QStyleOption::operator=(*combo);
    panel.lineWidth = FrameWidth(combo, widget);
    panel.midLineWidth = 0;
    panel.state |= State_Sunken;
    if (CMsgDlg::IsComboReadOnly(qobject_cast<const QComboBox*>(widget))) panel.state |= State_ReadOnly;
    proxy()->drawPrimitive(PE_PanelLineEdit, &panel, painter, widget);
  }

  QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl sub,
                       const QWidget* widget) const override {
    const auto* combo = qstyleoption_cast<const QStyleOptionComboBox*>(option);
    if (control == CC_ComboBox && combo) {
      if (sub == SC_ComboBoxArrow) return {};
      if (sub == SC_ComboBoxEditField) {
        const int frame = FrameWidth(combo, widget);
        return option->rect.adjusted(frame, frame, -frame, -frame);
      }
    }
    return QProxyStyle::subControlRect(control, option, sub, widget);
  }

  SubControl hitTestComplexControl(ComplexControl control, const QStyleOptionComplex* option, const QPoint& pos,
                                   const QWidget* widget) const override {
    if (control == CC_ComboBox) return option->rect.contains(pos) ? SC_ComboBoxEditField : SC_None;
    return QProxyStyle::hitTestComplexControl(control, option, pos, widget);
  }

 private:
  int FrameWidth(const QStyleOptionComboBox* combo, const QWidget* widget) const {
    return combo->frame ? proxy()->pixelMetric(PM_DefaultFrameWidth, combo, widget) : 0;
  }
};

// A read-only combo box draws its frame and drop button disabled; its edit
// field, a widget of its own, keeps the normal colours of its text.
class CReadOnlyComboStyle : public QProxyStyle {
 public:
  void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                          const QWidget* widget) const override {
    if (control == CC_ComboBox) {
      if (const auto* combo = qstyleoption_cast<const QStyleOptionComboBox*>(option)) {
        QStyleOptionComboBox disabled(*combo);
        disabled.state &= ~(State_Enabled | State_MouseOver | State_Sunken);
        disabled.palette.setCurrentColorGroup(QPalette::Disabled);
        QProxyStyle::drawComplexControl(control, &disabled, painter, widget);
        return;
      }
    }
    QProxyStyle::drawComplexControl(control, option, painter, widget);
  }
};

template <class Style>
QStyle* SharedStyle() {
  static QPointer<Style> style;
  if (!style) {
    style = new Style;
    style->setParent(qApp);
  }
  return style;
}

QStyle* ReadOnlyComboStyle() { return SharedStyle<CReadOnlyComboStyle>(); }
QStyle* SimpleComboStyle() { return SharedStyle<CSimpleComboStyle>(); }

QComboBox* ComboOf(QObject* watched) {
  if (auto* combo = qobject_cast<QComboBox*>(watched)) return combo;
  if (auto* edit = qobject_cast<QLineEdit*>(watched)) return qobject_cast<QComboBox*>(edit->parentWidget());
  return nullptr;
}

// Keys with which a combo box opens its list.
bool IsPopupKey(const QKeyEvent* key) {
  if (key->key() == Qt::Key_F4) return true;
  return (key->modifiers() & Qt::AltModifier) && (key->key() == Qt::Key_Down || key->key() == Qt::Key_Up);
}

// Keys with which a combo box steps to another item.
bool IsStepKey(const QKeyEvent* key) {
  switch (key->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
      return true;
    default:
      return false;
  }
}

}  // namespace

CMsgDlg::CMsgDlg(int templateId, QWidget* parent) : QDialog(parent), templateId_(templateId) {
  setWindowTitle(Text(QStringLiteral("caption")));
  setModal(true);
}

CMsgDlg::~CMsgDlg() {
  // The fields are destroyed after this part of the dialog; their last loss
  // of focus must not reach it.
  GuardOkPress(false);
}

QString CMsgDlg::Text(const QString& key) const { return vrres::DialogText(templateId_, key); }
QString CMsgDlg::Text(int ctrlId) const { return vrres::DialogText(templateId_, ctrlId); }

void CMsgDlg::SetCtrlId(QWidget* control, int id) {
  if (!control || id == 0) return;
  control->setProperty(kCtrlIdProperty, id);
  if (auto* edit = qobject_cast<CEditEx*>(control)) edit->SetDlgCtrlID(id);
  if (auto* combo = qobject_cast<CComboBoxExt*>(control)) combo->SetDlgCtrlID(id);
  // An identifier emptied and left is a slip, as in every number field of a
  // definition: the field keeps the value it held rather than read 0.
  if (auto* number = qobject_cast<CComboBoxINT*>(control)) number->SetEmptyKeepsValue(true);
  if (control->objectName().isEmpty()) control->setObjectName(QStringLiteral("ctrl%1").arg(id));
  controls_[id] = control;
}

QWidget* CMsgDlg::GetDlgItem(int id) const {
  auto it = controls_.find(id);
  return it == controls_.end() ? nullptr : it->second;
}

int CMsgDlg::CtrlIdOf(const QWidget* control) const {
  if (!control) return 0;
  const QVariant v = control->property(kCtrlIdProperty);
  return v.isValid() ? v.toInt() : 0;
}

QPushButton* CMsgDlg::MakeButton(int id) {
  auto* button = new QPushButton(Text(id), this);
  SetCtrlId(button, id);
  if (id == 1) {
    ok_ = button;
    connect(button, &QPushButton::clicked, this, &CMsgDlg::OnOkClicked);
  }
  if (id == 2) {
    cancel_ = button;
    connect(button, &QPushButton::clicked, this, [this] { OnCancel(); });
  }
  return button;
}

// --- Opening and closing ------------------------------------------------------

void CMsgDlg::setVisible(bool visible) {
  if (visible && !initialised_) {
    initialised_ = true;
    OnInitDialog();
  }
  GuardOkPress(visible);
  QDialog::setVisible(visible);
}

bool CMsgDlg::OnInitDialog() {
  const DlgScreenPoint at = PlaceBesideAnchor(anchor_.left(), anchor_.top());
  move(at.x, at.y);
  raise();
  return true;
}

void CMsgDlg::OnOK() { QDialog::accept(); }

// --- OK stores what the fields showed -------------------------------------------

CMsgDlg::FieldPicture CMsgDlg::PictureFields() const {
  FieldPicture picture;
  for (const auto& [id, w] : controls_) {
    if (const auto* shown = dynamic_cast<const IShownValue*>(w))
      if (std::optional<QString> value = shown->ShownValue()) picture[id] = *value;
  }
  return picture;
}

// The press of OK in progress: it begins when a field is about to lose the
// focus to a press (the mouse, or OK's key), with the fields pictured as
// they stood then, and lasts while that press may still press OK. OK's
// click takes the picture and compares it with what the fields show after
// the field's commit. A press that ends without pressing OK (another
// button, or the pointer let go off OK) leaves nothing behind, so a later
// press of OK is judged on its own.
//
// The program's filter sees an event before the filters of its receiver and
// before the receiver itself: a field's own reaction to being left, or a
// dialog's filter on it, runs only after the picture is taken.
class CMsgDlg::COkPressGuard : public QObject {
 public:
  explicit COkPressGuard(CMsgDlg* dlg) : QObject(dlg), dlg_(dlg) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!watched->isWidgetType() || static_cast<QWidget*>(watched)->window() != dlg_) return false;
    switch (event->type()) {
      case QEvent::FocusAboutToChange:
      case QEvent::FocusOut:
        if (watched != dlg_->ok_) FieldLeaving(*static_cast<QFocusEvent*>(event));
        break;
      case QEvent::MouseButtonRelease:
      case QEvent::KeyRelease:
        // OK down: its click follows and takes the picture. Up: the press
        // pressed nothing.
        if (!dlg_->ok_->isDown()) shown_.reset();
        break;
      default:
        break;
    }
    return false;
  }

  // OK is clicked: the fields as its press found them, when that press took
  // the focus from a field.
  std::optional<FieldPicture> Clicked() { return std::exchange(shown_, std::nullopt); }

 private:
  void FieldLeaving(const QFocusEvent& event) {
    // Tab onto OK settles the field in the user's sight; only a press (the
    // mouse, or OK's key) settles it in the same moment as OK.
    const Qt::FocusReason reason = event.reason();
    const bool press = reason == Qt::MouseFocusReason || reason == Qt::ShortcutFocusReason;
    // The first notice of a change does not say where the focus goes: the
    // press begins there, and the loss itself says whether it goes to OK.
    if (event.type() == QEvent::FocusAboutToChange) {
      shown_.reset();
      if (press) shown_ = dlg_->PictureFields();
      return;
    }
    if (!press || QApplication::focusWidget() != dlg_->ok_) {
      shown_.reset();
      return;
    }
    if (!shown_) shown_ = dlg_->PictureFields();
  }

  CMsgDlg* dlg_;
  std::optional<FieldPicture> shown_;
};

void CMsgDlg::GuardOkPress(bool guard) {
  if (guard && !okPress_ && ok_) {
    okPress_ = new COkPressGuard(this);
    qApp->installEventFilter(okPress_);
  } else if (!guard && okPress_) {
    qApp->removeEventFilter(okPress_);
    delete std::exchange(okPress_, nullptr);
  }
}

void CMsgDlg::OnOkClicked() {
  const std::optional<FieldPicture> before = okPress_ ? okPress_->Clicked() : std::nullopt;
  if (before) {
    // The press's commit refused the value with its own message and took the
    // focus back into a field: the press went to that message.
    const QWidget* focus = QApplication::focusWidget();
    if (focus && focus != ok_ && isAncestorOf(focus)) return;
    // The press's commit changed what a field shows: the dialog stays open
    // with the changed fields in sight, and nothing is stored.
    const FieldPicture now = PictureFields();
    if (*before != now) {
      HoldChangedPress(*before, now);
      return;
    }
  }
  OnOK();
}

void CMsgDlg::HoldChangedPress(const FieldPicture& before, const FieldPicture& now) {
  ShowMessage(IDS_MSG_SHOWN_CHANGED, {}, MsgButtons::Ok, MsgIcon::Information);
  // A field the picture holds no value of (the second form of the pattern)
  // never counts as changed.
  auto changed = [&](int id) {
    const auto b = before.find(id), n = now.find(id);
    return b != before.end() && n != now.end() && b->second != n->second;
  };
  // The first changed field in the order Tab walks them.
  for (QWidget* w = nextInFocusChain(); w && w != this; w = w->nextInFocusChain()) {
    const int id = CtrlIdOf(w) ? CtrlIdOf(w) : CtrlIdOf(w->parentWidget());
    if (!id || GetDlgItem(id) == nullptr || !changed(id)) continue;
    if (!w->isVisible() || !w->isEnabled() || !(w->focusPolicy() & Qt::TabFocus)) continue;
    w->setFocus(Qt::OtherFocusReason);
    return;
  }
}

void CMsgDlg::OnCancel() { QDialog::reject(); }

void CMsgDlg::OnValueCommit(int ctrlId, int flag) {
  const auto it = wires_.find(ctrlId);
  if (it == wires_.end() || !it->second.commit || IsLocked()) return;
  it->second.commit(flag);
}

// --- Wiring ---------------------------------------------------------------------

namespace {

// A control the user changes: every edit field, combo box and button. Labels
// and the grid's cells are not; the grid reports its own presses and drags.
bool TakesInput(const QWidget* w) {
  return qobject_cast<const QLineEdit*>(w) || qobject_cast<const QComboBox*>(w) ||
         qobject_cast<const QAbstractButton*>(w);
}

}  // namespace

void CMsgDlg::WireControls(std::vector<CtrlWire> wires) {
  for (CtrlWire& wire : wires) {
    QWidget* w = GetDlgItem(wire.id);
    if (!w) continue;
    const int id = wire.id;
    if (auto* button = qobject_cast<QAbstractButton*>(w); button && wire.commit) {
      connect(button, &QAbstractButton::clicked, this, [this, id](bool checked) {
        const auto it = wires_.find(id);
        if (it != wires_.end() && !IsLocked()) it->second.commit(checked ? 1 : 0);
      });
    }
    if (auto* combo = qobject_cast<CComboBoxExt*>(w); combo && wire.pick) {
      connect(combo, &CComboBoxExt::picked, this, [this, id](int index) {
        const auto it = wires_.find(id);
        if (it != wires_.end() && !IsLocked()) it->second.pick(index);
      });
    }
    wires_[id] = std::move(wire);
  }
  // A control left out is a slip of the program, not of the user: said at
  // once, and a test over every dialog fails on it.
  for (int id : UnwiredControls()) qCritical("dialog %d: control %d reaches no model", templateId_, id);
}

std::vector<int> CMsgDlg::UnwiredControls() const {
  std::vector<int> unwired;
  for (const auto& [id, w] : controls_) {
    if (w == ok_ || w == cancel_ || !TakesInput(w) || wires_.count(id)) continue;
    unwired.push_back(id);
  }
  return unwired;
}

void CMsgDlg::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    // A field handed Enter on: it commits there and never presses OK.
    QWidget* focus = focusWidget();
    if (auto* button = qobject_cast<QPushButton*>(focus)) {
      if (button->isEnabled()) button->click();
    } else {
      OnEnterInField(focus);
    }
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

// --- Combo styles ---------------------------------------------------------------

int CMsgDlg::ComboType(const QComboBox* combo) {
  if (!combo) return 0;
  const QVariant v = combo->property(kComboTypeProperty);
  if (v.isValid()) return v.toInt();
  return combo->isEditable() ? COMBO_DROPDOWN : COMBO_DROPLIST;
}

bool CMsgDlg::IsComboReadOnly(const QComboBox* combo) { return combo && combo->property(kReadOnlyProperty).toBool(); }

void CMsgDlg::ApplySimpleLook(QComboBox* combo, bool simple) {
  if (simple) {
    combo->setStyle(SimpleComboStyle());
  } else {
    combo->setStyle(IsComboReadOnly(combo) ? ReadOnlyComboStyle() : nullptr);
  }
}

void CMsgDlg::KeepPlaceWhenHidden(QWidget* widget) {
  QSizePolicy policy = widget->sizePolicy();
  policy.setRetainSizeWhenHidden(true);
  widget->setSizePolicy(policy);
}

void CMsgDlg::WidthIndependentOfItems(QComboBox* combo, int chars) {
  combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  combo->setMinimumContentsLength(chars);
}

void CMsgDlg::SetItems(QComboBox* combo, const QStringList& items) {
  QStringList now;
  for (int i = 0; i < combo->count(); ++i) now << combo->itemText(i);
  if (now == items) return;
  const QString text = combo->currentText();
  combo->clear();
  combo->addItems(items);
  if (combo->isEditable()) combo->setEditText(text);
}

void CMsgDlg::GuardCombo(QComboBox* combo) {
  combo->installEventFilter(this);
  if (QLineEdit* edit = combo->lineEdit()) edit->installEventFilter(this);
}

void CMsgDlg::ChangeComboStyle(unsigned id, int type, int /*height*/) {
  auto* combo = qobject_cast<QComboBox*>(GetDlgItem(static_cast<int>(id)));
  if (!combo || (type != COMBO_SIMPLE && type != COMBO_DROPDOWN && type != COMBO_DROPLIST)) return;
  if (ComboType(combo) == type) return;
  // A box of another type is a new box: its items are gone, the dialog fills
  // it again.
  combo->clear();
  if (auto* ext = qobject_cast<CComboBoxExt*>(combo)) ext->SetEditable(type != COMBO_DROPLIST);
  else combo->setEditable(type != COMBO_DROPLIST);
  combo->setProperty(kComboTypeProperty, type);
  ApplySimpleLook(combo, type == COMBO_SIMPLE);
  if (QLineEdit* edit = combo->lineEdit()) edit->setReadOnly(IsComboReadOnly(combo));
  GuardCombo(combo);
}

bool CMsgDlg::eventFilter(QObject* watched, QEvent* event) {
  QComboBox* combo = ComboOf(watched);
  if (!combo || GetDlgItem(CtrlIdOf(combo)) != combo) return QDialog::eventFilter(watched, event);
  const bool readOnly = IsComboReadOnly(combo);
  const bool simple = ComboType(combo) == COMBO_SIMPLE;
  if (!readOnly && !simple) return QDialog::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
      // Presses on the box itself (its drop button); the edit field takes
      // its own.
      if (watched == combo) return true;
      break;
    case QEvent::Wheel:
      // A plain field has no items to step through: a step would pick the
      // one item it holds and undo what was typed elsewhere.
      return true;
    case QEvent::KeyPress: {
      const auto* key = static_cast<QKeyEvent*>(event);
      if (IsPopupKey(key) || IsStepKey(key)) return true;
      break;
    }
    default:
      break;
  }
  return QDialog::eventFilter(watched, event);
}

// --- Tables ---------------------------------------------------------------------

void CMsgDlg::SetEditsReadOnly(const tagCtrlLimit* table) {
  ForEachCtrlRow(table, [this](const tagCtrlLimit& row) {
    if (auto* edit = qobject_cast<QLineEdit*>(GetDlgItem(static_cast<int>(row.id)))) edit->setReadOnly(true);
  });
}

void CMsgDlg::SetComboReadOnly(unsigned id) {
  auto* combo = qobject_cast<QComboBox*>(GetDlgItem(static_cast<int>(id)));
  if (!combo) return;
  if (!combo->lineEdit()) {
    combo->setEnabled(false);
    return;
  }
  // The text stays in normal colours: the box stays enabled, its edit field
  // is read-only and its list cannot be opened.
  combo->setProperty(kReadOnlyProperty, true);
  combo->lineEdit()->setReadOnly(true);
  if (ComboType(combo) != COMBO_SIMPLE) combo->setStyle(ReadOnlyComboStyle());
  GuardCombo(combo);
}

void CMsgDlg::SetCombosReadOnly(const tagCtrlLimit* table) {
  ForEachCtrlRow(table, [this](const tagCtrlLimit& row) { SetComboReadOnly(row.id); });
}

void CMsgDlg::SetEditLimits(const tagCtrlLimit* table) {
  ForEachCtrlRow(table, [this](const tagCtrlLimit& row) {
    if (row.limit <= 0) return;
    QWidget* w = GetDlgItem(static_cast<int>(row.id));
    if (auto* ext = qobject_cast<CEditEx*>(w)) ext->SetLimitText(row.limit);
    else if (auto* edit = qobject_cast<QLineEdit*>(w)) edit->setMaxLength(row.limit);
  });
}

void CMsgDlg::SetComboLimits(const tagCtrlLimit* table) {
  ForEachCtrlRow(table, [this](const tagCtrlLimit& row) {
    if (row.limit <= 0) return;
    auto* combo = qobject_cast<QComboBox*>(GetDlgItem(static_cast<int>(row.id)));
    // A drop list has no edit field to limit. Qt's edit fields scroll
    // sideways by themselves.
    if (!combo || !combo->lineEdit()) return;
    if (auto* ext = qobject_cast<CComboBoxExt*>(combo)) ext->SetLimitText(row.limit);
    else combo->lineEdit()->setMaxLength(row.limit);
  });
}

void CMsgDlg::SetIntRanges(const tagCtrlIntRange* table) {
  ForEachCtrlRow(table, [this](const tagCtrlIntRange& row) {
    QWidget* w = GetDlgItem(static_cast<int>(row.id));
    if (auto* edit = qobject_cast<CEditINT*>(w)) {
      edit->SetMin(row.minimum);
      edit->SetMax(row.maximum);
      // A definition's number emptied and left is a slip: the field keeps
      // the value it held rather than read 0.
      edit->SetEmptyKeepsValue(true);
    } else if (auto* exEdit = qobject_cast<CEditExINT*>(w)) {
      exEdit->SetMin(row.minimum);
      exEdit->SetMax(row.maximum);
    } else if (auto* combo = qobject_cast<CComboBoxINT*>(w)) {
      combo->SetRange(row.minimum, row.maximum);
    }
  });
}

void CMsgDlg::SetDoubleRanges(const tagCtrlDblRange* table) {
  ForEachCtrlRow(table, [this](const tagCtrlDblRange& row) {
    auto* edit = qobject_cast<CEditDBL*>(GetDlgItem(static_cast<int>(row.id)));
    if (!edit) return;
    edit->SetRange(row.minimum, row.maximum);
    edit->SetFormat(row.format ? QString::fromLatin1(row.format) : vrres::LoadString(row.formatStringId));
  });
}

namespace {

void SetNotifyMessages(const CMsgDlg& dlg, const tagCtrlLimit* table) {
  ForEachCtrlRow(table, [&dlg](const tagCtrlLimit& row) {
    QWidget* w = dlg.GetDlgItem(static_cast<int>(row.id));
    if (auto* edit = qobject_cast<CEditEx*>(w)) edit->SetNotifyMessage(WM_VALUE_COMMIT);
    if (auto* combo = qobject_cast<CComboBoxExt*>(w)) combo->SetNotifyMessage(WM_VALUE_COMMIT);
  });
}

}  // namespace

void CMsgDlg::SetEditNotifyMessage(const tagCtrlLimit* table) { SetNotifyMessages(*this, table); }

void CMsgDlg::SetComboNotifyMessage(const tagCtrlLimit* table) { SetNotifyMessages(*this, table); }
