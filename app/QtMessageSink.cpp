#include "QtMessageSink.h"

#include "Resources.h"

#include <QApplication>
#include <QMessageBox>

QString MessageText(int stringId, const std::vector<MsgArg>& args) {
  return QString::fromStdString(FormatMessageText(vrres::LoadString(stringId).toStdString(), args));
}

int CQtMessageSink::Show(int stringId, const std::vector<MsgArg>& args, MsgButtons buttons, MsgIcon icon) {
  QMessageBox box(QApplication::activeWindow());
  box.setWindowTitle(vrres::AppTitle());
  box.setText(MessageText(stringId, args));
  switch (icon) {
    case MsgIcon::Error: box.setIcon(QMessageBox::Critical); break;
    case MsgIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
  }
  switch (buttons) {
    case MsgButtons::YesNo:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      box.setDefaultButton(QMessageBox::Yes);
      break;
    case MsgButtons::OkCancel:
      box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
      box.setDefaultButton(QMessageBox::Ok);
      break;
    case MsgButtons::Ok:
      box.setStandardButtons(QMessageBox::Ok);
      break;
  }
  switch (box.exec()) {
    case QMessageBox::Yes: return MSG_YES;
    case QMessageBox::No: return MSG_NO;
    case QMessageBox::Cancel: return MSG_CANCEL;
    case QMessageBox::Ok: return MSG_OK;
    default: break;
  }
  // Closing a question with the window's close box answers No or Cancel.
  if (buttons == MsgButtons::YesNo) return MSG_NO;
  if (buttons == MsgButtons::OkCancel) return MSG_CANCEL;
  return MSG_OK;
}
