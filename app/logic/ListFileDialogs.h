// The file dialogs the list logic asks for, implemented by the windows (Qt
// file dialogs) and scripted by tests.
#pragma once

#include <string>
#include <vector>

struct FileDialogRequest {
  // String-table identifiers of the filters, in order ("description|pattern|"
  // texts, IDS_FILTER_DBC to IDS_FILTER_LIN_ALL); the first is selected.
  std::vector<int> filterIds;
  // Starting folder and file name; empty for none.
  std::string folder;
  std::string fileName;
};

class IListFileDialogs {
 public:
  virtual ~IListFileDialogs() = default;
  // An open dialog for an existing file. False when the user cancelled.
  virtual bool AskOpenPath(const FileDialogRequest& request, std::string& path) = 0;
  // A save dialog. It must not ask about overwriting: the save flow asks
  // itself once it has settled the extension. False when cancelled.
  virtual bool AskSavePath(const FileDialogRequest& request, std::string& path) = 0;
};

// The open dialog of the reference list: the filters of the bus kind, and
// the starting folder and name from the list's current file.
FileDialogRequest ReferenceOpenRequest(int busKind, const std::string& currentPath);
// The open and save dialogs of the definition list: definition files only.
FileDialogRequest DefinitionFileRequest(const std::string& currentPath);
