// The reader's tables: records and the two name tables, their accessors and
// setters, and the name lookup that the message line uses.
#include "CanDB.h"

#include "DbcText.h"

#include <algorithm>
#include <cstring>

CCanDB::CCanDB(int capacity) : capacity_(std::max(0, capacity)) { Allocate(); }

CCanDB::~CCanDB() = default;

int CCanDB::Load(const std::string& path, int type) {
  if (type == 0) return ReadLabelFile(path);
  if (type == 1) return ReadDbcFile(path);
  return -1;
}

int CCanDB::Save(const std::string& path, int type) {
  if (type == 0) return WriteLabelFile(path);
  return -1;
}

int CCanDB::ResetCount() {
  count_ = 0;
  return 0;
}

int CCanDB::GetCount() const { return count_; }

bool CCanDB::IsExtended(int i) const {
  return ValidRecord(i) && (static_cast<uint32_t>(records_[i].identifier) & 0x80000000u) != 0;
}
int CCanDB::GetId(int i) const { return ValidRecord(i) ? (records_[i].identifier & 0x7FFFFFFF) : 0; }
int16_t CCanDB::GetDlc(int i) const { return ValidRecord(i) ? records_[i].DLC : int16_t{0}; }
uint32_t CCanDB::GetStartBit(int i) const { return ValidRecord(i) ? records_[i].startBit : 0; }
uint32_t CCanDB::GetBitLength(int i) const { return ValidRecord(i) ? records_[i].bitLength : 0; }
uint8_t CCanDB::GetValueType(int i) const { return ValidRecord(i) ? records_[i].valueType : uint8_t{0}; }
uint8_t CCanDB::GetByteOrder(int i) const { return ValidRecord(i) ? records_[i].byteOrder : uint8_t{0}; }
int CCanDB::GetNodeIndex(int i) const { return ValidRecord(i) ? records_[i].nodeIndex : 0; }
int CCanDB::GetMessageNameIndex(int i) const { return ValidRecord(i) ? records_[i].messageNameIndex : 0; }

const char* CCanDB::NameAt(const NameTable& table, int k, int limit) {
  if (k < 0 || k >= limit || static_cast<std::size_t>(k) >= table.entries.size()) return "";
  return table.entries[static_cast<std::size_t>(k)].text;
}

const char* CCanDB::GetNodeName(int i) const {
  return ValidRecord(i) ? NameAt(nodes_, records_[i].nodeIndex, capacity_) : "";
}
const char* CCanDB::GetMessageName(int i) const {
  return ValidRecord(i) ? NameAt(messages_, records_[i].messageNameIndex, capacity_) : "";
}
const char* CCanDB::GetSignalName(int i) const { return ValidRecord(i) ? records_[i].name : ""; }
const char* CCanDB::GetUnit(int i) const { return ValidRecord(i) ? records_[i].unit : ""; }
double CCanDB::GetFactor(int i) const { return ValidRecord(i) ? records_[i].factor : 0.0; }
double CCanDB::GetOffset(int i) const { return ValidRecord(i) ? records_[i].offset : 0.0; }
double CCanDB::GetMinimum(int i) const { return ValidRecord(i) ? records_[i].minimum : 0.0; }
double CCanDB::GetMaximum(int i) const { return ValidRecord(i) ? records_[i].maximum : 0.0; }
int CCanDB::GetNodeNameCount() const { return nodes_.count; }
int CCanDB::GetMessageNameCount() const { return messages_.count; }
const char* CCanDB::GetNodeNameAt(int k) const { return NameAt(nodes_, k, nodes_.count); }
const char* CCanDB::GetMessageNameAt(int k) const { return NameAt(messages_, k, messages_.count); }

int CCanDB::SetCount(int n) {
  if (n < 0 || n > capacity_) return -1;
  EnsureSlots(n);
  count_ = n;
  return 0;
}

int CCanDB::SetExtended(int i, bool extended) {
  if (!ValidSlot(i)) return -1;
  EnsureSlots(i + 1);
  uint32_t id = static_cast<uint32_t>(records_[i].identifier);
  id = extended ? (id | 0x80000000u) : (id & 0x7FFu);
  records_[i].identifier = static_cast<int32_t>(id);
  return 0;
}

int CCanDB::SetId(int i, uint32_t id) {
  if (!ValidSlot(i)) return -1;
  EnsureSlots(i + 1);
  uint32_t old = static_cast<uint32_t>(records_[i].identifier);
  records_[i].identifier = static_cast<int32_t>((old & 0x80000000u) | id);
  return 0;
}

#define CANDB_SETTER(Name, field, Type) \
  int CCanDB::Name(int i, Type value) { \
    if (!ValidSlot(i)) return -1;       \
    EnsureSlots(i + 1);                 \
    records_[i].field = value;          \
    return 0;                           \
  }
CANDB_SETTER(SetStartBit, startBit, uint32_t)
CANDB_SETTER(SetBitLength, bitLength, uint32_t)
CANDB_SETTER(SetValueType, valueType, uint8_t)
CANDB_SETTER(SetByteOrder, byteOrder, uint8_t)
CANDB_SETTER(SetNodeIndex, nodeIndex, int)
CANDB_SETTER(SetMessageNameIndex, messageNameIndex, int)
CANDB_SETTER(SetFactor, factor, double)
CANDB_SETTER(SetOffset, offset, double)
CANDB_SETTER(SetMinimum, minimum, double)
CANDB_SETTER(SetMaximum, maximum, double)
#undef CANDB_SETTER

int CCanDB::SetSignalName(int i, const char* name) {
  if (!ValidSlot(i)) return -1;
  EnsureSlots(i + 1);
  dbc::CopyName(records_[i].name, name ? std::string_view(name) : std::string_view());
  return 0;
}

int CCanDB::SetUnit(int i, const char* unit) {
  if (!ValidSlot(i)) return -1;
  EnsureSlots(i + 1);
  dbc::CopyName(records_[i].unit, unit ? std::string_view(unit) : std::string_view());
  return 0;
}

int CCanDB::KeepNode(int node) {
  int kept = 0;
  for (int i = 0; i < count_; ++i) {
    _CANDbSignal& r = records_[i];
    if (r.nodeIndex == node) {
      if (kept != i) records_[kept] = std::move(r);  // frees what that slot still held
      ++kept;
    } else {
      r.multiplexValue.Reset();
    }
  }
  count_ = kept;
  return 0;
}

const char* CCanDB::GetMultiplexor(int i) const { return ValidRecord(i) ? records_[i].multiplexor : ""; }
const char* CCanDB::GetMultiplexValue(int i) const {
  return ValidRecord(i) ? records_[i].multiplexValue.Get() : nullptr;
}
int CCanDB::IsJ1939(int i) const { return ValidRecord(i) ? records_[i].J1939 : 0; }

char* CCanDB::TakeMultiplexValue(int i) { return ValidRecord(i) ? records_[i].multiplexValue.Release() : nullptr; }

void CCanDB::Allocate() {
  records_ = std::vector<_CANDbSignal>();
  nodes_.entries = std::vector<NameEntry>();
  messages_.entries = std::vector<NameEntry>();
  std::size_t n = static_cast<std::size_t>(capacity_);
  records_.reserve(n);
  nodes_.entries.reserve(n);
  messages_.entries.reserve(n);
  EnsureSlots(std::min(count_, capacity_));
  Clear();
}

void CCanDB::Clear() {
  for (_CANDbSignal& r : records_) r = _CANDbSignal{};
  for (NameTable* t : {&nodes_, &messages_}) {
    if (!t->entries.empty())
      std::memset(static_cast<void*>(t->entries.data()), 0, t->entries.size() * sizeof(NameEntry));
    t->lookup.Clear();
    t->indexed = 0;
  }
}

int CCanDB::FindOrAddName(NameTable& table, std::string_view token) {
  std::string_view key = dbc::StoredForm(token);
  auto textOf = [&table](int k) { return std::string_view(table.entries[static_cast<std::size_t>(k)].text); };
  // Entries past the vector's size are empty, and no token is empty.
  int limit = std::min(table.count, static_cast<int>(table.entries.size()));
  for (; table.indexed < limit; ++table.indexed) {
    std::string_view text = textOf(table.indexed);
    uint64_t h = dbc::HashBytes(text);
    if (table.lookup.Find(h, [&](int k) { return textOf(k) == text; }) < 0)  // the first of equal names wins
      table.lookup.Add(h, table.indexed);
  }
  uint64_t hash = dbc::HashBytes(key);
  // An entry is zero-filled behind its text, and the key is at most as long
  // as the entry's room.
  int found = table.lookup.Find(hash, [&](int k) {
    const char* text = table.entries[static_cast<std::size_t>(k)].text;
    return std::memcmp(text, key.data(), key.size()) == 0 && text[key.size()] == '\0';
  });
  if (found >= 0) return found;
  if (table.count < 0 || table.count >= capacity_) return -1;
  int k = table.count++;
  if (static_cast<std::size_t>(k) >= table.entries.size()) table.entries.resize(static_cast<std::size_t>(k) + 1);
  dbc::CopyName(table.entries[static_cast<std::size_t>(k)].text, key);
  table.lookup.Add(hash, k);
  table.indexed = table.count;
  return k;
}

void CCanDB::StoreRecord(_CANDbSignal& working) {
  // The table owns the text now.
  if (static_cast<std::size_t>(count_) == records_.size()) records_.push_back(std::move(working));
  else records_[static_cast<std::size_t>(count_)] = std::move(working);
  ++count_;
}

void CCanDB::ParseMultiplexValue(const char* text, _CANDbSignal* record) {
  if (!record) return;
  const char* cursor = text ? text : "";
  std::string_view run;
  if (!dbc::NextToken(cursor, dbc::kIndicatorSeps, run)) {
    record->multiplexValue.Reset();
    return;
  }
  // The run is read on its own, as if the text ended behind it.
  char digits[32];
  uint32_t value;
  if (run.size() < sizeof digits) {
    std::memcpy(digits, run.data(), run.size());
    digits[run.size()] = '\0';
    value = dbc::LowBits(digits);
  } else {
    value = dbc::LowBits(std::string(run).c_str());
  }
  char out[16];
  std::size_t n = 0;
  do {
    out[sizeof out - 1 - n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value);
  record->multiplexValue.Set(std::string_view(out + sizeof out - n, n));
}
