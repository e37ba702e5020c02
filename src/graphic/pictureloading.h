#pragma once

#include "graphic/pictureconversion.h"

#include <QByteArrayView>
#include <QImage>
#include <QSize>
#include <QString>

// A picture file read for the screen: the first frame of an animation, stood upright
// as its EXIF orientation says, in 32-bit pixels (premultiplied where it has
// transparency, which the placement composes over the background).
struct LoadedPicture {
    enum class Outcome {
        Loaded,
        Unreadable, // not a picture, damaged or cut short
        TooLarge    // more pixels than a picture may take in memory
    };

    Outcome outcome = Outcome::Unreadable;
    QImage image;
    // Upright, as stored in the file (also when the image was decoded smaller).
    QSize fullSize;
    // Why it was not loaded, in a sentence that names the file.
    QString error;
    // Whether every fit would load this same image, so that a change of fit needs no
    // second reading of the file.
    bool servesEveryFit = true;
};

// The most memory a decoded picture may take; a larger one is refused from its header,
// before decoding, whatever the fit.
inline constexpr qint64 PictureMemoryLimit = qint64(256) * 1024 * 1024;

// Reads a picture file as the fit needs it. A JPEG, PNG, GIF or BMP file cut short is
// refused ("the picture data ends early") rather than shown with a part made up. JPEG photos that a scaling fit would shrink
// anyway decode at a reduced size (a half, a quarter or an eighth), still at least as
// large as the part that shows on the screen.
LoadedPicture loadPicture(const QString& path, PictureFit fit);

// Whether JPEG data runs from its start marker to its end marker; a file cut short
// would otherwise decode with its missing part in grey.
bool jpegIsComplete(QByteArrayView data);

// The file dialog's filter for pictures: every format this system reads (PNG among
// them), offered first and chosen; the board's tools' own three formats stay a choice.
QString pictureFileFilter();
