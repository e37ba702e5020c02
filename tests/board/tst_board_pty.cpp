#include "engine/clock.h"
#include "board/stalledcommandguard.h"
#include "pseudoterminalbench.h"
#include "engine/commands.h"
#include "engine/msserial.h"
#include "engine/portcatalog.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

namespace {

// The app's port object on the board's device at the board's speed.
struct AppPort {
    std::shared_ptr<PortCatalog> catalog;
    SystemClock clock;
    MSserial port;
    QByteArray received;

    explicit AppPort(const QString& path)
        : catalog(deviceCatalog(path))
        , port(*catalog, clock) {
        port.setCommPort(path);
        port.setSettings(QStringLiteral("115200,N,8,1"));
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
};

} // namespace

// The app's real serial port code (MSserial over QSerialPort) against the board
// simulator on a pseudo-terminal.
class tst_BoardPty : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void identifiesDrawsAndTakesAFullScreen();
};

// A sender that closes the port mid-command leaves nothing behind; the next one is
// identified, draws and writes a full screen.
void tst_BoardPty::identifiesDrawsAndTakesAFullScreen() {
    SystemClock clock;
    PseudoTerminalBoard board(clock);
    QVERIFY2(board.isOpen(), qPrintable(board.errorString()));
    {
        AppPort leaving(board.devicePath());
        QVERIFY2(leaving.port.open(), qPrintable(leaving.port.lastError().description));
        leaving.port.output(
            Commands::writeScreen(QByteArray(BoardGeometry::PixelCount, char(5))).mid(0, 5000));
        QTRY_VERIFY(board.emulator().midCommand());
    }
    // Closing the port gives the device its old settings back: the board notices and
    // drops the half-received picture, well before a sender's pause would count as gone.
    QTRY_VERIFY_WITH_TIMEOUT(!board.emulator().midCommand(),
                             StalledCommandGuard::DefaultQuietLimitMs * 2 / 3);
    QCOMPARE(board.emulator().errorCount(), 1);

    AppPort app(board.devicePath());
    QVERIFY(app.port.open());
    QVERIFY(app.port.output(Commands::identifyController()) && app.awaits("100"));
    app.port.output(Commands::drawLine({10, 50}, {300, 200}, 255));
    app.port.output(Commands::fillCircle({160, 120}, 30, 28));
    QTRY_COMPARE(board.emulator().pixel(160, 120), quint8(28));
    QCOMPARE(board.emulator().pixel(10, 50), quint8(255));
    QCOMPARE(board.emulator().pixel(300, 200), quint8(255));

    // Row by row, each sent once the previous one was acknowledged.
    QByteArray pixels(BoardGeometry::PixelCount, Qt::Uninitialized);
    for (int i = 0; i < pixels.size(); ++i)
        pixels[i] = char((i / 3 + i / BoardGeometry::Width) & 0xFF);
    const WriteList screen = Commands::writeScreen(pixels);
    app.port.output(screen.at(0));
    for (int row = 0; row < BoardGeometry::Height; ++row) {
        QVERIFY(app.port.output(screen.mid(1 + row * BoardGeometry::Width, BoardGeometry::Width)));
        QVERIFY2(app.awaits("!"), qPrintable(QStringLiteral("row %1").arg(row)));
    }
    QCOMPARE(board.emulator().screen(), pixels);
    QCOMPARE(board.emulator().errorCount(), 1);
}

QTEST_MAIN(tst_BoardPty)
#include "tst_board_pty.moc"
