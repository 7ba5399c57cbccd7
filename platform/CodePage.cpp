#include "CodePage.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <mutex>

namespace cp932 {

std::size_t CharBoundaryAtOrBefore(std::string_view text, std::size_t maxBytes) {
  if (maxBytes >= text.size()) return text.size();
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t len = CharLength(text, pos);
    if (pos + len > maxBytes) break;
    pos += len;
  }
  return pos;
}

namespace {

// glibc's "CP932" (not "SHIFT_JIS": that one maps 0x5C to the yen sign and
// refuses the NEC and IBM extension rows that Windows files use).
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

// Converts one piece; returns false when iconv stops on an invalid or
// unconvertible sequence. `in` advances past what was converted.
bool ConvertPiece(iconv_t cd, const char*& in, std::size_t& inLeft, std::string& out) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char buffer[1024];
  while (inLeft > 0) {
    char* dst = buffer;
    std::size_t dstLeft = sizeof(buffer);
    char* src = const_cast<char*>(in);
    std::size_t r = iconv(cd, &src, &inLeft, &dst, &dstLeft);
    in = src;
    out.append(buffer, static_cast<std::size_t>(dst - buffer));
    if (r == static_cast<std::size_t>(-1)) {
      if (errno == E2BIG) continue;
      return false;
    }
  }
  return true;
}

}  // namespace

std::string ToUtf8(std::string_view text) {
  thread_local Converter conv("UTF-8", "CP932");
  std::string out;
  out.reserve(text.size() + text.size() / 2);
  if (!conv.ok()) {
    // Without the converter keep ASCII and mark the rest; never fail.
    for (unsigned char c : text) out += c < 0x80 ? std::string(1, static_cast<char>(c)) : std::string("\xEF\xBF\xBD");
    return out;
  }
  const char* in = text.data();
  std::size_t left = text.size();
  while (left > 0) {
    if (ConvertPiece(conv.get(), in, left, out)) break;
    // Skip one offending character (a lead byte with its trail when it has
    // one) and show it as the replacement character.
    std::size_t pos = static_cast<std::size_t>(in - text.data());
    std::size_t skip = std::min<std::size_t>(CharLength(text, pos), left);
    out += "\xEF\xBF\xBD";
    in += skip;
    left -= skip;
  }
  return out;
}

namespace {

// glibc's converter quietly turns the yen sign and the overline into the
// ASCII backslash and tilde (so the text would come back changed) and drops
// Unicode tag characters altogether.
// Those are characters CP932 cannot hold: refuse them like any other.
bool HasSilentlyReplacedCharacter(std::string_view utf8) {
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (c == 0xC2 && i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) == 0xA5) return true;  // U+00A5
    if (c == 0xE2 && utf8.substr(i, 3) == "\xE2\x80\xBE") return true;                                     // U+203E
    if (c == 0xF3 && i + 2 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) == 0xA0 &&
        (static_cast<unsigned char>(utf8[i + 2]) & 0xFE) == 0x80)
      return true;  // U+E0000-U+E007F
  }
  return false;
}

}  // namespace

bool FromUtf8(std::string_view utf8, std::string& out) {
  thread_local Converter conv("CP932", "UTF-8");
  if (!conv.ok()) return false;
  if (HasSilentlyReplacedCharacter(utf8)) return false;
  std::string result;
  result.reserve(utf8.size());
  const char* in = utf8.data();
  std::size_t left = utf8.size();
  if (!ConvertPiece(conv.get(), in, left, result)) return false;
  out = std::move(result);
  return true;
}

}  // namespace cp932
