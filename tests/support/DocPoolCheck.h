// Pool bookkeeping check shared by the store and list tests.
#pragma once

#include <gtest/gtest.h>

#include "VestrelDoc.h"

namespace poolcheck {

// Every record the document ever made is either in one of its tables or in
// its pool.
inline ::testing::AssertionResult NothingLost(const CVestrelDoc& doc) {
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
  DocPoolCounts pool = doc.GetPoolCounts();
  DocPoolCounts made = doc.GetCreatedCounts();
  auto check = [](const char* what, std::size_t u, std::size_t p, std::size_t m) {
    return u + p == m ? ::testing::AssertionSuccess()
                      : ::testing::AssertionFailure()
                            << what << ": " << u << " in tables + " << p << " in the pool != " << m << " made";
  };
  for (auto r : {check("FlexRay frames", used.flexRayMsg, pool.flexRayMsg, made.flexRayMsg),
                 check("FlexRay signals", used.flexRaySignal, pool.flexRaySignal, made.flexRaySignal),
                 check("CAN messages", used.canMsg, pool.canMsg, made.canMsg),
                 check("CAN signals", used.canSignal, pool.canSignal, made.canSignal),
                 check("LIN frames", used.linMsg, pool.linMsg, made.linMsg),
                 check("LIN signals", used.linSignal, pool.linSignal, made.linSignal),
                 check("LOGIC symbols", used.logicSignal, pool.logicSignal, made.logicSignal)})
    if (!r) return r;
  return ::testing::AssertionSuccess();
}

}  // namespace poolcheck
