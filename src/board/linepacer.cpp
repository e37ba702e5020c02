#include "board/linepacer.h"

#include <algorithm>

namespace {

constexpr qint64 BitsPerByte = 10;
constexpr qint64 NsPerSecond = 1000000000;
constexpr qsizetype CompactAfter = 4096;

qint64 byteTime(int baudRate) {
    return BitsPerByte * NsPerSecond / std::max(baudRate, 1);
}

} // namespace

LinePacer::LinePacer(int baudRate)
    : m_byteNs(byteTime(baudRate)) {}

void LinePacer::setBaudRate(int baudRate) {
    m_byteNs = byteTime(baudRate);
}

void LinePacer::push(QByteArrayView bytes, qint64 nowNs) {
    if (bytes.isEmpty())
        return;
    const qint64 start = std::max(nowNs, m_freeAtNs);
    const qint64 firstArrival = start + m_byteNs;
    // Bytes that follow the previous ones without a gap join their run.
    if (!m_runs.empty() && m_runs.back().byteNs == m_byteNs &&
        m_runs.back().arrivalOf(m_runs.back().bytes.size()) == firstArrival)
        m_runs.back().bytes.append(bytes);
    else
        m_runs.push_back(Run{firstArrival, m_byteNs, bytes.toByteArray(), 0});
    m_pending += bytes.size();
    m_freeAtNs = start + bytes.size() * m_byteNs;
}

QByteArray LinePacer::takeArrived(qint64 nowNs, qint64* lastArrivalNs) {
    QByteArray arrived;
    while (!m_runs.empty()) {
        Run& run = m_runs.front();
        if (nowNs < run.arrivalOf(run.taken))
            break;
        const qsizetype due = (nowNs - run.firstArrivalNs) / run.byteNs + 1;
        const qsizetype end = std::min(due, run.bytes.size());
        arrived.append(run.bytes.constData() + run.taken, end - run.taken);
        m_pending -= end - run.taken;
        run.taken = end;
        if (lastArrivalNs)
            *lastArrivalNs = run.arrivalOf(end - 1);
        if (run.taken == run.bytes.size()) {
            m_runs.pop_front();
            continue;
        }
        // A run that keeps growing at its end sheds what it handed out.
        if (run.taken >= CompactAfter) {
            run.bytes.remove(0, run.taken);
            run.firstArrivalNs = run.arrivalOf(run.taken);
            run.taken = 0;
        }
        break;
    }
    return arrived;
}

qint64 LinePacer::nextArrivalNs() const {
    return m_runs.empty() ? -1 : m_runs.front().arrivalOf(m_runs.front().taken);
}

void LinePacer::clear() {
    m_runs.clear();
    m_pending = 0;
    m_freeAtNs = 0;
}
