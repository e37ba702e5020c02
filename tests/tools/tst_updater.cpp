#include "utilities/updatercommand.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// The substitute firmware updater, run as the program runs it.
class tst_Updater : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void reportsWhatItWouldTransfer();
    void failsOnBadArguments_data();
    void failsOnBadArguments();

private:
    struct Run {
        int exitCode;
        QString output;
        QString errors;
    };
    // Runs the updater from its place next to the firmware file.
    Run run(const QStringList& arguments);

    QTemporaryDir m_folder;
    QString m_updater;
};

void tst_Updater::initTestCase() {
    const QString built =
        QDir(qEnvironmentVariable("LUMARET_BIN_DIR")).filePath(UpdaterCommand::name());
    QVERIFY2(QFile::exists(built), qPrintable(built));
    m_updater = m_folder.filePath(UpdaterCommand::name());
    QVERIFY(QFile::copy(built, m_updater));
    QFile firmware(m_folder.filePath(QStringLiteral("my board.zep")));
    QVERIFY(firmware.open(QIODevice::WriteOnly));
    firmware.write(QByteArray(1234, 'z'));
}

tst_Updater::Run tst_Updater::run(const QStringList& arguments) {
    QProcess process;
    // Elsewhere than the updater's folder: the bare file name means the file next to it.
    process.setWorkingDirectory(QDir::tempPath());
    process.start(m_updater, arguments);
    if (!process.waitForFinished(30000))
        return {-1, QString(), process.errorString()};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

void tst_Updater::reportsWhatItWouldTransfer() {
    const Run result = run(UpdaterCommand::arguments(QStringLiteral("my board.zep")));
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.output.contains(QStringLiteral("no board is written")),
             qPrintable(result.output));
    QVERIFY2(result.output.contains(QStringLiteral("my board.zep (1234 bytes) over COM1 at 115200 "
                                                   "bit/s")),
             qPrintable(result.output));
    QVERIFY(result.errors.isEmpty());

    QCOMPARE(
        run({QStringLiteral("my board.zep"), QStringLiteral("-COM12"), QStringLiteral("-9600")})
            .exitCode,
        0);
}

void tst_Updater::failsOnBadArguments_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("complaint");
    const QString file = QStringLiteral("my board.zep");
    const QString port = QStringLiteral("-COM1");
    const QString speed = QStringLiteral("-115200");
    QTest::newRow("nothing") << QStringList() << QStringLiteral("expected 3 arguments, got 0");
    QTest::newRow("no speed") << QStringList{file, port} << QStringLiteral("expected 3 arguments");
    QTest::newRow("one too many") << QStringList{file, port, speed, speed}
                                  << QStringLiteral("expected 3 arguments, got 4");
    QTest::newRow("the line as one argument")
        << QStringList{file + QLatin1Char(' ') + port + QLatin1Char(' ') + speed}
        << QStringLiteral("expected 3 arguments, got 1");
    QTest::newRow("option first") << QStringList{port, file, speed}
                                  << QStringLiteral("must name the firmware file");
    QTest::newRow("port 0") << QStringList{file, QStringLiteral("-COM0"), speed}
                            << QStringLiteral("is not a port");
    QTest::newRow("port name") << QStringList{file, QStringLiteral("COM1"), speed}
                               << QStringLiteral("is not a port");
    QTest::newRow("odd speed") << QStringList{file, port, QStringLiteral("-12345")}
                               << QStringLiteral("is not a speed");
    QTest::newRow("speed text") << QStringList{file, port, QStringLiteral("-fast")}
                                << QStringLiteral("is not a speed");
    QTest::newRow("missing file") << QStringList{QStringLiteral("gone.zep"), port, speed}
                                  << QStringLiteral("there is no such file");
    QTest::newRow("a folder") << QStringList{QStringLiteral("."), port, speed}
                              << QStringLiteral("it is not a file");
}

void tst_Updater::failsOnBadArguments() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, complaint);
    const Run result = run(arguments);
    QVERIFY(result.exitCode > 0);
    QVERIFY2(result.errors.contains(complaint), qPrintable(result.errors));
    QVERIFY(result.output.isEmpty());
}

QTEST_GUILESS_MAIN(tst_Updater)
#include "tst_updater.moc"
