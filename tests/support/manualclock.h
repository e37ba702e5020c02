#pragma once

#include "engine/clock.h"

#include <QList>
#include <QPointer>

// A clock that moves only when the test says so: advance() runs every action that
// falls due, in time order, so seconds of pauses pass instantly.
class ManualClock : public Clock {
public:
    qint64 elapsedMs() const override { return m_now; }
    void callAfter(int ms, QObject* context, std::function<void()> action) override;

    void advance(qint64 ms);
    int pendingCount() const;

private:
    struct Pending {
        qint64 due;
        quint64 order;
        QPointer<QObject> context;
        std::function<void()> action;
    };
    qint64 m_now = 0;
    quint64 m_nextOrder = 0;
    QList<Pending> m_pending;
};
