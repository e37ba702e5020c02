#include "board/boardemulator.h"
#include "board/stalledcommandguard.h"
#include "serial/commands.h"
#include "testbench.h"

#include <QRandomGenerator>
#include <QTest>

using BoardGeometry::PixelCount;

namespace {

// A stream of valid commands with random values, every kind of the command set,
// and some junk between them.
class CommandStream {
public:
    explicit CommandStream(quint32 seed)
        : m_random(seed) {}

    QByteArray make(int commands) {
        QByteArray stream;
        for (int i = 0; i < commands; ++i)
            stream += next();
        return stream;
    }

private:
    int below(int limit) { return int(m_random.bounded(limit)); }
    quint8 byte() { return quint8(below(256)); }
    // Mostly on the screen, sometimes far off it.
    Commands::Point point() {
        if (below(8) == 0)
            return {quint16(below(65536)), byte()};
        return {quint16(below(330)), quint8(below(250))};
    }
    QByteArray randomBytes(int count) {
        QByteArray bytes(count, Qt::Uninitialized);
        for (char& b : bytes)
            b = char(byte());
        return bytes;
    }
    QByteArray text() {
        QByteArray typed;
        const int length = below(30);
        for (int i = 0; i < length; ++i) {
            const int kind = below(10);
            typed += char(kind == 0   ? 8
                          : kind == 1 ? below(32)
                          : kind == 2 ? 128 + below(128)
                                      : 32 + below(95));
        }
        typed.replace('\r', ' ');
        return typed;
    }
    QByteArray font() {
        QList<Commands::GlyphSize> sizes;
        for (int i = 0; i < Commands::GlyphCount; ++i)
            sizes.append({quint8(below(20)), quint8(below(24))});
        WriteList upload = Commands::fontUploadBegin(below(2) ? Commands::FontSlot::Font1
                                                              : Commands::FontSlot::Font2);
        upload.append(Commands::fontSizeTable(sizes));
        for (const Commands::GlyphSize& size : sizes)
            upload.append(
                Commands::fontGlyph(size, randomBytes(size.height * ((size.width + 7) / 8))));
        return upload.bytes();
    }

    QByteArray next() {
        switch (below(24)) {
        case 0:
            return Commands::identifyController().bytes();
        case 1:
            return Commands::setTextCursor(point()).bytes();
        case 2:
        case 3:
            return Commands::writeText(byte(), below(2) + 1, text()).bytes();
        case 4:
            return Commands::writeText(255, std::nullopt, "!\"#$%&'()*+,").bytes();
        case 5:
            return Commands::drawPixel(point(), byte()).bytes();
        case 6:
            return Commands::drawLine(point(), point(), byte()).bytes();
        case 7:
            return Commands::drawRectangle(point(), point(), byte()).bytes();
        case 8:
            return Commands::fillRectangle(point(), point(), byte()).bytes();
        case 9:
            return Commands::drawCircle(point(), byte(), byte()).bytes();
        case 10:
            return Commands::fillCircle(point(), quint8(below(80)), byte()).bytes();
        case 11:
            return Commands::clearScreen(byte()).bytes();
        case 12:
            return Commands::rotateScreen().bytes() + Commands::beep().bytes();
        case 13:
            return Commands::setBacklight(below(2)).bytes() +
                   Commands::setBeepOnTouch(below(2)).bytes();
        case 14:
            return Commands::touchCoordinatesOn().bytes() + Commands::touchKeypadOn().bytes() +
                   Commands::touchOff().bytes();
        case 15:
            return Commands::touchCalibrate().bytes() + Commands::restoreCalibration().bytes();
        case 16:
            return Commands::showScreenPicture(quint8(below(12) + 1)).bytes();
        case 17:
            if (below(4) == 0)
                return Commands::saveScreenPicture(quint8(below(12) + 1), randomBytes(PixelCount))
                    .bytes();
            return {};
        case 18:
            if (below(4) == 0)
                return Commands::writeScreen(randomBytes(PixelCount)).bytes();
            return {};
        case 19:
            if (below(6) == 0)
                return font();
            return {};
        case 20:
            // Junk the board has to skip: lower-case letters and digits make no opcode.
            return QByteArray::number(below(100000)) + "xyz";
        default:
            return Commands::drawPixel(point(), byte()).bytes();
        }
    }

    QRandomGenerator m_random;
};

// Everything the board shows or holds, to compare two boards.
void compareBoards(const BoardEmulator& actual, const BoardEmulator& expected) {
    QCOMPARE(actual.screen(), expected.screen());
    for (int slot = 1; slot <= BoardGeometry::PictureSlots; ++slot)
        QCOMPARE(actual.picture(slot), expected.picture(slot));
    for (int slot = 1; slot <= BoardGeometry::FontSlots; ++slot) {
        QCOMPARE(actual.fontLoaded(slot), expected.fontLoaded(slot));
        for (int code = Commands::FirstGlyphCode; code <= Commands::LastGlyphCode; ++code) {
            const Glyph* a = actual.font(slot).glyph(code);
            const Glyph* e = expected.font(slot).glyph(code);
            QCOMPARE(a != nullptr, e != nullptr);
            if (a)
                QCOMPARE(a->bitmap, e->bitmap);
        }
    }
    QCOMPARE(actual.defaultTextFont(), expected.defaultTextFont());
    QCOMPARE(actual.textCursor(), expected.textCursor());
    QCOMPARE(actual.backlight(), expected.backlight());
    QCOMPARE(actual.rotated(), expected.rotated());
    QCOMPARE(actual.beepCount(), expected.beepCount());
    QCOMPARE(actual.beepOnTouch(), expected.beepOnTouch());
    QCOMPARE(actual.touchMode(), expected.touchMode());
    QCOMPARE(actual.calibrationTarget(), expected.calibrationTarget());
    QCOMPARE(actual.errorCount(), expected.errorCount());
    QCOMPARE(actual.midCommand(), expected.midCommand());
}

QByteArray randomBytes(QRandomGenerator& random, int count) {
    QByteArray bytes(count, Qt::Uninitialized);
    for (char& b : bytes)
        b = char(random.bounded(256));
    return bytes;
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
        const QByteArray stream = CommandStream(seed).make(400);
        BoardEmulator whole;
        whole.feed(stream);
        BoardEmulator byByte;
        QByteArray byteAnswers;
        for (const char b : stream) {
            byByte.feed(QByteArrayView(&b, 1));
            byteAnswers += byByte.takeAnswers();
        }
        BoardEmulator chunked;
        QByteArray chunkAnswers;
        QRandomGenerator random(seed);
        for (qsizetype i = 0; i < stream.size();) {
            const qsizetype size = std::min(stream.size() - i, qsizetype(random.bounded(1, 700)));
            chunked.feed(QByteArrayView(stream).sliced(i, size));
            chunkAnswers += chunked.takeAnswers();
            i += size;
        }
        compareBoards(byByte, whole);
        compareBoards(chunked, whole);
        const QByteArray wholeAnswers = whole.takeAnswers();
        QVERIFY(!wholeAnswers.isEmpty());
        // Unread answers are capped at the newest AnswerLimit bytes.
        QVERIFY(byteAnswers.endsWith(wholeAnswers));
        QCOMPARE(chunkAnswers, byteAnswers);
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
    board.feed(QByteArray(QByteArray("LPCS") + bytes({200})));
    board.feed(QByteArray("SFZQ"));
    QCOMPARE(board.takeAnswers(), QByteArray("100100"));
    QCOMPARE(board.pixel(5, 5), quint8(200));
    QVERIFY(!board.fontLoaded(1));
    QCOMPARE(board.errorCount(), 4);
    QVERIFY(!board.midCommand());
    // A run of junk counts once.
    board.feed(QByteArray(QByteArray("BP") + QByteArray(5000, 'z')));
    QCOMPARE(board.errorCount(), 5);
}

void tst_BoardRobustness::givesUpACommandWhoseBytesStopped() {
    BoardEmulator board;
    StalledCommandGuard guard(board, nullptr, 400);
    int lineChecks = 0;
    guard.setLineCheck([&lineChecks] { ++lineChecks; });

    // Bytes that keep coming keep the command alive.
    board.feed(Commands::writeScreen(QByteArray(PixelCount, char(1))).bytes().first(1000));
    guard.bytesFed();
    for (int i = 0; i < 4; ++i) {
        QTest::qWait(50);
        board.feed(QByteArray(10, char(1)));
        guard.bytesFed();
        QVERIFY(board.midCommand());
    }
    // Then they stop: the command is dropped and the board hears the next one.
    QTRY_VERIFY(!board.midCommand());
    QVERIFY(lineChecks > 0);
    QCOMPARE(board.errorCount(), 1);
    board.takeAnswers();
    board.feed(Commands::identifyController().bytes());
    QCOMPARE(board.takeAnswers(), QByteArray("100"));

    // Between commands there is nothing to give up.
    guard.bytesFed();
    QTest::qWait(500);
    QCOMPARE(board.errorCount(), 1);
}

QTEST_MAIN(tst_BoardRobustness)
#include "tst_boardrobustness.moc"
