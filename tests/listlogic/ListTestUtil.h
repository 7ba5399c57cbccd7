// Builders and fakes shared by the list logic tests.
#pragma once

#include "ListFileDialogs.h"
#include "TextFile.h"
#include "DocPoolCheck.h"
#include "ScriptedDialogs.h"
#include "TempDir.h"
#include "VestrelDoc.h"

#include <gtest/gtest.h>

#include <string>

namespace listtest {

using TempDir = vrtest::TempDir;
using vrtest::ScriptedDialogs;

inline _CANMsg* AddCanMsg(CVestrelDoc& doc, int list, const char* name, int id, int bytes, int format = FRAME_STD) {
  _CANMsg* m = doc.AllocCanMsg();
  CopyToCharBuffer(m->name, name, MAX_NAME_LEN);
  m->id = id;
  m->byteCount = bytes;
  m->frameFormat = static_cast<uint8_t>(format);
  doc.AddCanMsg(m, list);
  return m;
}

struct SigSpec {
  const char* name;
  int start = 0;
  int count = 1;
  int loadNo = -1;
  const char* mux = "";
  int byteOrder = BYTEORDER_LITTLE;
  int importError = 0;
  int identical = 0;
};

template <class Sig>
void FillHead(Sig* s, const SigSpec& want) {
  CopyToCharBuffer(s->name, want.name, MAX_NAME_LEN);
  s->startBit = want.start;
  s->bitCount = want.count;
  s->byteOrder = static_cast<uint8_t>(want.byteOrder);
  s->importError = static_cast<uint8_t>(want.importError);
  s->identicalCoding = static_cast<uint8_t>(want.identical);
}

inline _CANSignal* AddCanSig(CVestrelDoc& doc, _CANMsg* m, const SigSpec& want, const char* muxValue = nullptr) {
  _CANSignal* s = doc.AllocCanSignal();
  FillHead(s, want);
  s->loadNo = want.loadNo;
  CopyToCharBuffer(s->multiplexor, want.mux, MAX_NAME_LEN);
  if (muxValue) s->multiplexValue = muxValue;
  doc.AddCanSignal(m, s);
  return s;
}

inline _LINMsg* AddLinMsg(CVestrelDoc& doc, int list, const char* name, int id, int bytes) {
  _LINMsg* m = doc.AllocLinMsg();
  CopyToCharBuffer(m->name, name, MAX_NAME_LEN);
  m->id = static_cast<uint32_t>(id);
  m->byteCount = static_cast<uint8_t>(bytes);
  doc.AddLinMsg(m, list);
  return m;
}

inline _LINSignal* AddLinSig(CVestrelDoc& doc, _LINMsg* m, const SigSpec& want) {
  _LINSignal* s = doc.AllocLinSignal();
  FillHead(s, want);
  s->loadNo = want.loadNo;
  doc.AddLinSignal(m, s);
  return s;
}

inline _FlexRayMsg* AddFrMsg(CVestrelDoc& doc, int list, const char* name, int slot, int bytes, int base, int rep) {
  _FlexRayMsg* m = doc.AllocFlexRayMsg();
  CopyToCharBuffer(m->name, name, MAX_NAME_LEN);
  m->slotId = static_cast<uint32_t>(slot);
  m->byteCount = static_cast<uint8_t>(bytes);
  m->baseCycle = static_cast<uint16_t>(base);
  m->cycleRepetition = static_cast<uint16_t>(rep);
  int ok = 0;
  doc.AddFlexRayMsg(m, list, &ok);
  return ok ? m : nullptr;
}

inline _FlexRaySignal* AddFrSig(CVestrelDoc& doc, _FlexRayMsg* m, const SigSpec& want) {
  _FlexRaySignal* s = doc.AllocFlexRaySignal();
  FillHead(s, want);
  doc.AddFlexRaySignal(m, s);
  return s;
}

inline _LOGICSignal* AddSymbol(CVestrelDoc& doc, int list, int group, int bits, const char* name, const char* pattern) {
  _LOGICGroup* g = doc.GetLogicGroup(list, group);
  g->bitCount = static_cast<uint8_t>(bits);
  _LOGICSignal* s = doc.AllocLogicSignal();
  CopyToCharBuffer(s->name, name, MAX_LOGIC_NAME_LEN);
  CopyToCharBuffer(s->pattern, pattern, MAX_LOGIC_BITS);
  doc.AddLogicSignal(list, group, s);
  return s;
}

using poolcheck::NothingLost;

}  // namespace listtest
