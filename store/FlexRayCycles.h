// The cycles of a FlexRay frame: base cycle + k x repetition, taken while the
// value is at most 64 (64 itself counts). The add and the FlexRay dialog both
// ask whether a frame's timing holds and whether two frames on one slot share
// a cycle, and must agree.
#pragma once

#include <bitset>

// The cycle set of base/repetition as bits 0 to 64; values below 0 or above 64
// are left out, and at most 64 values are taken.
std::bitset<65> FlexRayCycleSet(long long baseCycle, long long cycleRepetition);

// True when the two frames are sent in at least one common cycle.
bool FlexRayCyclesMeet(long long baseA, long long repetitionA, long long baseB, long long repetitionB);

// True when the base cycle lies below the cycle repetition, as every frame's
// timing must.
bool FlexRayBaseCycleFits(long long baseCycle, long long cycleRepetition);
