#include "workbench/numberentry.h"

#include <QCoreApplication>

namespace NumberEntry {
namespace {

// More digits than this are out of range for any box (and would overflow an int).
constexpr int MaximumDigits = 9;
// A longer entry is shortened in the message.
constexpr int ShownLength = 20;

bool allDigits(QStringView text) {
    if (text.isEmpty())
        return false;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

QString tr(const char* text) {
    return QCoreApplication::translate("NumberEntry", text);
}

QString shown(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.size() <= ShownLength)
        return trimmed;
    return trimmed.left(ShownLength) + QChar(0x2026);
}

} // namespace

Reading read(const QString& text, int maximum) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return {0, Problem::Empty};
    const bool negative = trimmed.startsWith(QLatin1Char('-'));
    QStringView digits(trimmed);
    if (negative || trimmed.startsWith(QLatin1Char('+')))
        digits = digits.mid(1);
    if (!allDigits(digits))
        return {0, Problem::NotWholeNumber};
    while (digits.size() > 1 && digits.front() == QLatin1Char('0'))
        digits = digits.mid(1);
    if (digits.size() > MaximumDigits)
        return {0, Problem::OutOfRange};
    const int value = digits.toInt();
    if ((negative && value != 0) || value > maximum)
        return {0, Problem::OutOfRange};
    return {value, std::nullopt};
}

QString problemText(const QString& boxName, const QString& text, Problem problem, int maximum) {
    const QString range = tr("Enter a whole number from 0 to %1.").arg(maximum);
    switch (problem) {
    case Problem::Empty:
        return tr("%1 is empty. %2").arg(boxName, range);
    case Problem::NotWholeNumber:
        return tr("%1 \"%2\" is not a whole number. %3").arg(boxName, shown(text), range);
    case Problem::OutOfRange:
        break;
    }
    return tr("%1 %2 is out of range. %3").arg(boxName, shown(text), range);
}

} // namespace NumberEntry
