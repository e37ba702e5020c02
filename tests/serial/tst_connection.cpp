#include "engine/clock.h"
#include "engine/session.h"
#include "serial/connectionmessages.h"
#include "testbench.h"

#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {
const QString Settings = QStringLiteral("frmSettings");

QStringList itemTexts(const QComboBox* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts.append(list->itemText(i));
    return texts;
}

// One tick of a window's timer, as its interval would bring it.
void tick(QTimer* timer) {
    QVERIFY(timer && timer->isActive());
    QMetaObject::invokeMethod(timer, "timeout");
}
} // namespace

class tst_Connection : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void eachLoadResetsSharedStateAndListsPorts();
    void connectsWhenTheAnswerArrivesInTime_data();
    void connectsWhenTheAnswerArrivesInTime();
    void silentBoardTimesOutOnce_data();
    void silentBoardTimesOutOnce();
    void disconnectEndsAProbeOrAConnection();
    void openFailureTakesTheErrorPath();
    void lostPortEndsTheConnection();
    void lostPortIsToldInPlainWords_data();
    void lostPortIsToldInPlainWords();
    void failedIdentificationWriteLeavesTheTimeOutRunning();
    void noPortsGivesAClearMessage();
    void portListFollowsTheSystemWhileOpen();
    void baudRateChangeReconnectsAtNewSpeed();
    void baudRateChangeRefusals();

private:
    QComboBox* combo(TestBench& bench, const char* name) {
        return bench.find<QComboBox>(Settings, QLatin1String(name));
    }
    QPushButton* button(TestBench& bench, const char* name) {
        return bench.find<QPushButton>(Settings, QLatin1String(name));
    }
    ClockTimer* timer(TestBench& bench, const char* name) {
        return bench.main().findChild<ClockTimer*>(QLatin1String(name));
    }
    // The settings window offers a new attempt: "Connect" enabled, port and speed choosable.
    bool readyToConnect(TestBench& bench) {
        QPushButton* connect = button(bench, "cmd_conecta");
        return connect->text() == QStringLiteral("Connect") && connect->isEnabled() &&
               combo(bench, "cbo_mostraporta")->isEnabled() && combo(bench, "cboBR")->isEnabled();
    }
};

void tst_Connection::eachLoadResetsSharedStateAndListsPorts() {
    TestBench bench;
    Session& session = bench.engine().session();
    QCOMPARE(session.selectedColor(), 0);
    QCOMPARE(session.touchMode(), Session::TouchMode::Unset);

    bench.open(Settings);
    QCOMPARE(bench.window(Settings)->windowTitle(), QStringLiteral("Settings "));
    QCOMPARE(bench.captionMismatches(Settings, {"Connect:Settings", "Label1:COM Port",
                                                "Label2:Baud Rate", "cmd_conecta:Connect",
                                                "Frame10:Change Baud Rate", "cmdBaudRate:OK"}),
             QStringList());
    QCOMPARE(combo(bench, "cbo_mostraporta")->count(), 3);
    QCOMPARE(combo(bench, "cbo_mostraporta")->itemText(2), QStringLiteral("4"));
    QCOMPARE(combo(bench, "cbo_mostraporta")->currentText(), QStringLiteral("1"));
    QCOMPARE(combo(bench, "cboBR")->currentText(), QStringLiteral("115200"));
    QCOMPARE(combo(bench, "cmbBoudRate")->currentIndex(), 6);
    QVERIFY(readyToConnect(bench));
    QCOMPARE(session.selectedColor(), 255);
    QCOMPARE(session.touchMode(), Session::TouchMode::Off);

    // Reopened while connected: the reset again, and no second connection offered.
    bench.connectBoard();
    session.setSelectedColor(28);
    session.setTouchMode(Session::TouchMode::Keypad);
    bench.window(Settings)->parentWidget()->close();
    bench.open(Settings);
    QCOMPARE(session.selectedColor(), 255);
    QCOMPARE(session.touchMode(), Session::TouchMode::Off);
    QVERIFY(!button(bench, "cmd_conecta")->isEnabled());
    QVERIFY(bench.line().isOpen());
}

void tst_Connection::connectsWhenTheAnswerArrivesInTime_data() {
    QTest::addColumn<QList<QByteArray>>("reads");
    QTest::addColumn<int>("gapMs");
    QTest::addColumn<bool>("connects");
    QTest::newRow("plain") << QList<QByteArray>{"100"} << 0 << true;
    QTest::newRow("among other text") << QList<QByteArray>{"LCD v100 ready"} << 0 << true;
    QTest::newRow("after silence") << QList<QByteArray>{"", "", "100"} << 50 << true;
    // Serial adapters hand bytes over in packets of their own timing.
    QTest::newRow("two reads 40 ms apart") << QList<QByteArray>{"10", "0"} << 40 << true;
    QTest::newRow("two reads 500 ms apart") << QList<QByteArray>{"LCD 1", "00\r\n"} << 500 << true;
    QTest::newRow("three reads 40 ms apart") << QList<QByteArray>{"1", "0", "0"} << 40 << true;
    QTest::newRow("three reads 500 ms apart") << QList<QByteArray>{"1", "0", "0"} << 500 << true;
    QTest::newRow("not within 1.5 s") << QList<QByteArray>{"10", "0"} << 1500 << false;
    QTest::newRow("other answers") << QList<QByteArray>{"!", "101", "10", "1"} << 50 << false;
}

void tst_Connection::connectsWhenTheAnswerArrivesInTime() {
    QFETCH(QList<QByteArray>, reads);
    QFETCH(int, gapMs);
    QFETCH(bool, connects);
    TestBench bench;
    bench.open(Settings);
    click(button(bench, "cmd_conecta"));

    QCOMPARE(bench.line().takeWrites(), QList<QByteArray>{"ID"});
    QCOMPARE(bench.line().openedBaudRates, QList<int>{115200});
    QCOMPARE(bench.main().statusText(), QStringLiteral("Connecting"));
    QVERIFY(!combo(bench, "cbo_mostraporta")->isEnabled());
    QVERIFY(!combo(bench, "cboBR")->isEnabled());
    QVERIFY(timer(bench, "Timer1")->isActive());

    bench.line().answer(reads.first());
    // Nothing is read before the 50 ms step has passed.
    bench.clock().advance(49);
    QCOMPARE(bench.line().pending, reads.first());
    bench.clock().advance(1);
    QCOMPARE(bench.engine().session().controllerResponse(), QString::fromLatin1(reads.first()));
    for (const QByteArray& read : reads.mid(1)) {
        bench.clock().advance(gapMs);
        bench.line().answer(read);
    }
    // The next step reads what came last.
    bench.clock().advance(50);

    if (connects) {
        QCOMPARE(bench.main().statusText(), QStringLiteral("Connected: COM1 115200,N,8,1"));
        QCOMPARE(button(bench, "cmd_conecta")->text(), QStringLiteral("Disconnect"));
        QVERIFY(!timer(bench, "Timer1")->isActive());
        QVERIFY(!timer(bench, "Timer4")->isActive());
        QVERIFY(timer(bench, "Timer2")->isActive());
        QVERIFY(bench.dialogs().messages.isEmpty());
        return;
    }
    bench.clock().advance(1500);
    QCOMPARE(bench.main().statusText(), QStringLiteral("Controller Disconnected"));
    QVERIFY(!timer(bench, "Timer2")->isActive());
    QCOMPARE(bench.dialogs().messages.size(), 1);
    QCOMPARE(bench.dialogs().messages[0].text, QStringLiteral("Controller not found"));
}

void tst_Connection::silentBoardTimesOutOnce_data() {
    QTest::addColumn<bool>("windowClosed");
    QTest::newRow("settings window open") << false;
    QTest::newRow("settings window closed") << true;
}

void tst_Connection::silentBoardTimesOutOnce() {
    QFETCH(bool, windowClosed);
    TestBench bench;
    bench.open(Settings);
    click(button(bench, "cmd_conecta"));
    bench.clock().advanceToTick(bench.engine(), QStringLiteral("Timer4"));
    if (windowClosed)
        bench.window(Settings)->parentWidget()->close();
    bench.clock().advanceToTick(bench.engine(), QStringLiteral("Timer1"));

    QVERIFY(!bench.line().isOpen());
    QCOMPARE(bench.main().statusText(), QStringLiteral("Controller Disconnected"));
    QCOMPARE(bench.dialogs().messages.size(), 1);
    QCOMPARE(bench.dialogs().messages[0].title, QStringLiteral("Demo mode"));
    QCOMPARE(bench.dialogs().messages[0].text, QStringLiteral("Controller not found"));
    QCOMPARE(bench.dialogs().messages[0].icon, UserDialogs::Icon::Information);

    // The handshake's pending step sees the closed port and ends quietly.
    bench.line().answer("100");
    bench.clock().advanceToTick(bench.engine(), QStringLiteral("Timer4"));
    QCOMPARE(bench.main().statusText(), QStringLiteral("Controller Disconnected"));
    QCOMPARE(bench.dialogs().messages.size(), 1);
    if (windowClosed)
        return;

    QVERIFY(readyToConnect(bench));
    click(button(bench, "cmd_conecta"));
    bench.clock().advanceToTick(bench.engine(), QStringLiteral("Timer4"));
    QCOMPARE(bench.main().statusText(), QStringLiteral("Connected: COM1 115200,N,8,1"));
}

void tst_Connection::disconnectEndsAProbeOrAConnection() {
    TestBench bench;
    bench.open(Settings);
    click(button(bench, "cmd_conecta"));
    // Mid-probe, as the firmware update does when started right after Connect.
    bench.engine().disconnect();
    QVERIFY(!timer(bench, "Timer1")->isActive());
    QVERIFY(!timer(bench, "Timer4")->isActive());
    QVERIFY(!bench.line().isOpen());
    QCOMPARE(bench.main().statusText(), QStringLiteral("Controller Disconnected "));
    QVERIFY(readyToConnect(bench));

    bench.connectBoard();
    click(button(bench, "cmd_conecta"));
    QCOMPARE(bench.main().statusText(), QStringLiteral("Controller Disconnected "));
    QVERIFY(!bench.line().isOpen());
    QVERIFY(bench.line().takeWrites().isEmpty());
    QVERIFY(!timer(bench, "Timer2")->isActive());
    QVERIFY(readyToConnect(bench));

    // The next attempt uses the port and speed chosen now.
    combo(bench, "cbo_mostraporta")->setCurrentIndex(1);
    combo(bench, "cboBR")->setCurrentIndex(0);
    click(button(bench, "cmd_conecta"));
    bench.line().answer("100");
    bench.clock().advanceToTick(bench.engine(), QStringLiteral("Timer4"));
    QCOMPARE(bench.line().openedBaudRates.last(), 9600);
    QCOMPARE(bench.main().statusText(), QStringLiteral("Connected: COM3 9600,N,8,1"));
}

void tst_Connection::openFailureTakesTheErrorPath() {
    TestBench bench;
    bench.open(Settings);
    bench.line().openFailure = PortError{2, QStringLiteral("Permission denied")};
    click(button(bench, "cmd_conecta"));

    QCOMPARE(bench.dialogs().messages.size(), 1);
    QCOMPARE(bench.dialogs().messages[0].title, QStringLiteral("Critical Error"));
    QCOMPARE(bench.dialogs().messages[0].text,
             QStringLiteral("Can't open the selected COM Port.\nError code: 2\n"
                            "Description: Permission denied"));
    QCOMPARE(bench.dialogs().messages[0].icon, UserDialogs::Icon::Critical);
    QVERIFY(readyToConnect(bench));
    QCOMPARE(bench.main().statusText(), QStringLiteral("Controller Disconnected"));
    QVERIFY(!timer(bench, "Timer1")->isActive());
    QVERIFY(bench.line().writes.isEmpty());
}

void tst_Connection::lostPortEndsTheConnection() {
    TestBench bench;
    bench.connectBoard();
    bench.line().unplug({9, QStringLiteral("Resource temporarily unavailable")});

    QCOMPARE(bench.dialogs().messages.size(), 1);
    const ScriptedDialogs::Message& message = bench.dialogs().messages[0];
    QCOMPARE(message.title, QStringLiteral("Critical Error"));
    QCOMPARE(message.icon, UserDialogs::Icon::Critical);
    QCOMPARE(message.text,
             ConnectionMessages::lostPort(QStringLiteral("COM1"),
                                          {9, QStringLiteral("Resource temporarily unavailable")}));
    QVERIFY(!bench.engine().portOpen());
    QCOMPARE(bench.main().statusText(), QStringLiteral("Controller Disconnected"));
    QVERIFY(!timer(bench, "Timer2")->isActive());
    QVERIFY(readyToConnect(bench));
}

void tst_Connection::lostPortIsToldInPlainWords_data() {
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("systemText");
    QTest::addColumn<QString>("message");
    const QString advice = QStringLiteral(
        " is no longer there: the cable or adapter was unplugged, or the board lost power. "
        "Check it and connect again.");
#ifdef Q_OS_WIN
    QTest::newRow("a COM port") << QStringLiteral("COM3") << QStringLiteral("Access is denied.")
                                << QStringLiteral("The board on COM3") + advice +
                                       QStringLiteral("\n\nSystem message: Access is denied.");
#else
    QTest::newRow("a system port, by its device")
        << QStringLiteral("ttyUSB0") << QStringLiteral("Resource temporarily unavailable")
        << QStringLiteral("The board on /dev/ttyUSB0") + advice +
               QStringLiteral("\n\nSystem message: Resource temporarily unavailable");
#endif
    QTest::newRow("a device the user named")
        << QStringLiteral("/tmp/lumaret-board") << QStringLiteral("Input/output error")
        << QStringLiteral("The board on /tmp/lumaret-board") + advice +
               QStringLiteral("\n\nSystem message: Input/output error");
    QTest::newRow("no text from the system")
        << QStringLiteral("/tmp/lumaret-board") << QString()
        << QStringLiteral("The board on /tmp/lumaret-board") + advice;
}

void tst_Connection::lostPortIsToldInPlainWords() {
    QFETCH(QString, port);
    QFETCH(QString, systemText);
    QTEST(ConnectionMessages::lostPort(port, {9, systemText}), "message");
}

void tst_Connection::failedIdentificationWriteLeavesTheTimeOutRunning() {
    TestBench bench;
    bench.open(Settings);
    bench.line().writesFail = true;
    click(button(bench, "cmd_conecta"));

    QCOMPARE(bench.dialogs().messages.size(), 1);
    QCOMPARE(bench.dialogs().messages[0].title, QStringLiteral("Critical Error"));
    QVERIFY(combo(bench, "cbo_mostraporta")->isEnabled());
    QCOMPARE(bench.main().statusText(), QStringLiteral("Connecting"));
    QVERIFY(timer(bench, "Timer1")->isActive());

    bench.clock().advanceToTick(bench.engine(), QStringLiteral("Timer1"));
    QCOMPARE(bench.dialogs().messages.size(), 2);
    QCOMPARE(bench.dialogs().messages[1].text, QStringLiteral("Controller not found"));
    QVERIFY(!bench.line().isOpen());
    QVERIFY(readyToConnect(bench));
}

void tst_Connection::noPortsGivesAClearMessage() {
    TestBench bench(QStringList{});
    bench.open(Settings);
    QCOMPARE(combo(bench, "cbo_mostraporta")->count(), 0);
    click(button(bench, "cmd_conecta"));
    QCOMPARE(bench.dialogs().messages.size(), 1);
    QCOMPARE(bench.dialogs().messages[0].title, QStringLiteral("Warning"));
    QVERIFY(bench.dialogs().messages[0].text.contains(QStringLiteral("port")));
    QVERIFY(bench.line().openedPorts.isEmpty());
    QCOMPARE(bench.main().statusText(), QStringLiteral("Controller Disconnected"));
}

void tst_Connection::portListFollowsTheSystemWhileOpen() {
    TestBench bench({QStringLiteral("1"), QStringLiteral("3")}, true);
    bench.open(Settings);
    QComboBox* ports = combo(bench, "cbo_mostraporta");
    auto* check = bench.find<QTimer>(Settings, QStringLiteral("tmrPorts"));
    QVERIFY(check);
    QCOMPARE(check->interval(), 1000);
    ports->setCurrentIndex(1);

    // Plugged in: listed in its place, the user's choice kept; the simulator stays last.
    bench.setPortLabels({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")});
    tick(check);
    QCOMPARE(itemTexts(ports), (QStringList{QStringLiteral("1"), QStringLiteral("2"),
                                            QStringLiteral("3"), QStringLiteral("Simulator")}));
    QCOMPARE(ports->currentText(), QStringLiteral("3"));
    // Unplugged: gone from the list.
    bench.setPortLabels({QStringLiteral("2"), QStringLiteral("3")});
    tick(check);
    QCOMPARE(itemTexts(ports),
             (QStringList{QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("Simulator")}));
    QCOMPARE(ports->currentText(), QStringLiteral("3"));

    // Connected, the list keeps showing the port even when it is unplugged, until the
    // connection is lost; then it catches up at once and the first port is chosen.
    click(button(bench, "cmd_conecta"));
    bench.line().answer("100");
    bench.clock().advanceToTick(bench.engine(), QStringLiteral("Timer4"));
    QCOMPARE(bench.main().statusText(), QStringLiteral("Connected: COM3 115200,N,8,1"));
    bench.setPortLabels({QStringLiteral("2")});
    tick(check);
    QCOMPARE(ports->count(), 3);
    QCOMPARE(ports->currentText(), QStringLiteral("3"));
    bench.line().unplug({9, QStringLiteral("Input/output error")});
    QCOMPARE(bench.main().statusText(), QStringLiteral("Controller Disconnected"));
    QCOMPARE(itemTexts(ports), (QStringList{QStringLiteral("2"), QStringLiteral("Simulator")}));
    QCOMPARE(ports->currentText(), QStringLiteral("2"));
    QVERIFY(readyToConnect(bench));

    // While the user has the list open it stays as it is; it follows once closed.
    ports->showPopup();
    bench.setPortLabels({QStringLiteral("2"), QStringLiteral("5")});
    tick(check);
    QCOMPARE(ports->count(), 2);
    ports->hidePopup();
    tick(check);
    QCOMPARE(itemTexts(ports),
             (QStringList{QStringLiteral("2"), QStringLiteral("5"), QStringLiteral("Simulator")}));

    bench.setPortLabels({});
    tick(check);
    QCOMPARE(itemTexts(ports), QStringList{QStringLiteral("Simulator")});
    QCOMPARE(ports->currentText(), QStringLiteral("Simulator"));

    // The check runs only while the window is open.
    const QPointer<QTimer> checkAlive(check);
    bench.window(Settings)->parentWidget()->close();
    TestBench::settle();
    QVERIFY(checkAlive.isNull());
}

void tst_Connection::baudRateChangeReconnectsAtNewSpeed() {
    TestBench bench;
    bench.connectBoard();
    combo(bench, "cmbBoudRate")->setCurrentIndex(3);
    click(button(bench, "cmdBaudRate"));

    QCOMPARE(bench.dialogs().messages.size(), 1);
    QCOMPARE(bench.dialogs().messages[0].title, QStringLiteral("Attention"));
    QCOMPARE(bench.dialogs().messages[0].text,
             QStringLiteral("Remove jumper 1 from J11 and click OK."));
    QCOMPARE(bench.dialogs().messages[0].buttons, UserDialogs::Buttons::OkCancel);
    // The rate byte is the list index.
    QCOMPARE(bench.line().takeWrites(), QList<QByteArray>{bytes({'B', 'R', 3})});
    // The command gets a moment on the line before the port closes.
    QVERIFY(bench.line().isOpen());
    bench.clock().advance(50);
    QVERIFY(!bench.line().isOpen());
    QVERIFY(!timer(bench, "Timer2")->isActive());
    QCOMPARE(combo(bench, "cboBR")->currentText(), QStringLiteral("28800"));
    QCOMPARE(button(bench, "cmd_conecta")->text(), QStringLiteral("Connect"));
    QVERIFY(!button(bench, "cmd_conecta")->isEnabled());
    QCOMPARE(bench.main().statusText(), QStringLiteral("Connecting "));

    // The board gets more than 2.8 s to switch before the probe.
    bench.clock().advance(2800);
    QCOMPARE(bench.main().statusText(), QStringLiteral("Connecting "));
    QCOMPARE(bench.line().openedBaudRates.size(), 1);
    bench.clock().advance(1);
    QCOMPARE(bench.main().statusText(), QStringLiteral("Connecting"));
    QCOMPARE(bench.line().openedBaudRates.last(), 28800);
    QCOMPARE(bench.line().takeWrites(), QList<QByteArray>{"ID"});

    bench.line().answer("100");
    bench.clock().advanceToTick(bench.engine(), QStringLiteral("Timer4"));
    QCOMPARE(bench.main().statusText(), QStringLiteral("Connected: COM1 28800,N,8,1"));
    QCOMPARE(button(bench, "cmd_conecta")->text(), QStringLiteral("Disconnect"));
    QVERIFY(button(bench, "cmd_conecta")->isEnabled());
    QCOMPARE(bench.window(Settings)->focusWidget(), button(bench, "cmd_conecta"));
}

void tst_Connection::baudRateChangeRefusals() {
    TestBench bench;
    bench.open(Settings);
    // Closed port: no message, nothing sent.
    click(button(bench, "cmdBaudRate"));
    QVERIFY(bench.dialogs().messages.isEmpty());

    bench.connectBoard();
    bench.dialogs().messageAnswers = {UserDialogs::Answer::Cancel};
    click(button(bench, "cmdBaudRate"));
    QCOMPARE(bench.dialogs().messages.size(), 1);
    QVERIFY(bench.line().takeWrites().isEmpty());
    QVERIFY(bench.line().isOpen());

    // A typed rate that is not in the list cannot be sent.
    combo(bench, "cmbBoudRate")->setEditText(QStringLiteral("12345"));
    click(button(bench, "cmdBaudRate"));
    QCOMPARE(bench.dialogs().messages.size(), 2);
    QCOMPARE(bench.dialogs().messages[1].title, QStringLiteral("Warning"));
    QVERIFY(bench.dialogs().messages[1].text.contains(QStringLiteral("115200")));
    QVERIFY(bench.line().takeWrites().isEmpty());
    QCOMPARE(bench.main().statusText(), QStringLiteral("Connected: COM1 115200,N,8,1"));
}

QTEST_MAIN(tst_Connection)
#include "tst_connection.moc"
