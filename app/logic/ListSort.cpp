#include "ListSort.h"

#include "CNumber.h"
#include "CodePage.h"

#include <algorithm>
#include <numeric>

SortCompareKind CompareKindFor(int busKind, int column) {
  if (busKind == BUS_LOGIC) {
    switch (column) {
      case 2:
        return SORT_TEXT;
      case 3:
        return SORT_NUMBER;
      case 4:
        return SORT_NUMBER;
      case 5:
        return SORT_TEXT;
      default:
        return SORT_NONE;
    }
  }
  if (busKind == BUS_CAN || busKind == BUS_LIN || busKind == BUS_FLEXRAY) {
    switch (column) {
      case 1:
        return SORT_NUMBER;
      case 2:
        return SORT_TEXT;
      case 3:
        return SORT_NUMBER;
      case 4:
        return SORT_TEXT;
      default:
        return SORT_NONE;
    }
  }
  return SORT_NONE;
}

int CompareMultiByte(const std::string& a, const std::string& b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    std::size_t la = cp932::CharLength(a, i), lb = cp932::CharLength(b, j);
    unsigned ca = static_cast<unsigned char>(a[i]);
    unsigned cb = static_cast<unsigned char>(b[j]);
    if (la == 2) ca = ca * 256 + static_cast<unsigned char>(a[i + 1]);
    if (lb == 2) cb = cb * 256 + static_cast<unsigned char>(b[j + 1]);
    if (ca != cb) return ca < cb ? -1 : 1;
    i += la;
    j += lb;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

namespace {

long long ReadNumber(const std::string& text, bool hex) {
  if (hex) return cnum::Strtoll(text.c_str(), nullptr, 16);
  return cnum::Atoi(text.c_str());
}

}  // namespace

int CompareItems(const ListRow& a, const ListRow& b, tagListSortInfo& info) {
  const std::string& ta = a.Cell(info.column);
  const std::string& tb = b.Cell(info.column);
  info.compareKind = CompareKindFor(info.busKind, info.column);
  switch (info.compareKind) {
    case SORT_TEXT:
      return info.ascending ? CompareMultiByte(ta, tb) : CompareMultiByte(tb, ta);
    case SORT_NUMBER: {
      bool hex = info.hexIds && info.busKind != BUS_LOGIC && info.column == COL_ID;
      long long na = ReadNumber(ta, hex), nb = ReadNumber(tb, hex);
      int r = na < nb ? -1 : (na > nb ? 1 : 0);
      return info.ascending ? r : -r;
    }
    default:
      return 0;
  }
}

bool SortRowsByColumn(ListRows& rows, tagListSortInfo& info, int column, int busKind, int msgIdFormat,
                      std::vector<int>* order) {
  if (column <= 1) return false;
  if (busKind != BUS_CAN && busKind != BUS_LOGIC && busKind != BUS_FLEXRAY && busKind != BUS_LIN) return false;
  if (column == info.column) {
    info.ascending = info.ascending ? 0 : 1;
  } else {
    info.column = column;
    info.ascending = 1;
  }
  info.busKind = busKind;
  info.hexIds = msgIdFormat == 1;

  // Sort positions, then move the rows once: equal rows keep their order in
  // both directions, which a list control's own sort does not promise.
  std::vector<std::size_t> positions(rows.size());
  std::iota(positions.begin(), positions.end(), std::size_t{0});
  std::stable_sort(positions.begin(), positions.end(),
                   [&](std::size_t x, std::size_t y) { return CompareItems(rows[x], rows[y], info) < 0; });
  ListRows sorted;
  sorted.reserve(rows.size());
  for (std::size_t k : positions) sorted.push_back(std::move(rows[k]));
  rows = std::move(sorted);
  if (order) order->assign(positions.begin(), positions.end());
  return true;
}

bool CanStartReorder(const std::vector<int>& selection, int rowCount, int& first, int& count) {
  std::vector<int> sel;
  for (int s : selection)
    if (s >= 0 && s < rowCount) sel.push_back(s);
  std::sort(sel.begin(), sel.end());
  sel.erase(std::unique(sel.begin(), sel.end()), sel.end());
  if (sel.empty() || static_cast<int>(sel.size()) == rowCount) return false;
  if (sel.back() - sel.front() + 1 != static_cast<int>(sel.size())) return false;
  first = sel.front();
  count = static_cast<int>(sel.size());
  return true;
}

int ReorderTargetRow(int hitRow, bool lowerHalf, bool overNowhere, int rowCount) {
  if (hitRow >= 0 && hitRow < rowCount) return lowerHalf ? hitRow + 1 : hitRow;
  if (overNowhere) return rowCount >= 2 ? rowCount : -1;
  return -1;
}

int MoveRowBlock(ListRows& rows, int first, int count, int target) {
  const int n = static_cast<int>(rows.size());
  if (target < 0 || target > n || first < 0 || count <= 0 || first + count > n) return -1;
  if (target >= first && target <= first + count) return -1;
  auto begin = rows.begin();
  if (target < first) {
    std::rotate(begin + target, begin + first, begin + first + count);
    return target;
  }
  std::rotate(begin + first, begin + first + count, begin + target);
  return target - count;
}
