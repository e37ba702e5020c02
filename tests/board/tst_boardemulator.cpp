#include "board/boardemulator.h"
#include "board/keypad.h"
#include "serial/commands.h"
#include "testbench.h"

#include <QSignalSpy>
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

// Where value lies between from and to, 0 to 1 (0 when they are equal).
double along(int value, int from, int to) {
    return from == to ? 0 : double(value - from) / (to - from);
}

int inkedCount(const BoardEmulator& board, quint8 color) {
    return int(board.screen().count(char(color)));
}

// The glyph drawn with its bottom-left pixel at bottomLeft, in that colour, on black.
bool showsGlyph(const BoardEmulator& board, const Glyph& glyph, QPoint bottomLeft, quint8 color) {
    for (int row = 0; row < glyph.size.height; ++row) {
        for (int x = 0; x < glyph.size.width; ++x) {
            const quint8 expected = glyph.inked(x, row) ? color : 0;
            if (board.pixel(bottomLeft.x() + x, bottomLeft.y() - row) != expected)
                return false;
        }
    }
    return true;
}

} // namespace

class tst_BoardEmulator : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void identifiesAndAnswersOnlyBlocks();
    void writeScreenAnswersEachRow();
    void savesAndShowsPictures();
    void drawsPixelsAndClipsThem();
    void drawsBresenhamLines();
    void drawsRectangles();
    void drawsMidpointCircles();
    void writesTextInTheBuiltInFont();
    void backspaceTakesBackTheLastCharacter();
    void wrapsTextAtTheRightEdge();
    void loadsFontsAndDrawsWithThem();
    void switchesScreenAndControllerSettings();
    void reportsTouchesInEachMode();
    void calibratesWithTwoTaps();
    void changesItsBaudRate();
    void keepsUnreadAnswersBounded();
};

void tst_BoardEmulator::identifiesAndAnswersOnlyBlocks() {
    BoardEmulator board;
    QSignalSpy answered(&board, &BoardEmulator::answersReady);
    send(board, Commands::identifyController());
    QVERIFY(board.takeAnswers().contains("100"));
    QCOMPARE(answered.count(), 1);

    // Drawing and settings commands are not answered.
    send(board, Commands::drawPixel({1, 1}, 3));
    send(board, Commands::drawLine({0, 0}, {5, 5}, 3));
    send(board, Commands::clearScreen(7));
    send(board, Commands::setBacklight(true));
    send(board, Commands::touchCoordinatesOn());
    send(board, Commands::setTextCursor({4, 4}));
    send(board, Commands::writeText(255, 1, "abc"));
    QCOMPARE(board.takeAnswers(), QByteArray());
    QCOMPARE(answered.count(), 1);
    QCOMPARE(board.errorCount(), 0);
}

void tst_BoardEmulator::writeScreenAnswersEachRow() {
    BoardEmulator board;
    const QByteArray pixels = picture(1);
    const WriteList command = Commands::writeScreen(pixels);
    // Header, then row by row: one acknowledgement after each 320 bytes.
    board.feed(command.at(0));
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

    // Sent as one block, the answers come all together.
    board.feed(Commands::writeScreen(picture(2)).bytes());
    QCOMPARE(board.takeAnswers(), QByteArray(Height, '!'));
    QCOMPARE(board.screen(), picture(2));
}

void tst_BoardEmulator::savesAndShowsPictures() {
    BoardEmulator board;
    const QByteArray first = picture(3);
    const WriteList save = Commands::saveScreenPicture(12, first);
    board.feed(save.at(0));
    QCOMPARE(board.takeAnswers(), QByteArray("!")); // the header is answered
    for (int block = 0; block < 300; ++block) {
        board.feed(QByteArrayView(first).sliced(block * 256, 256));
        QCOMPARE(board.takeAnswers(), QByteArray("!"));
        // Nothing is stored before the last block.
        QCOMPARE(board.picture(12).isEmpty(), block < 299);
    }
    QCOMPARE(board.picture(12), first);
    // Saving does not touch the screen.
    QCOMPARE(inkedCount(board, 0), PixelCount);

    board.feed(Commands::saveScreenPicture(1, picture(4)).bytes());
    QCOMPARE(board.takeAnswers(), QByteArray(301, '!'));

    send(board, Commands::showScreenPicture(12));
    QCOMPARE(board.screen(), first);
    send(board, Commands::showScreenPicture(1));
    QCOMPARE(board.screen(), picture(4));
    // A slot that holds nothing shows as black.
    send(board, Commands::showScreenPicture(5));
    QCOMPARE(inkedCount(board, 0), PixelCount);
    QVERIFY(board.picture(5).isEmpty());
    QCOMPARE(board.takeAnswers(), QByteArray());

    // Slots outside 1..12 are malformed: nothing is stored, nothing answered.
    board.feed(QByteArray(QByteArray("SP") + bytes({13})));
    board.feed(QByteArray(QByteArray("LP") + bytes({0})));
    QCOMPARE(board.takeAnswers(), QByteArray());
    QCOMPARE(board.errorCount(), 2);
    QCOMPARE(inkedCount(board, 0), PixelCount);
}

void tst_BoardEmulator::drawsPixelsAndClipsThem() {
    BoardEmulator board;
    send(board, Commands::drawPixel({300, 10}, 224));
    QCOMPARE(board.pixel(300, 10), quint8(224));
    QCOMPARE(inkedCount(board, 224), 1);

    // Beyond the screen nothing is written, and nothing wraps onto another row.
    send(board, Commands::drawPixel({320, 10}, 28));
    send(board, Commands::drawPixel({65535, 255}, 28));
    send(board, Commands::drawPixel({0, 240}, 28));
    QCOMPARE(inkedCount(board, 28), 0);
    QCOMPARE(board.screen().size(), qsizetype(PixelCount));

    send(board, Commands::drawPixel({319, 239}, 3));
    send(board, Commands::drawPixel({0, 0}, 3));
    QCOMPARE(board.pixel(319, 239), quint8(3));
    QCOMPARE(board.pixel(0, 0), quint8(3));

    send(board, Commands::clearScreen(37));
    QCOMPARE(inkedCount(board, 37), PixelCount);
}

void tst_BoardEmulator::drawsBresenhamLines() {
    const QList<QPair<QPoint, QPoint>> lines{
        {{10, 50}, {300, 200}}, {{300, 5}, {10, 200}},    {{0, 0}, {319, 239}}, {{5, 100}, {5, 20}},
        {{7, 7}, {200, 7}},     {{100, 100}, {100, 100}}, {{50, 10}, {60, 239}}};
    for (const auto& [start, end] : lines) {
        BoardEmulator board;
        send(board, Commands::drawLine({quint16(start.x()), quint8(start.y())},
                                       {quint16(end.x()), quint8(end.y())}, 255));
        QCOMPARE(board.pixel(start.x(), start.y()), quint8(255));
        QCOMPARE(board.pixel(end.x(), end.y()), quint8(255));
        // One pixel per step of the longer axis, each within half a pixel of the ideal line.
        const int dx = std::abs(end.x() - start.x());
        const int dy = std::abs(end.y() - start.y());
        QCOMPARE(inkedCount(board, 255), std::max(dx, dy) + 1);
        for (int y = 0; y < Height; ++y) {
            for (int x = 0; x < Width; ++x) {
                if (board.pixel(x, y) != 255)
                    continue;
                // Along the longer axis, how far the pixel lies from the ideal line.
                const double distance =
                    dx >= dy ? std::abs(start.y() +
                                        (end.y() - start.y()) * along(x, start.x(), end.x()) - y)
                             : std::abs(start.x() +
                                        (end.x() - start.x()) * along(y, start.y(), end.y()) - x);
                QVERIFY2(distance <= 0.5, qPrintable(QStringLiteral("(%1, %2)").arg(x).arg(y)));
            }
        }
    }

    // Clipped at the edges: the part on the screen is drawn, nothing wraps.
    BoardEmulator board;
    send(board, Commands::drawLine({300, 5}, {400, 5}, 28));
    QCOMPARE(inkedCount(board, 28), 20);
    QCOMPARE(board.pixel(319, 5), quint8(28));
    QCOMPARE(board.pixel(0, 6), quint8(0));
    send(board, Commands::drawLine({400, 250}, {65535, 255}, 3));
    QCOMPARE(inkedCount(board, 3), 0);
    send(board, Commands::drawLine({0, 230}, {30, 255}, 3));
    QCOMPARE(board.pixel(0, 230), quint8(3));
    QVERIFY(inkedCount(board, 3) < 26);
}

void tst_BoardEmulator::drawsRectangles() {
    BoardEmulator board;
    send(board, Commands::drawRectangle({300, 0}, {310, 239}, 31));
    for (const QPoint corner : {QPoint(300, 0), QPoint(310, 0), QPoint(300, 239), QPoint(310, 239)})
        QCOMPARE(board.pixel(corner.x(), corner.y()), quint8(31));
    QCOMPARE(board.pixel(305, 100), quint8(0)); // empty inside
    QCOMPARE(board.pixel(300, 100), quint8(31));
    QCOMPARE(inkedCount(board, 31), 2 * 11 + 2 * 238);

    // Corners in any order give the same rectangle.
    BoardEmulator reversed;
    send(reversed, Commands::drawRectangle({310, 239}, {300, 0}, 31));
    QCOMPARE(reversed.screen(), board.screen());

    BoardEmulator filled;
    send(filled, Commands::fillRectangle({20, 30}, {10, 25}, 224));
    QCOMPARE(inkedCount(filled, 224), 11 * 6);
    QCOMPARE(filled.pixel(10, 25), quint8(224));
    QCOMPARE(filled.pixel(20, 30), quint8(224));
    QCOMPARE(filled.pixel(15, 27), quint8(224));
    QCOMPARE(filled.pixel(21, 30), quint8(0));
    QCOMPARE(filled.pixel(10, 31), quint8(0));

    // Partly off the screen: the visible part only.
    BoardEmulator clipped;
    send(clipped, Commands::fillRectangle({300, 230}, {1000, 255}, 5));
    QCOMPARE(inkedCount(clipped, 5), 20 * 10);
    send(clipped, Commands::drawRectangle({310, 235}, {400, 250}, 6));
    QCOMPARE(inkedCount(clipped, 6), 10 + 4); // top edge and left edge
}

void tst_BoardEmulator::drawsMidpointCircles() {
    BoardEmulator filled;
    send(filled, Commands::fillCircle({160, 120}, 50, 224));
    for (const QPoint edge :
         {QPoint(110, 120), QPoint(210, 120), QPoint(160, 70), QPoint(160, 170), QPoint(160, 120)})
        QCOMPARE(filled.pixel(edge.x(), edge.y()), quint8(224));
    for (const QPoint outside :
         {QPoint(109, 120), QPoint(211, 120), QPoint(160, 69), QPoint(160, 171), QPoint(123, 83)})
        QCOMPARE(filled.pixel(outside.x(), outside.y()), quint8(0));
    // Close to the true disc's area.
    const double pi = std::acos(-1.0);
    QVERIFY(std::abs(inkedCount(filled, 224) - pi * 50 * 50) < 2 * pi * 50);

    BoardEmulator outline;
    send(outline, Commands::drawCircle({160, 120}, 50, 28));
    for (const QPoint edge :
         {QPoint(110, 120), QPoint(210, 120), QPoint(160, 70), QPoint(160, 170)})
        QCOMPARE(outline.pixel(edge.x(), edge.y()), quint8(28));
    QCOMPARE(outline.pixel(160, 120), quint8(0));
    // The outline is the rim of the filled disc, symmetric in both axes.
    for (int y = 0; y < Height; ++y) {
        for (int x = 0; x < Width; ++x) {
            if (outline.pixel(x, y) != 28)
                continue;
            QCOMPARE(filled.pixel(x, y), quint8(224));
            QCOMPARE(outline.pixel(320 - x, y), quint8(28));
            QCOMPARE(outline.pixel(x, 240 - y), quint8(28));
        }
    }

    // Radius 0 is the centre pixel; a circle across the edge is clipped, not wrapped.
    BoardEmulator edge;
    send(edge, Commands::fillCircle({5, 5}, 0, 9));
    QCOMPARE(inkedCount(edge, 9), 1);
    send(edge, Commands::fillCircle({2, 120}, 20, 10));
    for (int y = 0; y < Height; ++y)
        QCOMPARE(edge.pixel(Width - 1, y), quint8(0));
    QCOMPARE(edge.pixel(0, 120), quint8(10));
    send(edge, Commands::drawCircle({65535, 255}, 255, 11));
    send(edge, Commands::fillCircle({400, 120}, 100, 12));
    QCOMPARE(inkedCount(edge, 11), 0);
    QCOMPARE(edge.pixel(319, 120), quint8(12));
    QCOMPARE(edge.pixel(299, 120), quint8(0));
}

void tst_BoardEmulator::writesTextInTheBuiltInFont() {
    BoardEmulator board;
    const BoardFont& font = BoardFont::builtIn();
    QCOMPARE(font.lineHeight(), 7);
    send(board, Commands::setTextCursor({10, 20}));
    send(board, Commands::writeText(224, 1, "Hi A"));
    // Glyphs stand on the line's bottom row; one blank column between them; the space
    // leaves a character's width.
    QVERIFY(showsGlyph(board, *font.glyph('H'), {10, 26}, 224));
    QVERIFY(showsGlyph(board, *font.glyph('i'), {16, 26}, 224));
    QVERIFY(showsGlyph(board, *font.glyph('A'), {28, 26}, 224));
    QCOMPARE(board.pixel(10, 20), quint8(224)); // the left bar of H is 7 rows high
    QCOMPARE(board.pixel(10, 27), quint8(0));
    QCOMPARE(board.pixel(15, 23), quint8(0)); // the gap column
    // The carriage return starts the next line below, at the cursor's x.
    QCOMPARE(board.textCursor(), QPoint(10, 28));

    send(board, Commands::writeText(28, 2, "H"));
    QVERIFY(showsGlyph(board, *font.glyph('H'), {10, 34}, 28));
    QCOMPARE(board.textCursor(), QPoint(10, 36));

    // The short form draws the same way; control codes and codes beyond "~" draw nothing.
    send(board, Commands::setTextCursor({100, 100}));
    board.feed(QByteArray(QByteArray("WT") + bytes({255, 33, 9, 200, 34, 13})));
    QVERIFY(showsGlyph(board, *font.glyph('!'), {100, 106}, 255));
    QVERIFY(showsGlyph(board, *font.glyph('"'), {112, 106}, 255)); // 200 advanced like a space
    QCOMPARE(board.textCursor(), QPoint(100, 108));

    // Text across the bottom edge is clipped there.
    send(board, Commands::setTextCursor({0, 236}));
    send(board, Commands::writeText(5, 1, "HHH"));
    QCOMPARE(board.pixel(0, 236), quint8(5));
    QCOMPARE(board.pixel(0, 239), quint8(5));
    QCOMPARE(inkedCount(board, 5), 3 * (2 * 4 + 3)); // four rows of each H remain
    QCOMPARE(board.errorCount(), 0);
}

void tst_BoardEmulator::backspaceTakesBackTheLastCharacter() {
    BoardEmulator typed;
    send(typed, Commands::clearScreen(73));
    send(typed, Commands::setTextCursor({40, 40}));
    send(typed, Commands::writeText(255, 1, QByteArray("Hx\bi")));
    BoardEmulator intended;
    send(intended, Commands::clearScreen(73));
    send(intended, Commands::setTextCursor({40, 40}));
    send(intended, Commands::writeText(255, 1, "Hi"));
    QCOMPARE(typed.screen(), intended.screen());
    QCOMPARE(typed.textCursor(), intended.textCursor());

    // More backspaces than characters stop at the start of the text.
    send(typed, Commands::writeText(255, 1, QByteArray("ab\b\b\b\bc")));
    send(intended, Commands::writeText(255, 1, "c"));
    QCOMPARE(typed.screen(), intended.screen());
}

void tst_BoardEmulator::wrapsTextAtTheRightEdge() {
    BoardEmulator board;
    send(board, Commands::setTextCursor({300, 0}));
    send(board, Commands::writeText(255, 1, "ABCD"));
    const BoardFont& font = BoardFont::builtIn();
    // Three characters fit (300, 306, 312); the fourth starts a line below at x 300.
    QVERIFY(showsGlyph(board, *font.glyph('C'), {312, 6}, 255));
    QVERIFY(showsGlyph(board, *font.glyph('D'), {300, 14}, 255));
    QCOMPARE(board.textCursor(), QPoint(300, 16));

    // A cursor beyond the screen writes nothing and breaks nothing.
    send(board, Commands::setTextCursor({65535, 255}));
    const QByteArray before = board.screen();
    send(board, Commands::writeText(3, 2, QByteArray(1000, 'W')));
    QCOMPARE(board.screen(), before);
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
    QCOMPARE(board.font(2).lineHeight(), 3);
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
    QVERIFY(showsGlyph(board, *BoardFont::builtIn().glyph('!'), {0, 6}, 28));
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
    QVERIFY(!board.rotated());
    send(board, Commands::rotateScreen());
    QVERIFY(board.rotated());
    // Rotating turns what the panel shows, not the screen memory.
    QCOMPARE(board.screen(), drawn);
    send(board, Commands::rotateScreen());
    QVERIFY(!board.rotated());

    QVERIFY(board.backlight());
    send(board, Commands::setBacklight(false));
    QVERIFY(!board.backlight());
    send(board, Commands::setBacklight(true));
    QVERIFY(board.backlight());

    QSignalSpy beeped(&board, &BoardEmulator::beeped);
    send(board, Commands::beep());
    send(board, Commands::beep());
    QCOMPARE(board.beepCount(), 2);
    QCOMPARE(beeped.count(), 2);
    send(board, Commands::setBeepOnTouch(true));
    QVERIFY(board.beepOnTouch());
    board.touch({10, 10});
    QCOMPARE(board.beepCount(), 3);
    send(board, Commands::setBeepOnTouch(false));
    board.touch({10, 10});
    QCOMPARE(board.beepCount(), 3);

    // States other than 0 and 1 are malformed and change nothing.
    board.feed(QByteArray(QByteArray("BL") + bytes({2}) + QByteArray("BT") + bytes({7})));
    QVERIFY(board.backlight());
    QVERIFY(!board.beepOnTouch());
    QCOMPARE(board.errorCount(), 2);
    QCOMPARE(board.screen(), drawn);
}

void tst_BoardEmulator::reportsTouchesInEachMode() {
    BoardEmulator board;
    QCOMPARE(board.touchMode(), BoardEmulator::TouchMode::Off);
    board.touch({260, 200});
    QCOMPARE(board.takeAnswers(), QByteArray());

    send(board, Commands::touchCoordinatesOn());
    board.touch({260, 200});
    board.touch({5, 0});
    QCOMPARE(board.takeAnswers(), QByteArray("1,4,200$0,5,0$"));
    board.touch({320, 10}); // off the panel
    QCOMPARE(board.takeAnswers(), QByteArray());
    QVERIFY(!board.pressKey('1'));

    // The panel turns with the picture: its top-left is then the screen's bottom-right.
    send(board, Commands::rotateScreen());
    board.touch({0, 0});
    QCOMPARE(board.takeAnswers(), QByteArray("1,63,239$"));
    send(board, Commands::rotateScreen());

    send(board, Commands::touchKeypadOn());
    QCOMPARE(board.touchMode(), BoardEmulator::TouchMode::Keypad);
    const Keypad::Key five = *Keypad::keyLabelled('5');
    board.touch(five.area.center());
    QVERIFY(board.pressKey('#'));
    QVERIFY(!board.pressKey('x'));
    QCOMPARE(board.takeAnswers(), QByteArray("5#"));
    QCOMPARE(Keypad::keyAt({0, 0})->label, '1');
    QCOMPARE(Keypad::keyAt({319, 239})->label, 'D');

    send(board, Commands::touchOff());
    board.touch({100, 100});
    QVERIFY(!board.pressKey('5'));
    QCOMPARE(board.takeAnswers(), QByteArray());
}

void tst_BoardEmulator::calibratesWithTwoTaps() {
    BoardEmulator board;
    send(board, Commands::touchCoordinatesOn());
    send(board, Commands::touchCalibrate());
    QCOMPARE(board.calibrationTarget(), std::optional<QPoint>(QPoint(20, 20)));
    board.touch({21, 19});
    QCOMPARE(board.calibrationTarget(), std::optional<QPoint>(QPoint(299, 219)));
    board.touch({300, 220});
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
    QCOMPARE(board.baudRate(), 115200);
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

    // Only indexes 0..6 name a speed.
    board.setLineBaudRate(115200);
    board.feed(QByteArray(QByteArray("BR") + bytes({7})));
    QCOMPARE(board.baudRate(), 115200);
    QCOMPARE(board.errorCount(), 1);
}

void tst_BoardEmulator::keepsUnreadAnswersBounded() {
    BoardEmulator board;
    QByteArray manyIdentifications;
    for (int i = 0; i < 10000; ++i)
        manyIdentifications += "ID";
    board.feed(manyIdentifications);
    board.feed(Commands::writeScreen(picture(5)).bytes());
    const QByteArray answers = board.takeAnswers();
    QCOMPARE(answers.size(), BoardEmulator::AnswerLimit);
    // The newest answers are kept.
    QVERIFY(answers.endsWith(QByteArray(Height, '!')));
}

QTEST_MAIN(tst_BoardEmulator)
#include "tst_boardemulator.moc"
