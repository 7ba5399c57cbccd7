#include "DlgPrompt.h"

void CMessagePrompt::Error(int stringId, const std::vector<MsgArg>& args) {
  ShowMessage(stringId, args, MsgButtons::Ok, MsgIcon::Error);
}

bool CMessagePrompt::AskYesNo(int stringId, const std::vector<MsgArg>& args) {
  return ShowMessage(stringId, args, MsgButtons::YesNo, MsgIcon::Question) == MSG_YES;
}

bool CMessagePrompt::AskOkCancel(int stringId, const std::vector<MsgArg>& args) {
  return ShowMessage(stringId, args, MsgButtons::OkCancel, MsgIcon::Warning) == MSG_OK;
}
