// Prompt for the dialog models' tests: records every message and answers the
// questions from a script (OK / Yes when it runs dry).
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "DlgPrompt.h"

class RecordingPrompt : public IDlgPrompt {
 public:
  struct Shown {
    int id;
    std::vector<MsgArg> args;
    std::string Text(std::size_t i) const { return i < args.size() ? args[i].Text() : std::string(); }
  };
  void Error(int id, const std::vector<MsgArg>& args) override { shown.push_back({id, args}); }
  bool AskYesNo(int id, const std::vector<MsgArg>& args) override { return Answer(id, args); }
  bool AskOkCancel(int id, const std::vector<MsgArg>& args) override { return Answer(id, args); }

  std::vector<int> Ids() const {
    std::vector<int> ids;
    for (const auto& s : shown) ids.push_back(s.id);
    return ids;
  }

  std::vector<Shown> shown;
  std::deque<bool> answers;

 private:
  bool Answer(int id, const std::vector<MsgArg>& args) {
    shown.push_back({id, args});
    if (answers.empty()) return true;
    bool a = answers.front();
    answers.pop_front();
    return a;
  }
};
