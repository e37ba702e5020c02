#include "board/pty/pseudoterminal.h"

#include <QFile>
#include <QProcess>
#include <QTest>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The system's account of no privileges: in no group that owns a serial port.
const QString Stranger = QStringLiteral("nobody");

QString program(const char* name) {
    return qEnvironmentVariable("LUMARET_BIN_DIR") + QLatin1Char('/') + QLatin1String(name);
}

int run(const QString& command, const QStringList& arguments, QByteArray* output = nullptr) {
    QProcess process;
    process.start(command, arguments);
    if (!process.waitForFinished(60000))
        return -1;
    if (output)
        *output = process.readAllStandardOutput() + process.readAllStandardError();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

} // namespace

// lumaret-cli as a user who may not open the port.
class tst_CliPortsPty : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void aStrangerIsToldWhichGroupToJoin();
};

void tst_CliPortsPty::aStrangerIsToldWhichGroupToJoin() {
    if (geteuid() != 0)
        QSKIP("running as another user needs root");
    const group* dialout = getgrnam("dialout");
    if (!dialout)
        QSKIP("this system has no dialout group");
    if (run(QStringLiteral("id"), {Stranger}) != 0)
        QSKIP("this system has no account \"nobody\"");
    QByteArray output;
    if (run(QStringLiteral("runuser"),
            {QStringLiteral("-u"), Stranger, QStringLiteral("--"), program("lumaret-cli"),
             QStringLiteral("--version")},
            &output) != 0)
        QSKIP(qPrintable(QStringLiteral("the second user cannot run lumaret-cli here: ") +
                         QString::fromLocal8Bit(output)));

    PseudoTerminal board;
    QVERIFY2(board.isOpen(), qPrintable(board.errorString()));
    const QByteArray device = QFile::encodeName(board.devicePath());
    QCOMPARE(chown(device.constData(), 0, dialout->gr_gid), 0);
    QCOMPARE(chmod(device.constData(), 0660), 0);

    QCOMPARE(run(QStringLiteral("runuser"),
                 {QStringLiteral("-u"), Stranger, QStringLiteral("--"), program("lumaret-cli"),
                  QStringLiteral("--port"), board.devicePath(), QStringLiteral("identify")},
                 &output),
             2);
    for (const QString& text :
         {QStringLiteral("cannot open the port: You may not open %1: it belongs to the group "
                         "\"dialout\"")
              .arg(board.devicePath()),
          QStringLiteral("sudo usermod -aG dialout $USER"), QStringLiteral("(the system says: ")})
        QVERIFY2(QString::fromUtf8(output).contains(text), output.constData());
    // Nothing reached the board.
    QCOMPARE(board.readAvailable(), QByteArray());

    QCOMPARE(run(QStringLiteral("runuser"),
                 {QStringLiteral("-u"), Stranger, QStringLiteral("--"), program("lumaret-cli"),
                  QStringLiteral("doctor"), board.devicePath()},
                 &output),
             2);
    QVERIFY2(output.contains("  device: a serial port, crw-rw---- root:dialout\n  access: you may "
                             "not open it\n"),
             output.constData());
}

QTEST_GUILESS_MAIN(tst_CliPortsPty)
#include "tst_cliports_pty.moc"
