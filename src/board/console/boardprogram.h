#pragma once

#include "board/boardconsole.h"
#include "board/pty/pseudoterminalboard.h"
#include "engine/clock.h"
#include "engine/commandlog.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QSocketNotifier;
class SignalNotifier;

// lumaret-board: the board simulator on a pseudo-terminal, for any program that
// talks to a serial device. It prints the device's path, optionally links a fixed
// path to it, takes console commands on standard input, writes screenshots on
// SIGUSR1 and on exit, and ends cleanly on SIGINT, SIGTERM and SIGHUP.
class BoardProgram : public QObject {
    Q_OBJECT
public:
    struct Settings {
        QString linkPath;
        int baudRate = BoardEmulator::DefaultBaudRate;
        bool lineRate = false;
        QString screenshotFile;
        bool log = false;
    };
    // The settings of a command line, or why it is wrong. Help and version are
    // answered by printing and a settings-less result with an empty error.
    static std::optional<Settings> parse(const QStringList& arguments, QString* error);

    explicit BoardProgram(const Settings& settings, QObject* parent = nullptr);
    ~BoardProgram() override;

    // Opens the device and announces it; false (after saying why) when it cannot.
    bool start();
    // What has to happen before the program ends: the last screenshot, the link gone.
    void finish();

private:
    void onSignal(int number);
    void onInput();
    void takeScreenshot();
    bool makeLink();
    void removeLink();

    Settings m_settings;
    SystemClock m_clock;
    PseudoTerminalBoard m_board;
    BoardConsole m_console;
    CommandLog m_log;
    bool m_linked = false;
    SignalNotifier* m_signals = nullptr;
    QSocketNotifier* m_input = nullptr;
    QByteArray m_inputLine;
    bool m_inputTooLong = false;
};
