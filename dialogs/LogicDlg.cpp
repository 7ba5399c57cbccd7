#include "LogicDlg.h"

#include "CodePageQt.h"
#include "DlgPrompt.h"
#include "EditBIT.h"
#include "EditEx.h"
#include "EditINT.h"
#include "Resources.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace dlgids;

namespace {

const tagCtrlLimit kCombos[] = {{IDC_SYMBOL_NAME, MAX_LOGIC_NAME_LEN}, {IDC_GROUP, 0}, {0, 0}};
const tagCtrlLimit kEdits[] = {{IDC_LOGIC_BITS, 5}, {IDC_PATTERN_BIN, 32}, {IDC_PATTERN_HEX, 8}, {0, 0}};
const tagCtrlIntRange kInts[] = {{IDC_LOGIC_BITS, 1, MAX_LOGIC_BITS}, {0, 0, 0}};

}  // namespace

CLogicDlg::CLogicDlg(QWidget* parent) : CMsgDlg(IDD_LOGIC, parent) {
  setObjectName(QStringLiteral("logicDlg"));
  auto label = [this](const char* key) { return new QLabel(Text(QString::fromLatin1(key)), this); };
  name_ = new CComboBoxExt(this);
  name_->SetEditable(true);
  name_->setInsertPolicy(QComboBox::NoInsert);
  group_ = new CComboBoxExt(this);
  bits_ = new CEditINT(this);
  binary_ = new CEditBIT(this);
  hex_ = new CEditBIT(this);
  // One pattern in two forms: one value for OK's guard.
  hex_->SetSecondForm(binary_);
  const std::pair<QWidget*, int> ids[] = {{name_, IDC_SYMBOL_NAME},
                                          {group_, IDC_GROUP},
                                          {bits_, IDC_LOGIC_BITS},
                                          {binary_, IDC_PATTERN_BIN},
                                          {hex_, IDC_PATTERN_HEX}};
  for (const auto& [w, id] : ids) SetCtrlId(w, id);
  name_->SetDlgCtrlID(IDC_SYMBOL_NAME);
  group_->SetDlgCtrlID(IDC_GROUP);
  bits_->SetDlgCtrlID(IDC_LOGIC_BITS);
  binary_->SetDlgCtrlID(IDC_PATTERN_BIN);
  hex_->SetDlgCtrlID(IDC_PATTERN_HEX);
  binary_->setMinimumWidth(fontMetrics().horizontalAdvance(QString(34, QLatin1Char('X'))));

  auto* grid = new QGridLayout;
  grid->addWidget(label("label.name"), 0, 0);
  grid->addWidget(name_, 0, 1, 1, 3);
  grid->addWidget(label("label.group"), 1, 0);
  grid->addWidget(group_, 1, 1);
  grid->addWidget(label("label.bits"), 1, 2);
  grid->addWidget(bits_, 1, 3);
  grid->addWidget(label("label.bin"), 2, 0);
  grid->addWidget(binary_, 2, 1, 1, 3);
  grid->addWidget(label("label.hex"), 3, 0);
  grid->addWidget(hex_, 3, 1);
  grid->addWidget(label("label.dontcare"), 3, 2, 1, 2);
  grid->setColumnStretch(1, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(MakeButton(1));
  buttons->addWidget(MakeButton(2));
  auto* top = new QVBoxLayout(this);
  top->addLayout(grid);
  top->addLayout(buttons);
  top->setSizeConstraint(QLayout::SetFixedSize);

  WireControls({
      {IDC_SYMBOL_NAME, kReadByOk},
      {IDC_GROUP, kReadByOk,
       [this](int index) {
         model_.SelectGroup(index);
         ShowBitCount();
       }},
      {IDC_LOGIC_BITS,
       [this](int) {
         model_.CommitBitCount(bits_->Value());
         ShowBitCount();
       }},
      {IDC_PATTERN_BIN,
       [this](int) {
         model_.CommitPattern(binary_->GetPatternText().toStdString());
         hex_->SetPatternText(QString::fromStdString(model_.Pattern()));
       }},
      {IDC_PATTERN_HEX,
       [this](int) {
         model_.CommitPattern(hex_->GetPatternText().toStdString());
         binary_->SetPatternText(QString::fromStdString(model_.Pattern()));
       }},
  });
}

bool CLogicDlg::OnInitDialog() {
  CMsgDlg::OnInitDialog();
  InitControls();
  FillControls();
  return true;
}

void CLogicDlg::InitControls() {
  model_.SetMode(Mode());
  model_.Open();
  binary_->SetMode(0);
  hex_->SetMode(1);
  ChangeComboStyle(IDC_SYMBOL_NAME, COMBO_SIMPLE);
  if (Mode() == DLGMODE_VIEW) {
    SetEditsReadOnly(kEdits);
    SetCombosReadOnly(kCombos);
  }
  SetEditLimits(kEdits);
  SetComboLimits(kCombos);
  SetIntRanges(kInts);
  SetEditNotifyMessage(kEdits);
  SetComboNotifyMessage(kCombos);
  group_->clear();
  for (int g = 1; g <= LOGIC_GROUP_COUNT; ++g) group_->addItem(QString::number(g));
}

void CLogicDlg::FillControls() {
  Lock();
  name_->SetWindowText(cp932::ToQString(model_.name));
  group_->setCurrentIndex(model_.group);
  Unlock();
  ShowBitCount();
}

void CLogicDlg::ShowBitCount() {
  bool took = Lock();
  const int n = model_.bitCount;
  bits_->SetValue(n);
  for (CEditBIT* e : {binary_, hex_}) {
    e->SetBitCount(n);
    e->SetPatternText(QString::fromStdString(model_.Pattern()));
  }
  binary_->SetLimitText(n);
  hex_->SetLimitText((n + 3) / 4);
  if (took) Unlock();
}

void CLogicDlg::OnOK() {
  if (Mode() == DLGMODE_VIEW) return CMsgDlg::OnOK();
  // A name left alone keeps the record's own bytes.
  model_.ReadName(name_->lineEdit() && name_->lineEdit()->isModified(), name_->currentText().toStdString());
  model_.group = group_->currentIndex();
  bits_->UpdateValue();
  binary_->UpdateValue();
  model_.CommitBitCount(bits_->Value());
  model_.CommitPattern(binary_->GetPatternText().toStdString());
  CMessagePrompt prompt;
  int result = model_.Ok(prompt);
  if (result == DLG_OK_CLOSE) {
    const int g = model_.GroupIndex();
    if (updateRow_ && model_.GroupAt(g))
      for (const _LOGICSignal* s : model_.RefittedSymbols()) updateRow_(s->name, g, *model_.GroupAt(g), *s);
    SetModified(model_.Modified());
    return CMsgDlg::OnOK();
  }
  if (result > 0)
    if (QWidget* w = GetDlgItem(result)) w->setFocus();
}
