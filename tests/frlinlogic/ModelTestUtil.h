// Records and a scripted prompt for the dialog model tests.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "DlgPrompt.h"
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

struct SigSpec {
  const char* name;
  int start;
  int count;
  int byteOrder = BYTEORDER_LITTLE;
};

inline _FlexRayMsg* AddFlexRay(CVestrelDoc& doc, const char* name, uint32_t slot, int bytes, int base, int rep,
                               const std::vector<SigSpec>& sigs = {}) {
  _FlexRayMsg* m = doc.AllocFlexRayMsg();
  CopyToCharBuffer(m->name, name, MAX_NAME_LEN);
  m->slotId = slot;
  m->byteCount = static_cast<uint8_t>(bytes);
  m->baseCycle = static_cast<uint16_t>(base);
  m->cycleRepetition = static_cast<uint16_t>(rep);
  for (const auto& s : sigs) {
    _FlexRaySignal* sig = doc.AllocFlexRaySignal();
    CopyToCharBuffer(sig->name, s.name, MAX_NAME_LEN);
    sig->startBit = s.start;
    sig->bitCount = s.count;
    sig->byteOrder = static_cast<uint8_t>(s.byteOrder);
    doc.AddFlexRaySignal(m, sig);
  }
  int ok = 0;
  doc.AddFlexRayMsg(m, LIST_DEFINITION, &ok);
  return m;
}

inline _LINMsg* AddLin(CVestrelDoc& doc, const char* name, uint32_t id, int bytes,
                       const std::vector<SigSpec>& sigs = {}) {
  _LINMsg* m = doc.AllocLinMsg();
  CopyToCharBuffer(m->name, name, MAX_NAME_LEN);
  m->id = id;
  m->byteCount = static_cast<uint8_t>(bytes);
  for (const auto& s : sigs) {
    _LINSignal* sig = doc.AllocLinSignal();
    CopyToCharBuffer(sig->name, s.name, MAX_NAME_LEN);
    sig->startBit = s.start;
    sig->bitCount = s.count;
    sig->byteOrder = static_cast<uint8_t>(s.byteOrder);
    doc.AddLinSignal(m, sig);
  }
  doc.AddLinMsg(m, LIST_DEFINITION);
  return m;
}

inline _FlexRaySignal* SignalOf(_FlexRayMsg* m, const char* name) {
  return m->signals.Find(MakeUpperString(std::string(name)));
}
inline _LINSignal* SignalOf(_LINMsg* m, const char* name) {
  return m->signals.Find(MakeUpperString(std::string(name)));
}

}  // namespace mtest
