#include "CharFilter.h"
#include "EditMultiValue.h"
#include "EditUnit.h"

bool CEditUnit::AcceptChar(int c) const { return ctl::IsNameChar(c); }

void CEditMultiValue::SetText(const QString& text) {
  std::string out;
  const std::string raw = text.toStdString();
  parser_.Normalise(raw.c_str(), false, &out);
  // A stored text that fails stays visible whole, so the user sees the part
  // in error instead of a cut-off list.
  SetWindowText(parser_.error == MULTIVALUE_OK ? QString::fromStdString(out) : text);
}

void CEditMultiValue::UpdateValue() {
  std::string out;
  const std::string raw = text().toStdString();
  parser_.Normalise(raw.c_str(), true, &out);
  valueText_ = QString::fromStdString(out);
}

QString CEditMultiValue::GetText() {
  UpdateValue();
  return valueText_;
}

void CEditMultiValue::OnKillFocus() {
  UpdateValue();
  CommitIfModified();
}
