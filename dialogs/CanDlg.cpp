#include "CanDlg.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <cmath>
#include <set>

#include "BitAssignView.h"
#include "CheckButtons.h"
#include "CodePageQt.h"
#include "DlgPrompt.h"
#include "EditDBL.h"
#include "EditEx.h"
#include "EditINT.h"
#include "EditMultiValue.h"
#include "EditUnit.h"
#include "Icons.h"
#include "ResIds.h"
#include "Resources.h"
#include "SignalFieldRules.h"

#if __has_include("J1939Dlg.h")
#include "J1939Dlg.h"
#define VR_HAVE_J1939DLG 1
#endif

namespace {

using namespace dlgids;

// Combo boxes of the dialog with their text limits.
const tagCtrlLimit kComboTable[] = {
    {IDC_MSG_NAME, 32}, {IDC_FRAME_FORMAT, 0}, {IDC_MSG_ID, 9}, {IDC_SIGNAL_NAME, 32}, {IDC_VALUE_TYPE, 0}, {0, 0},
};

// Edit fields; the multiplexor is a combo box of which only the commit
// notification takes effect here.
const tagCtrlLimit kEditTable[] = {
    {IDC_BYTE_COUNT, 4},
    {IDC_START_BIT, 3},
    {IDC_BIT_COUNT, 2},
    {IDC_MUX_VALUE, 2100},
    {IDC_MULTIPLEXOR, 0},
    {IDC_FACTOR, 0},
    {IDC_OFFSET, 0},
    {IDC_UNIT, 32},
    {IDC_MINIMUM, 0},
    {IDC_MAXIMUM, 0},
    {0, 0},
};

const tagCtrlIntRange kIntTable[] = {
    {IDC_BYTE_COUNT, 0, MAX_J1939_BYTES},
    {IDC_START_BIT, 0, MAX_J1939_BITS - 1},
    {IDC_BIT_COUNT, 1, 64},
    {0, 0, 0},
};

// Identifier range by frame format.
const tagCtrlIntRange kIdTable[] = {
    {IDC_MSG_ID, 0, MAX_STD_ID},
    {IDC_MSG_ID, 0, MAX_XTD_ID},
    {0, 0, 0},
};

const tagCtrlDblRange kDblTable[] = {
    {IDC_FACTOR, -1e30, 1e30, "%e"},
    {IDC_OFFSET, -1e30, 1e30, "%e"},
    {IDC_MAXIMUM, -1e30, 1e30, "%e"},
    {IDC_MINIMUM, -1e30, 1e30, "%e"},
    {0, 0, 0, nullptr},
};

// Shows what the model holds, also a stored value beyond the range the user
// may type (a start bit past the message, a count of 0): the range then
// stretches to it, so that passing through the field keeps it.
void ShowInt(CEditINT* edit, int minimum, int maximum, int value, bool write) {
  const IntFieldRange range = IntRangeToHold(minimum, maximum, value);
  edit->SetRange(range.minimum, range.maximum);
  if (write) edit->SetValue(value);
}

// The same for the scaling fields: an imported float's limits reach
// +-3.4e38, beyond the +-1e30 that may be typed.
void ShowDouble(CEditDBL* edit, double value, bool write) {
  const double reach = ScalingReachToHold(value, 1e30);
  edit->SetRange(-reach, reach);
  if (write) edit->SetValue(value);
}

}  // namespace

CCanDlg::CCanDlg(QWidget* parent) : CMsgDlg(IDD_CAN, parent) {
  setWindowTitle(Text(QStringLiteral("caption")));
  BuildLayout();
}

CCanDlg::~CCanDlg() {
  // Closing a shown dialog moves the focus out of a field, which would commit
  // into a dialog that is half gone.
  for (CEditEx* e : std::initializer_list<CEditEx*>{byteCount_, startBit_, bitCount_, factor_, offset_, maximum_,
                                                    minimum_, muxValue_}) {
    e->SetNotifyMessage(0);
  }
  for (CComboBoxExt* c :
       std::initializer_list<CComboBoxExt*>{msgName_, frameFormat_, msgId_, sigName_, valueType_, multiplexor_}) {
    c->SetNotifyMessage(0);
  }
}

void CCanDlg::SetTarget(_CANMsg* msg, _CANSignal* sig) {
  targetMsg_ = msg;
  targetSig_ = sig;
}

void CCanDlg::AddNames(const std::string& msgName, const std::string& sigName) {
  rowNames_.emplace_back(msgName, sigName);
}

void CCanDlg::BuildLayout() {
  auto label = [this](const char* key) { return new QLabel(Text(QString::fromLatin1(key)), this); };
  auto id = [this](QWidget* w, int ctrlId) {
    SetCtrlId(w, ctrlId);
    return w;
  };

  msgName_ = new CComboBoxExt(this);
  msgName_->SetEditable(true);
  frameFormat_ = new CComboBoxExt(this);
  j1939_ = new CCheckBox(Text(IDC_J1939), this);
  msgId_ = new CComboBoxINT(this);
  msgId_->SetEditable(true);
  j1939Id_ = new QPushButton(Text(IDC_J1939_ID), this);
  j1939Id_->setFixedWidth(28);
  j1939Id_->setAutoDefault(false);
  decimal_ = new CRadioButton(Text(IDC_ID_DECIMAL), this);
  hex_ = new CRadioButton(Text(IDC_ID_HEX), this);
  byteCount_ = new CEditByteCount(this);
  sigName_ = new CComboBoxExt(this);
  sigName_->SetEditable(true);
  startBit_ = new CEditINT(this);
  bitCount_ = new CEditINT(this);
  heading_ = new QLabel(Text(IDC_BIT_HEADING), this);
  grid_ = new BitAssignViewPage(this);
  pageNext_ = new QPushButton(this);
  pageNext_->setIcon(vrres::LoadIcon(IDI_PAGE_NEXT));
  pagePrevious_ = new QPushButton(this);
  pagePrevious_->setIcon(vrres::LoadIcon(IDI_PAGE_PREVIOUS));
  for (QPushButton* b : {pageNext_, pagePrevious_}) {
    b->setFixedSize(24, 24);
    b->setAutoDefault(false);
  }
  valueType_ = new CComboBoxExt(this);
  little_ = new CRadioButton(Text(IDC_BYTE_LITTLE), this);
  big_ = new CRadioButton(Text(IDC_BYTE_BIG), this);
  factor_ = new CEditDBL(this);
  offset_ = new CEditDBL(this);
  maximum_ = new CEditDBL(this);
  minimum_ = new CEditDBL(this);
  unit_ = new CEditUnit(this);
  multiplexor_ = new CComboBoxExt(this);
  muxValue_ = new CEditMultiValue(this);
  muxValue_->setPlaceholderText(Text(QStringLiteral("hint.muxvalue")));

  id(msgName_, IDC_MSG_NAME);
  id(frameFormat_, IDC_FRAME_FORMAT);
  id(j1939_, IDC_J1939);
  id(msgId_, IDC_MSG_ID);
  id(j1939Id_, IDC_J1939_ID);
  id(decimal_, IDC_ID_DECIMAL);
  id(hex_, IDC_ID_HEX);
  id(byteCount_, IDC_BYTE_COUNT);
  id(sigName_, IDC_SIGNAL_NAME);
  id(startBit_, IDC_START_BIT);
  id(bitCount_, IDC_BIT_COUNT);
  id(heading_, IDC_BIT_HEADING);
  id(pageNext_, IDC_PAGE_NEXT);
  id(pagePrevious_, IDC_PAGE_PREVIOUS);
  id(valueType_, IDC_VALUE_TYPE);
  id(little_, IDC_BYTE_LITTLE);
  id(big_, IDC_BYTE_BIG);
  id(factor_, IDC_FACTOR);
  id(offset_, IDC_OFFSET);
  id(maximum_, IDC_MAXIMUM);
  id(minimum_, IDC_MINIMUM);
  id(unit_, IDC_UNIT);
  id(multiplexor_, IDC_MULTIPLEXOR);
  id(muxValue_, IDC_MUX_VALUE);
  for (CEditEx* e : std::initializer_list<CEditEx*>{byteCount_, startBit_, bitCount_, factor_, offset_, maximum_,
                                                    minimum_, unit_, muxValue_}) {
    e->SetDlgCtrlID(CtrlIdOf(e));
    // Enter takes the typed text before the commit, and never presses OK.
    e->SetEnterUpdatesValue(true);
  }
  for (CComboBoxExt* c :
       std::initializer_list<CComboBoxExt*>{msgName_, frameFormat_, msgId_, sigName_, valueType_, multiplexor_}) {
    c->SetDlgCtrlID(CtrlIdOf(c));
    c->SetEnterCommitFlag(1);
  }

  // The message.
  auto* msgBox = new QGroupBox(Text(QStringLiteral("group.message")), this);
  auto* mg = new QGridLayout(msgBox);
  mg->addWidget(label("label.message"), 0, 0);
  mg->addWidget(msgName_, 0, 1, 1, 3);
  mg->addWidget(label("label.format"), 0, 4);
  mg->addWidget(frameFormat_, 0, 5);
  mg->addWidget(j1939_, 0, 6);
  mg->addWidget(label("label.id"), 1, 0);
  auto* idRow = new QHBoxLayout;
  idRow->addWidget(msgId_, 1);
  idRow->addWidget(j1939Id_);
  mg->addLayout(idRow, 1, 1);
  mg->addWidget(decimal_, 1, 2);
  mg->addWidget(hex_, 1, 3);
  mg->addWidget(label("label.bytes"), 1, 4);
  mg->addWidget(byteCount_, 1, 5);
  mg->setColumnStretch(1, 1);

  // The signal, with the grid on the right.
  auto* sigBox = new QGroupBox(Text(QStringLiteral("group.signal")), this);
  auto* sh = new QHBoxLayout(sigBox);
  auto* sg = new QGridLayout;
  int row = 0;
  sg->addWidget(label("label.signal"), row, 0);
  sg->addWidget(sigName_, row++, 1, 1, 3);
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
  sg->addWidget(label("label.max"), row, 0);
  sg->addWidget(maximum_, row, 1);
  sg->addWidget(label("label.min"), row, 2);
  sg->addWidget(minimum_, row++, 3);
  sg->addWidget(label("label.unit"), row, 0);
  sg->addWidget(unit_, row++, 1);
  sg->addWidget(label("label.mux"), row, 0);
  sg->addWidget(multiplexor_, row++, 1, 1, 3);
  sg->addWidget(label("label.muxvalue"), row, 0);
  sg->addWidget(muxValue_, row++, 1, 1, 3);
  sg->setRowStretch(row, 1);
  sg->setColumnStretch(1, 1);
  sg->setColumnStretch(3, 1);
  for (QWidget* w : std::initializer_list<QWidget*>{startBit_, bitCount_, factor_, offset_, maximum_, minimum_}) {
    w->setMinimumWidth(90);
  }
  sh->addLayout(sg, 1);

  auto* gridCol = new QVBoxLayout;
  auto* headRow = new QHBoxLayout;
  headRow->addStretch(1);
  headRow->addWidget(heading_);
  headRow->addSpacing(28);
  gridCol->addLayout(headRow);
  auto* gridRow = new QHBoxLayout;
  const BitGridGeometry& geo = grid_->Geometry();
  grid_->setFixedSize(geo.Width() + 20, geo.originY + 14 * geo.pitch);
  gridRow->addWidget(grid_);
  auto* pageCol = new QVBoxLayout;
  pageCol->addStretch(1);
  pageCol->addWidget(pageNext_);
  pageCol->addWidget(pagePrevious_);
  pageCol->addStretch(1);
  gridRow->addLayout(pageCol);
  gridCol->addLayout(gridRow);
  gridCol->addStretch(1);
  sh->addLayout(gridCol);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(MakeButton(IDC_OK));
  buttons->addWidget(MakeButton(IDC_CANCEL));

  auto* top = new QVBoxLayout(this);
  top->addWidget(msgBox);
  top->addWidget(sigBox, 1);
  top->addLayout(buttons);

  // The window keeps its size and every control its place across messages,
  // pages and the J1939 switch: what comes and goes keeps its room, and no
  // field widens for a long name in its list.
  for (QWidget* w : std::initializer_list<QWidget*>{heading_, pageNext_, pagePrevious_, j1939Id_}) {
    KeepPlaceWhenHidden(w);
  }
  WidthIndependentOfItems(msgName_, 16);
  WidthIndependentOfItems(msgId_, 8);
  WidthIndependentOfItems(sigName_, 16);
  WidthIndependentOfItems(multiplexor_, 16);
  top->setSizeConstraint(QLayout::SetFixedSize);

  WireControls({
      {IDC_MSG_NAME, Field(IDC_MSG_NAME), [this](int i) { OnMessagePicked(i); }},
      {IDC_FRAME_FORMAT, Field(IDC_FRAME_FORMAT), [this](int i) { OnFrameFormatPicked(i); }},
      {IDC_J1939, [this](int checked) { OnJ1939Clicked(checked != 0); }},
      {IDC_MSG_ID, Field(IDC_MSG_ID), [this](int i) { OnIdPicked(i); }},
      {IDC_J1939_ID, [this](int) { OnJ1939Identifier(); }},
      {IDC_ID_DECIMAL, [this](int) { OnIdFormatClicked(false); }},
      {IDC_ID_HEX, [this](int) { OnIdFormatClicked(true); }},
      {IDC_BYTE_COUNT, [this](int flag) { CommitByteCount(flag); }},
      {IDC_SIGNAL_NAME, Field(IDC_SIGNAL_NAME), [this](int i) { OnSignalPicked(i); }},
      {IDC_START_BIT, Field(IDC_START_BIT)},
      {IDC_BIT_COUNT, Field(IDC_BIT_COUNT)},
      {IDC_PAGE_NEXT, [this](int) { OnPage(+1); }},
      {IDC_PAGE_PREVIOUS, [this](int) { OnPage(-1); }},
      {IDC_VALUE_TYPE, Field(IDC_VALUE_TYPE), [this](int i) { OnValueTypePicked(i); }},
      {IDC_BYTE_LITTLE, [this](int) { OnByteOrderClicked(BYTEORDER_LITTLE); }},
      {IDC_BYTE_BIG, [this](int) { OnByteOrderClicked(BYTEORDER_BIG); }},
      {IDC_FACTOR, Field(IDC_FACTOR)},
      {IDC_OFFSET, Field(IDC_OFFSET)},
      {IDC_MAXIMUM, Field(IDC_MAXIMUM)},
      {IDC_MINIMUM, Field(IDC_MINIMUM)},
      {IDC_UNIT, Field(IDC_UNIT)},
      {IDC_MULTIPLEXOR, Field(IDC_MULTIPLEXOR), [this](int i) { OnMultiplexorPicked(i); }},
      {IDC_MUX_VALUE, [this](int) { CommitMuxValue(); }},
  });
  connect(grid_, &BitAssignView::bitSelectChanging, this, &CCanDlg::OnBitSelectChanging);
  connect(grid_, &BitAssignView::bitSelectDone, this, &CCanDlg::OnBitSelectDone);
}

bool CCanDlg::OnInitDialog() {
  Lock();
  grid_->Lock();
  model_ = std::make_unique<CCanDlgModel>(table_, Mode());
  model_->SetTarget(targetMsg_, targetSig_);
  for (const auto& names : rowNames_) model_->AddNames(names.first, names.second);
  model_->SetHexFlag(hexFlag_);
  model_->SetNoNameText(cp932::FromQString(vrres::LoadString(IDS_NONAME)));
  model_->SetGridSink([this](const tagBitAssignInfo& info) { grid_->SetBitAssign(info); });
  heading_->hide();
  pageNext_->hide();
  pagePrevious_->hide();

  const bool result = CMsgDlg::OnInitDialog();
  muxValue_->setEnabled(false);
  InitControls();
  FillControls();
  grid_->SetReadOnly(Mode() == DLGMODE_VIEW ? 1 : 0);
  grid_->Unlock();
  Unlock();
  return result;
}

void CCanDlg::InitControls() {
  model_->Open();
  const bool emptyTable = !table_ || table_->empty();
  if (Mode() == DLGMODE_VIEW) {
    ChangeComboStyle(IDC_FRAME_FORMAT, COMBO_DROPDOWN);
    ChangeComboStyle(IDC_VALUE_TYPE, COMBO_DROPDOWN);
    ChangeComboStyle(IDC_SIGNAL_NAME, COMBO_SIMPLE);
    ChangeComboStyle(IDC_MULTIPLEXOR, COMBO_DROPDOWN);
    ChangeComboStyle(IDC_MSG_NAME, COMBO_SIMPLE);
    ChangeComboStyle(IDC_MSG_ID, COMBO_SIMPLE);
    SetEditsReadOnly(kEditTable);
    SetCombosReadOnly(kComboTable);
    SetComboReadOnly(IDC_MULTIPLEXOR);
    j1939_->setEnabled(false);
    j1939Id_->setEnabled(false);
  } else if (Mode() == DLGMODE_EDIT || emptyTable) {
    ChangeComboStyle(IDC_MSG_NAME, COMBO_SIMPLE);
    ChangeComboStyle(IDC_MSG_ID, COMBO_SIMPLE);
    ChangeComboStyle(IDC_SIGNAL_NAME, COMBO_SIMPLE);
    if (Mode() == DLGMODE_NEW) ChangeComboStyle(IDC_MULTIPLEXOR, COMBO_DROPDOWN);
  }
  SetEditLimits(kEditTable);
  SetComboLimits(kComboTable);
  SetIntRanges(kIntTable);
  SetDoubleRanges(kDblTable);
  const tagCtrlIntRange& idRange = kIdTable[model_->Controls().frameFormat == FRAME_XTD ? 1 : 0];
  msgId_->SetRange(idRange.minimum, idRange.maximum);
  SetEditNotifyMessage(kEditTable);
  SetComboNotifyMessage(kComboTable);
  ConnectControls();
}

void CCanDlg::ConnectControls() {
  // The ranges and formats that the model counts on, set on the controls
  // themselves as well.
  byteCount_->SetRange(0, MAX_J1939_BYTES);
  startBit_->SetRange(0, MAX_J1939_BITS - 1);
  bitCount_->SetRange(1, 64);
  for (CEditDBL* e : {factor_, offset_, maximum_, minimum_}) {
    e->SetRange(-1e30, 1e30);
    e->SetFormat(QStringLiteral("%e"));
  }
}

void CCanDlg::FillControls() {
  SetItems(frameFormat_, {vrres::LoadString(IDS_FRAME_STD), vrres::LoadString(IDS_FRAME_XTD)});
  SetItems(valueType_, {vrres::LoadString(IDS_VALTYPE_UNSIGNED), vrres::LoadString(IDS_VALTYPE_SIGNED),
                        vrres::LoadString(IDS_VALTYPE_FLOAT), vrres::LoadString(IDS_VALTYPE_DOUBLE)});
  ShowModel();
  const CanDlgControls& c = model_->Controls();
  if (c.muxTyped) {
    multiplexor_->SetLimitText(MAX_NAME_LEN);  // no more than the record holds
    multiplexor_->SetWindowText(cp932::ToQString(c.muxTypedText));
  }
}

void CCanDlg::ApplyIdentifierItems(bool writeValue) {
  const CanDlgControls& c = model_->Controls();
  msgId_->SetHexMode(c.hex);
  QStringList items;
  for (int v : c.idItems) items << (c.hex ? QString::number(v, 16).toUpper() : QString::number(v));
  SetItems(msgId_, items);
  // A stored identifier beyond the frame format's range is shown as it is.
  const IntFieldRange range = IntRangeToHold(0, c.idMax, c.id);
  msgId_->SetRange(range.minimum, range.maximum);
  if (writeValue) msgId_->SetValue(c.id);
}

void CCanDlg::ShowModel() {
  if (!model_) return;
  const bool took = Lock();
  const CanDlgControls& c = model_->Controls();
  const bool view = Mode() == DLGMODE_VIEW;
  const std::set<int> written = model_->TakeWrittenFields();
  auto wrote = [&written](int ctrlId) { return written.count(ctrlId) != 0; };

  QStringList names;
  for (const auto& n : c.msgNames) names << cp932::ToQString(n);
  SetItems(msgName_, names);
  if (wrote(IDC_MSG_NAME)) msgName_->SetWindowText(cp932::ToQString(c.msgName));
  frameFormat_->setCurrentIndex(c.frameFormat);
  j1939_->setChecked(c.j1939);
  j1939Id_->setVisible(c.j1939ButtonVisible);
  decimal_->setChecked(!c.hex);
  hex_->setChecked(c.hex);
  ApplyIdentifierItems(wrote(IDC_MSG_ID));

  byteCount_->SetMax(c.byteCountMax);
  byteCount_->SetLimitText(c.byteCountLimit);
  // A field the user emptied stays empty while the count is typed anew (its
  // every change commits): the model writes it only when it cuts the count.
  if (wrote(IDC_BYTE_COUNT)) byteCount_->SetValue(c.byteCount);
  heading_->setVisible(c.headingVisible);
  pageNext_->setVisible(c.nextVisible);
  pagePrevious_->setVisible(c.previousVisible);

  QStringList signalNames;
  for (const auto& n : c.sigNames) signalNames << cp932::ToQString(n);
  SetItems(sigName_, signalNames);
  if (wrote(IDC_SIGNAL_NAME)) sigName_->SetWindowText(cp932::ToQString(c.sigName));
  startBit_->SetLimitText(c.startBitLimit);
  ShowInt(startBit_, 0, c.startBitMax, c.startBit, wrote(IDC_START_BIT));
  ShowInt(bitCount_, 1, 64, c.bitCount, wrote(IDC_BIT_COUNT));
  valueType_->setCurrentIndex(c.valueType);
  little_->setChecked(c.byteOrder == BYTEORDER_LITTLE);
  big_->setChecked(c.byteOrder == BYTEORDER_BIG);
  ShowDouble(factor_, c.factor, wrote(IDC_FACTOR));
  ShowDouble(offset_, c.offset, wrote(IDC_OFFSET));
  ShowDouble(maximum_, c.maximum, wrote(IDC_MAXIMUM));
  ShowDouble(minimum_, c.minimum, wrote(IDC_MINIMUM));
  if (wrote(IDC_UNIT)) unit_->setText(cp932::ToQString(c.unit));

  QStringList muxNames;
  for (const auto& n : c.muxItems) muxNames << cp932::ToQString(n);
  SetItems(multiplexor_, muxNames);
  // A typed multiplexor name stays as typed (SetItems keeps the text).
  if (!c.muxTyped) multiplexor_->setCurrentIndex(c.muxSel);
  bool refilled = false;
  if (c.muxUpdates != shownMuxUpdates_) {
    shownMuxUpdates_ = c.muxUpdates;
    muxValue_->SetText(cp932::ToQString(c.muxValue));
    refilled = c.muxRefills != shownMuxRefills_;
    shownMuxRefills_ = c.muxRefills;
  }
  muxValue_->setEnabled(c.muxValueEnabled && !view);

  for (QWidget* w : std::initializer_list<QWidget*>{sigName_, startBit_, bitCount_, valueType_, little_, big_, factor_,
                                                    offset_, maximum_, minimum_, unit_, multiplexor_}) {
    w->setEnabled(c.signalControlsEnabled);
  }
  if (view) {
    // The unselected byte order cannot be chosen.
    little_->setEnabled(false);
    big_->setEnabled(false);
  }
  if (took) Unlock();
  if (refilled && !view) ShowMultiplexErrorNow();
}

void CCanDlg::ReadControl(int ctrlId) {
  CanDlgControls& c = model_->Controls();
  switch (ctrlId) {
    case IDC_MSG_NAME:
      model_->ReadText(IDC_MSG_NAME, msgName_->lineEdit() && msgName_->lineEdit()->isModified(),
                       msgName_->currentText().toStdString());
      break;
    case IDC_MSG_ID: {
      const int id = msgId_->GetValue();
      model_->ReadId(id, msgId_->TypedSinceSet());
      break;
    }
    case IDC_BYTE_COUNT:
      c.byteCount = byteCount_->Value();
      break;
    case IDC_FRAME_FORMAT:
      c.frameFormat = std::max(frameFormat_->currentIndex(), 0);
      break;
    case IDC_SIGNAL_NAME:
      model_->ReadText(IDC_SIGNAL_NAME, sigName_->lineEdit() && sigName_->lineEdit()->isModified(),
                       sigName_->currentText().toStdString());
      break;
    case IDC_START_BIT:
      c.startBit = startBit_->Value();
      break;
    case IDC_BIT_COUNT:
      c.bitCount = bitCount_->Value();
      break;
    case IDC_FACTOR:
      c.factor = factor_->GetStoredValue(false);
      break;
    case IDC_OFFSET:
      c.offset = offset_->GetStoredValue(false);
      break;
    case IDC_MAXIMUM:
      c.maximum = maximum_->GetStoredValue(false);
      break;
    case IDC_MINIMUM:
      c.minimum = minimum_->GetStoredValue(true);
      break;
    case IDC_UNIT:
      model_->ReadText(IDC_UNIT, unit_->isModified(), unit_->text().toStdString());
      break;
    case IDC_MULTIPLEXOR:
      if (c.muxTyped) {
        c.muxTypedText = cp932::FromQString(multiplexor_->currentText());
      } else {
        c.muxSel = std::max(multiplexor_->currentIndex(), 0);
      }
      break;
    case IDC_MUX_VALUE:
      c.muxValueText = cp932::FromQString(muxValue_->GetText());
      c.muxValueError = muxValue_->GetError();
      c.muxValuePart = cp932::FromQString(muxValue_->GetCurrentPart());
      break;
    default:
      break;
  }
}

void CCanDlg::ReadControls() {
  // Text typed but not yet committed counts as well; a field the user left
  // untouched keeps what the model holds (the stored value).
  for (CEditEx* e : std::initializer_list<CEditEx*>{startBit_, bitCount_, factor_, offset_, maximum_, minimum_}) {
    if (!e->isModified()) continue;
    e->UpdateValue();
    ReadControl(CtrlIdOf(e));
  }
  for (int ctrlId : {IDC_MSG_NAME, IDC_MSG_ID, IDC_BYTE_COUNT, IDC_FRAME_FORMAT, IDC_SIGNAL_NAME, IDC_UNIT,
                     IDC_MULTIPLEXOR, IDC_MUX_VALUE}) {
    ReadControl(ctrlId);
  }
}

CMsgDlg::CtrlCommit CCanDlg::Field(int ctrlId) {
  return [this, ctrlId](int) {
    if (!model_) return;
    ReadControl(ctrlId);
    model_->OnCommit(ctrlId);
    ShowModel();
  };
}

void CCanDlg::CommitByteCount(int flag) {
  if (!model_) return;
  ReadControl(IDC_BYTE_COUNT);
  if (flag == kCommitLeftInField) {
    model_->OnByteCountLeft();
  } else {
    model_->OnCommit(IDC_BYTE_COUNT);
  }
  ShowModel();
}

void CCanDlg::CommitMuxValue() {
  if (!model_) return;
  ReadControl(IDC_MUX_VALUE);
  // Emptied, the field shows again the value OK keeps.
  if (model_->OnMultiplexValueLeft()) {
    ShowModel();
    ReadControl(IDC_MUX_VALUE);
  }
  ShowMultiplexErrorNow();
}

void CCanDlg::OnPage(int step) {
  if (!model_) return;
  if (step > 0) {
    model_->OnPageNext();
  } else {
    model_->OnPagePrevious();
  }
  ShowModel();
}

void CCanDlg::ShowMultiplexErrorNow() {
  CanDlgControls& c = model_->Controls();
  c.muxValueError = muxValue_->GetError();
  c.muxValuePart = cp932::FromQString(muxValue_->GetCurrentPart());
  CMessagePrompt prompt;
  if (const int focus = model_->ShowMultiplexValueError(prompt)) Focus(focus);
}

void CCanDlg::Focus(int ctrlId) {
  if (QWidget* w = GetDlgItem(ctrlId)) w->setFocus(Qt::OtherFocusReason);
}

void CCanDlg::OnMessagePicked(int index) {
  if (!model_ || IsLocked()) return;
  model_->OnMessagePicked(index);
  ShowModel();
}

void CCanDlg::OnIdPicked(int index) {
  // The name follows the identifier: both lists hold the same messages.
  OnMessagePicked(index);
}

void CCanDlg::OnFrameFormatPicked(int index) {
  if (!model_ || IsLocked()) return;
  model_->OnFrameFormatPicked(index);
  ShowModel();
}

void CCanDlg::OnSignalPicked(int index) {
  if (!model_ || IsLocked()) return;
  model_->OnSignalPicked(index);
  ShowModel();
}

void CCanDlg::OnValueTypePicked(int index) {
  if (!model_ || IsLocked()) return;
  model_->OnValueTypeOpened();
  model_->OnValueTypePicked(index);
  ShowModel();
}

void CCanDlg::OnMultiplexorPicked(int index) {
  if (!model_ || IsLocked()) return;
  ReadControl(IDC_START_BIT);
  ReadControl(IDC_BIT_COUNT);
  CMessagePrompt prompt;
  const int focus = model_->OnMultiplexorPicked(index, prompt);
  ShowModel();
  if (focus) Focus(focus);
}

void CCanDlg::OnJ1939Clicked(bool checked) {
  if (!model_ || IsLocked()) return;
  model_->OnJ1939Clicked(checked);
  ShowModel();
}

void CCanDlg::OnByteOrderClicked(int order) {
  if (!model_ || IsLocked()) return;
  model_->OnByteOrderClicked(order);
  ShowModel();
}

void CCanDlg::OnIdFormatClicked(bool hex) {
  if (!model_ || IsLocked()) return;
  ReadControl(IDC_MSG_ID);
  model_->OnHexClicked(hex);
  ShowModel();
}

void CCanDlg::OnJ1939Identifier() {
  if (!model_ || IsLocked()) return;
#ifdef VR_HAVE_J1939DLG
  ReadControl(IDC_MSG_ID);
  ReadControl(IDC_MSG_NAME);
  CJ1939Dlg dlg(this);
  dlg.SetHexFlag(model_->HexFlag());
  dlg.SetId(static_cast<std::uint32_t>(model_->Controls().id));
  dlg.SetMessageName(model_->Controls().msgName);
  dlg.SetAnchor(frameGeometry());
  if (dlg.exec() == QDialog::Accepted) {
    model_->SetIdentifierFromJ1939(static_cast<int>(dlg.Id()));
    ShowModel();
  }
#endif
}

void CCanDlg::OnBitSelectChanging() {
  if (!model_ || IsLocked()) return;
  int low = 0, high = 0;
  grid_->GetSelectedBits(low, high);
  model_->OnBitSelectChanging(low, high);
  ShowModel();
}

void CCanDlg::OnBitSelectDone() {
  if (!model_ || IsLocked()) return;
  int low = 0, high = 0;
  grid_->GetSelectedBits(low, high);
  model_->OnBitSelectDone(low, high);
  ShowModel();
}

void CCanDlg::OnOK() {
  if (!model_ || Mode() == DLGMODE_VIEW) {
    CMsgDlg::OnOK();
    return;
  }
  ReadControls();
  CMessagePrompt prompt;
  const CCanDlgModel::OkResult r = model_->OnOK(prompt);
  if (r.accept) {
    SetModified(model_->Modified());
    CMsgDlg::OnOK();
    return;
  }
  ShowModel();
  if (r.focus) Focus(r.focus);
}
