#include "DefListOps.h"

#include "CNumber.h"
#include "CodePage.h"
#include "ListLoad.h"
#include "MessageBox.h"
#include "MsgIds.h"
#include "TextFile.h"
#include "VestrelDoc.h"

#include <algorithm>
#include <new>
#include <set>
#include <sys/stat.h>

namespace {

template <class Msg, class FreeSig, class FreeMsg>
void DeleteSignalOfRow(NameMap<Msg>& table, const ListRow& row, FreeSig freeSig, FreeMsg freeMsg) {
  std::string msgKey = MakeUpperString(row.Cell(COL_MESSAGE));
  Msg* msg = table.Find(msgKey);
  if (!msg) return;
  auto* sig = msg->signals.RemoveKey(MakeUpperString(row.Cell(COL_SIGNAL)));
  if (!sig) return;
  freeSig(sig);
  if (msg->signals.empty()) {
    table.RemoveKey(msgKey);
    freeMsg(msg);
  }
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

// A path is the file system's UTF-8; message arguments are CP932. A character
// the code page cannot hold (an accented letter of a user's folder) shows as
// '?', so the rest of the path still reads right.
std::string PathForMessage(const std::string& path) {
  std::string out;
  if (cp932::FromUtf8(path, out)) return out;
  out.clear();
  for (std::size_t i = 0; i < path.size();) {
    const unsigned char lead = static_cast<unsigned char>(path[i]);
    std::size_t len = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    len = std::min(len, path.size() - i);
    std::string one;
    out += cp932::FromUtf8(std::string_view(path).substr(i, len), one) ? one : std::string("?");
    i += len;
  }
  return out;
}

// The folder a file dialog starts in: the text before the last '/' (the root
// for a file directly in it), when it is shorter than 1024 bytes.
std::string StartFolder(const std::string& path) {
  std::size_t slash = path.rfind('/');
  if (slash == std::string::npos || slash >= 1024) return std::string();
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

}  // namespace

bool CheckNewAllowed(const ListRows& defRows) {
  if (defRows.size() >= static_cast<std::size_t>(MAX_DEF_SYMBOLS)) {
    ShowMessage(IDS_TOO_MANY_TO_EDIT, {MAX_DEF_SYMBOLS}, MsgButtons::Ok, MsgIcon::Error);
    return false;
  }
  return true;
}

bool DeleteDefinitionRows(CVestrelDoc& doc, int busKind, ListRows& rows, const std::vector<int>& selection) {
  if (ShowMessage(IDS_ASK_DELETE, {}, MsgButtons::YesNo, MsgIcon::Question) != MSG_YES) return false;
  std::vector<int> sel = SortedSelection(selection, rows.size());
  for (int r : sel) {
    const ListRow& row = rows[static_cast<std::size_t>(r)];
    switch (busKind) {
      case BUS_CAN:
        DeleteSignalOfRow(
            doc.GetCanMsgTable(LIST_DEFINITION), row, [&](_CANSignal* s) { doc.FreeCanSignal(s); },
            [&](_CANMsg* m) { doc.FreeCanMsg(m); });
        break;
      case BUS_FLEXRAY:
        DeleteSignalOfRow(
            doc.GetFlexRayMsgTable(LIST_DEFINITION), row, [&](_FlexRaySignal* s) { doc.FreeFlexRaySignal(s); },
            [&](_FlexRayMsg* m) { doc.FreeFlexRayMsg(m); });
        break;
      case BUS_LIN:
        DeleteSignalOfRow(
            doc.GetLinMsgTable(LIST_DEFINITION), row, [&](_LINSignal* s) { doc.FreeLinSignal(s); },
            [&](_LINMsg* m) { doc.FreeLinMsg(m); });
        break;
      case BUS_LOGIC: {
        // A group text outside 1..5 names no group.
        long long index = static_cast<long long>(cnum::Atoi(row.Cell(COL_GROUP).c_str())) - 1;
        if (index < 0 || index >= LOGIC_GROUP_COUNT) break;
        _LOGICGroup* group = doc.GetLogicGroup(LIST_DEFINITION, static_cast<int>(index));
        if (!group) break;
        _LOGICSignal* sym = group->symbols.RemoveKey(MakeUpperString(row.Cell(COL_SYMBOL)));
        if (!sym) break;
        doc.FreeLogicSignal(sym);
        if (group->symbols.empty()) group->bitCount = 0;
        break;
      }
      default:
        break;
    }
  }
  for (auto it = sel.rbegin(); it != sel.rend(); ++it) rows.erase(rows.begin() + *it);
  doc.SetDefModified(true);
  RenumberRows(rows, 0);
  return true;
}

std::string DefinitionFileLabel(const std::string& filePath, bool modified) {
  std::string title = filePath.empty() ? std::string() : GetFileTitleFromPath(filePath);
  if (!modified) return title;
  return title.empty() ? std::string("*") : title + " *";
}

void RenumberSignalsByRows(CVestrelDoc& doc, int busKind, const ListRows& rows) {
  auto renumber = [&](auto& table) {
    for (const auto& m : table)
      for (const auto& s : m.value->signals) s.value->loadNo = -1;
    int next = 0;
    for (const ListRow& row : rows) {
      auto* msg = table.Find(MakeUpperString(row.Cell(COL_MESSAGE)));
      if (!msg) continue;
      auto* sig = msg->signals.Find(MakeUpperString(row.Cell(COL_SIGNAL)));
      if (sig) sig->loadNo = next++;
    }
  };
  if (busKind == BUS_CAN) renumber(doc.GetCanMsgTable(LIST_DEFINITION));
  if (busKind == BUS_LIN) renumber(doc.GetLinMsgTable(LIST_DEFINITION));
}

bool EnsureUniqueCanLoadNumbers(CVestrelDoc& doc) {
  bool unique = true;
  for (const auto& m : doc.GetCanMsgTable(LIST_DEFINITION)) {
    std::set<int> seen;
    for (const auto& s : m.value->signals) {
      if (s.value->loadNo < 0 || !seen.insert(s.value->loadNo).second) {
        unique = false;
        break;
      }
    }
    if (!unique) break;
  }
  if (unique) return false;
  RenumberSignalsByRows(doc, BUS_CAN, BuildListRows(doc, LIST_DEFINITION, BUS_CAN, doc.GetMsgIdFormat()));
  return true;
}

namespace {

bool SaveDefinitionListUnguarded(CVestrelDoc& doc, int busKind, const ListRows& rows, std::string& filePath,
                                 IListFileDialogs& dialogs) {
  if (doc.CountCanSignals(LIST_DEFINITION) > 0) {
    const auto& table = doc.GetCanMsgTable(LIST_DEFINITION);
    for (const ListRow& row : rows) {
      const _CANMsg* msg = table.Find(MakeUpperString(row.Cell(COL_MESSAGE)));
      if (!msg) continue;
      const _CANSignal* sig = msg->signals.Find(MakeUpperString(row.Cell(COL_SIGNAL)));
      if (!sig || sig->multiplexor[0] == '\0') continue;
      if (msg->signals.Contains(MakeUpperString(sig->multiplexor))) continue;
      if (ShowMessage(IDS_ASK_MISSING_MUX, {}, MsgButtons::YesNo, MsgIcon::Question) != MSG_YES) return false;
    }
  }

  FileDialogRequest request = DefinitionFileRequest(filePath);
  // The numbers stay even when the save ends in a later step.
  RenumberSignalsByRows(doc, busKind, rows);

  if (doc.CountFlexRaySignals(LIST_DEFINITION) == 0 && doc.CountCanSignals(LIST_DEFINITION) == 0 &&
      doc.CountLinSignals(LIST_DEFINITION) == 0 && doc.CountLogicSymbols(LIST_DEFINITION) == 0) {
    ShowMessage(IDS_MSG_NO_DATA);
    return false;
  }

  std::string path;
  if (!dialogs.AskSavePath(request, path) || path.empty()) return false;
  if (MakeUpperString(GetFileExtension(path)) != "SBL") path += ".sbl";
  if (FileExists(path) &&
      ShowMessage(IDS_ASK_OVERWRITE, {PathForMessage(path)}, MsgButtons::YesNo, MsgIcon::Warning) != MSG_YES)
    return false;

  // Shown another bus kind, the CAN numbers were not renumbered by row; the
  // file still needs them unique per message to keep multiplexor links.
  EnsureUniqueCanLoadNumbers(doc);
  if (WriteTextFile(path, doc.BuildSblText(LIST_DEFINITION)) != 0) {
    // The modified flag stays, so closing the window asks again.
    ShowMessage(IDS_MSG_SAVE_FAILED);
    return false;
  }
  filePath = path;
  doc.SetDefModified(false);
  return true;
}

}  // namespace

bool SaveDefinitionList(CVestrelDoc& doc, int busKind, const ListRows& rows, std::string& filePath,
                        IListFileDialogs& dialogs) {
  try {
    return SaveDefinitionListUnguarded(doc, busKind, rows, filePath, dialogs);
  } catch (const std::bad_alloc&) {
    // The file on disk is untouched: the text is built whole before the
    // write, and a write that fails, in place or not, leaves the old file as
    // it was. The modified flag stays, so closing the window asks again.
    ShowMessage(IDS_MSG_NO_MEMORY);
    return false;
  }
}

FileDialogRequest ReferenceOpenRequest(int busKind, const std::string& currentPath) {
  FileDialogRequest request;
  switch (busKind) {
    case BUS_CAN:
      request.filterIds = {IDS_FILTER_CAN_ALL, IDS_FILTER_DBC, IDS_FILTER_SBL};
      break;
    case BUS_FLEXRAY:
      request.filterIds = {IDS_FILTER_FLEXRAY_ALL, IDS_FILTER_XML, IDS_FILTER_SBL};
      break;
    case BUS_LIN:
      request.filterIds = {IDS_FILTER_LIN_ALL, IDS_FILTER_LDF, IDS_FILTER_SBL};
      break;
    default:
      request.filterIds = {IDS_FILTER_SBL};
      break;
  }
  std::string ext = MakeUpperString(GetFileExtension(currentPath));
  if (ext.empty()) return request;
  request.folder = StartFolder(currentPath);
  bool fits = ext == "SBL" || (ext == "XML" && busKind == BUS_FLEXRAY) || (ext == "DBC" && busKind == BUS_CAN) ||
              (ext == "LDF" && busKind == BUS_LIN);
  std::string title = GetFileTitleFromPath(currentPath);
  if (fits && title.size() < 1024) request.fileName = title;
  return request;
}

FileDialogRequest DefinitionFileRequest(const std::string& currentPath) {
  FileDialogRequest request;
  request.filterIds = {IDS_FILTER_SBL};
  std::string ext = MakeUpperString(GetFileExtension(currentPath));
  if (ext.empty()) return request;
  request.folder = StartFolder(currentPath);
  std::string title = GetFileTitleFromPath(currentPath);
  if (ext == "SBL" && title.size() < 1024) request.fileName = title;
  return request;
}
