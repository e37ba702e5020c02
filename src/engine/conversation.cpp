#include "engine/conversation.h"

#include "engine/uploader.h"

#include <algorithm>

namespace {

QString stoppedBy(UploadOutcome::Cause cause) {
    switch (cause) {
    case UploadOutcome::Cause::WindowClosed:
        return QStringLiteral("window closed");
    case UploadOutcome::Cause::Disconnected:
        return QStringLiteral("disconnected");
    case UploadOutcome::Cause::PortLost:
        return QStringLiteral("port lost");
    case UploadOutcome::Cause::WriteFailed:
        return QStringLiteral("write failed");
    case UploadOutcome::Cause::TimedOut:
        return QStringLiteral("timed out");
    case UploadOutcome::Cause::Completed:
        break;
    }
    return {};
}

QString milliseconds(qint64 microseconds) {
    return QString::number(double(microseconds) / 1000.0, 'f', 3) + QStringLiteral(" ms");
}

} // namespace

QString ConversationEvent::meaning() const {
    if (kind == Kind::FromBoard && m_meaning.isEmpty())
        return BoardAnswers::describe(m_answer, bytes(), byteCount);
    return m_meaning;
}

QByteArrayView ConversationEvent::bytes() const {
    if (!m_bytes.isEmpty())
        return m_bytes;
    return QByteArrayView(m_head.data(), std::min<qint64>(byteCount, HeadBytes));
}

QString UploadSummary::text() const {
    QString line = name;
    if (!stopped.isEmpty())
        line += QStringLiteral(" stopped (%1)").arg(stopped);
    line += QStringLiteral(": %1 bytes in %2 blocks, %3 s")
                .arg(bytes)
                .arg(blocks)
                .arg(double(microseconds) / 1e6, 0, 'f', 3);
    if (medianLatencyMicroseconds && worstLatencyMicroseconds)
        line += QStringLiteral("; answers median %1, worst %2")
                    .arg(milliseconds(*medianLatencyMicroseconds),
                         milliseconds(*worstLatencyMicroseconds));
    if (microseconds > 0 && baudRate > 0) {
        const double rate = double(bytes) * 1e3 / double(microseconds);
        const double limit = double(baudRate) / 10.0 / 1e3;
        line += QStringLiteral("; %1 kB/s, %2 % of the line's %3 kB/s")
                    .arg(rate, 0, 'f', 2)
                    .arg(100.0 * rate / limit, 0, 'f', 1)
                    .arg(limit, 0, 'f', 2);
    }
    return line;
}

Conversation::Conversation(Now now, qsizetype capacity, qsizetype byteBudget, QObject* parent)
    : QObject(parent)
    , m_now(std::move(now))
    , m_capacity(std::max<qsizetype>(1, capacity))
    , m_byteBudget(byteBudget)
    , m_log([this](const QString& line) { m_lines.append(line); })
    , m_decoder(m_log) {
    qRegisterMetaType<ConversationEvent>();
}

Conversation::~Conversation() = default;

void Conversation::record(const LineTraffic& traffic) {
    ConversationEvent event;
    event.microseconds = traffic.microseconds;
    event.writes = traffic.writes;
    event.upload = m_uploading ? m_uploads : 0;
    if (traffic.direction == LineTraffic::Direction::ToBoard) {
        event.kind = ConversationEvent::Kind::ToBoard;
        event.m_meaning = commandMeaning(traffic.bytes);
        m_unansweredWrites.push_back(traffic.microseconds);
        if (m_unansweredWrites.size() > UnansweredWritesKept)
            m_unansweredWrites.pop_front();
        if (m_uploading) {
            m_uploadFirstWrite = m_uploadFirstWrite.value_or(traffic.microseconds);
            ++m_uploadBlocks;
        }
    } else {
        event.kind = ConversationEvent::Kind::FromBoard;
        event.m_answer = BoardAnswers::classify(traffic.bytes, m_keypadMode);
        // Touch reports take all their bytes to tell; the first ones tell the others.
        if (event.m_answer == BoardAnswers::Kind::Touch &&
            traffic.bytes.size() > ConversationEvent::HeadBytes)
            event.m_meaning =
                BoardAnswers::describe(event.m_answer, traffic.bytes, traffic.bytes.size());
        if (!BoardAnswers::unsolicited(event.m_answer)) {
            // It answers the last write that went out before it began to arrive.
            auto answered = std::upper_bound(m_unansweredWrites.begin(), m_unansweredWrites.end(),
                                             traffic.microseconds);
            if (answered != m_unansweredWrites.begin()) {
                event.latencyMicroseconds = traffic.microseconds - *std::prev(answered);
                m_unansweredWrites.erase(m_unansweredWrites.begin(), answered);
            }
        }
        if (m_uploading && event.latencyMicroseconds >= 0)
            m_uploadLatencies.push_back(event.latencyMicroseconds);
    }
    if (m_uploading)
        m_uploadLastEvent = traffic.microseconds;
    append(std::move(event), traffic.bytes);
}

QString Conversation::commandMeaning(QByteArrayView bytes) {
    m_lines.clear();
    m_decoder.feed(bytes);
    if (m_lines.isEmpty()) {
        if (m_decoder.skipping())
            return QStringLiteral("Unknown bytes");
        const QString pending = m_log.pending();
        return pending.isEmpty() ? QStringLiteral("(a command begins)") : pending;
    }
    QString meaning = m_lines.join(QStringLiteral("; "));
    if (meaning.size() > MeaningLimit) {
        meaning.truncate(MeaningLimit);
        meaning += QStringLiteral(" ... (%1 in all)").arg(m_lines.size());
    }
    return meaning;
}

void Conversation::lineChanged(const QString& note) {
    m_decoder.abandon();
    m_unansweredWrites.clear();
    ConversationEvent event;
    event.microseconds = m_now();
    event.m_meaning = note;
    append(std::move(event), {});
}

void Conversation::beginUpload(const QString& name) {
    m_uploading = true;
    ++m_uploads;
    m_uploadName = name;
    m_uploadFirstWrite.reset();
    m_uploadLastEvent = 0;
    m_uploadBlocks = 0;
    m_uploadLatencies.clear();
}

void Conversation::endUpload(const UploadOutcome& outcome, int baudRate) {
    if (!m_uploading)
        return;
    m_uploading = false;
    UploadSummary summary;
    summary.name = m_uploadName;
    summary.stopped = stoppedBy(outcome.cause);
    summary.bytes = outcome.bytesSent;
    summary.blocks = m_uploadBlocks;
    summary.microseconds = m_uploadFirstWrite ? m_uploadLastEvent - *m_uploadFirstWrite : 0;
    summary.baudRate = baudRate;
    if (!m_uploadLatencies.empty()) {
        std::vector<qint64>& latencies = m_uploadLatencies;
        std::sort(latencies.begin(), latencies.end());
        summary.medianLatencyMicroseconds = latencies[latencies.size() / 2];
        summary.worstLatencyMicroseconds = latencies.back();
    }
    ConversationEvent event;
    event.kind = ConversationEvent::Kind::Upload;
    event.microseconds = m_now();
    event.byteCount = summary.bytes;
    event.writes = summary.blocks;
    event.upload = m_uploads;
    event.m_meaning = summary.text();
    append(std::move(event), {});
}

void Conversation::append(ConversationEvent event, const QByteArray& bytes) {
    if (event.kind == ConversationEvent::Kind::ToBoard ||
        event.kind == ConversationEvent::Kind::FromBoard) {
        event.byteCount = bytes.size();
        std::copy_n(bytes.data(), std::min<qsizetype>(bytes.size(), ConversationEvent::HeadBytes),
                    event.m_head.data());
        // Short events need no more than their head; one larger than the budget keeps
        // only that too.
        if (bytes.size() > ConversationEvent::HeadBytes && bytes.size() <= m_byteBudget) {
            event.m_bytes = bytes;
            m_keptBytes += bytes.size();
        }
    }
    m_events.push_back(std::move(event));
    if (qsizetype(m_events.size()) > m_capacity) {
        m_keptBytes -= m_events.front().m_bytes.size();
        m_events.pop_front();
        ++m_first;
    }
    m_trimmedUpTo = std::max(m_trimmedUpTo, m_first);
    // The oldest events give up their bytes first; the newest keeps them.
    while (m_keptBytes > m_byteBudget && m_trimmedUpTo + 1 < end())
        giveUpBytes(m_events[size_t(m_trimmedUpTo++ - m_first)]);
    Q_EMIT recorded(m_events.back());
}

void Conversation::giveUpBytes(ConversationEvent& event) {
    m_keptBytes -= event.m_bytes.size();
    event.m_bytes = QByteArray();
}

void Conversation::clear() {
    m_first = end();
    m_trimmedUpTo = m_first;
    std::deque<ConversationEvent>().swap(m_events);
    m_keptBytes = 0;
    Q_EMIT cleared();
}
