// What a FIBEX file says about a signal's coding and position, turned into
// the numbers of a FlexRay signal record: the raw range of a base data type,
// a coding's scaling with its validity ranges, and the start bit with the
// bit and byte orders.
#pragma once

#include "FibexModel.h"

#include <cstdint>
#include <string>
#include <vector>

struct FibexValueRange {
  int valueKind = 0;  // SignalValueType: 0 unsigned, 1 signed, 2 floating point
  double bitCount = 0.0;
  double rawMinimum = 0.0;
  double rawMaximum = 0.0;
  double offset = 0.0;
  double factor = 1.0;
  double physicalMinimum = 0.0;
  double physicalMaximum = 0.0;
};

// 2^n - 1 for n bits, n limited to 0..32 (0 and below give 0), in 64 bits.
double FibexBitMask(long long bits);

// Value kind, bit count and raw range of the coding's base data type. Returns 1.
int GetFibexBaseTypeRange(const std::vector<FibexCoding>& codings, int index, FibexValueRange& range);

// The whole range with factor and offset. 1 when the category is IDENTICAL
// or LINEAR, 0 for any other (the values are then taken unscaled). An empty
// category is set to "IDENTICAL" in the coding.
int GetFibexCodingScale(std::vector<FibexCoding>& codings, int index, FibexValueRange& range);

// Start bit of a signal instance at `bitPosition` with `bitCount` bits in a
// frame of `byteLength` bytes, from the cluster's bit-order text and
// bit-counting policy and the instance's byte-order text. Writes the bit
// order (BitOrderKind) and the byte order (ByteOrderKind).
int ConvertFibexBitPosition(int bitPosition, int bitCount, int byteLength, const std::string& bitOrderText,
                            const std::string& bitCountingPolicy, const std::string& byteOrderText,
                            std::uint8_t& bitOrder, std::uint8_t& byteOrder);
