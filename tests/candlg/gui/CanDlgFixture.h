// A CAN definition table with records owned by the test, for the dialog's
// window tests and the screenshot tool.
#pragma once

#include <deque>
#include <memory>

#include "NameMap.h"
#include "Records.h"
#include "TextFile.h"

struct CanTableFixture {
  _CANMsg* Msg(const char* name, int bytes, int id, int format = FRAME_STD) {
    msgs.push_back(std::make_unique<_CANMsg>());
    _CANMsg* m = msgs.back().get();
    CopyToCharBuffer(m->name, name, MAX_NAME_LEN);
    m->byteCount = bytes;
    m->id = id;
    m->frameFormat = static_cast<uint8_t>(format);
    m->frameType = bytes > 8 ? CANFRAME_FD : CANFRAME_CAN;
    table.SetAt(MakeUpperString(name), m);
    return m;
  }
  _CANSignal* Sig(_CANMsg* m, const char* name, int start, int count) {
    sigs.push_back(std::make_unique<_CANSignal>());
    _CANSignal* s = sigs.back().get();
    CopyToCharBuffer(s->name, name, MAX_NAME_LEN);
    s->startBit = start;
    s->bitCount = count;
    m->signals.SetAt(MakeUpperString(name), s);
    return s;
  }
  // Sets the dialog on a message and signal of the table in `mode`, as the
  // lists do before they show it.
  template <class Dlg>
  void Aim(Dlg& dlg, int mode, _CANMsg* m, _CANSignal* s) {
    dlg.SetMode(mode);
    dlg.SetMessageTable(&table);
    dlg.SetTarget(m, s);
  }

  NameMap<_CANMsg> table;
  std::deque<std::unique_ptr<_CANMsg>> msgs;
  std::deque<std::unique_ptr<_CANSignal>> sigs;
};
