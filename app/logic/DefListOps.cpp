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

// The definition group of a LOGIC row: the one its group column numbers. A
// group text outside 1..5 names no group.
_LOGICGroup* LogicGroupOfRow(CVestrelDoc& doc, const ListRow& row) {
  const long long index = static_cast<long long>(cnum::Atoi(row.Cell(COL_GROUP).c_str())) - 1;
  if (index < 0 || index >= LOGIC_GROUP_COUNT) return nullptr;
  return doc.GetLogicGroup(LIST_DEFINITION, static_cast<int>(index));
}

// How many bytes from `pos` make one well-formed UTF-8 character; 0 when the
// byte there starts none (a stray continuation byte, a cut or overlong
// sequence, a surrogate, a code point beyond U+10FFFF).
std::size_t Utf8CharLength(std::string_view text, std::size_t pos) {
  const auto at = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = at(pos);
  if (lead < 0x80) return 1;
  std::size_t len;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    len = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    len = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    len = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (text.size() - pos < len || at(pos + 1) < low || at(pos + 1) > high) return 0;
  for (std::size_t i = 2; i < len; ++i)
    if (at(pos + i) < 0x80 || at(pos + i) > 0xBF) return 0;
  return len;
}

// A path is the file system's bytes, UTF-8 as a rule; message arguments are
// CP932. A character the code page cannot hold (an accented letter of a
// user's folder) shows as '?', so the rest of the path still reads right. A
// byte that is no UTF-8 at all, or a control byte that would show as nothing
// or break the line, shows as "\xFF": the user sees which name is meant even
// when it came from a system of another code page, and the escape is plain
// ASCII that every language's text carries unchanged.
std::string PathForMessage(const std::string& path) {
  std::string out;
  for (std::size_t i = 0; i < path.size();) {
    const unsigned char lead = static_cast<unsigned char>(path[i]);
    const std::size_t len = Utf8CharLength(path, i);
    if (len == 0 || lead < 0x20 || lead == 0x7F) {
      static const char kHex[] = "0123456789ABCDEF";
      out += "\\x";
      out += kHex[lead >> 4];
      out += kHex[lead & 0x0F];
      ++i;
      continue;
    }
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
        _LOGICGroup* group = LogicGroupOfRow(doc, row);
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
  // The keys are made in place: the list renumbers after an add that ran out
  // of memory, too.
  auto find = [](const auto& map, const std::string& cell) {
    char key[MAX_NAME_LEN];
    // A text longer than a name names no record.
    return cell.size() > static_cast<std::size_t>(MAX_NAME_LEN)
               ? nullptr
               : map.Find(std::string_view(key, MakeUpperInto(cell, key)));
  };
  auto renumber = [&](auto& table, auto numberOf) {
    for (const auto& m : table)
      for (const auto& s : m.value->signals) s.value->*numberOf = -1;
    int next = 0;
    for (const ListRow& row : rows) {
      auto* msg = find(table, row.Cell(COL_MESSAGE));
      if (!msg) continue;
      auto* sig = find(msg->signals, row.Cell(COL_SIGNAL));
      if (sig) sig->*numberOf = next++;
    }
  };
  switch (busKind) {
    case BUS_CAN:
      renumber(doc.GetCanMsgTable(LIST_DEFINITION), &_CANSignal::loadNo);
      break;
    case BUS_LIN:
      renumber(doc.GetLinMsgTable(LIST_DEFINITION), &_LINSignal::loadNo);
      break;
    case BUS_FLEXRAY:
      renumber(doc.GetFlexRayMsgTable(LIST_DEFINITION), &_FlexRaySignal::orderNo);
      break;
    case BUS_LOGIC: {
      for (int g = 0; g < LOGIC_GROUP_COUNT; ++g)
        for (const auto& s : doc.GetLogicGroup(LIST_DEFINITION, g)->symbols) s.value->orderNo = -1;
      int next = 0;
      for (const ListRow& row : rows) {
        const _LOGICGroup* group = LogicGroupOfRow(doc, row);
        _LOGICSignal* sym = group ? find(group->symbols, row.Cell(COL_SYMBOL)) : nullptr;
        if (sym) sym->orderNo = next++;
      }
      break;
    }
    default:
      break;
  }
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
  switch (InspectSaveTarget(path)) {
    case SaveTarget::NotAFile:
    case SaveTarget::Refused:
      // No answer could make a folder, a device or a file that may not be
      // written take the text: asking whether to overwrite it would only
      // promise what cannot happen.
      ShowMessage(IDS_MSG_SAVE_FAILED);
      return false;
    case SaveTarget::File:
      if (ShowMessage(IDS_ASK_OVERWRITE, {PathForMessage(path)}, MsgButtons::YesNo, MsgIcon::Warning) != MSG_YES)
        return false;
      break;
    case SaveTarget::Missing:
      break;
  }

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
