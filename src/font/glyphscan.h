#pragma once

#include <QBitArray>
#include <QByteArray>
#include <QImage>
#include <QList>

// Finding a character's ink on its canvas, cropping it to the inked box and packing
// it the way the board stores glyphs. Plain functions on an image: no widgets.
namespace GlyphScan {

// A pixel is ink when its colour, read as one 0x00BBGGRR number, is at most this.
inline constexpr quint32 InkThreshold = 0x444444;
// The blank columns left of the ink are looked for in this many columns only.
inline constexpr int LeftBlankLimit = 6;

bool isInk(QRgb pixel);

// Wholly blank rows above the first inked row (the canvas height when nothing is inked).
int CountTopBlank(const QImage& canvas);
// Wholly blank columns right of the rightmost inked column (the canvas width when
// nothing is inked).
int CountRightBlank(const QImage& canvas);
// Blank columns left of the leftmost inked column, at most LeftBlankLimit: ink that
// starts further right keeps the blank columns from the limit on in the glyph.
int CountLeftBlank(const QImage& canvas);

struct Blanks {
    int top = 0;
    int right = 0;
    int left = 0;
};

// A glyph as scanned: rows from the bottom up, each row's pixels left to right.
struct ScannedGlyph {
    int width = 0;
    int height = 0;
    QList<QBitArray> rows;

    // A canvas without ink yields no rows; the board cannot take such a glyph.
    bool hasInk() const { return !rows.isEmpty(); }
};

// Reads the rows from the bottom of the canvas up to the top blank, and the columns
// between the left and right blanks; then trims the blank rows at the bottom.
ScannedGlyph ScanGlyph(const QImage& canvas, const Blanks& blanks);
// Drops the blank rows at the bottom of the glyph.
void TrimBottomRows(ScannedGlyph& glyph);
// The blanks counted, then the glyph scanned: the character cropped to its ink.
ScannedGlyph scanCanvas(const QImage& canvas);

// The bitmap the board stores: rows bottom first, each row in ceil(width / 8) bytes
// of its own, the leftmost pixel of each byte in bit 0, an inked pixel a set bit.
QByteArray packGlyphBitmap(const ScannedGlyph& glyph);

} // namespace GlyphScan
