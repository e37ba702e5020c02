#include "utilities/updatercommand.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// The substitute firmware updater, run as the program runs it: from its place next to
// the firmware file, with the bare file name, the port and the speed.
class tst_Updater : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void reportsOrComplains_data();
    void reportsOrComplains();

private:
    QTemporaryDir m_folder;
    QString m_updater;
};

void tst_Updater::initTestCase() {
    const QString built =
        QDir(qEnvironmentVariable("LUMARET_BIN_DIR")).filePath(UpdaterCommand::name());
    m_updater = m_folder.filePath(UpdaterCommand::name());
    QVERIFY2(QFile::copy(built, m_updater), qPrintable(built));
    QFile firmware(m_folder.filePath(QStringLiteral("my board.zep")));
    QVERIFY(firmware.open(QIODevice::WriteOnly));
    firmware.write(QByteArray(1234, 'z'));
}

void tst_Updater::reportsOrComplains_data() {
    QTest::addColumn<QStringList>("arguments"); // written separated by "|"
    QTest::addColumn<bool>("succeeds");
    QTest::addColumn<QString>("text"); // on standard output when it succeeds, else on errors
    const auto row = [](const char* name, const char* arguments, bool succeeds, const char* text) {
        QTest::newRow(name) << QString::fromLatin1(arguments).split(QLatin1Char('|'),
                                                                    Qt::SkipEmptyParts)
                            << succeeds << QString::fromLatin1(text);
    };
    QTest::newRow("as the program calls it")
        << UpdaterCommand::arguments(QStringLiteral("my board.zep")) << true
        << QStringLiteral("my board.zep (1234 bytes) over COM1 at 115200 bit/s");
    row("another port and speed", "my board.zep|-COM12|-9600", true, "over COM12 at 9600 bit/s");
    row("nothing", "", false, "expected 3 arguments, got 0");
    row("the line as one argument", "my board.zep -COM1 -115200", false, "got 1");
    row("option first", "-COM1|my board.zep|-115200", false, "must name the firmware file");
    row("port name", "my board.zep|COM1|-115200", false, "is not a port");
    row("odd speed", "my board.zep|-COM1|-12345", false, "is not a speed");
    row("missing file", "gone.zep|-COM1|-115200", false, "there is no such file");
    row("a folder", ".|-COM1|-115200", false, "it is not a file");
}

void tst_Updater::reportsOrComplains() {
    QFETCH(QStringList, arguments);
    QFETCH(bool, succeeds);
    QFETCH(QString, text);
    QProcess process;
    // Elsewhere than the updater's folder: the bare file name means the file next to it.
    process.setWorkingDirectory(QDir::tempPath());
    process.start(m_updater, arguments);
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    const QString output = QString::fromLocal8Bit(process.readAllStandardOutput());
    const QString errors = QString::fromLocal8Bit(process.readAllStandardError());
    if (succeeds) {
        QCOMPARE(process.exitCode(), 0);
        QVERIFY2(output.contains(text) && output.contains(QStringLiteral("no board is written")),
                 qPrintable(output));
        QVERIFY(errors.isEmpty());
    } else {
        QVERIFY(process.exitCode() > 0);
        QVERIFY2(errors.contains(text), qPrintable(errors));
        QVERIFY(output.isEmpty());
    }
}

QTEST_GUILESS_MAIN(tst_Updater)
#include "tst_updater.moc"
