// What the shell asks of the platform, each behind an interface so that tests
// can stand in for it: the executable's folder and the program version, file
// dialogs, and opening a document or a web page with the desktop's program.
// The Qt implementations are in use until a test installs its own.
#pragma once

#include "ShellLogic.h"

#include <QString>

#include <string>

class QWidget;

class IAppEnvironment {
 public:
  virtual ~IAppEnvironment() = default;
  // The folder of the running executable, without a trailing '/'.
  virtual std::string ExecutableFolder() const = 0;
  // The version record of the running program.
  virtual void GetVersionInfo(VersionInfo* info) const = 0;
};

// One file dialog: the filters as the string table writes them
// ("desc|pattern|desc|pattern||"), the filter chosen first (1-based), and the
// starting folder and file name (empty for none).
struct FileDialogOptions {
  QString filterText;
  int filterIndex = 1;
  std::string folder;
  std::string fileName;
};

class IFileDialogs {
 public:
  virtual ~IFileDialogs() = default;
  // An existing file; false when the user cancelled.
  virtual bool AskOpenPath(QWidget* parent, const FileDialogOptions& options, std::string& path) = 0;
  // A file to write; the dialog itself does not ask about overwriting (the
  // caller does, once it has settled the extension). False when cancelled.
  virtual bool AskSavePath(QWidget* parent, const FileDialogOptions& options, std::string& path) = 0;
};

class IDesktop {
 public:
  virtual ~IDesktop() = default;
  // Opens a file with the desktop's program for it; false when the file is
  // missing or nothing could open it.
  virtual bool OpenDocument(const std::string& path) = 0;
  // Opens an address in the browser; false when nothing could open it.
  virtual bool OpenUrl(const std::string& url) = 0;
};

// The services in use; null restores the Qt implementation.
IAppEnvironment& AppEnvironment();
void SetAppEnvironment(IAppEnvironment* env);
IFileDialogs& FileDialogs();
void SetFileDialogs(IFileDialogs* dialogs);
IDesktop& Desktop();
void SetDesktop(IDesktop* desktop);

// Qt name filters for a filter text. The patterns match without regard to
// letter case; the dialog shows the descriptions only.
QStringList QtNameFilters(const QString& filterText);
