// Opens the FlexRay, LIN or LOGIC dialog in edit mode on sample definitions,
// in one language, and writes it to a PNG:
// vr_frlinshot <ja|en|zh> <flexray|lin|logic> <file.png> [view]. Run headless.
#include "FlexRayDlg.h"
#include "LinDlg.h"
#include "LogicDlg.h"
#include "Resources.h"
#include "SampleDefs.h"
#include "UiFonts.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <memory>

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: vr_frlinshot <ja|en|zh> <flexray|lin|logic> <file.png>\n");
    return 2;
  }
  const std::string lang = argv[1];
  const std::string which = argv[2];
  QApplication app(argc, argv);
  if (lang == "en") vrres::LoadLanguageLibrary(QStringLiteral(VR_RCC_DIR "/VrEngRc.rcc"));
  if (lang == "zh") vrres::LoadLanguageLibrary(QStringLiteral(VR_RCC_DIR "/VrChsRc.rcc"));
  // The interface font the program sets for the language.
  const vrres::UiScript script = lang == "en"   ? vrres::UiScript::Latin
                                 : lang == "zh" ? vrres::UiScript::ChineseSimplified
                                                : vrres::UiScript::Japanese;
  vrres::InstallFaceSubstitutes(script);
  QApplication::setFont(vrres::InterfaceFont(script, QApplication::font()));
  CVestrelDoc doc;
  sample::Fill(doc);
  std::unique_ptr<CMsgDlg> dlg;
  if (which == "flexray") {
    auto* d = new CFlexRayDlg;
    _FlexRayMsg* m = doc.GetFlexRayMsgTable(LIST_DEFINITION).Find("ENGINEFRAME");
    d->SetTarget(m, m->signals.Find("TEMP"));
    d->SetMessageTable(&doc.GetFlexRayMsgTable(LIST_DEFINITION));
    d->SetEditedSignalName("Temp");
    dlg.reset(d);
  } else if (which == "lin") {
    auto* d = new CLinDlg;
    _LINMsg* m = doc.GetLinMsgTable(LIST_DEFINITION).Find("DOORSTATUS");
    d->SetTarget(m, m->signals.Find("WINDOW"));
    d->SetMessageTable(&doc.GetLinMsgTable(LIST_DEFINITION));
    d->SetEditedSignalName("Window");
    d->SetHexFlag(1);
    dlg.reset(d);
  } else {
    auto* d = new CLogicDlg;
    d->SetGroups(doc.GetLogicGroup(LIST_DEFINITION, 0));
    d->SetSymbol(doc.GetLogicGroup(LIST_DEFINITION, 0)->symbols.Find("START"));
    d->SetGroupIndex(0);
    dlg.reset(d);
  }
  dlg->SetMode(argc > 4 && std::string(argv[4]) == "view" ? DLGMODE_VIEW : DLGMODE_EDIT);
  dlg->show();
  int rc = 0;
  QTimer::singleShot(300, [&] {
    if (!dlg->grab().save(QString::fromLocal8Bit(argv[3]))) rc = 1;
    dlg->close();
    app.quit();
  });
  app.exec();
  return rc;
}
