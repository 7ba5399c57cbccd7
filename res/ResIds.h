// Resource identifiers shared by the built-in Japanese set and the language
// libraries. The numbers are part of the contract with VrEngRc and VrChsRc:
// a library carries texts under exactly these identifiers.
#pragma once

// Message and string-table identifiers live beside the message function,
// where the toolkit-free libraries reach them too.
#include "MsgIds.h"

// Document template: menu, accelerators, program icon, toolbar and string 128.
enum { IDR_MAINFRAME = 128 };

// Dialog templates.
enum {
  IDD_ABOUTBOX = 100,
  IDD_DEFLIST = 103,
  IDD_REFLIST = 130,
  IDD_CAN = 131,
  IDD_LOGIC = 133,
  IDD_SEARCH = 134,
  IDD_FLEXRAY = 146,
  IDD_LIN = 147,
  IDD_BITGRID = 1035,
  IDD_J1939 = 2002,
  IDD_BITGRID_PAGE = 2008,
};

// Icons drawn by the program (res/Icons.cpp).
enum {
  IDI_PROGRAM = 128,
  IDI_REFERENCE = 135,
  IDI_SHOW_DEFINITION = 136,
  IDI_ADD_DEFINITION = 137,
  IDI_OPEN = 138,
  IDI_NEW_DEFINITION = 139,
  IDI_EDIT_DEFINITION = 140,
  IDI_DELETE_DEFINITION = 141,
  IDI_SAVE = 142,
  IDI_DRAG_ROWS = 143,
  IDI_SORT_ASCENDING = 144,
  IDI_SORT_DESCENDING = 145,
  IDI_PAGE_PREVIOUS = 2013,
  IDI_PAGE_NEXT = 2014,
};

// Controls of the list dialogs, the search dialog and the about box.
enum {
  IDOK = 1,
  IDCANCEL = 2,
  IDC_REF_LIST = 1000,
  IDC_BTN_REFERENCE = 1001,
  IDC_BTN_SHOW_DEFINITION = 1002,
  IDC_BTN_ADD_DEFINITION = 1003,
  IDC_REF_CAPTION = 1004,
  IDC_DEF_CAPTION = 1005,
  IDC_BTN_OPEN = 1006,
  IDC_BTN_NEW = 1007,
  IDC_BTN_EDIT = 1008,
  IDC_BTN_DELETE = 1009,
  IDC_BTN_SAVE = 1010,
  IDC_DEF_LIST = 1011,
  IDC_SEARCH_TEXT = 1012,
  IDC_SEARCH_REF = 1013,
  IDC_SEARCH_DEF = 1014,
  IDC_ABOUT_VERSION = 1032,
  IDC_ABOUT_SECOND = 1033,
  IDC_FILE_NAME = 1034,
};

// Commands of menu, toolbar and accelerators.
enum {
  ID_BUS_FLEXRAY = 32771,
  ID_BUS_CAN = 32772,
  ID_BUS_LIN = 32773,
  ID_BUS_LOGIC = 32775,
  ID_EDIT_FIND = 32777,
  ID_FILE_REFERENCE = 32780,
  ID_EDIT_SHOW_DEFINITION = 32781,
  ID_EDIT_ADD_DEFINITION = 32782,
  ID_FILE_OPEN_DEFINITIONS = 32783,
  ID_FILE_NEW_DEFINITION = 32784,
  ID_EDIT_EDIT_DEFINITION = 32785,
  ID_EDIT_DELETE_DEFINITION = 32786,
  ID_FILE_SAVE_DEFINITIONS = 32787,
  ID_HELP_MANUAL = 32788,
  ID_EDIT_SELECT_ALL = 32789,
  ID_HELP_WEB_MAKER = 32790,
  ID_HELP_WEB_PRODUCT = 32793,
  IDS_ABOUT_SECOND_LINE = 32794,
  ID_FILE_MRU_FIRST = 57616,
  ID_APP_ABOUT = 57664,
  ID_APP_EXIT = 57665,
  ID_NEXT_PANE = 57680,
  ID_PREV_PANE = 57681,
  ID_VIEW_TOOLBAR = 59392,
  ID_VIEW_STATUS_BAR = 59393,
};

// Strings of the status bar.
enum {
  IDS_IDLE_MESSAGE = 57345,
  IDS_INDICATOR_CAPS = 59137,
  IDS_INDICATOR_NUM = 59138,
  IDS_INDICATOR_SCRL = 59139,
};
