#include "FibexModel.h"

#include <cstring>

void ResetFibexModel(FibexModel& model) {
  model.lookup = FibexLookup{};
  model.index = FibexIdIndex{};
  model.capacityReached = false;
  model.outline.reset();
  model.clusterCount = model.channelCount = model.gatewayCount = model.ecuCount = 0;
  model.frameCount = model.signalCount = model.unitCount = model.codingCount = model.signalGroupCount = 0;
  model.clusters = {};
  model.channels = {};
  model.ecus = {};
  model.frames = {};
  model.signals = {};
  model.units = {};
  model.codings = {};
  model.signalGroups = {};
  model.output.reset();
}

void FreeFibexModel(FibexModel& model) {
  // Assigning empty vectors gives their memory back at once; a reader of a
  // large file may have held tens of megabytes here.
  ResetFibexModel(model);
}

const std::string* FibexReadBuffer::Attribute(const char* name) const {
  int n = attributeCount < FIBEX_READ_ATTRIBUTES ? attributeCount : FIBEX_READ_ATTRIBUTES;
  for (int i = 0; i < n; ++i)
    if (attributeNames[i] == name) return &attributeValues[i];
  return nullptr;
}

namespace {

// Attribute-name lists; the expected indexes of the rows point into them.
const char* const kCommonNames[] = {"ID", "xsi:type", "ID-REF"};
const char* const kCodingNames[] = {"ID",       "xsi:type",     "ID-REF", "CATEGORY", "ho:BASE-DATA-TYPE",
                                    "VALIDITY", "INTERVAL-TYPE"};

constexpr int ID = 0, XSI_TYPE = 1, ID_REF = 2, CATEGORY = 3, BASE_DATA_TYPE = 4, VALIDITY = 5, INTERVAL_TYPE = 6;

const FibexSchemaRow kClusterRows[] = {
    {"fx:CLUSTER", true, 2, {ID, XSI_TYPE}},
    {"ho:SHORT-NAME", false, 0, {}},
    {"fx:IS-HIGH-LOW-BIT-ORDER", false, 0, {}},
    {"fx:BIT-COUNTING-POLICY", false, 0, {}},
    {"fx:PROTOCOL", false, 0, {}},
    {"fx:PROTOCOL-VERSION", false, 0, {}},
    {"fx:CHANNEL-REF", true, 1, {ID_REF}},
    {"flexray:PAYLOAD-LENGTH-STATIC", false, 0, {}},
};

const FibexSchemaRow kChannelRows[] = {
    {"fx:CHANNEL", true, 2, {ID, XSI_TYPE}}, {"ho:SHORT-NAME", false, 0, {}}, {"fx:FRAME-TRIGGERING", true, 1, {ID}},
    {"fx:FRAME-REF", true, 1, {ID_REF}},     {"fx:SLOT-ID", false, 0, {}},    {"fx:BASE-CYCLE", false, 0, {}},
    {"fx:CYCLE-REPETITION", false, 0, {}},
};

const FibexSchemaRow kEcuRows[] = {
    {"fx:ECU", true, 1, {ID}},
    {"ho:SHORT-NAME", false, 0, {}},
    {"fx:CONTROLLER", true, 2, {ID, XSI_TYPE}},
    {"flexray:MAX-DYNAMIC-PAYLOAD-LENGTH", false, 0, {}},
};

const FibexSchemaRow kFrameRows[] = {
    {"fx:FRAME", true, 1, {ID}},
    {"ho:SHORT-NAME", false, 0, {}},
    {"fx:BYTE-LENGTH", false, 0, {}},
    {"fx:PDU-INSTANCE", true, 0, {}},
    {"fx:SIGNAL-INSTANCE", true, 1, {ID}},
    {"fx:BIT-POSITION", false, 0, {}},
    {"fx:IS-HIGH-LOW-BYTE-ORDER", false, 0, {}},
    {"fx:SIGNAL-REF", true, 1, {ID_REF}},
    {"fx:SIGNAL-GROUP-REF", true, 1, {ID_REF}},
};

const FibexSchemaRow kSignalRows[] = {
    {"fx:SIGNAL", true, 1, {ID}},
    {"ho:SHORT-NAME", false, 0, {}},
    {"fx:CODING-REF", true, 1, {ID_REF}},
};

const FibexSchemaRow kUnitRows[] = {
    {"ho:UNIT", true, 1, {ID}},
    {"ho:SHORT-NAME", false, 0, {}},
    {"ho:DISPLAY-NAME", false, 0, {}},
};

const FibexSchemaRow kCodingRows[] = {
    {"fx:CODING", true, 1, {ID}},
    {"ho:SHORT-NAME", false, 0, {}},
    {"ho:CODED-TYPE", true, 2, {CATEGORY, BASE_DATA_TYPE}},
    {"ho:BIT-LENGTH", false, 0, {}},
    {"ho:CATEGORY", false, 0, {}},
    {"ho:UNIT-REF", true, 1, {ID_REF}},
    {"ho:SCALE-CONSTR", true, 1, {VALIDITY}},
    {"ho:LOWER-LIMIT", true, 1, {INTERVAL_TYPE}},
    {"ho:UPPER-LIMIT", true, 1, {INTERVAL_TYPE}},
    {"ho:V", false, 0, {}},
};

const FibexSchemaRow kSignalGroupRows[] = {
    {"fx:SIGNAL-GROUP", true, 1, {ID}},
    {"ho:SHORT-NAME", false, 0, {}},
    {"ho:BIT-LENGTH", false, 0, {}},
    {"fx:BIT-POSITION", false, 0, {}},
    {"fx:IS-HIGH-LOW-BYTE-ORDER", false, 0, {}},
    {"fx:SIGNAL-REF", true, 1, {ID_REF}},
};

template <std::size_t R, std::size_t N>
constexpr FibexSchemaGroup Group(const FibexSchemaRow (&rows)[R], const char* const (&names)[N]) {
  return {rows, static_cast<int>(R), names, static_cast<int>(N)};
}

const FibexSchemaGroup kGroups[FIBEX_SCHEMA_KIND_COUNT] = {
    Group(kClusterRows, kCommonNames), Group(kChannelRows, kCommonNames),     Group(kEcuRows, kCommonNames),
    Group(kFrameRows, kCommonNames),   Group(kSignalRows, kCommonNames),      Group(kUnitRows, kCommonNames),
    Group(kCodingRows, kCodingNames),  Group(kSignalGroupRows, kCommonNames),
};

}  // namespace

const FibexSchemaGroup& GetFibexSchema(FibexSchemaKind kind) {
  if (kind < 0 || kind >= FIBEX_SCHEMA_KIND_COUNT) kind = FIBEX_SCHEMA_CLUSTER;
  return kGroups[kind];
}
