#include "app/frmmainmdi.h"

#include "app/artwork.h"
#include "app/backgroundarea.h"
#include "app/elidedlabel.h"
#include "app/toolregistry.h"
#include "engine/boardengine.h"
#include "engine/clock.h"
#include "engine/portcatalog.h"
#include "engine/session.h"
#include "engine/uploadnotes.h"
#include "serial/connectionmessages.h"
#include "workbench/toolwindows.h"
#include "workbench/userdialogs.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QDateTime>
#include <QLabel>
#include <QLayout>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QRegularExpression>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>

namespace {

// The client area: 8820 x 5355 twips at 15 twips per pixel.
constexpr QSize ClientArea(588, 357);

const QString Settings = QStringLiteral("frmSettings");
const QString Font = QStringLiteral("frmFont");
const QString Graphic = QStringLiteral("frmGraphic");
const QString ColorPicker = QStringLiteral("frmColor");
const QString Text = QStringLiteral("frmText");
const QString Coordinates = QStringLiteral("frmCoordinates");
const QString Utilities = QStringLiteral("frmUtilities");
const QString About = QStringLiteral("frmAbout");
const QString Monitor = QStringLiteral("frmMonitor");

// The toolbar's buttons, each a key and the tool window it opens.
const QList<QPair<QString, QString>>& toolbarButtons() {
    static const QList<QPair<QString, QString>> buttons{{QStringLiteral("Settings"), Settings},
                                                        {QStringLiteral("Font"), Font},
                                                        {QStringLiteral("Graphic"), Graphic},
                                                        {QStringLiteral("Color"), ColorPicker}};
    return buttons;
}

} // namespace

frmMainMDI::Services frmMainMDI::Services::system() {
    return {std::make_shared<SystemClock>(),
            std::make_shared<QtUserDialogs>(),
            PortCatalog::system(),
            true,
            {}};
}

frmMainMDI::frmMainMDI()
    : frmMainMDI(Services::system()) {}

frmMainMDI::frmMainMDI(Services services, QWidget* parent)
    : QMainWindow(parent)
    , m_services(std::move(services)) {
    setObjectName(QStringLiteral("frmMainMDI"));
    // Every window of the program, the tool windows' frames and the About box's logo.
    QApplication::setWindowIcon(Artwork::applicationIcon());
    setWindowIcon(QApplication::windowIcon());

    m_engine = new BoardEngine(m_services.clock, m_services.ports, this);

    m_area = new BackgroundArea(Artwork::background(ClientArea), this);
    m_area->setObjectName(QStringLiteral("mdiArea"));
    m_area->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_area->setMinimumSize(ClientArea);
    setCentralWidget(m_area);
    m_toolWindows = new ToolWindows(*m_area, *this, this);
    if (m_services.desktopArea)
        m_toolWindows->setDesktopArea(m_services.desktopArea);

    createStatusBar();
    followEngine();
    m_windowItems = registerToolWindows(*m_toolWindows, *this, *this, m_services.builtInSimulator);
    createMenus();
    createToolbar();
    startUp();
}

frmMainMDI::~frmMainMDI() {
    // Tool windows go first, while everything they use is still here.
    m_toolWindows->closeAll();
}

void frmMainMDI::startUp() {
    setWindowTitle(QStringLiteral(" Lumaret"));
    m_connectionPanel->setText(m_engine->statusText());
    takeOpeningSize();
}

UserDialogs& frmMainMDI::dialogs() {
    return m_unseenDialogs ? *m_unseenDialogs : *m_services.dialogs;
}

void frmMainMDI::takeOpeningSize() {
    const QRect desktop = m_toolWindows->desktopArea();
    // Room for the area's frame; the window manager's frame is not known before the
    // window shows: a title bar and borders of the usual size are allowed for.
    const int areaFrame = 2 * m_area->frameWidth();
    m_unseenDialogs = std::make_unique<UnseenDialogs>();
    const QSize largest = m_toolWindows->largestAreaFrame();
    m_unseenDialogs.reset();
    const QSize wanted = largest.expandedTo(ClientArea) + QSize(areaFrame, areaFrame);
    m_area->setMinimumSize(wanted);
    const QSize opening = sizeHint();
    m_area->setMinimumSize(ClientArea);
    const int titleBar = style()->pixelMetric(QStyle::PM_TitleBarHeight) + 8;
    const QSize room = desktop.size() - QSize(8, titleBar);
    resize(opening.boundedTo(room).expandedTo(minimumSizeHint()));
    // At the desktop's left, leaving the room on the right to the board and the monitor.
    move(desktop.topLeft());
}

void frmMainMDI::createStatusBar() {
    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName(QStringLiteral("StatusBar1"));
    m_statusBar->setSizeGripEnabled(false);
    // The panels show what fits; the window keeps its size.
    m_connectionPanel = new ElidedLabel(m_statusBar);
    m_connectionPanel->setObjectName(QStringLiteral("Panel1"));
    // The connection state shows whole where it can; a note takes the room left.
    m_connectionPanel->setWholeTextUpTo(300);
    m_progressBar = new QProgressBar(m_statusBar);
    m_progressBar->setObjectName(QStringLiteral("ProgressBar1"));
    m_progressBar->setRange(0, 100);
    m_progressBar->setValue(0);
    m_progressBar->setTextVisible(false);
    m_progressBar->setFixedWidth(110);
    m_timePanel = new QLabel(m_statusBar);
    m_timePanel->setObjectName(QStringLiteral("PanelTime"));
    // Notes get a panel of their own: the connection state stays in view.
    m_notePanel = new ElidedLabel(m_statusBar);
    m_notePanel->setObjectName(QStringLiteral("PanelNote"));
    m_notePanel->hide();
    m_noteTimer = new QTimer(this);
    m_noteTimer->setSingleShot(true);
    connect(m_noteTimer, &QTimer::timeout, this, &frmMainMDI::clearNote);
    m_statusBar->addWidget(m_connectionPanel);
    m_statusBar->addWidget(m_notePanel, 1);
    m_statusBar->addPermanentWidget(m_progressBar);
    m_statusBar->addPermanentWidget(m_timePanel);
    setStatusBar(m_statusBar);

    m_clockTimer = new QTimer(this);
    m_clockTimer->setSingleShot(true);
    connect(m_clockTimer, &QTimer::timeout, this, &frmMainMDI::showTimeOfDay);
    showTimeOfDay();
}

void frmMainMDI::showTimeOfDay() {
    const QTime now = QTime::currentTime();
    // The user's short time format, without seconds: the panel changes once a minute.
    static const QString format = QLocale::system()
                                      .timeFormat(QLocale::ShortFormat)
                                      .remove(QRegularExpression(QStringLiteral("[:.]ss?")));
    m_timePanel->setText(QLocale::system().toString(now, format));
    // Wake up once a minute, just after the minute turns.
    m_clockTimer->start((60 - now.second()) * 1000 - now.msec() + 20);
}

QAction* frmMainMDI::addToolAction(QMenu* menu, const char* name, const QString& caption,
                                   const QString& window) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    action->setEnabled(m_toolWindows->contains(window));
    connect(action, &QAction::triggered, this, [this, window] { openToolWindow(window); });
    return action;
}

void frmMainMDI::createMenus() {
    QMenuBar* bar = menuBar();
    auto addMenu = [bar](const char* name, const QString& caption) {
        QMenu* menu = bar->addMenu(caption);
        menu->setObjectName(QLatin1String(name));
        return menu;
    };

    QMenu* mnuFile = addMenu("mnuFile", tr("File"));
    addToolAction(mnuFile, "mnuSettings", tr("Settings"), Settings);
    // Uploads set off each block the moment the board answers, not at the next poll.
    QAction* mnuFastTransfers = mnuFile->addAction(tr("Fast Transfers"));
    mnuFastTransfers->setObjectName(QStringLiteral("mnuFastTransfers"));
    mnuFastTransfers->setCheckable(true);
    connect(mnuFastTransfers, &QAction::toggled, this,
            [this](bool fast) { m_engine->setPacing(fast ? Pacing::AnswerDriven : Pacing::Poll); });
    mnuFile->addSeparator()->setObjectName(QStringLiteral("mnuBlanck"));
    QAction* mnuExit = mnuFile->addAction(tr("Exit"));
    mnuExit->setObjectName(QStringLiteral("mnuExit"));
    connect(mnuExit, &QAction::triggered, this, [] { QApplication::quit(); });

    QMenu* mnuTools = addMenu("mnuTools", tr("Tools"));
    addToolAction(mnuTools, "mnuFont", tr("Font"), Font);
    addToolAction(mnuTools, "mnuGraphic", tr("Graphic"), Graphic);
    addToolAction(mnuTools, "mnuColorPic", tr("Color Picker"), ColorPicker);
    addToolAction(mnuTools, "mnuText", tr("Text"), Text);
    addToolAction(mnuTools, "mnuCoordinates", tr("Coordinates"), Coordinates);
    addToolAction(mnuTools, "mnuUtilities", tr("Utilities"), Utilities);
    addToolAction(mnuTools, "mnuMonitor", tr("Monitor"), Monitor);
    addToolAction(mnuTools, "mnuProject", tr("Project"), QStringLiteral("frmProject"));

    m_windowMenu = addMenu("mnuWindow", tr("Window"));
    connect(m_windowMenu, &QMenu::aboutToShow, this, &frmMainMDI::fillWindowMenu);
    fillWindowMenu();

    // F10 opens the first menu; the arrow keys walk the menus from there.
    auto* toMenuBar = new QShortcut(QKeySequence(Qt::Key_F10), this);
    toMenuBar->setObjectName(QStringLiteral("shortcutMenuBar"));
    connect(toMenuBar, &QShortcut::activated, this, &frmMainMDI::openMenuBar);

    QMenu* mnuHelp = addMenu("mnuHelp", tr("Help"));
    QAction* mnuAbout = mnuHelp->addAction(tr("About"));
    mnuAbout->setObjectName(QStringLiteral("mnuAbout"));
    mnuAbout->setEnabled(m_toolWindows->contains(About));
    connect(mnuAbout, &QAction::triggered, this,
            [this] { m_toolWindows->show(About, ToolWindows::Activation::ShowOnly); });
}

void frmMainMDI::openMenuBar() {
    const QList<QAction*> menus = menuBar()->actions();
    if (!menus.isEmpty())
        menuBar()->setActiveAction(menus.constFirst());
}

void frmMainMDI::fillWindowMenu() {
    m_windowMenu->clear();
    QAction* mnuCascade = m_windowMenu->addAction(tr("Cascade"));
    mnuCascade->setObjectName(QStringLiteral("mnuCascade"));
    connect(mnuCascade, &QAction::triggered, m_toolWindows, &ToolWindows::cascade);
    QAction* mnuTile = m_windowMenu->addAction(tr("Tile"));
    mnuTile->setObjectName(QStringLiteral("mnuTile"));
    connect(mnuTile, &QAction::triggered, m_toolWindows, &ToolWindows::tile);
    // The windows of their own: the monitor, and the board's (an item that does not apply
    // now, the mirror's Board while no real port is open, stays out).
    m_windowMenu->addSeparator();
    QAction* monitor = m_windowMenu->addAction(tr("Monitor"));
    monitor->setObjectName(QStringLiteral("mnuWindowMonitor"));
    monitor->setEnabled(m_toolWindows->contains(Monitor));
    connect(monitor, &QAction::triggered, this, [this] { openToolWindow(Monitor); });
    for (QAction* item : std::as_const(m_windowItems))
        if (item->isVisible())
            m_windowMenu->addAction(item);

    const QList<QMdiSubWindow*> windows = m_area->subWindowList();
    if (windows.isEmpty())
        return;
    m_windowMenu->addSeparator();
    auto* group = new QActionGroup(m_windowMenu);
    for (QMdiSubWindow* window : windows) {
        QAction* action = m_windowMenu->addAction(window->windowTitle().trimmed());
        action->setCheckable(true);
        action->setChecked(window == m_area->activeSubWindow());
        group->addAction(action);
        connect(action, &QAction::triggered, m_area,
                [this, window] { m_area->setActiveSubWindow(window); });
    }
}

void frmMainMDI::createToolbar() {
    m_toolbar = addToolBar(tr("Toolbar"));
    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar->setMovable(false);
    m_toolbar->setIconSize(QSize(24, 24));
    for (const auto& [key, window] : toolbarButtons()) {
        QAction* button = m_toolbar->addAction(Artwork::toolbarIcon(key), key);
        button->setObjectName(key);
        button->setToolTip(key);
        button->setEnabled(m_toolWindows->contains(window));
        connect(button, &QAction::triggered, this, [this, window] { openToolWindow(window); });
    }
}

void frmMainMDI::openToolWindow(const QString& window) {
    // Opened from here, the colour picker hands its colour to no tool window.
    if (window == ColorPicker)
        m_engine->session().withdrawColorRequest();
    m_toolWindows->show(window);
}

QString frmMainMDI::statusText() const {
    return m_connectionPanel->text();
}

void frmMainMDI::followEngine() {
    connect(m_engine, &BoardEngine::statusTextChanged, m_connectionPanel, &ElidedLabel::setText);
    connect(m_engine, &BoardEngine::connectTimedOut, this, [this] {
        dialogs().message(this, ConnectionMessages::notFoundTitle(),
                          ConnectionMessages::notFoundText(), UserDialogs::Icon::Information);
    });
    connect(m_engine, &BoardEngine::connectFailed, this, [this](const PortError& error) {
        dialogs().message(this, ConnectionMessages::criticalTitle(),
                          ConnectionMessages::cannotOpen(error), UserDialogs::Icon::Critical);
    });
    connect(m_engine, &BoardEngine::portLost, this,
            [this](const QString& portName, const PortError& error) {
                dialogs().message(this, ConnectionMessages::criticalTitle(),
                                  ConnectionMessages::lostPort(portName, error),
                                  UserDialogs::Icon::Critical);
            });

    connect(m_engine, &BoardEngine::uploadStarted, this,
            [this](const QString&, int progressMaximum) {
                m_savedProgressMaximum = m_progressBar->maximum();
                m_progressBar->setMaximum(progressMaximum);
            });
    connect(m_engine, &BoardEngine::uploadProgressValue, m_progressBar, &QProgressBar::setValue);
    connect(m_engine, &BoardEngine::uploadProgress, this, [this](const UploadProgress& progress) {
        showNote(UploadNotes::progress(m_engine->runningUpload(), progress), 0);
    });
    connect(m_engine, &BoardEngine::uploadFinishing, this,
            [this](const QString& note) { showNote(note, 0); });
    connect(m_engine, &BoardEngine::uploadFinished, this, &frmMainMDI::uploadFinished);
    // Whoever is told of the end (a "Done." message) sees the bar as the upload left
    // it; it empties afterwards.
    connect(m_engine, &BoardEngine::uploadEnded, this, [this] {
        m_progressBar->setValue(0);
        m_progressBar->setMaximum(m_savedProgressMaximum);
    });
    connect(m_engine, &BoardEngine::uploadRefused, this, [this](const QString& running) {
        dialogs().message(
            this, tr("Warning"),
            tr("%1 is still running. Wait until it has finished, or close its window to stop it.")
                .arg(running),
            UserDialogs::Icon::Warning);
    });
    connect(m_engine, &BoardEngine::commandHeldBack, this, [this](const QString& running) {
        showStatusMessage(tr("%1 is still running: nothing was sent.").arg(running));
    });
}

void frmMainMDI::uploadFinished(const UploadOutcome& outcome) {
    if (outcome.completed()) {
        constexpr int CompletedShownMs = 10000;
        showNote(UploadNotes::completed(outcome), CompletedShownMs);
        return;
    }
    clearNote();
    // Told once the current event is done: the upload may have ended deep inside
    // another handler (a lost port, a closed window).
    const QString text = UploadNotes::stopped(outcome);
    QMetaObject::invokeMethod(
        this,
        [this, text] { dialogs().message(this, tr("Warning"), text, UserDialogs::Icon::Warning); },
        Qt::QueuedConnection);
}

void frmMainMDI::showStatusMessage(const QString& text) {
    constexpr int ShownMs = 5000;
    showNote(text, ShownMs);
}

void frmMainMDI::showNote(const QString& text, int shownMs) {
    m_notePanel->setText(text);
    m_notePanel->show();
    if (shownMs > 0)
        m_noteTimer->start(shownMs);
    else
        m_noteTimer->stop();
}

void frmMainMDI::clearNote() {
    m_noteTimer->stop();
    m_notePanel->clear();
    m_notePanel->hide();
}

QString frmMainMDI::statusNote() const {
    return m_notePanel->text();
}
