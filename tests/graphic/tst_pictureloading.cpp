#include "graphic/pictureloading.h"
#include "picturefiles.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

namespace {

QImage halves(int width, int height, QRgb left, QRgb right) {
    QImage picture(width, height, QImage::Format_ARGB32);
    picture.fill(left);
    for (int y = 0; y < height; ++y) {
        for (int x = width / 2; x < width; ++x)
            picture.setPixel(x, y, right);
    }
    return picture;
}

bool reddish(QRgb color) {
    return qRed(color) > 200 && qBlue(color) < 60;
}

class Files {
public:
    QString write(const QString& name, const QByteArray& data) {
        const QString path = folder.filePath(name);
        if (!writeFile(path, data))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    QTemporaryDir folder;
};

QByteArray encoded(const QImage& picture, const char* format) {
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, format);
    return data;
}

// The file as it is, but its header declares another size: 16 bits each in JPEG (big
// endian) and GIF (screen and first image), 32 in BMP.
QByteArray declaring(QByteArray data, const char* format, quint32 width, quint32 height) {
    auto* bytes = reinterpret_cast<uchar*>(data.data());
    if (qstrcmp(format, "jpeg") == 0) {
        const qsizetype frame = data.indexOf("\xFF\xC0");
        qToBigEndian(quint16(height), bytes + frame + 5);
        qToBigEndian(quint16(width), bytes + frame + 7);
    } else if (qstrcmp(format, "gif") == 0) {
        const qsizetype image = data.indexOf('\x2C', 13);
        for (const qsizetype at : {qsizetype(6), image + 5}) {
            qToLittleEndian(quint16(width), bytes + at);
            qToLittleEndian(quint16(height), bytes + at + 2);
        }
    } else {
        qToLittleEndian(width, bytes + 18);
        qToLittleEndian(height, bytes + 22);
    }
    return data;
}

} // namespace

class tst_PictureLoading : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void photosStandUpright();
    void largeJpegsDecodeSmallerForTheScalingFits();
    void framesAndTransparency();
    void badFilesAreRefusedWithAReason();
    void jpegCompleteness();
};

void tst_PictureLoading::photosStandUpright() {
    Files files;
    const QImage stored = halves(40, 20, qRgb(255, 0, 0), qRgb(0, 0, 255));
    // A quarter turn clockwise brings the stored left half to the top.
    const LoadedPicture turned = loadPicture(
        files.write(QStringLiteral("turned.jpg"), turnedJpeg(stored, 6)), PictureFit::AsIs);
    QCOMPARE(turned.outcome, LoadedPicture::Outcome::Loaded);
    QCOMPARE(turned.image.size(), QSize(20, 40));
    QCOMPARE(turned.fullSize, QSize(20, 40));
    QVERIFY(reddish(turned.image.pixel(10, 5)));
    QVERIFY(!reddish(turned.image.pixel(10, 35)));
    // Orientation 1 is upright already.
    const LoadedPicture upright = loadPicture(
        files.write(QStringLiteral("upright.jpg"), turnedJpeg(stored, 1)), PictureFit::AsIs);
    QCOMPARE(upright.image.size(), QSize(40, 20));
    QVERIFY(reddish(upright.image.pixel(5, 10)));
}

void tst_PictureLoading::largeJpegsDecodeSmallerForTheScalingFits() {
    Files files;
    const QImage photo = halves(2560, 1920, qRgb(255, 0, 0), qRgb(0, 0, 255));
    const struct {
        const char* name;
        QByteArray data;
        PictureFit fit;
        QSize decoded;
        QSize full;
        bool servesEveryFit;
    } cases[] = {
        // An eighth is still the whole screen.
        {"photo.jpg", jpegData(photo), PictureFit::Fit, {320, 240}, {2560, 1920}, false},
        {"photo.jpg", jpegData(photo), PictureFit::AsIs, {2560, 1920}, {2560, 1920}, false},
        // Upright it is 1920 x 2560: filling the screen takes 320 x 427 of it, so a
        // quarter, 480 x 640.
        {"turned.jpg", turnedJpeg(photo, 6), PictureFit::Stretch, {480, 640}, {1920, 2560}, false},
        {"turned.jpg", turnedJpeg(photo, 6), PictureFit::AsIs, {1920, 2560}, {1920, 2560}, false},
        // Too small to shrink, and PNG has no smaller decode.
        {"small.jpg",
         jpegData(photo.copy(0, 0, 400, 300)),
         PictureFit::Fill,
         {400, 300},
         {400, 300},
         true},
        {"photo.png", QByteArray(), PictureFit::Fit, {2560, 1920}, {2560, 1920}, true},
    };
    QVERIFY(photo.save(files.folder.filePath(QStringLiteral("photo.png"))));
    for (const auto& load : cases) {
        const QString name = QLatin1String(load.name);
        const QString path =
            load.data.isEmpty() ? files.folder.filePath(name) : files.write(name, load.data);
        const LoadedPicture loaded = loadPicture(path, load.fit);
        QCOMPARE(loaded.image.size(), load.decoded);
        QCOMPARE(loaded.fullSize, load.full);
        QCOMPARE(loaded.servesEveryFit, load.servesEveryFit);
        QVERIFY(reddish(loaded.image.pixel(2, 2)));
    }
}

void tst_PictureLoading::framesAndTransparency() {
    Files files;
    // An animation shows its first frame.
    const QString gif = files.write(QStringLiteral("blink.gif"), twoFrameGif());
    QCOMPARE(QImageReader(gif).imageCount(), 2);
    QCOMPARE(loadPicture(gif, PictureFit::AsIs).image.pixel(0, 0), qRgb(255, 0, 0));

    // Transparent parts show the background, also where scaling blends them with the
    // picture: across the boundary red and green always add up to full intensity.
    const QString png = files.folder.filePath(QStringLiteral("half.png"));
    QVERIFY(halves(64, 48, qRgba(0, 0, 0, 0), qRgb(255, 0, 0)).save(png));
    const LoadedPicture loaded = loadPicture(png, PictureFit::Fit);
    for (const PictureFit fit : {PictureFit::AsIs, PictureFit::Fit}) {
        const QImage screen = placedPicture(loaded.image, fit, QColor(0, 255, 0)).image();
        QCOMPARE(screen.pixel(0, 0), qRgb(0, 255, 0));
        QCOMPARE(screen.pixel(fit == PictureFit::AsIs ? 40 : 300, 10), qRgb(255, 0, 0));
        for (int x = 0; x < 320; ++x) {
            const QRgb pixel = screen.pixel(x, 20);
            QVERIFY2(qRed(pixel) + qGreen(pixel) >= 250 && qBlue(pixel) == 0,
                     qPrintable(QStringLiteral("x %1: %2").arg(x).arg(pixel, 0, 16)));
        }
    }
}

// Each format refused alike, whatever the fit: a file that is no picture or is cut
// short, and one whose header declares a size too large (refused before a byte of its
// pixels is decoded).
void tst_PictureLoading::badFilesAreRefusedWithAReason() {
    Files files;
    const QImage noise = noisePicture(120, 90);
    const QByteArray jpeg = jpegData(noise);
    const QByteArray png = encoded(noise, "png");
    const QByteArray bmp = encoded(noise, "bmp");
    const QByteArray gif = twoFrameGif();
    using Outcome = LoadedPicture::Outcome;
    const char* const early = "the picture data ends early";
    const struct {
        const char* name;
        QByteArray data;
        Outcome outcome;
        const char* said;
    } cases[] = {
        {"notes.jpg", "no picture in here", Outcome::Unreadable, "Not opened: "},
        {"empty.png", pngDeclaring(0, 0), Outcome::Unreadable, "Not opened: "},
        {"cut.jpg", jpeg.left(jpeg.size() / 2), Outcome::Unreadable, early},
        {"cut.png", png.left(png.size() / 2), Outcome::Unreadable, early},
        {"cut.bmp", bmp.left(bmp.size() / 2), Outcome::Unreadable, early},
        {"cut-frame.gif", gif.left(30), Outcome::Unreadable, early},
        {"no-trailer.gif", gif.chopped(1), Outcome::Unreadable, early},
        {"huge.png", pngDeclaring(30000, 30000), Outcome::TooLarge,
         "is a picture of 30000 x 30000 pixels: too large to open"},
        {"huge.jpg", declaring(jpeg, "jpeg", 65500, 65500), Outcome::TooLarge,
         "is a picture of 65500 x 65500 pixels: too large"},
        {"huge.gif", declaring(gif, "gif", 65500, 65500), Outcome::TooLarge,
         "is a picture of 65500 x 65500 pixels: too large"},
        {"huge.bmp", declaring(bmp, "bmp", 30000, 30000), Outcome::TooLarge,
         "is a picture of 30000 x 30000 pixels: too large"},
    };
    for (const auto& bad : cases) {
        const QString path = files.write(QLatin1String(bad.name), bad.data);
        for (const PictureFit fit :
             {PictureFit::AsIs, PictureFit::Fit, PictureFit::Fill, PictureFit::Stretch}) {
            const LoadedPicture loaded = loadPicture(path, fit);
            QVERIFY2(loaded.outcome == bad.outcome && loaded.image.isNull(),
                     qPrintable(loaded.error));
            QVERIFY2(loaded.error.contains(QDir::toNativeSeparators(path)) &&
                         loaded.error.contains(QLatin1String(bad.said)),
                     qPrintable(loaded.error));
        }
    }
    QCOMPARE(
        loadPicture(files.folder.filePath(QStringLiteral("missing.png")), PictureFit::AsIs).outcome,
        Outcome::Unreadable);
    // Whole files of each format still load.
    for (const auto& [name, data] :
         {std::pair{"whole.png", png}, std::pair{"whole.bmp", bmp}, std::pair{"whole.gif", gif}})
        QCOMPARE(loadPicture(files.write(QLatin1String(name), data), PictureFit::Fit).outcome,
                 Outcome::Loaded);
}

void tst_PictureLoading::jpegCompleteness() {
    const QByteArray photo = jpegData(noisePicture(64, 48));
    QVERIFY(jpegIsComplete(photo));
    // Data after the end marker, as phones append a video or a maker's trailer.
    QVERIFY(jpegIsComplete(QByteArray(photo + QByteArray(5000, '\xFF') + "ftypmp42")));
    for (const qsizetype kept : {qsizetype(0), qsizetype(3), photo.size() / 2, photo.size() - 1})
        QVERIFY2(!jpegIsComplete(photo.left(kept)), qPrintable(QString::number(kept)));
    QVERIFY(!jpegIsComplete(pngDeclaring(10, 10)));
}

QTEST_MAIN(tst_PictureLoading)
#include "tst_pictureloading.moc"
