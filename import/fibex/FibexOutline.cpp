// The outline of a file whose elements did not all fit the model's tables:
// the identifiers and counts that linking and counting rows need, for every
// element of the file. It reads the elements as the parsers do (the same
// tags, the first five attributes of an element, a reference as the first
// attribute of its element), so that within the tables it finds what the
// model holds.
#include "FibexBuild.h"
#include "FibexParse.h"

#include <algorithm>
#include <string_view>

namespace {

// The value of the attribute `name` among the element's first five.
std::string OwnAttribute(const XmlDomNode& e, const char* name) {
  std::string n, v;
  const std::size_t count = std::min<std::size_t>(e.GetAttributeCount(), FIBEX_READ_ATTRIBUTES);
  for (std::size_t i = 0; i < count; ++i)
    if (e.GetAttributeAt(i, n, v) && n == name) return v;
  return {};
}

// The "ID-REF" of a reference element, read as the parsers read it: its first attribute.
std::string Reference(const XmlDomNode& e) {
  std::string n, v;
  return e.GetAttributeAt(0, n, v) && n == "ID-REF" ? v : std::string();
}

void IndexIds(const XmlDomNodeList& list, std::unordered_map<std::string, std::int32_t>& index) {
  index.reserve(list.size());
  for (std::size_t i = 0; i < list.size(); ++i) {
    std::string id = OwnAttribute(list[i], "ID");
    if (!id.empty()) index.emplace(std::move(id), static_cast<std::int32_t>(i));
  }
}

void OutlineClusters(const XmlDomNode& root, FibexOutline& o) {
  const XmlDomNodeList& clusters = root.getElementsByTagName("fx:CLUSTER");
  o.flexRayClusters.assign(clusters.size(), false);
  for (std::size_t k = 0; k < clusters.size(); ++k) {
    const XmlDomNode& cl = clusters[k];
    cl.PrepareElementsByTagName({"fx:PROTOCOL", "fx:CHANNEL-REF"});
    const XmlDomNodeList& protocols = cl.getElementsByTagName("fx:PROTOCOL");
    // The last protocol text is the one the cluster keeps.
    o.flexRayClusters[k] = !protocols.empty() && IsFibexFlexRayProtocol(protocols.back().get_text());
    const XmlDomNodeList& refs = cl.getElementsByTagName("fx:CHANNEL-REF");
    for (std::size_t r = 0; r < refs.size(); ++r) {
      std::string ref = Reference(refs[r]);
      if (!ref.empty())
        o.clusterOf.emplace(std::move(ref),
                            FibexOutline::Place{static_cast<std::int32_t>(k), static_cast<std::int32_t>(r)});
    }
    cl.ReleaseElementsByTagName();
  }
}

void OutlineChannels(const XmlDomNode& root, FibexOutline& o) {
  const XmlDomNodeList& channels = root.getElementsByTagName("fx:CHANNEL");
  o.channelIds.resize(channels.size());
  o.timings.resize(channels.size());
  for (std::size_t c = 0; c < channels.size(); ++c) {
    const XmlDomNode& ch = channels[c];
    o.channelIds[c] = OwnAttribute(ch, "ID");
    ch.PrepareElementsByTagName({"fx:FRAME-TRIGGERING", "fx:FRAME-REF", "fx:FRAME-TRIGGERINGS"});
    // The j-th frame reference of the channel belongs to its j-th triggering.
    const std::size_t triggerings = ch.getElementsByTagName("fx:FRAME-TRIGGERING").size();
    const XmlDomNodeList& refs = ch.getElementsByTagName("fx:FRAME-REF");
    for (std::size_t j = 0; j < std::min(triggerings, refs.size()); ++j) {
      std::string ref = Reference(refs[j]);
      if (!ref.empty())
        o.triggerings.emplace(std::move(ref),
                              FibexOutline::Place{static_cast<std::int32_t>(c), static_cast<std::int32_t>(j)});
    }
    // The t-th triggering of each container holds the timings of triggering
    // t; a later container's take the place of an earlier one's.
    std::vector<long long>& timings = o.timings[c];
    for (const XmlDomNode& container : ch.getElementsByTagName("fx:FRAME-TRIGGERINGS")) {
      const XmlDomNodeList& list = container.getElementsByTagName("fx:FRAME-TRIGGERING");
      if (timings.size() < list.size()) timings.resize(list.size(), 0);
      for (std::size_t t = 0; t < list.size(); ++t) {
        const XmlDomNode& te = list[t];
        te.PrepareElementsByTagName({"fx:SLOT-ID", "fx:BASE-CYCLE", "fx:CYCLE-REPETITION"});
        const std::size_t slots = te.getElementsByTagName("fx:SLOT-ID").size();
        const bool agree = slots == te.getElementsByTagName("fx:BASE-CYCLE").size() &&
                           slots == te.getElementsByTagName("fx:CYCLE-REPETITION").size();
        timings[t] = agree ? static_cast<long long>(slots) : 0;
        te.ReleaseElementsByTagName();
      }
      container.ReleaseElementsByTagName();
    }
    ch.ReleaseElementsByTagName();
  }
}

void OutlineGroups(const XmlDomNode& root, FibexOutline& o) {
  const XmlDomNodeList& groups = root.getElementsByTagName("fx:SIGNAL-GROUP");
  IndexIds(groups, o.groups);
  o.groupMembers.resize(groups.size());
  for (std::size_t g = 0; g < groups.size(); ++g) {
    // A member is counted by its bit position, as the parser counts it.
    o.groupMembers[g] = static_cast<long long>(groups[g].getElementsByTagName("fx:BIT-POSITION").size());
    groups[g].ReleaseElementsByTagName();
  }
}

// The rows one signal instance gives per timing in the file.
long long InstanceRows(const FibexOutline& o, const std::string& signalRef, const std::string& groupRef) {
  if (!signalRef.empty() && o.signals.count(signalRef)) return 1;
  if (!groupRef.empty()) {
    auto g = o.groups.find(groupRef);
    if (g != o.groups.end()) return o.groupMembers[static_cast<std::size_t>(g->second)];
  }
  return 1;  // a reference that leads nowhere: the zeroed signal
}

// The timings the frame is sent in, 0 when it is sent in none of a FlexRay cluster.
long long FrameTimings(const FibexOutline& o, const std::string& frameId) {
  if (frameId.empty()) return 0;
  auto t = o.triggerings.find(frameId);
  if (t == o.triggerings.end()) return 0;
  const std::size_t c = static_cast<std::size_t>(t->second.first);
  const std::size_t j = static_cast<std::size_t>(t->second.second);
  if (o.channelIds[c].empty()) return 0;
  auto k = o.clusterOf.find(o.channelIds[c]);
  if (k == o.clusterOf.end() || !o.flexRayClusters[static_cast<std::size_t>(k->second.first)]) return 0;
  return j < o.timings[c].size() ? o.timings[c][j] : 0;
}

// Rows per timing of the signal instances of a frame element from the
// `from`-th on, the instances counted as the frame parser counts them.
long long ElementInstanceRows(const FibexOutline& o, const XmlDomNode& frame, std::size_t from) {
  long long rows = 0;
  ForEachFibexFrameInstance(frame, [&](std::size_t i, const FibexSignalInstance& inst) {
    if (i >= from) rows += InstanceRows(o, inst.signalRef, inst.signalGroupRef);
  });
  return rows;
}

}  // namespace

void OutlineFibexFile(const XmlDomNode& root, FibexModel& m) {
  auto outline = std::make_unique<FibexOutline>();
  FibexOutline& o = *outline;
  IndexIds(root.getElementsByTagName("fx:SIGNAL"), o.signals);
  IndexIds(root.getElementsByTagName("fx:CODING"), o.codings);
  IndexIds(root.getElementsByTagName("ho:UNIT"), o.units);
  OutlineGroups(root, o);
  OutlineClusters(root, o);
  OutlineChannels(root, o);

  // Every frame of the file, in every timing; a frame without any signal
  // gives its placeholder row. Frames the model holds count their instances
  // as the model read them, and those beyond its table as the file has them.
  const XmlDomNodeList& frames = root.getElementsByTagName("fx:FRAME");
  const std::size_t inModel = std::min<std::size_t>(m.frames.size(), m.frameCount);
  for (std::size_t f = 0; f < frames.size(); ++f) {
    long long perTiming = 0;
    long long timings = 0;
    if (f < inModel) {
      const FibexFrame& frame = m.frames[f];
      timings = FrameTimings(o, frame.id);
      if (timings == 0) continue;
      const std::size_t read = std::min<std::size_t>(
          frame.signalInstances.size(), static_cast<std::size_t>(std::max<int>(frame.signalInstanceCount, 0)));
      for (std::size_t s = 0; s < read; ++s)
        perTiming += InstanceRows(o, frame.signalInstances[s].signalRef, frame.signalInstances[s].signalGroupRef);
      if (read >= static_cast<std::size_t>(FIBEX_MAX_CHILDREN)) perTiming += ElementInstanceRows(o, frames[f], read);
    } else {
      timings = FrameTimings(o, OwnAttribute(frames[f], "ID"));
      if (timings == 0) continue;
      perTiming = ElementInstanceRows(o, frames[f], 0);
    }
    frames[f].ReleaseElementsByTagName();
    o.rows += timings * std::max(perTiming, 1LL);
  }
  m.outline = std::move(outline);
}
