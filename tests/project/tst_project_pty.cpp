#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

QString program(const char* name) {
    return qEnvironmentVariable("LUMARET_BIN_DIR") + QLatin1Char('/') + QLatin1String(name);
}

const QString Example = QStringLiteral(LUMARET_SOURCE_DIR "/data/example-project/example.toml");

// lumaret-board on a pseudo-terminal; its screen is written to a file on SIGUSR1.
class Board {
public:
    explicit Board(const QString& screenshot)
        : m_screenshot(screenshot) {
        m_process.start(program("lumaret-board"), {QStringLiteral("--screenshot"), screenshot});
        QByteArray output;
        for (int i = 0; i < 50 && !output.contains('\n'); ++i) {
            m_process.waitForReadyRead(100);
            output += m_process.readAllStandardOutput();
        }
        device = QString::fromLocal8Bit(output.left(output.indexOf('\n')));
    }
    ~Board() { kill(); }

    QImage screen() {
        QFile::remove(m_screenshot);
        ::kill(pid_t(m_process.processId()), SIGUSR1);
        QImage image;
        if (!QTest::qWaitFor([&] { return image.load(m_screenshot); }, 5000))
            qWarning("no screenshot from the board");
        return image;
    }
    void kill() {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.kill();
        m_process.waitForFinished(5000);
    }

    QString device;

private:
    QString m_screenshot;
    QProcess m_process;
};

int runCli(const QStringList& arguments, QByteArray* err = nullptr) {
    QProcess cli;
    cli.start(program("lumaret-cli"), arguments);
    if (!cli.waitForFinished(120000) || cli.exitStatus() != QProcess::NormalExit)
        return -1;
    if (err)
        *err = cli.readAllStandardError();
    return cli.exitCode();
}

QJsonArray boardsOf(const QString& report) {
    QFile file(report);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll())
        .object()
        .value(QStringLiteral("boards"))
        .toArray();
}

QStringList resultsOf(const QJsonObject& board) {
    QStringList results;
    const QJsonArray steps = board.value(QStringLiteral("steps")).toArray();
    for (const QJsonValue& step : steps)
        results.append(step.toObject().value(QStringLiteral("result")).toString());
    return results;
}

} // namespace

// The example project provisioned onto two lumaret-board processes at once, as users do.
class tst_ProjectPty : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void twoBoardsShowWhatRenderShows();
    void aBoardKilledMidwayIsReportedAndTheOtherCompletes();

private:
    QTemporaryDir m_folder;
};

void tst_ProjectPty::twoBoardsShowWhatRenderShows() {
    const QString rendered = m_folder.filePath(QStringLiteral("rendered"));
    QCOMPARE(runCli({QStringLiteral("render"), Example, QStringLiteral("--out"), rendered}), 0);
    Board first(m_folder.filePath(QStringLiteral("first.png")));
    Board second(m_folder.filePath(QStringLiteral("second.png")));
    QVERIFY(first.device.startsWith(QLatin1String("/dev/")));
    QVERIFY(second.device.startsWith(QLatin1String("/dev/")));
    const QStringList ports{QStringLiteral("--port"), first.device, QStringLiteral("--port"),
                            second.device};
    const QString report = m_folder.filePath(QStringLiteral("report.json"));
    QByteArray err;
    QCOMPARE(runCli(ports + QStringList{QStringLiteral("--pace"), QStringLiteral("answer"),
                                        QStringLiteral("provision"), Example,
                                        QStringLiteral("--report"), report},
                    &err),
             0);
    QVERIFY2(err.contains(": [3/22] picture 1  pictures/sunrise.png (stretch, none), about "),
             err.constData());
    const QImage start(rendered + QStringLiteral("/start.png"));
    QVERIFY(!start.isNull());
    QCOMPARE(first.screen(), start);
    QCOMPARE(second.screen(), start);
    for (int slot = 1; slot <= 12; ++slot) {
        QCOMPARE(runCli(ports + QStringList{QStringLiteral("load"), QString::number(slot)}), 0);
        const QImage expected(
            QStringLiteral("%1/slot-%2.png").arg(rendered).arg(slot, 2, 10, QLatin1Char('0')));
        QVERIFY(!expected.isNull());
        QCOMPARE(first.screen(), expected);
        QCOMPARE(second.screen(), expected);
    }
    const QJsonArray boards = boardsOf(report);
    QCOMPARE(boards.size(), 2);
    for (const QJsonValue& board : boards)
        QCOMPARE(resultsOf(board.toObject()), QStringList(22, QStringLiteral("done")));
}

void tst_ProjectPty::aBoardKilledMidwayIsReportedAndTheOtherCompletes() {
    Board staying(m_folder.filePath(QStringLiteral("staying.png")));
    Board leaving(m_folder.filePath(QStringLiteral("leaving.png")));
    const QString report = m_folder.filePath(QStringLiteral("killed.json"));
    QProcess cli;
    cli.start(program("lumaret-cli"),
              {QStringLiteral("--port"), staying.device, QStringLiteral("--port"), leaving.device,
               QStringLiteral("provision"), Example, QStringLiteral("--only"),
               QStringLiteral("pictures,start"), QStringLiteral("--report"), report});
    const QByteArray fourth = (leaving.device + QStringLiteral(": [4/20] picture 4")).toLocal8Bit();
    QByteArray err;
    QVERIFY(QTest::qWaitFor(
        [&] {
            err += cli.readAllStandardError();
            return err.contains(fourth) || cli.state() == QProcess::NotRunning;
        },
        60000));
    leaving.kill();
    QVERIFY(cli.waitForFinished(120000));
    err += cli.readAllStandardError();
    QCOMPARE(cli.exitCode(), 3);
    QVERIFY(err.contains(
        (leaving.device + QStringLiteral(": the board went away during picture 4, after "))
            .toLocal8Bit()));
    const QJsonArray boards = boardsOf(report);
    QCOMPARE(boards.size(), 2);
    QCOMPARE(resultsOf(boards.at(0).toObject()), QStringList(20, QStringLiteral("done")));
    const QJsonObject gone = boards.at(1).toObject();
    QCOMPARE(gone.value(QStringLiteral("exitCode")).toInt(), 3);
    QCOMPARE(resultsOf(gone), QStringList(3, QStringLiteral("done")) +
                                  QStringList{QStringLiteral("failed")} +
                                  QStringList(16, QStringLiteral("not run")));
    const QJsonObject failed = gone.value(QStringLiteral("steps")).toArray().at(3).toObject();
    QVERIFY(failed.value(QStringLiteral("bytes")).toInteger() < 76803);
}

QTEST_MAIN(tst_ProjectPty)
#include "tst_project_pty.moc"
