#include "engine/touchreport.h"

#include <QStringList>

namespace TouchReport {
namespace {

constexpr qint64 Smallest = -32768;
constexpr qint64 Largest = 32767;
// More digits than this cannot be a 16-bit value (leading zeros aside, which the
// board does not send).
constexpr qsizetype MaximumDigits = 6;

// A whole decimal number in the 16-bit signed range: an optional sign and digits,
// blanks around it allowed, nothing else.
std::optional<qint64> field(QStringView text) {
    text = text.trimmed();
    QStringView digits = text;
    if (!digits.isEmpty() && (digits.front() == u'-' || digits.front() == u'+'))
        digits = digits.mid(1);
    if (digits.isEmpty() || digits.size() > MaximumDigits)
        return std::nullopt;
    for (QChar c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
    }
    const qint64 value = text.toLongLong();
    if (value < Smallest || value > Largest)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<Point> decode(const QString& chunk) {
    const QStringView report = QStringView(chunk).left(chunk.indexOf(u'$'));
    const QList<QStringView> fields = report.split(u',');
    if (fields.size() < 3)
        return std::nullopt;
    const auto high = field(fields[0]);
    const auto low = field(fields[1]);
    const auto y = field(fields[2]);
    if (!high || !low || !y)
        return std::nullopt;
    const qint64 x = *high * 256 + *low;
    if (x < Smallest || x > Largest)
        return std::nullopt;
    return Point{int(x), int(*y)};
}

QString format(Point point) {
    return QString::number(point.x) + QLatin1Char(',') + QString::number(point.y);
}

QList<Stream::Report> Stream::take(QStringView chunk) {
    QList<Report> reports;
    m_pending += chunk;
    qsizetype begin = 0;
    qsizetype end = 0;
    while ((end = m_pending.indexOf(u'$', begin)) >= 0) {
        if (end > begin) {
            const QString report = m_pending.mid(begin, end - begin);
            reports.append({decode(report), report});
        }
        begin = end + 1;
    }
    m_pending.remove(0, begin);
    if (m_pending.size() > ReportLimit) {
        reports.append({std::nullopt, m_pending});
        m_pending.clear();
    }
    return reports;
}

} // namespace TouchReport
