#include "EditINT.h"

#include <QPointer>
#include <QSignalBlocker>
#include <QStringList>

#include "CharFilter.h"

namespace {

QString Text(const std::string& s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }
std::string Bytes(const QString& s) { return s.toStdString(); }

}  // namespace

// --- CEditINT ----------------------------------------------------------------

CEditINT::CEditINT(QWidget* parent) : CEditEx(parent) {}

void CEditINT::SetValue(int value) {
  value_ = ctl::ClampInt(value, minimum_, maximum_);
  held_ = value_;
  SetWindowText(Text(ctl::FormatIntText(value_, false)));
}

void CEditINT::UpdateValue() {
  if (TakeBackEmptied()) return;
  SetValue(ctl::ReadDecimalInt(Bytes(text())));
}

bool CEditINT::TakeBackEmptied() {
  if (!emptyKeeps_ || !text().trimmed().isEmpty()) return false;
  // Shown as held, unclamped: a stored value beyond the range stays.
  value_ = held_;
  SetWindowText(Text(ctl::FormatIntText(held_, false)));
  SetModified(0);
  return true;
}

void CEditINT::focusInEvent(QFocusEvent* event) {
  CEditEx::focusInEvent(event);
  held_ = value_;
}

bool CEditINT::AcceptChar(int c) const { return ctl::IsDecimalEditChar(c, unsigned_); }

void CEditINT::OnEnter() {
  // The modified flag stays: leaving a modified field commits once more.
  // Reading the text commits already in a change-reporting field, and the
  // dialog may have deleted the field by then. A field that took back its
  // held value has nothing new to commit.
  const QPointer<CEditINT> self(this);
  if (TakeBackEmptied()) return;
  UpdateValue();
  if (self) SendCommit(0);
}

void CEditINT::OnKillFocus() {
  UpdateValue();
  CommitIfModified();
}

void CEditINT::ReportChange(ctl::ChangeBoundKind kind) {
  const ctl::ChangeBound bound = ctl::ApplyChangeBound(kind, ctl::ReadDecimalInt(Bytes(text())));
  value_ = bound.value;
  // A rewritten text reports the bounded value once more before this one;
  // when that report's handler deleted the field, nothing is left to do.
  if (bound.rewriteText) {
    const QPointer<CEditINT> self(this);
    SetWindowText(Text(ctl::FormatIntText(value_, false)));
    if (!self) return;
  }
  changeCopy_ = value_;
  SetModified(0);
  SendCommit(0);
}

void CEditCycleRepeat::OnKillFocus() {
  if (TakeBackEmptied()) return;
  // Quiet: the value is the one the last change committed already.
  const QString held = Text(ctl::FormatIntText(value_, false));
  if (text() == held) return;
  const QSignalBlocker quiet(this);
  setText(held);
}

void CEditByteCount::OnKillFocus() {
  // Taking back an emptied count reports it as a change; the dialog may
  // delete the field in that handler.
  const QPointer<CEditByteCount> self(this);
  TakeBackEmptied();
  if (self) SendCommit(kCommitLeftInField);
}

void CEditByteCount::CommitLeftInField() {
  // Reading the text commits it as typed; the dialog may delete the field
  // in that handler.
  const QPointer<CEditByteCount> self(this);
  UpdateValue();
  if (self) SendCommit(kCommitLeftInField);
}

// --- CEditExINT ----------------------------------------------------------------

CEditExINT::CEditExINT(QWidget* parent) : CEditEx(parent) {}

void CEditExINT::SetValue(int value) {
  value_ = ctl::ClampInt(value, minimum_, maximum_);
  SetWindowText(Text(ctl::FormatIntText(value_, hex_)));
}

void CEditExINT::SetHexMode(bool hex) {
  if (hex == hex_) return;
  hex_ = hex;
  SetWindowText(Text(ctl::FormatIntText(value_, hex_)));
  UpdateTextLimit();
}

void CEditExINT::UpdateValue() { SetValue(ctl::ReadIntText(Bytes(text()), hex_)); }

bool CEditExINT::IsCharAccepted(int c) const { return ctl::IsIntCharAccepted(c, unsigned_, hex_); }

void CEditExINT::UpdateTextLimit() {
  const int limit = ctl::IntTextLimit(minimum_, maximum_, unsigned_, hex_);
  if (limit >= 1) SetLimitText(limit);
}

void CEditExINT::OnKillFocus() {
  UpdateValue();
  CommitIfModified();
}

// --- CComboBoxINT ----------------------------------------------------------------

CComboBoxINT::CComboBoxINT(QWidget* parent) : CComboBoxExt(parent) {}

void CComboBoxINT::ShowValue() { SetWindowText(Text(ctl::FormatIntText(value_, hex_))); }

int CComboBoxINT::GetValue() {
  // An emptied field is a slip, not a 0: it shows the value it held again.
  if (!emptyKeeps_ || !currentText().trimmed().isEmpty()) {
    if (lineEdit() && lineEdit()->isModified()) typed_ = true;
    value_ = ctl::ClampInt(ctl::ReadIntText(Bytes(currentText()), hex_), minimum_, maximum_);
  }
  ShowValue();
  return value_;
}

void CComboBoxINT::SetValue(int value) {
  value_ = ctl::ClampInt(value, minimum_, maximum_);
  typed_ = false;
  ShowValue();
}

void CComboBoxINT::SetMax(int maximum) {
  maximum_ = maximum;
  UpdateTextLimit();
}

void CComboBoxINT::SetMin(int minimum) {
  minimum_ = minimum;
  UpdateTextLimit();
}

void CComboBoxINT::SetRange(int minimum, int maximum) {
  minimum_ = minimum;
  maximum_ = maximum;
  UpdateTextLimit();
}

void CComboBoxINT::SetHexMode(bool hex) {
  if (hex == hex_) return;
  QStringList items;
  for (int i = 0; i < count(); ++i) items << itemText(i);
  {
    // Rebuilding the list is no selection by the user.
    const QSignalBlocker blocker(this);
    clear();
    for (const QString& item : items) addItem(Text(ctl::ConvertItemText(Bytes(item), hex)));
  }
  hex_ = hex;
  ShowValue();
  UpdateTextLimit();
}

bool CComboBoxINT::IsCharAccepted(int c) const { return ctl::IsIntCharAccepted(c, unsigned_, hex_); }

void CComboBoxINT::UpdateTextLimit() {
  const int limit = ctl::IntTextLimit(minimum_, maximum_, unsigned_, hex_);
  if (limit >= 1) SetLimitText(limit);
}

void CComboBoxINT::OnKillFocus() {
  GetValue();
  CComboBoxExt::OnKillFocus();
}

std::optional<QString> CEditINT::ShownValue() const {
  return QString::fromStdString(ctl::FormatIntText(ctl::ReadDecimalInt(text().toStdString()), false));
}

std::optional<QString> CEditExINT::ShownValue() const {
  return QString::fromStdString(ctl::FormatIntText(ctl::ReadIntText(text().toStdString(), hex_), hex_));
}

std::optional<QString> CComboBoxINT::ShownValue() const {
  return QString::fromStdString(ctl::FormatIntText(ctl::ReadIntText(currentText().toStdString(), hex_), hex_));
}
