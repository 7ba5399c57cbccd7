#include "XmlDom.h"

#include "TextFile.h"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>
#include <libxml/dict.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <functional>
#include <new>

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

// Stops the parse at the first DOCTYPE, before any of it is processed.
void RefuseDoctype(void* ctx, const xmlChar*, const xmlChar*, const xmlChar*) {
  auto* ctxt = static_cast<xmlParserCtxtPtr>(ctx);
  if (ctxt->_private) *static_cast<bool*>(ctxt->_private) = true;
  xmlStopParser(ctxt);
}

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

}  // namespace

// ---------------------------------------------------------------- XmlDomNode

XmlDomNodeType XmlDomNode::get_nodeType() const {
  if (!node_) return XMLDOM_NODE_NONE;
  switch (node_->type) {
    case XML_ELEMENT_NODE: return XMLDOM_NODE_ELEMENT;
    case XML_ATTRIBUTE_NODE: return XMLDOM_NODE_ATTRIBUTE;
    case XML_TEXT_NODE: return XMLDOM_NODE_TEXT;
    case XML_CDATA_SECTION_NODE: return XMLDOM_NODE_CDATA;
    default: return XMLDOM_NODE_OTHER;
  }
}

std::string XmlDomNode::get_nodeName() const {
  if (!node_) return {};
  if (node_->type == XML_ELEMENT_NODE || node_->type == XML_ATTRIBUTE_NODE) return QualifiedName(node_->name, node_->ns);
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

XmlDomDocument::XmlDomDocument() { xmlInitParser(); }

XmlDomDocument::~XmlDomDocument() { Clear(); }

void XmlDomDocument::Clear() {
  cache_.clear();
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
  xmlParserCtxtPtr ctxt = xmlCreateMemoryParserCtxt(data, static_cast<int>(size));
  if (!ctxt) throw XmlDomError("cannot create the XML parser");
  if (!ctxt->sax) {
    xmlFreeParserCtxt(ctxt);
    throw XmlDomError("cannot create the XML parser");
  }
  ctxt->sax->internalSubset = &RefuseDoctype;
  ctxt->sax->externalSubset = &RefuseDoctype;
  ctxt->sax->entityDecl = &IgnoreEntityDecl;
  ctxt->_private = &hadDoctype_;
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
    if (noMemory) throw XmlDomError("out of memory while parsing");
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
    n.dictLocal = xmlDictExists(doc_->dict, reinterpret_cast<const xmlChar*>(n.local.data()), static_cast<int>(n.local.size()));
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
  for (std::size_t id = 0; id < names_.size() && !cache_.empty(); ++id) cache_.erase({node, static_cast<int>(id)});
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
      for (auto& w : wanted)
        if (Matches(n, *w.name)) w.list->emplace_back(this, const_cast<xmlNode*>(n));
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
