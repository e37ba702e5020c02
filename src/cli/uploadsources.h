#pragma once

#include "cli/clirequest.h"

#include <QList>
#include <QString>

#include <optional>

// The uploads of a call checked from their files and fonts before any board is touched:
// a picture that cannot be read or a font the board cannot take stops the call with
// nothing sent. A picture is read again when its step runs, so that a chain of any
// length holds one picture at a time.
namespace UploadSources {

// Checks every picture and font step and fills the plan of each font step; the reason,
// naming the file or the font, when one cannot be used. Fonts need the GUI application
// (glyphs are rendered).
std::optional<QString> prepare(QList<CliStep>& steps);

// The step's upload: as prepared where it was (a font's, a project's), otherwise a
// picture's made from its file now.
std::optional<UploadPlan> planFor(const CliStep& step, QString* error);

// The picture's 76,800 colour values, exactly as the graphic window makes them.
std::optional<QByteArray> picturePixels(const PictureSource& source, QString* error);

} // namespace UploadSources
