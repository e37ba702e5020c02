#include "manualclock.h"

#include <QCoreApplication>

#include <algorithm>

bool ManualClock::advanceToTick(const QObject& root, const QString& timerName, qint64 limitMs) {
    const auto* timer = root.findChild<ClockTimer*>(timerName);
    if (!timer)
        return false;
    bool ticked = false;
    const QMetaObject::Connection watch =
        QObject::connect(timer, &ClockTimer::timeout, [&ticked] { ticked = true; });
    for (qint64 step = 0; step < limitMs && !ticked; ++step)
        advance(1);
    QObject::disconnect(watch);
    return ticked;
}

bool ManualClock::advanceUntil(const std::function<bool()>& done, qint64 limitMs, qint64 stepMs) {
    for (qint64 moved = 0;; moved += stepMs) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (done())
            return true;
        if (moved >= limitMs)
            return false;
        advance(stepMs);
    }
}

void ManualClock::callAfter(int ms, QObject* context, std::function<void()> action) {
    m_pending.append({m_now + ms, m_nextOrder++, context, std::move(action)});
}

void ManualClock::advance(qint64 ms) {
    const qint64 target = m_now + ms;
    for (;;) {
        auto next = std::min_element(m_pending.begin(), m_pending.end(),
                                     [](const Pending& a, const Pending& b) {
                                         return a.due != b.due ? a.due < b.due : a.order < b.order;
                                     });
        if (next == m_pending.end() || next->due > target)
            break;
        Pending due = std::move(*next);
        m_pending.erase(next);
        m_now = due.due;
        if (due.context)
            due.action();
    }
    m_now = target;
}

int ManualClock::pendingCount() const {
    return int(std::count_if(m_pending.begin(), m_pending.end(),
                             [](const Pending& pending) { return !pending.context.isNull(); }));
}

void ManualClock::followRealTime() {
    m_realTime.start();
    m_followedMs = 0;
    m_follower = std::make_unique<QTimer>();
    m_follower->setInterval(1);
    QObject::connect(m_follower.get(), &QTimer::timeout, [this] {
        const qint64 now = m_realTime.elapsed();
        advance(now - std::exchange(m_followedMs, now));
    });
    m_follower->start();
}

qint64 ManualClock::elapsedUs() const {
    if (!m_follower)
        return m_now * 1000;
    // Real time that the follower has not added yet counts as well: answers that come
    // within the same millisecond still come after their command. Never backwards,
    // while the follower catches up.
    const qint64 sinceFollowed = m_realTime.nsecsElapsed() / 1000 - m_followedMs * 1000;
    m_lastUs = std::max(m_lastUs, m_now * 1000 + std::max<qint64>(sinceFollowed, 0));
    return m_lastUs;
}
