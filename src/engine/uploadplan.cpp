#include "engine/uploadplan.h"

#include <QCoreApplication>

namespace {

constexpr int ScreenWidth = 320;
constexpr int ScreenHeight = 240;
constexpr int PixelCount = ScreenWidth * ScreenHeight;
constexpr int ChunkBytes = 256;
constexpr int ChunkCount = PixelCount / ChunkBytes;
constexpr int IdlePollMs = 250;
constexpr int PreviewPollMs = 50;
constexpr int SavePollMs = 70;
constexpr int GlyphPollMs = 130;

QString tr(const char* text) {
    return QCoreApplication::translate("UploadPlans", text);
}

// The picture's bytes, exactly a screen's worth: short pictures end in the filler.
QByteArray screenBytes(QByteArrayView pixels, quint8 filler) {
    QByteArray screen = pixels.first(std::min<qsizetype>(pixels.size(), PixelCount)).toByteArray();
    screen.append(PixelCount - screen.size(), char(filler));
    return screen;
}

} // namespace

qint64 UploadPlan::byteCount() const {
    qint64 count = 0;
    for (const UploadBlock& block : blocks)
        count += block.writes.bytes().size();
    return count;
}

namespace UploadPlans {

UploadPlan preview(QByteArrayView pixels, quint8 filler) {
    UploadPlan plan{tr("Preview"),
                    tr("The picture preview"),
                    tr("Finishing the board's picture..."),
                    ScreenHeight - 1,
                    true,
                    {}};
    const WriteList writes = Commands::writeScreen(screenBytes(pixels, filler));
    const WriteList fillers = Commands::writeScreen(QByteArray(PixelCount, char(filler)));
    plan.blocks.reserve(ScreenHeight);
    for (int row = 0; row < ScreenHeight; ++row) {
        // The header is not answered: it goes out with the first row.
        const qsizetype first = row == 0 ? 0 : 1 + row * ScreenWidth;
        const qsizetype count = row == 0 ? 1 + ScreenWidth : ScreenWidth;
        plan.blocks.push_back(
            {writes.mid(first, count), fillers.mid(first, count), PreviewPollMs, -1, row});
    }
    return plan;
}

UploadPlan savePicture(quint8 screen, QByteArrayView pixels, quint8 filler) {
    UploadPlan plan{tr("Save"),
                    tr("Saving the picture"),
                    tr("Finishing the board's picture..."),
                    ChunkCount - 1,
                    false,
                    {}};
    const WriteList writes = Commands::saveScreenPicture(screen, screenBytes(pixels, filler));
    const WriteList fillers =
        Commands::saveScreenPicture(screen, QByteArray(PixelCount, char(filler)));
    plan.blocks.reserve(1 + ChunkCount);
    plan.blocks.push_back({writes.mid(0, 1), fillers.mid(0, 1), IdlePollMs, -1, -1});
    for (int chunk = 0; chunk < ChunkCount; ++chunk) {
        const qsizetype first = 1 + chunk * ChunkBytes;
        plan.blocks.push_back(
            {writes.mid(first, ChunkBytes), fillers.mid(first, ChunkBytes), SavePollMs, -1, chunk});
    }
    return plan;
}

UploadPlan font(Commands::FontSlot slot, const QList<Commands::GlyphSize>& sizes,
                const QList<Glyph>& glyphs) {
    constexpr int LastProgress = Commands::GlyphCount - 1;
    UploadPlan plan{tr("Font upload"),
                    tr("The font upload"),
                    tr("Finishing the board's font..."),
                    LastProgress,
                    false,
                    {}};
    UploadBlock table;
    table.writes = Commands::fontUploadBegin(slot);
    // The sizes go out without waiting in between; the board answers the whole table.
    table.writes.append(Commands::fontSizeTable(sizes));
    table.filler = table.writes;
    table.pollIntervalMs = IdlePollMs;
    table.progressWhenSent = LastProgress;
    table.progressWhenAnswered = 0;
    plan.blocks.push_back(std::move(table));
    const WriteList emptyGlyph = Commands::fontGlyph({0, 0}, {});
    for (int index = 0; index < glyphs.size(); ++index) {
        const Glyph& glyph = glyphs.at(index);
        plan.blocks.push_back(
            {Commands::fontGlyph(glyph.size, glyph.bitmap), emptyGlyph, GlyphPollMs, index, -1});
    }
    return plan;
}

} // namespace UploadPlans
