#include "IntValue.h"

#include <cmath>

#include "CNumber.h"

namespace ctl {

int ClampInt(long long value, int minimum, int maximum) {
  // An upside-down range has no value inside it; its minimum is the answer
  // for every value, the ones above the maximum included.
  if (value < minimum || minimum > maximum) return minimum;
  if (value > maximum) return maximum;
  return static_cast<int>(value);
}

int ReadDecimalInt(const std::string& text) { return cnum::Atoi(text.c_str()); }

int ReadIntText(const std::string& text, bool hex) {
  return cnum::SaturateToInt(cnum::Strtoll(text.c_str(), nullptr, hex ? 16 : 10));
}

std::string FormatIntText(int value, bool hex) {
  return hex ? cnum::Format("%X", static_cast<unsigned>(value)) : cnum::Format("%d", value);
}

int IntTextLimit(int minimum, int maximum, bool isUnsigned, bool hex) {
  // The magnitude of the most negative int does not fit, so the maximum wins.
  const int magnitude = minimum == kIntMin ? minimum : (minimum < 0 ? -minimum : minimum);
  const int v = maximum > magnitude ? maximum : magnitude;
  int digits = 0;
  if (hex) {
    digits = 1;
    for (long long rest = v; rest >= 16; rest /= 16) ++digits;
  } else {
    const double x = static_cast<double>(v) + 0.1;
    if (!(x > 0)) return 0;
    digits = static_cast<int>(std::log10(x)) + 1;
  }
  if (digits < 1) return 0;
  return isUnsigned ? digits : digits + 1;
}

std::string ConvertItemText(const std::string& text, bool toHex) {
  if (toHex) return FormatIntText(cnum::Atoi(text.c_str()), true);
  unsigned value = 0;
  if (cnum::Scan(text.c_str(), "%X", &value) != 1) value = 0;
  return FormatIntText(static_cast<int>(value), false);
}

ChangeBound ApplyChangeBound(ChangeBoundKind kind, int value) {
  switch (kind) {
    case ChangeBoundKind::ByteCount:
      break;
    case ChangeBoundKind::BaseCycle:
      if (value > 63) return {63, true};
      break;
    case ChangeBoundKind::CycleRepeat:
      if (value == 0) return {1, false};
      if (value > 64) return {64, true};
      break;
  }
  return {value, false};
}

}  // namespace ctl
