#include "draw/palette.h"

#include <array>

namespace Palette {
namespace {

// The intensities the swatches are painted with, per level. Red and green levels 1
// and 2 read back one level lower through the truncating reduction.
constexpr std::array<int, 8> RedGreenIntensity{0, 28, 61, 97, 134, 172, 212, 252};
constexpr std::array<int, 4> BlueIntensity{0, 74, 162, 255};

} // namespace

QRgb swatchColor(int row, int column) {
    if (row == Rows - 1 && column == Columns - 1)
        return qRgb(255, 255, 255);
    return qRgb(RedGreenIntensity[std::size_t(column / 4)], RedGreenIntensity[std::size_t(row)],
                BlueIntensity[std::size_t(column % 4)]);
}

QImage picture() {
    QImage image(Width, Height, QImage::Format_RGB32);
    for (int y = 0; y < Height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < Width; ++x)
            line[x] = swatchColor(y / SwatchHeight, x / SwatchWidth);
    }
    return image;
}

} // namespace Palette
