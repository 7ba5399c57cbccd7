#include "CharFilter.h"

namespace ctl {
namespace {

bool IsDigit(int c) { return c >= '0' && c <= '9'; }
bool IsHexLetter(int c) { return (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

}  // namespace

bool IsNameChar(int c) {
  if (c == kCharBackspace || IsDigit(c)) return true;
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
  return c == '%' || c == '_' || c == '(' || c == ')' || c == '-' || c == '/';
}

bool IsDecimalEditChar(int c, bool isUnsigned) {
  if (c == kCharBackspace || IsDigit(c)) return true;
  return c == '-' && !isUnsigned;
}

bool IsIntCharAccepted(int c, bool isUnsigned, bool hex) {
  if (c == '-') return !isUnsigned;
  if (c == kCharEnter || c == kCharBackspace || IsDigit(c)) return true;
  return hex && IsHexLetter(c);
}

bool IsBitChar(int c, int mode) {
  if (mode != 0 && mode != 1) return false;
  if (c == 'x' || c == 'X' || c == kCharBackspace) return true;
  if (mode == 0) return c == '0' || c == '1';
  return IsDigit(c) || IsHexLetter(c);
}

}  // namespace ctl
