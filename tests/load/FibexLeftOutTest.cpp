// What the FIBEX reader's tables cannot hold is told, never shown as a wrong
// row: rows shown and rows told as left out make the rows the file
// describes. Through the loader the reference list uses.
#include "DocFixture.h"
#include "FibexFixture.h"
#include "ListLoad.h"
#include "ListLogic.h"
#include "RecordingMessageSink.h"

#include <functional>

namespace {

std::string N(const char* prefix, int i) { return prefix + std::to_string(i); }

struct Network : fx::OneChannel {
  int nextSlot = 1;

  // A frame of `bytes` bytes with one instance per reference (signal
  // references; "G:" before a reference makes it a signal group's).
  void Frame(const std::string& id, const std::string& name, const std::vector<std::string>& refs, int bytes = 8) {
    std::vector<std::string> instances;
    for (std::size_t k = 0; k < refs.size(); ++k) {
      const std::string inst = id + "_I" + std::to_string(k);
      const int bit = static_cast<int>(k % 8) * 8;
      instances.push_back(refs[k].rfind("G:", 0) == 0 ? fx::GroupInstance(inst, bit, refs[k].substr(2))
                                                      : fx::Instance(inst, bit, refs[k]));
    }
    frames.push_back(fx::Frame(id, name, bytes, instances));
  }
  // A triggering of the frame in `timings` timings, each on a slot of its own.
  void Trigger(const std::string& frameId, int timings = 1) {
    std::vector<fx::Timing> list;
    for (int k = 0; k < timings; ++k) list.push_back({nextSlot++, 0, 4});
    triggerings.push_back(fx::Triggering(N("T", static_cast<int>(triggerings.size())), frameId, list));
  }
};

// `frames` frames of `signalsEach` signals, each frame triggered `triggered`
// times in `timings` timings; the signals are listed in reverse order when
// `reversed`.
std::string Frames(int frames, int signalsEach, int triggered = 1, int timings = 1, bool reversed = false) {
  Network n;
  for (int f = 0; f < frames; ++f) {
    std::vector<std::string> refs;
    for (int k = 0; k < signalsEach; ++k) refs.push_back(N("S", f * signalsEach + k));
    n.Frame(N("F", f), N("Frame", f), refs);
    for (int t = 0; t < triggered; ++t) n.Trigger(N("F", f), timings);
  }
  for (int s = 0; s < frames * signalsEach; ++s) n.signals.push_back(fx::Signal(N("S", s), N("Sig", s)));
  if (reversed) std::reverse(n.signals.begin(), n.signals.end());
  return n.Text();
}

// The first `twice` frames triggered twice, the others once.
std::string SomeTriggeredTwice(int frames, int twice) {
  Network n;
  for (int f = 0; f < frames; ++f) {
    n.Frame(N("F", f), N("Frame", f), {N("S", f)});
    n.Trigger(N("F", f));
    if (f < twice) n.Trigger(N("F", f));
  }
  for (int s = 0; s < frames; ++s) n.signals.push_back(fx::Signal(N("S", s), N("Sig", s)));
  return n.Text();
}

// `filler` elements written before the one a frame's signal needs, so that
// the needed one lies beyond its table; `add` writes element i.
std::string OneSignalBehind(int filler, const std::function<void(Network&, int)>& add,
                            const std::vector<std::string>& refs, const std::string& codingRef = "") {
  Network n;
  n.Frame("F0", "Frame0", refs);
  n.Trigger("F0");
  for (int i = 0; i < filler; ++i) add(n, i);
  n.signals.push_back(fx::Signal("S", "Sig", codingRef));
  return n.Text();
}

struct LeftOutCase {
  const char* what;
  std::string text;
  int shown;       // rows in the reference list
  long long told;  // rows told as left out
  int zeroed = 0;  // rows shown as a zeroed signal: a reference that leads nowhere in the file
};

}  // namespace

DOC_TEST(FibexLeftOut, RowsShownAndToldMakeTheRowsTheFileDescribes) {
  const auto signalFiller = [](Network& n, int i) { n.signals.push_back(fx::Signal(N("X", i), N("Filler", i))); };
  const auto codingFiller = [](Network& n, int i) {
    n.codings.push_back(fx::Coding(N("C", i), "A_UINT8", 8, "IDENTICAL"));
  };
  const auto unitFiller = [](Network& n, int i) { n.units.push_back(fx::Unit(N("U", i), "m")); };
  const auto groupFiller = [](Network& n, int i) {
    n.groups.push_back(fx::Group(N("G", i), N("Group", i), {{"S", 0, "false"}}));
  };

  Network manyTimings;
  manyTimings.Frame("F0", "Frame0", {});
  manyTimings.Trigger("F0", 2100);
  Network wideGroup;
  std::vector<fx::Member> members;
  for (int i = 0; i < 2050; ++i) {
    members.push_back({N("S", i), 0, "false"});
    wideGroup.signals.push_back(fx::Signal(N("S", i), N("Sig", i)));
  }
  wideGroup.groups.push_back(fx::Group("G", "Group", members));
  wideGroup.Frame("F0", "Frame0", {"G:G"});
  wideGroup.Trigger("F0");
  Network wideFrame;
  std::vector<std::string> refs;
  for (int i = 0; i < 2100; ++i) {
    refs.push_back(N("S", i));
    wideFrame.signals.push_back(fx::Signal(N("S", i), N("Sig", i)));
  }
  wideFrame.Frame("F0", "Frame0", refs);
  wideFrame.Trigger("F0");
  Network disagreeing;
  disagreeing.Frame("F0", "Frame0", {"S"});
  disagreeing.signals.push_back(fx::Signal("S", "Sig"));
  // 2,049 slots against 2,050 base cycles and repetitions: cut to their
  // lists, all three would agree.
  const std::string extra = "<fx:BASE-CYCLE>0</fx:BASE-CYCLE><fx:CYCLE-REPETITION>4</fx:CYCLE-REPETITION>";
  std::vector<fx::Timing> timings(2049, fx::Timing{1, 0, 4});
  disagreeing.triggerings.push_back(fx::Triggering("T0", "F0", timings, extra));
  // The frame's first triggering lies beyond its channel's list; a second
  // channel triggers it too, within its list.
  fx::Parts twoChannels;
  twoChannels.clusters.push_back(fx::Cluster("CL1", {"CH1", "CH2"}));
  std::vector<std::string> fillers;
  for (int i = 0; i < 2048; ++i) fillers.push_back(fx::Triggering(N("TX", i), N("None", i), {{1, 0, 4}}));
  fillers.push_back(fx::Triggering("T1", "F0", {{1, 0, 4}}));
  twoChannels.channels.push_back(fx::Channel("CH1", fillers));
  twoChannels.channels.push_back(fx::Channel("CH2", {fx::Triggering("T2", "F0", {{2, 0, 4}})}));
  twoChannels.frames.push_back(fx::Frame("F0", "Frame0", 8, {fx::Instance("I0", 0, "S")}));
  twoChannels.signals.push_back(fx::Signal("S", "Sig"));
  // The frame's channel is the 33rd; in the other file its cluster is the
  // 17th, the file's only FlexRay cluster.
  fx::Parts channelBehind, clusterBehind;
  for (fx::Parts* p : {&channelBehind, &clusterBehind}) {
    p->frames.push_back(fx::Frame("F0", "Frame0", 8, {fx::Instance("I0", 0, "S")}));
    p->signals.push_back(fx::Signal("S", "Sig"));
  }
  std::vector<std::string> allChannels;
  for (int c = 0; c < 33; ++c) {
    allChannels.push_back(N("CH", c));
    channelBehind.channels.push_back(
        fx::Channel(N("CH", c), {fx::Triggering(N("T", c), c == 32 ? "F0" : "None", {{1, 0, 4}})}));
  }
  channelBehind.clusters.push_back(fx::Cluster("CL", allChannels));
  for (int k = 0; k < 17; ++k)
    clusterBehind.clusters.push_back(fx::Cluster(N("CL", k), {k == 16 ? "CH" : "Other"}, k == 16 ? "FlexRay" : "CAN"));
  clusterBehind.channels.push_back(fx::Channel("CH", {fx::Triggering("T0", "F0", {{1, 0, 4}})}));
  Network codingOfUnitBehind;
  for (int i = 0; i < 2048; ++i) codingOfUnitBehind.units.push_back(fx::Unit(N("U", i), "m"));
  codingOfUnitBehind.units.push_back(fx::Unit("UB", "km"));
  codingOfUnitBehind.codings.push_back(fx::Coding("CB", "A_UINT8", 8, "IDENTICAL", "UB"));
  codingOfUnitBehind.signals.push_back(fx::Signal("S", "Sig", "CB"));
  codingOfUnitBehind.Frame("F0", "Frame0", {"S"});
  codingOfUnitBehind.Trigger("F0");

  const LeftOutCase cases[] = {
      {"1,100 frames, each triggered twice in one channel", Frames(1100, 1, 2), 1024, 76},
      {"1,200 frames, 2,200 triggerings", SomeTriggeredTwice(1200, 1000), 1048, 152},
      {"3,000 frames of two timings", Frames(3000, 1, 1, 2), 2048, 3952},
      {"1,200 frames of 2 signals listed in reverse order", Frames(1200, 2, 1, 1, true), 2048, 352},
      {"a signal beyond its table, beside a reference to nothing",
       OneSignalBehind(2048, signalFiller, {"S", "Nowhere"}), 1, 1, 1},
      {"a coding beyond its table", OneSignalBehind(2049, codingFiller, {"S"}, "C2048"), 0, 1},
      {"a signal group beyond its table", OneSignalBehind(2049, groupFiller, {"G:G2048"}), 0, 1},
      {"a unit beyond its table", codingOfUnitBehind.Text(), 0, 1},
      {"a unit list full, the unit within it", OneSignalBehind(2049, unitFiller, {"S"}), 1, 0},
      {"timings beyond their list", manyTimings.Text(), 2048, 52},
      {"timing lists that disagree only beyond their list", disagreeing.Text(), 0, 0},
      {"a first triggering beyond its list, a later one within another", fx::Document(twoChannels), 0, 1},
      {"a channel beyond its table", fx::Document(channelBehind), 0, 1},
      {"a cluster beyond its table", fx::Document(clusterBehind), 0, 1},
      {"members beyond their group's list", wideGroup.Text(), 2048, 2},
      {"signal instances beyond their frame's list", wideFrame.Text(), 2048, 52},
  };
  fx::TempDir dir;
  for (const LeftOutCase& c : cases) {
    SCOPED_TRACE(c.what);
    CVestrelDoc& d = NewDoc();
    RecordingMessageSink sink;
    LoadOutcome o = LoadListFile(d, LIST_REFERENCE, dir.Write("f.xml", c.text), BUS_FLEXRAY);
    ASSERT_EQ(o.result, 0);
    EXPECT_EQ(d.CountFlexRaySignals(LIST_REFERENCE), c.shown);
    EXPECT_EQ(o.cuts.overLimit, c.told);
    int zeroed = 0;
    for (const auto& frame : d.GetFlexRayMsgTable(LIST_REFERENCE))
      for (const auto& sig : frame.value->signals)
        zeroed += sig.value->bitCount == 0 && sig.value->factor == 0.0 && sig.value->identicalCoding;
    EXPECT_EQ(zeroed, c.zeroed);
    EXPECT_TRUE(sink.shown.empty());
  }
}

// A frame's signal instances count by their references, as the frame parser
// counts them: an instance of two references gives two rows, one of none
// none. Beyond the frame table, or beyond its frame's list of instances, the
// same instances are told as the rows they give within the limits.
DOC_TEST(FibexLeftOut, InstancesCountByTheirReferencesBeyondTheLimitsToo) {
  const auto ref = [](const char* kind, const std::string& id) {
    return "<fx:" + std::string(kind) + "-REF ID-REF=\"" + id + "\"/>";
  };
  const auto instance = [](const std::string& id, const std::string& refs) {
    return "<fx:SIGNAL-INSTANCE ID=\"" + id + "\"><fx:BIT-POSITION>0</fx:BIT-POSITION>" + refs +
           "</fx:SIGNAL-INSTANCE>";
  };
  struct Shape {
    const char* what;
    std::vector<std::string> instances;
  };
  const Shape shapes[] = {
      {"two signal references", {instance("A", ref("SIGNAL", "S1") + ref("SIGNAL", "S2"))}},
      {"a signal and a group reference", {instance("A", ref("SIGNAL", "S1") + ref("SIGNAL-GROUP", "G"))}},
      {"no reference, beside an instance of one", {instance("A", ""), instance("B", ref("SIGNAL", "S1"))}},
      {"no reference, alone", {instance("A", "")}},
  };
  // `frames` frames of one instance each, then one frame of `before`
  // instances and the shape's. Their references lead nowhere: a zeroed row
  // each, and no table to fill.
  const auto text = [](const Shape& shape, int frames, int before) {
    Network n;
    for (int f = 0; f < frames; ++f) {
      n.Frame(N("F", f), N("Frame", f), {N("Z", f)});
      n.Trigger(N("F", f));
    }
    std::vector<std::string> instances;
    for (int k = 0; k < before; ++k) instances.push_back(fx::Instance(N("I", k), 0, N("Y", k)));
    instances.insert(instances.end(), shape.instances.begin(), shape.instances.end());
    n.frames.push_back(fx::Frame("Odd", "Odd", 8, instances));
    n.Trigger("Odd");
    n.signals = {fx::Signal("S1", "One"), fx::Signal("S2", "Two"), fx::Signal("T1", "M1"), fx::Signal("T2", "M2")};
    n.groups = {fx::Group("G", "Group", {{"T1", 0, "false"}, {"T2", 8, "false"}})};
    return n.Text();
  };
  struct Place {
    const char* what;
    int frames;
    int before;
  };
  const Place places[] = {{"a frame beyond the frame table", 2048, 0},
                          {"instances beyond their frame's list", 0, 2048}};
  fx::TempDir dir;
  RecordingMessageSink sink;
  for (const Shape& shape : shapes) {
    for (const Place& place : places) {
      SCOPED_TRACE(std::string(shape.what) + ", " + place.what);
      // Within the limits: one frame or instance before the shape's, not 2,048.
      CVestrelDoc& small = NewDoc();
      LoadOutcome within =
          LoadListFile(small, LIST_REFERENCE,
                       dir.Write("small.xml", text(shape, place.frames ? 1 : 0, place.before ? 1 : 0)), BUS_FLEXRAY);
      ASSERT_EQ(within.result, 0);
      ASSERT_EQ(within.cuts.overLimit, 0);
      const long long described = small.CountFlexRaySignals(LIST_REFERENCE) - 1 + 2048;
      CVestrelDoc& large = NewDoc();
      LoadOutcome o = LoadListFile(large, LIST_REFERENCE,
                                   dir.Write("large.xml", text(shape, place.frames, place.before)), BUS_FLEXRAY);
      ASSERT_EQ(o.result, 0);
      EXPECT_EQ(large.CountFlexRaySignals(LIST_REFERENCE) + o.cuts.overLimit, described);
    }
  }
  EXPECT_TRUE(sink.shown.empty());
}

// Frames whose names share their first 32 bytes: the first is kept, the
// others are counted, with their rows, in the one notice after the load.
DOC_TEST(FibexLeftOut, FramesSharingANameAreCountedInTheLoadsNotice) {
  Network n;
  for (int f = 0; f < 300; ++f) {
    n.Frame(N("F", f), std::string(32, 'X') + std::to_string(f), {"S"});
    n.Trigger(N("F", f));
  }
  n.signals.push_back(fx::Signal("S", "Sig"));
  fx::TempDir dir;
  CRefListLogic ref(doc);
  RecordingMessageSink sink;
  EXPECT_TRUE(ref.DropFiles({dir.Write("shared.xml", n.Text())}));
  EXPECT_EQ(ref.RowCount(), 1);
  ASSERT_EQ(sink.Ids(), std::vector<int>{IDS_MSG_LOAD_CUT_FRAMES});
  const long long expected[] = {0, 1, 0, 0, 299, 299};  // the one name kept was cut to 32 bytes
  for (std::size_t i = 0; i < std::size(expected); ++i) EXPECT_EQ(sink.shown[0].ArgNumber(i), expected[i]) << i;
}
