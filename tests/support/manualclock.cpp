#include "manualclock.h"

#include <algorithm>

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
