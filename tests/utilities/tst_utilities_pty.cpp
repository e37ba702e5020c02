#include "app/session.h"
#include "pseudoterminalbench.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {
const QString Utilities = QStringLiteral("frmUtilities");
}

// The utilities window through a real serial port to the board simulator.
class tst_UtilitiesPty : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void drivesTheBoardAndShowsItsTouchReports();
};

void tst_UtilitiesPty::drivesTheBoardAndShowsItsTouchReports() {
    PseudoTerminalBench line;
    QVERIFY2(line.isOpen(), qPrintable(line.errorString()));
    QVERIFY(line.connectBoard());
    TestBench& bench = line.bench();
    bench.open(Utilities);
    auto button = [&bench](const char* name) {
        return bench.find<QPushButton>(Utilities, QLatin1String(name));
    };
    BoardEmulator& emulator = line.board();

    bench.main().session().setSelectedColor(224);
    click(button("cmdClear"));
    QTRY_COMPARE(emulator.pixel(10, 20), quint8(224));
    QCOMPARE(emulator.pixel(319, 239), quint8(224));

    click(button("cmdBeep"));
    QTRY_COMPARE(emulator.beepCount(), 1);

    // A touch press, reported and decoded.
    click(button("cmdCoordinates"));
    QTRY_COMPARE(emulator.touchMode(), BoardEmulator::TouchMode::Coordinates);
    emulator.touch(QPoint(260, 200));
    auto* coordinates = bench.find<QLineEdit>(Utilities, QStringLiteral("txtCoordinates"));
    auto* response = bench.find<QLineEdit>(Utilities, QStringLiteral("txtControllerResponse"));
    QTRY_COMPARE(coordinates->text(), QStringLiteral("260,200"));
    QCOMPARE(response->text(), QStringLiteral("1,4,200$"));

    // The backlight, with touch reporting paused and back afterwards.
    click(button("cmdBL"));
    QTRY_COMPARE(emulator.touchMode(), BoardEmulator::TouchMode::Off);
    bench.clock().advance(251);
    QTRY_VERIFY(!emulator.backlight());
    QTRY_COMPARE(emulator.touchMode(), BoardEmulator::TouchMode::Coordinates);
    QCOMPARE(button("cmdBL")->text(), QStringLiteral("Backlight On"));
    click(button("cmdBL"));
    bench.clock().advance(251);
    QTRY_VERIFY(emulator.backlight());

    // Beep on touch, then a keypad press, shown as it came.
    click(bench.find<QCheckBox>(Utilities, QStringLiteral("chkBeep")));
    bench.clock().advance(501);
    QTRY_VERIFY(emulator.beepOnTouch());
    click(button("cmdKeypad"));
    QTRY_COMPARE(emulator.touchMode(), BoardEmulator::TouchMode::Keypad);
    QVERIFY(emulator.pressKey('7'));
    QTRY_COMPARE(response->text(), QStringLiteral("7"));
    QVERIFY(coordinates->text().isEmpty());
    QCOMPARE(emulator.beepCount(), 2);

    // Rotated, the panel turns with the picture; a second turn brings it back.
    click(button("cmdRotate"));
    QTRY_VERIFY(emulator.rotated());
    click(button("cmdRotate"));
    QTRY_VERIFY(!emulator.rotated());

    click(button("cmdCal"));
    QTRY_VERIFY(emulator.calibrationTarget().has_value());
    click(button("cmdRestore"));
    QTRY_VERIFY(!emulator.calibrationTarget().has_value());

    click(button("cmdOFF"));
    QTRY_COMPARE(emulator.touchMode(), BoardEmulator::TouchMode::Off);
    QCOMPARE(emulator.errorCount(), 0);
}

QTEST_MAIN(tst_UtilitiesPty)
#include "tst_utilities_pty.moc"
