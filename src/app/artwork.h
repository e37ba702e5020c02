#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>

// Lumaret's own artwork, drawn at start rather than shipped as image files; the
// application icon comes from the picture installed for the desktop.
namespace Artwork {

QPixmap background(const QSize& size);
QIcon applicationIcon();
// Toolbar icons by button key: "Settings", "Font", "Graphic", "Color".
QIcon toolbarIcon(const QString& key);

} // namespace Artwork
