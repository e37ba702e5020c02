#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class BoardEmulator;
class Clock;

// Gives up a command whose bytes stopped coming, so that a sender that went away
// in the middle of one does not leave the board taking its next commands as
// parameters. It watches only while a command is partly received.
class StalledCommandGuard : public QObject {
    Q_OBJECT
public:
    // Longer than any pause a sender makes inside a command (the app waits at most one
    // receive poll between the blocks of a transfer).
    static constexpr int DefaultQuietLimitMs = 3000;

    StalledCommandGuard(BoardEmulator& board, Clock& clock, QObject* parent = nullptr,
                        int quietLimitMs = DefaultQuietLimitMs);

    // Runs at each check while a command is partly received, to look at the line
    // (for a pseudo-terminal: whether the program closed the device), and may reset it.
    void setLineCheck(std::function<void()> lineCheck) { m_lineCheck = std::move(lineCheck); }
    // Call after bytes reached the board.
    void bytesFed();

private:
    // Whether a command is partly received.
    bool watching() const;
    void scheduleCheck();
    void check();

    QPointer<BoardEmulator> m_board;
    Clock& m_clock;
    int m_quietLimitMs;
    int m_checkIntervalMs;
    qint64 m_lastBytesMs;
    bool m_checkScheduled = false;
    std::function<void()> m_lineCheck;
};
