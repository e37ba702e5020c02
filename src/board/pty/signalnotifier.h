#pragma once

#include <QList>
#include <QObject>

class QSocketNotifier;

// POSIX signals as a Qt signal on the event loop. The system's handler only writes the
// signal's number into a pipe; everything else happens on the event loop. One per
// program: the handler is the process's.
class SignalNotifier : public QObject {
    Q_OBJECT
public:
    explicit SignalNotifier(QObject* parent = nullptr);
    ~SignalNotifier() override;

    // Catches these signals from now on; false when the system refused.
    bool install(const QList<int>& numbers);

Q_SIGNALS:
    void caught(int number);

private:
    void takeSignals();

    QList<int> m_numbers;
    QSocketNotifier* m_notifier = nullptr;
};
