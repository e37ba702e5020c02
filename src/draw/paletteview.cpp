#include "draw/paletteview.h"

#include "draw/palette.h"

#include <QMouseEvent>
#include <QPainter>

PaletteView::PaletteView(QWidget* parent)
    : QFrame(parent)
    , m_picture(Palette::picture()) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setMouseTracking(true);
    setCursor(Qt::CrossCursor);
}

std::optional<QRgb> PaletteView::colorAt(QPoint point) const {
    if (!m_picture.rect().contains(point))
        return std::nullopt;
    return m_picture.pixel(point);
}

void PaletteView::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.setClipRect(contentsRect());
    painter.drawImage(contentsRect().topLeft(), m_picture);
}

void PaletteView::mouseMoveEvent(QMouseEvent* event) {
    if (const auto point = pictureAt(event->position().toPoint()))
        Q_EMIT mouseMoved(*point);
    QFrame::mouseMoveEvent(event);
}

void PaletteView::mouseReleaseEvent(QMouseEvent* event) {
    const auto point = pictureAt(event->position().toPoint());
    if (point && event->button() == Qt::LeftButton) {
        // The pointer rests where it was released: that is the colour taken.
        Q_EMIT mouseMoved(*point);
        Q_EMIT clicked(*point);
    }
    QFrame::mouseReleaseEvent(event);
}

std::optional<QPoint> PaletteView::pictureAt(QPoint position) const {
    const QPoint point = position - contentsRect().topLeft();
    if (!m_picture.rect().contains(point) || !contentsRect().contains(position))
        return std::nullopt;
    return point;
}
