#include "LogicDlgModel.h"

#include "TextFile.h"

#include <algorithm>
#include <cstring>

using namespace dlgids;

std::string RefitPattern(const std::string& pattern, int n) {
  return ctl::BitPattern::FitToCount(pattern, std::clamp(n, 0, MAX_LOGIC_BITS));
}

bool SamePattern(const std::string& a, const std::string& b) { return MakeUpperString(a) == MakeUpperString(b); }

_LOGICGroup* CLogicDlgModel::Group(int index) const {
  return groups_ && index >= 0 && index < LOGIC_GROUP_COUNT ? &groups_[index] : nullptr;
}

void CLogicDlgModel::Open() {
  modified_ = false;
  refitted_.clear();
  name = symbol_ ? symbol_->name : "";
  previousGroup_ = groupIndex_;
  _LOGICGroup* g = Group(groupIndex_);
  group = g ? groupIndex_ : -1;
  bitCount = std::clamp<int>(g ? g->bitCount : 1, 1, MAX_LOGIC_BITS);
  bits_.SetBitCount(bitCount);
  bits_.SetPatternText(symbol_ ? symbol_->pattern : "");
  openedPattern_ = bits_.Pattern();
  openedBitCount_ = bitCount;
}

void CLogicDlgModel::SelectGroup(int index) {
  _LOGICGroup* g = Group(index);
  if (!g) return;
  group = index;
  CommitBitCount(g->bitCount);
}

void CLogicDlgModel::CommitBitCount(int n) {
  bitCount = std::clamp(n, 1, MAX_LOGIC_BITS);
  bits_.SetBitCount(bitCount);
}

void CLogicDlgModel::CommitPattern(const std::string& binary) { bits_.SetPatternText(binary); }

void CLogicDlgModel::CommitHexText(const std::string& hex) {
  bits_.SetMode(1);
  bits_.ReadText(hex);
  bits_.SetMode(0);
}

bool CLogicDlgModel::RefitMergesPatterns(const _LOGICGroup& g, int n) const {
  std::vector<std::string> fitted;
  for (const auto& e : g.symbols) {
    // The edited symbol takes the pattern of its field, checked on its own.
    if (e.value == symbol_) continue;
    std::string p = RefitPattern(e.value->pattern, n);
    for (const std::string& other : fitted)
      if (SamePattern(other, p)) return true;
    fitted.push_back(std::move(p));
  }
  return false;
}

OkCheck CLogicDlgModel::CheckCapacity(const OkContext& ok) const {
  const bool joins = mode_ == DLGMODE_NEW || ok.groupChanged;
  if (joins && ok.group->symbols.GetCount() >= static_cast<std::size_t>(MAX_LOGIC_GROUP_SYMBOLS))
    return OkRefusal{IDS_MSG_TOO_MANY, DLG_OK_STAY, {MAX_LOGIC_GROUP_SYMBOLS}};
  return std::nullopt;
}

OkCheck CLogicDlgModel::CheckTexts(const OkContext&) const {
  if (texts_.Refused(IDC_SYMBOL_NAME)) return OkRefusal{IDS_MSG_TEXT_NOT_CP932, IDC_SYMBOL_NAME, {}};
  return std::nullopt;
}

OkCheck CLogicDlgModel::CheckName(const OkContext& ok) const {
  if (ok.key.empty()) return OkRefusal{IDS_MSG_NAME_EMPTY, IDC_SYMBOL_NAME, {}};
  return std::nullopt;
}

OkCheck CLogicDlgModel::CheckNameFree(const OkContext& ok) const {
  if (ok.group->symbols.Contains(ok.key) && (mode_ == DLGMODE_NEW || ok.nameChanged || ok.groupChanged))
    return OkRefusal{IDS_MSG_SYMBOL_DEFINED, IDC_SYMBOL_NAME, {ok.key}};
  return std::nullopt;
}

OkCheck CLogicDlgModel::CheckRefitKeepsPatternsApart(const OkContext& ok) const {
  if (ok.refit && RefitMergesPatterns(*ok.group, bitCount)) return OkRefusal{IDS_MSG_SAME_PATTERN, IDC_LOGIC_BITS, {}};
  return std::nullopt;
}

bool CLogicDlgModel::AskRefit(IDlgPrompt& prompt, const OkContext& ok) const {
  if (!ok.refit) return true;
  bool others = false;
  for (const auto& e : ok.group->symbols) others |= e.value != symbol_;
  return !others || prompt.AskYesNo(IDS_ASK_GROUP_BITS);
}

OkCheck CLogicDlgModel::CheckPatternFree(const OkContext& ok) const {
  // Compared with the patterns as the refit will leave them.
  const std::string storedKey = MakeUpperString(symbol_->name);
  for (const auto& e : ok.group->symbols) {
    if (mode_ != DLGMODE_NEW && (e.key == ok.key || e.key == storedKey)) continue;
    std::string other = ok.refit ? RefitPattern(e.value->pattern, bitCount) : std::string(e.value->pattern);
    if (SamePattern(other, bits_.Pattern())) return OkRefusal{IDS_MSG_SAME_PATTERN, IDC_PATTERN_BIN, {}};
  }
  return std::nullopt;
}

int CLogicDlgModel::Ok(IDlgPrompt& prompt) {
  if (mode_ == DLGMODE_VIEW) return DLG_OK_CLOSE;
  if (!symbol_ || !groups_) return DLG_OK_STAY;
  if (!Group(group)) group = 0;
  OkContext ok;
  ok.group = &groups_[group];
  ok.groupChanged = group != previousGroup_;
  ok.key = MakeUpperString(name);
  ok.nameChanged = name != symbol_->name;
  ok.refit = bitCount != ok.group->bitCount;

  static constexpr Check kNameChecks[] = {
      &CLogicDlgModel::CheckCapacity,
      &CLogicDlgModel::CheckTexts,
      &CLogicDlgModel::CheckName,
      &CLogicDlgModel::CheckNameFree,
      &CLogicDlgModel::CheckRefitKeepsPatternsApart,
  };
  if (const OkCheck refusal = FirstRefusal(*this, kNameChecks, ok, prompt)) return refusal->focus;
  if (!AskRefit(prompt, ok)) return IDC_LOGIC_BITS;
  static constexpr Check kPatternChecks[] = {&CLogicDlgModel::CheckPatternFree};
  if (const OkCheck refusal = FirstRefusal(*this, kPatternChecks, ok, prompt)) return refusal->focus;
  WriteBack(ok);
  return DLG_OK_CLOSE;
}

void CLogicDlgModel::WriteBack(const OkContext& ok) {
  const int n = bitCount;
  const std::string& pattern = bits_.Pattern();
  _LOGICGroup& g = *ok.group;
  refitted_.clear();
  if (ok.refit) {
    g.bitCount = static_cast<uint8_t>(n);
    modified_ = true;
    for (const auto& e : g.symbols) {
      std::string fitted = RefitPattern(e.value->pattern, n);
      if (fitted == e.value->pattern) continue;
      CopyToCharBuffer(e.value->pattern, fitted, MAX_LOGIC_BITS);
      if (e.value != symbol_) refitted_.push_back(e.value);
    }
  }
  char buffer[MAX_LOGIC_NAME_LEN + 1];
  CopyToCharBuffer(buffer, name, MAX_LOGIC_NAME_LEN);
  if (std::strcmp(buffer, symbol_->name) != 0) {
    std::memcpy(symbol_->name, buffer, sizeof buffer);
    modified_ = true;
  }
  if (groupIndex_ != group) {
    groupIndex_ = group;
    modified_ = true;
  }
  // A pattern the user left as it opened keeps its stored text: the field
  // shows a don't-care as 'X' and an empty pattern as all don't-care, and
  // neither may reach the record unasked.
  const bool patternEdited =
      mode_ == DLGMODE_NEW || pattern != openedPattern_ || n != openedBitCount_ || ok.groupChanged;
  std::string cut = pattern.substr(0, MAX_LOGIC_BITS);
  if (patternEdited && cut != symbol_->pattern) {
    CopyToCharBuffer(symbol_->pattern, cut, MAX_LOGIC_BITS);
    modified_ = true;
  }
}
