// The FlexRay, LIN and LOGIC dialog runs for the lists.
#include "DefinitionDialogsQt.h"

#include "FlexRayDlg.h"
#include "LinDlg.h"
#include "LogicDlg.h"

namespace {

// Mode, anchor, records and table into a frame dialog; run; what it says.
template <class Dlg, class Request>
DefDialogResult RunFrameDialog(QWidget* parent, const Request& r) {
  Dlg dlg(parent);
  dlg.SetMode(r.mode);
  dlg.SetAnchor(CDefinitionDialogsQt::AnchorRect(r.anchor));
  dlg.SetMessageTable(r.messages);
  dlg.SetTarget(r.msg, r.signal);
  dlg.SetEditedSignalName(r.editedSignalName);
  dlg.SetHexFlag(r.hexFlag);
  DefDialogResult result;
  result.ok = dlg.exec() == QDialog::Accepted;
  result.modified = result.ok && dlg.IsModified();
  result.hexFlag = dlg.HexFlag();
  return result;
}

}  // namespace

DefDialogResult CDefinitionDialogsQt::RunFlexRayDialog(const FlexRayDialogRequest& request) {
  return RunFrameDialog<CFlexRayDlg>(parent_, request);
}

DefDialogResult CDefinitionDialogsQt::RunLinDialog(const LinDialogRequest& request) {
  return RunFrameDialog<CLinDlg>(parent_, request);
}

DefDialogResult CDefinitionDialogsQt::RunLogicDialog(const LogicDialogRequest& request) {
  CLogicDlg dlg(parent_);
  dlg.SetMode(request.mode);
  dlg.SetAnchor(AnchorRect(request.anchor));
  dlg.SetGroups(request.groups);
  dlg.SetSymbol(request.symbol);
  dlg.SetGroupIndex(request.groupIndex);
  dlg.SetRowUpdater(request.updateRow);
  DefDialogResult result;
  result.ok = dlg.exec() == QDialog::Accepted;
  result.modified = result.ok && dlg.IsModified();
  result.groupIndex = result.ok ? dlg.GroupIndex() : request.groupIndex;
  return result;
}
