// Adding selected reference rows to the definition list: each row's records
// are copied into new definition records after the conflict tests, in a
// fixed order; the first refusal shows its message and ends the whole add,
// and what was added before it stays.
#pragma once

#include "ListRows.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CVestrelDoc;

// Adds the selected rows (indices into refRows, any order) of the reference
// list showing `busKind` to the definition tables, appending one row per copy
// to defRows. `appended` hears of each row as it is appended, so the window
// shows it before a later row's message box. Sets the document's modified
// flag when anything was added and answers the number of copies added.
int AddReferenceRows(CVestrelDoc& doc, int busKind, const ListRows& refRows, const std::vector<int>& selection,
                     ListRows& defRows, const std::function<void(int row)>& appended = {});

// The tests, on the definition tables of the bus kind.
// True when a bit of [startBit, startBit + bitCount) is taken by a signal of
// the definition message of that name (FlexRay or LIN).
bool IsBitRangeUsed(const CVestrelDoc& doc, int busKind, const std::string& msgName, int startBit, int bitCount);
// The CAN variant: a multiplexed signal (non-empty multiplexor name) is never
// refused, and multiplexed signals of the message take no bits.
bool IsCanBitRangeUsed(const CVestrelDoc& doc, const std::string& msgName, int startBit, int bitCount,
                       const std::string& multiplexor);
// True when a signal of the definition message of that name has another byte order.
bool IsByteOrderDifferent(const CVestrelDoc& doc, int busKind, const std::string& msgName, int byteOrder);
// False when a definition message of the bus kind already has the identifier
// (FlexRay: slot identifier); holder then receives that message's name.
bool CheckIdFree(const CVestrelDoc& doc, int busKind, long long id, std::string& holder);
// False when a FlexRay definition frame on the same slot shares a cycle with
// base + k * repetition (values up to 64).
bool CheckCycleFree(const CVestrelDoc& doc, uint32_t slotId, uint16_t baseCycle, uint16_t cycleRepetition);
