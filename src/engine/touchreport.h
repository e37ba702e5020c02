#pragma once

#include <QList>
#include <QString>

#include <optional>

// The board's touch panel, in coordinates mode, reports a press as decimal text: the
// high part of X, ",", the low part of X, ",", Y, ended by "$" (1,4,200$ is 260,200).
namespace TouchReport {

struct Point {
    int x;
    int y;
};

// The point of the first report in a chunk: the text before its first "$" (the whole
// chunk when there is none). Nothing for an empty report, fewer than three fields, a
// field that is not a whole decimal number, or an X or Y beyond a 16-bit signed value.
std::optional<Point> decode(const QString& chunk);
// "260,200".
QString format(Point point);

// Reports as they arrive over several reads: each ends with "$", and one may be split
// between two reads or several come in one.
class Stream {
public:
    // A report that grows longer than this without its "$" is noise, not a report.
    static constexpr qsizetype ReportLimit = 64;

    struct Report {
        // Nothing when the report is unreadable.
        std::optional<Point> point;
        // The report as it came, without its "$".
        QString text;
    };

    // The reports the read completes, in order, and noise that outgrew a report.
    QList<Report> take(QStringView chunk);
    void clear() { m_pending.clear(); }

private:
    QString m_pending;
};

} // namespace TouchReport
