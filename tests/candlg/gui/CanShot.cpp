// Grabs the CAN dialog in one language to a PNG, headless:
// vr_canshot <ja|en|zh> <file.png> [edit|view|new|mux|held]. The dialog edits
// a signal of a 16-byte message whose other signals fill part of the grid;
// "mux" edits it as a J1939 message stored as "STD" whose signal names a
// multiplexor that is not in the message; "held" types a byte count that
// cuts the signal and clicks OK, and grabs the message of the held press.
#include <QApplication>
#include <QLineEdit>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <string>

#include "CanDlg.h"
#include "CanDlgFixture.h"
#include "HeldPressShot.h"
#include "QtMessageSink.h"
#include "Resources.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: vr_canshot <ja|en|zh> <file.png> [edit|view|new|mux|held]\n");
    return 2;
  }
  const std::string lang = argv[1];
  const char* out = argv[2];
  const std::string mode = argc > 3 ? argv[3] : "edit";
  QApplication qapp(argc, argv);
  if (lang == "en" && !vrres::LoadLanguageLibrary(QStringLiteral(VR_RCC_DIR "/VrEngRc.rcc"))) return 1;
  if (lang == "zh" && !vrres::LoadLanguageLibrary(QStringLiteral(VR_RCC_DIR "/VrChsRc.rcc"))) return 1;

  CanTableFixture t;
  _CANMsg* m = t.Msg("EngineData", 16, 0x100);
  t.Sig(m, "EngineSpeed", 0, 16);
  t.Sig(m, "EngineTemp", 16, 8);
  t.Sig(m, "OilPressure", 40, 12);
  _CANSignal* s = t.Sig(m, "ThrottlePos", 64, 10);
  s->factor = 0.1;
  CopyToCharBuffer(s->unit, "%", MAX_NAME_LEN);
  t.Sig(m, "Checksum", 120, 8);
  if (mode == "mux") {
    m->j1939 = 1;
    CopyToCharBuffer(s->multiplexor, "GearSelect", MAX_NAME_LEN);
    s->multiplexValue = "1,3-5";
  }

  CCanDlg dlg;
  _CANMsg fresh;
  _CANSignal freshSig;
  if (mode == "new") {
    dlg.SetMode(DLGMODE_NEW);
    dlg.SetTarget(&fresh, &freshSig);
  } else {
    dlg.SetMode(mode == "view" ? DLGMODE_VIEW : DLGMODE_EDIT);
    dlg.SetTarget(m, s);
  }
  dlg.SetMessageTable(&t.table);
  dlg.SetHexFlag(1);
  dlg.show();
  int rc = 0;
  if (mode == "held") {
    CQtMessageSink sink;
    SetMessageSink(&sink);
    if (!vrtest::GrabHeldPress(dlg, qobject_cast<QLineEdit*>(dlg.GetDlgItem(dlgids::IDC_BYTE_COUNT)),
                               QStringLiteral("8"), dlg.GetDlgItem(dlgids::IDC_OK), QString::fromLocal8Bit(out)))
      rc = 1;
    SetMessageSink(nullptr);
    return rc;
  }
  QTimer::singleShot(300, [&] {
    if (!dlg.grab().save(QString::fromLocal8Bit(out))) rc = 1;
    dlg.close();
    qapp.quit();
  });
  qapp.exec();
  return rc;
}
