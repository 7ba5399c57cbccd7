// The multiplex values of a CAN signal: comma-separated numbers and ranges
// ("1,3-5,0x10") checked and brought into a normal form, in decimal
// ("1,3-5,16") or hexadecimal ("0x1,0x3-0x5,0x10").
#pragma once

#include <cstdint>
#include <string>

enum MultiValueError {
  MULTIVALUE_OK = 0,
  MULTIVALUE_MALFORMED = 1,    // a number is malformed
  MULTIVALUE_REVERSED = 2,     // a range starts above its end
  MULTIVALUE_OUT_OF_RANGE = 3  // a number lies outside minimum..maximum
};

namespace ctl {

class MultiValueParser {
 public:
  // The part examined last; after an error, the part in error.
  std::string currentPart;
  int error = MULTIVALUE_OK;
  std::uint64_t maximum = 4294967295u;
  std::uint64_t minimum = 0;

  // Normal form of `text` into *out. On an error *out holds what was built
  // before the part in error, and `error` and `currentPart` tell why.
  void Normalise(const char* text, bool decimal, std::string* out);
  // A number in base 0 (0x hexadecimal, leading 0 octal); nothing may follow
  // it, and it must lie within minimum..maximum. An empty token reads as 0.
  bool ParseNumber(const char* token, std::uint64_t* value);
};

}  // namespace ctl
