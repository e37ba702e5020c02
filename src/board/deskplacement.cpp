#include "board/deskplacement.h"

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

bool fitsOn(const QRect& screen, QSize frame) {
    return frame.width() <= screen.width() && frame.height() <= screen.height();
}

} // namespace

Placement place(const QRect& mainFrame, const QList<Choice>& choices, const QRect& screen) {
    if (choices.isEmpty())
        return {1, screen.topLeft()};
    for (const Choice& choice : choices) {
        if (const std::optional<QPoint> topLeft = besideMainWindow(mainFrame, choice.frame, screen))
            return {choice.zoom, *topLeft};
    }
    const auto fitting = std::find_if(choices.begin(), choices.end(), [&screen](const Choice& c) {
        return fitsOn(screen, c.frame);
    });
    const Choice& choice = fitting != choices.end() ? *fitting : choices.last();
    const QPoint rightOfMain(mainFrame.right() + 1 + Gap, mainFrame.top());
    return {choice.zoom, within(screen, rightOfMain, choice.frame)};
}

QPoint within(const QRect& screen, QPoint wanted, QSize frame) {
    return {clampedStart(wanted.x(), frame.width(), screen.left(), screen.right()),
            clampedStart(wanted.y(), frame.height(), screen.top(), screen.bottom())};
}

} // namespace DeskPlacement
