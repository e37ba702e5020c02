#include "board/pty/pseudoterminal.h"

#include "board/pty/terminalspeed.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace {

QString systemError(const char* what) {
    return QString::fromLatin1(what) + QStringLiteral(": ") +
           QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

PseudoTerminal::PseudoTerminal() {
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_master < 0) {
        m_error = systemError("posix_openpt");
        return;
    }
    if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
        m_error = systemError("unlockpt");
        ::close(m_master);
        m_master = -1;
        return;
    }
    m_devicePath = QString::fromLocal8Bit(::ptsname(m_master));
    // Holding the device side open keeps reads of this side from failing while no
    // program has the port open, and lets it be made raw at once.
    m_device = ::open(m_devicePath.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    if (m_device >= 0) {
        termios raw{};
        if (::tcgetattr(m_device, &raw) == 0) {
            ::cfmakeraw(&raw);
            ::tcsetattr(m_device, TCSANOW, &raw);
        }
    }
}

PseudoTerminal::~PseudoTerminal() {
    if (m_device >= 0)
        ::close(m_device);
    if (m_master >= 0)
        ::close(m_master);
}

QByteArray PseudoTerminal::readAvailable() {
    QByteArray result;
    char buffer[4096];
    while (m_master >= 0) {
        const ssize_t count = ::read(m_master, buffer, sizeof buffer);
        if (count <= 0)
            break;
        result.append(buffer, qsizetype(count));
    }
    return result;
}

bool PseudoTerminal::write(QByteArrayView bytes) {
    qsizetype written = 0;
    while (m_master >= 0 && written < bytes.size()) {
        const ssize_t count =
            ::write(m_master, bytes.data() + written, size_t(bytes.size() - written));
        if (count > 0) {
            written += count;
        } else if (count < 0 && errno != EAGAIN && errno != EINTR) {
            return false;
        } else {
            pollfd ready{m_master, POLLOUT, 0};
            ::poll(&ready, 1, 100);
        }
    }
    return written == bytes.size();
}

qsizetype PseudoTerminal::writeAvailable(QByteArrayView bytes) {
    qsizetype written = 0;
    while (m_master >= 0 && written < bytes.size()) {
        const ssize_t count =
            ::write(m_master, bytes.data() + written, size_t(bytes.size() - written));
        if (count > 0)
            written += count;
        else if (count < 0 && errno == EINTR)
            continue;
        else if (count < 0 && errno != EAGAIN)
            return -1;
        else
            break;
    }
    return written;
}

int PseudoTerminal::deviceBaudRate() const {
    return m_device >= 0 ? terminalBaudRate(m_device) : 0;
}

QByteArray PseudoTerminal::read(qsizetype maxBytes) {
    QByteArray result(maxBytes, Qt::Uninitialized);
    qsizetype filled = 0;
    while (m_master >= 0 && filled < maxBytes) {
        const ssize_t count = ::read(m_master, result.data() + filled, size_t(maxBytes - filled));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            break;
        filled += count;
    }
    result.truncate(filled);
    return result;
}

void PseudoTerminal::discardUnread() {
    if (m_device >= 0)
        ::tcflush(m_device, TCIFLUSH);
}
