#include "app/session.h"
#include "serial/msserial.h"
#include "testbench.h"
#include "utilities/firmwareupdate.h"
#include "utilities/frmutilities.h"
#include "utilities/updatercommand.h"
#include "utilities/updaterprocess.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString Utilities = QStringLiteral("frmUtilities");

// What the fake updater was asked to do.
struct UpdaterLog {
    int starts = 0;
    QString program;
    QStringList arguments;
    QString folder;
    QByteArray firmwareAtStart; // the working copy's content when the updater started
};

// An updater that runs for a given time on the test's clock, or fails to start.
class FakeUpdater : public UpdaterProcess {
public:
    FakeUpdater(ManualClock& clock, int runMs, std::optional<QString> failure, UpdaterLog& log)
        : m_clock(clock)
        , m_runMs(runMs)
        , m_failure(std::move(failure))
        , m_log(log) {}

    void start(const QString& program, const QStringList& arguments,
               const QString& folder) override {
        ++m_log.starts;
        m_log.program = program;
        m_log.arguments = arguments;
        m_log.folder = folder;
        QFile firmware(QDir(folder).filePath(arguments.value(0)));
        if (firmware.open(QIODevice::ReadOnly))
            m_log.firmwareAtStart = firmware.readAll();
        if (m_failure) {
            Q_EMIT failedToStart(*m_failure);
            return;
        }
        m_clock.callAfter(m_runMs, this, [this] { Q_EMIT ended(); });
    }

private:
    ManualClock& m_clock;
    int m_runMs;
    std::optional<QString> m_failure;
    UpdaterLog& m_log;
};

bool writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The program in a folder of its own (with an updater unless told otherwise), the
// utilities window open, a firmware file elsewhere, and the board connected on COM3.
struct UpdateBench {
    TestBench bench;
    QTemporaryDir programDir;
    QTemporaryDir firmwareDir;
    UpdaterLog log;
    QString folder;
    QString firmware;
    int updaterRunMs = 2000;
    std::optional<QString> startFailure;

    explicit UpdateBench(bool withUpdater = true, bool connected = true) {
        folder = UpdaterCommand::folderWithSeparator(programDir.path(), QLatin1Char('/'));
        firmware = firmwareDir.filePath(QStringLiteral("board.zep"));
        writeFile(firmware, "firmware 2.1");
        if (withUpdater)
            writeFile(folder + UpdaterCommand::name(), "the updater");
        if (connected) {
            bench.open(QStringLiteral("frmSettings"));
            bench.find<QComboBox>(QStringLiteral("frmSettings"), QStringLiteral("cbo_mostraporta"))
                ->setCurrentIndex(1);
            bench.connectBoard();
        }
        bench.open(Utilities);
        window()->setUpdaterSetup({folder, [this] {
                                       return std::make_unique<FakeUpdater>(
                                           bench.clock(), updaterRunMs, startFailure, log);
                                   }});
        bench.line().takeWrites();
    }
    frmUtilities* window() { return qobject_cast<frmUtilities*>(bench.window(Utilities)); }
    QPushButton* updateButton() {
        return bench.find<QPushButton>(Utilities, QStringLiteral("cmdUpdate"));
    }
    void update(const QString& chosenPath) {
        bench.dialogs().fileAnswers.append(chosenPath);
        click(updateButton());
    }
    QString status() { return bench.main().statusText(); }
    bool portOpen() { return bench.main().port().portOpen(); }
    QString workingCopy() const { return folder + QStringLiteral("board.zep"); }
    // The reconnect opened the port again and sent the identification.
    bool reconnected() {
        return portOpen() && bench.line().openedPorts.value(1) == QStringLiteral("COM3") &&
               bench.line().takeWrites() == QList<QByteArray>{QByteArray("ID")};
    }
    QStringList messageTexts() {
        QStringList texts;
        for (const ScriptedDialogs::Message& message : bench.dialogs().messages)
            texts.append(message.title + QLatin1Char('|') + message.text);
        return texts;
    }
};

} // namespace

// The firmware update: the working copy, the updater's command, the waits and the
// reconnect, and what happens when something fails.
class tst_FirmwareUpdate : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void buildsTheCommandLine();
    void asksForAFirmwareFile();
    void waitsAtLeastFiveSecondsThenNineMoreBeforeReconnecting();
    void waitsForAnUpdaterThatRunsLonger();
    void usesAFileInTheProgramsFolderInPlace();
    void onlyCopiesAndDeletesWhileThePortIsClosed();
    void reportsAMissingUpdaterAndReconnects();
    void reportsAFailedStartAndReconnects();
    void reportsAFailedCopyAndStaysConnected();
    void keepsTheProgramsOwnFiles();
    void goesOnWhenTheWindowCloses();
    void runsTheSubstituteUpdater();
};

void tst_FirmwareUpdate::buildsTheCommandLine() {
    using namespace UpdaterCommand;
    QCOMPARE(FileNameOfPath(QStringLiteral("D:\\fw\\board.zep")), QStringLiteral("board.zep"));
    QCOMPARE(FileNameOfPath(QStringLiteral("board.zep")), QStringLiteral("board.zep"));
    QCOMPARE(FileNameOfPath(QStringLiteral("D:\\")), QString());
    QCOMPARE(FileNameOfPath(QStringLiteral("/home/ann/my fw/board v2.zep")),
             QStringLiteral("board v2.zep"));
    QCOMPARE(FileNameOfPath(QString()), QString());

    QCOMPARE(folderWithSeparator(QStringLiteral("C:\\Tools"), QLatin1Char('\\')),
             QStringLiteral("C:\\Tools\\"));
    QCOMPARE(folderWithSeparator(QStringLiteral("C:\\"), QLatin1Char('\\')),
             QStringLiteral("C:\\"));
    QCOMPARE(folderWithSeparator(QStringLiteral("/opt/lumaret"), QLatin1Char('/')),
             QStringLiteral("/opt/lumaret/"));
    QCOMPARE(folderWithSeparator(QStringLiteral("/"), QLatin1Char('/')), QStringLiteral("/"));

    // D:\fw\board.zep with the program in C:\Tools; port 1 whatever the connection's.
    const QString folder = folderWithSeparator(QStringLiteral("C:\\Tools"), QLatin1Char('\\'));
    const QString fileName = FileNameOfPath(QStringLiteral("D:\\fw\\board.zep"));
    QCOMPARE(folder + fileName, QStringLiteral("C:\\Tools\\board.zep"));
    QCOMPARE(commandLine(folder, fileName, QStringLiteral("update.exe")),
             QStringLiteral("C:\\Tools\\update.exe board.zep -COM1 -115200"));
    // Blanks stay inside their argument.
    QCOMPARE(arguments(QStringLiteral("my board.zep")),
             (QStringList{QStringLiteral("my board.zep"), QStringLiteral("-COM1"),
                          QStringLiteral("-115200")}));
#ifdef Q_OS_WIN
    QCOMPARE(name(), QStringLiteral("update.exe"));
#else
    QCOMPARE(name(), QStringLiteral("update"));
#endif
}

void tst_FirmwareUpdate::asksForAFirmwareFile() {
    UpdateBench update;
    click(update.updateButton());
    click(update.updateButton());
    const QList<ScriptedDialogs::FileRequest>& requests = update.bench.dialogs().fileRequests;
    QCOMPARE(requests.size(), 2);
    QCOMPARE(requests[0].filter, QStringLiteral("ZEP File (*.zep)|*.zep|"));
    QCOMPARE(requests[0].initialFolder, QString());
    // After the first use the dialog starts in the program's folder.
    QCOMPARE(requests[1].initialFolder, update.folder);
    // Cancelled: nothing happens.
    QVERIFY(update.portOpen());
    QCOMPARE(update.log.starts, 0);
    QVERIFY(update.bench.line().takeWrites().isEmpty());
    QVERIFY(update.bench.dialogs().messages.isEmpty());
    QVERIFY(update.updateButton()->isEnabled());
}

void tst_FirmwareUpdate::waitsAtLeastFiveSecondsThenNineMoreBeforeReconnecting() {
    UpdateBench update;
    QVERIFY(update.status().startsWith(QStringLiteral("Connected: COM3")));
    update.update(update.firmware);

    QVERIFY(!update.portOpen());
    QCOMPARE(update.status(), QStringLiteral("Updating "));
    QCOMPARE(update.log.starts, 1);
    QCOMPARE(update.log.program, update.folder + UpdaterCommand::name());
    QCOMPARE(update.log.arguments,
             (QStringList{QStringLiteral("board.zep"), QStringLiteral("-COM1"),
                          QStringLiteral("-115200")}));
    QCOMPARE(update.log.folder, update.folder);
    QCOMPARE(update.log.firmwareAtStart, QByteArray("firmware 2.1"));
    QVERIFY(!update.updateButton()->isEnabled());

    // The updater ends after 2 s; the wait lasts more than 5 s all the same.
    update.bench.clock().advance(5000);
    QCOMPARE(update.status(), QStringLiteral("Updating "));
    update.bench.clock().advance(1);
    QCOMPARE(update.status(), QStringLiteral("Reconnecting... "));
    update.bench.clock().advance(9000);
    QVERIFY(!update.portOpen());
    QVERIFY(QFile::exists(update.workingCopy()));
    update.bench.clock().advance(1);
    QVERIFY(update.reconnected());
    QCOMPARE(update.status(), QStringLiteral("Connecting"));
    update.bench.line().answer("100");
    update.bench.main().Timer4_Timer();
    QVERIFY(update.status().startsWith(QStringLiteral("Connected: COM3")));

    // The copy is gone, the user's file is not.
    QVERIFY(!QFile::exists(update.workingCopy()));
    QCOMPARE(readFile(update.firmware), QByteArray("firmware 2.1"));
    QVERIFY(update.bench.dialogs().messages.isEmpty());
    QVERIFY(update.updateButton()->isEnabled());
    QCOMPARE(update.bench.clock().pendingCount(), 0);
}

void tst_FirmwareUpdate::waitsForAnUpdaterThatRunsLonger() {
    UpdateBench update;
    update.updaterRunMs = 40000;
    update.update(update.firmware);
    update.bench.clock().advance(39999);
    QCOMPARE(update.status(), QStringLiteral("Updating "));
    update.bench.clock().advance(1);
    QCOMPARE(update.status(), QStringLiteral("Reconnecting... "));
    update.bench.clock().advance(9000);
    QVERIFY(!update.portOpen());
    update.bench.clock().advance(1);
    QVERIFY(update.reconnected());
    QVERIFY(!QFile::exists(update.workingCopy()));
}

void tst_FirmwareUpdate::usesAFileInTheProgramsFolderInPlace() {
    UpdateBench update;
    const QString ownFile = update.folder + QStringLiteral("mine.zep");
    QVERIFY(writeFile(ownFile, "my own build"));
    update.update(ownFile);
    QCOMPARE(update.log.arguments.value(0), QStringLiteral("mine.zep"));
    QCOMPARE(update.log.firmwareAtStart, QByteArray("my own build"));
    update.bench.clock().advance(5001 + 9001);
    QVERIFY(update.reconnected());
    // Neither copied onto itself nor deleted.
    QCOMPARE(readFile(ownFile), QByteArray("my own build"));

    // The same with the port closed.
    click(update.bench.find<QPushButton>(QStringLiteral("frmSettings"),
                                         QStringLiteral("cmd_conecta")));
    update.update(ownFile);
    QCOMPARE(readFile(ownFile), QByteArray("my own build"));
}

void tst_FirmwareUpdate::onlyCopiesAndDeletesWhileThePortIsClosed() {
    UpdateBench update(true, false);
    const QString statusBefore = update.status();
    // An older copy of that name is replaced and then removed.
    QVERIFY(writeFile(update.workingCopy(), "stale copy"));
    update.update(update.firmware);
    QCOMPARE(update.log.starts, 0);
    QVERIFY(!QFile::exists(update.workingCopy()));
    QCOMPARE(readFile(update.firmware), QByteArray("firmware 2.1"));
    QCOMPARE(update.status(), statusBefore);
    QVERIFY(update.bench.line().openedPorts.isEmpty());
    QVERIFY(update.bench.dialogs().messages.isEmpty());
    QCOMPARE(update.bench.clock().pendingCount(), 0);
    QVERIFY(update.updateButton()->isEnabled());
}

void tst_FirmwareUpdate::reportsAMissingUpdaterAndReconnects() {
    UpdateBench update(false);
    update.update(update.firmware);
    QCOMPARE(update.log.starts, 0);
    QCOMPARE(update.messageTexts(),
             QStringList{QStringLiteral("Critical Error|The firmware updater ") +
                         QDir::toNativeSeparators(update.folder + UpdaterCommand::name()) +
                         QStringLiteral(" was not found.")});
    QCOMPARE(update.bench.dialogs().messages[0].icon, UserDialogs::Icon::Critical);
    // The board was not touched: the connection comes back at once.
    QVERIFY(update.reconnected());
    QVERIFY(!QFile::exists(update.workingCopy()));
    QVERIFY(update.updateButton()->isEnabled());
}

void tst_FirmwareUpdate::reportsAFailedStartAndReconnects() {
    UpdateBench update;
    update.startFailure = QStringLiteral("Permission denied");
    update.update(update.firmware);
    QCOMPARE(update.log.starts, 1);
    QCOMPARE(update.messageTexts(),
             QStringList{QStringLiteral("Critical Error|The firmware updater could not be "
                                        "started.\nCommand: ") +
                         update.folder + UpdaterCommand::name() +
                         QStringLiteral(" board.zep -COM1 -115200\nReason: Permission denied")});
    QVERIFY(update.reconnected());
    QVERIFY(!QFile::exists(update.workingCopy()));
    // Nothing is left to happen later.
    update.bench.clock().advance(20000);
    QVERIFY(update.bench.line().takeWrites().isEmpty());
    QCOMPARE(update.bench.dialogs().messages.size(), 1);
}

void tst_FirmwareUpdate::reportsAFailedCopyAndStaysConnected() {
    UpdateBench update;
    const QString missing = update.firmwareDir.filePath(QStringLiteral("gone.zep"));
    update.update(missing);
    QCOMPARE(update.bench.dialogs().messages.size(), 1);
    const ScriptedDialogs::Message message = update.bench.dialogs().messages[0];
    QCOMPARE(message.title, QStringLiteral("Critical Error"));
    QVERIFY2(message.text.startsWith(
                 QStringLiteral("The firmware file could not be copied next to the program.\n"
                                "From: ") +
                 QDir::toNativeSeparators(missing)),
             qPrintable(message.text));
    QVERIFY(message.text.contains(QStringLiteral("Reason: ")));
    QVERIFY(update.portOpen());
    QVERIFY(update.status().startsWith(QStringLiteral("Connected: COM3")));
    QCOMPARE(update.log.starts, 0);
    QVERIFY(update.bench.line().takeWrites().isEmpty());
    QVERIFY(update.updateButton()->isEnabled());
}

void tst_FirmwareUpdate::keepsTheProgramsOwnFiles() {
    UpdateBench update;
    const QString impostor = update.firmwareDir.filePath(UpdaterCommand::name());
    QVERIFY(writeFile(impostor, "not an updater"));
    update.update(impostor);
    QCOMPARE(readFile(update.folder + UpdaterCommand::name()), QByteArray("the updater"));
    QCOMPARE(update.bench.dialogs().messages.size(), 1);
    QCOMPARE(update.bench.dialogs().messages[0].title, QStringLiteral("Critical Error"));
    QVERIFY(update.portOpen());
    QCOMPARE(update.log.starts, 0);
}

void tst_FirmwareUpdate::goesOnWhenTheWindowCloses() {
    UpdateBench update;
    update.updaterRunMs = 7000;
    update.update(update.firmware);
    qobject_cast<QMdiSubWindow*>(update.window()->parentWidget())->close();
    TestBench::settle();
    update.bench.clock().advance(7000);
    QCOMPARE(update.status(), QStringLiteral("Reconnecting... "));

    // A window opened meanwhile offers no second update until this one is done.
    update.bench.open(Utilities);
    QVERIFY(!update.updateButton()->isEnabled());
    update.bench.clock().advance(9001);
    QVERIFY(update.reconnected());
    QVERIFY(!QFile::exists(update.workingCopy()));
    QVERIFY(update.updateButton()->isEnabled());
}

void tst_FirmwareUpdate::runsTheSubstituteUpdater() {
    const QString built =
        QDir(qEnvironmentVariable("LUMARET_BIN_DIR")).filePath(UpdaterCommand::name());
    QVERIFY2(QFile::exists(built), qPrintable(built));
    UpdateBench update(false);
    QVERIFY(QFile::copy(built, update.folder + UpdaterCommand::name()));
    update.window()->setUpdaterSetup(
        {update.folder, [] { return std::make_unique<QtUpdaterProcess>(); }});

    update.update(update.firmware);
    QCOMPARE(update.status(), QStringLiteral("Updating "));
    update.bench.clock().advance(5001);
    // The real program ends on its own; then the board gets its 9 s.
    QTRY_COMPARE(update.status(), QStringLiteral("Reconnecting... "));
    update.bench.clock().advance(9001);
    QVERIFY(update.reconnected());
    QVERIFY(update.bench.dialogs().messages.isEmpty());

#ifdef Q_OS_UNIX
    // An updater that may not be run fails to start: reported, and reconnected.
    QFile::setPermissions(update.folder + UpdaterCommand::name(),
                          QFile::ReadOwner | QFile::WriteOwner);
    update.update(update.firmware);
    QTRY_COMPARE(update.bench.dialogs().messages.size(), 1);
    QVERIFY(update.bench.dialogs().messages[0].text.startsWith(
        QStringLiteral("The firmware updater could not be started.")));
    QVERIFY(update.portOpen());
    QVERIFY(!QFile::exists(update.workingCopy()));
#endif
}

QTEST_MAIN(tst_FirmwareUpdate)
#include "tst_firmwareupdate.moc"
