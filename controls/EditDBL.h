// The floating-point field of the signal scaling values (factor, offset,
// minimum, maximum). It reads numbers written plainly, in exponent form or
// with a unit prefix letter ("2.5u", "1.5k", "5ms"), keeps them inside a
// range and shows them again in engineering notation; an empty field stands
// for +-1e31, no limit. Every character reaches it; reading happens on
// leaving (and in UpdateValue).
#pragma once

#include <QString>

#include <cfloat>

#include "DoubleValue.h"
#include "EditEx.h"

class CEditDBL : public CEditEx {
  Q_OBJECT

 public:
  explicit CEditDBL(QWidget* parent = nullptr);

  void SetRange(double minimum, double maximum) {
    minimum_ = minimum;
    maximum_ = maximum;
  }
  void SetMin(double minimum) { minimum_ = minimum; }
  void SetMax(double maximum) { maximum_ = maximum; }
  double Min() const { return minimum_; }
  double Max() const { return maximum_; }
  // "%.0f" (the default) makes an integer-style field; any other text selects
  // engineering notation (the dialogs use "%e").
  void SetFormat(const QString& format) { format_ = format.toStdString(); }
  QString Format() const { return QString::fromStdString(format_); }

  // Stores (clamped; +-1e31 stays as it is) and shows a value.
  void SetValue(double value);
  // The number the current text stands for; nothing is stored.
  double GetValue() const;
  // The stored value; with isMinimum a stored +1e31 becomes -1e31 (and stays
  // so), so that an empty Minimum means no lower limit.
  double GetStoredValue(bool isMinimum);
  // SetValue(GetValue()), except that an unchanged shown text keeps the
  // stored value at full precision.
  void UpdateValue() override;
  std::optional<QString> ShownValue() const override;

  static double GetPrefixFactor(const QString& text) { return ctl::GetPrefixFactor(text.toStdString()); }

 protected:
  void OnKillFocus() override;

 private:
  double maximum_ = DBL_MAX;
  double minimum_ = -DBL_MAX;
  double value_ = 0.0;
  std::string format_ = ctl::kIntegerFormat;
  QString shown_;  // the text SetValue showed last
  bool hasShown_ = false;
};
