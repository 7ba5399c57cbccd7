// Whole imports of hand-written FIBEX files into the reference list.
#include <gtest/gtest.h>

#include <cstring>

#include "DocFixture.h"
#include "FibexBuild.h"
#include "FibexFixture.h"
#include "FibexImport.h"
#include "RecordingMessageSink.h"
#include "TextFile.h"
#include "VestrelDoc.h"

namespace {

using fx::Timing;

// Each frame gets one triggering with `timings`.
struct Net : fx::OneChannel {
  void AddFrame(const std::string& id, const std::string& name, int bytes, const std::vector<std::string>& inst,
                const std::vector<Timing>& timings = {{1, 0, 1}}) {
    frames.push_back(fx::Frame(id, name, bytes, inst));
    triggerings.push_back(fx::Triggering("FT_" + id, id, timings));
  }
};

class FibexImport : public vrtest::DocTest {
 protected:
  int Import(const std::string& text, int list = LIST_REFERENCE) {
    return ImportFibexFile(doc, dir.Write("f.xml", text), nullptr, list);
  }
  int Import(const Net& net) { return Import(net.Text()); }
  const NameMap<_FlexRayMsg>& Frames() const { return doc.GetFlexRayMsgTable(LIST_REFERENCE); }
  const _FlexRayMsg* FrameNamed(const char* name) const { return Frames().Find(MakeUpperString(name)); }
  const _FlexRaySignal* SignalOf(const char* frame, const char* signal) const {
    const _FlexRayMsg* m = FrameNamed(frame);
    return m ? m->signals.Find(MakeUpperString(signal)) : nullptr;
  }

  fx::TempDir dir;
  RecordingMessageSink sink;
};

TEST_F(FibexImport, TimingsGiveOneFramePerSlotWithItsOwnSignals) {
  Net n;
  n.AddFrame("F1", "A", 8, {fx::Instance("I1", 0, "S1"), fx::Instance("I2", 16, "S2")},
             {{5, 0, 4}, {6, 1, 4}, {7, 2, 8}});
  n.signals = {fx::Signal("S1", "Speed", "C1"), fx::Signal("S2", "Temp", "C2")};
  n.codings = {fx::Coding("C1", "A_UINT16", 16, "LINEAR", "U1", {{"VALID", 0, 1000}}, {"0", "0.5"}),
               fx::Coding("C2", "A_INT8", 8, "IDENTICAL", "", {{"VALID", -40, 100}, {"NOT-VALID", 90, 127}})};
  n.units = {fx::Unit("U1", "km/h")};
  ASSERT_EQ(FIBEX_OK, Import(n));
  ASSERT_EQ(3u, Frames().size());
  const struct {
    const char* name;
    unsigned slot;
    int base, rep;
  } expected[] = {{"A", 5, 0, 4}, {"A_6", 6, 1, 4}, {"A_7", 7, 2, 8}};
  for (const auto& e : expected) {
    SCOPED_TRACE(e.name);
    const _FlexRayMsg* m = FrameNamed(e.name);
    ASSERT_NE(nullptr, m);
    EXPECT_STREQ(e.name, m->name);
    EXPECT_EQ(e.slot, m->slotId);
    EXPECT_EQ(e.base, m->baseCycle);
    EXPECT_EQ(e.rep, m->cycleRepetition);
    EXPECT_EQ(8, m->byteCount);
    EXPECT_EQ(FRAME_STD, m->frameFormat);
    ASSERT_EQ(2u, m->signals.size());
    const _FlexRaySignal* speed = m->signals.Find("SPEED");
    ASSERT_NE(nullptr, speed);
    EXPECT_STREQ("Speed", speed->name);
    EXPECT_EQ(0, speed->startBit);
    EXPECT_EQ(16, speed->bitCount);
    EXPECT_EQ(BYTEORDER_LITTLE, speed->byteOrder);
    EXPECT_EQ(BITORDER_LSB_FIRST, speed->bitOrder);
    EXPECT_EQ(VALTYPE_UNSIGNED, speed->valueType);
    EXPECT_EQ(0.5, speed->factor);
    EXPECT_EQ(0.0, speed->offset);
    EXPECT_EQ(0.0, speed->minimum);
    EXPECT_EQ(500.0, speed->maximum);
    EXPECT_STREQ("km/h", speed->unit);
    EXPECT_EQ(0, speed->identicalCoding);
    EXPECT_EQ(0, speed->importError);
    const _FlexRaySignal* temp = m->signals.Find("TEMP");
    ASSERT_NE(nullptr, temp);
    EXPECT_EQ(16, temp->startBit);
    EXPECT_EQ(8, temp->bitCount);
    EXPECT_EQ(VALTYPE_SIGNED, temp->valueType);
    EXPECT_EQ(90.0, temp->minimum);  // VALID -40..100 meets NOT-VALID 90..127
    EXPECT_EQ(100.0, temp->maximum);
    EXPECT_STREQ("", temp->unit);
  }
  EXPECT_TRUE(sink.shown.empty());
}

TEST_F(FibexImport, FramesThatCannotBeBuiltAreLeftOut) {
  struct Case {
    const char* what;
    std::string protocol;
    std::vector<Timing> timings;
    std::string rawTiming;
  };
  const Case cases[] = {
      {"two slot identifiers, one base cycle", "FlexRay", {{1, 0, 1}}, "<fx:SLOT-ID>2</fx:SLOT-ID>"},
      {"no timing", "FlexRay", {}, ""},
      {"CAN cluster", "CAN", {{1, 0, 1}}, ""},
      {"protocol in lower case", "flexray", {{1, 0, 1}}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    CVestrelDoc& fresh = NewDoc();
    fx::Parts p;
    p.clusters.push_back(fx::Cluster("CL1", {"CH1"}, c.protocol));
    p.channels.push_back(fx::Channel("CH1", {fx::Triggering("FT1", "F1", c.timings, c.rawTiming)}));
    // A FlexRay cluster of no frames beside it: the file is one for the FlexRay list.
    p.clusters.push_back(fx::Cluster("CL2", {"CH2"}));
    p.channels.push_back(fx::Channel("CH2", {}));
    p.frames.push_back(fx::Frame("F1", "A", 8, {fx::Instance("I1", 0, "S1")}));
    p.signals.push_back(fx::Signal("S1", "Sig"));
    EXPECT_EQ(FIBEX_OK, ImportFibexFile(fresh, dir.Write("c.xml", fx::Document(p)), nullptr, LIST_REFERENCE));
    EXPECT_EQ(0u, fresh.GetFlexRayMsgTable(LIST_REFERENCE).size());
  }
}

TEST_F(FibexImport, OversizedFrameIsCutAndEverySignalFlagged) {
  Net n;
  n.AddFrame("F1", "Big", 300,
             {fx::Instance("I1", 0, "S1"), fx::Instance("I2", 2390, "S2"), fx::Instance("I3", 5000, "S3"),
              fx::Instance("I4", 2100, "S4")});
  n.signals = {fx::Signal("S1", "One", "C8"), fx::Signal("S2", "Two", "C16"), fx::Signal("S3", "Three", "C8"),
               fx::Signal("S4", "Table", "CT")};
  n.codings = {fx::Coding("C8", "A_UINT8", 8, "IDENTICAL"), fx::Coding("C16", "A_UINT16", 16, "IDENTICAL"),
               fx::Coding("CT", "A_UINT8", 8, "TEXTTABLE")};
  ASSERT_EQ(FIBEX_OK, Import(n));
  const _FlexRayMsg* m = FrameNamed("Big");
  ASSERT_NE(nullptr, m);
  EXPECT_EQ(254, m->byteCount);
  ASSERT_EQ(4u, m->signals.size());
  for (const auto& e : m->signals) {
    SCOPED_TRACE(e.value->name);
    EXPECT_EQ(1, e.value->importError);
    EXPECT_GE(e.value->startBit, 0);
    EXPECT_LE(e.value->startBit, 2399);
  }
  EXPECT_EQ(2390, SignalOf("Big", "Two")->startBit);
  EXPECT_EQ(10, SignalOf("Big", "Two")->bitCount);  // cut at 2400 bits
  EXPECT_EQ(2399, SignalOf("Big", "Three")->startBit);
  EXPECT_EQ(1, SignalOf("Big", "Three")->bitCount);
  // A coding taken unscaled warns, and the signal past the stored 254 bytes
  // still cannot be added.
  EXPECT_EQ(2100, SignalOf("Big", "Table")->startBit);
  EXPECT_EQ(1, SignalOf("Big", "Table")->identicalCoding);
}

TEST_F(FibexImport, SignalPlacementClampsAndFlags) {
  struct Case {
    const char* what;
    int bytes;
    int bitPosition;
    std::string coding;  // "" for none
    std::vector<Timing> timing;
    int start, count;
    int warning, error;
    double factor, min, max;
  };
  const Case cases[] = {
      {"16 bits from bit 60 of 8 bytes", 8, 60, "C16", {{1, 0, 1}}, 60, 4, 0, 1, 1, 0, 65535},
      {"no coding fills the frame", 2, 0, "", {{1, 0, 1}}, 0, 16, 0, 0, 1, 0, 0},
      {"base cycle equal to repetition", 8, 0, "C16", {{1, 4, 4}}, 0, 16, 0, 1, 1, 0, 65535},
      {"repetition 0", 8, 0, "C16", {{1, 0, 0}}, 0, 16, 0, 1, 1, 0, 65535},
      {"base cycle 64", 8, 0, "C16", {{1, 64, 64}}, 0, 16, 0, 1, 1, 0, 65535},
      {"text table warns", 8, 0, "CT", {{1, 0, 1}}, 0, 4, 1, 0, 1, 0, 15},
      {"text table with bad timing errs", 8, 0, "CT", {{1, 2, 2}}, 0, 4, 0, 1, 1, 0, 15},
      {"negative bit position", 8, -20, "C16", {{1, 0, 1}}, 0, 16, 0, 0, 1, 0, 65535},
      {"negative byte length", -3, 0, "C16", {{1, 0, 1}}, 0, 0, 0, 1, 1, 0, 65535},
      {"zero-byte frame", 0, 5, "C16", {{1, 0, 1}}, 0, 0, 0, 1, 1, 0, 65535},
      {"negative bit length", 8, 0, "CNEG", {{1, 0, 1}}, 0, 0, 0, 1, 1, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    CVestrelDoc& fresh = NewDoc();
    Net n;
    n.AddFrame("F1", "Fr", c.bytes, {fx::Instance("I1", c.bitPosition, "S1")}, c.timing);
    n.signals = {fx::Signal("S1", "Sig", c.coding)};
    n.codings = {fx::Coding("C16", "A_UINT16", 16, "IDENTICAL"), fx::Coding("CT", "A_UINT8", 4, "TEXTTABLE"),
                 fx::Coding("CNEG", "A_BITS", -8, "IDENTICAL")};
    ASSERT_EQ(FIBEX_OK, ImportFibexFile(fresh, dir.Write("c.xml", n.Text()), nullptr, LIST_REFERENCE));
    const _FlexRayMsg* m = fresh.GetFlexRayMsgTable(LIST_REFERENCE).Find("FR");
    ASSERT_NE(nullptr, m);
    EXPECT_GE(m->byteCount, 0);
    EXPECT_LE(m->byteCount, 254);
    const _FlexRaySignal* s = m->signals.Find("SIG");
    ASSERT_NE(nullptr, s);
    EXPECT_EQ(c.start, s->startBit);
    EXPECT_EQ(c.count, s->bitCount);
    EXPECT_EQ(c.warning, s->identicalCoding);
    EXPECT_EQ(c.error, s->importError);
    EXPECT_EQ(c.factor, s->factor);
    EXPECT_EQ(c.min, s->minimum);
    EXPECT_EQ(c.max, s->maximum);
  }
}

TEST_F(FibexImport, SignalGroupsAndUnresolvedReferences) {
  Net n;
  n.AddFrame("F1", "G", 8,
             {fx::GroupInstance("I1", 40, "G2"),  // two members, each at its own place
              fx::GroupInstance("I2", 56, "G1"),  // one member, at the instance's place
              fx::Instance("I3", 0, "NO_SUCH_SIGNAL"),
              fx::GroupInstance("I4", 0, "G0")});  // a group without members gives nothing
  n.signals = {fx::Signal("S1", "Alpha"), fx::Signal("S2", "Beta"), fx::Signal("S3", "Gamma")};
  n.groups = {fx::Group("G1", "One", {{"S3", 0, "true"}}),
              fx::Group("G2", "Two", {{"S1", 0, "false"}, {"S2", 8, "false"}, {"MISSING", 16, "false"}}),
              fx::Group("G0", "None", {})};
  ASSERT_EQ(FIBEX_OK, Import(n));
  const _FlexRayMsg* m = FrameNamed("G");
  ASSERT_NE(nullptr, m);
  // The signal reference comes first among the instances (signal references
  // fill the instances before group references do), so NO_SUCH_SIGNAL sits
  // at bit position 40.
  const _FlexRaySignal* unresolved = m->signals.Find("NO_SUCH_SIGNAL");
  ASSERT_NE(nullptr, unresolved);
  EXPECT_EQ(1, unresolved->identicalCoding);
  EXPECT_EQ(0, unresolved->importError);
  EXPECT_EQ(0, unresolved->bitCount);
  EXPECT_EQ(0.0, unresolved->factor);

  ASSERT_NE(nullptr, m->signals.Find("ALPHA"));
  EXPECT_EQ(0, m->signals.Find("ALPHA")->startBit);
  EXPECT_EQ(8, m->signals.Find("BETA")->startBit);
  const _FlexRaySignal* missing = m->signals.Find("MISSING");
  ASSERT_NE(nullptr, missing);
  EXPECT_EQ(1, missing->identicalCoding);
  // A group of one is placed by the instance (bit position 0 of G1's
  // instance slot) with the instance's byte order.
  const _FlexRaySignal* gamma = m->signals.Find("GAMMA");
  ASSERT_NE(nullptr, gamma);
  EXPECT_EQ(BYTEORDER_LITTLE, gamma->byteOrder);
  // Exactly these five: the unresolved instance gives one zeroed signal,
  // never repeats of an earlier group.
  EXPECT_EQ(5u, m->signals.size());
}

TEST_F(FibexImport, FramesWithoutSignalsGetThePlaceholder) {
  Net n;
  n.AddFrame("F1", "Empty", 6, {});
  n.AddFrame("F2", "Hollow", 6, {fx::GroupInstance("I1", 0, "G0")});
  n.groups = {fx::Group("G0", "None", {})};
  ASSERT_EQ(FIBEX_OK, Import(n));

  // No instance at all: the build's placeholder, the frame's bits, no scaling.
  const _FlexRayMsg* empty = FrameNamed("Empty");
  ASSERT_NE(nullptr, empty);
  EXPECT_EQ(0, empty->byteCount);
  const _FlexRaySignal* ph = SignalOf("Empty", "NoName");
  ASSERT_NE(nullptr, ph);
  EXPECT_EQ(48, ph->bitCount);
  EXPECT_EQ(0.0, ph->factor);
  EXPECT_EQ(1, ph->identicalCoding);

  // Instances that give nothing: the store's placeholder.
  const _FlexRayMsg* hollow = FrameNamed("Hollow");
  ASSERT_NE(nullptr, hollow);
  EXPECT_EQ(0, hollow->byteCount);
  ASSERT_EQ(1u, hollow->signals.size());
  const _FlexRaySignal* ph2 = SignalOf("Hollow", "NoName");
  ASSERT_NE(nullptr, ph2);
  EXPECT_STREQ("NoName", ph2->name);
  EXPECT_EQ(0, ph2->bitCount);
  EXPECT_EQ(1.0, ph2->factor);
  EXPECT_EQ(-1e30, ph2->minimum);
  EXPECT_EQ(1e30, ph2->maximum);
  EXPECT_EQ(1, ph2->identicalCoding);
  EXPECT_EQ(0, ph2->importError);
}

TEST_F(FibexImport, OutputIsCappedAt2048Signals) {
  Net n;
  for (int f = 0; f < 30; ++f) {
    std::vector<std::string> inst;
    for (int s = 0; s < 100; ++s) inst.push_back(fx::Instance("I", 0, "S" + std::to_string(s)));
    n.AddFrame("F" + std::to_string(f), "Frame" + std::to_string(f), 8, inst);
  }
  for (int s = 0; s < 100; ++s) n.signals.push_back(fx::Signal("S" + std::to_string(s), "Sig" + std::to_string(s)));
  ASSERT_EQ(FIBEX_OK, Import(n));
  EXPECT_EQ(21u, Frames().size());  // 20 full frames and the one in progress
  EXPECT_EQ(2048, doc.CountFlexRaySignals(LIST_REFERENCE));
  EXPECT_EQ(48u, FrameNamed("Frame20")->signals.size());
}

TEST_F(FibexImport, OutputIsCappedAt2048Frames) {
  Net n;
  std::vector<Timing> timings;
  for (int k = 1; k <= 2100; ++k) timings.push_back({k, 0, 1});
  n.AddFrame("F1", "Multi", 4, {}, timings);
  ASSERT_EQ(FIBEX_OK, Import(n));
  EXPECT_EQ(2048u, Frames().size());
  EXPECT_NE(nullptr, FrameNamed("Multi_2048"));
  EXPECT_EQ(nullptr, FrameNamed("Multi_2049"));
}

TEST_F(FibexImport, DuplicateFrameNameIsSkippedAndCountedWithoutABox) {
  Net n;
  n.AddFrame("F1", "Engine", 8, {fx::Instance("I1", 0, "S1")}, {{10, 0, 1}});
  n.AddFrame("F2", "ENGINE", 8, {fx::Instance("I1", 8, "S2")}, {{11, 0, 1}});
  n.signals = {fx::Signal("S1", "First"), fx::Signal("S2", "Second")};
  FibexLeftOut left;
  ASSERT_EQ(FIBEX_OK, ImportFibexFile(doc, dir.Write("f.xml", n.Text()), nullptr, LIST_REFERENCE, &left));
  ASSERT_EQ(1u, Frames().size());
  EXPECT_EQ(10u, FrameNamed("engine")->slotId);
  EXPECT_NE(nullptr, SignalOf("Engine", "First"));
  EXPECT_EQ(nullptr, SignalOf("Engine", "Second"));
  EXPECT_TRUE(sink.shown.empty());
  EXPECT_EQ(1, left.sharedName);
  EXPECT_EQ(1, left.sharedNameRows);
  EXPECT_EQ(1u, doc.GetPoolCounts().flexRayMsg);  // the refused record went back
}

TEST_F(FibexImport, NamesAreCutTo32BytesAndCaseTwinsShareOneEntry) {
  const std::string longName(40, 'N');
  const std::string longSignal = "S" + std::string(39, 'x');
  Net n;
  n.AddFrame("F1", longName, 8,
             {fx::Instance("I1", 0, "S1"), fx::Instance("I2", 8, "S2"), fx::Instance("I3", 16, "S3")},
             {{3, 0, 1}, {4, 0, 1}});
  n.signals = {fx::Signal("S1", "speed"), fx::Signal("S2", "SPEED"), fx::Signal("S3", longSignal)};
  ASSERT_EQ(FIBEX_OK, Import(n));
  // The second timing's generated name cuts to the same 32 bytes, so it is
  // left out as a duplicate, without a box.
  ASSERT_EQ(1u, Frames().size());
  EXPECT_TRUE(sink.shown.empty());
  const _FlexRayMsg* m = FrameNamed(longName.substr(0, 32).c_str());
  ASSERT_NE(nullptr, m);
  EXPECT_EQ(longName.substr(0, 32), m->name);
  EXPECT_EQ(3u, m->slotId);
  ASSERT_EQ(2u, m->signals.size());
  EXPECT_STREQ("SPEED", m->signals.Find("SPEED")->name);  // the later one
  EXPECT_EQ(8, m->signals.Find("SPEED")->startBit);
  EXPECT_NE(nullptr, m->signals.Find(MakeUpperString(longSignal.substr(0, 32))));
}

TEST_F(FibexImport, GeneratedNamesAreCutOnStore) {
  const std::string name30(30, 'Q');
  Net n;
  n.AddFrame("F1", name30, 8, {}, {{3, 0, 1}, {12345, 0, 1}});
  ASSERT_EQ(FIBEX_OK, Import(n));
  EXPECT_NE(nullptr, FrameNamed(name30.c_str()));
  const _FlexRayMsg* second = FrameNamed((name30 + "_1").c_str());
  ASSERT_NE(nullptr, second);
  EXPECT_EQ(12345u, second->slotId);
  EXPECT_EQ(32u, std::strlen(second->name));
}

TEST_F(FibexImport, TextsBecomeCp932) {
  Net n;
  n.AddFrame("F1", "\xE9\x80\x9F\xE5\xBA\xA6", 8, {fx::Instance("I1", 0, "S1")});  // 速度
  n.signals = {fx::Signal("S1",
                          "\xE2\x82\xAC"
                          "x")};  // a character CP932 lacks
  ASSERT_EQ(FIBEX_OK, Import(n));
  const _FlexRayMsg* m = FrameNamed("\x91\xAC\x93\x78");
  ASSERT_NE(nullptr, m);
  EXPECT_STREQ("\x91\xAC\x93\x78", m->name);
  EXPECT_NE(nullptr, m->signals.Find("?X"));
}

struct ResultCase {
  const char* what;
  std::string text;
  int result;
};

TEST_F(FibexImport, ResultsOfTheEntry) {
  Net good;
  good.AddFrame("F1", "A", 8, {});
  fx::Parts noCluster;
  noCluster.channels.push_back(fx::Channel("CH1", {fx::Triggering("FT1", "F1", {{1, 0, 1}})}));
  noCluster.frames.push_back(fx::Frame("F1", "A", 8, {}));
  fx::Parts noFrame;
  noFrame.clusters.push_back(fx::Cluster("CL1", {"CH1"}));
  noFrame.channels.push_back(fx::Channel("CH1", {}));
  fx::Parts lowerRoot;
  lowerRoot.rootName = "fibex";
  lowerRoot.clusters = noFrame.clusters;
  fx::Parts noPrefix;
  noPrefix.rootPrefix = "";
  noPrefix.clusters.push_back(fx::Cluster("CL1", {"CH1"}));
  noPrefix.channels.push_back(fx::Channel("CH1", {fx::Triggering("FT1", "F1", {{1, 0, 1}})}));
  noPrefix.frames.push_back(fx::Frame("F1", "A", 8, {}));

  const ResultCase cases[] = {
      {"good", good.Text(), FIBEX_OK},
      {"root without prefix", fx::Document(noPrefix), FIBEX_OK},
      {"root name in lower case", fx::Document(lowerRoot), FIBEX_FAILED},
      {"no cluster", fx::Document(noCluster), FIBEX_FAILED},
      {"no frame", fx::Document(noFrame), FIBEX_FAILED},
      {"another root", "<a/>", FIBEX_FAILED},
      {"DOCTYPE", "<!DOCTYPE fx:FIBEX>\n" + good.Text().substr(good.Text().find('\n') + 1), FIBEX_FAILED},
      {"not XML", "this is not XML", FIBEX_FAILED},
      {"cut short", good.Text().substr(0, good.Text().size() / 2), FIBEX_FAILED},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    CVestrelDoc& fresh = NewDoc();
    EXPECT_EQ(c.result, ImportFibexFile(fresh, dir.Write("r.xml", c.text), nullptr, LIST_REFERENCE));
    EXPECT_EQ(c.result == FIBEX_OK ? 1u : 0u, fresh.GetFlexRayMsgTable(LIST_REFERENCE).size());
  }
  EXPECT_EQ(FIBEX_FAILED, ImportFibexFile(doc, dir.Path() + "/missing.xml", nullptr, LIST_REFERENCE));
}

TEST_F(FibexImport, DefinitionListImportsNothing) {
  Net n;
  n.AddFrame("F1", "A", 8, {});
  EXPECT_EQ(FIBEX_OK, Import(n.Text(), LIST_DEFINITION));
  EXPECT_EQ(FIBEX_OK, ImportFibexFile(doc, "/no/such/file.xml", nullptr, LIST_DEFINITION));
  EXPECT_EQ(0u, doc.GetFlexRayMsgTable(LIST_REFERENCE).size());
  EXPECT_EQ(0u, doc.GetFlexRayMsgTable(LIST_DEFINITION).size());
  EXPECT_EQ(0u, doc.GetCreatedCounts().flexRayMsg);
}

std::unique_ptr<XmlDomDocument> NoEngine() { return nullptr; }

TEST_F(FibexImport, EngineThatCannotBeCreatedGivesThree) {
  Net n;
  n.AddFrame("F1", "A", 8, {});
  XmlDomFactory previous = SetXmlDomFactory(&NoEngine);
  EXPECT_EQ(FIBEX_EXCEPTION, Import(n));
  SetXmlDomFactory(previous);
  EXPECT_EQ(0u, Frames().size());
  EXPECT_EQ(FIBEX_OK, Import(n));
}

TEST_F(FibexImport, RepeatedImportsReuseThePools) {
  Net n;
  n.AddFrame("F1", "A", 8, {fx::Instance("I1", 0, "S1")}, {{1, 0, 1}, {2, 0, 1}});
  n.signals = {fx::Signal("S1", "Sig")};
  ASSERT_EQ(FIBEX_OK, Import(n));
  DocPoolCounts made = doc.GetCreatedCounts();
  doc.ClearFlexRayList(LIST_REFERENCE);
  ASSERT_EQ(FIBEX_OK, Import(n));
  EXPECT_EQ(made, doc.GetCreatedCounts());
}

}  // namespace

namespace {

// References resolve through an index during the build; a repeated ID must
// still mean its first element, as a scan of the tables in order gives.
TEST_F(FibexImport, RepeatedIdsResolveToTheFirstElement) {
  Net n;
  n.AddFrame("F1", "First", 8, {fx::Instance("I1", 0, "S1")});
  n.AddFrame("F1", "Second", 8, {fx::Instance("I2", 8, "S1")});
  n.signals = {fx::Signal("S1", "Early", "C1"), fx::Signal("S1", "Late", "C2")};
  n.codings = {fx::Coding("C1", "A_UINT8", 4, "IDENTICAL"), fx::Coding("C2", "A_UINT8", 12, "IDENTICAL")};
  ASSERT_EQ(FIBEX_OK, Import(n));
  const _FlexRaySignal* early = SignalOf("First", "Early");
  ASSERT_NE(nullptr, early);
  EXPECT_EQ(4, early->bitCount);
  EXPECT_EQ(nullptr, SignalOf("First", "Late"));
}

}  // namespace
