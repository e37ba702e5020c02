#include "engine/boardanswers.h"

#include "engine/commandlog.h"
#include "engine/touchreport.h"

#include <QList>

#include <algorithm>
#include <optional>

namespace BoardAnswers {
namespace {

const QByteArrayView IdentifyAnswer("100");
constexpr char AcknowledgeByte = '!';

// A chunk of more than this many bytes is no touch report.
constexpr qsizetype TouchReportsLimit = 60;

QString quoted(QByteArrayView start, qint64 length) {
    QString text = QStringLiteral("\"");
    for (qsizetype i = 0; i < std::min<qint64>({start.size(), length, QuotedBytes}); ++i)
        text += printableCharacter(quint8(start[i]));
    text += QLatin1Char('"');
    if (length > QuotedBytes)
        text += QStringLiteral(" ... (%1 bytes)").arg(length);
    return text;
}

// Each report of the chunk ("1,4,200$0,10,5$"), when it holds nothing else.
std::optional<QString> touchReports(QByteArrayView chunk) {
    if (!chunk.endsWith('$') || chunk.size() > TouchReportsLimit)
        return std::nullopt;
    QString points;
    const QList<QByteArray> reports = chunk.first(chunk.size() - 1).toByteArray().split('$');
    for (const QByteArray& report : reports) {
        const auto point = TouchReport::decode(QString::fromLatin1(report));
        // Exactly three numbers: a strict reading, unlike the touch display's.
        if (!point || report.count(',') != 2)
            return std::nullopt;
        if (!points.isEmpty())
            points += QStringLiteral("; ");
        points += QStringLiteral("touch x=%1 y=%2").arg(point->x).arg(point->y);
    }
    return points;
}

} // namespace

Kind classify(QByteArrayView chunk, bool keypadMode) {
    if (chunk.contains(IdentifyAnswer))
        return Kind::Identify;
    if (!chunk.isEmpty() && chunk.count(AcknowledgeByte) == chunk.size())
        return Kind::Acknowledge;
    if (touchReports(chunk))
        return Kind::Touch;
    return keypadMode ? Kind::Keypad : Kind::Other;
}

Answer read(QByteArrayView chunk, bool keypadMode) {
    Answer answer{classify(chunk, keypadMode), chunk.toByteArray(), std::nullopt};
    // Only a single "!" is an acknowledgement to the touch display; "!!" is shown.
    if (answer.kind == Kind::Acknowledge && chunk.size() != 1)
        answer.kind = keypadMode ? Kind::Keypad : Kind::Other;
    if (!keypadMode && !answer.isEmpty())
        answer.point = TouchReport::decode(QString::fromLatin1(chunk));
    return answer;
}

QString describe(Kind kind, QByteArrayView start, qint64 length) {
    switch (kind) {
    case Kind::Identify:
        if (length == 3)
            return QStringLiteral("IdentifyAnswer \"100\"");
        return QStringLiteral("IdentifyAnswer \"100\" in ") + quoted(start, length);
    case Kind::Acknowledge:
        if (length == 1)
            return QStringLiteral("Acknowledge");
        return QStringLiteral("Acknowledge x%1").arg(length);
    case Kind::Touch:
        return touchReports(start).value_or(QStringLiteral("touch ") + quoted(start, length));
    case Kind::Keypad:
        return QStringLiteral("KeypadReport ") + quoted(start, length);
    case Kind::Other:
        break;
    }
    return QStringLiteral("Answer ") + quoted(start, length);
}

void IdentificationReader::restart() {
    *this = IdentificationReader();
}

bool IdentificationReader::take(QByteArrayView chunk) {
    if (m_recognised || chunk.isEmpty())
        return m_recognised;
    m_length += chunk.size();
    if (m_text.size() < KeptBytes)
        m_text += chunk.first(std::min(chunk.size(), KeptBytes - m_text.size()));
    const qsizetype overlap = IdentifyAnswer.size() - 1;
    const QByteArray seam = m_tail + chunk.first(std::min(chunk.size(), overlap)).toByteArray();
    m_recognised = seam.contains(IdentifyAnswer) || chunk.contains(IdentifyAnswer);
    m_tail += chunk.last(std::min(chunk.size(), overlap));
    m_tail = m_tail.right(overlap);
    return m_recognised;
}

} // namespace BoardAnswers
