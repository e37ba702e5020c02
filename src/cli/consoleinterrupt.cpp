#include "cli/consoleinterrupt.h"

#include <QPointer>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include "board/pty/signalnotifier.h"

#include <csignal>
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
#endif

} // namespace

ConsoleInterrupt::ConsoleInterrupt(QObject* parent)
    : QObject(parent) {}

ConsoleInterrupt::~ConsoleInterrupt() {
#ifdef Q_OS_WIN
    SetConsoleCtrlHandler(onConsoleControl, FALSE);
#endif
}

bool ConsoleInterrupt::install() {
#ifdef Q_OS_WIN
    listener = this;
    return SetConsoleCtrlHandler(onConsoleControl, TRUE) != 0;
#else
    auto* signals = new SignalNotifier(this);
    connect(signals, &SignalNotifier::caught, this, &ConsoleInterrupt::interrupted);
    return signals->install({SIGINT});
#endif
}
