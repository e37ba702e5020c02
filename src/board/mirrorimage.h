#pragma once

#include <QImage>
#include <QString>

struct MirrorScreen;

// A mirrored screen as a desktop picture, turned as the panel shows it.
namespace MirrorImage {

// Unknown pixels transparent: for a PNG file.
QImage transparent(const MirrorScreen& screen);
// Unknown pixels hatched: for a view.
QImage hatched(const MirrorScreen& screen);
// Writes transparent(screen) as PNG; returns false (and why) when it cannot.
bool savePng(const MirrorScreen& screen, const QString& file, QString* why);

} // namespace MirrorImage
