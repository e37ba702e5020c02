#include "cli/console.h"

#include <QtGlobal>

#include <cstdio>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace {

// Erase the line the cursor is on, from its start.
const QByteArray EraseLine("\r\033[K");

QByteArray asLine(const QString& text) {
    return text.toLocal8Bit() + '\n';
}

void writeTo(FILE* stream, const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

bool errorIsTerminal() {
#ifdef Q_OS_WIN
    return _isatty(_fileno(stderr)) != 0;
#else
    return ::isatty(STDERR_FILENO) != 0;
#endif
}

int terminalWidth() {
    constexpr int Fallback = 80;
#ifdef Q_OS_WIN
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info))
        return info.srWindow.Right - info.srWindow.Left + 1;
#else
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
#endif
    return Fallback;
}

} // namespace

Console::Console(Streams streams)
    : m_streams(std::move(streams)) {}

Console::Streams Console::standardStreams() {
    const bool terminal = errorIsTerminal();
    return {[](const QByteArray& bytes) { writeTo(stdout, bytes); },
            [](const QByteArray& bytes) { writeTo(stderr, bytes); }, terminal,
            terminal ? terminalWidth() : 80};
}

void Console::print(const QString& line) {
    clearStatus();
    m_streams.out(asLine(line));
    drawStatus();
}

void Console::error(const QString& line) {
    clearStatus();
    m_streams.err(asLine(line));
    drawStatus();
}

void Console::setStatus(const QString& text) {
    if (!showsStatus() || text == m_status)
        return;
    const bool removed = text.isEmpty();
    m_status = text;
    if (removed)
        m_streams.err(EraseLine);
    else
        drawStatus();
}

void Console::clearStatus() {
    if (showsStatus() && !m_status.isEmpty())
        m_streams.err(EraseLine);
}

void Console::drawStatus() {
    if (showsStatus() && !m_status.isEmpty())
        m_streams.err(EraseLine + m_status.left(m_streams.terminalWidth - 1).toLocal8Bit());
}
