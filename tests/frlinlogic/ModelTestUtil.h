// Records and a scripted prompt for the dialog model tests.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "DlgPrompt.h"
#include "FrameDefs.h"
#include "TextFile.h"
#include "VestrelDoc.h"

namespace mtest {

// Records every message; questions answer from the script, then `yes`.
class ScriptedPrompt : public IDlgPrompt {
 public:
  void Error(int id, const std::vector<MsgArg>& msgArgs) override { Record(id, msgArgs); }
  bool AskYesNo(int id, const std::vector<MsgArg>& msgArgs) override { return Answer(id, msgArgs); }
  bool AskOkCancel(int id, const std::vector<MsgArg>& msgArgs) override { return Answer(id, msgArgs); }

  std::vector<int> ids;
  std::vector<std::vector<MsgArg>> args;
  std::deque<bool> answers;
  bool yes = true;

  int Last() const { return ids.empty() ? 0 : ids.back(); }
  std::string ArgText(std::size_t i) const {
    return !args.empty() && i < args.back().size() ? args.back()[i].Text() : std::string();
  }

 private:
  void Record(int id, const std::vector<MsgArg>& a) {
    ids.push_back(id);
    args.push_back(a);
  }
  bool Answer(int id, const std::vector<MsgArg>& a) {
    Record(id, a);
    if (answers.empty()) return yes;
    bool r = answers.front();
    answers.pop_front();
    return r;
  }
};

using SigSpec = vrtest::FrameSig;
inline _FlexRayMsg* AddFlexRay(CVestrelDoc& doc, const char* name, uint32_t slot, int bytes, int base, int rep,
                               const std::vector<SigSpec>& sigs = {}) {
  return vrtest::AddFlexRayDef(doc, name, slot, bytes, base, rep, sigs);
}
inline _LINMsg* AddLin(CVestrelDoc& doc, const char* name, uint32_t id, int bytes,
                       const std::vector<SigSpec>& sigs = {}) {
  return vrtest::AddLinDef(doc, name, id, bytes, sigs);
}

inline _FlexRaySignal* SignalOf(_FlexRayMsg* m, const char* name) {
  return m->signals.Find(MakeUpperString(std::string(name)));
}
inline _LINSignal* SignalOf(_LINMsg* m, const char* name) {
  return m->signals.Find(MakeUpperString(std::string(name)));
}

}  // namespace mtest
