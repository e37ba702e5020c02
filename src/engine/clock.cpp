#include "engine/clock.h"

#include <QTimer>

SystemClock::SystemClock() {
    m_started.start();
}

qint64 SystemClock::elapsedMs() const {
    return m_started.elapsed();
}

void SystemClock::callAfter(int ms, QObject* context, std::function<void()> action) {
    // A precise timer: a pause must never end early, or the board is not ready yet.
    QTimer::singleShot(ms, Qt::PreciseTimer, context, std::move(action));
}
