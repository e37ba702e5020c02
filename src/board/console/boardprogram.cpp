#include "boardprogram.h"

#include "board/pty/signalnotifier.h"
#include "engine/linesettings.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

void printLine(FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

// A console line longer than this is dropped.
constexpr qsizetype InputLineLimit = 4096;

} // namespace

std::optional<BoardProgram::Settings> BoardProgram::parse(const QStringList& arguments,
                                                          QString* error) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("The Lumaret board simulator on a pseudo-terminal. It prints the device's "
                       "path: open that as a serial port (8 data bits, no parity, 1 stop bit) at "
                       "the board's speed, for example LUMARET_PORTS=<path> lumaret, or "
                       "stty -F <path> 115200 raw.\n\nStandard input takes:\n") +
        BoardConsole::help());
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption link(QStringLiteral("link"),
                                  QStringLiteral("Also reach the device as PATH (a symbolic "
                                                 "link, removed on exit)."),
                                  QStringLiteral("PATH"));
    const QCommandLineOption baud(QStringLiteral("baud"),
                                  QStringLiteral("The board's starting speed: 9600, 14400, "
                                                 "19200, 28800, 38400, 57600 or 115200."),
                                  QStringLiteral("N"), QStringLiteral("115200"));
    const QCommandLineOption lineRate(
        QStringLiteral("line-rate"),
        QStringLiteral("Read and answer no faster than the speed allows (10 bits a byte)."));
    const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                        QStringLiteral("Write the screen as PNG to FILE on "
                                                       "SIGUSR1 and on exit."),
                                        QStringLiteral("FILE"));
    const QCommandLineOption log(QStringLiteral("log"),
                                 QStringLiteral("Print each decoded command."));
    parser.addOptions({link, baud, lineRate, screenshot, log});

    if (!parser.parse(arguments)) {
        *error = parser.errorText();
        return std::nullopt;
    }
    if (parser.isSet(help)) {
        printLine(stdout, parser.helpText());
        error->clear();
        return std::nullopt;
    }
    if (parser.isSet(version)) {
        printLine(stdout, QCoreApplication::applicationName() + QLatin1Char(' ') +
                              QCoreApplication::applicationVersion());
        error->clear();
        return std::nullopt;
    }
    if (!parser.positionalArguments().isEmpty()) {
        *error =
            QStringLiteral("Unexpected argument: %1").arg(parser.positionalArguments().first());
        return std::nullopt;
    }
    Settings settings;
    bool numeric = false;
    settings.baudRate = parser.value(baud).toInt(&numeric);
    if (!numeric || !LineSettings::baudRates().contains(settings.baudRate)) {
        *error = QStringLiteral("--baud takes one of 9600, 14400, 19200, 28800, 38400, 57600 "
                                "and 115200, not \"%1\"")
                     .arg(parser.value(baud));
        return std::nullopt;
    }
    settings.linkPath = parser.value(link);
    settings.lineRate = parser.isSet(lineRate);
    settings.screenshotFile = parser.value(screenshot);
    settings.log = parser.isSet(log);
    return settings;
}

BoardProgram::BoardProgram(const Settings& settings, QObject* parent)
    : QObject(parent)
    , m_settings(settings)
    , m_board(m_clock, PseudoTerminalBoard::Options{settings.baudRate, settings.lineRate})
    , m_console(m_board.emulator(), settings.screenshotFile)
    , m_log([](const QString& line) { printLine(stdout, line); }) {}

BoardProgram::~BoardProgram() = default;

bool BoardProgram::start() {
    if (!m_board.isOpen()) {
        printLine(stderr, QStringLiteral("lumaret-board: cannot open a pseudo-terminal: ") +
                              m_board.errorString());
        return false;
    }
    if (!m_settings.linkPath.isEmpty() && !makeLink())
        return false;

    m_signals = new SignalNotifier(this);
    if (m_signals->install({SIGINT, SIGTERM, SIGHUP, SIGUSR1}))
        connect(m_signals, &SignalNotifier::caught, this, &BoardProgram::onSignal);

    // The console is optional: started without standard input, the board just serves.
    if (::fcntl(STDIN_FILENO, F_GETFD) != -1) {
        m_input = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
        connect(m_input, &QSocketNotifier::activated, this, &BoardProgram::onInput);
    }
    // A reader of the output that went away must not end the board.
    ::signal(SIGPIPE, SIG_IGN);
    connect(&m_board, &PseudoTerminalBoard::notice, this, [](const QString& text) {
        printLine(stderr, QStringLiteral("lumaret-board: ") + text);
    });
    if (m_settings.log)
        m_board.emulator().setCommandObserver(&m_log);

    printLine(stdout, m_board.devicePath());
    return true;
}

void BoardProgram::finish() {
    if (!m_settings.screenshotFile.isEmpty())
        takeScreenshot();
    removeLink();
}

void BoardProgram::onSignal(int number) {
    if (number == SIGUSR1) {
        if (!m_settings.screenshotFile.isEmpty())
            takeScreenshot();
    } else {
        QCoreApplication::quit();
    }
}

void BoardProgram::onInput() {
    char buffer[1024];
    const ssize_t count = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (count <= 0) {
        // End of input (or none at all): keep running without a console.
        if (count == 0 || (errno != EINTR && errno != EAGAIN))
            m_input->setEnabled(false);
        return;
    }
    for (ssize_t i = 0; i < count; ++i) {
        const char c = buffer[i];
        if (c != '\n') {
            if (m_inputLine.size() < InputLineLimit)
                m_inputLine.append(c);
            else
                m_inputTooLong = true;
            continue;
        }
        if (m_inputTooLong)
            printLine(stderr, QStringLiteral("error: line too long"));
        else if (const QString reply = m_console.execute(QString::fromLocal8Bit(m_inputLine));
                 !reply.isEmpty())
            printLine(reply.startsWith(QLatin1String("error:")) ? stderr : stdout, reply);
        m_inputLine.clear();
        m_inputTooLong = false;
    }
}

void BoardProgram::takeScreenshot() {
    QString error;
    if (!BoardConsole::saveScreenshot(m_board.emulator(), m_settings.screenshotFile, &error))
        printLine(stderr, QStringLiteral("lumaret-board: ") + error);
}

bool BoardProgram::makeLink() {
    const QString& path = m_settings.linkPath;
    const QFileInfo existing(path);
    // A link left by an earlier run is replaced; anything else is not ours to remove.
    if (existing.isSymLink()) {
        QFile::remove(path);
    } else if (existing.exists()) {
        printLine(stderr,
                  QStringLiteral("lumaret-board: %1 exists and is not a symbolic link").arg(path));
        return false;
    }
    if (::symlink(m_board.devicePath().toLocal8Bit().constData(), path.toLocal8Bit().constData()) !=
        0) {
        printLine(stderr, QStringLiteral("lumaret-board: cannot link %1: %2")
                              .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
        return false;
    }
    m_linked = true;
    return true;
}

void BoardProgram::removeLink() {
    if (!m_linked)
        return;
    m_linked = false;
    // Only while it still leads to this board's device.
    if (QFileInfo(m_settings.linkPath).symLinkTarget() == m_board.devicePath())
        QFile::remove(m_settings.linkPath);
}
