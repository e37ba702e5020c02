#include "board/boardmirror.h"
#include "board/mirrorimage.h"
#include "engine/commands.h"
#include "engine/conversation.h"

#include <QTest>

namespace {

// A conversation fed by hand, with the mirror that follows it.
struct MirrorBench {
    explicit MirrorBench(qsizetype capacity = Conversation::DefaultCapacity,
                         qsizetype byteBudget = Conversation::DefaultByteBudget)
        : conversation([this] { return now; }, capacity, byteBudget)
        , mirror(conversation) {
        conversation.lineChanged(QStringLiteral("opened"));
    }
    // The command's writes as one event; returns its number.
    quint64 send(const WriteList& writes) {
        conversation.record({++now, LineTraffic::Direction::ToBoard, writes.bytes(), 1});
        return conversation.end() - 1;
    }
    const BoardEmulator& board() const { return mirror.board(); }
    int knownCount() const { return int(mirror.screen().known.count(char(1))); }

    qint64 now = 0;
    Conversation conversation;
    BoardMirror mirror;
};

QByteArray filled(char value) {
    return QByteArray(BoardGeometry::PixelCount, value);
}

} // namespace

class tst_BoardMirror : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void knowsWhatWasDrawnSinceConnecting();
    void textAndPicturesItCannotBeSureOf();
    void screensAfterEarlierEvents();
    void eventsBeyondTheKeptBytes();
    void picturesOfTheScreen();
};

// A small rectangle is all it knows; a clear makes all known; a new connection's
// first command starts afresh, and until then the screen stays as it was.
void tst_BoardMirror::knowsWhatWasDrawnSinceConnecting() {
    MirrorBench bench;
    QCOMPARE(bench.knownCount(), 0);
    bench.send(Commands::fillRectangle({300, 230}, {310, 235}, 224));
    QCOMPARE(bench.knownCount(), 11 * 6);
    QVERIFY(bench.board().pixelKnown(300, 230) && bench.board().pixelKnown(310, 235));
    QVERIFY(!bench.board().pixelKnown(299, 230) && !bench.board().pixelKnown(310, 236));
    bench.send(Commands::drawLine({0, 0}, {3, 0}, 1));
    QCOMPARE(bench.knownCount(), 11 * 6 + 4);

    bench.send(Commands::clearScreen(7));
    QCOMPARE(bench.knownCount(), BoardGeometry::PixelCount);
    bench.conversation.lineChanged(QStringLiteral("closed"));
    bench.conversation.lineChanged(QStringLiteral("opened"));
    QCOMPARE(bench.knownCount(), BoardGeometry::PixelCount);
    bench.send(Commands::drawPixel({5, 5}, 9));
    QCOMPARE(bench.knownCount(), 1);
    QCOMPARE(bench.board().pixel(5, 5), quint8(9));
}

// Text at an unknown place or in a font not loaded since connecting, and a picture slot
// stored before, leave unknown what they may have covered.
void tst_BoardMirror::textAndPicturesItCannotBeSureOf() {
    MirrorBench bench;
    bench.send(Commands::clearScreen(0));
    // The cursor was never set: the text may be anywhere.
    bench.send(Commands::writeText(255, std::nullopt, "a"));
    QCOMPARE(bench.knownCount(), 0);

    bench.send(Commands::clearScreen(0));
    bench.send(Commands::setTextCursor({10, 50}));
    // The built-in font may not be the board's: the line and all below it are unknown.
    bench.send(Commands::writeText(255, 1, "abc\b"));
    QCOMPARE(bench.knownCount(), 50 * BoardGeometry::Width);
    // Then the cursor is unknown too.
    bench.send(Commands::clearScreen(0));
    bench.send(Commands::writeText(255, 1, "d"));
    QCOMPARE(bench.knownCount(), 0);

    bench.send(Commands::clearScreen(0));
    bench.send(Commands::showScreenPicture(4));
    QCOMPARE(bench.knownCount(), 0);
    bench.send(Commands::saveScreenPicture(4, filled(char(66))));
    bench.send(Commands::showScreenPicture(4));
    QCOMPARE(bench.knownCount(), BoardGeometry::PixelCount);
    QCOMPARE(bench.board().screen(), filled(char(66)));
}

// The screen just after any held event, however many came after it, from snapshots.
void tst_BoardMirror::screensAfterEarlierEvents() {
    MirrorBench bench;
    const quint64 cleared = bench.send(Commands::clearScreen(10));
    const quint64 filledAt = bench.send(Commands::fillRectangle({0, 0}, {9, 9}, 20));
    // Far more than a snapshot's worth of whole screens and small commands after them.
    QByteArray screen = Commands::writeScreen(filled(char(30))).bytes();
    for (int i = 0; i < 12; ++i)
        bench.send(WriteList{screen});
    for (int i = 0; i < BoardMirror::SnapshotEvents + 10; ++i)
        bench.send(Commands::drawPixel({quint16(i % 320), 100}, quint8(i)));
    QVERIFY(bench.mirror.snapshotCount() >= 3);

    const std::optional<MirrorScreen> afterClear = bench.mirror.screenAfter(cleared);
    QVERIFY(afterClear);
    QCOMPARE(afterClear->pixels, filled(char(10)));
    const std::optional<MirrorScreen> afterFill = bench.mirror.screenAfter(filledAt);
    QVERIFY(afterFill);
    QCOMPARE(afterFill->pixels.at(9 * BoardGeometry::Width + 9), char(20));
    QCOMPARE(afterFill->pixels.at(10 * BoardGeometry::Width + 10), char(10));
    QCOMPARE(bench.mirror.screenAfter(bench.conversation.end() - 1)->pixels,
             bench.mirror.screen().pixels);
    // Before the first command of the connection nothing was known.
    QCOMPARE(bench.mirror.screenAfter(cleared - 1)->known, filled('\0'));
    QVERIFY(!bench.mirror.screenAfter(bench.conversation.end()));
}

// Events whose bytes the conversation gave up (or forgot) have no screen; snapshots
// nobody can use any more go.
void tst_BoardMirror::eventsBeyondTheKeptBytes() {
    MirrorBench bench(1000, 3 * BoardMirror::SnapshotBytes);
    const quint64 cleared = bench.send(Commands::clearScreen(10));
    const QByteArray screen = Commands::writeScreen(filled(char(30))).bytes();
    const quint64 firstScreen = bench.send(WriteList{screen});
    for (int i = 0; i < 60; ++i)
        bench.send(WriteList{screen});
    QVERIFY(!bench.conversation.at(firstScreen).allBytesKept());
    QVERIFY(!bench.mirror.screenAfter(firstScreen));
    QVERIFY(bench.mirror.screenAfter(bench.conversation.end() - 1));
    // A cleared event keeps its screen only while a snapshot leads to it.
    // Snapshots within the kept bytes, and the one before them.
    QVERIFY(bench.mirror.snapshotCount() <= 5);
    QVERIFY(bench.mirror.snapshotBytes() <= 5 * 2 * BoardGeometry::PixelCount);

    for (int i = 0; i < 1000; ++i)
        bench.send(Commands::drawPixel({1, 1}, 2));
    QVERIFY(!bench.mirror.screenAfter(cleared));
    const std::optional<MirrorScreen> last = bench.mirror.screenAfter(bench.conversation.end() - 1);
    QVERIFY(last);
    QCOMPARE(last->pixels.at(321), char(2));
    // One every quarter of the ring, and the one before it.
    QVERIFY(bench.mirror.snapshotCount() <= 6);
}

// Unknown pixels are transparent in a PNG and hatched in a view; a rotated board's
// picture is turned as its panel shows it.
void tst_BoardMirror::picturesOfTheScreen() {
    MirrorBench bench;
    bench.send(Commands::fillRectangle({0, 0}, {1, 0}, 0xE0));
    bench.send(Commands::rotateScreen());
    const QImage png = MirrorImage::transparent(bench.mirror.screen());
    QCOMPARE(png.pixel(319, 239), qRgb(0xFF, 0, 0));
    QCOMPARE(png.pixel(318, 239), qRgb(0xFF, 0, 0));
    QCOMPARE(qAlpha(png.pixel(317, 239)), 0);
    QCOMPARE(qAlpha(png.pixel(0, 0)), 0);
    const QImage view = MirrorImage::hatched(bench.mirror.screen());
    QCOMPARE(view.pixel(319, 239), qRgb(0xFF, 0, 0));
    QVERIFY(view.pixel(0, 0) != view.pixel(0, 4));
    QCOMPARE(qAlpha(view.pixel(0, 0)), 255);
}

QTEST_MAIN(tst_BoardMirror)
#include "tst_boardmirror.moc"
