#include "cli/cliarguments.h"
#include "cli/cliprogram.h"
#include "cli/console.h"
#include "cli/uploadsources.h"
#include "engine/boardengine.h"
#include "engine/portcatalog.h"
#include "engine/portsystem.h"
#include "manualclock.h"
#include "recordinglink.h"

#include <QFile>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Two adapters: this user is in ttyUSB0's group, not in ttyUSB1's.
class MadeUpSystem : public PortSystem {
public:
    PortEvidence port(const QString& device) const override {
        PortEvidence port;
        port.device = QStringLiteral("/dev/") + device;
        port.kind = device.startsWith(QLatin1String("ttyUSB")) ? PortEvidence::Kind::Terminal
                                                               : PortEvidence::Kind::Missing;
        port.mode = 0660;
        port.groupId = device == QLatin1String("ttyUSB0") ? 20 : 27;
        port.groupName = device == QLatin1String("ttyUSB0") ? QStringLiteral("dialout")
                                                            : QStringLiteral("plugdev");
        return port;
    }
    UserEvidence user() const override {
        UserEvidence user;
        user.userId = 1000;
        user.loginGroupIds = {1000, 20};
        user.groupFileIds = user.loginGroupIds;
        return user;
    }
    SystemEvidence system() const override { return {true, {}}; }
};

// lumaret-cli in the test's process with the test's ports and clock, its output kept.
struct Cli {
    explicit Cli(TestLine* line = nullptr)
        : console({[this](const QByteArray& bytes) { out += bytes; },
                   [this](const QByteArray& bytes) { err += bytes; }, false, 80})
        , program(console, {clock, [line] {
                                return std::make_shared<PortCatalog>(
                                    [] {
                                        return QList<PortEntry>{
                                            {QStringLiteral("ttyUSB0"), QStringLiteral("ttyUSB0")},
                                            {QStringLiteral("ttyUSB1"), QStringLiteral("ttyUSB1")}};
                                    },
                                    [line](const QString& name) -> std::unique_ptr<SerialLink> {
                                        if (!line)
                                            return nullptr;
                                        return std::make_unique<RecordingLink>(*line, name);
                                    });
                            }}) {
        program.setPortSystem(std::make_shared<MadeUpSystem>());
    }
    void start(const QString& line) {
        program.start(line.split(QLatin1Char(' '), Qt::SkipEmptyParts));
    }
    bool finishes() {
        return clock->advanceUntil([this] { return program.isFinished(); });
    }
    // The board's bytes, found by the engine's next receive poll.
    void poll(TestLine& line, const QByteArray& arrived) {
        line.answer(arrived);
        clock->advanceToTick(program.runs().constFirst()->engine(), QStringLiteral("Timer2"));
    }

    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
    QByteArray out;
    QByteArray err;
    Console console;
    CliProgram program;
};

// What a hostile board sends: every byte value, many times over.
QByteArray flood(qsizetype size) {
    QByteArray bytes(size, '\0');
    QRandomGenerator random(7);
    for (char& byte : bytes)
        byte = char(random.bounded(256));
    return bytes;
}

// Nothing a terminal would act on: only printable text and line ends.
bool printableLines(const QByteArray& output) {
    return std::all_of(output.begin(), output.end(),
                       [](char byte) { return byte == '\n' || (byte >= 0x20 && byte < 0x7f); });
}

// The most memory this process has held so far, in kilobytes; 0 where the system does
// not tell.
qint64 peakMemoryKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

} // namespace

class tst_CliPorts : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void marksAndExplainsPortsThisUserCannotOpen();
    void aFloodNeverReachesTheTerminal();
    void aChainHoldsOnePictureAtATime();
};

void tst_CliPorts::marksAndExplainsPortsThisUserCannotOpen() {
    {
        Cli cli;
        cli.start(QStringLiteral("ports"));
        QVERIFY(cli.program.isFinished());
        QCOMPARE(cli.out, QByteArray("ttyUSB0\nttyUSB1  (you may not open it: lumaret-cli doctor "
                                     "ttyUSB1 tells why)\nsim (the built-in board simulator)\n"));
    }
    {
        Cli cli;
        cli.start(QStringLiteral("doctor"));
        QVERIFY(cli.program.isFinished());
        QCOMPARE(cli.program.exitCode(), 2);
        const QString out = QString::fromUtf8(cli.out);
        for (const char* text :
             {"/dev/ttyUSB0\n  device: a serial port, crw-rw---- 0:dialout\n  access: you may "
              "open it\n  held by: nobody\n\n/dev/ttyUSB1\n",
              "  access: you may not open it\n", "sudo usermod -aG plugdev $USER",
              "\nModemManager is running"})
            QVERIFY2(out.contains(QLatin1String(text)), qPrintable(out));
    }
    {
        Cli cli;
        cli.start(QStringLiteral("doctor ttyUSB0"));
        QCOMPARE(cli.program.exitCode(), 0);
        QVERIFY(cli.out.startsWith("/dev/ttyUSB0\n"));
        QVERIFY(!cli.out.contains("ttyUSB1"));
    }
    {
        Cli cli;
        cli.start(QStringLiteral("doctor ttyUSB0 ttyUSB1"));
        QCOMPARE(cli.program.exitCode(), 1);
        QCOMPARE(cli.err, QByteArray("lumaret-cli: doctor takes [PORT], not 2 arguments\n"));
    }
}

void tst_CliPorts::aFloodNeverReachesTheTerminal() {
    const QByteArray noise = flood(200000);
    {
        TestLine line;
        Cli cli(&line);
        cli.start(QStringLiteral("--port ttyUSB0 --trace identify"));
        QCOMPARE(line.writes.size(), 1);
        line.answer("100" + noise);
        QVERIFY(cli.finishes());
        QCOMPARE(cli.program.exitCode(), 0);
        QVERIFY(printableLines(cli.out));
        QVERIFY(printableLines(cli.err));
        QVERIFY2(cli.out.size() < 20000, QByteArray::number(cli.out.size()));
        QVERIFY(cli.out.startsWith("100"));
        QVERIFY(cli.out.endsWith(" more bytes\n"));
    }
    {
        TestLine line;
        Cli cli(&line);
        cli.start(QStringLiteral("--port ttyUSB0 touch --keypad --count 3 -- touch --count 2"));
        line.answer("100");
        QVERIFY(cli.clock->advanceUntil([&] { return line.writes.size() == 2; }));
        // Keypad: each read is one report.
        for (int chunk = 0; chunk < 3; ++chunk)
            cli.poll(line, noise.mid(chunk * 1000, 1000));
        QVERIFY(cli.clock->advanceUntil([&] { return line.writes.size() == 4; }));
        // Coordinates: garbage between the "$" that end reports.
        for (int chunk = 0; chunk < 2; ++chunk)
            cli.poll(line, noise.mid(5000 + chunk * 300, 300) + "$0,12,34$");
        QVERIFY(cli.finishes());
        QVERIFY(printableLines(cli.out));
        QVERIFY(printableLines(cli.err));
        QVERIFY(cli.out.endsWith("12 34\n12 34\n"));
    }
}

void tst_CliPorts::aChainHoldsOnePictureAtATime() {
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("AddressSanitizer keeps freed memory in quarantine: the peak tells nothing here");
#endif
    if (peakMemoryKb() == 0)
        QSKIP("this system does not tell a process's peak memory");
    QTemporaryDir folder;
    const QString picture = folder.filePath(QStringLiteral("noise.png"));
    QImage noise(320, 240, QImage::Format_RGB32);
    QRandomGenerator random(3);
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x)
            noise.setPixel(x, y, random.generate());
    QVERIFY(noise.save(picture));
    // A call's steps live as long as its run: what they hold stays until the end.
    const auto preparedChain = [&picture](int previews) {
        QStringList line{QStringLiteral("--port"), QStringLiteral("sim")};
        for (int step = 0; step < previews; ++step)
            line << QStringLiteral("preview") << picture << QStringLiteral("--");
        line.removeLast();
        CliRequest request = CliArguments::parse(line);
        const bool prepared = !UploadSources::prepare(request.steps);
        return prepared ? request.steps : QList<CliStep>{};
    };
    const QList<CliStep> three = preparedChain(3);
    QCOMPARE(three.size(), 3);
    const qint64 afterThree = peakMemoryKb();
    const QList<CliStep> hundred = preparedChain(100);
    QCOMPARE(hundred.size(), 100);
    const qint64 afterHundred = peakMemoryKb();
    // Every picture's upload held until the end took over 100 MB here.
    QVERIFY2(
        afterHundred - afterThree < 20 * 1024,
        qPrintable(
            QStringLiteral("%1 kB after 3, %2 kB after 100").arg(afterThree).arg(afterHundred)));
    // Its step still makes the upload when it runs.
    QString error;
    const std::optional<UploadPlan> plan = UploadSources::planFor(hundred.last(), &error);
    QVERIFY2(plan && plan->byteCount() == 76802, qPrintable(error));
}

QTEST_MAIN(tst_CliPorts)
#include "tst_cliports.moc"
