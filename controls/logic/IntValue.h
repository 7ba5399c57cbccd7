// Integer values of the edit and combo boxes: reading a typed text, keeping
// it in range, the canonical text and the text limit a range allows.
#pragma once

#include <string>

namespace ctl {

inline constexpr int kIntMax = 0x7FFFFFFF;
inline constexpr int kIntMin = -0x7FFFFFFF - 1;

// A value below the minimum becomes the minimum, one above the maximum the
// maximum; with minimum > maximum every value becomes the minimum.
int ClampInt(long long value, int minimum, int maximum);

// CEditINT: leading blanks, an optional sign and digits; 0 without a digit.
int ReadDecimalInt(const std::string& text);
// CEditExINT / CComboBoxINT: a 64-bit decimal or hexadecimal number (an
// optional 0x prefix is allowed in hex), saturated to the int range; 0 when
// the text holds no number.
int ReadIntText(const std::string& text, bool hex);
// "%d" or "%X" (upper-case, no prefix).
std::string FormatIntText(int value, bool hex);

// Characters the range needs (one more for a sign when signed); 0 when the
// range gives no limit at all.
int IntTextLimit(int minimum, int maximum, bool isUnsigned, bool hex);

// One drop-list item when the display switches: decimal text to "%X", or
// hexadecimal text to "%d".
std::string ConvertItemText(const std::string& text, bool toHex);

// The bounds that the change-reporting edits apply on every change, fixed in
// the classes and independent of their range fields.
enum class ChangeBoundKind { ByteCount, BaseCycle, CycleRepeat };
struct ChangeBound {
  int value;
  bool rewriteText;  // the text is set again to value in "%d"
};
ChangeBound ApplyChangeBound(ChangeBoundKind kind, int value);

}  // namespace ctl
