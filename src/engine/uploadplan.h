#pragma once

#include "engine/commands.h"
#include "engine/writelist.h"

#include <QByteArrayView>
#include <QList>
#include <QString>

#include <vector>

// One block of an upload: the writes that go out together, after which the board
// answers (any answer is its go-ahead for the next block).
struct UploadBlock {
    WriteList writes;
    // What goes out instead when the upload was stopped before this block: it
    // completes the board's command without the user's data, so that the board is
    // ready for the next command.
    WriteList filler;
    // The receive poll's interval while the board's answer to this block is awaited.
    int pollIntervalMs = 250;
    // The progress bar's value once the block is written and once it is answered
    // (-1: unchanged).
    int progressWhenSent = -1;
    int progressWhenAnswered = -1;
};

// An upload described as data: its blocks, how the user reads its name, and how
// the progress bar follows it.
struct UploadPlan {
    // Short, for the status bar: "Preview".
    QString name;
    // In messages: "The picture preview".
    QString description;
    // What the status bar says while a stopped upload completes the board's command.
    QString finishingNote;
    int progressMaximum = 0;
    // The answer to the last block stays as the board's latest answer.
    bool keepsLastAnswer = false;
    std::vector<UploadBlock> blocks;

    qint64 byteCount() const;
};

// The uploads of the board's protocol, built from the data they carry.
namespace UploadPlans {

// The board answers a screen write after each row of 320 pixels; the header goes
// with the first row. filler: the colour value the rest of a stopped picture takes.
UploadPlan preview(QByteArrayView pixels, quint8 filler);
// The board answers the header when it is ready, then each chunk of 256 pixels.
UploadPlan savePicture(quint8 screen, QByteArrayView pixels, quint8 filler);

struct Glyph {
    Commands::GlyphSize size;
    QByteArray bitmap;
};
// The start and the size table are one block; then each glyph is a block of its own.
// sizes and glyphs: one per character "!" to "~".
UploadPlan font(Commands::FontSlot slot, const QList<Commands::GlyphSize>& sizes,
                const QList<Glyph>& glyphs);

} // namespace UploadPlans
