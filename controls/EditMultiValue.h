// The multiplex values of a CAN signal: numbers and ranges ("1,3-5,0x10"),
// checked against a range and brought into a normal form. The field shows the
// hexadecimal form; the dialog reads the decimal form with GetText() and then
// GetError() (MultiValueError) with GetCurrentPart() for its message.
#pragma once

#include <QString>

#include <cstdint>

#include "EditEx.h"
#include "MultiValue.h"

class CEditMultiValue : public CEditEx {
  Q_OBJECT

 public:
  explicit CEditMultiValue(QWidget* parent = nullptr) : CEditEx(parent) {}

  // Normalises in hexadecimal and shows the result; a text that fails is
  // shown whole.
  void SetText(const QString& text);
  // Normalises the shown text in decimal into the value text; the shown text
  // is not changed.
  void UpdateValue() override;
  // UpdateValue, then the value text.
  QString GetText();
  // The value text of the last UpdateValue.
  QString ValueText() const { return valueText_; }

  int GetError() const { return parser_.error; }
  QString GetCurrentPart() const { return QString::fromStdString(parser_.currentPart); }
  // The allowed range of every number (default 0 to 4294967295).
  void SetRange(std::uint64_t minimum, std::uint64_t maximum) {
    parser_.minimum = minimum;
    parser_.maximum = maximum;
  }

  // The normal form of any text (sets the error and the current part).
  void Normalise(const char* text, bool decimal, std::string* out) { parser_.Normalise(text, decimal, out); }
  bool ParseNumber(const char* token, std::uint64_t* value) { return parser_.ParseNumber(token, value); }

 protected:
  void OnKillFocus() override;

 private:
  ctl::MultiValueParser parser_;
  QString valueText_;
};
