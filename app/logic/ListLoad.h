// Loading a file into one list of the document: the reader chosen by the
// file's extension, the conversion of the CANdb and LIN readers' flat output
// into CAN and LIN records with their clamps and import marks, and the choice
// of the bus kind to show afterwards.
#pragma once

#include "BusTypes.h"
#include "MsgIds.h"

#include <string>

class CVestrelDoc;

// Whether a list takes a file of this path at all: the reference list the
// four file kinds "sbl", "xml", "dbc" and "ldf", the definition list ".sbl"
// only (extensions compared without regard to case).
bool IsLoadableFile(int list, const std::string& path);

struct LoadOutcome {
  // 0 loaded; else the string-table id of the message to show: IDS_MSG_LOAD_FAILED, or IDS_MSG_LOAD_FAILED_XML
  // when the XML engine failed.
  int result = IDS_MSG_LOAD_FAILED;
  // True once the list's tables were emptied: from then on a failure leaves
  // the list empty.
  bool cleared = false;
  // After a successful load, the bus kind the main window should show.
  int busAfter = BUS_CAN;
};

// Empties the list's tables and reads the file into them. `currentBus` is the
// bus kind the main window shows now.
LoadOutcome LoadListFile(CVestrelDoc& doc, int list, const std::string& path, int currentBus);

// The bus kind to show after a load: the current one when the list holds
// something of it, else the first kind with content in the order FlexRay,
// CAN, LIN, LOGIC, and CAN when the list is empty.
int ChooseBusAfterLoad(const CVestrelDoc& doc, int list, int currentBus);

// The check of an imported multiplex value text: every piece between blanks,
// commas and dashes reads completely as an integer (decimal, "0x" hex or
// leading-"0" octal), and a piece longer than one character is not 0.
bool IsNumericMultiplexText(const std::string& text);

// Fits an imported signal into a message of `bits` bits: a start bit past the
// end moves to the last bit (no mark); a bit count that reaches past the end
// is cut, and that cut answers true (the signal gets the import error mark).
bool ClampSignalIntoMessage(int bits, int& startBit, int& bitCount);

// The two reader conversions, on an already emptied list: 0 or IDS_MSG_LOAD_FAILED.
int LoadCanDbFile(CVestrelDoc& doc, int list, const std::string& path);
int LoadLdfFile(CVestrelDoc& doc, int list, const std::string& path);
