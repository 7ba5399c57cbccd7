// The XML layer: what loads, what is refused, and the node operations.
#include <gtest/gtest.h>

#include "FibexFixture.h"
#include "XmlDom.h"

namespace {

struct LoadCase {
  const char* what;
  std::string bytes;
  bool loads;
};

TEST(XmlDom, LoadsOnlySafeWellFormedDocuments) {
  const LoadCase cases[] = {
      {"plain", "<a><b/></a>", true},
      {"declared prefixes", "<p:a xmlns:p='u'><p:b/></p:a>", true},
      {"UTF-8 byte order mark", "\xEF\xBB\xBF<a/>", true},
      {"UTF-16 with byte order mark", std::string("\xFF\xFE<\0a\0/\0>\0", 10), true},
      {"internal DTD", "<!DOCTYPE a [<!ENTITY x 'y'>]><a>&x;</a>", false},
      {"DOCTYPE alone", "<!DOCTYPE a><a/>", false},
      {"external DTD", "<!DOCTYPE a SYSTEM 'http://127.0.0.1:1/x.dtd'><a/>", false},
      {"entity bomb", "<!DOCTYPE a [<!ENTITY b 'bbbbbbbb'><!ENTITY c '&b;&b;&b;&b;'>]><a>&c;</a>", false},
      {"undeclared entity", "<a>&x;</a>", false},
      {"undeclared prefix", "<fx:FIBEX><fx:A/></fx:FIBEX>", false},
      {"not closed", "<a><b></a>", false},
      {"two roots", "<a/><b/>", false},
      {"empty", "", false},
      {"gzip bytes are not unpacked", std::string("\x1f\x8b\x08\x00\x00\x00\x00\x00", 8), false},
      {"unknown encoding", "<?xml version='1.0' encoding='no-such-code'?><a/>", false},
  };
  fx::TempDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    XmlDomDocument doc;
    std::string path = dir.Write("t.xml", c.bytes);
    EXPECT_EQ(c.loads, doc.load(path));
    EXPECT_EQ(c.loads, !doc.get_documentElement().IsNull());
  }
}

TEST(XmlDom, DoctypeIsReportedAsTheReason) {
  XmlDomDocument doc;
  std::string s = "<!DOCTYPE a><a/>";
  EXPECT_FALSE(doc.LoadBytes(s.data(), s.size()));
  EXPECT_TRUE(doc.HadDoctype());
}

TEST(XmlDom, PathsAreFilesNotUrls) {
  XmlDomDocument doc;
  EXPECT_FALSE(doc.load("http://127.0.0.1:1/a.xml"));
  EXPECT_FALSE(doc.load("/no/such/folder/a.xml"));
  fx::TempDir dir;
  EXPECT_FALSE(doc.load(dir.Path()));  // a folder
}

TEST(XmlDom, EngineSwitchesOnlyAllowTheSafeSettings) {
  XmlDomDocument doc;
  EXPECT_NO_THROW(doc.put_async(false));
  EXPECT_NO_THROW(doc.put_validateOnParse(false));
  EXPECT_NO_THROW(doc.put_resolveExternals(false));
  EXPECT_THROW(doc.put_resolveExternals(true), XmlDomError);
}

class XmlDomNodes : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string s =
        "<fx:ROOT xmlns:fx='u1' xmlns:ho='u2' xmlns:xsi='u3' xmlns='u4' A='1'>"
        "<fx:X ID='x1' xmlns:extra='u5' xsi:type='t' ho:BASE='b'>  lead <![CDATA[<raw>]]> <fx:Y>inner</fx:Y> tail  "
        "</fx:X>"
        "<other:X xmlns:other='u1' ID='x2'/>"
        "<X ID='x3'/>"
        "<fx:Z><fx:Z><fx:X ID='x4'><fx:X ID='x5'/></fx:X></fx:Z></fx:Z>"
        "<fx:E a1='1' a2='2' a3='3' a4='4' a5='5' a6='6' a7='7'/>"
        "</fx:ROOT>";
    ASSERT_TRUE(doc.LoadBytes(s.data(), s.size()));
    root = doc.get_documentElement();
  }
  XmlDomDocument doc;
  XmlDomNode root;
};

TEST_F(XmlDomNodes, RootNamesAndType) {
  EXPECT_EQ("fx:ROOT", root.get_nodeName());
  EXPECT_EQ("ROOT", root.get_baseName());
  EXPECT_EQ(XMLDOM_NODE_ELEMENT, root.get_nodeType());
  EXPECT_EQ(XMLDOM_NODE_NONE, XmlDomNode().get_nodeType());
}

TEST_F(XmlDomNodes, DescendantsByQualifiedNameInDocumentOrder) {
  const auto& xs = root.getElementsByTagName("fx:X");
  // Prefix as written: other:X and the unprefixed X are not fx:X, even in the
  // same namespace.
  ASSERT_EQ(3u, xs.size());
  std::string n, v;
  std::vector<std::string> ids;
  for (const auto& x : xs) {
    x.GetAttributeAt(0, n, v);
    ids.push_back(v);
  }
  EXPECT_EQ((std::vector<std::string>{"x1", "x4", "x5"}), ids);
  EXPECT_EQ(1u, root.getElementsByTagName("other:X").size());
  EXPECT_EQ(1u, root.getElementsByTagName("X").size());
  EXPECT_EQ(2u, root.getElementsByTagName("fx:Z").size());
  EXPECT_EQ(0u, root.getElementsByTagName("fx:ROOT").size());  // not the element itself
  EXPECT_EQ(0u, root.getElementsByTagName("fx:x").size());     // case matters
  // Below an element, its own descendants only.
  EXPECT_EQ(1u, xs[1].getElementsByTagName("fx:X").size());
  // The list is made once and then served again.
  EXPECT_EQ(&xs, &root.getElementsByTagName("fx:X"));
}

TEST_F(XmlDomNodes, ListsMadeTogetherOrAfterReleaseAreTheSame) {
  root.PrepareElementsByTagName({"fx:Z", "fx:X", "fx:NONE", "X"});
  EXPECT_EQ(2u, root.getElementsByTagName("fx:Z").size());
  EXPECT_EQ(3u, root.getElementsByTagName("fx:X").size());
  EXPECT_EQ(0u, root.getElementsByTagName("fx:NONE").size());
  EXPECT_EQ(1u, root.getElementsByTagName("X").size());
  const XmlDomNode inner = root.getElementsByTagName("fx:Z")[1];
  ASSERT_EQ(2u, inner.getElementsByTagName("fx:X").size());
  root.ReleaseElementsByTagName();
  EXPECT_EQ(2u, inner.getElementsByTagName("fx:X").size());  // other nodes keep theirs
  EXPECT_EQ(3u, root.getElementsByTagName("fx:X").size());
  std::string n, v;
  root.getElementsByTagName("fx:X")[2].GetAttributeAt(0, n, v);
  EXPECT_EQ("x5", v);
}

TEST_F(XmlDomNodes, AttributesByPositionWithoutNamespaceDeclarations) {
  const XmlDomNode& x1 = root.getElementsByTagName("fx:X")[0];
  ASSERT_EQ(3u, x1.GetAttributeCount());
  std::string n, v;
  ASSERT_TRUE(x1.GetAttributeAt(0, n, v));
  EXPECT_EQ("ID", n);
  EXPECT_EQ("x1", v);
  ASSERT_TRUE(x1.GetAttributeAt(1, n, v));
  EXPECT_EQ("xsi:type", n);
  EXPECT_EQ("t", v);
  ASSERT_TRUE(x1.GetAttributeAt(2, n, v));
  EXPECT_EQ("ho:BASE", n);
  EXPECT_FALSE(x1.GetAttributeAt(3, n, v));
  EXPECT_EQ("", n);
  EXPECT_EQ("", v);
  EXPECT_EQ(1u, root.GetAttributeCount());
  EXPECT_EQ(7u, root.getElementsByTagName("fx:E")[0].GetAttributeCount());
}

TEST_F(XmlDomNodes, TextIsTrimmedConcatenationOfTextAndCdata) {
  const XmlDomNode& x1 = root.getElementsByTagName("fx:X")[0];
  EXPECT_EQ("lead <raw> inner tail", x1.get_text());
  EXPECT_EQ("", root.getElementsByTagName("fx:E")[0].get_text());
}

// What the engine hands over in pieces (references, sections, comments
// between the text) reads back as the tree of the document would give it.
TEST(XmlDom, ValuesAndTextReadAsWritten) {
  const std::string s =
      "<r a='x&amp;y&lt;z&#38;&#60;&#x26;' b='&amp;#38;' c='1&#9;2'>"
      "<t>a&amp;b<!-- c --><?p q?>&lt;<![CDATA[&amp;]]>&#65;</t><e/><u>  </u></r>";
  XmlDomDocument doc;
  ASSERT_TRUE(doc.LoadBytes(s.data(), s.size()));
  const XmlDomNode root = doc.get_documentElement();
  std::string n, v;
  ASSERT_TRUE(root.GetAttributeAt(0, n, v));
  EXPECT_EQ("x&y<z&<&", v);
  ASSERT_TRUE(root.GetAttributeAt(1, n, v));
  EXPECT_EQ("&#38;", v);  // an escaped reference stays text
  ASSERT_TRUE(root.GetAttributeAt(2, n, v));
  EXPECT_EQ("1\t2", v);
  EXPECT_EQ("a&b<&amp;A", root.getElementsByTagName("t")[0].get_text());
  EXPECT_EQ("", root.getElementsByTagName("e")[0].get_text());
  EXPECT_EQ("", root.getElementsByTagName("u")[0].get_text());
  EXPECT_EQ("a&b<&amp;A", root.get_text());
  EXPECT_EQ(0u, root.getElementsByTagName("e")[0].GetAttributeCount());
}

// Names cost the engine a dictionary entry each: a document of more
// different names than the reader keeps is refused before it is read.
TEST(XmlDom, MoreNamesThanKeptAreRefused) {
  auto document = [](std::size_t names) {
    std::string s = "<r b0=''>";  // r and b0 are two names
    for (std::size_t i = 2; i < names; ++i) s += "<a" + std::to_string(i) + "/>";
    return s + "</r>";
  };
  XmlDomDocument doc;
  const std::string most = document(kXmlMaxNames);
  EXPECT_TRUE(doc.LoadBytes(most.data(), most.size()));
  EXPECT_FALSE(doc.HadTooManyNames());
  const std::string tooMany = document(kXmlMaxNames + 1);
  EXPECT_FALSE(doc.LoadBytes(tooMany.data(), tooMany.size()));
  EXPECT_TRUE(doc.HadTooManyNames());
  EXPECT_TRUE(doc.get_documentElement().IsNull());
  // The same name with another prefix for the same namespace is another name.
  const std::string prefixes = "<p:r xmlns:p='u' xmlns:q='u'><q:r/><p:r/></p:r>";
  ASSERT_TRUE(doc.LoadBytes(prefixes.data(), prefixes.size()));
  EXPECT_EQ(1u, doc.get_documentElement().getElementsByTagName("p:r").size());
  EXPECT_EQ(1u, doc.get_documentElement().getElementsByTagName("q:r").size());
}

TEST(XmlDom, DeepDocumentsAreRefusedOrWalkedWithoutRecursion) {
  // The parser's own depth limit refuses very deep nesting; what loads is
  // walked without recursion.
  std::string deep;
  for (int i = 0; i < 200; ++i) deep += "<a>";
  deep += "x";
  for (int i = 0; i < 200; ++i) deep += "</a>";
  XmlDomDocument doc;
  ASSERT_TRUE(doc.LoadBytes(deep.data(), deep.size()));
  EXPECT_EQ(199u, doc.get_documentElement().getElementsByTagName("a").size());
  EXPECT_EQ("x", doc.get_documentElement().get_text());

  std::string deeper;
  for (int i = 0; i < 100000; ++i) deeper += "<a>";
  EXPECT_FALSE(doc.LoadBytes(deeper.data(), deeper.size()));
}

std::unique_ptr<XmlDomDocument> NoEngine() { return nullptr; }

TEST(XmlDom, FactoryCanBeReplaced) {
  XmlDomFactory previous = SetXmlDomFactory(&NoEngine);
  EXPECT_EQ(nullptr, CreateXmlDomDocument());
  SetXmlDomFactory(previous);
  EXPECT_NE(nullptr, CreateXmlDomDocument());
}

}  // namespace
