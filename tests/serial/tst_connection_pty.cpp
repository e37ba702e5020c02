#include "board/pty/pseudoterminal.h"
#include "engine/commands.h"
#include "engine/portcatalog.h"
#include "engine/session.h"
#include "pseudoterminalbench.h"

#include <QComboBox>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

// The real serial port code against a pseudo-terminal that plays the board.
class tst_ConnectionPty : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void connectTalkAndDisconnect();
    void identificationInPieces();
    void changeTheBoardsSpeed();
    void listsADeviceWhileItIsThere();
};

void tst_ConnectionPty::connectTalkAndDisconnect() {
    PseudoTerminal board;
    QVERIFY2(board.isOpen(), qPrintable(board.errorString()));
    // The device is made known the way users name ports the system scan cannot see.
    const QString path = board.devicePath();
    qputenv("LUMARET_PORTS", path.toLocal8Bit());
    TestBench bench(PortCatalog::system());
    bench.clock().followRealTime();
    bench.open(QStringLiteral("frmSettings"));
    auto* ports =
        bench.find<QComboBox>(QStringLiteral("frmSettings"), QStringLiteral("cbo_mostraporta"));
    ports->setCurrentIndex(ports->findText(path));
    QCOMPARE(ports->currentText(), path);
    auto* connectButton =
        bench.find<QPushButton>(QStringLiteral("frmSettings"), QStringLiteral("cmd_conecta"));
    click(connectButton);

    QByteArray received;
    QTRY_VERIFY((received += board.readAvailable()).contains("ID"));
    QVERIFY(board.write("LCD 100\r\n"));
    QTRY_COMPARE(bench.main().statusText(),
                 QStringLiteral("Connected: ") + path + QStringLiteral(" 115200,N,8,1"));

    // Bytes above 127 and control codes cross the line untouched.
    bench.engine().send(Commands::clearScreen(200));
    bench.engine().send(Commands::writeText(255, 1, QByteArray("\r\n\b", 3)));
    const QByteArray expected =
        QByteArray("CS") + bytes({200}) + QByteArray("WT") + bytes({255, 1, 13, 10, 8, 13});
    received.clear();
    QTRY_COMPARE(received += board.readAvailable(), expected);

    // The receive poll brings the board's answers in.
    QVERIFY(board.write("!"));
    QTRY_COMPARE(bench.engine().session().controllerResponse(), QStringLiteral("!"));

    click(connectButton);
    QCOMPARE(bench.main().statusText(), QStringLiteral("Controller Disconnected "));
    QVERIFY(!bench.engine().portOpen());
}

// A USB adapter hands the answer over in packets, each read on its own.
void tst_ConnectionPty::identificationInPieces() {
    PseudoTerminal board;
    QVERIFY2(board.isOpen(), qPrintable(board.errorString()));
    const QString path = board.devicePath();
    TestBench bench(deviceCatalog(path));
    bench.clock().followRealTime();
    bench.open(QStringLiteral("frmSettings"));
    click(bench.find<QPushButton>(QStringLiteral("frmSettings"), QStringLiteral("cmd_conecta")));

    QByteArray received;
    QTRY_VERIFY((received += board.readAvailable()).contains("ID"));
    QSignalSpy reads(&bench.engine(), &BoardEngine::lineTraffic);
    for (const char* piece : {"LCD 1", "0", "0\r\n"}) {
        QVERIFY(board.write(piece));
        // Longer than the handshake's 50 ms step: each piece is a read of its own.
        QTest::qWait(120);
    }
    QTRY_VERIFY(bench.main().statusText().startsWith(QStringLiteral("Connected: ")));
    QCOMPARE(bench.engine().identification(), QByteArray("LCD 100\r\n"));
    QVERIFY(reads.count() >= 3);
}

void tst_ConnectionPty::changeTheBoardsSpeed() {
    PseudoTerminalBench simulator;
    QVERIFY2(simulator.isOpen(), qPrintable(simulator.errorString()));
    QVERIFY(simulator.connectBoard());
    TestBench& bench = simulator.bench();
    const QString settings = QStringLiteral("frmSettings");
    bench.find<QComboBox>(settings, QStringLiteral("cmbBoudRate"))->setCurrentIndex(0);
    click(bench.find<QPushButton>(settings, QStringLiteral("cmdBaudRate")));

    // The board hears the command at the old speed before the port closes.
    QTRY_COMPARE(simulator.board().baudRate(), 9600);
    bench.clock().advance(50 + 2801);
    QTRY_VERIFY(bench.main().statusText().endsWith(QStringLiteral(" 9600,N,8,1")));
    QVERIFY(bench.main().statusText().startsWith(QStringLiteral("Connected: ")));
}

// A board that appears while the settings window is open (lumaret-board started with
// --link, named in LUMARET_PORTS), is connected to, and vanishes with its program.
void tst_ConnectionPty::listsADeviceWhileItIsThere() {
    QTemporaryDir folder;
    const QString link = folder.filePath(QStringLiteral("board"));
    qputenv("LUMARET_PORTS", link.toLocal8Bit());
    TestBench bench(PortCatalog::system());
    bench.clock().followRealTime();
    const QString settings = QStringLiteral("frmSettings");
    bench.open(settings);
    auto* ports = bench.find<QComboBox>(settings, QStringLiteral("cbo_mostraporta"));
    auto* check = bench.find<QTimer>(settings, QStringLiteral("tmrPorts"));
    const auto nextCheck = [check] { QMetaObject::invokeMethod(check, "timeout"); };
    QCOMPARE(ports->findText(link), -1);

    QProcess board;
    board.start(qEnvironmentVariable("LUMARET_BIN_DIR") + QStringLiteral("/lumaret-board"),
                {QStringLiteral("--link"), link});
    QVERIFY2(board.waitForStarted(), qPrintable(board.errorString()));
    QTRY_VERIFY(QFileInfo::exists(link));
    nextCheck();
    QVERIFY(ports->findText(link) >= 0);
    ports->setCurrentIndex(ports->findText(link));
    click(bench.find<QPushButton>(settings, QStringLiteral("cmd_conecta")));
    QTRY_COMPARE(bench.main().statusText(),
                 QStringLiteral("Connected: ") + link + QStringLiteral(" 115200,N,8,1"));

    // Gone: the connection is lost with a message that says what happened, and the list
    // lets go of the device. The idle port notices at once, without reading in a loop.
    int portEvents = 0;
    auto* device = bench.engine().findChild<QSerialPort*>();
    QVERIFY(device);
    connect(device, &QSerialPort::errorOccurred, [&portEvents] { ++portEvents; });
    connect(device, &QSerialPort::readyRead, [&portEvents] { ++portEvents; });
    board.terminate();
    QVERIFY(board.waitForFinished());
    QTRY_COMPARE_WITH_TIMEOUT(bench.dialogs().messages.size(), 1, 250);
    QVERIFY2(portEvents < 10, qPrintable(QString::number(portEvents)));
    QCOMPARE(bench.dialogs().messages[0].title, QStringLiteral("Critical Error"));
    QVERIFY2(bench.dialogs().messages[0].text.startsWith(QStringLiteral("The board on ") + link +
                                                         QStringLiteral(" is no longer there")),
             qPrintable(bench.dialogs().messages[0].text));
    QCOMPARE(bench.main().statusText(), QStringLiteral("Controller Disconnected"));
    QVERIFY(!bench.engine().portOpen());
    nextCheck();
    QCOMPARE(ports->findText(link), -1);
    qunsetenv("LUMARET_PORTS");
}

QTEST_MAIN(tst_ConnectionPty)
#include "tst_connection_pty.moc"
