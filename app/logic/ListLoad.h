// Loading a file into one list of the document: the reader chosen by the
// file's extension, the conversion of the CANdb and LIN readers' flat output
// into CAN and LIN records with their clamps and import marks, and the choice
// of the bus kind to show afterwards.
#pragma once

#include "BusTypes.h"
#include "MsgIds.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

class CVestrelDoc;

// Whether a list takes a file of this path at all: the reference list the
// four file kinds "sbl", "xml", "dbc" and "ldf", the definition list ".sbl"
// only (extensions compared without regard to case).
bool IsLoadableFile(int list, const std::string& path);

struct LdfOutFrame;
struct LdfOutSignal;

// What a load had to leave out of the file to fit the records and tables.
struct LoadCuts {
  long long overLimit = 0;  // records beyond a table's limit, left out
  long long namesCut = 0;   // names and units longer than their record's field
  long long merged = 0;     // rows that a later record of the same name took away
  // Messages of the file whose signals joined an earlier message: their
  // names are one key in the list (letter case aside, within 32 bytes).
  long long messagesJoined = 0;
  long long sharedName = 0;      // frames left out: an earlier frame holds their name (its first 32 bytes)
  long long sharedNameRows = 0;  // the rows of those frames
  // Records of CANdb messages passed over by rule (identifier bit 30 set),
  // the independent-signals pseudo-message aside: never rows, but in the file.
  long long passedOver = 0;
  bool stoppedAtZero = false;  // a zero byte ended the text or a line: what followed it was not read
  bool Any() const {
    return overLimit > 0 || namesCut > 0 || merged > 0 || messagesJoined > 0 || sharedName > 0 || passedOver > 0 ||
           stoppedAtZero;
  }
};

struct LoadOutcome {
  // 0 loaded; else the string-table id of the message to show:
  // IDS_MSG_LOAD_FAILED, IDS_MSG_LOAD_FAILED_XML when the XML engine failed, IDS_MSG_NO_MEMORY when memory ran out,
  // IDS_MSG_FILE_TOO_LARGE for a file above the readers' size cap,
  // IDS_MSG_XML_TOO_MANY_NAMES for a FIBEX file of more names than the reader keeps,
  // IDS_MSG_XML_TOO_MANY_NAMESPACES for one that declares more namespaces than it keeps,
  // IDS_MSG_XML_TOO_MANY_ELEMENTS for one of more elements of the kinds read than its element lists hold,
  // IDS_MSG_NO_FLEXRAY_FRAMES for a FIBEX file without a FlexRay cluster.
  int result = IDS_MSG_LOAD_FAILED;
  // True when the list's tables were replaced by what the file held. Only a
  // successful load replaces them: any failure leaves the list as it was.
  bool replaced = false;
  // After a successful load, the bus kind the main window should show.
  int busAfter = BUS_CAN;
  // What a successful load left out; when Any(), IDS_MSG_LOAD_CUT (or
  // IDS_MSG_LOAD_CUT_FRAMES) and/or IDS_MSG_STOPPED_AT_ZERO are shown.
  LoadCuts cuts;
};

// Reads the file into fresh tables and, only when that succeeds, puts them in
// place of the list's tables. `currentBus` is the bus kind the main window
// shows now.
// `prepare`, when given, runs after the file was read and before the tables
// are swapped in, with the bus kind to show: what it builds from the new
// tables (the rows) is ready before anything changes, and a std::bad_alloc
// it throws fails the load like one of the reader's.
LoadOutcome LoadListFile(CVestrelDoc& doc, int list, const std::string& path, int currentBus,
                         const std::function<void(int busAfter)>& prepare = {});

// Shows IDS_MSG_LOAD_CUT when the load left records out, cut names or put
// records together by name, IDS_MSG_LOAD_CUT_FRAMES in its place when it also
// left out frames for their names, and IDS_MSG_STOPPED_AT_ZERO when a zero
// byte ended the text or a line of it.
void ShowLoadCuts(const LoadCuts& cuts);

// The bus kind to show after a load: the current one when the list holds
// something of it, else the first kind with content in the order FlexRay,
// CAN, LIN, LOGIC; a list left empty keeps the current kind.
int ChooseBusAfterLoad(const CVestrelDoc& doc, int list, int currentBus);

// The check of an imported multiplex value text: every piece between blanks,
// commas and dashes reads completely as an integer (decimal, "0x" hex or
// leading-"0" octal), and a piece longer than one character is not 0.
bool IsNumericMultiplexText(const std::string& text);

// Fits an imported signal into a message of `bits` bits: a start bit past the
// end moves to the last bit (no mark); a bit count that reaches past the end
// is cut, and that cut answers true (the signal gets the import error mark).
// Inline: a load runs it for every signal.
inline bool ClampSignalIntoMessage(int bits, int& startBit, int& bitCount) {
  if (startBit > bits - 1) startBit = std::max(bits - 1, 0);
  bool cut = false;
  if (bitCount > bits) {
    bitCount = bits;
    cut = true;
  }
  // Cut to the whole message, a signal that starts inside it would still
  // reach past its end; it ends at the message's last bit instead.
  if (startBit + bitCount > bits) {
    bitCount = std::max(bits - startBit, 0);
    cut = true;
  }
  return cut;
}

// The two reader conversions, on an already emptied list: 0,
// IDS_MSG_LOAD_FAILED, or IDS_MSG_NO_MEMORY when the LIN parser ran out of
// memory; elsewhere running out of memory, a record that the document cannot
// make included, throws std::bad_alloc. What they leave out is added to
// `cuts` when given.
int LoadCanDbFile(CVestrelDoc& doc, int list, const std::string& path, LoadCuts* cuts = nullptr);
int LoadLdfFile(CVestrelDoc& doc, int list, const std::string& path, LoadCuts* cuts = nullptr);
// The LIN conversion of the parser's output alone (std::bad_alloc as above).
void ConvertLdfOutput(CVestrelDoc& doc, int list, const std::vector<LdfOutFrame>& frames,
                      const std::vector<LdfOutSignal>& signals, LoadCuts* cuts = nullptr);
