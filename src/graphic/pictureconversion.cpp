#include "graphic/pictureconversion.h"

#include "engine/colorvalue.h"

#include <QtGlobal>

#include <array>
#include <cstdlib>
#include <vector>

namespace {

constexpr int Width = ScreenCanvas::Width;
constexpr int Height = ScreenCanvas::Height;
constexpr QSize ScreenSize(Width, Height);

// side * to / from, rounded, and never below one pixel.
int scaledSide(qint64 side, qint64 to, qint64 from) {
    return int(qMax<qint64>(1, (2 * side * to + from) / (2 * from)));
}

bool widerThanScreen(QSize picture) {
    return qint64(picture.width()) * Height >= qint64(picture.height()) * Width;
}

// 32-bit pixels (a part of the picture is cut out of them in place), premultiplied
// where there is transparency, the form the smooth scaling works in.
QImage scalable(const QImage& picture) {
    const QImage::Format format =
        picture.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    return picture.format() == format ? picture : picture.convertToFormat(format);
}

QImage smoothScaled(const QImage& picture, QSize size) {
    return picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// The centred part of the picture with the screen's 4:3 shape: what Fill shows.
QRect fillPart(QSize picture) {
    if (widerThanScreen(picture)) {
        const int width = qMin(picture.width(), scaledSide(picture.height(), Width, Height));
        return {(picture.width() - width) / 2, 0, width, picture.height()};
    }
    const int height = qMin(picture.height(), scaledSide(picture.width(), Height, Width));
    return {0, (picture.height() - height) / 2, picture.width(), height};
}

// A part of a 32-bit picture, sharing its pixels.
QImage partOf(const QImage& picture, const QRect& part) {
    return QImage(picture.constScanLine(part.top()) + part.left() * 4, part.width(), part.height(),
                  picture.bytesPerLine(), picture.format());
}

// One channel of the board's colour: its levels and the intensity the board shows for
// each (level / 7 or level / 3 of full scale), taken from the board's own expansion.
struct Channel {
    int shift; // where the component sits in a 0xAARRGGBB colour
    int top;   // the highest level
    std::array<int, 8> shown{};
    // The level whose shown intensity is closest to each 8-bit intensity.
    std::array<int, 256> nearest{};

    int component(QRgb rgb) const { return int((rgb >> shift) & 0xFF); }
};

using Channels = std::array<Channel, 3>;

const Channels& boardChannels() {
    static const Channels channels = [] {
        Channels made{Channel{16, 7}, Channel{8, 7}, Channel{0, 3}};
        for (int c = 0; c < 3; ++c) {
            Channel& channel = made[size_t(c)];
            for (int level = 0; level <= channel.top; ++level) {
                int levels[3] = {0, 0, 0};
                levels[c] = level;
                const ColorValue::Rgb shown =
                    ColorValue::expand(ColorValue::valueOf({levels[0], levels[1], levels[2]}));
                channel.shown[size_t(level)] = channel.component(shown);
            }
            for (int intensity = 0; intensity < 256; ++intensity) {
                int best = 0;
                for (int level = 1; level <= channel.top; ++level) {
                    if (std::abs(intensity - channel.shown[size_t(level)]) <
                        std::abs(intensity - channel.shown[size_t(best)]))
                        best = level;
                }
                channel.nearest[size_t(intensity)] = best;
            }
        }
        return made;
    }();
    return channels;
}

quint8 valueOfLevels(const int (&levels)[3]) {
    return ColorValue::valueOf({levels[0], levels[1], levels[2]});
}

// Sixteenths of an intensity to whole intensities, rounded half away from zero.
int fromSixteenths(int sixteenths) {
    return sixteenths >= 0 ? (sixteenths + 8) / 16 : -((8 - sixteenths) / 16);
}

QByteArray diffused(const QImage& screen) {
    const Channels& channels = boardChannels();
    // The error carried to each pixel, in sixteenths, three channels a pixel, with a spare
    // pixel at either end of the row for what falls off the edges.
    constexpr int Stride = 3 * (Width + 2);
    std::vector<int> thisRow(Stride), nextRow(Stride);
    QByteArray pixels(ScreenCanvas::PixelCount, Qt::Uninitialized);
    for (int y = 0; y < Height; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(screen.constScanLine(y));
        char* out = pixels.data() + y * Width;
        // Serpentine: every other row runs right to left, so the error does not drift
        // to one side.
        const int step = y % 2 == 0 ? 1 : -1;
        std::fill(nextRow.begin(), nextRow.end(), 0);
        for (int i = 0; i < Width; ++i) {
            const int x = step > 0 ? i : Width - 1 - i;
            const int at = 3 * (x + 1);
            int levels[3];
            for (int c = 0; c < 3; ++c) {
                const Channel& channel = channels[size_t(c)];
                const int wanted = qBound(
                    0, channel.component(row[x]) + fromSixteenths(thisRow[size_t(at + c)]), 255);
                levels[c] = channel.nearest[size_t(wanted)];
                const int error = wanted - channel.shown[size_t(levels[c])];
                thisRow[size_t(at + 3 * step + c)] += 7 * error;
                nextRow[size_t(at - 3 * step + c)] += 3 * error;
                nextRow[size_t(at + c)] += 5 * error;
                nextRow[size_t(at + 3 * step + c)] += error;
            }
            out[x] = char(valueOfLevels(levels));
        }
        std::swap(thisRow, nextRow);
    }
    return pixels;
}

// The threshold order of an 8 x 8 Bayer matrix.
constexpr int Bayer[8][8] = {{0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
                             {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
                             {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
                             {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21}};

QByteArray ordered(const QImage& screen) {
    const Channels& channels = boardChannels();
    QByteArray pixels(ScreenCanvas::PixelCount, Qt::Uninitialized);
    char* out = pixels.data();
    for (int y = 0; y < Height; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(screen.constScanLine(y));
        for (int x = 0; x < Width; ++x) {
            // The board shows level L at L / top of full scale: the intensity as a level
            // with a fraction, raised by the matrix's threshold (between 1/128 and 127/128)
            // and cut to a whole level. White and black stay exact.
            const int threshold = 255 * (2 * Bayer[y % 8][x % 8] + 1);
            int levels[3];
            for (int c = 0; c < 3; ++c) {
                const Channel& channel = channels[size_t(c)];
                levels[c] =
                    (channel.component(row[x]) * channel.top * 128 + threshold) / (255 * 128);
            }
            *out++ = char(valueOfLevels(levels));
        }
    }
    return pixels;
}

} // namespace

QRect picturePlacement(QSize picture, PictureFit fit) {
    if (picture.isEmpty())
        return {};
    QSize size = picture;
    switch (fit) {
    case PictureFit::AsIs:
        return {QPoint(0, 0), picture};
    case PictureFit::Stretch:
        return {QPoint(0, 0), ScreenSize};
    case PictureFit::Fit:
        size = widerThanScreen(picture)
                   ? QSize(Width, scaledSide(picture.height(), Width, picture.width()))
                   : QSize(scaledSide(picture.width(), Height, picture.height()), Height);
        break;
    case PictureFit::Fill:
        size = widerThanScreen(picture)
                   ? QSize(scaledSide(picture.width(), Height, picture.height()), Height)
                   : QSize(Width, scaledSide(picture.height(), Width, picture.width()));
        break;
    }
    return {QPoint((Width - size.width()) / 2, (Height - size.height()) / 2), size};
}

ScreenCanvas placedPicture(const QImage& picture, PictureFit fit, const QColor& background) {
    if (picture.isNull())
        return ScreenCanvas(background);
    if (fit == PictureFit::AsIs)
        return ScreenCanvas(picture, background);
    const QImage source = scalable(picture);
    if (fit == PictureFit::Fill) {
        // Only the part that shows is scaled: a 1 x 30000 picture scaled whole would
        // become 320 x 9,600,000 pixels.
        return ScreenCanvas(smoothScaled(partOf(source, fillPart(source.size())), ScreenSize),
                            background);
    }
    const QRect place = picturePlacement(source.size(), fit);
    return ScreenCanvas(smoothScaled(source, place.size()), background, place.topLeft());
}

QByteArray reducedPixels(const ScreenCanvas& screen, PictureDither dither) {
    switch (dither) {
    case PictureDither::Diffusion:
        return diffused(screen.image());
    case PictureDither::Ordered:
        return ordered(screen.image());
    case PictureDither::None:
        break;
    }
    return screenPixels(screen);
}

QByteArray boardPixels(const QImage& picture, const PictureOptions& options) {
    return reducedPixels(placedPicture(picture, options.fit, options.background), options.dither);
}

QImage boardColours(const QByteArray& pixels) {
    QImage image(ScreenSize, QImage::Format_RGB32);
    image.fill(Qt::black);
    const int count = qMin(int(pixels.size()), ScreenCanvas::PixelCount);
    for (int i = 0; i < count; ++i) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(i / Width));
        row[i % Width] = ColorValue::expand(quint8(pixels.at(i)));
    }
    return image;
}

const QStringList& pictureFitNames() {
    static const QStringList names{QStringLiteral("as-is"), QStringLiteral("fit"),
                                   QStringLiteral("fill"), QStringLiteral("stretch")};
    return names;
}

const QStringList& pictureDitherNames() {
    static const QStringList names{QStringLiteral("none"), QStringLiteral("diffusion"),
                                   QStringLiteral("ordered")};
    return names;
}

std::optional<PictureFit> pictureFitNamed(QStringView name) {
    const auto index = pictureFitNames().indexOf(name);
    return index < 0 ? std::nullopt : std::optional<PictureFit>(PictureFit(index));
}

std::optional<PictureDither> pictureDitherNamed(QStringView name) {
    const auto index = pictureDitherNames().indexOf(name);
    return index < 0 ? std::nullopt : std::optional<PictureDither>(PictureDither(index));
}
