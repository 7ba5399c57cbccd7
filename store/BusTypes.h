// Kinds shared by the document, the readers, the list windows and the dialogs.
#pragma once

enum BusKind { BUS_CAN = 0, BUS_LOGIC = 1, BUS_FLEXRAY = 2, BUS_LIN = 3 };
enum ListKind { LIST_REFERENCE = 0, LIST_DEFINITION = 1 };
enum DlgMode { DLGMODE_VIEW = 0, DLGMODE_NEW = 1, DLGMODE_EDIT = 2 };
