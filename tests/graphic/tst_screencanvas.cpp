#include "graphic/screencanvas.h"

#include <QTest>

namespace {

QImage filled(int width, int height, QRgb color) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(color);
    return image;
}

} // namespace

class tst_ScreenCanvas : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void reducesByTruncation();
    void streamRunsRowByRowCroppedOrPadded();
};

void tst_ScreenCanvas::reducesByTruncation() {
    const struct {
        QRgb color;
        int value;
    } cases[] = {{qRgb(255, 255, 255), 255}, {qRgb(0, 0, 0), 0},   {qRgb(255, 0, 0), 224},
                 {qRgb(0, 255, 0), 28},      {qRgb(0, 0, 255), 3}, {qRgb(31, 31, 63), 0},
                 {qRgb(32, 32, 64), 37}};
    for (const auto& reduced : cases) {
        const QByteArray pixels =
            screenPixels(ScreenCanvas(filled(1, 1, reduced.color), Qt::black));
        QCOMPARE(quint8(pixels.at(0)), quint8(reduced.value));
    }
}

void tst_ScreenCanvas::streamRunsRowByRowCroppedOrPadded() {
    // 640 x 480: only the top-left 320 x 240 reaches the screen.
    QImage picture = filled(640, 480, qRgb(0, 0, 0));
    picture.setPixel(0, 0, qRgb(255, 0, 0));
    picture.setPixel(0, 1, qRgb(0, 255, 0));
    picture.setPixel(256, 0, qRgb(32, 32, 64)); // where the second saved chunk begins
    picture.setPixel(319, 239, qRgb(0, 0, 255));
    picture.setPixel(320, 0, qRgb(255, 255, 255));
    picture.setPixel(0, 240, qRgb(255, 255, 255));
    const QByteArray pixels = screenPixels(ScreenCanvas(picture, Qt::white));
    QCOMPARE(pixels.size(), 76800);
    QCOMPARE(quint8(pixels.at(0)), quint8(224));
    QCOMPARE(quint8(pixels.at(320)), quint8(28));
    QCOMPARE(quint8(pixels.at(256)), quint8(37));
    QCOMPARE(quint8(pixels.at(76799)), quint8(3));
    QCOMPARE(pixels.count(char(0)), 76800 - 4);

    // 100 x 100 of blue on green, with a transparent last pixel that shows the green.
    QImage small = filled(100, 100, qRgb(0, 0, 255));
    small.setPixel(99, 99, qRgba(0, 0, 0, 0));
    const QByteArray padded = screenPixels(ScreenCanvas(small, QColor(0, 255, 0)));
    QCOMPARE(quint8(padded.at(99 * 320 + 98)), quint8(3));
    QCOMPARE(quint8(padded.at(99 * 320 + 99)), quint8(28));
    QCOMPARE(padded.count(char(3)), 100 * 100 - 1);
    QCOMPARE(padded.count(char(28)), 76800 - (100 * 100 - 1));
}

QTEST_MAIN(tst_ScreenCanvas)
#include "tst_screencanvas.moc"
