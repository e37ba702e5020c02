#include "engine/session.h"
#include "board/boardemulator.h"
#include "board/boardview.h"
#include "board/frmboard.h"
#include "engine/commands.h"
#include "engine/msserial.h"
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

// Connects through the settings window to the simulator, at the selected speed.
void connectSimulator(TestBench& bench) {
    bench.open(Settings);
    portList(bench)->setCurrentIndex(portList(bench)->findText(QStringLiteral("Simulator")));
    click(bench.find<QPushButton>(Settings, QStringLiteral("cmd_conecta")));
    bench.engine().connection().Timer4_Timer();
}

// The middle of a panel pixel, as a point of the view.
QPoint viewPoint(const BoardView& view, QPoint panel) {
    const QRect area = view.panelRect();
    return area.topLeft() +
           QPoint((2 * panel.x() + 1) * area.width() / (2 * BoardGeometry::Width),
                  (2 * panel.y() + 1) * area.height() / (2 * BoardGeometry::Height));
}

QString polledAnswer(TestBench& bench) {
    bench.engine().connection().Timer2_Timer();
    return bench.engine().session().controllerResponse();
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
    QCOMPARE(portList(bench)->count(), 3);
    QCOMPARE(portList(bench)->itemText(2), QStringLiteral("Simulator"));
    QCOMPARE(portList(bench)->currentText(), QStringLiteral("1"));
}

void tst_BoardSimulator::connectsDrawsAndKeepsTheBoard() {
    TestBench bench(QStringList{}, true);
    BoardEmulator* board = emulatorOf(bench);
    QVERIFY(board);
    QVERIFY(!bench.window(Board));
    // Without serial ports a new user finds the simulator selected.
    bench.open(Settings);
    QCOMPARE(portList(bench)->currentText(), QStringLiteral("Simulator"));

    connectSimulator(bench);
    QCOMPARE(bench.main().statusText(), Connected);
    auto* window = qobject_cast<frmBoard*>(bench.window(Board));
    QVERIFY(window && window->isVisible());
    QCOMPARE(window->windowTitle(), QStringLiteral(" Board "));
    QCOMPARE(&window->board(), board);

    MSserial& port = bench.engine().port();
    // A full-screen write answers each row; the receive poll brings the answers in.
    const QByteArray pixels(BoardGeometry::PixelCount, char(3));
    port.output(Commands::writeScreen(pixels));
    QCOMPARE(polledAnswer(bench), QString(BoardGeometry::Height, QLatin1Char('!')));
    QCOMPARE(board->screen(), pixels);

    // A picture cut short by the disconnect is dropped, not stored.
    port.output(Commands::saveScreenPicture(4, pixels).mid(0, 500));
    QVERIFY(board->midCommand());
    click(bench.find<QPushButton>(Settings, QStringLiteral("cmd_conecta")));
    QVERIFY(!board->midCommand());
    QVERIFY(board->picture(4).isEmpty());
    QCOMPARE(bench.main().statusText(), QStringLiteral("Controller Disconnected "));
    bench.window(Board)->parentWidget()->close();
    TestBench::settle();
    QVERIFY(!bench.window(Board));

    // The board outlives the connection; connecting opens its window again.
    click(bench.find<QPushButton>(Settings, QStringLiteral("cmd_conecta")));
    bench.engine().connection().Timer4_Timer();
    QCOMPARE(bench.main().statusText(), Connected);
    QVERIFY(bench.window(Board));
    QCOMPARE(board->screen(), pixels);
}

void tst_BoardSimulator::takesTouchesAndKeysFromTheBoardWindow() {
    TestBench bench(QStringList{}, true);
    connectSimulator(bench);
    auto* view = bench.find<BoardView>(Board, QStringLiteral("picScreen"));
    QVERIFY(view && view->panelRect().width() >= BoardGeometry::Width / 2);
    // Given room, the screen shows at twice its size; touches below are read at that zoom.
    QCOMPARE(view->sizeHint(), QSize(2 * BoardGeometry::Width, 2 * BoardGeometry::Height));
    bench.window(Board)->parentWidget()->resize(900, 700);
    QCOMPARE(view->panelRect().size(), QSize(2 * BoardGeometry::Width, 2 * BoardGeometry::Height));
    MSserial& port = bench.engine().port();

    port.output(Commands::touchCoordinatesOn());
    QTest::mouseClick(view, Qt::LeftButton, {}, viewPoint(*view, {260, 200}));
    QCOMPARE(polledAnswer(bench), QStringLiteral("1,4,200$"));
    // Outside the panel is no touch.
    QTest::mouseClick(view, Qt::LeftButton, {}, view->panelRect().bottomRight() + QPoint(2, 2));
    QCOMPARE(polledAnswer(bench), QString());

    // The keypad: a click on a key, or the key typed on the keyboard.
    port.output(Commands::touchKeypadOn());
    QTest::mouseClick(view, Qt::LeftButton, {}, viewPoint(*view, {120, 90})); // the "5" key
    QTest::keyClick(view, Qt::Key_NumberSign);
    QCOMPARE(polledAnswer(bench), QStringLiteral("5#"));
}

// The app at another speed than the board's: the board ignores it, the app finds no board.
void tst_BoardSimulator::answersOnlyAtItsOwnSpeed() {
    TestBench bench(QStringList{}, true);
    bench.open(Settings);
    bench.find<QComboBox>(Settings, QStringLiteral("cboBR"))->setCurrentIndex(0); // 9600
    connectSimulator(bench);
    QCOMPARE(bench.main().statusText(), QStringLiteral("Connecting"));
    QVERIFY(emulatorOf(bench)->ignoredByteCount() > 0);
    bench.engine().connection().Timer1_Timer(); // the connect time-out
    QCOMPARE(bench.main().statusText(), QStringLiteral("Controller Disconnected"));
    QCOMPARE(bench.dialogs().messages.last().text, QStringLiteral("Controller not found"));
}

void tst_BoardSimulator::showsRotationBacklightAndBeeps() {
    TestBench bench(QStringList{}, true);
    connectSimulator(bench);
    auto* view = bench.find<BoardView>(Board, QStringLiteral("picScreen"));
    MSserial& port = bench.engine().port();
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

    // The keypad is drawn over the picture, and the state line tells the mode.
    port.output(Commands::touchKeypadOn());
    QVERIFY(bench.find<QLabel>(Board, QStringLiteral("lblState"))
                ->text()
                .contains(QStringLiteral("keypad")));
    QVERIFY(shown({40, 30}) != QColor(0, 0, 0));
}

QTEST_MAIN(tst_BoardSimulator)
#include "tst_boardsimulator.moc"
