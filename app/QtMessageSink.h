// The message box of the program: the text of the string-table entry in the
// active language, its placeholders filled from the arguments, the program's
// title as caption.
#pragma once

#include "MessageBox.h"

#include <QPointer>
#include <QString>
#include <QWidget>

// Yes/No questions answer only with Yes or No (Esc and the close box do
// nothing); a box opens centred on the modal dialog that raised it, any
// other on the main window.
class CQtMessageSink : public IMessageSink {
 public:
  int Show(int stringId, const std::vector<MsgArg>& args, MsgButtons buttons, MsgIcon icon) override;
  // The window the boxes outside a dialog are centred on; without one, the
  // visible main window of the program.
  void SetMainWindow(QWidget* window) { mainWindow_ = window; }

 private:
  QPointer<QWidget> mainWindow_;
};

// The text a message shows (also for tests): string `stringId` of the active
// set with its placeholders filled.
QString MessageText(int stringId, const std::vector<MsgArg>& args);
