#pragma once

#include "engine/commands.h"

#include <QByteArray>
#include <QList>

// A glyph as the board stores it: width x height pixels, rows from the bottom row
// up, ceil(width / 8) bytes a row, bit 0 of a byte its leftmost pixel.
struct Glyph {
    Commands::GlyphSize size{};
    QByteArray bitmap;

    bool isEmpty() const { return size.width == 0 || size.height == 0; }
    // rowFromBottom 0 is the bottom row.
    bool inked(int x, int rowFromBottom) const;
};

// One of the board's fonts: a glyph for each character "!" to "~" (codes 33 to 126).
class BoardFont {
public:
    // glyphs[i] is the glyph of code 33 + i; missing ones stay empty.
    explicit BoardFont(QList<Glyph> glyphs);
    // The 5 x 7 font the board uses until one is loaded.
    static const BoardFont& builtIn();

    // nullptr when the font has no ink for that code (space, control codes, 127+).
    const Glyph* glyph(int code) const;
    // The tallest glyph: text sits on the bottom line of a band this high.
    int lineHeight() const { return m_lineHeight; }
    // The blank that a space (or a code without a glyph) leaves, before the gap column.
    int spaceWidth() const { return m_spaceWidth; }

private:
    BoardFont(QList<Glyph> glyphs, int spaceWidth);

    QList<Glyph> m_glyphs;
    int m_lineHeight = 1;
    int m_spaceWidth = 1;
};
