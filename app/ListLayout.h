// Where the list windows put their controls, in pixels of the client area:
// the caption and the file name in a line at the top, a row of buttons under
// them, the list filling the middle, and a row of buttons at the bottom.
#pragma once

namespace listlayout {

// Space between the window's edges and the caption, buttons and list.
constexpr int kMargin = 10;
// Top of the caption and the file name.
constexpr int kCaptionTop = 5;
// The caption's box is this much wider than its text.
constexpr int kCaptionSlack = 2;
constexpr int kFileNameHeight = 16;

constexpr int kButtonWidth = 44;
constexpr int kButtonHeight = 26;
constexpr int kButtonIconSize = 20;
// Left edges of the top row's buttons, in template order.
constexpr int kTopRowY = 26;
constexpr int kTopButtonX[] = {kMargin, 64, 108};
// A window offers at most this many buttons with tooltips.
constexpr int kMaxButtons = 5;

// The list starts below the top row and leaves room for the bottom row.
constexpr int kListTop = 57;
constexpr int kListBottomSpace = 36;
// Bottom-row buttons sit this far above the bottom edge.
constexpr int kBottomRowGap = 5;

}  // namespace listlayout
