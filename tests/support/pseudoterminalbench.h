#pragma once

#include "board/pty/pseudoterminalboard.h"
#include "engine/clock.h"
#include "testbench.h"

#include <memory>

class PortCatalog;

// A port list of one device, opened through the program's real serial port code.
std::shared_ptr<PortCatalog> deviceCatalog(const QString& path);

// The whole program on a real serial port whose far end is the board simulator
// behind a pseudo-terminal. The program's clock follows real time here (and whatever a
// test adds to it), so tests wait with QTRY_VERIFY; uploads are driven by hand with
// finishTransfer() to stay fast.
class PseudoTerminalBench {
public:
    PseudoTerminalBench();

    bool isOpen() const { return m_board.isOpen(); }
    QString errorString() const { return m_board.errorString(); }
    BoardEmulator& board() { return m_board.emulator(); }
    TestBench& bench() { return m_bench; }

    // Connects through the settings window; false when the board did not answer.
    bool connectBoard();
    // Lets the serial data flow and runs the receive poll until the running upload
    // has finished; false when it is still running after pollLimit polls.
    bool finishTransfer(int pollLimit = 20000);

private:
    // The board runs on real time, like the program's serial port.
    SystemClock m_boardClock;
    PseudoTerminalBoard m_board;
    TestBench m_bench;
};
