#include "FibexParse.h"

#include "CNumber.h"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <new>
#include <string_view>

// ------------------------------------------------------------------ numbers

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

long long ReadFibexInteger64(const std::string& text) {
  // Strtoll in base 10 reads exactly blanks, sign and decimal digits, and
  // saturates where the C runtime's would overflow.
  return cnum::Strtoll(text.c_str(), nullptr, 10);
}

int ReadFibexInteger(const std::string& text) { return cnum::SaturateToInt(ReadFibexInteger64(text)); }

double ReadFibexDecimal(const std::string& text) {
  // Only the plain notation: "nan", "inf" and hexadecimal forms are not
  // numbers in a FIBEX file and read as far as their digits go.
  std::size_t i = 0, n = text.size();
  while (i < n && IsBlank(text[i])) ++i;
  std::size_t start = i;
  if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < n && IsDigit(text[i])) ++i, ++digits;
  if (i < n && text[i] == '.') {
    ++i;
    while (i < n && IsDigit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return 0.0;
  if (i < n && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t e = i + 1;
    if (e < n && (text[e] == '+' || text[e] == '-')) ++e;
    if (e < n && IsDigit(text[e])) {
      while (e < n && IsDigit(text[e])) ++e;
      i = e;
    }
  }
  double v = cnum::Atof(text.substr(start, i - start).c_str());
  if (std::isnan(v)) return 0.0;
  if (std::isinf(v)) return v > 0 ? DBL_MAX : -DBL_MAX;
  return v;
}

// ------------------------------------------------------- reading operations

std::size_t CountFibexElements(const XmlDomNode& element, const char* tag) {
  return element.getElementsByTagName(tag).size();
}

bool ReadFibexElementTextAt(const XmlDomNode& element, const char* tag, std::size_t index, std::string& name,
                            std::string& text) {
  const auto& list = element.getElementsByTagName(tag);
  if (index >= list.size()) {
    name.clear();
    text.clear();
    return false;
  }
  name = list[index].get_nodeName();
  text = list[index].get_text();
  return true;
}

bool ReadFibexElementAt(const XmlDomNode& element, const char* tag, std::size_t index, std::size_t position,
                        std::string& name, std::string& value, std::string& text) {
  const auto& list = element.getElementsByTagName(tag);
  if (index >= list.size()) {
    name.clear();
    value.clear();
    text.clear();
    return false;
  }
  list[index].GetAttributeAt(position, name, value);
  text = list[index].get_text();
  return true;
}

// ------------------------------------------------------------------ fillers

namespace {

// Grows a table so that `index` exists; false when the index is beyond its cap.
template <class T>
T* Slot(std::vector<T>& table, int index, int cap) {
  if (index < 0 || index >= cap) return nullptr;
  if (static_cast<std::size_t>(index) >= table.size()) table.resize(static_cast<std::size_t>(index) + 1);
  return &table[static_cast<std::size_t>(index)];
}

std::string ValueOf(const FibexReadBuffer& b, const char* name) {
  const std::string* v = b.Attribute(name);
  return v ? *v : std::string();
}

std::uint16_t ClampU16(long long v) {
  if (v < 0) return 0;
  if (v > 65535) return 65535;
  return static_cast<std::uint16_t>(v);
}

std::uint32_t ClampU32(long long v) {
  if (v < 0) return 0;
  if (v > 4294967295LL) return 4294967295u;
  return static_cast<std::uint32_t>(v);
}

// Puts descendant j of a frame's signal-reference row (or of its
// signal-group-reference row when `group`) into the instance that
// `slotAt(count)` gives: a signal reference opens a new instance, except the
// first p - 1 of a frame with p PDU instances; a group reference opens one
// only when the instance at the count holds no signal reference. The frame's
// instances are thus counted by their references, not by their elements.
template <class Count, class SlotAt>
void PlaceFrameReference(Count& count, int pduInstances, bool group, int j, const std::string& ref, SlotAt slotAt) {
  if (!group && pduInstances > 0 && j < pduInstances - 1) return;
  FibexSignalInstance* inst = slotAt(count);
  if (!inst) return;
  if (!group) {
    inst->signalRef = ref;
    ++count;
  } else {
    inst->signalGroupRef = ref;
    if (inst->signalRef.empty()) ++count;
  }
}

}  // namespace

int FillFibexCluster(FibexCluster& r, int j, const FibexReadBuffer& b) {
  const std::string& t = b.tag;
  if (t == "fx:CLUSTER") {
    if (const std::string* v = b.Attribute("ID")) r.id = *v;
    if (const std::string* v = b.Attribute("xsi:type")) r.type = *v;
  } else if (t == "ho:SHORT-NAME") {
    r.shortName = b.text;
  } else if (t == "fx:IS-HIGH-LOW-BIT-ORDER") {
    r.bitOrder = b.text;
  } else if (t == "fx:BIT-COUNTING-POLICY") {
    r.bitCounting = b.text;
  } else if (t == "fx:PROTOCOL") {
    r.protocol = b.text;
  } else if (t == "fx:PROTOCOL-VERSION") {
    r.protocolVersion = ReadFibexDecimal(b.text);
  } else if (t == "fx:CHANNEL-REF") {
    if (std::string* ref = Slot(r.channelRefs, j, FIBEX_MAX_CHILDREN)) {
      *ref = ValueOf(b, "ID-REF");
      r.channelRefCount = static_cast<std::uint16_t>(j + 1);
    }
  } else if (t == "flexray:PAYLOAD-LENGTH-STATIC") {
    r.payloadLengthStatic = ClampU16(ReadFibexInteger64(b.text));
  } else {
    return 1;
  }
  return 0;
}

int FillFibexChannel(FibexChannel& r, int j, const FibexReadBuffer& b) {
  const std::string& t = b.tag;
  if (t == "fx:CHANNEL") {
    if (const std::string* v = b.Attribute("ID")) r.id = *v;
    if (const std::string* v = b.Attribute("xsi:type")) r.type = *v;
  } else if (t == "ho:SHORT-NAME") {
    r.shortName = b.text;
  } else if (t == "fx:FRAME-TRIGGERING") {
    if (FibexFrameTriggering* trig = Slot(r.triggerings, j, FIBEX_MAX_CHILDREN)) {
      // The triggering's identifier is its first attribute, whatever its name.
      trig->id = b.attributeCount > 0 ? b.attributeValues[0] : std::string();
      r.triggeringCount = static_cast<std::uint16_t>(j + 1);
    }
  } else if (t == "fx:FRAME-REF") {
    if (FibexFrameTriggering* trig = Slot(r.triggerings, j, FIBEX_MAX_CHILDREN)) trig->frameRef = ValueOf(b, "ID-REF");
  } else {
    return 1;
  }
  return 0;
}

int FillFibexEcu(FibexEcu& r, int j, const FibexReadBuffer& b) {
  if (b.tag == "fx:ECU") {
    if (const std::string* v = b.Attribute("ID")) r.id = *v;
  } else if (b.tag == "ho:SHORT-NAME") {
    // The first short name is the ECU's own; later ones belong to its controllers.
    if (j == 0) r.shortName = b.text;
  } else {
    return 1;
  }
  return 0;
}

int FillFibexFrame(FibexFrame& r, int j, const FibexReadBuffer& b) {
  const std::string& t = b.tag;
  const int p = r.pduInstanceCount;
  if (t == "fx:FRAME") {
    if (const std::string* v = b.Attribute("ID")) r.id = *v;
  } else if (t == "ho:SHORT-NAME") {
    r.shortName = b.text;
  } else if (t == "fx:BYTE-LENGTH") {
    r.byteLength = ReadFibexInteger(b.text);
  } else if (t == "fx:PDU-INSTANCE") {
    if (r.pduInstanceCount < INT16_MAX) ++r.pduInstanceCount;
  } else if (t == "fx:BIT-POSITION" || t == "fx:IS-HIGH-LOW-BYTE-ORDER") {
    // The first p of these belong to the frame's PDU instances.
    if (j < p) return 0;
    if (FibexSignalInstance* inst = Slot(r.signalInstances, j - p, FIBEX_MAX_CHILDREN)) {
      if (t == "fx:BIT-POSITION") inst->bitPosition = ReadFibexInteger(b.text);
      else inst->byteOrder = b.text;
    }
  } else if (t == "fx:SIGNAL-INSTANCE") {
    if (FibexSignalInstance* inst = Slot(r.signalInstances, j, FIBEX_MAX_CHILDREN)) inst->id = ValueOf(b, "ID");
  } else if (t == "fx:SIGNAL-REF" || t == "fx:SIGNAL-GROUP-REF") {
    PlaceFrameReference(r.signalInstanceCount, p, t == "fx:SIGNAL-GROUP-REF", j, ValueOf(b, "ID-REF"),
                        [&r](int i) { return Slot(r.signalInstances, i, FIBEX_MAX_CHILDREN); });
  } else {
    return 1;
  }
  return 0;
}

int FillFibexSignal(FibexSignal& r, int, const FibexReadBuffer& b) {
  if (b.tag == "fx:SIGNAL") {
    if (const std::string* v = b.Attribute("ID")) r.id = *v;
  } else if (b.tag == "ho:SHORT-NAME") {
    r.shortName = b.text;
  } else if (const std::string* v = b.Attribute("ID-REF")) {
    r.codingRef = *v;
  }
  return 0;
}

int FillFibexUnit(FibexUnit& r, int, const FibexReadBuffer& b) {
  if (b.tag == "ho:UNIT") {
    if (const std::string* v = b.Attribute("ID")) r.id = *v;
  } else if (b.tag == "ho:SHORT-NAME") {
    r.shortName = b.text;
  } else if (b.tag == "ho:DISPLAY-NAME") {
    r.displayName = b.text;
  } else {
    return 1;
  }
  return 0;
}

int FillFibexCoding(FibexCoding& r, int j, const FibexReadBuffer& b) {
  const std::string& t = b.tag;
  if (t == "fx:CODING") {
    if (const std::string* v = b.Attribute("ID")) r.id = *v;
  } else if (t == "ho:SHORT-NAME") {
    if (j == 0) r.shortName = b.text;
  } else if (t == "ho:CODED-TYPE") {
    if (const std::string* v = b.Attribute("CATEGORY")) r.codedTypeCategory = *v;
    if (const std::string* v = b.Attribute("ho:BASE-DATA-TYPE")) r.baseDataType = *v;
  } else if (t == "ho:BIT-LENGTH") {
    r.bitLength = ReadFibexInteger(b.text);
  } else if (t == "ho:CATEGORY") {
    r.category = b.text.empty() ? std::string("IDENTICAL") : b.text;
  } else if (t == "ho:UNIT-REF") {
    if (const std::string* v = b.Attribute("ID-REF")) r.unitRef = *v;
  } else if (t == "ho:SCALE-CONSTR") {
    if (j < 0 || j >= FIBEX_MAX_SCALE_CONSTRAINTS) return 0;
    FibexScaleConstraint& c = r.scaleConstraints[j];
    c.validity = b.text;
    c.lowerLimit = c.upperLimit = 0.0;
    c.lowerIntervalType.clear();
    c.upperIntervalType.clear();
    if (const std::string* v = b.Attribute("VALIDITY")) c.validity = *v;
    r.scaleConstraintCount = b.text.empty() ? 0 : static_cast<std::uint16_t>(j + 1);
  } else if (t == "ho:LOWER-LIMIT" || t == "ho:UPPER-LIMIT") {
    if (j < 0 || j >= FIBEX_MAX_SCALE_CONSTRAINTS) return 0;
    FibexScaleConstraint& c = r.scaleConstraints[j];
    bool lower = t == "ho:LOWER-LIMIT";
    (lower ? c.lowerLimit : c.upperLimit) = ReadFibexDecimal(b.text);
    if (const std::string* v = b.Attribute("INTERVAL-TYPE")) (lower ? c.lowerIntervalType : c.upperIntervalType) = *v;
  } else if (t == "ho:V") {
    if (!r.firstCoefficientSeen) {
      r.offset = b.text.empty() ? 0.0 : ReadFibexDecimal(b.text);
      r.firstCoefficientSeen = 1;
    } else if (!r.secondCoefficientSeen) {
      r.factor = b.text.empty() ? 1.0 : ReadFibexDecimal(b.text);
      r.secondCoefficientSeen = 1;
    }
  } else {
    return 1;
  }
  return 0;
}

int FillFibexSignalGroup(FibexSignalGroup& r, int j, const FibexReadBuffer& b) {
  const std::string& t = b.tag;
  if (t == "fx:SIGNAL-GROUP") {
    if (const std::string* v = b.Attribute("ID")) r.id = *v;
  } else if (t == "ho:SHORT-NAME") {
    r.shortName = b.text;
  } else if (t == "ho:BIT-LENGTH") {
    r.bitLength = ReadFibexInteger(b.text);
  } else if (t == "fx:BIT-POSITION") {
    if (FibexGroupMember* m = Slot(r.members, j, FIBEX_MAX_CHILDREN)) {
      m->bitPosition = ReadFibexInteger(b.text);
      r.memberCount = static_cast<std::int16_t>(j + 1);
    }
  } else if (t == "fx:IS-HIGH-LOW-BYTE-ORDER") {
    if (FibexGroupMember* m = Slot(r.members, j, FIBEX_MAX_CHILDREN)) m->byteOrder = b.text;
  } else if (const std::string* v = b.Attribute("ID-REF")) {
    if (FibexGroupMember* m = Slot(r.members, j, FIBEX_MAX_CHILDREN)) m->signalRef = *v;
  }
  return 0;
}

// ------------------------------------------------------------- family walk

namespace {

int g_allocationFailures = 0;

template <class Record>
bool AllocateTable(std::vector<Record>& table, std::size_t n) {
  if (g_allocationFailures > 0) {
    --g_allocationFailures;
    return false;
  }
  try {
    table.clear();
    table.resize(n);
  } catch (const std::bad_alloc&) {
    // Told as no memory by the import, not as a file that did not load.
    table = {};
    throw;
  }
  return true;
}

// The element itself: its qualified name and up to five of its attributes.
void ReadElementItself(const XmlDomNode& e, FibexReadBuffer& b) {
  b.tag = e.get_nodeName();
  b.text.clear();
  std::size_t n = e.GetAttributeCount();
  if (n > FIBEX_READ_ATTRIBUTES) n = FIBEX_READ_ATTRIBUTES;
  b.attributeCount = static_cast<int>(n);
  for (int i = 0; i < FIBEX_READ_ATTRIBUTES; ++i) {
    if (static_cast<std::size_t>(i) < n)
      e.GetAttributeAt(static_cast<std::size_t>(i), b.attributeNames[i], b.attributeValues[i]);
    else b.attributeNames[i].clear(), b.attributeValues[i].clear();
  }
}

// Reads descendant j of a row into the buffer: by position as many
// attributes as the row names, or none, and the text.
void ReadRowItem(const XmlDomNode& e, const FibexSchemaRow& row, std::size_t j, FibexReadBuffer& b) {
  b.tag = row.tag;
  std::string name;
  if (row.readsAttributes) {
    int count = row.attributeCount;
    if (count > FIBEX_READ_ATTRIBUTES) count = FIBEX_READ_ATTRIBUTES;
    if (count < 0) count = 0;
    b.attributeCount = count;
    const XmlDomNode& item = e.getElementsByTagName(row.tag)[j];
    for (int k = 0; k < FIBEX_READ_ATTRIBUTES; ++k) {
      if (k < count) item.GetAttributeAt(static_cast<std::size_t>(k), b.attributeNames[k], b.attributeValues[k]);
      else b.attributeNames[k].clear(), b.attributeValues[k].clear();
    }
    b.text = item.get_text();
  } else {
    b.attributeCount = 0;
    b.attributeNames[0].clear();
    b.attributeValues[0].clear();
    ReadFibexElementTextAt(e, row.tag, j, name, b.text);
  }
}

// Hands the descendants of one row to the filler, in document order; those
// beyond `limit` are not read, and set `*reached` when given.
template <class Record, class Filler>
void ReadRow(const XmlDomNode& e, const FibexSchemaRow& row, Record& rec, Filler fill, FibexReadBuffer& b,
             std::size_t limit = FIBEX_MAX_CHILDREN, bool* reached = nullptr) {
  std::size_t n = CountFibexElements(e, row.tag);
  if (n > limit) {
    n = limit;
    if (reached) *reached = true;
  }
  for (std::size_t j = 0; j < n; ++j) {
    ReadRowItem(e, row, j, b);
    fill(rec, static_cast<int>(j), b);
  }
}

// The walk shared by all parsers. `zero` clears the record's leading counts,
// `children` reads the descendants of one element. Elements beyond the cap
// set `*reached` when given.
template <class Record, class Zero, class Children>
int WalkFamily(XmlDomDocument& doc, FibexSchemaKind kind, int cap, std::vector<Record>& table, std::uint16_t& count,
               int (*fill)(Record&, int, const FibexReadBuffer&), Zero zero, Children children, bool* reached) {
  count = 0;
  XmlDomNode root = doc.get_documentElement();
  if (root.IsNull()) return 2;
  const FibexSchemaGroup& group = GetFibexSchema(kind);
  const auto& list = root.getElementsByTagName(group.rows[0].tag);
  std::size_t n = list.size();
  if (n > static_cast<std::size_t>(cap)) {
    n = static_cast<std::size_t>(cap);
    if (reached) *reached = true;
  }
  if (n == 0) return 0;
  if (!AllocateTable(table, n)) return 2;

  // Every row's descendants of one element are gathered in a single walk.
  std::string_view rowTags[16];
  std::size_t rowTagCount = 0;
  // A channel reads its timings per triggering, not from the channel itself.
  const int rowsRead = kind == FIBEX_SCHEMA_CHANNEL ? 3 : group.rowCount - 1;
  for (int r = 1; r <= rowsRead && rowTagCount < 15; ++r) rowTags[rowTagCount++] = group.rows[r].tag;
  if (kind == FIBEX_SCHEMA_CHANNEL) rowTags[rowTagCount++] = "fx:FRAME-TRIGGERINGS";

  FibexReadBuffer buffer;
  for (std::size_t i = 0; i < n; ++i) {
    Record& rec = table[i];
    zero(rec);
    const XmlDomNode& e = list[i];
    if (e.get_nodeType() != XMLDOM_NODE_ELEMENT) {
      count = 0;
      return 2;
    }
    e.PrepareElementsByTagName(rowTags, rowTagCount);
    ReadElementItself(e, buffer);
    fill(rec, static_cast<int>(i), buffer);
    children(e, group, rec, buffer);
    e.ReleaseElementsByTagName();
  }
  count = static_cast<std::uint16_t>(n);
  return 0;
}

// The plain child step: rows 1..rowsRead of the group, in table order, at
// most 2048 descendants of each.
template <class Record>
auto PlainChildren(int rowsRead, int (*fill)(Record&, int, const FibexReadBuffer&), bool* reached) {
  return [rowsRead, fill, reached](const XmlDomNode& e, const FibexSchemaGroup& g, Record& rec, FibexReadBuffer& b) {
    for (int r = 1; r <= rowsRead && r < g.rowCount; ++r)
      ReadRow(e, g.rows[r], rec, fill, b, FIBEX_MAX_CHILDREN, reached);
  };
}

// How many descendants of a frame row can still change the record: the
// positions and byte orders of the p PDU instances come before those of the
// signal instances, and the first p - 1 signal references are skipped.
std::size_t FrameRowLimit(const FibexSchemaRow& row, const FibexFrame& rec) {
  const std::size_t p = static_cast<std::size_t>(std::max<int>(rec.pduInstanceCount, 0));
  const std::string_view tag = row.tag;
  if (tag == "fx:BIT-POSITION" || tag == "fx:IS-HIGH-LOW-BYTE-ORDER") return p + FIBEX_MAX_CHILDREN;
  if (tag == "fx:SIGNAL-REF") return (p > 0 ? p - 1 : 0) + FIBEX_MAX_CHILDREN;
  return FIBEX_MAX_CHILDREN;
}

// Timings of each triggering: the t-th triggering of every "fx:FRAME-TRIGGERINGS"
// container is the channel's triggering t.
void ReadTriggeringTimings(const XmlDomNode& channel, FibexChannel& rec, bool& reached) {
  for (const XmlDomNode& container : channel.getElementsByTagName("fx:FRAME-TRIGGERINGS")) {
    const auto& triggerings = container.getElementsByTagName("fx:FRAME-TRIGGERING");
    if (triggerings.size() > static_cast<std::size_t>(FIBEX_MAX_CHILDREN)) reached = true;
    for (std::size_t t = 0; t < triggerings.size() && t < static_cast<std::size_t>(FIBEX_MAX_CHILDREN); ++t) {
      FibexFrameTriggering* trig = Slot(rec.triggerings, static_cast<int>(t), FIBEX_MAX_CHILDREN);
      const XmlDomNode& te = triggerings[t];
      te.PrepareElementsByTagName({"fx:SLOT-ID", "fx:BASE-CYCLE", "fx:CYCLE-REPETITION"});
      trig->slotIds.clear();
      trig->baseCycles.clear();
      trig->cycleRepetitions.clear();
      std::string name, text;

      std::size_t k = CountFibexElements(te, "fx:SLOT-ID");
      if (k > FIBEX_MAX_CHILDREN) k = FIBEX_MAX_CHILDREN, reached = true;
      trig->slotIdCount = static_cast<std::uint16_t>(k);
      trig->slotIds.resize(k);
      for (std::size_t i = 0; i < k; ++i) {
        ReadFibexElementTextAt(te, "fx:SLOT-ID", i, name, text);
        trig->slotIds[i] = ClampU32(ReadFibexInteger64(text));
      }

      k = CountFibexElements(te, "fx:BASE-CYCLE");
      if (k > FIBEX_MAX_CHILDREN) k = FIBEX_MAX_CHILDREN, reached = true;
      trig->baseCycleCount = static_cast<std::uint16_t>(k);
      trig->baseCycles.resize(k);
      for (std::size_t i = 0; i < k; ++i) {
        ReadFibexElementTextAt(te, "fx:BASE-CYCLE", i, name, text);
        trig->baseCycles[i] = ClampU16(ReadFibexInteger64(text));
      }

      k = CountFibexElements(te, "fx:CYCLE-REPETITION");
      if (k > FIBEX_MAX_CHILDREN) k = FIBEX_MAX_CHILDREN, reached = true;
      trig->cycleRepetitionCount = static_cast<std::uint16_t>(k);
      trig->cycleRepetitions.resize(k);
      for (std::size_t i = 0; i < k; ++i) {
        ReadFibexElementTextAt(te, "fx:CYCLE-REPETITION", i, name, text);
        trig->cycleRepetitions[i] = ClampU16(ReadFibexInteger64(text));
      }
      te.ReleaseElementsByTagName();
    }
    container.ReleaseElementsByTagName();
  }
}

// Calls the filler once with nothing but an empty text (and, when given, one
// attribute of that name with an empty value), for a descendant that is missing.
void FillMissing(FibexCoding& rec, const char* tag, int index, const char* attribute) {
  FibexReadBuffer b;
  b.tag = tag;
  if (attribute) {
    b.attributeCount = 1;
    b.attributeNames[0] = attribute;
  }
  FillFibexCoding(rec, index, b);
}

}  // namespace

void SetFibexTableAllocationFailures(int n) { g_allocationFailures = n < 0 ? 0 : n; }

int ParseFibexClusters(XmlDomDocument& doc, FibexModel& m) {
  return WalkFamily(
      doc, FIBEX_SCHEMA_CLUSTER, FIBEX_MAX_CLUSTERS, m.clusters, m.clusterCount, &FillFibexCluster,
      [](FibexCluster& r) { r.channelRefCount = 0; }, PlainChildren(7, &FillFibexCluster, &m.capacityReached),
      &m.capacityReached);
}

int ParseFibexChannels(XmlDomDocument& doc, FibexModel& m) {
  auto children = [&m](const XmlDomNode& e, const FibexSchemaGroup& g, FibexChannel& rec, FibexReadBuffer& b) {
    // Short name, triggering identifiers and frame references; the rest of
    // the group's rows are the timings, read per triggering below.
    for (int r = 1; r <= 3; ++r)
      ReadRow(e, g.rows[r], rec, &FillFibexChannel, b, FIBEX_MAX_CHILDREN, &m.capacityReached);
    ReadTriggeringTimings(e, rec, m.capacityReached);
  };
  return WalkFamily(
      doc, FIBEX_SCHEMA_CHANNEL, FIBEX_MAX_CHANNELS, m.channels, m.channelCount, &FillFibexChannel,
      [](FibexChannel& r) { r.triggeringCount = 0; }, children, &m.capacityReached);
}

int ParseFibexEcus(XmlDomDocument& doc, FibexModel& m) {
  return WalkFamily(
      doc, FIBEX_SCHEMA_ECU, FIBEX_MAX_ECUS, m.ecus, m.ecuCount, &FillFibexEcu, [](FibexEcu& r) { r.unused = 0; },
      PlainChildren(3, &FillFibexEcu, nullptr), nullptr);
}

int ParseFibexFrames(XmlDomDocument& doc, FibexModel& m) {
  return WalkFamily(
      doc, FIBEX_SCHEMA_FRAME, FIBEX_MAX_ELEMENTS, m.frames, m.frameCount, &FillFibexFrame,
      [](FibexFrame& r) { r.pduInstanceCount = r.signalInstanceCount = 0; },
      [&m](const XmlDomNode& e, const FibexSchemaGroup& g, FibexFrame& rec, FibexReadBuffer& b) {
        for (int r = 1; r <= 8 && r < g.rowCount; ++r)
          ReadRow(e, g.rows[r], rec, &FillFibexFrame, b, FrameRowLimit(g.rows[r], rec), &m.capacityReached);
      },
      &m.capacityReached);
}

void ForEachFibexFrameInstance(const XmlDomNode& frame,
                               const std::function<void(std::size_t, const FibexSignalInstance&)>& each) {
  const FibexSchemaGroup& g = GetFibexSchema(FIBEX_SCHEMA_FRAME);
  frame.PrepareElementsByTagName({"fx:PDU-INSTANCE", "fx:SIGNAL-REF", "fx:SIGNAL-GROUP-REF"});
  // As many PDU instances as the frame parser reads.
  const int p =
      static_cast<int>(std::min<std::size_t>(CountFibexElements(frame, "fx:PDU-INSTANCE"), FIBEX_MAX_CHILDREN));
  // References only ever go into the instance at the count, so the one
  // instance at hand is all that is kept; it is handed on when the count
  // moves past it.
  FibexSignalInstance current;
  std::size_t at = 0, count = 0;
  const auto slotAt = [&](std::size_t i) {
    if (at < i) {
      each(at++, current);
      current = FibexSignalInstance();
    }
    return &current;
  };
  FibexReadBuffer b;
  for (int r = 1; r < g.rowCount; ++r) {
    const std::string_view tag = g.rows[r].tag;
    if (tag != "fx:SIGNAL-REF" && tag != "fx:SIGNAL-GROUP-REF") continue;
    const std::size_t n = CountFibexElements(frame, g.rows[r].tag);
    for (std::size_t j = 0; j < n; ++j) {
      ReadRowItem(frame, g.rows[r], j, b);
      PlaceFrameReference(count, p, tag == "fx:SIGNAL-GROUP-REF", static_cast<int>(j), ValueOf(b, "ID-REF"), slotAt);
    }
  }
  if (at < count) each(at, current);
  frame.ReleaseElementsByTagName();
}

int ParseFibexSignals(XmlDomDocument& doc, FibexModel& m) {
  return WalkFamily(
      doc, FIBEX_SCHEMA_SIGNAL, FIBEX_MAX_ELEMENTS, m.signals, m.signalCount, &FillFibexSignal, [](FibexSignal&) {},
      PlainChildren(2, &FillFibexSignal, &m.capacityReached), &m.capacityReached);
}

int ParseFibexUnits(XmlDomDocument& doc, FibexModel& m) {
  return WalkFamily(
      doc, FIBEX_SCHEMA_UNIT, FIBEX_MAX_ELEMENTS, m.units, m.unitCount, &FillFibexUnit, [](FibexUnit&) {},
      PlainChildren(2, &FillFibexUnit, &m.capacityReached), &m.capacityReached);
}

int ParseFibexCodings(XmlDomDocument& doc, FibexModel& m) {
  auto children = [](const XmlDomNode& e, const FibexSchemaGroup& g, FibexCoding& rec, FibexReadBuffer& b) {
    // Rows: 1 SHORT-NAME, 2 CODED-TYPE, 3 BIT-LENGTH, 4 CATEGORY, 5 UNIT-REF,
    // 6 SCALE-CONSTR, 7 LOWER-LIMIT, 8 UPPER-LIMIT, 9 V.
    ReadRow(e, g.rows[1], rec, &FillFibexCoding, b, 1);  // the coding's own name comes first
    ReadRow(e, g.rows[2], rec, &FillFibexCoding, b);
    ReadRow(e, g.rows[3], rec, &FillFibexCoding, b);
    ReadRow(e, g.rows[4], rec, &FillFibexCoding, b);
    if (CountFibexElements(e, g.rows[5].tag) == 0) FillMissing(rec, g.rows[5].tag, 0, "ID-REF");
    else ReadRow(e, g.rows[5], rec, &FillFibexCoding, b);
    if (CountFibexElements(e, g.rows[6].tag) == 0) {
      FillMissing(rec, g.rows[6].tag, rec.scaleConstraintCount, nullptr);
    } else {
      ReadRow(e, g.rows[6], rec, &FillFibexCoding, b, FIBEX_MAX_SCALE_CONSTRAINTS);
      ReadRow(e, g.rows[7], rec, &FillFibexCoding, b, FIBEX_MAX_SCALE_CONSTRAINTS);
      ReadRow(e, g.rows[8], rec, &FillFibexCoding, b, FIBEX_MAX_SCALE_CONSTRAINTS);
    }
    if (CountFibexElements(e, g.rows[9].tag) == 0) FillMissing(rec, g.rows[9].tag, 0, nullptr);
    else ReadRow(e, g.rows[9], rec, &FillFibexCoding, b, 2);
  };
  return WalkFamily(
      doc, FIBEX_SCHEMA_CODING, FIBEX_MAX_ELEMENTS, m.codings, m.codingCount, &FillFibexCoding,
      [](FibexCoding& r) { r.scaleConstraintCount = 0, r.firstCoefficientSeen = 0; }, children, &m.capacityReached);
}

int ParseFibexSignalGroups(XmlDomDocument& doc, FibexModel& m) {
  return WalkFamily(
      doc, FIBEX_SCHEMA_SIGNAL_GROUP, FIBEX_MAX_ELEMENTS, m.signalGroups, m.signalGroupCount, &FillFibexSignalGroup,
      [](FibexSignalGroup& r) { r.memberCount = 0; }, PlainChildren(5, &FillFibexSignalGroup, &m.capacityReached),
      &m.capacityReached);
}
