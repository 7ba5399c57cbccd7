// The definition records every list, file and dialog works on, with the
// enumerations and limits their fields carry.
//
// Names are fixed CP932 arrays filled only through CopyToCharBuffer, which
// zero-fills and never splits a double-byte character. Records are created,
// reset and given back only by the document's pools (CVestrelDoc), which
// keep every record alive until the document goes.
#pragma once

#include <cstdint>
#include <string>

#include "BusTypes.h"
#include "NameMap.h"

enum FrameFormatKind { FRAME_STD = 0, FRAME_XTD = 1 };
enum SignalValueType { VALTYPE_UNSIGNED = 0, VALTYPE_SIGNED = 1, VALTYPE_FLOAT = 2 };
enum ByteOrderKind { BYTEORDER_LITTLE = 0, BYTEORDER_BIG = 1 };
enum BitOrderKind { BITORDER_MSB_FIRST = 0, BITORDER_LSB_FIRST = 1 };
enum LinChecksum { CHECKSUM_CLASSIC = 0, CHECKSUM_ENHANCED = 1 };
enum CanFrameType { CANFRAME_UNSET = 0, CANFRAME_CAN = 1, CANFRAME_FD = 2 };
// IDFMT_HEX shows identifiers with "%X"; every other value with "%d".
enum MsgIdFormat { IDFMT_DECIMAL = 0, IDFMT_HEX = 1 };

constexpr int MAX_NAME_LEN = 32;        // message, signal, unit, multiplexor name
constexpr int MAX_LOGIC_NAME_LEN = 16;  // LOGIC symbol and group name
constexpr int MAX_DEF_SYMBOLS = 500;    // messages, and signals, of one bus in the definition list
constexpr int LOGIC_GROUP_COUNT = 5;
constexpr int MAX_LOGIC_GROUP_SYMBOLS = 100;
constexpr int MAX_LOGIC_BITS = 32;
constexpr int MAX_CAN_BYTES = 64;
constexpr int MAX_CAN_BITS = 512;
constexpr int MAX_J1939_BYTES = 1785;
constexpr int MAX_J1939_BITS = 14280;
constexpr int MAX_STD_ID = 0x7FF;
constexpr int MAX_XTD_ID = 0x1FFFFFFF;
constexpr int MAX_FLEXRAY_BYTES = 254;
constexpr int MAX_FLEXRAY_BITS = 2032;
constexpr int MAX_FLEXRAY_SLOT = 2047;
constexpr int MAX_LIN_BYTES = 8;
constexpr int MAX_LIN_ID = 63;
constexpr double VALUE_UNLIMITED = 1e31;  // -1e31 minimum / +1e31 maximum: no limit

// The leading fields that the three signal records share, in this order, so
// one copy routine and one writer serve all of them.
struct _SignalHead {
  char name[MAX_NAME_LEN + 1] = {};
  uint8_t bitOrder = BITORDER_MSB_FIRST;  // BitOrderKind
  uint8_t byteOrder = BYTEORDER_LITTLE;   // ByteOrderKind
  uint8_t valueType = VALTYPE_UNSIGNED;   // SignalValueType
  int32_t startBit = 0;
  int32_t bitCount = 0;
  char unit[MAX_NAME_LEN + 1] = {};
  // Set by an import that met a value coding it could only take over
  // unscaled; adding the signal to the definitions warns and clears it.
  uint8_t identicalCoding = 0;
  // Set by an import that found the signal unusable; it cannot be added.
  uint8_t importError = 0;
  double factor = 1.0;  // physical = raw * factor + offset
  double offset = 0.0;
  double minimum = -VALUE_UNLIMITED;
  double maximum = VALUE_UNLIMITED;

  // Copies the shared leading fields only.
  void CopyHeadTo(_SignalHead* dest) const {
    if (dest && dest != this) *dest = *this;
  }
};

struct _FlexRaySignal : _SignalHead {
  // The definition row's place when FlexRay was last shown (-1 none), so a
  // rebuild of the rows and the file keep the user's order. The file does
  // not hold it: a load gives the file's order.
  int32_t orderNo = -1;
};

struct _LINSignal : _SignalHead {
  _LINSignal() { bitOrder = BITORDER_LSB_FIRST; }
  // Order number ("SIGLoadNo"): file order when loaded, row order when saved.
  int32_t loadNo = -1;
};

struct _CANSignal : _SignalHead {
  // As for LIN; the file also names a multiplexor by this number.
  int32_t loadNo = -1;
  // The switch signal of the same message that selects this one; empty when
  // the signal is not multiplexed.
  char multiplexor[MAX_NAME_LEN + 1] = {};
  // The switch values for which the signal is present ("1,3-5"); empty when
  // none. Each record holds its own text, so copies never share it.
  std::string multiplexValue;

  // Field-wise copy for an editing dialog; the copy has no load number.
  void CopyTo(_CANSignal* dest) const {
    if (!dest || dest == this) return;
    *dest = *this;
    dest->loadNo = -1;
  }
};

struct _CANMsg {
  char name[MAX_NAME_LEN + 1] = {};
  uint8_t frameFormat = FRAME_STD;     // FrameFormatKind
  int32_t byteCount = 0;               // 0..64, 0..1785 for J1939
  int32_t id = 0;                      // 0..0x7FF STD, 0..0x1FFFFFFF XTD
  int32_t j1939 = 0;                   // 1: the identifier is a J1939 identifier
  int32_t frameType = CANFRAME_UNSET;  // CanFrameType
  NameMap<_CANSignal> signals;
};

struct _FlexRayMsg {
  char name[MAX_NAME_LEN + 1] = {};
  uint8_t frameFormat = FRAME_STD;  // always FRAME_STD
  uint8_t byteCount = 0;            // 0..254
  uint32_t slotId = 0;              // 1..2047
  uint16_t baseCycle = 0;           // 0..63
  uint16_t cycleRepetition = 0;     // 1..64
  NameMap<_FlexRaySignal> signals;
};

struct _LINMsg {
  char name[MAX_NAME_LEN + 1] = {};
  uint8_t checksum = CHECKSUM_CLASSIC;  // LinChecksum
  uint8_t byteCount = 0;                // 0..8
  uint32_t id = 0;                      // 0..63
  NameMap<_LINSignal> signals;
};

struct _LOGICSignal {
  char name[MAX_LOGIC_NAME_LEN + 1] = {};
  // One character per bit of the group: '0', '1', 'x' or 'X'.
  char pattern[MAX_LOGIC_BITS + 1] = {};
  // As for a FlexRay signal: the definition row's place, not in the file.
  int32_t orderNo = -1;
};

// One of the five groups of a list, held by value in the document.
struct _LOGICGroup {
  char name[MAX_LOGIC_NAME_LEN + 1] = {};
  uint8_t index = 0;     // 0..4, the group's place in its list ("MSGid")
  uint8_t bitCount = 0;  // 0 not yet set, else 1..32
  NameMap<_LOGICSignal> symbols;
};
