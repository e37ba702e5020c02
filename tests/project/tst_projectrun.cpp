#include "board/boardemulator.h"
#include "cli/boardrun.h"
#include "cli/cliprogram.h"
#include "cli/console.h"
#include "engine/boardengine.h"
#include "engine/portcatalog.h"
#include "picturefiles.h"
#include "testbench.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

namespace {

// lumaret-cli in the test's process, on the built-in simulator only, its clock the test's.
struct CliCall {
    explicit CliCall(const QStringList& arguments)
        : console({[this](const QByteArray& bytes) { out += bytes; },
                   [this](const QByteArray& bytes) { err += bytes; }, false, 80})
        , program(console,
                  {clock, [] {
                       return std::make_shared<PortCatalog>(
                           [] { return QList<PortEntry>{}; },
                           [](const QString&) -> std::unique_ptr<SerialLink> { return nullptr; });
                   }}) {
        QObject::connect(&program, &CliProgram::runCreated, &program, [this](BoardRun* run) {
            QObject::connect(&run->engine(), &BoardEngine::lineTraffic, &program,
                             [this](const LineTraffic& traffic) {
                                 if (traffic.direction == LineTraffic::Direction::ToBoard)
                                     sent += traffic.bytes.size();
                             });
        });
        program.start(arguments);
        finished = clock->advanceUntil([this] { return program.isFinished(); });
    }

    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
    QByteArray out;
    QByteArray err;
    qint64 sent = 0;
    bool finished = false;
    Console console;
    CliProgram program;
};

// A command line's arguments, "|" between them (font families hold blanks).
QStringList arguments(const QString& line) {
    return line.split(QLatin1Char('|'));
}

// What the simulator shows after the commands, run one by one through the command line.
QImage shownAfter(const QString& screenshot, const QStringList& commands) {
    QFile::remove(screenshot);
    const CliCall call(
        arguments(QStringLiteral("--port|sim|--pace|answer|--quiet|--screenshot|") + screenshot) +
        commands);
    if (!call.finished || call.program.exitCode() != 0)
        qWarning("%s", call.err.constData());
    return QImage(screenshot);
}

const QByteArray Project = R"(# Two fonts, two pictures, a turned start screen.
[board]
speed = 115200

[[font]]
slot = 2
family = "DejaVu Sans Mono"
size = 14
bold = true

[[font]]
slot = 1
family = "DejaVu Sans"
size = 10

[[picture]]
slot = 7
file = "pictures/wide.png"
size = "fit"
dither = "diffusion"

[[picture]]
slot = 2
file = "pictures/small.bmp"

[start]
lines = [
    "clear '#000040'",
    "load 7",
    "cursor 10 200",
    "text --font 2 'Ready, go'",
    "rotate",
]
)";

QString specimen() {
    QString characters;
    for (char code = '!'; code <= '~'; ++code)
        characters.append(QLatin1Char(code));
    return characters;
}

} // namespace

// Board projects through lumaret-cli in-process: check, render and provision on the
// built-in simulator, each against the same steps sent one by one.
class tst_ProjectRun : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void checkPrintsEveryStepAndTheTotal();
    void renderedPicturesAreWhatTheBoardShows();
    void provisionSendsThePlanAndReportsEachStep();
    void nothingIsSentForAProjectWithAProblem();

private:
    QString path(const QString& name) const { return m_folder.filePath(name); }
    QTemporaryDir m_folder;
    QString m_project;
};

void tst_ProjectRun::initTestCase() {
    QVERIFY(QDir(m_folder.path()).mkpath(QStringLiteral("pictures")));
    QVERIFY(noisePicture(500, 200).save(path(QStringLiteral("pictures/wide.png"))));
    QVERIFY(noisePicture(90, 70).save(path(QStringLiteral("pictures/small.bmp"))));
    m_project = path(QStringLiteral("board.toml"));
    QFile file(m_project);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(Project);
}

void tst_ProjectRun::checkPrintsEveryStepAndTheTotal() {
    const CliCall call({QStringLiteral("check"), m_project});
    QVERIFY(call.finished);
    QCOMPARE(call.program.exitCode(), 0);
    QCOMPARE(call.sent, 0);
    const QList<QByteArray> lines = call.out.trimmed().split('\n');
    QCOMPARE(lines.size(), 2 + 9 + 1);
    QVERIFY(lines.at(0).endsWith("board.toml: 9 steps at 115200 bit/s"));
    QVERIFY(lines.at(2).startsWith("font 1 "));
    QVERIFY(lines.at(3).startsWith("font 2 "));
    QVERIFY(lines.at(3).endsWith("DejaVu Sans Mono 14 bold"));
    // A stored picture: 6.7 s on the line; the poll waits 70 ms for each of its 300
    // blocks, which the line needs 22.2 ms for.
    QVERIFY2(lines.at(4).simplified().startsWith("picture 2 76,803 6.7 s 21.3 s"),
             lines.at(4).constData());
    QVERIFY(lines.at(5).endsWith("pictures/wide.png (fit, diffusion)"));
    QVERIFY(lines.at(9).endsWith("text --font 2 'Ready, go'"));
    QVERIFY(lines.last().startsWith("total"));
}

void tst_ProjectRun::renderedPicturesAreWhatTheBoardShows() {
    const QString out = path(QStringLiteral("rendered"));
    // A picture of a slot the project no longer has must not pass for one of its own.
    QVERIFY(QDir().mkpath(out));
    QVERIFY(noisePicture(320, 240).save(out + QStringLiteral("/slot-05.png")));
    const CliCall call({QStringLiteral("render"), m_project, QStringLiteral("--out"), out});
    QVERIFY(call.finished);
    QCOMPARE(call.program.exitCode(), 0);
    QCOMPARE(QDir(out).entryList(QDir::Files),
             QStringList({QStringLiteral("font-1.png"), QStringLiteral("font-2.png"),
                          QStringLiteral("slot-02.png"), QStringLiteral("slot-07.png"),
                          QStringLiteral("start.png")}));
    const QString shot = path(QStringLiteral("shot.png"));
    const QStringList wide = arguments(QStringLiteral("save|7|%1|--fit|fit|--dither|diffusion")
                                           .arg(path(QStringLiteral("pictures/wide.png"))));
    const QStringList small =
        arguments(QStringLiteral("save|2|%1").arg(path(QStringLiteral("pictures/small.bmp"))));
    const QStringList andThen{QStringLiteral("--")};
    QCOMPARE(QImage(out + QStringLiteral("/slot-07.png")),
             shownAfter(shot, wide + arguments(QStringLiteral("--|load|7"))));
    QCOMPARE(QImage(out + QStringLiteral("/slot-02.png")),
             shownAfter(shot, small + arguments(QStringLiteral("--|load|2"))));
    const QStringList mono = arguments(QStringLiteral("font|DejaVu Sans Mono|14|--bold|--slot|2"));
    const QStringList sans = arguments(QStringLiteral("font|DejaVu Sans|10|--slot|1"));
    // The specimen holds every printable character, "|" too.
    const QImage monoShown = shownAfter(
        shot, mono + arguments(QStringLiteral("--|clear|0|--|cursor|0|0|--|text|--font|2")) +
                  QStringList{specimen()});
    QCOMPARE(QImage(out + QStringLiteral("/font-2.png")), monoShown);
    QVERIFY(QImage(out + QStringLiteral("/font-1.png")) != monoShown);
    const QImage start = shownAfter(
        shot, sans + andThen + mono + andThen + small + andThen + wide +
                  arguments(QStringLiteral("--|clear|#000040|--|load|7|--|cursor|10|200|--|text|"
                                           "--font|2|Ready, go|--|rotate")));
    QCOMPARE(QImage(out + QStringLiteral("/start.png")), start);
}

void tst_ProjectRun::provisionSendsThePlanAndReportsEachStep() {
    const QString shot = path(QStringLiteral("provisioned.png"));
    const QString report = path(QStringLiteral("report.csv"));
    const CliCall call(
        arguments(QStringLiteral("--port|sim|--pace|answer|--screenshot|%1|provision|"
                                 "%2|--report|%3")
                      .arg(shot, m_project, report)));
    QVERIFY(call.finished);
    QCOMPARE(call.program.exitCode(), 0);
    const QString rendered = path(QStringLiteral("rendered/start.png"));
    QVERIFY(QFile::exists(rendered));
    QCOMPARE(QImage(shot), QImage(rendered));
    QFile file(report);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().trimmed().split('\n');
    QCOMPARE(lines.size(), 1 + 9);
    QCOMPARE(lines.at(0), QByteArray("port,step,detail,bytes,seconds,result"));
    QVERIFY(lines.at(1).startsWith("Simulator,font 1,DejaVu Sans 10,"));
    QVERIFY(lines.at(8).startsWith("Simulator,start 4,\"text --font 2 'Ready, go'\",14,"));
    qint64 bytes = 0;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        QVERIFY(lines.at(i).endsWith(",done"));
        bytes += lines.at(i).split(',').at(lines.at(i).count(',') - 2).toLongLong();
    }
    // Everything the board got but the identification.
    QCOMPARE(bytes, call.sent - 2);
    QVERIFY(call.out.contains("Simulator  picture 7      76,803"));
}

void tst_ProjectRun::nothingIsSentForAProjectWithAProblem() {
    const QString broken = path(QStringLiteral("broken.toml"));
    QFile file(broken);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(Project).replace("slot = 7", "slot = 2"));
    file.close();
    for (const QStringList& arguments :
         {QStringList{QStringLiteral("--port"), QStringLiteral("sim"), QStringLiteral("provision"),
                      broken},
          QStringList{QStringLiteral("render"), broken, QStringLiteral("--out"),
                      path(QStringLiteral("never"))}}) {
        const CliCall call(arguments);
        QVERIFY(call.finished);
        QCOMPARE(call.program.exitCode(), 1);
        QCOMPARE(call.sent, 0);
        QVERIFY2(call.err.contains("broken.toml:23: picture.slot: slot 2 is taken already by the "
                                   "picture at line 16\n"),
                 call.err.constData());
    }
    QVERIFY(!QFile::exists(path(QStringLiteral("never"))));
    const CliCall wrongReport({QStringLiteral("--port"), QStringLiteral("sim"),
                               QStringLiteral("provision"), m_project, QStringLiteral("--report"),
                               path(QStringLiteral("report.txt"))});
    QCOMPARE(wrongReport.program.exitCode(), 1);
    QCOMPARE(wrongReport.sent, 0);
}

QTEST_MAIN(tst_ProjectRun)
#include "tst_projectrun.moc"
