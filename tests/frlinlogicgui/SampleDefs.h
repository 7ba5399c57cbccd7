// A few FlexRay, LIN and LOGIC definitions for the dialog tests and shots.
#pragma once

#include "FrameDefs.h"
#include "TextFile.h"
#include "VestrelDoc.h"

#include <string>
#include <vector>

namespace sample {

using Sig = vrtest::FrameSig;
inline _FlexRayMsg* FlexRay(CVestrelDoc& doc, const char* name, uint32_t slot, int bytes, int base, int rep,
                            const std::vector<Sig>& sigs) {
  return vrtest::AddFlexRayDef(doc, name, slot, bytes, base, rep, sigs);
}
inline _LINMsg* Lin(CVestrelDoc& doc, const char* name, uint32_t id, int bytes, const std::vector<Sig>& sigs) {
  return vrtest::AddLinDef(doc, name, id, bytes, sigs);
}

inline _LOGICSignal* Symbol(CVestrelDoc& doc, int group, const char* name, const char* pattern) {
  _LOGICSignal* s = doc.AllocLogicSignal();
  CopyToCharBuffer(s->name, name, MAX_LOGIC_NAME_LEN);
  CopyToCharBuffer(s->pattern, pattern, MAX_LOGIC_BITS);
  doc.GetLogicGroup(LIST_DEFINITION, group)->bitCount = static_cast<uint8_t>(std::string(pattern).size());
  doc.AddLogicSignal(LIST_DEFINITION, group, s);
  return s;
}

// The definitions every shot shows.
inline void Fill(CVestrelDoc& doc) {
  FlexRay(doc, "EngineFrame", 5, 16, 0, 2, {{"Rpm", 0, 16}, {"Temp", 24, 8}, {"Gear", 40, 4}, {"Load", 48, 10}});
  Lin(doc, "DoorStatus", 0x12, 4, {{"Lock", 0, 2}, {"Window", 8, 8}, {"Mirror", 20, 4}});
  Symbol(doc, 0, "Idle", "0000XXXX");
  Symbol(doc, 0, "Start", "1010XXXX");
}

}  // namespace sample
