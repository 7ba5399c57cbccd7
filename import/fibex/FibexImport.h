// The door of the FIBEX FlexRay reader: load the file, check that it is
// FIBEX, run the element parsers, build the output frames and signals and
// store them into the document's FlexRay reference tables.
#pragma once

#include <string>

#include "FibexModel.h"
#include "XmlDom.h"

class CVestrelDoc;

enum FibexLoadResult {
  FIBEX_OK = 0,                   // read; the tables hold what was stored, possibly nothing
  FIBEX_FAILED = 2,               // did not load, root is not FIBEX, or no cluster, channel or frame
  FIBEX_EXCEPTION = 3,            // the XML engine failed (or could not be created)
  FIBEX_NO_MEMORY = 4,            // memory ran out while the file was read or stored
  FIBEX_TOO_MANY_NAMES = 5,       // refused before memory ran out: more names than kXmlMaxNames
  FIBEX_NO_FLEXRAY = 6,           // read, but no cluster of the file is a FlexRay cluster: nothing stored
  FIBEX_TOO_MANY_NAMESPACES = 7,  // refused before its time ran long: more namespaces than kXmlMaxNamespaces
  FIBEX_TOO_MANY_ELEMENTS = 8,    // more elements of the kinds read than the element lists hold (XmlDomLimitError)
};

// What an import had to leave out of the file.
struct FibexLeftOut {
  long long rows = 0;            // rows (signals, a placeholder for a frame without) beyond the tables' limits
  long long namesCut = 0;        // frame, signal and unit names longer than 32 bytes
  long long merged = 0;          // signals that a later one of the same name replaced
  long long sharedName = 0;      // frames whose name (its first 32 bytes) an earlier frame holds
  long long sharedNameRows = 0;  // the rows of those frames
};

// Imports the file at `path` into the reference list of `doc`. `reserved` is
// never read. Any `list` other than LIST_REFERENCE returns FIBEX_OK at once
// and touches nothing. The caller empties the reference tables first; a
// failed import stores nothing. `leftOut`, when given, hears what a
// successful import left out.
int ImportFibexFile(CVestrelDoc& doc, std::string path, void* reserved, int list, FibexLeftOut* leftOut = nullptr);

// Root check, element parsers, build and store on a loaded document. 0, 2
// or FIBEX_NO_FLEXRAY.
int ParseFibexDocument(XmlDomDocument& xml, FibexModel& model, CVestrelDoc& doc, FibexLeftOut* leftOut = nullptr);

// Copies the output block into the reference tables. Always 0; a record that
// the document cannot make throws std::bad_alloc.
int StoreFibexFrames(CVestrelDoc& doc, const FibexOutput& output, FibexLeftOut* leftOut = nullptr);

// Fills target[0..maxLength] with zeros, then copies the characters of
// `source` that are 0-9, A-Z, a-z, '%', '_', '(', ')', '-' or '/', in order,
// at most maxLength of them.
void SanitizeSymbolName(char* target, const std::string& source, int maxLength);

// UTF-8 text of the file as CP932 bytes; a character CP932 cannot hold
// becomes '?'.
std::string FibexTextToCp932(const std::string& utf8);
