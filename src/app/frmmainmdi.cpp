#include "app/frmmainmdi.h"

#include "app/artwork.h"
#include "engine/clock.h"
#include "app/session.h"
#include "app/toolregistry.h"
#include "app/toolwindows.h"
#include "app/userdialogs.h"
#include "serial/connectioncontroller.h"
#include "engine/msserial.h"
#include "engine/portcatalog.h"

#include <QAction>
#include <QActionGroup>
#include <QCoreApplication>
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
#include <QStatusBar>
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
    return {std::make_shared<SystemClock>(), std::make_shared<QtUserDialogs>(),
            PortCatalog::system(), true};
}

frmMainMDI::frmMainMDI()
    : frmMainMDI(Services::system()) {}

frmMainMDI::frmMainMDI(Services services, QWidget* parent)
    : QMainWindow(parent)
    , m_services(std::move(services)) {
    setObjectName(QStringLiteral("frmMainMDI"));
    setWindowIcon(Artwork::applicationIcon());

    m_session = new Session(this);
    m_session->setObjectName(QStringLiteral("Session"));
    m_port = new MSserial(*m_services.ports, this);
    m_port->setObjectName(QStringLiteral("MSserial"));

    m_area = new QMdiArea(this);
    m_area->setObjectName(QStringLiteral("mdiArea"));
    m_area->setBackground(Artwork::background(ClientArea));
    m_area->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_area->setFixedSize(ClientArea);
    setCentralWidget(m_area);
    m_toolWindows = new ToolWindows(*m_area, *this, this);

    createTimers();
    m_connection = new ConnectionController(*this, {*Timer1, *Timer2, *Timer4}, this);
    createStatusBar();
    m_windowItems = registerToolWindows(*m_toolWindows, *this, *this, m_services.builtInSimulator);
    createMenus();
    createToolbar();
    MDIForm_Load();
}

frmMainMDI::~frmMainMDI() {
    // Tool windows go first, while everything they use is still here.
    m_toolWindows->closeAll();
}

void frmMainMDI::MDIForm_Load() {
    setWindowTitle(QStringLiteral(" Lumaret"));
    // No sizing border and no maximise box: the window keeps its size; it can be minimised.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    setStatusText(tr("Controller Disconnected"));
}

void frmMainMDI::createTimers() {
    auto makeTimer = [this](const char* name, int intervalMs, bool singleShot) {
        auto* timer = new QTimer(this);
        timer->setObjectName(QLatin1String(name));
        timer->setInterval(intervalMs);
        timer->setSingleShot(singleShot);
        // Transfers are paced by these ticks: a coarse timer would stray by 5%.
        timer->setTimerType(Qt::PreciseTimer);
        return timer;
    };
    Timer1 = makeTimer("Timer1", 1500, true);
    Timer2 = makeTimer("Timer2", 250, false);
    Timer4 = makeTimer("Timer4", 50, true);
    connect(Timer1, &QTimer::timeout, this, &frmMainMDI::Timer1_Timer);
    connect(Timer2, &QTimer::timeout, this, &frmMainMDI::Timer2_Timer);
    connect(Timer4, &QTimer::timeout, this, &frmMainMDI::Timer4_Timer);
    // Timer4 runs once at start and stops itself.
    Timer4->start();
}

void frmMainMDI::createStatusBar() {
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    m_connectionPanel = new QLabel(StatusBar1);
    m_connectionPanel->setObjectName(QStringLiteral("Panel1"));
    m_connectionPanel->setMinimumWidth(240);
    ProgressBar1 = new QProgressBar(StatusBar1);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setFixedWidth(160);
    m_timePanel = new QLabel(StatusBar1);
    m_timePanel->setObjectName(QStringLiteral("PanelTime"));
    // Notes get a panel of their own: the connection state stays in view.
    m_notePanel = new QLabel(StatusBar1);
    m_notePanel->setObjectName(QStringLiteral("PanelNote"));
    m_notePanel->hide();
    m_noteTimer = new QTimer(this);
    m_noteTimer->setSingleShot(true);
    connect(m_noteTimer, &QTimer::timeout, this, [this] {
        m_notePanel->clear();
        m_notePanel->hide();
    });
    StatusBar1->addWidget(m_connectionPanel, 1);
    StatusBar1->addWidget(m_notePanel);
    StatusBar1->addPermanentWidget(ProgressBar1);
    StatusBar1->addPermanentWidget(m_timePanel);
    setStatusBar(StatusBar1);

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
    mnuFile->addSeparator()->setObjectName(QStringLiteral("mnuBlanck"));
    QAction* mnuExit = mnuFile->addAction(tr("Exit"));
    mnuExit->setObjectName(QStringLiteral("mnuExit"));
    connect(mnuExit, &QAction::triggered, this, [] { QCoreApplication::quit(); });

    QMenu* mnuTools = addMenu("mnuTools", tr("Tools"));
    addToolAction(mnuTools, "mnuFont", tr("Font"), Font);
    addToolAction(mnuTools, "mnuGraphic", tr("Graphic"), Graphic);
    addToolAction(mnuTools, "mnuColorPic", tr("Color Picker"), ColorPicker);
    addToolAction(mnuTools, "mnuText", tr("Text"), Text);
    addToolAction(mnuTools, "mnuCoordinates", tr("Coordinates"), Coordinates);
    addToolAction(mnuTools, "mnuUtilities", tr("Utilities"), Utilities);

    mnuWindow = addMenu("mnuWindow", tr("Window"));
    connect(mnuWindow, &QMenu::aboutToShow, this, &frmMainMDI::fillWindowMenu);
    fillWindowMenu();

    QMenu* mnuHelp = addMenu("mnuHelp", tr("Help"));
    QAction* mnuAbout = mnuHelp->addAction(tr("About"));
    mnuAbout->setObjectName(QStringLiteral("mnuAbout"));
    mnuAbout->setEnabled(m_toolWindows->contains(About));
    connect(mnuAbout, &QAction::triggered, this,
            [this] { m_toolWindows->show(About, ToolWindows::Activation::ShowOnly); });
}

void frmMainMDI::fillWindowMenu() {
    mnuWindow->clear();
    QAction* mnuCascade = mnuWindow->addAction(tr("Cascade"));
    mnuCascade->setObjectName(QStringLiteral("mnuCascade"));
    connect(mnuCascade, &QAction::triggered, m_area, &QMdiArea::cascadeSubWindows);
    QAction* mnuTile = mnuWindow->addAction(tr("Tile"));
    mnuTile->setObjectName(QStringLiteral("mnuTile"));
    connect(mnuTile, &QAction::triggered, this, &frmMainMDI::tileHorizontally);
    if (!m_windowItems.isEmpty()) {
        mnuWindow->addSeparator();
        mnuWindow->addActions(m_windowItems);
    }

    const QList<QMdiSubWindow*> windows = m_area->subWindowList();
    if (windows.isEmpty())
        return;
    mnuWindow->addSeparator();
    auto* group = new QActionGroup(mnuWindow);
    for (QMdiSubWindow* window : windows) {
        QAction* action = mnuWindow->addAction(window->windowTitle().trimmed());
        action->setCheckable(true);
        action->setChecked(window == m_area->activeSubWindow());
        group->addAction(action);
        connect(action, &QAction::triggered, m_area,
                [this, window] { m_area->setActiveSubWindow(window); });
    }
}

void frmMainMDI::tileHorizontally() {
    // One above the other, each as wide as the area.
    QList<QMdiSubWindow*> windows;
    const QList<QMdiSubWindow*> all = m_area->subWindowList();
    for (QMdiSubWindow* window : all) {
        if (!window->isMinimized())
            windows.append(window);
    }
    if (windows.isEmpty())
        return;
    const QRect area = m_area->viewport()->rect();
    const int height = area.height() / int(windows.size());
    for (int i = 0; i < windows.size(); ++i) {
        windows[i]->showNormal();
        windows[i]->setGeometry(0, i * height, area.width(), height);
    }
}

void frmMainMDI::createToolbar() {
    Toolbar1 = addToolBar(tr("Toolbar"));
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setMovable(false);
    Toolbar1->setIconSize(QSize(24, 24));
    for (const auto& [key, window] : toolbarButtons()) {
        QAction* button = Toolbar1->addAction(Artwork::toolbarIcon(key), key);
        button->setObjectName(key);
        button->setToolTip(key);
        button->setEnabled(m_toolWindows->contains(window));
        connect(button, &QAction::triggered, this, [this, key] { Toolbar1_ButtonClick(key); });
    }
}

void frmMainMDI::Toolbar1_ButtonClick(const QString& key) {
    for (const auto& [button, window] : toolbarButtons()) {
        if (button == key)
            openToolWindow(window);
    }
}

void frmMainMDI::openToolWindow(const QString& window) {
    // Opened from here, the colour picker hands its colour to no tool window.
    if (window == ColorPicker)
        m_session->setColorRequester(QString());
    m_toolWindows->show(window);
}

QString frmMainMDI::statusText() const {
    return m_connectionPanel->text();
}

void frmMainMDI::setStatusText(const QString& text) {
    m_connectionPanel->setText(text);
}

void frmMainMDI::Timer1_Timer() {
    m_connection->connectTimedOut();
}

void frmMainMDI::Timer2_Timer() {
    m_connection->poll();
}

void frmMainMDI::Timer4_Timer() {
    Timer4->stop();
    m_connection->handshakeStep();
}

void frmMainMDI::showStatusMessage(const QString& text) {
    constexpr int ShownMs = 5000;
    m_notePanel->setText(text);
    m_notePanel->show();
    m_noteTimer->start(ShownMs);
}

QString frmMainMDI::statusNote() const {
    return m_notePanel->text();
}
