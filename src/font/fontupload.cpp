#include "font/fontupload.h"

#include "app/boardtransfer.h"
#include "app/session.h"
#include "app/workbench.h"
#include "engine/msserial.h"

#include <QProgressBar>
#include <QTimer>

namespace {

constexpr int GlyphPollMs = 130;
constexpr int LastProgress = Commands::GlyphCount - 1;

} // namespace

FontUpload::FontUpload(Workbench& workbench, QObject* owner)
    : QObject(owner)
    , m_workbench(workbench)
    , m_transfer(new BoardTransfer(workbench, tr("The font upload"), this)) {
    connect(m_transfer, &BoardTransfer::finished, this, &FontUpload::finished);
}

bool FontUpload::start(Commands::FontSlot slot, const FontCapture& capture) {
    // The running upload keeps its slot and glyphs.
    if (m_transfer->isRunning())
        return false;
    m_slot = slot;
    m_capture = capture;
    return m_transfer->start({Commands::GlyphCount + 1, [this](int block) { sendBlock(block); },
                              [this](int block) { blockAnswered(block); }});
}

void FontUpload::sendBlock(int block) {
    MSserial& port = m_workbench.port();
    QProgressBar& progress = m_workbench.progressBar();
    m_workbench.session().clearControllerResponse();
    if (block == 0) {
        progress.setMaximum(LastProgress);
        port.output(Commands::fontUploadBegin(m_slot));
        QList<Commands::GlyphSize> sizes;
        for (const CapturedGlyph& glyph : std::as_const(m_capture.sizePass))
            sizes.append(glyph.size());
        // The sizes go out without waiting in between; the board answers the whole table.
        port.output(Commands::fontSizeTable(sizes));
        progress.setValue(LastProgress);
        return;
    }
    const CapturedGlyph& glyph = m_capture.glyphPass.at(block - 1);
    port.output(Commands::fontGlyph(glyph.size(), glyph.bitmap));
    progress.setValue(block - 1);
}

void FontUpload::blockAnswered(int block) {
    m_workbench.session().clearControllerResponse();
    if (block == 0) {
        m_workbench.receiveTimer().setInterval(GlyphPollMs);
        m_workbench.progressBar().setValue(0);
    }
}
