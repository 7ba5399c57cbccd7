#include "J1939Dlg.h"

#include "CodePageQt.h"
#include "EditINT.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kTemplate = 2002;

const tagCtrlIntRange kIntRanges[] = {
    {IDC_J1939_PGN, 0, kJ1939MaxPgn},
    {IDC_J1939_SOURCE, 0, kJ1939MaxAddress},
    {IDC_J1939_PRIORITY, 0, kJ1939MaxPriority},
    {IDC_J1939_DESTINATION, 0, kJ1939MaxAddress},
    {0, 0, 0},
};

}  // namespace

CJ1939Dlg::CJ1939Dlg(QWidget* parent) : CMsgDlg(kTemplate, parent) {
  setObjectName(QStringLiteral("j1939Dialog"));
  auto* fields = new QGridLayout;
  auto addRow = [&](int row, const char* labelKey, int id) {
    auto* edit = new CEditExINT(this);
    edit->SetDlgCtrlID(id);
    SetCtrlId(edit, id);
    auto* label = new QLabel(Text(QString::fromLatin1(labelKey)), this);
    label->setBuddy(edit);
    fields->addWidget(label, row, 0);
    fields->addWidget(edit, row, 1);
    return edit;
  };
  priority_ = addRow(0, "label.priority", IDC_J1939_PRIORITY);
  pgn_ = addRow(1, "label.pgn", IDC_J1939_PGN);
  destination_ = addRow(2, "label.destination", IDC_J1939_DESTINATION);
  source_ = addRow(3, "label.source", IDC_J1939_SOURCE);
  fields->setColumnMinimumWidth(1, 110);

  auto* buttons = new QVBoxLayout;
  buttons->addWidget(MakeButton(1));
  buttons->addWidget(MakeButton(2));
  buttons->addStretch(1);

  auto* layout = new QHBoxLayout(this);
  layout->addLayout(fields);
  layout->addSpacing(8);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  // The PGN recomposes the identifier whenever it is left; the other fields
  // are read by OK.
  WireControls({
      {IDC_J1939_PRIORITY, kReadByOk},
      {IDC_J1939_PGN, [this](int) { OnEnKillfocusPgn(); }},
      {IDC_J1939_DESTINATION, kReadByOk},
      {IDC_J1939_SOURCE, kReadByOk},
  });
  pgn_->installEventFilter(this);
}

CJ1939Dlg::~CJ1939Dlg() = default;

bool CJ1939Dlg::OnInitDialog() {
  CMsgDlg::OnInitDialog();
  SetIntRanges(kIntRanges);
  for (CEditExINT* edit : {pgn_, source_, priority_, destination_}) {
    edit->SetHexMode(hexFlag_ == 1);
    edit->UpdateTextLimit();
  }
  model_.emplace(id_, hexFlag_, messageName_);
  ShowFields();
  setWindowTitle(cp932::ToQString(model_->Title()));
  return true;
}

void CJ1939Dlg::TakeFields() {
  if (!model_) return;
  for (CEditExINT* edit : {pgn_, source_, priority_, destination_}) edit->UpdateValue();
  model_->SetPgn(pgn_->Value());
  model_->SetSource(source_->Value());
  model_->SetPriority(priority_->Value());
  model_->SetDestination(destination_->Value());
}

void CJ1939Dlg::ShowFields() {
  if (!model_) return;
  const J1939Fields& f = model_->Fields();
  pgn_->SetValue(f.pgn);
  source_->SetValue(f.source);
  priority_->SetValue(f.priority);
  destination_->SetValue(f.destination);
  destination_->setEnabled(f.destinationEnabled);
}

void CJ1939Dlg::OnEnKillfocusPgn() {
  if (!model_) return;
  TakeFields();
  model_->OnPgnCommitted();
  ShowFields();
}

bool CJ1939Dlg::eventFilter(QObject* watched, QEvent* event) {
  if (watched == pgn_ && event->type() == QEvent::FocusOut) OnValueCommit(IDC_J1939_PGN, 0);
  return CMsgDlg::eventFilter(watched, event);
}

void CJ1939Dlg::OnOK() {
  if (model_) {
    TakeFields();
    id_ = model_->OnOk();
  }
  CMsgDlg::OnOK();
}
