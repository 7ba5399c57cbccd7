// Control and message numbers of the FlexRay, LIN and LOGIC dialogs for code
// without the resource header. The names are those of res/ResIds.h; they live
// in a namespace so that the two headers can meet in one file.
#pragma once

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

enum {
  IDS_NONAME = 3100,
  IDS_MSG_NAME_EMPTY = 4001,
  IDS_MSG_ID_USED = 4008,
  IDS_MSG_BITS_OVERLAP = 4014,
  IDS_MSG_BITS_OUTSIDE = 4018,
  IDS_MSG_TOO_MANY = 4019,
  IDS_MSG_MESSAGE_DEFINED = 4020,
  IDS_MSG_SIGNAL_DEFINED = 4021,
  IDS_MSG_MESSAGE_OTHER_ID = 4022,
  IDS_MSG_CYCLE_OVERLAP = 4023,
  IDS_MSG_SYMBOL_DEFINED = 4024,
  IDS_MSG_SAME_PATTERN = 4025,
  IDS_MSG_BYTEORDER_CHANGE = 4026,
  IDS_MSG_MESSAGE_OTHER_FORMAT = 4031,
  IDS_MSG_MESSAGE_OTHER_LENGTH = 4032,
  IDS_MSG_BASE_CYCLE = 4036,
  IDS_ASK_GROUP_BITS = 4106,
};

// What a model's OK answers: close the dialog, stay open where the focus is,
// or (any positive number) stay open with the focus on that control.
enum { DLG_OK_CLOSE = 0, DLG_OK_STAY = -1 };

}  // namespace dlgids
