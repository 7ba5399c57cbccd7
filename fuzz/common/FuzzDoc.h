// What the fuzz targets that work on a whole document share: a message sink
// that answers without showing anything (the field-by-field picture of the
// lists to compare is the tests' own, RecordPicture.h).
#pragma once

#include <vector>

#include "FuzzTempFolder.h"
#include "MessageBox.h"
#include "VestrelDoc.h"

namespace fuzzdoc {

// Answers every message at once: OK boxes with OK, questions with `yes`
// (Yes or OK) or its opposite; counts what it was shown.
class AnsweringSink : public IMessageSink {
 public:
  explicit AnsweringSink(bool yes) : yes_(yes) {}
  int Show(int, const std::vector<MsgArg>&, MsgButtons buttons, MsgIcon) override {
    ++shown;
    switch (buttons) {
      case MsgButtons::YesNo:
        return yes_ ? MSG_YES : MSG_NO;
      case MsgButtons::OkCancel:
        return yes_ ? MSG_OK : MSG_CANCEL;
      default:
        return MSG_OK;
    }
  }
  long long shown = 0;

 private:
  bool yes_;
};

}  // namespace fuzzdoc
