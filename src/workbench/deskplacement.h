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
// below, above), placed there. Where no choice fits beside it: the last one, as near
// the main window's right side as the screen allows.
Placement place(const QRect& mainFrame, const QList<Choice>& choices, const QRect& screen);

// Whether a frame of this size has room beside the main window on some side.
bool fitsBeside(const QRect& mainFrame, QSize frame, const QRect& screen);

// A resizable window beside the main window: at its natural frame where that fits on
// some side, else made smaller (down to the smallest frame it can take) to fit the
// largest room beside it; where none is large enough, at its natural frame as near the
// main window's right side as the screen allows.
QRect resizableBeside(const QRect& mainFrame, QSize frame, QSize smallest, const QRect& screen);

// Where a window beside the main window goes when its frame takes a new size: it grows
// away from the main window (one on its left keeps its right edge, one above keeps
// its bottom edge), stays on the screen, and moves beside the main window when it would
// cover it there.
QPoint resized(const QRect& mainFrame, const QRect& oldFrame, QSize newFrame, const QRect& screen);

// The top-left corner nearest to wanted that keeps a frame of this size on the
// screen; a frame larger than the screen keeps its top-left corner in view.
QPoint within(const QRect& screen, QPoint wanted, QSize frame);

} // namespace DeskPlacement
