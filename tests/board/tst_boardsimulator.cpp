#include "app/session.h"
#include "board/boardemulator.h"
#include "board/boardview.h"
#include "board/frmboard.h"
#include "serial/commands.h"
#include "serial/msserial.h"
#include "testbench.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {

const QString Settings = QStringLiteral("frmSettings");
const QString Board = QStringLiteral("frmBoard");
const QString Connected = QStringLiteral("Connected: Simulator 115200,N,8,1");

BoardEmulator* emulatorOf(TestBench& bench) {
    return bench.main().findChild<BoardEmulator*>(QStringLiteral("BoardEmulator"));
}

QComboBox* portList(TestBench& bench) {
    return bench.find<QComboBox>(Settings, QStringLiteral("cbo_mostraporta"));
}

// Connects through the settings window to the port of that label, at the selected speed.
void connectTo(TestBench& bench, const QString& label) {
    bench.open(Settings);
    QComboBox* ports = portList(bench);
    ports->setCurrentIndex(ports->findText(label));
    click(bench.find<QPushButton>(Settings, QStringLiteral("cmd_conecta")));
    bench.main().Timer4_Timer();
}

// The middle of a panel pixel, as a point of the view.
QPoint viewPoint(const BoardView& view, QPoint panel) {
    const QRect area = view.panelRect();
    return area.topLeft() +
           QPoint((2 * panel.x() + 1) * area.width() / (2 * BoardGeometry::Width),
                  (2 * panel.y() + 1) * area.height() / (2 * BoardGeometry::Height));
}

QString polledAnswer(TestBench& bench) {
    bench.main().Timer2_Timer();
    return bench.main().session().controllerResponse();
}

} // namespace

class tst_BoardSimulator : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void listsTheSimulatorLast();
    void connectsDrawsAndKeepsTheBoard();
    void takesTouchesAndKeysFromTheBoardWindow();
    void answersOnlyAtItsOwnSpeed();
    void showsRotationBacklightAndBeeps();
};

void tst_BoardSimulator::listsTheSimulatorLast() {
    TestBench bench({QStringLiteral("1"), QStringLiteral("3")}, true);
    bench.open(Settings);
    QComboBox* ports = portList(bench);
    QCOMPARE(ports->count(), 3);
    QCOMPARE(ports->itemText(2), QStringLiteral("Simulator"));
    QCOMPARE(ports->currentText(), QStringLiteral("1"));

    // Without serial ports a new user finds the simulator selected.
    TestBench bare(QStringList{}, true);
    bare.open(Settings);
    QCOMPARE(portList(bare)->count(), 1);
    QCOMPARE(portList(bare)->currentText(), QStringLiteral("Simulator"));

    TestBench without;
    without.open(Settings);
    QCOMPARE(portList(without)->findText(QStringLiteral("Simulator")), -1);
    QVERIFY(!without.main().findChild<BoardEmulator*>());
}

void tst_BoardSimulator::connectsDrawsAndKeepsTheBoard() {
    TestBench bench(QStringList{}, true);
    BoardEmulator* board = emulatorOf(bench);
    QVERIFY(board);
    QVERIFY(!bench.window(Board));

    connectTo(bench, QStringLiteral("Simulator"));
    QCOMPARE(bench.main().statusText(), Connected);
    auto* window = qobject_cast<frmBoard*>(bench.window(Board));
    QVERIFY(window);
    QCOMPARE(window->windowTitle(), QStringLiteral(" Board "));
    QCOMPARE(&window->board(), board);
    QVERIFY(window->isVisible());

    MSserial& port = bench.main().port();
    port.output(Commands::drawPixel({300, 10}, 224));
    port.output(Commands::fillCircle({160, 120}, 50, 28));
    QCOMPARE(board->pixel(300, 10), quint8(224));
    QCOMPARE(board->pixel(160, 120), quint8(28));

    // A full-screen write answers each row; the receive poll brings the answer in.
    QByteArray pixels(BoardGeometry::PixelCount, char(3));
    const WriteList screen = Commands::writeScreen(pixels);
    port.output(screen.mid(0, 1 + BoardGeometry::Width));
    QCOMPARE(polledAnswer(bench), QStringLiteral("!"));
    port.output(screen.mid(1 + BoardGeometry::Width, screen.count()));
    QCOMPARE(polledAnswer(bench), QString(BoardGeometry::Height - 1, QLatin1Char('!')));
    QCOMPARE(board->screen(), pixels);

    // The board outlives the connection: its screen is still there after reconnecting.
    // A picture cut short by the disconnect is dropped, not stored.
    port.output(Commands::saveScreenPicture(4, pixels).mid(0, 500));
    QVERIFY(board->midCommand());
    click(bench.find<QPushButton>(Settings, QStringLiteral("cmd_conecta")));
    QVERIFY(!board->midCommand());
    QVERIFY(board->picture(4).isEmpty());
    QCOMPARE(bench.main().statusText(), QStringLiteral("Controller Disconnected "));
    QVERIFY(!port.portOpen());
    port.output(Commands::clearScreen(0)); // nothing goes out while disconnected
    QCOMPARE(board->screen(), pixels);
    bench.window(Board)->parentWidget()->close();
    TestBench::settle();
    QVERIFY(!bench.window(Board));

    click(bench.find<QPushButton>(Settings, QStringLiteral("cmd_conecta")));
    bench.main().Timer4_Timer();
    QCOMPARE(bench.main().statusText(), Connected);
    QVERIFY(bench.window(Board)); // connecting opens the window again
    QCOMPARE(board->screen(), pixels);
}

void tst_BoardSimulator::takesTouchesAndKeysFromTheBoardWindow() {
    TestBench bench(QStringList{}, true);
    connectTo(bench, QStringLiteral("Simulator"));
    auto* view = bench.find<BoardView>(Board, QStringLiteral("picScreen"));
    QVERIFY(view);
    QVERIFY(view->panelRect().width() >= BoardGeometry::Width / 2);
    MSserial& port = bench.main().port();

    port.output(Commands::touchCoordinatesOn());
    QTest::mouseClick(view, Qt::LeftButton, {}, viewPoint(*view, {260, 200}));
    QCOMPARE(polledAnswer(bench), QStringLiteral("1,4,200$"));
    // Outside the panel is no touch.
    QTest::mouseClick(view, Qt::LeftButton, {}, view->panelRect().bottomRight() + QPoint(2, 2));
    QCOMPARE(polledAnswer(bench), QString());

    // Turned, the panel's top-left corner is the screen's bottom-right.
    port.output(Commands::rotateScreen());
    QTest::mouseClick(view, Qt::LeftButton, {}, viewPoint(*view, {0, 0}));
    QCOMPARE(polledAnswer(bench), QStringLiteral("1,63,239$"));
    port.output(Commands::rotateScreen());

    // The keypad: a click on a key, or the key typed on the keyboard.
    port.output(Commands::touchKeypadOn());
    QTest::mouseClick(view, Qt::LeftButton, {}, viewPoint(*view, {120, 90})); // the "5" key
    QTest::keyClick(view, Qt::Key_NumberSign);
    QCOMPARE(polledAnswer(bench), QStringLiteral("5#"));

    port.output(Commands::touchOff());
    QTest::mouseClick(view, Qt::LeftButton, {}, viewPoint(*view, {120, 90}));
    QTest::keyClick(view, Qt::Key_5);
    QCOMPARE(polledAnswer(bench), QString());
}

void tst_BoardSimulator::answersOnlyAtItsOwnSpeed() {
    TestBench bench(QStringList{}, true);
    BoardEmulator* board = emulatorOf(bench);
    bench.open(Settings);
    bench.find<QComboBox>(Settings, QStringLiteral("cboBR"))->setCurrentIndex(0); // 9600
    connectTo(bench, QStringLiteral("Simulator"));
    QCOMPARE(bench.main().statusText(), QStringLiteral("Connecting"));
    QVERIFY(board->ignoredByteCount() > 0);
    bench.main().Timer1_Timer(); // the connect time-out
    QCOMPARE(bench.main().statusText(), QStringLiteral("Controller Disconnected"));
    QCOMPARE(bench.dialogs().messages.last().text, QStringLiteral("Controller not found"));

    // Telling the board a new speed and reconnecting at it works.
    bench.find<QComboBox>(Settings, QStringLiteral("cboBR"))->setCurrentIndex(6);
    connectTo(bench, QStringLiteral("Simulator"));
    QCOMPARE(bench.main().statusText(), Connected);
    bench.find<QComboBox>(Settings, QStringLiteral("cmbBoudRate"))->setCurrentIndex(2); // 19200
    click(bench.find<QPushButton>(Settings, QStringLiteral("cmdBaudRate")));
    QCOMPARE(board->baudRate(), 19200);
    bench.clock().advance(2801);
    bench.main().Timer4_Timer();
    QCOMPARE(bench.main().statusText(), QStringLiteral("Connected: Simulator 19200,N,8,1"));
    bench.main().port().output(Commands::clearScreen(99));
    QCOMPARE(board->pixel(5, 5), quint8(99));
}

void tst_BoardSimulator::showsRotationBacklightAndBeeps() {
    TestBench bench(QStringList{}, true);
    connectTo(bench, QStringLiteral("Simulator"));
    auto* view = bench.find<BoardView>(Board, QStringLiteral("picScreen"));
    MSserial& port = bench.main().port();
    port.output(Commands::clearScreen(0));
    port.output(Commands::fillRectangle({0, 0}, {9, 9}, 224)); // red, top-left
    const auto shown = [view](QPoint panel) {
        return view->grab().toImage().pixelColor(viewPoint(*view, panel));
    };
    QCOMPARE(shown({2, 2}), QColor(255, 0, 0));
    QCOMPARE(shown({317, 237}), QColor(0, 0, 0));

    port.output(Commands::rotateScreen());
    QCOMPARE(shown({2, 2}), QColor(0, 0, 0));
    QCOMPARE(shown({317, 237}), QColor(255, 0, 0));

    port.output(Commands::setBacklight(false));
    const QColor dimmed = shown({317, 237});
    QVERIFY(dimmed.red() > 0 && dimmed.red() < 80);
    port.output(Commands::setBacklight(true));
    QCOMPARE(shown({317, 237}), QColor(255, 0, 0));

    auto* beep = bench.find<QLabel>(Board, QStringLiteral("lblBeep"));
    QVERIFY(!beep->isVisible());
    port.output(Commands::beep());
    QVERIFY(beep->isVisible());
    bench.clock().advance(400);
    QVERIFY(!beep->isVisible());

    auto* state = bench.find<QLabel>(Board, QStringLiteral("lblState"));
    port.output(Commands::touchKeypadOn());
    QVERIFY(state->text().contains(QStringLiteral("keypad")));
    // The keypad is drawn over the picture.
    QVERIFY(shown({40, 30}) != QColor(0, 0, 0));
}

QTEST_MAIN(tst_BoardSimulator)
#include "tst_boardsimulator.moc"
