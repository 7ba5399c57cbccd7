// The one way any part of the program shows a message to the user: by
// string-table identifier with typed arguments. The windows layer installs
// the sink that shows a real message box; tests install one that records
// what would have been shown and answers from a script.
#pragma once

#include <string>
#include <vector>

enum class MsgButtons { Ok, YesNo, OkCancel };
enum class MsgIcon { None, Error, Warning, Question, Information };

// Answers keep the framework's numbers so stored logic reads naturally.
enum MsgAnswer { MSG_OK = 1, MSG_CANCEL = 2, MSG_YES = 6, MSG_NO = 7 };

// One argument of a message: a text in CP932 (a record's name) or a number.
class MsgArg {
 public:
  MsgArg(const std::string& text) : isText_(true), text_(text) {}
  MsgArg(const char* text) : isText_(true), text_(text ? text : "") {}
  MsgArg(int n) : number_(n) {}
  MsgArg(unsigned n) : number_(n) {}
  MsgArg(long n) : number_(n) {}
  MsgArg(long long n) : number_(n) {}
  MsgArg(unsigned long n) : number_(static_cast<long long>(n)) {}

  bool IsText() const { return isText_; }
  const std::string& Text() const { return text_; }
  long long Number() const { return number_; }

 private:
  bool isText_ = false;
  std::string text_;
  long long number_ = 0;
};

class IMessageSink {
 public:
  virtual ~IMessageSink() = default;
  // Shows message `stringId` and returns the user's answer (MsgAnswer).
  virtual int Show(int stringId, const std::vector<MsgArg>& args, MsgButtons buttons, MsgIcon icon) = 0;
};

// The sink in use; null shows nothing and answers OK, No or Cancel.
void SetMessageSink(IMessageSink* sink);
IMessageSink* GetMessageSink();

int ShowMessage(int stringId, const std::vector<MsgArg>& args = {}, MsgButtons buttons = MsgButtons::Ok,
                MsgIcon icon = MsgIcon::Error);
// An error message (OK box) where memory may have run out: a message box
// needs memory too, and without it the message is lost, not the program.
void ShowMessageSafely(int stringId);

// Substitutes %s, %d and %X in a UTF-8 format from the arguments in order
// ("%%" is a percent sign). Text arguments are CP932 and come out as UTF-8.
// An argument's own text is never read as a format; a placeholder without an
// argument is left as it stands.
std::string FormatMessageText(const std::string& formatUtf8, const std::vector<MsgArg>& args);
