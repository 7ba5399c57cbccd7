#include "VestrelDoc.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <string_view>
#include <utility>

#include "CNumber.h"
#include "MessageBox.h"
#include "MsgIds.h"
#include "NameKey.h"
#include "TextFile.h"

namespace {

template <class T>
void DeleteRecord(void* record) {
  delete static_cast<T*>(record);
}

// Takes the earliest record given back, or makes a new one. A record that
// cannot be made is reported as null so the caller abandons its work. Every
// record made is also noted in `made`, so that the document deletes it at
// the end even when it never reached a table or a pool (memory ran out
// between taking it and placing it). `budget` is the tests' allocation limit.
template <class T>
T* TakeFromPool(RecordPool<T>& pool, std::size_t& created, std::vector<CVestrelDoc::MadeRecord>& made,
                std::size_t& budget) {
  if (budget == 0) return nullptr;
  --budget;
  if (!pool.empty()) {
    T* record = pool.front();
    pool.pop_front();
    return record;
  }
  T* record = new (std::nothrow) T();
  if (!record) return nullptr;
  try {
    made.push_back({record, &DeleteRecord<T>});
  } catch (const std::bad_alloc&) {
    delete record;
    return nullptr;
  }
  ++created;
  return record;
}

// A pool that cannot grow would lose the record; it is deleted instead, so
// nothing leaks even then.
template <class T>
void PutIntoPool(RecordPool<T>& pool, T* record, std::size_t& created, std::vector<CVestrelDoc::MadeRecord>& made) {
  try {
    pool.push_back(record);
  } catch (const std::bad_alloc&) {
    auto it = std::find_if(made.begin(), made.end(),
                           [record](const CVestrelDoc::MadeRecord& m) { return m.record == record; });
    if (it != made.end()) made.erase(it);
    delete record;
    --created;
  }
}

// A reload gives thousands of CAN signals back: they are reset from one
// default record rather than from a new one each, whole (so that no field
// is ever left over), and the text keeps its storage for the next use.
const _CANSignal& CanSignalDefaults() {
  static const _CANSignal kDefaults;
  return kDefaults;
}

inline void ResetCanSignal(_CANSignal* sig, const _CANSignal& defaults) {
  std::string text = std::move(sig->multiplexValue);
  text.clear();
  *sig = defaults;
  sig->multiplexValue = std::move(text);
}

// Resets a message to a new record's fields while it keeps its (empty) table.
template <class Msg>
void ResetMessage(Msg* msg) {
  auto table = std::move(msg->signals);
  table.RemoveAll();
  *msg = Msg();
  msg->signals = std::move(table);
}

template <class T>
int SumSignals(const T& table) {
  long long sum = 0;
  for (const auto& entry : table) sum += static_cast<long long>(entry.value->signals.GetCount());
  return cnum::SaturateToInt(sum);
}

}  // namespace

CVestrelDoc::CVestrelDoc() { InitLogicGroups(); }

CVestrelDoc::~CVestrelDoc() {
  // Every record made goes back to the heap here, wherever it rests.
  for (const MadeRecord& m : m_made) m.destroy(m.record);
}

void CVestrelDoc::InitLogicGroups() {
  for (int list = 0; list < 2; ++list) {
    for (int g = 0; g < LOGIC_GROUP_COUNT; ++g) {
      _LOGICGroup& group = m_logicGroups[list][g];
      group.symbols.RemoveAll();
      group.index = static_cast<uint8_t>(g);
      group.bitCount = 0;
      CopyToCharBuffer(group.name, cnum::Format("Group%d", g + 1), MAX_LOGIC_NAME_LEN);
    }
  }
}

bool CVestrelDoc::OnNewDocument(const CAppSettings* settings) {
  if (settings) settings->GetDocState(&m_docState);
  return true;
}

void CVestrelDoc::OnCloseDocument(CAppSettings* settings) const {
  if (settings) settings->SetDocState(&m_docState);
}

// ---- Pools -----------------------------------------------------------------

_CANMsg* CVestrelDoc::AllocCanMsg() { return TakeFromPool(m_poolCanMsg, m_created.canMsg, m_made, m_allocBudget); }
_CANSignal* CVestrelDoc::MakeCanSignal() {
  return TakeFromPool(m_poolCanSignal, m_created.canSignal, m_made, m_allocBudget);
}
_FlexRayMsg* CVestrelDoc::AllocFlexRayMsg() {
  return TakeFromPool(m_poolFlexRayMsg, m_created.flexRayMsg, m_made, m_allocBudget);
}
_FlexRaySignal* CVestrelDoc::AllocFlexRaySignal() {
  return TakeFromPool(m_poolFlexRaySignal, m_created.flexRaySignal, m_made, m_allocBudget);
}
_LINMsg* CVestrelDoc::AllocLinMsg() { return TakeFromPool(m_poolLinMsg, m_created.linMsg, m_made, m_allocBudget); }
_LINSignal* CVestrelDoc::AllocLinSignal() {
  return TakeFromPool(m_poolLinSignal, m_created.linSignal, m_made, m_allocBudget);
}
_LOGICSignal* CVestrelDoc::AllocLogicSignal() {
  return TakeFromPool(m_poolLogicSignal, m_created.logicSignal, m_made, m_allocBudget);
}

void CVestrelDoc::FreeCanSignal(_CANSignal* sig) {
  if (!sig) return;
  ResetCanSignal(sig, CanSignalDefaults());
  PutIntoPool(m_poolCanSignal, sig, m_created.canSignal, m_made);
}

void CVestrelDoc::FreeFlexRaySignal(_FlexRaySignal* sig) {
  if (!sig) return;
  *sig = _FlexRaySignal();
  PutIntoPool(m_poolFlexRaySignal, sig, m_created.flexRaySignal, m_made);
}

void CVestrelDoc::FreeLinSignal(_LINSignal* sig) {
  if (!sig) return;
  *sig = _LINSignal();
  PutIntoPool(m_poolLinSignal, sig, m_created.linSignal, m_made);
}

void CVestrelDoc::FreeLogicSignal(_LOGICSignal* sym) {
  if (!sym) return;
  *sym = _LOGICSignal();
  PutIntoPool(m_poolLogicSignal, sym, m_created.logicSignal, m_made);
}

void CVestrelDoc::FreeCanMsg(_CANMsg* msg) {
  if (!msg) return;
  const _CANSignal& defaults = CanSignalDefaults();
  if (m_poolCanSignal.Reserve(msg->signals.GetCount())) {
    // The pool has room for them all: nothing below can fail.
    for (const auto& entry : msg->signals) {
      ResetCanSignal(entry.value, defaults);
      m_poolCanSignal.push_back(entry.value);
    }
  } else {
    for (const auto& entry : msg->signals) FreeCanSignal(entry.value);
  }
  ResetMessage(msg);
  PutIntoPool(m_poolCanMsg, msg, m_created.canMsg, m_made);
}

void CVestrelDoc::FreeFlexRayMsg(_FlexRayMsg* msg) {
  if (!msg) return;
  for (const auto& entry : msg->signals) FreeFlexRaySignal(entry.value);
  ResetMessage(msg);
  PutIntoPool(m_poolFlexRayMsg, msg, m_created.flexRayMsg, m_made);
}

void CVestrelDoc::FreeLinMsg(_LINMsg* msg) {
  if (!msg) return;
  for (const auto& entry : msg->signals) FreeLinSignal(entry.value);
  ResetMessage(msg);
  PutIntoPool(m_poolLinMsg, msg, m_created.linMsg, m_made);
}

DocPoolCounts CVestrelDoc::GetPoolCounts() const {
  DocPoolCounts counts;
  counts.flexRayMsg = m_poolFlexRayMsg.size();
  counts.flexRaySignal = m_poolFlexRaySignal.size();
  counts.canMsg = m_poolCanMsg.size();
  counts.canSignal = m_poolCanSignal.size();
  counts.linMsg = m_poolLinMsg.size();
  counts.linSignal = m_poolLinSignal.size();
  counts.logicSignal = m_poolLogicSignal.size();
  return counts;
}

// ---- Inserting -------------------------------------------------------------

void CVestrelDoc::AddCanMsg(_CANMsg* msg, int list) {
  if (!msg || !ValidList(list)) return;
  char key[sizeof msg->name];
  _CANMsg* previous = m_canMsgs[ListIndex(list)].SetAt(NameKey(msg->name, key), msg);
  if (previous && previous != msg) FreeCanMsg(previous);
}

void CVestrelDoc::AddLinMsg(_LINMsg* msg, int list) {
  if (!msg || !ValidList(list)) return;
  char key[sizeof msg->name];
  _LINMsg* previous = m_linMsgs[ListIndex(list)].SetAt(NameKey(msg->name, key), msg);
  if (previous && previous != msg) FreeLinMsg(previous);
}

void CVestrelDoc::AddFlexRayMsg(_FlexRayMsg* msg, int list, int* result) {
  if (result) *result = 0;
  if (!msg || !ValidList(list)) return;
  NameMap<_FlexRayMsg>& table = m_flexRayMsgs[ListIndex(list)];
  char buffer[sizeof msg->name];
  std::string_view key = NameKey(msg->name, buffer);
  _FlexRayMsg* holder = table.Find(key);
  if (holder && holder != msg) {
    ShowMessage(IDS_MSG_CYCLE_OVERLAP, {static_cast<long long>(msg->slotId), std::string(msg->name)});
    FreeFlexRayMsg(msg);
    return;
  }
  if (!holder) table.SetAt(key, msg);
  if (result) *result = 1;
}

void CVestrelDoc::AddFlexRaySignal(_FlexRayMsg* msg, _FlexRaySignal* sig) {
  if (!msg || !sig) return;
  char key[sizeof sig->name];
  _FlexRaySignal* previous = msg->signals.SetAt(NameKey(sig->name, key), sig);
  if (previous && previous != sig) FreeFlexRaySignal(previous);
}

void CVestrelDoc::AddLinSignal(_LINMsg* msg, _LINSignal* sig) {
  if (!msg || !sig) return;
  char key[sizeof sig->name];
  _LINSignal* previous = msg->signals.SetAt(NameKey(sig->name, key), sig);
  if (previous && previous != sig) FreeLinSignal(previous);
}

bool CVestrelDoc::AddLogicSignal(int list, int group, _LOGICSignal* sym) {
  if (!sym) return false;
  _LOGICGroup* target = GetLogicGroup(list, group);
  if (!target) {
    FreeLogicSignal(sym);
    return false;
  }
  char key[sizeof sym->name];
  _LOGICSignal* previous = target->symbols.SetAt(NameKey(sym->name, key), sym);
  if (previous && previous != sym) FreeLogicSignal(previous);
  return true;
}

// ---- Counting and clearing -------------------------------------------------

int CVestrelDoc::CountCanSignals(int list) const {
  return ValidList(list) ? SumSignals(m_canMsgs[ListIndex(list)]) : 0;
}

int CVestrelDoc::CountFlexRaySignals(int list) const {
  return ValidList(list) ? SumSignals(m_flexRayMsgs[ListIndex(list)]) : 0;
}

int CVestrelDoc::CountLinSignals(int list) const {
  return ValidList(list) ? SumSignals(m_linMsgs[ListIndex(list)]) : 0;
}

int CVestrelDoc::CountLogicSymbols(int list) const {
  if (!ValidList(list)) return 0;
  std::size_t sum = 0;
  for (const _LOGICGroup& group : m_logicGroups[list]) sum += group.symbols.GetCount();
  return static_cast<int>(sum);
}

void CVestrelDoc::ClearCanList(int list) {
  if (!ValidList(list)) return;
  NameMap<_CANMsg>& table = m_canMsgs[ListIndex(list)];
  for (const auto& entry : table) FreeCanMsg(entry.value);
  table.RemoveAll();
}

void CVestrelDoc::ClearFlexRayList(int list) {
  if (!ValidList(list)) return;
  NameMap<_FlexRayMsg>& table = m_flexRayMsgs[ListIndex(list)];
  for (const auto& entry : table) FreeFlexRayMsg(entry.value);
  table.RemoveAll();
}

void CVestrelDoc::ClearLinList(int list) {
  if (!ValidList(list)) return;
  NameMap<_LINMsg>& table = m_linMsgs[ListIndex(list)];
  for (const auto& entry : table) FreeLinMsg(entry.value);
  table.RemoveAll();
}

void CVestrelDoc::ClearLogicGroups(int list, int group) {
  if (!ValidList(list) || group < -1 || group >= LOGIC_GROUP_COUNT) return;
  for (int g = 0; g < LOGIC_GROUP_COUNT; ++g) {
    if (group != -1 && g != group) continue;
    _LOGICGroup& target = m_logicGroups[list][g];
    CopyToCharBuffer(target.name, "", MAX_LOGIC_NAME_LEN);
    target.bitCount = 0;
    for (const auto& entry : target.symbols) FreeLogicSignal(entry.value);
    target.symbols.RemoveAll();
  }
}

// ---- Taking a list's tables aside ------------------------------------------

ListTables CVestrelDoc::TakeListTables(int list) noexcept {
  ListTables taken;
  if (!ValidList(list)) return taken;
  const std::size_t i = ListIndex(list);
  taken.flexRay = std::move(m_flexRayMsgs[i]);
  taken.can = std::move(m_canMsgs[i]);
  taken.lin = std::move(m_linMsgs[i]);
  m_flexRayMsgs[i].RemoveAll();
  m_canMsgs[i].RemoveAll();
  m_linMsgs[i].RemoveAll();
  for (int g = 0; g < LOGIC_GROUP_COUNT; ++g) {
    _LOGICGroup& live = m_logicGroups[list][g];
    taken.logic[static_cast<std::size_t>(g)] = std::move(live);
    // As ClearLogicGroups leaves a group: no name, no bit count, its index.
    live.symbols.RemoveAll();
    CopyToCharBuffer(live.name, "", MAX_LOGIC_NAME_LEN);
    live.bitCount = 0;
    live.index = static_cast<uint8_t>(g);
  }
  taken.held = true;
  return taken;
}

void CVestrelDoc::RestoreListTables(int list, ListTables& taken) noexcept {
  if (!taken.held || !ValidList(list)) return;
  ClearFlexRayList(list);
  ClearCanList(list);
  ClearLinList(list);
  ClearLogicGroups(list, -1);
  const std::size_t i = ListIndex(list);
  m_flexRayMsgs[i] = std::move(taken.flexRay);
  m_canMsgs[i] = std::move(taken.can);
  m_linMsgs[i] = std::move(taken.lin);
  for (int g = 0; g < LOGIC_GROUP_COUNT; ++g)
    m_logicGroups[list][g] = std::move(taken.logic[static_cast<std::size_t>(g)]);
  taken.held = false;
}

void CVestrelDoc::FreeListTables(ListTables& taken) noexcept {
  if (!taken.held) return;
  for (const auto& entry : taken.flexRay) FreeFlexRayMsg(entry.value);
  for (const auto& entry : taken.can) FreeCanMsg(entry.value);
  for (const auto& entry : taken.lin) FreeLinMsg(entry.value);
  taken.flexRay.RemoveAll();
  taken.can.RemoveAll();
  taken.lin.RemoveAll();
  for (_LOGICGroup& group : taken.logic) {
    for (const auto& entry : group.symbols) FreeLogicSignal(entry.value);
    group.symbols.RemoveAll();
  }
  taken.held = false;
}

_LOGICGroup* CVestrelDoc::GetLogicGroup(int list, int group) {
  if (!ValidList(list) || group < 0 || group >= LOGIC_GROUP_COUNT) return nullptr;
  return &m_logicGroups[list][group];
}

const _LOGICGroup* CVestrelDoc::GetLogicGroup(int list, int group) const {
  if (!ValidList(list) || group < 0 || group >= LOGIC_GROUP_COUNT) return nullptr;
  return &m_logicGroups[list][group];
}
