#include "Markup.h"

#include "CodePage.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

inline bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Byte classes for the token scan: bytes that end an unquoted token (a token
// that starts with one of them is that single byte), and lead bytes.
enum : unsigned char { kPlain = 0, kDelimiter = 1, kLead = 2 };

struct ByteClasses {
  unsigned char of[256] = {};
  constexpr ByteClasses() {
    for (const char c : {' ', '\t', '\n', '\r', '<', '>', '=', '\\', '/', '?', '!'})
      of[static_cast<unsigned char>(c)] = kDelimiter;
    for (int c = 0x81; c <= 0xFC; ++c)
      if (c <= 0x9F || c >= 0xE0) of[c] = kLead;
  }
};
constexpr ByteClasses kClasses;

inline unsigned char ClassOf(char c) { return kClasses.of[static_cast<unsigned char>(c)]; }
inline bool IsDelimiter(char c) { return ClassOf(c) == kDelimiter; }

// A byte below 0x40 is never the trail byte of a double-byte character, so
// its first occurrence from a character boundary is itself on a boundary and
// a plain byte search finds it.
inline bool NeverTrailByte(char c) { return static_cast<unsigned char>(c) < 0x40; }

constexpr int32_t kMaxText = std::numeric_limits<int32_t>::max() - 16;

}  // namespace

CMarkup::CMarkup() { SetDocument(static_cast<const char*>(nullptr)); }

CMarkup::~CMarkup() = default;

int32_t CMarkup::CharLen(int32_t pos) const {
  return static_cast<int32_t>(cp932::CharLength(m_doc, static_cast<std::size_t>(pos)));
}

bool CMarkup::SetDocument(const char* text) { return SetDocument(text ? std::string_view(text) : std::string_view()); }

bool CMarkup::SetDocument(std::string_view text) {
  m_doc.assign(text.data(), text.size());
  return IndexDocument();
}

bool CMarkup::SetDocument(std::string&& text) {
  m_doc = std::move(text);
  return IndexDocument();
}

bool CMarkup::IndexDocument() {
  m_nextFree = 1;
  m_parent = m_current = m_child = 0;
  m_nodeType = 0;
  std::size_t wanted = m_doc.size() / 64 + 8;
  if (m_index.size() < wanted) m_index.resize(wanted);
  m_index[0] = ElemPos();
  if (!m_doc.empty()) {
    if (m_doc.size() > static_cast<std::size_t>(kMaxText)) {
      m_error = "Document too large";
    } else {
      int top = ParseElement(0, 1);
      if (top > 0) {
        m_index[0].firstChild = top;
        m_parent = m_current = m_child = 0;
        m_nodeType = 0;
        return true;
      }
      if (top == 0) m_error = "Element tag not found";
    }
  }
  m_index[0] = ElemPos();
  m_nextFree = 1;
  m_parent = m_current = m_child = 0;
  m_nodeType = 0;
  return false;
}

int CMarkup::NewEntry() {
  // The chunks, not a growth factor, set the slack: the index takes in a
  // new chunk (or the first one grows) and is then used up to its end.
  if (m_nextFree >= static_cast<int>(m_index.size())) {
    m_index.resize(static_cast<std::size_t>(m_nextFree) + 1);
    m_index.resize(m_index.capacity());
  }
  m_index[m_nextFree] = ElemPos();
  return m_nextFree++;
}

bool CMarkup::IsEmptyForm(int index) const { return m_index[index].startTagClose == m_index[index].endTagOpen + 1; }

int32_t CMarkup::EndTagClose(int index) const {
  const ElemPos& e = m_index[index];
  if (IsEmptyForm(index)) return e.startTagClose;
  // The end tag was checked when it was parsed or written: '/', the name,
  // perhaps more tokens, then '>'.
  int32_t pos = e.endTagOpen + 1;
  Token token;
  while (NextToken(pos, token)) {
    if (!token.quoted && token.end - token.start == 1 && m_doc[token.start] == '>') return token.start;
  }
  return static_cast<int32_t>(m_doc.size());
}

bool CMarkup::HasEmptyContent(int index) const { return m_index[index].startTagClose + 1 == m_index[index].endTagOpen; }

void CMarkup::Fail(const char* format, std::string_view name) {
  // The name comes from the document: substitute it, never use it as a format.
  std::string text(format);
  std::size_t at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, name.data(), name.size());
  m_error = std::move(text);
}

// ---------------------------------------------------------------------------
// Scanning primitives

[[gnu::always_inline]] inline bool CMarkup::SkipWhitespace(int32_t& pos) const {
  const int32_t size = static_cast<int32_t>(m_doc.size());
  while (pos < size && IsSpace(m_doc[pos])) ++pos;
  return pos < size;
}

[[gnu::always_inline]] inline bool CMarkup::ScanToChar(int32_t& pos, char c) const {
  const int32_t size = static_cast<int32_t>(m_doc.size());
  if (pos >= size) return false;
  if (NeverTrailByte(c)) {
    // Between elements the next tag is usually a line break away.
    for (int32_t stop = std::min(pos + 4, size); pos < stop; ++pos)
      if (m_doc[pos] == c) return true;
    if (pos >= size) return false;
    const void* hit = std::memchr(m_doc.data() + pos, c, static_cast<std::size_t>(size - pos));
    if (!hit) {
      pos = size;
      return false;
    }
    pos = static_cast<int32_t>(static_cast<const char*>(hit) - m_doc.data());
    return true;
  }
  while (pos < size) {
    if (m_doc[pos] == c) return true;
    pos += CharLen(pos);
  }
  return false;
}

bool CMarkup::ScanPast(int32_t& pos, std::string_view tail) const {
  const int32_t size = static_cast<int32_t>(m_doc.size());
  const int32_t tailSize = static_cast<int32_t>(tail.size());
  if (pos > size) return false;
  if (NeverTrailByte(tail[0])) {
    std::size_t hit = std::string_view(m_doc).find(tail, static_cast<std::size_t>(pos));
    if (hit == std::string_view::npos) return false;
    pos = static_cast<int32_t>(hit) + tailSize;
    return true;
  }
  while (pos + tailSize <= size) {
    if (m_doc.compare(static_cast<std::size_t>(pos), tail.size(), tail) == 0) {
      pos += tailSize;
      return true;
    }
    pos += CharLen(pos);
  }
  return false;
}

[[gnu::always_inline]] inline bool CMarkup::NextToken(int32_t& pos, Token& token) const {
  if (!SkipWhitespace(pos)) return false;
  const int32_t size = static_cast<int32_t>(m_doc.size());
  const char c = m_doc[pos];
  if (c == '"' || c == '\'') {
    token.quoted = true;
    token.start = pos + 1;
    int32_t close = pos + 1;
    if (ScanToChar(close, c)) {
      token.end = close;
      pos = close + 1;
    } else {
      // An unterminated quote runs to the end of the text.
      token.end = size;
      pos = size;
    }
    return true;
  }
  token.quoted = false;
  token.start = pos;
  if (IsDelimiter(c)) {
    token.end = ++pos;
    return true;
  }
  const char* doc = m_doc.data();
  while (pos < size) {
    const unsigned char cls = ClassOf(doc[pos]);
    if (cls == kPlain) {
      ++pos;
    } else if (cls == kDelimiter) {
      break;
    } else {
      pos += CharLen(pos);
    }
  }
  token.end = pos;
  return true;
}

bool CMarkup::TokenMatches(const Token& token, std::string_view name) const {
  const std::size_t length = static_cast<std::size_t>(token.end - token.start);
  if (name.size() < length) return false;
  if (std::memcmp(m_doc.data() + token.start, name.data(), length) != 0) return false;
  if (name.size() == length) return true;
  const char next = name[length];
  return next == ' ' || next == '=' || next == '/' || next == '[';
}

int32_t CMarkup::SkipSpecialNode(int32_t pos) const {
  const int32_t size = static_cast<int32_t>(m_doc.size());
  if (pos + 2 >= size) return 0;
  const char first = m_doc[pos + 1];
  const char second = m_doc[pos + 2];
  int32_t p;
  if (first == '?') {
    p = pos + 2;
    return ScanPast(p, "?>") ? p : 0;
  }
  if (first == '!' && second == '[') {
    p = pos + 3;
    return ScanPast(p, "]]>") ? p : 0;
  }
  if (first == '!' && second == '-') {
    p = pos + 3;
    return ScanPast(p, "-->") ? p : 0;
  }
  // A declaration such as DOCTYPE: tokens up to an unquoted '>' outside any
  // bracketed internal subset.
  p = pos + 1;
  int depth = 0;
  Token token;
  while (NextToken(p, token)) {
    if (token.quoted) continue;
    if (token.end - token.start == 1 && m_doc[token.start] == '>') {
      if (depth == 0) return token.end;
      continue;
    }
    for (int32_t i = token.start; i < token.end; i += CharLen(i)) {
      if (m_doc[i] == '[') ++depth;
      else if (m_doc[i] == ']') --depth;
    }
  }
  return 0;
}

std::string_view CMarkup::GetTagNameAt(int index) const {
  if (index <= 0 || index >= m_nextFree) return std::string_view();
  int32_t pos = m_index[index].startTagOpen + 1;
  Token token;
  if (!NextToken(pos, token)) return std::string_view();
  return std::string_view(m_doc).substr(static_cast<std::size_t>(token.start),
                                        static_cast<std::size_t>(token.end - token.start));
}

// ---------------------------------------------------------------------------
// Parsing

// Every refusal while parsing an element gives its index entry back, so the
// index never keeps an entry for a half-read element.
int CMarkup::Refuse(int index, const char* error, std::string_view name) {
  Fail(error, name);
  m_nextFree = index;
  return -1;
}

int CMarkup::ParseElement(int parent, int depth) {
  const int index = NewEntry();
  // The index grows in chunks that never move: both entries stay put while
  // the children are parsed.
  ElemPos& self = m_index[index];
  ElemPos& up = m_index[parent];
  self.parent = parent;
  int32_t pos = up.endTagOpen;
  Token token;
  std::string_view name;
  for (;;) {
    if (!ScanToChar(pos, '<')) {
      m_nextFree = index;
      // Running out of text inside an element is that element's missing end
      // tag, which the caller reports with its name. Its own scan for the end
      // tag must not find again a comment or processing instruction met here.
      if (parent != 0) {
        up.endTagOpen = static_cast<int32_t>(m_doc.size());
        return 0;
      }
      Fail("Element tag not found", name);
      return -1;
    }
    up.endTagOpen = pos;
    int32_t p = pos + 1;
    if (!NextToken(p, token)) {
      return Refuse(index, "Abrupt end within tag", name);
    }
    if (token.quoted) {
      return Refuse(index, "Tag starts with quote", name);
    }
    const char c = m_doc[token.start];
    if (c == '?' || c == '!') {
      int32_t after = SkipSpecialNode(pos);
      if (after == 0) {
        return Refuse(index, "Invalid node", name);
      }
      pos = after;
      continue;
    }
    if (c == '/') {
      m_nextFree = index;
      return 0;
    }
    name = std::string_view(m_doc).substr(static_cast<std::size_t>(token.start),
                                          static_cast<std::size_t>(token.end - token.start));
    if (depth > kMaxDepth) {
      return Refuse(index, "Elements nested too deeply at %s", name);
    }
    int32_t close = token.end;
    if (!ScanToChar(close, '>')) {
      return Refuse(index, "End of tag not found", name);
    }
    self.startTagOpen = pos;
    self.startTagClose = close;
    break;
  }

  if (m_doc[self.startTagClose - 1] == '/') {
    self.endTagOpen = self.startTagClose - 1;
    m_lastClose = self.startTagClose;
    return index;
  }

  self.endTagOpen = self.startTagClose + 1;
  ElemPos* previous = nullptr;
  for (;;) {
    const int child = ParseElement(index, depth + 1);
    if (child < 0) return -1;
    if (child == 0) break;
    if (previous == nullptr) self.firstChild = child;
    else previous->nextSibling = child;
    previous = &m_index[child];
    self.endTagOpen = m_lastClose + 1;
  }

  int32_t pos2 = self.endTagOpen;
  if (!ScanToChar(pos2, '<')) {
    return Refuse(index, "End tag of %s element not found", name);
  }
  self.endTagOpen = pos2;
  int32_t p = pos2 + 1;
  int count = 0;
  while (NextToken(p, token)) {
    if (token.quoted) continue;
    ++count;
    const bool single = token.end - token.start == 1;
    if (count == 1 && !(single && m_doc[token.start] == '/')) {
      return Refuse(index, "Expecting end tag of element %s", name);
    }
    if (count == 2 && !TokenMatches(token, name)) {
      return Refuse(index, "End tag does not correspond to %s", name);
    }
    if (single && m_doc[token.start] == '>') {
      if (count < 3) break;
      m_lastClose = token.start;
      return index;
    }
  }
  return Refuse(index, "End tag not completed for element %s", name);
}

// ---------------------------------------------------------------------------
// Navigation

bool CMarkup::EnterElement() {
  if (m_current == 0 || m_nodeType != 1) return false;
  m_parent = m_current;
  m_current = m_child;
  m_child = 0;
  m_nodeType = m_current != 0 ? 1 : 0;
  return true;
}

bool CMarkup::LeaveElement() {
  if (m_parent == 0) return false;
  m_child = m_current;
  m_current = m_parent;
  m_parent = m_index[m_parent].parent;
  m_nodeType = 1;
  return true;
}

int CMarkup::FindElementAt(int parent, int after, const char* name) const {
  const bool any = name == nullptr || *name == '\0';
  const std::string_view wanted = any ? std::string_view() : std::string_view(name);
  int i = after ? m_index[after].nextSibling : m_index[parent].firstChild;
  for (; i != 0; i = m_index[i].nextSibling) {
    if (any) return i;
    int32_t pos = m_index[i].startTagOpen + 1;
    Token token;
    if (NextToken(pos, token) && !token.quoted && TokenMatches(token, wanted)) return i;
  }
  return 0;
}

bool CMarkup::FindChildElement(const char* name) {
  int current = m_current;
  int after = m_child;
  if (current == 0) {
    // A reader need not name the top-level element.
    if (m_index[0].firstChild == 0) return false;
    current = m_index[0].firstChild;
    after = 0;
  }
  const int found = FindElementAt(current, after, name);
  if (found == 0) return false;
  m_child = found;
  m_current = current;
  m_parent = m_index[current].parent;
  m_nodeType = 1;
  return true;
}

std::string CMarkup::GetChildName() const {
  if (m_child == 0) return std::string();
  return std::string(GetTagNameAt(m_child));
}

std::string CMarkup::GetChildText() const {
  if (m_child == 0) return std::string();
  const ElemPos& e = m_index[m_child];
  if (e.firstChild != 0 || IsEmptyForm(m_child)) return std::string();
  int32_t pos = e.startTagClose + 1;
  if (SkipWhitespace(pos) && pos < e.endTagOpen && m_doc[pos] == '<' &&
      m_doc.compare(static_cast<std::size_t>(pos), 9, "<![CDATA[") == 0 && pos + 11 < e.endTagOpen) {
    const int32_t begin = pos + 9;
    for (int32_t i = begin; i + 3 <= e.endTagOpen; i += CharLen(i)) {
      if (m_doc.compare(static_cast<std::size_t>(i), 3, "]]>") == 0)
        return m_doc.substr(static_cast<std::size_t>(begin), static_cast<std::size_t>(i - begin));
    }
  }
  const int32_t begin = e.startTagClose + 1;
  if (e.endTagOpen <= begin) return std::string();
  return DecodeEntities(
      std::string_view(m_doc).substr(static_cast<std::size_t>(begin), static_cast<std::size_t>(e.endTagOpen - begin)));
}

// ---------------------------------------------------------------------------
// Entities

std::string CMarkup::EncodeEntities(std::string_view text, bool withQuotes) {
  std::string out;
  out.reserve(text.size() + text.size() / 10 + 7);
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t len = cp932::CharLength(text, i);
    if (len == 1) {
      switch (text[i]) {
        case '<':
          out += "&lt;";
          break;
        case '&':
          out += "&amp;";
          break;
        case '>':
          out += "&gt;";
          break;
        case '\'':
          if (withQuotes) out += "&apos;";
          else out += '\'';
          break;
        case '"':
          if (withQuotes) out += "&quot;";
          else out += '"';
          break;
        default:
          out += text[i];
          break;
      }
    } else {
      out.append(text.data() + i, len);
    }
    i += len;
  }
  return out;
}

std::string CMarkup::DecodeEntities(std::string_view text) {
  static constexpr struct {
    std::string_view entity;
    char c;
  } kEntities[] = {{"&lt;", '<'}, {"&amp;", '&'}, {"&gt;", '>'}, {"&apos;", '\''}, {"&quot;", '"'}};
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] == '&') {
      bool decoded = false;
      for (const auto& e : kEntities) {
        if (text.compare(i, e.entity.size(), e.entity) == 0) {
          out += e.c;
          i += e.entity.size();
          decoded = true;
          break;
        }
      }
      if (decoded) continue;
    }
    const std::size_t len = cp932::CharLength(text, i);
    out.append(text.data() + i, len);
    i += len;
  }
  return out;
}

// ---------------------------------------------------------------------------
// Building

int32_t CMarkup::LocateInsertPoint(int parent, int sibling, bool insertBefore, int& linkAfter) const {
  const int32_t size = static_cast<int32_t>(m_doc.size());
  const bool parentEmptyForm = parent != 0 && IsEmptyForm(parent);
  int32_t offset;
  if (sibling != 0) {
    if (insertBefore) {
      offset = m_index[sibling].startTagOpen;
      linkAfter = 0;
      for (int i = m_index[parent].firstChild; i != 0 && i != sibling; i = m_index[i].nextSibling) linkAfter = i;
    } else {
      offset = EndTagClose(sibling) + 1;
      linkAfter = sibling;
    }
  } else {
    if (parent != 0) {
      if (parentEmptyForm) offset = m_index[parent].startTagClose;
      else offset = insertBefore ? m_index[parent].startTagClose + 1 : m_index[parent].endTagOpen;
    } else {
      offset = insertBefore ? 0 : size;
    }
    linkAfter = 0;
    if (!insertBefore)
      for (int i = m_index[parent].firstChild; i != 0; i = m_index[i].nextSibling) linkAfter = i;
  }
  if (!parentEmptyForm) {
    // Land right before the following tag rather than in front of the line
    // break that ends the previous element.
    int32_t p = offset;
    while (p < size && IsSpace(m_doc[p])) ++p;
    if (p == size || m_doc[p] == '<') offset = p;
  }
  return offset;
}

void CMarkup::ReplaceDocRange(int32_t pos, int32_t length, const std::string& text) {
  m_doc.replace(static_cast<std::size_t>(pos), static_cast<std::size_t>(length), text);
}

void CMarkup::AdjustOffsets(int index, int32_t shift) {
  auto shiftAll = [&](ElemPos& e) {
    e.startTagOpen += shift;
    e.startTagClose += shift;
    e.endTagOpen += shift;
  };
  for (int node = index; node != 0;) {
    // Every later sibling with its whole subtree, walked without recursion.
    for (int s = m_index[node].nextSibling; s != 0; s = m_index[s].nextSibling) {
      int n = s;
      for (;;) {
        shiftAll(m_index[n]);
        if (m_index[n].firstChild != 0) {
          n = m_index[n].firstChild;
          continue;
        }
        while (n != s && m_index[n].nextSibling == 0) n = m_index[n].parent;
        if (n == s) break;
        n = m_index[n].nextSibling;
      }
    }
    const int parent = m_index[node].parent;
    if (parent != 0) {
      m_index[parent].endTagOpen += shift;
    }
    node = parent;
  }
}

bool CMarkup::InsertElement(const char* name, const char* value, bool insertBefore, bool asChild) {
  if (name == nullptr || *name == '\0') return false;
  int parent;
  int sibling;
  if (!asChild) {
    if (m_parent == 0) {
      if (m_index[0].firstChild != 0) return false;
      m_index[0].endTagOpen = static_cast<int32_t>(m_doc.size());
    }
    parent = m_parent;
    sibling = m_current;
  } else {
    if (m_current == 0) return false;
    parent = m_current;
    sibling = m_child;
  }

  // Refuse what the parser would refuse when the text is read back.
  int depth = 1;
  for (int p = parent; p != 0; p = m_index[p].parent) ++depth;
  if (depth > kMaxDepth) return false;

  const std::string_view nameView(name);
  const std::string encoded = (value != nullptr && *value != '\0') ? EncodeEntities(value, false) : std::string();
  const bool parentEmptyForm = parent != 0 && IsEmptyForm(parent);
  const bool parentEmptyContent = parent != 0 && !parentEmptyForm && HasEmptyContent(parent);
  // Only an empty-form parent needs its name: its end tag is written anew.
  const std::string parentName = parentEmptyForm ? std::string(GetTagNameAt(parent)) : std::string();
  if (m_doc.size() + 2 * nameView.size() + encoded.size() + parentName.size() + 16 > static_cast<std::size_t>(kMaxText))
    return false;

  int linkAfter = 0;
  int32_t offset = LocateInsertPoint(parent, sibling, insertBefore, linkAfter);
  if (parentEmptyForm || parentEmptyContent) offset += 2;

  const int32_t nameLength = static_cast<int32_t>(nameView.size());
  ElemPos e;
  e.startTagOpen = offset;
  e.parent = parent;
  std::string text;
  if (encoded.empty()) {
    text.reserve(nameView.size() + 5);
    text.append("<").append(nameView).append("/>\r\n");
    e.startTagClose = offset + nameLength + 2;
    e.endTagOpen = e.startTagClose - 1;
  } else {
    text.reserve(2 * nameView.size() + encoded.size() + 7);
    text.append("<").append(nameView).append(">").append(encoded).append("</").append(nameView).append(">\r\n");
    e.startTagClose = offset + nameLength + 1;
    e.endTagOpen = e.startTagClose + static_cast<int32_t>(encoded.size()) + 1;
  }

  const int index = NewEntry();
  if (linkAfter != 0) {
    e.nextSibling = m_index[linkAfter].nextSibling;
    m_index[linkAfter].nextSibling = index;
  } else {
    e.nextSibling = m_index[parent].firstChild;
    m_index[parent].firstChild = index;
  }
  m_index[index] = e;

  int32_t shift;
  if (parentEmptyForm) {
    // "<P/>" becomes "<P>" CR LF, the new line, "</P>": the '/' is replaced.
    std::string splice;
    splice.reserve(text.size() + parentName.size() + 5);
    splice.append(">\r\n").append(text).append("</").append(parentName);
    const int32_t slash = m_index[parent].endTagOpen;
    m_index[parent].startTagClose -= 1;
    m_index[parent].endTagOpen -= 1 + static_cast<int32_t>(parentName.size());
    ReplaceDocRange(slash, 1, splice);
    shift = static_cast<int32_t>(splice.size()) - 1;
  } else if (parentEmptyContent) {
    ReplaceDocRange(m_index[parent].startTagClose + 1, 0, "\r\n" + text);
    shift = static_cast<int32_t>(text.size()) + 2;
  } else {
    ReplaceDocRange(offset, 0, text);
    shift = static_cast<int32_t>(text.size());
  }
  AdjustOffsets(index, shift);

  if (asChild) {
    m_child = index;
  } else {
    m_current = index;
    m_child = 0;
  }
  m_nodeType = 1;
  return true;
}
