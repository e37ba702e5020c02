#include "app/frmmainmdi.h"

#include "app/artwork.h"
#include "app/elidedlabel.h"
#include "app/toolregistry.h"
#include "engine/boardengine.h"
#include "engine/clock.h"
#include "engine/connectioncontroller.h"
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
    return {std::make_shared<SystemClock>(), std::make_shared<QtUserDialogs>(),
            PortCatalog::system(), true};
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

    m_area = new QMdiArea(this);
    m_area->setObjectName(QStringLiteral("mdiArea"));
    m_area->setBackground(Artwork::background(ClientArea));
    m_area->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_area->setFixedSize(ClientArea);
    setCentralWidget(m_area);
    m_toolWindows = new ToolWindows(*m_area, *this, this);

    createStatusBar();
    followEngine();
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
    m_connectionPanel->setText(m_engine->connection().statusText());
    // The size the window takes around its client area, kept whatever the status bar
    // says later.
    setFixedSize(sizeHint());
}

void frmMainMDI::createStatusBar() {
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    // The panels show what fits; the window keeps its size.
    m_connectionPanel = new ElidedLabel(StatusBar1);
    m_connectionPanel->setObjectName(QStringLiteral("Panel1"));
    // The connection state shows whole where it can; a note takes the room left.
    m_connectionPanel->setWholeTextUpTo(300);
    ProgressBar1 = new QProgressBar(StatusBar1);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setFixedWidth(110);
    m_timePanel = new QLabel(StatusBar1);
    m_timePanel->setObjectName(QStringLiteral("PanelTime"));
    // Notes get a panel of their own: the connection state stays in view.
    m_notePanel = new ElidedLabel(StatusBar1);
    m_notePanel->setObjectName(QStringLiteral("PanelNote"));
    m_notePanel->hide();
    m_noteTimer = new QTimer(this);
    m_noteTimer->setSingleShot(true);
    connect(m_noteTimer, &QTimer::timeout, this, &frmMainMDI::clearNote);
    StatusBar1->addWidget(m_connectionPanel);
    StatusBar1->addWidget(m_notePanel, 1);
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
    // Uploads set off each block the moment the board answers, not at the next poll.
    QAction* mnuFastTransfers = mnuFile->addAction(tr("Fast Transfers"));
    mnuFastTransfers->setObjectName(QStringLiteral("mnuFastTransfers"));
    mnuFastTransfers->setCheckable(true);
    connect(mnuFastTransfers, &QAction::toggled, this, [this](bool fast) {
        m_engine->uploader().setPacing(fast ? Pacing::AnswerDriven : Pacing::Poll);
    });
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
        m_engine->session().withdrawColorRequest();
    m_toolWindows->show(window);
}

QString frmMainMDI::statusText() const {
    return m_connectionPanel->text();
}

void frmMainMDI::followEngine() {
    ConnectionController& connection = m_engine->connection();
    connect(&connection, &ConnectionController::statusTextChanged, m_connectionPanel,
            &ElidedLabel::setText);
    connect(&connection, &ConnectionController::timedOut, this, [this] {
        dialogs().message(this, ConnectionMessages::notFoundTitle(),
                          ConnectionMessages::notFoundText(), UserDialogs::Icon::Information);
    });
    connect(&connection, &ConnectionController::failed, this, [this](const PortError& error) {
        dialogs().message(this, ConnectionMessages::criticalTitle(),
                          ConnectionMessages::cannotOpen(error), UserDialogs::Icon::Critical);
    });
    connect(&connection, &ConnectionController::lost, this,
            [this](const QString& portName, const PortError& error) {
                dialogs().message(this, ConnectionMessages::criticalTitle(),
                                  ConnectionMessages::lostPort(portName, error),
                                  UserDialogs::Icon::Critical);
            });

    Uploader& uploader = m_engine->uploader();
    connect(&uploader, &Uploader::started, this, [this](const QString&, int progressMaximum) {
        m_savedProgressMaximum = ProgressBar1->maximum();
        ProgressBar1->setMaximum(progressMaximum);
    });
    connect(&uploader, &Uploader::progressValueChanged, ProgressBar1, &QProgressBar::setValue);
    connect(&uploader, &Uploader::progress, this, [this](const UploadProgress& progress) {
        showNote(UploadNotes::progress(m_engine->uploader().runningName(), progress), 0);
    });
    connect(&uploader, &Uploader::finishing, this,
            [this](const QString& note) { showNote(note, 0); });
    connect(&uploader, &Uploader::finished, this, &frmMainMDI::uploadFinished);
    // Whoever is told of the end (a "Done." message) sees the bar as the upload left
    // it; it empties afterwards.
    connect(&uploader, &Uploader::ended, this, [this] {
        ProgressBar1->setValue(0);
        ProgressBar1->setMaximum(m_savedProgressMaximum);
    });
    connect(&uploader, &Uploader::refused, this, [this](const QString& running) {
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
