#pragma once

#include "workbench/userdialogs.h"

#include <QFont>
#include <QFontDatabase>
#include <QString>

// DejaVu Sans from the fonts-dejavu-core package, which the build scripts install:
// the tests never depend on what else the machine has.
inline bool loadDejaVuSans() {
    static const bool loaded = QFontDatabase::addApplicationFont(QStringLiteral(
                                   "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf")) >= 0;
    return loaded;
}

inline QFont dejaVuSans(qreal points) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(points);
    return font;
}

inline UserDialogs::FontChoice fontChoice(const QFont& font, const QColor& color = Qt::black) {
    return {font, color};
}
