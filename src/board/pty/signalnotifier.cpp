#include "board/pty/signalnotifier.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onSignalCaught(int number) {
    const int savedErrno = errno;
    const char byte = char(number);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
    errno = savedErrno;
}

} // namespace

SignalNotifier::SignalNotifier(QObject* parent)
    : QObject(parent) {}

SignalNotifier::~SignalNotifier() {
    for (const int number : std::as_const(m_numbers))
        ::signal(number, SIG_DFL);
}

bool SignalNotifier::install(const QList<int>& numbers) {
    if (signalPipe[0] < 0) {
        if (::pipe(signalPipe) != 0)
            return false;
        for (const int fd : signalPipe) {
            ::fcntl(fd, F_SETFD, FD_CLOEXEC);
            ::fcntl(fd, F_SETFL, O_NONBLOCK);
        }
    }
    struct sigaction action {};
    action.sa_handler = onSignalCaught;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : numbers) {
        if (::sigaction(number, &action, nullptr) != 0)
            return false;
        m_numbers.append(number);
    }
    if (!m_notifier) {
        m_notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &SignalNotifier::takeSignals);
    }
    return true;
}

void SignalNotifier::takeSignals() {
    char number = 0;
    while (::read(signalPipe[0], &number, 1) == 1)
        Q_EMIT caught(number);
}
