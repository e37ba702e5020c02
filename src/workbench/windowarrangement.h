#pragma once

#include <QList>
#include <QPoint>
#include <QSize>

// Where the tool windows go inside the main window's area, each at its natural size.
// All positions are the top-left corners of the windows' frames in the area.
namespace WindowArrangement {

// Side by side in rows, in the order given, each row as tall as its tallest window; a
// window that no longer fits in a row's width starts the next row. Windows are never
// made smaller: rows that do not fit the area's height run below it (it scrolls).
QList<QPoint> tiled(const QList<QSize>& frames, int areaWidth);

// Staggered by one title bar (step) down and across, every title bar left uncovered by
// the windows after it. A window that would run below the area starts again at the
// top, further right; each window is kept whole in the area where it fits.
QList<QPoint> cascaded(const QList<QSize>& frames, QSize area, int step);

} // namespace WindowArrangement
