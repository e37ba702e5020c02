#include "engine/tracereader.h"

#include "engine/tracetext.h"

#include <QFile>
#include <QRegularExpression>

namespace TraceReader {
namespace {

// "12.345678 > meaning", with the time and the mark captured.
const QRegularExpression EventLine(QStringLiteral("^(-?\\d{1,12})\\.(\\d{6}) ([<>=#]) (.*)$"));
// The bytes after the last " | ": "57 53 00" or "57 53 00 ... (322 bytes)".
const QRegularExpression BytesPart(
    QStringLiteral("^((?:[0-9A-F]{2} )*[0-9A-F]{2})(?: \\.\\.\\. \\((\\d{1,9}) bytes\\))?$"));
constexpr char BytesSeparator[] = " | ";

TraceEvent::Kind kindOf(QChar mark) {
    switch (mark.unicode()) {
    case u'>':
        return TraceEvent::Kind::ToBoard;
    case u'<':
        return TraceEvent::Kind::FromBoard;
    case u'=':
        return TraceEvent::Kind::Upload;
    default:
        return TraceEvent::Kind::Note;
    }
}

QString atLine(int line, const QString& what) {
    return QStringLiteral("line %1: %2").arg(line).arg(what);
}

class Reader {
public:
    // Takes one line (its end stripped); false once the text is refused.
    bool take(int number, const QString& line);
    // After the last line.
    bool finish(int lastLine);

    QList<TraceEvent> events;
    QString error;

private:
    bool takeEvent(int number, const QString& line);
    bool takeContinuation(int number, const QString& line);
    bool refuse(int number, const QString& what) {
        error = atLine(number, what);
        events.clear();
        return false;
    }

    // The length the block of the last event should reach; 0 when it is whole.
    qsizetype m_blockLength = 0;
};

bool Reader::take(int number, const QString& line) {
    if (line.startsWith(QLatin1String(TraceText::ContinuationMark)))
        return takeContinuation(number, line.mid(qsizetype(qstrlen(TraceText::ContinuationMark))));
    if (m_blockLength > 0)
        return refuse(number, QStringLiteral("the block of line %1 stops after %2 of its %3 bytes")
                                  .arg(events.last().line)
                                  .arg(events.last().bytes.size())
                                  .arg(m_blockLength));
    if (line.trimmed().isEmpty())
        return true;
    return takeEvent(number, line);
}

bool Reader::takeEvent(int number, const QString& line) {
    const QRegularExpressionMatch match = EventLine.match(line);
    if (!match.hasMatch())
        return refuse(number, QStringLiteral("not a line of a trace"));
    TraceEvent event;
    event.line = number;
    const qint64 whole = match.captured(1).toLongLong();
    const qint64 fraction = match.captured(2).toLongLong();
    event.microseconds =
        whole * 1000000 + (whole < 0 || match.captured(1).startsWith(u'-') ? -fraction : fraction);
    event.kind = kindOf(match.captured(3).at(0));
    event.text = match.captured(4);
    if (event.kind == TraceEvent::Kind::ToBoard || event.kind == TraceEvent::Kind::FromBoard) {
        const qsizetype separator = event.text.lastIndexOf(QLatin1String(BytesSeparator));
        const QRegularExpressionMatch bytes = separator < 0
                                                  ? QRegularExpressionMatch()
                                                  : BytesPart.match(event.text.mid(separator + 3));
        if (!bytes.hasMatch())
            return refuse(number,
                          QStringLiteral("the bytes of the event are missing or unreadable"));
        event.bytes = QByteArray::fromHex(bytes.captured(1).toLatin1());
        event.text.truncate(separator);
        if (bytes.hasCaptured(2)) {
            m_blockLength = bytes.captured(2).toLongLong();
            if (m_blockLength <= event.bytes.size())
                return refuse(number, QStringLiteral("the block's length is wrong"));
        }
    }
    events.append(std::move(event));
    return true;
}

bool Reader::takeContinuation(int number, const QString& rest) {
    if (m_blockLength == 0)
        return refuse(number, QStringLiteral("a continuation line follows no block"));
    TraceEvent& event = events.last();
    if (rest == QLatin1String(TraceText::NotKept)) {
        event.complete = false;
        m_blockLength = 0;
        return true;
    }
    const QRegularExpressionMatch bytes = BytesPart.match(rest);
    if (!bytes.hasMatch() || bytes.hasCaptured(2))
        return refuse(number, QStringLiteral("unreadable bytes"));
    event.bytes.append(QByteArray::fromHex(bytes.captured(1).toLatin1()));
    if (event.bytes.size() > m_blockLength)
        return refuse(number,
                      QStringLiteral("more bytes than the block of line %1 has").arg(event.line));
    if (event.bytes.size() == m_blockLength)
        m_blockLength = 0;
    return true;
}

bool Reader::finish(int lastLine) {
    if (m_blockLength > 0)
        return refuse(lastLine, QStringLiteral("the trace stops in the block of line %1, after "
                                               "%2 of its %3 bytes")
                                    .arg(events.last().line)
                                    .arg(events.last().bytes.size())
                                    .arg(m_blockLength));
    if (events.isEmpty())
        return refuse(lastLine, QStringLiteral("the file holds no trace"));
    return true;
}

} // namespace

Result read(QIODevice& device) {
    Reader reader;
    int number = 0;
    while (!device.atEnd()) {
        ++number;
        QByteArray raw = device.readLine(LineLimit + 2);
        if (raw.size() > LineLimit && !raw.endsWith('\n'))
            return {{}, atLine(number, QStringLiteral("too long for a line of a trace"))};
        while (raw.endsWith('\n') || raw.endsWith('\r'))
            raw.chop(1);
        if (!reader.take(number, QString::fromUtf8(raw)))
            return {{}, reader.error};
    }
    if (!reader.finish(std::max(number, 1)))
        return {{}, reader.error};
    return {std::move(reader.events), {}};
}

Result readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {{}, QStringLiteral("cannot open %1: %2").arg(path, file.errorString())};
    return read(file);
}

} // namespace TraceReader
