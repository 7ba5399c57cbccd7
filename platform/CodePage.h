// Narrow text of the Japanese multi-byte code page (CP932).
//
// Every record, table key and stored file keeps its CP932 bytes unchanged;
// Unicode exists only where text crosses into the windows. These helpers are
// the only place that knows which bytes start a double-byte character.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace cp932 {

// 0x81-0x9F and 0xE0-0xFC start a double-byte character.
inline bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// 0x40-0x7E and 0x80-0xFC may follow a lead byte.
inline bool IsTrailByte(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }

// Length in bytes (1 or 2) of the character at text[pos]. A lead byte pairs
// only with a valid trail byte; otherwise it stands alone, so a broken byte can
// never swallow the ASCII character behind it.
inline std::size_t CharLength(std::string_view text, std::size_t pos) {
  if (pos + 1 < text.size() && IsLeadByte(static_cast<unsigned char>(text[pos])) &&
      IsTrailByte(static_cast<unsigned char>(text[pos + 1])))
    return 2;
  return 1;
}

// The largest length <= maxBytes that does not end inside a double-byte character.
std::size_t CharBoundaryAtOrBefore(std::string_view text, std::size_t maxBytes);

// CP932 to UTF-8. Lenient: a byte sequence that is not CP932 shows as U+FFFD.
std::string ToUtf8(std::string_view cp932Text);

// UTF-8 to CP932. Strict: false (and `out` untouched) when a character has no
// CP932 form or the input is not valid UTF-8. The yen sign and the overline
// are refused too: CP932 would store them as the backslash and the tilde.
bool FromUtf8(std::string_view utf8Text, std::string& out);

}  // namespace cp932
