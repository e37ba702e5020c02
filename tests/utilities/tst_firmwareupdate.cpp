#include "testbench.h"
#include "utilities/frmutilities.h"
#include "utilities/updatercommand.h"
#include "utilities/updaterlocation.h"
#include "utilities/updaterprocess.h"
#include "utilities/updateworkspace.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString Utilities = QStringLiteral("frmUtilities");

bool writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString nativeFolder(const QString& path) {
    return QDir::toNativeSeparators(path) + QDir::separator();
}

// Where temporary files and folders go, for this program and those it starts.
void useTemporaryRoot(const QString& path) {
    for (const char* variable : {"TMPDIR", "TMP", "TEMP"})
        qputenv(variable, QFile::encodeName(path));
}

// The temporary folders of updates that exist now.
QStringList updateFolders() {
    QStringList folders;
    const QDir root(QDir::tempPath());
    for (const QString& name :
         root.entryList({QStringLiteral("lumaret-update-*")}, QDir::Dirs | QDir::Hidden))
        folders.append(nativeFolder(root.filePath(name)));
    return folders;
}

// An updater that runs for runMs on the test's clock, or fails to start when runMs is
// FailsToStart. Each start is logged as "program arguments, in folder: content of the
// file it was given".
class FakeUpdater : public UpdaterProcess {
public:
    static constexpr int FailsToStart = -1;

    FakeUpdater(ManualClock& clock, int runMs, QStringList& log)
        : m_clock(clock)
        , m_runMs(runMs)
        , m_log(log) {}

    void start(const QString& program, const QStringList& arguments,
               const QString& folder) override {
        m_log.append((QStringList{program} + arguments).join(QLatin1Char(' ')) +
                     QStringLiteral(", in ") + folder + QStringLiteral(": ") +
                     QString::fromLatin1(readFile(QDir(folder).filePath(arguments.value(0)))));
        if (m_runMs == FailsToStart)
            Q_EMIT failedToStart(QStringLiteral("Permission denied"));
        else
            m_clock.callAfter(m_runMs, this, [this] { Q_EMIT ended(); });
    }

private:
    ManualClock& m_clock;
    int m_runMs;
    QStringList& m_log;
};

// The program in a folder of its own (with an updater unless told otherwise), the
// utilities window open, a firmware file elsewhere, and the board connected on COM3.
struct UpdateBench {
    TestBench bench;
    QTemporaryDir programDir;
    QTemporaryDir firmwareDir;
    QStringList log;
    int updaterRunMs = 2000;
    const QString folder = UpdaterCommand::folderWithSeparator(programDir.path(), QLatin1Char('/'));
    const QString updater = folder + UpdaterCommand::name();
    const QString firmware = firmwareDir.filePath(QStringLiteral("board.zep"));
    const QString workingCopy = folder + QStringLiteral("board.zep");

    explicit UpdateBench(bool withUpdater = true) {
        writeFile(firmware, "firmware 2.1");
        if (withUpdater)
            writeFile(updater, "the updater");
        bench.open(QStringLiteral("frmSettings"));
        bench.find<QComboBox>(QStringLiteral("frmSettings"), QStringLiteral("cbo_mostraporta"))
            ->setCurrentIndex(1);
        bench.connectBoard();
        bench.open(Utilities);
        window()->setUpdaterSetup(
            {folder,
             [this] { return std::make_unique<FakeUpdater>(bench.clock(), updaterRunMs, log); }});
        bench.line().takeWrites();
    }
    frmUtilities* window() { return qobject_cast<frmUtilities*>(bench.window(Utilities)); }
    // From now on the updater's folder is one the program may not write.
    void takeFolderAsReadOnly() {
        window()->setUpdaterSetup(
            {folder,
             [this] { return std::make_unique<FakeUpdater>(bench.clock(), updaterRunMs, log); },
             [](const QString&) { return false; }});
    }
    QPushButton* updateButton() {
        return bench.find<QPushButton>(Utilities, QStringLiteral("cmdUpdate"));
    }
    void update(const QString& chosenPath) {
        bench.dialogs().messages.clear();
        bench.dialogs().fileAnswers.append(chosenPath);
        click(updateButton());
    }
    QString status() { return bench.main().statusText(); }
    bool portOpen() { return bench.engine().portOpen(); }
    // The reconnect opened COM3 again and identified the board, which answers; the
    // update is over and its working copy gone.
    bool reconnected() {
        if (!portOpen() || bench.line().openedPorts.last() != QStringLiteral("COM3") ||
            bench.line().takeWrites() != QList<QByteArray>{QByteArray("ID")})
            return false;
        bench.line().answer("100");
        bench.clock().advanceToTick(bench.engine(), QStringLiteral("Timer4"));
        return status().startsWith(QStringLiteral("Connected: COM3")) &&
               updateButton()->isEnabled() && !QFile::exists(workingCopy);
    }
    // The one message shown, as "title|text".
    QString message() {
        const QList<ScriptedDialogs::Message>& messages = bench.dialogs().messages;
        return messages.size() == 1 ? messages[0].title + QLatin1Char('|') + messages[0].text
                                    : QStringLiteral("%1 messages").arg(messages.size());
    }
};

} // namespace

// The firmware update: the working copy, the updater's command, the waits and the
// reconnect, and what happens when something fails.
class tst_FirmwareUpdate : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void buildsTheCommandLine();
    void findsTheUpdaterNextToTheProgramOrInItsPrivateFolder();
    void triesWhetherAFolderCanBeWritten();
    void waitsForTheUpdaterThenNineSecondsBeforeReconnecting_data();
    void waitsForTheUpdaterThenNineSecondsBeforeReconnecting();
    void keepsTheUsersAndTheProgramsOwnFilesAndOnlyCopiesWhileClosed();
    void reportsFailuresAndReconnects();
    void goesOnWhenTheWindowCloses();
    void runsInATemporaryFolderWhenTheUpdatersFolderIsReadOnly();
    void removesTheTemporaryFolderWhateverHappens();
    void runsAScriptedUpdaterFromATemporaryFolder();

private:
    QTemporaryDir m_temporaryRoot;
};

void tst_FirmwareUpdate::initTestCase() {
    QVERIFY(m_temporaryRoot.isValid());
    useTemporaryRoot(m_temporaryRoot.path());
}

void tst_FirmwareUpdate::buildsTheCommandLine() {
    using namespace UpdaterCommand;
    QCOMPARE(FileNameOfPath(QStringLiteral("board.zep")), QStringLiteral("board.zep"));
    QCOMPARE(FileNameOfPath(QStringLiteral("D:\\")), QString());
    QCOMPARE(FileNameOfPath(QStringLiteral("/home/ann/my fw/board v2.zep")),
             QStringLiteral("board v2.zep"));
    // A drive root gets no second separator.
    QCOMPARE(folderWithSeparator(QStringLiteral("C:\\"), QLatin1Char('\\')),
             QStringLiteral("C:\\"));
    // D:\fw\board.zep with the program in C:\Tools.
    QCOMPARE(commandLine(folderWithSeparator(QStringLiteral("C:\\Tools"), QLatin1Char('\\')),
                         FileNameOfPath(QStringLiteral("D:\\fw\\board.zep")),
                         QStringLiteral("update.exe")),
             QStringLiteral("C:\\Tools\\update.exe board.zep -COM1 -115200"));
}

void tst_FirmwareUpdate::findsTheUpdaterNextToTheProgramOrInItsPrivateFolder() {
    QTemporaryDir root;
    const QString programs = root.filePath(QStringLiteral("bin"));
    const QString privateFolder = root.filePath(QStringLiteral("libexec/lumaret"));
    const QString fromPrograms = QStringLiteral("../libexec/lumaret");
    QVERIFY(QDir().mkpath(programs) && QDir().mkpath(privateFolder));
    const QString nextToPrograms = programs + QLatin1Char('/') + UpdaterCommand::name();
    const QString installed = privateFolder + QLatin1Char('/') + UpdaterCommand::name();

    // Installed: the updater lies in the private folder only.
    QVERIFY(writeFile(installed, "installed"));
    QCOMPARE(UpdaterLocation::folder(programs, fromPrograms), nativeFolder(privateFolder));
    // The build tree, or an unpacked copy: next to the program, which comes first.
    QVERIFY(writeFile(nextToPrograms, "built"));
    QCOMPARE(UpdaterLocation::folder(programs, fromPrograms), nativeFolder(programs));
    QCOMPARE(UpdaterLocation::folder(programs + QLatin1Char('/'), fromPrograms),
             nativeFolder(programs));
    QCOMPARE(UpdaterLocation::folder(programs, QStringLiteral(".")), nativeFolder(programs));
    // Nowhere (a folder of that name is no updater): the private folder, where an
    // installed program expects it.
    QVERIFY(QFile::remove(nextToPrograms) && QFile::remove(installed));
    QVERIFY(QDir().mkpath(nextToPrograms));
    QCOMPARE(UpdaterLocation::folder(programs, fromPrograms), nativeFolder(privateFolder));
}

void tst_FirmwareUpdate::triesWhetherAFolderCanBeWritten() {
    QTemporaryDir folder;
    QVERIFY(UpdateWorkspace::canWriteIn(folder.path()));
    // The trial leaves nothing behind.
    QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList());
    QVERIFY(!UpdateWorkspace::canWriteIn(folder.filePath(QStringLiteral("missing"))));
    QVERIFY(writeFile(folder.filePath(QStringLiteral("file")), "a file"));
    QVERIFY(!UpdateWorkspace::canWriteIn(folder.filePath(QStringLiteral("file"))));
#ifdef Q_OS_LINUX
    // Permissions would let an administrator write here; trying tells the truth.
    QVERIFY(!UpdateWorkspace::canWriteIn(QStringLiteral("/proc")));
#endif
}

void tst_FirmwareUpdate::waitsForTheUpdaterThenNineSecondsBeforeReconnecting_data() {
    QTest::addColumn<int>("runMs");
    QTest::addColumn<int>("waitMs");
    QTest::newRow("ends after 2 s: 5 s all the same") << 2000 << 5001;
    QTest::newRow("runs 40 s: until it ends") << 40000 << 40000;
}

void tst_FirmwareUpdate::waitsForTheUpdaterThenNineSecondsBeforeReconnecting() {
    QFETCH(int, runMs);
    QFETCH(int, waitMs);
    UpdateBench update;
    update.updaterRunMs = runMs;
    update.update(update.firmware);
    const ScriptedDialogs::FileRequest request = update.bench.dialogs().fileRequests.value(0);
    QCOMPARE(request.filter, QStringLiteral("ZEP File (*.zep)|*.zep|"));
    QCOMPARE(request.initialFolder, QString());
    QVERIFY(!update.portOpen());
    QCOMPARE(update.status(), QStringLiteral("Updating "));
    // Port 1 although connected on COM3; run in the program's folder, next to the copy.
    QCOMPARE(update.log,
             QStringList{update.updater + QStringLiteral(" board.zep -COM1 -115200, in ") +
                         update.folder + QStringLiteral(": firmware 2.1")});
    QVERIFY(!update.updateButton()->isEnabled());

    update.bench.clock().advance(waitMs - 1);
    QCOMPARE(update.status(), QStringLiteral("Updating "));
    update.bench.clock().advance(1);
    QCOMPARE(update.status(), QStringLiteral("Reconnecting... "));
    update.bench.clock().advance(9000);
    QVERIFY(!update.portOpen());
    QVERIFY(QFile::exists(update.workingCopy));
    update.bench.clock().advance(1);
    QVERIFY(update.reconnected());
    QCOMPARE(readFile(update.firmware), QByteArray("firmware 2.1"));
    QVERIFY(update.bench.dialogs().messages.isEmpty());
    // Only the receive poll of the new connection waits on the clock.
    QCOMPARE(update.bench.clock().pendingCount(), 1);
}

void tst_FirmwareUpdate::keepsTheUsersAndTheProgramsOwnFilesAndOnlyCopiesWhileClosed() {
    UpdateBench update;
    // A file in the program's folder is used in place: neither copied onto itself nor
    // deleted, with the port open or closed.
    const QString ownFile = update.folder + QStringLiteral("mine.zep");
    QVERIFY(writeFile(ownFile, "my own build"));
    update.update(ownFile);
    QVERIFY(update.log.value(0).endsWith(QStringLiteral(": my own build")));
    update.bench.clock().advance(5001 + 9001);
    QVERIFY(update.reconnected());
    update.bench.engine().disconnect();
    update.update(ownFile);
    QCOMPARE(readFile(ownFile), QByteArray("my own build"));
    // After the first use the file dialog starts in the program's folder.
    QCOMPARE(update.bench.dialogs().fileRequests.last().initialFolder, update.folder);
    // With the port closed the copy is made and removed again; no updater runs and no
    // port is opened.
    const qsizetype opened = update.bench.line().openedPorts.size();
    update.update(update.firmware);
    QCOMPARE(update.log.size(), 1);
    QVERIFY(!QFile::exists(update.workingCopy));
    QCOMPARE(readFile(update.firmware), QByteArray("firmware 2.1"));
    QCOMPARE(update.bench.line().openedPorts.size(), opened);
    QVERIFY(update.bench.dialogs().messages.isEmpty());

    // A firmware file named as the updater does not replace it.
    update.bench.connectBoard();
    const QString impostor = update.firmwareDir.filePath(UpdaterCommand::name());
    QVERIFY(writeFile(impostor, "not an updater"));
    update.update(impostor);
    QCOMPARE(readFile(update.updater), QByteArray("the updater"));
    QVERIFY(update.message().startsWith(QStringLiteral("Critical Error|")));
    QVERIFY(update.portOpen());
    QCOMPARE(update.log.size(), 1);

    // Nor does it replace or remove any other file it did not make: refused before the
    // port is touched.
    QVERIFY(writeFile(update.workingCopy, "someone's file"));
    update.update(update.firmware);
    QCOMPARE(readFile(update.workingCopy), QByteArray("someone's file"));
    QVERIFY(update.message().contains(QStringLiteral("this program did not make it")));
    QVERIFY(update.portOpen());
    QVERIFY(update.bench.line().takeWrites().isEmpty());
    QCOMPARE(update.log.size(), 1);
    QVERIFY(QFile::remove(update.workingCopy));

    // A name that begins with "-" reaches the updater as a path, not as an option.
    const QString dashed = update.firmwareDir.filePath(QStringLiteral("-v2.zep"));
    QVERIFY(writeFile(dashed, "firmware 2.2"));
    update.update(dashed);
    QCOMPARE(update.log.value(1), QStringLiteral("%1 ./-v2.zep -COM1 -115200, in %2: firmware 2.2")
                                      .arg(update.updater, update.folder));
}

void tst_FirmwareUpdate::reportsFailuresAndReconnects() {
    UpdateBench update(false);
    // Cancelled: nothing happens.
    update.update(QString());
    QVERIFY(update.portOpen() && update.bench.line().takeWrites().isEmpty());
    // No updater: reported; the board was not touched, so the connection comes back.
    update.update(update.firmware);
    QVERIFY(update.log.isEmpty());
    QCOMPARE(update.message(), QStringLiteral("Critical Error|The firmware updater ") +
                                   QDir::toNativeSeparators(update.updater) +
                                   QStringLiteral(" was not found."));
    QVERIFY(update.reconnected());
    // A file that cannot be copied: reported before the port is touched.
    update.update(update.firmwareDir.filePath(QStringLiteral("gone.zep")));
    QVERIFY2(update.message().startsWith(QStringLiteral(
                 "Critical Error|The firmware file could not be copied next to the program.")),
             qPrintable(update.message()));
    QVERIFY(update.portOpen() && update.bench.line().takeWrites().isEmpty());
    QVERIFY(update.updateButton()->isEnabled());

    // The port cannot be opened again after an update: the user is told, the status
    // bar says so, and nothing is waiting any more.
    UpdateBench updated;
    updated.update(updated.firmware);
    updated.bench.line().openFailure = PortError{2, QStringLiteral("Permission denied")};
    updated.bench.clock().advance(5001);
    updated.bench.clock().advance(9001);
    QVERIFY(!updated.portOpen());
    QVERIFY2(updated.message().startsWith(QStringLiteral("Critical Error|")),
             qPrintable(updated.message()));
    QCOMPARE(updated.status(), QStringLiteral("Controller Disconnected "));
    QCOMPARE(updated.bench.clock().pendingCount(), 0);
    QVERIFY(updated.updateButton()->isEnabled());
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
}

void tst_FirmwareUpdate::runsInATemporaryFolderWhenTheUpdatersFolderIsReadOnly() {
    UpdateBench update;
    update.takeFolderAsReadOnly();
    update.update(update.firmware);
    QCOMPARE(update.status(), QStringLiteral("Updating "));
    // The same command, from a copy of the updater that lies next to the working copy.
    const QStringList temporary = updateFolders();
    QCOMPARE(temporary.size(), 1);
    QCOMPARE(update.log, QStringList{temporary[0] + UpdaterCommand::name() +
                                     QStringLiteral(" board.zep -COM1 -115200, in ") +
                                     temporary[0] + QStringLiteral(": firmware 2.1")});
    QCOMPARE(readFile(temporary[0] + UpdaterCommand::name()), QByteArray("the updater"));
    QVERIFY(!QFile::exists(update.workingCopy));
    update.bench.clock().advance(5001);
    QCOMPARE(update.status(), QStringLiteral("Reconnecting... "));
    update.bench.clock().advance(9001);
    QVERIFY(update.reconnected());
    QCOMPARE(updateFolders(), QStringList());
    QVERIFY(update.bench.dialogs().messages.isEmpty());
    QCOMPARE(readFile(update.firmware), QByteArray("firmware 2.1"));

    // A firmware file that lies next to the updater is copied all the same, and stays.
    const QString shipped = update.folder + QStringLiteral("shipped.zep");
    QVERIFY(writeFile(shipped, "shipped"));
    update.update(shipped);
    QVERIFY2(update.log.value(1).endsWith(QStringLiteral(": shipped")) &&
                 !update.log.value(1).contains(QStringLiteral(", in ") + update.folder),
             qPrintable(update.log.value(1)));
    update.bench.clock().advance(5001 + 9001);
    QVERIFY(update.reconnected());
    QCOMPARE(readFile(shipped), QByteArray("shipped"));
    QCOMPARE(updateFolders(), QStringList());
}

void tst_FirmwareUpdate::removesTheTemporaryFolderWhateverHappens() {
    // The updater fails to start: the command names the copy that was tried.
    UpdateBench update;
    update.takeFolderAsReadOnly();
    update.updaterRunMs = FakeUpdater::FailsToStart;
    update.update(update.firmware);
    const QString tried = update.log.value(0).section(QStringLiteral(", in "), 0, 0);
    QVERIFY2(tried.startsWith(QDir::toNativeSeparators(QDir::tempPath())), qPrintable(tried));
    QCOMPARE(
        update.message(),
        QStringLiteral("Critical Error|The firmware updater could not be started.\nCommand: ") +
            tried + QStringLiteral("\nReason: Permission denied"));
    QVERIFY(update.reconnected());
    QCOMPARE(updateFolders(), QStringList());

    // No updater: named where it belongs, not in the temporary folder.
    UpdateBench missing(false);
    missing.takeFolderAsReadOnly();
    missing.update(missing.firmware);
    QCOMPARE(missing.message(), QStringLiteral("Critical Error|The firmware updater ") +
                                    QDir::toNativeSeparators(missing.updater) +
                                    QStringLiteral(" was not found."));
    QVERIFY(missing.reconnected());
    QCOMPARE(updateFolders(), QStringList());

    // No temporary folder can be made (the folder for them is missing, or is a file):
    // told before the port is touched.
    const QString aFile = m_temporaryRoot.filePath(QStringLiteral("a file"));
    QVERIFY(writeFile(aFile, "not a folder"));
    for (const QString& root : {m_temporaryRoot.filePath(QStringLiteral("missing")), aFile}) {
        useTemporaryRoot(root);
        missing.update(missing.firmware);
        useTemporaryRoot(m_temporaryRoot.path());
        QVERIFY2(missing.message().startsWith(QStringLiteral(
                     "Critical Error|No temporary folder could be made for the update.\nReason: ")),
                 qPrintable(missing.message()));
        QVERIFY(missing.portOpen() && missing.bench.line().takeWrites().isEmpty());
        QVERIFY(missing.updateButton()->isEnabled());
    }

    // The program ends while the updater runs.
    {
        UpdateBench ending;
        ending.takeFolderAsReadOnly();
        ending.update(ending.firmware);
        QCOMPARE(updateFolders().size(), 1);
    }
    QCOMPARE(updateFolders(), QStringList());
}

void tst_FirmwareUpdate::runsAScriptedUpdaterFromATemporaryFolder() {
#ifndef Q_OS_UNIX
    QSKIP("The scripted updater is a shell script");
#else
    UpdateBench update(false);
    // The updater records where it lies, its arguments, its working folder and the
    // content of the file it was given.
    const QString record = update.firmwareDir.filePath(QStringLiteral("record.txt"));
    QVERIFY(writeFile(update.updater, "#!/bin/sh\nprintf '%s|%s|%s|%s\\n' \"$(dirname \"$0\")\" "
                                      "\"$*\" \"$(pwd)\" \"$(cat \"$1\")\" > '" +
                                          QFile::encodeName(record) + "'\n"));
    QVERIFY(QFile::setPermissions(update.updater,
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    update.window()->setUpdaterSetup({update.folder,
                                      [] { return std::make_unique<QtUpdaterProcess>(); },
                                      [](const QString&) { return false; }});
    update.update(update.firmware);
    const QStringList temporary = updateFolders();
    QCOMPARE(temporary.size(), 1);
    update.bench.clock().advance(5001);
    QTRY_COMPARE(update.status(), QStringLiteral("Reconnecting... "));
    const QString folder = temporary[0].chopped(1);
    QCOMPARE(QString::fromLocal8Bit(readFile(record)),
             folder + QStringLiteral("|board.zep -COM1 -115200|") + folder +
                 QStringLiteral("|firmware 2.1\n"));
    update.bench.clock().advance(9001);
    QVERIFY(update.reconnected());
    QCOMPARE(updateFolders(), QStringList());
    QVERIFY(update.bench.dialogs().messages.isEmpty());

    // An updater that may not be run fails to start: reported, and reconnected at once.
    QVERIFY(QFile::setPermissions(update.updater, QFile::ReadOwner | QFile::WriteOwner));
    update.update(update.firmware);
    QTRY_VERIFY2(update.message().startsWith(
                     QStringLiteral("Critical Error|The firmware updater could not be started.")),
                 qPrintable(update.message()));
    QVERIFY(update.reconnected());
    QCOMPARE(updateFolders(), QStringList());
#endif
}

QTEST_MAIN(tst_FirmwareUpdate)
#include "tst_firmwareupdate.moc"
