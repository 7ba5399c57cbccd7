// Where an arrow key or a wheel notch takes a combo box's selection. The box
// steps from the item its field shows; a field showing text that is no item
// (typed, or emptied) stands before the first item, so either direction lands
// on item 0 first, as the original platform's list did.
#pragma once

#include <algorithm>

namespace ctl {

// `from`: the item the field shows, -1 for none; `step`: -1 up, +1 down.
// The item to select, or -1 when the list is empty.
inline int ComboStepTarget(int from, int step, int count) {
  if (count <= 0) return -1;
  if (from < 0 || from >= count) return 0;
  return std::clamp(from + step, 0, count - 1);
}

}  // namespace ctl
