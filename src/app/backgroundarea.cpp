#include "app/backgroundarea.h"

#include <QPainter>

namespace {

// The darkest colour at the picture's edge, so that it meets the fill without a seam.
constexpr QColor Fill(14, 22, 34);

} // namespace

BackgroundArea::BackgroundArea(const QPixmap& picture, QWidget* parent)
    : QMdiArea(parent)
    , m_picture(picture) {
    setBackground(Fill);
}

void BackgroundArea::resizeEvent(QResizeEvent* event) {
    QMdiArea::resizeEvent(event);
    const QSize size = viewport()->size();
    if (size.isEmpty())
        return;
    QPixmap canvas(size);
    canvas.fill(Fill);
    QPainter painter(&canvas);
    const QSize picture = m_picture.size() / m_picture.devicePixelRatio();
    painter.drawPixmap((size.width() - picture.width()) / 2, (size.height() - picture.height()) / 2,
                       m_picture);
    painter.end();
    setBackground(canvas);
}
