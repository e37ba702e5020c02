#pragma once

#include <QElapsedTimer>
#include <QObject>

#include <functional>

// Time for pauses and time-outs. The program waits by scheduling the next step,
// never by spinning; tests replace the clock to run seconds of pauses instantly.
class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds on a monotonic scale (unaffected by midnight or clock changes).
    virtual qint64 elapsedMs() const = 0;
    // Runs action once, at least ms milliseconds from now, unless context is gone by then.
    virtual void callAfter(int ms, QObject* context, std::function<void()> action) = 0;
};

class SystemClock : public Clock {
public:
    SystemClock();
    qint64 elapsedMs() const override;
    void callAfter(int ms, QObject* context, std::function<void()> action) override;

private:
    QElapsedTimer m_started;
};
