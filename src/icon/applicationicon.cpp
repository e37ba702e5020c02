#include "icon/applicationicon.h"

#include <QPainter>
#include <QSvgRenderer>

namespace ApplicationIcon {

QImage render(int size) {
    if (size < 1)
        return QImage();
    QSvgRenderer picture(QStringLiteral(":/icon/applicationicon.svg"));
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    picture.render(&painter);
    return image;
}

} // namespace ApplicationIcon
