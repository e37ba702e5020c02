#include "serial/colorvalue.h"

namespace ColorValue {
namespace {

int level(int component, int step) {
    return component < 0 ? 0 : component / step;
}

} // namespace

Levels levelsOf(int red, int green, int blue) {
    return {level(red, 32), level(green, 32), level(blue, 64)};
}

Levels levelsOf(QRgb rgb) {
    return levelsOf(qRed(rgb), qGreen(rgb), qBlue(rgb));
}

quint8 valueOf(Levels levels) {
    return quint8(levels.red * 32 + levels.green * 4 + levels.blue);
}

quint8 reduce(QRgb rgb) {
    return valueOf(levelsOf(rgb));
}

QRgb expand(quint8 value) {
    const int red = (value >> 5) & 7;
    const int green = (value >> 2) & 7;
    const int blue = value & 3;
    // Spread each level over the full range: 0 -> 0, top level -> 255.
    return qRgb(red * 255 / 7, green * 255 / 7, blue * 255 / 3);
}

} // namespace ColorValue
