#include "EditDBL.h"

#include <algorithm>
#include <cmath>

CEditDBL::CEditDBL(QWidget* parent) : CEditEx(parent) {}

void CEditDBL::SetValue(double value) {
  value_ = ctl::ClampDouble(value, minimum_, maximum_);
  shown_ = QString::fromStdString(ctl::FormatDoubleText(value_, format_));
  hasShown_ = true;
  SetWindowText(shown_);
}

double CEditDBL::GetValue() const { return ctl::ReadDoubleText(text().toStdString(), format_); }

double CEditDBL::GetStoredValue(bool isMinimum) {
  if (isMinimum && value_ == ctl::kNoLimit) value_ = -ctl::kNoLimit;
  return value_;
}

void CEditDBL::UpdateValue() {
  // The shown text holds 5 digits; reading it back would round the stored
  // value each time the focus passes through.
  if (hasShown_ && text() == shown_) {
    SetValue(value_);
    return;
  }
  SetValue(GetValue());
}

void CEditDBL::OnKillFocus() {
  UpdateValue();
  CommitIfModified();
}

std::optional<QString> CEditDBL::ShownValue() const {
  return QString::fromStdString(ctl::FormatDoubleText(ctl::ReadDoubleText(text().toStdString(), format_), format_));
}
