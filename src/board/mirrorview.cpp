#include "board/mirrorview.h"

#include "board/boardmirror.h"
#include "board/mirrorimage.h"

#include <QPainter>

MirrorView::MirrorView(QWidget* parent)
    : QWidget(parent) {
    setFixedSize(sizeHint());
}

QSize MirrorView::sizeHint() const {
    return {BoardGeometry::Width, BoardGeometry::Height};
}

void MirrorView::setScreen(const MirrorScreen& screen) {
    m_image = MirrorImage::hatched(screen);
    update();
}

void MirrorView::clearScreen() {
    m_image = QImage();
    update();
}

void MirrorView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (m_image.isNull())
        painter.fillRect(rect(), palette().window().color().darker(110));
    else
        painter.drawImage(0, 0, m_image);
}
