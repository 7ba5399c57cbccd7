#include "ListFileDialogsQt.h"

#include "Resources.h"
#include "Seams.h"

namespace {

FileDialogOptions OptionsOf(const FileDialogRequest& request) {
  FileDialogOptions options;
  options.filterText = FilterTextOf(request.filterIds);
  options.filterIndex = 1;
  options.folder = request.folder;
  options.fileName = request.fileName;
  return options;
}

}  // namespace

QString FilterTextOf(const std::vector<int>& filterIds) {
  QString text;
  for (int id : filterIds) text += vrres::LoadString(id);
  return text + u'|';
}

bool CListFileDialogsQt::AskOpenPath(const FileDialogRequest& request, std::string& path) {
  return FileDialogs().AskOpenPath(parent_, OptionsOf(request), path);
}

bool CListFileDialogsQt::AskSavePath(const FileDialogRequest& request, std::string& path) {
  return FileDialogs().AskSavePath(parent_, OptionsOf(request), path);
}
