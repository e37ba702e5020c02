#pragma once

#include "cli/clirequest.h"

#include <QList>
#include <QString>

#include <optional>

// The uploads of a call made from their files and fonts before any board is touched:
// a picture that cannot be read or a font the board cannot take stops the call with
// nothing sent.
namespace UploadSources {

// Fills the plan of every picture and font step; the reason, naming the file or the
// font, when one cannot be used. Fonts need the GUI application (glyphs are rendered).
std::optional<QString> prepare(QList<CliStep>& steps);

// The picture's 76,800 colour values, exactly as the graphic window makes them.
std::optional<QByteArray> picturePixels(const PictureSource& source, QString* error);

} // namespace UploadSources
