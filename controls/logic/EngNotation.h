// Engineering notation: a double as a fixed number of mantissa characters and
// an SI prefix letter ("12.345k", "500.00m"). Rounding works on the decimal
// digit string of the value, so a shown mantissa is the correctly rounded
// decimal and not an artefact of binary arithmetic.
#pragma once

#include <string>

namespace ctl {

struct SiPrefix {
  double exponent;
  const char* letter;
};

// a f p n u m (blank) k M G T P E, ascending.
inline constexpr int kSiPrefixCount = 13;
// Wider requests are served with this width.
inline constexpr int kMaxMantissaWidth = 63;
extern const SiPrefix kSiPrefixes[kSiPrefixCount];

// The text of v with a mantissa of `width` characters, a sign place (blank or
// '-') in front and the prefix letter behind. Not-a-number and values of
// 10^(last exponent + 3) or more give "***" right-aligned in width between two
// blanks; magnitudes at or below 10^(first exponent) give the zero text.
void FormatWithSiPrefix(std::string* out, double v, int width, int rowCount, const SiPrefix* rows);

// m rounded half up at the decimal place 10^lastPlace (lastPlace <= 0, that
// is -lastPlace decimals). A rounded-up result carries one decimal more than
// kept; the caller cuts the text to its width.
void FormatRounded(std::string* out, double m, int lastPlace);

}  // namespace ctl
