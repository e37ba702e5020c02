#include "engine/colorvalue.h"

namespace ColorValue {
namespace {

int level(int component, int step) {
    return component < 0 ? 0 : component / step;
}

int channel(Rgb rgb, int shift) {
    return int((rgb >> shift) & 0xFF);
}

} // namespace

Levels levelsOf(int red, int green, int blue) {
    return {level(red, 32), level(green, 32), level(blue, 64)};
}

Levels levelsOf(Rgb rgb) {
    return levelsOf(channel(rgb, 16), channel(rgb, 8), channel(rgb, 0));
}

quint8 valueOf(Levels levels) {
    return quint8(levels.red * 32 + levels.green * 4 + levels.blue);
}

quint8 reduce(Rgb rgb) {
    return valueOf(levelsOf(rgb));
}

Rgb expand(quint8 value) {
    const int red = (value >> 5) & 7;
    const int green = (value >> 2) & 7;
    const int blue = value & 3;
    // Spread each level over the full range: 0 -> 0, top level -> 255.
    return 0xFF000000u | Rgb(red * 255 / 7) << 16 | Rgb(green * 255 / 7) << 8 | Rgb(blue * 255 / 3);
}

} // namespace ColorValue
