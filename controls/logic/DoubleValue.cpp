#include "DoubleValue.h"

#include <cmath>
#include <cstring>
#include <strings.h>

#include "CNumber.h"
#include "EngNotation.h"

namespace ctl {
namespace {

bool IsIntegerFormat(const std::string& format) { return strcasecmp(format.c_str(), kIntegerFormat) == 0; }

bool EndsWith(const std::string& text, const char* ending) {
  const std::size_t n = std::strlen(ending);
  return text.size() >= n && text.compare(text.size() - n, n, ending) == 0;
}

// The leading decimal number (blanks, sign, digits, point, exponent) as the C
// runtime reads it, but never hexadecimal floats, "nan" or "inf": those are
// texts without a number here. false when no digit was found.
bool ReadLeadingNumber(const std::string& text, double* value) {
  const char* p = text.c_str();
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  const char* start = p;
  if (*p == '+' || *p == '-') ++p;
  bool digits = false;
  while (*p >= '0' && *p <= '9') ++p, digits = true;
  if (*p == '.') {
    ++p;
    while (*p >= '0' && *p <= '9') ++p, digits = true;
  }
  if (!digits) return false;
  if (*p == 'e' || *p == 'E') {
    const char* q = p + 1;
    if (*q == '+' || *q == '-') ++q;
    if (*q >= '0' && *q <= '9') {
      while (*q >= '0' && *q <= '9') ++q;
      p = q;
    }
  }
  *value = cnum::Atof(std::string(start, static_cast<std::size_t>(p - start)).c_str());
  return true;
}

double LeadingNumberOrZero(const std::string& text) {
  double v = 0;
  return ReadLeadingNumber(text, &v) ? v : 0.0;
}

}  // namespace

double GetPrefixFactor(const std::string& text) {
  if (text.empty()) return 1.0;
  switch (text.back()) {
    case 'm':
      return 1e-3;
    case 'u':
      return 1e-6;
    case 'n':
      return 1e-9;
    case 'p':
      return 1e-12;
    case 'f':
      return 1e-15;
    case 'a':
      return 1e-18;
    case 'M':
      return 1e6;
    case 'k':
    case 'K':
      return 1e3;
    case 'g':
    case 'G':
      return 1e9;
    case 'T':
      return 1e12;
    case 'P':
      return 1e15;
    default:
      break;
  }
  if (EndsWith(text, "mS") || EndsWith(text, "ms")) return 1e-3;
  if (EndsWith(text, "uS") || EndsWith(text, "us")) return 1e-6;
  if (EndsWith(text, "nS") || EndsWith(text, "ns")) return 1e-9;
  if (EndsWith(text, "pS") || EndsWith(text, "ps")) return 1e-12;
  return 1.0;
}

double ReadDoubleText(const std::string& text, const std::string& format) {
  if (text.empty()) return kNoLimit;
  if (IsIntegerFormat(format)) return LeadingNumberOrZero(text);
  // The prefixes T, P, f and a are written by the display, so they are read
  // back as well.
  if (text.find_first_of(".EemnupMkKgGTPfa", 1) != std::string::npos) {
    double v = 0;
    if (!ReadLeadingNumber(text, &v)) return 0.0;
    return v * GetPrefixFactor(text);
  }
  return LeadingNumberOrZero(text);
}

double ClampDouble(double v, double minimum, double maximum) {
  if (std::isnan(v)) v = 0.0;
  if (v == kNoLimit || v == -kNoLimit) return v;
  if (v < minimum) return minimum;
  if (v > maximum) return maximum;
  return v;
}

std::string FormatDoubleText(double stored, const std::string& format) {
  if (stored == kNoLimit || stored == -kNoLimit) return std::string();
  if (IsIntegerFormat(format)) return cnum::Format("%.0f", stored);
  if (stored < -1e15 || stored > 1e15) return cnum::Format("%.4e", stored);
  std::string text;
  FormatWithSiPrefix(&text, stored, 6, kSiPrefixCount, kSiPrefixes);
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  const std::size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

}  // namespace ctl
