// Stand-ins for the platform services of the shell: executable folder and
// version, file dialogs, and the desktop's opener. Each installs itself on
// construction and restores the previous service when it goes.
#pragma once

#include "Seams.h"

#include <deque>
#include <string>
#include <vector>

class FakeAppEnvironment : public IAppEnvironment {
 public:
  explicit FakeAppEnvironment(std::string exeFolder) : folder(std::move(exeFolder)) { SetAppEnvironment(this); }
  ~FakeAppEnvironment() override { SetAppEnvironment(nullptr); }
  std::string ExecutableFolder() const override { return folder; }
  void GetVersionInfo(VersionInfo* info) const override {
    if (info) *info = version;
  }
  std::string folder;
  VersionInfo version = BuildVersionInfo(1, 0, 0, 0);
};

class FakeFileDialogs : public IFileDialogs {
 public:
  FakeFileDialogs() { SetFileDialogs(this); }
  ~FakeFileDialogs() override { SetFileDialogs(nullptr); }
  bool AskOpenPath(QWidget*, const FileDialogOptions& options, std::string& path) override {
    return Answer(options, path);
  }
  bool AskSavePath(QWidget*, const FileDialogOptions& options, std::string& path) override {
    return Answer(options, path);
  }
  std::vector<FileDialogOptions> asked;
  std::deque<std::string> answers;  // an empty answer cancels

 private:
  bool Answer(const FileDialogOptions& options, std::string& path) {
    asked.push_back(options);
    if (answers.empty() || answers.front().empty()) {
      if (!answers.empty()) answers.pop_front();
      return false;
    }
    path = answers.front();
    answers.pop_front();
    return true;
  }
};

class FakeDesktop : public IDesktop {
 public:
  FakeDesktop() { SetDesktop(this); }
  ~FakeDesktop() override { SetDesktop(nullptr); }
  bool OpenDocument(const std::string& path) override {
    documents.push_back(path);
    return documentResult;
  }
  bool OpenUrl(const std::string& url) override {
    urls.push_back(url);
    return true;
  }
  std::vector<std::string> documents;
  std::vector<std::string> urls;
  bool documentResult = true;
};
