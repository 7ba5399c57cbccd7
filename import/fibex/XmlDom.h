// A small read-only XML document object model over libxml2, with just the
// operations the FIBEX reader needs: load a file synchronously, the document
// element, descendants by qualified name, attributes by position, node type,
// names and text.
//
// Loading is deliberately narrow. The file's bytes are read here and handed
// to the parser, so a path is never taken as a URL and compressed files are
// not unpacked; nothing is fetched from the network; entities are never
// expanded; a document that carries a DOCTYPE is refused outright, so no DTD
// is ever processed. Namespace prefixes must be declared.
//
// Failures of the engine itself (no parser, out of memory) are raised as
// XmlDomError; a file that is missing or not well-formed is a plain `false`
// from load().
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct _xmlNode;
struct _xmlDoc;

class XmlDomError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A document whose element lists would pass the memory cap of the view
// (kXmlMaxCachedNodes): the document, not the engine, is at fault.
class XmlDomLimitError : public XmlDomError {
 public:
  using XmlDomError::XmlDomError;
};

// At most this many node handles (16 bytes each, so 128 MB) are held in the
// element lists at one time; a real FIBEX file needs a few hundred thousand.
constexpr std::size_t kXmlMaxCachedNodes = std::size_t{8} << 20;

enum XmlDomNodeType {
  XMLDOM_NODE_NONE = 0,
  XMLDOM_NODE_ELEMENT = 1,
  XMLDOM_NODE_ATTRIBUTE = 2,
  XMLDOM_NODE_TEXT = 3,
  XMLDOM_NODE_CDATA = 4,
  XMLDOM_NODE_OTHER = 5,
};

class XmlDomDocument;
class XmlDomNode;

// What libxml2 reported while the last document was parsed.
struct XmlDomErrors {
  int count = 0;
  std::string first;  // the first message, as libxml2 wrote it
};

// The elements found below one element, in document order.
using XmlDomNodeList = std::vector<XmlDomNode>;

// A handle to one node of a loaded document; valid while the document lives.
// A default-constructed handle is the null node.
class XmlDomNode {
 public:
  XmlDomNode() = default;
  XmlDomNode(XmlDomDocument* owner, _xmlNode* node) : owner_(owner), node_(node) {}

  bool IsNull() const { return node_ == nullptr; }
  XmlDomNodeType get_nodeType() const;
  // The qualified name as written ("fx:FRAME").
  std::string get_nodeName() const;
  // The local name without prefix ("FRAME").
  std::string get_baseName() const;
  // All text and CDATA below the node joined in document order, with the
  // white space at both ends removed. UTF-8.
  std::string get_text() const;

  // Attributes in document order; namespace declarations are not attributes.
  std::size_t GetAttributeCount() const;
  // Qualified name and value of the attribute at `position`; false (and both
  // emptied) when there is no such attribute.
  bool GetAttributeAt(std::size_t position, std::string& name, std::string& value) const;

  // Every element below this node whose qualified name is `qualifiedName`,
  // at any depth, in document order. Computed once per node and name, then
  // served from the document's cache; the reference stays valid until the
  // lists of this node are released or the document goes.
  const XmlDomNodeList& getElementsByTagName(std::string_view qualifiedName) const;
  // Computes the lists of several names in one walk, so that reading many
  // kinds of descendants of one element costs one pass over it. Lists that
  // exist already are kept.
  void PrepareElementsByTagName(std::initializer_list<std::string_view> qualifiedNames) const {
    PrepareElementsByTagName(qualifiedNames.begin(), qualifiedNames.size());
  }
  void PrepareElementsByTagName(const std::string_view* qualifiedNames, std::size_t count) const;
  // Forgets the lists made for this node. A reader that is done with an
  // element calls it, so that nested elements of a hostile file never hold
  // the same large lists all at once.
  void ReleaseElementsByTagName() const;

  _xmlNode* Raw() const { return node_; }

 private:
  XmlDomDocument* owner_ = nullptr;
  _xmlNode* node_ = nullptr;
};

class XmlDomDocument {
 public:
  XmlDomDocument();
  ~XmlDomDocument();
  XmlDomDocument(const XmlDomDocument&) = delete;
  XmlDomDocument& operator=(const XmlDomDocument&) = delete;

  // Loading is always synchronous and never validates or resolves anything
  // external; the switches are kept so the caller can state what it expects,
  // and asking for anything else is an engine error.
  void put_async(bool async);
  void put_validateOnParse(bool validate);
  void put_resolveExternals(bool resolve);

  // Reads the file at `path` and parses it. False when the file cannot be
  // read, is not well-formed (namespaces included) or carries a DOCTYPE.
  // Throws XmlDomError when the engine fails.
  bool load(const std::string& path);
  // The same for bytes already in memory.
  bool LoadBytes(const char* data, std::size_t size);

  // The root element; the null node when nothing is loaded.
  XmlDomNode get_documentElement();

  // The deepest nesting of an element inside elements of its own qualified
  // name, over the names given (0 when none of them nests). One walk.
  std::size_t MaxSameNameNesting(const std::string_view* qualifiedNames, std::size_t count);

  // True when the last load was refused for its DOCTYPE.
  bool HadDoctype() const { return hadDoctype_; }
  // The diagnostics of the last parse, which never go to stderr.
  const XmlDomErrors& Errors() const { return errors_; }

 private:
  friend class XmlDomNode;
  // A qualified name asked for, split once; `dictLocal` is the document's
  // interned copy of the local part (null when no node can carry it).
  struct Name {
    std::string qualified;
    std::string prefix;
    std::string local;
    bool hasPrefix = false;
    const unsigned char* dictLocal = nullptr;
  };
  struct CacheKeyHash {
    std::size_t operator()(const std::pair<_xmlNode*, int>& k) const {
      return std::hash<const void*>()(k.first) ^ (static_cast<std::size_t>(k.second) * 0x9E3779B97F4A7C15ull);
    }
  };

  int NameId(std::string_view qualifiedName);
  bool Matches(const _xmlNode* node, const Name& name) const;
  const XmlDomNodeList& ElementsByName(_xmlNode* root, std::string_view qualifiedName);
  void PrepareElements(_xmlNode* root, const std::string_view* qualifiedNames, std::size_t count);
  void Release(_xmlNode* node);
  void Clear();

  _xmlDoc* doc_ = nullptr;
  bool hadDoctype_ = false;
  XmlDomErrors errors_;
  std::vector<Name> names_;
  std::unordered_map<std::pair<_xmlNode*, int>, XmlDomNodeList, CacheKeyHash> cache_;
  std::size_t cachedNodes_ = 0;  // handles held in cache_, against kXmlMaxCachedNodes
};

// The bounds of one start tag that any real FIBEX file keeps far inside:
// libxml2 checks the attributes of a tag for duplicates pairwise, so a tag
// with 100,000 attributes would take many seconds; a file beyond these
// bounds is refused before it is parsed.
constexpr std::size_t kXmlMaxAttributesPerTag = 256;
constexpr std::size_t kXmlMaxStartTagBytes = 64 * 1024;

// One linear pass over the raw bytes: false when a start tag has more
// attributes or bytes than the bounds allow, or when the document's encoding
// is one whose bytes the pass cannot read (EBCDIC, a declared encoding that
// is not ASCII-compatible). UTF-16 and UCS-4, with or without a byte order
// mark, are read by their code units.
bool XmlStartTagsWithinBounds(const char* data, std::size_t size, std::size_t maxAttributes = kXmlMaxAttributesPerTag,
                              std::size_t maxTagBytes = kXmlMaxStartTagBytes);

// True when the XML engine failed to get memory since the last call, which
// clears the mark. The engine's own reports of that are not to be trusted: a
// failed allocation may look like a malformed file or a missing element.
bool TakeXmlEngineOutOfMemory();
// Test hook: the engine's allocation after `n` more fails (-1 turns it off).
void SetXmlEngineAllocationFailure(long n);

// Creates the engine's document. Tests replace the factory to simulate an
// engine that cannot be created (the factory then returns null).
using XmlDomFactory = std::unique_ptr<XmlDomDocument> (*)();
std::unique_ptr<XmlDomDocument> CreateXmlDomDocument();
// Installs `factory` (null restores the built-in one) and returns the previous one.
XmlDomFactory SetXmlDomFactory(XmlDomFactory factory);
