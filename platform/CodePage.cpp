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

bool FromUtf8(std::string_view utf8, std::string& out) {
  thread_local Converter conv("CP932", "UTF-8");
  if (!conv.ok()) return false;
  std::string result;
  result.reserve(utf8.size());
  const char* in = utf8.data();
  std::size_t left = utf8.size();
  if (!ConvertPiece(conv.get(), in, left, result)) return false;
  out = std::move(result);
  return true;
}

}  // namespace cp932
