// The FlexRay, LIN and LOGIC dialog runs for the lists.
#include "DefinitionDialogsQt.h"

DefDialogResult CDefinitionDialogsQt::RunFlexRayDialog(const FlexRayDialogRequest& /*request*/) {
  // No FlexRay dialog yet: the run ends as a Cancel would.
  return DefDialogResult{};
}

DefDialogResult CDefinitionDialogsQt::RunLinDialog(const LinDialogRequest& /*request*/) {
  // No LIN dialog yet: the run ends as a Cancel would.
  return DefDialogResult{};
}

DefDialogResult CDefinitionDialogsQt::RunLogicDialog(const LogicDialogRequest& /*request*/) {
  // No LOGIC dialog yet: the run ends as a Cancel would.
  return DefDialogResult{};
}
