// Records put straight into a document for the window tests.
#pragma once

#include "TextFile.h"
#include "VestrelDoc.h"

inline _CANMsg* AddCan(CVestrelDoc& doc, int list, const char* name, int id) {
  _CANMsg* m = doc.AllocCanMsg();
  CopyToCharBuffer(m->name, name, MAX_NAME_LEN);
  m->id = id;
  m->byteCount = 8;
  doc.AddCanMsg(m, list);
  return m;
}

inline _CANSignal* AddCanSig(CVestrelDoc& doc, _CANMsg* m, const char* name, int loadNo) {
  _CANSignal* s = doc.AllocCanSignal();
  CopyToCharBuffer(s->name, name, MAX_NAME_LEN);
  s->loadNo = loadNo;
  doc.AddCanSignal(m, s);
  return s;
}

inline _LOGICSignal* AddLogic(CVestrelDoc& doc, int list, int group, const char* name, const char* pattern) {
  _LOGICSignal* s = doc.AllocLogicSignal();
  CopyToCharBuffer(s->name, name, MAX_LOGIC_NAME_LEN);
  CopyToCharBuffer(s->pattern, pattern, MAX_LOGIC_BITS);
  doc.GetLogicGroup(list, group)->bitCount = static_cast<uint8_t>(std::string(pattern).size());
  doc.AddLogicSignal(list, group, s);
  return s;
}
