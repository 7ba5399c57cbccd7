#include "EngNotation.h"

#include <cmath>
#include <cstdlib>

#include "CNumber.h"

namespace ctl {

const SiPrefix kSiPrefixes[kSiPrefixCount] = {
    {-18, "a"}, {-15, "f"}, {-12, "p"}, {-9, "n"}, {-6, "u"}, {-3, "m"}, {0, " "},
    {3, "k"},   {6, "M"},   {9, "G"},   {12, "T"}, {15, "P"}, {18, "E"},
};

namespace {

std::string FirstChars(const std::string& text, int count) {
  if (count <= 0) return std::string();
  return text.substr(0, static_cast<std::size_t>(count));
}

// |m| as a plain decimal string with 17 significant digits.
std::string PlainDigits(double magnitude) {
  const std::string sci = cnum::Format("%.16e", magnitude);
  const std::size_t ePos = sci.find('e');
  if (ePos == std::string::npos || sci.size() < 3) return sci;  // inf or nan
  const int exponent = std::atoi(sci.c_str() + ePos + 1);
  if (exponent == 0) return sci.substr(0, ePos);
  std::string digits = sci.substr(0, 1) + sci.substr(2, ePos - 2);
  if (exponent > 0) {
    const std::size_t point = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() < point) digits.append(point - digits.size(), '0');
    digits.insert(point, ".");
    return digits;
  }
  return "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
}

}  // namespace

void FormatRounded(std::string* out, double m, int lastPlace) {
  // Places before the point are never rounded here; a positive place would be
  // a caller error and is read as 0 decimals.
  // (A double's plain digit string is shorter than 400 characters, so more
  // decimals never round.)
  const int decimals = lastPlace < 0 ? (lastPlace < -400 ? 400 : -lastPlace) : 0;
  const bool negative = m < 0;
  std::string text = PlainDigits(std::fabs(m));
  const std::size_t point = text.find('.');
  if (point != std::string::npos) {
    const std::size_t lastKept = point + static_cast<std::size_t>(decimals);
    if (text.size() >= lastKept + 2) {
      if (text[lastKept + 1] < '5') {
        text.resize(lastKept + 1);
      } else {
        const double kept = cnum::Atof(text.substr(0, lastKept + 1).c_str());
        text = cnum::Format("%.*f", decimals + 1, kept + std::pow(10.0, -decimals));
      }
    }
  }
  *out = negative ? "-" + text : text;
}

void FormatWithSiPrefix(std::string* out, double v, int width, int rowCount, const SiPrefix* rows) {
  // The mantissa never exceeds 63 characters, whatever the caller asks for.
  if (width < 0) width = 0;
  if (width > kMaxMantissaWidth) width = kMaxMantissaWidth;
  const std::string overflow = " " + std::string(width > 3 ? static_cast<std::size_t>(width - 3) : 0, ' ') + "*** ";
  const std::string zero = " " + FirstChars(cnum::Format("%10.12lf", 0.0), width) + " ";
  if (std::isnan(v) || rowCount < 1 || rows == nullptr) {
    *out = overflow;
    return;
  }
  if (v == 0) {
    *out = zero;
    return;
  }
  const char* sign = " ";
  if (v < 0) {
    sign = "-";
    v = -v;
  }
  const double e = std::log10(v);
  if (e >= rows[rowCount - 1].exponent + 3) {
    *out = overflow;
    return;
  }
  if (e <= rows[0].exponent) {
    *out = zero;
    return;
  }
  int row = rowCount - 1;
  while (row > 0 && rows[row].exponent > e) --row;
  const double m = v * std::pow(10.0, -rows[row].exponent);
  const double whole = std::fabs(std::trunc(m));
  const int digits =
      whole >= 1 ? static_cast<int>(std::ceil(std::log10(whole + 1))) : static_cast<int>(std::ceil(std::log10(m)));
  std::string mantissa;
  FormatRounded(&mantissa, m, digits - width + 1);
  *out = std::string(sign) + FirstChars(mantissa, width) + rows[row].letter;
}

}  // namespace ctl
