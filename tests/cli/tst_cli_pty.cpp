#include "board/boardemulator.h"
#include "board/pty/pseudoterminal.h"
#include "cli/cliarguments.h"
#include "engine/colorvalue.h"
#include "font/fontcapture.h"
#include "graphic/pictureconversion.h"
#include "graphic/screencanvas.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

QString program(const char* name) {
    return qEnvironmentVariable("LUMARET_BIN_DIR") + QLatin1Char('/') + QLatin1String(name);
}

QStringList words(const QString& line) {
    return line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

QImage noise(int width, int height, quint32 seed) {
    QRandomGenerator random(seed);
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, random.generate() | 0xFF000000u);
    }
    return image;
}

// lumaret-board on a pseudo-terminal of its own, with its console on standard input.
class BoardProcess {
public:
    explicit BoardProcess(const QStringList& options = {}) {
        m_process.start(program("lumaret-board"), options);
        if (!m_process.waitForStarted())
            return;
        for (int i = 0; i < 50 && !m_output.contains('\n'); ++i) {
            m_process.waitForReadyRead(100);
            m_output += m_process.readAllStandardOutput();
        }
        device = QString::fromLocal8Bit(m_output.left(m_output.indexOf('\n')));
        m_output.clear();
    }
    ~BoardProcess() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    // The screen's colour values as a screenshot shows them, once they are the
    // expected ones (the board may still be taking the last bytes), or after 5 s.
    QByteArray screenOnceItShows(const QByteArray& expected) {
        QByteArray screen;
        const QDeadlineTimer deadline(5000);
        do {
            screen = screenshot();
        } while (screen != expected && !deadline.hasExpired());
        return screen;
    }
    QByteArray screenshot() {
        const QString file = m_folder.filePath(QStringLiteral("screen.png"));
        QFile::remove(file);
        m_process.write(QStringLiteral("screenshot %1\n").arg(file).toLocal8Bit());
        const QByteArray done = QStringLiteral("screenshot written to %1").arg(file).toLocal8Bit();
        for (int i = 0; i < 50 && !m_output.contains(done); ++i) {
            m_process.waitForReadyRead(100);
            m_output += m_process.readAllStandardOutput();
        }
        m_output.clear();
        const QImage image(file);
        // Its colour values, reduced as every picture is.
        return screenPixels(ScreenCanvas(image, Qt::white));
    }
    void kill() {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    // Everything the board printed (with --log: each command it carried out) once it
    // printed the text, or after 5 s.
    QByteArray outputOnceItShows(const QByteArray& text) {
        for (int i = 0; i < 50 && !m_output.contains(text); ++i) {
            m_process.waitForReadyRead(100);
            m_output += m_process.readAllStandardOutput();
        }
        return m_output;
    }

    QString device;

private:
    QProcess m_process;
    QByteArray m_output;
    QTemporaryDir m_folder;
};

struct Outcome {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// lumaret-cli to its end.
Outcome runCli(const QStringList& arguments) {
    QProcess cli;
    cli.start(program("lumaret-cli"), arguments);
    Outcome outcome;
    if (!cli.waitForFinished(60000))
        return outcome;
    outcome.exitCode = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
    outcome.out = cli.readAllStandardOutput();
    outcome.err = cli.readAllStandardError();
    return outcome;
}

// Reads a running program's error output until it holds the text.
bool errorOutputShows(QProcess& process, QByteArray& err, const QByteArray& text) {
    for (int i = 0; i < 300 && !err.contains(text); ++i) {
        process.waitForReadyRead(50);
        err += process.readAllStandardError();
    }
    return err.contains(text);
}

// What a board shows after the commands of a command line, worked out on an emulator of
// the test's own.
QByteArray screenAfter(const QStringList& arguments) {
    BoardEmulator board;
    const CliRequest request = CliArguments::parse(arguments);
    for (const CliStep& step : request.steps)
        board.feed(step.writes.bytes());
    return board.screen();
}

} // namespace

// lumaret-cli as users run it, against lumaret-board on pseudo-terminals.
class tst_CliPty : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void drawingSequenceShowsOnTheBoard();
    void previewSaveAndLoadShowThePictures();
    void loadsAFontAndWritesWithIt();
    void refusesBeforeAnythingIsSent();
    void silentPeerIsNoBoard();
    void runsOnTwoBoardsAtOnce();
    void interruptLeavesTheBoardReady();
    void screenshotOfARealBoardIsItsMirror();
};

void tst_CliPty::drawingSequenceShowsOnTheBoard() {
    BoardProcess board;
    QVERIFY(board.device.startsWith(QLatin1String("/dev/")));
    const QStringList commands = words(QStringLiteral(
        "clear #000080 -- line 0 0 319 239 --color 224 -- rect 10 10 100 60 --color 28 -- "
        "fill-rect 200 20 300 80 --color 3 -- circle 160 120 40 -- fill-circle 60 180 30 --color "
        "#ffff00 -- pixel 319 0 -- cursor 20 200 -- text Lumaret -- font-test"));
    const Outcome outcome = runCli(QStringList{QStringLiteral("--port"), board.device} + commands);
    QCOMPARE(outcome.exitCode, 0);
    QCOMPARE(outcome.err, QByteArray());
    const QByteArray expected = screenAfter(commands);
    QVERIFY(expected.count(char(ColorValue::reduce(0xFF000080))) < 76800 - 5000);
    QCOMPARE(board.screenOnceItShows(expected), expected);
}

void tst_CliPty::previewSaveAndLoadShowThePictures() {
    BoardProcess board;
    QTemporaryDir folder;
    const QString first = folder.filePath(QStringLiteral("first.png"));
    const QString second = folder.filePath(QStringLiteral("second.bmp"));
    QVERIFY(noise(330, 250, 1).save(first));
    QVERIFY(noise(500, 120, 2).save(second));

    Outcome outcome =
        runCli({QStringLiteral("--port"), board.device, QStringLiteral("preview"), first});
    QCOMPARE(outcome.exitCode, 0);
    QVERIFY(outcome.err.contains("Preview: "));
    const QByteArray shown = boardPixels(QImage(first), {});
    QCOMPARE(board.screenOnceItShows(shown), shown);

    // Stored with its options, the screen cleared, then shown from its slot.
    outcome = runCli(words(QStringLiteral("--port %1 --quiet save 12 %2 --fit stretch --dither "
                                          "diffusion -- clear 0 -- load 12")
                               .arg(board.device, second)));
    QCOMPARE(outcome.exitCode, 0);
    QCOMPARE(outcome.err, QByteArray());
    const QByteArray stored =
        boardPixels(QImage(second), {PictureFit::Stretch, PictureDither::Diffusion});
    QCOMPARE(board.screenOnceItShows(stored), stored);
}

void tst_CliPty::loadsAFontAndWritesWithIt() {
    BoardProcess board;
    const QStringList commands{
        QStringLiteral("font"),   QStringLiteral("DejaVu Sans"), QStringLiteral("16"),
        QStringLiteral("--slot"), QStringLiteral("2"),           QStringLiteral("--bold"),
        QStringLiteral("--"),     QStringLiteral("clear"),       QStringLiteral("0"),
        QStringLiteral("--"),     QStringLiteral("cursor"),      QStringLiteral("10"),
        QStringLiteral("30"),     QStringLiteral("--"),          QStringLiteral("text"),
        QStringLiteral("--font"), QStringLiteral("2"),           QStringLiteral("Hello, {board}!")};
    const Outcome outcome = runCli(QStringList{QStringLiteral("--port"), board.device} + commands);
    QCOMPARE(outcome.exitCode, 0);
    QVERIFY(outcome.err.contains("Font upload: "));

    // The same capture, fed to an emulator here, shows the same screen.
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(16);
    font.setBold(true);
    BoardEmulator expected;
    for (const UploadBlock& block :
         FontCapture::capture(font, font).uploadPlan(Commands::FontSlot::Font2).blocks)
        expected.feed(block.writes.bytes());
    for (const CliStep& step : CliArguments::parse(commands).steps)
        expected.feed(step.writes.bytes());
    QVERIFY(expected.fontLoaded(2));
    QVERIFY(expected.screen().count(char(0)) < 76800 - 200);
    QCOMPARE(board.screenOnceItShows(expected.screen()), expected.screen());
}

void tst_CliPty::refusesBeforeAnythingIsSent() {
    BoardProcess board({QStringLiteral("--log")});
    QTemporaryDir folder;
    const struct {
        QStringList arguments;
        QByteArray reason;
    } refusals[] = {
        {words(QStringLiteral("clear 0 -- pixel 1 999")),
         "lumaret-cli: pixel: Y must be a whole number from 0 to 255, not \"999\"\n"},
        {words(QStringLiteral("clear 0 -- preview %1")
                   .arg(folder.filePath(QStringLiteral("none.png")))),
         "none.png"},
        {{QStringLiteral("font"), QStringLiteral("No Such Family"), QStringLiteral("12"),
          QStringLiteral("--slot"), QStringLiteral("1")},
         "there is no font family \"No Such Family\""},
        {words(QStringLiteral("font DejaVuSans 255 --slot 1")), "there is no font family"},
        {{QStringLiteral("font"), QStringLiteral("DejaVu Sans"), QStringLiteral("255"),
          QStringLiteral("--slot"), QStringLiteral("1")},
         "larger than the 255 pixels the board takes: "},
    };
    for (const auto& refusal : refusals) {
        const Outcome outcome =
            runCli(QStringList{QStringLiteral("--port"), board.device} + refusal.arguments);
        QCOMPARE(outcome.exitCode, 1);
        QVERIFY2(outcome.err.contains(refusal.reason), outcome.err.constData());
        QCOMPARE(outcome.err.count("lumaret-cli: "), 1);
    }
    // The board heard nothing: the first command its log shows is the one that came next.
    QCOMPARE(runCli(words(QStringLiteral("--port %1 beep").arg(board.device))).exitCode, 0);
    const QByteArray log = board.outputOnceItShows("Beep");
    QVERIFY2(log.contains("Beep") && log.count('\n') == 2, log.constData());

    const Outcome help = runCli({QStringLiteral("--help")});
    QCOMPARE(help.exitCode, 0);
    QVERIFY(help.out.startsWith("Usage: lumaret-cli [OPTIONS] COMMAND"));
    const Outcome version = runCli({QStringLiteral("--version")});
    QCOMPARE(version.out, QByteArray("lumaret-cli 1.0.0\n"));
}

void tst_CliPty::silentPeerIsNoBoard() {
    PseudoTerminal silent;
    QVERIFY2(silent.isOpen(), qPrintable(silent.errorString()));
    QElapsedTimer clock;
    clock.start();
    const Outcome outcome =
        runCli({QStringLiteral("--port"), silent.devicePath(), QStringLiteral("identify")});
    QCOMPARE(outcome.exitCode, 2);
    QCOMPARE(QString::fromLocal8Bit(outcome.err),
             QStringLiteral("lumaret-cli: %1: no answer to the identification within 1.5 s\n")
                 .arg(silent.devicePath()));
    // Bounded by the identification's time-out, well before the default --timeout.
    QVERIFY(clock.elapsed() < 5000);
    QCOMPARE(silent.readAvailable(), QByteArray("ID"));
}

void tst_CliPty::runsOnTwoBoardsAtOnce() {
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("picture.png"));
    QVERIFY(noise(320, 240, 3).save(file));
    const QByteArray picture = boardPixels(QImage(file), {});
    {
        BoardProcess first;
        BoardProcess second;
        const Outcome outcome = runCli(words(QStringLiteral("--port %1 --port %2 preview %3 -- "
                                                            "fill-circle 160 120 20 --color 7")
                                                 .arg(first.device, second.device, file)));
        QCOMPARE(outcome.exitCode, 0);
        BoardEmulator expected;
        expected.feed(Commands::writeScreen(picture).bytes());
        expected.feed(Commands::fillCircle({160, 120}, 20, 7).bytes());
        QCOMPARE(first.screenOnceItShows(expected.screen()), expected.screen());
        QCOMPARE(second.screenOnceItShows(expected.screen()), expected.screen());
        // The table: each board, its time and result.
        QVERIFY(outcome.out.startsWith("PORT"));
        QCOMPARE(outcome.out.count(" done\n"), 2);
    }
    {
        // One board goes away in the middle of its upload; the other's upload completes.
        BoardProcess steady;
        BoardProcess doomed({QStringLiteral("--line-rate")});
        QProcess cli;
        cli.start(program("lumaret-cli"), words(QStringLiteral("--port %1 --port %2 preview %3")
                                                    .arg(steady.device, doomed.device, file)));
        QByteArray err;
        QVERIFY2(errorOutputShows(
                     cli, err, (doomed.device + QStringLiteral(": Preview: 10 %")).toLocal8Bit()),
                 err.constData());
        doomed.kill();
        QVERIFY(cli.waitForFinished(10000));
        err += cli.readAllStandardError();
        QCOMPARE(cli.exitCode(), 3);
        QVERIFY2(
            err.contains((doomed.device + QStringLiteral(": the board went away")).toLocal8Bit()),
            err.constData());
        QCOMPARE(steady.screenOnceItShows(picture), picture);
        const QByteArray table = cli.readAllStandardOutput();
        QVERIFY(table.contains((steady.device).toLocal8Bit()) && table.contains(" done\n"));
        QVERIFY(table.contains("failed (3)"));
    }
}

void tst_CliPty::interruptLeavesTheBoardReady() {
    BoardProcess board;
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("picture.png"));
    QVERIFY(noise(320, 240, 4).save(file));
    // Paced by the receive poll, the preview lasts long enough to be interrupted.
    QProcess cli;
    cli.start(program("lumaret-cli"),
              words(QStringLiteral("--port %1 --pace poll preview %2").arg(board.device, file)));
    QByteArray err;
    QVERIFY(errorOutputShows(cli, err, "Preview: 10 %"));
    ::kill(pid_t(cli.processId()), SIGINT);
    QVERIFY(cli.waitForFinished(10000));
    err += cli.readAllStandardError();
    QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
    QCOMPARE(cli.exitCode(), 130);
    QVERIFY2(
        err.contains("interrupted during preview; the board's command was finished with filler"),
        err.constData());

    // The picture's first rows, the rest in white; the board takes the next command.
    const QByteArray picture = boardPixels(QImage(file), {});
    const QByteArray screen = board.screenshot();
    QCOMPARE(screen.left(320), picture.left(320));
    QCOMPARE(screen.right(320), QByteArray(320, char(255)));
    QCOMPARE(runCli(words(QStringLiteral("--port %1 clear 224").arg(board.device))).exitCode, 0);
    QCOMPARE(board.screenOnceItShows(QByteArray(76800, char(224))), QByteArray(76800, char(224)));
}

// A real port's screenshot is the mirror: the board's pixels where the commands drew,
// transparent elsewhere, and said so. The --trace of a run replays to the same screen.
void tst_CliPty::screenshotOfARealBoardIsItsMirror() {
    BoardProcess board;
    QTemporaryDir folder;
    const QString mirror = folder.filePath(QStringLiteral("mirror.png"));
    Outcome outcome = runCli(words(QStringLiteral("--port %1 --screenshot %2 fill-rect 10 10 100 "
                                                  "60 --color 224 -- circle 160 120 40 --color 28")
                                       .arg(board.device, mirror)));
    QCOMPARE(outcome.exitCode, 0);
    QVERIFY(outcome.err.contains("the screenshot is a mirror"));
    const QByteArray shown = board.screenshot();
    const QImage mirrored(mirror);
    int known = 0;
    for (int y = 0; y < 240; ++y) {
        for (int x = 0; x < 320; ++x) {
            const QRgb pixel = mirrored.pixel(x, y);
            if (qAlpha(pixel) == 0)
                continue;
            ++known;
            QCOMPARE(ColorValue::reduce(pixel), quint8(shown.at(y * 320 + x)));
        }
    }
    QVERIFY(known > 91 * 51 && known < 91 * 51 + 2 * 3.15 * 40);
    QCOMPARE(qAlpha(mirrored.pixel(9, 9)), 0);
    QVERIFY(qAlpha(mirrored.pixel(10, 10)) == 255 && qAlpha(mirrored.pixel(120, 120)) == 255);

    const QString picture = folder.filePath(QStringLiteral("noise.png"));
    QVERIFY(noise(320, 240, 3).save(picture));
    outcome = runCli(words(QStringLiteral("--port %1 --quiet --trace --screenshot %2 preview %3 -- "
                                          "circle 100 100 30 --color 3")
                               .arg(board.device, mirror, picture)));
    QCOMPARE(outcome.exitCode, 0);
    const QString trace = folder.filePath(QStringLiteral("trace.txt"));
    const qsizetype traceLines = outcome.err.count('\n');
    QFile traceFile(trace);
    QVERIFY(traceFile.open(QIODevice::WriteOnly));
    traceFile.write(outcome.err);
    traceFile.close();
    const QString replayed = folder.filePath(QStringLiteral("replayed.png"));
    outcome = runCli({QStringLiteral("replay"), trace, QStringLiteral("--screenshot"), replayed});
    QCOMPARE(outcome.exitCode, 0);
    QCOMPARE(QImage(replayed), QImage(mirror));
    QCOMPARE(screenPixels(ScreenCanvas(QImage(replayed), Qt::white)), board.screenshot());
    outcome = runCli({QStringLiteral("replay"), trace, QStringLiteral("--screenshot"), replayed,
                      QStringLiteral("--at"), QStringLiteral("0")});
    QCOMPARE(outcome.exitCode, 0);
    QCOMPARE(qAlpha(QImage(replayed).pixel(100, 100)), 0);

    traceFile.open(QIODevice::WriteOnly | QIODevice::Append);
    traceFile.write("0.5 > garbage\n");
    traceFile.close();
    outcome = runCli({QStringLiteral("replay"), trace, QStringLiteral("--screenshot"), replayed});
    QCOMPARE(outcome.exitCode, 1);
    QCOMPARE(outcome.err, QStringLiteral("lumaret-cli: %1: line %2: not a line of a trace\n")
                              .arg(trace)
                              .arg(traceLines + 1)
                              .toUtf8());
}

QTEST_MAIN(tst_CliPty)
#include "tst_cli_pty.moc"
