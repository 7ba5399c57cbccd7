#include "ListAdd.h"

#include "BusRecordKinds.h"
#include "CNumber.h"
#include "FlexRayCycles.h"
#include "MessageBox.h"
#include "MsgIds.h"
#include "TextFile.h"
#include "VestrelDoc.h"

#include <algorithm>
#include <type_traits>
#include <unordered_map>
#include <vector>

namespace {

constexpr int kMaxDefinitionRows = MAX_DEF_SYMBOLS;

enum class Step { Next, Added, Stop };

bool Overlaps(long long start, long long count, long long otherStart, long long otherCount) {
  return otherStart < start + count && start < otherStart + otherCount;
}

template <class Msg>
bool RangeTaken(const Msg* msg, int startBit, int bitCount) {
  if (!msg || bitCount < 1) return false;
  for (const auto& entry : msg->signals) {
    const auto* s = entry.value;
    if (s->bitCount > 0 && Overlaps(startBit, bitCount, s->startBit, s->bitCount)) return true;
  }
  return false;
}

template <class Msg>
bool OtherByteOrder(const Msg* msg, int byteOrder) {
  if (!msg) return false;
  for (const auto& entry : msg->signals)
    if (entry.value->byteOrder != byteOrder) return true;
  return false;
}

// The message part of a reference message, without its signal table.
void CopyMessageFields(const _CANMsg& from, _CANMsg& to) {
  std::copy(std::begin(from.name), std::end(from.name), std::begin(to.name));
  to.frameFormat = from.frameFormat;
  to.byteCount = from.byteCount;
  to.id = from.id;
  to.j1939 = from.j1939;
  to.frameType = from.frameType;
}
void CopyMessageFields(const _FlexRayMsg& from, _FlexRayMsg& to) {
  std::copy(std::begin(from.name), std::end(from.name), std::begin(to.name));
  to.frameFormat = from.frameFormat;
  to.byteCount = from.byteCount;
  to.slotId = from.slotId;
  to.baseCycle = from.baseCycle;
  to.cycleRepetition = from.cycleRepetition;
}
void CopyMessageFields(const _LINMsg& from, _LINMsg& to) {
  std::copy(std::begin(from.name), std::end(from.name), std::begin(to.name));
  to.checksum = from.checksum;
  to.byteCount = from.byteCount;
  to.id = from.id;
}

// What differs between the three bus kinds of message rows.
struct CanBus : CanRecords {
  static constexpr int kBus = BUS_CAN;
  static void AddMsg(CVestrelDoc& d, Msg* m) { d.AddCanMsg(m, LIST_DEFINITION); }
  static long long Id(const Msg& m) { return m.id; }
  static ListRow Row(int index, const Msg& m, const Sig& s, int fmt) { return MakeCanRow(index, m, s.name, fmt); }
};
struct FlexRayBus : FlexRayRecords {
  static constexpr int kBus = BUS_FLEXRAY;
  static void AddMsg(CVestrelDoc& d, Msg* m) {
    int added = 0;
    d.AddFlexRayMsg(m, LIST_DEFINITION, &added);
  }
  static long long Id(const Msg& m) { return m.slotId; }
  static ListRow Row(int index, const Msg& m, const Sig& s, int fmt) { return MakeFlexRayRow(index, m, s.name, fmt); }
};
struct LinBus : LinRecords {
  static constexpr int kBus = BUS_LIN;
  static void AddMsg(CVestrelDoc& d, Msg* m) { d.AddLinMsg(m, LIST_DEFINITION); }
  static long long Id(const Msg& m) { return m.id; }
  static ListRow Row(int index, const Msg& m, const Sig& s, int fmt) { return MakeLinRow(index, m, s.name, fmt); }
};

// The identifiers (FlexRay: the slots and their cycles) of the definition
// messages of one bus kind, built at the first test of a run from the table
// and kept up to date with the messages the run adds: each new message is
// tested in constant time instead of walking every definition message, so
// adding many rows stays linear. Nothing but the run changes the definition
// tables while it lasts, and the records never leave memory, so the names
// it points to stay valid.
class DefinitionIds {
 public:
  // As CheckIdFree: false, with the first message in table order that
  // already has the identifier in `holder`.
  template <class Bus>
  bool IsFree(CVestrelDoc& doc, long long id, std::string& holder) {
    if (!built_) {
      for (const auto& entry : Bus::Table(doc, LIST_DEFINITION))
        holders_.emplace(Bus::Id(*entry.value), entry.value->name);
      built_ = true;
    }
    auto it = holders_.find(id);
    if (it == holders_.end()) return true;
    holder = it->second;
    return false;
  }
  // As CheckCycleFree.
  bool CycleFree(CVestrelDoc& doc, uint32_t slotId, uint16_t baseCycle, uint16_t cycleRepetition) {
    if (!built_) {
      for (const auto& entry : doc.GetFlexRayMsgTable(LIST_DEFINITION)) AddedFrame(*entry.value);
      built_ = true;
    }
    auto it = cycles_.find(slotId);
    if (it == cycles_.end()) return true;
    std::bitset<65> asked = FlexRayCycleSet(baseCycle, cycleRepetition);
    for (const std::bitset<65>& taken : it->second)
      if ((taken & asked).any()) return false;
    return true;
  }
  // A message the run added at the end of the table.
  template <class Msg>
  void Added(long long id, const Msg& msg) {
    if (built_) holders_.emplace(id, msg.name);
  }
  void AddedFrame(const _FlexRayMsg& frame) {
    cycles_[frame.slotId].push_back(FlexRayCycleSet(frame.baseCycle, frame.cycleRepetition));
  }
  bool Built() const { return built_; }

 private:
  bool built_ = false;
  std::unordered_map<long long, const char*> holders_;
  std::unordered_map<uint32_t, std::vector<std::bitset<65>>> cycles_;
};

int Refuse(int id, const std::vector<MsgArg>& args) { return ShowMessage(id, args, MsgButtons::Ok, MsgIcon::Error); }

// Message IDS_MSG_CODING_IDENTICAL: the copy is taken over unscaled; both import marks go.
void WarnIdenticalCoding(const char* msgName, _SignalHead& copy) {
  ShowMessage(IDS_MSG_CODING_IDENTICAL, {msgName, copy.name}, MsgButtons::Ok, MsgIcon::Information);
  copy.identicalCoding = 0;
  copy.importError = 0;
}

template <class Bus>
Step AddMessageRow(CVestrelDoc& doc, const ListRow& row, ListRows& defRows, DefinitionIds& ids) {
  using Msg = typename Bus::Msg;
  using Sig = typename Bus::Sig;
  constexpr bool kCan = Bus::kBus == BUS_CAN;
  constexpr bool kFlexRay = Bus::kBus == BUS_FLEXRAY;
  const int fmt = doc.GetMsgIdFormat();

  std::string msgKey = MakeUpperString(row.Cell(COL_MESSAGE));
  const Msg* ref = Bus::Table(doc, LIST_REFERENCE).Find(msgKey);
  if (!ref) return Step::Next;
  const Sig* refSig = ref->signals.Find(MakeUpperString(row.Cell(COL_SIGNAL)));
  if (!refSig) return Step::Next;
  const char* msgName = ref->name;
  const char* sigName = refSig->name;

  Msg* def = Bus::Table(doc, LIST_DEFINITION).Find(msgKey);
  if (def) {
    if constexpr (!std::is_same_v<Msg, _LINMsg>) {
      if (ref->frameFormat != def->frameFormat) {
        Refuse(IDS_MSG_FORMAT_DIFFERS, {msgName, sigName});
        return Step::Stop;
      }
    }
    if (Bus::Id(*ref) != Bus::Id(*def)) {
      Refuse(IDS_MSG_OTHER_ID, {msgName, cnum::SaturateToInt(Bus::Id(*def))});
      return Step::Stop;
    }
    if (ref->byteCount != def->byteCount) {
      Refuse(IDS_MSG_BYTECOUNT_DIFFERS, {msgName, sigName});
      return Step::Stop;
    }
    if (def->signals.Contains(MakeUpperString(sigName))) {
      Refuse(kFlexRay ? IDS_MSG_FLEXRAY_DEFINED : IDS_MSG_ALREADY_DEFINED, {msgName, sigName});
      return Step::Stop;
    }
    Sig* copy = Bus::AllocSig(doc);
    if (!copy) return Step::Stop;
    // A whole copy: the multiplex value text of a CAN signal is the copy's own
    // from here on, so giving the copy back never touches the reference's.
    *copy = *refSig;
    if (copy->importError == 1) {
      Refuse(IDS_MSG_CODING_REFUSED, {msgName, sigName});
      Bus::FreeSig(doc, copy);
      return Step::Stop;
    }
    if (kFlexRay && copy->identicalCoding == 1) WarnIdenticalCoding(msgName, *copy);
    if (defRows.size() >= static_cast<std::size_t>(kMaxDefinitionRows)) {
      Refuse(IDS_MSG_TOO_MANY, {kMaxDefinitionRows});
      Bus::FreeSig(doc, copy);
      return Step::Stop;
    }
    bool used;
    if constexpr (kCan) used = IsCanBitRangeUsed(doc, msgName, copy->startBit, copy->bitCount, copy->multiplexor);
    else used = IsBitRangeUsed(doc, Bus::kBus, msgName, copy->startBit, copy->bitCount);
    if (used) {
      Refuse(IDS_MSG_SAME_BITS, {msgName, sigName});
      Bus::FreeSig(doc, copy);
      return Step::Stop;
    }
    if (IsByteOrderDifferent(doc, Bus::kBus, msgName, copy->byteOrder)) {
      Refuse(IDS_MSG_BYTEORDER_DIFFERS, {msgName, sigName});
      Bus::FreeSig(doc, copy);
      return Step::Stop;
    }
    Bus::AddSig(doc, def, copy);
    defRows.push_back(Bus::Row(static_cast<int>(defRows.size()), *def, *copy, fmt));
    return Step::Added;
  }

  Msg* msg = Bus::AllocMsg(doc);
  if (!msg) return Step::Stop;
  Sig* copy = Bus::AllocSig(doc);
  if (!copy) {
    Bus::FreeMsg(doc, msg);
    return Step::Stop;
  }
  CopyMessageFields(*ref, *msg);
  *copy = *refSig;
  auto refuse = [&](int id, const std::vector<MsgArg>& args) {
    Refuse(id, args);
    Bus::FreeSig(doc, copy);
    Bus::FreeMsg(doc, msg);
    return Step::Stop;
  };
  if constexpr (kFlexRay) {
    if (!ids.CycleFree(doc, msg->slotId, msg->baseCycle, msg->cycleRepetition))
      return refuse(IDS_MSG_FLEXRAY_DEFINED, {static_cast<int>(msg->slotId), msgName});
    // A timing the FlexRay dialog would refuse never reaches a saved file.
    if (!FlexRayBaseCycleFits(msg->baseCycle, msg->cycleRepetition)) return refuse(IDS_MSG_BASE_CYCLE, {});
  } else {
    std::string holder;
    if (!ids.IsFree<Bus>(doc, Bus::Id(*msg), holder))
      return refuse(IDS_MSG_ID_USED, {cnum::SaturateToInt(Bus::Id(*msg)), holder});
  }
  if (copy->importError == 1) return refuse(IDS_MSG_CODING_REFUSED, {msgName, sigName});
  if (kFlexRay && copy->identicalCoding == 1) WarnIdenticalCoding(msgName, *copy);
  if (defRows.size() >= static_cast<std::size_t>(kMaxDefinitionRows))
    return refuse(IDS_MSG_TOO_MANY, {kMaxDefinitionRows});
  Bus::AddSig(doc, msg, copy);
  Bus::AddMsg(doc, msg);
  if constexpr (kFlexRay) {
    if (ids.Built()) ids.AddedFrame(*msg);
  } else {
    ids.Added(Bus::Id(*msg), *msg);
  }
  defRows.push_back(Bus::Row(static_cast<int>(defRows.size()), *msg, *copy, fmt));
  return Step::Added;
}

Step AddLogicRow(CVestrelDoc& doc, const ListRow& row, ListRows& defRows) {
  std::string key = MakeUpperString(row.Cell(COL_SYMBOL));
  // A group text outside 1..5 names no group: the row is passed over.
  long long number = cnum::Atoi(row.Cell(COL_GROUP).c_str());
  if (number < 1 || number > LOGIC_GROUP_COUNT) return Step::Next;
  const int index = static_cast<int>(number - 1);
  const _LOGICGroup* ref = doc.GetLogicGroup(LIST_REFERENCE, index);
  _LOGICGroup* def = doc.GetLogicGroup(LIST_DEFINITION, index);
  if (!ref || !def) return Step::Next;
  const _LOGICSignal* sym = ref->symbols.Find(key);
  if (!sym) return Step::Next;

  if (def->symbols.Contains(key)) {
    Refuse(IDS_MSG_SYMBOL_ALREADY, {sym->name});
    return Step::Stop;
  }
  if (def->symbols.empty()) {
    def->bitCount = ref->bitCount;
    std::copy(std::begin(ref->name), std::end(ref->name), std::begin(def->name));
  } else if (def->bitCount != ref->bitCount) {
    Refuse(IDS_MSG_GROUP_BITS, {index + 1, static_cast<int>(def->bitCount)});
    return Step::Stop;
  }
  std::string pattern = MakeUpperString(sym->pattern);
  for (const auto& entry : def->symbols) {
    if (MakeUpperString(entry.value->pattern) == pattern) {
      Refuse(IDS_MSG_SAME_PATTERN_ADD, {sym->name, sym->pattern});
      return Step::Stop;
    }
  }
  if (def->symbols.size() >= static_cast<std::size_t>(MAX_LOGIC_GROUP_SYMBOLS)) {
    Refuse(IDS_MSG_TOO_MANY, {MAX_LOGIC_GROUP_SYMBOLS});
    return Step::Stop;
  }
  _LOGICSignal* copy = doc.AllocLogicSignal();
  if (!copy) return Step::Stop;
  *copy = *sym;
  if (!doc.AddLogicSignal(LIST_DEFINITION, index, copy)) return Step::Stop;
  defRows.push_back(MakeLogicRow(static_cast<int>(defRows.size()), *def, *copy));
  return Step::Added;
}

}  // namespace

int AddReferenceRows(CVestrelDoc& doc, int busKind, const ListRows& refRows, const std::vector<int>& selection,
                     ListRows& defRows, const std::function<void(int row)>& appended) {
  int added = 0;
  DefinitionIds ids;
  for (int r : SortedSelection(selection, refRows.size())) {
    const ListRow& row = refRows[static_cast<std::size_t>(r)];
    Step step = Step::Stop;
    switch (busKind) {
      case BUS_CAN:
        step = AddMessageRow<CanBus>(doc, row, defRows, ids);
        break;
      case BUS_FLEXRAY:
        step = AddMessageRow<FlexRayBus>(doc, row, defRows, ids);
        break;
      case BUS_LIN:
        step = AddMessageRow<LinBus>(doc, row, defRows, ids);
        break;
      case BUS_LOGIC:
        step = AddLogicRow(doc, row, defRows);
        break;
      default:
        break;
    }
    if (step == Step::Added) {
      ++added;
      if (appended) appended(static_cast<int>(defRows.size()) - 1);
    }
    if (step == Step::Stop) break;
  }
  if (added > 0) doc.SetDefModified(true);
  return added;
}

bool IsBitRangeUsed(const CVestrelDoc& doc, int busKind, const std::string& msgName, int startBit, int bitCount) {
  std::string key = MakeUpperString(msgName);
  if (busKind == BUS_FLEXRAY) return RangeTaken(doc.GetFlexRayMsgTable(LIST_DEFINITION).Find(key), startBit, bitCount);
  if (busKind == BUS_LIN) return RangeTaken(doc.GetLinMsgTable(LIST_DEFINITION).Find(key), startBit, bitCount);
  return false;
}

bool IsCanBitRangeUsed(const CVestrelDoc& doc, const std::string& msgName, int startBit, int bitCount,
                       const std::string& multiplexor) {
  if (!multiplexor.empty() || bitCount < 1) return false;
  const _CANMsg* msg = doc.GetCanMsgTable(LIST_DEFINITION).Find(MakeUpperString(msgName));
  if (!msg) return false;
  for (const auto& entry : msg->signals) {
    const _CANSignal* s = entry.value;
    if (s->multiplexor[0] != '\0' || s->bitCount <= 0) continue;
    if (Overlaps(startBit, bitCount, s->startBit, s->bitCount)) return true;
  }
  return false;
}

bool IsByteOrderDifferent(const CVestrelDoc& doc, int busKind, const std::string& msgName, int byteOrder) {
  std::string key = MakeUpperString(msgName);
  switch (busKind) {
    case BUS_CAN:
      return OtherByteOrder(doc.GetCanMsgTable(LIST_DEFINITION).Find(key), byteOrder);
    case BUS_FLEXRAY:
      return OtherByteOrder(doc.GetFlexRayMsgTable(LIST_DEFINITION).Find(key), byteOrder);
    case BUS_LIN:
      return OtherByteOrder(doc.GetLinMsgTable(LIST_DEFINITION).Find(key), byteOrder);
    default:
      return false;
  }
}

bool CheckIdFree(const CVestrelDoc& doc, int busKind, long long id, std::string& holder) {
  auto scan = [&](const auto& table, auto idOf) {
    for (const auto& entry : table) {
      if (idOf(*entry.value) == id) {
        holder = entry.value->name;
        return false;
      }
    }
    return true;
  };
  auto canId = [](const _CANMsg& m) { return static_cast<long long>(m.id); };
  auto linId = [](const _LINMsg& m) { return static_cast<long long>(m.id); };
  auto slotId = [](const _FlexRayMsg& m) { return static_cast<long long>(m.slotId); };
  switch (busKind) {
    case BUS_CAN:
      return scan(doc.GetCanMsgTable(LIST_DEFINITION), canId);
    case BUS_LIN:
      return scan(doc.GetLinMsgTable(LIST_DEFINITION), linId);
    case BUS_FLEXRAY:
      return scan(doc.GetFlexRayMsgTable(LIST_DEFINITION), slotId);
    default:
      return true;
  }
}

bool CheckCycleFree(const CVestrelDoc& doc, uint32_t slotId, uint16_t baseCycle, uint16_t cycleRepetition) {
  for (const auto& entry : doc.GetFlexRayMsgTable(LIST_DEFINITION)) {
    const _FlexRayMsg* frame = entry.value;
    if (frame->slotId != slotId) continue;
    if (FlexRayCyclesMeet(frame->baseCycle, frame->cycleRepetition, baseCycle, cycleRepetition)) return false;
  }
  return true;
}
