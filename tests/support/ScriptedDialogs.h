// File dialogs that answer from a script, for the list logic's open and save.
#pragma once

#include "ListFileDialogs.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace vrtest {

// File dialogs that answer from a script: a path, or nullopt for Cancel.
class ScriptedDialogs : public IListFileDialogs {
 public:
  bool AskOpenPath(const FileDialogRequest& request, std::string& path) override {
    openRequests.push_back(request);
    return Next(path);
  }
  bool AskSavePath(const FileDialogRequest& request, std::string& path) override {
    saveRequests.push_back(request);
    return Next(path);
  }
  std::deque<std::optional<std::string>> answers;
  std::vector<FileDialogRequest> openRequests;
  std::vector<FileDialogRequest> saveRequests;

 private:
  bool Next(std::string& path) {
    if (answers.empty()) return false;
    auto a = answers.front();
    answers.pop_front();
    if (!a) return false;
    path = *a;
    return true;
  }
};

}  // namespace vrtest
