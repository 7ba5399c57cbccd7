#include "ListSearch.h"

#include "CodePage.h"
#include "MessageBox.h"
#include "TextFile.h"

#include <algorithm>
#include <cstring>

namespace {

// Substring search that only matches at a character boundary of the text, so
// the trail byte of a double-byte character never starts a hit.
bool ContainsAtCharBoundary(const std::string& text, const std::string& part) {
  if (part.empty()) return true;
  if (part.size() > text.size()) return false;
  std::size_t pos = 0;
  while (pos + part.size() <= text.size()) {
    if (std::memcmp(text.data() + pos, part.data(), part.size()) == 0) return true;
    pos += cp932::CharLength(text, pos);
  }
  return false;
}

}  // namespace

bool RowMatches(const IListCells& rows, int row, int busKind, const std::string& upperText) {
  if (upperText.find(kSearchCharOutsideCodePage) != std::string::npos) return false;
  int first = busKind == BUS_LOGIC ? 0 : 2;
  int last = busKind == BUS_LOGIC ? 3 : 4;
  for (int c = first; c <= last; ++c)
    if (ContainsAtCharBoundary(MakeUpperString(rows.CellText(row, c)), upperText)) return true;
  return false;
}

bool RowMatches(const ListRow& row, int busKind, const std::string& upperText) {
  const ListRows one{row};
  return RowMatches(CListRowsCells(one), 0, busKind, upperText);
}

const std::string& CListRowsCells::CellText(int row, int column) const {
  static const std::string kNone;
  if (row < 0 || row >= RowCount()) return kNone;
  return rows_[static_cast<std::size_t>(row)].Cell(column);
}

void CListSearch::Reset() {
  lastText_.clear();
  startRow_ = -1;
}

SearchResult CListSearch::FindNext(const ListRows& rows, int busKind, const std::vector<int>& selection,
                                   const std::string& text, const std::function<void(int row)>& showRow) {
  return FindNext(CListRowsCells(rows), busKind, selection, text, showRow);
}

SearchResult CListSearch::FindNext(const IListCells& rows, int busKind, const std::vector<int>& selection,
                                   const std::string& text, const std::function<void(int row)>& showRow) {
  SearchResult result;
  // The history shows such a character as '?', as the settings file keeps it.
  std::string shown = text;
  std::replace(shown.begin(), shown.end(), kSearchCharOutsideCodePage, '?');
  history_.AddHistory(shown);
  std::string upper = MakeUpperString(text);
  const int count = rows.RowCount();
  if (count == 0 || text.empty()) {
    ShowMessage(4000);
    result.outcome = SEARCH_NO_DATA;
    return result;
  }

  int current = 0;
  bool any = false;
  for (int s : selection) {
    if (s < 0 || s >= count) continue;
    if (!any || s < current) current = s;
    any = true;
  }

  bool continuing = !lastText_.empty() && lastText_ == text;
  if (!continuing) {
    lastText_ = text;
    startRow_ = current;
  }

  for (int k = 1; k <= count; ++k) {
    int row = (current + k) % count;
    if (continuing && row == startRow_) {
      result.outcome = SEARCH_WRAPPED;
      if (showRow) showRow(startRow_);
      if (ShowMessage(4013, {}, MsgButtons::Ok, MsgIcon::Information) == MSG_OK) {
        lastText_.clear();
        result.selectRow = startRow_;
      }
      return result;
    }
    if (RowMatches(rows, row, busKind, upper)) {
      result.outcome = SEARCH_FOUND;
      result.selectRow = row;
      return result;
    }
  }

  // Nothing found. A continued search lands here too when the rows changed
  // under it (deleted, or another bus kind shown) so that its start row was
  // never met: it ends as a new search without a hit would.
  result.outcome = SEARCH_NOT_FOUND;
  if (ShowMessage(4012, {text}, MsgButtons::Ok, MsgIcon::Information) == MSG_OK) lastText_.clear();
  return result;
}

SearchListChoice PrepareSearchLists(int referenceRows, int definitionRows, int currentChoice) {
  SearchListChoice choice;
  if (referenceRows > 0 && definitionRows > 0) {
    choice.list = currentChoice == LIST_DEFINITION ? LIST_DEFINITION : LIST_REFERENCE;
    return choice;
  }
  if (referenceRows > 0) {
    choice.list = LIST_REFERENCE;
    choice.definitionEnabled = false;
  } else {
    choice.list = LIST_DEFINITION;
    choice.referenceEnabled = false;
  }
  return choice;
}
