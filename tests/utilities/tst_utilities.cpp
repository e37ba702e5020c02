#include "app/session.h"
#include "serial/msserial.h"
#include "testbench.h"
#include "utilities/frmutilities.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

const QString Utilities = QStringLiteral("frmUtilities");

// The program with the utilities window open, connected to the board or not.
struct UtilitiesBench {
    TestBench bench;

    explicit UtilitiesBench(bool connected = true) {
        if (connected)
            bench.connectBoard();
        bench.open(Utilities);
        bench.line().takeWrites();
    }
    frmUtilities* window() { return qobject_cast<frmUtilities*>(bench.window(Utilities)); }
    QPushButton* button(const char* name) {
        return bench.find<QPushButton>(Utilities, QLatin1String(name));
    }
    QCheckBox* beepOnTouch() { return bench.find<QCheckBox>(Utilities, QStringLiteral("chkBeep")); }
    QLineEdit* box(const char* name) {
        return bench.find<QLineEdit>(Utilities, QLatin1String(name));
    }
    QTimer* displayTimer() { return bench.find<QTimer>(Utilities, QStringLiteral("Timer1")); }
    Session& session() { return bench.main().session(); }
    QList<QByteArray> writes() { return bench.line().takeWrites(); }
    // A chunk from the board, read by the receive poll, then one display tick.
    void report(const QByteArray& chunk) {
        bench.poll(chunk);
        window()->Timer1_Timer();
    }
};

QByteArray command(const char* opcode, std::initializer_list<int> parameters = {}) {
    return QByteArray(opcode) + bytes(parameters);
}

} // namespace

// The utilities window: screen, backlight, beeper and touch screen, byte by byte.
class tst_Utilities : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void startsInItsDesignState();
    void sendsOneCommandPerButton();
    void sendsNothingWhileThePortIsClosed();
    void backlightPausesTouchReportingAndRestoresTheMode();
    void beepOnTouchPausesTouchReportingAndRestoresTheMode();
    void pauseEndsQuietlyWhenThePortClosesMeanwhile();
    void displaysAndDecodesReports();
    void showsMalformedReportsRawAndKeepsTheCoordinates();
    void keypadModeShowsKeysWithoutCoordinates();
    void offStopsTheDisplay();
    void reopensInItsDesignStateKeepingTheTouchMode();
};

void tst_Utilities::startsInItsDesignState() {
    UtilitiesBench utilities(false);
    QCOMPARE(utilities.window()->windowTitle(), QStringLiteral(" Utilities "));
    const QList<QPair<const char*, QString>> frames{
        {"Frame5", QStringLiteral("Screen")},
        {"Frame4", QStringLiteral("Controller")},
        {"Frame1", QStringLiteral("Touch Screen")},
        {"Frame3", QStringLiteral("Operation")},
        {"Frame6", QStringLiteral("Coordinates")},
        {"Frame9", QStringLiteral("Controller response")},
        {"Frame2", QStringLiteral("Calibration")},
        {"Frame7", QStringLiteral("Firmware")}};
    for (const auto& [name, caption] : frames) {
        auto* frame = utilities.bench.find<QGroupBox>(Utilities, QLatin1String(name));
        QVERIFY2(frame, name);
        QCOMPARE(frame->title(), caption);
    }
    const QList<QPair<const char*, QString>> buttons{
        {"cmdClear", QStringLiteral("Clear")},
        {"cmdRotate", QStringLiteral("Rotate 180")},
        {"cmdBL", QStringLiteral("Backlight Off")},
        {"cmdBeep", QStringLiteral("Beep")},
        {"cmdCoordinates", QStringLiteral("Coordinates")},
        {"cmdKeypad", QStringLiteral("Keypad")},
        {"cmdOFF", QStringLiteral("OFF")},
        {"cmdCal", QStringLiteral("Calibrate")},
        {"cmdRestore", QStringLiteral("Restore Default")},
        {"cmdUpdate", QStringLiteral("Update")}};
    for (const auto& [name, caption] : buttons) {
        QVERIFY2(utilities.button(name), name);
        QCOMPARE(utilities.button(name)->text(), caption);
    }
    // The touch buttons and the coordinate boxes sit in their frames.
    auto* operation = utilities.bench.find<QGroupBox>(Utilities, QStringLiteral("Frame3"));
    QCOMPARE(utilities.beepOnTouch()->parentWidget(), operation);
    QCOMPARE(utilities.button("cmdKeypad")->parentWidget(), operation);
    QCOMPARE(utilities.box("txtCoordinates")->parentWidget()->objectName(),
             QStringLiteral("Frame6"));
    QCOMPARE(utilities.box("txtControllerResponse")->parentWidget()->objectName(),
             QStringLiteral("Frame9"));
    QCOMPARE(utilities.beepOnTouch()->text(), QStringLiteral("Beep on touch"));
    QVERIFY(!utilities.beepOnTouch()->isChecked());
    QVERIFY(utilities.box("txtCoordinates")->text().isEmpty());
    QVERIFY(utilities.box("txtControllerResponse")->text().isEmpty());
    QCOMPARE(utilities.displayTimer()->interval(), 80);
    QVERIFY(!utilities.displayTimer()->isActive());
}

void tst_Utilities::sendsOneCommandPerButton() {
    UtilitiesBench utilities;
    // Each command is a single write.
    const QList<QPair<const char*, QByteArray>> buttons{
        {"cmdClear", command("CS", {255})}, {"cmdRotate", command("RS")},
        {"cmdRotate", command("RS")},       {"cmdBeep", command("BP")},
        {"cmdCal", command("TC")},          {"cmdRestore", command("RC")},
        {"cmdCoordinates", command("TE")},  {"cmdKeypad", command("KP")},
        {"cmdOFF", command("TD")}};
    for (const auto& [name, expected] : buttons) {
        click(utilities.button(name));
        QCOMPARE(utilities.writes(), QList<QByteArray>{expected});
    }

    // Clear takes the colour chosen last.
    utilities.session().setSelectedColor(224);
    click(utilities.button("cmdClear"));
    QCOMPARE(utilities.writes(), QList<QByteArray>{command("CS", {224})});

    // The mode buttons: the command, then the display timer, then the shared mode.
    click(utilities.button("cmdCoordinates"));
    QVERIFY(utilities.displayTimer()->isActive());
    QCOMPARE(utilities.session().touchMode(), QStringLiteral("Coordinates"));
    click(utilities.button("cmdKeypad"));
    QVERIFY(utilities.displayTimer()->isActive());
    QCOMPARE(utilities.session().touchMode(), QStringLiteral("Keypad"));
    click(utilities.button("cmdOFF"));
    QVERIFY(!utilities.displayTimer()->isActive());
    QCOMPARE(utilities.session().touchMode(), QStringLiteral("off"));
    QCOMPARE(utilities.writes(), (QList<QByteArray>{command("TE"), command("KP"), command("TD")}));
}

void tst_Utilities::sendsNothingWhileThePortIsClosed() {
    UtilitiesBench utilities;
    click(utilities.button("cmdKeypad"));
    click(utilities.button("cmdOFF"));
    utilities.session().setTouchMode(QStringLiteral("Keypad"));
    // Disconnected by the user.
    click(utilities.bench.find<QPushButton>(QStringLiteral("frmSettings"),
                                            QStringLiteral("cmd_conecta")));
    QVERIFY(!utilities.bench.main().port().portOpen());
    utilities.writes();

    for (const char* name : {"cmdClear", "cmdRotate", "cmdBL", "cmdBeep", "cmdCoordinates",
                             "cmdKeypad", "cmdOFF", "cmdCal", "cmdRestore"})
        click(utilities.button(name));
    // The check box still takes the tick; no command goes with it.
    click(utilities.beepOnTouch());
    QVERIFY(utilities.beepOnTouch()->isChecked());
    utilities.bench.clock().advance(10000);

    QVERIFY(utilities.writes().isEmpty());
    QCOMPARE(utilities.button("cmdBL")->text(), QStringLiteral("Backlight Off"));
    QVERIFY(!utilities.displayTimer()->isActive());
    QCOMPARE(utilities.session().touchMode(), QStringLiteral("Keypad"));
    QVERIFY(utilities.bench.dialogs().messages.isEmpty());
}

void tst_Utilities::backlightPausesTouchReportingAndRestoresTheMode() {
    UtilitiesBench utilities;
    QPushButton* backlight = utilities.button("cmdBL");

    // Keypad mode: touch off, a pause of more than 0.25 s, the backlight, keypad again.
    click(utilities.button("cmdKeypad"));
    utilities.writes();
    click(backlight);
    QCOMPARE(utilities.writes(), QList<QByteArray>{command("TD")});
    QCOMPARE(utilities.session().touchMode(), QStringLiteral("off"));
    QVERIFY(!utilities.displayTimer()->isActive());
    // One pause at a time.
    QVERIFY(!backlight->isEnabled());
    QVERIFY(!utilities.beepOnTouch()->isEnabled());
    utilities.bench.clock().advance(250);
    QVERIFY(utilities.writes().isEmpty());
    QCOMPARE(backlight->text(), QStringLiteral("Backlight Off"));
    utilities.bench.clock().advance(1);
    QCOMPARE(utilities.writes(), (QList<QByteArray>{command("BL", {0}), command("KP")}));
    QCOMPARE(backlight->text(), QStringLiteral("Backlight On"));
    QCOMPARE(utilities.session().touchMode(), QStringLiteral("Keypad"));
    QVERIFY(utilities.displayTimer()->isActive());
    QVERIFY(backlight->isEnabled());
    QVERIFY(utilities.beepOnTouch()->isEnabled());

    // Coordinates mode, and the backlight back on.
    click(utilities.button("cmdCoordinates"));
    utilities.writes();
    click(backlight);
    utilities.bench.clock().advance(251);
    QCOMPARE(utilities.writes(),
             (QList<QByteArray>{command("TD"), command("BL", {1}), command("TE")}));
    QCOMPARE(backlight->text(), QStringLiteral("Backlight Off"));
    QCOMPARE(utilities.session().touchMode(), QStringLiteral("Coordinates"));

    // Touch reporting off: still touch off first, nothing after the backlight.
    click(utilities.button("cmdOFF"));
    utilities.writes();
    click(backlight);
    utilities.bench.clock().advance(251);
    QCOMPARE(utilities.writes(), (QList<QByteArray>{command("TD"), command("BL", {0})}));
    QCOMPARE(utilities.session().touchMode(), QStringLiteral("off"));
    QVERIFY(!utilities.displayTimer()->isActive());
}

void tst_Utilities::beepOnTouchPausesTouchReportingAndRestoresTheMode() {
    UtilitiesBench utilities;
    click(utilities.button("cmdKeypad"));
    utilities.writes();

    click(utilities.beepOnTouch());
    QCOMPARE(utilities.writes(), QList<QByteArray>{command("TD")});
    utilities.bench.clock().advance(500);
    QVERIFY(utilities.writes().isEmpty());
    utilities.bench.clock().advance(1);
    QCOMPARE(utilities.writes(), (QList<QByteArray>{command("BT", {1}), command("KP")}));
    QCOMPARE(utilities.session().touchMode(), QStringLiteral("Keypad"));

    // Unticked: state 0; the backlight waits for the pause to end.
    click(utilities.beepOnTouch());
    QVERIFY(!utilities.button("cmdBL")->isEnabled());
    utilities.bench.clock().advance(501);
    QCOMPARE(utilities.writes(),
             (QList<QByteArray>{command("TD"), command("BT", {0}), command("KP")}));
}

void tst_Utilities::pauseEndsQuietlyWhenThePortClosesMeanwhile() {
    UtilitiesBench utilities;
    click(utilities.button("cmdCoordinates"));
    click(utilities.button("cmdBL"));
    click(utilities.bench.find<QPushButton>(QStringLiteral("frmSettings"),
                                            QStringLiteral("cmd_conecta")));
    utilities.writes();
    utilities.bench.clock().advance(1000);
    QVERIFY(utilities.writes().isEmpty());
    // Nothing was sent, so the caption stays; the buttons work again.
    QCOMPARE(utilities.button("cmdBL")->text(), QStringLiteral("Backlight Off"));
    QVERIFY(utilities.button("cmdBL")->isEnabled());
    QVERIFY(utilities.beepOnTouch()->isEnabled());
}

void tst_Utilities::displaysAndDecodesReports() {
    UtilitiesBench utilities;
    QLineEdit* response = utilities.box("txtControllerResponse");
    QLineEdit* coordinates = utilities.box("txtCoordinates");
    click(utilities.button("cmdCoordinates"));

    utilities.report("1,4,200$");
    QCOMPARE(response->text(), QStringLiteral("1,4,200$"));
    QCOMPARE(coordinates->text(), QStringLiteral("260,200"));

    utilities.report("0,10,20$0,11,21$");
    QCOMPARE(response->text(), QStringLiteral("0,10,20$0,11,21$"));
    QCOMPARE(coordinates->text(), QStringLiteral("10,20"));

    utilities.report("0,1,2");
    QCOMPARE(coordinates->text(), QStringLiteral("1,2"));
    utilities.report("1,2,3$\r\n");
    QCOMPARE(coordinates->text(), QStringLiteral("258,3"));
    utilities.report("0,10,20");
    QCOMPARE(coordinates->text(), QStringLiteral("10,20"));

    // An acknowledgement and a quiet line change nothing.
    utilities.report("!");
    utilities.report("");
    QCOMPARE(response->text(), QStringLiteral("0,10,20"));
    QCOMPARE(coordinates->text(), QStringLiteral("10,20"));

    // The same chunk at the next tick shows the same.
    utilities.session().setControllerResponse(QStringLiteral("1,4,200$"));
    utilities.window()->Timer1_Timer();
    utilities.window()->Timer1_Timer();
    QCOMPARE(coordinates->text(), QStringLiteral("260,200"));

    // The display runs on its own timer, after the receive poll's.
    utilities.bench.line().answer("1,63,239$");
    QTRY_COMPARE(coordinates->text(), QStringLiteral("319,239"));
}

void tst_Utilities::showsMalformedReportsRawAndKeepsTheCoordinates() {
    UtilitiesBench utilities;
    QLineEdit* response = utilities.box("txtControllerResponse");
    QLineEdit* coordinates = utilities.box("txtCoordinates");
    click(utilities.button("cmdCoordinates"));
    utilities.report("1,4,200$");

    for (const QByteArray& chunk :
         {QByteArray("$"), QByteArray("1,4"), QByteArray("a,b,c$"), QByteArray("1,,200$"),
          QByteArray("200,0,5$"), QByteArray("1,4,200x$"), QByteArray("$1,4,200"),
          QByteArray("\xff\xfe,\x01,9$")}) {
        utilities.report(chunk);
        QCOMPARE(response->text(), QString::fromLatin1(chunk));
        QCOMPARE(coordinates->text(), QStringLiteral("260,200"));
    }
}

void tst_Utilities::keypadModeShowsKeysWithoutCoordinates() {
    UtilitiesBench utilities;
    QLineEdit* response = utilities.box("txtControllerResponse");
    QLineEdit* coordinates = utilities.box("txtCoordinates");
    click(utilities.button("cmdCoordinates"));
    utilities.report("1,4,200$");
    click(utilities.button("cmdKeypad"));

    utilities.report("!");
    QCOMPARE(coordinates->text(), QStringLiteral("260,200"));
    // Even a chunk that looks like a touch report is a key here.
    for (const QByteArray& chunk : {QByteArray("5"), QByteArray("#"), QByteArray("0,10,20$")}) {
        utilities.report(chunk);
        QCOMPARE(response->text(), QString::fromLatin1(chunk));
        QVERIFY(coordinates->text().isEmpty());
    }
}

void tst_Utilities::offStopsTheDisplay() {
    UtilitiesBench utilities;
    QLineEdit* response = utilities.box("txtControllerResponse");
    click(utilities.button("cmdCoordinates"));
    utilities.report("1,4,200$");
    click(utilities.button("cmdOFF"));
    QVERIFY(!utilities.displayTimer()->isActive());

    utilities.bench.poll("0,10,20$");
    QTest::qWait(200); // more than two display ticks
    QCOMPARE(response->text(), QStringLiteral("1,4,200$"));
    QCOMPARE(utilities.box("txtCoordinates")->text(), QStringLiteral("260,200"));
}

void tst_Utilities::reopensInItsDesignStateKeepingTheTouchMode() {
    UtilitiesBench utilities;
    click(utilities.button("cmdKeypad"));
    click(utilities.button("cmdBL"));
    utilities.bench.clock().advance(251);
    click(utilities.beepOnTouch());
    utilities.bench.clock().advance(501);
    utilities.report("5");
    QCOMPARE(utilities.button("cmdBL")->text(), QStringLiteral("Backlight On"));

    qobject_cast<QMdiSubWindow*>(utilities.window()->parentWidget())->close();
    TestBench::settle();
    QVERIFY(!utilities.window());
    utilities.bench.open(Utilities);

    QCOMPARE(utilities.button("cmdBL")->text(), QStringLiteral("Backlight Off"));
    QVERIFY(!utilities.beepOnTouch()->isChecked());
    QVERIFY(!utilities.displayTimer()->isActive());
    QVERIFY(utilities.box("txtControllerResponse")->text().isEmpty());
    QCOMPARE(utilities.session().touchMode(), QStringLiteral("Keypad"));
}

QTEST_MAIN(tst_Utilities)
#include "tst_utilities.moc"
