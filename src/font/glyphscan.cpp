#include "font/glyphscan.h"

#include <algorithm>

namespace GlyphScan {

namespace {

// The scans read whole rows of 32-bit pixels; other formats are converted once.
QImage rgb32(const QImage& canvas) {
    if (canvas.format() == QImage::Format_RGB32 || canvas.format() == QImage::Format_ARGB32)
        return canvas;
    return canvas.convertToFormat(QImage::Format_RGB32);
}

const QRgb* pixelRow(const QImage& image, int y) {
    return reinterpret_cast<const QRgb*>(image.constScanLine(y));
}

bool rowHasInk(const QImage& image, int y) {
    const QRgb* pixels = pixelRow(image, y);
    return std::any_of(pixels, pixels + image.width(), isInk);
}

bool columnHasInk(const QImage& image, int x) {
    for (int y = 0; y < image.height(); ++y) {
        if (isInk(pixelRow(image, y)[x]))
            return true;
    }
    return false;
}

} // namespace

bool isInk(QRgb pixel) {
    const quint32 colorValue =
        quint32(qBlue(pixel)) << 16 | quint32(qGreen(pixel)) << 8 | quint32(qRed(pixel));
    return colorValue <= InkThreshold;
}

int CountTopBlank(const QImage& canvas) {
    const QImage image = rgb32(canvas);
    for (int y = 0; y < image.height(); ++y) {
        if (rowHasInk(image, y))
            return y;
    }
    return image.height();
}

int CountRightBlank(const QImage& canvas) {
    const QImage image = rgb32(canvas);
    for (int x = image.width() - 1; x >= 0; --x) {
        if (columnHasInk(image, x))
            return image.width() - 1 - x;
    }
    return image.width();
}

int CountLeftBlank(const QImage& canvas) {
    const QImage image = rgb32(canvas);
    const int columns = std::min(LeftBlankLimit, image.width());
    for (int x = 0; x < columns; ++x) {
        if (columnHasInk(image, x))
            return x;
    }
    return columns;
}

ScannedGlyph ScanGlyph(const QImage& canvas, const Blanks& blanks) {
    const QImage image = rgb32(canvas);
    ScannedGlyph glyph;
    glyph.width = image.width() - blanks.right - blanks.left;
    glyph.height = image.height() - blanks.top;
    const int firstColumn = std::max(blanks.left, 0);
    const int lastColumn = std::min(image.width() - 1 - blanks.right, image.width() - 1);
    for (int y = image.height() - 1; y >= std::max(blanks.top, 0); --y) {
        QBitArray row(std::max(glyph.width, 0));
        const QRgb* pixels = pixelRow(image, y);
        for (int x = firstColumn; x <= lastColumn; ++x) {
            if (isInk(pixels[x]))
                row.setBit(x - blanks.left);
        }
        glyph.rows.append(row);
    }
    TrimBottomRows(glyph);
    return glyph;
}

void TrimBottomRows(ScannedGlyph& glyph) {
    while (!glyph.rows.isEmpty() && glyph.rows.first().count(true) == 0) {
        glyph.rows.removeFirst();
        --glyph.height;
    }
}

ScannedGlyph scanCanvas(const QImage& canvas) {
    const QImage image = rgb32(canvas);
    const Blanks blanks{CountTopBlank(image), CountRightBlank(image), CountLeftBlank(image)};
    return ScanGlyph(image, blanks);
}

QByteArray packGlyphBitmap(const ScannedGlyph& glyph) {
    const qsizetype bytesPerRow = (std::max(glyph.width, 0) + 7) / 8;
    QByteArray bitmap(bytesPerRow * glyph.rows.size(), '\0');
    char* byte = bitmap.data();
    for (const QBitArray& row : glyph.rows) {
        for (qsizetype x = 0; x < row.size(); ++x) {
            if (row.testBit(x))
                byte[x / 8] = char(quint8(byte[x / 8]) | 1 << (x % 8));
        }
        byte += bytesPerRow;
    }
    return bitmap;
}

} // namespace GlyphScan
