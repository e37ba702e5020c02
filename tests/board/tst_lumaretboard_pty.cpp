#include "engine/colorvalue.h"
#include "engine/commands.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

QString programPath() {
    return qEnvironmentVariable("LUMARET_BIN_DIR") + QStringLiteral("/lumaret-board");
}

// Collects a process's standard output until it holds the text.
bool outputContains(QProcess& process, QByteArray& output, const QByteArray& text) {
    for (int i = 0; i < 50 && !output.contains(text); ++i) {
        process.waitForReadyRead(100);
        output += process.readAllStandardOutput();
    }
    return output.contains(text);
}

// QSerialPort writes on the event loop; a test without one waits for the bytes to go.
void send(QSerialPort& port, const QByteArray& bytes) {
    port.write(bytes);
    while (port.bytesToWrite() > 0 && port.waitForBytesWritten(1000)) {
    }
}

QByteArray readFrom(QSerialPort& port, qsizetype count) {
    QByteArray received;
    for (int i = 0; i < 50 && received.size() < count; ++i) {
        port.waitForReadyRead(100);
        received += port.readAll();
    }
    return received;
}

// lumaret-board started with its device linked into a folder of the test's own.
struct RunningBoard {
    QTemporaryDir folder;
    const QString link = folder.filePath(QStringLiteral("board"));
    QProcess program;
    QByteArray output;

    // Started, it prints its device's path first.
    bool start(const QStringList& arguments) {
        program.start(programPath(), QStringList{QStringLiteral("--link"), link} + arguments);
        return program.waitForStarted() && outputContains(program, output, "\n");
    }
    // The signal ends it cleanly, its link gone.
    bool endsOn(int signal) {
        ::kill(pid_t(program.processId()), signal);
        return program.waitForFinished(5000) && program.exitStatus() == QProcess::NormalExit &&
               program.exitCode() == 0 && !QFileInfo(link).isSymLink();
    }
};

} // namespace

// lumaret-board as a user runs it: a console program on a pseudo-terminal.
class tst_LumaretBoard : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void servesTheDeviceTakesConsoleCommandsAndSignals();
    void listensAtItsSpeedPacedAndEndsOnInterrupt();
    void rejectsWhatItCannotDo();
};

void tst_LumaretBoard::servesTheDeviceTakesConsoleCommandsAndSignals() {
    RunningBoard board;
    QProcess& program = board.program;
    QByteArray& output = board.output;
    const QString screenshot = board.folder.filePath(QStringLiteral("screen.png"));
    QVERIFY2(board.start({QStringLiteral("--screenshot"), screenshot, QStringLiteral("--log")}),
             qPrintable(program.errorString()));
    const QString device = QString::fromLocal8Bit(output.left(output.indexOf('\n')));
    QVERIFY(device.startsWith(QLatin1String("/dev/")));
    QCOMPARE(QFileInfo(board.link).symLinkTarget(), device);

    QSerialPort port(board.link);
    port.setBaudRate(115200);
    QVERIFY2(port.open(QIODevice::ReadWrite), qPrintable(port.errorString()));
    send(port, Commands::identifyController().bytes());
    QCOMPARE(readFrom(port, 3), QByteArray("100"));
    send(port, Commands::clearScreen(224).bytes() + Commands::touchCoordinatesOn().bytes());
    QVERIFY(outputContains(program, output, "TouchCoordinatesOn"));
    QVERIFY(output.contains("ClearScreen color=224"));

    // The console presses the touch screen; the report goes to the device. A mistake
    // is told on the error output, and the program goes on.
    program.write("touch 260 200\nfly\nstate\n");
    program.waitForBytesWritten(1000);
    QCOMPARE(readFrom(port, 8), QByteArray("1,4,200$"));
    QVERIFY(outputContains(program, output, "touch Coordinates"));
    QByteArray errors;
    QTRY_VERIFY((errors += program.readAllStandardError()).contains("error: "));

    ::kill(pid_t(program.processId()), SIGUSR1);
    QTRY_VERIFY(QFileInfo(screenshot).size() > 0);
    QCOMPARE(QImage(screenshot).pixel(0, 0), ColorValue::expand(224));

    // The end of the console input is not the end of the program; SIGTERM ends it
    // cleanly: a last screenshot, the link gone.
    QFile::remove(screenshot);
    send(port, Commands::fillRectangle({0, 0}, {9, 9}, 3).bytes());
    QVERIFY(outputContains(program, output, "FillRectangle"));
    program.closeWriteChannel();
    QVERIFY(!program.waitForFinished(200));
    QVERIFY(board.endsOn(SIGTERM));
    QCOMPARE(QImage(screenshot).pixel(5, 5), ColorValue::expand(3));
}

void tst_LumaretBoard::listensAtItsSpeedPacedAndEndsOnInterrupt() {
    RunningBoard board;
    QVERIFY2(board.start(
                 {QStringLiteral("--baud"), QStringLiteral("9600"), QStringLiteral("--line-rate")}),
             qPrintable(board.program.errorString()));
    QSerialPort port(board.link);
    port.setBaudRate(115200);
    QVERIFY2(port.open(QIODevice::ReadWrite), qPrintable(port.errorString()));
    // Asked at another speed, it does not answer.
    send(port, Commands::identifyController().bytes());
    QVERIFY(!port.waitForReadyRead(300));
    QVERIFY(port.setBaudRate(9600));
    send(port, Commands::identifyController().bytes());
    QCOMPARE(readFrom(port, 3), QByteArray("100"));
    // Paced, a row of a picture (a third of a second) still goes through whole.
    send(port, Commands::writeScreen(QByteArray(76800, char(7))).mid(0, 1 + 320).bytes());
    QCOMPARE(readFrom(port, 1), QByteArray("!"));

    QVERIFY(board.endsOn(SIGINT));
}

void tst_LumaretBoard::rejectsWhatItCannotDo() {
    QProcess badBaud;
    badBaud.start(programPath(), {QStringLiteral("--baud"), QStringLiteral("1234")});
    QVERIFY(badBaud.waitForFinished(5000));
    QCOMPARE(badBaud.exitCode(), 2);
    QVERIFY(badBaud.readAllStandardError().contains("--baud"));

    // A file at the link's path is not the program's to replace.
    QTemporaryDir folder;
    const QString taken = folder.filePath(QStringLiteral("taken"));
    QFile file(taken);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("keep me");
    file.close();
    QProcess badLink;
    badLink.start(programPath(), {QStringLiteral("--link"), taken});
    QVERIFY(badLink.waitForFinished(5000));
    QCOMPARE(badLink.exitCode(), 1);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("keep me"));
}

QTEST_MAIN(tst_LumaretBoard)
#include "tst_lumaretboard_pty.moc"
