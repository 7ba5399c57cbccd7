// The pool bookkeeping of a document, without a test framework: the fuzz
// targets check it as well as the tests.
#pragma once

#include <string>

#include "VestrelDoc.h"

namespace poolcheck {

// Every record the document ever made is either in one of its tables or in
// its pool. Empty when that holds; else which record type lost count, and
// how.
inline std::string Shortfall(const CVestrelDoc& doc) {
  DocPoolCounts used;
  for (int list : {LIST_REFERENCE, LIST_DEFINITION}) {
    used.flexRayMsg += doc.GetFlexRayMsgTable(list).GetCount();
    used.canMsg += doc.GetCanMsgTable(list).GetCount();
    used.linMsg += doc.GetLinMsgTable(list).GetCount();
    used.flexRaySignal += static_cast<std::size_t>(doc.CountFlexRaySignals(list));
    used.canSignal += static_cast<std::size_t>(doc.CountCanSignals(list));
    used.linSignal += static_cast<std::size_t>(doc.CountLinSignals(list));
    used.logicSignal += static_cast<std::size_t>(doc.CountLogicSymbols(list));
  }
  const DocPoolCounts pool = doc.GetPoolCounts();
  const DocPoolCounts made = doc.GetCreatedCounts();
  const struct {
    const char* what;
    std::size_t used, pool, made;
  } rows[] = {{"FlexRay frames", used.flexRayMsg, pool.flexRayMsg, made.flexRayMsg},
              {"FlexRay signals", used.flexRaySignal, pool.flexRaySignal, made.flexRaySignal},
              {"CAN messages", used.canMsg, pool.canMsg, made.canMsg},
              {"CAN signals", used.canSignal, pool.canSignal, made.canSignal},
              {"LIN frames", used.linMsg, pool.linMsg, made.linMsg},
              {"LIN signals", used.linSignal, pool.linSignal, made.linSignal},
              {"LOGIC symbols", used.logicSignal, pool.logicSignal, made.logicSignal}};
  for (const auto& r : rows)
    if (r.used + r.pool != r.made)
      return std::string(r.what) + ": " + std::to_string(r.used) + " in tables + " + std::to_string(r.pool) +
             " in the pool != " + std::to_string(r.made) + " made";
  return std::string();
}

}  // namespace poolcheck
