#include "engine/clock.h"

#include <QTimer>

#include <algorithm>

SystemClock::SystemClock() {
    m_started.start();
}

qint64 SystemClock::elapsedMs() const {
    return m_started.elapsed();
}

qint64 SystemClock::elapsedUs() const {
    return m_started.nsecsElapsed() / 1000;
}

void SystemClock::callAfter(int ms, QObject* context, std::function<void()> action) {
    // A precise timer: a pause must never end early, or the board is not ready yet.
    QTimer::singleShot(ms, Qt::PreciseTimer, context, std::move(action));
}

ClockTimer::ClockTimer(Clock& clock, const QString& name, int intervalMs, bool singleShot,
                       QObject* parent)
    : QObject(parent)
    , m_clock(clock)
    , m_intervalMs(intervalMs)
    , m_singleShot(singleShot) {
    setObjectName(name);
}

void ClockTimer::setInterval(int intervalMs) {
    m_intervalMs = intervalMs;
    if (m_active)
        start();
}

void ClockTimer::start() {
    m_active = true;
    arm(m_clock.elapsedMs() + m_intervalMs);
}

void ClockTimer::stop() {
    m_active = false;
    cancel();
}

void ClockTimer::cancel() {
    delete std::exchange(m_scheduled, nullptr);
}

void ClockTimer::arm(qint64 dueMs) {
    cancel();
    m_scheduled = new QObject(this);
    const qint64 now = m_clock.elapsedMs();
    m_clock.callAfter(int(std::max<qint64>(0, dueMs - now)), m_scheduled, [this, dueMs] {
        // The context goes once the tick has run (not while it runs).
        m_scheduled->deleteLater();
        m_scheduled = nullptr;
        if (m_singleShot) {
            m_active = false;
        } else {
            // The next tick keeps to the rhythm of the interval; a late tick does not
            // push every later one back, and a long stall is not made up in a burst.
            const qint64 now = m_clock.elapsedMs();
            qint64 next = dueMs + m_intervalMs;
            if (next <= now)
                next = now + m_intervalMs;
            arm(next);
        }
        Q_EMIT timeout();
    });
}
