// A small read-only XML document object model over libxml2, with just the
// operations the FIBEX reader needs: load a file synchronously, the document
// element, descendants by qualified name, attributes by position, node type,
// names and text.
//
// libxml2 only parses (through its SAX interface); no tree of its nodes is
// built. What the reader needs is kept in a compact index: one fixed-size
// entry per element in document order, one per attribute, and the text and
// attribute values as bytes, so that a file of nothing but the smallest
// elements takes a few times its own size, not the tens of times a node
// object per element would.
//
// Loading is deliberately narrow. The file's bytes are read here and handed
// to the parser, so a path is never taken as a URL and compressed files are
// not unpacked; nothing is fetched from the network; entities are never
// expanded; a document that carries a DOCTYPE is refused outright, so no DTD
// is ever processed. Namespace prefixes must be declared. The parse ends at
// the first error that fails the file.
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

#include "ChunkedArray.h"

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

// At most this many different qualified names of elements and attributes
// and targets of processing instructions: a FIBEX schema has a few hundred.
// Every new name costs the engine and the index a dictionary entry of several
// times the bytes it takes in the file.
constexpr std::size_t kXmlMaxNames = 65536;

// At most this many different namespace names and prefixes declared: a FIBEX
// file declares a handful. Each new one is an entry of the engine's
// dictionary, whose lookups slow down with every entry once it is large, so
// that a file declaring a new namespace on every element takes a time that
// grows with the square of its size.
constexpr std::size_t kXmlMaxNamespaces = 65536;

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
  XmlDomNode(XmlDomDocument* owner, std::uint32_t element) : owner_(owner), element_(element) {}

  bool IsNull() const { return owner_ == nullptr; }
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

 private:
  XmlDomDocument* owner_ = nullptr;
  std::uint32_t element_ = 0;  // index of the element in document order
};

class XmlDomDocument {
 public:
  // `maxCachedNodes` bounds the handles of the element lists; tests lower it.
  explicit XmlDomDocument(std::size_t maxCachedNodes = kXmlMaxCachedNodes);
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
  // True when the last load was refused for more names than kXmlMaxNames.
  bool HadTooManyNames() const { return tooManyNames_; }
  // True when the last load was refused for more namespace names and
  // prefixes than kXmlMaxNamespaces.
  bool HadTooManyNamespaces() const { return tooManyNamespaces_; }
  // The diagnostics of the last parse, which never go to stderr.
  const XmlDomErrors& Errors() const { return errors_; }

 private:
  friend class XmlDomNode;
  friend struct XmlDomBuilder;

  // One element: its qualified name, the index one past its last descendant
  // (elements are in document order), its first attribute, and its text
  // below it as a range of the text bytes.
  struct Element {
    std::uint32_t name;
    std::uint32_t end;
    std::uint32_t firstAttribute;
    std::uint32_t textBegin;
    std::uint32_t textEnd;
  };
  struct Attribute {
    std::uint32_t name;
    std::uint32_t valueBegin;  // the value runs to the next attribute's
  };
  // A qualified name of the document, split once.
  struct QName {
    std::string qualified;
    std::size_t localStart = 0;  // the local part begins after the prefix and ':'
  };
  // Bytes appended in chunks, never moved.
  class ByteStore {
   public:
    std::size_t size() const { return size_; }
    void Append(const char* data, std::size_t n);
    void CopyOut(std::size_t begin, std::size_t end, std::string& out) const;
    void Clear();

   private:
    static constexpr std::size_t kChunk = std::size_t{1} << 20;
    std::vector<std::unique_ptr<char[]>> chunks_;
    std::size_t size_ = 0;
  };
  // A qualified name asked for, and the document's name it stands for.
  struct Wanted {
    std::string qualified;
    std::uint32_t name = 0;  // kNoName when no element carries it
  };
  static constexpr std::uint32_t kNoName = 0xFFFFFFFFu;
  struct CacheKeyHash {
    std::size_t operator()(const std::pair<std::uint32_t, int>& k) const {
      return (static_cast<std::size_t>(k.first) * 0x9E3779B97F4A7C15ull) ^ static_cast<std::size_t>(k.second);
    }
  };

  // `owned`, when given, holds the bytes and is emptied once the engine has
  // taken its copy.
  bool Parse(const char* data, std::size_t size, std::string* owned);
  int NameId(std::string_view qualifiedName);
  const XmlDomNodeList& ElementsByName(std::uint32_t root, std::string_view qualifiedName);
  void PrepareElements(std::uint32_t root, const std::string_view* qualifiedNames, std::size_t count);
  void Release(std::uint32_t element);
  void Clear();
  std::size_t AttributeEnd(std::uint32_t element) const;
  std::size_t ValueEnd(std::size_t attribute) const;

  bool loaded_ = false;
  bool hadDoctype_ = false;
  bool tooManyNames_ = false;
  bool tooManyNamespaces_ = false;
  XmlDomErrors errors_;
  ChunkedArray<Element> elements_;
  ChunkedArray<Attribute> attributes_;
  ByteStore text_;
  ByteStore values_;
  std::vector<QName> names_;
  std::vector<Wanted> wanted_;
  std::unordered_map<std::pair<std::uint32_t, int>, XmlDomNodeList, CacheKeyHash> cache_;
  std::size_t maxCachedNodes_;
  std::size_t cachedNodes_ = 0;  // handles held in cache_, against maxCachedNodes_
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
