#include "workbench/deskplacement.h"

#include <algorithm>
#include <optional>

namespace DeskPlacement {

namespace {

// Nearest start of a span of this length within [first, last], the start kept in
// range when the span is longer.
int clampedStart(int wanted, int length, int first, int last) {
    return std::max(first, std::min(wanted, last - length + 1));
}

std::optional<QPoint> besideMainWindow(const QRect& main, QSize frame, const QRect& screen) {
    const int alongY = clampedStart(main.top(), frame.height(), screen.top(), screen.bottom());
    const int alongX = clampedStart(main.left(), frame.width(), screen.left(), screen.right());
    const QPoint sides[] = {{main.right() + 1 + Gap, alongY},
                            {main.left() - Gap - frame.width(), alongY},
                            {alongX, main.bottom() + 1 + Gap},
                            {alongX, main.top() - Gap - frame.height()}};
    for (const QPoint& topLeft : sides) {
        if (screen.contains(QRect(topLeft, frame)))
            return topLeft;
    }
    return std::nullopt;
}

} // namespace

bool fitsBeside(const QRect& mainFrame, QSize frame, const QRect& screen) {
    return besideMainWindow(mainFrame, frame, screen).has_value();
}

QRect resizableBeside(const QRect& mainFrame, QSize frame, QSize smallest, const QRect& screen) {
    if (const std::optional<QPoint> topLeft = besideMainWindow(mainFrame, frame, screen))
        return {*topLeft, frame};
    // The room on each side of the main window, the frame made to fit the largest.
    const QRect sides[] = {
        QRect(QPoint(mainFrame.right() + 1 + Gap, screen.top()), screen.bottomRight()),
        QRect(screen.topLeft(), QPoint(mainFrame.left() - 1 - Gap, screen.bottom())),
        QRect(QPoint(screen.left(), mainFrame.bottom() + 1 + Gap), screen.bottomRight()),
        QRect(screen.topLeft(), QPoint(screen.right(), mainFrame.top() - 1 - Gap))};
    QRect best;
    for (const QRect& side : sides) {
        const QSize fitted = frame.boundedTo(side.size());
        if (fitted.width() < smallest.width() || fitted.height() < smallest.height())
            continue;
        if (const std::optional<QPoint> topLeft = besideMainWindow(mainFrame, fitted, screen)) {
            const QRect place(*topLeft, fitted);
            if (best.isEmpty() ||
                qint64(fitted.width()) * fitted.height() > qint64(best.width()) * best.height())
                best = place;
        }
    }
    if (!best.isEmpty())
        return best;
    const QPoint rightOfMain(mainFrame.right() + 1 + Gap, mainFrame.top());
    return {within(screen, rightOfMain, frame), frame};
}

Placement place(const QRect& mainFrame, const QList<Choice>& choices, const QRect& screen) {
    if (choices.isEmpty())
        return {1, screen.topLeft()};
    for (const Choice& choice : choices) {
        if (const std::optional<QPoint> topLeft = besideMainWindow(mainFrame, choice.frame, screen))
            return {choice.zoom, *topLeft};
    }
    // Nowhere beside it: the last (smallest) choice covers the least of it.
    const Choice& choice = choices.last();
    const QPoint rightOfMain(mainFrame.right() + 1 + Gap, mainFrame.top());
    return {choice.zoom, within(screen, rightOfMain, choice.frame)};
}

QPoint resized(const QRect& mainFrame, const QRect& oldFrame, QSize newFrame, const QRect& screen) {
    QPoint anchored = oldFrame.topLeft();
    if (oldFrame.right() < mainFrame.left())
        anchored.setX(oldFrame.right() + 1 - newFrame.width());
    if (oldFrame.bottom() < mainFrame.top() && oldFrame.right() >= mainFrame.left() &&
        oldFrame.left() <= mainFrame.right())
        anchored.setY(oldFrame.bottom() + 1 - newFrame.height());
    const QPoint kept = within(screen, anchored, newFrame);
    if (!QRect(kept, newFrame).intersects(mainFrame))
        return kept;
    return besideMainWindow(mainFrame, newFrame, screen).value_or(kept);
}

QPoint within(const QRect& screen, QPoint wanted, QSize frame) {
    return {clampedStart(wanted.x(), frame.width(), screen.left(), screen.right()),
            clampedStart(wanted.y(), frame.height(), screen.top(), screen.bottom())};
}

} // namespace DeskPlacement
