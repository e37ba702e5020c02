#include "font/glyphscan.h"

#include <QTest>

using namespace GlyphScan;

namespace {

// A canvas from rows of text: '#' is black, anything else white.
QImage canvas(const QList<QByteArray>& rows) {
    QImage image(int(rows.first().size()), int(rows.size()), QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int y = 0; y < rows.size(); ++y) {
        for (int x = 0; x < rows[y].size(); ++x) {
            if (rows[y][x] == '#')
                image.setPixel(x, y, qRgb(0, 0, 0));
        }
    }
    return image;
}

} // namespace

class tst_GlyphScan : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void inkIsTheWholeColourNumberAtMost444444();
    void cropsAndPacksBottomRowFirst_data();
    void cropsAndPacksBottomRowFirst();
};

void tst_GlyphScan::inkIsTheWholeColourNumberAtMost444444() {
    // The colour number is 0x00BBGGRR: 0x444445 has red 0x45. Compared as one number,
    // not channel by channel: pure red is ink, pure blue is not.
    QVERIFY(isInk(qRgb(0x44, 0x44, 0x44)));
    QVERIFY(!isInk(qRgb(0x45, 0x44, 0x44)));
    QVERIFY(isInk(qRgb(0xFF, 0x00, 0x00)));
    QVERIFY(!isInk(qRgb(0x00, 0x00, 0xFF)));

    // On a canvas, of another format too, the scan finds the one pixel or nothing.
    QImage image(4, 3, QImage::Format_RGB888);
    image.fill(Qt::white);
    image.setPixel(1, 1, qRgb(0xFF, 0x00, 0x00));
    const ScannedGlyph red = scanCanvas(image);
    QCOMPARE(red.width, 1);
    QCOMPARE(red.height, 1);
    QCOMPARE(packGlyphBitmap(red), QByteArray(1, '\x01'));
    image.fill(Qt::white);
    QVERIFY(!scanCanvas(image).hasInk());
    QVERIFY(packGlyphBitmap(scanCanvas(image)).isEmpty());
    QVERIFY(!scanCanvas(QImage()).hasInk());
}

void tst_GlyphScan::cropsAndPacksBottomRowFirst_data() {
    QTest::addColumn<QList<QByteArray>>("rows");
    QTest::addColumn<int>("leftBlank");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<QByteArray>("bitmap");
    QTest::newRow("ink from column 3")
        << QList<QByteArray>{"...#....", "...##..."} << 3 << 2 << 2 << QByteArray("\x03\x01");
    // Only six columns are looked at: three blank columns stay in front of the ink.
    QTest::newRow("ink from column 9")
        << QList<QByteArray>{"............", ".........##.", ".........#.."} << 6 << 5 << 2
        << QByteArray("\x08\x18");
    QTest::newRow("pixels 1, 2, 8 and 10 of ten")
        << QList<QByteArray>{"##.....#.#"} << 0 << 10 << 1 << QByteArray("\x83\x02");
    QTest::newRow("eight wide: a byte a row")
        << QList<QByteArray>{"########", "#......#"} << 0 << 8 << 2 << QByteArray("\x81\xFF");
    QTest::newRow("nine wide: bit 0 of a second byte")
        << QList<QByteArray>{"#########", "#.......#", "#########"} << 0 << 9 << 3
        << QByteArray("\xFF\x01\x01\x01\xFF\x01");
    QTest::newRow("first byte is the bottom row's left eight pixels")
        << QList<QByteArray>{"#.........", "#.........", "##.#.#.###"} << 0 << 10 << 3
        << QByteArray("\xAB\x03\x01\x00\x01\x00", 6);
    // The blank rows at the bottom are trimmed; the blank row inside the glyph stays.
    QTest::newRow("bottom rows trimmed")
        << QList<QByteArray>{"........", ".#.#....", "........", ".###....", "........", "........"}
        << 1 << 3 << 3 << QByteArray("\x07\x00\x05", 3);
}

void tst_GlyphScan::cropsAndPacksBottomRowFirst() {
    QFETCH(QList<QByteArray>, rows);
    const QImage image = canvas(rows);
    QTEST(CountLeftBlank(image), "leftBlank");
    const ScannedGlyph glyph = scanCanvas(image);
    QTEST(glyph.width, "width");
    QTEST(glyph.height, "height");
    QTEST(packGlyphBitmap(glyph), "bitmap");
}

QTEST_GUILESS_MAIN(tst_GlyphScan)
#include "tst_glyphscan.moc"
