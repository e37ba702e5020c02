#include "font/glyphcanvas.h"

#include <QFontMetrics>
#include <QPainter>
#include <QString>

#include <algorithm>

namespace GlyphCanvas {

QSize characterExtent(const QFont& font, char code) {
    return QFontMetrics(font).size(Qt::TextSingleLine, QString(QLatin1Char(code)));
}

QSize pictureBoxSize(const QFont& measureFont, char code, int margin) {
    const QSize label = characterExtent(measureFont, code);
    return {label.width() + margin, label.height() + CellSlack + 2 * FrameWidth};
}

QImage render(char code, const QFont& measureFont, const QFont& drawFont, int margin) {
    const QSize outer = pictureBoxSize(measureFont, code, margin);
    QImage canvas(std::max(outer.width() - 2 * FrameWidth, 0),
                  std::max(outer.height() - 2 * FrameWidth, 0), QImage::Format_RGB32);
    canvas.fill(Qt::white);
    if (canvas.isNull())
        return canvas;
    // The board's glyphs have one bit a pixel. Smoothed, a stem that falls between two
    // pixels comes out too light to count as ink and the glyph loses it.
    QFont font = drawFont;
    font.setStyleStrategy(QFont::StyleStrategy((font.styleStrategy() & ~QFont::PreferAntialias) |
                                               QFont::NoAntialias));
    QPainter painter(&canvas);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QPoint(1, QFontMetrics(font, &canvas).ascent()), QString(QLatin1Char(code)));
    return canvas;
}

} // namespace GlyphCanvas
