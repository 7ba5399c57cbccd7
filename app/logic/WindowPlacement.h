// Where the main window opens: the normal rectangle kept in the settings,
// moved onto a screen when it lies on none (a monitor that is gone, a hand-
// edited settings file), and never larger than that screen. Toolkit-free.
#pragma once

#include <vector>

// A rectangle by position and size, as the toolkit places windows.
struct ScreenRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool operator==(const ScreenRect&) const = default;
};

// The window rectangle for the saved edges `left`, `top`, `right`, `bottom`
// on the screens' work areas `screens`. Any four values are safe (the size is
// worked out in 64 bits, so -2147483648 as an edge cannot overflow). A
// rectangle that shares at least one pixel with a work area keeps its place;
// one that shares none moves into the nearest work area. Either way the size
// is cut to the work area it belongs to, and a cut rectangle is moved to lie
// inside it. Without screens the size is only kept within int range.
// The saved rectangle must not be empty (right > left, bottom > top).
ScreenRect PlaceOnScreens(int left, int top, int right, int bottom, const std::vector<ScreenRect>& screens);
