// The rules a signal's fields follow in every definition dialog of a frame
// (CAN, FlexRay, LIN): the value-type list and what it stores, the
// occupancy of a frame's bits, the byte count left in its field, an emptied
// scaling field, and the byte-order question of OK. The dialog models keep
// their own working copies and call these; where the buses differ, the
// model's shape says so.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "DlgPrompt.h"
#include "MsgIds.h"

// Entries of the value-type list. Float and Double are both stored as the
// floating type and told apart by the bit count.
enum ValueTypeItem { VTITEM_UNSIGNED = 0, VTITEM_SIGNED = 1, VTITEM_FLOAT = 2, VTITEM_DOUBLE = 3 };

// The entry a stored type shows: a float of 64 bits is "Double", a float of
// any other width "Float".
int ValueTypeItemOf(int storedType, int bitCount);
// The stored type of an entry.
std::uint8_t StoredValueTypeOf(int item);
// The entry once the bit count changed: "Float" stays only with 32 bits and
// becomes "Double" with 64, "Double" stays only with 64, anything else falls
// back to "Unsigned".
int ValueTypeItemForCount(int item, int bitCount);
// What OK writes as the value type: the stored byte while the entry and the
// count are as it showed them (a byte the list cannot name stays), else the
// chosen entry's type.
std::uint8_t ValueTypeToStore(int item, int bitCount, std::uint8_t storedType, int storedCount);

// One entry per bit: -1 free, else the running number of the signal holding
// it. Reads and writes outside the map are ignored; outside counts as free.
class CBitOccupancy {
 public:
  explicit CBitOccupancy(int size) : map_(static_cast<std::size_t>(size > 0 ? size : 0), -1) {}
  int Size() const { return static_cast<int>(map_.size()); }
  int Get(int bit) const { return bit >= 0 && bit < Size() ? map_[static_cast<std::size_t>(bit)] : -1; }
  bool Taken(int bit) const { return Get(bit) != -1; }
  void Set(int bit, int owner) {
    if (bit >= 0 && bit < Size()) map_[static_cast<std::size_t>(bit)] = static_cast<std::int16_t>(owner);
  }
  // Marks start .. start + count - 1 (any int pair) as `owner`'s.
  void Mark(int start, int count, int owner);
  // True when any of start .. start + count - 1 is taken (any int pair).
  bool AnyTaken(int start, int count) const;

 private:
  std::vector<std::int16_t> map_;
};

// The occupancy of a frame's bits as OK and the placing of a signal see it:
// every signal of `msg` in table order that `leaveOut(key, signal)` does not
// name writes its running number on its bits.
template <class Msg, class LeaveOut>
CBitOccupancy OccupancyOf(const Msg* msg, int size, LeaveOut leaveOut) {
  CBitOccupancy map(size);
  if (!msg) return map;
  int owner = 0;
  for (const auto& entry : msg->signals) {
    if (!entry.value || leaveOut(entry.key, *entry.value)) continue;
    map.Mark(entry.value->startBit, entry.value->bitCount, owner++);
  }
  return map;
}

// A signal's place as OK judges it: the frame's byte count, the edited range
// and the name typed for it.
struct SignalPlace {
  int byteCount = 0;
  int startBit = 0;
  int bitCount = 0;
  std::string name;
};
// The controls a refusal of the place focuses. A range running past the
// frame's end focuses `pastEnd`: the start bit in the CAN dialog, whose grid
// places a range by its start, the bit count in FlexRay and LIN.
struct SignalPlaceFields {
  int byteCount = 0;
  int startBit = 0;
  int pastEnd = 0;
  int bitCount = 0;
};

// Float and Double need their 32 or 64 bits from the start bit: true when
// start .. start + count - 1 lie in a frame of `frameBits` and none is taken.
bool RangePlaceable(const CBitOccupancy& taken, int start, int count, int frameBits);

// A frame of 0 bytes places nothing to judge: its stored signal is a
// placeholder of no bits. In a frame with bytes a signal has at least one bit
// (IDS_MSG_BITS_OUTSIDE with the typed name, focus bit count) and its range
// lies in the frame (the same message).
OkCheck CheckSignalFits(const SignalPlace& place, const SignalPlaceFields& fields);
// No bit of the range is taken in `taken` (IDS_MSG_BITS_OVERLAP, focus start
// bit).
OkCheck CheckBitsFree(const CBitOccupancy& taken, const SignalPlace& place, const SignalPlaceFields& fields);

// The place checks of OK, in their order: no other signal of the frame
// (`others`, table order) reaches beyond its bytes (IDS_MSG_BITS_OUTSIDE
// with that signal's name, focus byte count), then the two above.
template <class Sig>
OkCheck CheckSignalPlace(const std::vector<Sig*>& others, const CBitOccupancy& taken, const SignalPlace& place,
                         const SignalPlaceFields& fields) {
  const long long bits = place.byteCount * 8LL;
  for (const Sig* s : others) {
    if (s && static_cast<long long>(s->startBit) + s->bitCount > bits)
      return OkRefusal{IDS_MSG_BITS_OUTSIDE, fields.byteCount, {std::string(s->name)}};
  }
  if (OkCheck refusal = CheckSignalFits(place, fields)) return refusal;
  return CheckBitsFree(taken, place, fields);
}

// The byte count left in its field (Enter, leaving it). A count left as it
// was last settled (emptied and typed back, the same digit again) changes
// nothing; a stored range that still fits stays where it is, for OK to
// judge; a range the count no longer holds is cut; a new signal's range is
// no stored one and moves onto free bits.
class CByteCountSettle {
 public:
  enum Step { KEEP, CUT, FIT };
  // The count the frame opened or was picked with.
  void Reset(int bytes) { settled_ = bytes; }
  int Settled() const { return settled_; }
  Step Leave(int bytes, int start, int count, bool newSignal);

 private:
  int settled_ = 0;
};

// The range cut to a frame of `bits`: the start on its last bit at most, the
// end at its end; with no bits the start becomes 0 and the count stays.
void CutRangeToFrame(int& start, int& count, int bits);

// A stored value beyond what may be typed (a start bit past the frame, a
// count of 0, a cycle beyond 63, an imported float's limit of +-3.4e38) is
// shown as it is: the field's range stretches to hold it, so that passing
// through the field keeps it.
struct IntFieldRange {
  int minimum;
  int maximum;
};
IntFieldRange IntRangeToHold(int minimum, int maximum, int value);
// An identifier the program gave its field (the stored record's, a chosen
// frame's) is kept as it is, even beyond its format's range: a CANdb file
// holds 29-bit identifiers in standard messages, a FIBEX file slot 0. The
// range judges only an identifier the user typed, also when the format
// changes under it.
long long IdToKeep(long long id, bool typed, long long minimum, long long maximum);
// The reach of a scaling field typed within +-`typed` that holds `value`;
// the no-limit marker needs none.
double ScalingReachToHold(double value, double typed);

// A factor or offset committed empty reads as the no-limit marker, which
// means nothing for either: the field takes back the value it held.
double KeptScaling(double shown, double held);

// The byte-order question of OK: when a signal of `others` (the frame's
// signals but the edited one) has another byte order, asks once; OK gives
// them all `order`. False when the user cancelled; `changed` counts the
// signals rewritten.
template <class Sig>
bool SettleByteOrder(IDlgPrompt& prompt, const std::vector<Sig*>& others, int order, int& changed) {
  std::vector<Sig*> differing;
  for (Sig* s : others)
    if (s && s->byteOrder != order) differing.push_back(s);
  if (differing.empty()) return true;
  if (!prompt.AskOkCancel(IDS_MSG_BYTEORDER_CHANGE)) return false;
  for (Sig* s : differing) s->byteOrder = static_cast<std::uint8_t>(order);
  changed += static_cast<int>(differing.size());
  return true;
}
