#include "LdfReader.h"

#include <climits>
#include <cstring>
#include <new>
#include "TextFile.h"

namespace {

// Character classes of the scanners, one table lookup per byte.
enum : unsigned char { kSeparator = 1, kWord = 2, kNumber = 4 };

struct CharClasses {
  unsigned char of[256] = {};
  constexpr CharClasses() {
    for (int c = 0; c < 256; ++c) {
      // Blank, tab, line end, control characters, bytes of 127 and above (so
      // the bytes of double-byte characters) and zero separate tokens.
      if (c < 33 || c > 126) of[c] |= kSeparator;
      if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_') of[c] |= kWord;
      if ((c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' || c == 'e' || c == 'E' || c == 'd' || c == 'D')
        of[c] |= kNumber;
    }
  }
};
constexpr CharClasses kClasses;

inline bool IsSeparator(char c) { return kClasses.of[static_cast<unsigned char>(c)] & kSeparator; }
inline bool IsWordChar(char c) { return kClasses.of[static_cast<unsigned char>(c)] & kWord; }
inline bool IsNumberChar(char c) { return kClasses.of[static_cast<unsigned char>(c)] & kNumber; }

constexpr char kCtrlZ = 0x1A;

}  // namespace

CLdfReader::CLdfReader() = default;

CLdfReader::~CLdfReader() { Close(); }

int CLdfReader::Open(const std::string& path) {
  if (open_) return -1;
  // The whole file at once, through the one reading function: a FIFO, a
  // device or a folder is refused, and so is a file above the size cap.
  std::string bytes;
  ReadFileError why = ReadFileError::None;
  if (!ReadFileBytes(path, bytes, &why)) {
    // No memory for the file is not a file that cannot be opened.
    if (why == ReadFileError::NoMemory) throw std::bad_alloc();
    return -1;
  }
  buffer_.assign(bytes.begin(), bytes.end());
  open_ = true;
  cutAtZero_ = false;
  bufPos_ = 0;
  bufEnd_ = buffer_.size();
  line_ = std::string_view();
  cursor_ = 0;
  return 0;
}

int CLdfReader::Close() {
  needLine_ = true;
  if (!open_) return -1;
  open_ = false;
  line_ = std::string_view();
  cursor_ = 0;
  std::vector<char>().swap(buffer_);
  bufPos_ = bufEnd_ = 0;
  return 0;
}

bool CLdfReader::FetchLine() {
  if (bufPos_ >= bufEnd_) return false;
  char* base = buffer_.data();
  const void* nl = std::memchr(base + bufPos_, '\n', bufEnd_ - bufPos_);
  if (nl) {
    std::size_t e = static_cast<std::size_t>(static_cast<const char*>(nl) - base);
    std::size_t len = e + 1 - bufPos_;
    if (len >= 2 && base[e - 1] == '\r') {
      base[e - 1] = '\n';
      --len;
    }
    line_ = std::string_view(base + bufPos_, len);
    bufPos_ = e + 1;
  } else {
    // The last line, without a line end.
    std::size_t len = bufEnd_ - bufPos_;
    // Editors of the original platform may close a text file with Ctrl-Z.
    if (base[bufEnd_ - 1] == kCtrlZ) --len;
    const char* start = base + bufPos_;
    bufPos_ = bufEnd_;
    if (len == 0) return false;
    line_ = std::string_view(start, len);
  }
  // The text of a line ends at a zero byte, as it does for every C string
  // routine that the scanners stand in for.
  if (const void* z = std::memchr(line_.data(), '\0', line_.size())) EndLineAtZero(static_cast<const char*>(z));
  return true;
}

void CLdfReader::EndLineAtZero(const char* zero) {
  const std::size_t at = static_cast<std::size_t>(zero - line_.data());
  // Zero bytes, blanks and the line end behind it lose nothing.
  for (std::size_t k = at + 1; k < line_.size() && !cutAtZero_; ++k) {
    const unsigned char c = static_cast<unsigned char>(line_[k]);
    cutAtZero_ = c > ' ' && c != 0x7F;
  }
  line_ = line_.substr(0, at);
}

bool CLdfReader::PrepareLine() {
  if (!open_) return false;
  if (!needLine_) return true;
  if (!FetchLine()) return false;
  if (lineNumber_ < INT_MAX) ++lineNumber_;
  needLine_ = false;
  inBlockComment_ = StripComments(inBlockComment_);
  cursor_ = 0;
  return true;
}

bool CLdfReader::StripComments(bool inBlockComment) {
  const std::string_view s = line_;
  if (!inBlockComment && std::memchr(s.data(), '/', s.size()) == nullptr) return false;

  // One pass that copies the text outside comments; removing a comment joins
  // the text on both sides of it.
  std::string out;
  out.reserve(s.size());
  bool stillOpen = false;
  std::size_t i = 0;
  if (inBlockComment) {
    std::size_t q = s.find("*/");
    if (q == std::string_view::npos) {
      stillOpen = true;
      i = s.size();
    } else {
      i = q + 2;
    }
  }
  while (!stillOpen) {
    std::size_t p = s.find('/', i);
    if (p == std::string_view::npos) {
      out.append(s.substr(i));
      break;
    }
    out.append(s.substr(i, p - i));
    char next = p + 1 < s.size() ? s[p + 1] : '\0';
    if (next == '/') break;  // a line comment ends the line
    if (next == '*') {
      std::size_t q = s.find("*/", p + 2);
      if (q == std::string_view::npos) {
        stillOpen = true;
        break;
      }
      i = q + 2;
      continue;
    }
    out.push_back('/');
    i = p + 1;
  }
  stripped_.swap(out);
  line_ = stripped_;
  cursor_ = 0;
  return stillOpen;
}

int CLdfReader::ReadToken(std::string& out) {
  out.clear();
  for (;;) {
    if (!PrepareLine()) return -1;
    const std::size_t n = line_.size();
    std::size_t i = cursor_;
    while (i < n && IsSeparator(line_[i])) ++i;
    if (i >= n) {
      needLine_ = true;
      continue;
    }
    std::size_t j = i + 1;
    if (IsWordChar(line_[i]))
      while (j < n && IsWordChar(line_[j])) ++j;
    out.assign(line_.data() + i, j - i);
    cursor_ = j;
    return 0;
  }
}

std::size_t CLdfReader::ScanNumber(std::size_t start) const {
  std::size_t j = start + 1;
  while (j < line_.size() && IsNumberChar(line_[j])) ++j;
  return j;
}

int CLdfReader::ReadNumber(std::string& out) {
  out.clear();
  for (;;) {
    if (!PrepareLine()) return -1;
    const std::size_t n = line_.size();
    std::size_t i = cursor_;
    while (i < n && IsSeparator(line_[i])) ++i;
    if (i >= n) {
      needLine_ = true;
      continue;
    }
    std::size_t j = ScanNumber(i);
    out.assign(line_.data() + i, j - i);
    cursor_ = j;
    return 0;
  }
}

int CLdfReader::ReadUntil(std::string& out, char delimiter) {
  out.clear();
  if (!PrepareLine()) return -1;
  std::size_t k = line_.find(delimiter, cursor_);
  if (k == std::string_view::npos) k = line_.size();
  out.assign(line_.data() + cursor_, k - cursor_);
  cursor_ = k;
  return 0;
}

void CLdfReader::SkipRestOfLine() { needLine_ = true; }
