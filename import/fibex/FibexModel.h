// The FIBEX reader's working model: what the element parsers copy out of the
// XML document, one table per element kind, and the output block that the
// build makes of it. Every table is sized to what was read, never beyond the
// capacities below; texts are the document's UTF-8.
//
// The model lives on the stack of one import (ImportFibexFile) rather than
// inside the document, so the store does not depend on this reader.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

constexpr int FIBEX_MAX_CLUSTERS = 16;
constexpr int FIBEX_MAX_CHANNELS = 32;
constexpr int FIBEX_MAX_ECUS = 256;
constexpr int FIBEX_MAX_ELEMENTS = 2048;  // frames, signals, units, codings, signal groups
constexpr int FIBEX_MAX_CHILDREN = 2048;  // channel references, triggerings, timings, instances, members
constexpr int FIBEX_MAX_SCALE_CONSTRAINTS = 3;
constexpr int MAX_FIBEX_ITEMS = 2048;  // output frames, output signals
constexpr int FIBEX_READ_ATTRIBUTES = 5;

struct FibexCluster {
  std::uint16_t channelRefCount = 0;
  std::uint16_t payloadLengthStatic = 0;
  double protocolVersion = 0.0;
  std::string id;
  std::string type;
  std::string shortName;
  std::string bitOrder;     // fx:IS-HIGH-LOW-BIT-ORDER
  std::string bitCounting;  // fx:BIT-COUNTING-POLICY
  std::string protocol;     // fx:PROTOCOL
  std::vector<std::string> channelRefs;
};

struct FibexFrameTriggering {
  std::vector<std::uint32_t> slotIds;
  std::vector<std::uint16_t> baseCycles;
  std::vector<std::uint16_t> cycleRepetitions;
  std::uint16_t slotIdCount = 0;
  std::uint16_t baseCycleCount = 0;
  std::uint16_t cycleRepetitionCount = 0;
  std::string id;
  std::string frameRef;
};

struct FibexChannel {
  std::uint16_t triggeringCount = 0;
  // Grown to the highest index written; only the first triggeringCount
  // entries are triggerings of the channel.
  std::vector<FibexFrameTriggering> triggerings;
  std::string id;
  std::string type;
  std::string shortName;
};

struct FibexEcu {
  int unused = 0;
  std::string id;
  std::string shortName;
};

struct FibexSignalInstance {
  int bitPosition = 0;
  std::string id;
  std::string byteOrder;  // fx:IS-HIGH-LOW-BYTE-ORDER
  std::string signalRef;
  std::string signalGroupRef;
};

struct FibexFrame {
  std::int16_t pduInstanceCount = 0;
  std::int16_t signalInstanceCount = 0;
  int byteLength = 0;
  std::string id;
  std::string shortName;
  // Grown to the highest index written (at most 2048 entries).
  std::vector<FibexSignalInstance> signalInstances;
};

struct FibexSignal {
  std::string id;
  std::string shortName;
  std::string codingRef;
};

struct FibexUnit {
  std::string id;
  std::string shortName;
  std::string displayName;
};

struct FibexScaleConstraint {
  double lowerLimit = 0.0;
  double upperLimit = 0.0;
  std::string validity;
  std::string lowerIntervalType;
  std::string upperIntervalType;
};

struct FibexCoding {
  std::uint16_t scaleConstraintCount = 0;
  int bitLength = 0;
  std::uint8_t firstCoefficientSeen = 0;
  std::uint8_t secondCoefficientSeen = 0;
  double offset = 0.0;
  double factor = 1.0;
  FibexScaleConstraint scaleConstraints[FIBEX_MAX_SCALE_CONSTRAINTS];
  std::string id;
  std::string shortName;
  std::string codedTypeCategory;
  std::string baseDataType;
  std::string category;
  std::string unitRef;
};

struct FibexGroupMember {
  int bitPosition = 0;
  std::string byteOrder;
  std::string signalRef;
};

struct FibexSignalGroup {
  int bitLength = 0;
  std::int16_t memberCount = 0;
  std::string id;
  std::string shortName;
  // Grown to the highest index written (at most 2048 entries).
  std::vector<FibexGroupMember> members;
};

struct FibexOutFrame {
  std::uint32_t slotId = 0;
  std::uint32_t reserved = 0;
  int byteCount = 0;
  int signalInstanceCount = 0;
  int baseCycle = 0;
  int cycleRepetition = 0;
  std::string name;
};

struct FibexOutSignal {
  int frameIndex = 0;
  std::uint8_t warning = 0;  // values taken as IDENTICAL
  std::uint8_t error = 0;    // encoding not supported / did not fit
  int startBit = 0;
  int bitCount = 0;
  std::uint8_t bitOrder = 0;
  std::uint8_t valueType = 0;
  std::uint8_t byteOrder = 0;
  double offset = 0.0;
  double factor = 0.0;
  double minimum = 0.0;
  double maximum = 0.0;
  std::string name;
  std::string unit;
};

struct FibexOutput {
  std::uint16_t frameCount = 0;
  std::uint16_t signalCount = 0;
  // Rows that found no room in the output or were built on elements beyond
  // the tables: the signals of the frame cut part-way and of every frame
  // after it, a placeholder row for a frame without signals, every row of a
  // frame, timing or element a capacity left unread.
  std::uint32_t rowsLeftOut = 0;
  std::vector<FibexOutFrame> frames;
  std::vector<FibexOutSignal> signals;
};

// What the reference lookups of the build leave behind.
struct FibexLookup {
  std::int32_t triggeringFound = 0;
  std::int32_t channelIndex = 0;
  std::int32_t triggeringIndex = 0;
  std::int32_t clusterIndex = 0;
  std::int32_t channelRefIndex = 0;
  std::int32_t signalFound = 0;
  std::int32_t signalIndex = 0;
  std::int32_t groupFound = 0;
  std::int32_t groupIndex = 0;
  std::int32_t codingIndex = 0;
  std::int32_t unitIndex = 0;
};

// Identifier -> first table index, built for one build pass so that a file
// with thousands of references is resolved in linear time, not by scanning
// every table once per reference.
struct FibexIdIndex {
  bool built = false;
  std::unordered_map<std::string, std::int32_t> signals;
  std::unordered_map<std::string, std::int32_t> groups;
  std::unordered_map<std::string, std::int32_t> codings;
  std::unordered_map<std::string, std::int32_t> units;
  // frame reference -> (channel, triggering) of its first triggering
  std::unordered_map<std::string, std::pair<std::int32_t, std::int32_t>> triggerings;
};

// What the whole file holds of the elements the build links, beyond the
// capacities of the tables too: made only when a capacity left elements
// unread, so that the build can tell a reference into those (its row is left
// out and counted) from one that leads nowhere in the file (the zeroed
// signal), and count the rows the file describes.
struct FibexOutline {
  struct Place {
    std::int32_t first = 0;   // channel, or cluster
    std::int32_t second = 0;  // triggering of that channel, or channel reference of that cluster
  };
  // identifier -> index of its first element in the file
  std::unordered_map<std::string, std::int32_t> signals;
  std::unordered_map<std::string, std::int32_t> codings;
  std::unordered_map<std::string, std::int32_t> units;
  std::unordered_map<std::string, std::int32_t> groups;
  std::vector<long long> groupMembers;                 // members of each group in the file
  std::unordered_map<std::string, Place> triggerings;  // frame -> its first triggering
  std::unordered_map<std::string, Place> clusterOf;    // channel -> its first cluster reference
  std::vector<std::string> channelIds;
  std::vector<bool> flexRayClusters;
  // Timings of each triggering of each channel, 0 when its lists of slots,
  // base cycles and repetitions disagree.
  std::vector<std::vector<long long>> timings;
  // Rows of all frames of the file, every timing and every signal.
  long long rows = 0;
};

struct FibexModel {
  FibexLookup lookup;
  FibexIdIndex index;
  // A capacity of the tables left elements of the file unread.
  bool capacityReached = false;
  std::unique_ptr<FibexOutline> outline;  // only when a capacity was reached

  std::uint16_t clusterCount = 0;
  std::uint16_t channelCount = 0;
  std::uint16_t gatewayCount = 0;  // gateways are never read
  std::uint16_t ecuCount = 0;
  std::uint16_t frameCount = 0;
  std::uint16_t signalCount = 0;
  std::uint16_t unitCount = 0;
  std::uint16_t codingCount = 0;
  std::uint16_t signalGroupCount = 0;

  std::vector<FibexCluster> clusters;
  std::vector<FibexChannel> channels;
  std::vector<FibexEcu> ecus;
  std::vector<FibexFrame> frames;
  std::vector<FibexSignal> signals;
  std::vector<FibexUnit> units;
  std::vector<FibexCoding> codings;
  std::vector<FibexSignalGroup> signalGroups;
  std::unique_ptr<FibexOutput> output;

  std::string frameKey;   // frame ID or coding reference being looked up
  std::string signalKey;  // signal reference being looked up
  std::string groupKey;   // signal-group reference being looked up
};

// Lookups, counts and tables to zero; the key strings keep their text.
void ResetFibexModel(FibexModel& model);
// Drops every table and the output block, then resets.
void FreeFibexModel(FibexModel& model);

// ------------------------------------------------------------ schema table

// One element the parsers read: its qualified tag, whether its attributes
// are read, how many (by position) and which names of the group's attribute
// list they are expected to be.
struct FibexSchemaRow {
  const char* tag;
  bool readsAttributes;
  int attributeCount;
  int expected[FIBEX_READ_ATTRIBUTES];
};

struct FibexSchemaGroup {
  const FibexSchemaRow* rows;  // rows[0] is the element kind itself
  int rowCount;
  const char* const* attributeNames;
  int attributeNameCount;
};

enum FibexSchemaKind {
  FIBEX_SCHEMA_CLUSTER,
  FIBEX_SCHEMA_CHANNEL,
  FIBEX_SCHEMA_ECU,
  FIBEX_SCHEMA_FRAME,
  FIBEX_SCHEMA_SIGNAL,
  FIBEX_SCHEMA_UNIT,
  FIBEX_SCHEMA_CODING,
  FIBEX_SCHEMA_SIGNAL_GROUP,
  FIBEX_SCHEMA_KIND_COUNT
};

const FibexSchemaGroup& GetFibexSchema(FibexSchemaKind kind);

// One element as the parsers hand it to a filler.
struct FibexReadBuffer {
  int attributeCount = 0;
  std::string tag;
  std::string text;
  std::string attributeNames[FIBEX_READ_ATTRIBUTES];
  std::string attributeValues[FIBEX_READ_ATTRIBUTES];

  // The value of the attribute named `name` among the first attributeCount;
  // null when none has that name.
  const std::string* Attribute(const char* name) const;
};
