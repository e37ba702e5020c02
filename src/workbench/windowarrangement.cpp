#include "workbench/windowarrangement.h"

#include <algorithm>

namespace WindowArrangement {

QList<QPoint> tiled(const QList<QSize>& frames, int areaWidth) {
    QList<QPoint> places;
    int x = 0;
    int rowTop = 0;
    int rowHeight = 0;
    for (const QSize& frame : frames) {
        if (x > 0 && x + frame.width() > areaWidth) {
            rowTop += rowHeight;
            x = 0;
            rowHeight = 0;
        }
        places.append({x, rowTop});
        x += frame.width();
        rowHeight = std::max(rowHeight, frame.height());
    }
    return places;
}

QList<QPoint> cascaded(const QList<QSize>& frames, QSize area, int step) {
    QList<QPoint> places;
    int across = 0;
    int down = 0;
    for (const QSize& frame : frames) {
        if (down > 0 && down + frame.height() > area.height())
            down = 0;
        // Kept whole where it fits; a window larger than the area keeps its top-left
        // corner in view.
        const int x = std::max(0, std::min(across, area.width() - frame.width()));
        const int y = std::max(0, std::min(down, area.height() - frame.height()));
        places.append({x, y});
        across += step;
        down += step;
    }
    return places;
}

} // namespace WindowArrangement
