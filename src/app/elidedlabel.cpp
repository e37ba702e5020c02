#include "app/elidedlabel.h"

#include <QPainter>

#include <algorithm>

void ElidedLabel::setText(const QString& text) {
    QLabel::setText(text);
    setToolTip(text);
}

QSize ElidedLabel::minimumSizeHint() const {
    const QMargins margins = contentsMargins();
    const int whole = fontMetrics().horizontalAdvance(text()) + margins.left() + margins.right();
    return {std::max(minimumWidth(), std::min(whole, m_wholeTextUpTo)),
            QLabel::minimumSizeHint().height()};
}

void ElidedLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = contentsRect();
    painter.drawText(area, int(alignment()),
                     fontMetrics().elidedText(text(), Qt::ElideRight, area.width()));
}
