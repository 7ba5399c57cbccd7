#include "FrameSignalDlg.h"

#include "BitWindowGrid.h"
#include "CheckButtons.h"
#include "CodePageQt.h"
#include "DlgPrompt.h"
#include "EditDBL.h"
#include "EditEx.h"
#include "EditINT.h"
#include "EditUnit.h"
#include "FrameDlgModel.h"
#include "Resources.h"
#include "SignalFieldRules.h"
#include "StaticEx.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QAbstractItemView>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>
#include <tuple>

using namespace dlgids;

namespace {

// Holds the dialog's lock while it writes into its own controls, so that the
// commits those writes cause are ignored.
class FillLock {
 public:
  explicit FillLock(cWndAssist& owner) : owner_(owner), took_(owner.Lock()) {}
  ~FillLock() {
    if (took_) owner_.Unlock();
  }
  FillLock(const FillLock&) = delete;
  FillLock& operator=(const FillLock&) = delete;

 private:
  cWndAssist& owner_;
  bool took_;
};

// Shows a number the user may not be able to type, with the field's range
// stretched to hold it.
template <class Field>
void ShowHeld(Field* field, int minimum, int maximum, int value, bool write = true) {
  const IntFieldRange range = IntRangeToHold(minimum, maximum, value);
  field->SetRange(range.minimum, range.maximum);
  // Quiet: a cycle field's own bound would rewrite what it is shown.
  const QSignalBlocker quiet(field);
  if (write) field->SetValue(value);
}

}  // namespace

CFrameSignalDlg::CFrameSignalDlg(int templateId, QWidget* parent, std::unique_ptr<CFrameDlgModelBase> model,
                                 bool flexRay, const Tables& tables)
    : CMsgDlg(templateId, parent),
      ownedModel_(std::move(model)),
      model_(*ownedModel_),
      flexRay_(flexRay),
      tables_(tables) {
  BuildLayout();
}

void CFrameSignalDlg::BuildLayout() {
  auto label = [this](const char* key) { return new QLabel(Text(QString::fromLatin1(key)), this); };
  auto combo = [this](int id, bool editable) {
    auto* c = new CComboBoxExt(this);
    c->SetEditable(editable);
    c->setInsertPolicy(QComboBox::NoInsert);
    c->SetDlgCtrlID(id);
    SetCtrlId(c, id);
    return c;
  };
  auto edit = [this](auto* e, int id) {
    e->SetDlgCtrlID(id);
    SetCtrlId(e, id);
    return e;
  };
  auto radio = [this](int id) {
    auto* r = new CRadioButton(Text(id), this);
    SetCtrlId(r, id);
    return r;
  };

  auto* message = new QGroupBox(Text(QStringLiteral("group.message")), this);
  auto* mg = new QGridLayout(message);
  format_ = combo(IDC_FRAME_FORMAT, false);
  msgName_ = combo(IDC_MSG_NAME, true);
  msgId_ = new CComboBoxINT(this);
  msgId_->SetEditable(true);
  msgId_->setInsertPolicy(QComboBox::NoInsert);
  msgId_->SetDlgCtrlID(IDC_MSG_ID);
  SetCtrlId(msgId_, IDC_MSG_ID);
  decimal_ = radio(IDC_ID_DECIMAL);
  hex_ = radio(IDC_ID_HEX);
  auto* idFormat = new QButtonGroup(this);
  idFormat->addButton(decimal_);
  idFormat->addButton(hex_);
  byteCount_ = edit(new CEditByteCount(this), IDC_BYTE_COUNT);
  int row = 0;
  mg->addWidget(label(flexRay_ ? "label.format" : "label.checksum"), row, 0);
  mg->addWidget(format_, row++, 1);
  mg->addWidget(label("label.message"), row, 0);
  mg->addWidget(msgName_, row++, 1, 1, 3);
  mg->addWidget(label(flexRay_ ? "label.slot" : "label.id"), row, 0);
  mg->addWidget(msgId_, row, 1);
  mg->addWidget(decimal_, row, 2);
  mg->addWidget(hex_, row++, 3);
  mg->addWidget(label("label.bytes"), row, 0);
  mg->addWidget(byteCount_, row++, 1);
  if (flexRay_) {
    baseCycle_ = edit(new CEditBaseCycle(this), IDC_BASE_CYCLE);
    repetition_ = edit(new CEditCycleRepeat(this), IDC_CYCLE_REPEAT);
    mg->addWidget(label("label.basecycle"), row, 0);
    mg->addWidget(baseCycle_, row++, 1);
    mg->addWidget(label("label.repetition"), row, 0);
    mg->addWidget(repetition_, row++, 1);
  }
  mg->setRowStretch(row, 1);
  mg->setColumnStretch(1, 1);

  auto* signal = new QGroupBox(Text(QStringLiteral("group.signal")), this);
  auto* sg = new QGridLayout(signal);
  sigName_ = combo(IDC_SIGNAL_NAME, true);
  startBit_ = edit(new CEditINT(this), IDC_START_BIT);
  bitCount_ = edit(new CEditINT(this), IDC_BIT_COUNT);
  valueType_ = combo(IDC_VALUE_TYPE, false);
  little_ = radio(IDC_BYTE_LITTLE);
  big_ = radio(IDC_BYTE_BIG);
  auto* byteOrder = new QButtonGroup(this);
  byteOrder->addButton(little_);
  byteOrder->addButton(big_);
  factor_ = edit(new CEditDBL(this), IDC_FACTOR);
  offset_ = edit(new CEditDBL(this), IDC_OFFSET);
  unit_ = edit(new CEditUnit(this), IDC_UNIT);
  minimum_ = edit(new CEditDBL(this), IDC_MINIMUM);
  maximum_ = edit(new CEditDBL(this), IDC_MAXIMUM);
  row = 0;
  sg->addWidget(label("label.signal"), row, 0);
  sg->addWidget(sigName_, row++, 1, 1, 3);
  if (flexRay_) {
    bitOrder_ = combo(IDC_BIT_ORDER, false);
    sg->addWidget(label("label.bitorder"), row, 0);
    sg->addWidget(bitOrder_, row++, 1);
  }
  sg->addWidget(label("label.start"), row, 0);
  sg->addWidget(startBit_, row, 1);
  sg->addWidget(label("label.length"), row, 2);
  sg->addWidget(bitCount_, row++, 3);
  sg->addWidget(label("label.valtype"), row, 0);
  sg->addWidget(valueType_, row++, 1);
  sg->addWidget(label("label.byteorder"), row, 0);
  sg->addWidget(little_, row, 1);
  sg->addWidget(big_, row++, 2, 1, 2);
  sg->addWidget(label("label.factor"), row, 0);
  sg->addWidget(factor_, row, 1);
  sg->addWidget(label("label.offset"), row, 2);
  sg->addWidget(offset_, row++, 3);
  sg->addWidget(label("label.min"), row, 0);
  sg->addWidget(minimum_, row, 1);
  sg->addWidget(label("label.max"), row, 2);
  sg->addWidget(maximum_, row++, 3);
  sg->addWidget(label("label.unit"), row, 0);
  sg->addWidget(unit_, row++, 1);
  sg->setColumnStretch(1, 1);
  sg->setColumnStretch(3, 1);
  // Tab goes through the signal's fields as they are laid out, row by row.
  QWidget* previous = nullptr;
  for (QWidget* w : std::initializer_list<QWidget*>{sigName_, bitOrder_, startBit_, bitCount_, valueType_, little_,
                                                    big_, factor_, offset_, minimum_, maximum_, unit_}) {
    if (!w) continue;
    if (previous) setTabOrder(previous, w);
    previous = w;
  }

  grid_ = new CBitWindowGrid(this);
  for (int i = 0; i < CBitWindowGrid::kCells; ++i) SetCtrlId(grid_->Cell(i), IDC_BIT_CELL_FIRST + 63 - i);
  for (int r = 0; r < CBitWindowGrid::kLabels; ++r) SetCtrlId(grid_->RowLabel(r), IDC_ROW_LABEL_FIRST + r);

  auto* fields = new QHBoxLayout;
  fields->addWidget(message);
  fields->addWidget(signal, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(MakeButton(1));
  buttons->addWidget(MakeButton(2));
  auto* top = new QVBoxLayout(this);
  top->addLayout(fields);
  top->addWidget(grid_);
  top->addLayout(buttons);
  // No field widens for a long name in its list: the window keeps its size
  // from one frame to the next.
  WidthIndependentOfItems(msgName_, 16);
  WidthIndependentOfItems(msgId_, 6);
  WidthIndependentOfItems(sigName_, 16);
  top->setSizeConstraint(QLayout::SetFixedSize);

  WireControls({
      {IDC_FRAME_FORMAT, [this](int) { CommitFormat(format_->currentIndex()); },
       [this](int index) { CommitFormat(index); }},
      {IDC_MSG_NAME, [this](int) { ReadTexts(); },
       [this](int chosen) {
         model_.SelectMessageRow(chosen);
         ShowValues();
       }},
      {IDC_MSG_ID,
       [this](int) {
         // Leaving the field or Enter in it: the typed value, clamped; a
         // value passed over untyped stays as it is.
         const int id = msgId_->GetValue();
         model_.CommitId(id, msgId_->TypedSinceSet());
         ShowSignalRange();
       },
       [this](int chosen) {
         model_.SelectIdRow(chosen);
         ShowValues();
       }},
      {IDC_ID_DECIMAL, [this](int) { SetHexDisplay(false); }},
      {IDC_ID_HEX, [this](int) { SetHexDisplay(true); }},
      {IDC_BYTE_COUNT,
       [this](int flag) {
         // Enter or leaving the field: the count left there cuts.
         if (flag == kCommitLeftInField) return SettleByteCount();
         model_.TypeByteCount(byteCount_->Value());
         ShowSignalRange();
       }},
      {IDC_BASE_CYCLE, [this](int) { model_.CommitBaseCycle(baseCycle_->Value()); }},
      {IDC_CYCLE_REPEAT, [this](int) { model_.CommitRepetition(repetition_->Value()); }},
      {IDC_SIGNAL_NAME, [this](int) { ReadTexts(); },
       [this](int chosen) {
         model_.SelectSignalRow(chosen);
         ShowValues();
       }},
      // A drop list has nothing to commit: its pick is its value.
      {IDC_BIT_ORDER, nullptr, [this](int index) { model_.Values().bitOrder = index; }},
      {IDC_START_BIT,
       [this](int) {
         model_.CommitStartBit(startBit_->Value());
         ShowSignalRange();
       }},
      {IDC_BIT_COUNT,
       [this](int) {
         model_.CommitBitCount(bitCount_->Value());
         ShowSignalRange();
       }},
      {IDC_VALUE_TYPE, nullptr,
       [this](int index) {
         ReadTexts();
         model_.ChooseValueType(index);
         ShowSignalRange();
       }},
      {IDC_BYTE_LITTLE, [this](int) { model_.Values().byteOrder = BYTEORDER_LITTLE; }},
      {IDC_BYTE_BIG, [this](int) { model_.Values().byteOrder = BYTEORDER_BIG; }},
      {IDC_FACTOR, [this](int) { ReadScaling(); }},
      {IDC_OFFSET, [this](int) { ReadScaling(); }},
      {IDC_MINIMUM, [this](int) { CommitLimits(); }},
      {IDC_MAXIMUM, [this](int) { CommitLimits(); }},
      // The unit field filters characters and never commits.
      {IDC_UNIT, kReadByOk},
  });
  connect(grid_, &CBitWindowGrid::cellPressed, this, &CFrameSignalDlg::OnGridPressed);
  connect(grid_, &CBitWindowGrid::cellDragged, this, &CFrameSignalDlg::OnGridDragged);
  connect(grid_, &CBitWindowGrid::released, this, [this] {
    model_.Release();
    ShowSignalRange();
  });
  // The list opening remembers the type to return to when Float or Double
  // cannot be placed.
  valueType_->view()->installEventFilter(this);
}

bool CFrameSignalDlg::eventFilter(QObject* watched, QEvent* event) {
  if (watched == valueType_->view() && event->type() == QEvent::Show) {
    model_.RememberValueType();
  }
  return CMsgDlg::eventFilter(watched, event);
}

void CFrameSignalDlg::SettleByteCount() {
  if (IsLocked()) return;
  model_.SettleByteCount();
  ShowSignalRange();
}

void CFrameSignalDlg::SetHexFlag(int flag) { model_.SetHexDisplay(flag != 0); }

int CFrameSignalDlg::HexFlag() const { return model_.HexDisplay() ? 1 : 0; }

bool CFrameSignalDlg::OnInitDialog() {
  CMsgDlg::OnInitDialog();
  InitControls();
  FillControls();
  return true;
}

void CFrameSignalDlg::InitControls() {
  model_.SetMode(Mode());
  model_.SetNoNameText(cp932::FromQString(vrres::LoadString(::IDS_NONAME)));
  model_.Open();
  const bool view = Mode() == DLGMODE_VIEW;
  if (view) {
    ChangeComboStyle(IDC_FRAME_FORMAT, COMBO_DROPDOWN);
    if (bitOrder_) ChangeComboStyle(IDC_BIT_ORDER, COMBO_DROPDOWN);
    ChangeComboStyle(IDC_VALUE_TYPE, COMBO_DROPDOWN);
    ChangeComboStyle(IDC_SIGNAL_NAME, COMBO_SIMPLE);
    SetEditsReadOnly(tables_.edits);
    SetCombosReadOnly(tables_.combos);
    SetComboReadOnly(IDC_FRAME_FORMAT);
  } else {
    // A FlexRay frame keeps its frame format in every mode.
    if (flexRay_) SetComboReadOnly(IDC_FRAME_FORMAT);
    // Only a new definition beside existing frames offers them for choosing.
    if (Mode() == DLGMODE_EDIT || model_.MessageNames().empty()) {
      ChangeComboStyle(IDC_MSG_NAME, COMBO_SIMPLE);
      ChangeComboStyle(IDC_MSG_ID, COMBO_SIMPLE);
      ChangeComboStyle(IDC_SIGNAL_NAME, COMBO_SIMPLE);
    }
  }
  SetEditLimits(tables_.edits);
  SetComboLimits(tables_.combos);
  SetIntRanges(tables_.ints);
  SetDoubleRanges(tables_.doubles);
  msgId_->SetRange(static_cast<int>(model_.MinId()), static_cast<int>(model_.MaxId()));
  SetEditNotifyMessage(tables_.edits);
  SetComboNotifyMessage(tables_.combos);
  // Enter in a field takes its typed value first, as the dialog's own key
  // filter did; Enter in a combo's edit field says so with flag 1.
  ForEachCtrlRow(tables_.edits, [this](const tagCtrlLimit& r) {
    if (auto* e = qobject_cast<CEditEx*>(GetDlgItem(static_cast<int>(r.id)))) e->SetEnterUpdatesValue(true);
  });
  ForEachCtrlRow(tables_.combos, [this](const tagCtrlLimit& r) {
    if (auto* c = qobject_cast<CComboBoxExt*>(GetDlgItem(static_cast<int>(r.id)))) c->SetEnterCommitFlag(1);
  });
}

void CFrameSignalDlg::FillControls() {
  FillLock lock(*this);
  if (flexRay_) {
    SetItems(format_, {vrres::LoadString(IDS_FRAME_STD), vrres::LoadString(IDS_FRAME_XTD)});
    SetItems(bitOrder_, {vrres::LoadString(IDS_BITORDER_MSB), vrres::LoadString(IDS_BITORDER_LSB)});
  } else {
    SetItems(format_, {vrres::LoadString(IDS_CHECKSUM_CLASSIC), vrres::LoadString(IDS_CHECKSUM_ENHANCED)});
  }
  SetItems(valueType_, {vrres::LoadString(IDS_VALTYPE_UNSIGNED), vrres::LoadString(IDS_VALTYPE_SIGNED),
                        vrres::LoadString(IDS_VALTYPE_FLOAT), vrres::LoadString(IDS_VALTYPE_DOUBLE)});
  QStringList names;
  for (const std::string& n : model_.MessageNames()) names << cp932::ToQString(n);
  SetItems(msgName_, names);
  QStringList signalNames;
  for (const std::string& n : model_.SignalNames()) signalNames << cp932::ToQString(n);
  SetItems(sigName_, signalNames);
  msgId_->SetHexMode(model_.HexDisplay());
  decimal_->setChecked(!model_.HexDisplay());
  hex_->setChecked(model_.HexDisplay());
  FillIdList();
  ShowValues();
  // A definition shown for reading offers only the byte order it has.
  if (Mode() == DLGMODE_VIEW) {
    little_->setEnabled(little_->isChecked());
    big_->setEnabled(big_->isChecked());
  }
}

void CFrameSignalDlg::FillIdList() {
  FillLock lock(*this);
  QStringList ids;
  for (const std::string& t : model_.IdTexts()) ids << QString::fromStdString(t);
  SetItems(msgId_, ids);
  ShowIdentifier();
}

void CFrameSignalDlg::ShowIdentifier() {
  FillLock lock(*this);
  // A stored slot or identifier outside the range is shown as it is.
  ShowHeld(msgId_, static_cast<int>(model_.MinId()), static_cast<int>(model_.MaxId()),
           static_cast<int>(model_.Values().id));
}

void CFrameSignalDlg::SetHexDisplay(bool hex) {
  if (IsLocked()) return;
  decimal_->setChecked(!hex);
  hex_->setChecked(hex);
  if (model_.HexDisplay() == hex) return;
  model_.SetHexDisplay(hex);
  FillLock lock(*this);
  msgId_->SetHexMode(hex);
  FillIdList();
}

void CFrameSignalDlg::ShowValues() {
  // Every field is written here, so what the model noted is spent.
  model_.TakeWrittenFields();
  ShowFields({IDC_MSG_NAME, IDC_FRAME_FORMAT, IDC_MSG_ID, IDC_BYTE_COUNT, IDC_BASE_CYCLE, IDC_CYCLE_REPEAT,
              IDC_SIGNAL_NAME, IDC_BIT_ORDER, IDC_BYTE_LITTLE, IDC_FACTOR, IDC_OFFSET, IDC_MINIMUM, IDC_MAXIMUM,
              IDC_UNIT, IDC_START_BIT, IDC_BIT_COUNT});
}

void CFrameSignalDlg::EnableSignalControls(bool on) {
  for (int id : {IDC_SIGNAL_NAME, IDC_BIT_ORDER, IDC_START_BIT, IDC_BIT_COUNT, IDC_VALUE_TYPE, IDC_BYTE_LITTLE,
                 IDC_BYTE_BIG, IDC_FACTOR, IDC_OFFSET, IDC_MAXIMUM, IDC_MINIMUM, IDC_UNIT})
    if (QWidget* w = GetDlgItem(id)) w->setEnabled(on);
}

void CFrameSignalDlg::ShowSignalRange() { ShowFields(model_.TakeWrittenFields()); }

void CFrameSignalDlg::ShowFields(const std::set<int>& written) {
  FillLock lock(*this);
  const FrameSignalValues& v = model_.Values();
  const auto wrote = [&written](int id) { return written.count(id) != 0; };
  if (wrote(IDC_MSG_NAME)) msgName_->SetWindowText(cp932::ToQString(v.msgName));
  if (wrote(IDC_FRAME_FORMAT)) format_->setCurrentIndex(v.formatIndex);
  if (wrote(IDC_MSG_ID)) ShowIdentifier();
  if (wrote(IDC_BYTE_COUNT)) byteCount_->SetValue(v.byteCount);
  // Stored cycles outside the fields' ranges are shown as they are; the
  // fields' own bound judges only what the user types.
  if (baseCycle_ && wrote(IDC_BASE_CYCLE)) ShowHeld(baseCycle_, 0, 63, v.baseCycle);
  if (repetition_ && wrote(IDC_CYCLE_REPEAT)) ShowHeld(repetition_, 1, 64, v.cycleRepetition);
  if (wrote(IDC_SIGNAL_NAME)) sigName_->SetWindowText(cp932::ToQString(v.signalName));
  if (bitOrder_ && wrote(IDC_BIT_ORDER)) bitOrder_->setCurrentIndex(v.bitOrder);
  if (wrote(IDC_BYTE_LITTLE)) {
    little_->setChecked(v.byteOrder == BYTEORDER_LITTLE);
    big_->setChecked(v.byteOrder == BYTEORDER_BIG);
  }
  // An imported float's limits of +-3.4e38 are shown and kept as stored.
  const std::tuple<int, CEditDBL*, double> scaling[] = {{IDC_FACTOR, factor_, v.factor},
                                                        {IDC_OFFSET, offset_, v.offset},
                                                        {IDC_MINIMUM, minimum_, v.minimum},
                                                        {IDC_MAXIMUM, maximum_, v.maximum}};
  for (const auto& [id, field, value] : scaling) {
    if (!wrote(id)) continue;
    const double reach = ScalingReachToHold(value, 1e30);
    field->SetRange(-reach, reach);
    field->SetValue(value);
  }
  if (wrote(IDC_UNIT)) unit_->SetWindowText(cp932::ToQString(v.unit));
  // A stored range outside the frame is shown as it is until the user edits it.
  if (model_.SignalControlsEnabled()) {
    ShowHeld(startBit_, 0, model_.StartBitMax(), v.startBit, wrote(IDC_START_BIT));
    ShowHeld(bitCount_, 1, model_.BitCountMax(), v.bitCount, wrote(IDC_BIT_COUNT));
  } else {
    bitCount_->SetMin(std::min(1, v.bitCount));
    if (wrote(IDC_START_BIT)) startBit_->SetValue(v.startBit);
    if (wrote(IDC_BIT_COUNT)) bitCount_->SetValue(v.bitCount);
  }
  valueType_->setCurrentIndex(v.valueType);
  EnableSignalControls(model_.SignalControlsEnabled());
  grid_->ShowModel(model_);
}

void CFrameSignalDlg::ReadTexts() {
  // A field the user left alone keeps the record's own bytes.
  auto edited = [](QComboBox* c) { return c->lineEdit() && c->lineEdit()->isModified(); };
  model_.ReadText(IDC_MSG_NAME, edited(msgName_), msgName_->currentText().toStdString());
  model_.ReadText(IDC_SIGNAL_NAME, edited(sigName_), sigName_->currentText().toStdString());
  model_.ReadText(IDC_UNIT, unit_->isModified(), unit_->text().toStdString());
}

void CFrameSignalDlg::ReadScaling() {
  model_.CommitFactor(factor_->GetStoredValue(false));
  model_.CommitOffset(offset_->GetStoredValue(false));
  // An emptied field shows the value it kept.
  ShowSignalRange();
}

void CFrameSignalDlg::OnGridPressed(int cell) {
  ReadTexts();
  if (model_.PressCell(cell)) ShowSignalRange();
}

void CFrameSignalDlg::OnGridDragged(int cell) {
  if (model_.DragToCell(cell)) ShowSignalRange();
}

void CFrameSignalDlg::CommitFormat(int index) {
  model_.CommitFormat(index);
  ShowSignalRange();
}

void CFrameSignalDlg::CommitLimits() {
  model_.CommitLimits(minimum_->GetStoredValue(true), maximum_->GetStoredValue(false));
  ShowSignalRange();
}

void CFrameSignalDlg::OnOK() {
  if (Mode() == DLGMODE_VIEW) return CMsgDlg::OnOK();
  // What the fields hold now, typed but not yet committed included.
  ReadTexts();
  FrameSignalValues& v = model_.Values();
  for (CEditDBL* e : {factor_, offset_, minimum_, maximum_}) e->UpdateValue();
  ReadScaling();
  v.minimum = minimum_->GetStoredValue(true);
  v.maximum = maximum_->GetStoredValue(false);
  // OK takes the fields as they stand: the field left for OK's press has
  // committed already, and OK itself cuts, clamps or moves nothing. The cycle
  // fields commit every keystroke; read again here, they would clamp a stored
  // value the user never touched. The radios and lists told the model at
  // their click or pick: it holds them already.

  CMessagePrompt prompt;
  int result = model_.Ok(prompt);
  if (result == DLG_OK_CLOSE) {
    SetModified(model_.Modified());
    return CMsgDlg::OnOK();
  }
  if (result > 0)
    if (QWidget* w = GetDlgItem(result)) w->setFocus();
}
