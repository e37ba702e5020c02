#pragma once

#include "engine/commands.h"
#include "engine/uploadplan.h"

#include <QByteArray>
#include <QFont>
#include <QImage>
#include <QList>
#include <QString>

// One character as captured: its inked box and the bitmap the board stores.
struct CapturedGlyph {
    char code = 0;
    int width = 0;
    int height = 0;
    QByteArray bitmap;

    // The board takes a size of one byte each, and a glyph with ink.
    bool fitsBoard() const;
    bool tooLarge() const;
    Commands::GlyphSize size() const { return {quint8(width), quint8(height)}; }
};

// The characters "!" to "~" rendered and scanned twice, as the upload sends them: once
// for the size table (on the narrower canvas), once for the glyphs themselves.
struct FontCapture {
    QList<CapturedGlyph> sizePass;
    QList<CapturedGlyph> glyphPass;
    // The picture box's drawing area after the last character of the glyph pass.
    QImage lastCanvas;

    // measureFont sizes the canvas (the label's font), drawFont draws on it.
    static FontCapture capture(const QFont& measureFont, const QFont& drawFont);

    // The upload into a font slot: the size table from the first pass, the glyphs
    // from the second.
    UploadPlan uploadPlan(Commands::FontSlot slot) const;

    // Whether every glyph of both passes fits the board.
    bool isSendable() const;
    // The characters, separated by blanks, that the board cannot take.
    QString charactersWithoutInk() const;
    QString charactersTooLarge() const;
};
