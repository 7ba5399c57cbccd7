// The file dialogs of the list logic shown through the shell's file-dialog
// service: the filter identifiers become the string table's "desc|pattern|"
// texts, joined and closed with one more "|".
#pragma once

#include "ListFileDialogs.h"

#include <QString>

class QWidget;

class CListFileDialogsQt : public IListFileDialogs {
 public:
  explicit CListFileDialogsQt(QWidget* parent) : parent_(parent) {}
  bool AskOpenPath(const FileDialogRequest& request, std::string& path) override;
  bool AskSavePath(const FileDialogRequest& request, std::string& path) override;

 private:
  QWidget* parent_;
};

// "text1text2...|" from the filter strings of the active language.
QString FilterTextOf(const std::vector<int>& filterIds);
