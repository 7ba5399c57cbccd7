#include "MainFrame.h"
#include "MessageBox.h"
#include "Process.h"
#include "QtMessageSink.h"
#include "ShellLogic.h"
#include "VestrelApp.h"

#include <QApplication>

int main(int argc, char** argv) {
  PrepareProcess();
  // The command line as it was given, before the toolkit takes its options.
  const std::string commandLine = JoinCommandLine(argc, argv);
  QApplication qapp(argc, argv);
  CQtMessageSink sink;
  SetMessageSink(&sink);
  int code = 0;
  {
    CVestrelApp app;
    if (app.InitInstance(commandLine)) {
      sink.SetMainWindow(app.GetMainFrame());
      code = qapp.exec();
    }
    app.ExitInstance();
  }
  SetMessageSink(nullptr);
  return code;
}
