#include "board/frmboard.h"
#include "engine/uploadnotes.h"
#include "testbench.h"
#include "workbench/toolwindows.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAction>
#include <QDir>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <optional>

namespace {

const QString ScreenshotFolder = QStringLiteral("screenshots");

QRect placeIn(const QWidget& window, const QWidget& widget) {
    return QRect(widget.mapTo(&window, QPoint(0, 0)), widget.size());
}

// Content scrolled inside a view is meant to be clipped by it.
bool scrolledContent(const QWidget& widget, const QWidget& window) {
    for (const QWidget* above = widget.parentWidget(); above && above != &window;
         above = above->parentWidget()) {
        const auto* area = qobject_cast<const QAbstractScrollArea*>(above->parentWidget());
        if (area && area->viewport() == above)
            return true;
    }
    return false;
}

// What the user would find cut off: a named control not wholly inside the window and
// every frame it sits in, and buttons that cover one another.
QStringList layoutFaults(const QWidget& window) {
    QStringList faults;
    QList<const QAbstractButton*> buttons;
    const QList<QWidget*> children = window.findChildren<QWidget*>();
    for (const QWidget* control : children) {
        const QString name = control->objectName();
        if (name.isEmpty() || name.startsWith(QLatin1String("qt_")) ||
            !control->isVisibleTo(&window) || scrolledContent(*control, window))
            continue;
        const QRect place = placeIn(window, *control);
        for (const QWidget* holder = control->parentWidget(); holder;
             holder = holder == &window ? nullptr : holder->parentWidget()) {
            if (!placeIn(window, *holder).contains(place)) {
                faults.append(
                    QStringLiteral("%1 is cut off by %2").arg(name, holder->objectName()));
                break;
            }
        }
        if (const auto* button = qobject_cast<const QAbstractButton*>(control))
            buttons.append(button);
    }
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        for (qsizetype j = i + 1; j < buttons.size(); ++j) {
            if (placeIn(window, *buttons[i]).intersects(placeIn(window, *buttons[j])))
                faults.append(QStringLiteral("%1 overlaps %2")
                                  .arg(buttons[i]->objectName(), buttons[j]->objectName()));
        }
    }
    return faults;
}

QWidget* showWindow(TestBench& bench, const QString& name) {
    if (name == QLatin1String("frmMainMDI"))
        return &bench.main();
    if (name == QLatin1String("frmBoard")) {
        // The board's window comes with a connection to the simulator.
        bench.connectSimulator();
        return bench.main().findChild<frmBoard*>(name);
    }
    return bench.open(name);
}

// The windows that open inside the main window's area.
QStringList areaWindows(TestBench& bench) {
    QStringList names = bench.main().toolWindows().names();
    names.removeAll(QStringLiteral("frmMonitor"));
    return names;
}

QMdiArea& areaOf(TestBench& bench) {
    return *bench.main().findChild<QMdiArea*>();
}

// Frames that cover one another, and frames smaller than their window needs.
QStringList arrangementFaults(const QList<QMdiSubWindow*>& frames) {
    QStringList faults;
    for (qsizetype i = 0; i < frames.size(); ++i) {
        const QString name = frames[i]->widget()->objectName();
        if (frames[i]->width() < frames[i]->minimumSizeHint().width() ||
            frames[i]->height() < frames[i]->minimumSizeHint().height())
            faults.append(name + QStringLiteral(" is shrunk"));
        for (qsizetype j = i + 1; j < frames.size(); ++j) {
            if (frames[i]->geometry().intersects(frames[j]->geometry()))
                faults.append(name + QStringLiteral(" overlaps ") +
                              frames[j]->widget()->objectName());
        }
    }
    return faults;
}

// Tab steps that go back against the reading order among controls side by side: up to a
// row above, or left within a row.
QStringList tabOrderFaults(QWidget& window) {
    QList<QWidget*> chain;
    for (QWidget* next = window.nextInFocusChain(); next != &window && !chain.contains(next);
         next = next->nextInFocusChain()) {
        if (window.isAncestorOf(next) && next->isVisibleTo(&window) && next->isEnabled() &&
            (next->focusPolicy() & Qt::TabFocus) &&
            !next->objectName().startsWith(QLatin1String("qt_")))
            chain.append(next);
    }
    QStringList faults;
    for (qsizetype i = 1; i < chain.size(); ++i) {
        const QWidget* from = chain[i - 1];
        const QWidget* to = chain[i];
        if (from->parentWidget() != to->parentWidget())
            continue;
        const QRect a = from->geometry();
        const QRect b = to->geometry();
        const bool rowAbove = b.bottom() < a.top();
        const bool leftInRow =
            b.top() <= a.bottom() && b.bottom() >= a.top() && b.right() < a.left();
        if (rowAbove || leftInRow)
            faults.append(from->objectName() + QStringLiteral(" -> ") + to->objectName());
    }
    return faults;
}

const QList<QRect>& screens() {
    static const QList<QRect> areas{QRect(0, 0, 1366, 768 - 32), QRect(0, 0, 1920, 1080 - 32)};
    return areas;
}

} // namespace

// Each window rendered offscreen at its design size into screenshots/ (next to the
// test's working folder, for a look by eye), and checked for what a user would see
// cut off.
class tst_WindowLayouts : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void findsCutOffAndOverlappingControls();
    void everyWindowShowsWhole_data();
    void everyWindowShowsWhole();
    void openingSizeShowsEveryToolWindowWhole_data();
    void openingSizeShowsEveryToolWindowWhole();
    void tileLeavesFourWindowsApartAtTheirSizes();
    void ownWindowsStayBesideTheMainWindow();
    void completionNotesFitTheStatusBar();
    void cleanup() { TestBench::desktop = QRect(0, 0, 1920, 1080); }
};

void tst_WindowLayouts::findsCutOffAndOverlappingControls() {
    QWidget window;
    window.setObjectName(QStringLiteral("frmProbe"));
    window.resize(200, 100);
    auto* frame = new QWidget(&window);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setGeometry(10, 10, 100, 50);
    auto place = [](QWidget* parent, const char* name, QRect rect) {
        auto* button = new QPushButton(QStringLiteral("OK"), parent);
        button->setObjectName(QLatin1String(name));
        button->setGeometry(rect);
    };
    place(&window, "cmdWhole", QRect(120, 10, 60, 20));
    place(&window, "cmdOutside", QRect(150, 90, 60, 20));
    place(frame, "cmdSticksOut", QRect(60, 30, 60, 20));
    place(&window, "cmdCovering", QRect(130, 25, 40, 20));
    window.show();
    QStringList faults = layoutFaults(window);
    faults.sort();
    QCOMPARE(faults, (QStringList{QStringLiteral("cmdOutside is cut off by frmProbe"),
                                  QStringLiteral("cmdSticksOut is cut off by Frame1"),
                                  QStringLiteral("cmdWhole overlaps cmdCovering")}));

    // Tab going left within a row (controls made right to left), then back up a row.
    QWidget rows;
    place(&rows, "cmdRight", QRect(100, 0, 60, 20));
    place(&rows, "cmdLeft", QRect(0, 0, 60, 20));
    place(&rows, "cmdBelow", QRect(0, 40, 60, 20));
    place(&rows, "cmdAbove", QRect(100, 0, 60, 20).translated(0, -30));
    QCOMPARE(tabOrderFaults(rows), (QStringList{QStringLiteral("cmdRight -> cmdLeft"),
                                                QStringLiteral("cmdBelow -> cmdAbove")}));
}

// Every window of the program: the tool windows, the board's and the main window.
void tst_WindowLayouts::everyWindowShowsWhole_data() {
    QTest::addColumn<QString>("name");
    TestBench bench(QStringList{}, true);
    for (const QString& name :
         bench.main().toolWindows().names() +
             QStringList{QStringLiteral("frmBoard"), QStringLiteral("frmMainMDI")})
        QTest::newRow(qPrintable(name)) << name;
}

void tst_WindowLayouts::everyWindowShowsWhole() {
    QFETCH(QString, name);
    TestBench bench(QStringList{QStringLiteral("1")}, true);
    QWidget* window = showWindow(bench, name);
    QVERIFY(window && window->isVisible());
    TestBench::settle();

    QVERIFY(QDir().mkpath(ScreenshotFolder));
    const QString file = QDir(ScreenshotFolder).filePath(name + QStringLiteral(".png"));
    QVERIFY2(window->grab().save(file), qPrintable(file));
    const QStringList faults = layoutFaults(*window) + tabOrderFaults(*window);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1String("; "))));
}

void tst_WindowLayouts::openingSizeShowsEveryToolWindowWhole_data() {
    QTest::addColumn<QRect>("desktop");
    for (const QRect& desktop : screens())
        QTest::newRow(
            qPrintable(QStringLiteral("%1x%2").arg(desktop.width()).arg(desktop.height())))
            << desktop;
}

void tst_WindowLayouts::openingSizeShowsEveryToolWindowWhole() {
    QFETCH(QRect, desktop);
    TestBench::desktop = desktop;
    TestBench bench(QStringList{QStringLiteral("1")}, true);
    QVERIFY(desktop.contains(bench.main().frameGeometry()));
    QMdiArea& area = areaOf(bench);
    QVERIFY(area.width() >= 588 && area.height() >= 357);
    // One after another, staggered, each whole in view the moment it opens.
    for (const QString& name : areaWindows(bench)) {
        QWidget* frame = bench.open(name)->parentWidget();
        TestBench::settle();
        QVERIFY2(area.viewport()->rect().contains(frame->geometry()), qPrintable(name));
        QVERIFY2(!area.horizontalScrollBar()->isVisible() && !area.verticalScrollBar()->isVisible(),
                 qPrintable(name));
    }
    // Cascaded, every title bar stays in view, none covered by a window in front of it.
    bench.main().findChild<QAction*>(QStringLiteral("mnuCascade"))->trigger();
    const QList<QMdiSubWindow*> stack = area.subWindowList(QMdiArea::StackingOrder);
    for (qsizetype i = 0; i < stack.size(); ++i) {
        const QPoint title = stack[i]->geometry().topLeft() + QPoint(8, 8);
        QVERIFY(area.viewport()->rect().contains(title));
        for (qsizetype j = i + 1; j < stack.size(); ++j)
            QVERIFY2(!stack[j]->geometry().contains(title),
                     qPrintable(stack[i]->widget()->objectName()));
    }
}

void tst_WindowLayouts::tileLeavesFourWindowsApartAtTheirSizes() {
    TestBench::desktop = screens().constFirst();
    TestBench bench;
    // Maximised, the area takes several windows a row.
    bench.main().resize(TestBench::desktop.size());
    for (const char* name : {"frmGraphic", "frmFont", "frmCoordinates", "frmText"})
        bench.open(QLatin1String(name));
    QMdiArea& area = areaOf(bench);
    // Piled up first, so that tiling has something to undo.
    for (QMdiSubWindow* frame : area.subWindowList())
        frame->move(0, 0);
    bench.main().findChild<QAction*>(QStringLiteral("mnuTile"))->trigger();
    const QList<QMdiSubWindow*> frames = area.subWindowList();
    QCOMPARE(frames.size(), 4);
    QCOMPARE(arrangementFaults(frames), QStringList());
}

void tst_WindowLayouts::ownWindowsStayBesideTheMainWindow() {
    TestBench::desktop = screens().constFirst();
    std::optional<TestBench> small(std::in_place, QStringList{}, true);
    TestBench& bench = *small;
    const frmMainMDI& main = bench.main();
    QWidget* monitor = showWindow(bench, QStringLiteral("frmMonitor"))->window();
    QVERIFY(monitor != &main && monitor->isWindow() && monitor->isVisible());
    QVERIFY(!monitor->frameGeometry().intersects(main.frameGeometry()));
    // The board opens at the largest zoom that fits beside the main window.
    auto* board = qobject_cast<frmBoard*>(showWindow(bench, QStringLiteral("frmBoard")));
    QVERIFY(board && board->isWindow() && board->isVisible());
    QCOMPARE(board->zoom(), 1);
    QVERIFY(!board->frameGeometry().intersects(main.frameGeometry()));
    // A zoom with no room beside it is offered greyed, and asking for it anyway keeps the
    // main window in view; a smaller main window makes room for it.
    auto* zoom2 = board->findChild<QAction*>(QStringLiteral("mnuZoom2"));
    QVERIFY(!zoom2->isEnabled());
    zoom2->trigger();
    QCOMPARE(board->zoom(), 1);
    QVERIFY(!board->frameGeometry().intersects(main.frameGeometry()));
    bench.main().resize(bench.main().minimumSize());
    TestBench::settle();
    QVERIFY(zoom2->isEnabled());
    zoom2->trigger();
    QCOMPARE(board->zoom(), 2);
    QVERIFY(!board->frameGeometry().intersects(main.frameGeometry()));

    // On a larger screen it opens at 3x, and every zoom grows or shrinks it beside.
    TestBench::desktop = screens().constLast();
    small.reset();
    TestBench large(QStringList{}, true);
    board = qobject_cast<frmBoard*>(showWindow(large, QStringLiteral("frmBoard")));
    QCOMPARE(board->zoom(), 3);
    for (const int zoom : {2, 1, 3, 1}) {
        board->findChild<QAction*>(QStringLiteral("mnuZoom%1").arg(zoom))->trigger();
        QVERIFY2(!board->frameGeometry().intersects(large.main().frameGeometry()),
                 qPrintable(QString::number(zoom)));
        QVERIFY(TestBench::desktop.contains(board->frameGeometry().topLeft()));
    }
}

void tst_WindowLayouts::completionNotesFitTheStatusBar() {
    TestBench::desktop = screens().constFirst();
    TestBench bench;
    bench.connectBoard();
    auto* note = bench.main().findChild<QLabel*>(QStringLiteral("PanelNote"));
    // The longest each upload's note gets: a slow line and a long time.
    for (const char* name : {"Preview", "Save", "Font upload"}) {
        UploadOutcome outcome;
        outcome.name = QLatin1String(name);
        outcome.bytesSent = 76803;
        outcome.elapsedMs = 188'000;
        bench.main().showStatusMessage(UploadNotes::completed(outcome));
        TestBench::settle();
        QVERIFY2(note->fontMetrics().horizontalAdvance(note->text()) <=
                     note->contentsRect().width(),
                 qPrintable(note->text()));
    }
}

QTEST_MAIN(tst_WindowLayouts)
#include "tst_windowlayouts.moc"
