#include "FlexRayCycles.h"

std::bitset<65> FlexRayCycleSet(long long baseCycle, long long cycleRepetition) {
  std::bitset<65> set;
  for (long long k = 0; k <= 63; ++k) {
    long long v = baseCycle + k * cycleRepetition;
    if (v > 64) break;
    if (v >= 0) set.set(static_cast<std::size_t>(v));
  }
  return set;
}

bool FlexRayCyclesMeet(long long baseA, long long repetitionA, long long baseB, long long repetitionB) {
  return (FlexRayCycleSet(baseA, repetitionA) & FlexRayCycleSet(baseB, repetitionB)).any();
}

bool FlexRayBaseCycleFits(long long baseCycle, long long cycleRepetition) { return baseCycle < cycleRepetition; }
