#include "workbench/toolwindows.h"
#include "board/frmboard.h"
#include "testbench.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QTest>

namespace {

const QString ScreenshotFolder = QStringLiteral("screenshots");

// Every window of the program: the tool windows, the board's and the main window.
const QStringList& windowNames() {
    static const QStringList names{QStringLiteral("frmSettings"),  QStringLiteral("frmFont"),
                                   QStringLiteral("frmGraphic"),   QStringLiteral("frmColor"),
                                   QStringLiteral("frmText"),      QStringLiteral("frmCoordinates"),
                                   QStringLiteral("frmUtilities"), QStringLiteral("frmAbout"),
                                   QStringLiteral("frmMonitor"),   QStringLiteral("frmBoard"),
                                   QStringLiteral("frmProject"),   QStringLiteral("frmMainMDI")};
    return names;
}

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
        bench.open(QStringLiteral("frmSettings"));
        auto* ports =
            bench.find<QComboBox>(QStringLiteral("frmSettings"), QStringLiteral("cbo_mostraporta"));
        ports->setCurrentIndex(ports->findText(QStringLiteral("Simulator")));
        click(
            bench.find<QPushButton>(QStringLiteral("frmSettings"), QStringLiteral("cmd_conecta")));
        return bench.main().findChild<frmBoard*>(name);
    }
    return bench.open(name);
}

} // namespace

// Each window rendered offscreen at its design size into screenshots/ (next to the
// test's working folder, for a look by eye), and checked for what a user would see
// cut off.
class tst_WindowLayouts : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void findsCutOffAndOverlappingControls();
    void coversEveryToolWindow();
    void everyWindowShowsWhole_data();
    void everyWindowShowsWhole();
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
}

void tst_WindowLayouts::coversEveryToolWindow() {
    TestBench bench(QStringList{}, true);
    for (const QString& name : bench.main().toolWindows().names())
        QVERIFY2(windowNames().contains(name), qPrintable(name));
}

void tst_WindowLayouts::everyWindowShowsWhole_data() {
    QTest::addColumn<QString>("name");
    for (const QString& name : windowNames())
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
    const QStringList faults = layoutFaults(*window);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1String("; "))));
}

QTEST_MAIN(tst_WindowLayouts)
#include "tst_windowlayouts.moc"
