#include "engine/clock.h"
#include "engine/commands.h"
#include "font/fontcapture.h"
#include "font/glyphcanvas.h"
#include "font/glyphscan.h"
#include "fontfixture.h"
#include "pseudoterminalbench.h"

#include <QAction>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

// A real font through a real serial port into the board simulator, and back out on
// its screen.
class tst_FontPty : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void capturedFontShowsOnTheBoard_data();
    void capturedFontShowsOnTheBoard();
};

void tst_FontPty::initTestCase() {
    QVERIFY2(loadDejaVuSans(), "DejaVuSans.ttf is missing (package fonts-dejavu-core)");
}

void tst_FontPty::capturedFontShowsOnTheBoard_data() {
    QTest::addColumn<bool>("fast");
    QTest::newRow("paced by the receive poll") << false;
    // The answers alone set the pace: the receive poll does not run at all.
    QTest::newRow("fast transfers") << true;
}

void tst_FontPty::capturedFontShowsOnTheBoard() {
    QFETCH(bool, fast);
    PseudoTerminalBench line;
    QVERIFY2(line.isOpen(), qPrintable(line.errorString()));
    QVERIFY(line.connectBoard());
    TestBench& bench = line.bench();
    if (fast) {
        bench.main().findChild<QAction*>(QStringLiteral("mnuFastTransfers"))->trigger();
        bench.engine().findChild<ClockTimer*>(QStringLiteral("Timer2"))->stop();
    }
    const QFont font = dejaVuSans(20);
    bench.dialogs().fontAnswers.append(fontChoice(font));
    const QString window = QStringLiteral("frmFont");
    bench.open(window);
    bench.find<QRadioButton>(window, QStringLiteral("optFont2"))->setChecked(true);
    click(bench.find<QPushButton>(window, QStringLiteral("cmdCapture")));
    if (fast)
        QTRY_VERIFY_WITH_TIMEOUT(!bench.engine().uploadBusy(), 20000);
    else
        QVERIFY(line.finishTransfer());
    QCOMPARE(bench.dialogs().messages.value(0).text, QStringLiteral("   Done."));

    // The board holds exactly the captured glyphs in slot 2.
    BoardEmulator& emulator = line.board();
    QVERIFY(emulator.fontLoaded(2) && !emulator.fontLoaded(1));
    const BoardFont& loaded = emulator.font(2);
    for (const CapturedGlyph& captured : FontCapture::capture(font, font).glyphPass) {
        const Glyph* glyph = loaded.glyph(captured.code);
        QVERIFY(glyph);
        QCOMPARE(bytes({glyph->size.width, glyph->size.height}) + glyph->bitmap,
                 bytes({captured.width, captured.height}) + captured.bitmap);
    }

    // Text in font 2: each glyph stands on the bottom line of the text line, one blank
    // column after the other, and shows the ink of the character as it was drawn.
    const QByteArray text("Ag&~");
    BoardEngine& engine = bench.engine();
    engine.send(Commands::clearScreen(0));
    engine.send(Commands::setTextCursor({10, 30}));
    engine.send(Commands::writeText(224, 2, text));
    QTRY_VERIFY(emulator.textCursor().y() > 30);
    int x = 10;
    const int bottom = 30 + loaded.lineHeight() - 1;
    int inked = 0;
    for (const char code : text) {
        const GlyphScan::ScannedGlyph drawn =
            GlyphScan::scanCanvas(GlyphCanvas::render(code, font, font, 20));
        for (int row = 0; row < drawn.height; ++row) {
            for (int column = 0; column < drawn.width; ++column) {
                const bool ink = drawn.rows[row].testBit(column);
                inked += ink;
                QCOMPARE(emulator.pixel(x + column, bottom - row), quint8(ink ? 224 : 0));
            }
        }
        x += drawn.width + 1;
    }
    // Nothing else on the screen is lit.
    QCOMPARE(emulator.screen().size() - emulator.screen().count('\0'), inked);
    QVERIFY(inked > 100);
    QCOMPARE(emulator.errorCount(), 0);
}

QTEST_MAIN(tst_FontPty)
#include "tst_font_pty.moc"
