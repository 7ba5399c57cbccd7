#include "DefDialogs.h"

#include "BusRecordKinds.h"
#include "CNumber.h"
#include "ListLogic.h"
#include "MessageBox.h"
#include "MsgIds.h"
#include "TextFile.h"
#include "VestrelDoc.h"

#include <cstring>

namespace {

bool SameNoCase(const std::string& a, const char* b) { return MakeUpperString(a) == MakeUpperString(b); }

// The identifier display flag the dialogs start with.
int HexFlagOf(const CVestrelDoc& doc) { return doc.GetMsgIdFormat() != 0 ? 1 : 0; }

// Puts a renamed record under its new key. The dialogs refuse a name that
// another record holds; should one slip through, the record keeps its old key
// rather than pushing the other record out of the table.
template <class T>
void Rekey(NameMap<T>& table, const std::string& oldKey, T* record) {
  const std::string newKey = MakeUpperString(record->name);
  if (newKey == oldKey) return;
  T* holder = table.Find(newKey);
  if (holder && holder != record) return;
  if (table.Find(oldKey) == record) table.RemoveKey(oldKey);
  table.SetAt(newKey, record);
}

// After OK: the identifier columns of both lists follow the dialog's display
// flag, which becomes the document's.
void TakeIdFormat(CListLogic& logic, int hexFlag) {
  CVestrelDoc& doc = logic.Doc();
  const int from = doc.GetMsgIdFormat();
  ConvertIdColumn(logic.Rows(), logic.BusKind(), from, hexFlag);
  if (CListLogic* partner = logic.Partner()) ConvertIdColumn(partner->Rows(), partner->BusKind(), from, hexFlag);
  doc.SetMsgIdFormat(hexFlag);
}

// The first selected row that exists, or -1.
int FirstSelectedRow(const CListLogic& logic, const std::vector<int>& selection) {
  const std::vector<int> sel = SortedSelection(selection, logic.Rows().size());
  return sel.empty() ? -1 : sel.front();
}

// The fields every bus kind's dialog request shares.
template <class Request, class Msg, class Sig>
Request MessageRequest(const CListLogic& logic, int mode, Msg* m, Sig* s, NameMap<Msg>* table,
                       const DefDialogAnchor& anchor) {
  Request r;
  r.mode = mode;
  r.msg = m;
  r.signal = s;
  r.messages = table;
  r.hexFlag = HexFlagOf(logic.Doc());
  r.anchor = anchor;
  return r;
}

// What differs between the CAN, FlexRay and LIN openers.
struct CanKind : CanRecords {
  static void AddMsg(CVestrelDoc& d, Msg* m, int list) { d.AddCanMsg(m, list); }
  static void AppendRow(CListLogic& l, const Msg& m, const char* s) { l.AppendCanRow(m, s); }
  static void UpdateRows(ListRows& rows, const std::string& om, const std::string& os, const Msg& m, const char* s,
                         int fmt) {
    UpdateCanRows(rows, om, os, m, s, fmt);
  }
  static DefDialogResult Run(IDefinitionDialogs& dialogs, const CListLogic& logic, int mode, Msg* m, Sig* s,
                             NameMap<Msg>* table, const DefDialogAnchor& anchor) {
    CanDialogRequest r = MessageRequest<CanDialogRequest>(logic, mode, m, s, table, anchor);
    r.rowNames.reserve(logic.Rows().size());
    for (const ListRow& row : logic.Rows()) r.rowNames.emplace_back(row.Cell(COL_MESSAGE), row.Cell(COL_SIGNAL));
    return dialogs.RunCanDialog(r);
  }
};

// FlexRay and LIN share their rows and their request; only the dialog and
// the adding of a message differ.
template <class Records>
struct FrameKind : Records {
  using Msg = typename Records::Msg;
  using Sig = typename Records::Sig;
  static void AppendRow(CListLogic& l, const Msg& m, const char* s) { l.AppendFlexRayLinRow(m, s); }
  static void UpdateRows(ListRows& rows, const std::string& om, const std::string& os, const Msg& m, const char* s,
                         int fmt) {
    UpdateFlexRayLinRows(rows, om, os, m, s, fmt);
  }
  static FrameDialogRequest<Msg, Sig> Request(const CListLogic& logic, int mode, Msg* m, Sig* s, NameMap<Msg>* table,
                                              const DefDialogAnchor& anchor) {
    auto r = MessageRequest<FrameDialogRequest<Msg, Sig>>(logic, mode, m, s, table, anchor);
    if (mode != DLGMODE_NEW) r.editedSignalName = s->name;
    return r;
  }
};

struct FlexRayKind : FrameKind<FlexRayRecords> {
  static void AddMsg(CVestrelDoc& d, Msg* m, int list) { d.AddFlexRayMsg(m, list, nullptr); }
  static DefDialogResult Run(IDefinitionDialogs& dialogs, const CListLogic& logic, int mode, Msg* m, Sig* s,
                             NameMap<Msg>* table, const DefDialogAnchor& anchor) {
    return dialogs.RunFlexRayDialog(Request(logic, mode, m, s, table, anchor));
  }
};

struct LinKind : FrameKind<LinRecords> {
  static void AddMsg(CVestrelDoc& d, Msg* m, int list) { d.AddLinMsg(m, list); }
  static DefDialogResult Run(IDefinitionDialogs& dialogs, const CListLogic& logic, int mode, Msg* m, Sig* s,
                             NameMap<Msg>* table, const DefDialogAnchor& anchor) {
    return dialogs.RunLinDialog(Request(logic, mode, m, s, table, anchor));
  }
};

template <class Kind>
int OpenMessageDialog(CListLogic& logic, IDefinitionDialogs& dialogs, int list, int mode,
                      const std::vector<int>& selection, const DefDialogAnchor& anchor) {
  using Msg = typename Kind::Msg;
  using Sig = typename Kind::Sig;
  CVestrelDoc& doc = logic.Doc();
  NameMap<Msg>& table = Kind::Table(doc, list);

  Msg* msg = nullptr;
  Sig* sig = nullptr;
  if (mode == DLGMODE_NEW) {
    msg = Kind::AllocMsg(doc);
    sig = Kind::AllocSig(doc);
    if (!msg || !sig) {
      Kind::FreeMsg(doc, msg);
      Kind::FreeSig(doc, sig);
      return 0;
    }
  } else {
    const int row = FirstSelectedRow(logic, selection);
    if (row < 0) return 0;
    const ListRow& cells = logic.Rows()[static_cast<std::size_t>(row)];
    msg = table.Find(MakeUpperString(cells.Cell(COL_MESSAGE)));
    if (msg) sig = msg->signals.Find(MakeUpperString(cells.Cell(COL_SIGNAL)));
    if (!msg || !sig) {
      ShowMessage(IDS_MSG_NO_DATA);
      return 0;
    }
  }
  const std::string oldMsgName = msg->name;
  const std::string oldSigName = sig->name;

  const DefDialogResult result = Kind::Run(dialogs, logic, mode, msg, sig, &table, anchor);
  if (!result.ok) {
    if (mode == DLGMODE_NEW) {
      Kind::FreeMsg(doc, msg);
      Kind::FreeSig(doc, sig);
    }
    return 0;
  }
  TakeIdFormat(logic, result.hexFlag);
  const int idFormat = doc.GetMsgIdFormat();

  if (mode == DLGMODE_NEW) {
    Msg* existing = table.Find(MakeUpperString(msg->name));
    if (!existing) {
      Kind::AddSig(doc, msg, sig);
      Kind::AppendRow(logic, *msg, sig->name);
      Kind::AddMsg(doc, msg, list);
      return 1;
    }
    // A new signal for a message that is already defined.
    existing->byteCount = msg->byteCount;
    if (!existing->signals.Contains(MakeUpperString(sig->name))) Kind::AppendRow(logic, *existing, sig->name);
    else Kind::UpdateRows(logic.Rows(), existing->name, sig->name, *existing, sig->name, idFormat);
    Kind::AddSig(doc, existing, sig);
    Kind::FreeMsg(doc, msg);
    return 1;
  }
  if (mode == DLGMODE_EDIT && result.modified) {
    Rekey(table, MakeUpperString(oldMsgName), msg);
    Rekey(msg->signals, MakeUpperString(oldSigName), sig);
    Kind::UpdateRows(logic.Rows(), oldMsgName, oldSigName, *msg, sig->name, idFormat);
    return 1;
  }
  return 0;
}

// The list whose rows a LOGIC dialog rewrites when it refits a group: the
// definition list, this one or its partner.
CListLogic* DefinitionListOf(CListLogic& logic) {
  if (logic.List() == LIST_DEFINITION) return &logic;
  CListLogic* partner = logic.Partner();
  return partner && partner->List() == LIST_DEFINITION ? partner : nullptr;
}

int OpenLogicDialog(CListLogic& logic, IDefinitionDialogs& dialogs, int list, int mode,
                    const std::vector<int>& selection, const DefDialogAnchor& anchor) {
  CVestrelDoc& doc = logic.Doc();
  _LOGICGroup* groups = doc.GetLogicGroup(list, 0);
  if (!groups) return 0;

  _LOGICSignal* symbol = nullptr;
  int oldGroup = 0;
  if (mode == DLGMODE_NEW) {
    symbol = doc.AllocLogicSignal();
    if (!symbol) return 0;
  } else {
    const int row = FirstSelectedRow(logic, selection);
    if (row < 0) return 0;
    const ListRow& cells = logic.Rows()[static_cast<std::size_t>(row)];
    oldGroup = cnum::Atoi(cells.Cell(COL_GROUP).c_str()) - 1;
    const _LOGICGroup* group = doc.GetLogicGroup(list, oldGroup);
    if (group) symbol = group->symbols.Find(MakeUpperString(cells.Cell(COL_SYMBOL)));
    if (!symbol) {
      ShowMessage(IDS_MSG_NO_DATA);
      return 0;
    }
  }
  const std::string oldName = symbol->name;

  LogicDialogRequest request;
  request.mode = mode;
  request.groups = groups;
  request.symbol = symbol;
  request.groupIndex = oldGroup;
  request.anchor = anchor;
  if (CListLogic* def = DefinitionListOf(logic)) {
    request.updateRow = [def](const std::string& name, int groupIndex, const _LOGICGroup& g, const _LOGICSignal& s) {
      UpdateLogicRow(def->Rows(), name, groupIndex, g, s);
    };
  }
  const DefDialogResult result = dialogs.RunLogicDialog(request);
  if (!result.ok) {
    if (mode == DLGMODE_NEW) doc.FreeLogicSignal(symbol);
    return 0;
  }
  _LOGICGroup* group = doc.GetLogicGroup(list, result.groupIndex);
  if (mode == DLGMODE_NEW) {
    if (!group) {
      doc.FreeLogicSignal(symbol);
      return 0;
    }
    if (!doc.AddLogicSignal(list, result.groupIndex, symbol)) return 0;
    logic.AppendLogicRow(*group, *symbol);
    return 1;
  }
  if (mode != DLGMODE_EDIT || !result.modified) return 0;
  _LOGICGroup* before = doc.GetLogicGroup(list, oldGroup);
  const std::string oldKey = MakeUpperString(oldName);
  if (!group || group == before) {
    group = before;
    Rekey(group->symbols, oldKey, symbol);
  } else {
    // Moved to another group; a name held there already keeps it where it was.
    const std::string newKey = MakeUpperString(symbol->name);
    _LOGICSignal* holder = group->symbols.Find(newKey);
    if (!holder || holder == symbol) {
      if (before->symbols.Find(oldKey) == symbol) before->symbols.RemoveKey(oldKey);
      group->symbols.SetAt(newKey, symbol);
    } else {
      group = before;
      Rekey(group->symbols, oldKey, symbol);
    }
  }
  UpdateLogicRow(logic.Rows(), oldName, oldGroup, *group, *symbol);
  return 1;
}

// A cell of the identifier column read as the display shows it.
long long ReadIdCell(const std::string& text, bool hex) {
  if (!hex) return cnum::Atoi(text.c_str());
  unsigned long long v = 0;
  for (char c : text) {
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else break;
    v = (v << 4) | static_cast<unsigned>(digit);
    if (v > 0xFFFFFFFFull) v &= 0xFFFFFFFFull;
  }
  return static_cast<long long>(v);
}

template <class Msg>
void UpdateMessageRows(ListRows& rows, const std::string& oldMsgName, const std::string& oldSigName, const Msg& msg,
                       long long id, const char* sigName, int idFormat) {
  const std::string newSig = sigName ? sigName : "";
  for (ListRow& row : rows) {
    if (!SameNoCase(row.Cell(COL_MESSAGE), oldMsgName.c_str())) continue;
    row.SetCell(COL_MESSAGE, msg.name);
    row.SetCell(COL_ID, FormatMsgId(id, idFormat));
    if (SameNoCase(row.Cell(COL_SIGNAL), oldSigName.c_str()) && row.Cell(COL_SIGNAL) != newSig)
      row.SetCell(COL_SIGNAL, newSig);
  }
}

}  // namespace

int OpenDefinitionDialog(CListLogic& logic, IDefinitionDialogs& dialogs, int list, int mode,
                         const std::vector<int>& selection, const DefDialogAnchor& anchor) {
  if (list != LIST_REFERENCE && list != LIST_DEFINITION) return 0;
  if (mode != DLGMODE_VIEW && mode != DLGMODE_NEW && mode != DLGMODE_EDIT) return 0;
  switch (logic.BusKind()) {
    case BUS_CAN:
      return OpenMessageDialog<CanKind>(logic, dialogs, list, mode, selection, anchor);
    case BUS_FLEXRAY:
      return OpenMessageDialog<FlexRayKind>(logic, dialogs, list, mode, selection, anchor);
    case BUS_LIN:
      return OpenMessageDialog<LinKind>(logic, dialogs, list, mode, selection, anchor);
    case BUS_LOGIC:
      return OpenLogicDialog(logic, dialogs, list, mode, selection, anchor);
    default:
      return 0;
  }
}

void ConvertIdColumn(ListRows& rows, int busKind, int fromFormat, int newFormat) {
  if (busKind != BUS_CAN && busKind != BUS_FLEXRAY && busKind != BUS_LIN) return;
  // Every format but 1 shows decimal: compare what the column shows, not the
  // numbers, or a decimal column would be read as hexadecimal.
  const bool fromHex = fromFormat == IDFMT_HEX;
  const bool toHex = newFormat == IDFMT_HEX;
  if (fromHex == toHex) return;
  for (ListRow& row : rows) {
    if (static_cast<int>(row.cells.size()) <= COL_ID) continue;
    row.SetCell(COL_ID, FormatMsgId(ReadIdCell(row.Cell(COL_ID), fromHex), toHex ? IDFMT_HEX : IDFMT_DECIMAL));
  }
}

void UpdateCanRows(ListRows& rows, const std::string& oldMsgName, const std::string& oldSigName, const _CANMsg& msg,
                   const char* sigName, int idFormat) {
  UpdateMessageRows(rows, oldMsgName, oldSigName, msg, msg.id, sigName, idFormat);
}

void UpdateFlexRayLinRows(ListRows& rows, const std::string& oldMsgName, const std::string& oldSigName,
                          const _FlexRayMsg& msg, const char* sigName, int idFormat) {
  UpdateMessageRows(rows, oldMsgName, oldSigName, msg, msg.slotId, sigName, idFormat);
}

void UpdateFlexRayLinRows(ListRows& rows, const std::string& oldMsgName, const std::string& oldSigName,
                          const _LINMsg& msg, const char* sigName, int idFormat) {
  UpdateMessageRows(rows, oldMsgName, oldSigName, msg, msg.id, sigName, idFormat);
}

void UpdateLogicRow(ListRows& rows, const std::string& oldName, int oldGroupIndex, const _LOGICGroup& group,
                    const _LOGICSignal& symbol) {
  for (ListRow& row : rows) {
    if (cnum::Atoi(row.Cell(COL_GROUP).c_str()) - 1 != oldGroupIndex) continue;
    if (!SameNoCase(row.Cell(COL_SYMBOL), oldName.c_str())) continue;
    row.SetCell(COL_SYMBOL, symbol.name);
    row.SetCell(COL_GROUP, cnum::Format("%d", group.index + 1));
    row.SetCell(COL_BITS, cnum::Format("%d", group.bitCount));
    row.SetCell(COL_PATTERN, symbol.pattern);
  }
}
