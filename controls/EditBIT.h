// The bit pattern of a LOGIC symbol, in binary (mode 0) or hexadecimal (mode
// 1): every bit '0', '1' or 'X' (don't care); in hexadecimal a digit whose
// bits are partly don't care shows as '$', and typing over other digits keeps
// it. Enter and leaving read the text back into the pattern.
#pragma once

#include <QString>

#include "BitPattern.h"
#include "EditEx.h"

class CEditBIT : public CEditEx {
  Q_OBJECT

 public:
  explicit CEditBIT(QWidget* parent = nullptr);

  // 0 binary, 1 hexadecimal; set by the owner before the pattern.
  void SetMode(int mode) { pattern_.SetMode(mode); }
  int Mode() const { return pattern_.Mode(); }
  // 1 to 32; keeps the rightmost bits or pads with 'X'; shows the pattern.
  void SetBitCount(int n);
  int BitCount() const { return pattern_.BitCount(); }
  // A binary text as the pattern; shows it.
  void SetPatternText(const QString& binary);
  // The stored binary pattern, leftmost = highest bit.
  QString GetPatternText() const { return QString::fromStdString(pattern_.Pattern()); }
  // The pattern the text in the field stands for, typed but not yet read
  // included (see ctl::BitPattern::PatternOfText).
  QString ShownPattern() const { return QString::fromStdString(pattern_.PatternOfText(text().toStdString())); }
  // The same pattern in another form, in a field of its own: this field
  // answers for both, from the one being typed into; the other has no value
  // of its own to show.
  void SetSecondForm(CEditBIT* second);
  std::optional<QString> ShownValue() const override;

  void FormatPattern(const QString& hex) { pattern_.FormatPattern(hex.toStdString()); }
  QString BinaryToHex() const { return QString::fromStdString(pattern_.BinaryToHex()); }
  static QString NibbleToHex(const QString& bits) {
    return QString::fromStdString(ctl::BitPattern::NibbleToHex(bits.toStdString()));
  }
  QString GetStoredNibble(int digitIndex) const { return QString::fromStdString(pattern_.GetStoredNibble(digitIndex)); }
  static QString PadLeft(const QString& text, int count) {
    return QString::fromStdString(ctl::BitPattern::PadLeft(text.toStdString(), count));
  }

  // Text to pattern, and the pattern shown again.
  void UpdateValue() override;

 protected:
  bool AcceptChar(int c) const override;
  void keyPressEvent(QKeyEvent* event) override;
  void OnEnter() override;
  void OnKillFocus() override;

 private:
  void ShowPattern();

  ctl::BitPattern pattern_;
  CEditBIT* secondForm_ = nullptr;
  CEditBIT* firstForm_ = nullptr;
};
