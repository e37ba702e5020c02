#include "board/boardemulator.h"
#include "cli/boardrun.h"
#include "cli/cliprogram.h"
#include "cli/console.h"
#include "cli/progressview.h"
#include "engine/msserial.h"
#include "engine/portcatalog.h"
#include "engine/uploader.h"
#include "picturefiles.h"
#include "testbench.h"

#include <QComboBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

QStringList words(const QString& line) {
    return line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

std::shared_ptr<PortCatalog> noPorts() {
    return std::make_shared<PortCatalog>(
        [] { return QList<PortEntry>{}; },
        [](const QString&) -> std::unique_ptr<SerialLink> { return nullptr; });
}

// One port, COM1, whose far end the test plays.
std::function<std::shared_ptr<PortCatalog>()> portTo(TestLine& line) {
    return [&line] {
        return std::make_shared<PortCatalog>(
            [] {
                return QList<PortEntry>{{QStringLiteral("COM1"), QStringLiteral("COM1")}};
            },
            [&line](const QString& name) { return std::make_unique<RecordingLink>(line, name); });
    };
}

// lumaret-cli in the test's process: its output is kept, its ports and clock are the test's.
struct Cli {
    explicit Cli(std::function<std::shared_ptr<PortCatalog>()> ports = noPorts,
                 bool terminal = false)
        : console({[this](const QByteArray& bytes) { out += bytes; },
                   [this](const QByteArray& bytes) { err += bytes; }, terminal, 80})
        , program(console, {clock, std::move(ports)}) {
        QObject::connect(&program, &CliProgram::runCreated, &program, [this](BoardRun* run) {
            board = run->simulator();
            QObject::connect(&run->engine(), &BoardEngine::lineTraffic, &program,
                             [this](const LineTraffic& traffic) {
                                 if (traffic.direction == LineTraffic::Direction::ToBoard)
                                     sent += traffic.bytes;
                             });
        });
    }
    bool run(const QString& line) {
        program.start(words(line));
        return finishes();
    }
    bool finishes(qint64 stepMs = 1) {
        return clock->advanceUntil([this] { return program.isFinished(); }, 60000, stepMs);
    }
    // What was posted is delivered (queued signals, the simulator's answers), the clock
    // standing still; then whether done holds.
    bool settled(const std::function<bool()>& done) { return clock->advanceUntil(done, 0); }

    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
    QByteArray out;
    QByteArray err;
    QByteArray sent;
    BoardEmulator* board = nullptr;
    Console console;
    CliProgram program;
};

QString savedPicture(const QTemporaryDir& folder, const QImage& picture) {
    const QString file = folder.filePath(QStringLiteral("picture.png"));
    return picture.save(file) ? file : QString();
}

} // namespace

// lumaret-cli on the engine, in-process: the built-in simulator and lines the test plays.
class tst_CliRun : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void sendsTheGraphicWindowsBytes_data();
    void sendsTheGraphicWindowsBytes();
    void tellsWhyNoBoardAnswered();
    void silentBoardDuringAnUploadIsAnError();
    void slowBoardStopsInTime();
    void touchPausesKeepTheUtilitiesTimings();
    void boardGoneDuringAnUploadExitsThree();
    void interruptFinishesTheBoardsCommand();
    void printsTouchReportsThenSwitchesThemOff();
    void changesTheBoardsSpeedAndGoesOn();
    void showsProgressAsTheOutputAllows();
};

void tst_CliRun::sendsTheGraphicWindowsBytes_data() {
    QTest::addColumn<QString>("fit");
    QTest::addColumn<QString>("dither");
    QTest::newRow("as is") << QStringLiteral("as-is") << QStringLiteral("none");
    QTest::newRow("fill, ordered") << QStringLiteral("fill") << QStringLiteral("ordered");
    QTest::newRow("fit, diffusion") << QStringLiteral("fit") << QStringLiteral("diffusion");
}

void tst_CliRun::sendsTheGraphicWindowsBytes() {
    QFETCH(QString, fit);
    QFETCH(QString, dither);
    QTemporaryDir folder;
    const QString file = savedPicture(folder, noisePicture(410, 250));

    // The graphic window's preview, to its simulator.
    TestBench bench(QStringList{}, true);
    bench.connectSimulator();
    QByteArray windowSent;
    QObject::connect(&bench.engine(), &BoardEngine::lineTraffic, [&](const LineTraffic& traffic) {
        if (traffic.direction == LineTraffic::Direction::ToBoard)
            windowSent += traffic.bytes;
    });
    const QString graphic = QStringLiteral("frmGraphic");
    bench.open(graphic);
    bench.find<QComboBox>(graphic, QStringLiteral("cboSize"))
        ->setCurrentIndex(int(*pictureFitNamed(fit)));
    bench.find<QComboBox>(graphic, QStringLiteral("cboDither"))
        ->setCurrentIndex(int(*pictureDitherNamed(dither)));
    bench.dialogs().fileAnswers.append(file);
    click(bench.find<QPushButton>(graphic, QStringLiteral("cmdOpen")));
    click(bench.find<QPushButton>(graphic, QStringLiteral("cmdPreview")));
    for (int poll = 0; poll < 1000 && bench.engine().uploadBusy(); ++poll)
        bench.clock().advanceToTick(bench.engine(), QStringLiteral("Timer2"));
    QCOMPARE(windowSent.size(), 2 + 76800);

    Cli cli;
    QVERIFY(cli.run(
        QStringLiteral("--port sim preview %1 --fit %2 --dither %3").arg(file, fit, dither)));
    QCOMPARE(cli.program.exitCode(), 0);
    QCOMPARE(cli.sent.left(2), QByteArray("ID"));
    QCOMPARE(cli.sent.mid(2), windowSent);
}

void tst_CliRun::tellsWhyNoBoardAnswered() {
    TestLine line;
    {
        Cli cli;
        QVERIFY(cli.run(QStringLiteral("--port nowhere identify")));
        QCOMPARE(cli.program.exitCode(), 2);
        QCOMPARE(cli.err, QByteArray("lumaret-cli: nowhere: cannot open the port: There is no "
                                     "port named \"nowhere\".\n"));
    }
    {
        // Without --port there must be a serial port: the simulator is used only when asked.
        Cli cli;
        QVERIFY(cli.run(QStringLiteral("identify")));
        QCOMPARE(cli.program.exitCode(), 2);
        QVERIFY(cli.err.startsWith("lumaret-cli: no serial port found"));
    }
    {
        // The first listed port is the default; the answer is printed as it came.
        Cli cli(portTo(line));
        cli.program.start(words(QStringLiteral("identify")));
        QCOMPARE(line.writes, QList<QByteArray>{"ID"});
        line.answer(" 100 v2.1\r\n");
        QVERIFY(cli.finishes());
        QCOMPARE(cli.program.exitCode(), 0);
        QCOMPARE(cli.out, QByteArray("100 v2.1\n"));
        QCOMPARE(line.openedPorts.last(), QStringLiteral("COM1"));
    }
    {
        // --all: every listed port, the simulator aside.
        Cli cli(portTo(line));
        cli.program.start(words(QStringLiteral("--all identify")));
        QCOMPARE(line.writes.size(), 2);
        line.answer("100");
        QVERIFY(cli.finishes());
        QCOMPARE(cli.program.exitCode(), 0);
        QVERIFY(!cli.board);
    }
}

void tst_CliRun::silentBoardDuringAnUploadIsAnError() {
    TestLine line;
    QTemporaryDir folder;
    Cli cli(portTo(line));
    cli.program.start(words(QStringLiteral("--port COM1 --timeout 2 preview %1")
                                .arg(savedPicture(folder, noisePicture(320, 240)))));
    line.answer("100");
    // The handshake's 50 ms step reads it.
    cli.clock->advance(50);
    // The header and the first row, then nothing comes back.
    QVERIFY(cli.settled([&] { return line.writes.size() == 1 + 1 + 320; }));
    cli.clock->advance(1999);
    QVERIFY(!cli.program.isFinished());
    cli.clock->advance(1);
    // The board's command is finished only if it answers; it has the engine's 2 s.
    cli.clock->advance(2000);
    QVERIFY(!cli.program.isFinished());
    // What was written gets its time on the line before the port closes.
    cli.clock->advance(50);
    QVERIFY(cli.program.isFinished());
    QCOMPARE(cli.program.exitCode(), 2);
    QVERIFY2(cli.err.contains("lumaret-cli: COM1: no answer from the board within 2 s during "
                              "preview (block 1 of 240); the board did not finish the "
                              "interrupted command"),
             cli.err.constData());
    QCOMPARE(line.writes.size(), 1 + 1 + 320);
}

// One answer a second: the time-out stops the preview, and finishing it ends within the
// rest at the line's speed plus 2 s, the board told to be reset.
void tst_CliRun::slowBoardStopsInTime() {
    TestLine line;
    QTemporaryDir folder;
    Cli cli(portTo(line));
    cli.program.start(words(QStringLiteral("--port COM1 --timeout 0.5 preview %1")
                                .arg(savedPicture(folder, noisePicture(320, 240)))));
    line.answer("100");
    cli.clock->advance(50);
    QVERIFY(cli.settled([&] { return line.writes.size() == 1 + 1 + 320; }));
    // Stopped after 0.5 s; 239 rows at 115200 bit/s take 6639 ms, then 2 s, then the drain.
    const qint64 boundMs = 500 + 6639 + 2000;
    qint64 waited = 0;
    for (; waited + 1000 < boundMs && !cli.program.isFinished(); waited += 1000) {
        cli.clock->advance(1000);
        line.answer("!");
    }
    cli.clock->advance(boundMs - waited + MSserial::LineDrainMs);
    QVERIFY(cli.program.isFinished());
    QCOMPARE(cli.program.exitCode(), 2);
    QVERIFY2(cli.err.contains("no answer from the board within 0.5 s during preview") &&
                 cli.err.contains("reset it"),
             cli.err.constData());
}

// Touch reporting off, then the backlight after 251 ms and the beep on touch after 501 ms,
// as from the utilities window.
void tst_CliRun::touchPausesKeepTheUtilitiesTimings() {
    TestLine line;
    Cli cli(portTo(line));
    cli.program.start(words(QStringLiteral("--port COM1 backlight off -- beep-on-touch on")));
    QCOMPARE(line.writes, QList<QByteArray>{"ID"});
    line.takeWrites();
    line.answer("100");
    cli.clock->advance(50);
    QVERIFY(cli.settled([&] { return line.writes == QList<QByteArray>{"TD"}; }));
    line.takeWrites();
    cli.clock->advance(250);
    TestBench::settle();
    QVERIFY(line.writes.isEmpty());
    cli.clock->advance(1);
    QCOMPARE(line.takeWrites(), QList<QByteArray>{QByteArray("BL\0", 3)});
    QVERIFY(cli.settled([&] { return line.writes == QList<QByteArray>{"TD"}; }));
    line.takeWrites();
    cli.clock->advance(500);
    TestBench::settle();
    QVERIFY(line.writes.isEmpty());
    cli.clock->advance(1);
    QCOMPARE(line.takeWrites(), QList<QByteArray>{QByteArray("BT\1", 3)});
    QVERIFY(cli.finishes(10));
    QCOMPARE(cli.program.exitCode(), 0);
}

void tst_CliRun::boardGoneDuringAnUploadExitsThree() {
    TestLine line;
    QTemporaryDir folder;
    Cli cli(portTo(line));
    cli.program.start(words(
        QStringLiteral("--port COM1 save 2 %1").arg(savedPicture(folder, noisePicture(30, 30)))));
    QCOMPARE(line.writes.size(), 1);
    line.answer("100");
    QVERIFY(cli.clock->advanceUntil([&] { return line.writes.size() == 2; }));
    line.answer("!");
    QVERIFY(cli.clock->advanceUntil([&] { return line.writes.size() == 2 + 256; }));
    line.unplug({13, QStringLiteral("Device removed")});
    QVERIFY(cli.finishes());
    QCOMPARE(cli.program.exitCode(), 3);
    QVERIFY2(cli.err.contains("COM1: the board went away during save, after 3 of "),
             cli.err.constData());
    QVERIFY(cli.err.contains("(Device removed)"));
}

void tst_CliRun::interruptFinishesTheBoardsCommand() {
    TestLine line;
    QTemporaryDir folder;
    QImage black(320, 240, QImage::Format_RGB32);
    black.fill(Qt::black);
    const QString file = savedPicture(folder, black);
    {
        Cli cli(portTo(line));
        cli.program.start(words(QStringLiteral("--port COM1 preview %1").arg(file)));
        QCOMPARE(line.writes.size(), 1);
        line.takeWrites();
        line.answer("100");
        QVERIFY(cli.clock->advanceUntil([&] { return !line.writes.isEmpty(); }));
        line.answer("!");
        cli.program.interrupt();
        // The far end answers each block the moment it arrives.
        QVERIFY(cli.clock->advanceUntil([&] {
            line.answer("!");
            return cli.program.isFinished();
        }));
        QCOMPARE(cli.program.exitCode(), 130);
        QVERIFY2(cli.err.contains("COM1: interrupted during preview; the board's command was "
                                  "finished with filler"),
                 cli.err.constData());
        // The whole screen went out: two rows of the picture, the rest in the filler.
        const QByteArray sent = line.takeWrites().join();
        QCOMPARE(sent.size(), 2 + 76800);
        QCOMPARE(sent.mid(2, 640), QByteArray(640, char(0)));
        QCOMPARE(sent.mid(2 + 640), QByteArray(76800 - 640, char(255)));
    }
    {
        // A second Ctrl-C does not wait for the board.
        Cli cli(portTo(line));
        cli.program.start(words(QStringLiteral("--port COM1 preview %1").arg(file)));
        QCOMPARE(line.writes.size(), 1);
        line.takeWrites();
        line.answer("100");
        QVERIFY(cli.clock->advanceUntil([&] { return !line.writes.isEmpty(); }));
        cli.program.interrupt();
        QVERIFY(!cli.program.isFinished());
        cli.program.interrupt();
        QVERIFY(cli.program.isFinished());
        QCOMPARE(cli.program.exitCode(), 130);
        QVERIFY(cli.err.contains("interrupted again"));
    }
}

void tst_CliRun::printsTouchReportsThenSwitchesThemOff() {
    {
        Cli cli;
        cli.program.start(words(QStringLiteral("--port sim touch --count 3")));
        QVERIFY(cli.board);
        QVERIFY(cli.clock->advanceUntil(
            [&] { return cli.board->touchMode() == BoardEmulator::TouchMode::Coordinates; }));
        // Two reports in one read, then one more.
        cli.board->touch({260, 200});
        cli.board->touch({10, 20});
        QVERIFY(cli.clock->advanceUntil([&] { return !cli.out.isEmpty(); }));
        QCOMPARE(cli.out, QByteArray("260 200\n10 20\n"));
        cli.board->touch({5, 6});
        QVERIFY(cli.finishes());
        QCOMPARE(cli.program.exitCode(), 0);
        QCOMPARE(cli.out, QByteArray("260 200\n10 20\n5 6\n"));
        QCOMPARE(cli.board->touchMode(), BoardEmulator::TouchMode::Off);
    }
    {
        Cli cli;
        cli.program.start(words(QStringLiteral("--port sim touch --keypad --seconds 0.6")));
        QVERIFY(cli.clock->advanceUntil(
            [&] { return cli.board->touchMode() == BoardEmulator::TouchMode::Keypad; }));
        QVERIFY(cli.board->pressKey('5'));
        QVERIFY(cli.finishes());
        QCOMPARE(cli.out, QByteArray("5\n"));
        QCOMPARE(cli.program.exitCode(), 0);
        QCOMPARE(cli.board->touchMode(), BoardEmulator::TouchMode::Off);
    }
}

void tst_CliRun::changesTheBoardsSpeedAndGoesOn() {
    Cli cli;
    cli.program.start(words(QStringLiteral("--port sim baud 9600 -- clear 3 -- identify")));
    // The handshake's steps, a millisecond at a time, until the speed command went out.
    QVERIFY(cli.clock->advanceUntil([&] { return cli.board->baudRate() == 9600; }));
    // The board gets its 2.8 s before the program asks for it again, at the new speed.
    cli.clock->advance(50);
    cli.clock->advance(2799);
    TestBench::settle();
    QVERIFY(!cli.program.isFinished());
    cli.clock->advance(2);
    QVERIFY(cli.finishes(10));
    QCOMPARE(cli.program.exitCode(), 0);
    QCOMPARE(cli.out, QByteArray("100\n"));
}

void tst_CliRun::showsProgressAsTheOutputAllows() {
    const QLocale locale;
    const UploadProgress progress{116, 240, 37120, 76802, 3345};
    const QString bar = ProgressView::bar(QStringLiteral("Preview"), progress, 79);
    QVERIFY2(bar.startsWith(QLatin1String("Preview [##")) && bar.size() == 79, qPrintable(bar));
    for (const QString& figure : QStringList{
             QStringLiteral(" 48 %"),
             locale.toString(37120) + QLatin1Char('/') + locale.toString(76802) +
                 QStringLiteral(" bytes"),
             locale.toString(11.1, 'f', 1) + QStringLiteral(" kB/s"), QStringLiteral("  4 s left")})
        QVERIFY2(bar.contains(figure), qPrintable(bar));
    // Narrow, the bar goes first.
    const QString narrow = ProgressView::bar(QStringLiteral("Preview"), progress, 40);
    QVERIFY(!narrow.contains(QLatin1Char('[')) && narrow.size() <= 40);

    // On a terminal the status line stays at the bottom: other lines go above it.
    Cli terminal(noPorts, true);
    terminal.console.setStatus(QStringLiteral("bar"));
    terminal.console.error(QStringLiteral("note"));
    terminal.console.setStatus({});
    QCOMPARE(terminal.err, QByteArray("\r\033[Kbar\r\033[Knote\n\r\033[Kbar\r\033[K"));

    // Otherwise a line at each tenth, then what the upload took.
    QTemporaryDir folder;
    Cli plain;
    QVERIFY(plain.run(
        QStringLiteral("--port sim preview %1").arg(savedPicture(folder, noisePicture(50, 50)))));
    QCOMPARE(plain.program.exitCode(), 0);
    const QList<QByteArray> lines = plain.err.split('\n');
    QCOMPARE(lines.size(), 11);
    for (int tenth = 1; tenth <= 9; ++tenth)
        QVERIFY2(lines.at(tenth - 1).startsWith(
                     QStringLiteral("Preview: %1 %").arg(tenth * 10).toUtf8()),
                 lines.at(tenth - 1).constData());
    QVERIFY(lines.at(9).startsWith(
        QStringLiteral("Preview: %1 bytes in ").arg(locale.toString(76802)).toUtf8()));
    QVERIFY(!plain.err.contains('\r'));

    Cli quiet;
    QVERIFY(quiet.run(QStringLiteral("--quiet --port sim preview %1")
                          .arg(savedPicture(folder, noisePicture(50, 50)))));
    QCOMPARE(quiet.program.exitCode(), 0);
    QCOMPARE(quiet.err, QByteArray());
}

QTEST_MAIN(tst_CliRun)
#include "tst_clirun.moc"
