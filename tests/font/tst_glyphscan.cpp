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

// A white canvas with one pixel of the given 0x00BBGGRR colour value.
QImage onePixel(quint32 colorValue) {
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setPixel(1, 1, qRgb(colorValue & 0xFF, (colorValue >> 8) & 0xFF, colorValue >> 16));
    return image;
}

QString rowText(const QBitArray& row) {
    QString text;
    for (qsizetype x = 0; x < row.size(); ++x)
        text.append(row.testBit(x) ? QLatin1Char('#') : QLatin1Char('.'));
    return text;
}

} // namespace

class tst_GlyphScan : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void inkIsTheWholeColourNumberAtMost444444();
    void leftBlankLooksAtSixColumnsOnly();
    void glyphIsCroppedAndReadBottomUp();
    void rowsArePackedIntoWholeBytes();
    void nothingInked();
};

void tst_GlyphScan::inkIsTheWholeColourNumberAtMost444444() {
    QVERIFY(isInk(qRgb(0x44, 0x44, 0x44)));
    // 0x444445: blue 0x44, green 0x44, red 0x45.
    QVERIFY(!isInk(qRgb(0x45, 0x44, 0x44)));
    // Compared as one number, not channel by channel: pure red is ink, pure blue is not.
    QVERIFY(isInk(qRgb(0xFF, 0x00, 0x00)));
    QVERIFY(!isInk(qRgb(0x00, 0x00, 0xFF)));

    // The same on a canvas: the scans find the one pixel or nothing.
    QCOMPARE(CountTopBlank(onePixel(0x444444)), 1);
    QCOMPARE(CountTopBlank(onePixel(0x444445)), 3);
    QCOMPARE(CountLeftBlank(onePixel(0x0000FF)), 1);
    QCOMPARE(CountRightBlank(onePixel(0x0000FF)), 2);
    const ScannedGlyph red = scanCanvas(onePixel(0x0000FF));
    QCOMPARE(red.width, 1);
    QCOMPARE(red.height, 1);
    QCOMPARE(packGlyphBitmap(red), QByteArray(1, '\x01'));
    // A canvas in another format reads the same.
    QCOMPARE(CountTopBlank(onePixel(0x444444).convertToFormat(QImage::Format_RGB888)), 1);
}

void tst_GlyphScan::leftBlankLooksAtSixColumnsOnly() {
    const QImage atNine = canvas({
        "............",
        ".........##.",
        ".........#..",
    });
    QCOMPARE(CountLeftBlank(atNine), 6);
    QCOMPARE(CountRightBlank(atNine), 1);
    const ScannedGlyph glyph = scanCanvas(atNine);
    // Three blank columns (6, 7, 8) stay in front of the ink.
    QCOMPARE(glyph.width, 5);
    QCOMPARE(rowText(glyph.rows[0]), QStringLiteral("...#."));
    QCOMPARE(rowText(glyph.rows[1]), QStringLiteral("...##"));
    QCOMPARE(packGlyphBitmap(glyph), QByteArray("\x08\x18"));

    // Ink that starts within the six columns is cropped exactly.
    QCOMPARE(CountLeftBlank(canvas({".....#..", "........"})), 5);
    QCOMPARE(CountLeftBlank(canvas({"......#.", "........"})), 6);
}

void tst_GlyphScan::glyphIsCroppedAndReadBottomUp() {
    const QImage image = canvas({
        "........",
        ".#.#....",
        "........",
        ".###....",
        "........",
        "........",
    });
    const Blanks blanks{CountTopBlank(image), CountRightBlank(image), CountLeftBlank(image)};
    QCOMPARE(blanks.top, 1);
    QCOMPARE(blanks.right, 4);
    QCOMPARE(blanks.left, 1);
    const ScannedGlyph glyph = ScanGlyph(image, blanks);
    // The two blank rows at the bottom are trimmed; the blank row inside the glyph stays.
    QCOMPARE(glyph.height, 3);
    QCOMPARE(glyph.rows.size(), 3);
    QCOMPARE(rowText(glyph.rows[0]), QStringLiteral("###"));
    QCOMPARE(rowText(glyph.rows[1]), QStringLiteral("..."));
    QCOMPARE(rowText(glyph.rows[2]), QStringLiteral("#.#"));

    // Trimming on its own: only the bottom rows go.
    ScannedGlyph untrimmed{2, 4, {QBitArray(2), QBitArray(2), QBitArray(2, true), QBitArray(2)}};
    TrimBottomRows(untrimmed);
    QCOMPARE(untrimmed.height, 2);
    QCOMPARE(untrimmed.rows.size(), 2);
    QCOMPARE(rowText(untrimmed.rows[0]), QStringLiteral("##"));

    // The first byte of the bitmap is the bottom row's leftmost eight pixels.
    const ScannedGlyph tall = scanCanvas(canvas({
        "#.........",
        "#.........",
        "##.#.#.###",
    }));
    QCOMPARE(tall.width, 10);
    const QByteArray bitmap = packGlyphBitmap(tall);
    QCOMPARE(bitmap.size(), 6);
    QCOMPARE(quint8(bitmap[0]), quint8(0x1 | 0x2 | 0x8 | 0x20 | 0x80));
    QCOMPARE(quint8(bitmap[1]), quint8(0x3));
    QCOMPARE(quint8(bitmap[2]), quint8(0x1));
    QCOMPARE(quint8(bitmap[4]), quint8(0x1));
}

void tst_GlyphScan::rowsArePackedIntoWholeBytes() {
    // The row of ten with pixels 1, 2, 8 and 10 inked.
    ScannedGlyph row = scanCanvas(canvas({"##.....#.#"}));
    QCOMPARE(row.width, 10);
    QCOMPARE(packGlyphBitmap(row), QByteArray("\x83\x02"));

    // Eight wide: one byte a row.
    ScannedGlyph eight = scanCanvas(canvas({"########", "#......#"}));
    QCOMPARE(eight.width, 8);
    QCOMPARE(packGlyphBitmap(eight), QByteArray("\x81\xFF"));

    // Nine wide: two bytes a row, the second using bit 0 only; rows start in fresh bytes.
    ScannedGlyph nine = scanCanvas(canvas({"#########", "#.......#", "#########"}));
    QCOMPARE(nine.width, 9);
    QCOMPARE(nine.height, 3);
    QCOMPARE(packGlyphBitmap(nine), QByteArray("\xFF\x01\x01\x01\xFF\x01"));
}

void tst_GlyphScan::nothingInked() {
    const QImage blank = canvas({"..........", "..........", ".........."});
    QCOMPARE(CountTopBlank(blank), 3);
    QCOMPARE(CountRightBlank(blank), 10);
    QCOMPARE(CountLeftBlank(blank), 6);
    const ScannedGlyph glyph = scanCanvas(blank);
    QVERIFY(!glyph.hasInk());
    QVERIFY(glyph.width <= 0);
    QVERIFY(glyph.height <= 0);
    QVERIFY(packGlyphBitmap(glyph).isEmpty());
    // A canvas with no pixels at all scans the same way, without reading outside it.
    QVERIFY(!scanCanvas(QImage()).hasInk());
}

QTEST_GUILESS_MAIN(tst_GlyphScan)
#include "tst_glyphscan.moc"
