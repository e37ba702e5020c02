#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QPoint>

// A picture as the board's screen takes it: 320 x 240 pixels of background with the
// picture drawn from a corner, by default the top-left one at its natural size. A larger
// picture is cut off at the edges; a smaller one leaves background around it.
class ScreenCanvas {
public:
    static constexpr int Width = 320;
    static constexpr int Height = 240;
    static constexpr int PixelCount = Width * Height;

    explicit ScreenCanvas(const QColor& background);
    // The picture's top-left corner lands at `at` (negative where it is cut off).
    ScreenCanvas(const QImage& picture, const QColor& background, QPoint at = QPoint(0, 0));

    // Always Width x Height, 32-bit RGB.
    const QImage& image() const { return m_image; }

private:
    QImage m_image;
};

// The canvas in the board's colour values (RGB 3-3-2), one byte per pixel, rows from
// the top, each row from x = 0 to 319: what a screen write or a picture save sends.
QByteArray screenPixels(const ScreenCanvas& canvas);
