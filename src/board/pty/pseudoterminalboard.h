#pragma once

#include "board/boardemulator.h"
#include "board/linepacer.h"
#include "board/pty/pseudoterminal.h"
#include "board/stalledcommandguard.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class Clock;
class QSocketNotifier;

// The board simulator behind a pseudo-terminal: a program opens devicePath() as its
// serial port and talks to the emulator, which this object feeds and whose answers
// it sends back, on the event loop. The board hears the program only while the speed
// the program set on the device is the board's own (115200 unless changed).
//
//     SystemClock clock;
//     PseudoTerminalBoard board(clock);          // or PseudoTerminalBoard board(clock, options)
//     QSerialPort port(board.devicePath());      // open at 115200 and talk ...
//     QTRY_COMPARE(board.emulator().pixel(10, 20), quint8(224));
//     board.emulator().touch(QPoint(260, 200));  // the report goes out at once
class PseudoTerminalBoard : public QObject {
    Q_OBJECT
public:
    struct Options {
        int baudRate = BoardEmulator::DefaultBaudRate;
        // Reads and answers no faster than the board's speed allows (10 bits a byte),
        // so that transfers take as long as on a real line.
        bool lineRate = false;
    };

    // The clock paces the check for a sender that stopped in the middle of a command.
    explicit PseudoTerminalBoard(Clock& clock, QObject* parent = nullptr);
    PseudoTerminalBoard(Clock& clock, const Options& options, QObject* parent = nullptr);
    ~PseudoTerminalBoard() override;

    bool isOpen() const { return m_pty.isOpen(); }
    QString errorString() const { return m_pty.errorString(); }
    QString devicePath() const { return m_pty.devicePath(); }
    BoardEmulator& emulator() { return m_board; }

Q_SIGNALS:
    // What a log should mention: bytes at a speed the board does not hear, answers
    // that nobody read.
    void notice(const QString& text);

private:
    void readFromLine();
    void feedBoard(const QByteArray& bytes);
    void sendAnswers();
    void writeToLine(const QByteArray& bytes);
    // Paced mode: hands over what has arrived by now and waits for the next byte.
    void pace();
    // The program on the device changed (opened it, closed it or changed speed).
    void followDeviceSpeed();
    qint64 nowNs() const { return m_lineTime.nsecsElapsed(); }

    PseudoTerminal m_pty;
    BoardEmulator m_board;
    StalledCommandGuard m_guard;
    QSocketNotifier* m_readable = nullptr;
    bool m_lineRate = false;
    LinePacer m_inbound;
    LinePacer m_outbound;
    QTimer m_paceTimer;
    QElapsedTimer m_lineTime;
    qint64 m_heardAtNs = -1; // while feeding: when the last byte fed arrived
    qint64 m_lateNs = 0;     // how late the last answer went out
    bool m_ignoring = false;
    bool m_dropping = false;
};
