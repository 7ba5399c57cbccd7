// The definition dialogs of the lists as Qt dialogs: each Run* builds the
// dialog of its bus kind on the stack, hands it the request and runs it
// modally (see DefDialogs.h for what goes in and comes out). Tests put
// scripted dialogs in their place with SetDefinitionDialogs.
#pragma once

#include "DefDialogs.h"

#include <QRect>

class QWidget;

class CDefinitionDialogsQt : public IDefinitionDialogs {
 public:
  explicit CDefinitionDialogsQt(QWidget* parent) : parent_(parent) {}

  DefDialogResult RunCanDialog(const CanDialogRequest& request) override;
  DefDialogResult RunFlexRayDialog(const FlexRayDialogRequest& request) override;
  DefDialogResult RunLinDialog(const LinDialogRequest& request) override;
  DefDialogResult RunLogicDialog(const LogicDialogRequest& request) override;

  // The anchor as the dialogs take it.
  static QRect AnchorRect(const DefDialogAnchor& anchor);
  // The screen rectangle of a window, as an anchor (all zero for none).
  static DefDialogAnchor AnchorOf(const QWidget* window);

 private:
  QWidget* parent_;
};

// The dialogs the list windows use: installed ones (tests), or null for the
// Qt dialogs. Null restores the Qt dialogs.
void SetDefinitionDialogs(IDefinitionDialogs* dialogs);
IDefinitionDialogs* InstalledDefinitionDialogs();
