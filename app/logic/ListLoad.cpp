#include "ListLoad.h"

#include "CNumber.h"
#include "TextFile.h"
#include "VestrelDoc.h"

#include <algorithm>
#include <cstring>

#include "FibexImport.h"

namespace {

bool EqualsNoCase(const std::string& a, const char* b) { return MakeUpperString(a) == MakeUpperString(b); }

}  // namespace

bool IsLoadableFile(int list, const std::string& path) {
  std::string ext = GetFileExtension(path);
  if (list == LIST_DEFINITION) return EqualsNoCase(ext, "sbl");
  if (list != LIST_REFERENCE) return false;
  for (const char* known : {"sbl", "xml", "dbc", "ldf"})
    if (EqualsNoCase(ext, known)) return true;
  return false;
}

int ChooseBusAfterLoad(const CVestrelDoc& doc, int list, int currentBus) {
  auto countOf = [&](int bus) {
    switch (bus) {
      case BUS_CAN: return doc.CountCanSignals(list);
      case BUS_LIN: return doc.CountLinSignals(list);
      case BUS_FLEXRAY: return doc.CountFlexRaySignals(list);
      case BUS_LOGIC: return doc.CountLogicSymbols(list);
      default: return 0;
    }
  };
  if (countOf(currentBus) >= 1) return currentBus;
  for (int bus : {BUS_FLEXRAY, BUS_CAN, BUS_LIN, BUS_LOGIC})
    if (countOf(bus) >= 1) return bus;
  return BUS_CAN;
}

bool IsNumericMultiplexText(const std::string& text) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find_first_of(" ,-", pos);
    if (end == std::string::npos) end = text.size();
    if (end > pos) {
      std::string piece = text.substr(pos, end - pos);
      char* stop = nullptr;
      long value = cnum::Strtol(piece.c_str(), &stop, 0);
      if (stop != piece.c_str() + piece.size() || stop == piece.c_str()) return false;
      if (piece.size() > 1 && value == 0) return false;
    }
    pos = end + 1;
  }
  return true;
}

bool ClampSignalIntoMessage(int bits, int& startBit, int& bitCount) {
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

LoadOutcome LoadListFile(CVestrelDoc& doc, int list, const std::string& path, int currentBus) {
  LoadOutcome outcome;
  if (!IsLoadableFile(list, path)) return outcome;
  std::string ext = GetFileExtension(path);
  if (ext.empty()) return outcome;
  enum { KIND_SBL, KIND_XML, KIND_DBC, KIND_LDF, KIND_NONE } kind = KIND_NONE;
  if (EqualsNoCase(ext, "sbl")) kind = KIND_SBL;
  else if (EqualsNoCase(ext, "xml")) kind = KIND_XML;
  else if (EqualsNoCase(ext, "dbc")) kind = KIND_DBC;
  else if (EqualsNoCase(ext, "ldf")) kind = KIND_LDF;
  if (kind == KIND_NONE) return outcome;

  doc.ClearFlexRayList(list);
  doc.ClearCanList(list);
  doc.ClearLinList(list);
  doc.ClearLogicGroups(list, -1);
  outcome.cleared = true;

  int result = IDS_MSG_LOAD_FAILED;
  switch (kind) {
    case KIND_SBL: {
      // A file that cannot be read is a failed load, not an empty definition file.
      std::string text;
      if (!ReadTextFile(path, text)) break;
      result = doc.ParseSblText(text, list) == 0 ? 0 : IDS_MSG_LOAD_FAILED;
      break;
    }
    case KIND_XML: {
      int fibex = ImportFibexFile(doc, path, nullptr, list);
      result = fibex == 0 ? 0 : (fibex == 3 ? IDS_MSG_LOAD_FAILED_XML : IDS_MSG_LOAD_FAILED);
      break;
    }
    case KIND_DBC: result = LoadCanDbFile(doc, list, path); break;
    case KIND_LDF: result = LoadLdfFile(doc, list, path); break;
    default: break;
  }
  outcome.result = result;
  if (result == 0) outcome.busAfter = ChooseBusAfterLoad(doc, list, currentBus);
  return outcome;
}
