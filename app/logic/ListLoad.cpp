#include "ListLoad.h"

#include "CNumber.h"
#include "MessageBox.h"
#include "TextFile.h"
#include "VestrelDoc.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <sys/stat.h>

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
      case BUS_CAN:
        return doc.CountCanSignals(list);
      case BUS_LIN:
        return doc.CountLinSignals(list);
      case BUS_FLEXRAY:
        return doc.CountFlexRaySignals(list);
      case BUS_LOGIC:
        return doc.CountLogicSymbols(list);
      default:
        return 0;
    }
  };
  if (countOf(currentBus) >= 1) return currentBus;
  for (int bus : {BUS_FLEXRAY, BUS_CAN, BUS_LIN, BUS_LOGIC})
    if (countOf(bus) >= 1) return bus;
  // Nothing to show of any kind: switching would only hide what the user
  // was looking at in the other list.
  return currentBus;
}

bool IsNumericMultiplexText(const std::string& text) {
  const char* p = text.data();
  const char* const end = p + text.size();
  while (p < end) {
    const char* stop = p;
    bool digits = true;
    for (; stop < end && *stop != ' ' && *stop != ',' && *stop != '-'; ++stop) digits &= *stop >= '0' && *stop <= '9';
    // Decimal digits without a leading zero (or a lone "0"), the usual
    // piece, read completely as a number that is not 0 (a number too large
    // reads as the largest): only any other piece needs reading.
    if (stop > p && !(digits && (*p != '0' || stop - p == 1))) {
      std::string piece(p, stop);
      char* read = nullptr;
      long value = cnum::Strtol(piece.c_str(), &read, 0);
      if (read != piece.c_str() + piece.size() || read == piece.c_str()) return false;
      if (piece.size() > 1 && value == 0) return false;
    }
    p = stop + 1;
  }
  return true;
}

namespace {

// The readers, in the order their extensions are compared.
enum FileKind { KIND_SBL, KIND_XML, KIND_DBC, KIND_LDF, KIND_COUNT };
constexpr const char* kExtensions[KIND_COUNT] = {"sbl", "xml", "dbc", "ldf"};

// Runs the reader of the extension on the (emptied) list; 0,
// IDS_MSG_LOAD_FAILED, IDS_MSG_LOAD_FAILED_XML, IDS_MSG_NO_MEMORY or one of
// the FIBEX refusals IDS_MSG_XML_TOO_MANY_NAMES, _NAMESPACES and _ELEMENTS and
// IDS_MSG_NO_FLEXRAY_FRAMES.
int ReadIntoList(CVestrelDoc& doc, int list, const std::string& path, int kind, LoadCuts& cuts) {
  switch (kind) {
    case KIND_SBL: {
      // A file that cannot be read is a failed load, not an empty definition file.
      std::string text;
      TextReadInfo read;
      if (!ReadTextFile(path, text, CVestrelDoc::kSblReadSlack, &read))
        return read.why == ReadFileError::NoMemory ? IDS_MSG_NO_MEMORY : IDS_MSG_LOAD_FAILED;
      long long leftOut = 0, namesCut = 0, replaced = 0;
      SblSharedFrames shared;
      if (doc.ParseSblText(std::move(text), list, &leftOut, &namesCut, &replaced, &shared) != 0)
        return IDS_MSG_LOAD_FAILED;
      cuts.sharedName += shared.frames;
      cuts.sharedNameRows += shared.rows;
      cuts.overLimit += leftOut;
      cuts.namesCut += namesCut;
      cuts.merged += replaced;
      cuts.stoppedAtZero |= read.stoppedAtZero;
      return 0;
    }
    case KIND_XML: {
      FibexLeftOut left;
      int fibex = ImportFibexFile(doc, path, nullptr, list, &left);
      cuts.overLimit += left.rows;
      cuts.namesCut += left.namesCut;
      cuts.merged += left.merged;
      cuts.sharedName += left.sharedName;
      cuts.sharedNameRows += left.sharedNameRows;
      switch (fibex) {
        case FIBEX_OK:
          return 0;
        case FIBEX_EXCEPTION:
          return IDS_MSG_LOAD_FAILED_XML;
        case FIBEX_NO_MEMORY:
          return IDS_MSG_NO_MEMORY;
        case FIBEX_TOO_MANY_NAMES:
          return IDS_MSG_XML_TOO_MANY_NAMES;
        case FIBEX_NO_FLEXRAY:
          return IDS_MSG_NO_FLEXRAY_FRAMES;
        case FIBEX_TOO_MANY_NAMESPACES:
          return IDS_MSG_XML_TOO_MANY_NAMESPACES;
        case FIBEX_TOO_MANY_ELEMENTS:
          return IDS_MSG_XML_TOO_MANY_ELEMENTS;
        default:
          return IDS_MSG_LOAD_FAILED;
      }
    }
    case KIND_DBC:
      return LoadCanDbFile(doc, list, path, &cuts);
    case KIND_LDF:
      return LoadLdfFile(doc, list, path, &cuts);
    default:
      return IDS_MSG_LOAD_FAILED;
  }
}

}  // namespace

LoadOutcome LoadListFile(CVestrelDoc& doc, int list, const std::string& path, int currentBus,
                         const std::function<void(int busAfter)>& prepare) {
  LoadOutcome outcome;
  if (!IsLoadableFile(list, path)) return outcome;
  std::string ext = GetFileExtension(path);
  if (ext.empty()) return outcome;
  int kind = KIND_COUNT;
  for (int k = 0; k < KIND_COUNT && kind == KIND_COUNT; ++k)
    if (EqualsNoCase(ext, kExtensions[k])) kind = k;
  if (kind == KIND_COUNT) return outcome;
  // Every reader refuses a file above the cap; said as such, not as a
  // file that could not be read.
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
      static_cast<unsigned long long>(st.st_size) > kMaxReadFileBytes) {
    outcome.result = IDS_MSG_FILE_TOO_LARGE;
    return outcome;
  }

  // The reader fills an empty list while the list's own tables wait aside;
  // they come back unless the file was read, so a failed load (a missing,
  // cut-short or foreign file, or no memory left) changes nothing.
  ListTables kept = doc.TakeListTables(list);
  int result = IDS_MSG_LOAD_FAILED;
  LoadCuts cuts;
  try {
    result = ReadIntoList(doc, list, path, kind, cuts);
    if (result == 0) {
      outcome.busAfter = ChooseBusAfterLoad(doc, list, currentBus);
      if (prepare) prepare(outcome.busAfter);
    }
  } catch (const std::bad_alloc&) {
    result = IDS_MSG_NO_MEMORY;
  }
  if (result != 0) {
    doc.RestoreListTables(list, kept);
    outcome.result = result;
    return outcome;
  }
  doc.FreeListTables(kept);
  outcome.result = 0;
  outcome.replaced = true;
  outcome.cuts = cuts;
  return outcome;
}

void ShowLoadCuts(const LoadCuts& cuts) {
  if (!cuts.Any()) return;
  try {
    // One notice for all that was left out: frames refused for their names
    // have words of their own, and the counts of the others come along.
    if (cuts.sharedName > 0)
      ShowMessage(IDS_MSG_LOAD_CUT_FRAMES,
                  {cuts.overLimit, cuts.namesCut, cuts.merged, cuts.messagesJoined, cuts.sharedName,
                   cuts.sharedNameRows, cuts.passedOver},
                  MsgButtons::Ok, MsgIcon::Information);
    else if (cuts.overLimit > 0 || cuts.namesCut > 0 || cuts.merged > 0 || cuts.messagesJoined > 0 ||
             cuts.passedOver > 0)
      ShowMessage(IDS_MSG_LOAD_CUT, {cuts.overLimit, cuts.namesCut, cuts.merged, cuts.messagesJoined, cuts.passedOver},
                  MsgButtons::Ok, MsgIcon::Information);
    // Its own notice: the counts above know nothing of the unread rest.
    if (cuts.stoppedAtZero) ShowMessage(IDS_MSG_STOPPED_AT_ZERO, {}, MsgButtons::Ok, MsgIcon::Information);
  } catch (const std::bad_alloc&) {
    // Only the notice is lost; the load itself is complete.
  }
}
