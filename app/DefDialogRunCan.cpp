// The CAN dialog run for the lists.
#include "CanDlg.h"
#include "DefinitionDialogsQt.h"

DefDialogResult CDefinitionDialogsQt::RunCanDialog(const CanDialogRequest& request) {
  CCanDlg dlg(parent_);
  dlg.SetMode(request.mode);
  dlg.SetAnchor(AnchorRect(request.anchor));
  dlg.SetMessageTable(request.messages);
  dlg.SetTarget(request.msg, request.signal);
  for (const auto& names : request.rowNames) dlg.AddNames(names.first, names.second);
  dlg.SetHexFlag(request.hexFlag);
  DefDialogResult result;
  result.ok = dlg.exec() == QDialog::Accepted;
  result.modified = result.ok && dlg.IsModified();
  result.hexFlag = dlg.HexFlag();
  return result;
}
