#include "engine/clock.h"
#include "engine/msserial.h"
#include "engine/session.h"
#include "testbench.h"
#include "workbench/toolwindows.h"
#include "workbench/userdialogs.h"

#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>

namespace {

QStringList captions(QMenu* menu) {
    QStringList texts;
    const QList<QAction*> actions = menu->actions();
    for (QAction* action : actions)
        texts.append(action->isSeparator() ? QStringLiteral("-") : action->text());
    return texts;
}

// A tool window for exercising the window mechanism on its own.
QWidget* makeProbe(Workbench&) {
    auto* probe = new QWidget;
    probe->setWindowTitle(QStringLiteral(" Probe "));
    return probe;
}

} // namespace

class tst_MainWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void startsDisconnectedAndGrows();
    void menusAsDesigned();
    void timersStartAsDesigned();
    void toolWindowsOpenOnceAndComeBackFresh();
    void windowMenuListsAndArrangesChildren();
    void receivePollReplacesTheResponse();
    void exitSendsNothing();
    void dialogFiltersBecomeQtFilters();
};

void tst_MainWindow::startsDisconnectedAndGrows() {
    frmMainMDI main;
    for (const char* name : {"MSserial", "StatusBar1", "ProgressBar1", "Toolbar1", "Timer1",
                             "Timer2", "Timer4", "Session"})
        QVERIFY2(main.findChild<QObject*>(QLatin1String(name)), name);
    QCOMPARE(main.objectName(), QStringLiteral("frmMainMDI"));
    QCOMPARE(main.windowTitle(), QStringLiteral(" Lumaret"));
    QCOMPARE(main.statusText(), QStringLiteral("Controller Disconnected"));
    QVERIFY(!main.findChild<QLabel*>(QStringLiteral("PanelTime"))->text().isEmpty());

    QVERIFY(main.windowFlags() & Qt::WindowMaximizeButtonHint);
    QVERIFY(main.windowFlags() & Qt::WindowMinimizeButtonHint);
    main.show();
    const QSize size = main.size() + QSize(100, 50);
    main.resize(size);
    QCOMPARE(main.size(), size);
    // Never smaller than the design's client area.
    main.resize(100, 100);
    QVERIFY(main.findChild<QMdiArea*>()->width() >= 588);
    QVERIFY(main.findChild<QMdiArea*>()->height() >= 357);
    main.resize(size);
    // Long texts in the status bar are cut, not room made for them.
    main.showStatusMessage(QStringLiteral("A note far longer than the status bar could ever show "
                                          "whole, with every word of it kept for the tool tip"));
    QCoreApplication::processEvents();
    QCOMPARE(main.size(), size);
    QVERIFY(main.findChild<QLabel*>(QStringLiteral("PanelNote"))
                ->toolTip()
                .endsWith(QStringLiteral("tool tip")));
}

void tst_MainWindow::menusAsDesigned() {
    TestBench bench;
    frmMainMDI& main = bench.main();
    auto menu = [&](const char* name) { return main.findChild<QMenu*>(QLatin1String(name)); };
    QCOMPARE(captions(menu("mnuFile")),
             (QStringList{QStringLiteral("Settings"), QStringLiteral("Fast Transfers"),
                          QStringLiteral("-"), QStringLiteral("Exit")}));
    QCOMPARE(captions(menu("mnuTools")),
             (QStringList{QStringLiteral("Font"), QStringLiteral("Graphic"),
                          QStringLiteral("Color Picker"), QStringLiteral("Text"),
                          QStringLiteral("Coordinates"), QStringLiteral("Utilities"),
                          QStringLiteral("Monitor"), QStringLiteral("Project")}));
    QCOMPARE(captions(menu("mnuWindow")),
             (QStringList{QStringLiteral("Cascade"), QStringLiteral("Tile"), QStringLiteral("-"),
                          QStringLiteral("Monitor")}));
    QCOMPARE(captions(menu("mnuHelp")), QStringList{QStringLiteral("About")});
    QStringList titles;
    const QList<QAction*> bar = main.menuBar()->actions();
    for (QAction* action : bar)
        titles.append(action->text());
    QCOMPARE(titles, (QStringList{QStringLiteral("File"), QStringLiteral("Tools"),
                                  QStringLiteral("Window"), QStringLiteral("Help")}));

    // Every item opens its own window.
    const QList<QPair<const char*, QString>> items{
        {"mnuSettings", QStringLiteral("frmSettings")},
        {"mnuFont", QStringLiteral("frmFont")},
        {"mnuGraphic", QStringLiteral("frmGraphic")},
        {"mnuColorPic", QStringLiteral("frmColor")},
        {"mnuText", QStringLiteral("frmText")},
        {"mnuCoordinates", QStringLiteral("frmCoordinates")},
        {"mnuUtilities", QStringLiteral("frmUtilities")},
        {"mnuMonitor", QStringLiteral("frmMonitor")},
        {"mnuWindowMonitor", QStringLiteral("frmMonitor")},
        {"mnuAbout", QStringLiteral("frmAbout")}};
    for (const auto& [name, window] : items) {
        auto* action = main.findChild<QAction*>(QLatin1String(name));
        QVERIFY2(action->isEnabled(), name);
        action->trigger();
        QVERIFY2(bench.window(window), name);
    }
}

void tst_MainWindow::timersStartAsDesigned() {
    TestBench bench;
    frmMainMDI& main = bench.main();
    auto timer = [&](const char* name) {
        return main.findChild<ClockTimer*>(QLatin1String(name));
    };
    for (const auto& [name, interval, active] :
         {std::tuple{"Timer1", 1500, false}, {"Timer2", 250, false}, {"Timer4", 50, true}}) {
        QCOMPARE(timer(name)->interval(), interval);
        QCOMPARE(timer(name)->isActive(), active);
    }

    // Timer4's tick at start only stops it.
    bench.clock().advanceToTick(bench.engine(), QStringLiteral("Timer4"));
    QVERIFY(!timer("Timer4")->isActive());
    QCOMPARE(main.statusText(), QStringLiteral("Controller Disconnected"));
    QVERIFY(bench.line().writes.isEmpty());
    QVERIFY(bench.dialogs().messages.isEmpty());
}

void tst_MainWindow::toolWindowsOpenOnceAndComeBackFresh() {
    TestBench bench;
    frmMainMDI& main = bench.main();
    main.toolWindows().add(QStringLiteral("frmProbe"), makeProbe);
    auto* area = main.findChild<QMdiArea*>();

    main.findChild<QAction*>(QStringLiteral("mnuSettings"))->trigger();
    QWidget* settings = bench.window(QStringLiteral("frmSettings"));
    QVERIFY(settings);
    QCOMPARE(area->activeSubWindow()->widget(), settings);

    bench.open(QStringLiteral("frmProbe"));
    QCOMPARE(area->activeSubWindow()->widget()->objectName(), QStringLiteral("frmProbe"));

    // The toolbar button brings the open settings window to the front: no twin.
    auto* toolbar = main.findChild<QToolBar*>(QStringLiteral("Toolbar1"));
    toolbar->findChild<QAction*>(QStringLiteral("Settings"))->trigger();
    QCOMPARE(area->subWindowList().size(), 2);
    QCOMPARE(area->activeSubWindow()->widget(), settings);

    // Closed, it is gone; the next opening is a new window.
    settings->parentWidget()->close();
    QVERIFY(!bench.window(QStringLiteral("frmSettings")));
    TestBench::settle();
    QCOMPARE(area->subWindowList().size(), 1);
    toolbar->findChild<QAction*>(QStringLiteral("Settings"))->trigger();
    QVERIFY(bench.window(QStringLiteral("frmSettings")));

    // A window larger than the area opens with its top-left corner in view.
    main.toolWindows().add(QStringLiteral("frmWide"), [](Workbench&) {
        auto* wide = new QWidget;
        wide->setFixedSize(700, 500);
        return wide;
    });
    QWidget* wide = bench.open(QStringLiteral("frmWide"));
    QVERIFY(wide->parentWidget()->x() >= 0);
    QVERIFY(wide->parentWidget()->y() >= 0);

    // Each toolbar button opens (or brings to the front) its own tool window.
    const QList<QPair<QString, QString>> buttons{
        {QStringLiteral("Settings"), QStringLiteral("frmSettings")},
        {QStringLiteral("Font"), QStringLiteral("frmFont")},
        {QStringLiteral("Graphic"), QStringLiteral("frmGraphic")},
        {QStringLiteral("Color"), QStringLiteral("frmColor")}};
    for (const auto& [key, window] : buttons) {
        toolbar->findChild<QAction*>(key)->trigger();
        QCOMPARE(area->activeSubWindow()->widget()->objectName(), window);
    }
}

void tst_MainWindow::windowMenuListsAndArrangesChildren() {
    TestBench bench;
    frmMainMDI& main = bench.main();
    main.toolWindows().add(QStringLiteral("frmProbe"), makeProbe);
    bench.open(QStringLiteral("frmSettings"));
    bench.open(QStringLiteral("frmProbe"));

    QMenu* menu = main.findChild<QMenu*>(QStringLiteral("mnuWindow"));
    Q_EMIT menu->aboutToShow();
    const QStringList listed = captions(menu);
    QCOMPARE(listed.mid(0, 3),
             (QStringList{QStringLiteral("Cascade"), QStringLiteral("Tile"), QStringLiteral("-")}));
    QVERIFY(listed.contains(QStringLiteral("Settings")));
    QVERIFY(listed.contains(QStringLiteral("Probe")));

    auto* area = main.findChild<QMdiArea*>();
    const QList<QMdiSubWindow*> windows = area->subWindowList();
    // Cascaded, one is set off diagonally from the other.
    main.findChild<QAction*>(QStringLiteral("mnuCascade"))->trigger();
    const QPoint offset = windows[1]->pos() - windows[0]->pos();
    QVERIFY(offset.x() * offset.y() > 0);

    // Tiled side by side, neither covering the other.
    main.findChild<QAction*>(QStringLiteral("mnuTile"))->trigger();
    QVERIFY(!windows[0]->geometry().intersects(windows[1]->geometry()));

    // F10 opens the first menu, as desktops have it.
    main.activateWindow();
    TestBench::settle();
    QVERIFY(main.isActiveWindow());
    QTest::keyClick(&main, Qt::Key_F10);
    QCOMPARE(main.menuBar()->activeAction(), main.menuBar()->actions().constFirst());
    main.menuBar()->activeAction()->menu()->close();
}

void tst_MainWindow::receivePollReplacesTheResponse() {
    TestBench bench;
    Session& session = bench.engine().session();

    // Closed port: the tick changes nothing.
    session.setControllerResponse(QStringLiteral("old"));
    bench.poll("ignored");
    QCOMPARE(session.controllerResponse(), QStringLiteral("old"));
    bench.line().pending.clear();

    bench.connectBoard();
    bench.poll("1,4,");
    QCOMPARE(session.controllerResponse(), QStringLiteral("1,4,"));
    bench.poll();
    QCOMPARE(session.controllerResponse(), QString());
    bench.poll(bytes({0xE9, '!'}));
    QCOMPARE(session.controllerResponse(), QString(QChar(0xE9)) + QLatin1Char('!'));
}

void tst_MainWindow::exitSendsNothing() {
    TestBench bench;
    bench.connectBoard();
    // Exit ends the event loop the program runs in: no question, nothing to the board.
    // Should it not, the guard ends the wait instead.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    guard.start(5000);
    auto* exit = bench.main().findChild<QAction*>(QStringLiteral("mnuExit"));
    QTimer::singleShot(0, exit, &QAction::trigger);
    QCOMPARE(QCoreApplication::exec(), 0);
    QVERIFY(bench.line().takeWrites().isEmpty());
    QVERIFY(bench.dialogs().messages.isEmpty());
    // The port is let go with the program, not closed first.
    QVERIFY(bench.line().isOpen());
}

void tst_MainWindow::dialogFiltersBecomeQtFilters() {
    QCOMPARE(
        QtUserDialogs::qtFilter(
            QStringLiteral("Image Files(*.BMP;*.JPG;*.GIF)|*.BMP;*.JPG;*.GIF|")),
        QStringLiteral("Image Files(*.BMP;*.JPG;*.GIF) (*.BMP *.bmp *.JPG *.jpg *.GIF *.gif)"));
    QCOMPARE(QtUserDialogs::qtFilter(QStringLiteral("A|*.a|B|*.b")),
             QStringLiteral("A (*.a *.A);;B (*.b *.B)"));
    QCOMPARE(QtUserDialogs::qtFilter(QString()), QString());
}

QTEST_MAIN(tst_MainWindow)
#include "tst_mainwindow.moc"
