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

BoardCanvas::Planes BoardCanvas::planes() {
    return {reinterpret_cast<uchar*>(m_pixels.data()),
            m_known.isEmpty() ? nullptr : reinterpret_cast<uchar*>(m_known.data())};
}

void BoardCanvas::trackKnownPixels() {
    m_known = QByteArray(PixelCount, '\0');
}

bool BoardCanvas::known(int x, int y) const {
    if (!contains(x, y))
        return false;
    return m_known.isEmpty() || m_known[y * Width + x] != 0;
}

void BoardCanvas::forgetRowsFrom(int top) {
    top = std::clamp(top, 0, Height);
    if (!m_known.isEmpty())
        std::memset(m_known.data() + top * Width, 0, size_t((Height - top) * Width));
}

quint8 BoardCanvas::pixel(int x, int y) const {
    return contains(x, y) ? quint8(m_pixels[y * Width + x]) : 0;
}

void BoardCanvas::clear(quint8 color) {
    m_pixels.fill(char(color));
    if (!m_known.isEmpty())
        m_known.fill(1);
}

void BoardCanvas::write(int offset, QByteArrayView pixels) {
    if (offset < 0 || offset >= PixelCount)
        return;
    const qsizetype count = std::min(pixels.size(), qsizetype(PixelCount - offset));
    const Planes planes = this->planes();
    std::memcpy(planes.screen + offset, pixels.data(), size_t(count));
    if (planes.known)
        std::memset(planes.known + offset, 1, size_t(count));
}

void BoardCanvas::setPixel(int x, int y, quint8 color) {
    if (contains(x, y))
        planes().put(y * Width + x, color);
}

void BoardCanvas::Planes::span(int x0, int x1, int y, quint8 color) const {
    if (y < 0 || y >= Height)
        return;
    x0 = std::max(x0, 0);
    x1 = std::min(x1, Width - 1);
    if (x0 > x1)
        return;
    std::memset(screen + y * Width + x0, color, size_t(x1 - x0 + 1));
    if (known)
        std::memset(known + y * Width + x0, 1, size_t(x1 - x0 + 1));
}

void BoardCanvas::line(QPoint start, QPoint end, quint8 color) {
    int x = start.x();
    int y = start.y();
    const int x1 = end.x();
    const int y1 = end.y();
    // A line wholly right of or below the screen draws nothing (coordinates are >= 0).
    if ((x >= Width && x1 >= Width) || (y >= Height && y1 >= Height))
        return;
    const Planes planes = this->planes();
    const int dx = std::abs(x1 - x);
    const int dy = -std::abs(y1 - y);
    const int stepX = x < x1 ? 1 : -1;
    const int stepY = y < y1 ? 1 : -1;
    int error = dx + dy;
    for (;;) {
        if (contains(x, y))
            planes.put(y * Width + x, color);
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
    const Planes planes = this->planes();
    planes.span(left, right, top, color);
    planes.span(left, right, bottom, color);
    for (int y = std::max(top + 1, 0); y < std::min(bottom, Height); ++y) {
        if (left < Width)
            planes.put(y * Width + left, color);
        if (right < Width)
            planes.put(y * Width + right, color);
    }
}

void BoardCanvas::fillRectangle(QPoint corner, QPoint opposite, quint8 color) {
    const int left = std::min(corner.x(), opposite.x());
    const int right = std::max(corner.x(), opposite.x());
    const int top = std::max(std::min(corner.y(), opposite.y()), 0);
    const int bottom = std::min(std::max(corner.y(), opposite.y()), Height - 1);
    const Planes planes = this->planes();
    for (int y = top; y <= bottom; ++y)
        planes.span(left, right, y, color);
}

void BoardCanvas::circle(QPoint center, int radius, quint8 color) {
    const Planes planes = this->planes();
    const auto plot = [&planes, color](int x, int y) {
        if (contains(x, y))
            planes.put(y * Width + x, color);
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
    const Planes planes = this->planes();
    const int cx = center.x();
    const int cy = center.y();
    walkCircleOctant(radius, [&](int x, int y) {
        planes.span(cx - x, cx + x, cy + y, color);
        planes.span(cx - x, cx + x, cy - y, color);
        planes.span(cx - y, cx + y, cy + x, color);
        planes.span(cx - y, cx + y, cy - x, color);
    });
}

void BoardCanvas::glyph(const Glyph& glyph, QPoint bottomLeft, quint8 color) {
    const int bytesPerRow = (glyph.size.width + 7) / 8;
    if (glyph.bitmap.size() < qsizetype(bytesPerRow) * glyph.size.height)
        return;
    // The glyph's columns that lie on the screen.
    const int firstColumn = std::max(0, -bottomLeft.x());
    const int endColumn = std::min(int(glyph.size.width), Width - bottomLeft.x());
    const Planes planes = this->planes();
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
                    planes.put(lineStart + column, color);
            }
        }
    }
}

namespace {

// The part of a plane under a rectangle, appended to saved, or put back from it.
void copyPlane(const QByteArray& plane, const QRect& area, char* to) {
    for (int y = area.top(); y <= area.bottom(); ++y, to += area.width()) {
        const char* from = plane.constData() + y * Width + area.left();
        std::copy(from, from + area.width(), to);
    }
}

void pastePlane(uchar* plane, const QRect& area, const char* from) {
    for (int y = area.top(); y <= area.bottom(); ++y, from += area.width())
        std::memcpy(plane + y * Width + area.left(), from, size_t(area.width()));
}

} // namespace

void BoardCanvas::copy(const QRect& area, QByteArray& saved) const {
    const QRect clipped = area & ScreenRect;
    if (clipped.isEmpty())
        return;
    const qsizetype size = qsizetype(clipped.width()) * clipped.height();
    const qsizetype at = saved.size();
    saved.resize(at + (m_known.isEmpty() ? size : 2 * size));
    copyPlane(m_pixels, clipped, saved.data() + at);
    if (!m_known.isEmpty())
        copyPlane(m_known, clipped, saved.data() + at + size);
}

void BoardCanvas::paste(const QRect& area, QByteArrayView saved) {
    const QRect clipped = area & ScreenRect;
    const qsizetype size = qsizetype(clipped.width()) * clipped.height();
    const Planes planes = this->planes();
    if (saved.size() != (planes.known ? 2 * size : size))
        return;
    pastePlane(planes.screen, clipped, saved.data());
    if (planes.known)
        pastePlane(planes.known, clipped, saved.data() + size);
}
