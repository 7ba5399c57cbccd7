// Floating values of the scaling fields: reading a text written plainly, in
// exponent form or with a unit prefix letter, and the canonical text shown
// again. +-1e31 is the program-wide "no limit" marker, shown as an empty field.
#pragma once

#include <string>

namespace ctl {

inline constexpr double kNoLimit = 1e31;
// The format that makes a floating field an integer-style one.
inline constexpr const char* kIntegerFormat = "%.0f";

// The factor of a unit prefix at the end of the text (case-sensitive):
// m u n p with an optional "S"/"s", M, k K, g G, T, P, f, a; else 1.
double GetPrefixFactor(const std::string& text);

// The number a text stands for: empty gives +1e31; with the integer format
// the leading decimal number; otherwise a number with a prefix factor when a
// prefix, point or exponent letter follows the first character. Texts without
// a number (also "nan" and "inf") give 0.
double ReadDoubleText(const std::string& text, const std::string& format);

// Keeps v inside the range unless it is the no-limit marker; not-a-number
// becomes 0.
double ClampDouble(double v, double minimum, double maximum);

// The canonical text of a stored (already clamped) value: empty for +-1e31;
// "%.0f" with the integer format; beyond +-1e15 "%.4e"; otherwise engineering
// notation with a 6-character mantissa, without outer blanks.
std::string FormatDoubleText(double stored, const std::string& format);

}  // namespace ctl
