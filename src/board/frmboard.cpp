#include "board/frmboard.h"

#include "board/boardconsole.h"
#include "board/boardemulator.h"
#include "board/boardview.h"
#include "engine/boardengine.h"
#include "engine/boardgeometry.h"
#include "engine/clock.h"
#include "workbench/deskplacement.h"
#include "workbench/named.h"
#include "workbench/toolwindows.h"
#include "workbench/userdialogs.h"
#include "workbench/workbench.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

constexpr int BeepShownMs = 400;

} // namespace

frmBoard::frmBoard(Workbench& workbench, BoardEmulator& board, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_workbench(workbench)
    , m_board(board)
    , m_screenSaver(workbench.dialogs(), QStringLiteral("board.png")) {
    setObjectName(QStringLiteral("frmBoard"));
    setWindowTitle(tr(" Board "));
    // Connecting shows the board beside the main window; the focus stays where it was.
    setAttribute(Qt::WA_ShowWithoutActivating);

    m_panel = named(new BoardView(board, this), "picScreen");
    m_panel->setToolTip(tr("Click to touch the screen; in keypad mode the keys 0-9, A-D, * "
                           "and # press the keypad. Right-click to save the screen or zoom."));
    m_stateLabel = named(new QLabel(this), "lblState");
    m_beepLabel = named(new QLabel(tr("Beep"), this), "lblBeep");
    m_beepLabel->setVisible(false);
    QFont bold = m_beepLabel->font();
    bold.setBold(true);
    m_beepLabel->setFont(bold);

    auto* stateLine = new QHBoxLayout;
    stateLine->addWidget(m_stateLabel, 1);
    stateLine->addWidget(m_beepLabel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    layout->addWidget(m_panel, 1);
    layout->addLayout(stateLine);
    // A device on the desk: its size is the panel's at the chosen zoom.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    createContextMenu();
    if (parent)
        parent->installEventFilter(this);
    connect(&board, &BoardEmulator::settingsChanged, this, &frmBoard::showState);
    connect(&board, &BoardEmulator::beeped, this, &frmBoard::announceBeep);
    showState();
}

void frmBoard::createContextMenu() {
    setContextMenuPolicy(Qt::ActionsContextMenu);
    m_saveScreenAction = named(new QAction(tr("Save Screen as PNG..."), this), "mnuSaveScreen");
    connect(m_saveScreenAction, &QAction::triggered, this, &frmBoard::saveScreen);
    addAction(m_saveScreenAction);
    auto* separator = new QAction(this);
    separator->setSeparator(true);
    addAction(separator);

    auto* zooms = new QActionGroup(this);
    for (int zoom = 1; zoom <= MaximumZoom; ++zoom) {
        auto* action = new QAction(tr("%1x").arg(zoom), zooms);
        action->setObjectName(QStringLiteral("mnuZoom%1").arg(zoom));
        action->setCheckable(true);
        connect(action, &QAction::triggered, this, [this, zoom] { setZoom(zoom); });
        m_zoomActions.append(action);
        addAction(action);
    }
    m_zoomActions.at(m_panel->zoom() - 1)->setChecked(true);
}

int frmBoard::zoom() const {
    return m_panel->zoom();
}

void frmBoard::setZoom(int zoom) {
    if (zoom < 1 || zoom > MaximumZoom)
        return;
    m_zoomActions.at(zoom - 1)->setChecked(true);
    m_panel->setZoom(zoom);
    layout()->activate();
    if (!isVisible())
        return;
    // The frame grows or shrinks by what the window did.
    const QRect frame = frameGeometry();
    const QSize newFrame = frame.size() - geometry().size() + size();
    const QRect screen = m_workbench.toolWindows().desktopArea();
    const QWidget* mainWindow = parentWidget();
    move(mainWindow ? DeskPlacement::resized(mainWindow->frameGeometry(), frame, newFrame, screen)
                    : DeskPlacement::within(screen, frame.topLeft(), newFrame));
    offerZoomsThatFit();
}

void frmBoard::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    offerZoomsThatFit();
}

bool frmBoard::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() &&
        (event->type() == QEvent::Move || event->type() == QEvent::Resize))
        offerZoomsThatFit();
    return QWidget::eventFilter(watched, event);
}

void frmBoard::offerZoomsThatFit() {
    const QWidget* mainWindow = parentWidget();
    const QRect screen = m_workbench.toolWindows().desktopArea();
    const QSize panelStep(BoardGeometry::Width, BoardGeometry::Height);
    for (int zoom = 1; zoom <= MaximumZoom; ++zoom) {
        const QSize frame = frameGeometry().size() + panelStep * (zoom - m_panel->zoom());
        // The zoom shown stays on offer, and so does the smallest: the board's own place.
        m_zoomActions.at(zoom - 1)->setEnabled(
            !mainWindow || !isVisible() || zoom == 1 || zoom == m_panel->zoom() ||
            DeskPlacement::fitsBeside(mainWindow->frameGeometry(), frame, screen));
    }
}

void frmBoard::saveScreen() {
    m_screenSaver.save(this, [this](const QString& path, QString* why) {
        return BoardConsole::saveScreenshot(m_board, path, why);
    });
}

void frmBoard::showState() {
    QString touch;
    switch (m_board.touchMode()) {
    case BoardEmulator::TouchMode::Off:
        touch = tr("off");
        break;
    case BoardEmulator::TouchMode::Coordinates:
        touch = tr("coordinates");
        break;
    case BoardEmulator::TouchMode::Keypad:
        touch = tr("keypad");
        break;
    }
    if (m_board.calibrationTarget())
        touch = tr("calibrating (tap the cross)");
    // Two short lines: the state fits under the panel at 1x, and the window keeps its
    // size as the state changes.
    m_stateLabel->setText(tr("%1 baud   Backlight: %2   Beep on touch: %3\nTouch: %4")
                              .arg(m_board.baudRate())
                              .arg(m_board.backlight() ? tr("on") : tr("off"),
                                   m_board.beepOnTouch() ? tr("on") : tr("off"), touch));
}

void frmBoard::announceBeep() {
    QApplication::beep();
    m_beepLabel->setVisible(true);
    ++m_beepFlashes;
    m_workbench.clock().callAfter(BeepShownMs, this, [this] {
        if (--m_beepFlashes == 0)
            m_beepLabel->setVisible(false);
    });
}
