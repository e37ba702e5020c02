#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <deque>

// One direction of a serial line in time: each byte takes 10 bit times (start bit,
// 8 data bits, stop bit) and bytes follow each other no faster than the speed allows.
// Bytes handed over are released once their last bit would have arrived. Times are
// nanoseconds on any monotonic scale.
class LinePacer {
public:
    explicit LinePacer(int baudRate);

    void setBaudRate(int baudRate);
    qint64 byteTimeNs() const { return m_byteNs; }

    // Bytes put on the line at nowNs; they start as soon as the line is free.
    void push(QByteArrayView bytes, qint64 nowNs);
    // The bytes that have fully arrived by nowNs, in order; lastArrivalNs (when given)
    // tells when the last of them arrived.
    QByteArray takeArrived(qint64 nowNs, qint64* lastArrivalNs = nullptr);
    // When the next byte will have arrived; -1 when nothing is on the way.
    qint64 nextArrivalNs() const;
    qsizetype pending() const { return m_pending; }
    void clear();

private:
    // Bytes sent back to back: byte i arrives at firstArrivalNs + i * byteNs.
    struct Run {
        qint64 firstArrivalNs;
        qint64 byteNs;
        QByteArray bytes;
        qsizetype taken; // bytes already handed out
        qint64 arrivalOf(qsizetype index) const { return firstArrivalNs + index * byteNs; }
    };
    std::deque<Run> m_runs;
    qsizetype m_pending = 0;
    qint64 m_byteNs;
    qint64 m_freeAtNs = 0; // when the last byte handed over has arrived
};
