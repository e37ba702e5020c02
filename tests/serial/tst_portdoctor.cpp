#include "engine/portdoctor.h"
#include "engine/terminaltext.h"
#include "serial/connectionmessages.h"

#include <QTest>

namespace {

constexpr unsigned Dialout = 20;
constexpr unsigned Tty = 5;
constexpr unsigned Me = 1000;

PortEvidence serialPort(unsigned mode = 0660, unsigned group = Dialout, unsigned owner = 0) {
    PortEvidence port;
    port.device = QStringLiteral("/dev/ttyUSB0");
    port.kind = PortEvidence::Kind::Terminal;
    port.mode = mode;
    port.ownerId = owner;
    port.ownerName = QStringLiteral("root");
    port.groupId = group;
    port.groupName = group == Dialout ? QStringLiteral("dialout") : QStringLiteral("tty");
    return port;
}

UserEvidence user(QList<unsigned> login, QList<unsigned> groupFile = {}, unsigned id = Me) {
    UserEvidence evidence;
    evidence.userId = id;
    evidence.userName = QStringLiteral("ada");
    evidence.pid = 4242;
    evidence.loginGroupIds = login;
    evidence.groupFileIds = groupFile.isEmpty() ? login : groupFile;
    return evidence;
}

PortLock lock(qint64 pid, bool alive, unsigned owner) {
    return {QStringLiteral("/run/lock/LCK..ttyUSB0"), pid, alive,
            alive ? QStringLiteral("minicom") : QString(), owner};
}

// A serial port the group may use, held open by these programs or locked by this lock.
PortEvidence heldBy(const QList<PortHolder>& holders) {
    PortEvidence port = serialPort();
    port.holders = holders;
    return port;
}
PortEvidence lockedBy(const PortLock& portLock) {
    PortEvidence port = serialPort();
    port.locks = {portLock};
    return port;
}

} // namespace

Q_DECLARE_METATYPE(PortEvidence)
Q_DECLARE_METATYPE(UserEvidence)

class tst_PortDoctor : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void tellsWhatIsWrongAndWhatToDo_data();
    void tellsWhatIsWrongAndWhatToDo();
    void reportsEveryCheck();
    void theWindowsMessageKeepsTheSystemsText();
    void escapesWhatABoardSent();
};

void tst_PortDoctor::tellsWhatIsWrongAndWhatToDo_data() {
    QTest::addColumn<PortEvidence>("port");
    QTest::addColumn<UserEvidence>("who");
    QTest::addColumn<int>("verdict");
    // Every text the advice must hold, "|"-separated.
    QTest::addColumn<QByteArray>("says");
    using Verdict = PortDiagnosis::Verdict;
    const UserEvidence outsider = user({Me});
    const UserEvidence member = user({Me, Dialout});

    QTest::newRow("member of the group")
        << serialPort() << member << int(Verdict::Fine) << QByteArray("");
    QTest::newRow("root may open anything")
        << serialPort(0600) << user({0}, {}, 0) << int(Verdict::Fine) << QByteArray("");
    QTest::newRow("the owner with 0600")
        << serialPort(0600, Dialout, Me) << outsider << int(Verdict::Fine) << QByteArray("");
    QTest::newRow("open to everyone")
        << serialPort(0666) << outsider << int(Verdict::Fine) << QByteArray("");
    QTest::newRow("not in the group")
        << serialPort() << outsider << int(Verdict::NoAccess)
        << QByteArray(
               "/dev/ttyUSB0|group \"dialout\"|not in that group|sudo usermod -aG dialout $USER|"
               "log out and in again");
    QTest::newRow("the device's real group")
        << serialPort(0660, Tty) << outsider << int(Verdict::NoAccess)
        << QByteArray("sudo usermod -aG tty $USER");
    QTest::newRow("in the group file, not in this login")
        << serialPort() << user({Me}, {Me, Dialout}) << int(Verdict::NewLoginNeeded)
        << QByteArray("in its group \"dialout\"|log out and in again|newgrp dialout");
    QTest::newRow("the group may not use it either")
        << serialPort(0600) << member << int(Verdict::NoAccess)
        << QByteArray("only root may|crw------- root:dialout|Ask the administrator");
    QTest::newRow("the group may only write")
        << serialPort(0620, Tty) << user({Me, Tty}) << int(Verdict::NoAccess)
        << QByteArray("only root may");
    const PortHolder minicom{900, QStringLiteral("minicom")};
    const PortHolder lumaret{4242, QStringLiteral("lumaret")};
    QTest::newRow("held by a program")
        << heldBy({minicom, lumaret}) << member << int(Verdict::Held)
        << QByteArray("/dev/ttyUSB0 is in use by minicom (process 900).|Close that program");
    QTest::newRow("only this program holds it")
        << heldBy({lumaret}) << member << int(Verdict::Fine) << QByteArray("");
    QTest::newRow("locked by a live program")
        << lockedBy(lock(900, true, 0)) << member << int(Verdict::Held)
        << QByteArray("locked by minicom (process 900) through /run/lock/LCK..ttyUSB0");
    QTest::newRow("stale lock of another user")
        << lockedBy(lock(31337, false, 0)) << member << int(Verdict::StaleLock)
        << QByteArray("lock file /run/lock/LCK..ttyUSB0|gone (process 31337)|sudo rm "
                      "/run/lock/LCK..ttyUSB0");
    QTest::newRow("stale lock of this user")
        << lockedBy(lock(0, false, Me)) << member << int(Verdict::StaleLock)
        << QByteArray("Remove it: rm /run/lock/LCK..ttyUSB0");
    QTest::newRow("access comes before holders")
        << heldBy({minicom}) << outsider << int(Verdict::NoAccess) << QByteArray("sudo usermod");
    for (const auto& [kind, name] :
         {std::pair{PortEvidence::Kind::Fifo, "a FIFO"},
          std::pair{PortEvidence::Kind::RegularFile, "a regular file"},
          std::pair{PortEvidence::Kind::OtherDevice, "a device that is not a terminal"},
          std::pair{PortEvidence::Kind::Directory, "a folder"}}) {
        PortEvidence port = serialPort(0666);
        port.kind = kind;
        port.device = QStringLiteral("/tmp/thing");
        QTest::newRow(name) << port << member << int(Verdict::NotSerial)
                            << QStringLiteral("/tmp/thing is not a serial port (it is %1)")
                                   .arg(QLatin1String(name))
                                   .toUtf8();
    }
    PortEvidence missing = serialPort();
    missing.kind = PortEvidence::Kind::Missing;
    QTest::newRow("missing") << missing << member << int(Verdict::Missing)
                             << QByteArray("/dev/ttyUSB0 does not exist");
    PortEvidence unknown;
    unknown.device = QStringLiteral("COM3");
    QTest::newRow("the system tells nothing")
        << unknown << outsider << int(Verdict::Unknown) << QByteArray("");
}

void tst_PortDoctor::tellsWhatIsWrongAndWhatToDo() {
    QFETCH(PortEvidence, port);
    QFETCH(UserEvidence, who);
    QFETCH(int, verdict);
    QFETCH(QByteArray, says);
    const PortDiagnosis diagnosis = PortDoctor::diagnose(port, who);
    QCOMPARE(int(diagnosis.verdict), verdict);
    const QString advice = diagnosis.advice();
    QCOMPARE(advice.isEmpty(), says.isEmpty());
    for (const QByteArray& text : says.split('|'))
        QVERIFY2(advice.contains(QString::fromUtf8(text)), qPrintable(advice));
}

void tst_PortDoctor::reportsEveryCheck() {
    PortEvidence port = lockedBy(lock(31337, false, 0));
    port.usbVendorId = QStringLiteral("0403");
    port.usbProductId = QStringLiteral("6001");
    port.usbManufacturer = QStringLiteral("FTDI");
    port.usbProduct = QStringLiteral("FT232R USB UART");
    port.usbSerial = QStringLiteral("A50285BI");
    QCOMPARE(PortDoctor::report(port, user({Me, Dialout})),
             (QStringList{
                 QStringLiteral("/dev/ttyUSB0"),
                 QStringLiteral("  device: a serial port, crw-rw---- root:dialout"),
                 QStringLiteral("  USB: 0403:6001 FTDI FT232R USB UART, serial A50285BI"),
                 QStringLiteral("  access: you may open it"),
                 QStringLiteral("  held by: nobody"),
                 QStringLiteral("  lock file: /run/lock/LCK..ttyUSB0, left by a program that is "
                                "gone"),
                 QStringLiteral("  problem: /dev/ttyUSB0 is blocked by the lock file "
                                "/run/lock/LCK..ttyUSB0, left by a program that is gone "
                                "(process 31337)."),
                 QStringLiteral("  to do: Remove it: sudo rm /run/lock/LCK..ttyUSB0"),
             }));
    PortEvidence gone = serialPort();
    gone.kind = PortEvidence::Kind::Missing;
    QCOMPARE(PortDoctor::report(gone, user({Me})),
             (QStringList{QStringLiteral("/dev/ttyUSB0"), QStringLiteral("  device: missing")}));

    QVERIFY(PortDoctor::systemReport({}).isEmpty());
    const QStringList programs =
        PortDoctor::systemReport({true, {QStringLiteral("/usr/lib/udev/rules.d/85-brltty.rules")}});
    QCOMPARE(programs.size(), 2);
    QVERIFY(programs.at(0).contains(QStringLiteral("sudo systemctl disable --now ModemManager")));
    QVERIFY(programs.at(1).contains(QStringLiteral("85-brltty.rules")));
    QVERIFY(programs.at(1).contains(QStringLiteral("sudo apt remove brltty")));
}

void tst_PortDoctor::theWindowsMessageKeepsTheSystemsText() {
    const QString designed = QStringLiteral("Can't open the selected COM Port.\nError code: 2\n"
                                            "Description: Permission denied");
    QCOMPARE(ConnectionMessages::cannotOpen({2, QStringLiteral("Permission denied")}), designed);
    const PortDiagnosis diagnosis = PortDoctor::diagnose(serialPort(), user({Me}));
    QCOMPARE(ConnectionMessages::cannotOpen(
                 {2, QStringLiteral("Permission denied"), diagnosis.advice()}),
             designed + QStringLiteral("\n\n") + diagnosis.advice());
}

void tst_PortDoctor::escapesWhatABoardSent() {
    QCOMPARE(TerminalText::escaped(u"100"), QStringLiteral("100"));
    QCOMPARE(TerminalText::escaped(QString::fromLatin1("\x1b[2J\a\t\r\n\x7f\xff\\", 11)),
             QStringLiteral("\\x1b[2J\\x07\\t\\r\\n\\x7f\\xff\\"));
    QCOMPARE(TerminalText::escaped(u"abcdef", 4), QStringLiteral("abcd ... and 2 more bytes"));
    QCOMPARE(TerminalText::escaped(QString(6512344, QLatin1Char('x')), 4).size(),
             QStringLiteral("xxxx ... and 6,512,340 more bytes").size());
}

QTEST_GUILESS_MAIN(tst_PortDoctor)
#include "tst_portdoctor.moc"
