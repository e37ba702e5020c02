#include "graphic/screencanvas.h"

#include "engine/colorvalue.h"

#include <QPainter>

ScreenCanvas::ScreenCanvas(const QColor& background)
    : m_image(Width, Height, QImage::Format_RGB32) {
    m_image.fill(background);
}

ScreenCanvas::ScreenCanvas(const QImage& picture, const QColor& background, QPoint at)
    : ScreenCanvas(background) {
    QPainter painter(&m_image);
    // Transparent parts of a GIF or PNG show the background, as in the picture box.
    painter.drawImage(at, picture);
}

QByteArray screenPixels(const ScreenCanvas& canvas) {
    const QImage& image = canvas.image();
    QByteArray pixels(ScreenCanvas::PixelCount, Qt::Uninitialized);
    char* out = pixels.data();
    for (int y = 0; y < ScreenCanvas::Height; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < ScreenCanvas::Width; ++x)
            *out++ = char(ColorValue::reduce(row[x]));
    }
    return pixels;
}
