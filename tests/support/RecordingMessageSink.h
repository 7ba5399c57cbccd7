// Test stand-in for the message box: records every message and answers from
// a script (the default answer when the script is empty).
#pragma once

#include "MessageBox.h"

#include <deque>
#include <string>
#include <vector>

struct ShownMessage {
  int id;
  std::vector<MsgArg> args;
  MsgButtons buttons;
  std::string ArgText(std::size_t i) const {
    return i < args.size() && args[i].IsText() ? args[i].Text() : std::string();
  }
  long long ArgNumber(std::size_t i) const { return i < args.size() ? args[i].Number() : 0; }
};

class RecordingMessageSink : public IMessageSink {
 public:
  RecordingMessageSink() : previous_(GetMessageSink()) { SetMessageSink(this); }
  ~RecordingMessageSink() override { SetMessageSink(previous_); }

  int Show(int stringId, const std::vector<MsgArg>& args, MsgButtons buttons, MsgIcon) override {
    shown.push_back({stringId, args, buttons});
    if (!answers.empty()) {
      int a = answers.front();
      answers.pop_front();
      return a;
    }
    return buttons == MsgButtons::Ok ? MSG_OK : defaultAnswer;
  }

  std::vector<int> Ids() const {
    std::vector<int> ids;
    for (const auto& m : shown) ids.push_back(m.id);
    return ids;
  }

  std::vector<ShownMessage> shown;
  std::deque<int> answers;
  int defaultAnswer = MSG_YES;

 private:
  IMessageSink* previous_;
};
