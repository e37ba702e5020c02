#include "board/boardconsole.h"
#include "board/boardemulator.h"
#include "engine/colorvalue.h"
#include "engine/commands.h"

#include <QImage>
#include <QTemporaryDir>
#include <QTest>

class tst_BoardConsole : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pressesTheTouchScreenAndKeypad();
    void writesScreenshotsAsThePanelShowsThem();
};

// Presses the touch screen and keypad as told; what it cannot do is refused with a
// reason, and nothing reaches the line.
void tst_BoardConsole::pressesTheTouchScreenAndKeypad() {
    BoardEmulator board;
    BoardConsole console(board, QString());
    const auto refused = [&console](const char* line) {
        return console.execute(QLatin1String(line)).startsWith(QLatin1String("error: "));
    };
    board.feed(Commands::touchCoordinatesOn().bytes());
    // A key outside keypad mode, too.
    for (const char* line : {"touch 320 0", "touch -1 5", "touch 1", "touch a b", "key 5",
                             "screenshot", "screenshot /no/such/folder/shot.png", "fly away"})
        QVERIFY2(refused(line), line);
    QCOMPARE(console.execute(QStringLiteral("  touch   260 200 ")), QString());
    QCOMPARE(board.takeAnswers(), QByteArray("1,4,200$"));

    board.feed(Commands::touchKeypadOn().bytes());
    for (const char* line : {"key", "key x", "key 55"})
        QVERIFY2(refused(line), line);
    QCOMPARE(console.execute(QStringLiteral("key 5")), QString());
    QCOMPARE(console.execute(QStringLiteral("KEY b")), QString());
    QCOMPARE(board.takeAnswers(), QByteArray("5B"));

    QVERIFY(console.execute(QStringLiteral("help")).contains(QLatin1String("touch X Y")));
    QCOMPARE(console.execute(QString()), QString());
}

void tst_BoardConsole::writesScreenshotsAsThePanelShowsThem() {
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("screen.png"));
    BoardEmulator board;
    BoardConsole console(board, file);
    board.feed(Commands::clearScreen(3).bytes());
    board.feed(Commands::drawPixel({0, 0}, 224).bytes());
    QCOMPARE(console.execute(QStringLiteral("screenshot")),
             QStringLiteral("screenshot written to ") + file);
    QImage shot(file);
    QCOMPARE(shot.size(), QSize(320, 240));
    QCOMPARE(shot.pixel(0, 0), ColorValue::expand(224));
    QCOMPARE(shot.pixel(1, 0), ColorValue::expand(3));

    // Turned, the pixel drawn at (0, 0) is in the panel's bottom-right corner.
    board.feed(Commands::rotateScreen().bytes());
    const QString other = folder.filePath(QStringLiteral("turned.png"));
    QCOMPARE(console.execute(QStringLiteral("screenshot ") + other),
             QStringLiteral("screenshot written to ") + other);
    QCOMPARE(QImage(other).pixel(319, 239), ColorValue::expand(224));
}

QTEST_MAIN(tst_BoardConsole)
#include "tst_boardconsole.moc"
