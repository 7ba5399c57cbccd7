// The FIBEX reader's bounds against hostile files: over-long start tags are
// refused before parsing, same-kind nesting is capped, names (instruction
// targets included), namespaces declared and the element lists are bounded,
// a malformed file's parse ends at its first error, and libxml2's
// diagnostics never reach stderr.
#include "DocFixture.h"
#include "FibexFixture.h"
#include "FibexImport.h"
#include "ListLoad.h"
#include "ListTestUtil.h"
#include "MsgIds.h"
#include "RecordingMessageSink.h"
#include "XmlDom.h"

#include <libxml/parser.h>
#include <libxml/xmlerror.h>

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

fx::Parts GoodParts() {
  fx::Parts p;
  p.clusters.push_back(fx::Cluster("CL1", {"CH1"}));
  p.channels.push_back(fx::Channel("CH1", {fx::Triggering("FT1", "F1", {{1, 0, 1}})}));
  p.frames.push_back(fx::Frame("F1", "A", 8, {fx::Instance("I1", 0, "S1")}));
  p.signals.push_back(fx::Signal("S1", "Sig"));
  return p;
}

std::string GoodFibex() { return fx::Document(GoodParts()); }

std::string Attributes(int n, const std::string& value = "1") {
  std::string s;
  for (int i = 0; i < n; ++i) s += " a" + std::to_string(i) + "=\"" + value + "\"";
  return s;
}

// The same text as UTF-16 little endian with a byte order mark.
std::string Utf16Le(const std::string& ascii) {
  std::string out = "\xFF\xFE";
  for (char c : ascii) out += std::string(1, c) + '\0';
  return out;
}

// The good document with `count` units of `format` (numbered by %d, which
// may appear twice) among its units.
std::string WithUnits(const char* format, std::size_t count) {
  fx::Parts p = GoodParts();
  std::string units;
  char unit[64];
  for (std::size_t i = 0; i < count; ++i) {
    std::snprintf(unit, sizeof unit, format, static_cast<int>(i), static_cast<int>(i));
    units += unit;
  }
  p.units.push_back(units);
  return fx::Document(p);
}

// Each text, loaded into the reference list, gives its result.
struct ResultCase {
  const char* what;
  std::string text;
  int result;
};

void ExpectLoadResults(CVestrelDoc& doc, std::initializer_list<ResultCase> cases) {
  fx::TempDir dir;
  RecordingMessageSink sink;
  for (const ResultCase& c : cases)
    EXPECT_EQ(LoadListFile(doc, LIST_REFERENCE, dir.Write("bound.xml", c.text), BUS_CAN).result, c.result) << c.what;
}

struct BoundCase {
  const char* what;
  std::string bytes;
  bool accepted;
};

}  // namespace

DOC_TEST(StartTagBounds, AttributesAndBytesPerTag) {
  const std::string head = "<?xml version=\"1.0\"?>\n<r";
  const BoundCase cases[] = {
      {"256 attributes", head + Attributes(256) + "/>", true},
      {"257 attributes", head + Attributes(257) + "/>", false},
      {"'=' inside values does not count", head + Attributes(200, "a=b=c=d") + "/>", true},
      {"'>' inside a value does not end the tag", "<r a=\">\"" + Attributes(257) + "/>", false},
      {"attributes in a comment do not count", "<r><!-- <x" + Attributes(300) + "> --></r>", true},
      {"attributes in CDATA do not count", "<r><![CDATA[<x" + Attributes(300) + ">]]></r>", true},
      {"a tag just under 64 KB", "<r a=\"" + std::string(65000, 'x') + "\"/>", true},
      {"a tag over 64 KB", "<r a=\"" + std::string(66000, 'x') + "\"/>", false},
      {"an unclosed tag over 64 KB", "<r a=\"" + std::string(70000, 'x'), false},
      {"UTF-16 with 257 attributes", Utf16Le("<?xml version=\"1.0\"?><r" + Attributes(257) + "/>"), false},
      {"UTF-16 with 256 attributes", Utf16Le("<?xml version=\"1.0\"?><r" + Attributes(256) + "/>"), true},
      {"EBCDIC", "\x4C\x6F\xA7\x94\x93", false},
      {"a declared encoding that is not ASCII-compatible", "<?xml version=\"1.0\" encoding=\"IBM037\"?><r/>", false},
      {"a declared Shift_JIS", "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><r/>", true},
  };
  for (const BoundCase& c : cases)
    EXPECT_EQ(XmlStartTagsWithinBounds(c.bytes.data(), c.bytes.size()), c.accepted) << c.what;
}

// 100,000 attributes on one element of a real FIBEX file: a failed load, at
// once (libxml2 alone takes many seconds on it).
DOC_TEST(StartTagBounds, AHostileFibexFileIsAFailedLoad) {
  std::string good = GoodFibex();
  std::size_t at = good.find("<fx:FRAME ");
  ASSERT_NE(at, std::string::npos);
  std::string hostile = good;
  hostile.insert(at + 9, Attributes(100000));
  fx::TempDir dir;
  RecordingMessageSink sink;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(LoadListFile(doc, LIST_REFERENCE, dir.Write("hostile.xml", hostile), BUS_CAN).result, 4006);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(LoadListFile(doc, LIST_REFERENCE, dir.Write("good.xml", good), BUS_CAN).result, 0);
}

// Frames nested in frames: up to four levels are read, deeper nesting of any
// walked kind is a failed load.
DOC_TEST(NestingBound, SameKindNestedTooDeepIsRefused) {
  auto nested = [](const std::string& open, const std::string& close, int depth) {
    fx::Parts p;
    p.clusters.push_back(fx::Cluster("CL1", {"CH1"}));
    p.channels.push_back(fx::Channel("CH1", {fx::Triggering("FT1", "F1", {{1, 0, 1}})}));
    std::string frame = fx::Frame("F1", "A", 8, {fx::Instance("I1", 0, "S1")});
    for (int d = 1; d < depth; ++d) frame = open + frame + close;
    p.frames.push_back(frame);
    p.signals.push_back(fx::Signal("S1", "Sig"));
    return fx::Document(p);
  };
  fx::TempDir dir;
  RecordingMessageSink sink;
  const std::string frameOpen = "<fx:FRAME ID=\"X\"><ho:SHORT-NAME>X</ho:SHORT-NAME>", frameClose = "</fx:FRAME>";
  EXPECT_EQ(LoadListFile(doc, LIST_REFERENCE, dir.Write("five.xml", nested(frameOpen, frameClose, 5)), BUS_CAN).result,
            0);
  EXPECT_EQ(LoadListFile(doc, LIST_REFERENCE, dir.Write("six.xml", nested(frameOpen, frameClose, 6)), BUS_CAN).result,
            4006);
  EXPECT_EQ(
      LoadListFile(doc, LIST_REFERENCE, dir.Write("deep.xml", nested(frameOpen, frameClose, 240)), BUS_CAN).result,
      4006);
  // Another kind nested as deep: signals inside signals.
  EXPECT_EQ(LoadListFile(doc, LIST_REFERENCE, dir.Write("sig.xml", nested("<fx:SIGNAL ID=\"Q\">", "</fx:SIGNAL>", 7)),
                         BUS_CAN)
                .result,
            4006);

  XmlDomDocument xml;
  const std::string text = "<r><a><b><a><a/></a></b></a><a/></r>";
  ASSERT_TRUE(xml.LoadBytes(text.data(), text.size()));
  const std::string_view names[] = {"a", "b", "r"};
  EXPECT_EQ(xml.MaxSameNameNesting(names, 3), 2u);
  const std::string_view justB[] = {"b"};
  EXPECT_EQ(xml.MaxSameNameNesting(justB, 1), 0u);
}

// A namespace declared anew on element after element costs the engine's
// dictionary an entry each: past 65,536 different names and prefixes
// declared the file is refused with its own message. The fixture's root
// declares four prefixes and their four names.
DOC_TEST(NamespaceBound, MoreNamespacesThanKeptAreRefused) {
  ExpectLoadResults(
      doc, {
               {"a new default namespace on each element, up to the bound",
                WithUnits("<x xmlns=\"u%d\"/>", kXmlMaxNamespaces - 8), 0},
               {"one more", WithUnits("<x xmlns=\"u%d\"/>", kXmlMaxNamespaces - 7), IDS_MSG_XML_TOO_MANY_NAMESPACES},
               {"a new prefix and name on each element", WithUnits("<x xmlns:p%d=\"u%d\"/>", 40000),
                IDS_MSG_XML_TOO_MANY_NAMESPACES},
               {"the same namespace declared again on each element", WithUnits("<x xmlns=\"u\"/>", 100000), 0},
           });
}

// The targets of processing instructions are names of the engine's
// dictionary like those of elements, and count against the same bound.
DOC_TEST(NameBound, InstructionTargetsCountAsNames) {
  ExpectLoadResults(doc, {
                             {"a different target on each instruction", WithUnits("<?p%d?>", kXmlMaxNames),
                              IDS_MSG_XML_TOO_MANY_NAMES},
                             {"the same target on each instruction", WithUnits("<?p?>", kXmlMaxNames + 10), 0},
                         });
}

// A file that is not well-formed is a failed load as ever, and its parse
// ends at the first error: read on, each further undefined name would be
// another entry of the engine's dictionary.
DOC_TEST(MalformedStop, TheParseEndsAtTheFirstError) {
  const struct {
    const char* what;
    std::string text;
  } cases[] = {
      {"undefined entities", WithUnits("&e%d;", 5)},
      {"undefined entities in values", WithUnits("<x b=\"&e%d;\"/>", 5)},
      {"end tags that close nothing", WithUnits("<x></y%d>", 5)},
      {"undeclared prefixes", WithUnits("<p%d:x/>", 5)},
      {"a DOCTYPE after an error",
       "<!-- -- --><!DOCTYPE r [%p1;%p2;%p3;%p4;%p5;]>" + GoodFibex().substr(GoodFibex().find('\n'))},
  };
  fx::TempDir dir;
  RecordingMessageSink sink;
  for (const auto& c : cases) {
    const std::string path = dir.Write("bad.xml", c.text);
    EXPECT_EQ(LoadListFile(doc, LIST_REFERENCE, path, BUS_CAN).result, IDS_MSG_LOAD_FAILED) << c.what;
    XmlDomDocument xml;
    EXPECT_FALSE(xml.load(path)) << c.what;
    // The start tag the error was found in may add a second.
    EXPECT_LE(xml.Errors().count, 2) << c.what << ": " << xml.Errors().first;
  }
}

// More elements of the kinds read than the element lists hold is a refusal
// of its own; the engine's cap is lowered to a few dozen handles here.
DOC_TEST(ElementListBound, MoreElementsThanTheListsHoldAreRefused) {
  const XmlDomFactory previous = SetXmlDomFactory([] { return std::make_unique<XmlDomDocument>(64); });
  auto frames = [](int count) {
    fx::Parts p = GoodParts();
    for (int i = 0; i < count; ++i) p.frames.push_back(fx::Frame("G" + std::to_string(i), "G", 8, {}));
    return fx::Document(p);
  };
  fx::TempDir dir;
  RecordingMessageSink sink;
  EXPECT_EQ(LoadListFile(doc, LIST_REFERENCE, dir.Write("few.xml", frames(10)), BUS_CAN).result, 0);
  EXPECT_EQ(LoadListFile(doc, LIST_REFERENCE, dir.Write("many.xml", frames(100)), BUS_CAN).result,
            IDS_MSG_XML_TOO_MANY_ELEMENTS);
  SetXmlDomFactory(previous);
}

// libxml2's diagnostics, also those raised without a parser (a failing
// encoding converter), go to the parse's handler, never to stderr, and the
// thread's handlers are as they were afterwards.
DOC_TEST(XmlDiagnostics, NeverReachStderrAndLeaveNoHandlerBehind) {
  const std::string badBytes = "<?xml version=\"1.0\" encoding=\"EUC-JP\"?><r>\xA1\x01\xFF\xFE</r>";
  const std::string badUtf8 = "<?xml version=\"1.0\"?><r>\xC3\x28</r>";
  std::fflush(stderr);
  char name[] = "/tmp/vr_stderr_XXXXXX";
  int capture = ::mkstemp(name);
  ASSERT_GE(capture, 0);
  int saved = ::dup(2);
  ::dup2(capture, 2);
  const xmlGenericErrorFunc genericBefore = xmlGenericError;
  void* const genericContextBefore = xmlGenericErrorContext;
  XmlDomDocument xml;
  const bool first = xml.LoadBytes(badBytes.data(), badBytes.size());
  const int firstErrors = xml.Errors().count;
  const bool second = xml.LoadBytes(badUtf8.data(), badUtf8.size());
  const int secondErrors = xml.Errors().count;
  std::fflush(stderr);
  ::dup2(saved, 2);
  ::close(saved);
  std::string printed;
  std::FILE* f = std::fopen(name, "rb");
  for (int c; f && (c = std::fgetc(f)) != EOF;) printed += static_cast<char>(c);
  if (f) std::fclose(f);
  ::close(capture);
  std::remove(name);
  EXPECT_FALSE(first);
  EXPECT_FALSE(second);
  EXPECT_GT(firstErrors, 0);
  EXPECT_GT(secondErrors, 0);
  EXPECT_EQ(printed, "");
  EXPECT_EQ(xmlStructuredError, nullptr);
  EXPECT_EQ(xmlStructuredErrorContext, nullptr);
  EXPECT_EQ(xmlGenericError, genericBefore);
  EXPECT_EQ(xmlGenericErrorContext, genericContextBefore);
}
