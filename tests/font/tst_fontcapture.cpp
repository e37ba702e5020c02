#include "font/fontcapture.h"
#include "font/glyphcanvas.h"
#include "fontfixture.h"

#include <QLabel>
#include <QTest>

namespace {

bool isWhite(const QImage& image) {
    QImage white(image.size(), image.format());
    white.fill(Qt::white);
    return image == white;
}

} // namespace

// Rendering the characters on the picture box's canvas and capturing both passes.
class tst_FontCapture : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void canvasIsTheLabelsExtentWithMargins();
    void capturesEveryCharacterWhole();
    void findsWhatTheBoardCannotTake();
};

void tst_FontCapture::initTestCase() {
    QVERIFY2(loadDejaVuSans(), "DejaVuSans.ttf is missing (package fonts-dejavu-core)");
}

void tst_FontCapture::canvasIsTheLabelsExtentWithMargins() {
    const QFont font = dejaVuSans(24);
    // "&" is measured as the one character it is, not as an accelerator mark.
    QLabel label;
    label.setFont(font);
    label.setText(QStringLiteral("&"));
    QCOMPARE(GlyphCanvas::characterExtent(font, '&'), label.sizeHint());
    // The glyph pass draws the same as the size pass on a canvas 2 pixels wider.
    const QImage sizePass = GlyphCanvas::render('A', font, font, GlyphCanvas::SizePassMargin);
    const QImage glyphPass = GlyphCanvas::render('A', font, font, GlyphCanvas::GlyphPassMargin);
    QCOMPARE(glyphPass.size(), sizePass.size() + QSize(2, 0));
    QCOMPARE(glyphPass.copy(sizePass.rect()), sizePass);
    QVERIFY(!isWhite(sizePass));
}

void tst_FontCapture::capturesEveryCharacterWhole() {
    for (const qreal points : {7.0, 36.0}) {
        const QFont font = dejaVuSans(points);
        const FontCapture capture = FontCapture::capture(font, font);
        // Thin stems at small sizes are ink too: every character has some.
        QVERIFY2(capture.isSendable(), qPrintable(capture.charactersWithoutInk()));
        QCOMPARE(capture.glyphPass.size(), 94);
        for (int i = 0; i < 94; ++i) {
            const CapturedGlyph& glyph = capture.glyphPass[i];
            // Descenders and underscores end above the bottom row, and no character
            // reaches the right edge: nothing is cut off, so both passes agree.
            const QImage canvas = GlyphCanvas::render(char(33 + i), font, font, 18);
            QVERIFY2(isWhite(canvas.copy(0, canvas.height() - 1, canvas.width(), 1)) &&
                         isWhite(canvas.copy(canvas.width() - 1, 0, 1, canvas.height())),
                     qPrintable(QStringLiteral("%1 at %2 pt").arg(QChar(33 + i)).arg(points)));
            QCOMPARE(int(glyph.code), 33 + i);
            QCOMPARE(int(capture.sizePass[i].code), 33 + i);
            QCOMPARE(capture.sizePass[i].width, glyph.width);
            QCOMPARE(capture.sizePass[i].height, glyph.height);
        }
        QVERIFY(capture.glyphPass['W' - 33].width > capture.glyphPass['i' - 33].width);
        // The picture box is left with the last character.
        QCOMPARE(capture.lastCanvas, GlyphCanvas::render('~', font, font, 20));
    }
}

void tst_FontCapture::findsWhatTheBoardCannotTake() {
    const QFont huge = dejaVuSans(250);
    const FontCapture large = FontCapture::capture(huge, huge);
    QVERIFY(!large.isSendable());
    const QStringList tooLarge = large.charactersTooLarge().split(QLatin1Char(' '));
    QVERIFY2(tooLarge.contains(QStringLiteral("W")) && !tooLarge.contains(QStringLiteral(".")),
             qPrintable(large.charactersTooLarge()));
    QVERIFY(large.charactersWithoutInk().isEmpty());

    // Too small to leave pixels dark enough for ink.
    QFont tiny = dejaVuSans(1);
    tiny.setPixelSize(1);
    const FontCapture faint = FontCapture::capture(tiny, tiny);
    QVERIFY(!faint.isSendable());
    QVERIFY(!faint.charactersWithoutInk().isEmpty());
    QVERIFY(faint.charactersTooLarge().isEmpty());
}

QTEST_MAIN(tst_FontCapture)
#include "tst_fontcapture.moc"
