#include "board/boardemulator.h"
#include "board/stalledcommandguard.h"
#include "engine/commands.h"
#include "manualclock.h"
#include "recordinglink.h"

#include <QDebug>
#include <QRandomGenerator>
#include <QTest>

#include <algorithm>

using BoardGeometry::PixelCount;

namespace {

QByteArray randomBytes(QRandomGenerator& random, int count) {
    QByteArray bytes(count, Qt::Uninitialized);
    for (char& b : bytes)
        b = char(random.bounded(256));
    return bytes;
}

// Every kind of command with random values, in a random order each round, with junk
// between them; the long transfers (pictures, a font) come in every fourth round.
QByteArray randomCommandStream(quint32 seed, int rounds) {
    QRandomGenerator random(seed);
    const auto below = [&random](int limit) { return int(random.bounded(limit)); };
    const auto byte = [&below] { return quint8(below(256)); };
    const auto coin = [&below] { return below(2) == 1; };
    // Mostly on the screen, sometimes far off it.
    const auto point = [&]() -> Commands::Point {
        if (below(8) == 0)
            return {quint16(below(65536)), byte()};
        return {quint16(below(330)), quint8(below(250))};
    };
    // Printable text with backspaces, control codes and codes beyond "~" mixed in.
    const auto text = [&] {
        return randomBytes(random, below(30)).replace('\r', ' ').replace('\t', '\b');
    };
    const auto font = [&] {
        QList<Commands::GlyphSize> sizes;
        for (int i = 0; i < Commands::GlyphCount; ++i)
            sizes.append({quint8(below(20)), quint8(below(24))});
        WriteList upload = Commands::fontUploadBegin(coin() ? Commands::FontSlot::Font1
                                                            : Commands::FontSlot::Font2);
        upload.append(Commands::fontSizeTable(sizes));
        for (const Commands::GlyphSize& size : sizes)
            upload.append(Commands::fontGlyph(
                size, randomBytes(random, size.height * ((size.width + 7) / 8))));
        return upload;
    };

    QByteArray stream;
    for (int round = 0; round < rounds; ++round) {
        QList<WriteList> commands{
            Commands::identifyController(),
            Commands::setTextCursor(point()),
            Commands::writeText(byte(), below(2) + 1, text()),
            Commands::writeText(255, std::nullopt, "!\"#$%&'()*+,"),
            Commands::drawPixel(point(), byte()),
            Commands::drawLine(point(), point(), byte()),
            Commands::drawRectangle(point(), point(), byte()),
            Commands::fillRectangle(point(), point(), byte()),
            Commands::drawCircle(point(), byte(), byte()),
            Commands::fillCircle(point(), quint8(below(80)), byte()),
            Commands::clearScreen(byte()),
            Commands::rotateScreen(),
            Commands::beep(),
            Commands::setBacklight(coin()),
            Commands::setBeepOnTouch(coin()),
            Commands::touchCoordinatesOn(),
            Commands::touchKeypadOn(),
            Commands::touchOff(),
            Commands::touchCalibrate(),
            Commands::restoreCalibration(),
            Commands::showScreenPicture(quint8(below(12) + 1)),
            // Junk the board has to skip: lower-case letters and digits make no opcode.
            WriteList{QByteArray(QByteArray::number(below(100000)) + "xyz")},
        };
        if (round % 4 == 0) {
            commands.append(Commands::saveScreenPicture(quint8(below(12) + 1),
                                                        randomBytes(random, PixelCount)));
            commands.append(Commands::writeScreen(randomBytes(random, PixelCount)));
            commands.append(font());
        }
        std::shuffle(commands.begin(), commands.end(), random);
        for (const WriteList& command : commands)
            stream += command.bytes();
    }
    return stream;
}

// What the board holds besides its screen, as text, to compare two boards: its
// settings, then a fingerprint of each picture slot and glyph.
QString stateOf(const BoardEmulator& board) {
    QString state;
    QDebug out(&state);
    out << board.fontLoaded(1) << board.fontLoaded(2) << board.defaultTextFont()
        << board.textCursor() << board.backlight() << board.rotated() << board.beepCount()
        << board.beepOnTouch() << board.touchMode()
        << board.calibrationTarget().value_or(QPoint(-1, -1)) << board.errorCount()
        << board.midCommand();
    for (int slot = 1; slot <= BoardGeometry::PictureSlots; ++slot)
        out << qHash(board.picture(slot));
    for (int slot = 1; slot <= BoardGeometry::FontSlots; ++slot) {
        for (int code = Commands::FirstGlyphCode; code <= Commands::LastGlyphCode; ++code) {
            const Glyph* glyph = board.font(slot).glyph(code);
            out << (glyph ? qHash(glyph->bitmap) : 0);
        }
    }
    return state;
}

} // namespace

class tst_BoardRobustness : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void chunkingChangesNothing();
    void survivesRandomBytes();
    void dropsCommandsCutShort();
    void resynchronisesAfterMalformedCommands();
    void givesUpACommandWhoseBytesStopped();
};

void tst_BoardRobustness::chunkingChangesNothing() {
    for (const quint32 seed : {1u, 2u, 3u}) {
        const QByteArray stream = randomCommandStream(seed, 20);
        BoardEmulator whole;
        whole.feed(stream);
        BoardEmulator chunked;
        QByteArray chunkAnswers;
        QRandomGenerator random(seed);
        for (qsizetype i = 0; i < stream.size();) {
            const qsizetype size = std::min(stream.size() - i, qsizetype(random.bounded(1, 700)));
            chunked.feed(QByteArrayView(stream).sliced(i, size));
            chunkAnswers += chunked.takeAnswers();
            i += size;
        }
        QCOMPARE(chunked.screen(), whole.screen());
        QCOMPARE(stateOf(chunked), stateOf(whole));
        const QByteArray wholeAnswers = whole.takeAnswers();
        QVERIFY(!wholeAnswers.isEmpty());
        // Unread answers are capped at the newest AnswerLimit bytes.
        QVERIFY(chunkAnswers.endsWith(wholeAnswers));
        // Only identifications and blocks of transfers are answered.
        QVERIFY(QByteArray(chunkAnswers).replace("100", "").replace("!", "").isEmpty());
        // The junk between the commands was noticed and skipped.
        QVERIFY(whole.errorCount() > 0);
    }
}

void tst_BoardRobustness::survivesRandomBytes() {
    QRandomGenerator random(42);
    BoardEmulator board;
    for (int chunk = 0; chunk < 300; ++chunk) {
        board.feed(randomBytes(random, int(random.bounded(1, 2000))));
        QVERIFY(board.takeAnswers().size() <= BoardEmulator::AnswerLimit);
    }
    QVERIFY(board.errorCount() > 0);
    QCOMPARE(board.screen().size(), qsizetype(PixelCount));

    // Whatever the noise left half-done ends within one picture's worth of carriage
    // returns (text ends at one, a picture or font takes at most 76800 bytes); then
    // the board hears commands again.
    board.feed(QByteArray(PixelCount + 1, '\r'));
    QVERIFY(!board.midCommand());
    board.takeAnswers();
    board.feed(Commands::identifyController().bytes());
    QCOMPARE(board.takeAnswers(), QByteArray("100"));

    // The same after a reset of the line (the link does that when it reopens).
    board.feed(randomBytes(random, 100000));
    board.lineReset();
    board.takeAnswers();
    board.feed(Commands::fillRectangle({0, 0}, {319, 239}, 77).bytes());
    QCOMPARE(board.screen(), QByteArray(PixelCount, char(77)));

    // Answers nobody reads are capped; the newest are kept.
    board.feed(QByteArray("ID").repeated(10000));
    board.feed(Commands::writeScreen(QByteArray(PixelCount, char(5))).bytes());
    const QByteArray answers = board.takeAnswers();
    QCOMPARE(answers.size(), BoardEmulator::AnswerLimit);
    QVERIFY(answers.endsWith(QByteArray(BoardGeometry::Height, '!')));
}

void tst_BoardRobustness::dropsCommandsCutShort() {
    // Each command cut off after some of its bytes, then the line goes away.
    const QList<QByteArray> commands{
        Commands::drawLine({1, 1}, {100, 100}, 5).bytes(),
        Commands::writeText(5, 1, "abc").bytes(),
        Commands::saveScreenPicture(3, QByteArray(PixelCount, char(9))).bytes(),
        Commands::writeScreen(QByteArray(PixelCount, char(9))).bytes(),
        Commands::fontUploadBegin(Commands::FontSlot::Font1).bytes() + QByteArray(188, char(1)) +
            QByteArray(40, char(1)),
    };
    for (const QByteArray& command : commands) {
        for (const qsizetype cut : {qsizetype(1), command.size() / 2, command.size() - 1}) {
            BoardEmulator board;
            board.feed(command.first(cut));
            QVERIFY(board.midCommand());
            board.lineReset();
            QVERIFY(!board.midCommand());
            QCOMPARE(board.errorCount(), 1);
            board.takeAnswers();
            board.feed(Commands::identifyController().bytes());
            QCOMPARE(board.takeAnswers(), QByteArray("100"));
            // A transfer cut short stores nothing.
            QVERIFY(board.picture(3).isEmpty());
            QVERIFY(!board.fontLoaded(1));
        }
    }
    // A reset between commands is no error.
    BoardEmulator board;
    board.feed(Commands::beep().bytes());
    board.lineReset();
    QCOMPARE(board.errorCount(), 0);
}

void tst_BoardRobustness::resynchronisesAfterMalformedCommands() {
    BoardEmulator board;
    // Junk before a command; an unknown pair whose second letter starts a command; a
    // checked parameter that is itself the start of the next command.
    board.feed(QByteArray("hello 123 ID"));
    board.feed(QByteArray("IXID"));
    board.feed(bytes({'L', 'P', 'C', 'S', 200}));
    board.feed(QByteArray("SFZQ"));
    QCOMPARE(board.takeAnswers(), QByteArray("100100"));
    QCOMPARE(board.pixel(5, 5), quint8(200));
    QVERIFY(!board.fontLoaded(1));
    QCOMPARE(board.errorCount(), 4);
    QVERIFY(!board.midCommand());
    // A run of junk counts once.
    board.feed(QByteArray("BP").append(5000, 'z'));
    QCOMPARE(board.errorCount(), 5);
}

void tst_BoardRobustness::givesUpACommandWhoseBytesStopped() {
    BoardEmulator board;
    ManualClock clock;
    StalledCommandGuard guard(board, clock, nullptr, 300);
    int lineChecks = 0;
    guard.setLineCheck([&lineChecks] { ++lineChecks; });

    // Nothing to watch while the board waits for a command.
    guard.bytesFed();
    QCOMPARE(clock.pendingCount(), 0);

    // Bytes that keep coming keep the command alive, longer than the quiet limit.
    board.feed(Commands::writeScreen(QByteArray(PixelCount, char(1))).bytes().first(1000));
    guard.bytesFed();
    for (int i = 0; i < 12; ++i) {
        clock.advance(290);
        board.feed(QByteArray(10, char(1)));
        guard.bytesFed();
        QVERIFY2(board.midCommand(),
                 qPrintable(QStringLiteral("after %1 ms").arg(clock.elapsedMs())));
    }
    QVERIFY(lineChecks > 0);
    // Then they stop: the command is dropped once the line was quiet for the limit, not before.
    clock.advance(299);
    QVERIFY(board.midCommand());
    clock.advance(75);
    QVERIFY(!board.midCommand());
    QCOMPARE(board.errorCount(), 1);
    // With nothing half-received the guard stops looking.
    QCOMPARE(clock.pendingCount(), 0);
    board.takeAnswers();
    board.feed(Commands::identifyController().bytes());
    QCOMPARE(board.takeAnswers(), QByteArray("100"));
}

QTEST_MAIN(tst_BoardRobustness)
#include "tst_boardrobustness.moc"
