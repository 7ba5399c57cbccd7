// Token stream over a LIN description file (".ldf"): words, single
// punctuation characters, number literals and raw text up to a delimiter,
// with line and block comments removed and the lines counted so that the
// section parser can name the line of a syntax error.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class CLdfReader {
 public:
  CLdfReader();
  ~CLdfReader();
  CLdfReader(const CLdfReader&) = delete;
  CLdfReader& operator=(const CLdfReader&) = delete;

  // 0, or -1 when a file is already open or this one cannot be opened (a
  // folder counts as one that cannot be opened); std::bad_alloc when there
  // is no memory for it.
  int Open(const std::string& path);
  // 0, or -1 when nothing was open. The next read starts with a fresh line.
  int Close();

  // Next word (letters, digits, '_') or single punctuation character.
  // 0, or -1 at the end of the file (out is then empty).
  int ReadToken(std::string& out);
  // Next number literal: its first non-separator character and every digit,
  // sign, point or exponent letter behind it. 0, or -1 at the end of the file.
  int ReadNumber(std::string& out);
  // The raw text from the current position up to the delimiter, which stays
  // to be read next; without a delimiter the rest of the line, line end
  // included. Separators are not skipped. 0, or -1 at the end of the file.
  int ReadUntil(std::string& out, char delimiter);
  // The rest of the current line is ignored.
  void SkipRestOfLine();

  // Lines read so far; the line of the token read last.
  int LineNumber() const { return lineNumber_; }
  // True when a zero byte ended the text of a line that went on behind it:
  // what stood there was not read.
  bool CutAtZero() const { return cutAtZero_; }

  // Removes the comments of the current line and returns whether a block
  // comment is still open at its end. Called for every line that is fetched.
  bool StripComments(bool inBlockComment);

 private:
  // Makes the next line current when one is needed. False at the end of the file.
  bool PrepareLine();
  // Takes the next physical line out of the file: CR LF becomes LF, a Ctrl-Z
  // that ends the file is dropped, a zero byte ends the line's text.
  bool FetchLine();
  // Ends the current line's text at its zero byte `zero`, noting whether
  // anything was lost. Rare, so kept out of the line fetch.
  [[gnu::cold, gnu::noinline]] void EndLineAtZero(const char* zero);
  // End of the number literal that begins at `start` of the current line.
  std::size_t ScanNumber(std::size_t start) const;

  bool open_ = false;
  bool needLine_ = true;
  bool inBlockComment_ = false;
  int lineNumber_ = 0;
  bool cutAtZero_ = false;

  // The file's bytes; those not yet handed out as lines: [bufPos_, bufEnd_).
  std::vector<char> buffer_;
  std::size_t bufPos_ = 0;
  std::size_t bufEnd_ = 0;

  // The current line: a view into buffer_, or into stripped_ after comments
  // were removed from it.
  std::string_view line_;
  std::string stripped_;
  std::size_t cursor_ = 0;
};
