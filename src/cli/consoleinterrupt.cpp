#include "consoleinterrupt.h"

#include <QPointer>
#include <QSocketNotifier>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

#ifdef Q_OS_WIN
QPointer<ConsoleInterrupt> listener;

BOOL WINAPI onConsoleControl(DWORD type) {
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT)
        return FALSE;
    // The handler runs on a thread of its own: the news goes to the event loop.
    if (ConsoleInterrupt* target = listener.data())
        QMetaObject::invokeMethod(target, &ConsoleInterrupt::interrupted, Qt::QueuedConnection);
    return TRUE;
}
#else
int signalPipe[2] = {-1, -1};

void onSignalCaught(int) {
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
    errno = savedErrno;
}
#endif

} // namespace

ConsoleInterrupt::ConsoleInterrupt(QObject* parent)
    : QObject(parent) {}

ConsoleInterrupt::~ConsoleInterrupt() {
#ifdef Q_OS_WIN
    SetConsoleCtrlHandler(onConsoleControl, FALSE);
#else
    if (m_notifier)
        ::signal(SIGINT, SIG_DFL);
#endif
}

bool ConsoleInterrupt::install() {
#ifdef Q_OS_WIN
    listener = this;
    return SetConsoleCtrlHandler(onConsoleControl, TRUE) != 0;
#else
    if (signalPipe[0] < 0 && ::pipe(signalPipe) != 0)
        return false;
    for (const int fd : signalPipe) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(fd, F_SETFL, O_NONBLOCK);
    }
    struct sigaction action {};
    action.sa_handler = onSignalCaught;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    if (::sigaction(SIGINT, &action, nullptr) != 0)
        return false;
    m_notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &ConsoleInterrupt::takeSignals);
    return true;
#endif
}

void ConsoleInterrupt::takeSignals() {
#ifndef Q_OS_WIN
    char byte = 0;
    while (::read(signalPipe[0], &byte, 1) == 1)
        Q_EMIT interrupted();
#endif
}
