// The definition file: writer (BuildSblText) and reader (ParseSblText).
//
// The file is a sequence of top-level elements without a single root. Both
// directions wrap it in a temporary "Vestrel" element so that the XML class,
// which knows one top-level element, can handle it.
#include "SblFile.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <vector>

#include "CNumber.h"
#include "Markup.h"
#include "NumberOrder.h"
#include "TextFile.h"
#include "VestrelDoc.h"

namespace {

constexpr const char* kRootStart = "<Vestrel>";
constexpr const char* kRootEnd = "</Vestrel>";

template <std::size_t N>
const char* Word(const char* const (&table)[N], unsigned value) {
  return value < N ? table[value] : table[0];
}

std::string Upper(const char* text) { return MakeUpperString(text); }

// The text of a fixed name array; an array without its terminator is read
// only up to its size.
template <std::size_t N>
std::string Field(const char (&array)[N]) {
  return std::string(array, strnlen(array, N));
}

// One element entered for as long as the scope lives: every way out of a
// reading or writing step leaves exactly the element it entered.
class [[nodiscard]] ElementScope {
 public:
  // Enters the current child (the one the last FindChildElement found).
  explicit ElementScope(CMarkup& xml) : xml_(xml) { xml_.EnterElement(); }
  // Appends a child element `name` to the current element and enters it.
  ElementScope(CMarkup& xml, const char* name) : xml_(xml) {
    xml_.InsertElement(name, nullptr, false, true);
    xml_.EnterElement();
  }
  ~ElementScope() { xml_.LeaveElement(); }
  ElementScope(const ElementScope&) = delete;
  ElementScope& operator=(const ElementScope&) = delete;

 private:
  CMarkup& xml_;
};

// ---- Writer ------------------------------------------------------------------

// FlexRay signals and LOGIC symbols carry the place of their definition row
// (orderNo), which the file does not hold: it keeps the user's order by
// writing them in that order, and the FlexRay frames in the order of their
// first row. Records never shown in another order keep the table's order.
template <class T>
struct InOrderItem {
  const T* record;
  int number;
};

template <class T>
std::vector<InOrderItem<T>> InOrder(const NameMap<T>& table) {
  std::vector<InOrderItem<T>> items;
  items.reserve(table.size());
  for (const auto& entry : table) items.push_back({entry.value, entry.value->orderNo});
  OrderByNumber(items);
  return items;
}

struct FrameInOrder {
  const _FlexRayMsg* msg;
  int number;  // the smallest row place of its signals: its first row
};

std::vector<FrameInOrder> FramesInOrder(const NameMap<_FlexRayMsg>& table) {
  std::vector<FrameInOrder> frames;
  frames.reserve(table.size());
  for (const auto& entry : table) {
    int first = -1;
    for (const auto& s : entry.value->signals)
      if (s.value->orderNo >= 0 && (first < 0 || s.value->orderNo < first)) first = s.value->orderNo;
    frames.push_back({entry.value, first});
  }
  OrderByNumber(frames);
  return frames;
}

class SblWriter {
 public:
  explicit SblWriter(const CVestrelDoc& doc) : doc_(doc) {}

  std::string Build(int list) {
    xml_.InsertElement("Vestrel", nullptr, false, false);
    Put("SBLVersion", cnum::Format("%.1f", sbl::kVersion));
    Put("Model", sbl::kModel);
    if (list == LIST_REFERENCE || list == LIST_DEFINITION) {
      WriteFlexRay(list);
      WriteCan(list);
      WriteLin(list);
      WriteLogic(list);
    }
    return StripRoot(xml_.GetDoc());
  }

 private:
  void Put(const char* name, const std::string& value) { xml_.InsertElement(name, value.c_str(), false, true); }
  void Put(const char* name, long long value) { Put(name, cnum::Format("%lld", value)); }
  void PutDouble(const char* name, double value) { Put(name, cnum::Format("%e", value)); }
  void WriteSignalHead(const _SignalHead& s) {
    Put("SIGName", Field(s.name));
    Put("BitOrder", std::string(Word(sbl::kBitOrder, s.bitOrder)).substr(0, 3));
    Put("StartBit", s.startBit);
    Put("BitSize", s.bitCount);
    Put("ByteOrder", Upper(Word(sbl::kByteOrder, s.byteOrder)));
    Put("ValueType", Upper(Word(sbl::kValueType, s.valueType)));
    Put("Unit", Field(s.unit));
    PutDouble("Factor", s.factor);
    PutDouble("Offset", s.offset);
    PutDouble("Minimum", s.minimum);
    PutDouble("Maximum", s.maximum);
  }

  void WriteFlexRay(int list) {
    const NameMap<_FlexRayMsg>& table = doc_.GetFlexRayMsgTable(list);
    if (table.IsEmpty()) return;
    ElementScope inTable(xml_, "FlexRaySymbolTable");
    Put("MessageTotalNum", static_cast<long long>(table.GetCount()));
    Put("SignalTotalNum", doc_.CountFlexRaySignals(list));
    for (const FrameInOrder& frame : FramesInOrder(table)) {
      const _FlexRayMsg& msg = *frame.msg;
      ElementScope inGroup(xml_, "Group");
      {
        ElementScope inMessage(xml_, "Message");
        Put("MSGName", Field(msg.name));
        Put("FrameFormat", Word(sbl::kFrameFormat, msg.frameFormat));
        Put("MSGId", static_cast<long long>(msg.slotId));
        Put("MSGBitSize", static_cast<long long>(msg.byteCount) * 8);
        Put("BaseCycle", msg.baseCycle);
        Put("CycleRepetition", msg.cycleRepetition);
      }
      Put("SignalNum", static_cast<long long>(msg.signals.GetCount()));
      for (const auto& s : InOrder(msg.signals)) {
        ElementScope inSignal(xml_, "Signal");
        WriteSignalHead(*s.record);
      }
    }
  }

  void WriteCan(int list) {
    const NameMap<_CANMsg>& table = doc_.GetCanMsgTable(list);
    if (table.IsEmpty()) return;
    ElementScope inTable(xml_, "CanSymbolTable");
    Put("MessageTotalNum", static_cast<long long>(table.GetCount()));
    Put("SignalTotalNum", doc_.CountCanSignals(list));
    for (const auto& entry : table) {
      const _CANMsg& msg = *entry.value;
      bool extended = msg.frameType == CANFRAME_FD || msg.byteCount > 8;
      ElementScope inGroup(xml_, extended ? "GroupEx" : "Group");
      {
        ElementScope inMessage(xml_, "Message");
        Put("MSGName", Field(msg.name));
        Put("FrameFormat", Word(sbl::kFrameFormat, msg.frameFormat));
        Put("MSGId", msg.id);
        Put("MSGBitSize", static_cast<long long>(msg.byteCount) * 8);
        Put("J1939", msg.j1939 ? sbl::kJ1939On : sbl::kJ1939Off);
      }
      Put("SignalNum", static_cast<long long>(msg.signals.GetCount()));
      for (const auto& s : msg.signals) {
        const _CANSignal& sig = *s.value;
        ElementScope inSignal(xml_, "Signal");
        WriteSignalHead(sig);
        Put("SIGLoadNo", sig.loadNo);
        // The file names a multiplexor by its load number.
        std::string mux;
        if (sig.multiplexor[0] != '\0') {
          if (const _CANSignal* target = msg.signals.Find(MakeUpperString(Field(sig.multiplexor))))
            mux = cnum::Format("%d", target->loadNo);
        }
        Put("Multiplexor", mux);
        Put("MultiplexValue", sig.multiplexValue);
      }
    }
  }

  void WriteLin(int list) {
    const NameMap<_LINMsg>& table = doc_.GetLinMsgTable(list);
    if (table.IsEmpty()) return;
    ElementScope inTable(xml_, "LinSymbolTable");
    Put("MessageTotalNum", static_cast<long long>(table.GetCount()));
    Put("SignalTotalNum", doc_.CountLinSignals(list));
    for (const auto& entry : table) {
      const _LINMsg& msg = *entry.value;
      ElementScope inGroup(xml_, "Group");
      {
        ElementScope inMessage(xml_, "Message");
        Put("MSGName", Field(msg.name));
        Put("MSGId", static_cast<long long>(msg.id));
        Put("MSGBitSize", static_cast<long long>(msg.byteCount) * 8);
        Put("MSGCheckSum", Upper(Word(sbl::kChecksum, msg.checksum)));
      }
      Put("SignalNum", static_cast<long long>(msg.signals.GetCount()));
      for (const auto& s : msg.signals) {
        ElementScope inSignal(xml_, "Signal");
        WriteSignalHead(*s.value);
        Put("SIGLoadNo", s.value->loadNo);
      }
    }
  }

  void WriteLogic(int list) {
    int groups = 0;
    for (int g = 0; g < LOGIC_GROUP_COUNT; ++g)
      if (!doc_.GetLogicGroup(list, g)->symbols.IsEmpty()) ++groups;
    if (groups == 0) return;
    ElementScope inTable(xml_, "LogicSymbolTable");
    Put("MessageTotalNum", groups);
    Put("SignalTotalNum", doc_.CountLogicSymbols(list));
    for (int g = 0; g < LOGIC_GROUP_COUNT; ++g) {
      const _LOGICGroup& group = *doc_.GetLogicGroup(list, g);
      if (group.symbols.IsEmpty()) continue;
      ElementScope inGroup(xml_, "Group");
      {
        ElementScope inMessage(xml_, "Message");
        Put("MSGName", Field(group.name));
        Put("MSGid", group.index);
        Put("MSGBitSize", group.bitCount);
      }
      Put("SignalNum", static_cast<long long>(group.symbols.GetCount()));
      for (const auto& s : InOrder(group.symbols)) {
        ElementScope inSignal(xml_, "Signal");
        Put("SIGName", Field(s.record->name));
        Put("SIGPattern", Field(s.record->pattern));
      }
    }
  }

  static std::string StripRoot(const std::string& doc) {
    std::string text;
    text.reserve(doc.size());
    std::string_view rest(doc);
    const std::string_view start(kRootStart), end(kRootEnd);
    while (!rest.empty()) {
      std::size_t a = rest.find(start), b = rest.find(end);
      std::size_t at = std::min(a, b);
      if (at == std::string_view::npos) break;
      text.append(rest.substr(0, at));
      rest.remove_prefix(at + (at == a ? start.size() : end.size()));
    }
    text.append(rest);
    return text;
  }

  const CVestrelDoc& doc_;
  CMarkup xml_;
};

// ---- Reader ------------------------------------------------------------------

enum class Bus { FlexRay, Can, Lin };

bool SameWord(const std::string& text, const char* word) { return MakeUpperString(text) == MakeUpperString(word); }

long long Clamp(long long v, long long lo, long long hi) { return v < lo ? lo : (v > hi ? hi : v); }

// Bytes for a number of bits, a remainder counting as one more byte.
long long BytesOfBits(long long bits) { return (bits + 7) / 8; }

// A whole decimal integer (blanks before it allowed, nothing after it).
bool WholeInteger(const char* text, long long& value) {
  char* end = nullptr;
  value = cnum::Strtoll(text, &end, 10);
  if (end == text) return false;
  const char* digitsStart = text;
  while (*digitsStart == ' ' || *digitsStart == '\t') ++digitsStart;
  if (*digitsStart == '+' || *digitsStart == '-') ++digitsStart;
  if (*digitsStart < '0' || *digitsStart > '9') return false;
  return *end == '\0';
}

// The group index a LOGIC group name stands for: its trailing digits minus
// one, taken as a 16-bit unsigned value ("Group3" gives 2; no digits or a
// trailing 0 give 0xFFFF).
unsigned IndexFromGroupName(const std::string& name) {
  std::size_t first = name.size();
  while (first > 0 && name[first - 1] >= '0' && name[first - 1] <= '9') --first;
  unsigned number = 0;
  for (std::size_t i = first; i < name.size(); ++i) number = (number * 10 + unsigned(name[i] - '0')) & 0xFFFFu;
  return (number + 0xFFFFu) & 0xFFFFu;
}

// The document's operations of each bus, for the steps that every bus shares.
void AddSignal(CVestrelDoc& doc, _FlexRayMsg* msg, _FlexRaySignal* sig) { doc.AddFlexRaySignal(msg, sig); }
void AddSignal(CVestrelDoc& doc, _CANMsg* msg, _CANSignal* sig) { doc.AddCanSignal(msg, sig); }
void AddSignal(CVestrelDoc& doc, _LINMsg* msg, _LINSignal* sig) { doc.AddLinSignal(msg, sig); }
void FreeSignal(CVestrelDoc& doc, _FlexRaySignal* sig) { doc.FreeFlexRaySignal(sig); }
void FreeSignal(CVestrelDoc& doc, _CANSignal* sig) { doc.FreeCanSignal(sig); }
void FreeSignal(CVestrelDoc& doc, _LINSignal* sig) { doc.FreeLinSignal(sig); }

class SblReader {
 public:
  SblReader(CVestrelDoc& doc, int list) : doc_(doc), list_(list), definition_(list == LIST_DEFINITION) {}

  long long LeftOut() const { return leftOut_; }
  long long NamesCut() const { return namesCut_; }
  long long Replaced() const { return replaced_; }
  const SblSharedFrames& SharedFrames() const { return shared_; }

  int Parse(std::string_view text) {
    std::string wrapped;
    wrapped.reserve(text.size() + 20);
    wrapped.append(kRootStart).append(text).append(kRootEnd);
    return ParseWrapped(std::move(wrapped));
  }

  // The file's elements inside one root element, as the element class reads
  // only one top-level element.
  static void Wrap(std::string& text) {
    text.insert(0, kRootStart);
    text.append(kRootEnd);
  }

  int ParseWrapped(std::string&& wrapped) {
    if (!xml_.SetDocument(std::move(wrapped))) return -1;

    bool found = false;
    double version = sbl::kVersion;  // a file without a version is read as current
    std::string t;
    if (Text("SBLVersion", t)) {
      version = cnum::Atof(t.c_str());
      found = true;
    }
    if (xml_.FindChildElement("Model")) found = true;
    current_ = version >= sbl::kVersion;

    if (xml_.FindChildElement("FlexRaySymbolTable")) {
      found = true;
      ReadTable(&SblReader::ReadFlexRayGroup, current_ ? "Message" : "MessageFlexRay",
                current_ ? "Signal" : "SignalFlexRay");
    }
    if (xml_.FindChildElement("CanSymbolTable")) {
      found = true;
      ReadTable(nullptr, current_ ? "Message" : "MessageCAN", current_ ? "Signal" : "SignalCAN");
    }
    if (xml_.FindChildElement("LinSymbolTable")) {
      found = true;
      ReadTable(&SblReader::ReadLinGroup, current_ ? "Message" : "MessageCAN", current_ ? "Signal" : "SignalCAN");
    }
    if (xml_.FindChildElement("LogicSymbolTable")) {
      found = true;
      ReadTable(&SblReader::ReadLogicGroup, current_ ? "Message" : "MessageLOGIC", current_ ? "Signal" : "SignalLOGIC");
      SettleLogicGroups();
    }
    // Not one element of a definition file: this is no definition file.
    return found ? 0 : -1;
  }

 private:
  // A group reader answers whether the group held a message: only then are
  // its signal elements rows.
  using GroupReader = bool (SblReader::*)(const char* msgElem, const char* sigElem);

  bool Text(const char* name, std::string& out) {
    if (!xml_.FindChildElement(name)) return false;
    out = xml_.GetChildText();
    return true;
  }
  // atoi of the element's text; `missing` when there is no such element.
  long long Number(const char* name, long long missing) {
    std::string t;
    return Text(name, t) ? cnum::Atoi(t.c_str()) : missing;
  }

  // A table: its group elements, at most MessageTotalNum of them (500 for
  // the definition list). The reading stops at the first pass that finds no
  // group element, so a count in the file cannot keep it going. Rows the
  // counts leave unread, groups past MessageTotalNum and signals past a
  // group's SignalNum, are not read but told.
  void ReadTable(GroupReader readGroup, const char* msgElem, const char* sigElem) {
    ElementScope inTable(xml_);
    long long total = Number("MessageTotalNum", 0);
    std::string ignored;
    Text("SignalTotalNum", ignored);
    if (definition_ && total > MAX_DEF_SYMBOLS) total = MAX_DEF_SYMBOLS;
    const bool logic = readGroup == &SblReader::ReadLogicGroup;
    for (long long pass = 0; pass < total; ++pass) {
      if (readGroup) {
        if (!xml_.FindChildElement("Group")) break;
        ElementScope inGroup(xml_);
        if ((this->*readGroup)(msgElem, sigElem)) leftOut_ += SignalsAhead(sigElem, kAllAhead, logic);
        continue;
      }
      // CAN: the next child of any name; only Group and GroupEx are read.
      if (!xml_.FindChildElement(nullptr)) break;
      std::string name = xml_.GetChildName();
      int frameType = name == "GroupEx" ? CANFRAME_FD : (name == "Group" ? CANFRAME_CAN : CANFRAME_UNSET);
      if (frameType == CANFRAME_UNSET) continue;
      ElementScope inGroup(xml_);
      if (ReadCanGroup(msgElem, sigElem, frameType)) leftOut_ += SignalsAhead(sigElem, kAllAhead, false);
    }
    // The groups that the count or the limit left unread are counted in
    // rows, not read.
    while (xml_.FindChildElement(readGroup ? "Group" : nullptr)) {
      std::string name = xml_.GetChildName();
      if (name != "Group" && name != "GroupEx") continue;
      ElementScope inGroup(xml_);
      leftOut_ += RowsOfGroup(msgElem, sigElem, logic);
    }
  }

  // Inside a group element: the rows it would give, all its signals (or
  // symbols), none when its message element or the message name is missing.
  long long RowsOfGroup(const char* msgElem, const char* sigElem, bool logic) {
    if (!xml_.FindChildElement(msgElem)) return 0;
    {
      ElementScope inMessage(xml_);
      if (!xml_.FindChildElement("MSGName")) return 0;
    }
    return SignalsAhead(sigElem, kAllAhead, logic);
  }

  static constexpr long long kAllAhead = std::numeric_limits<long long>::max();

  // The signals among the next `count` signal elements that the reader would
  // take: those with a SIGName, and every LOGIC symbol.
  long long SignalsAhead(const char* sigElem, long long count, bool logic) {
    long long rows = 0;
    for (long long i = 0; i < count && xml_.FindChildElement(sigElem); ++i) {
      if (logic) {
        ++rows;
        continue;
      }
      ElementScope inSignal(xml_);
      if (xml_.FindChildElement("SIGName")) ++rows;
    }
    return rows;
  }

  // A message that takes the place of an earlier one of its name takes its
  // rows away: they are counted as replaced, and no longer held.
  template <class Msg>
  void NoteReplacedMessage(const NameMap<Msg>& table, const Msg* msg, long long& held) {
    char key[sizeof msg->name];
    const Msg* earlier = table.Find(NameKey(msg->name, key));
    if (!earlier || earlier == msg) return;
    const auto rows = static_cast<long long>(earlier->signals.GetCount());
    replaced_ += rows;
    held -= rows;
  }

  // Puts a signal into its message; one that takes the place of an earlier
  // one of its name is counted as replacing it, any other as a row held.
  template <class Msg, class Sig>
  void PutSignal(Msg* msg, Sig* sig, long long& held) {
    const std::size_t before = msg->signals.GetCount();
    AddSignal(doc_, msg, sig);
    if (msg->signals.GetCount() == before) ++replaced_;
    else ++held;
  }

  // Reads the message's SignalNum signal elements, `readOne` making the
  // record of one whose SIGName was found (from the element, with the number
  // of signals of the bus read so far) and `read` counting them. The
  // definition list takes none of a message's signals when SignalNum would
  // take its rows past the limit; a signal that replaces one of the same name
  // in the message is no row of its own, so near the limit the signals wait
  // until it is known how many replace others.
  template <class Msg, class ReadOne>
  void ReadSignals(Msg* msg, const char* sigElem, long long& held, long long& read, ReadOne readOne) {
    using Sig = std::remove_pointer_t<std::invoke_result_t<ReadOne, long long>>;
    const long long count = Number("SignalNum", 0);
    const bool wait = definition_ && held + count > MAX_DEF_SYMBOLS;
    // Waiting, one record per name: a later one of the name takes the
    // earlier one's place at once, as it would in the message's table.
    WaitingSignals<Sig> waiting(doc_);
    std::unordered_map<std::string, std::size_t> slots;
    long long readHere = 0;
    auto refuse = [&](long long unread) {
      leftOut_ += readHere + unread;
      read -= readHere;
    };
    for (long long i = 0; i < count; ++i) {
      if (!xml_.FindChildElement(sigElem)) break;
      Sig* sig = nullptr;
      {
        ElementScope inSignal(xml_);
        if (!xml_.FindChildElement("SIGName")) continue;
        sig = readOne(read);
      }
      ++read;
      if (!wait) {
        PutSignal(msg, sig, held);
        continue;
      }
      ++readHere;
      char key[sizeof sig->name];
      auto [slot, first] = slots.try_emplace(std::string(NameKey(sig->name, key)), waiting.records.size());
      if (first) {
        waiting.records.push_back(sig);
      } else {
        FreeSignal(doc_, waiting.records[slot->second]);
        waiting.records[slot->second] = sig;
      }
      // Rows enough to pass the limit already: the rest is only counted.
      if (held + static_cast<long long>(slots.size()) > MAX_DEF_SYMBOLS)
        return refuse(SignalsAhead(sigElem, count - i - 1, false));
    }
    if (!wait) return;
    const long long replacing = readHere - static_cast<long long>(slots.size());
    if (held + count - replacing > MAX_DEF_SYMBOLS) return refuse(0);
    for (Sig* sig : waiting.records) PutSignal(msg, sig, held);
    waiting.records.clear();
    replaced_ += replacing;
  }

  // Records read but not yet in a table: they go back to their pool unless
  // they were put into it.
  template <class Sig>
  struct WaitingSignals {
    explicit WaitingSignals(CVestrelDoc& owner) : doc(owner) {}
    ~WaitingSignals() {
      for (Sig* sig : records) FreeSignal(doc, sig);
    }
    WaitingSignals(const WaitingSignals&) = delete;
    WaitingSignals& operator=(const WaitingSignals&) = delete;
    CVestrelDoc& doc;
    std::vector<Sig*> records;
  };

  // Copies a name into its record's field, counting it when it does not fit.
  void CopyName(char* field, const std::string& name, std::size_t length) {
    if (name.size() > length) ++namesCut_;
    CopyToCharBuffer(field, name, length);
  }

  // Inside a signal element with SIGName found: the shared leading fields.
  void ReadSignalHead(_SignalHead* s, Bus bus) {
    CopyName(s->name, xml_.GetChildText(), MAX_NAME_LEN);
    std::string t;
    if (Text("SIGType", t)) {
      if (bus == Bus::FlexRay) s->bitOrder = BITORDER_MSB_FIRST;
      else if (SameWord(t, bus == Bus::Can ? sbl::kFrameFormat[FRAME_XTD] : sbl::kBitOrder[BITORDER_LSB_FIRST]))
        s->bitOrder = BITORDER_LSB_FIRST;
    }
    // A CAN signal's bit order is not read from BitOrder: it comes from
    // SIGType alone. Not even looked for, since the search only moves
    // forward: a BitOrder written after the other fields would otherwise
    // hide them.
    if (bus != Bus::Can && Text("BitOrder", t)) {
      std::string lsb = bus == Bus::Lin ? std::string(sbl::kBitOrder[BITORDER_LSB_FIRST])
                                        : std::string(sbl::kBitOrder[BITORDER_LSB_FIRST], 3);
      if (SameWord(t, lsb.c_str())) s->bitOrder = BITORDER_LSB_FIRST;
    }
    if (Text("StartBit", t)) s->startBit = cnum::Atoi(t.c_str());
    if (Text("BitSize", t)) s->bitCount = cnum::Atoi(t.c_str());
    if (Text("BitFormat", t) && SameWord(t, sbl::kByteOrder[BYTEORDER_BIG])) s->byteOrder = BYTEORDER_BIG;
    if (Text("ByteOrder", t) && SameWord(t, sbl::kByteOrder[BYTEORDER_BIG])) s->byteOrder = BYTEORDER_BIG;
    if (Text("ValueType", t)) {
      if (SameWord(t, sbl::kValueType[VALTYPE_SIGNED])) s->valueType = VALTYPE_SIGNED;
      else if (SameWord(t, sbl::kValueType[VALTYPE_FLOAT])) s->valueType = VALTYPE_FLOAT;
      else s->valueType = VALTYPE_UNSIGNED;
    }
    if (Text("Unit", t)) CopyName(s->unit, t, MAX_NAME_LEN);
    if (Text("Factor", t)) s->factor = cnum::Atof(t.c_str());
    if (Text("Offset", t)) s->offset = cnum::Atof(t.c_str());
    if (Text("Minimum", t)) s->minimum = cnum::Atof(t.c_str());
    if (Text("Maximum", t)) s->maximum = cnum::Atof(t.c_str());
  }

  int32_t ReadLoadNo(long long readSoFar) {
    std::string t;
    if (Text("SIGLoadNo", t)) return cnum::Atoi(t.c_str());
    return cnum::SaturateToInt(-1 - readSoFar);
  }

  // A group reader reads nothing of a group whose message element or its
  // MSGName is missing.
  bool ReadFlexRayGroup(const char* msgElem, const char* sigElem) {
    if (!xml_.FindChildElement(msgElem)) return false;
    _FlexRayMsg* msg = nullptr;
    {
      ElementScope inMessage(xml_);
      std::string name;
      if (!Text("MSGName", name)) return false;
      msg = RecordOrNoMemory(doc_.AllocFlexRayMsg());
      CopyName(msg->name, name, MAX_NAME_LEN);
      std::string t;
      if (xml_.FindChildElement("FrameFormat")) msg->frameFormat = FRAME_STD;
      msg->slotId = static_cast<uint32_t>(Clamp(Number("MSGId", 1), 1, MAX_FLEXRAY_SLOT));
      long long bytes = Clamp(Number("MSGByteSize", 0), 0, MAX_FLEXRAY_BYTES);
      if (Text("MSGBitSize", t)) bytes = BytesOfBits(Clamp(cnum::Atoi(t.c_str()), 0, MAX_FLEXRAY_BITS));
      msg->byteCount = static_cast<uint8_t>(bytes);
      msg->baseCycle = static_cast<uint16_t>(Clamp(Number("BaseCycle", 0), 0, 0xFFFF));
      msg->cycleRepetition = static_cast<uint16_t>(Clamp(Number("CycleRepetition", 1), 0, 0xFFFF));
    }

    // A frame whose name an earlier one holds is left out with its rows and
    // told once in the load's notice, not with a box of its own.
    char key[sizeof msg->name];
    if (doc_.GetFlexRayMsgTable(list_).Contains(NameKey(msg->name, key))) {
      doc_.FreeFlexRayMsg(msg);
      ++shared_.frames;
      shared_.rows += SignalsAhead(sigElem, kAllAhead, false);
      return true;
    }
    int added = 0;
    doc_.AddFlexRayMsg(msg, list_, &added);
    if (!added) return true;  // refused and given back, with none of its signals
    ReadSignals(msg, sigElem, heldFlexRay_, flexRaySignals_, [&](long long) {
      _FlexRaySignal* sig = RecordOrNoMemory(doc_.AllocFlexRaySignal());
      ReadSignalHead(sig, Bus::FlexRay);
      return sig;
    });
    return true;
  }

  bool ReadCanGroup(const char* msgElem, const char* sigElem, int frameType) {
    if (!xml_.FindChildElement(msgElem)) return false;
    _CANMsg* msg = nullptr;
    std::string t;
    {
      ElementScope inMessage(xml_);
      std::string name;
      if (!Text("MSGName", name)) return false;
      msg = RecordOrNoMemory(doc_.AllocCanMsg());
      CopyName(msg->name, name, MAX_NAME_LEN);
      msg->frameFormat = Text("FrameFormat", t) && SameWord(t, sbl::kFrameFormat[FRAME_XTD]) ? FRAME_XTD : FRAME_STD;
      if (Text("MSGId", t)) {
        long long id = cnum::Atoi(t.c_str());
        if (id < 0) id = 0;
        if (id > MAX_XTD_ID) id = msg->frameFormat == FRAME_XTD ? MAX_XTD_ID : MAX_STD_ID;
        msg->id = static_cast<int32_t>(id);
      }
      if (Text("MSGByteSize", t)) msg->byteCount = static_cast<int32_t>(Clamp(cnum::Atoi(t.c_str()), 0, MAX_CAN_BYTES));
      long long bits = Number("MSGBitSize", 0);
      if (Text("J1939", t)) {
        msg->j1939 = t == sbl::kJ1939On ? 1 : 0;
        bits = Clamp(bits, 0, msg->j1939 ? MAX_J1939_BITS : MAX_CAN_BITS);
        msg->byteCount = static_cast<int32_t>(BytesOfBits(bits));
      }
    }

    NoteReplacedMessage(doc_.GetCanMsgTable(list_), msg, heldCan_);
    doc_.AddCanMsg(msg, list_);
    msg->frameType = frameType;
    ReadSignals(msg, sigElem, heldCan_, canSignals_, [&](long long readSoFar) {
      _CANSignal* sig = RecordOrNoMemory(doc_.AllocCanSignal());
      ReadSignalHead(sig, Bus::Can);
      sig->loadNo = ReadLoadNo(readSoFar);
      if (Text("Multiplexor", t) && !t.empty()) CopyToCharBuffer(sig->multiplexor, t, MAX_NAME_LEN);
      if (Text("MultiplexValue", t) && !t.empty()) sig->multiplexValue = t;
      return sig;
    });
    ResolveMultiplexors(msg);
    return true;
  }

  // The file names a multiplexor by its load number; the record names it by
  // the signal's name. A number that no signal of the message carries, or a
  // text that is not a whole number, stays as it was read.
  static void ResolveMultiplexors(_CANMsg* msg) {
    bool any = false;
    for (const auto& entry : msg->signals) any = any || entry.value->multiplexor[0] != '\0';
    if (!any) return;
    // Sorted pairs rather than a hash map: a message may hold a million
    // signals, and this is built while the whole file is still in memory.
    // Among signals of one number the first in table order is taken.
    std::vector<std::pair<long long, const _CANSignal*>> byLoadNo;
    byLoadNo.reserve(msg->signals.size());
    for (const auto& entry : msg->signals) byLoadNo.emplace_back(entry.value->loadNo, entry.value);
    std::stable_sort(byLoadNo.begin(), byLoadNo.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& entry : msg->signals) {
      _CANSignal* sig = entry.value;
      if (sig->multiplexor[0] == '\0') continue;
      long long number = 0;
      if (!WholeInteger(sig->multiplexor, number)) continue;
      auto it = std::lower_bound(byLoadNo.begin(), byLoadNo.end(), number,
                                 [](const auto& pair, long long n) { return pair.first < n; });
      if (it != byLoadNo.end() && it->first == number)
        CopyToCharBuffer(sig->multiplexor, Field(it->second->name), MAX_NAME_LEN);
    }
  }

  bool ReadLinGroup(const char* msgElem, const char* sigElem) {
    if (!xml_.FindChildElement(msgElem)) return false;
    _LINMsg* msg = nullptr;
    {
      ElementScope inMessage(xml_);
      std::string name;
      if (!Text("MSGName", name)) return false;
      msg = RecordOrNoMemory(doc_.AllocLinMsg());
      CopyName(msg->name, name, MAX_NAME_LEN);
      std::string t;
      if (Text("MSGId", t)) msg->id = static_cast<uint32_t>(Clamp(cnum::Atoi(t.c_str()), 0, MAX_LIN_ID));
      if (Text("MSGByteSize", t)) msg->byteCount = static_cast<uint8_t>(Clamp(cnum::Atoi(t.c_str()), 0, MAX_LIN_BYTES));
      if (Text("MSGBitSize", t))
        msg->byteCount = static_cast<uint8_t>(BytesOfBits(Clamp(cnum::Atoi(t.c_str()), 0, MAX_LIN_BYTES * 8)));
      msg->checksum = Text("MSGCheckSum", t) && SameWord(t, sbl::kChecksum[CHECKSUM_ENHANCED]) ? CHECKSUM_ENHANCED
                                                                                               : CHECKSUM_CLASSIC;
    }

    NoteReplacedMessage(doc_.GetLinMsgTable(list_), msg, heldLin_);
    doc_.AddLinMsg(msg, list_);
    ReadSignals(msg, sigElem, heldLin_, linSignals_, [&](long long readSoFar) {
      _LINSignal* sig = RecordOrNoMemory(doc_.AllocLinSignal());
      ReadSignalHead(sig, Bus::Lin);
      sig->loadNo = ReadLoadNo(readSoFar);
      return sig;
    });
    return true;
  }

  bool ReadLogicGroup(const char* msgElem, const char* sigElem) {
    if (!xml_.FindChildElement(msgElem)) return false;
    std::string t;
    long long index = 0;
    _LOGICGroup* group = nullptr;
    {
      ElementScope inMessage(xml_);
      std::string name;
      if (!Text("MSGName", name)) return false;
      if (Text("MSGid", t) || Text("MSGId", t)) index = Clamp(cnum::Atoi(t.c_str()), 0, LOGIC_GROUP_COUNT - 1);
      else index = std::min<long long>(IndexFromGroupName(name), LOGIC_GROUP_COUNT - 1);
      group = doc_.GetLogicGroup(list_, static_cast<int>(index));
      CopyName(group->name, name, MAX_LOGIC_NAME_LEN);
      long long bits = Number("MSGBitSize", group->bitCount);
      group->bitCount = static_cast<uint8_t>(Clamp(bits, 1, MAX_LOGIC_BITS));
    }
    touched_[index] = true;

    long long count = Number("SignalNum", 0);
    for (long long i = 0; i < count; ++i) {
      if (!xml_.FindChildElement(sigElem)) break;
      // The definition list takes at most 100 symbols of a group from a
      // file; a symbol that replaced one of its name holds no place.
      if (definition_ && logicSymbols_[index] >= MAX_LOGIC_GROUP_SYMBOLS) {
        // This symbol and those after it, as many as there are.
        leftOut_ += 1 + SignalsAhead(sigElem, count - i - 1, true);
        break;
      }
      _LOGICSignal* sym = nullptr;
      {
        ElementScope inSignal(xml_);
        sym = RecordOrNoMemory(doc_.AllocLogicSignal());
        if (Text("SIGName", t)) CopyName(sym->name, t, MAX_LOGIC_NAME_LEN);
        if (Text("SIGPattern", t)) {
          CopyToCharBuffer(sym->pattern, t, MAX_LOGIC_BITS);
          CutPattern(sym, group->bitCount);
          std::size_t length = std::strlen(sym->pattern);
          // An empty pattern says nothing about the width of the group.
          if (length > 0 && length < group->bitCount) group->bitCount = static_cast<uint8_t>(length);
        }
      }
      const std::size_t before = group->symbols.GetCount();
      doc_.AddLogicSignal(list_, static_cast<int>(index), sym);
      if (group->symbols.GetCount() == before) ++replaced_;
      else ++logicSymbols_[index];
    }
    return true;
  }

  // Cuts a pattern to at most `bits` bytes without splitting a character.
  static void CutPattern(_LOGICSignal* sym, std::size_t bits) {
    std::string pattern = Field(sym->pattern);
    if (pattern.size() > bits) CopyToCharBuffer(sym->pattern, pattern, bits);
  }

  // A pattern shorter than its group narrows the group, also when it came
  // before longer ones or from an earlier group element with the same index;
  // then every pattern is cut to the group's width, so that the group read
  // back from the written file is the same.
  void SettleLogicGroups() {
    for (int g = 0; g < LOGIC_GROUP_COUNT; ++g) {
      if (!touched_[g]) continue;
      _LOGICGroup* group = doc_.GetLogicGroup(list_, g);
      for (bool changed = true; changed;) {
        changed = false;
        for (const auto& entry : group->symbols) {
          std::size_t length = std::strlen(entry.value->pattern);
          if (length > 0 && length < group->bitCount) group->bitCount = static_cast<uint8_t>(length);
        }
        for (const auto& entry : group->symbols) {
          std::size_t before = std::strlen(entry.value->pattern);
          CutPattern(entry.value, group->bitCount);
          std::size_t after = std::strlen(entry.value->pattern);
          // A double-byte character at the cut makes the pattern shorter
          // than the group; go round again.
          if (after != before && after > 0 && after < group->bitCount) changed = true;
        }
      }
    }
  }

  CVestrelDoc& doc_;
  const int list_;
  const bool definition_;
  long long leftOut_ = 0;
  long long namesCut_ = 0;
  long long replaced_ = 0;
  SblSharedFrames shared_;
  CMarkup xml_;
  bool current_ = true;
  // Signals read from the file, per bus (the numbers of signals without a
  // load number count them), and the rows they left in the list.
  long long flexRaySignals_ = 0;
  long long canSignals_ = 0;
  long long linSignals_ = 0;
  long long heldFlexRay_ = 0;
  long long heldCan_ = 0;
  long long heldLin_ = 0;
  int logicSymbols_[LOGIC_GROUP_COUNT] = {};  // symbols each group holds
  bool touched_[LOGIC_GROUP_COUNT] = {};
};

}  // namespace

std::string CVestrelDoc::BuildSblText(int list) const { return SblWriter(*this).Build(list); }

int CVestrelDoc::ParseSblText(const std::string& text, int list, long long* leftOut, long long* namesCut,
                              long long* replaced) {
  if (leftOut) *leftOut = 0;
  if (namesCut) *namesCut = 0;
  if (replaced) *replaced = 0;
  if (!ValidList(list)) return -1;
  // Like a file read, the text ends at its first zero byte.
  SblReader reader(*this, list);
  int result = reader.Parse(std::string_view(text.c_str()));
  if (leftOut) *leftOut = reader.LeftOut();
  if (namesCut) *namesCut = reader.NamesCut();
  if (replaced) *replaced = reader.Replaced();
  return result;
}

int CVestrelDoc::ParseSblText(std::string&& text, int list, long long* leftOut, long long* namesCut,
                              long long* replaced, SblSharedFrames* shared) {
  if (leftOut) *leftOut = 0;
  if (namesCut) *namesCut = 0;
  if (replaced) *replaced = 0;
  if (shared) *shared = {};
  if (!ValidList(list)) return -1;
  // Like a file read, the text ends at its first zero byte. Wrapped where it
  // is: with kSblReadSlack bytes to spare the text is not copied.
  text.resize(std::strlen(text.c_str()));
  SblReader::Wrap(text);
  SblReader reader(*this, list);
  int result = reader.ParseWrapped(std::move(text));
  if (leftOut) *leftOut = reader.LeftOut();
  if (namesCut) *namesCut = reader.NamesCut();
  if (replaced) *replaced = reader.Replaced();
  if (shared) *shared = reader.SharedFrames();
  return result;
}
