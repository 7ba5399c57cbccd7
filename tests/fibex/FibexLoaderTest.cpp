// The list loader's view of the FIBEX reader: what each result of the import
// becomes for the list window, and that a failure leaves the list empty.
#include <gtest/gtest.h>

#include "DocFixture.h"
#include "FibexFixture.h"
#include "FibexImport.h"
#include "ListLoad.h"
#include "RecordingMessageSink.h"
#include "TextFile.h"
#include "VestrelDoc.h"

namespace {

std::string GoodFibex() {
  fx::Parts p;
  p.clusters.push_back(fx::Cluster("CL1", {"CH1"}));
  p.channels.push_back(fx::Channel("CH1", {fx::Triggering("FT1", "F1", {{1, 0, 1}})}));
  p.frames.push_back(fx::Frame("F1", "A", 8, {fx::Instance("I1", 0, "S1")}));
  p.signals.push_back(fx::Signal("S1", "Sig"));
  return fx::Document(p);
}

std::unique_ptr<XmlDomDocument> NoEngine() { return nullptr; }

struct LoaderCase {
  const char* what;
  const char* file;
  std::string text;
  bool engineFails;
  int result;
  int flexRaySignals;
};

DOC_TEST(FibexLoader, ImportResultsBecomeTheListsMessages) {
  const std::string good = GoodFibex();
  const LoaderCase cases[] = {
      {"loaded", "a.xml", good, false, 0, 1},
      {"extension in capitals", "b.XML", good, false, 0, 1},
      {"not FIBEX", "c.xml", "<root/>", false, 4006, 0},
      {"DOCTYPE", "d.xml", "<!DOCTYPE x>\n" + good.substr(good.find('\n') + 1), false, 4006, 0},
      {"no engine", "e.xml", good, true, 4007, 0},
  };
  fx::TempDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    CVestrelDoc& rowDoc = NewDoc();
    RecordingMessageSink sink;
    // Something of the list that a load replaces when it succeeds and keeps
    // when it fails.
    _CANMsg* old = rowDoc.AllocCanMsg();
    CopyToCharBuffer(old->name, "OLD", MAX_NAME_LEN);
    rowDoc.AddCanSignal(old, rowDoc.AllocCanSignal());
    rowDoc.AddCanMsg(old, LIST_REFERENCE);
    XmlDomFactory previous = c.engineFails ? SetXmlDomFactory(&NoEngine) : nullptr;
    LoadOutcome o = LoadListFile(rowDoc, LIST_REFERENCE, dir.Write(c.file, c.text), BUS_CAN);
    if (c.engineFails) SetXmlDomFactory(previous);
    EXPECT_EQ(c.result, o.result);
    EXPECT_EQ(c.result == 0, o.replaced);
    EXPECT_EQ(c.result == 0 ? 0 : 1, rowDoc.CountCanSignals(LIST_REFERENCE));
    EXPECT_EQ(c.flexRaySignals, rowDoc.CountFlexRaySignals(LIST_REFERENCE));
    if (c.result == 0) {
      EXPECT_EQ(BUS_FLEXRAY, o.busAfter);
    }
    EXPECT_TRUE(sink.shown.empty());  // the list window shows the result, not the reader
  }
}

DOC_TEST(FibexLoader, DefinitionListRefusesFibexBeforeClearingAnything) {
  fx::TempDir dir;
  LoadOutcome o = LoadListFile(doc, LIST_DEFINITION, dir.Write("a.xml", GoodFibex()), BUS_CAN);
  EXPECT_EQ(4006, o.result);
  EXPECT_FALSE(o.replaced);
}

}  // namespace
