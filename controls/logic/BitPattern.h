// The bit pattern of a LOGIC symbol: 1 to 32 characters '0', '1' or 'X'
// (don't care), leftmost = highest bit, shown in binary or in hexadecimal.
// In hexadecimal a digit whose bits are partly don't care shows as '$', and a
// typed '$' keeps the stored bits of its digit.
#pragma once

#include <string>

namespace ctl {

class BitPattern {
 public:
  static constexpr int kMaxBits = 32;

  int BitCount() const { return bitCount_; }
  // 0 binary, 1 hexadecimal.
  int Mode() const { return mode_; }
  void SetMode(int mode) { mode_ = mode; }
  const std::string& Pattern() const { return pattern_; }

  // 1 to 32; a shorter count keeps the rightmost characters, a longer one pads
  // with 'X' on the left.
  void SetBitCount(int n);
  // Upper-cased; the rightmost bit-count characters, or padded with 'X'.
  void SetPatternText(const std::string& binary);
  // Hexadecimal text to the pattern (upper-case digits, 'X', '$').
  void FormatPattern(const std::string& hex);
  // A text fitted to `count` characters as the pattern is fitted to a new bit
  // count: bit 0 stays rightmost, a cut keeps the rightmost characters, and
  // padding is 'X' on the left. The characters keep their case.
  static std::string FitToCount(const std::string& text, int count);
  std::string BinaryToHex() const;
  static std::string NibbleToHex(const std::string& bits);
  // The pattern characters under hexadecimal digit `digitIndex`; the first
  // digit covers bit count mod 4 characters (4 when that is 0).
  std::string GetStoredNibble(int digitIndex) const;
  // count times 'X' followed by the text.
  static std::string PadLeft(const std::string& text, int count);

  int HexDigitCount() const { return bitCount_ / 4 + (bitCount_ % 4 != 0 ? 1 : 0); }
  // What the field shows for the stored pattern in its mode.
  std::string DisplayText() const;
  // Takes a typed text as the pattern and returns the text to show again.
  std::string ReadText(const std::string& text);
  // The pattern a text of this field stands for, read as ReadText reads it
  // but left whole where reading it would drop a set bit above the bit count
  // (a leading hexadecimal digit too large for the bits it covers).
  std::string PatternOfText(const std::string& text) const;

 private:
  // Each hexadecimal digit as its four pattern characters, not yet fitted.
  std::string ExpandHex(const std::string& hex) const;
  // A typed text upper-cased and, in hexadecimal, padded to the digit count.
  std::string NormalText(const std::string& text) const;

  int bitCount_ = kMaxBits;
  int mode_ = 0;
  std::string pattern_ = std::string(kMaxBits, 'X');
};

}  // namespace ctl
