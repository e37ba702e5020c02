#include "engine/tracetext.h"

namespace TraceText {
namespace {

QChar mark(ConversationEvent::Kind kind) {
    switch (kind) {
    case ConversationEvent::Kind::ToBoard:
        return u'>';
    case ConversationEvent::Kind::FromBoard:
        return u'<';
    case ConversationEvent::Kind::Upload:
        return u'=';
    case ConversationEvent::Kind::Note:
        break;
    }
    return u'#';
}

bool hasBytes(const ConversationEvent& event) {
    return event.kind == ConversationEvent::Kind::ToBoard ||
           event.kind == ConversationEvent::Kind::FromBoard;
}

// A field quoted where it needs to be: one with a comma, a quote or a line break.
QString csvField(const QString& text) {
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n'))
        return text;
    return u'"' + QString(text).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

} // namespace

QString seconds(qint64 microseconds) {
    const QChar sign = microseconds < 0 ? u'-' : QChar();
    const qint64 magnitude = microseconds < 0 ? -microseconds : microseconds;
    QString text = QString::number(magnitude / 1000000) + u'.' +
                   QStringLiteral("%1").arg(magnitude % 1000000, 6, 10, QLatin1Char('0'));
    return sign.isNull() ? text : sign + text;
}

QString latency(qint64 microseconds) {
    return QString::number(double(microseconds) / 1000.0, 'f', 3) + QStringLiteral(" ms");
}

QString direction(ConversationEvent::Kind kind) {
    switch (kind) {
    case ConversationEvent::Kind::ToBoard:
        return QStringLiteral("to board");
    case ConversationEvent::Kind::FromBoard:
        return QStringLiteral("from board");
    case ConversationEvent::Kind::Upload:
        return QStringLiteral("upload");
    case ConversationEvent::Kind::Note:
        break;
    }
    return QStringLiteral("line");
}

QString fullHex(QByteArrayView bytes) {
    return QString::fromLatin1(bytes.toByteArray().toHex(' ').toUpper());
}

QString hex(QByteArrayView bytes, qint64 count) {
    if (count <= ShownBytes)
        return fullHex(bytes.first(std::min<qsizetype>(bytes.size(), count)));
    return fullHex(bytes.first(std::min(bytes.size(), ShownBytes))) +
           QStringLiteral(" ... (%1 bytes)").arg(count);
}

QString line(const ConversationEvent& event) {
    QString text = seconds(event.microseconds) + u' ' + mark(event.kind) + u' ' + event.meaning();
    if (event.latencyMicroseconds >= 0)
        text += QStringLiteral(" (answered in %1)").arg(latency(event.latencyMicroseconds));
    if (hasBytes(event))
        text += QStringLiteral(" | ") + hex(event.bytes(), event.byteCount);
    return text;
}

QStringList lines(const ConversationEvent& event) {
    QStringList all{line(event)};
    if (!hasBytes(event) || event.byteCount <= ShownBytes)
        return all;
    if (!event.allBytesKept()) {
        all.append(QLatin1String(ContinuationMark) + QLatin1String(NotKept));
        return all;
    }
    const QByteArrayView bytes = event.bytes();
    for (qsizetype at = ShownBytes; at < bytes.size(); at += ContinuationBytes)
        all.append(QLatin1String(ContinuationMark) +
                   fullHex(bytes.sliced(at, std::min(ContinuationBytes, bytes.size() - at))));
    return all;
}

QString csvHeader() {
    return QStringLiteral("time_s,direction,meaning,latency_ms,bytes,writes,hex");
}

QString csvLine(const ConversationEvent& event) {
    QString bytes;
    if (hasBytes(event))
        bytes = event.allBytesKept() ? fullHex(event.bytes()) : hex(event.bytes(), event.byteCount);
    const QString latencyMs =
        event.latencyMicroseconds >= 0
            ? QString::number(double(event.latencyMicroseconds) / 1000.0, 'f', 3)
            : QString();
    return QStringList{seconds(event.microseconds),
                       direction(event.kind),
                       csvField(event.meaning()),
                       latencyMs,
                       QString::number(event.byteCount),
                       QString::number(event.writes),
                       csvField(bytes)}
        .join(u',');
}

} // namespace TraceText
