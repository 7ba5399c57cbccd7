// What a definition dialog's OK needs from the user: refusals by message
// identifier and the two kinds of question. The models take it as an
// argument so that tests answer the questions and see every refusal.
#pragma once

#include <optional>
#include <vector>

#include "MessageBox.h"

class IDlgPrompt {
 public:
  virtual ~IDlgPrompt() = default;
  // An OK box with the message; the check that shows it has failed.
  virtual void Error(int stringId, const std::vector<MsgArg>& args = {}) = 0;
  // A Yes/No question; true for Yes.
  virtual bool AskYesNo(int stringId, const std::vector<MsgArg>& args = {}) = 0;
  // An OK/Cancel question; true for OK.
  virtual bool AskOkCancel(int stringId, const std::vector<MsgArg>& args = {}) = 0;
};

// The prompt of the real dialogs: everything through the one message function.
class CMessagePrompt : public IDlgPrompt {
 public:
  void Error(int stringId, const std::vector<MsgArg>& args = {}) override;
  bool AskYesNo(int stringId, const std::vector<MsgArg>& args = {}) override;
  bool AskOkCancel(int stringId, const std::vector<MsgArg>& args = {}) override;
};

// A refusal of one of OK's checks: the message with its arguments and the
// control the focus goes to.
struct OkRefusal {
  int message = 0;
  int focus = 0;
  std::vector<MsgArg> args;
};
using OkCheck = std::optional<OkRefusal>;

// Runs a dialog's OK checks in their order; the first refusal is shown and
// answered, nothing when every check passed.
template <class Model, class Check, std::size_t N, class Context>
OkCheck FirstRefusal(const Model& model, const Check (&checks)[N], const Context& ok, IDlgPrompt& prompt) {
  for (const Check check : checks) {
    if (OkCheck refusal = (model.*check)(ok)) {
      prompt.Error(refusal->message, refusal->args);
      return refusal;
    }
  }
  return std::nullopt;
}
