#include "board/boardemulator.h"
#include "board/boardview.h"
#include "board/frmboard.h"
#include "engine/colorvalue.h"
#include "engine/commands.h"
#include "engine/session.h"
#include "testbench.h"
#include "workbench/deskplacement.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

const QString Settings = QStringLiteral("frmSettings");
const QString Connected = QStringLiteral("Connected: Simulator 115200,N,8,1");

BoardEmulator* emulatorOf(TestBench& bench) {
    return bench.main().findChild<BoardEmulator*>(QStringLiteral("BoardEmulator"));
}

frmBoard* boardWindow(TestBench& bench) {
    return bench.main().findChild<frmBoard*>(QStringLiteral("frmBoard"));
}

template <typename T> T* onBoard(TestBench& bench, const char* name) {
    return boardWindow(bench)->findChild<T*>(QLatin1String(name));
}

// The middle of a panel pixel, as a point of the view.
QPoint viewPoint(const BoardView& view, QPoint panel) {
    const QRect area = view.panelRect();
    return area.topLeft() +
           QPoint((2 * panel.x() + 1) * area.width() / (2 * BoardGeometry::Width),
                  (2 * panel.y() + 1) * area.height() / (2 * BoardGeometry::Height));
}

QAction* boardMenuItem(TestBench& bench) {
    return bench.main().findChild<QAction*>(QStringLiteral("mnuBoard"));
}

QString polledAnswer(TestBench& bench) {
    bench.clock().advanceToTick(bench.engine(), QStringLiteral("Timer2"));
    return bench.engine().session().controllerResponse();
}

} // namespace

class tst_BoardSimulator : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void connectsDrawsAndKeepsTheBoard();
    void takesTouchesAndKeysFromTheBoardWindow();
    void answersOnlyAtItsOwnSpeed();
    void showsRotationBacklightAndBeeps();
    void placesTheBoardBesideTheMainWindow_data();
    void placesTheBoardBesideTheMainWindow();
    void standsOnTheDeskBesideTheToolWindows();
    void growsAwayFromTheMainWindow_data();
    void growsAwayFromTheMainWindow();
    void zoomsFromItsContextMenu();
    void savesTheScreenAsPng();
    void closesWithTheMainWindow();
};

void tst_BoardSimulator::connectsDrawsAndKeepsTheBoard() {
    TestBench bench(QStringList{}, true);
    BoardEmulator* board = emulatorOf(bench);
    QVERIFY(board);
    QVERIFY(!boardWindow(bench)->isVisible());
    // Without serial ports a new user finds the simulator selected.
    bench.open(Settings);
    QCOMPARE(bench.find<QComboBox>(Settings, QStringLiteral("cbo_mostraporta"))->currentText(),
             QStringLiteral("Simulator"));

    bench.connectSimulator();
    QCOMPARE(bench.main().statusText(), Connected);
    frmBoard* window = boardWindow(bench);
    QVERIFY(window->isVisible());
    QCOMPARE(window->windowTitle(), QStringLiteral(" Board "));
    QCOMPARE(&window->board(), board);

    BoardEngine& engine = bench.engine();
    // A full-screen write answers each row; the receive poll brings the answers in.
    const QByteArray pixels(BoardGeometry::PixelCount, char(3));
    engine.send(Commands::writeScreen(pixels));
    QCOMPARE(polledAnswer(bench), QString(BoardGeometry::Height, QLatin1Char('!')));
    QCOMPARE(board->screen(), pixels);

    // A picture cut short by the disconnect is dropped, not stored.
    engine.send({Commands::saveScreenPicture(4, pixels).mid(0, 500)});
    QVERIFY(board->midCommand());
    click(bench.find<QPushButton>(Settings, QStringLiteral("cmd_conecta")));
    QVERIFY(!board->midCommand());
    QVERIFY(board->picture(4).isEmpty());
    QCOMPARE(bench.main().statusText(), QStringLiteral("Controller Disconnected "));
    window->close();
    QVERIFY(!window->isVisible());

    // The board outlives the connection; connecting opens its window again.
    click(bench.find<QPushButton>(Settings, QStringLiteral("cmd_conecta")));
    bench.clock().advanceToTick(bench.engine(), QStringLiteral("Timer4"));
    QCOMPARE(bench.main().statusText(), Connected);
    QVERIFY(window->isVisible());
    QCOMPARE(board->screen(), pixels);
}

void tst_BoardSimulator::takesTouchesAndKeysFromTheBoardWindow() {
    TestBench bench(QStringList{}, true);
    bench.connectSimulator();
    auto* view = onBoard<BoardView>(bench, "picScreen");
    // Touches are read at the zoom the panel shows.
    boardWindow(bench)->setZoom(2);
    QCOMPARE(view->panelRect().size(), QSize(2 * BoardGeometry::Width, 2 * BoardGeometry::Height));
    BoardEngine& engine = bench.engine();

    engine.send(Commands::touchCoordinatesOn());
    QTest::mouseClick(view, Qt::LeftButton, {}, viewPoint(*view, {260, 200}));
    QCOMPARE(polledAnswer(bench), QStringLiteral("1,4,200$"));
    // Outside the panel is no touch.
    QTest::mouseClick(view, Qt::LeftButton, {}, view->panelRect().bottomRight() + QPoint(2, 2));
    QCOMPARE(polledAnswer(bench), QString());

    // The keypad: a click on a key, or the key typed on the keyboard.
    engine.send(Commands::touchKeypadOn());
    QTest::mouseClick(view, Qt::LeftButton, {}, viewPoint(*view, {120, 90})); // the "5" key
    QTest::keyClick(view, Qt::Key_NumberSign);
    QCOMPARE(polledAnswer(bench), QStringLiteral("5#"));
}

// The app at another speed than the board's: the board ignores it, the app finds no board.
void tst_BoardSimulator::answersOnlyAtItsOwnSpeed() {
    TestBench bench(QStringList{}, true);
    bench.open(Settings);
    bench.find<QComboBox>(Settings, QStringLiteral("cboBR"))->setCurrentIndex(0); // 9600
    bench.connectSimulator();
    QCOMPARE(bench.main().statusText(), QStringLiteral("Connecting"));
    QVERIFY(emulatorOf(bench)->ignoredByteCount() > 0);
    bench.clock().advanceToTick(bench.engine(), QStringLiteral("Timer1")); // the connect time-out
    QCOMPARE(bench.main().statusText(), QStringLiteral("Controller Disconnected"));
    QCOMPARE(bench.dialogs().messages.last().text, QStringLiteral("Controller not found"));
}

void tst_BoardSimulator::showsRotationBacklightAndBeeps() {
    TestBench bench(QStringList{}, true);
    bench.connectSimulator();
    auto* view = onBoard<BoardView>(bench, "picScreen");
    BoardEngine& engine = bench.engine();
    engine.send(Commands::fillRectangle({0, 0}, {9, 9}, 224)); // red, top-left
    const auto shown = [view](QPoint panel) {
        return view->grab().toImage().pixelColor(viewPoint(*view, panel));
    };
    QCOMPARE(shown({2, 2}), QColor(255, 0, 0));
    QCOMPARE(shown({317, 237}), QColor(0, 0, 0));

    engine.send(Commands::rotateScreen());
    QCOMPARE(shown({2, 2}), QColor(0, 0, 0));
    QCOMPARE(shown({317, 237}), QColor(255, 0, 0));

    engine.send(Commands::setBacklight(false));
    const QColor dimmed = shown({317, 237});
    QVERIFY(dimmed.red() > 0 && dimmed.red() < 80);
    engine.send(Commands::setBacklight(true));
    QCOMPARE(shown({317, 237}), QColor(255, 0, 0));

    auto* beep = onBoard<QLabel>(bench, "lblBeep");
    QVERIFY(!beep->isVisible());
    engine.send(Commands::beep());
    QVERIFY(beep->isVisible());
    bench.clock().advance(400);
    QVERIFY(!beep->isVisible());

    // The keypad is drawn over the picture, and the state line tells the mode.
    engine.send(Commands::touchKeypadOn());
    QVERIFY(onBoard<QLabel>(bench, "lblState")->text().contains(QStringLiteral("keypad")));
    QVERIFY(shown({40, 30}) != QColor(0, 0, 0));
}

// The board's window at 2x and at 1x, with the frames a window manager gives them.
const QList<DeskPlacement::Choice> BoardChoices{{2, {656, 520}}, {1, {336, 280}}};

void tst_BoardSimulator::placesTheBoardBesideTheMainWindow_data() {
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QRect>("mainFrame");
    QTest::addColumn<int>("zoom");
    QTest::addColumn<QPoint>("topLeft");

    const QRect fullHd(0, 0, 1920, 1080);
    QTest::newRow("to the right at 2x") << fullHd << QRect(0, 0, 610, 460) << 2 << QPoint(618, 0);
    QTest::newRow("to the left when the right has no room")
        << fullHd << QRect(1300, 100, 610, 460) << 2 << QPoint(636, 100);
    QTest::newRow("moved up to stay on the screen")
        << fullHd << QRect(0, 700, 610, 360) << 2 << QPoint(618, 560);
    QTest::newRow("below when no side has room")
        << QRect(0, 0, 800, 1000) << QRect(0, 0, 610, 460) << 2 << QPoint(0, 468);
    QTest::newRow("at 1x where 2x does not fit beside")
        << QRect(0, 0, 1024, 768) << QRect(0, 0, 610, 460) << 1 << QPoint(618, 0);
    QTest::newRow("on a second screen")
        << QRect(1920, 0, 1280, 1024) << QRect(1920, 0, 610, 460) << 2 << QPoint(2538, 0);
    QTest::newRow("the smallest over the main window when nothing fits beside")
        << QRect(0, 0, 800, 600) << QRect(0, 0, 610, 460) << 1 << QPoint(464, 0);
    QTest::newRow("top-left corner in view on a screen too small")
        << QRect(0, 0, 300, 200) << QRect(0, 0, 610, 460) << 1 << QPoint(0, 0);
}

void tst_BoardSimulator::placesTheBoardBesideTheMainWindow() {
    QFETCH(QRect, screen);
    QFETCH(QRect, mainFrame);
    const DeskPlacement::Placement placement =
        DeskPlacement::place(mainFrame, BoardChoices, screen);
    QTEST(placement.zoom, "zoom");
    QTEST(placement.topLeft, "topLeft");
}

void tst_BoardSimulator::growsAwayFromTheMainWindow_data() {
    QTest::addColumn<QRect>("mainFrame");
    QTest::addColumn<QRect>("oldFrame");
    QTest::addColumn<QPoint>("topLeft");
    // From 1x (336 x 280) to 2x (656 x 520) on a 1920 x 1080 screen.
    QTest::newRow("on the right: keeps its left edge")
        << QRect(0, 0, 610, 460) << QRect(618, 40, 336, 280) << QPoint(618, 40);
    QTest::newRow("on the left: keeps its right edge")
        << QRect(1300, 100, 610, 460) << QRect(956, 100, 336, 280) << QPoint(636, 100);
    QTest::newRow("above: keeps its bottom edge")
        << QRect(0, 600, 610, 460) << QRect(0, 312, 336, 280) << QPoint(0, 72);
    QTest::newRow("to the other side where the screen would push it over")
        << QRect(700, 0, 610, 460) << QRect(1318, 0, 336, 280) << QPoint(36, 0);
}

void tst_BoardSimulator::growsAwayFromTheMainWindow() {
    QFETCH(QRect, mainFrame);
    QFETCH(QRect, oldFrame);
    QTEST(DeskPlacement::resized(mainFrame, oldFrame, QSize(656, 520), QRect(0, 0, 1920, 1080)),
          "topLeft");
}

void tst_BoardSimulator::standsOnTheDeskBesideTheToolWindows() {
    TestBench bench({QStringLiteral("1")}, true);
    frmMainMDI& main = bench.main();
    QAction* boardItem = boardMenuItem(bench);
    QVERIFY(boardItem);
    auto* windowMenu = main.findChild<QMenu*>(QStringLiteral("mnuWindow"));
    Q_EMIT windowMenu->aboutToShow();
    QStringList items;
    const QList<QAction*> actions = windowMenu->actions();
    for (QAction* action : actions)
        items.append(action->isSeparator() ? QStringLiteral("-") : action->text());
    QCOMPARE(items,
             (QStringList{QStringLiteral("Cascade"), QStringLiteral("Tile"), QStringLiteral("-"),
                          QStringLiteral("Monitor"), QStringLiteral("Board")}));
    // Offered only while the simulator is connected: with a real board it would mislead.
    QVERIFY(!boardItem->isEnabled());
    bench.connectBoard();
    QCOMPARE(main.statusText(), QStringLiteral("Connected: COM1 115200,N,8,1"));
    QVERIFY(!boardItem->isEnabled());
    frmBoard* window = boardWindow(bench);
    QVERIFY(!window->isVisible());
    click(bench.find<QPushButton>(Settings, QStringLiteral("cmd_conecta")));

    bench.connectSimulator();
    QVERIFY(boardItem->isEnabled());
    QVERIFY(window->isVisible() && window->isWindow());
    // Owned by the main window for the run, but not inside it where tool windows cover it.
    QCOMPARE(window->parentWidget(), &main);
    auto* area = main.findChild<QMdiArea*>();
    bench.open(QStringLiteral("frmCoordinates"));
    QVERIFY(!area->isAncestorOf(window));
    QCOMPARE(area->subWindowList().size(), 2);
    QVERIFY(window->isVisible());
    // Beside the main window, both in full view.
    QVERIFY(!window->frameGeometry().intersects(main.frameGeometry()));
    QVERIFY(TestBench::desktop.contains(window->frameGeometry()));

    // Closed, the menu item brings the same window back where the user left it.
    window->setZoom(1);
    window->move(40, 30);
    const QPoint place = window->pos();
    window->close();
    QVERIFY(!window->isVisible());
    boardItem->trigger();
    QVERIFY(window->isVisible());
    QCOMPARE(window->pos(), place);
    QCOMPARE(window->zoom(), 1);
    QCOMPARE(main.findChildren<frmBoard*>().size(), 1);

    click(bench.find<QPushButton>(Settings, QStringLiteral("cmd_conecta")));
    QVERIFY(!boardItem->isEnabled());
}

void tst_BoardSimulator::zoomsFromItsContextMenu() {
    TestBench bench(QStringList{}, true);
    bench.connectSimulator();
    frmBoard* window = boardWindow(bench);
    QCOMPARE(window->contextMenuPolicy(), Qt::ActionsContextMenu);
    QStringList items;
    const QList<QAction*> actions = window->actions();
    for (QAction* action : actions)
        items.append(action->isSeparator() ? QStringLiteral("-") : action->text());
    QCOMPARE(items,
             (QStringList{QStringLiteral("Save Screen as PNG..."), QStringLiteral("-"),
                          QStringLiteral("1x"), QStringLiteral("2x"), QStringLiteral("3x")}));

    auto* view = onBoard<BoardView>(bench, "picScreen");
    const QRect screen = TestBench::desktop;
    for (const int zoom : {1, 3, 2}) {
        auto* item = window->findChild<QAction*>(QStringLiteral("mnuZoom%1").arg(zoom));
        item->trigger();
        QVERIFY(item->isChecked());
        QCOMPARE(window->zoom(), zoom);
        // The window takes the zoomed panel's size: the whole panel shows at that zoom.
        QCOMPARE(view->panelRect().size(),
                 QSize(zoom * BoardGeometry::Width, zoom * BoardGeometry::Height));
        QCOMPARE(view->size(), view->panelRect().size());
        // Even a window larger than the screen keeps its top-left corner in view.
        QVERIFY(screen.contains(window->frameGeometry().topLeft()));
    }
}

void tst_BoardSimulator::savesTheScreenAsPng() {
    TestBench bench(QStringList{}, true);
    bench.connectSimulator();
    BoardEngine& engine = bench.engine();
    QByteArray pixels(BoardGeometry::PixelCount, Qt::Uninitialized);
    for (int i = 0; i < pixels.size(); ++i)
        pixels[i] = char((i * 7 + i / BoardGeometry::Width) & 0xFF);
    engine.send(Commands::writeScreen(pixels));
    // What is drawn over the panel (the keypad) is not part of the screen.
    engine.send(Commands::touchKeypadOn());
    BoardEmulator* board = emulatorOf(bench);
    QCOMPARE(board->screen(), pixels);

    QTemporaryDir folder;
    auto* save = boardWindow(bench)->findChild<QAction*>(QStringLiteral("mnuSaveScreen"));
    // A name without an extension gets ".png".
    bench.dialogs().fileAnswers = {folder.filePath(QStringLiteral("screen"))};
    save->trigger();
    QCOMPARE(bench.dialogs().fileRequests.size(), 1);
    QVERIFY(bench.dialogs().fileRequests[0].save);
    QVERIFY(bench.dialogs().fileRequests[0].filter.contains(QStringLiteral("*.png")));
    const QImage saved(folder.filePath(QStringLiteral("screen.png")), "PNG");
    QCOMPARE(saved.size(), QSize(BoardGeometry::Width, BoardGeometry::Height));
    int differing = 0;
    for (int y = 0; y < BoardGeometry::Height; ++y) {
        for (int x = 0; x < BoardGeometry::Width; ++x)
            differing += saved.pixel(x, y) != ColorValue::expand(board->pixel(x, y));
    }
    QCOMPARE(differing, 0);
    QVERIFY(bench.dialogs().fileRequests[0].initialFolder.endsWith(QStringLiteral("/board.png")));
    // The next save suggests the file saved last.
    save->trigger();
    QCOMPARE(bench.dialogs().fileRequests.last().initialFolder,
             folder.filePath(QStringLiteral("screen.png")));

    // Cancelled, nothing is written; a folder that is not there is reported, not a crash.
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files).size(), 1);
    bench.dialogs().fileAnswers = {folder.filePath(QStringLiteral("gone/screen.png"))};
    save->trigger();
    QCOMPARE(bench.dialogs().messages.size(), 1);
    QCOMPARE(bench.dialogs().messages[0].title, QStringLiteral("Warning"));
    QVERIFY(
        bench.dialogs().messages[0].text.startsWith(QStringLiteral("The screen was not saved")));
    QVERIFY(!QFile::exists(folder.filePath(QStringLiteral("gone/screen.png"))));
}

void tst_BoardSimulator::closesWithTheMainWindow() {
    TestBench bench(QStringList{}, true);
    bench.connectSimulator();
    frmBoard* window = boardWindow(bench);
    QVERIFY(window->isVisible());
    // Closing the main window ends the program, the board's window going with it. Should
    // the board's window keep the program running, the guard ends the wait instead.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    guard.start(5000);
    QTimer::singleShot(0, &bench.main(), [&bench] { bench.main().close(); });
    QCOMPARE(QCoreApplication::exec(), 0);
    QVERIFY(!window->isVisible());
}

QTEST_MAIN(tst_BoardSimulator)
#include "tst_boardsimulator.moc"
