#include "app/session.h"
#include "pseudoterminalbench.h"

#include <QFrame>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <algorithm>
#include <memory>

namespace {

const QString Picker = QStringLiteral("frmColor");
const QString Text = QStringLiteral("frmText");
const QString Coordinates = QStringLiteral("frmCoordinates");

qsizetype pixelsOf(const BoardEmulator& board, quint8 color) {
    return std::count(board.screen().begin(), board.screen().end(), char(color));
}

} // namespace

// The drawing tools against the board simulator on a pseudo-terminal, through the
// program's real serial port.
class tst_DrawPty : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void drawsEachShapeWithAPickedColor();
    void writesALineOfTextAtTheCursor();

private:
    // Picks the swatch in the picker that the window's "Pick Color" opened.
    void pick(TestBench& bench, int row, int column) {
        auto* palette = bench.find<QFrame>(Picker, QStringLiteral("picBox"));
        QVERIFY(palette);
        QTest::mouseClick(palette, Qt::LeftButton, {},
                          palette->contentsRect().topLeft() +
                              QPoint(column * 12 + 6, row * 18 + 9));
        click(bench.find<QPushButton>(Picker, QStringLiteral("cmdSetColor")));
    }
    void enter(TestBench& bench, const QString& box, const QString& text) {
        bench.find<QLineEdit>(Coordinates, box)->setText(text);
    }
    void send(TestBench& bench, const char* shape, const char* button) {
        click(bench.find<QRadioButton>(Coordinates, QLatin1String(shape)));
        click(bench.find<QPushButton>(Coordinates, QLatin1String(button)));
    }
};

void tst_DrawPty::drawsEachShapeWithAPickedColor() {
    PseudoTerminalBench line;
    QVERIFY2(line.isOpen(), qPrintable(line.errorString()));
    QVERIFY(line.connectBoard());
    TestBench& bench = line.bench();
    const BoardEmulator& screen = line.board();
    bench.open(Coordinates);

    enter(bench, QStringLiteral("txtPX"), QStringLiteral("10"));
    enter(bench, QStringLiteral("txtPY"), QStringLiteral("20"));
    enter(bench, QStringLiteral("txtColor"), QStringLiteral("224"));
    send(bench, "optPixel", "cmdPixel");
    QTRY_COMPARE(screen.pixel(10, 20), quint8(224));
    QCOMPARE(pixelsOf(screen, 224), 1);

    enter(bench, QStringLiteral("txtX0"), QStringLiteral("300"));
    enter(bench, QStringLiteral("txtY0"), QStringLiteral("5"));
    enter(bench, QStringLiteral("txtX1"), QStringLiteral("10"));
    enter(bench, QStringLiteral("txtY1"), QStringLiteral("200"));
    enter(bench, QStringLiteral("txtColor"), QStringLiteral("28"));
    send(bench, "optLine", "Command23");
    // One pixel per step along the longer side, both ends included.
    QTRY_COMPARE(pixelsOf(screen, 28), 291);
    QCOMPARE(screen.pixel(300, 5), quint8(28));
    QCOMPARE(screen.pixel(10, 200), quint8(28));

    enter(bench, QStringLiteral("txtX0"), QStringLiteral("305"));
    enter(bench, QStringLiteral("txtY0"), QStringLiteral("0"));
    enter(bench, QStringLiteral("txtX1"), QStringLiteral("315"));
    enter(bench, QStringLiteral("txtY1"), QStringLiteral("239"));
    enter(bench, QStringLiteral("txtColor"), QStringLiteral("3"));
    send(bench, "optRectangle", "Command23");
    QTRY_COMPARE(pixelsOf(screen, 3), 2 * 11 + 2 * 238);
    QCOMPARE(screen.pixel(305, 0), quint8(3));
    QCOMPARE(screen.pixel(315, 239), quint8(3));
    QCOMPARE(screen.pixel(310, 120), quint8(0));

    // The colour comes from the picker this time.
    click(bench.find<QPushButton>(Coordinates, QStringLiteral("cmdColor")));
    pick(bench, 7, 30);
    QCOMPARE(bench.find<QLineEdit>(Coordinates, QStringLiteral("txtColor"))->text(),
             QStringLiteral("254"));
    enter(bench, QStringLiteral("txtCX"), QStringLiteral("160"));
    enter(bench, QStringLiteral("txtCY"), QStringLiteral("120"));
    enter(bench, QStringLiteral("txtRadius"), QStringLiteral("50"));
    click(bench.find<QRadioButton>(Coordinates, QStringLiteral("optCircle")));
    send(bench, "optFilled", "cmdCircle");
    QTRY_COMPARE(screen.pixel(160, 120), quint8(254));
    QCOMPARE(screen.pixel(210, 120), quint8(254));
    QCOMPARE(screen.pixel(160, 70), quint8(254));
    QCOMPARE(screen.pixel(211, 120), quint8(0));
    QCOMPARE(screen.pixel(10, 20), quint8(224));
    QCOMPARE(screen.errorCount(), 0);
}

void tst_DrawPty::writesALineOfTextAtTheCursor() {
    PseudoTerminalBench line;
    QVERIFY2(line.isOpen(), qPrintable(line.errorString()));
    QVERIFY(line.connectBoard());
    TestBench& bench = line.bench();
    const BoardEmulator& screen = line.board();
    bench.open(Text);

    auto* x = bench.find<QLineEdit>(Text, QStringLiteral("txtXCoordinate"));
    x->selectAll();
    QTest::keyClicks(x, QStringLiteral("20"));
    auto* y = bench.find<QLineEdit>(Text, QStringLiteral("txtYCoordinate"));
    y->selectAll();
    QTest::keyClicks(y, QStringLiteral("100"));
    click(bench.find<QPushButton>(Text, QStringLiteral("cmdSet")));
    QTRY_COMPARE(screen.textCursor(), QPoint(20, 100));

    click(bench.find<QPushButton>(Text, QStringLiteral("cmdColor")));
    pick(bench, 0, 28);
    QCOMPARE(bench.main().session().selectedColor(), 224);
    QCOMPARE(bench.find<QLineEdit>(Text, QStringLiteral("txtColor"))->text(),
             QStringLiteral("224"));

    // A typing slip taken back with Backspace leaves "Hi" on the board.
    auto* text = bench.find<QPlainTextEdit>(Text, QStringLiteral("Text2"));
    QTest::keyClicks(text, QStringLiteral("Hx"));
    QTest::keyClick(text, Qt::Key_Backspace);
    QTest::keyClicks(text, QStringLiteral("i"));
    QTest::keyClick(text, Qt::Key_Return);

    const BoardFont& font = screen.font(1);
    const int lineHeight = font.lineHeight();
    QTRY_COMPARE(screen.textCursor(), QPoint(20, 100 + lineHeight + 1));
    const Glyph* h = font.glyph('H');
    const Glyph* i = font.glyph('i');
    QVERIFY(h && i);
    const int bottom = 100 + lineHeight - 1;
    qsizetype ink = 0;
    int left = 20;
    for (const Glyph* glyph : {h, i}) {
        for (int row = 0; row < glyph->size.height; ++row) {
            for (int column = 0; column < glyph->size.width; ++column) {
                if (!glyph->inked(column, row))
                    continue;
                ++ink;
                QCOMPARE(screen.pixel(left + column, bottom - row), quint8(224));
            }
        }
        left += glyph->size.width + 1;
    }
    QVERIFY(ink > 0);
    QCOMPARE(pixelsOf(screen, 224), ink);
    QCOMPARE(screen.errorCount(), 0);
}

QTEST_MAIN(tst_DrawPty)
#include "tst_draw_pty.moc"
