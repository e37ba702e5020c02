#pragma once

#include "board/stalledcommandguard.h"
#include "engine/seriallink.h"

#include <QPointer>

#include <functional>

class BoardEmulator;
class Clock;

// The app's line to the built-in board: writes go straight to the emulator, reads
// return its answers. Opening tells the board the app's speed; at another speed than
// the board's, the board hears nothing and answers nothing.
class SimulatorLink : public SerialLink {
    Q_OBJECT
public:
    // Told true after each successful open (the app shows the board's window) and
    // false when the line closes again.
    using OpenChanged = std::function<void(bool open)>;

    SimulatorLink(BoardEmulator& board, Clock& clock, OpenChanged onOpenChanged = {},
                  QObject* parent = nullptr);
    ~SimulatorLink() override;

    bool open(int baudRate) override;
    void close() override;
    bool isOpen() const override { return m_open; }
    bool write(QByteArrayView bytes) override;
    QByteArray readAll() override;
    PortError error() const override { return m_error; }

private:
    QPointer<BoardEmulator> m_board;
    OpenChanged m_onOpenChanged;
    StalledCommandGuard m_guard;
    bool m_open = false;
    PortError m_error;
};
