#include "VestrelApp.h"

#include "AboutDlg.h"
#include "FontManager.h"
#include "MainFrame.h"
#include "Resources.h"
#include "Seams.h"
#include "SettingsBridge.h"
#include "ShellLogic.h"
#include "SingleInstance.h"
#include "UiFonts.h"
#include "VestrelDoc.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QString>
#include <QTranslator>

#include <cstdlib>

CVestrelApp::CVestrelApp() = default;

CVestrelApp::~CVestrelApp() {
  frame_.reset();
  doc_.reset();
  fonts_.reset();
  settings::Destroy(settings_);
  if (qtTranslator_) QCoreApplication::removeTranslator(qtTranslator_.get());
  if (savedFont_) QApplication::setFont(*savedFont_);
}

void CVestrelApp::UseToolkitLanguage(const std::string& library) {
  // The toolkit's own texts (Yes/No, the file dialogs) and the interface
  // font follow the language the program's texts are shown in: "" is the
  // built-in Japanese.
  const bool chinese = library == "VrChsRc";
  const vrres::UiScript script = library.empty() ? vrres::UiScript::Japanese
                                 : chinese       ? vrres::UiScript::ChineseSimplified
                                                 : vrres::UiScript::Latin;
  vrres::InstallFaceSubstitutes(script);
  if (!savedFont_) savedFont_ = std::make_unique<QFont>(QApplication::font());
  QApplication::setFont(vrres::InterfaceFont(script, *savedFont_));

  const QString qtLanguage = library.empty() ? QStringLiteral("ja") : chinese ? QStringLiteral("zh_CN") : QString();
  if (qtTranslator_) QCoreApplication::removeTranslator(qtTranslator_.get());
  qtTranslator_.reset();
  if (qtLanguage.isEmpty()) return;  // the toolkit's texts are English already
  auto translator = std::make_unique<QTranslator>();
  if (translator->load(QStringLiteral("qtbase_") + qtLanguage, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(translator.get());
    qtTranslator_ = std::move(translator);
  }
}

bool CVestrelApp::InitInstance(const std::string& commandLine) {
  // 1. One program per user: a running one is asked to come forward.
  instance_ =
      std::make_unique<CSingleInstance>(instanceName_.isEmpty() ? CSingleInstance::DefaultName() : instanceName_);
  if (instance_->AskRunningInstance()) return false;
  // A program that holds the name but does not answer (stopped, hung) is
  // still running and writes the settings file when it ends: this one runs
  // as well, so the user can work, but never writes that file.
  writesSettings_ = instance_->Listen();

  // 2-3. Settings; a missing or empty file leaves the defaults.
  settings_ = settings::Create(settingsFolder_);
  settings::Load(settings_);

  // 4. Interface language; a library that does not load keeps Japanese.
  const int language =
      uiLanguage_ != 0 ? uiLanguage_
                       : UiLanguageFromLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
  const std::string library = ChooseResourceLibrary(language, commandLine);
  vrres::UseBuiltin();
  const bool loaded = !library.empty() && vrres::LoadLanguageLibrary(QString::fromStdString(
                                              ResourceLibraryPath(AppEnvironment().ExecutableFolder(), library)));
  UseToolkitLanguage(loaded ? library : std::string());

  // 5-6. The one document, always empty at start: file names on the command
  // line are not opened. It takes the document state from the settings.
  doc_ = std::make_unique<CVestrelDoc>();
  fonts_ = std::make_unique<CFontManager>();
  doc_->OnNewDocument(settings_);
  frame_ = std::make_unique<CMainFrame>(doc_.get(), fonts_.get(), settings_);
  frame_->SetAboutHandler([this] { OnAppAbout(); });
  if (!frame_->Create()) return false;
  QObject::connect(instance_.get(), &CSingleInstance::raiseRequested, frame_.get(), &CMainFrame::RestoreAndRaise);

  // 7. Show the main window.
  frame_->ShowAsPlaced();
  return true;
}

int CVestrelApp::ExitInstance() {
  if (settings_ && writesSettings_) settings::Save(settings_);
  return 0;
}

void CVestrelApp::OnAppAbout() {
  CAboutDlg dlg(frame_.get());
  dlg.exec();
}
