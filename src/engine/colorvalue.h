#pragma once

#include <QtGlobal>

// The board's colour value: one byte, RGB 3-3-2 (bits 7-5 red level 0-7, bits 4-2
// green level 0-7, bits 1-0 blue level 0-3); 255 is white, 0 black.
namespace ColorValue {

// A desktop colour laid out as 0xAARRGGBB (the same layout as Rgb, without needing
// the GUI module).
using Rgb = quint32;

struct Levels {
    int red;   // 0..7
    int green; // 0..7
    int blue;  // 0..3
};

// A 24-bit colour reduced by truncation (no rounding): red and green by 32, blue by 64.
// A component below 0 gives level 0.
Levels levelsOf(int red, int green, int blue);
Levels levelsOf(Rgb rgb);
quint8 valueOf(Levels levels);
quint8 reduce(Rgb rgb);

// The colour the board shows for a value; reducing it gives the value back.
Rgb expand(quint8 value);

} // namespace ColorValue
