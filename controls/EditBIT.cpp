#include "EditBIT.h"

#include <QKeyEvent>

#include "CharFilter.h"
#include "KeyChars.h"

CEditBIT::CEditBIT(QWidget* parent) : CEditEx(parent) {}

void CEditBIT::ShowPattern() { SetWindowText(QString::fromStdString(pattern_.DisplayText())); }

void CEditBIT::SetBitCount(int n) {
  pattern_.SetBitCount(n);
  ShowPattern();
}

void CEditBIT::SetPatternText(const QString& binary) {
  pattern_.SetPatternText(binary.toStdString());
  ShowPattern();
}

void CEditBIT::UpdateValue() { SetWindowText(QString::fromStdString(pattern_.ReadText(text().toStdString()))); }

bool CEditBIT::AcceptChar(int c) const { return ctl::IsBitChar(c, pattern_.Mode()); }

void CEditBIT::keyPressEvent(QKeyEvent* event) {
  // With an unknown mode every character is dropped and the field counts as
  // unchanged.
  QList<int> chars;
  if (ClassifyKey(event, &chars) == KeyClass::Characters && Mode() != 0 && Mode() != 1) {
    SetModified(0);
    event->accept();
    return;
  }
  CEditEx::keyPressEvent(event);
}

void CEditBIT::OnEnter() {
  UpdateValue();
  SendCommit(0);
}

void CEditBIT::OnKillFocus() {
  UpdateValue();
  CommitIfModified();
}

void CEditBIT::SetSecondForm(CEditBIT* second) {
  secondForm_ = second;
  if (second) second->firstForm_ = this;
}

std::optional<QString> CEditBIT::ShownValue() const {
  if (firstForm_) return std::nullopt;
  if (secondForm_ && secondForm_->IsModified()) return secondForm_->ShownPattern();
  return ShownPattern();
}
