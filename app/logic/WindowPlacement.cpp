#include "WindowPlacement.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace {

using i64 = std::int64_t;

// Gap between [a0, a1) and [b0, b1) along one axis; 0 when they overlap.
i64 Gap(i64 a0, i64 a1, i64 b0, i64 b1) {
  if (a1 <= b0) return b0 - a1 + 1;
  if (b1 <= a0) return a0 - b1 + 1;
  return 0;
}

// Shared area of the rectangle and a work area (0 when they do not meet).
i64 Overlap(i64 l, i64 t, i64 r, i64 b, const ScreenRect& s) {
  const i64 w = std::min<i64>(r, i64{s.x} + s.width) - std::max<i64>(l, s.x);
  const i64 h = std::min<i64>(b, i64{s.y} + s.height) - std::max<i64>(t, s.y);
  return w > 0 && h > 0 ? w * h : 0;
}

}  // namespace

ScreenRect PlaceOnScreens(int left, int top, int right, int bottom, const std::vector<ScreenRect>& screens) {
  const i64 l = left, t = top, r = right, b = bottom;
  i64 width = std::max<i64>(1, r - l);
  i64 height = std::max<i64>(1, b - t);
  if (screens.empty())
    return ScreenRect{left, top, static_cast<int>(std::min<i64>(width, INT_MAX)),
                      static_cast<int>(std::min<i64>(height, INT_MAX))};

  // The work area that holds most of the window, else the nearest one.
  std::size_t best = 0;
  i64 bestArea = 0;
  for (std::size_t i = 0; i < screens.size(); ++i) {
    const i64 area = Overlap(l, t, r, b, screens[i]);
    if (area > bestArea) {
      bestArea = area;
      best = i;
    }
  }
  const bool onScreen = bestArea > 0;
  if (!onScreen) {
    i64 bestGap = INT64_MAX;
    for (std::size_t i = 0; i < screens.size(); ++i) {
      const ScreenRect& s = screens[i];
      const i64 gap = Gap(l, r, s.x, i64{s.x} + s.width) + Gap(t, b, s.y, i64{s.y} + s.height);
      if (gap < bestGap) {
        bestGap = gap;
        best = i;
      }
    }
  }
  const ScreenRect& s = screens[best];
  const bool cut = width > s.width || height > s.height;
  width = std::clamp<i64>(width, 1, std::max(1, s.width));
  height = std::clamp<i64>(height, 1, std::max(1, s.height));
  i64 x = l, y = t;
  if (!onScreen || cut) {
    x = std::clamp<i64>(x, s.x, std::max<i64>(s.x, i64{s.x} + s.width - width));
    y = std::clamp<i64>(y, s.y, std::max<i64>(s.y, i64{s.y} + s.height - height));
  }
  return ScreenRect{static_cast<int>(x), static_cast<int>(y), static_cast<int>(width), static_cast<int>(height)};
}
