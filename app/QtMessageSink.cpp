#include "QtMessageSink.h"

#include "Resources.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMessageBox>

namespace {

// A message box as the original platform shows it: a box with a Cancel
// button or a single button closes with Esc and its close box, a Yes/No
// question does not (the toolkit would answer No for the user, and the close
// question would then drop unsaved work). It opens centred on the window
// given: the dialog that raised it, or the program's main window.
class CProgramMessageBox : public QMessageBox {
 public:
  CProgramMessageBox(QWidget* parent, QWidget* centreOn, bool answerRequired)
      : QMessageBox(parent), centreOn_(centreOn), answerRequired_(answerRequired) {
    if (answerRequired_) setWindowFlag(Qt::WindowCloseButtonHint, false);
  }

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (answerRequired_ && event->matches(QKeySequence::Cancel)) {
      event->accept();
      return;
    }
    QMessageBox::keyPressEvent(event);
  }
  void closeEvent(QCloseEvent* event) override {
    if (answerRequired_ && !clickedButton()) {
      event->ignore();
      return;
    }
    QMessageBox::closeEvent(event);
  }
  void showEvent(QShowEvent* event) override {
    // The box takes its final size here; only then can it be centred.
    QMessageBox::showEvent(event);
    if (!centreOn_) return;
    QRect frame = frameGeometry();
    frame.moveCenter(centreOn_->frameGeometry().center());
    move(frame.topLeft());
  }

 private:
  QPointer<QWidget> centreOn_;
  bool answerRequired_;
};

// The program's main window: the one set on the sink, else the visible
// top-level window of the main window's class.
QWidget* FindMainWindow(QWidget* set) {
  if (set) return set;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible() && w->objectName() == QLatin1String("MyVestrelClass")) return w;
  return nullptr;
}

}  // namespace

QString MessageText(int stringId, const std::vector<MsgArg>& args) {
  return QString::fromStdString(FormatMessageText(vrres::LoadString(stringId).toStdString(), args));
}

int CQtMessageSink::Show(int stringId, const std::vector<MsgArg>& args, MsgButtons buttons, MsgIcon icon) {
  QWidget* main = FindMainWindow(mainWindow_);
  // Owned by the window in front (a dialog over the main window stays
  // behind the box). A box raised by a dialog opens over that dialog, where
  // the user is looking; any other over the main window.
  QWidget* dialog = QApplication::activeModalWidget();
  QWidget* owner = dialog;
  if (!owner) owner = QApplication::activeWindow();
  if (!owner) owner = main;
  CProgramMessageBox box(owner, dialog ? dialog : main, buttons == MsgButtons::YesNo);
  box.setWindowTitle(vrres::AppTitle());
  // The texts hold names as they stand (a file name, a signal name): one
  // with a tag or an entity in it must not be rendered as markup.
  box.setTextFormat(Qt::PlainText);
  box.setText(MessageText(stringId, args));
  switch (icon) {
    case MsgIcon::Error:
      box.setIcon(QMessageBox::Critical);
      break;
    case MsgIcon::Warning:
      box.setIcon(QMessageBox::Warning);
      break;
    case MsgIcon::Question:
      box.setIcon(QMessageBox::Question);
      break;
    case MsgIcon::Information:
      box.setIcon(QMessageBox::Information);
      break;
    case MsgIcon::None:
      box.setIcon(QMessageBox::NoIcon);
      break;
  }
  switch (buttons) {
    case MsgButtons::YesNo:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      box.setDefaultButton(QMessageBox::Yes);
      break;
    case MsgButtons::OkCancel:
      box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
      box.setDefaultButton(QMessageBox::Ok);
      box.setEscapeButton(QMessageBox::Cancel);
      break;
    case MsgButtons::Ok:
      box.setStandardButtons(QMessageBox::Ok);
      box.setEscapeButton(QMessageBox::Ok);
      break;
  }
  switch (box.exec()) {
    case QMessageBox::Yes:
      return MSG_YES;
    case QMessageBox::No:
      return MSG_NO;
    case QMessageBox::Cancel:
      return MSG_CANCEL;
    case QMessageBox::Ok:
      return MSG_OK;
    default:
      break;
  }
  // Only a box that can be dismissed gets here: its dismissal answer.
  if (buttons == MsgButtons::OkCancel) return MSG_CANCEL;
  if (buttons == MsgButtons::YesNo) return MSG_NO;
  return MSG_OK;
}
