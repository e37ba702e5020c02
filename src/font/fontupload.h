#pragma once

#include "font/fontcapture.h"
#include "engine/commands.h"

#include <QObject>

class BoardTransfer;
class Workbench;

// Loads a captured font into one of the board's two font slots. The first block is
// the upload's start and the size table; then each glyph is a block of its own. The
// board answers each block, and the next one goes out when the receive poll has seen
// that answer; the poll runs at 130 ms while the glyphs go out.
class FontUpload : public QObject {
    Q_OBJECT
public:
    // Ends with the owner (the font window): a running upload then stops cleanly.
    FontUpload(Workbench& workbench, QObject* owner);

    // Refused while another upload owns the line (the user is told) or the port is closed.
    bool start(Commands::FontSlot slot, const FontCapture& capture);

Q_SIGNALS:
    void finished(bool completed);

private:
    void sendBlock(int block);
    void blockAnswered(int block);

    Workbench& m_workbench;
    BoardTransfer* m_transfer;
    Commands::FontSlot m_slot = Commands::FontSlot::Font1;
    FontCapture m_capture;
};
