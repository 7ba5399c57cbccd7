// Integer fields: they accept only integer input, keep the value inside a
// range (input out of range is clamped without a message) and show it again
// in canonical form after every commit.
//
// CEditINT      decimal edit; Enter re-reads and commits, leaving re-reads and
//               commits when modified.
// CEditByteCount, CEditBaseCycle, CEditCycleRepeat
//               decimal edits that commit every change at once, with a bound
//               of their own (none; at most 63; 1 to 64 where 0 holds 1).
// CEditExINT    edit switchable between decimal and hexadecimal.
// CComboBoxINT  the same for a combo whose drop list holds numbers; commits
//               on Enter and on every loss of focus, after re-reading.
//
// The dialogs read Value() after a commit (after GetValue() for the combo).
// In the definition dialogs an integer edit emptied and left (Enter, leaving
// it) takes back the value it held: an empty field is a slip, not a 0.
#pragma once

#include "EditEx.h"
#include "IntValue.h"

// The bounds and the sign rule of the integer edits. Setting them touches
// neither the value nor the text.
class CIntBounds {
 public:
  void SetRange(int minimum, int maximum) {
    minimum_ = minimum;
    maximum_ = maximum;
  }
  void SetMin(int minimum) { minimum_ = minimum; }
  void SetMax(int maximum) { maximum_ = maximum; }
  int Min() const { return minimum_; }
  int Max() const { return maximum_; }
  // true (the default) refuses the minus sign.
  void SetUnsigned(bool isUnsigned) { unsigned_ = isUnsigned; }
  bool IsUnsigned() const { return unsigned_; }

 protected:
  int maximum_ = ctl::kIntMax;
  int minimum_ = ctl::kIntMin;
  bool unsigned_ = true;
};

class CEditINT : public CEditEx, public CIntBounds {
  Q_OBJECT

 public:
  explicit CEditINT(QWidget* parent = nullptr);

  // Clamp, store, show "%d".
  void SetValue(int value);
  int Value() const { return value_; }

  // Text to value: decimal, clamped, shown again.
  void UpdateValue() override;
  std::optional<QString> ShownValue() const override;

  // An emptied text left in the field shows the value held before it was
  // emptied again, and commits nothing new (off: it reads as 0).
  void SetEmptyKeepsValue(bool on) { emptyKeeps_ = on; }
  bool EmptyKeepsValue() const { return emptyKeeps_; }

 protected:
  bool AcceptChar(int c) const override;
  void OnEnter() override;
  void OnEnterUpdatingValue() override { OnEnter(); }
  void OnKillFocus() override;
  void focusInEvent(QFocusEvent* event) override;

  // Shows the held value again when the text is empty and the field keeps
  // it; true when it did. A change-reporting field reports it as a change.
  bool TakeBackEmptied();

  // The change reaction of the change-reporting edits.
  void ReportChange(ctl::ChangeBoundKind kind);

  int value_ = 0;
  int changeCopy_ = 0;  // the value last taken from the text on a change
  // The value the field held before the user typed: set by the program,
  // read on Enter or leaving, and on entering the field.
  int held_ = 0;
  bool emptyKeeps_ = false;
};

class CEditByteCount : public CEditINT {
  Q_OBJECT

 public:
  explicit CEditByteCount(QWidget* parent = nullptr) : CEditINT(parent) {}
  // True while the text last read as 0 (also when it is empty).
  bool IsValueZero() const { return changeCopy_ == 0; }

 protected:
  // Every change commits already; Enter and leaving the field commit once
  // more with kCommitLeftInField.
  void OnEnter() override { CommitLeftInField(); }
  void OnEnterUpdatingValue() override { CommitLeftInField(); }
  void OnKillFocus() override;
  void OnEditChange() override { ReportChange(ctl::ChangeBoundKind::ByteCount); }

 private:
  void CommitLeftInField();
};

class CEditBaseCycle : public CEditINT {
  Q_OBJECT

 public:
  explicit CEditBaseCycle(QWidget* parent = nullptr) : CEditINT(parent) {}

 protected:
  void OnKillFocus() override { TakeBackEmptied(); }
  void OnEditChange() override { ReportChange(ctl::ChangeBoundKind::BaseCycle); }
};

class CEditCycleRepeat : public CEditINT {
  Q_OBJECT

 public:
  explicit CEditCycleRepeat(QWidget* parent = nullptr) : CEditINT(parent) {}

 protected:
  // A 0 typed holds 1 without rewriting the text while the user types; left,
  // the field shows the 1 it holds.
  void OnKillFocus() override;
  void OnEditChange() override { ReportChange(ctl::ChangeBoundKind::CycleRepeat); }
};

class CEditExINT : public CEditEx, public CIntBounds {
  Q_OBJECT

 public:
  explicit CEditExINT(QWidget* parent = nullptr);

  // Clamp, store, show in the current mode.
  void SetValue(int value);
  int Value() const { return value_; }

  // Switches mode and text, then the text limit; the same mode does nothing.
  void SetHexMode(bool hex);
  bool IsHexMode() const { return hex_; }
  // Text to value: 64-bit decimal or hexadecimal, saturated, clamped, shown again.
  void UpdateValue() override;
  std::optional<QString> ShownValue() const override;
  virtual bool IsCharAccepted(int c) const;
  // The text limit from the range and the mode; new bounds leave it as it
  // is until this runs.
  void UpdateTextLimit();

 protected:
  bool AcceptChar(int c) const override { return IsCharAccepted(c); }
  void OnKillFocus() override;

 private:
  int value_ = 0;
  bool hex_ = false;
};

class CComboBoxINT : public CComboBoxExt {
  Q_OBJECT

 public:
  explicit CComboBoxINT(QWidget* parent = nullptr);

  // Text to value (like UpdateValue of the edits): stores, shows again and
  // returns the value.
  int GetValue();
  int Value() const { return value_; }
  std::optional<QString> ShownValue() const override;
  void SetValue(int value);
  // Each updates the text limit.
  void SetMax(int maximum);
  void SetMin(int minimum);
  void SetRange(int minimum, int maximum);
  int Min() const { return minimum_; }
  int Max() const { return maximum_; }
  void SetUnsigned(bool isUnsigned) { unsigned_ = isUnsigned; }
  bool IsUnsigned() const { return unsigned_; }

  // Rewrites the drop list and the text, then the text limit.
  void SetHexMode(bool hex);
  bool IsHexMode() const { return hex_; }
  virtual bool IsCharAccepted(int c) const;
  void UpdateTextLimit();

  // An emptied text read back shows the value held and keeps it (off: it
  // reads as 0, then clamped).
  void SetEmptyKeepsValue(bool on) { emptyKeeps_ = on; }
  // The user typed a value into the field since the program last set one;
  // an emptied text taken back is no typed value.
  bool TypedSinceSet() const { return typed_; }

 protected:
  // A character must pass both this control's test and the combo filter.
  bool AcceptChar(int c) const override { return IsCharAccepted(c) && CComboBoxExt::AcceptChar(c); }
  void OnKillFocus() override;

 private:
  void ShowValue();

  int maximum_ = ctl::kIntMax;
  int minimum_ = ctl::kIntMin;
  bool unsigned_ = true;
  int value_ = 0;
  bool hex_ = false;
  bool emptyKeeps_ = false;
  bool typed_ = false;
};
