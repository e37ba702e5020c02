#include "graphic/screencanvas.h"

#include <QTest>

namespace {

QImage filled(int width, int height, QRgb color) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(color);
    return image;
}

quint8 at(const QByteArray& pixels, int x, int y) {
    return quint8(pixels.at(y * ScreenCanvas::Width + x));
}

} // namespace

class tst_ScreenCanvas : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void reducesByTruncation_data();
    void reducesByTruncation();
    void streamRunsRowByRowFromTheTop();
    void smallerPicturesArePadded();
};

void tst_ScreenCanvas::reducesByTruncation_data() {
    QTest::addColumn<QRgb>("color");
    QTest::addColumn<int>("value");
    QTest::newRow("white") << qRgb(255, 255, 255) << 255;
    QTest::newRow("black") << qRgb(0, 0, 0) << 0;
    QTest::newRow("red") << qRgb(255, 0, 0) << 224;
    QTest::newRow("green") << qRgb(0, 255, 0) << 28;
    QTest::newRow("blue") << qRgb(0, 0, 255) << 3;
    QTest::newRow("just below the first levels") << qRgb(31, 31, 63) << 0;
    QTest::newRow("the first levels") << qRgb(32, 32, 64) << 37;
}

void tst_ScreenCanvas::reducesByTruncation() {
    QFETCH(QRgb, color);
    QFETCH(int, value);
    const QByteArray pixels = screenPixels(ScreenCanvas(filled(1, 1, color), Qt::black));
    QCOMPARE(at(pixels, 0, 0), quint8(value));
}

void tst_ScreenCanvas::streamRunsRowByRowFromTheTop() {
    QImage picture = filled(ScreenCanvas::Width, ScreenCanvas::Height, qRgb(0, 0, 0));
    picture.setPixel(0, 0, qRgb(255, 0, 0));
    picture.setPixel(1, 0, qRgb(255, 255, 255));
    picture.setPixel(0, 1, qRgb(0, 255, 0));
    picture.setPixel(256, 0, qRgb(32, 32, 64));
    picture.setPixel(319, 239, qRgb(0, 0, 255));

    const QByteArray pixels = screenPixels(ScreenCanvas(picture, Qt::white));
    QCOMPARE(pixels.size(), 76800);
    QCOMPARE(quint8(pixels.at(0)), quint8(224));
    QCOMPARE(quint8(pixels.at(1)), quint8(255));
    QCOMPARE(quint8(pixels.at(320)), quint8(28));
    QCOMPARE(quint8(pixels.at(256)), quint8(37));
    QCOMPARE(quint8(pixels.at(76799)), quint8(3));
    QCOMPARE(pixels.count(char(0)), 76800 - 5);
}

void tst_ScreenCanvas::smallerPicturesArePadded() {
    // 100 x 100 at the top-left; the background (here green) everywhere else, also under
    // the transparent corner of the picture.
    QImage small = filled(100, 100, qRgb(0, 0, 255));
    small.setPixel(99, 99, qRgba(0, 0, 0, 0));
    const QByteArray padded = screenPixels(ScreenCanvas(small, QColor(0, 255, 0)));
    QCOMPARE(at(padded, 0, 0), quint8(3));
    QCOMPARE(at(padded, 99, 98), quint8(3));
    QCOMPARE(at(padded, 99, 99), quint8(28));
    QCOMPARE(at(padded, 100, 0), quint8(28));
    QCOMPARE(at(padded, 0, 100), quint8(28));
    QCOMPARE(at(padded, 319, 239), quint8(28));
    QCOMPARE(padded.count(char(3)), 100 * 100 - 1);

    const QByteArray empty = screenPixels(ScreenCanvas(QColor(255, 255, 255)));
    QCOMPARE(empty, QByteArray(76800, char(255)));
}

QTEST_MAIN(tst_ScreenCanvas)
#include "tst_screencanvas.moc"
