// Opening the definition dialogs from the lists, without any window: which
// records the first selected row stands for (or fresh ones for a new
// definition), the run of the bus kind's dialog behind IDefinitionDialogs,
// and afterwards the tables and the rows of both lists brought up to date.
//
// The seam. Each Run* method runs one dialog modally on the records of its
// request and answers how it ended. The dialogs work on copies and write
// into the records of the request only on OK; what OK wrote is told by
// `modified`. Everything else (re-keying a renamed record, putting fresh
// records into the tables, giving them back on Cancel, rewriting rows) is
// done here, by the caller of the seam, never by the dialogs.
//
//   DefDialogResult RunCanDialog(const CanDialogRequest& r)
//     CCanDlg dlg(parent); dlg.SetMode(r.mode);
//     dlg.SetAnchor(CDefinitionDialogsQt::AnchorRect(r.anchor));
//     dlg.SetMessageTable(r.messages); dlg.SetTarget(r.msg, r.signal);
//     for each pair of r.rowNames: dlg.AddNames(first, second);
//     dlg.SetHexFlag(r.hexFlag); then exec(); answer
//     {ok: exec() == Accepted, modified: dlg.IsModified(), hexFlag: the
//      dialog's flag at the end}.
//   DefDialogResult RunFlexRayDialog(const FlexRayDialogRequest& r)
//     CFlexRayDlg the same way, with r.editedSignalName as the name under
//     which the edited signal is stored (empty for a new definition).
//   DefDialogResult RunLinDialog(const LinDialogRequest& r)
//     CLinDlg the same way.
//   DefDialogResult RunLogicDialog(const LogicDialogRequest& r)
//     CLogicDlg with the five groups, the symbol and r.groupIndex; after OK
//     `groupIndex` is the group the symbol belongs to now. While its OK refits
//     the patterns of a group whose bit count changed, the dialog calls
//     r.updateRow for each refitted symbol (the definition list's row).
//
// In view mode every dialog closes on OK without a check and answers
// {ok: true, modified: false}. Any end but OK answers ok false; modified and
// the flag are then not read. The Qt runs live in app/DefDialogRunCan.cpp
// (CAN) and app/DefDialogRunFrLinLogic.cpp (FlexRay, LIN, LOGIC).
#pragma once

#include "BusTypes.h"
#include "ListRows.h"
#include "NameMap.h"
#include "Records.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

class CListLogic;
class CVestrelDoc;

// A window rectangle in screen coordinates: the partner list window, beside
// which a definition dialog opens. All zero when there is none.
struct DefDialogAnchor {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

struct DefDialogResult {
  bool ok = false;        // the dialog ended with OK
  bool modified = false;  // OK wrote at least one field into the records
  int hexFlag = 0;        // CAN, FlexRay, LIN: 1 identifiers in hexadecimal at the end
  int groupIndex = 0;     // LOGIC: the group (0..4) the symbol is in after OK
};

struct CanDialogRequest {
  int mode = DLGMODE_VIEW;  // DlgMode
  _CANMsg* msg = nullptr;   // the target records; fresh ones in DLGMODE_NEW
  _CANSignal* signal = nullptr;
  // The CAN table of the list that opened the dialog.
  NameMap<_CANMsg>* messages = nullptr;
  // (message name, signal name) of every row of that list, in row order.
  std::vector<std::pair<std::string, std::string>> rowNames;
  int hexFlag = 0;  // 1 when the document shows identifiers in hexadecimal
  DefDialogAnchor anchor;
};

// The FlexRay and LIN requests: as the CAN one, without the row names.
template <class Msg, class Sig>
struct FrameDialogRequest {
  int mode = DLGMODE_VIEW;
  Msg* msg = nullptr;
  Sig* signal = nullptr;
  NameMap<Msg>* messages = nullptr;
  // The name under which the edited signal is stored (the target's name
  // when the dialog opens; empty for a new definition).
  std::string editedSignalName;
  int hexFlag = 0;
  DefDialogAnchor anchor;
};
using FlexRayDialogRequest = FrameDialogRequest<_FlexRayMsg, _FlexRaySignal>;
using LinDialogRequest = FrameDialogRequest<_LINMsg, _LINSignal>;

// Rewrites the definition list's row of one symbol: (old name, old group
// index, the symbol's group, the symbol).
using LogicRowUpdater = std::function<void(const std::string&, int, const _LOGICGroup&, const _LOGICSignal&)>;

struct LogicDialogRequest {
  int mode = DLGMODE_VIEW;
  _LOGICGroup* groups = nullptr;  // the five groups of the list
  _LOGICSignal* symbol = nullptr;
  int groupIndex = 0;  // the symbol's group; 0 for a new symbol
  DefDialogAnchor anchor;
  LogicRowUpdater updateRow;
};

class IDefinitionDialogs {
 public:
  virtual ~IDefinitionDialogs() = default;
  virtual DefDialogResult RunCanDialog(const CanDialogRequest& request) = 0;
  virtual DefDialogResult RunFlexRayDialog(const FlexRayDialogRequest& request) = 0;
  virtual DefDialogResult RunLinDialog(const LinDialogRequest& request) = 0;
  virtual DefDialogResult RunLogicDialog(const LogicDialogRequest& request) = 0;
};

// Runs the definition dialog of the bus kind of `logic` on the first row of
// `selection` (view and edit mode) or on fresh records (DLGMODE_NEW), with
// the tables of `list`. Answers 1 when records and rows were changed (the
// caller then sets the modified flag and shows the rows of this list and of
// its partner again), 0 otherwise. A row whose records cannot be found
// shows message IDS_MSG_NO_DATA and opens nothing.
int OpenDefinitionDialog(CListLogic& logic, IDefinitionDialogs& dialogs, int list, int mode,
                         const std::vector<int>& selection, const DefDialogAnchor& anchor);

// Row updates. Each works on rows of a list of the given bus kind and
// rewrites only the cells its rule names.

// Rewrites the identifier column from `fromFormat` into `newFormat`
// (MsgIdFormat); nothing when they agree or for LOGIC.
void ConvertIdColumn(ListRows& rows, int busKind, int fromFormat, int newFormat);
// The rows of an edited message: every row of the old message name (without
// regard to case) gets the new name and identifier (`idFormat`), and the
// signal cell of the old signal name becomes the new signal name.
void UpdateCanRows(ListRows& rows, const std::string& oldMsgName, const std::string& oldSigName, const _CANMsg& msg,
                   const char* sigName, int idFormat);
void UpdateFlexRayLinRows(ListRows& rows, const std::string& oldMsgName, const std::string& oldSigName,
                          const _FlexRayMsg& msg, const char* sigName, int idFormat);
void UpdateFlexRayLinRows(ListRows& rows, const std::string& oldMsgName, const std::string& oldSigName,
                          const _LINMsg& msg, const char* sigName, int idFormat);
// The row of an edited symbol: name, group number, bit count and pattern.
void UpdateLogicRow(ListRows& rows, const std::string& oldName, int oldGroupIndex, const _LOGICGroup& group,
                    const _LOGICSignal& symbol);
