#include "board/boardcanvas.h"

#include "board/boardfont.h"

#include <QtAlgorithms>

#include <algorithm>
#include <cstdlib>
#include <cstring>

using BoardGeometry::Height;
using BoardGeometry::PixelCount;
using BoardGeometry::Width;

namespace {

const QRect ScreenRect(0, 0, Width, Height);

// The midpoint circle's walk through one octant, from (radius, 0) until x meets y;
// the other seven octants are its mirror images.
template <typename Visit> void walkCircleOctant(int radius, Visit visit) {
    int x = radius;
    int y = 0;
    int decision = 1 - radius;
    while (x >= y) {
        visit(x, y);
        ++y;
        if (decision < 0) {
            decision += 2 * y + 1;
        } else {
            --x;
            decision += 2 * (y - x) + 1;
        }
    }
}

} // namespace

BoardCanvas::BoardCanvas()
    : m_pixels(PixelCount, '\0') {}

uchar* BoardCanvas::bits() {
    return reinterpret_cast<uchar*>(m_pixels.data());
}

quint8 BoardCanvas::pixel(int x, int y) const {
    return contains(x, y) ? quint8(m_pixels[y * Width + x]) : 0;
}

void BoardCanvas::clear(quint8 color) {
    m_pixels.fill(char(color));
}

void BoardCanvas::write(int offset, QByteArrayView pixels) {
    if (offset < 0 || offset >= PixelCount)
        return;
    const qsizetype count = std::min(pixels.size(), qsizetype(PixelCount - offset));
    std::memcpy(bits() + offset, pixels.data(), size_t(count));
}

void BoardCanvas::setPixel(int x, int y, quint8 color) {
    if (contains(x, y))
        bits()[y * Width + x] = color;
}

void BoardCanvas::span(uchar* screen, int x0, int x1, int y, quint8 color) {
    if (y < 0 || y >= Height)
        return;
    x0 = std::max(x0, 0);
    x1 = std::min(x1, Width - 1);
    if (x0 > x1)
        return;
    std::memset(screen + y * Width + x0, color, size_t(x1 - x0 + 1));
}

void BoardCanvas::line(QPoint start, QPoint end, quint8 color) {
    int x = start.x();
    int y = start.y();
    const int x1 = end.x();
    const int y1 = end.y();
    // A line wholly right of or below the screen draws nothing (coordinates are >= 0).
    if ((x >= Width && x1 >= Width) || (y >= Height && y1 >= Height))
        return;
    uchar* screen = bits();
    const int dx = std::abs(x1 - x);
    const int dy = -std::abs(y1 - y);
    const int stepX = x < x1 ? 1 : -1;
    const int stepY = y < y1 ? 1 : -1;
    int error = dx + dy;
    for (;;) {
        if (contains(x, y))
            screen[y * Width + x] = color;
        if (x == x1 && y == y1)
            break;
        const int doubled = 2 * error;
        if (doubled >= dy) {
            error += dy;
            x += stepX;
        }
        if (doubled <= dx) {
            error += dx;
            y += stepY;
        }
    }
}

void BoardCanvas::rectangle(QPoint corner, QPoint opposite, quint8 color) {
    const int left = std::min(corner.x(), opposite.x());
    const int right = std::max(corner.x(), opposite.x());
    const int top = std::min(corner.y(), opposite.y());
    const int bottom = std::max(corner.y(), opposite.y());
    uchar* screen = bits();
    span(screen, left, right, top, color);
    span(screen, left, right, bottom, color);
    for (int y = std::max(top + 1, 0); y < std::min(bottom, Height); ++y) {
        if (left < Width)
            screen[y * Width + left] = color;
        if (right < Width)
            screen[y * Width + right] = color;
    }
}

void BoardCanvas::fillRectangle(QPoint corner, QPoint opposite, quint8 color) {
    const int left = std::min(corner.x(), opposite.x());
    const int right = std::max(corner.x(), opposite.x());
    const int top = std::max(std::min(corner.y(), opposite.y()), 0);
    const int bottom = std::min(std::max(corner.y(), opposite.y()), Height - 1);
    uchar* screen = bits();
    for (int y = top; y <= bottom; ++y)
        span(screen, left, right, y, color);
}

void BoardCanvas::circle(QPoint center, int radius, quint8 color) {
    uchar* screen = bits();
    const auto plot = [screen, color](int x, int y) {
        if (contains(x, y))
            screen[y * Width + x] = color;
    };
    const int cx = center.x();
    const int cy = center.y();
    walkCircleOctant(radius, [&](int x, int y) {
        plot(cx + x, cy + y);
        plot(cx - x, cy + y);
        plot(cx + x, cy - y);
        plot(cx - x, cy - y);
        plot(cx + y, cy + x);
        plot(cx - y, cy + x);
        plot(cx + y, cy - x);
        plot(cx - y, cy - x);
    });
}

void BoardCanvas::fillCircle(QPoint center, int radius, quint8 color) {
    uchar* screen = bits();
    const int cx = center.x();
    const int cy = center.y();
    walkCircleOctant(radius, [&](int x, int y) {
        span(screen, cx - x, cx + x, cy + y, color);
        span(screen, cx - x, cx + x, cy - y, color);
        span(screen, cx - y, cx + y, cy + x, color);
        span(screen, cx - y, cx + y, cy - x, color);
    });
}

void BoardCanvas::glyph(const Glyph& glyph, QPoint bottomLeft, quint8 color) {
    const int bytesPerRow = (glyph.size.width + 7) / 8;
    if (glyph.bitmap.size() < qsizetype(bytesPerRow) * glyph.size.height)
        return;
    // The glyph's columns that lie on the screen.
    const int firstColumn = std::max(0, -bottomLeft.x());
    const int endColumn = std::min(int(glyph.size.width), Width - bottomLeft.x());
    uchar* screen = bits();
    const auto* rows = reinterpret_cast<const uchar*>(glyph.bitmap.constData());
    for (int row = 0; row < glyph.size.height; ++row) {
        const int y = bottomLeft.y() - row;
        if (y < 0)
            break;
        if (y >= Height)
            continue;
        const uchar* bitsOfRow = rows + row * bytesPerRow;
        const int lineStart = y * Width + bottomLeft.x();
        // Only the inked pixels: each set bit of the row's bytes, lowest (leftmost) first.
        for (int byte = firstColumn / 8; byte * 8 < endColumn; ++byte) {
            for (uint ink = bitsOfRow[byte]; ink != 0; ink &= ink - 1) {
                const int column = byte * 8 + int(qCountTrailingZeroBits(ink));
                if (column >= firstColumn && column < endColumn)
                    screen[lineStart + column] = color;
            }
        }
    }
}

void BoardCanvas::copy(const QRect& area, QByteArray& saved) const {
    const int left = std::max(area.left(), 0);
    const int right = std::min(area.right(), Width - 1);
    const int top = std::max(area.top(), 0);
    const int bottom = std::min(area.bottom(), Height - 1);
    if (left > right || top > bottom)
        return;
    const int width = right - left + 1;
    const qsizetype at = saved.size();
    saved.resize(at + qsizetype(width) * (bottom - top + 1));
    char* to = saved.data() + at;
    for (int y = top; y <= bottom; ++y, to += width) {
        const char* from = m_pixels.constData() + y * Width + left;
        std::copy(from, from + width, to);
    }
}

void BoardCanvas::paste(const QRect& area, QByteArrayView saved) {
    const QRect clipped = area & ScreenRect;
    if (saved.size() != qsizetype(clipped.width()) * clipped.height())
        return;
    const char* from = saved.data();
    for (int y = clipped.top(); y <= clipped.bottom(); ++y, from += clipped.width())
        std::memcpy(bits() + y * Width + clipped.left(), from, size_t(clipped.width()));
}
