// Tokens to records: the lines of a CANdb file, each to its handler, and the
// passes after the last line.
//
// Attribute lines may repeat without bound, so none of them walks the record
// table: float and range lines find their records through an index by
// identifier and name, and the J1939 marks of default and value lines are
// noted with the moment they were read and settled once at the end. Each
// line then costs the same however many records came before it.
#include "CanDB.h"

#include "CNumber.h"
#include "DbcText.h"
#include "TextFile.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <new>
#include <queue>

using namespace dbc;

namespace {

constexpr double kNoLimit = 1e31;

// The multiplexor text of a switch while the file is read.
bool IsSwitchMark(const char* multiplexor) { return multiplexor[0] == 'M' && multiplexor[1] == '\0'; }

// A J1939 mark that a line gave every record stored before it: the line's
// place in the file (`stamp`, from 1), the record count when it was read,
// and the mark.
struct MarkEvent {
  uint64_t stamp = 0;
  int count = 0;
  int mark = 0;
};

}  // namespace

// What one reading of a CANdb file carries from line to line.
struct CCanDB::ReadState {
  explicit ReadState(CCanDB& owner) : db(owner) {
    blank.bitLength = 1;
    blank.factor = 1.0;
    blank.minimum = -kNoLimit;
    blank.maximum = kNoLimit;
  }

  CCanDB& db;
  // A signal of the last message line before its own line is read: the
  // message's fields, and what a signal has that its line does not give.
  _CANDbSignalFields blank{};
  _CANDbSignal unstored;           // a signal read when the table is full
  const int oldCount = db.count_;  // records of earlier reads, which this one appends to
  // Records given the switch mark "M" by this read, in no particular order.
  std::vector<int> switches;
  bool pending = false;  // the last message line has had no signal line yet
  int messageLines = 0;  // message lines read so far
  int pendingJ1939 = 0;  // J1939 mark that the pending message's placeholder gets
  int j1939Index = -1;   // position of "J1939PG" among the VFrameFormat values

  // Records by identifier and name, in table order: the index gives the
  // first record of a key, which heads a chain through `next`; for a head,
  // `last` is its chain's tail and `floated` the last record of the chain
  // already made floating.
  FlatIndex byName;
  std::vector<int> next, last, floated;
  int namesIndexed = 0;

  // Records by identifier, for the passes after the last line: the runs of
  // consecutive records with one identifier (a message's signals follow its
  // line), chained per identifier in table order. The runs of this read's
  // records are noted as they are stored, so that the chains are made
  // without a walk over the table.
  struct IdRun {
    int begin, end;  // records [begin, end)
    int32_t id;
    int next = -1;  // the identifier's next run, or -1
    int last = -1;  // for the first run of an identifier: its last run
  };
  FlatIndex byId;
  std::vector<IdRun> runs;
  bool idsIndexed = false;
  IdRun storing{0, 0, 0};  // the run of the last record stored, not yet in `runs`
  void NoteStored(int i, int32_t id) {
    if (storing.end == i && storing.id == id) {
      ++storing.end;
      return;
    }
    if (storing.end > storing.begin) runs.push_back(storing);
    storing = IdRun{i, i + 1, id};
  }

  uint64_t lines = 0;
  // The end of the line being read (its terminating zero): the text holds no
  // zero byte before it, so a search within the line may be bounded by it.
  const char* lineEnd = nullptr;
  MarkEvent protocolDefault;                                 // the last "ProtocolType" J1939 default
  std::vector<std::pair<uint32_t, MarkEvent>> frameFormats;  // the last VFrameFormat value per identifier
  FlatIndex frameFormatIndex;

  const _CANDbSignal& Rec(int i) const { return db.records_[static_cast<std::size_t>(i)]; }
  static uint64_t NameHash(uint32_t id, std::string_view name) { return HashBytes(name, id * 0x9E3779B97F4A7C15ull); }
  // One to one (an odd multiplier and a shift that keeps the high half), so
  // equal hashes are equal identifiers and no record needs to be looked at.
  static uint64_t IdHash(uint32_t id) {
    uint64_t h = id * 0x9E3779B97F4A7C15ull;
    return h ^ (h >> 32);
  }
  static bool SameId(int) { return true; }

  void Grow(std::vector<int>& v) {
    if (v.size() < static_cast<std::size_t>(db.count_)) v.resize(static_cast<std::size_t>(db.count_), -1);
  }

  // The first record of that identifier and stored name, or -1.
  int FirstNamed(uint32_t id, std::string_view name) {
    Grow(next);
    Grow(last);
    Grow(floated);
    for (; namesIndexed < db.count_; ++namesIndexed) {
      const _CANDbSignal& r = Rec(namesIndexed);
      uint32_t rid = static_cast<uint32_t>(r.identifier);
      std::string_view rname(r.name);
      uint64_t h = NameHash(rid, rname);
      int head = byName.Find(
          h, [&](int k) { return static_cast<uint32_t>(Rec(k).identifier) == rid && rname == Rec(k).name; });
      if (head < 0) {
        byName.Add(h, namesIndexed);
        last[static_cast<std::size_t>(namesIndexed)] = namesIndexed;
      } else {
        next[static_cast<std::size_t>(last[static_cast<std::size_t>(head)])] = namesIndexed;
        last[static_cast<std::size_t>(head)] = namesIndexed;
      }
    }
    return byName.Find(NameHash(id, name),
                       [&](int k) { return static_cast<uint32_t>(Rec(k).identifier) == id && name == Rec(k).name; });
  }

  // Calls fn(i) for every record i < limit of that identifier, in table
  // order.
  template <typename Fn>
  void ForEachOfId(uint32_t id, int limit, Fn fn) {
    IndexIds();
    for (int r = byId.Find(IdHash(id), SameId); r >= 0; r = runs[static_cast<std::size_t>(r)].next) {
      const IdRun& run = runs[static_cast<std::size_t>(r)];
      if (run.begin >= limit) return;
      for (int i = run.begin; i < run.end && i < limit; ++i) fn(i);
    }
  }
  void IndexIds() {
    if (idsIndexed) return;
    idsIndexed = true;
    // The records of earlier reads come first.
    std::vector<IdRun> noted;
    noted.swap(runs);
    if (storing.end > storing.begin) noted.push_back(storing);
    for (int i = 0; i < oldCount && i < db.count_;) {
      const int32_t id = Rec(i).identifier;
      int end = i + 1;
      while (end < oldCount && end < db.count_ && Rec(end).identifier == id) ++end;
      runs.push_back(IdRun{i, end, id});
      i = end;
    }
    runs.insert(runs.end(), noted.begin(), noted.end());
    for (int r = 0; r < static_cast<int>(runs.size()); ++r) {
      const uint64_t h = IdHash(static_cast<uint32_t>(runs[static_cast<std::size_t>(r)].id));
      const int head = byId.Find(h, SameId);
      if (head < 0) {
        byId.Add(h, r);
        runs[static_cast<std::size_t>(r)].last = r;
      } else {
        IdRun& first = runs[static_cast<std::size_t>(head)];
        runs[static_cast<std::size_t>(first.last)].next = r;
        first.last = r;
      }
    }
  }

  void NoteFrameFormat(uint32_t id, int mark) {
    MarkEvent e{lines, db.count_, mark};
    int k = frameFormatIndex.Find(IdHash(id), SameId);
    if (k >= 0) {
      frameFormats[static_cast<std::size_t>(k)].second = e;
    } else {
      frameFormatIndex.Add(IdHash(id), static_cast<int>(frameFormats.size()));
      frameFormats.emplace_back(id, e);
    }
  }
};

int CCanDB::ReadDbcFile(const std::string& path) {
  std::string text;
  TextReadInfo read;
  if (!ReadTextFile(path, text, kReadSlack, &read)) {
    // No memory for the text is not a file that cannot be opened.
    if (read.why == ReadFileError::NoMemory) throw std::bad_alloc();
    return -1;
  }
  stoppedAtZero_ = read.stoppedAtZero;
  const std::size_t length = PadText(text);
  ReadState state(*this);
  bool inString = false;
  ForEachLine(text.data(), text.data() + length, [&](char* line, char* lineEnd) {
    ++state.lines;
    state.lineEnd = lineEnd;
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
  ResolveJ1939Marks(state);
  ResolveMultiplexors(state);
  return count_;
}

bool CCanDB::ReadDbcLine(ReadState& state, char* line) {
  // Signal and message lines, nearly every line of a file, known by their
  // first four bytes behind the indent: the token below finds the same.
  const char* head = line;
  while (*head == ' ' || *head == '\t') ++head;
  if (std::memcmp(head, "SG_ ", 4) == 0) {
    OnSignalLine(state, head + 4);
    return true;
  }
  if (std::memcmp(head, "BO_ ", 4) == 0) {
    OnMessageLine(state, head + 4);
    return true;
  }
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
  const _CANDbSignalFields& w = state.blank;
  _CANDbSignal r{};
  r.DLC = w.DLC;
  r.identifier = w.identifier;
  r.nodeIndex = w.nodeIndex;
  r.messageNameIndex = w.messageNameIndex;
  r.messageNumber = w.messageNumber;
  CopyName(r.name, "NoName");
  uint32_t bytes = static_cast<uint16_t>(r.DLC);
  r.bitLength = bytes == 0 ? 1 : bytes * 8;  // a 64-byte message is 512 bits, not 0
  r.factor = 1.0;
  r.offset = 0.0;
  r.minimum = -kNoLimit;
  r.maximum = kNoLimit;
  r.J1939 = state.pendingJ1939;
  state.NoteStored(count_, r.identifier);
  StoreRecord(r);
}

void CCanDB::OnMessageLine(ReadState& state, const char* p) {
  if (state.pending && count_ < capacity_) StorePlaceholder(state);
  state.pending = false;
  _CANDbSignalFields& w = state.blank;
  w.identifier = 0;
  w.messageNumber = ++state.messageLines;
  std::string_view t;
  if (!NextLineToken(p, t)) return;
  w.identifier = static_cast<int32_t>(LowBits(t.data()));
  state.pending = true;
  state.pendingJ1939 = 0;
  if (!NextLineToken(p, t)) return;
  w.messageNameIndex = FindOrAddName(messages_, t);
  if (!NextLineToken(p, t)) return;
  w.DLC = static_cast<int16_t>(dbc::Atoi(t.data()));
  if (!NextToken(p, kTransmitterSeps, t)) return;
  w.nodeIndex = FindOrAddName(nodes_, t);
}

namespace {

// The bit part of a signal line in its usual form, blanks, "7|8@0+" and one
// blank, read in one go: what the three tokens give for it. False (and
// nothing read) for any other form, which the tokens then read.
bool ReadBitsDirectly(const char*& p, _CANDbSignal& w) {
  const char* q = p;
  while (*q == ' ') ++q;
  uint32_t start = 0, length = 0;
  int n = 0;
  for (; n < 9 && IsDigit(q[n]); ++n) start = start * 10 + static_cast<uint32_t>(q[n] - '0');
  if (n == 0 || q[n] != '|') return false;
  q += n + 1;
  for (n = 0; n < 9 && IsDigit(q[n]); ++n) length = length * 10 + static_cast<uint32_t>(q[n] - '0');
  if (n == 0 || q[n] != '@') return false;
  q += n + 1;
  if ((q[0] != '0' && q[0] != '1') || (q[1] != '+' && q[1] != '-') || q[2] != ' ') return false;
  w.startBit = start;
  w.bitLength = length;
  w.byteOrder = q[0] == '1' ? 0 : 1;
  w.valueType = q[1] == '+' ? 0 : 1;
  p = q + 3;
  return true;
}

// strchr within a line: the first c, or null at the line's end.
inline const char* FindByte(const char* p, char c) {
  for (;; p += 8) {
    const uint64_t v = swar::Load8(p);
    const uint64_t marks = swar::BytesEqual(v, static_cast<unsigned char>(c)) | swar::ZeroBytes(v);
    if (marks) {
      const char* at = p + swar::FirstMarked(marks);
      return *at ? at : nullptr;
    }
  }
}

// strpbrk(p, "([\"") over the rest of a line that ends at `end`: the
// receiver lists behind the unit are long, so sixteen bytes at a time, the
// last sixteen with the lanes past the end masked off.
inline bool HasScaleOrUnitStart(const char* p, const char* end) {
  for (; p < end; p += 16) {
    Bytes16 v;
    std::memcpy(&v, p, 16);
    Bytes16 hit = reinterpret_cast<Bytes16>((v == '(') | (v == '[') | (v == '"'));
    if (end - p < 16) hit &= LanesBelow(static_cast<std::size_t>(end - p));
    uint64_t half[2];
    std::memcpy(half, &hit, 16);
    if (half[0] | half[1]) return true;
  }
  return false;
}

// A unit that lies in a line of the reader's text, marked when the field
// cannot hold it whole: the loader counts such units with the names it cut.
inline void CopyUnit(_CANDbSignal& w, std::string_view unit) {
  CopyLineName(w.unit, unit);
  w.unitCut = unit.size() > kNameLen;
}

// The multiplex indicator of a signal's name part ("M", "m3", "m3M"),
// without the blanks around it.
std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlank(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && IsBlank(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

}  // namespace

// The parts of a signal line are read by steps of their own, all forced
// inline into the line's reading: they pass the read position by reference,
// and as calls they would keep it in memory on every signal line.

// The name and the multiplex indicator, up to the colon; p is left behind
// the colon. False for a line of nothing but colons.
[[gnu::always_inline]] inline bool CCanDB::ReadSignalName(ReadState& state, const char*& p, _CANDbSignal& w) {
  // The part up to the colon. A colon is never the trail byte of a
  // double-byte character, so the first colon byte ends it.
  while (*p == ':') ++p;
  if (!*p) return false;
  // The name is the first word of the part before the colon; what follows
  // it is the multiplex indicator ("M", "m3", "m3M"). No byte that ends
  // the name is the trail byte of a double-byte character either, so the
  // name ends at the first blank, tab, line feed, colon or the line's end.
  const char* nameStart = p;
  while (*nameStart == ' ' || *nameStart == '\t') ++nameStart;
  // Each word is tested for a colon and the bytes below '!', all control
  // bytes; one that is not a tab or a line feed belongs to the name.
  const char* nameEnd = nameStart;
  for (;;) {
    const uint64_t v = swar::Load8(nameEnd);
    const uint64_t marks = swar::BytesBelow(v, '!') | swar::BytesEqual(v, ':');
    if (!marks) {
      nameEnd += 8;
      continue;
    }
    nameEnd += swar::FirstMarked(marks);
    const char c = *nameEnd;
    if (c == ' ' || c == '\t' || c == '\n' || c == ':' || c == '\0') break;
    ++nameEnd;
  }
  CopyLineName(w.name, std::string_view(nameStart, static_cast<std::size_t>(nameEnd - nameStart)));
  // Usually blanks and the colon follow the name: no indicator.
  const char* afterName = nameEnd;
  while (*afterName == ' ' || *afterName == '\t') ++afterName;
  std::string_view indicator;
  const char* colon = afterName;
  if (*afterName == 'm' || *afterName == 'M') {
    // An indicator is most often one letter and digits ("m3", "M"), then
    // blanks and the colon: the indicator that the general reading below
    // finds as well, taken without a search of the line for the colon.
    const char* indicatorEnd = afterName + 1;
    while (IsDigit(*indicatorEnd)) ++indicatorEnd;
    colon = indicatorEnd;
    while (*colon == ' ' || *colon == '\t') ++colon;
    if (*colon == ':') indicator = std::string_view(afterName, static_cast<std::size_t>(indicatorEnd - afterName));
  }
  if (*colon != ':') {
    // The name ended at a blank or the line's end.
    colon = *nameEnd
                ? static_cast<const char*>(std::memchr(nameEnd, ':', static_cast<std::size_t>(state.lineEnd - nameEnd)))
                : nullptr;
    if (!colon) colon = state.lineEnd;
    if (nameEnd < colon)
      indicator = Trimmed(std::string_view(nameEnd + 1, static_cast<std::size_t>(colon - nameEnd - 1)));
  }
  p = colon == state.lineEnd ? colon : colon + 1;
  ReadMultiplexIndicator(indicator, w);
  return true;
}

// A switch "M", a multiplexed signal's "m" and its value, or both ("m3M"),
// into the signal's multiplexor and multiplex value text.
[[gnu::always_inline]] inline void CCanDB::ReadMultiplexIndicator(std::string_view indicator, _CANDbSignal& w) {
  // The usual indicators first: a switch "M", or "m" and at most nine
  // digits, whose value is the digits without their leading zeros.
  std::string_view selector =
      indicator.size() >= 2 && indicator.size() <= 10 && indicator[0] == 'm' ? indicator.substr(1) : std::string_view();
  if (!selector.empty() && std::all_of(selector.begin(), selector.end(), IsDigit)) {
    while (selector.size() > 1 && selector[0] == '0') selector.remove_prefix(1);
    w.multiplexValue.Set(selector);
    return;
  }
  if (indicator == "M") {
    CopyName(w.multiplexor, "M");
    return;
  }
  if (indicator.empty()) return;
  bool hasSmallM = false;
  bool endsWithM = false;
  for (std::size_t k = 0; k < indicator.size();) {
    std::size_t len = cp932::CharLength(indicator, k);
    if (len == 1 && indicator[k] == 'm') hasSmallM = true;
    endsWithM = len == 1 && indicator[k] == 'M';
    k += len;
  }
  // The indicator as a text of its own (on the stack: it is short).
  char small[64];
  std::string large;
  const char* text = small;
  if (indicator.size() < sizeof small) {
    std::memcpy(small, indicator.data(), indicator.size());
    small[indicator.size()] = '\0';
  } else {
    large.assign(indicator);
    text = large.c_str();
  }
  if (endsWithM) {
    if (hasSmallM) ParseMultiplexValue(text, &w);
    CopyName(w.multiplexor, "M");
  } else {
    ParseMultiplexValue(text, &w);
  }
}

// Start bit, bit length, byte order and sign ("7|8@0+"). False when the
// line ends before all of them are read.
[[gnu::always_inline]] inline bool CCanDB::ReadSignalGeometry(const char*& p, _CANDbSignal& w) {
  if (!ReadBitsDirectly(p, w)) {
    std::string_view t;
    if (!NextToken(p, kBitSeps, t)) return false;
    w.startBit = static_cast<uint32_t>(dbc::Atoi(t.data()));
    if (!NextToken(p, kBitSeps, t)) return false;
    w.bitLength = static_cast<uint32_t>(dbc::Atoi(t.data()));
    if (!NextToken(p, kBitSeps, t)) return false;
    w.byteOrder = t[0] == '1' ? 0 : 1;
    w.valueType = (t.size() >= 2 && t[1] == '+') ? 0 : 1;
  }
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
  return true;
}

// The usual form, `(f,o) [min|max] "unit" `, step by step: each step gives
// what the receivers' token reading gives for it, and where the line departs
// from the form, that reading goes on from there. The blank signal holds the
// factor, offset and unit of "(1,0)" and "" already. False when the form was
// complete and nothing behind it can be a scale, range or unit.
[[gnu::always_inline]] inline bool CCanDB::ReadScaleRangeUnit(const ReadState& state, const char*& p, _CANDbSignal& w) {
  if (*p != '(') return true;
  const char* after = std::memcmp(p, "(1,0)", 5) == 0 ? p + 4 : ReadNumberPair(p + 1, ',', w.factor, w.offset);
  if (!after || *after != ')') return true;
  p = after + 1;
  if (p[0] != ' ' || p[1] != '[') return true;
  const char* stop = nullptr;
  if (p[2] == '0' && p[3] == '|') {
    const double max = Strtod(p + 4, &stop);
    if (stop == p + 4 || *stop != ']') return true;
    w.minimum = 0.0;
    w.maximum = max;
  } else {
    stop = ReadNumberPair(p + 2, '|', w.minimum, w.maximum);
    if (!stop || *stop != ']') return true;
  }
  p = stop + 1;
  if (p[0] != ' ' || p[1] != '"') return true;
  const char* close = p[2] == '"' ? p + 2 : FindByte(p + 2, '"');
  if (!close || close[1] != ' ') return true;
  if (close > p + 2) CopyUnit(w, std::string_view(p + 2, static_cast<std::size_t>(close - p - 2)));
  p = close + 1;
  return HasScaleOrUnitStart(p, state.lineEnd);
}

// The rest of the line, token by token. The receivers are not kept, but a
// bracketed pair or a quoted unit still counts wherever it stands: behind
// them, or where the line left the usual form.
[[gnu::always_inline]] inline void CCanDB::ReadReceivers(const ReadState& state, const char*& p, _CANDbSignal& w) {
  std::string_view t;
  for (;;) {
    while (kScaleSeps.Class(static_cast<unsigned char>(*p)) == kSeparator) ++p;
    if (!*p) break;
    // The forms nearly every signal has, "(1,0)", "[0|max]" and an empty
    // unit before a blank, taken as they stand: what the general reads
    // below give for them.
    if (std::memcmp(p, "(1,0)", 5) == 0) {
      w.factor = 1.0;
      w.offset = 0.0;
      p += 5;
      continue;
    }
    if (p[0] == '[' && p[1] == '0' && p[2] == '|') {
      const char* stop = nullptr;
      const double max = Strtod(p + 3, &stop);
      if (stop != p + 3 && *stop == ']') {
        w.minimum = 0.0;
        w.maximum = max;
        p = stop + 1;
        continue;
      }
    }
    if (p[0] == '"' && p[1] == '"' && p[2] == ' ') {
      std::memset(w.unit, 0, sizeof w.unit);
      w.unitCut = 0;
      p += 3;
      if (!HasScaleOrUnitStart(p, state.lineEnd)) break;
      continue;
    }
    if (*p == '(' || *p == '[') {
      // A bracketed pair. Its token ends at the first separator, and the
      // closing bracket is one (a ')' is never the trail byte of a
      // double-byte character, and the walk for ']' steps over whole
      // characters as the tokenizer does), so the reading goes on behind
      // the closing bracket without walking the token first.
      const bool paren = *p == '(';
      const char* open = p;
      const char* after = paren ? ReadNumberPair(open + 1, ',', w.factor, w.offset)
                                : ReadNumberPair(open + 1, '|', w.minimum, w.maximum);
      // What the two numbers took is ASCII without a bracket, so a bracket
      // right behind them is the first one of the token.
      const char closing = paren ? ')' : ']';
      const char* close = after && *after == closing ? after : paren ? FindByte(open, ')') : FindChar(open, ']');
      if (close) {
        p = close + 1;
        continue;
      }
    }
    if (!NextToken(p, kScaleSeps, t)) break;
    if (t[0] == '"') {
      // The unit runs to its closing quote, blanks included.
      const char* close = FindByte(t.data() + 1, '"');
      if (close) {
        CopyUnit(w, std::string_view(t.data() + 1, static_cast<std::size_t>(close - t.data() - 1)));
        p = std::max(p, close + 1);
      } else {
        CopyUnit(w, t.substr(1));
      }
      // Only a token that starts with a bracket or a quote does anything;
      // the receivers behind the unit never do, so when no such byte is
      // left the line is done.
      if (!HasScaleOrUnitStart(p, state.lineEnd)) break;
    }
  }
}

void CCanDB::OnSignalLine(ReadState& state, const char* p) {
  state.pending = false;
  // The signal starts as a copy of the blank signal of its message, made in
  // its slot; the line's fields are then read straight into the slot.
  // Resetting a working record field by field and copying it into the slot
  // would load the fields right after their stores, which stalls.
  const bool stored = count_ < capacity_;
  _CANDbSignal* slot = &state.unstored;
  if (stored && static_cast<std::size_t>(count_) == records_.size()) {
    slot = &records_.emplace_back(state.blank);
  } else {
    if (stored) slot = &records_[static_cast<std::size_t>(count_)];
    static_cast<_CANDbSignalFields&>(*slot) = state.blank;
    slot->multiplexValue.Reset();
  }
  _CANDbSignal& w = *slot;
  // A line cut short is still a signal, with what it gave before its end.
  if (ReadSignalName(state, p, w) && ReadSignalGeometry(p, w) && ReadScaleRangeUnit(state, p, w))
    ReadReceivers(state, p, w);
  if (stored) {
    if (IsSwitchMark(w.multiplexor)) state.switches.push_back(count_);
    state.NoteStored(count_, w.identifier);
    ++count_;
  }
}

void CCanDB::OnFloatSignalLine(ReadState& state, const char* p) {
  std::string_view idText, name, type;
  if (!NextToken(p, kFloatSeps, idText)) return;
  if (!NextToken(p, kFloatSeps, name)) return;
  // Type 0 declares an integer signal; 1 and 2 are the two float widths.
  if (NextToken(p, kFloatSeps, type) && type[0] == '0' && cnum::Atoi(type.data()) == 0) return;
  int head = state.FirstNamed(LowBits(idText.data()), StoredForm(name));
  if (head < 0) return;
  // Making a record floating twice changes nothing, so a repeated line only
  // looks at the records stored since the last one.
  int& done = state.floated[static_cast<std::size_t>(head)];
  for (int i = done < 0 ? head : state.next[static_cast<std::size_t>(done)]; i >= 0;
       i = state.next[static_cast<std::size_t>(i)]) {
    records_[static_cast<std::size_t>(i)].valueType = 2;
    done = i;
  }
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
  int first = state.FirstNamed(LowBits(idText.data()), StoredForm(name));
  if (first < 0) return;
  _CANDbSignal& r = records_[static_cast<std::size_t>(first)];
  CopyName(r.multiplexor, switchName);
  if (IsSwitchMark(r.multiplexor)) state.switches.push_back(first);
  if (hasRanges) r.multiplexValue.Set(ranges);
}

void CCanDB::OnAttributeDefaultLine(ReadState& state, const char* p) {
  std::string_view t;
  if (!NextToken(p, kDefaultSeps, t) || t != "ProtocolType") return;
  if (!NextToken(p, kDefaultValueSeps, t) || t != "J1939") return;
  // Every record stored so far becomes J1939; settled at the end.
  state.protocolDefault = MarkEvent{state.lines, count_, 1};
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
  uint32_t id = LowBits(idText.data());
  int mark = dbc::Atoi(value.data()) == state.j1939Index ? 1 : 0;
  // Every record of that identifier stored so far takes the mark; settled at
  // the end.
  state.NoteFrameFormat(id, mark);
  if (state.pending && static_cast<uint32_t>(state.blank.identifier) == id) state.pendingJ1939 = mark;
}

// A record's J1939 mark is the one of the last line that covered it: the
// last "ProtocolType" default read after it was stored, or the last
// VFrameFormat value of its identifier read after it was stored, whichever
// came later in the file. Records that no such line covered keep the mark
// they were stored with.
void CCanDB::ResolveJ1939Marks(ReadState& state) {
  const MarkEvent& def = state.protocolDefault;
  for (int i = 0; i < def.count && i < count_; ++i) records_[static_cast<std::size_t>(i)].J1939 = 1;
  for (const auto& format : state.frameFormats) {
    const MarkEvent& e = format.second;
    state.ForEachOfId(format.first, e.count, [&](int i) {
      if (e.stamp > def.stamp || i >= def.count) records_[static_cast<std::size_t>(i)].J1939 = e.mark;
    });
  }
}

void CCanDB::ResolveMultiplexors(ReadState& state) {
  // The switches in table order, without a walk over every record: those
  // this read marked, any an earlier read left, and any that a switch named
  // "M" marks further down on the way.
  std::vector<int>& marked = state.switches;
  for (int i = 0; i < state.oldCount && i < count_; ++i)
    if (IsSwitchMark(records_[static_cast<std::size_t>(i)].multiplexor)) marked.push_back(i);
  std::priority_queue<int, std::vector<int>, std::greater<>> order(std::greater<>(), std::move(marked));
  for (int done = -1; !order.empty();) {
    const int i = order.top();
    order.pop();
    if (i == done) continue;
    done = i;
    _CANDbSignal& sw = records_[static_cast<std::size_t>(i)];
    if (!IsSwitchMark(sw.multiplexor)) continue;
    sw.multiplexor[0] = '\0';
    state.ForEachOfId(static_cast<uint32_t>(sw.identifier), count_, [&](int k) {
      _CANDbSignal& s = records_[static_cast<std::size_t>(k)];
      if (!s.multiplexValue || !s.multiplexValue.Get()[0] || s.multiplexor[0]) return;
      if (std::memcmp(s.name, sw.name, sizeof sw.name) == 0) return;  // zeros behind both texts
      CopyName(s.multiplexor, sw.name);
      if (k > i && IsSwitchMark(s.multiplexor)) order.push(k);
    });
  }
}
