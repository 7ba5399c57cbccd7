#include "SignalFieldRules.h"

#include <algorithm>
#include <cmath>

#include "BusTypes.h"
#include "Records.h"

namespace {

constexpr int kFloatBits = 32;
constexpr int kDoubleBits = 64;

long long EndOf(int start, int count) { return static_cast<long long>(start) + count; }

}  // namespace

int ValueTypeItemOf(int storedType, int bitCount) {
  if (storedType == VALTYPE_FLOAT) return bitCount == kDoubleBits ? VTITEM_DOUBLE : VTITEM_FLOAT;
  return storedType == VALTYPE_SIGNED ? VTITEM_SIGNED : VTITEM_UNSIGNED;
}

std::uint8_t StoredValueTypeOf(int item) {
  switch (item) {
    case VTITEM_SIGNED:
      return VALTYPE_SIGNED;
    case VTITEM_FLOAT:
    case VTITEM_DOUBLE:
      return VALTYPE_FLOAT;
    default:
      return VALTYPE_UNSIGNED;
  }
}

int ValueTypeItemForCount(int item, int bitCount) {
  if (item == VTITEM_FLOAT) {
    if (bitCount == kDoubleBits) return VTITEM_DOUBLE;
    if (bitCount != kFloatBits) return VTITEM_UNSIGNED;
  } else if (item == VTITEM_DOUBLE && bitCount != kDoubleBits) {
    return VTITEM_UNSIGNED;
  }
  return item;
}

std::uint8_t ValueTypeToStore(int item, int bitCount, std::uint8_t storedType, int storedCount) {
  if (bitCount == storedCount && item == ValueTypeItemOf(storedType, storedCount)) return storedType;
  return StoredValueTypeOf(item);
}

void CBitOccupancy::Mark(int start, int count, int owner) {
  const long long end = std::min<long long>(EndOf(start, count), Size());
  for (int b = std::max(start, 0); b < end; ++b) Set(b, owner);
}

bool CBitOccupancy::AnyTaken(int start, int count) const {
  const long long end = std::min<long long>(EndOf(start, count), Size());
  for (int b = std::max(start, 0); b < end; ++b) {
    if (Taken(b)) return true;
  }
  return false;
}

CByteCountSettle::Step CByteCountSettle::Leave(int bytes, int start, int count, bool newSignal) {
  if (bytes == settled_) return KEEP;
  settled_ = bytes;
  const long long bits = bytes * 8LL;
  const bool fits = bits > 0 && start < bits && EndOf(start, count) <= bits;
  if (!fits) return CUT;
  return newSignal ? FIT : KEEP;
}

void CutRangeToFrame(int& start, int& count, int bits) {
  if (bits <= 0) {
    // Nothing fits in an empty frame; the start stays a bit number.
    start = 0;
    return;
  }
  start = std::clamp(start, 0, bits - 1);
  if (EndOf(start, count) > bits) count = bits - start;
}

double KeptScaling(double shown, double held) { return std::fabs(shown) == VALUE_UNLIMITED ? held : shown; }

IntFieldRange IntRangeToHold(int minimum, int maximum, int value) {
  return {std::min(minimum, value), std::max(maximum, value)};
}

long long IdToKeep(long long id, bool typed, long long minimum, long long maximum) {
  return typed ? std::clamp(id, minimum, maximum) : id;
}

double ScalingReachToHold(double value, double typed) {
  return std::fabs(value) == VALUE_UNLIMITED ? typed : std::max(typed, std::fabs(value));
}

bool RangePlaceable(const CBitOccupancy& taken, int start, int count, int frameBits) {
  if (count < 1 || start < 0 || EndOf(start, count) > frameBits) return false;
  return !taken.AnyTaken(start, count);
}

OkCheck CheckSignalFits(const SignalPlace& place, const SignalPlaceFields& fields) {
  const long long bits = place.byteCount * 8LL;
  if (place.byteCount <= 0) return std::nullopt;
  // A record of no bits would stand in the list as a signal that reads nothing.
  if (place.bitCount < 1) return OkRefusal{IDS_MSG_BITS_OUTSIDE, fields.bitCount, {place.name}};
  if (place.startBit >= bits) return OkRefusal{IDS_MSG_BITS_OUTSIDE, fields.startBit, {place.name}};
  if (EndOf(place.startBit, place.bitCount) > bits)
    return OkRefusal{IDS_MSG_BITS_OUTSIDE, fields.pastEnd, {place.name}};
  return std::nullopt;
}

OkCheck CheckBitsFree(const CBitOccupancy& taken, const SignalPlace& place, const SignalPlaceFields& fields) {
  if (taken.AnyTaken(place.startBit, place.bitCount)) return OkRefusal{IDS_MSG_BITS_OVERLAP, fields.startBit, {}};
  return std::nullopt;
}
