#pragma once

#include <QImage>

// Lumaret's icon: the board with the 256 colours of its screen. The window icon and the
// icons installed for the desktop are all drawn from one SVG picture.
namespace ApplicationIcon {

// The icon drawn into a size x size picture, transparent around the board; a null
// picture for a size below 1.
QImage render(int size);

} // namespace ApplicationIcon
