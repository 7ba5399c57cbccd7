// Control numbers of the FlexRay, LIN and LOGIC dialogs for code without the
// resource header. They live in a namespace so that they and the resource
// header's names can meet in one file; the messages are named in MsgIds.h.
#pragma once

#include "MsgIds.h"

namespace dlgids {

// Controls of the FlexRay and LIN dialogs (the LIN checksum uses the frame
// format's number).
enum {
  IDC_MSG_NAME = 1012,
  IDC_ID_DECIMAL = 1013,
  IDC_ID_HEX = 1014,
  IDC_MSG_ID = 1015,
  IDC_BYTE_COUNT = 1016,
  IDC_FRAME_FORMAT = 1017,
  IDC_CHECKSUM = 1017,
  IDC_SIGNAL_NAME = 1018,
  IDC_BIT_ORDER = 1019,
  IDC_START_BIT = 1020,
  IDC_BIT_COUNT = 1021,
  IDC_VALUE_TYPE = 1022,
  IDC_UNIT = 1023,
  IDC_FACTOR = 1024,
  IDC_OFFSET = 1025,
  IDC_MAXIMUM = 1026,
  IDC_MINIMUM = 1027,
  IDC_BYTE_LITTLE = 1028,
  IDC_BYTE_BIG = 1029,
  IDC_BASE_CYCLE = 1030,
  IDC_CYCLE_REPEAT = 1031,
  IDC_ROW_LABEL_FIRST = 1700,
  IDC_BIT_CELL_FIRST = 2000,
};

// Controls of the LOGIC dialog.
enum {
  IDC_SYMBOL_NAME = 1012,
  IDC_PATTERN_HEX = 1014,
  IDC_LOGIC_BITS = 1016,
  IDC_GROUP = 1024,
  IDC_PATTERN_BIN = 1025,
};

// What a model's OK answers: close the dialog, stay open where the focus is,
// or (any positive number) stay open with the focus on that control.
enum { DLG_OK_CLOSE = 0, DLG_OK_STAY = -1 };

}  // namespace dlgids
