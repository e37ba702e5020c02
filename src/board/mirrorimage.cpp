#include "board/mirrorimage.h"

#include "board/boardimage.h"
#include "board/boardmirror.h"

#include <QImageWriter>

namespace MirrorImage {
namespace {

// Two greys in diagonal stripes, four pixels wide: no colour of the board looks so.
constexpr QRgb HatchLight = 0xffd8d8d8;
constexpr QRgb HatchDark = 0xff9c9c9c;
constexpr int HatchStripe = 4;

// The screen's picture with each unknown pixel replaced.
template <typename Unknown>
QImage replaceUnknown(QImage image, const MirrorScreen& screen, Unknown unknown) {
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (!screen.knows(x, y))
                line[x] = unknown(x, y);
    }
    if (screen.rotated)
        image.mirror(true, true);
    return image;
}

} // namespace

QImage transparent(const MirrorScreen& screen) {
    return replaceUnknown(BoardImage::frame(screen.pixels).convertToFormat(QImage::Format_ARGB32),
                          screen, [](int, int) { return qRgba(0, 0, 0, 0); });
}

QImage hatched(const MirrorScreen& screen) {
    return replaceUnknown(BoardImage::frame(screen.pixels), screen, [](int x, int y) {
        return ((x + y) / HatchStripe) % 2 ? HatchDark : HatchLight;
    });
}

bool savePng(const MirrorScreen& screen, const QString& file, QString* why) {
    QImageWriter writer(file, "png");
    if (writer.write(transparent(screen)))
        return true;
    if (why)
        *why = QStringLiteral("cannot write %1: %2").arg(file, writer.errorString());
    return false;
}

} // namespace MirrorImage
