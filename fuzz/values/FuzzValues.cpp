// Any text typed into the value fields: integer, floating with prefixes, bit
// pattern and multiplex value. No parser may crash or overrun, none may store
// a NaN, and what a parser normalises reads back to itself.
//
// Input layout: byte 0 picks the parser and its mode, byte 1 a parameter (bit
// count, width), the rest is the text.
#include "BitPattern.h"
#include "CharFilter.h"
#include "DoubleValue.h"
#include "EngNotation.h"
#include "IntValue.h"
#include "MultiValue.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

void Integers(const std::string& text, std::uint8_t param) {
  for (bool hex : {false, true}) {
    const int v = ctl::ReadIntText(text, hex);
    const std::string shown = ctl::FormatIntText(v, hex);
    // "%X" shows a negative value in two's complement, which reads back
    // saturated; the hexadecimal fields hold no negative ranges.
    if (!hex || v >= 0) Check(ctl::ReadIntText(shown, hex) == v);
    // A range from the parameter: the clamped value lies in it (or is the
    // minimum when the range is upside down).
    const int minimum = static_cast<int>(param) - 128;
    const int maximum = static_cast<int>(param) * 1000;
    const int clamped = ctl::ClampInt(v, minimum, maximum);
    Check(minimum > maximum ? clamped == minimum : clamped >= minimum && clamped <= maximum);
    const int limit = ctl::IntTextLimit(minimum, maximum, minimum >= 0, hex);
    Check(limit >= 0 && limit <= 11);
    const std::string item = ctl::ConvertItemText(text, hex);
    Check(ctl::ConvertItemText(ctl::ConvertItemText(item, !hex), hex) == item);
  }
  const int d = ctl::ReadDecimalInt(text);
  Check(ctl::ReadDecimalInt(ctl::FormatIntText(d, false)) == d);
}

void Floating(const std::string& text) {
  for (const char* format : {"%e", "%.0f"}) {
    const double read = ctl::ReadDoubleText(text, format);
    Check(!std::isnan(read));
    const double stored = ctl::ClampDouble(read, -1e30, 1e30);
    const std::string shown = ctl::FormatDoubleText(stored, format);
    if (stored == ctl::kNoLimit || stored == -ctl::kNoLimit) {
      Check(shown.empty());
      Check(ctl::ReadDoubleText(shown, format) == ctl::kNoLimit);
      continue;
    }
    if (std::strcmp(format, "%e") == 0) Check(shown.size() <= 12);
    const double again = ctl::ClampDouble(ctl::ReadDoubleText(shown, format), -1e30, 1e30);
    // Five significant digits, or half a unit in the integer-style field.
    const double tolerance =
        std::strcmp(format, "%e") == 0 ? std::fabs(stored) * 1e-4 + 1e-18 : 0.5 + std::fabs(stored) * 1e-15;
    Check(std::fabs(again - stored) <= tolerance);
  }
}

void Engineering(const std::string& text, std::uint8_t param) {
  double v = 0;
  if (text.size() >= sizeof v) std::memcpy(&v, text.data(), sizeof v);
  const int width = param;
  std::string out;
  ctl::FormatWithSiPrefix(&out, v, width, ctl::kSiPrefixCount, ctl::kSiPrefixes);
  Check(out.size() <= static_cast<std::size_t>((width > 3 ? width : 3) + 2));
  ctl::FormatRounded(&out, v, -static_cast<int>(param % 40));
}

void Bits(const std::string& text, std::uint8_t param, int mode) {
  ctl::BitPattern p;
  p.SetMode(mode);
  p.SetBitCount(static_cast<int>(param % 48) - 4);
  const std::string shown = p.ReadText(text);
  const std::string pattern = p.Pattern();
  Check(static_cast<int>(pattern.size()) == p.BitCount());
  Check(p.ReadText(shown) == shown);
  // Texts the field lets through (its own characters and the '$' it shows)
  // within the digit count keep their pattern when read again.
  bool typable = true;
  for (char c : text)
    typable = typable && c != ctl::kCharBackspace &&
              (ctl::IsBitChar(static_cast<unsigned char>(c), mode) || (mode == 1 && c == '$'));
  if (typable && (mode == 0 || static_cast<int>(shown.size()) == p.HexDigitCount())) Check(p.Pattern() == pattern);
  // The hexadecimal form of a pattern reads back to it.
  const std::string current = p.Pattern();
  if (current.find_first_not_of("01X") == std::string::npos) {
    p.FormatPattern(p.BinaryToHex());
    Check(p.Pattern() == current);
  }
}

void Multiplex(const std::string& text, bool decimal) {
  ctl::MultiValueParser parser;
  std::string out;
  parser.Normalise(text.c_str(), decimal, &out);
  Check(parser.error >= MULTIVALUE_OK && parser.error <= MULTIVALUE_OUT_OF_RANGE);
  if (parser.error != MULTIVALUE_OK) return;
  std::string again;
  parser.Normalise(out.c_str(), decimal, &again);
  Check(parser.error == MULTIVALUE_OK && again == out);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const std::string text(reinterpret_cast<const char*>(data + 2), size - 2);
  switch (data[0] % 7) {
    case 0:
      Integers(text, data[1]);
      break;
    case 1:
      Floating(text);
      break;
    case 2:
      Engineering(text, data[1]);
      break;
    case 3:
      Bits(text, data[1], 0);
      break;
    case 4:
      Bits(text, data[1], 1);
      break;
    case 5:
      Multiplex(text, true);
      break;
    default:
      Multiplex(text, false);
      break;
  }
  return 0;
}
