#include "FibexBuild.h"

#include "CNumber.h"
#include "FibexCoding.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

constexpr int MAX_FLEXRAY_BYTES = 254;

template <class T>
std::size_t Used(const std::vector<T>& table, std::uint16_t count) {
  return std::min<std::size_t>(table.size(), count);
}

std::size_t TriggeringsOf(const FibexChannel& ch) {
  return std::min<std::size_t>(ch.triggerings.size(), ch.triggeringCount);
}

// The first triggering, in channel and then table order, that names the frame.
bool FirstTriggering(const FibexModel& m, const std::string& key, std::size_t& channel, std::size_t& triggering) {
  for (std::size_t c = 0; c < Used(m.channels, m.channelCount); ++c) {
    const FibexChannel& ch = m.channels[c];
    for (std::size_t t = 0; t < TriggeringsOf(ch); ++t) {
      if (ch.triggerings[t].frameRef == key) {
        channel = c;
        triggering = t;
        return true;
      }
    }
  }
  return false;
}

// Index of the first row whose id is `key`, or -1; through the index when built.
template <class T>
std::int32_t FindById(const std::vector<T>& table, std::uint16_t count,
                      const std::unordered_map<std::string, std::int32_t>& index, bool indexBuilt,
                      const std::string& key) {
  if (key.empty()) return -1;
  if (indexBuilt) {
    auto it = index.find(key);
    return it == index.end() ? -1 : it->second;
  }
  for (std::size_t i = 0; i < Used(table, count); ++i)
    if (table[i].id == key) return static_cast<std::int32_t>(i);
  return -1;
}

template <class T>
void IndexIds(const std::vector<T>& table, std::uint16_t count, std::unordered_map<std::string, std::int32_t>& index) {
  index.clear();
  index.reserve(Used(table, count));
  // emplace keeps the first row of an id, as the scans do.
  for (std::size_t i = 0; i < Used(table, count); ++i)
    if (!table[i].id.empty()) index.emplace(table[i].id, static_cast<std::int32_t>(i));
}

void BuildIdIndex(FibexModel& m) {
  FibexIdIndex& x = m.index;
  IndexIds(m.signals, m.signalCount, x.signals);
  IndexIds(m.signalGroups, m.signalGroupCount, x.groups);
  IndexIds(m.codings, m.codingCount, x.codings);
  IndexIds(m.units, m.unitCount, x.units);
  x.triggerings.clear();
  for (std::size_t c = 0; c < Used(m.channels, m.channelCount); ++c) {
    const FibexChannel& ch = m.channels[c];
    for (std::size_t t = 0; t < TriggeringsOf(ch); ++t)
      if (!ch.triggerings[t].frameRef.empty())
        x.triggerings.emplace(ch.triggerings[t].frameRef,
                              std::make_pair(static_cast<std::int32_t>(c), static_cast<std::int32_t>(t)));
  }
  x.built = true;
}

void DropIdIndex(FibexModel& m) { m.index = FibexIdIndex(); }

// Flags that every output signal of one instance starts from.
struct InstanceFlags {
  std::uint8_t warning = 0;
  std::uint8_t error = 0;
};

// Whether `key` names, first in the file, an element beyond the `count`
// rows of its table: an element a capacity left unread.
bool BeyondTable(const std::unordered_map<std::string, std::int32_t>& file, const std::string& key,
                 std::uint16_t count) {
  if (key.empty()) return false;
  auto it = file.find(key);
  return it != file.end() && it->second >= count;
}

class FrameBuilder {
 public:
  explicit FrameBuilder(FibexModel& m) : m_(m), out_(*m.output), file_(m.outline.get()) {}

  bool Full() const { return out_.frames.size() >= MAX_FIBEX_ITEMS || out_.signals.size() >= MAX_FIBEX_ITEMS; }

  // The rows the frame gives when no limit stops it: per timing, one for
  // each signal its instances place, or one placeholder row when they place
  // none (made here or when the frame is stored).
  long long Rows(const FibexFrame& frame, const FibexFrameTriggering& trig) {
    long long perTiming = 0;
    if (frame.signalInstanceCount > 0) {
      const std::size_t instances = std::min<std::size_t>(frame.signalInstances.size(), frame.signalInstanceCount);
      for (std::size_t s = 0; s < instances; ++s) perTiming += InstanceRows(frame.signalInstances[s]);
    }
    const std::size_t timings = std::min<std::size_t>(
        {trig.slotIdCount, trig.slotIds.size(), trig.baseCycles.size(), trig.cycleRepetitions.size()});
    return static_cast<long long>(timings) * std::max(perTiming, 1LL);
  }

  void Frame(const FibexFrame& frame, const FibexCluster& cluster, const FibexFrameTriggering& trig) {
    const int timings = trig.slotIdCount;
    for (int k = 0; k < timings && !Full(); ++k) {
      if (static_cast<std::size_t>(k) >= trig.slotIds.size() || static_cast<std::size_t>(k) >= trig.baseCycles.size() ||
          static_cast<std::size_t>(k) >= trig.cycleRepetitions.size())
        break;
      FibexOutFrame of;
      of.name =
          k == 0 ? frame.shortName : frame.shortName + "_" + std::to_string(trig.slotIds[static_cast<std::size_t>(k)]);
      of.slotId = trig.slotIds[static_cast<std::size_t>(k)];
      of.baseCycle = trig.baseCycles[static_cast<std::size_t>(k)];
      of.cycleRepetition = trig.cycleRepetitions[static_cast<std::size_t>(k)];
      of.byteCount = std::clamp(frame.byteLength, 0, MAX_FLEXRAY_BYTES);
      of.signalInstanceCount = frame.signalInstanceCount;
      frameIndex_ = static_cast<int>(out_.frames.size());
      out_.frames.push_back(std::move(of));

      if (frame.signalInstanceCount <= 0) {
        FibexOutSignal ph;
        ph.frameIndex = frameIndex_;
        ph.name = "NoName";
        ph.bitCount = cnum::SaturateToInt(8LL * std::max(frame.byteLength, 0));
        ph.warning = 1;
        out_.signals.push_back(std::move(ph));
        out_.frames.back().byteCount = 0;
        continue;
      }
      const std::size_t instances = std::min<std::size_t>(frame.signalInstances.size(), frame.signalInstanceCount);
      const std::size_t signalsBefore = out_.signals.size();
      unread_ = 0;
      for (std::size_t s = 0; s < instances && out_.signals.size() < MAX_FIBEX_ITEMS; ++s)
        Instance(frame, cluster, frame.signalInstances[s]);
      // Its signals are in the file, only not read: no placeholder stands
      // for them, the frame is left out with them.
      if (unread_ > 0 && out_.signals.size() == signalsBefore) out_.frames.pop_back();
    }
  }

 private:
  void Instance(const FibexFrame& frame, const FibexCluster& cluster, const FibexSignalInstance& inst) {
    InstanceFlags flags;
    // A byte length outside 0..254 cannot be a FlexRay frame: the signals are
    // placed as if it were cut to the limit and carry the error flag. The
    // frame's bit count stays what the file says, never below 0.
    length_ = frame.byteLength;
    frameBits_ = 8LL * std::max(frame.byteLength, 0);
    if (length_ > MAX_FLEXRAY_BYTES || length_ < 0) {
      flags.error = 1;
      length_ = std::clamp(length_, 0, MAX_FLEXRAY_BYTES);
    }
    cluster_ = &cluster;

    if (file_ && (BeyondTable(file_->signals, inst.signalRef, m_.signalCount) ||
                  (!file_->signals.count(inst.signalRef) &&
                   BeyondTable(file_->groups, inst.signalGroupRef, m_.signalGroupCount)))) {
      ++unread_;
      return;
    }
    m_.signalKey = inst.signalRef;
    m_.groupKey = inst.signalGroupRef;
    if (!FindFibexSignalOrGroup(m_)) {
      // Neither a signal nor a group: one zeroed signal named by the reference.
      Zeroed(!inst.signalRef.empty() ? inst.signalRef : inst.signalGroupRef);
      return;
    }
    if (m_.lookup.signalFound) {
      Signal(static_cast<std::size_t>(m_.lookup.signalIndex), inst.bitPosition, inst.byteOrder, flags);
      return;
    }
    const FibexSignalGroup& group = m_.signalGroups[static_cast<std::size_t>(m_.lookup.groupIndex)];
    const std::size_t members = std::min<std::size_t>(group.members.size(), std::max<int>(group.memberCount, 0));
    for (std::size_t i = 0; i < members && out_.signals.size() < MAX_FIBEX_ITEMS; ++i) {
      const FibexGroupMember& member = group.members[i];
      // A group of one member is placed where the instance says.
      const bool own = !(i == 0 && members == 1);
      const int bitPosition = own ? member.bitPosition : inst.bitPosition;
      const std::string& byteOrder = own ? member.byteOrder : inst.byteOrder;
      if (file_ && BeyondTable(file_->signals, member.signalRef, m_.signalCount)) {
        ++unread_;
        continue;
      }
      m_.signalKey = member.signalRef;
      m_.groupKey.clear();
      if (FindFibexSignalOrGroup(m_) && m_.lookup.signalFound)
        Signal(static_cast<std::size_t>(m_.lookup.signalIndex), bitPosition, byteOrder, flags);
      else Zeroed(member.signalRef);
    }
  }

  // What Instance places: one signal, or one per member of a group.
  long long InstanceRows(const FibexSignalInstance& inst) {
    m_.signalKey = inst.signalRef;
    m_.groupKey = inst.signalGroupRef;
    if (!FindFibexSignalOrGroup(m_) || m_.lookup.signalFound) return 1;
    const FibexSignalGroup& group = m_.signalGroups[static_cast<std::size_t>(m_.lookup.groupIndex)];
    return static_cast<long long>(std::min<std::size_t>(group.members.size(), std::max<int>(group.memberCount, 0)));
  }

  void Zeroed(const std::string& name) {
    FibexOutSignal z;
    z.frameIndex = frameIndex_;
    z.name = name;
    z.warning = 1;
    out_.signals.push_back(std::move(z));
  }

  // A coding or unit beyond its table would give the signal unscaled or
  // without its unit.
  bool BuiltOnUnread(const FibexSignal& sig) {
    if (!file_) return false;
    if (BeyondTable(file_->codings, sig.codingRef, m_.codingCount)) return true;
    m_.frameKey = sig.codingRef;
    return FindFibexCoding(m_) &&
           BeyondTable(file_->units, m_.codings[static_cast<std::size_t>(m_.lookup.codingIndex)].unitRef, m_.unitCount);
  }

  void Signal(std::size_t signalIndex, int bitPosition, const std::string& byteOrderText, InstanceFlags flags) {
    const FibexSignal& sig = m_.signals[signalIndex];
    if (BuiltOnUnread(sig)) {
      ++unread_;
      return;
    }
    const int frameBits = static_cast<int>(std::min<long long>(frameBits_, INT_MAX));
    FibexOutSignal os;
    os.frameIndex = frameIndex_;

    FibexValueRange range;
    long long bitCount;
    m_.frameKey = sig.codingRef;
    if (FindFibexCoding(m_)) {
      const int coding = m_.lookup.codingIndex;
      bitCount = m_.codings[static_cast<std::size_t>(coding)].bitLength;
      // Values that can only be taken unscaled warn; a frame too long to be
      // a FlexRay frame stays an error all the same, or a signal placed
      // beyond the stored 254 bytes could be added to the definitions.
      if (GetFibexCodingScale(m_.codings, coding, range) == 0) flags.warning = 1;
    } else {
      range.valueKind = 0;
      range.offset = 0.0;
      range.factor = 1.0;
      range.physicalMinimum = range.physicalMaximum = 0.0;
      bitCount = frameBits;
    }

    long long start = ConvertFibexBitPosition(bitPosition, cnum::SaturateToInt(bitCount), length_, cluster_->bitOrder,
                                              cluster_->bitCounting, byteOrderText, os.bitOrder, os.byteOrder);
    start = frameBits > 0 ? std::clamp<long long>(start, 0, frameBits - 1LL) : 0;
    if (bitCount < 0) {
      bitCount = 0;
      flags.error = 1;
    }
    if (bitCount > frameBits) {
      bitCount = frameBits;
      flags.error = 1;
    }
    if (start + bitCount > frameBits) {
      bitCount = frameBits - start;
      flags.error = 1;
    }

    const FibexOutFrame& of = out_.frames[static_cast<std::size_t>(frameIndex_)];
    if (of.baseCycle > 63 || of.cycleRepetition == 0 || of.cycleRepetition > 64 || of.cycleRepetition <= of.baseCycle) {
      flags.error = 1;
      flags.warning = 0;
    }

    m_.frameKey = sig.codingRef;
    if (FindFibexCodingUnit(m_)) os.unit = m_.units[static_cast<std::size_t>(m_.lookup.unitIndex)].displayName;

    os.name = sig.shortName;
    os.startBit = static_cast<int>(start);
    os.bitCount = static_cast<int>(bitCount);
    os.valueType = static_cast<std::uint8_t>(range.valueKind);
    os.offset = range.offset;
    os.factor = range.factor;
    os.minimum = range.physicalMinimum;
    os.maximum = range.physicalMaximum;
    os.warning = flags.warning;
    os.error = flags.error;
    out_.signals.push_back(std::move(os));
  }

  FibexModel& m_;
  FibexOutput& out_;
  const FibexOutline* file_;  // the whole file, when the tables could not hold it
  long long unread_ = 0;      // rows of the current output frame built on unread elements
  int frameIndex_ = 0;
  int length_ = 0;
  long long frameBits_ = 0;
  const FibexCluster* cluster_ = nullptr;
};

}  // namespace

int FindFibexTriggering(FibexModel& m) {
  FibexLookup& l = m.lookup;
  l.triggeringFound = 0;
  const std::string& key = m.frameKey;
  if (key.empty()) return 0;
  std::size_t c = 0, t = 0;
  if (m.index.built) {
    auto it = m.index.triggerings.find(key);
    if (it == m.index.triggerings.end()) return 0;
    c = static_cast<std::size_t>(it->second.first);
    t = static_cast<std::size_t>(it->second.second);
  } else if (!FirstTriggering(m, key, c, t)) {
    return 0;
  }
  const FibexChannel& ch = m.channels[c];
  l.channelIndex = static_cast<std::int32_t>(c);
  l.triggeringIndex = static_cast<std::int32_t>(t);
  // Only the first channel that carries the frame is tried.
  if (ch.id.empty()) return 0;
  for (std::size_t k = 0; k < Used(m.clusters, m.clusterCount); ++k) {
    const FibexCluster& cl = m.clusters[k];
    const std::size_t refs = std::min<std::size_t>(cl.channelRefs.size(), cl.channelRefCount);
    for (std::size_t r = 0; r < refs; ++r) {
      if (cl.channelRefs[r] == ch.id) {
        l.clusterIndex = static_cast<std::int32_t>(k);
        l.channelRefIndex = static_cast<std::int32_t>(r);
        l.triggeringFound = 1;
        return 1;
      }
    }
  }
  return 0;
}

int FindFibexSignalOrGroup(FibexModel& m) {
  FibexLookup& l = m.lookup;
  l.signalFound = 0;
  l.groupFound = 0;
  std::int32_t s = FindById(m.signals, m.signalCount, m.index.signals, m.index.built, m.signalKey);
  if (s >= 0) {
    l.signalFound = 1;
    l.signalIndex = s;
    return 1;
  }
  std::int32_t g = FindById(m.signalGroups, m.signalGroupCount, m.index.groups, m.index.built, m.groupKey);
  if (g >= 0) {
    l.groupFound = 1;
    l.groupIndex = g;
    return 1;
  }
  return 0;
}

int FindFibexCoding(FibexModel& m) {
  std::int32_t c = FindById(m.codings, m.codingCount, m.index.codings, m.index.built, m.frameKey);
  if (c < 0) return 0;
  m.lookup.codingIndex = c;
  return 1;
}

int FindFibexCodingUnit(FibexModel& m) {
  if (!FindFibexCoding(m)) return 0;
  const std::string& unitRef = m.codings[static_cast<std::size_t>(m.lookup.codingIndex)].unitRef;
  std::int32_t u = FindById(m.units, m.unitCount, m.index.units, m.index.built, unitRef);
  if (u < 0) return 0;
  m.lookup.unitIndex = u;
  return 1;
}

namespace {

// The triggering of a frame that the output takes, in a FlexRay cluster with
// as many base cycles and repetitions as slots; null for any other frame.
const FibexFrameTriggering* BuildableTriggering(FibexModel& m, const FibexFrame& frame, const FibexCluster*& cluster) {
  m.frameKey = frame.id;
  if (!FindFibexTriggering(m)) return nullptr;
  cluster = &m.clusters[static_cast<std::size_t>(m.lookup.clusterIndex)];
  if (!IsFibexFlexRayProtocol(cluster->protocol)) return nullptr;
  const FibexFrameTriggering& trig = m.channels[static_cast<std::size_t>(m.lookup.channelIndex)]
                                         .triggerings[static_cast<std::size_t>(m.lookup.triggeringIndex)];
  if (trig.slotIdCount == 0 || trig.slotIdCount != trig.baseCycleCount || trig.slotIdCount != trig.cycleRepetitionCount)
    return nullptr;
  return &trig;
}

// Whether the frame's triggering, its cluster and its timings are, first in
// the file, what the tables hold; a frame linked through an element they
// left unread is left out, not built from another one.
bool LinkedWithinTables(const FibexModel& m, const FibexFrame& frame) {
  const FibexOutline* o = m.outline.get();
  if (!o || frame.id.empty()) return true;
  auto t = o->triggerings.find(frame.id);
  if (t == o->triggerings.end()) return true;  // none in the file either
  const std::size_t c = static_cast<std::size_t>(t->second.first);
  const std::size_t j = static_cast<std::size_t>(t->second.second);
  if (c >= Used(m.channels, m.channelCount) || j >= TriggeringsOf(m.channels[c])) return false;
  // Timing lists cut to the same length may agree where the file's do not.
  if (j >= o->timings[c].size() || o->timings[c][j] == 0) return false;
  auto k = o->clusterOf.find(o->channelIds[c]);
  if (k == o->clusterOf.end()) return true;
  const std::size_t cl = static_cast<std::size_t>(k->second.first);
  if (cl >= Used(m.clusters, m.clusterCount)) return false;
  const FibexCluster& cluster = m.clusters[cl];
  return static_cast<std::size_t>(k->second.second) <
         std::min<std::size_t>(cluster.channelRefs.size(), cluster.channelRefCount);
}

}  // namespace

void BuildFibexFrames(FibexModel& m) {
  m.output = std::make_unique<FibexOutput>();
  FibexOutput& out = *m.output;
  FrameBuilder builder(m);
  BuildIdIndex(m);
  const std::size_t frames = std::min<std::size_t>(Used(m.frames, m.frameCount), MAX_FIBEX_ITEMS);
  const FibexCluster* cluster = nullptr;
  for (std::size_t f = 0; f < frames && !builder.Full(); ++f)
    if (LinkedWithinTables(m, m.frames[f]))
      if (const FibexFrameTriggering* trig = BuildableTriggering(m, m.frames[f], cluster))
        builder.Frame(m.frames[f], *cluster, *trig);
  out.frameCount = static_cast<std::uint16_t>(out.frames.size());
  out.signalCount = static_cast<std::uint16_t>(out.signals.size());
  if (builder.Full() || m.outline) {
    // Rows left out are the rows the file describes less the rows stored:
    // the output's signals and a placeholder for each output frame without one.
    long long rows = 0;
    if (m.outline) rows = m.outline->rows;
    else
      for (std::size_t f = 0; f < Used(m.frames, m.frameCount); ++f)
        if (const FibexFrameTriggering* trig = BuildableTriggering(m, m.frames[f], cluster))
          rows += builder.Rows(m.frames[f], *trig);
    std::vector<bool> hasSignal(out.frames.size(), false);
    for (const FibexOutSignal& s : out.signals)
      if (s.frameIndex >= 0 && static_cast<std::size_t>(s.frameIndex) < hasSignal.size())
        hasSignal[static_cast<std::size_t>(s.frameIndex)] = true;
    const long long stored =
        static_cast<long long>(out.signals.size()) + std::count(hasSignal.begin(), hasSignal.end(), false);
    out.rowsLeftOut = static_cast<std::uint32_t>(std::clamp<long long>(rows - stored, 0, UINT32_MAX));
  }
  DropIdIndex(m);
}
