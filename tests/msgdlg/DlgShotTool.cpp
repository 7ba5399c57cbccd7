// Grabs a definition dialog to a PNG in one language, headless:
// vr_dlgshot <ja|en|zh> <file.png> [held]. The J1939 identifier dialog opens
// on a sample identifier; "held" types a PGN that OK's press recomposes and
// grabs the message of the held press.
#include "EditINT.h"
#include "HeldPressShot.h"
#include "J1939Dlg.h"
#include "QtMessageSink.h"
#include "Resources.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: vr_dlgshot <ja|en|zh> <file.png> [held]\n");
    return 2;
  }
  QApplication app(argc, argv);
  const std::string lang = argv[1];
  if (lang == "en" && !vrres::LoadLanguageLibrary(QStringLiteral(VR_RCC_DIR "/VrEngRc.rcc"))) return 1;
  if (lang == "zh" && !vrres::LoadLanguageLibrary(QStringLiteral(VR_RCC_DIR "/VrChsRc.rcc"))) return 1;
  CJ1939Dlg dlg;
  dlg.SetId(0x18EA12FE);
  dlg.SetHexFlag(1);
  dlg.SetMessageName("EngineRequest");
  dlg.show();
  int rc = 0;
  if (argc > 3 && std::string(argv[3]) == "held") {
    CQtMessageSink sink;
    SetMessageSink(&sink);
    if (!vrtest::GrabHeldPress(dlg, dlg.PgnEdit(), QStringLiteral("EA12"), dlg.GetDlgItem(1),
                               QString::fromLocal8Bit(argv[2])))
      rc = 1;
    SetMessageSink(nullptr);
    return rc;
  }
  QTimer::singleShot(200, [&] {
    if (!dlg.grab().save(QString::fromLocal8Bit(argv[2]))) rc = 1;
    app.quit();
  });
  app.exec();
  return rc;
}
