#include "XmlDom.h"

#include "TextFile.h"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>
#include <libxml/dict.h>
#include <libxml/xmlmemory.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <utility>

namespace {

std::unique_ptr<XmlDomDocument> BuiltInFactory() { return std::make_unique<XmlDomDocument>(); }

XmlDomFactory g_factory = &BuiltInFactory;

const char* Chars(const xmlChar* s) { return reinterpret_cast<const char*>(s); }

bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The qualified name of an element or attribute as written in the file.
std::string QualifiedName(const xmlChar* name, const xmlNs* ns) {
  std::string out;
  if (ns && ns->prefix) {
    out = Chars(ns->prefix);
    out += ':';
  }
  if (name) out += Chars(name);
  return out;
}

// What one parse tells its document, through the context's _private.
struct ParseState {
  bool* hadDoctype;
  XmlDomErrors* errors;
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

// The parser's own errors: `ctx` is its context.
void CollectParserError(void* ctx, xmlErrorPtr error) {
  auto* ctxt = static_cast<xmlParserCtxtPtr>(ctx);
  if (ctxt && ctxt->_private) CollectError(static_cast<ParseState*>(ctxt->_private)->errors, error);
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

void AppendText(const xmlNode* start, std::string& out) {
  // Iterative walk: the depth of a document must never decide the stack use.
  const xmlNode* n = start->children;
  while (n) {
    if (n->type == XML_TEXT_NODE || n->type == XML_CDATA_SECTION_NODE) {
      if (n->content) out += Chars(n->content);
    } else if (n->type == XML_ELEMENT_NODE && n->children) {
      n = n->children;
      continue;
    }
    while (n && !n->next) {
      n = n->parent;
      if (n == start) return;
    }
    if (!n) return;
    n = n->next;
  }
}

std::string Trimmed(std::string s) {
  std::size_t b = 0, e = s.size();
  while (b < e && IsXmlSpace(s[b])) ++b;
  while (e > b && IsXmlSpace(s[e - 1])) --e;
  if (b == 0 && e == s.size()) return s;
  return s.substr(b, e - b);
}

const xmlAttr* AttributeAt(const xmlNode* n, std::size_t position) {
  if (!n || n->type != XML_ELEMENT_NODE) return nullptr;
  const xmlAttr* a = n->properties;
  for (std::size_t i = 0; a && i < position; ++i) a = a->next;
  return a;
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

// ---------------------------------------------------------------- XmlDomNode

XmlDomNodeType XmlDomNode::get_nodeType() const {
  if (!node_) return XMLDOM_NODE_NONE;
  switch (node_->type) {
    case XML_ELEMENT_NODE:
      return XMLDOM_NODE_ELEMENT;
    case XML_ATTRIBUTE_NODE:
      return XMLDOM_NODE_ATTRIBUTE;
    case XML_TEXT_NODE:
      return XMLDOM_NODE_TEXT;
    case XML_CDATA_SECTION_NODE:
      return XMLDOM_NODE_CDATA;
    default:
      return XMLDOM_NODE_OTHER;
  }
}

std::string XmlDomNode::get_nodeName() const {
  if (!node_) return {};
  if (node_->type == XML_ELEMENT_NODE || node_->type == XML_ATTRIBUTE_NODE)
    return QualifiedName(node_->name, node_->ns);
  return node_->name ? Chars(node_->name) : std::string();
}

std::string XmlDomNode::get_baseName() const {
  if (!node_ || !node_->name) return {};
  return Chars(node_->name);
}

std::string XmlDomNode::get_text() const {
  if (!node_) return {};
  std::string out;
  if (node_->type == XML_TEXT_NODE || node_->type == XML_CDATA_SECTION_NODE) {
    if (node_->content) out = Chars(node_->content);
  } else if (node_->type == XML_ELEMENT_NODE || node_->type == XML_ATTRIBUTE_NODE) {
    AppendText(node_, out);
  }
  return Trimmed(std::move(out));
}

std::size_t XmlDomNode::GetAttributeCount() const {
  std::size_t n = 0;
  if (node_ && node_->type == XML_ELEMENT_NODE)
    for (const xmlAttr* a = node_->properties; a; a = a->next) ++n;
  return n;
}

bool XmlDomNode::GetAttributeAt(std::size_t position, std::string& name, std::string& value) const {
  name.clear();
  value.clear();
  const xmlAttr* a = AttributeAt(node_, position);
  if (!a) return false;
  name = QualifiedName(a->name, a->ns);
  // Attribute values hold text only: predefined entities are already
  // replaced and no other entity can exist without a DTD.
  for (const xmlNode* c = a->children; c; c = c->next)
    if ((c->type == XML_TEXT_NODE || c->type == XML_CDATA_SECTION_NODE) && c->content) value += Chars(c->content);
  return true;
}

const XmlDomNodeList& XmlDomNode::getElementsByTagName(std::string_view qualifiedName) const {
  static const XmlDomNodeList kEmpty;
  if (!owner_ || !node_) return kEmpty;
  return owner_->ElementsByName(node_, qualifiedName);
}

void XmlDomNode::ReleaseElementsByTagName() const {
  if (owner_ && node_) owner_->Release(node_);
}

void XmlDomNode::PrepareElementsByTagName(const std::string_view* qualifiedNames, std::size_t count) const {
  if (owner_ && node_) owner_->PrepareElements(node_, qualifiedNames, count);
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

XmlDomDocument::XmlDomDocument() {
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
  names_.clear();
  if (doc_) xmlFreeDoc(doc_);
  doc_ = nullptr;
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

bool XmlDomDocument::load(const std::string& path) {
  Clear();
  hadDoctype_ = false;
  // Through the one reading function: regular files only, up to its size
  // cap, so a FIFO cannot hang the load and a device cannot fill the memory.
  std::string bytes;
  ReadFileError why = ReadFileError::None;
  if (!ReadFileBytes(path, bytes, &why)) {
    if (why == ReadFileError::NoMemory) throw std::bad_alloc();
    return false;
  }
  return LoadBytes(bytes.data(), bytes.size());
}

bool XmlDomDocument::LoadBytes(const char* data, std::size_t size) {
  Clear();
  hadDoctype_ = false;
  if (size > static_cast<std::size_t>(INT_MAX)) return false;
  if (size == 0) return false;  // no root element: not well-formed
  if (!XmlStartTagsWithinBounds(data, size)) return false;
  errors_ = XmlDomErrors();
  ErrorHandlerGuard guard(&errors_);
  xmlParserCtxtPtr ctxt = xmlCreateMemoryParserCtxt(data, static_cast<int>(size));
  if (!ctxt) throw XmlDomError("cannot create the XML parser");
  if (!ctxt->sax) {
    xmlFreeParserCtxt(ctxt);
    throw XmlDomError("cannot create the XML parser");
  }
  ctxt->sax->internalSubset = &RefuseDoctype;
  ctxt->sax->externalSubset = &RefuseDoctype;
  ctxt->sax->entityDecl = &IgnoreEntityDecl;
  ParseState state{&hadDoctype_, &errors_};
  ctxt->_private = &state;
  ctxt->sax->serror = &CollectParserError;
  // No network, no entity substitution, no DTD loading or default
  // attributes, no validation; the parser's own size and depth limits stay
  // on. Diagnostics are not printed: a refused file is simply refused.
  xmlCtxtUseOptions(ctxt, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_COMPACT);
  xmlParseDocument(ctxt);
  xmlDocPtr doc = ctxt->myDoc;
  ctxt->myDoc = nullptr;
  bool noMemory = ctxt->errNo == XML_ERR_NO_MEMORY;
  bool good = ctxt->wellFormed && ctxt->nsWellFormed && !hadDoctype_ && doc && !noMemory;
  xmlFreeParserCtxt(ctxt);
  if (!good) {
    if (doc) xmlFreeDoc(doc);
    // Said as no memory, not as an engine fault.
    if (noMemory) throw std::bad_alloc();
    return false;
  }
  doc_ = doc;
  return true;
}

XmlDomNode XmlDomDocument::get_documentElement() {
  if (!doc_) return {};
  xmlNode* root = xmlDocGetRootElement(doc_);
  return root ? XmlDomNode(this, root) : XmlDomNode();
}

int XmlDomDocument::NameId(std::string_view qualifiedName) {
  for (std::size_t i = 0; i < names_.size(); ++i)
    if (names_[i].qualified == qualifiedName) return static_cast<int>(i);
  Name n;
  n.qualified = std::string(qualifiedName);
  std::size_t colon = qualifiedName.find(':');
  if (colon == std::string_view::npos) {
    n.local = n.qualified;
  } else {
    n.hasPrefix = true;
    n.prefix = std::string(qualifiedName.substr(0, colon));
    n.local = std::string(qualifiedName.substr(colon + 1));
  }
  // Element names of a parsed document live in its dictionary: a name that
  // is not there is carried by no element, and one that is can be compared
  // by address.
  if (doc_ && doc_->dict && n.local.size() < static_cast<std::size_t>(INT_MAX))
    n.dictLocal =
        xmlDictExists(doc_->dict, reinterpret_cast<const xmlChar*>(n.local.data()), static_cast<int>(n.local.size()));
  names_.push_back(std::move(n));
  return static_cast<int>(names_.size() - 1);
}

bool XmlDomDocument::Matches(const xmlNode* n, const Name& name) const {
  if (!n->name) return false;
  if (name.dictLocal) {
    if (n->name != name.dictLocal) return false;
  } else if (doc_ && doc_->dict) {
    return false;
  } else if (name.local != Chars(n->name)) {
    return false;
  }
  const char* p = n->ns && n->ns->prefix ? Chars(n->ns->prefix) : nullptr;
  if (!name.hasPrefix) return p == nullptr;
  return p != nullptr && name.prefix == p;
}

void XmlDomDocument::Release(_xmlNode* node) {
  for (std::size_t id = 0; id < names_.size() && !cache_.empty(); ++id) {
    auto it = cache_.find({node, static_cast<int>(id)});
    if (it == cache_.end()) continue;
    cachedNodes_ -= std::min(cachedNodes_, it->second.size());
    cache_.erase(it);
  }
}

std::size_t XmlDomDocument::MaxSameNameNesting(const std::string_view* qualifiedNames, std::size_t count) {
  if (!doc_) return 0;
  xmlNode* root = xmlDocGetRootElement(doc_);
  if (!root) return 0;
  std::vector<int> ids;
  for (std::size_t i = 0; i < count; ++i) ids.push_back(NameId(qualifiedNames[i]));
  std::vector<std::size_t> open(count, 0);
  std::size_t worst = 0;
  auto enter = [&](const xmlNode* n) {
    for (std::size_t k = 0; k < count; ++k)
      if (Matches(n, names_[static_cast<std::size_t>(ids[k])])) worst = std::max(worst, open[k]++);
  };
  auto leave = [&](const xmlNode* n) {
    for (std::size_t k = 0; k < count; ++k)
      if (Matches(n, names_[static_cast<std::size_t>(ids[k])]) && open[k] > 0) --open[k];
  };
  // Pre-order walk without recursion; an element is left when the walk
  // climbs back out of it.
  enter(root);
  const xmlNode* n = root->children;
  while (n) {
    if (n->type == XML_ELEMENT_NODE) {
      enter(n);
      if (n->children) {
        n = n->children;
        continue;
      }
      leave(n);
    }
    while (n && !n->next) {
      n = n->parent;
      if (n == root) n = nullptr;
      if (n) leave(n);
    }
    if (n) n = n->next;
  }
  return worst;
}

const XmlDomNodeList& XmlDomDocument::ElementsByName(_xmlNode* root, std::string_view qualifiedName) {
  const int id = NameId(qualifiedName);
  auto found = cache_.find({root, id});
  if (found != cache_.end()) return found->second;
  PrepareElements(root, &qualifiedName, 1);
  return cache_.find({root, id})->second;
}

void XmlDomDocument::PrepareElements(_xmlNode* root, const std::string_view* qualifiedNames, std::size_t count) {
  // The names whose lists are still missing, at most a handful.
  struct Wanted {
    int id;
    const Name* name;
    XmlDomNodeList* list;
  };
  std::vector<Wanted> wanted;
  for (std::size_t i = 0; i < count; ++i) {
    const int id = NameId(qualifiedNames[i]);
    auto [it, inserted] = cache_.try_emplace(std::make_pair(root, id));
    if (inserted) wanted.push_back({id, nullptr, &it->second});
  }
  if (wanted.empty()) return;
  // Every name is interned now, so pointers into names_ stay valid below.
  bool anyPossible = false;
  for (auto& w : wanted) {
    w.name = &names_[static_cast<std::size_t>(w.id)];
    if (w.name->dictLocal || !(doc_ && doc_->dict)) anyPossible = true;
  }
  if (!anyPossible) return;

  // Pre-order walk of the descendants, without recursion.
  const xmlNode* n = root->children;
  while (n) {
    if (n->type == XML_ELEMENT_NODE) {
      for (auto& w : wanted) {
        if (!Matches(n, *w.name)) continue;
        if (++cachedNodes_ > kXmlMaxCachedNodes)
          throw XmlDomLimitError("the document's element lists pass the memory cap");
        w.list->emplace_back(this, const_cast<xmlNode*>(n));
      }
      if (n->children) {
        n = n->children;
        continue;
      }
    }
    while (n && !n->next) {
      n = n->parent;
      if (n == root) n = nullptr;
    }
    if (n) n = n->next;
  }
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
