#include "engine/colorvalue.h"
#include "graphic/pictureconversion.h"

#include <QSet>
#include <QTest>

namespace {

constexpr int White = 255, Yellow = 252, Red = 224, Green = 28, Blue = 3, Black = 0;

// Quadrants of red, green, blue and black (top-left, top-right, bottom-left,
// bottom-right) inside a yellow border an eighth of each side thick.
QImage framedQuadrants(int width, int height) {
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const bool border = x < width / 8 || x >= width - width / 8 || y < height / 8 ||
                                y >= height - height / 8;
            const bool right = x >= width / 2, bottom = y >= height / 2;
            row[x] = border            ? qRgb(255, 255, 0)
                     : bottom && right ? qRgb(0, 0, 0)
                     : bottom          ? qRgb(0, 0, 255)
                     : right           ? qRgb(0, 255, 0)
                                       : qRgb(255, 0, 0);
        }
    }
    return picture;
}

QImage flat(QRgb color, int width = 320, int height = 240) {
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(color);
    return picture;
}

int valueAt(const QByteArray& pixels, int x, int y) {
    return quint8(pixels.at(y * 320 + x));
}

// The mean intensity the board shows in one channel (16 red, 8 green, 0 blue).
double shownMean(const QByteArray& pixels, int shift) {
    double sum = 0;
    for (char value : pixels)
        sum += (ColorValue::expand(quint8(value)) >> shift) & 0xFF;
    return sum / pixels.size();
}

} // namespace

class tst_PictureConversion : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void defaultsTruncateCropAndPad();
    void fitsPlacePicturesWhereTheyBelong();
    void anyPictureGivesAFullScreen();
    void diffusionKeepsTheAverageColour();
    void orderedDitherRepeatsEveryEightPixels();
    void optionNamesAreExact();
};

// As is, without dithering (the defaults): each level truncated, the top-left 320 x 240
// of a larger picture, the background around a smaller one and through its transparency.
void tst_PictureConversion::defaultsTruncateCropAndPad() {
    const struct {
        QRgb color;
        int value;
    } cases[] = {{qRgb(255, 255, 255), White}, {qRgb(0, 0, 0), Black},  {qRgb(255, 0, 0), Red},
                 {qRgb(0, 255, 0), Green},     {qRgb(0, 0, 255), Blue}, {qRgb(31, 31, 63), Black},
                 {qRgb(32, 32, 64), 37}};
    for (const auto& reduced : cases)
        QCOMPARE(valueAt(boardPixels(flat(reduced.color, 1, 1), PictureOptions()), 0, 0),
                 reduced.value);
    QCOMPARE(boardPixels(flat(qRgb(0, 0, 0), 1, 1), PictureOptions()).count(char(White)),
             76800 - 1);

    // Three bytes a pixel; (256, 0) is where the second saved chunk begins.
    QImage picture = flat(qRgb(0, 0, 0), 640, 480);
    picture.setPixel(0, 0, qRgb(255, 0, 0));
    picture.setPixel(0, 1, qRgb(0, 255, 0));
    picture.setPixel(256, 0, qRgb(32, 32, 64));
    picture.setPixel(319, 239, qRgb(0, 0, 255));
    picture.setPixel(320, 0, qRgb(255, 255, 255));
    picture.setPixel(0, 240, qRgb(255, 255, 255));
    const QByteArray pixels =
        boardPixels(picture.convertToFormat(QImage::Format_RGB888), PictureOptions());
    QCOMPARE(pixels.size(), 76800);
    QCOMPARE(valueAt(pixels, 0, 0), Red);
    QCOMPARE(valueAt(pixels, 0, 1), Green);
    QCOMPARE(valueAt(pixels, 256, 0), 37);
    QCOMPARE(valueAt(pixels, 319, 239), Blue);
    QCOMPARE(pixels.count(char(Black)), 76800 - 4);

    QImage small = flat(qRgb(0, 0, 255), 100, 100).convertToFormat(QImage::Format_ARGB32);
    small.setPixel(99, 99, qRgba(0, 0, 0, 0));
    const QByteArray padded =
        boardPixels(small, {PictureFit::AsIs, PictureDither::None, QColor(0, 255, 0)});
    QCOMPARE(valueAt(padded, 98, 99), Blue);
    QCOMPARE(valueAt(padded, 99, 99), Green);
    QCOMPARE(padded.count(char(Blue)), 100 * 100 - 1);
    QCOMPARE(padded.count(char(Green)), 76800 - (100 * 100 - 1));
}

void tst_PictureConversion::fitsPlacePicturesWhereTheyBelong() {
    struct Check {
        int x, y, value;
    };
    // 640 x 480 and 4000 x 3000 halve or shrink to the whole screen.
    const std::initializer_list<Check> whole = {
        {0, 0, Yellow},    {319, 239, Yellow}, {39, 100, Yellow},
        {41, 100, Red},    {220, 100, Green},  {100, 140, Blue},
        {220, 140, Black}, {100, 209, Blue},   {100, 211, Yellow}};
    const struct {
        PictureFit fit;
        QSize size;
        std::initializer_list<Check> checks;
    } cases[] = {
        {PictureFit::Fill, {640, 480}, whole},
        {PictureFit::Fit, {4000, 3000}, whole},
        // 100 x 400 fits as 60 x 240 in the middle, white on either side.
        {PictureFit::Fit,
         {100, 400},
         {{129, 0, White},
          {130, 0, Yellow},
          {189, 239, Yellow},
          {190, 239, White},
          {145, 60, Red},
          {175, 60, Green},
          {145, 180, Blue},
          {175, 180, Black}}},
        // Filling, it shows its middle: the side borders, not the top and bottom ones.
        {PictureFit::Fill,
         {100, 400},
         {{0, 120, Yellow},
          {319, 120, Yellow},
          {100, 0, Red},
          {220, 0, Green},
          {100, 239, Blue},
          {220, 239, Black}}},
        // Stretched, all of it: the top border is 30 rows high.
        {PictureFit::Stretch,
         {100, 400},
         {{100, 0, Yellow},
          {100, 28, Yellow},
          {100, 32, Red},
          {220, 32, Green},
          {100, 208, Blue},
          {220, 208, Black},
          {100, 239, Yellow}}},
    };
    for (const auto& place : cases) {
        const QByteArray pixels =
            boardPixels(framedQuadrants(place.size.width(), place.size.height()),
                        {place.fit, PictureDither::None, Qt::white});
        for (const Check& check : place.checks) {
            QVERIFY2(valueAt(pixels, check.x, check.y) == check.value,
                     qPrintable(QStringLiteral("fit %1, %2 px wide at (%3, %4)")
                                    .arg(int(place.fit))
                                    .arg(place.size.width())
                                    .arg(check.x)
                                    .arg(check.y)));
        }
    }
    // Fill's rectangle reaches beyond the screen, centred.
    QCOMPARE(picturePlacement({100, 400}, PictureFit::Fill), QRect(0, -520, 320, 1280));
    QCOMPARE(picturePlacement({100, 400}, PictureFit::Fit), QRect(130, 0, 60, 240));
}

void tst_PictureConversion::anyPictureGivesAFullScreen() {
    // Shapes that scale to nothing or to millions of pixels, and no picture at all.
    const QList<QImage> pictures{QImage(), flat(qRgb(255, 0, 0), 1, 30000),
                                 flat(qRgb(255, 0, 0), 30000, 1), flat(qRgb(255, 0, 0), 1, 1)};
    for (const QImage& picture : pictures) {
        for (int fit = 0; fit < 4; ++fit) {
            for (int dither = 0; dither < 3; ++dither) {
                const QByteArray pixels = boardPixels(
                    picture, {PictureFit(fit), PictureDither(dither), QColor(0, 0, 255)});
                QCOMPARE(pixels.size(), 76800);
                // Filled or stretched, the picture's red covers the screen; no picture
                // leaves the blue background.
                const bool covers =
                    PictureFit(fit) == PictureFit::Fill || PictureFit(fit) == PictureFit::Stretch;
                const int everywhere = picture.isNull() ? Blue : covers ? Red : -1;
                if (everywhere >= 0)
                    QCOMPARE(pixels, QByteArray(76800, char(everywhere)));
            }
        }
    }
}

void tst_PictureConversion::diffusionKeepsTheAverageColour() {
    for (const QRgb color : {qRgb(128, 128, 128), qRgb(64, 64, 64), qRgb(200, 120, 40)}) {
        const QByteArray pixels =
            boardPixels(flat(color), {PictureFit::AsIs, PictureDither::Diffusion, Qt::white});
        // The board's levels are 36 or 85 apart: only a mix of two of them comes within
        // 1 % of full scale (2.55) of the wanted intensity.
        for (const int shift : {16, 8, 0}) {
            const double wanted = (color >> shift) & 0xFF;
            QVERIFY2(
                qAbs(shownMean(pixels, shift) - wanted) < 2.55,
                qPrintable(
                    QStringLiteral("%1 shows as %2").arg(wanted).arg(shownMean(pixels, shift))));
        }
    }
    // What the board shows exactly stays undisturbed.
    for (const QRgb color : {qRgb(255, 255, 255), qRgb(0, 0, 0), qRgb(36, 218, 85)}) {
        const QByteArray pixels =
            boardPixels(flat(color), {PictureFit::AsIs, PictureDither::Diffusion, Qt::white});
        QCOMPARE(QSet<char>(pixels.begin(), pixels.end()).size(), 1);
    }
}

void tst_PictureConversion::orderedDitherRepeatsEveryEightPixels() {
    // A mid grey and a colour between levels: the same 8 x 8 tile everywhere, mixing
    // levels so that the average is kept.
    for (const QRgb color : {qRgb(128, 128, 128), qRgb(100, 150, 200)}) {
        const QByteArray pixels =
            boardPixels(flat(color), {PictureFit::AsIs, PictureDither::Ordered, Qt::white});
        for (int y = 0; y < 240; ++y) {
            for (int x = 0; x < 320; ++x)
                QCOMPARE(valueAt(pixels, x, y), valueAt(pixels, x % 8, y % 8));
        }
        QVERIFY(QSet<char>(pixels.begin(), pixels.end()).size() > 1);
        for (const int shift : {16, 8, 0})
            QVERIFY(qAbs(shownMean(pixels, shift) - ((color >> shift) & 0xFF)) < 2.55);
    }
    const QByteArray white = boardPixels(flat(qRgb(255, 255, 255)),
                                         {PictureFit::AsIs, PictureDither::Ordered, Qt::white});
    QCOMPARE(white, QByteArray(76800, char(White)));
}

// What each name means is checked where the command line and project files use it.
void tst_PictureConversion::optionNamesAreExact() {
    for (const auto unknown : {u"", u"Fit", u"bayer"}) {
        QVERIFY(!pictureFitNamed(unknown));
        QVERIFY(!pictureDitherNamed(unknown));
    }
}

QTEST_MAIN(tst_PictureConversion)
#include "tst_pictureconversion.moc"
