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

int CLogicDlgModel::Ok(IDlgPrompt& prompt) {
  if (mode_ == DLGMODE_VIEW) return DLG_OK_CLOSE;
  if (!symbol_ || !groups_) return DLG_OK_STAY;
  const bool isNew = mode_ == DLGMODE_NEW;
  if (!Group(group)) group = 0;
  _LOGICGroup& g = groups_[group];
  const bool groupChanged = group != previousGroup_;

  if ((isNew || groupChanged) && g.symbols.GetCount() >= static_cast<std::size_t>(MAX_LOGIC_GROUP_SYMBOLS)) {
    prompt.Error(IDS_MSG_TOO_MANY, {MAX_LOGIC_GROUP_SYMBOLS});
    return DLG_OK_STAY;
  }
  const std::string key = MakeUpperString(name);
  const bool nameChanged = name != symbol_->name;
  if (texts_.Refused(IDC_SYMBOL_NAME)) {
    prompt.Error(IDS_MSG_TEXT_NOT_CP932);
    return IDC_SYMBOL_NAME;
  }
  if (key.empty()) {
    prompt.Error(IDS_MSG_NAME_EMPTY);
    return IDC_SYMBOL_NAME;
  }
  if (g.symbols.Contains(key) && (isNew || nameChanged || groupChanged)) {
    prompt.Error(IDS_MSG_SYMBOL_DEFINED, {key});
    return IDC_SYMBOL_NAME;
  }

  // A new bit count reaches every pattern of the group; ask before touching
  // any symbol but this one.
  const int n = bitCount;
  const std::string& pattern = bits_.Pattern();
  const bool refit = n != g.bitCount;
  if (refit && RefitMergesPatterns(g, n)) {
    prompt.Error(IDS_MSG_SAME_PATTERN);
    return IDC_LOGIC_BITS;
  }
  if (refit) {
    bool others = false;
    for (const auto& e : g.symbols) others |= e.value != symbol_;
    if (others && !prompt.AskYesNo(IDS_ASK_GROUP_BITS)) return IDC_LOGIC_BITS;
  }

  // Compared with the patterns as the refit will leave them.
  const std::string storedKey = MakeUpperString(symbol_->name);
  for (const auto& e : g.symbols) {
    if (!isNew && (e.key == key || e.key == storedKey)) continue;
    std::string other = refit ? RefitPattern(e.value->pattern, n) : std::string(e.value->pattern);
    if (SamePattern(other, pattern)) {
      prompt.Error(IDS_MSG_SAME_PATTERN);
      return IDC_PATTERN_BIN;
    }
  }

  refitted_.clear();
  if (refit) {
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
  const bool patternEdited = isNew || pattern != openedPattern_ || n != openedBitCount_ || groupChanged;
  std::string cut = pattern.substr(0, MAX_LOGIC_BITS);
  if (patternEdited && cut != symbol_->pattern) {
    CopyToCharBuffer(symbol_->pattern, cut, MAX_LOGIC_BITS);
    modified_ = true;
  }
  return DLG_OK_CLOSE;
}
