#include "engine/session.h"
#include "pseudoterminalbench.h"

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

    bench.engine().session().setSelectedColor(224);
    click(button("cmdClear"));
    QTRY_COMPARE(emulator.pixel(10, 20), quint8(224));
    QCOMPARE(emulator.pixel(319, 239), quint8(224));

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

    // A keypad press, shown as it came.
    click(button("cmdKeypad"));
    QTRY_COMPARE(emulator.touchMode(), BoardEmulator::TouchMode::Keypad);
    QVERIFY(emulator.pressKey('7'));
    QTRY_COMPARE(response->text(), QStringLiteral("7"));
    QVERIFY(coordinates->text().isEmpty());
    click(button("cmdRotate"));
    QTRY_VERIFY(emulator.rotated());
    QCOMPARE(emulator.errorCount(), 0);
}

QTEST_MAIN(tst_UtilitiesPty)
#include "tst_utilities_pty.moc"
