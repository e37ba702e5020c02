#include "engine/boardanswers.h"

#include "engine/commandlog.h"
#include "engine/touchreport.h"

#include <QStringList>

#include <algorithm>
#include <optional>

namespace BoardAnswers {
namespace {

// Longer answers are quoted up to here.
constexpr qsizetype QuotedCharacters = 60;

QString quoted(QByteArrayView chunk) {
    QString text = QStringLiteral("\"");
    for (qsizetype i = 0; i < std::min(chunk.size(), QuotedCharacters); ++i)
        text += printableCharacter(quint8(chunk[i]));
    text += QLatin1Char('"');
    if (chunk.size() > QuotedCharacters)
        text += QStringLiteral(" ... (%1 bytes)").arg(chunk.size());
    return text;
}

// Each report of the chunk ("1,4,200$0,10,5$"), when it holds nothing else.
std::optional<QString> touchReports(QByteArrayView chunk) {
    if (!chunk.endsWith('$') || chunk.size() > QuotedCharacters)
        return std::nullopt;
    QStringList points;
    const QList<QByteArray> reports = chunk.first(chunk.size() - 1).toByteArray().split('$');
    for (const QByteArray& report : reports) {
        const auto point = TouchReport::decode(QString::fromLatin1(report));
        // The report is exactly three numbers (a strict reading, unlike the touch display's).
        if (!point || report.count(',') != 2)
            return std::nullopt;
        points.append(QStringLiteral("touch x=%1 y=%2").arg(point->x).arg(point->y));
    }
    return points.join(QStringLiteral("; "));
}

} // namespace

Answer decode(QByteArrayView chunk, bool keypadMode) {
    if (chunk.contains(QByteArrayView("100"))) {
        QString text = QStringLiteral("IdentifyAnswer \"100\"");
        if (chunk != QByteArrayView("100"))
            text += QStringLiteral(" in ") + quoted(chunk);
        return {Kind::Identify, text};
    }
    if (!chunk.isEmpty() && chunk.count('!') == chunk.size()) {
        const QString text = QStringLiteral("Acknowledge");
        return {Kind::Acknowledge,
                chunk.size() == 1 ? text : text + QStringLiteral(" x%1").arg(chunk.size())};
    }
    if (const auto reports = touchReports(chunk))
        return {Kind::Touch, *reports};
    if (keypadMode)
        return {Kind::Keypad, QStringLiteral("KeypadReport ") + quoted(chunk)};
    return {Kind::Other, QStringLiteral("Answer ") + quoted(chunk)};
}

} // namespace BoardAnswers
