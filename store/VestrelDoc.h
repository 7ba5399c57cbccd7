// The single document: every message, signal and symbol record of both lists
// (reference and definition), per bus, in name tables keyed by the upper-cased
// name; the five LOGIC groups of each list; and one first-in-first-out free
// pool per record type. Records move between tables and pools and go back to
// the heap only when the document is destroyed.
//
// Every operation on tables takes the list (ListKind) first or last as the
// operation says; a list other than 0 or 1 changes nothing and counts 0.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <new>
#include <string>
#include <vector>

#include "BusTypes.h"
#include "AppSettings.h"
#include "NameKey.h"
#include "NameMap.h"
#include "Records.h"

// How many records of each type rest in a pool, or were ever made.
struct DocPoolCounts {
  std::size_t flexRayMsg = 0;
  std::size_t flexRaySignal = 0;
  std::size_t canMsg = 0;
  std::size_t canSignal = 0;
  std::size_t linMsg = 0;
  std::size_t linSignal = 0;
  std::size_t logicSignal = 0;
  bool operator==(const DocPoolCounts&) const = default;
};

// The tables of one list taken out of the document as a whole (see
// CVestrelDoc::TakeListTables). Its records belong to the document that gave
// them; it must go back to that document, by RestoreListTables or
// FreeListTables, before the document is destroyed.
// FlexRay frames that a definition file names twice: the later ones are left
// out of the list with their rows.
struct SblSharedFrames {
  long long frames = 0;
  long long rows = 0;
};

struct ListTables {
  NameMap<_FlexRayMsg> flexRay;
  NameMap<_CANMsg> can;
  NameMap<_LINMsg> lin;
  std::array<_LOGICGroup, LOGIC_GROUP_COUNT> logic;
  bool held = false;  // true while it holds a list's tables
};

// The records given back of one type, first in first out. A reload gives
// back and takes thousands at a time, so it is a plain array read from the
// front; the part already taken is dropped when the array is full, or all
// at once when the last record is taken.
template <class T>
class RecordPool {
 public:
  bool empty() const { return head_ == items_.size(); }
  std::size_t size() const { return items_.size() - head_; }
  T* front() const { return items_[head_]; }
  void pop_front() {
    if (++head_ == items_.size()) {
      items_.clear();
      head_ = 0;
    }
  }
  // std::bad_alloc when the array cannot grow; the pool is unchanged then.
  void push_back(T* record) {
    if (items_.size() == items_.capacity()) Compact();
    items_.push_back(record);
  }
  // Room for `more` records more, so that as many push_back calls cannot
  // fail; false (and the pool unchanged) when there is no memory for it.
  bool Reserve(std::size_t more) noexcept {
    if (items_.capacity() - items_.size() >= more) return true;
    Compact();
    if (items_.capacity() - items_.size() >= more) return true;
    try {
      items_.reserve(std::max(items_.capacity() * 2, items_.size() + more));
    } catch (const std::bad_alloc&) {
      return false;
    }
    return true;
  }

 private:
  // Drops the records already taken when they are at least half the array.
  void Compact() noexcept {
    if (head_ == 0 || head_ < items_.size() / 2) return;
    items_.erase(items_.begin(), items_.begin() + static_cast<std::ptrdiff_t>(head_));
    head_ = 0;
  }

  std::vector<T*> items_;
  std::size_t head_ = 0;
};

// A reader cannot go on without the record it asked for: no record means
// that memory ran out, and the whole load fails rather than leave it out.
template <class T>
T* RecordOrNoMemory(T* record) {
  if (!record) throw std::bad_alloc();
  return record;
}

class CVestrelDoc {
 public:
  CVestrelDoc();
  ~CVestrelDoc();
  CVestrelDoc(const CVestrelDoc&) = delete;
  CVestrelDoc& operator=(const CVestrelDoc&) = delete;

  // Taking a record: the one given back earliest, already at its defaults,
  // or a new one. Null when no record can be made.
  _CANMsg* AllocCanMsg();
  _CANSignal* AllocCanSignal() {
    // A load takes one per signal: the usual case, a record from the pool,
    // costs no call.
    if (m_allocBudget != 0 && !m_poolCanSignal.empty()) {
      --m_allocBudget;
      _CANSignal* sig = m_poolCanSignal.front();
      m_poolCanSignal.pop_front();
      return sig;
    }
    return MakeCanSignal();
  }
  _FlexRayMsg* AllocFlexRayMsg();
  _FlexRaySignal* AllocFlexRaySignal();
  _LINMsg* AllocLinMsg();
  _LINSignal* AllocLinSignal();
  _LOGICSignal* AllocLogicSignal();

  // Giving a record back: reset to its defaults and appended to its pool; a
  // message gives its signals back too and keeps its emptied table. The
  // caller takes the record out of its table first. Null is ignored.
  void FreeCanMsg(_CANMsg* msg);
  void FreeCanSignal(_CANSignal* sig);
  void FreeFlexRayMsg(_FlexRayMsg* msg);
  void FreeFlexRaySignal(_FlexRaySignal* sig);
  void FreeLinMsg(_LINMsg* msg);
  void FreeLinSignal(_LINSignal* sig);
  void FreeLogicSignal(_LOGICSignal* sym);

  // Puts the message into the list's table under its upper-cased name. A
  // different record under that key is replaced and given back to its pool
  // with its signals; callers test for a duplicate name first.
  void AddCanMsg(_CANMsg* msg, int list);
  void AddLinMsg(_LINMsg* msg, int list);
  // A different frame under the same key refuses the new one: message IDS_MSG_CYCLE_OVERLAP,
  // the new record goes back to its pool and *result becomes 0; otherwise the
  // frame is in the table and *result is 1. `result` may be null.
  void AddFlexRayMsg(_FlexRayMsg* msg, int list, int* result);

  // Puts a signal or symbol into its message's or group's table under its
  // upper-cased name; a different record under that key goes back to its pool.
  void AddCanSignal(_CANMsg* msg, _CANSignal* sig) {
    // Inline: a load adds one per signal.
    if (!msg || !sig) return;
    char key[sizeof sig->name];
    _CANSignal* previous = msg->signals.SetAt(NameKey(sig->name, key), sig);
    if (previous && previous != sig) FreeCanSignal(previous);
  }
  void AddFlexRaySignal(_FlexRayMsg* msg, _FlexRaySignal* sig);
  void AddLinSignal(_LINMsg* msg, _LINSignal* sig);
  // False (and the symbol back in its pool) when the group does not exist.
  bool AddLogicSignal(int list, int group, _LOGICSignal* sym);

  int CountCanSignals(int list) const;
  int CountFlexRaySignals(int list) const;
  int CountLinSignals(int list) const;
  int CountLogicSymbols(int list) const;

  // Give every message of the list back, with its signals, and empty the table.
  void ClearCanList(int list);
  void ClearFlexRayList(int list);
  void ClearLinList(int list);
  // group -1: all five groups of the list; 0..4 that group only. A cleared
  // group has an empty name, keeps its index, has bit count 0 and no symbols.
  void ClearLogicGroups(int list, int group);

  // A load reads into fresh tables and keeps them only when it succeeds.
  // TakeListTables moves every table of the list out, leaving the list as
  // the four Clear operations would; RestoreListTables gives back whatever
  // the list holds then and puts the taken tables in place again; and
  // FreeListTables gives the taken tables' records back to their pools. None
  // of them allocates, so a failure for lack of memory can always be undone.
  ListTables TakeListTables(int list) noexcept;
  void RestoreListTables(int list, ListTables& taken) noexcept;
  void FreeListTables(ListTables& taken) noexcept;

  // The tables of a list (std::out_of_range for a list other than 0 or 1).
  NameMap<_CANMsg>& GetCanMsgTable(int list) { return m_canMsgs.at(ListIndex(list)); }
  const NameMap<_CANMsg>& GetCanMsgTable(int list) const { return m_canMsgs.at(ListIndex(list)); }
  NameMap<_FlexRayMsg>& GetFlexRayMsgTable(int list) { return m_flexRayMsgs.at(ListIndex(list)); }
  const NameMap<_FlexRayMsg>& GetFlexRayMsgTable(int list) const { return m_flexRayMsgs.at(ListIndex(list)); }
  NameMap<_LINMsg>& GetLinMsgTable(int list) { return m_linMsgs.at(ListIndex(list)); }
  const NameMap<_LINMsg>& GetLinMsgTable(int list) const { return m_linMsgs.at(ListIndex(list)); }
  // Null for a list or group out of range.
  _LOGICGroup* GetLogicGroup(int list, int group);
  const _LOGICGroup* GetLogicGroup(int list, int group) const;

  // The document takes the identifier display format and the modified flag
  // from the settings when it opens (always true: there is nothing else to
  // prepare) and gives both back when it closes. Null settings change nothing.
  bool OnNewDocument(const CAppSettings* settings);
  void OnCloseDocument(CAppSettings* settings) const;

  // Identifier display format and the definition list's modified flag.
  const tagDocState& GetDocState() const { return m_docState; }
  void SetDocState(const tagDocState& state) { m_docState = state; }
  int GetMsgIdFormat() const { return m_docState.msgIdFormat; }
  void SetMsgIdFormat(int format) { m_docState.msgIdFormat = format; }
  bool IsDefModified() const { return m_docState.modified != 0; }
  void SetDefModified(bool modified) { m_docState.modified = modified ? 1 : 0; }

  // The complete text of a definition file (".sbl") holding the list's
  // definitions of all four buses. Does not change the document.
  std::string BuildSblText(int list) const;
  // Reads a definition file's text into the list's tables (which the caller
  // has emptied). 0 read; -1 when the text cannot be parsed or holds no
  // element of a definition file (nothing is changed then). A duplicate
  // FlexRay frame is reported with message IDS_MSG_CYCLE_OVERLAP and left out.
  // Running out of memory, a record that cannot be made included, throws
  // std::bad_alloc; the tables then hold part of the file, for the caller to
  // throw away.
  // `leftOut`, when given, receives the number of rows that the definition
  // list's limits left out (the signals of the messages beyond 500 and of a
  // message that would pass 500 signals, symbols beyond 100 in a group);
  // `namesCut` the number of names and units longer than their record's
  // field; `replaced` the number of rows that a later record of the same
  // name took away (a signal or symbol, or every signal of a message).
  int ParseSblText(const std::string& text, int list, long long* leftOut = nullptr, long long* namesCut = nullptr,
                   long long* replaced = nullptr);
  // The same, taking the text over: the reader holds it once, not twice. A
  // text read with kSblReadSlack bytes to spare is not copied at all.
  // `shared`, when given, receives the FlexRay frames left out because an
  // earlier frame holds their name, and their rows.
  int ParseSblText(std::string&& text, int list, long long* leftOut = nullptr, long long* namesCut = nullptr,
                   long long* replaced = nullptr, SblSharedFrames* shared = nullptr);
  static constexpr std::size_t kSblReadSlack = 32;

  // Records resting in the pools, and records ever made; every record made
  // is either in a table or in its pool.
  DocPoolCounts GetPoolCounts() const;
  DocPoolCounts GetCreatedCounts() const { return m_created; }
  // For tests: after `count` more records, every Alloc* answers null as if
  // memory had run out, so the callers' failure paths can be reached.
  void LimitAllocationsForTest(std::size_t count) { m_allocBudget = count; }
  std::size_t AllocationsLeftForTest() const { return m_allocBudget; }

  // A record made by the document, with the way to delete it.
  struct MadeRecord {
    void* record;
    void (*destroy)(void*);
  };

 private:
  _CANSignal* MakeCanSignal();
  static std::size_t ListIndex(int list) { return static_cast<std::size_t>(list); }
  static bool ValidList(int list) { return list == LIST_REFERENCE || list == LIST_DEFINITION; }
  void InitLogicGroups();

  tagDocState m_docState;
  std::array<NameMap<_FlexRayMsg>, 2> m_flexRayMsgs;
  std::array<NameMap<_CANMsg>, 2> m_canMsgs;
  std::array<NameMap<_LINMsg>, 2> m_linMsgs;
  _LOGICGroup m_logicGroups[2][LOGIC_GROUP_COUNT];

  RecordPool<_FlexRayMsg> m_poolFlexRayMsg;
  RecordPool<_FlexRaySignal> m_poolFlexRaySignal;
  RecordPool<_CANMsg> m_poolCanMsg;
  RecordPool<_CANSignal> m_poolCanSignal;
  RecordPool<_LINMsg> m_poolLinMsg;
  RecordPool<_LINSignal> m_poolLinSignal;
  RecordPool<_LOGICSignal> m_poolLogicSignal;
  DocPoolCounts m_created;
  std::size_t m_allocBudget = static_cast<std::size_t>(-1);
  std::vector<MadeRecord> m_made;  // every record made, deleted with the document
};
