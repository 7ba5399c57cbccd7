// FlexRay frames and LIN frames with their signals, put straight into the
// definition list's tables: the fixtures of the dialog model tests, the
// dialog window tests and the screenshot tool. Needs no test framework.
#pragma once

#include <cstdint>
#include <vector>

#include "TextFile.h"
#include "VestrelDoc.h"

namespace vrtest {

struct FrameSig {
  const char* name;
  int start;
  int count;
  int byteOrder = BYTEORDER_LITTLE;
};

template <class Sig, class Msg>
void AddFrameSignals(Msg* m, const std::vector<FrameSig>& sigs, Sig* (CVestrelDoc::*alloc)(), CVestrelDoc& doc,
                     void (CVestrelDoc::*add)(Msg*, Sig*)) {
  for (const FrameSig& s : sigs) {
    Sig* sig = (doc.*alloc)();
    CopyToCharBuffer(sig->name, s.name, MAX_NAME_LEN);
    sig->startBit = s.start;
    sig->bitCount = s.count;
    sig->byteOrder = static_cast<uint8_t>(s.byteOrder);
    (doc.*add)(m, sig);
  }
}

inline _FlexRayMsg* AddFlexRayDef(CVestrelDoc& doc, const char* name, uint32_t slot, int bytes, int base, int rep,
                                  const std::vector<FrameSig>& sigs = {}) {
  _FlexRayMsg* m = doc.AllocFlexRayMsg();
  CopyToCharBuffer(m->name, name, MAX_NAME_LEN);
  m->slotId = slot;
  m->byteCount = static_cast<uint8_t>(bytes);
  m->baseCycle = static_cast<uint16_t>(base);
  m->cycleRepetition = static_cast<uint16_t>(rep);
  AddFrameSignals(m, sigs, &CVestrelDoc::AllocFlexRaySignal, doc, &CVestrelDoc::AddFlexRaySignal);
  int ok = 0;
  doc.AddFlexRayMsg(m, LIST_DEFINITION, &ok);
  return m;
}

inline _LINMsg* AddLinDef(CVestrelDoc& doc, const char* name, uint32_t id, int bytes,
                          const std::vector<FrameSig>& sigs = {}) {
  _LINMsg* m = doc.AllocLinMsg();
  CopyToCharBuffer(m->name, name, MAX_NAME_LEN);
  m->id = id;
  m->byteCount = static_cast<uint8_t>(bytes);
  AddFrameSignals(m, sigs, &CVestrelDoc::AllocLinSignal, doc, &CVestrelDoc::AddLinSignal);
  doc.AddLinMsg(m, LIST_DEFINITION);
  return m;
}

}  // namespace vrtest
