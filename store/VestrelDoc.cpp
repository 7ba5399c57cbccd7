#include "VestrelDoc.h"

#include <new>
#include <utility>

#include "CNumber.h"
#include "MessageBox.h"
#include "MsgIds.h"
#include "TextFile.h"

namespace {

// Takes the earliest record given back, or makes a new one. A record that
// cannot be made is reported as null so the caller abandons its work.
template <class T>
T* TakeFromPool(std::deque<T*>& pool, std::size_t& created, std::size_t& budget) {
  if (budget == 0) return nullptr;
  --budget;
  if (!pool.empty()) {
    T* record = pool.front();
    pool.pop_front();
    return record;
  }
  T* record = new (std::nothrow) T();
  if (record) ++created;
  return record;
}

// A pool that cannot grow would lose the record; it is deleted instead, so
// nothing leaks even then.
template <class T>
void PutIntoPool(std::deque<T*>& pool, T* record, std::size_t& created) {
  try {
    pool.push_back(record);
  } catch (const std::bad_alloc&) {
    delete record;
    --created;
  }
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
  for (int list = LIST_REFERENCE; list <= LIST_DEFINITION; ++list) {
    ClearFlexRayList(list);
    ClearCanList(list);
    ClearLinList(list);
    ClearLogicGroups(list, -1);
  }
  FreePools();
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

void CVestrelDoc::FreePools() {
  auto drain = [](auto& pool) {
    for (auto* record : pool) delete record;
    pool.clear();
  };
  drain(m_poolFlexRayMsg);
  drain(m_poolFlexRaySignal);
  drain(m_poolCanMsg);
  drain(m_poolCanSignal);
  drain(m_poolLinMsg);
  drain(m_poolLinSignal);
  drain(m_poolLogicSignal);
  m_created = DocPoolCounts();
}

bool CVestrelDoc::OnNewDocument(const CAppSettings* settings) {
  if (settings) settings->GetDocState(&m_docState);
  return true;
}

void CVestrelDoc::OnCloseDocument(CAppSettings* settings) const {
  if (settings) settings->SetDocState(&m_docState);
}

// ---- Pools -----------------------------------------------------------------

_CANMsg* CVestrelDoc::AllocCanMsg() { return TakeFromPool(m_poolCanMsg, m_created.canMsg, m_allocBudget); }
_CANSignal* CVestrelDoc::AllocCanSignal() { return TakeFromPool(m_poolCanSignal, m_created.canSignal, m_allocBudget); }
_FlexRayMsg* CVestrelDoc::AllocFlexRayMsg() {
  return TakeFromPool(m_poolFlexRayMsg, m_created.flexRayMsg, m_allocBudget);
}
_FlexRaySignal* CVestrelDoc::AllocFlexRaySignal() {
  return TakeFromPool(m_poolFlexRaySignal, m_created.flexRaySignal, m_allocBudget);
}
_LINMsg* CVestrelDoc::AllocLinMsg() { return TakeFromPool(m_poolLinMsg, m_created.linMsg, m_allocBudget); }
_LINSignal* CVestrelDoc::AllocLinSignal() { return TakeFromPool(m_poolLinSignal, m_created.linSignal, m_allocBudget); }
_LOGICSignal* CVestrelDoc::AllocLogicSignal() {
  return TakeFromPool(m_poolLogicSignal, m_created.logicSignal, m_allocBudget);
}

void CVestrelDoc::FreeCanSignal(_CANSignal* sig) {
  if (!sig) return;
  *sig = _CANSignal();  // also lets go of the multiplex value text
  PutIntoPool(m_poolCanSignal, sig, m_created.canSignal);
}

void CVestrelDoc::FreeFlexRaySignal(_FlexRaySignal* sig) {
  if (!sig) return;
  *sig = _FlexRaySignal();
  PutIntoPool(m_poolFlexRaySignal, sig, m_created.flexRaySignal);
}

void CVestrelDoc::FreeLinSignal(_LINSignal* sig) {
  if (!sig) return;
  *sig = _LINSignal();
  PutIntoPool(m_poolLinSignal, sig, m_created.linSignal);
}

void CVestrelDoc::FreeLogicSignal(_LOGICSignal* sym) {
  if (!sym) return;
  *sym = _LOGICSignal();
  PutIntoPool(m_poolLogicSignal, sym, m_created.logicSignal);
}

void CVestrelDoc::FreeCanMsg(_CANMsg* msg) {
  if (!msg) return;
  for (const auto& entry : msg->signals) FreeCanSignal(entry.value);
  ResetMessage(msg);
  PutIntoPool(m_poolCanMsg, msg, m_created.canMsg);
}

void CVestrelDoc::FreeFlexRayMsg(_FlexRayMsg* msg) {
  if (!msg) return;
  for (const auto& entry : msg->signals) FreeFlexRaySignal(entry.value);
  ResetMessage(msg);
  PutIntoPool(m_poolFlexRayMsg, msg, m_created.flexRayMsg);
}

void CVestrelDoc::FreeLinMsg(_LINMsg* msg) {
  if (!msg) return;
  for (const auto& entry : msg->signals) FreeLinSignal(entry.value);
  ResetMessage(msg);
  PutIntoPool(m_poolLinMsg, msg, m_created.linMsg);
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
  _CANMsg* previous = m_canMsgs[ListIndex(list)].SetAt(MakeUpperString(msg->name), msg);
  if (previous && previous != msg) FreeCanMsg(previous);
}

void CVestrelDoc::AddLinMsg(_LINMsg* msg, int list) {
  if (!msg || !ValidList(list)) return;
  _LINMsg* previous = m_linMsgs[ListIndex(list)].SetAt(MakeUpperString(msg->name), msg);
  if (previous && previous != msg) FreeLinMsg(previous);
}

void CVestrelDoc::AddFlexRayMsg(_FlexRayMsg* msg, int list, int* result) {
  if (result) *result = 0;
  if (!msg || !ValidList(list)) return;
  NameMap<_FlexRayMsg>& table = m_flexRayMsgs[ListIndex(list)];
  std::string key = MakeUpperString(msg->name);
  _FlexRayMsg* holder = table.Find(key);
  if (holder && holder != msg) {
    ShowMessage(IDS_MSG_CYCLE_OVERLAP, {static_cast<long long>(msg->slotId), std::string(msg->name)});
    FreeFlexRayMsg(msg);
    return;
  }
  if (!holder) table.SetAt(key, msg);
  if (result) *result = 1;
}

void CVestrelDoc::AddCanSignal(_CANMsg* msg, _CANSignal* sig) {
  if (!msg || !sig) return;
  _CANSignal* previous = msg->signals.SetAt(MakeUpperString(sig->name), sig);
  if (previous && previous != sig) FreeCanSignal(previous);
}

void CVestrelDoc::AddFlexRaySignal(_FlexRayMsg* msg, _FlexRaySignal* sig) {
  if (!msg || !sig) return;
  _FlexRaySignal* previous = msg->signals.SetAt(MakeUpperString(sig->name), sig);
  if (previous && previous != sig) FreeFlexRaySignal(previous);
}

void CVestrelDoc::AddLinSignal(_LINMsg* msg, _LINSignal* sig) {
  if (!msg || !sig) return;
  _LINSignal* previous = msg->signals.SetAt(MakeUpperString(sig->name), sig);
  if (previous && previous != sig) FreeLinSignal(previous);
}

bool CVestrelDoc::AddLogicSignal(int list, int group, _LOGICSignal* sym) {
  if (!sym) return false;
  _LOGICGroup* target = GetLogicGroup(list, group);
  if (!target) {
    FreeLogicSignal(sym);
    return false;
  }
  _LOGICSignal* previous = target->symbols.SetAt(MakeUpperString(sym->name), sym);
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

_LOGICGroup* CVestrelDoc::GetLogicGroup(int list, int group) {
  if (!ValidList(list) || group < 0 || group >= LOGIC_GROUP_COUNT) return nullptr;
  return &m_logicGroups[list][group];
}

const _LOGICGroup* CVestrelDoc::GetLogicGroup(int list, int group) const {
  if (!ValidList(list) || group < 0 || group >= LOGIC_GROUP_COUNT) return nullptr;
  return &m_logicGroups[list][group];
}
