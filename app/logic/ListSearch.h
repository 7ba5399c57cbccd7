// The find-next logic of the search dialog, without the window: which rows are
// looked at, in which order, when a search wraps, and which message ends it.
#pragma once

#include "ListCells.h"
#include "ListRows.h"
#include "SearchHistory.h"

#include <functional>
#include <string>
#include <vector>

enum SearchOutcome {
  SEARCH_NO_DATA = 0,  // empty text or empty list: message 4000, selection untouched
  SEARCH_FOUND,        // selectRow holds the hit
  SEARCH_NOT_FOUND,    // message 4012 shown; nothing selected
  SEARCH_WRAPPED,      // message 4013 shown; selectRow is the start row again
};

struct SearchResult {
  SearchOutcome outcome = SEARCH_NO_DATA;
  // The row to select and focus afterwards; -1 leaves every row unselected.
  // Meaningless for SEARCH_NO_DATA, which leaves the selection alone.
  int selectRow = -1;
};

class CListSearch {
 public:
  // Showing the dialog forgets the search in progress.
  void Reset();

  // One press of Find: adds the text to the history, then looks for the next
  // row after the first selected one (row 0 comes last when none is
  // selected) whose searched cells contain the text, ignoring letter case.
  // Repeating the same text goes on from the hit; coming back to the row the
  // search began at brings that row into view (`showRow`) and then shows
  // 4013. Messages go through ShowMessage.
  SearchResult FindNext(const IListCells& rows, int busKind, const std::vector<int>& selection, const std::string& text,
                        const std::function<void(int row)>& showRow = {});
  SearchResult FindNext(const ListRows& rows, int busKind, const std::vector<int>& selection, const std::string& text,
                        const std::function<void(int row)>& showRow = {});

  CSearchHistory& History() { return history_; }
  const CSearchHistory& History() const { return history_; }
  const std::string& LastText() const { return lastText_; }
  int StartRow() const { return startRow_; }

 private:
  CSearchHistory history_;
  std::string lastText_;
  int startRow_ = -1;
};

// What a typed character that the code page cannot hold becomes in the
// search text: a byte that is no part of any CP932 character. It is not '?',
// which names hold (the FIBEX reader writes it for such characters), so the
// two can never be confused.
constexpr char kSearchCharOutsideCodePage = '\xFF';

// True when a row's searched cells hold the upper-cased text: columns 0 to 3
// for LOGIC, 2 to 4 for the other kinds. A text holding a character outside
// the code page matches nothing: no cell can hold that character.
bool RowMatches(const ListRow& row, int busKind, const std::string& upperText);
bool RowMatches(const IListCells& rows, int row, int busKind, const std::string& upperText);

// Rows held as ListRows, seen as cells.
class CListRowsCells : public IListCells {
 public:
  explicit CListRowsCells(const ListRows& rows) : rows_(rows) {}
  int RowCount() const override { return static_cast<int>(rows_.size()); }
  const std::string& CellText(int row, int column) const override;

 private:
  const ListRows& rows_;
};

// Which list the search dialog offers (ListKind) and which radio buttons are
// enabled, from the row counts of both lists and the current choice.
struct SearchListChoice {
  int list = LIST_REFERENCE;
  bool referenceEnabled = true;
  bool definitionEnabled = true;
};
SearchListChoice PrepareSearchLists(int referenceRows, int definitionRows, int currentChoice);
