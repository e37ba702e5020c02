#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

// Where a window of its own goes on the desk beside the main window, so that both
// can be seen at once. All rectangles are window frames in screen coordinates.
namespace DeskPlacement {

// One way to show the window: at a zoom, with the frame that zoom gives it.
struct Choice {
    int zoom;
    QSize frame;
};

struct Placement {
    int zoom;
    QPoint topLeft;
};

// The space kept between the main window and the one beside it.
inline constexpr int Gap = 8;

// The first choice that fits beside the main window (to its right, else its left,
// below, above), placed there. Where no choice fits beside it: the first choice that
// fits on the screen at all (else the last one), as near the main window's right
// side as the screen allows.
Placement place(const QRect& mainFrame, const QList<Choice>& choices, const QRect& screen);

// The top-left corner nearest to wanted that keeps a frame of this size on the
// screen; a frame larger than the screen keeps its top-left corner in view.
QPoint within(const QRect& screen, QPoint wanted, QSize frame);

} // namespace DeskPlacement
