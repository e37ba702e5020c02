#include "app/session.h"
#include "serial/connectioncontroller.h"
#include "serial/msserial.h"
#include "testbench.h"

#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {
const QString Settings = QStringLiteral("frmSettings");
}

class tst_Connection : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void loadListsPortsAndSetsSharedStartValues();
    void connectsOnlyWhenOneReadHoldsTheAnswer_data();
    void connectsOnlyWhenOneReadHoldsTheAnswer();
    void silentBoardTimesOutOnce();
    void timeOutWithSettingsWindowClosed();
    void disconnectAndReconnectAtChosenSpeed();
    void disconnectDuringTheProbeEndsIt();
    void openFailureTakesTheErrorPath();
    void failedIdentificationWriteLeavesTheTimeOutRunning();
    void reopenedWindowResetsStateAndOffersNoConnect();
    void lostPortEndsTheConnection();
    void noPortsGivesAClearMessage();
    void baudRateChangeReconnectsAtNewSpeed();
    void baudRateChangeRefusals();

private:
    QComboBox* combo(TestBench& bench, const char* name) {
        return bench.find<QComboBox>(Settings, QLatin1String(name));
    }
    QPushButton* button(TestBench& bench, const char* name) {
        return bench.find<QPushButton>(Settings, QLatin1String(name));
    }
    QTimer* timer(TestBench& bench, const char* name) {
        return bench.main().findChild<QTimer*>(QLatin1String(name), Qt::FindDirectChildrenOnly);
    }
};

void tst_Connection::loadListsPortsAndSetsSharedStartValues() {
    TestBench bench;
    Session& session = bench.main().session();
    QCOMPARE(session.selectedColor(), 0);
    QCOMPARE(session.touchMode(), QString());

    bench.open(Settings);
    QComboBox* ports = combo(bench, "cbo_mostraporta");
    QCOMPARE(ports->count(), 3);
    QCOMPARE(ports->itemText(0), QStringLiteral("1"));
    QCOMPARE(ports->itemText(1), QStringLiteral("3"));
    QCOMPARE(ports->itemText(2), QStringLiteral("4"));
    QCOMPARE(ports->currentText(), QStringLiteral("1"));
    QCOMPARE(combo(bench, "cboBR")->currentText(), QStringLiteral("115200"));
    QCOMPARE(combo(bench, "cmbBoudRate")->currentIndex(), 6);
    QCOMPARE(button(bench, "cmd_conecta")->text(), QStringLiteral("Connect"));
    QVERIFY(button(bench, "cmd_conecta")->isEnabled());
    QCOMPARE(session.selectedColor(), 255);
    QCOMPARE(session.touchMode(), QStringLiteral("off"));
    QCOMPARE(bench.main().windowTitle(), QStringLiteral(" Lumaret"));
    QCOMPARE(bench.window(Settings)->windowTitle(), QStringLiteral("Settings "));
}

void tst_Connection::connectsOnlyWhenOneReadHoldsTheAnswer_data() {
    QTest::addColumn<QList<QByteArray>>("reads");
    QTest::addColumn<bool>("connects");
    QTest::newRow("plain") << QList<QByteArray>{"100"} << true;
    QTest::newRow("among other text") << QList<QByteArray>{"LCD v100 ready"} << true;
    QTest::newRow("after silence") << QList<QByteArray>{"", "", "100"} << true;
    QTest::newRow("split over two reads") << QList<QByteArray>{"10", "0"} << false;
    QTest::newRow("other answer") << QList<QByteArray>{"!", "101"} << false;
}

void tst_Connection::connectsOnlyWhenOneReadHoldsTheAnswer() {
    QFETCH(QList<QByteArray>, reads);
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
    QVERIFY(timer(bench, "Timer4")->isActive());

    for (const QByteArray& read : reads) {
        bench.line().answer(read);
        // Nothing is read before the 50 ms step has passed.
        QCOMPARE(bench.line().pending, read);
        bench.main().Timer4_Timer();
        QCOMPARE(bench.main().session().controllerResponse(), QString::fromLatin1(read));
    }

    if (connects) {
        QCOMPARE(bench.main().statusText(), QStringLiteral("Connected: COM1 115200,N,8,1"));
        QCOMPARE(button(bench, "cmd_conecta")->text(), QStringLiteral("Disconnect"));
        QVERIFY(!timer(bench, "Timer1")->isActive());
        QVERIFY(timer(bench, "Timer2")->isActive());
        QVERIFY(!combo(bench, "cbo_mostraporta")->isEnabled());
    } else {
        QCOMPARE(bench.main().statusText(), QStringLiteral("Connecting"));
        QVERIFY(timer(bench, "Timer1")->isActive());
        QVERIFY(timer(bench, "Timer4")->isActive());
        QVERIFY(!timer(bench, "Timer2")->isActive());
    }
    QVERIFY(bench.dialogs().messages.isEmpty());
}

void tst_Connection::silentBoardTimesOutOnce() {
    TestBench bench;
    bench.open(Settings);
    click(button(bench, "cmd_conecta"));
    bench.main().Timer4_Timer();
    bench.main().Timer4_Timer();
    bench.main().Timer1_Timer();

    QVERIFY(!bench.line().isOpen());
    QCOMPARE(bench.main().statusText(), QStringLiteral("Controller Disconnected"));
    QCOMPARE(bench.dialogs().messages.size(), 1);
    QCOMPARE(bench.dialogs().messages[0].title, QStringLiteral("Demo mode"));
    QCOMPARE(bench.dialogs().messages[0].text, QStringLiteral("Controller not found"));
    QCOMPARE(bench.dialogs().messages[0].icon, UserDialogs::Icon::Information);
    QCOMPARE(button(bench, "cmd_conecta")->text(), QStringLiteral("Connect"));
    QVERIFY(button(bench, "cmd_conecta")->isEnabled());
    QVERIFY(combo(bench, "cbo_mostraporta")->isEnabled());
    QVERIFY(combo(bench, "cboBR")->isEnabled());

    // The handshake's pending step sees the closed port and ends quietly.
    bench.line().answer("100");
    bench.main().Timer4_Timer();
    QCOMPARE(bench.main().statusText(), QStringLiteral("Controller Disconnected"));
    QCOMPARE(bench.dialogs().messages.size(), 1);

    // Ready for another attempt.
    click(button(bench, "cmd_conecta"));
    bench.line().takeWrites();
    bench.main().Timer4_Timer();
    QCOMPARE(bench.main().statusText(), QStringLiteral("Connected: COM1 115200,N,8,1"));
}

void tst_Connection::timeOutWithSettingsWindowClosed() {
    TestBench bench;
    bench.open(Settings);
    click(button(bench, "cmd_conecta"));
    bench.window(Settings)->parentWidget()->close();
    QVERIFY(!bench.window(Settings));

    bench.main().Timer1_Timer();
    QVERIFY(!bench.line().isOpen());
    QCOMPARE(bench.main().statusText(), QStringLiteral("Controller Disconnected"));
    QCOMPARE(bench.dialogs().messages.size(), 1);
    QCOMPARE(bench.dialogs().messages[0].text, QStringLiteral("Controller not found"));
}

void tst_Connection::disconnectAndReconnectAtChosenSpeed() {
    TestBench bench;
    bench.connectBoard();
    click(button(bench, "cmd_conecta"));

    QCOMPARE(bench.main().statusText(), QStringLiteral("Controller Disconnected "));
    QVERIFY(!bench.line().isOpen());
    QVERIFY(bench.line().takeWrites().isEmpty());
    QVERIFY(!timer(bench, "Timer2")->isActive());
    QCOMPARE(button(bench, "cmd_conecta")->text(), QStringLiteral("Connect"));
    QVERIFY(combo(bench, "cbo_mostraporta")->isEnabled());
    QVERIFY(combo(bench, "cboBR")->isEnabled());

    combo(bench, "cbo_mostraporta")->setCurrentIndex(1);
    combo(bench, "cboBR")->setCurrentIndex(0);
    click(button(bench, "cmd_conecta"));
    bench.line().answer("100");
    bench.main().Timer4_Timer();
    QCOMPARE(bench.line().openedBaudRates.last(), 9600);
    QCOMPARE(bench.main().statusText(), QStringLiteral("Connected: COM3 9600,N,8,1"));
}

void tst_Connection::disconnectDuringTheProbeEndsIt() {
    // As the firmware update does when started right after Connect.
    TestBench bench;
    bench.open(Settings);
    click(button(bench, "cmd_conecta"));
    bench.main().connection().disconnect();

    QVERIFY(!timer(bench, "Timer1")->isActive());
    QVERIFY(!timer(bench, "Timer4")->isActive());
    QVERIFY(!bench.line().isOpen());
    QCOMPARE(bench.main().statusText(), QStringLiteral("Controller Disconnected "));
    QCOMPARE(button(bench, "cmd_conecta")->text(), QStringLiteral("Connect"));
    QVERIFY(button(bench, "cmd_conecta")->isEnabled());
}

void tst_Connection::openFailureTakesTheErrorPath() {
    TestBench bench;
    bench.open(Settings);
    bench.line().openFailure = PortError{2, QStringLiteral("Permission denied")};
    click(button(bench, "cmd_conecta"));

    QCOMPARE(bench.dialogs().messages.size(), 1);
    const ScriptedDialogs::Message& message = bench.dialogs().messages[0];
    QCOMPARE(message.title, QStringLiteral("Critical Error"));
    QCOMPARE(message.text, QStringLiteral("Can't open the selected COM Port.\nError code: 2\n"
                                          "Description: Permission denied"));
    QCOMPARE(message.icon, UserDialogs::Icon::Critical);
    QVERIFY(combo(bench, "cbo_mostraporta")->isEnabled());
    QVERIFY(combo(bench, "cboBR")->isEnabled());
    QCOMPARE(button(bench, "cmd_conecta")->text(), QStringLiteral("Connect"));
    QCOMPARE(bench.main().statusText(), QStringLiteral("Controller Disconnected"));
    QVERIFY(!timer(bench, "Timer1")->isActive());
    QVERIFY(bench.line().writes.isEmpty());
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

    bench.main().Timer1_Timer();
    QCOMPARE(bench.dialogs().messages.size(), 2);
    QCOMPARE(bench.dialogs().messages[1].text, QStringLiteral("Controller not found"));
    QVERIFY(!bench.line().isOpen());
    QVERIFY(button(bench, "cmd_conecta")->isEnabled());
}

void tst_Connection::reopenedWindowResetsStateAndOffersNoConnect() {
    TestBench bench;
    bench.connectBoard();
    Session& session = bench.main().session();
    session.setSelectedColor(28);
    session.setTouchMode(QStringLiteral("Keypad"));
    bench.window(Settings)->parentWidget()->close();

    bench.open(Settings);
    QCOMPARE(session.selectedColor(), 255);
    QCOMPARE(session.touchMode(), QStringLiteral("off"));
    QVERIFY(!button(bench, "cmd_conecta")->isEnabled());
    QVERIFY(bench.line().isOpen());
}

void tst_Connection::lostPortEndsTheConnection() {
    TestBench bench;
    bench.connectBoard();
    bench.line().unplug({9, QStringLiteral("The device was removed")});

    QVERIFY(!bench.main().port().portOpen());
    QCOMPARE(bench.main().statusText(), QStringLiteral("Controller Disconnected"));
    QVERIFY(!timer(bench, "Timer2")->isActive());
    QCOMPARE(button(bench, "cmd_conecta")->text(), QStringLiteral("Connect"));
    QVERIFY(button(bench, "cmd_conecta")->isEnabled());
    QCOMPARE(bench.dialogs().messages.size(), 1);
    QCOMPARE(bench.dialogs().messages[0].title, QStringLiteral("Critical Error"));
    QVERIFY(bench.dialogs().messages[0].text.contains(QStringLiteral("COM1")));
    QVERIFY(bench.dialogs().messages[0].text.contains(QStringLiteral("The device was removed")));
    // The poll of a closed port changes nothing.
    bench.main().session().setControllerResponse(QStringLiteral("kept"));
    bench.main().Timer2_Timer();
    QCOMPARE(bench.main().session().controllerResponse(), QStringLiteral("kept"));
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
    QVERIFY(combo(bench, "cbo_mostraporta")->isEnabled());
    QCOMPARE(bench.main().statusText(), QStringLiteral("Controller Disconnected"));
}

void tst_Connection::baudRateChangeReconnectsAtNewSpeed() {
    TestBench bench;
    bench.connectBoard();
    combo(bench, "cmbBoudRate")->setCurrentIndex(0);
    click(button(bench, "cmdBaudRate"));

    QCOMPARE(bench.dialogs().messages.size(), 1);
    QCOMPARE(bench.dialogs().messages[0].title, QStringLiteral("Attention"));
    QCOMPARE(bench.dialogs().messages[0].text,
             QStringLiteral("Remove jumper 1 from J11 and click OK."));
    QCOMPARE(bench.dialogs().messages[0].icon, UserDialogs::Icon::Warning);
    QCOMPARE(bench.dialogs().messages[0].buttons, UserDialogs::Buttons::OkCancel);
    QCOMPARE(bench.line().takeWrites(), QList<QByteArray>{QByteArray("BR") + bytes({0})});
    // The command gets a moment on the line before the port closes.
    QVERIFY(bench.line().isOpen());
    bench.clock().advance(50);
    QVERIFY(!bench.line().isOpen());
    QVERIFY(!timer(bench, "Timer2")->isActive());
    QCOMPARE(combo(bench, "cboBR")->currentIndex(), 0);
    QCOMPARE(button(bench, "cmd_conecta")->text(), QStringLiteral("Connect"));
    QVERIFY(!button(bench, "cmd_conecta")->isEnabled());
    QCOMPARE(bench.main().statusText(), QStringLiteral("Connecting "));

    // The board gets more than 2.8 s to switch before the probe.
    bench.clock().advance(2800);
    QCOMPARE(bench.main().statusText(), QStringLiteral("Connecting "));
    QCOMPARE(bench.line().openedBaudRates.size(), 1);
    bench.clock().advance(1);
    QCOMPARE(bench.main().statusText(), QStringLiteral("Connecting"));
    QCOMPARE(bench.line().openedBaudRates.last(), 9600);
    QCOMPARE(bench.line().takeWrites(), QList<QByteArray>{"ID"});

    bench.line().answer("100");
    bench.main().Timer4_Timer();
    QCOMPARE(bench.main().statusText(), QStringLiteral("Connected: COM1 9600,N,8,1"));
    QCOMPARE(button(bench, "cmd_conecta")->text(), QStringLiteral("Disconnect"));
    QVERIFY(button(bench, "cmd_conecta")->isEnabled());
    QCOMPARE(bench.window(QStringLiteral("frmSettings"))->focusWidget(),
             button(bench, "cmd_conecta"));

    // Back to the top speed: the rate byte is the list index.
    combo(bench, "cmbBoudRate")->setCurrentIndex(6);
    click(button(bench, "cmdBaudRate"));
    QCOMPARE(bench.line().takeWrites(), QList<QByteArray>{QByteArray("BR") + bytes({6})});
    bench.clock().advance(50 + 2801);
    bench.line().answer("100");
    bench.main().Timer4_Timer();
    QCOMPARE(bench.main().statusText(), QStringLiteral("Connected: COM1 115200,N,8,1"));
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
