#include "CanDB.h"

#include "CNumber.h"
#include "CodePage.h"
#include "TextFile.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace {

constexpr double kNoLimit = 1e31;

// What a byte means to the tokenizer under one set of separators. Only
// ASCII bytes are separators, so the lead byte of a double-byte character
// never is one, and its trail byte is skipped with it.
enum ByteClass : uint8_t { kPlain = 0, kSeparator = 1, kEnd = 2, kLead = 3 };

class Seps {
 public:
  constexpr explicit Seps(const char* chars) : class_{} {
    for (int c = 0x81; c <= 0xFC; ++c)
      if (c <= 0x9F || c >= 0xE0) class_[static_cast<std::size_t>(c)] = kLead;
    for (const char* c = chars; *c; ++c) class_[static_cast<unsigned char>(*c)] = kSeparator;
    class_[0] = kEnd;
  }
  constexpr uint8_t Class(unsigned char c) const { return class_[c]; }

 private:
  std::array<uint8_t, 256> class_;
};

// Separators of the first token of a line, and of the message line.
constexpr Seps kLineSeps(" :()[]\t");
constexpr Seps kTransmitterSeps(" :()[]\t\r\n");
constexpr Seps kColonSeps(":");
constexpr Seps kBitSeps(" :|@\t\n");
constexpr Seps kScaleSeps(" :\t\n)]");
constexpr Seps kFloatSeps(" :\t\n");
constexpr Seps kBlankSeps(" \t\n");
constexpr Seps kRangeTextSeps(";\t\n");
constexpr Seps kDefaultSeps(" \"\t\n");
constexpr Seps kDefaultValueSeps(" \"\t\n;");
constexpr Seps kAttributeSeps(" \"\t\n,");

inline std::size_t CharLen(const unsigned char* s) {
  return (cp932::IsLeadByte(s[0]) && cp932::IsTrailByte(s[1])) ? 2 : 1;
}

// strtok over a zero-terminated line without writing into it: skips
// separators, takes the run of characters up to the next separator (a
// double-byte character is taken whole, so its trail byte never ends a
// token) and leaves the cursor behind the separator that ended the token.
bool NextToken(const char*& cursor, const Seps& seps, std::string_view& token) {
  auto s = reinterpret_cast<const unsigned char*>(cursor);
  while (seps.Class(*s) == kSeparator) ++s;
  if (!*s) {
    cursor = reinterpret_cast<const char*>(s);
    return false;
  }
  const unsigned char* start = s;
  for (;;) {
    uint8_t k = seps.Class(*s);
    if (k == kPlain) {
      ++s;
    } else if (k == kLead) {
      s += cp932::IsTrailByte(s[1]) ? 2 : 1;
    } else {
      break;
    }
  }
  token = std::string_view(reinterpret_cast<const char*>(start), static_cast<std::size_t>(s - start));
  if (*s) ++s;
  cursor = reinterpret_cast<const char*>(s);
  return true;
}

// The first single-byte character c at or after p, walking whole characters.
const char* FindChar(const char* p, char c) {
  auto s = reinterpret_cast<const unsigned char*>(p);
  while (*s) {
    if (*s == static_cast<unsigned char>(c)) return reinterpret_cast<const char*>(s);
    s += CharLen(s);
  }
  return nullptr;
}

// Bounded name copy: zero-filled, cut at a character boundary.
void CopyName(char* dest, std::string_view src) {
  std::memset(dest, 0, CANDB_NAME_LEN + 1);
  std::size_t n = cp932::CharBoundaryAtOrBefore(src, CANDB_NAME_LEN);
  std::memcpy(dest, src.data(), n);
}

// A name as the tables store it: its first 32 bytes, whole characters only.
std::string_view StoredForm(std::string_view token) {
  return token.substr(0, cp932::CharBoundaryAtOrBefore(token, CANDB_NAME_LEN));
}

uint32_t LowBits(const char* text, int base) {
  return static_cast<uint32_t>(cnum::Strtoull(text, nullptr, base));
}

bool SkipBlanksAndExpect(const char*& p, char c) {
  while (*p == ' ' || *p == '\t') ++p;
  if (*p != c) return false;
  ++p;
  return true;
}

// Two numbers joined by `joint`, as in "(1,0)" and "[0|255]". Each value
// that reads is stored; blanks around the joint are allowed.
void ReadNumberPair(const char* p, char joint, double& first, double& second) {
  char* end = nullptr;
  double v = cnum::Strtod(p, &end);
  if (end == p) return;
  first = v;
  const char* q = end;
  if (!SkipBlanksAndExpect(q, joint)) return;
  v = cnum::Strtod(q, &end);
  if (end == q) return;
  second = v;
}

bool EqualsNoCase(const char* a, const char* b) {
  if (!a || !b) return false;
  for (; *a && *b; ++a, ++b) {
    char x = (*a >= 'A' && *a <= 'Z') ? static_cast<char>(*a - 'A' + 'a') : *a;
    char y = (*b >= 'A' && *b <= 'Z') ? static_cast<char>(*b - 'A' + 'a') : *b;
    if (x != y) return false;
  }
  return *a == *b;
}

bool IsBlank(unsigned char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

// Number of bytes of `word` equal to the byte repeated in `pattern`, as the
// high bit of each such byte.
inline uint64_t ByteMarks(uint64_t word, uint64_t pattern) {
  constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
  uint64_t v = word ^ pattern;
  return ~(((v & kLow7) + kLow7) | v | kLow7);
}

// Whether the quoted string that is open at p (or none, !inString) is still
// open at the end of [p, end). A backslash inside a string escapes the next
// character. A '"' byte is never the trail byte of a double-byte character,
// so on a line without a backslash only the number of quotes counts; every
// line of the file passes through here, so that case goes eight bytes at a
// time.
bool StillInString(const char* p, const char* end, bool inString) {
  uint64_t quotes = 0;  // high bits of quote bytes, summed modulo 2
  uint64_t backslashes = 0;
  const char* q = p;
  for (; end - q >= 8; q += 8) {
    uint64_t word;
    std::memcpy(&word, q, 8);
    quotes ^= ByteMarks(word, 0x2222222222222222ull);
    backslashes |= ByteMarks(word, 0x5C5C5C5C5C5C5C5Cull);
  }
  bool odd = (std::popcount(quotes) & 1) != 0;
  for (; q < end; ++q) {
    odd ^= *q == '"';
    if (*q == '\\') backslashes = 1;
  }
  if (!backslashes) return inString != odd;

  auto s = reinterpret_cast<const unsigned char*>(p);
  auto e = reinterpret_cast<const unsigned char*>(end);
  while (s < e) {
    if (*s == '"') {
      inString = !inString;
      ++s;
    } else if (inString && *s == '\\' && s + 1 < e) {
      s += 1 + CharLen(s + 1);
    } else {
      s += CharLen(s);
    }
  }
  return inString;
}

// Calls fn(line) for every line of `text`, zero-terminated in place: a CR
// before the LF is dropped, and a Ctrl-Z that ends the file is not text.
// fn returns false to stop.
template <typename Fn>
void ForEachLine(std::string& text, Fn fn) {
  if (!text.empty() && text.back() == '\x1A') text.pop_back();
  char* p = text.data();
  char* end = p + text.size();
  while (p < end) {
    char* nl = static_cast<char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
    char* lineEnd = nl ? nl : end;
    char* next = nl ? nl + 1 : end;
    if (nl && lineEnd > p && lineEnd[-1] == '\r') --lineEnd;
    *lineEnd = '\0';  // at `end` this is the string's own terminator
    if (!fn(p, lineEnd)) break;
    p = next;
  }
}

void SetText(char*& slot, const std::string& text) {
  char* copy = new char[text.size() + 1];
  std::memcpy(copy, text.c_str(), text.size() + 1);
  delete[] slot;
  slot = copy;
}

}  // namespace

// What one reading of a CANdb file carries from line to line.
struct CCanDB::ReadState {
  _CANDbSignal working{};
  bool pending = false;   // the last message line has had no signal line yet
  int pendingJ1939 = 0;   // J1939 mark that the pending message's placeholder gets
  int j1939Index = -1;    // position of "J1939PG" among the VFrameFormat values
  // Records by identifier, in table order, for the first `indexed` records.
  std::unordered_map<uint32_t, std::vector<int>> byId;
  int indexed = 0;

  const std::vector<int>* RecordsOf(const CCanDB& db, uint32_t id) {
    for (; indexed < db.count_; ++indexed)
      byId[static_cast<uint32_t>(db.records_[static_cast<std::size_t>(indexed)].identifier)].push_back(indexed);
    auto it = byId.find(id);
    return it == byId.end() ? nullptr : &it->second;
  }
  ~ReadState() { delete[] working.multiplexValue; }
};

CCanDB::CCanDB(int capacity) : capacity_(std::max(0, capacity)) { Allocate(); }

CCanDB::~CCanDB() { FreeTexts(); }

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
  count_ = n;
  return 0;
}

int CCanDB::SetExtended(int i, bool extended) {
  if (!ValidSlot(i)) return -1;
  uint32_t id = static_cast<uint32_t>(records_[i].identifier);
  id = extended ? (id | 0x80000000u) : (id & 0x7FFu);
  records_[i].identifier = static_cast<int32_t>(id);
  return 0;
}

int CCanDB::SetId(int i, uint32_t id) {
  if (!ValidSlot(i)) return -1;
  uint32_t old = static_cast<uint32_t>(records_[i].identifier);
  records_[i].identifier = static_cast<int32_t>((old & 0x80000000u) | id);
  return 0;
}

#define CANDB_SETTER(Name, field, Type)   \
  int CCanDB::Name(int i, Type value) {   \
    if (!ValidSlot(i)) return -1;         \
    records_[i].field = value;            \
    return 0;                             \
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
  CopyName(records_[i].name, name ? std::string_view(name) : std::string_view());
  return 0;
}

int CCanDB::SetUnit(int i, const char* unit) {
  if (!ValidSlot(i)) return -1;
  CopyName(records_[i].unit, unit ? std::string_view(unit) : std::string_view());
  return 0;
}

int CCanDB::KeepNode(int node) {
  int kept = 0;
  for (int i = 0; i < count_; ++i) {
    _CANDbSignal& r = records_[i];
    if (r.nodeIndex == node) {
      if (kept != i) {
        records_[kept] = r;  // that slot's text was freed or moved already
        r.multiplexValue = nullptr;
      }
      ++kept;
    } else {
      delete[] r.multiplexValue;
      r.multiplexValue = nullptr;
    }
  }
  count_ = kept;
  return 0;
}

const char* CCanDB::GetMultiplexor(int i) const { return ValidRecord(i) ? records_[i].multiplexor : ""; }
const char* CCanDB::GetMultiplexValue(int i) const { return ValidRecord(i) ? records_[i].multiplexValue : nullptr; }
int CCanDB::IsJ1939(int i) const { return ValidRecord(i) ? records_[i].J1939 : 0; }

char* CCanDB::TakeMultiplexValue(int i) {
  if (!ValidRecord(i)) return nullptr;
  char* text = records_[i].multiplexValue;
  records_[i].multiplexValue = nullptr;
  return text;
}

void CCanDB::FreeTexts() {
  for (_CANDbSignal& r : records_) {
    delete[] r.multiplexValue;
    r.multiplexValue = nullptr;
  }
}

void CCanDB::Allocate() {
  FreeTexts();
  records_ = std::vector<_CANDbSignal>();
  nodes_.entries = std::vector<NameEntry>();
  messages_.entries = std::vector<NameEntry>();
  if (capacity_ > 0) {
    std::size_t n = static_cast<std::size_t>(capacity_);
    records_.resize(n);
    nodes_.entries.resize(n);
    messages_.entries.resize(n);
  }
  Clear();
}

void CCanDB::Clear() {
  FreeTexts();
  std::fill(records_.begin(), records_.end(), _CANDbSignal{});
  for (NameTable* t : {&nodes_, &messages_}) {
    std::fill(t->entries.begin(), t->entries.end(), NameEntry{});
    t->lookup.clear();
    t->indexed = 0;
  }
}

int CCanDB::FindOrAddName(NameTable& table, std::string_view token) {
  std::string_view key = StoredForm(token);
  int limit = std::min(table.count, static_cast<int>(table.entries.size()));
  for (; table.indexed < limit; ++table.indexed) {
    const char* text = table.entries[static_cast<std::size_t>(table.indexed)].text;
    table.lookup.emplace(std::string_view(text), table.indexed);  // the first of equal names wins
  }
  auto it = table.lookup.find(key);
  if (it != table.lookup.end()) return it->second;
  if (table.count < 0 || table.count >= static_cast<int>(table.entries.size())) return -1;
  int k = table.count++;
  NameEntry& e = table.entries[static_cast<std::size_t>(k)];
  CopyName(e.text, key);
  table.lookup.emplace(std::string_view(e.text), k);
  table.indexed = table.count;
  return k;
}

void CCanDB::StoreRecord(_CANDbSignal& working) {
  _CANDbSignal& slot = records_[static_cast<std::size_t>(count_)];
  delete[] slot.multiplexValue;
  slot = working;
  working.multiplexValue = nullptr;  // the table owns the text now
  ++count_;
}

void CCanDB::ParseMultiplexValue(const char* text, _CANDbSignal* record) {
  if (!record) return;
  static constexpr Seps kIndicatorSeps(" \t\nmM");
  const char* cursor = text ? text : "";
  std::string_view run;
  if (!NextToken(cursor, kIndicatorSeps, run)) {
    delete[] record->multiplexValue;
    record->multiplexValue = nullptr;
    return;
  }
  std::string digits(run);
  uint32_t value = LowBits(digits.c_str(), 10);
  SetText(record->multiplexValue, std::to_string(value));
}

// ---------------------------------------------------------------------------
// CANdb file

int CCanDB::ReadDbcFile(const std::string& path) {
  std::string text;
  if (!ReadTextFile(path, text)) return -1;
  ReadState state;
  bool inString = false;
  ForEachLine(text, [&](char* line, char* lineEnd) {
    if (inString) {
      // A line that starts inside a quoted string (a comment over several
      // lines) is never a statement of its own.
      inString = StillInString(line, lineEnd, true);
    } else {
      // Message and signal lines never open a string that goes on to the
      // next line: an unclosed unit quote must not swallow the lines below.
      inString = !ReadDbcLine(state, line) && StillInString(line, lineEnd, false);
    }
    return count_ < capacity_;
  });
  if (state.pending && count_ < capacity_) StorePlaceholder(state);
  ResolveMultiplexors(state);
  return count_;
}

bool CCanDB::ReadDbcLine(ReadState& state, char* line) {
  const char* p = line;
  std::string_view key;
  if (!NextToken(p, kLineSeps, key)) return false;
  auto starts11 = [&](const char* word) { return key.size() >= 11 && std::memcmp(key.data(), word, 11) == 0; };
  // A keyword with nothing behind it on its line (the name list of the NS_
  // block) runs into the line end and is no statement: a lone "BO_" must not
  // close the pending message, nor a lone "SG_" store a nameless signal.
  auto is = [&](std::string_view word) { return key == word && key.data()[key.size()] != '\0'; };
  if (is("BO_")) {
    OnMessageLine(state, p);
    return true;
  }
  if (is("SG_")) {
    OnSignalLine(state, p);
    return true;
  }
  if (starts11("SIG_VALTYPE")) {
    OnFloatSignalLine(state, p);
  } else if (starts11("SG_MUL_VAL_")) {
    OnMultiplexRangeLine(state, p);
  } else if (starts11("BA_DEF_DEF_")) {
    OnAttributeDefaultLine(state, p);
  } else if (is("BA_DEF_")) {
    OnAttributeDefinitionLine(state, p);
  } else if (is("BA_")) {
    OnAttributeValueLine(state, p);
  }
  return false;
}

void CCanDB::StorePlaceholder(ReadState& state) {
  _CANDbSignal r = state.working;
  r.multiplexValue = nullptr;
  CopyName(r.name, "NoName");
  CopyName(r.unit, "");
  CopyName(r.multiplexor, "");
  r.startBit = 0;
  uint32_t bytes = static_cast<uint16_t>(r.DLC);
  r.bitLength = bytes == 0 ? 1 : bytes * 8;  // a 64-byte message is 512 bits, not 0
  r.valueType = 0;
  r.byteOrder = 0;
  r.factor = 1.0;
  r.offset = 0.0;
  r.minimum = -kNoLimit;
  r.maximum = kNoLimit;
  r.J1939 = state.pendingJ1939;
  StoreRecord(r);
}

void CCanDB::OnMessageLine(ReadState& state, const char* p) {
  if (state.pending && count_ < capacity_) StorePlaceholder(state);
  state.pending = false;
  _CANDbSignal& w = state.working;
  w.identifier = 0;
  std::string_view t;
  if (!NextToken(p, kLineSeps, t)) return;
  w.identifier = static_cast<int32_t>(LowBits(t.data(), 10));
  state.pending = true;
  state.pendingJ1939 = 0;
  if (!NextToken(p, kLineSeps, t)) return;
  w.messageNameIndex = FindOrAddName(messages_, t);
  if (!NextToken(p, kLineSeps, t)) return;
  w.DLC = static_cast<int16_t>(cnum::Atoi(t.data()));
  if (!NextToken(p, kTransmitterSeps, t)) return;
  w.nodeIndex = FindOrAddName(nodes_, t);
}

void CCanDB::OnSignalLine(ReadState& state, const char* p) {
  _CANDbSignal& w = state.working;
  delete[] w.multiplexValue;
  w.multiplexValue = nullptr;
  CopyName(w.multiplexor, "");
  CopyName(w.name, "");
  CopyName(w.unit, "");
  w.startBit = 0;
  w.bitLength = 1;
  w.valueType = 0;
  w.byteOrder = 0;
  w.factor = 1.0;
  w.offset = 0.0;
  w.minimum = -kNoLimit;
  w.maximum = kNoLimit;
  w.J1939 = 0;
  state.pending = false;

  auto readFields = [&]() {
    std::string_view part;
    if (!NextToken(p, kColonSeps, part)) return;
    // The name is the first word of the part before the colon; what follows
    // it is the multiplex indicator ("M", "m3", "m3M").
    std::size_t pos = 0;
    while (pos < part.size() && (part[pos] == ' ' || part[pos] == '\t')) ++pos;
    std::size_t nameStart = pos;
    while (pos < part.size() && part[pos] != ' ' && part[pos] != '\t' && part[pos] != '\n')
      pos += cp932::CharLength(part, pos);
    CopyName(w.name, part.substr(nameStart, pos - nameStart));
    std::string_view indicator = pos < part.size() ? part.substr(pos + 1) : std::string_view();
    while (!indicator.empty() && IsBlank(static_cast<unsigned char>(indicator.front()))) indicator.remove_prefix(1);
    while (!indicator.empty() && IsBlank(static_cast<unsigned char>(indicator.back()))) indicator.remove_suffix(1);
    if (!indicator.empty()) {
      bool hasSmallM = false;
      bool endsWithM = false;
      for (std::size_t k = 0; k < indicator.size();) {
        std::size_t len = cp932::CharLength(indicator, k);
        if (len == 1 && indicator[k] == 'm') hasSmallM = true;
        endsWithM = len == 1 && indicator[k] == 'M';
        k += len;
      }
      std::string text(indicator);
      if (endsWithM) {
        if (hasSmallM) ParseMultiplexValue(text.c_str(), &w);
        CopyName(w.multiplexor, "M");
      } else {
        ParseMultiplexValue(text.c_str(), &w);
      }
    }

    std::string_view t;
    if (!NextToken(p, kBitSeps, t)) return;
    w.startBit = static_cast<uint32_t>(cnum::Atoi(t.data()));
    if (!NextToken(p, kBitSeps, t)) return;
    w.bitLength = static_cast<uint32_t>(cnum::Atoi(t.data()));
    if (!NextToken(p, kBitSeps, t)) return;
    w.byteOrder = t[0] == '1' ? 0 : 1;
    w.valueType = (t.size() >= 2 && t[1] == '+') ? 0 : 1;
    if (w.byteOrder == 1) {
      // The file gives a big-endian signal by its most significant bit;
      // the system numbers byte k, bit b as (DLC - 1 - k) * 8 + b and keeps
      // the least significant bit. A signal that reaches past the message's
      // end wraps to a huge start bit, which the loader's clamp catches.
      int64_t start = w.startBit;
      int64_t dlc = static_cast<uint16_t>(w.DLC);
      int64_t lsb = start + 8 * (dlc - 2 * (start / 8)) - static_cast<int64_t>(w.bitLength) - 7;
      w.startBit = static_cast<uint32_t>(static_cast<uint64_t>(lsb));
    }

    while (NextToken(p, kScaleSeps, t)) {
      if (t[0] == '(') {
        ReadNumberPair(t.data() + 1, ',', w.factor, w.offset);
        if (const char* close = FindChar(t.data(), ')')) p = std::max(p, close + 1);
      } else if (t[0] == '[') {
        ReadNumberPair(t.data() + 1, '|', w.minimum, w.maximum);
        if (const char* close = FindChar(t.data(), ']')) p = std::max(p, close + 1);
      } else if (t[0] == '"') {
        // The unit runs to its closing quote, blanks included.
        const char* close = std::strchr(t.data() + 1, '"');
        if (close) {
          CopyName(w.unit, std::string_view(t.data() + 1, static_cast<std::size_t>(close - t.data() - 1)));
          p = std::max(p, close + 1);
        } else {
          CopyName(w.unit, t.substr(1));
        }
      }
    }
  };
  readFields();
  if (count_ < capacity_) StoreRecord(w);
}

void CCanDB::OnFloatSignalLine(ReadState& state, const char* p) {
  std::string_view idText, name, type;
  if (!NextToken(p, kFloatSeps, idText)) return;
  if (!NextToken(p, kFloatSeps, name)) return;
  // Type 0 declares an integer signal; 1 and 2 are the two float widths.
  if (NextToken(p, kFloatSeps, type) && type[0] == '0' && cnum::Atoi(type.data()) == 0) return;
  const std::vector<int>* list = state.RecordsOf(*this, LowBits(idText.data(), 10));
  if (!list) return;
  std::string_view key = StoredForm(name);
  for (int i : *list)
    if (key == records_[static_cast<std::size_t>(i)].name) records_[static_cast<std::size_t>(i)].valueType = 2;
}

void CCanDB::OnMultiplexRangeLine(ReadState& state, const char* p) {
  std::string_view idText, name, switchName, ranges;
  if (!NextToken(p, kBlankSeps, idText)) return;
  if (!NextToken(p, kBlankSeps, name)) return;
  if (!NextToken(p, kBlankSeps, switchName)) return;
  bool hasRanges = NextToken(p, kRangeTextSeps, ranges);
  while (!ranges.empty() && ranges.front() == ' ') ranges.remove_prefix(1);
  while (!ranges.empty() && ranges.back() == ' ') ranges.remove_suffix(1);
  hasRanges = hasRanges && !ranges.empty();
  const std::vector<int>* list = state.RecordsOf(*this, LowBits(idText.data(), 10));
  if (!list) return;
  std::string_view key = StoredForm(name);
  for (int i : *list) {
    _CANDbSignal& r = records_[static_cast<std::size_t>(i)];
    if (key != r.name) continue;
    CopyName(r.multiplexor, switchName);
    if (hasRanges) SetText(r.multiplexValue, std::string(ranges));
    break;
  }
}

void CCanDB::OnAttributeDefaultLine(ReadState& state, const char* p) {
  std::string_view t;
  if (!NextToken(p, kDefaultSeps, t) || t != "ProtocolType") return;
  if (!NextToken(p, kDefaultValueSeps, t) || t != "J1939") return;
  for (int i = 0; i < count_; ++i) records_[static_cast<std::size_t>(i)].J1939 = 1;
  if (state.pending) state.pendingJ1939 = 1;
}

void CCanDB::OnAttributeDefinitionLine(ReadState& state, const char* p) {
  std::string_view t;
  if (!NextToken(p, kAttributeSeps, t)) return;  // object kind, token 0
  if (!NextToken(p, kAttributeSeps, t) || t != "VFrameFormat") return;
  for (int k = 2; NextToken(p, kAttributeSeps, t); ++k) {
    if (t == "J1939PG") {
      state.j1939Index = k - 3;  // the values start at token 3
      return;
    }
  }
}

void CCanDB::OnAttributeValueLine(ReadState& state, const char* p) {
  std::string_view t, idText, value;
  if (!NextToken(p, kAttributeSeps, t) || t != "VFrameFormat") return;
  if (!NextToken(p, kAttributeSeps, t)) return;  // object kind
  if (!NextToken(p, kAttributeSeps, idText)) return;
  if (!NextToken(p, kAttributeSeps, value)) return;
  uint32_t id = LowBits(idText.data(), 10);
  int mark = cnum::Atoi(value.data()) == state.j1939Index ? 1 : 0;
  if (const std::vector<int>* list = state.RecordsOf(*this, id))
    for (int i : *list) records_[static_cast<std::size_t>(i)].J1939 = mark;
  if (state.pending && static_cast<uint32_t>(state.working.identifier) == id) state.pendingJ1939 = mark;
}

void CCanDB::ResolveMultiplexors(ReadState& state) {
  for (int i = 0; i < count_; ++i) {
    _CANDbSignal& sw = records_[static_cast<std::size_t>(i)];
    if (std::strcmp(sw.multiplexor, "M") != 0) continue;
    sw.multiplexor[0] = '\0';
    const std::vector<int>* list = state.RecordsOf(*this, static_cast<uint32_t>(sw.identifier));
    if (!list) continue;
    for (int k : *list) {
      _CANDbSignal& s = records_[static_cast<std::size_t>(k)];
      if (std::strcmp(s.name, sw.name) == 0) continue;
      if (!s.multiplexValue || !s.multiplexValue[0] || s.multiplexor[0]) continue;
      CopyName(s.multiplexor, sw.name);
    }
  }
}

// ---------------------------------------------------------------------------
// Label file

int CCanDB::SplitFields(char* line, const char* delimiters, char** fields, int max) {
  if (!fields || max <= 0) return 0;
  for (int k = 0; k < max; ++k) fields[k] = nullptr;
  if (!line) return 0;
  std::array<bool, 256> isDelimiter{};
  for (const char* d = delimiters ? delimiters : ""; *d; ++d) isDelimiter[static_cast<unsigned char>(*d)] = true;
  auto s = reinterpret_cast<unsigned char*>(line);
  for (int n = 0; n < max; ++n) {
    while (*s && IsBlank(*s)) ++s;
    unsigned char* start = s;
    fields[n] = reinterpret_cast<char*>(start);
    while (*s && !isDelimiter[*s]) s += CharLen(s);
    bool last = *s == '\0';
    unsigned char* stop = s;
    if (!last) {
      *s = '\0';
      ++s;
    }
    while (stop > start && IsBlank(stop[-1])) *--stop = '\0';
    if (last) return n + 1;
  }
  return max;
}

int CCanDB::WriteLabelFile(const std::string& path) {
  std::string out = "%KVT,1.01\nLABEL,EXT,ID,START,LEN,VAL,ENDIAN,GAIN,OFFSET,UNIT\n";
  for (int i = 0; i < count_ && i < capacity_; ++i) {
    const _CANDbSignal& r = records_[static_cast<std::size_t>(i)];
    const char* type = r.valueType == 0 ? "Unsigned" : r.valueType == 1 ? "Signed" : "Float";
    out += cnum::Format("%s,%s,%d,%u,%u,%s,%s,%g,%g,%s\n", r.name,
                        (static_cast<uint32_t>(r.identifier) & 0x80000000u) ? "On" : "Off",
                        r.identifier & 0x7FFFFFFF, r.startBit, r.bitLength, type,
                        r.byteOrder == 0 ? "Little" : "Big", r.factor, r.offset, r.unit);
  }
  return WriteTextFile(path, out) == 0 ? 0 : -1;
}

int CCanDB::ReadLabelFile(const std::string& path) {
  std::string text;
  if (!ReadTextFile(path, text)) return -1;
  bool header = false;
  ForEachLine(text, [&](char* line, char*) {
    if (!header) {
      header = std::strncmp(line, "%KVT,1", 6) == 0;
      return true;
    }
    if (std::strncmp(line, "//", 2) == 0 || std::strncmp(line, "LABEL,EXT", 9) == 0) return true;
    char* f[16];
    int n = SplitFields(line, ",", f, 16);
    if (n < 7) return true;
    if (count_ >= capacity_) return false;
    _CANDbSignal r{};
    CopyName(r.name, f[0]);
    uint32_t id = LowBits(f[2], 0);
    bool extended = EqualsNoCase(f[1], "on") || (!EqualsNoCase(f[1], "off") && cnum::Strtoll(f[1], nullptr, 0) == 1);
    if (extended) id |= 0x80000000u;
    r.identifier = static_cast<int32_t>(id);
    r.startBit = static_cast<uint32_t>(cnum::Strtoll(f[3], nullptr, 0));
    r.bitLength = static_cast<uint32_t>(cnum::Strtoll(f[4], nullptr, 0));
    if (EqualsNoCase(f[5], "float")) {
      r.valueType = 2;
    } else if (EqualsNoCase(f[5], "signed")) {
      r.valueType = 1;
    } else if (EqualsNoCase(f[5], "unsigned")) {
      r.valueType = 0;
    } else {
      long long v = cnum::Strtoll(f[5], nullptr, 0);
      r.valueType = v == 2 ? 2 : v == 1 ? 1 : 0;
    }
    if (EqualsNoCase(f[6], "big")) {
      r.byteOrder = 1;
    } else if (EqualsNoCase(f[6], "little")) {
      r.byteOrder = 0;
    } else {
      r.byteOrder = cnum::Strtoll(f[6], nullptr, 0) == 1 ? 1 : 0;
    }
    r.factor = f[7] ? cnum::Atof(f[7]) : 1.0;
    r.offset = f[8] ? cnum::Atof(f[8]) : 0.0;
    if (f[9]) CopyName(r.unit, f[9]);
    StoreRecord(r);
    return true;
  });
  if (!header) return -2;
  return count_;
}
