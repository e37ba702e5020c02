#include "board/boardimage.h"

#include "board/boardemulator.h"
#include "engine/colorvalue.h"

#include <array>

namespace BoardImage {

QImage frame(const BoardEmulator& board) {
    return frame(board.screen());
}

QImage frame(QByteArrayView screen) {
    static const std::array<QRgb, 256> colors = [] {
        std::array<QRgb, 256> table{};
        for (int value = 0; value < 256; ++value)
            table[value] = ColorValue::expand(quint8(value));
        return table;
    }();
    QImage image(BoardGeometry::Width, BoardGeometry::Height, QImage::Format_RGB32);
    if (screen.size() != BoardGeometry::PixelCount)
        return image;
    const uchar* pixels = reinterpret_cast<const uchar*>(screen.data());
    for (int y = 0; y < BoardGeometry::Height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < BoardGeometry::Width; ++x)
            line[x] = colors[*pixels++];
    }
    return image;
}

QImage asPanel(QImage image, const BoardEmulator& board) {
    if (board.rotated())
        image.mirror(true, true);
    return image;
}

QImage panel(const BoardEmulator& board) {
    return asPanel(frame(board), board);
}

} // namespace BoardImage
