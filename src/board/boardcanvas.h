#pragma once

#include "engine/boardgeometry.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QPoint>
#include <QRect>

struct Glyph;

// The board's screen memory: 320 x 240 colour values, row by row from the top.
// Every drawing operation clips to the screen; coordinates may lie anywhere.
//
// A canvas may also keep which pixels are known: a second plane, 1 for each pixel
// drawn since tracking began, 0 for the others (what a screen showed before).
class BoardCanvas {
public:
    BoardCanvas();

    const QByteArray& pixels() const { return m_pixels; }
    // From now on every pixel is unknown until something draws it.
    void trackKnownPixels();
    bool tracksKnownPixels() const { return !m_known.isEmpty(); }
    // One byte a pixel, 1 where known; empty while not tracking.
    const QByteArray& knownPixels() const { return m_known; }
    // Whether the pixel was drawn since tracking began (always, while not tracking).
    bool known(int x, int y) const;
    // The rows from top down forget what they show.
    void forgetRowsFrom(int top);
    // 0 (black) outside the screen.
    quint8 pixel(int x, int y) const;
    static bool contains(int x, int y) {
        return x >= 0 && x < BoardGeometry::Width && y >= 0 && y < BoardGeometry::Height;
    }

    void clear(quint8 color);
    // Pixels from offset on (counted row by row from (0, 0)); what lies beyond the
    // screen is dropped.
    void write(int offset, QByteArrayView pixels);
    void setPixel(int x, int y, quint8 color);
    // Bresenham's line, both end points included.
    void line(QPoint start, QPoint end, quint8 color);
    // Corners in any order, both included.
    void rectangle(QPoint corner, QPoint opposite, quint8 color);
    void fillRectangle(QPoint corner, QPoint opposite, quint8 color);
    // The midpoint circle; the filled disc has the same outline.
    void circle(QPoint center, int radius, quint8 color);
    void fillCircle(QPoint center, int radius, quint8 color);
    // The glyph's inked pixels, its bottom-left pixel at bottomLeft.
    void glyph(const Glyph& glyph, QPoint bottomLeft, quint8 color);

    // Appends the pixels of a rectangle (clipped to the screen), and whether they are
    // known, to put back later.
    void copy(const QRect& area, QByteArray& saved) const;
    void paste(const QRect& area, QByteArrayView saved);

private:
    // The planes for writing (a copy handed out by pixels() keeps its own); known is
    // nullptr while not tracking.
    struct Planes {
        uchar* screen;
        uchar* known;
        void put(int index, quint8 color) const {
            screen[index] = color;
            if (known)
                known[index] = 1;
        }
        // Clipped horizontal run from x0 to x1 on row y.
        void span(int x0, int x1, int y, quint8 color) const;
    };
    Planes planes();

    QByteArray m_pixels;
    QByteArray m_known;
};
