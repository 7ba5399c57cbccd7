// Icons and toolbar images, drawn by the program itself so that every
// language library shares them.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace vrres {

// Icon by its resource identifier (IDI_...); a null icon for an unknown one.
QIcon LoadIcon(int id);

// Image `index` (0..5) of toolbar 128: FlexRay, CAN/CAN FD, LIN, LOGIC, Find,
// user's manual; 85 x 16 pixels each.
QPixmap ToolbarImage(int index);
constexpr int kToolbarImageWidth = 85;
constexpr int kToolbarImageHeight = 16;

}  // namespace vrres
