// The application: one running program per user, the settings object, the
// interface language, the one document with its font cache, and the main
// window. At exit it writes the settings back.
#pragma once

#include <QString>

#include <memory>
#include <string>

class CAppSettings;
class CFontManager;
class CMainFrame;
class CSingleInstance;
class CVestrelDoc;
class QFont;
class QTranslator;

class CVestrelApp {
 public:
  CVestrelApp();
  ~CVestrelApp();
  CVestrelApp(const CVestrelApp&) = delete;
  CVestrelApp& operator=(const CVestrelApp&) = delete;

  // True when the main window is up; false ends the program at once (also
  // when another instance was found and asked to come to the front).
  // `commandLine` is the whole command line, taken before the toolkit
  // removes its own options; only "-lang e" is looked for in it.
  bool InitInstance(const std::string& commandLine);
  // Writes the settings when they exist (not in a second instance) and this
  // program answers later starts (not beside one that holds the name without
  // answering).
  int ExitInstance();
  bool WritesSettings() const { return writesSettings_; }

  CAppSettings* GetSettings() const { return settings_; }
  CVestrelDoc* GetDocument() const { return doc_.get(); }
  CFontManager* GetFontManager() const { return fonts_.get(); }
  CMainFrame* GetMainFrame() const { return frame_.get(); }
  void OnAppAbout();

  // For tests and the screenshot tool: the name of the single-instance
  // channel, the interface language (instead of the locale variables), and
  // the folder of the settings file.
  void SetInstanceName(const QString& name) { instanceName_ = name; }
  void SetUiLanguage(int language) { uiLanguage_ = language; }
  void SetSettingsFolder(const std::string& folder) { settingsFolder_ = folder; }

 private:
  // Qt's translations and the interface font for the resource library in
  // use ("" the built-in Japanese, "VrEngRc", "VrChsRc").
  void UseToolkitLanguage(const std::string& library);

  QString instanceName_;
  int uiLanguage_ = 0;
  std::string settingsFolder_;
  bool writesSettings_ = false;
  std::unique_ptr<CSingleInstance> instance_;
  CAppSettings* settings_ = nullptr;
  std::unique_ptr<CVestrelDoc> doc_;
  std::unique_ptr<CFontManager> fonts_;
  std::unique_ptr<CMainFrame> frame_;
  std::unique_ptr<QTranslator> qtTranslator_;
  std::unique_ptr<QFont> savedFont_;
};
