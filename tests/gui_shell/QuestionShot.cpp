// Grabs the close question over the main window in one language, as a start
// in that language shows it: vr_shot_question <ja|en|zh> <file.png>. Run
// headless; the picture is the main window's part of the screen, with the
// question over it.
#include "ListDlg.h"
#include "MainFrame.h"
#include "MessageBox.h"
#include "QtMessageSink.h"
#include "ResIds.h"
#include "ShellFakes.h"
#include "TextFile.h"
#include "VestrelApp.h"
#include "VestrelDoc.h"

#include <QApplication>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: vr_shot_question <ja|en|zh> <file.png>\n");
    return 2;
  }
  const std::string lang = argv[1];
  const QString out = QString::fromLocal8Bit(argv[2]);
  QApplication qapp(argc, argv);
  QTemporaryDir settingsDir;
  FakeAppEnvironment env(VR_RCC_DIR);
  CQtMessageSink sink;
  SetMessageSink(&sink);
  int rc = 1;
  {
    CVestrelApp app;
    app.SetInstanceName(QStringLiteral("MyVestrelClass-qshot-%1").arg(::getpid()));
    app.SetSettingsFolder(settingsDir.path().toStdString());
    app.SetUiLanguage(lang == "zh" ? 2052 : 1041);
    if (!app.InitInstance(lang == "en" ? "vr_shot_question -lang e" : "vr_shot_question")) return 1;
    CMainFrame* frame = app.GetMainFrame();
    frame->setGeometry(20, 20, 760, 520);
    CVestrelDoc* doc = app.GetDocument();
    _CANMsg* m = doc->AllocCanMsg();
    CopyToCharBuffer(m->name, "EngineData", MAX_NAME_LEN);
    m->id = 0x100;
    m->byteCount = 8;
    doc->AddCanMsg(m, LIST_DEFINITION);
    _CANSignal* s = doc->AllocCanSignal();
    CopyToCharBuffer(s->name, "EngineSpeed", MAX_NAME_LEN);
    s->bitCount = 16;
    doc->AddCanSignal(m, s);
    frame->DefList()->RefreshList();
    doc->SetDefModified(true);
    // Once the question is up: grab the screen, then answer No.
    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box || !box->isVisible()) return;
      poll.stop();
      QTimer::singleShot(200, box, [&, box] {
        const QRect area = frame->frameGeometry();
        if (QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height()).save(out))
          rc = 0;
        box->button(QMessageBox::No)->click();
      });
    });
    QTimer::singleShot(300, [&] {
      poll.start();
      frame->close();
      qapp.quit();
    });
    qapp.exec();
    app.ExitInstance();
  }
  SetMessageSink(nullptr);
  return rc;
}
