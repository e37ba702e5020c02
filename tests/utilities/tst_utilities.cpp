#include "engine/clock.h"
#include "engine/session.h"
#include "engine/touchreport.h"
#include "testbench.h"
#include "utilities/frmutilities.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTest>

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
    template <typename T = QPushButton> T* child(const char* name) {
        return bench.find<T>(Utilities, QLatin1String(name));
    }
    QCheckBox* beepOnTouch() { return child<QCheckBox>("chkBeep"); }
    QString text(const char* box) { return child<QLineEdit>(box)->text(); }
    bool displaying() { return child<ClockTimer>("Timer1")->isActive(); }
    // The touch mode by the names the buttons give it.
    QString touchMode() {
        switch (bench.engine().session().touchMode()) {
        case Session::TouchMode::Off:
            return QStringLiteral("off");
        case Session::TouchMode::Coordinates:
            return QStringLiteral("Coordinates");
        case Session::TouchMode::Keypad:
            return QStringLiteral("Keypad");
        case Session::TouchMode::Unset:
            break;
        }
        return {};
    }
    QList<QByteArray> writes() { return bench.line().takeWrites(); }
    void disconnect() {
        bench.engine().disconnect();
        writes();
    }
    // Clicks the button of a touch pause and lets the pause run out.
    QList<QByteArray> clickThroughPause(QAbstractButton* button) {
        click(button);
        bench.clock().advance(501);
        return writes();
    }
    // A chunk from the board, read by the receive poll, then one display tick.
    void report(const QByteArray& chunk) {
        bench.poll(chunk);
        bench.clock().advanceToTick(*window(), QStringLiteral("Timer1"));
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
    void showsItsCaptions();
    void sendsOneCommandPerButton();
    void sendsNothingWhileThePortIsClosed();
    void backlightPausesTouchReportingAndRestoresTheMode();
    void beepOnTouchPausesTouchReportingAndRestoresTheMode();
    void displayTickShowsAndDecodesTheChunk_data();
    void displayTickShowsAndDecodesTheChunk();
    void reopensInItsDesignStateKeepingTheTouchMode();
    void decodesOnlyWellFormedReports_data();
    void decodesOnlyWellFormedReports();
};

void tst_Utilities::showsItsCaptions() {
    UtilitiesBench utilities(false);
    QCOMPARE(utilities.window()->windowTitle(), QStringLiteral(" Utilities "));
    QCOMPARE(utilities.bench.captionMismatches(
                 Utilities,
                 {"Frame5:Screen", "Frame4:Controller", "Frame1:Touch Screen", "Frame3:Operation",
                  "Frame6:Coordinates", "Frame9:Controller response", "Frame2:Calibration",
                  "Frame7:Firmware", "cmdClear:Clear", "cmdRotate:Rotate 180",
                  "cmdBL:Backlight Off", "cmdBeep:Beep", "cmdCoordinates:Coordinates",
                  "cmdKeypad:Keypad", "cmdOFF:OFF", "chkBeep:Beep on touch", "cmdCal:Calibrate",
                  "cmdRestore:Restore Default", "cmdUpdate:Update"}),
             QStringList());
    // The touch display refreshes every 80 ms once a mode is on.
    QCOMPARE(utilities.child<ClockTimer>("Timer1")->interval(), 80);
    QVERIFY(!utilities.displaying());
}

void tst_Utilities::sendsOneCommandPerButton() {
    UtilitiesBench utilities;
    // Each command is a single write; Clear takes the colour chosen last (255 at start).
    // The mode buttons switch the display timer and the shared touch mode.
    const QList<std::tuple<const char*, QByteArray, const char*>> buttons{
        {"cmdClear", command("CS", {255}), "off"}, {"cmdRotate", command("RS"), "off"},
        {"cmdBeep", command("BP"), "off"},         {"cmdCal", command("TC"), "off"},
        {"cmdRestore", command("RC"), "off"},      {"cmdCoordinates", command("TE"), "Coordinates"},
        {"cmdKeypad", command("KP"), "Keypad"},    {"cmdOFF", command("TD"), "off"}};
    for (const auto& [name, expected, mode] : buttons) {
        click(utilities.child(name));
        QCOMPARE(utilities.writes(), QList<QByteArray>{expected});
        QCOMPARE(utilities.touchMode(), QLatin1String(mode));
        QCOMPARE(utilities.displaying(), qstrcmp(mode, "off") != 0);
    }
    utilities.bench.engine().session().setSelectedColor(224);
    click(utilities.child("cmdClear"));
    QCOMPARE(utilities.writes(), QList<QByteArray>{command("CS", {224})});
}

void tst_Utilities::sendsNothingWhileThePortIsClosed() {
    UtilitiesBench utilities;
    click(utilities.child("cmdKeypad"));
    utilities.disconnect();
    for (const char* name : {"cmdClear", "cmdRotate", "cmdBL", "cmdBeep", "cmdCoordinates",
                             "cmdKeypad", "cmdOFF", "cmdCal", "cmdRestore"})
        click(utilities.child(name));
    // The check box still takes the tick; no command goes with it.
    click(utilities.beepOnTouch());
    QVERIFY(utilities.beepOnTouch()->isChecked());
    utilities.bench.clock().advance(10000);
    QVERIFY(utilities.writes().isEmpty());
    QCOMPARE(utilities.child("cmdBL")->text(), QStringLiteral("Backlight Off"));
    QCOMPARE(utilities.touchMode(), QStringLiteral("Keypad"));
    QVERIFY(utilities.bench.dialogs().messages.isEmpty());

    // A port closed during the pause: nothing more is sent, the caption stays.
    utilities.bench.connectBoard();
    click(utilities.child("cmdBL"));
    utilities.disconnect();
    utilities.bench.clock().advance(1000);
    QVERIFY(utilities.writes().isEmpty());
    QCOMPARE(utilities.child("cmdBL")->text(), QStringLiteral("Backlight Off"));
    QVERIFY(utilities.child("cmdBL")->isEnabled());
}

void tst_Utilities::backlightPausesTouchReportingAndRestoresTheMode() {
    UtilitiesBench utilities;
    QPushButton* backlight = utilities.child("cmdBL");
    // Keypad mode: touch off, a pause of more than 0.25 s, the backlight, keypad again.
    click(utilities.child("cmdKeypad"));
    utilities.writes();
    click(backlight);
    QCOMPARE(utilities.writes(), QList<QByteArray>{command("TD")});
    QCOMPARE(utilities.touchMode(), QStringLiteral("off"));
    // One pause at a time: a second would restore "off".
    QVERIFY(!backlight->isEnabled() && !utilities.beepOnTouch()->isEnabled());
    utilities.bench.clock().advance(250);
    QVERIFY(utilities.writes().isEmpty());
    utilities.bench.clock().advance(1);
    QCOMPARE(utilities.writes(), (QList<QByteArray>{command("BL", {0}), command("KP")}));
    QCOMPARE(backlight->text(), QStringLiteral("Backlight On"));
    QCOMPARE(utilities.touchMode(), QStringLiteral("Keypad"));
    QVERIFY(utilities.displaying() && backlight->isEnabled());

    // Coordinates mode, and the backlight back on.
    click(utilities.child("cmdCoordinates"));
    utilities.writes();
    QCOMPARE(utilities.clickThroughPause(backlight),
             (QList<QByteArray>{command("TD"), command("BL", {1}), command("TE")}));
    QCOMPARE(backlight->text(), QStringLiteral("Backlight Off"));
    // Touch reporting off: still touch off first, nothing after the backlight.
    click(utilities.child("cmdOFF"));
    utilities.writes();
    QCOMPARE(utilities.clickThroughPause(backlight),
             (QList<QByteArray>{command("TD"), command("BL", {0})}));
    QVERIFY(!utilities.displaying());
}

void tst_Utilities::beepOnTouchPausesTouchReportingAndRestoresTheMode() {
    UtilitiesBench utilities;
    click(utilities.child("cmdKeypad"));
    utilities.writes();
    // Ticked: state 1, unticked: state 0; the keypad comes back after each.
    QCOMPARE(utilities.clickThroughPause(utilities.beepOnTouch()),
             (QList<QByteArray>{command("TD"), command("BT", {1}), command("KP")}));
    QCOMPARE(utilities.clickThroughPause(utilities.beepOnTouch()),
             (QList<QByteArray>{command("TD"), command("BT", {0}), command("KP")}));
}

void tst_Utilities::displayTickShowsAndDecodesTheChunk_data() {
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QByteArray>("chunk");
    QTest::addColumn<QString>("response");
    QTest::addColumn<QString>("coordinates");
    // Each row starts from the report 0,1,2$ shown in coordinates mode.
    const auto row = [](const char* name, const char* mode, const char* chunk, const char* response,
                        const char* coordinates) {
        QTest::newRow(name) << QString::fromLatin1(mode) << QByteArray(chunk)
                            << QString::fromLatin1(response) << QString::fromLatin1(coordinates);
    };
    row("one report", "cmdCoordinates", "1,4,200$", "1,4,200$", "260,200");
    row("first of two", "cmdCoordinates", "0,10,20$0,11,21$", "0,10,20$0,11,21$", "10,20");
    row("without end mark", "cmdCoordinates", "0,10,20", "0,10,20", "10,20");
    row("acknowledgement", "cmdCoordinates", "!", "0,1,2$", "1,2");
    row("nothing arrived", "cmdCoordinates", "", "0,1,2$", "1,2");
    // Malformed chunks are shown as they came; the coordinates stay.
    row("end mark only", "cmdCoordinates", "$", "$", "1,2");
    // In keypad mode nothing is decoded, even what looks like a touch report.
    row("key like a report", "cmdKeypad", "0,10,20$", "0,10,20$", "");
}

void tst_Utilities::displayTickShowsAndDecodesTheChunk() {
    QFETCH(QString, mode);
    QFETCH(QByteArray, chunk);
    UtilitiesBench utilities;
    click(utilities.child("cmdCoordinates"));
    utilities.report("0,1,2$");
    click(utilities.child(qPrintable(mode)));
    utilities.report(chunk);
    QTEST(utilities.text("txtControllerResponse"), "response");
    QTEST(utilities.text("txtCoordinates"), "coordinates");
}

void tst_Utilities::reopensInItsDesignStateKeepingTheTouchMode() {
    UtilitiesBench utilities;
    click(utilities.child("cmdKeypad"));
    utilities.clickThroughPause(utilities.child("cmdBL"));
    qobject_cast<QMdiSubWindow*>(utilities.window()->parentWidget())->close();
    TestBench::settle();
    utilities.bench.open(Utilities);
    // The touch mode is the board's, and stays; the window's display starts afresh.
    QCOMPARE(utilities.child("cmdBL")->text(), QStringLiteral("Backlight Off"));
    QVERIFY(!utilities.displaying());
    QCOMPARE(utilities.touchMode(), QStringLiteral("Keypad"));
}

void tst_Utilities::decodesOnlyWellFormedReports_data() {
    QTest::addColumn<QString>("chunk");
    QTest::addColumn<QString>("shown"); // empty when the chunk is no report
    const auto row = [](const char* name, const char* chunk, const char* shown) {
        QTest::newRow(name) << QString::fromUtf8(chunk) << QString::fromLatin1(shown);
    };
    row("extra fields ignored", "1,63,239,7$", "319,239");
    row("line end after the mark", "0,0,0$\r\n", "0,0");
    row("blanks around fields", " 1 , 4 ,200\r\n", "260,200");
    row("largest X", "127,255,5$", "32767,5");
    row("signed fields", "-1,0,+7$", "-256,7");
    // Strictly numbers: garbage is no report rather than a 0.
    row("end mark first", "$1,4,200", "");
    row("two fields", "1,4$", "");
    row("empty field", "1,,200$", "");
    row("trailing garbage", "1,4,200x$", "");
    row("other digits", "1,\u0664,200$", ""); // Arabic-Indic four
    row("X just beyond", "128,0,5$", "");
    row("Y beyond", "0,5,32768$", "");
    row("huge number", "99999999999999999999,0,0$", "");
}

void tst_Utilities::decodesOnlyWellFormedReports() {
    QFETCH(QString, chunk);
    const auto point = TouchReport::decode(chunk);
    QTEST(point ? TouchReport::format(*point) : QString(), "shown");
}

QTEST_MAIN(tst_Utilities)
#include "tst_utilities.moc"
