// The LOGIC symbol dialog without its windows: a symbol's name and bit
// pattern in one of the five groups, whose bit count all its symbols share.
// A change of that count refits every pattern of the group, but only once
// every check has passed.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "BitPattern.h"
#include "BusTypes.h"
#include "DlgPrompt.h"
#include "FrameDlgIds.h"
#include "Records.h"
#include "TextFields.h"

// A pattern fitted to n bits when the group's bit count changes, by the rule
// of the pattern field itself, so that bit k means the same channel in every
// pattern of the group: bit 0 stays rightmost, a cut keeps the rightmost
// characters, padding is 'X' on the left.
std::string RefitPattern(const std::string& pattern, int n);
// Patterns are equal without regard to the case of the don't-care 'x'.
bool SamePattern(const std::string& a, const std::string& b);

class CLogicDlgModel {
 public:
  void SetMode(int mode) { mode_ = mode; }
  int Mode() const { return mode_; }
  // The list's five groups, the symbol edited or filled, and its group.
  void SetGroups(_LOGICGroup* groups) { groups_ = groups; }
  void SetSymbol(_LOGICSignal* symbol) { symbol_ = symbol; }
  void SetGroupIndex(int index) { groupIndex_ = index; }

  void Open();

  // The working copies: name as typed, the selected group (-1 none) and the
  // bit count; the pattern below.
  std::string name;
  int group = -1;
  // The name field as it stands: read only when the user edited it (see
  // CTextFields).
  void ReadName(bool edited, std::string_view utf8) { texts_.Read(dlgids::IDC_SYMBOL_NAME, edited, utf8, name); }
  int bitCount = 1;

  // The pattern as both fields show it: binary (leftmost character the
  // highest bit, 'X' don't care) and hexadecimal ('$' a partly don't-care digit).
  const std::string& Pattern() const { return bits_.Pattern(); }
  std::string HexText() const { return bits_.BinaryToHex(); }

  // The group list's selection changed: its bit count comes with it.
  void SelectGroup(int index);
  // The bit count was committed: 1..32, the pattern cut or padded on the
  // left as the pattern fields do.
  void CommitBitCount(int n);
  // A pattern field was committed: the other one shows the same pattern.
  void CommitPattern(const std::string& binary);
  void CommitHexText(const std::string& hex);

  int Ok(IDlgPrompt& prompt);

  // After OK: the group the symbol belongs to, whether anything changed, and
  // the other symbols whose patterns the refit rewrote (their rows change).
  int GroupIndex() const { return groupIndex_; }
  int PreviousGroupIndex() const { return previousGroup_; }
  bool Modified() const { return modified_; }
  const std::vector<_LOGICSignal*>& RefittedSymbols() const { return refitted_; }
  // Group 0..4 of the list; null out of range.
  const _LOGICGroup* GroupAt(int index) const { return Group(index); }

 private:
  _LOGICGroup* Group(int index) const;
  // True when cutting the group's other patterns to n bits would leave two
  // of them alike.
  bool RefitMergesPatterns(const _LOGICGroup& g, int n) const;

  // What OK's checks look at: the group the symbol goes to, the typed name
  // as key, and whether the group's bit count changes.
  struct OkContext {
    _LOGICGroup* group = nullptr;
    bool groupChanged = false;
    std::string key;
    bool nameChanged = false;
    bool refit = false;
  };
  using Check = OkCheck (CLogicDlgModel::*)(const OkContext&) const;
  OkCheck CheckCapacity(const OkContext& ok) const;
  OkCheck CheckTexts(const OkContext& ok) const;
  OkCheck CheckName(const OkContext& ok) const;
  OkCheck CheckNameFree(const OkContext& ok) const;
  OkCheck CheckRefitKeepsPatternsApart(const OkContext& ok) const;
  OkCheck CheckPatternFree(const OkContext& ok) const;
  // A new bit count reaches every pattern of the group: asked before any
  // symbol but this one changes. False when the user said No.
  bool AskRefit(IDlgPrompt& prompt, const OkContext& ok) const;
  // The group's refit and every field that differs into the records.
  void WriteBack(const OkContext& ok);

  int mode_ = DLGMODE_VIEW;
  ctl::BitPattern bits_;
  _LOGICGroup* groups_ = nullptr;
  _LOGICSignal* symbol_ = nullptr;
  int groupIndex_ = 0;
  int previousGroup_ = 0;
  bool modified_ = false;
  std::vector<_LOGICSignal*> refitted_;
  // The pattern and bit count as the fields showed them on opening.
  std::string openedPattern_;
  int openedBitCount_ = 0;
  CTextFields texts_;
};
