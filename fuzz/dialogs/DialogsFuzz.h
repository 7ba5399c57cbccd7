// What both modes of the dialogs target share: the user's answers to the
// models' messages, the fields' own conversions between a model and the
// screen, and how a difference is reported.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "CanDlgModel.h"
#include "DefDialogs.h"
#include "DlgPrompt.h"
#include "DoubleValue.h"
#include "FuzzDoc.h"
#include "IntValue.h"
#include "LogicDlgModel.h"
#include "MultiValue.h"

namespace dlgfuzz {

// An input that starts with this byte runs the typing mode (TypingMode.cpp)
// on the rest; any other input is a definition file opened unchanged.
constexpr uint8_t kTypingMark = 0x01;
// Each difference goes to `report` with the name of its check ("<bus>
// <field>"); without one, known faults are only listed and others stop the
// run as in the other mode.
using TypingReport = std::function<void(const std::string& check, const std::string& what)>;
void RunTypingMode(const uint8_t* data, std::size_t size);
void RunTypingMode(const uint8_t* data, std::size_t size, const TypingReport& report);

// An input that starts with this byte runs the same script on the real
// dialog windows (ViewTyping.cpp), where the fuzz build has Qt; elsewhere it
// runs the typing mode.
constexpr uint8_t kViewTypingMark = 0x02;
void RunViewTypingMode(const uint8_t* data, std::size_t size);

// The input's script. Past its end every byte reads 0.
class Script {
 public:
  Script(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool Done() const { return at_ >= size_; }
  int Byte() { return Done() ? 0 : data_[at_++]; }
  bool Bit() { return (Byte() & 1) != 0; }
  int Below(int n) { return n > 0 ? Byte() % n : 0; }
  // 0..most: a small number from one byte, any from two.
  int Number(int most) {
    if (most <= 0) return 0;
    const int b = Byte();
    if (b & 0x80) return (((b & 0x7F) << 8) | Byte()) % (most + 1);
    return b % (std::min(most, 127) + 1);
  }

 private:
  const uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

// The dialogs a script types into, in the place of the list's dialogs; what
// the last one ended with.
class TypedDialogs : public IDefinitionDialogs {
 public:
  std::string step;  // names the dialog in reports
  bool refused = false;
  bool silentRefusal = false;
  int lastMessage = 0;  // the message shown last
};
using DialogsMaker = std::function<std::unique_ptr<TypedDialogs>(Script&)>;
// The script's dialogs opened on the rows it picks of the definition file
// that follows it, and each checked: a refused OK changes nothing and says
// why, an accepted one reports a change exactly when it made one.
void RunTypingScript(const uint8_t* data, std::size_t size, const TypingReport& report, const DialogsMaker& make);
// A difference found by the dialogs, to the run's report.
void ReportTyped(const std::string& check, const std::string& what);
// The report of a plain run: known faults listed, others stop the run.
void ReportDifference(const std::string& check, const std::string& what);

inline bool ReportOnly() {
  static const bool report = [] {
    const char* v = std::getenv("FUZZ_DIALOGS_REPORT");
    return v && *v && *v != '0';
  }();
  return report;
}

inline void Difference(const std::string& what) {
  if (!ReportOnly()) fuzzdoc::Fail(what);
  std::fprintf(stderr, "DIFFERENCE %s\n", what.c_str());
}

// The user's answers: every question No or Cancel unless told otherwise,
// so that nothing the user did not ask for is written; every message counted.
class Prompt : public IDlgPrompt {
 public:
  void Error(int id, const std::vector<MsgArg>&) override { Shown(id); }
  bool AskYesNo(int id, const std::vector<MsgArg>&) override {
    Shown(id);
    return yesNoAnswer;
  }
  bool AskOkCancel(int id, const std::vector<MsgArg>&) override {
    Shown(id);
    okCancelAsked = true;
    return okCancelAnswer;
  }
  int shown = 0;
  int last = 0;  // the message shown last
  // The answer to an OK/Cancel question (the byte order of the other
  // signals), and whether one was asked since it was last cleared.
  bool okCancelAnswer = false;
  bool yesNoAnswer = false;
  bool okCancelAsked = false;

 private:
  void Shown(int id) {
    ++shown;
    last = id;
  }
};

// The floating-point fields widen to hold what they are given and read it
// back at full precision while the text is unchanged; an empty minimum is no
// lower limit.
inline double FieldMinimum(double v) { return v == ctl::kNoLimit ? -ctl::kNoLimit : v; }

// The CAN dialog's fields between the model and the user.
class CanFields {
 public:
  // What the dialog shows after the model changed: a multiplex text given
  // anew is normalised for showing, and a stored one in error is reported at
  // once, as the dialog does.
  void Show(CCanDlgModel& model, Prompt& prompt) {
    CanDlgControls& c = model.Controls();
    if (c.muxUpdates == shownUpdates_) return;
    shownUpdates_ = c.muxUpdates;
    ctl::MultiValueParser parser;
    std::string normal;
    parser.Normalise(c.muxValue.c_str(), false, &normal);
    muxShown_ = parser.error == MULTIVALUE_OK ? normal : c.muxValue;
    if (c.muxRefills != shownRefills_) {
      shownRefills_ = c.muxRefills;
      if (model.Mode() != DLGMODE_VIEW) {
        c.muxValueError = parser.error;
        c.muxValuePart = parser.currentPart;
        model.ShowMultiplexValueError(prompt);
      }
    }
  }
  // What OK reads from the fields: the range and scaling fields only when
  // the user changed them, which this user never does; the identifier field
  // gives back the identifier it was shown.
  void Read(CCanDlgModel& model) const {
    CanDlgControls& c = model.Controls();
    c.byteCount = ctl::ClampInt(c.byteCount, 0, c.byteCountMax);
    ctl::MultiValueParser parser;
    parser.Normalise(muxShown_.c_str(), true, &c.muxValueText);
    c.muxValueError = parser.error;
    c.muxValuePart = parser.currentPart;
  }

 private:
  int shownUpdates_ = 0;
  int shownRefills_ = 0;
  std::string muxShown_;
};

// The models opened as the list opens their dialogs.
inline void OpenModel(CCanDlgModel& model, const CanDialogRequest& r) {
  model.SetTarget(r.msg, r.signal);
  for (const auto& names : r.rowNames) model.AddNames(names.first, names.second);
  model.SetHexFlag(r.hexFlag);
  model.Open();
}

template <class Model, class Request>
void OpenFrameModel(Model& model, const Request& r) {
  model.SetMode(r.mode);
  model.SetMessageMap(r.messages);
  model.SetTarget(r.msg, r.signal);
  model.SetEditedSignalName(r.editedSignalName);
  model.SetHexDisplay(r.hexFlag != 0);
  model.Open();
}

inline void OpenModel(CLogicDlgModel& model, const LogicDialogRequest& r) {
  model.SetMode(r.mode);
  model.SetGroups(r.groups);
  model.SetSymbol(r.symbol);
  model.SetGroupIndex(r.groupIndex);
  model.Open();
}

// After an accepted OK, the rows of the symbols a refit of the group changed.
inline void UpdateRefittedRows(const CLogicDlgModel& model, const LogicDialogRequest& r, int groupIndex) {
  if (!r.updateRow || !model.GroupAt(groupIndex)) return;
  for (const _LOGICSignal* s : model.RefittedSymbols())
    r.updateRow(s->name, groupIndex, *model.GroupAt(groupIndex), *s);
}

}  // namespace dlgfuzz
