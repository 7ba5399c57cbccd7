// The plain ways the name helpers' fast paths are checked against: a walk
// over whole code-page characters.
#pragma once

#include "CodePage.h"

#include <string>

namespace vrtest {

// Upper-cases the plain letters; a double-byte character stays as it is.
inline std::string ReferenceUpper(const std::string& text) {
  std::string out(text);
  for (std::size_t pos = 0; pos < out.size();) {
    std::size_t len = cp932::CharLength(out, pos);
    if (len == 1 && out[pos] >= 'a' && out[pos] <= 'z') out[pos] = static_cast<char>(out[pos] - 'a' + 'A');
    pos += len;
  }
  return out;
}

}  // namespace vrtest
