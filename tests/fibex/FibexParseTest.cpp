// The element parsers: what they copy into the model, their caps and the
// reading rules of each kind.
#include <gtest/gtest.h>

#include "FibexFixture.h"
#include "FibexParse.h"

namespace {

class FibexParse : public ::testing::Test {
 protected:
  void Load(const std::string& text) {
    ASSERT_TRUE(xml.LoadBytes(text.data(), text.size())) << text.substr(0, 400);
    ResetFibexModel(model);
  }
  void Load(const fx::Parts& parts) { Load(fx::Document(parts)); }
  XmlDomDocument xml;
  FibexModel model;
};

TEST(FibexNumbers, IntegersAndDecimalsReadLikeTheRuntimeWithoutOverflow) {
  EXPECT_EQ(12, ReadFibexInteger("  12abc"));
  EXPECT_EQ(-7, ReadFibexInteger("\n-7"));
  EXPECT_EQ(0, ReadFibexInteger("x12"));
  EXPECT_EQ(0, ReadFibexInteger(""));
  EXPECT_EQ(0, ReadFibexInteger("0x1F"));
  EXPECT_EQ(2147483647, ReadFibexInteger("99999999999999999999"));
  EXPECT_EQ(-2147483647 - 1, ReadFibexInteger("-99999999999999999999"));
  EXPECT_EQ(4294967296LL, ReadFibexInteger64("4294967296"));
  EXPECT_DOUBLE_EQ(2.5, ReadFibexDecimal(" 2.5"));
  EXPECT_DOUBLE_EQ(-1.5e3, ReadFibexDecimal("-1.5E3x"));
  EXPECT_DOUBLE_EQ(1.0, ReadFibexDecimal("1e"));
  EXPECT_DOUBLE_EQ(0.5, ReadFibexDecimal(".5"));
  EXPECT_EQ(0.0, ReadFibexDecimal("nan"));
  EXPECT_EQ(0.0, ReadFibexDecimal("inf"));
  EXPECT_EQ(0.0, ReadFibexDecimal("0x10"));
  EXPECT_EQ(0.0, ReadFibexDecimal("."));
  EXPECT_GT(ReadFibexDecimal("1e999"), 1e300);
}

TEST_F(FibexParse, ClustersAreCappedAtSixteenInDocumentOrder) {
  fx::Parts p;
  for (int i = 0; i < 17; ++i) p.clusters.push_back(fx::Cluster("CL" + std::to_string(i), {"CH1"}));
  Load(p);
  ASSERT_EQ(0, ParseFibexClusters(xml, model));
  ASSERT_EQ(16, model.clusterCount);
  EXPECT_EQ("CL0", model.clusters[0].id);
  EXPECT_EQ("CL15", model.clusters[15].id);
  EXPECT_EQ("flexray:CLUSTER-TYPE", model.clusters[0].type);
  EXPECT_EQ("FlexRay", model.clusters[0].protocol);
  EXPECT_EQ("MONOTONE", model.clusters[0].bitCounting);
  EXPECT_DOUBLE_EQ(2.1, model.clusters[0].protocolVersion);
  EXPECT_EQ(16, model.clusters[0].payloadLengthStatic);
  ASSERT_EQ(1, model.clusters[0].channelRefCount);
  EXPECT_EQ("CH1", model.clusters[0].channelRefs[0]);
}

TEST_F(FibexParse, ClusterNameIsTheLastShortNameInDocumentOrder) {
  Load(
      "<fx:FIBEX xmlns:fx='f' xmlns:ho='h'><fx:CLUSTER ID='C'><ho:SHORT-NAME>outer</ho:SHORT-NAME>"
      "<fx:X><ho:SHORT-NAME>deeper</ho:SHORT-NAME></fx:X></fx:CLUSTER></fx:FIBEX>");
  ASSERT_EQ(0, ParseFibexClusters(xml, model));
  EXPECT_EQ("deeper", model.clusters[0].shortName);
}

TEST_F(FibexParse, NothingOfAKindGivesZeroAndAnEmptyTable) {
  Load("<fx:FIBEX xmlns:fx='f'/>");
  EXPECT_EQ(0, ParseFibexClusters(xml, model));
  EXPECT_EQ(0, model.clusterCount);
  EXPECT_TRUE(model.clusters.empty());
  XmlDomDocument empty;
  EXPECT_EQ(2, ParseFibexFrames(empty, model));  // no document element
}

TEST_F(FibexParse, TableThatCannotBeAllocatedGivesTwo) {
  fx::Parts p;
  p.frames.push_back(fx::Frame("F1", "A", 8, {}));
  Load(p);
  SetFibexTableAllocationFailures(1);
  EXPECT_EQ(2, ParseFibexFrames(xml, model));
  EXPECT_EQ(0, model.frameCount);
  EXPECT_TRUE(model.frames.empty());
  EXPECT_EQ(0, ParseFibexFrames(xml, model));
  EXPECT_EQ(1, model.frameCount);
}

TEST_F(FibexParse, ChannelTriggeringsAndTimings) {
  fx::Parts p;
  p.channels.push_back(fx::Channel(
      "CH1",
      {fx::Triggering("FT1", "F1", {{5, 0, 1}, {6, 1, 2}}), fx::Triggering("FT2", "F2", {{9, 2, 4}}),
       fx::Triggering("FT3", "F3", {{1, 0, 1}}, "<fx:SLOT-ID>70000</fx:SLOT-ID><fx:BASE-CYCLE>-3</fx:BASE-CYCLE>")}));
  Load(p);
  ASSERT_EQ(0, ParseFibexChannels(xml, model));
  ASSERT_EQ(1, model.channelCount);
  const FibexChannel& ch = model.channels[0];
  EXPECT_EQ("CH1", ch.id);
  EXPECT_EQ("flexray:CHANNEL-TYPE", ch.type);
  EXPECT_EQ("ChannelA", ch.shortName);
  ASSERT_EQ(3, ch.triggeringCount);
  const FibexFrameTriggering& t0 = ch.triggerings[0];
  EXPECT_EQ("FT1", t0.id);
  EXPECT_EQ("F1", t0.frameRef);
  ASSERT_EQ(2, t0.slotIdCount);
  EXPECT_EQ(2, t0.baseCycleCount);
  EXPECT_EQ(2, t0.cycleRepetitionCount);
  EXPECT_EQ(5u, t0.slotIds[0]);
  EXPECT_EQ(6u, t0.slotIds[1]);
  EXPECT_EQ(1, t0.baseCycles[1]);
  EXPECT_EQ(2, t0.cycleRepetitions[1]);
  EXPECT_EQ("F2", ch.triggerings[1].frameRef);
  // Mismatched lists are kept as read; numbers are clamped to their fields.
  const FibexFrameTriggering& t2 = ch.triggerings[2];
  EXPECT_EQ(2, t2.slotIdCount);
  EXPECT_EQ(2, t2.baseCycleCount);
  EXPECT_EQ(1, t2.cycleRepetitionCount);
  EXPECT_EQ(70000u, t2.slotIds[1]);
  EXPECT_EQ(0, t2.baseCycles[1]);
}

TEST_F(FibexParse, EcuNameIsItsOwnNotItsControllers) {
  Load(
      "<fx:FIBEX xmlns:fx='f' xmlns:ho='h' xmlns:xsi='x'><fx:ECU ID='E1'><ho:SHORT-NAME>Gateway</ho:SHORT-NAME>"
      "<fx:CONTROLLERS><fx:CONTROLLER ID='K1' xsi:type='t'><ho:SHORT-NAME>Ctrl</ho:SHORT-NAME></fx:CONTROLLER>"
      "</fx:CONTROLLERS></fx:ECU></fx:FIBEX>");
  ASSERT_EQ(0, ParseFibexEcus(xml, model));
  ASSERT_EQ(1, model.ecuCount);
  EXPECT_EQ("E1", model.ecus[0].id);
  EXPECT_EQ("Gateway", model.ecus[0].shortName);
}

TEST_F(FibexParse, FrameSignalInstancesAreCappedAt2048) {
  std::vector<std::string> inst;
  for (int i = 0; i < 2100; ++i) inst.push_back(fx::Instance("SI" + std::to_string(i), i, "S" + std::to_string(i)));
  fx::Parts p;
  p.frames.push_back(fx::Frame("F1", "Big", 254, inst));
  Load(p);
  ASSERT_EQ(0, ParseFibexFrames(xml, model));
  const FibexFrame& f = model.frames[0];
  EXPECT_EQ("F1", f.id);
  EXPECT_EQ("Big", f.shortName);
  EXPECT_EQ(254, f.byteLength);
  ASSERT_EQ(2048, f.signalInstanceCount);
  EXPECT_EQ(2048u, f.signalInstances.size());
  EXPECT_EQ("SI2047", f.signalInstances[2047].id);
  EXPECT_EQ("S2047", f.signalInstances[2047].signalRef);
  EXPECT_EQ(2047, f.signalInstances[2047].bitPosition);
  EXPECT_EQ("false", f.signalInstances[2047].byteOrder);
}

TEST_F(FibexParse, GroupReferencesFollowTheSignalReferences) {
  fx::Parts p;
  p.frames.push_back(fx::Frame(
      "F1", "A", 8, {fx::Instance("I1", 0, "S1"), fx::GroupInstance("I2", 8, "G1"), fx::Instance("I3", 16, "S3")}));
  Load(p);
  ASSERT_EQ(0, ParseFibexFrames(xml, model));
  const FibexFrame& f = model.frames[0];
  ASSERT_EQ(3, f.signalInstanceCount);
  // Signal references fill the first instances, group references come after.
  EXPECT_EQ("S1", f.signalInstances[0].signalRef);
  EXPECT_EQ("S3", f.signalInstances[1].signalRef);
  EXPECT_EQ("G1", f.signalInstances[2].signalGroupRef);
  EXPECT_EQ("", f.signalInstances[2].signalRef);
}

TEST_F(FibexParse, PduInstancesComeFirstInTheBitPositions) {
  Load(
      "<fx:FIBEX xmlns:fx='f' xmlns:ho='h'><fx:FRAME ID='F1'><ho:SHORT-NAME>P</ho:SHORT-NAME>"
      "<fx:BYTE-LENGTH>16</fx:BYTE-LENGTH><fx:PDU-INSTANCES><fx:PDU-INSTANCE ID='PI1'>"
      "<fx:PDU-REF ID-REF='PDU1'/><fx:BIT-POSITION>64</fx:BIT-POSITION>"
      "<fx:IS-HIGH-LOW-BYTE-ORDER>true</fx:IS-HIGH-LOW-BYTE-ORDER></fx:PDU-INSTANCE></fx:PDU-INSTANCES>"
      "<fx:SIGNAL-INSTANCES><fx:SIGNAL-INSTANCE ID='SI1'><fx:BIT-POSITION>3</fx:BIT-POSITION>"
      "<fx:IS-HIGH-LOW-BYTE-ORDER>false</fx:IS-HIGH-LOW-BYTE-ORDER><fx:SIGNAL-REF ID-REF='S1'/>"
      "</fx:SIGNAL-INSTANCE></fx:SIGNAL-INSTANCES></fx:FRAME></fx:FIBEX>");
  ASSERT_EQ(0, ParseFibexFrames(xml, model));
  const FibexFrame& f = model.frames[0];
  EXPECT_EQ(1, f.pduInstanceCount);
  ASSERT_EQ(1, f.signalInstanceCount);
  EXPECT_EQ(3, f.signalInstances[0].bitPosition);
  EXPECT_EQ("false", f.signalInstances[0].byteOrder);
  EXPECT_EQ("S1", f.signalInstances[0].signalRef);
}

TEST_F(FibexParse, SignalsUnitsAndGroups) {
  fx::Parts p;
  p.signals.push_back(fx::Signal("S1", "Speed", "C1"));
  p.signals.push_back(fx::Signal("S2", "Bare"));
  p.units.push_back(fx::Unit("U1", "km/h"));
  p.groups.push_back(fx::Group("G1", "Grp", {{"S1", 0, "false"}, {"S2", 8, "true"}}));
  Load(p);
  ASSERT_EQ(0, ParseFibexSignals(xml, model));
  ASSERT_EQ(2, model.signalCount);
  EXPECT_EQ("Speed", model.signals[0].shortName);
  EXPECT_EQ("C1", model.signals[0].codingRef);
  EXPECT_EQ("", model.signals[1].codingRef);
  ASSERT_EQ(0, ParseFibexUnits(xml, model));
  ASSERT_EQ(1, model.unitCount);
  EXPECT_EQ("km/h", model.units[0].displayName);
  ASSERT_EQ(0, ParseFibexSignalGroups(xml, model));
  const FibexSignalGroup& g = model.signalGroups[0];
  EXPECT_EQ("G1", g.id);
  EXPECT_EQ(16, g.bitLength);
  ASSERT_EQ(2, g.memberCount);
  EXPECT_EQ("S2", g.members[1].signalRef);
  EXPECT_EQ(8, g.members[1].bitPosition);
  EXPECT_EQ("true", g.members[1].byteOrder);
}

TEST_F(FibexParse, CodingReadingRules) {
  fx::Parts p;
  p.codings.push_back(fx::Coding("C1", "A_UINT16", 16, "LINEAR", "U1",
                                 {{"VALID", 0, 1}, {"NOT-VALID", 2, 3}, {"VALID", 4, 5}, {"VALID", 6, 7}},
                                 {"1.5", "0.25", "9"}));
  p.codings.push_back(fx::Coding("C2", "A_INT8", 8, ""));  // no V, no unit, no constraint
  p.codings.push_back(fx::Coding("C3", "A_UINT8", 8, "LINEAR", "", {}, {"", "2.5"}));
  p.codings.push_back(fx::Coding("C4", "A_UINT8", 8, "LINEAR", "", {}, {"3"}));
  Load(p);
  ASSERT_EQ(0, ParseFibexCodings(xml, model));
  ASSERT_EQ(4, model.codingCount);

  const FibexCoding& c1 = model.codings[0];
  EXPECT_EQ("C1_name", c1.shortName);  // the first short name, not the compu method's
  EXPECT_EQ("A_UINT16", c1.baseDataType);
  EXPECT_EQ("STANDARD-LENGTH-TYPE", c1.codedTypeCategory);
  EXPECT_EQ(16, c1.bitLength);
  EXPECT_EQ("LINEAR", c1.category);
  EXPECT_EQ("U1", c1.unitRef);
  ASSERT_EQ(3, c1.scaleConstraintCount);  // the fourth is not read
  EXPECT_EQ("NOT-VALID", c1.scaleConstraints[1].validity);
  EXPECT_EQ(2.0, c1.scaleConstraints[1].lowerLimit);
  EXPECT_EQ(5.0, c1.scaleConstraints[2].upperLimit);
  EXPECT_EQ("CLOSED", c1.scaleConstraints[2].lowerIntervalType);
  EXPECT_EQ("OPEN", c1.scaleConstraints[2].upperIntervalType);
  EXPECT_EQ(1.5, c1.offset);
  EXPECT_EQ(0.25, c1.factor);

  const FibexCoding& c2 = model.codings[1];
  EXPECT_EQ("IDENTICAL", c2.category);  // empty category text
  EXPECT_EQ("", c2.unitRef);
  EXPECT_EQ(0, c2.scaleConstraintCount);
  EXPECT_EQ(1, c2.firstCoefficientSeen);
  EXPECT_EQ(0, c2.secondCoefficientSeen);
  EXPECT_EQ(0.0, c2.offset);

  EXPECT_EQ(0.0, model.codings[2].offset);
  EXPECT_EQ(2.5, model.codings[2].factor);
  EXPECT_EQ(3.0, model.codings[3].offset);
  EXPECT_EQ(1.0, model.codings[3].factor);  // one coefficient: the factor stays 1
}

TEST_F(FibexParse, ManyAttributesAndTooFewAttributesAreSafe) {
  // Seven attributes on the element itself; a coded type with one attribute
  // where two are read; a frame reference without attributes.
  Load(
      "<fx:FIBEX xmlns:fx='f' xmlns:ho='h'>"
      "<fx:CODING a='1' b='2' c='3' d='4' e='5' f='6' ID='late'><ho:CODED-TYPE "
      "ho:BASE-DATA-TYPE='A_UINT8'/></fx:CODING>"
      "<fx:CODING ID='C2' a='1'><ho:CODED-TYPE CATEGORY='X'/></fx:CODING>"
      "<fx:CHANNEL ID='CH'><fx:FRAME-TRIGGERINGS><fx:FRAME-TRIGGERING><fx:FRAME-REF/></fx:FRAME-TRIGGERING>"
      "</fx:FRAME-TRIGGERINGS></fx:CHANNEL></fx:FIBEX>");
  ASSERT_EQ(0, ParseFibexCodings(xml, model));
  EXPECT_EQ("", model.codings[0].id);  // the seventh attribute is beyond the five read
  EXPECT_EQ("A_UINT8", model.codings[0].baseDataType);
  EXPECT_EQ("C2", model.codings[1].id);
  EXPECT_EQ("X", model.codings[1].codedTypeCategory);
  EXPECT_EQ("", model.codings[1].baseDataType);
  ASSERT_EQ(0, ParseFibexChannels(xml, model));
  ASSERT_EQ(1, model.channels[0].triggeringCount);
  EXPECT_EQ("", model.channels[0].triggerings[0].id);
  EXPECT_EQ("", model.channels[0].triggerings[0].frameRef);
}

TEST_F(FibexParse, FreeDropsEveryTable) {
  fx::Parts p;
  p.frames.push_back(fx::Frame("F1", "A", 8, {fx::Instance("I", 0, "S")}));
  Load(p);
  ASSERT_EQ(0, ParseFibexFrames(xml, model));
  model.signalKey = "kept";
  FreeFibexModel(model);
  EXPECT_EQ(0, model.frameCount);
  EXPECT_TRUE(model.frames.empty());
  EXPECT_EQ(nullptr, model.output);
  EXPECT_EQ("kept", model.signalKey);
}

}  // namespace
