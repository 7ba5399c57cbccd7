#include "XmlDom.h"

#include "TextFile.h"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/SAX2.h>
#include <libxml/tree.h>
#include <libxml/xmlmemory.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <unordered_set>
#include <utility>

namespace {

std::unique_ptr<XmlDomDocument> BuiltInFactory() { return std::make_unique<XmlDomDocument>(); }

XmlDomFactory g_factory = &BuiltInFactory;

const char* Chars(const xmlChar* s) { return reinterpret_cast<const char*>(s); }

bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// What one parse tells its document, through the context's _private.
}  // namespace

struct XmlDomBuilder;

namespace {

struct ParseState {
  bool* hadDoctype;
  XmlDomErrors* errors;
  XmlDomBuilder* builder;
  bool malformed = false;  // the parse was stopped at an error that fails the file
};

// Stops the parse at the first DOCTYPE, before any of it is processed.
void RefuseDoctype(void* ctx, const xmlChar*, const xmlChar*, const xmlChar*) {
  auto* ctxt = static_cast<xmlParserCtxtPtr>(ctx);
  if (ctxt->_private) *static_cast<ParseState*>(ctxt->_private)->hadDoctype = true;
  xmlStopParser(ctxt);
}

// Every diagnostic libxml2 raises while one document is parsed comes here
// (none reaches stderr): those of the parser through the context's own
// structured handler, those raised without a context (an encoding converter,
// the I/O layer) through the thread's handlers, which the guard below
// installs for the parse only and then puts back as they were.
void CollectError(void* ctx, xmlErrorPtr error) {
  auto* log = static_cast<XmlDomErrors*>(ctx);
  if (!log || !error) return;
  if (log->count++ == 0 && error->message) log->first = error->message;
}

// The parser's own errors: `ctx` is its context. An error that fails the
// file (not well-formed, or a namespace fault) stops the parse there: the
// parser would otherwise read on to the end with its events switched off,
// taking every name it meets (undefined entities, stray end tags, a DOCTYPE
// it no longer reports) into its dictionary, in a time that grows with the
// square of the file. Running out of memory stops the parse by itself and
// must stay visible as such.
void CollectParserError(void* ctx, xmlErrorPtr error) {
  auto* ctxt = static_cast<xmlParserCtxtPtr>(ctx);
  if (!ctxt || !ctxt->_private) return;
  auto* state = static_cast<ParseState*>(ctxt->_private);
  CollectError(state->errors, error);
  if (!error || error->code == XML_ERR_NO_MEMORY) return;
  if (error->level == XML_ERR_FATAL || (error->level == XML_ERR_ERROR && error->domain == XML_FROM_NAMESPACE)) {
    state->malformed = true;
    xmlStopParser(ctxt);
  }
}

void CollectGenericError(void* ctx, const char* message, ...) {
  auto* log = static_cast<XmlDomErrors*>(ctx);
  if (!log) return;
  if (log->count++ == 0 && message) log->first = message;
}

class ErrorHandlerGuard {
 public:
  explicit ErrorHandlerGuard(XmlDomErrors* log)
      : structured_(xmlStructuredError),
        structuredContext_(xmlStructuredErrorContext),
        generic_(xmlGenericError),
        genericContext_(xmlGenericErrorContext) {
    xmlSetStructuredErrorFunc(log, &CollectError);
    xmlSetGenericErrorFunc(log, &CollectGenericError);
  }
  ~ErrorHandlerGuard() {
    xmlSetStructuredErrorFunc(structuredContext_, structured_);
    xmlSetGenericErrorFunc(genericContext_, generic_);
  }
  ErrorHandlerGuard(const ErrorHandlerGuard&) = delete;
  ErrorHandlerGuard& operator=(const ErrorHandlerGuard&) = delete;

 private:
  xmlStructuredErrorFunc structured_;
  void* structuredContext_;
  xmlGenericErrorFunc generic_;
  void* genericContext_;
};

// Entity declarations can only come from a DTD, which is refused; these keep
// the parser from acting on anything of the kind should one slip through.
void IgnoreEntityDecl(void*, const xmlChar*, int, const xmlChar*, const xmlChar*, xmlChar*) {}

std::string Trimmed(std::string s) {
  std::size_t b = 0, e = s.size();
  while (b < e && IsXmlSpace(s[b])) ++b;
  while (e > b && IsXmlSpace(s[e - 1])) --e;
  if (b == 0 && e == s.size()) return s;
  return s.substr(b, e - b);
}

// The code units of a document in the encoding family its first bytes show.
struct UnitReader {
  const unsigned char* data = nullptr;
  std::size_t units = 0;
  int width = 1;  // bytes per code unit: 1, 2 or 4
  bool bigEndian = false;

  unsigned long At(std::size_t i) const {
    const unsigned char* p = data + i * static_cast<std::size_t>(width);
    unsigned long v = 0;
    for (int k = 0; k < width; ++k) {
      const int shift = bigEndian ? 8 * (width - 1 - k) : 8 * k;
      v |= static_cast<unsigned long>(p[k]) << shift;
    }
    return v;
  }
  bool Matches(std::size_t i, const char* text) const {
    for (std::size_t k = 0; text[k]; ++k)
      if (i + k >= units || At(i + k) != static_cast<unsigned char>(text[k])) return false;
    return true;
  }
  // Index of the first unit after `text` found from i, or `units`.
  std::size_t After(std::size_t i, const char* text) const {
    const std::size_t len = std::strlen(text);
    for (; i + len <= units; ++i)
      if (Matches(i, text)) return i + len;
    return units;
  }
};

bool StartsWith(const unsigned char* d, std::size_t size, std::initializer_list<unsigned char> bytes) {
  if (size < bytes.size()) return false;
  std::size_t k = 0;
  for (unsigned char b : bytes)
    if (d[k++] != b) return false;
  return true;
}

// Declared encodings whose bytes below 0x80 are ASCII (a multi-byte
// character never holds '<', '=', '>' or a quote); libxml2 ignores a
// "UTF-16" label on such a document.
bool AsciiCompatibleEncoding(std::string name) {
  for (char& c : name) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  static const char* const kPrefixes[] = {"UTF-8",    "UTF8",        "US-ASCII",    "ASCII", "ISO-8859-", "ISO8859",
                                          "ISO_8859", "LATIN",       "WINDOWS-125", "CP125", "SHIFT_JIS", "SHIFT-JIS",
                                          "SJIS",     "WINDOWS-31J", "CP932",       "MS932", "EUC-",      "EUC_",
                                          "GB2312",   "GBK",         "GB18030",     "BIG5",  "UTF-16"};
  for (const char* prefix : kPrefixes)
    if (name.compare(0, std::strlen(prefix), prefix) == 0) return true;
  return false;
}

}  // namespace

bool XmlStartTagsWithinBounds(const char* bytes, std::size_t size, std::size_t maxAttributes, std::size_t maxTagBytes) {
  const auto* d = reinterpret_cast<const unsigned char*>(bytes);
  UnitReader r;
  std::size_t skip = 0;
  if (StartsWith(d, size, {0x00, 0x00, 0xFE, 0xFF}) || StartsWith(d, size, {0x00, 0x00, 0x00, 0x3C})) {
    r.width = 4, r.bigEndian = true;
  } else if (StartsWith(d, size, {0xFF, 0xFE, 0x00, 0x00}) || StartsWith(d, size, {0x3C, 0x00, 0x00, 0x00})) {
    r.width = 4;
  } else if (StartsWith(d, size, {0xFE, 0xFF}) || StartsWith(d, size, {0x00, 0x3C, 0x00, 0x3F})) {
    r.width = 2, r.bigEndian = true;
  } else if (StartsWith(d, size, {0xFF, 0xFE}) || StartsWith(d, size, {0x3C, 0x00, 0x3F, 0x00})) {
    r.width = 2;
  } else if (StartsWith(d, size, {0x4C, 0x6F, 0xA7, 0x94}) || StartsWith(d, size, {0x00, 0x00, 0x3C, 0x00}) ||
             StartsWith(d, size, {0x00, 0x3C, 0x00, 0x00})) {
    return false;  // EBCDIC or an unusual UCS-4 order: not read here, so not parsed
  } else if (StartsWith(d, size, {0xEF, 0xBB, 0xBF})) {
    skip = 3;
  }
  r.data = d + skip;
  r.units = (size - skip) / static_cast<std::size_t>(r.width);

  // An 8-bit document may switch encodings in its declaration; only those
  // whose markup bytes stay ASCII are read.
  if (r.width == 1 && r.Matches(0, "<?xml")) {
    const std::size_t end = r.After(0, "?>");
    const std::size_t at = r.After(0, "encoding");
    if (at < end) {
      std::size_t i = at;
      while (i < end && r.At(i) != '"' && r.At(i) != '\'') ++i;
      if (i < end) {
        const unsigned long quote = r.At(i++);
        std::string name;
        while (i < end && r.At(i) != quote) name += static_cast<char>(r.At(i++));
        if (!AsciiCompatibleEncoding(name)) return false;
      }
    }
  }

  const std::size_t maxTagUnits = maxTagBytes / static_cast<std::size_t>(r.width);
  std::size_t i = 0;
  while (i < r.units) {
    if (r.At(i) != '<') {
      ++i;
      continue;
    }
    if (r.Matches(i, "<!--")) {
      i = r.After(i + 4, "-->");
    } else if (r.Matches(i, "<![CDATA[")) {
      i = r.After(i + 9, "]]>");
    } else if (r.Matches(i, "<?")) {
      i = r.After(i + 2, "?>");
    } else if (r.Matches(i, "<!") || r.Matches(i, "</")) {
      i = r.After(i + 2, ">");
    } else {
      // A start tag: every '=' outside a quoted value starts one attribute
      // (namespace declarations included, which libxml2 checks the same way).
      const std::size_t start = i++;
      std::size_t attributes = 0;
      unsigned long quote = 0;
      for (; i < r.units; ++i) {
        if (i - start >= maxTagUnits) return false;
        const unsigned long c = r.At(i);
        if (quote) {
          if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
          quote = c;
        } else if (c == '=') {
          if (++attributes > maxAttributes) return false;
        } else if (c == '>') {
          break;
        }
      }
      ++i;
    }
  }
  return true;
}

// ------------------------------------------------------------ XmlDomDocument

namespace {

// The engine allocates through these, which note a failure.
bool g_engineOutOfMemory = false;
long g_engineFailureCountdown = -1;

bool EngineAllocationFails() {
  if (g_engineFailureCountdown >= 0 && g_engineFailureCountdown-- == 0) {
    g_engineOutOfMemory = true;
    return true;
  }
  return false;
}

// A null for zero bytes is no failure.
template <class Pointer>
Pointer Noted(Pointer p, std::size_t n) {
  if (!p && n != 0) g_engineOutOfMemory = true;
  return p;
}

void* EngineMalloc(std::size_t n) { return EngineAllocationFails() ? nullptr : Noted(std::malloc(n), n); }
void* EngineRealloc(void* p, std::size_t n) { return EngineAllocationFails() ? nullptr : Noted(std::realloc(p, n), n); }
char* EngineStrdup(const char* s) { return EngineAllocationFails() ? nullptr : Noted(::strdup(s), 1); }

}  // namespace

bool TakeXmlEngineOutOfMemory() { return std::exchange(g_engineOutOfMemory, false); }

void SetXmlEngineAllocationFailure(long n) { g_engineFailureCountdown = n < 0 ? -1 : n; }

XmlDomDocument::XmlDomDocument(std::size_t maxCachedNodes) : maxCachedNodes_(maxCachedNodes) {
  // Installed before the engine is first used; its blocks come from and go
  // back to the C heap either way.
  static const bool installed = xmlMemSetup(std::free, EngineMalloc, EngineRealloc, EngineStrdup) == 0;
  (void)installed;
  xmlInitParser();
}

XmlDomDocument::~XmlDomDocument() { Clear(); }

void XmlDomDocument::Clear() {
  cache_.clear();
  cachedNodes_ = 0;
  wanted_.clear();
  names_.clear();
  elements_.clear();
  attributes_.clear();
  text_.Clear();
  values_.Clear();
  loaded_ = false;
}

void XmlDomDocument::ByteStore::Append(const char* data, std::size_t n) {
  while (n > 0) {
    const std::size_t at = size_ & (kChunk - 1);
    if (at == 0 && size_ / kChunk == chunks_.size()) chunks_.push_back(std::unique_ptr<char[]>(new char[kChunk]));
    const std::size_t piece = std::min(n, kChunk - at);
    std::memcpy(chunks_[size_ / kChunk].get() + at, data, piece);
    size_ += piece;
    data += piece;
    n -= piece;
  }
}

void XmlDomDocument::ByteStore::CopyOut(std::size_t begin, std::size_t end, std::string& out) const {
  out.clear();
  if (end <= begin) return;
  out.reserve(end - begin);
  while (begin < end) {
    const std::size_t at = begin & (kChunk - 1);
    const std::size_t piece = std::min(end - begin, kChunk - at);
    out.append(chunks_[begin / kChunk].get() + at, piece);
    begin += piece;
  }
}

void XmlDomDocument::ByteStore::Clear() {
  chunks_.clear();
  size_ = 0;
}

std::size_t XmlDomDocument::AttributeEnd(std::uint32_t element) const {
  return element + 1 < elements_.size() ? elements_[element + 1].firstAttribute : attributes_.size();
}

std::size_t XmlDomDocument::ValueEnd(std::size_t attribute) const {
  return attribute + 1 < attributes_.size() ? attributes_[attribute + 1].valueBegin : values_.size();
}

void XmlDomDocument::put_async(bool async) {
  if (async) throw XmlDomError("asynchronous loading is not supported");
}

void XmlDomDocument::put_validateOnParse(bool validate) {
  if (validate) throw XmlDomError("validation is not supported");
}

void XmlDomDocument::put_resolveExternals(bool resolve) {
  if (resolve) throw XmlDomError("external resources are never resolved");
}

// ---------------------------------------------------------------- building

// Fills the index of one document from the parser's SAX events.
struct XmlDomBuilder {
  XmlDomBuilder(XmlDomDocument& d, xmlParserCtxtPtr c) : doc(d), ctxt(c) {}

  XmlDomDocument& doc;
  xmlParserCtxtPtr ctxt;
  // The document's names by the engine's interned prefix and local name,
  // which stay put while the parser's dictionary lives.
  struct PairHash {
    std::size_t operator()(const std::pair<const xmlChar*, const xmlChar*>& k) const {
      return std::hash<const void*>()(k.first) * 31 ^ std::hash<const void*>()(k.second);
    }
  };
  std::unordered_map<std::pair<const xmlChar*, const xmlChar*>, std::uint32_t, PairHash> byPointers;
  std::unordered_map<std::string, std::uint32_t> byText;
  // The namespace names and prefixes declared so far, as the engine interned them.
  std::unordered_set<const xmlChar*> namespaces;
  // The targets of processing instructions met so far, as the engine
  // interned them: names of the dictionary like those of elements.
  std::unordered_set<const xmlChar*> instructions;
  std::vector<std::uint32_t> open;  // the elements not yet ended
  std::string value;
  bool stopped = false;
  bool noMemory = false;

  // The id of a qualified name; kNoName once there are too many.
  std::uint32_t Name(const xmlChar* prefix, const xmlChar* local) {
    auto found = byPointers.find({prefix, local});
    if (found != byPointers.end()) return found->second;
    std::string qualified;
    if (prefix) {
      qualified = Chars(prefix);
      qualified += ':';
    }
    const std::size_t localStart = qualified.size();
    if (local) qualified += Chars(local);
    // Two prefixes of one text are one name: the dictionary interns both.
    auto known = byText.find(qualified);
    std::uint32_t id;
    if (known != byText.end()) {
      id = known->second;
    } else {
      if (NameCount() >= kXmlMaxNames) return XmlDomDocument::kNoName;
      id = static_cast<std::uint32_t>(doc.names_.size());
      byText.emplace(qualified, id);
      doc.names_.push_back({std::move(qualified), localStart});
    }
    byPointers.emplace(std::make_pair(prefix, local), id);
    return id;
  }

  // Names kept against kXmlMaxNames: those of elements and attributes and
  // the targets of processing instructions.
  std::size_t NameCount() const { return doc.names_.size() + instructions.size(); }

  void Instruction(const xmlChar* target) {
    if (stopped || !target) return;
    if (instructions.insert(target).second && NameCount() > kXmlMaxNames) TooManyNames();
  }

  void Stop() {
    stopped = true;
    xmlStopParser(ctxt);
  }

  void Start(const xmlChar* local, const xmlChar* prefix, int namespaceCount, const xmlChar** declared,
             int attributeCount, const xmlChar** attributes) {
    if (stopped) return;
    for (int n = 0; n < 2 * namespaceCount; ++n) {  // pairs of prefix (null for the default) and name
      if (declared[n]) namespaces.insert(declared[n]);
      if (namespaces.size() > kXmlMaxNamespaces) return TooManyNamespaces();
    }
    const std::uint32_t name = Name(prefix, local);
    if (name == XmlDomDocument::kNoName) return TooManyNames();
    const std::uint32_t index = static_cast<std::uint32_t>(doc.elements_.size());
    const std::uint32_t text = static_cast<std::uint32_t>(doc.text_.size());
    doc.elements_.push_back({name, index + 1, static_cast<std::uint32_t>(doc.attributes_.size()), text, text});
    for (int a = 0; a < attributeCount; ++a) {
      const xmlChar** at = attributes + 5 * a;  // local name, prefix, URI, value, end of value
      const std::uint32_t attributeName = Name(at[1], at[0]);
      if (attributeName == XmlDomDocument::kNoName) return TooManyNames();
      doc.attributes_.push_back({attributeName, static_cast<std::uint32_t>(doc.values_.size())});
      AppendValue(Chars(at[3]), static_cast<std::size_t>(at[4] - at[3]));
    }
    open.push_back(index);
  }

  // Without entity substitution the parser hands every '&' of a value as
  // the character reference "&#38;" (the tree builder would undo that); no
  // other reference is left in a value.
  void AppendValue(const char* data, std::size_t n) {
    const char* amp = static_cast<const char*>(std::memchr(data, '&', n));
    if (!amp) return doc.values_.Append(data, n);
    value.assign(data, n);
    std::size_t out = 0;
    for (std::size_t i = 0; i < value.size();) {
      if (value.compare(i, 5, "&#38;") == 0) {
        value[out++] = '&';
        i += 5;
      } else {
        value[out++] = value[i++];
      }
    }
    doc.values_.Append(value.data(), out);
  }

  void End() {
    if (stopped || open.empty()) return;
    XmlDomDocument::Element& e = doc.elements_[open.back()];
    e.end = static_cast<std::uint32_t>(doc.elements_.size());
    e.textEnd = static_cast<std::uint32_t>(doc.text_.size());
    open.pop_back();
  }

  // Text outside the root element is no element's.
  void Text(const xmlChar* data, int n) {
    if (stopped || open.empty() || n <= 0) return;
    doc.text_.Append(Chars(data), static_cast<std::size_t>(n));
  }

  // The events come through the engine's C frames, which no exception may
  // cross: memory that runs out stops the parse instead.
  template <class Step>
  void Guarded(Step step) {
    if (stopped) return;
    try {
      step();
    } catch (const std::bad_alloc&) {
      noMemory = true;
      Stop();
    }
  }

  void TooManyNames() {
    doc.tooManyNames_ = true;
    Stop();
  }

  void TooManyNamespaces() {
    doc.tooManyNamespaces_ = true;
    Stop();
  }

  // Sizes beyond the 32-bit offsets of the index cannot come from a file
  // within the readers' cap; a larger buffer handed in is refused.
  static bool Fits(std::size_t size) { return size < (std::size_t{1} << 31); }
};

namespace {

XmlDomBuilder* BuilderOf(void* ctx) {
  auto* ctxt = static_cast<xmlParserCtxtPtr>(ctx);
  return ctxt && ctxt->_private ? static_cast<ParseState*>(ctxt->_private)->builder : nullptr;
}

void OnStartElement(void* ctx, const xmlChar* local, const xmlChar* prefix, const xmlChar*, int namespaceCount,
                    const xmlChar** namespaces, int attributeCount, int, const xmlChar** attributes) {
  if (XmlDomBuilder* b = BuilderOf(ctx))
    b->Guarded([&] { b->Start(local, prefix, namespaceCount, namespaces, attributeCount, attributes); });
}

void OnEndElement(void* ctx, const xmlChar*, const xmlChar*, const xmlChar*) {
  if (XmlDomBuilder* b = BuilderOf(ctx)) b->Guarded([&] { b->End(); });
}

void OnText(void* ctx, const xmlChar* data, int n) {
  if (XmlDomBuilder* b = BuilderOf(ctx)) b->Guarded([&] { b->Text(data, n); });
}

// Processing instructions are only counted by their targets.
void OnInstruction(void* ctx, const xmlChar* target, const xmlChar*) {
  if (XmlDomBuilder* b = BuilderOf(ctx)) b->Guarded([&] { b->Instruction(target); });
}

// Comments and the document node are not kept: libxml2's own handlers would
// hang them on a document of their own.
void IgnoreDocument(void*) {}
void IgnoreComment(void*, const xmlChar*) {}
void IgnoreReference(void*, const xmlChar*) {}

}  // namespace

bool XmlDomDocument::load(const std::string& path) {
  Clear();
  hadDoctype_ = false;
  tooManyNames_ = false;
  tooManyNamespaces_ = false;
  // Through the one reading function: regular files only, up to its size
  // cap, so a FIFO cannot hang the load and a device cannot fill the memory.
  std::string bytes;
  ReadFileError why = ReadFileError::None;
  if (!ReadFileBytes(path, bytes, &why)) {
    if (why == ReadFileError::NoMemory) throw std::bad_alloc();
    return false;
  }
  return Parse(bytes.data(), bytes.size(), &bytes);
}

bool XmlDomDocument::LoadBytes(const char* data, std::size_t size) { return Parse(data, size, nullptr); }

bool XmlDomDocument::Parse(const char* data, std::size_t size, std::string* owned) {
  Clear();
  hadDoctype_ = false;
  tooManyNames_ = false;
  tooManyNamespaces_ = false;
  if (size > static_cast<std::size_t>(INT_MAX) || !XmlDomBuilder::Fits(size)) return false;
  if (size == 0) return false;  // no root element: not well-formed
  if (!XmlStartTagsWithinBounds(data, size)) return false;
  errors_ = XmlDomErrors();
  ErrorHandlerGuard guard(&errors_);
  xmlParserCtxtPtr ctxt = xmlCreateMemoryParserCtxt(data, static_cast<int>(size));
  if (!ctxt || !ctxt->sax) {
    if (ctxt) xmlFreeParserCtxt(ctxt);
    throw XmlDomError("cannot create the XML parser");
  }
  // The engine has its own copy of the bytes now.
  if (owned) std::string().swap(*owned);
  xmlSAXHandler* sax = ctxt->sax;
  sax->internalSubset = &RefuseDoctype;
  sax->externalSubset = &RefuseDoctype;
  sax->entityDecl = &IgnoreEntityDecl;
  sax->startDocument = &IgnoreDocument;
  sax->endDocument = &IgnoreDocument;
  sax->startElementNs = &OnStartElement;
  sax->endElementNs = &OnEndElement;
  sax->startElement = nullptr;
  sax->endElement = nullptr;
  sax->characters = &OnText;
  sax->ignorableWhitespace = &OnText;
  sax->cdataBlock = &OnText;
  sax->comment = &IgnoreComment;
  sax->processingInstruction = &OnInstruction;
  sax->reference = &IgnoreReference;
  sax->serror = &CollectParserError;
  XmlDomBuilder builder(*this, ctxt);
  ParseState state{&hadDoctype_, &errors_, &builder, false};
  ctxt->_private = &state;
  // No network, no entity substitution, no DTD loading or default
  // attributes, no validation; the parser's own size and depth limits stay
  // on. Diagnostics are not printed: a refused file is simply refused.
  xmlCtxtUseOptions(ctxt, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_COMPACT);
  xmlParseDocument(ctxt);
  const bool noMemory = builder.noMemory || ctxt->errNo == XML_ERR_NO_MEMORY;
  bool good = ctxt->wellFormed && ctxt->nsWellFormed && !state.malformed && !hadDoctype_ && !tooManyNames_ &&
              !tooManyNamespaces_ && !noMemory && !elements_.empty() && builder.open.empty();
  if (ctxt->myDoc) xmlFreeDoc(ctxt->myDoc);
  ctxt->myDoc = nullptr;
  xmlFreeParserCtxt(ctxt);
  if (!good) {
    Clear();
    // Said as no memory, not as an engine fault.
    if (noMemory) throw std::bad_alloc();
    return false;
  }
  loaded_ = true;
  return true;
}

XmlDomNode XmlDomDocument::get_documentElement() {
  if (!loaded_ || elements_.empty()) return {};
  return XmlDomNode(this, 0);
}

int XmlDomDocument::NameId(std::string_view qualifiedName) {
  for (std::size_t i = 0; i < wanted_.size(); ++i)
    if (wanted_[i].qualified == qualifiedName) return static_cast<int>(i);
  Wanted w;
  w.qualified = std::string(qualifiedName);
  w.name = kNoName;
  for (std::size_t i = 0; i < names_.size(); ++i)
    if (names_[i].qualified == qualifiedName) {
      w.name = static_cast<std::uint32_t>(i);
      break;
    }
  wanted_.push_back(std::move(w));
  return static_cast<int>(wanted_.size() - 1);
}

void XmlDomDocument::Release(std::uint32_t element) {
  for (std::size_t id = 0; id < wanted_.size() && !cache_.empty(); ++id) {
    auto it = cache_.find({element, static_cast<int>(id)});
    if (it == cache_.end()) continue;
    cachedNodes_ -= std::min(cachedNodes_, it->second.size());
    cache_.erase(it);
  }
}

std::size_t XmlDomDocument::MaxSameNameNesting(const std::string_view* qualifiedNames, std::size_t count) {
  if (!loaded_ || elements_.empty()) return 0;
  std::vector<std::uint32_t> names;
  for (std::size_t i = 0; i < count; ++i)
    names.push_back(wanted_[static_cast<std::size_t>(NameId(qualifiedNames[i]))].name);
  std::vector<std::size_t> open(count, 0);
  std::size_t worst = 0;
  // The ends of the elements enclosing the one being looked at, innermost last.
  std::vector<std::pair<std::uint32_t, std::uint32_t>> enclosing;  // end, name
  const std::uint32_t n = static_cast<std::uint32_t>(elements_.size());
  for (std::uint32_t i = 0; i < n; ++i) {
    while (!enclosing.empty() && enclosing.back().first <= i) {
      for (std::size_t k = 0; k < count; ++k)
        if (names[k] == enclosing.back().second && open[k] > 0) --open[k];
      enclosing.pop_back();
    }
    const Element& e = elements_[i];
    for (std::size_t k = 0; k < count; ++k)
      if (names[k] == e.name) worst = std::max(worst, open[k]++);
    enclosing.emplace_back(e.end, e.name);
  }
  return worst;
}

const XmlDomNodeList& XmlDomDocument::ElementsByName(std::uint32_t root, std::string_view qualifiedName) {
  const int id = NameId(qualifiedName);
  auto found = cache_.find({root, id});
  if (found != cache_.end()) return found->second;
  PrepareElements(root, &qualifiedName, 1);
  return cache_.find({root, id})->second;
}

void XmlDomDocument::PrepareElements(std::uint32_t root, const std::string_view* qualifiedNames, std::size_t count) {
  // The names whose lists are still missing, at most a handful.
  struct Missing {
    std::uint32_t name;
    XmlDomNodeList* list;
  };
  std::vector<Missing> missing;
  for (std::size_t i = 0; i < count; ++i) {
    const int id = NameId(qualifiedNames[i]);
    auto [it, inserted] = cache_.try_emplace(std::make_pair(root, id));
    const std::uint32_t name = wanted_[static_cast<std::size_t>(id)].name;
    if (inserted && name != kNoName) missing.push_back({name, &it->second});
  }
  if (missing.empty()) return;
  // The descendants are the elements after the root up to its end.
  const std::uint32_t end = elements_[root].end;
  for (std::uint32_t i = root + 1; i < end; ++i) {
    const std::uint32_t name = elements_[i].name;
    for (auto& m : missing) {
      if (m.name != name) continue;
      if (++cachedNodes_ > maxCachedNodes_) throw XmlDomLimitError("the document's element lists pass the memory cap");
      m.list->emplace_back(this, i);
    }
  }
}

// ---------------------------------------------------------------- XmlDomNode

XmlDomNodeType XmlDomNode::get_nodeType() const { return owner_ ? XMLDOM_NODE_ELEMENT : XMLDOM_NODE_NONE; }

std::string XmlDomNode::get_nodeName() const {
  if (!owner_) return {};
  return owner_->names_[owner_->elements_[element_].name].qualified;
}

std::string XmlDomNode::get_baseName() const {
  if (!owner_) return {};
  const XmlDomDocument::QName& n = owner_->names_[owner_->elements_[element_].name];
  return n.qualified.substr(n.localStart);
}

std::string XmlDomNode::get_text() const {
  if (!owner_) return {};
  const XmlDomDocument::Element& e = owner_->elements_[element_];
  std::string out;
  owner_->text_.CopyOut(e.textBegin, e.textEnd, out);
  return Trimmed(std::move(out));
}

std::size_t XmlDomNode::GetAttributeCount() const {
  if (!owner_) return 0;
  return owner_->AttributeEnd(element_) - owner_->elements_[element_].firstAttribute;
}

bool XmlDomNode::GetAttributeAt(std::size_t position, std::string& name, std::string& value) const {
  name.clear();
  value.clear();
  if (!owner_ || position >= GetAttributeCount()) return false;
  const std::size_t a = owner_->elements_[element_].firstAttribute + position;
  name = owner_->names_[owner_->attributes_[a].name].qualified;
  owner_->values_.CopyOut(owner_->attributes_[a].valueBegin, owner_->ValueEnd(a), value);
  return true;
}

const XmlDomNodeList& XmlDomNode::getElementsByTagName(std::string_view qualifiedName) const {
  static const XmlDomNodeList kEmpty;
  if (!owner_) return kEmpty;
  return owner_->ElementsByName(element_, qualifiedName);
}

void XmlDomNode::ReleaseElementsByTagName() const {
  if (owner_) owner_->Release(element_);
}

void XmlDomNode::PrepareElementsByTagName(const std::string_view* qualifiedNames, std::size_t count) const {
  if (owner_) owner_->PrepareElements(element_, qualifiedNames, count);
}

// ------------------------------------------------------------------ factory

std::unique_ptr<XmlDomDocument> CreateXmlDomDocument() {
  XmlDomFactory f = g_factory ? g_factory : &BuiltInFactory;
  return f();
}

XmlDomFactory SetXmlDomFactory(XmlDomFactory factory) {
  XmlDomFactory previous = g_factory;
  g_factory = factory ? factory : &BuiltInFactory;
  return previous;
}
