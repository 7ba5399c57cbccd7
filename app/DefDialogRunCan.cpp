// The CAN dialog run for the lists.
#include "DefinitionDialogsQt.h"

DefDialogResult CDefinitionDialogsQt::RunCanDialog(const CanDialogRequest& /*request*/) {
  // No CAN dialog yet: the run ends as a Cancel would.
  return DefDialogResult{};
}
