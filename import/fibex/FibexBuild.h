// Frames and signals of the output block, made from the model that the
// element parsers filled: one output frame per timing of a frame's
// triggering on a FlexRay cluster, one output signal per signal instance
// (or per member of a referenced signal group).
#pragma once

#include "FibexModel.h"

#include <string_view>

// Lookups by exact comparison of reference texts; an empty reference never
// matches. Each writes its results into model.lookup and returns 1 when
// found, 0 otherwise.
// Key model.frameKey: the first channel with a triggering of that frame, then
// the first cluster that refers to that channel.
int FindFibexTriggering(FibexModel& model);
// Keys model.signalKey, then model.groupKey.
int FindFibexSignalOrGroup(FibexModel& model);
// Key model.frameKey as a coding reference.
int FindFibexCoding(FibexModel& model);
// Key model.frameKey as a coding reference; found when the coding's unit is.
int FindFibexCodingUnit(FibexModel& model);

// Whether a cluster's protocol text makes it a FlexRay cluster, the only
// kind whose frames are built.
inline bool IsFibexFlexRayProtocol(std::string_view protocol) { return protocol == "FlexRay"; }

// Creates model.output and fills it (at most MAX_FIBEX_ITEMS frames and signals).
void BuildFibexFrames(FibexModel& model);
