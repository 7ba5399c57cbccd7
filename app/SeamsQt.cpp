#include "Seams.h"

#include "TextFile.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QUrl>

#ifndef VR_VERSION_MAJOR
#define VR_VERSION_MAJOR 0
#define VR_VERSION_MINOR 0
#define VR_VERSION_PATCH 0
#define VR_VERSION_TWEAK 0
#endif

namespace {

class QtAppEnvironment : public IAppEnvironment {
 public:
  std::string ExecutableFolder() const override { return GetExecutableFolder(); }
  void GetVersionInfo(VersionInfo* info) const override {
    if (info) *info = BuildVersionInfo(VR_VERSION_MAJOR, VR_VERSION_MINOR, VR_VERSION_PATCH, VR_VERSION_TWEAK);
  }
};

// "*.dbc" -> "*.[dD][bB][cC]", so that the dialog lists "A.DBC" as well.
QString CaseFreePattern(const QString& pattern) {
  QString out;
  for (QChar c : pattern) {
    if (c.isLetter() && c.toLower() != c.toUpper()) out += u'[' + QString(c.toLower()) + QString(c.toUpper()) + u']';
    else out += c;
  }
  return out;
}

void Prepare(QFileDialog& dlg, const FileDialogOptions& options) {
  const QStringList filters = QtNameFilters(options.filterText);
  dlg.setOption(QFileDialog::HideNameFilterDetails, true);
  dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
  if (!filters.isEmpty()) {
    dlg.setNameFilters(filters);
    const int index = options.filterIndex >= 1 && options.filterIndex <= filters.size() ? options.filterIndex - 1 : 0;
    dlg.selectNameFilter(filters[index]);
  }
  if (!options.folder.empty() && QFileInfo(QString::fromStdString(options.folder)).isDir())
    dlg.setDirectory(QString::fromStdString(options.folder));
  if (!options.fileName.empty()) dlg.selectFile(QString::fromStdString(options.fileName));
}

class QtFileDialogs : public IFileDialogs {
 public:
  bool AskOpenPath(QWidget* parent, const FileDialogOptions& options, std::string& path) override {
    QFileDialog dlg(parent);
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode(QFileDialog::ExistingFile);
    Prepare(dlg, options);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return false;
    path = QFile::encodeName(dlg.selectedFiles().front()).toStdString();
    return true;
  }
  bool AskSavePath(QWidget* parent, const FileDialogOptions& options, std::string& path) override {
    QFileDialog dlg(parent);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    Prepare(dlg, options);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return false;
    path = QFile::encodeName(dlg.selectedFiles().front()).toStdString();
    return true;
  }
};

class QtDesktop : public IDesktop {
 public:
  bool OpenDocument(const std::string& path) override {
    const QString file = QFile::decodeName(QByteArray::fromStdString(path));
    if (!QFileInfo(file).isFile()) return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(file));
  }
  bool OpenUrl(const std::string& url) override { return QDesktopServices::openUrl(QUrl(QString::fromStdString(url))); }
};

QtAppEnvironment g_qtEnv;
QtFileDialogs g_qtDialogs;
QtDesktop g_qtDesktop;
IAppEnvironment* g_env = nullptr;
IFileDialogs* g_dialogs = nullptr;
IDesktop* g_desktop = nullptr;

}  // namespace

IAppEnvironment& AppEnvironment() { return g_env ? *g_env : g_qtEnv; }
void SetAppEnvironment(IAppEnvironment* env) { g_env = env; }
IFileDialogs& FileDialogs() { return g_dialogs ? *g_dialogs : g_qtDialogs; }
void SetFileDialogs(IFileDialogs* dialogs) { g_dialogs = dialogs; }
IDesktop& Desktop() { return g_desktop ? *g_desktop : g_qtDesktop; }
void SetDesktop(IDesktop* desktop) { g_desktop = desktop; }

QStringList QtNameFilters(const QString& filterText) {
  QStringList out;
  for (const FileFilter& f : ParseFilterText(filterText.toStdString())) {
    QString description = QString::fromStdString(f.description);
    // A description that already shows its patterns in parentheses keeps
    // them; the case-free patterns follow in parentheses of their own, which
    // the dialog hides.
    QStringList patterns;
    for (const std::string& p : f.patterns) patterns << CaseFreePattern(QString::fromStdString(p));
    out << description + QStringLiteral(" (") + patterns.join(u' ') + u')';
  }
  return out;
}
