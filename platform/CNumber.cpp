#include "CNumber.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <locale.h>
#include <vector>

namespace cnum {
namespace {

locale_t CLocale() {
  static locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  return loc;
}

// Switches this thread to the "C" locale for one call.
class CLocaleScope {
 public:
  CLocaleScope() : previous_(uselocale(CLocale())) {}
  ~CLocaleScope() { uselocale(previous_); }
  CLocaleScope(const CLocaleScope&) = delete;
  CLocaleScope& operator=(const CLocaleScope&) = delete;

 private:
  locale_t previous_;
};

}  // namespace

int Atoi(const char* text) {
  if (!text) return 0;
  return SaturateToInt(Strtoll(text, nullptr, 10));
}

long long Strtoll(const char* text, char** end, int base) {
  if (!text) {
    if (end) *end = nullptr;
    return 0;
  }
  CLocaleScope scope;
  errno = 0;
  // strtoll already saturates at LLONG_MIN/LLONG_MAX with ERANGE.
  return std::strtoll(text, end, base);
}

long Strtol(const char* text, char** end, int base) {
  return static_cast<long>(Strtoll(text, end, base));
}

unsigned long long Strtoull(const char* text, char** end, int base) {
  if (!text) {
    if (end) *end = nullptr;
    return 0;
  }
  CLocaleScope scope;
  errno = 0;
  return std::strtoull(text, end, base);
}

double Atof(const char* text) { return Strtod(text, nullptr); }

double Strtod(const char* text, char** end) {
  if (!text) {
    if (end) *end = nullptr;
    return 0.0;
  }
  CLocaleScope scope;
  return std::strtod(text, end);
}

std::string FormatV(const char* format, va_list args) {
  CLocaleScope scope;
  char small[128];
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(small, sizeof(small), format, copy);
  va_end(copy);
  if (n < 0) return std::string();
  if (static_cast<std::size_t>(n) < sizeof(small)) return std::string(small, static_cast<std::size_t>(n));
  std::vector<char> big(static_cast<std::size_t>(n) + 1);
  std::vsnprintf(big.data(), big.size(), format, args);
  return std::string(big.data(), static_cast<std::size_t>(n));
}

std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string s = FormatV(format, args);
  va_end(args);
  return s;
}

int Scan(const char* text, const char* format, ...) {
  if (!text) return EOF;
  CLocaleScope scope;
  va_list args;
  va_start(args, format);
  int n = std::vsscanf(text, format, args);
  va_end(args);
  return n;
}

}  // namespace cnum
