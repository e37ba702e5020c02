#include "board/boardemulator.h"
#include "board/keypad.h"
#include "engine/commands.h"
#include "recordinglink.h"

#include <QTest>

#include <cmath>

using BoardGeometry::Height;
using BoardGeometry::PixelCount;
using BoardGeometry::Width;

namespace {

// Feeds every write of the command, as the app sends them.
void send(BoardEmulator& board, const WriteList& command) {
    for (qsizetype i = 0; i < command.count(); ++i)
        board.feed(command.at(i));
}

QByteArray picture(int seed) {
    QByteArray pixels(PixelCount, Qt::Uninitialized);
    for (int i = 0; i < PixelCount; ++i)
        pixels[i] = char((i * 7 + seed * 31 + i / Width) & 0xFF);
    return pixels;
}

int inkedCount(const BoardEmulator& board, quint8 color) {
    return int(board.screen().count(char(color)));
}

// The built-in font's glyph drawn with its bottom-left pixel at bottomLeft, in that
// colour, on black.
bool showsBuiltIn(const BoardEmulator& board, char code, QPoint bottomLeft, quint8 color) {
    const Glyph& glyph = *BoardFont::builtIn().glyph(code);
    for (int row = 0; row < glyph.size.height; ++row) {
        for (int x = 0; x < glyph.size.width; ++x) {
            const quint8 expected = glyph.inked(x, row) ? color : 0;
            if (board.pixel(bottomLeft.x() + x, bottomLeft.y() - row) != expected)
                return false;
        }
    }
    return true;
}

using Points = QList<QPoint>;

} // namespace

class tst_BoardEmulator : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void writeScreenAnswersEachRow();
    void savesAndShowsPictures();
    void drawsClippedToTheScreen_data();
    void drawsClippedToTheScreen();
    void drawsBresenhamLines();
    void drawsMidpointCircles();
    void writesTextInTheBuiltInFont();
    void backspacesAndWrapsText();
    void loadsFontsAndDrawsWithThem();
    void switchesScreenAndControllerSettings();
    void reportsTouchesInEachMode();
    void calibratesWithTwoTaps();
    void changesItsBaudRate();
};

void tst_BoardEmulator::writeScreenAnswersEachRow() {
    BoardEmulator board;
    const QByteArray pixels = picture(1);
    // Header, then row by row: one acknowledgement after each 320 bytes.
    board.feed(Commands::writeScreen(pixels).at(0));
    QCOMPARE(board.takeAnswers(), QByteArray());
    for (int row = 0; row < Height; ++row) {
        board.feed(QByteArrayView(pixels).sliced(row * Width, Width - 1));
        QCOMPARE(board.takeAnswers(), QByteArray());
        board.feed(QByteArrayView(pixels).sliced(row * Width + Width - 1, 1));
        QCOMPARE(board.takeAnswers(), QByteArray("!"));
        // The rows received so far are on the screen already.
        QCOMPARE(board.pixel(Width - 1, row), quint8(pixels[row * Width + Width - 1]));
    }
    QCOMPARE(board.screen(), pixels);
    QVERIFY(!board.midCommand());
}

void tst_BoardEmulator::savesAndShowsPictures() {
    BoardEmulator board;
    const QByteArray first = picture(3);
    board.feed(Commands::saveScreenPicture(12, first).at(0));
    QCOMPARE(board.takeAnswers(), QByteArray("!")); // the header is answered
    for (int block = 0; block < 300; ++block) {
        board.feed(QByteArrayView(first).sliced(block * 256, 256));
        QCOMPARE(board.takeAnswers(), QByteArray("!"));
        // Nothing is stored before the last block.
        QCOMPARE(board.picture(12).isEmpty(), block < 299);
    }
    QCOMPARE(board.picture(12), first);
    QCOMPARE(inkedCount(board, 0), PixelCount); // saving does not touch the screen

    send(board, Commands::showScreenPicture(12));
    QCOMPARE(board.screen(), first);
    // A slot that holds nothing shows as black.
    send(board, Commands::showScreenPicture(5));
    QCOMPARE(inkedCount(board, 0), PixelCount);
    QCOMPARE(board.takeAnswers(), QByteArray());

    // Slots outside 1..12 are malformed: nothing is stored, nothing answered.
    board.feed(bytes({'S', 'P', 13, 'L', 'P', 0}));
    QCOMPARE(board.takeAnswers(), QByteArray());
    QCOMPARE(board.errorCount(), 2);
    QCOMPARE(inkedCount(board, 0), PixelCount);
}

// Each command drawn in colour 224 on a black screen: where the ink must be, where it
// must not be (nothing wraps onto another row or off the far edge), and how much of it.
void tst_BoardEmulator::drawsClippedToTheScreen_data() {
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<Points>("inked");
    QTest::addColumn<Points>("blank");
    QTest::addColumn<int>("count");
    const auto row = [](const char* name, const WriteList& command, const Points& inked,
                        const Points& blank, int count) {
        QTest::newRow(name) << command.bytes() << inked << blank << count;
    };
    row("pixel", Commands::drawPixel({300, 10}, 224), {{300, 10}}, {}, 1);
    row("pixel right of the screen", Commands::drawPixel({320, 10}, 224), {}, {{0, 11}}, 0);
    row("pixel below the screen", Commands::drawPixel({0, 240}, 224), {}, {}, 0);
    row("clear", Commands::clearScreen(224), {{0, 0}, {319, 239}}, {}, PixelCount);
    row("line across the right edge", Commands::drawLine({300, 5}, {400, 5}, 224), {{319, 5}},
        {{0, 6}}, 20);
    row("line far off", Commands::drawLine({400, 250}, {65535, 255}, 224), {}, {}, 0);
    row("rectangle, corners swapped", Commands::drawRectangle({310, 239}, {300, 0}, 224),
        {{300, 0}, {310, 0}, {300, 239}, {310, 239}, {300, 100}}, {{305, 100}}, 2 * 11 + 2 * 238);
    row("rectangle across the corner", Commands::drawRectangle({310, 235}, {400, 250}, 224),
        {{310, 235}, {319, 235}, {310, 239}}, {{311, 236}}, 10 + 4);
    row("filled rectangle", Commands::fillRectangle({20, 30}, {10, 25}, 224),
        {{10, 25}, {20, 30}, {15, 27}}, {{21, 30}, {10, 31}, {9, 25}}, 11 * 6);
    row("filled rectangle across the corner", Commands::fillRectangle({300, 230}, {1000, 255}, 224),
        {{300, 230}, {319, 239}}, {{0, 231}}, 20 * 10);
    row("filled circle", Commands::fillCircle({160, 120}, 50, 224),
        {{110, 120}, {210, 120}, {160, 70}, {160, 170}, {160, 120}},
        {{109, 120}, {211, 120}, {160, 69}, {160, 171}, {123, 83}}, -1);
    row("circle of radius 0", Commands::fillCircle({5, 5}, 0, 224), {{5, 5}}, {}, 1);
    row("circle across the left edge", Commands::fillCircle({2, 120}, 20, 224),
        {{0, 120}, {22, 120}}, {{319, 120}, {319, 119}, {319, 110}}, -1);
    row("circle across the right edge", Commands::fillCircle({400, 120}, 100, 224),
        {{319, 120}, {300, 120}}, {{299, 120}, {0, 121}}, -1);
    row("circle far off", Commands::drawCircle({65535, 255}, 255, 224), {}, {}, 0);
    // Four rows of each "H" remain above the bottom edge.
    WriteList text = Commands::setTextCursor({0, 236});
    text.append(Commands::writeText(224, 1, "HHH"));
    row("text across the bottom edge", text, {{0, 236}, {1, 239}}, {{1, 238}}, 3 * (2 * 4 + 3));
    text = Commands::setTextCursor({65535, 255});
    text.append(Commands::writeText(224, 2, QByteArray(1000, 'W')));
    row("text beyond the screen", text, {}, {}, 0);
}

void tst_BoardEmulator::drawsClippedToTheScreen() {
    QFETCH(QByteArray, command);
    QFETCH(Points, inked);
    QFETCH(Points, blank);
    QFETCH(int, count);
    BoardEmulator board;
    board.feed(command);
    const auto at = [](QPoint point) {
        return QStringLiteral("(%1, %2)").arg(point.x()).arg(point.y());
    };
    for (const QPoint point : inked)
        QVERIFY2(board.pixel(point.x(), point.y()) == 224, qPrintable(at(point)));
    for (const QPoint point : blank)
        QVERIFY2(board.pixel(point.x(), point.y()) == 0, qPrintable(at(point)));
    if (count >= 0)
        QCOMPARE(inkedCount(board, 224), count);
    QCOMPARE(board.screen().size(), qsizetype(PixelCount));
    QCOMPARE(board.errorCount(), 0);
}

void tst_BoardEmulator::drawsBresenhamLines() {
    const QList<QPair<QPoint, QPoint>> lines{{{10, 50}, {300, 200}},
                                             {{300, 5}, {10, 200}},
                                             {{50, 10}, {60, 239}},
                                             {{5, 100}, {5, 20}},
                                             {{100, 100}, {100, 100}}};
    for (const auto& [start, end] : lines) {
        BoardEmulator board;
        send(board, Commands::drawLine({quint16(start.x()), quint8(start.y())},
                                       {quint16(end.x()), quint8(end.y())}, 255));
        QCOMPARE(board.pixel(start.x(), start.y()), quint8(255));
        QCOMPARE(board.pixel(end.x(), end.y()), quint8(255));
        // One pixel per step of the longer axis, each within half a pixel of the ideal line.
        const QPoint span = end - start;
        const bool shallow = std::abs(span.x()) >= std::abs(span.y());
        QCOMPARE(inkedCount(board, 255), std::max(std::abs(span.x()), std::abs(span.y())) + 1);
        for (int i = 0; i < PixelCount; ++i) {
            if (quint8(board.screen()[i]) != 255 || start == end)
                continue;
            const QPoint at(i % Width, i / Width);
            const double distance =
                shallow ? std::abs(start.y() + span.y() * double(at.x() - start.x()) / span.x() -
                                   at.y())
                        : std::abs(start.x() + span.x() * double(at.y() - start.y()) / span.y() -
                                   at.x());
            QVERIFY2(distance <= 0.5,
                     qPrintable(QStringLiteral("(%1, %2)").arg(at.x()).arg(at.y())));
        }
    }
}

void tst_BoardEmulator::drawsMidpointCircles() {
    // The filled disc is close to the true disc's area; the outline is its rim,
    // symmetric in both axes.
    BoardEmulator filled;
    send(filled, Commands::fillCircle({160, 120}, 50, 224));
    const double pi = std::acos(-1.0);
    QVERIFY(std::abs(inkedCount(filled, 224) - pi * 50 * 50) < 2 * pi * 50);
    BoardEmulator outline;
    send(outline, Commands::drawCircle({160, 120}, 50, 28));
    QCOMPARE(outline.pixel(110, 120), quint8(28));
    QCOMPARE(outline.pixel(160, 120), quint8(0));
    for (int i = 0; i < PixelCount; ++i) {
        const int x = i % Width;
        const int y = i / Width;
        if (outline.pixel(x, y) != 28)
            continue;
        QCOMPARE(filled.pixel(x, y), quint8(224));
        QCOMPARE(outline.pixel(320 - x, y), quint8(28));
        QCOMPARE(outline.pixel(x, 240 - y), quint8(28));
    }
}

void tst_BoardEmulator::writesTextInTheBuiltInFont() {
    BoardEmulator board;
    send(board, Commands::setTextCursor({10, 20}));
    send(board, Commands::writeText(224, 1, "Hi A"));
    // Glyphs stand on the line's bottom row; one blank column between them; the space
    // leaves a character's width.
    QVERIFY(showsBuiltIn(board, 'H', {10, 26}, 224));
    QVERIFY(showsBuiltIn(board, 'i', {16, 26}, 224));
    QVERIFY(showsBuiltIn(board, 'A', {28, 26}, 224));
    QCOMPARE(board.pixel(15, 23), quint8(0)); // the gap column
    // The carriage return starts the next line below, at the cursor's x.
    QCOMPARE(board.textCursor(), QPoint(10, 28));

    // The short form draws the same way; control codes and codes beyond "~" draw nothing.
    send(board, Commands::setTextCursor({100, 100}));
    board.feed(bytes({'W', 'T', 255, 33, 9, 200, 34, 13}));
    QVERIFY(showsBuiltIn(board, '!', {100, 106}, 255));
    QVERIFY(showsBuiltIn(board, '"', {112, 106}, 255)); // 200 advanced like a space
    QCOMPARE(board.textCursor(), QPoint(100, 108));
    QCOMPARE(board.errorCount(), 0);
}

void tst_BoardEmulator::backspacesAndWrapsText() {
    const auto typed = [](const QByteArray& text) {
        auto board = std::make_unique<BoardEmulator>();
        send(*board, Commands::clearScreen(73));
        send(*board, Commands::setTextCursor({40, 40}));
        send(*board, Commands::writeText(255, 1, text));
        return board;
    };
    // A backspace takes back the last character; more of them stop at the text's start.
    for (const auto& [withBackspaces, intended] :
         {std::pair("Hx\bi", "Hi"), std::pair("ab\b\b\b\bc", "c")}) {
        const auto corrected = typed(withBackspaces);
        QCOMPARE(corrected->screen(), typed(intended)->screen());
        QCOMPARE(corrected->textCursor(), typed(intended)->textCursor());
    }

    // Three characters fit (300, 306, 312); the fourth starts a line below at x 300.
    BoardEmulator board;
    send(board, Commands::setTextCursor({300, 0}));
    send(board, Commands::writeText(255, 1, "ABCD"));
    QVERIFY(showsBuiltIn(board, 'C', {312, 6}, 255));
    QVERIFY(showsBuiltIn(board, 'D', {300, 14}, 255));
    QCOMPARE(board.textCursor(), QPoint(300, 16));
}

void tst_BoardEmulator::loadsFontsAndDrawsWithThem() {
    // A font in which "!" is 10 x 1 (bits of the example row 0x83 0x02), "#" is
    // 2 x 3 with only its bottom-left pixel inked, and every other glyph is empty.
    QList<Commands::GlyphSize> sizes(Commands::GlyphCount, Commands::GlyphSize{0, 0});
    sizes[0] = {10, 1};
    sizes[2] = {2, 3};
    BoardEmulator board;
    board.feed(Commands::fontUploadBegin(Commands::FontSlot::Font2).bytes());
    board.feed(Commands::fontSizeTable(sizes).bytes());
    QCOMPARE(board.takeAnswers(), QByteArray("!"));
    for (int i = 0; i < Commands::GlyphCount; ++i) {
        QVERIFY(!board.fontLoaded(2));
        const QByteArray bitmap = i == 0   ? bytes({0x83, 0x02})
                                  : i == 2 ? bytes({1, 0, 0})
                                           : QByteArray();
        board.feed(Commands::fontGlyph(sizes[i], bitmap).bytes());
        QCOMPARE(board.takeAnswers(), QByteArray("!"));
    }
    QVERIFY(board.fontLoaded(2));
    QVERIFY(!board.fontLoaded(1));
    QCOMPARE(board.defaultTextFont(), 2);

    send(board, Commands::setTextCursor({50, 50}));
    send(board, Commands::writeText(224, 2, "!#!"));
    // "!" on the bottom row (52): pixels 0, 1, 7 and 9 from the left.
    for (int x = 0; x < 10; ++x)
        QCOMPARE(board.pixel(50 + x, 52), quint8(x == 0 || x == 1 || x == 7 || x == 9 ? 224 : 0));
    // "#" after a blank column, bottom-aligned with "!": its ink is at the bottom left.
    QCOMPARE(board.pixel(61, 52), quint8(224));
    QCOMPARE(board.pixel(61, 50), quint8(0));
    QCOMPARE(board.pixel(64, 52), quint8(224)); // the second "!"
    QCOMPARE(board.textCursor(), QPoint(50, 54));

    // Font 1 is still the built-in one; the short form uses the font loaded last.
    send(board, Commands::setTextCursor({0, 0}));
    send(board, Commands::writeText(28, 1, "!"));
    QVERIFY(showsBuiltIn(board, '!', {0, 6}, 28));
    send(board, Commands::setTextCursor({0, 100}));
    send(board, Commands::writeText(255, std::nullopt, "!"));
    QCOMPARE(board.pixel(0, 102), quint8(255));
    QCOMPARE(board.pixel(2, 102), quint8(0));

    // A code without a glyph advances like a space (half the average width, at least 2).
    send(board, Commands::setTextCursor({0, 200}));
    send(board, Commands::writeText(255, 2, "a!"));
    QCOMPARE(board.pixel(4, 202), quint8(255));
    QCOMPARE(board.errorCount(), 0);
}

void tst_BoardEmulator::switchesScreenAndControllerSettings() {
    BoardEmulator board;
    send(board, Commands::drawPixel({1, 2}, 99));
    const QByteArray drawn = board.screen();
    // Each rotation turns the panel (the board view shows one turn), not the screen memory.
    send(board, Commands::rotateScreen());
    send(board, Commands::rotateScreen());
    QVERIFY(!board.rotated());
    QCOMPARE(board.screen(), drawn);

    send(board, Commands::beep());
    send(board, Commands::setBeepOnTouch(true));
    board.touch({10, 10});
    QCOMPARE(board.beepCount(), 2);
    send(board, Commands::setBeepOnTouch(false));
    board.touch({10, 10});
    QCOMPARE(board.beepCount(), 2);

    // Backlight and beep-on-touch states other than 0 and 1 are malformed.
    board.feed(bytes({'B', 'L', 2, 'B', 'T', 7}));
    QVERIFY(board.backlight());
    QVERIFY(!board.beepOnTouch());
    QCOMPARE(board.errorCount(), 2);
}

void tst_BoardEmulator::reportsTouchesInEachMode() {
    BoardEmulator board;
    board.touch({260, 200}); // touch is off at first
    send(board, Commands::touchCoordinatesOn());
    board.touch({260, 200});
    board.touch({5, 0});
    board.touch({320, 10}); // off the panel
    QVERIFY(!board.pressKey('1'));
    QCOMPARE(board.takeAnswers(), QByteArray("1,4,200$0,5,0$"));

    // The panel turns with the picture: its top-left is then the screen's bottom-right.
    send(board, Commands::rotateScreen());
    board.touch({0, 0});
    QCOMPARE(board.takeAnswers(), QByteArray("1,63,239$"));

    send(board, Commands::touchKeypadOn());
    board.touch(board.fromPanel(Keypad::keyLabelled('5')->area.center()));
    QVERIFY(board.pressKey('#'));
    QVERIFY(!board.pressKey('x'));
    QCOMPARE(board.takeAnswers(), QByteArray("5#"));

    send(board, Commands::touchOff());
    board.touch({100, 100});
    QVERIFY(!board.pressKey('5'));
    QCOMPARE(board.takeAnswers(), QByteArray());
}

void tst_BoardEmulator::calibratesWithTwoTaps() {
    BoardEmulator board;
    send(board, Commands::touchCoordinatesOn());
    send(board, Commands::touchCalibrate());
    // Two crosses to tap, one after the other.
    for (int tap = 0; tap < 2; ++tap) {
        QVERIFY(board.calibrationTarget());
        board.touch(*board.calibrationTarget());
    }
    QCOMPARE(board.calibrationTarget(), std::nullopt);
    QVERIFY(board.calibrated());
    // The taps were the calibration's, not reports.
    QCOMPARE(board.takeAnswers(), QByteArray());
    board.touch({1, 2});
    QCOMPARE(board.takeAnswers(), QByteArray("0,1,2$"));

    send(board, Commands::touchCalibrate());
    send(board, Commands::restoreCalibration());
    QCOMPARE(board.calibrationTarget(), std::nullopt);
    QVERIFY(!board.calibrated());
}

void tst_BoardEmulator::changesItsBaudRate() {
    BoardEmulator board;
    // What follows the command in the same chunk was sent at the old speed: not heard.
    board.feed(QByteArray(Commands::setControllerBaudRate(0).bytes() +
                          Commands::identifyController().bytes()));
    QCOMPARE(board.baudRate(), 9600);
    QVERIFY(!board.hearsLine());
    QCOMPARE(board.ignoredByteCount(), 2);
    send(board, Commands::clearScreen(200));
    QCOMPARE(board.pixel(0, 0), quint8(0));
    QCOMPARE(board.takeAnswers(), QByteArray());

    board.setLineBaudRate(9600);
    send(board, Commands::identifyController());
    QCOMPARE(board.takeAnswers(), QByteArray("100"));
    send(board, Commands::setControllerBaudRate(6));
    QCOMPARE(board.baudRate(), 115200);
}

QTEST_MAIN(tst_BoardEmulator)
#include "tst_boardemulator.moc"
