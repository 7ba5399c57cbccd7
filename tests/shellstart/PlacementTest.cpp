#include "WindowPlacement.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

struct PlaceCase {
  const char* what;
  int left, top, right, bottom;
  ScreenRect expected;
};

// Two work areas side by side: 1920x1040 at the origin, 1280x1000 right of it.
const std::vector<ScreenRect> kScreens = {{0, 0, 1920, 1040}, {1920, 0, 1280, 1000}};

}  // namespace

TEST(WindowPlacement, SavedRectangleLandsOnAScreen) {
  const PlaceCase cases[] = {
      {"on the first screen", 100, 50, 1100, 690, {100, 50, 1000, 640}},
      {"on the second screen", 2000, 100, 2800, 700, {2000, 100, 800, 600}},
      {"partly off the left edge stays", -300, 10, 500, 610, {-300, 10, 800, 600}},
      {"across both screens stays", 1500, 100, 2500, 700, {1500, 100, 1000, 600}},
      {"right of every screen", 5000, 100, 5800, 700, {2400, 100, 800, 600}},
      {"below every screen", 100, 3000, 900, 3600, {100, 440, 800, 600}},
      {"left of every screen, far", -90000, -90000, -89000, -89400, {0, 0, 1000, 600}},
      {"left edge at the int minimum", INT_MIN, 0, 500, 400, {0, 0, 1920, 400}},
      {"every edge at an extreme", INT_MIN, INT_MIN, INT_MAX, INT_MAX, {0, 0, 1920, 1040}},
      {"far right and down", INT_MAX - 10, INT_MAX - 10, INT_MAX, INT_MAX, {3190, 990, 10, 10}},
      {"taller than its screen", 100, -50, 900, 1500, {100, 0, 800, 1040}},
  };
  for (const PlaceCase& c : cases) {
    EXPECT_EQ(PlaceOnScreens(c.left, c.top, c.right, c.bottom, kScreens), c.expected) << c.what;
  }
}

TEST(WindowPlacement, WithoutScreensTheSizeStaysInRange) {
  EXPECT_EQ(PlaceOnScreens(INT_MIN, 0, 500, 400, {}), (ScreenRect{INT_MIN, 0, INT_MAX, 400}));
  EXPECT_EQ(PlaceOnScreens(10, 20, 110, 220, {}), (ScreenRect{10, 20, 100, 200}));
}
