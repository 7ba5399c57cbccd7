// Control numbers of the definition dialogs (CAN, FlexRay, LIN, LOGIC) for
// code without the resource header; one number, one name, whichever dialog
// shows the control. They live in a namespace so that they and the resource
// header's names can meet in one file; the messages are named in MsgIds.h.
#pragma once

#include "MsgIds.h"

namespace dlgids {

// Controls of the CAN, FlexRay and LIN dialogs (the LIN checksum uses the
// frame format's number, the CAN multiplexor and multiplex value those of the
// FlexRay bit order and base cycle).
inline constexpr int IDC_OK = 1;
inline constexpr int IDC_CANCEL = 2;
inline constexpr int IDC_J1939_ID = 3;  // "..." opens the J1939 identifier dialog
inline constexpr int IDC_MSG_NAME = 1012;
inline constexpr int IDC_ID_DECIMAL = 1013;
inline constexpr int IDC_ID_HEX = 1014;
inline constexpr int IDC_MSG_ID = 1015;
inline constexpr int IDC_BYTE_COUNT = 1016;
inline constexpr int IDC_FRAME_FORMAT = 1017;
inline constexpr int IDC_CHECKSUM = 1017;
inline constexpr int IDC_SIGNAL_NAME = 1018;
inline constexpr int IDC_BIT_ORDER = 1019;
inline constexpr int IDC_MULTIPLEXOR = 1019;
inline constexpr int IDC_START_BIT = 1020;
inline constexpr int IDC_BIT_COUNT = 1021;
inline constexpr int IDC_VALUE_TYPE = 1022;
inline constexpr int IDC_UNIT = 1023;
inline constexpr int IDC_FACTOR = 1024;
inline constexpr int IDC_OFFSET = 1025;
inline constexpr int IDC_MAXIMUM = 1026;
inline constexpr int IDC_MINIMUM = 1027;
inline constexpr int IDC_BYTE_LITTLE = 1028;
inline constexpr int IDC_BYTE_BIG = 1029;
inline constexpr int IDC_BASE_CYCLE = 1030;
inline constexpr int IDC_MUX_VALUE = 1030;
inline constexpr int IDC_CYCLE_REPEAT = 1031;
inline constexpr int IDC_GRID_PLACE = 1036;
inline constexpr int IDC_BIT_HEADING = 1600;
inline constexpr int IDC_ROW_LABEL_FIRST = 1700;
inline constexpr int IDC_BIT_CELL_FIRST = 2000;
inline constexpr int IDC_J1939 = 2582;
inline constexpr int IDC_PAGE_PREVIOUS = 2583;
inline constexpr int IDC_PAGE_NEXT = 2584;

// Controls of the LOGIC dialog.
inline constexpr int IDC_SYMBOL_NAME = 1012;
inline constexpr int IDC_PATTERN_HEX = 1014;
inline constexpr int IDC_LOGIC_BITS = 1016;
inline constexpr int IDC_GROUP = 1024;
inline constexpr int IDC_PATTERN_BIN = 1025;

// What a model's OK answers: close the dialog, stay open where the focus is,
// or (any positive number) stay open with the focus on that control.
enum { DLG_OK_CLOSE = 0, DLG_OK_STAY = -1 };

}  // namespace dlgids
