// Builds the main window in one language, as a start in that language would,
// and writes it to a PNG: vr_shot <ja|en|zh> <file.png> [--sample]. With
// --sample both lists show a few CAN rows. Run headless.
#include "MainFrame.h"
#include "ListDlg.h"
#include "ShellFakes.h"
#include "TextFile.h"
#include "VestrelApp.h"
#include "VestrelDoc.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

void AddSample(CVestrelDoc& doc, int list, const char* msgName, int id, std::initializer_list<const char*> sigs) {
  _CANMsg* m = doc.AllocCanMsg();
  CopyToCharBuffer(m->name, msgName, MAX_NAME_LEN);
  m->id = id;
  m->byteCount = 8;
  doc.AddCanMsg(m, list);
  int n = static_cast<int>(doc.CountCanSignals(list));
  for (const char* s : sigs) {
    _CANSignal* sig = doc.AllocCanSignal();
    CopyToCharBuffer(sig->name, s, MAX_NAME_LEN);
    sig->loadNo = n++;
    doc.AddCanSignal(m, sig);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: vr_shot <ja|en|zh> <file.png> [--sample]\n");
    return 2;
  }
  const std::string lang = argv[1];
  const char* out = argv[2];
  const bool sample = argc > 3 && std::strcmp(argv[3], "--sample") == 0;
  QApplication qapp(argc, argv);
  QTemporaryDir settingsDir;
  FakeAppEnvironment env(VR_RCC_DIR);
  CVestrelApp app;
  app.SetInstanceName(QStringLiteral("MyVestrelClass-shot-%1").arg(::getpid()));
  app.SetSettingsFolder(settingsDir.path().toStdString());
  app.SetUiLanguage(lang == "zh" ? 2052 : 1041);
  if (!app.InitInstance(lang == "en" ? "vr_shot -lang e" : "vr_shot")) return 1;
  CMainFrame* frame = app.GetMainFrame();
  frame->resize(1000, 560);
  if (sample) {
    CVestrelDoc* doc = app.GetDocument();
    AddSample(*doc, LIST_REFERENCE, "EngineData", 0x100, {"EngineSpeed", "EngineTemp", "ThrottlePos"});
    AddSample(*doc, LIST_REFERENCE, "BrakeStatus", 0x1A0, {"BrakePressure", "BrakeSwitch"});
    AddSample(*doc, LIST_REFERENCE, "Gearbox", 0x2F0, {"GearSelected", "ShiftRequest", "OilTemp"});
    AddSample(*doc, LIST_DEFINITION, "EngineData", 0x100, {"EngineSpeed", "ThrottlePos"});
    frame->RefList()->RefreshList();
    frame->DefList()->RefreshList();
    frame->RefList()->SetFilePath("/data/vehicle.dbc");
    frame->RefList()->UpdateFileName();
    frame->RefList()->List().SetRowSelected(3, true);
    frame->RefList()->List().SetRowSelected(4, true);
  }
  int rc = 0;
  QTimer::singleShot(300, [&] {
    if (!frame->grab().save(QString::fromLocal8Bit(out))) rc = 1;
    frame->close();
    qapp.quit();
  });
  qapp.exec();
  app.ExitInstance();
  return rc;
}
