// The message box of the program: the text of the string-table entry in the
// active language, its placeholders filled from the arguments, the program's
// title as caption.
#pragma once

#include "MessageBox.h"

#include <QString>

class QWidget;

class CQtMessageSink : public IMessageSink {
 public:
  int Show(int stringId, const std::vector<MsgArg>& args, MsgButtons buttons, MsgIcon icon) override;
};

// The text a message shows (also for tests): string `stringId` of the active
// set with its placeholders filled.
QString MessageText(int stringId, const std::vector<MsgArg>& args);
