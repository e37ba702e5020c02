#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <functional>

// Time for pauses, time-outs, timers and timestamps. The program waits by scheduling
// the next step, never by spinning; tests replace the clock to run seconds of pauses
// instantly.
class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds on a monotonic scale (unaffected by midnight or clock changes).
    virtual qint64 elapsedMs() const = 0;
    // The same scale in microseconds, for timestamps finer than a millisecond.
    virtual qint64 elapsedUs() const { return elapsedMs() * 1000; }
    // Runs action once, at least ms milliseconds from now, unless context is gone by then.
    virtual void callAfter(int ms, QObject* context, std::function<void()> action) = 0;
};

class SystemClock : public Clock {
public:
    SystemClock();
    qint64 elapsedMs() const override;
    qint64 elapsedUs() const override;
    void callAfter(int ms, QObject* context, std::function<void()> action) override;

private:
    QElapsedTimer m_started;
};

// A repeating or one-shot timer whose ticks come from a Clock, so that whoever
// controls the clock controls the ticks. Shaped like the timer controls the board's
// tools were designed around: an interval, started and stopped, a tick signal.
class ClockTimer : public QObject {
    Q_OBJECT
public:
    ClockTimer(Clock& clock, const QString& name, int intervalMs, bool singleShot,
               QObject* parent = nullptr);

    int interval() const { return m_intervalMs; }
    // A running timer starts over with the new interval.
    void setInterval(int intervalMs);
    bool isSingleShot() const { return m_singleShot; }
    bool isActive() const { return m_active; }
    // (Re)starts the interval from now.
    void start();
    void stop();

Q_SIGNALS:
    void timeout();

private:
    void arm(qint64 dueMs);
    void cancel();

    Clock& m_clock;
    int m_intervalMs;
    bool m_singleShot;
    bool m_active = false;
    // The context of the tick scheduled now: deleting it cancels the tick.
    QObject* m_scheduled = nullptr;
};
