#include "BitPattern.h"

#include <cctype>

namespace ctl {
namespace {

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

std::string Rightmost(const std::string& text, int count) {
  const std::size_t n = static_cast<std::size_t>(count);
  return text.size() > n ? text.substr(text.size() - n) : text;
}

}  // namespace

std::string BitPattern::FitToCount(const std::string& text, int count) {
  const int length = static_cast<int>(text.size());
  return length >= count ? Rightmost(text, count < 0 ? 0 : count) : PadLeft(text, count - length);
}

void BitPattern::SetBitCount(int n) {
  if (n < 1) n = 1;
  if (n > kMaxBits) n = kMaxBits;
  bitCount_ = n;
  pattern_ = FitToCount(pattern_, n);
}

void BitPattern::SetPatternText(const std::string& binary) { pattern_ = FitToCount(Upper(binary), bitCount_); }

void BitPattern::FormatPattern(const std::string& hex) { pattern_ = FitToCount(ExpandHex(hex), bitCount_); }

std::string BitPattern::ExpandHex(const std::string& hex) const {
  std::string bits;
  for (std::size_t i = 0; i < hex.size(); ++i) {
    const char c = hex[i];
    int value = -1;
    if (c >= '0' && c <= '9') value = c - '0';
    if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
    if (value >= 0) {
      for (int b = 3; b >= 0; --b) bits += ((value >> b) & 1) ? '1' : '0';
    } else if (c == 'X') {
      bits += "XXXX";
    } else if (c == '$') {
      bits += GetStoredNibble(static_cast<int>(i));
    }
  }
  return bits;
}

std::string BitPattern::NibbleToHex(const std::string& bits) {
  if (bits.size() <= 1) return bits;
  bool binary = true;
  bool dontCare = true;
  int value = 0;
  for (char c : bits) {
    binary = binary && (c == '0' || c == '1');
    dontCare = dontCare && c == 'X';
    value = value * 2 + (c == '1' ? 1 : 0);
  }
  if (binary) return std::string(1, "0123456789ABCDEF"[value & 15]);
  if (dontCare) return "X";
  return "$";
}

std::string BitPattern::GetStoredNibble(int digitIndex) const {
  if (digitIndex < 0) return std::string();
  const int r = bitCount_ % 4;
  int start = 0;
  int length = 4;
  if (digitIndex == 0) {
    length = r != 0 ? r : 4;
  } else {
    start = r != 0 ? r + (digitIndex - 1) * 4 : digitIndex * 4;
  }
  const int size = static_cast<int>(pattern_.size());
  if (start >= size) return std::string();
  return pattern_.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(length));
}

std::string BitPattern::PadLeft(const std::string& text, int count) {
  return std::string(count > 0 ? static_cast<std::size_t>(count) : 0, 'X') + text;
}

std::string BitPattern::BinaryToHex() const {
  std::string hex;
  for (int i = 0; i < HexDigitCount(); ++i) hex += NibbleToHex(GetStoredNibble(i));
  return hex;
}

std::string BitPattern::DisplayText() const { return mode_ == 1 ? BinaryToHex() : pattern_; }

std::string BitPattern::NormalText(const std::string& text) const {
  std::string upper = Upper(text);
  const int digits = HexDigitCount();
  if (mode_ == 1 && static_cast<int>(upper.size()) < digits)
    upper = PadLeft(upper, digits - static_cast<int>(upper.size()));
  return upper;
}

std::string BitPattern::ReadText(const std::string& text) {
  std::string upper = NormalText(text);
  if (mode_ != 1) {
    // An over-long text keeps its rightmost characters, so the pattern never
    // outgrows its bit count.
    pattern_ = FitToCount(upper, bitCount_);
    return pattern_;
  }
  const int digits = HexDigitCount();
  const int r = bitCount_ % 4;
  if (static_cast<int>(upper.size()) == digits && r != 0 && upper[0] != 'X') {
    const char cap = r == 1 ? '1' : (r == 2 ? '3' : '7');
    if (upper[0] > cap) upper[0] = cap;
  }
  FormatPattern(upper);
  return upper;
}

std::string BitPattern::PatternOfText(const std::string& text) const {
  const std::string upper = NormalText(text);
  const std::string bits = mode_ == 1 ? ExpandHex(upper) : upper;
  const std::size_t count = static_cast<std::size_t>(bitCount_);
  const std::size_t above = bits.size() > count ? bits.size() - count : 0;
  if (bits.find('1') < above) return bits;
  return FitToCount(bits, bitCount_);
}

}  // namespace ctl
