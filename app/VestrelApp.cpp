#include "VestrelApp.h"

#include "AboutDlg.h"
#include "FontManager.h"
#include "MainFrame.h"
#include "Resources.h"
#include "Seams.h"
#include "SettingsBridge.h"
#include "ShellLogic.h"
#include "SingleInstance.h"
#include "VestrelDoc.h"

#include <QString>

#include <cstdlib>

CVestrelApp::CVestrelApp() = default;

CVestrelApp::~CVestrelApp() {
  frame_.reset();
  doc_.reset();
  fonts_.reset();
  settings::Destroy(settings_);
}

bool CVestrelApp::InitInstance(const std::string& commandLine) {
  // 1. One program per user: a running one is asked to come forward.
  instance_ = std::make_unique<CSingleInstance>(instanceName_.isEmpty() ? CSingleInstance::DefaultName() : instanceName_);
  if (instance_->AskRunningInstance()) return false;
  instance_->Listen();

  // 2-3. Settings; a missing or empty file leaves the defaults.
  settings_ = settings::Create(settingsFolder_);
  settings::Load(settings_);

  // 4. Interface language; a library that does not load keeps Japanese.
  const int language = uiLanguage_ != 0 ? uiLanguage_
                                        : UiLanguageFromLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"),
                                                               std::getenv("LANG"));
  const std::string library = ChooseResourceLibrary(language, commandLine);
  vrres::UseBuiltin();
  if (!library.empty())
    vrres::LoadLanguageLibrary(
        QString::fromStdString(ResourceLibraryPath(AppEnvironment().ExecutableFolder(), library)));

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
  if (settings_) settings::Save(settings_);
  return 0;
}

void CVestrelApp::OnAppAbout() {
  CAboutDlg dlg(frame_.get());
  dlg.exec();
}
