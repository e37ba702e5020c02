#include "draw/palette.h"
#include "serial/colorvalue.h"

#include <QSet>
#include <QTest>

// The picker's palette, drawn from the swatch rule.
class tst_Palette : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void swatchesFollowTheRule();
    void pictureIsSwatchesOfTwelveByEighteen();
    void valuesTheSwatchesReadBackAs();
};

void tst_Palette::swatchesFollowTheRule() {
    QCOMPARE(Palette::swatchColor(0, 0), qRgb(0, 0, 0));
    // Column 4 starts red level 1; column j carries blue level j mod 4.
    QCOMPARE(Palette::swatchColor(0, 4), qRgb(28, 0, 0));
    QCOMPARE(Palette::swatchColor(3, 9), qRgb(61, 97, 74));
    QCOMPARE(Palette::swatchColor(5, 22), qRgb(172, 172, 162));
    QCOMPARE(Palette::swatchColor(7, 3), qRgb(0, 252, 255));
    QCOMPARE(Palette::swatchColor(7, 30), qRgb(252, 252, 162));
    QCOMPARE(Palette::swatchColor(0, 31), qRgb(252, 0, 255));
    // The bottom-right swatch alone is pure white.
    QCOMPARE(Palette::swatchColor(7, 31), qRgb(255, 255, 255));
    QCOMPARE(Palette::swatchColor(6, 31), qRgb(252, 212, 255));
}

void tst_Palette::pictureIsSwatchesOfTwelveByEighteen() {
    const QImage picture = Palette::picture();
    QCOMPARE(picture.size(), QSize(384, 144));
    for (int row = 0; row < Palette::Rows; ++row) {
        for (int column = 0; column < Palette::Columns; ++column) {
            const QRgb expected = Palette::swatchColor(row, column);
            const int left = column * 12;
            const int top = row * 18;
            for (QPoint corner : {QPoint(left, top), QPoint(left + 11, top), QPoint(left, top + 17),
                                  QPoint(left + 11, top + 17)})
                QCOMPARE(picture.pixel(corner), expected);
        }
    }
}

void tst_Palette::valuesTheSwatchesReadBackAs() {
    // Painted red and green levels 1 and 2 read back one level lower, so the
    // palette offers fewer than 256 values; white and black are among them.
    QSet<int> values;
    for (int row = 0; row < Palette::Rows; ++row) {
        for (int column = 0; column < Palette::Columns; ++column)
            values.insert(ColorValue::reduce(Palette::swatchColor(row, column)));
    }
    QVERIFY(values.contains(0));
    QVERIFY(values.contains(255));
    QVERIFY(values.contains(254));
    QVERIFY(values.contains(224));
    // Red level 2 alone: painted levels 1, 2 and 3 read back as 0, 1 and 3.
    QVERIFY(!values.contains(64));
    QVERIFY(values.contains(32));
    // Seven red and seven green levels read back, four blue ones.
    QCOMPARE(values.size(), 196);
}

QTEST_GUILESS_MAIN(tst_Palette)
#include "tst_palette.moc"
