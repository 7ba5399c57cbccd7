#include "ListFileDialogsQt.h"

#include "Resources.h"
#include "Seams.h"

namespace {

FileDialogSpec SpecOf(const FileDialogRequest& request) {
  FileDialogSpec spec;
  spec.filterText = FilterTextOf(request.filterIds);
  spec.filterIndex = 1;
  spec.folder = request.folder;
  spec.fileName = request.fileName;
  return spec;
}

}  // namespace

QString FilterTextOf(const std::vector<int>& filterIds) {
  QString text;
  for (int id : filterIds) text += vrres::LoadString(id);
  return text + u'|';
}

bool CListFileDialogsQt::AskOpenPath(const FileDialogRequest& request, std::string& path) {
  return FileDialogs().AskOpenPath(parent_, SpecOf(request), path);
}

bool CListFileDialogsQt::AskSavePath(const FileDialogRequest& request, std::string& path) {
  return FileDialogs().AskSavePath(parent_, SpecOf(request), path);
}
