#include "board/stalledcommandguard.h"
#include "pseudoterminalbench.h"
#include "serial/commands.h"
#include "serial/msserial.h"
#include "serial/portcatalog.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

namespace {

// The app's port object on the board's device, at the given settings.
struct AppPort {
    std::shared_ptr<PortCatalog> catalog;
    MSserial port;
    QByteArray received;

    AppPort(const QString& path, const QString& settings)
        : catalog(deviceCatalog(path))
        , port(*catalog) {
        port.setCommPort(path);
        port.setSettings(settings);
    }
    // Waits (up to 5 s) until what arrived holds the text; keeps what came after it.
    bool awaits(const QByteArray& text) {
        QTimer wakeUp; // so that waiting for events never outlasts the deadline
        wakeUp.start(20);
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 5000) {
            received += port.input();
            const qsizetype at = received.indexOf(text);
            if (at >= 0) {
                received.remove(0, at + text.size());
                return true;
            }
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        return false;
    }
    bool identifies() { return port.output(Commands::identifyController()) && awaits("100"); }
};

QByteArray picture() {
    QByteArray pixels(BoardGeometry::PixelCount, Qt::Uninitialized);
    for (int i = 0; i < pixels.size(); ++i)
        pixels[i] = char((i / 3 + i / BoardGeometry::Width) & 0xFF);
    return pixels;
}

} // namespace

// The app's real serial port code (MSserial over QSerialPort) against the board
// simulator on a pseudo-terminal.
class tst_BoardPty : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void identifiesDrawsAndTakesAFullScreen();
    void hearsOnlyItsOwnSpeed();
    void dropsACommandWhoseSenderClosedThePort();
    void pacesAtTheLineRateWhenAsked();
};

void tst_BoardPty::identifiesDrawsAndTakesAFullScreen() {
    PseudoTerminalBoard board;
    QVERIFY2(board.isOpen(), qPrintable(board.errorString()));
    AppPort app(board.devicePath(), QStringLiteral("115200,N,8,1"));
    QVERIFY2(app.port.open(), qPrintable(app.port.lastError().description));

    QVERIFY(app.identifies());

    app.port.output(Commands::drawLine({10, 50}, {300, 200}, 255));
    app.port.output(Commands::fillCircle({160, 120}, 30, 28));
    QTRY_COMPARE(board.emulator().pixel(160, 120), quint8(28));
    QCOMPARE(board.emulator().pixel(10, 50), quint8(255));
    QCOMPARE(board.emulator().pixel(300, 200), quint8(255));

    // Row by row, each sent once the previous one was acknowledged.
    const QByteArray pixels = picture();
    const WriteList screen = Commands::writeScreen(pixels);
    app.port.output(screen.at(0));
    for (int row = 0; row < BoardGeometry::Height; ++row) {
        QVERIFY(app.port.output(screen.mid(1 + row * BoardGeometry::Width, BoardGeometry::Width)));
        QVERIFY2(app.awaits("!"), qPrintable(QStringLiteral("row %1").arg(row)));
    }
    QCOMPARE(board.emulator().screen(), pixels);
    QCOMPARE(board.emulator().errorCount(), 0);
    app.port.close();
}

void tst_BoardPty::hearsOnlyItsOwnSpeed() {
    PseudoTerminalBoard::Options options;
    options.baudRate = 9600;
    PseudoTerminalBoard board(options);
    QVERIFY2(board.isOpen(), qPrintable(board.errorString()));
    {
        AppPort fast(board.devicePath(), QStringLiteral("115200,N,8,1"));
        QVERIFY(fast.port.open());
        fast.port.output(Commands::identifyController());
        fast.port.output(Commands::clearScreen(99));
        QTRY_VERIFY(board.emulator().ignoredByteCount() >= 5);
        QVERIFY(fast.port.input().isEmpty());
        QCOMPARE(board.emulator().pixel(0, 0), quint8(0));
    }
    AppPort slow(board.devicePath(), QStringLiteral("9600,N,8,1"));
    QVERIFY(slow.port.open());
    QVERIFY(slow.identifies());

    // The board takes a new speed; the app follows it after reopening.
    slow.port.output(Commands::setControllerBaudRate(5));
    QTRY_COMPARE(board.emulator().baudRate(), 57600);
    slow.port.close();
    AppPort followed(board.devicePath(), QStringLiteral("57600,N,8,1"));
    QVERIFY(followed.port.open());
    QVERIFY(followed.identifies());
}

void tst_BoardPty::dropsACommandWhoseSenderClosedThePort() {
    PseudoTerminalBoard board;
    QVERIFY2(board.isOpen(), qPrintable(board.errorString()));
    {
        AppPort leaving(board.devicePath(), QStringLiteral("115200,N,8,1"));
        QVERIFY(leaving.port.open());
        leaving.port.output(
            Commands::writeScreen(QByteArray(BoardGeometry::PixelCount, char(5))).mid(0, 5000));
        QTRY_VERIFY(board.emulator().midCommand());
    }
    // Closing the port gives the device its old settings back: the board notices and
    // drops the half-received picture, well before a sender's pause would count as gone.
    QTRY_VERIFY_WITH_TIMEOUT(!board.emulator().midCommand(),
                             StalledCommandGuard::DefaultQuietLimitMs * 2 / 3);
    QCOMPARE(board.emulator().errorCount(), 1);

    AppPort back(board.devicePath(), QStringLiteral("115200,N,8,1"));
    QVERIFY(back.port.open());
    QVERIFY(back.identifies());
}

void tst_BoardPty::pacesAtTheLineRateWhenAsked() {
    PseudoTerminalBoard::Options options;
    options.lineRate = true;
    PseudoTerminalBoard board(options);
    QVERIFY2(board.isOpen(), qPrintable(board.errorString()));
    AppPort app(board.devicePath(), QStringLiteral("115200,N,8,1"));
    QVERIFY(app.port.open());
    QVERIFY(app.identifies());
    // A row of a picture goes through and is acknowledged.
    const WriteList screen = Commands::writeScreen(picture());
    app.port.output(screen.mid(0, 1 + BoardGeometry::Width));
    QVERIFY(app.awaits("!"));
    QCOMPARE(board.emulator().screen().first(BoardGeometry::Width),
             picture().first(BoardGeometry::Width));
    QVERIFY(board.emulator().midCommand());
}

QTEST_MAIN(tst_BoardPty)
#include "tst_board_pty.moc"
