#include "CNumber.h"

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <limits>
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
  errno = 0;
  // strtoll already saturates at LLONG_MIN/LLONG_MAX with ERANGE. The _l form
  // takes the C locale directly: the readers call this for every number.
  return strtoll_l(text, end, base, CLocale());
}

long Strtol(const char* text, char** end, int base) { return static_cast<long>(Strtoll(text, end, base)); }

unsigned long long Strtoull(const char* text, char** end, int base) {
  if (!text) {
    if (end) *end = nullptr;
    return 0;
  }
  errno = 0;
  return strtoull_l(text, end, base, CLocale());
}

double Atof(const char* text) { return Strtod(text, nullptr); }

double Strtod(const char* text, char** end) {
  if (!text) {
    if (end) *end = nullptr;
    return 0.0;
  }
  // Plain decimal numbers, the readers' daily bread, go through from_chars,
  // which gives the same correctly rounded value as strtod in the C locale.
  // Hexadecimal floats, inf/nan, out-of-range values and anything odd take
  // strtod itself, so the result is always strtod's.
  const char* p = text;
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  const char* first = p;
  if (*first == '+') ++first;
  const char* digits = *first == '-' && first == p ? first + 1 : first;
  const bool decimal = (*digits >= '0' && *digits <= '9') || (*digits == '.' && digits[1] >= '0' && digits[1] <= '9');
  const bool hex = digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X');
  if (decimal && !hex) {
    const char* last = digits;
    while ((*last >= '0' && *last <= '9') || *last == '.' || *last == 'e' || *last == 'E' || *last == '+' ||
           *last == '-')
      ++last;
    double value = 0.0;
    auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec == std::errc()) {
      if (end) *end = const_cast<char*>(ptr);
      return value;
    }
  }
  return strtod_l(text, end, CLocale());
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

namespace {

template <typename T>
void StoreSigned(void* target, long long v) {
  constexpr long long lo = std::numeric_limits<T>::min();
  constexpr long long hi = std::numeric_limits<T>::max();
  *static_cast<T*>(target) = static_cast<T>(v < lo ? lo : (v > hi ? hi : v));
}

template <typename T>
void StoreUnsigned(void* target, unsigned long long v, bool negative) {
  constexpr unsigned long long hi = std::numeric_limits<T>::max();
  // A negative text keeps the runtime's meaning (the negated value in the
  // type's width); only a magnitude too large for the type saturates.
  *static_cast<T*>(target) = negative ? static_cast<T>(v) : static_cast<T>(v > hi ? hi : v);
}

void StoreInteger(void* target, const std::string& length, bool isSigned, long long sv, unsigned long long uv,
                  bool negative) {
  if (isSigned) {
    if (length == "hh") StoreSigned<signed char>(target, sv);
    else if (length == "h") StoreSigned<short>(target, sv);
    else if (length == "l" || length == "z" || length == "t") StoreSigned<long>(target, sv);
    else if (length == "ll" || length == "j" || length == "q" || length == "L") StoreSigned<long long>(target, sv);
    else StoreSigned<int>(target, sv);
  } else {
    if (length == "hh") StoreUnsigned<unsigned char>(target, uv, negative);
    else if (length == "h") StoreUnsigned<unsigned short>(target, uv, negative);
    else if (length == "l" || length == "z" || length == "t") StoreUnsigned<unsigned long>(target, uv, negative);
    else if (length == "ll" || length == "j" || length == "q" || length == "L")
      StoreUnsigned<unsigned long long>(target, uv, negative);
    else StoreUnsigned<unsigned int>(target, uv, negative);
  }
}

// sscanf, one conversion at a time, so that every integer conversion can be
// read at full width and saturated into its target instead of wrapping.
// Each piece is the literal text before a conversion plus the conversion and
// a "%n" that tells how far it read.
int ScanV(const char* text, const char* format, va_list args) {
  std::size_t pos = 0;
  int assigned = 0;
  const char* f = format;
  std::string piece;
  while (*f) {
    piece.clear();
    while (*f && !(f[0] == '%' && f[1] != '%')) {
      if (f[0] == '%') {
        piece += "%%";
        f += 2;
      } else {
        piece += *f++;
      }
    }
    if (!*f || !f[1]) break;  // trailing literal text decides nothing
    ++f;
    bool suppress = false;
    if (*f == '*') {
      suppress = true;
      ++f;
    }
    std::string width;
    while (*f >= '0' && *f <= '9') width += *f++;
    std::string length;
    if (*f == 'h' || *f == 'l') {
      length += *f++;
      if (*f == length[0]) length += *f++;
    } else if (*f && std::strchr("jztqL", *f)) {
      length += *f++;
    }
    const char conv = *f;
    if (!conv) break;
    ++f;
    std::string scanset;
    if (conv == '[') {
      // The set runs to the next ']', one directly after "[" or "[^" included.
      const char* start = f;
      if (*f == '^') ++f;
      if (*f == ']') ++f;
      while (*f && *f != ']') ++f;
      if (!*f) break;
      ++f;
      scanset.assign(start, f);
    }
    const char* rest = text + pos;
    const std::string literal = piece;
    int consumed = -1;
    if (conv == 'n') {
      piece += "%n";
      std::sscanf(rest, piece.c_str(), &consumed);
      if (consumed < 0) return assigned;
      pos += static_cast<std::size_t>(consumed);
      if (!suppress) StoreInteger(va_arg(args, void*), length, true, static_cast<long long>(pos), 0, false);
      continue;
    }
    const bool isInteger = std::strchr("diuoxX", conv) != nullptr;
    int r;
    if (suppress) {
      piece += "%*" + width + length + conv + scanset + "%n";
      r = std::sscanf(rest, piece.c_str(), &consumed);
      if (r == EOF) return assigned ? assigned : EOF;
      if (consumed < 0) return assigned;
    } else if (isInteger) {
      const bool isSigned = conv == 'd' || conv == 'i';
      long long sv = 0;
      unsigned long long uv = 0;
      piece += "%" + width + "ll" + conv + "%n";
      r = isSigned ? std::sscanf(rest, piece.c_str(), &sv, &consumed)
                   : std::sscanf(rest, piece.c_str(), &uv, &consumed);
      if (r == EOF) return assigned ? assigned : EOF;
      if (r < 1 || consumed < 0) return assigned;
      bool negative = false;
      if (!isSigned) {
        // The sign of the number itself: after the literal text and blanks.
        int start = 0;
        std::sscanf(rest, (literal + "%n").c_str(), &start);
        while (std::isspace(static_cast<unsigned char>(rest[start]))) ++start;
        negative = rest[start] == '-';
      }
      StoreInteger(va_arg(args, void*), length, isSigned, sv, uv, negative);
      ++assigned;
    } else {
      void* target = va_arg(args, void*);
      piece += "%" + width + length + conv + scanset + "%n";
      r = std::sscanf(rest, piece.c_str(), target, &consumed);
      if (r == EOF) return assigned ? assigned : EOF;
      if (r < 1 || consumed < 0) return assigned;
      ++assigned;
    }
    pos += static_cast<std::size_t>(consumed);
  }
  return assigned;
}

}  // namespace

int Scan(const char* text, const char* format, ...) {
  if (!text || !format) return EOF;
  CLocaleScope scope;
  va_list args;
  va_start(args, format);
  int n = ScanV(text, format, args);
  va_end(args);
  return n;
}

}  // namespace cnum
