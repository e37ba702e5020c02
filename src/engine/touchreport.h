#pragma once

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

} // namespace TouchReport
