// The program's own small XML element class: one document text plus a flat
// index of the elements in it. Both the definition file and the settings file
// are written and read with it. It knows elements and their text only;
// attributes are stepped over unread, and there are no node objects.
//
// Text is narrow CP932: a lead byte and the trail byte that follows it are
// always stepped over together, so a trail byte that looks like '\' or ']'
// never ends a scan. A lead byte without a valid trail byte stands alone.
#pragma once

#include "ChunkedArray.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CMarkup {
 public:
  // One element of the document. Offsets count bytes of the text. The '>'
  // of the end tag is not kept but found again (EndTagClose): only insertion
  // needs it, and a text of nothing but the smallest elements has an entry
  // for every four bytes.
  struct ElemPos {
    int32_t startTagOpen = 0;   // '<' of the start tag
    int32_t startTagClose = 0;  // '>' ending the start tag
    // '<' of the end tag; the '/' of "/>" for an element in empty form. While
    // the element's content is parsed, the scan position of its children.
    int32_t endTagOpen = 0;
    int32_t parent = 0;
    int32_t firstChild = 0;
    int32_t nextSibling = 0;
  };

  // Elements nested deeper than this are refused, by the parser and by
  // InsertElement alike, so that whatever is written can be read back.
  static constexpr int kMaxDepth = 256;

  CMarkup();
  virtual ~CMarkup();

  // Replaces the document with a copy of `text` (null: empty) and indexes it.
  // True when a top-level element was parsed without error; on failure the
  // text is kept but the index is empty.
  bool SetDocument(const char* text);
  bool SetDocument(std::string_view text);
  // The same, taking the text over instead of copying it: a reader that has
  // the file's text in hand does not hold it twice.
  bool SetDocument(std::string&& text);

  // Appends a new element (insertBefore false) or puts it first; as a sibling
  // of the current element, or with asChild as a child of the current element
  // next to the current child. An empty value writes the element in empty form.
  bool InsertElement(const char* name, const char* value, bool insertBefore, bool asChild);

  bool EnterElement();
  bool LeaveElement();
  // Moves the current child forward to the next child of the current element
  // whose tag name matches `name` (any child for null or empty). Never looks back.
  bool FindChildElement(const char* name);
  std::string GetChildText() const;
  std::string GetChildName() const;

  // The whole document text, read by writers after building.
  const std::string& GetDoc() const { return m_doc; }
  // The description of the last parse failure; a later success keeps it.
  const std::string& GetError() const { return m_error; }

  static std::string EncodeEntities(std::string_view text, bool withQuotes);
  static std::string DecodeEntities(std::string_view text);

 private:
  friend class CMarkupTestAccess;

  struct Token {
    int32_t start = 0;  // first byte of the token (inside the quotes when quoted)
    int32_t end = 0;    // one past its last byte
    bool quoted = false;
  };

  bool IndexDocument();
  int ParseElement(int parent, int depth);
  // Reads the next token from `pos` and moves `pos` past it.
  bool NextToken(int32_t& pos, Token& token) const;
  bool SkipWhitespace(int32_t& pos) const;
  // Moves `pos` to the next `c`, stepping over double-byte characters.
  bool ScanToChar(int32_t& pos, char c) const;
  // Moves `pos` to just after the terminator `tail`, searched from `pos`.
  bool ScanPast(int32_t& pos, std::string_view tail) const;
  // At a '<' that opens "<?", "<!", "<![" or "<!-": the offset just after the
  // node, or 0 when it is not terminated.
  int32_t SkipSpecialNode(int32_t pos) const;
  int FindElementAt(int parent, int after, const char* name) const;
  bool TokenMatches(const Token& token, std::string_view name) const;
  std::string_view GetTagNameAt(int index) const;
  int32_t CharLen(int32_t pos) const;

  int32_t LocateInsertPoint(int parent, int sibling, bool insertBefore, int& linkAfter) const;
  void ReplaceDocRange(int32_t pos, int32_t length, const std::string& text);
  void AdjustOffsets(int index, int32_t shift);

  int NewEntry();
  bool IsEmptyForm(int index) const;
  // The '>' of the element's end tag; start-tag close for an empty element.
  int32_t EndTagClose(int index) const;
  bool HasEmptyContent(int index) const;
  void Fail(const char* format, std::string_view name);
  int Refuse(int index, const char* error, std::string_view name);

  std::string m_doc;
  std::string m_error;
  // In chunks: a text of nothing but the smallest elements has an entry for
  // every four bytes, and a growing vector would at times hold the entries
  // two and a half times over.
  ChunkedArray<ElemPos, 12> m_index;
  int m_parent = 0;
  int m_current = 0;
  int m_child = 0;
  int m_nextFree = 1;
  int m_nodeType = 0;
  int32_t m_lastClose = 0;  // while parsing: the end of the element parsed last
};
