// The order of records by their order numbers (a CAN or LIN signal's load
// number, a FlexRay signal's or a LOGIC symbol's row place): numbers of 0 and
// more ascending, equal numbers in the order given, then the unnumbered ones
// (below 0) in the order given. The rows rebuilt from the tables and the file
// written from them both follow it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

// Orders `items`, each with an int `number`, in place.
template <class Item>
void OrderByNumber(std::vector<Item>& items) {
  int maxNo = -1;
  for (const Item& item : items) maxNo = std::max(maxNo, item.number);
  // Nothing numbered (a loaded list that was never shown in another order):
  // the order given stands.
  if (maxNo < 0) return;
  // A loaded or renumbered list numbers its items 0, 1, 2, ... with few gaps:
  // each one goes straight to its place, and the unnumbered ones follow.
  // Numbers that repeat or spread wide take the stable sort.
  if (static_cast<std::size_t>(maxNo) < 2 * items.size() + 64) {
    std::vector<int> slot(static_cast<std::size_t>(maxNo) + 1, -1);
    bool placed = true;
    for (std::size_t k = 0; k < items.size() && placed; ++k) {
      const int no = items[k].number;
      if (no < 0) continue;
      int& at = slot[static_cast<std::size_t>(no)];
      placed = at < 0;
      at = static_cast<int>(k);
    }
    if (placed) {
      std::vector<Item> ordered;
      ordered.reserve(items.size());
      for (int k : slot)
        if (k >= 0) ordered.push_back(items[static_cast<std::size_t>(k)]);
      for (const Item& item : items)
        if (item.number < 0) ordered.push_back(item);
      items.swap(ordered);
      return;
    }
  }
  std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
    if ((a.number < 0) != (b.number < 0)) return b.number < 0;
    return a.number >= 0 && a.number < b.number;
  });
}
