#pragma once

#include "graphic/screencanvas.h"

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QStringList>
#include <QStringView>

#include <optional>

// How a picture is sized onto the 320 x 240 screen.
enum class PictureFit {
    AsIs,   // natural size from the top-left corner, cut off at the right and bottom
    Fit,    // scaled to fit inside the screen, aspect kept, centred on the background
    Fill,   // scaled to cover the screen, aspect kept, centred, the overflow cut
    Stretch // scaled to exactly 320 x 240
};

// How the full colours are brought down to the board's 256.
enum class PictureDither {
    None,      // each pixel reduced by truncation on its own
    Diffusion, // Floyd-Steinberg, serpentine, to the nearest colour the board shows
    Ordered    // an 8 x 8 Bayer matrix: the same pattern wherever the colour is the same
};

struct PictureOptions {
    PictureFit fit = PictureFit::AsIs;
    PictureDither dither = PictureDither::None;
    // What shows where the picture does not reach, or through its transparent parts.
    QColor background = Qt::white;
};

// Where a picture of this size lands on the screen: the rectangle its whole picture
// covers, which for Fill reaches beyond the screen. An empty size lands nowhere.
QRect picturePlacement(QSize picture, PictureFit fit);

// The picture sized and placed on the screen, in full colour. Shrinking averages the
// pixels it merges; enlarging blends neighbours. A null picture leaves the background.
ScreenCanvas placedPicture(const QImage& picture, PictureFit fit, const QColor& background);

// The screen in the board's colour values (RGB 3-3-2), 76,800 bytes in the order they
// go out: rows from the top, each from x = 0 to 319.
QByteArray reducedPixels(const ScreenCanvas& screen, PictureDither dither);

// The whole conversion: a picture and the options to the 76,800 colour values.
QByteArray boardPixels(const QImage& picture, const PictureOptions& options);

// What the board shows for 76,800 colour values: a 320 x 240 picture (32-bit RGB).
QImage boardColours(const QByteArray& pixels);

// The options' names on a command line ("as-is", "fit", "fill", "stretch"; "none",
// "diffusion", "ordered"), in the order of the enumerations.
const QStringList& pictureFitNames();
const QStringList& pictureDitherNames();
std::optional<PictureFit> pictureFitNamed(QStringView name);
std::optional<PictureDither> pictureDitherNamed(QStringView name);
