#include "board/boarddesk.h"

#include "board/frmboard.h"
#include "workbench/deskplacement.h"
#include "workbench/toolwindows.h"
#include "workbench/workbench.h"

#include <QAction>
#include <QWidget>

BoardDesk::BoardDesk(Workbench& workbench, BoardEmulator& board, QWidget& mainWindow)
    : QObject(&mainWindow)
    , m_workbench(workbench)
    , m_mainWindow(mainWindow) {
    m_window = new frmBoard(workbench, board, &mainWindow);
    m_window->setWindowIcon(mainWindow.windowIcon());
    m_showAction = new QAction(tr("Board"), this);
    m_showAction->setObjectName(QStringLiteral("mnuBoard"));
    m_showAction->setEnabled(false);
    connect(m_showAction, &QAction::triggered, this, &BoardDesk::bringToFront);
}

void BoardDesk::lineOpenChanged(bool open) {
    m_showAction->setEnabled(open);
    if (open)
        show();
}

void BoardDesk::bringToFront() {
    show();
    m_window->raise();
    m_window->activateWindow();
}

void BoardDesk::show() {
    if (!m_placed) {
        m_placed = true;
        placeBesideMainWindow();
    }
    if (m_window->isMinimized())
        m_window->showNormal();
    else
        m_window->show();
}

void BoardDesk::placeBesideMainWindow() {
    // The board's frame will look like the main window's: the same decorations.
    const QRect mainFrame = m_mainWindow.frameGeometry();
    const QSize decoration = mainFrame.size() - m_mainWindow.geometry().size();
    QList<DeskPlacement::Choice> choices;
    // The largest zoom that fits beside the main window.
    for (int zoom = frmBoard::MaximumZoom; zoom >= 1; --zoom) {
        m_window->setZoom(zoom);
        choices.append({zoom, m_window->size() + decoration});
    }
    const DeskPlacement::Placement placement =
        DeskPlacement::place(mainFrame, choices, m_workbench.toolWindows().desktopArea());
    m_window->setZoom(placement.zoom);
    m_window->move(placement.topLeft);
}
