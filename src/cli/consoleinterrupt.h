#pragma once

#include <QObject>

// Ctrl-C as a signal on the event loop. The system's handler only passes the news on
// (through a SignalNotifier on POSIX systems, a queued call on Windows); everything else
// happens on the event loop.
class ConsoleInterrupt : public QObject {
    Q_OBJECT
public:
    explicit ConsoleInterrupt(QObject* parent = nullptr);
    ~ConsoleInterrupt() override;

    // Catches Ctrl-C from now on; false when the system refused.
    bool install();

Q_SIGNALS:
    void interrupted();
};
