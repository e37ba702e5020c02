#include "font/fontcapture.h"
#include "font/glyphcanvas.h"
#include "fontfixture.h"

#include <QLabel>
#include <QPainter>
#include <QTest>

namespace {

bool isWhite(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != qRgb(255, 255, 255))
                return false;
        }
    }
    return true;
}

} // namespace

class tst_FontCapture : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void labelMeasuresOneCharacter();
    void canvasIsThePictureBoxDrawingArea();
    void capturesBothPassesOfAFont();
    void glyphsReachTheCanvasWhole();
    void findsWhatTheBoardCannotTake();
};

void tst_FontCapture::initTestCase() {
    QVERIFY2(loadDejaVuSans(), "DejaVuSans.ttf is missing (package fonts-dejavu-core)");
}

void tst_FontCapture::labelMeasuresOneCharacter() {
    const QFont font = dejaVuSans(24);
    QLabel label;
    label.setFont(font);
    label.setTextFormat(Qt::PlainText);
    for (const char code : {'!', '&', 'W', 'g', '~'}) {
        label.setText(QString(QLatin1Char(code)));
        QCOMPARE(GlyphCanvas::characterExtent(font, code), label.sizeHint());
    }
    // "&" is measured as the one character it is, not as an accelerator mark.
    const QSize ampersand = GlyphCanvas::characterExtent(font, '&');
    label.setText(QStringLiteral("&&"));
    QVERIFY(ampersand.width() < label.sizeHint().width());
}

void tst_FontCapture::canvasIsThePictureBoxDrawingArea() {
    const QFont font = dejaVuSans(24);
    const QSize extent = GlyphCanvas::characterExtent(font, 'A');
    const QImage canvas = GlyphCanvas::render('A', font, font, GlyphCanvas::SizePassMargin);
    // Inside the picture box's frame: the label's width and the margin less the frame,
    // the character's cell with two rows to spare.
    QCOMPARE(canvas.size(), QSize(extent.width() + 14, extent.height() + 2));
    QCOMPARE(canvas.size() + QSize(4, 4),
             GlyphCanvas::pictureBoxSize(font, 'A', GlyphCanvas::SizePassMargin));

    // The character's cell has its top-left corner at (1, 0).
    QImage expected(canvas.size(), QImage::Format_RGB32);
    expected.fill(Qt::white);
    QFont unsmoothed = font;
    unsmoothed.setStyleStrategy(QFont::NoAntialias);
    QPainter painter(&expected);
    painter.setFont(unsmoothed);
    painter.setPen(Qt::black);
    painter.drawText(QRect(QPoint(1, 0), canvas.size()), Qt::AlignLeft | Qt::AlignTop,
                     QStringLiteral("A"));
    painter.end();
    QCOMPARE(canvas, expected);
    QVERIFY(!isWhite(canvas));
    // The right margin is white.
    QVERIFY(isWhite(canvas.copy(extent.width() + 2, 0, 12, canvas.height())));

    // The glyph pass draws the same on a canvas 2 pixels wider.
    const QImage wider = GlyphCanvas::render('A', font, font, GlyphCanvas::GlyphPassMargin);
    QCOMPARE(wider.size(), canvas.size() + QSize(2, 0));
    QCOMPARE(wider.copy(QRect(QPoint(0, 0), canvas.size())), canvas);

    // The label's font sizes the canvas; the picture box's font draws on it.
    const QImage mixed = GlyphCanvas::render('A', dejaVuSans(48), font, 18);
    QCOMPARE(mixed.size(), GlyphCanvas::characterExtent(dejaVuSans(48), 'A') + QSize(14, 2));
    QCOMPARE(mixed.copy(QRect(QPoint(0, 0), canvas.size())), canvas);
}

void tst_FontCapture::capturesBothPassesOfAFont() {
    const QFont font = dejaVuSans(24);
    const FontCapture capture = FontCapture::capture(font, font);
    QCOMPARE(capture.sizePass.size(), 94);
    QCOMPARE(capture.glyphPass.size(), 94);
    QVERIFY(capture.isSendable());
    QVERIFY(capture.charactersWithoutInk().isEmpty());
    QVERIFY(capture.charactersTooLarge().isEmpty());
    for (int i = 0; i < 94; ++i) {
        const CapturedGlyph& sized = capture.sizePass[i];
        const CapturedGlyph& glyph = capture.glyphPass[i];
        QCOMPARE(int(glyph.code), 33 + i);
        QCOMPARE(int(sized.code), 33 + i);
        QVERIFY(glyph.fitsBoard());
        // At this size every character fits the narrower canvas, so both passes agree.
        QCOMPARE(sized.width, glyph.width);
        QCOMPARE(sized.height, glyph.height);
        QCOMPARE(glyph.bitmap.size(), glyph.height * ((glyph.width + 7) / 8));
    }
    const auto glyph = [&capture](char code) { return capture.glyphPass[code - 33]; };
    QVERIFY(glyph('|').height > glyph('-').height);
    QVERIFY(glyph('W').width > glyph('i').width);
    QVERIFY(glyph('.').width <= 4 && glyph('.').height <= 4);
    // The picture box is left with the last character.
    QCOMPARE(capture.lastCanvas, GlyphCanvas::render('~', font, font, 20));
}

void tst_FontCapture::glyphsReachTheCanvasWhole() {
    for (const qreal points : {7.0, 8.0, 10.0, 12.0, 16.0, 24.0, 36.0}) {
        const QFont font = dejaVuSans(points);
        for (int code = 33; code <= 126; ++code) {
            // Descenders and underscores end above the bottom row, and no character
            // reaches the right edge: nothing is cut off.
            const QImage canvas = GlyphCanvas::render(char(code), font, font, 18);
            QVERIFY2(isWhite(canvas.copy(0, canvas.height() - 1, canvas.width(), 1)),
                     qPrintable(QStringLiteral("%1 at %2 pt").arg(QChar(code)).arg(points)));
            QVERIFY(isWhite(canvas.copy(canvas.width() - 1, 0, 1, canvas.height())));
        }
        // Thin stems at small sizes are ink too: every character has some.
        const FontCapture capture = FontCapture::capture(font, font);
        QVERIFY2(capture.isSendable(), qPrintable(capture.charactersWithoutInk()));
        QVERIFY(capture.glyphPass['_' - 33].height >= 1);
        QVERIFY(capture.glyphPass['g' - 33].height > capture.glyphPass['a' - 33].height);
    }
}

void tst_FontCapture::findsWhatTheBoardCannotTake() {
    const QFont huge = dejaVuSans(250);
    const FontCapture large = FontCapture::capture(huge, huge);
    QVERIFY(!large.isSendable());
    const QStringList tooLarge = large.charactersTooLarge().split(QLatin1Char(' '));
    QVERIFY2(tooLarge.contains(QStringLiteral("|")), qPrintable(large.charactersTooLarge()));
    QVERIFY(tooLarge.contains(QStringLiteral("W")));
    QVERIFY(!tooLarge.contains(QStringLiteral(".")));
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
