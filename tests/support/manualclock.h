#pragma once

#include "engine/clock.h"

#include <QElapsedTimer>
#include <QList>
#include <QPointer>
#include <QTimer>

#include <memory>

// A clock that moves only when the test says so: advance() runs every action that
// falls due, in time order, so seconds of pauses pass instantly.
class ManualClock : public Clock {
public:
    qint64 elapsedMs() const override { return m_now; }
    // Following real time, the microseconds since the last follow are real too.
    qint64 elapsedUs() const override;
    void callAfter(int ms, QObject* context, std::function<void()> action) override;

    void advance(qint64 ms);
    // Moves on millisecond by millisecond until the timer named so under root ticks (at
    // most limitMs); returns whether it did.
    bool advanceToTick(const QObject& root, const QString& timerName, qint64 limitMs = 60000);
    // Moves on stepMs at a time, first delivering the events posted meanwhile (queued
    // signals, a simulator's answers), until done() holds (at most limitMs); returns
    // whether it did.
    bool advanceUntil(const std::function<bool()>& done, qint64 limitMs = 60000, qint64 stepMs = 1);
    int pendingCount() const;
    // From now on the clock also moves with real time (for a real port on a
    // pseudo-terminal, whose bytes take real time); advance() still adds to it.
    void followRealTime();

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
    std::unique_ptr<QTimer> m_follower;
    QElapsedTimer m_realTime;
    qint64 m_followedMs = 0;
    mutable qint64 m_lastUs = 0;
};
