// Number conversions that behave like the C runtime in the "C" locale,
// whatever locale the process runs under (Qt adopts the user's locale, and a
// German one would otherwise read and write "1,5"). Integer reads saturate
// instead of wrapping.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <string>

namespace cnum {

// atoi: leading blanks, optional sign, decimal digits; stops at the first
// other character; 0 when there is no digit. Saturates at INT_MIN/INT_MAX.
int Atoi(const char* text);
// strtol with saturation at LONG_MIN/LONG_MAX (64-bit); base 0 detects 0x/0.
long Strtol(const char* text, char** end, int base);
// strtoll / strtoull with saturation.
long long Strtoll(const char* text, char** end, int base);
unsigned long long Strtoull(const char* text, char** end, int base);
// atof / strtod in the C locale.
double Atof(const char* text);
double Strtod(const char* text, char** end);

// printf-style formatting in the C locale ("%e", "%.1f", "%d", ...).
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string FormatV(const char* format, va_list args);
// sscanf in the C locale ("%lf" and friends). Integer conversions saturate
// at the limits of their target type instead of wrapping ("0x100000003" read
// with "0x%x" gives 0xFFFFFFFF, not 3); a negative text read with an unsigned
// conversion keeps the runtime's meaning.
int Scan(const char* text, const char* format, ...) __attribute__((format(scanf, 2, 3)));

// Clamp a 64-bit value into int range.
inline int SaturateToInt(long long v) {
  if (v > 2147483647LL) return 2147483647;
  if (v < -2147483647LL - 1) return -2147483647 - 1;
  return static_cast<int>(v);
}

}  // namespace cnum
