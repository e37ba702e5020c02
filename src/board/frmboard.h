#pragma once

#include "workbench/screensaver.h"

#include <QString>
#include <QWidget>

class BoardEmulator;
class BoardView;
class QAction;
class QLabel;
class Workbench;

// The "Board" window of the built-in simulator, a window of its own on the desk: the
// board's panel (touch it with the mouse) and a line with its speed, touch mode,
// beeper and backlight. Its context menu saves the screen as a PNG file and sets the
// zoom (1x, 2x, 3x); the window takes the size of the zoomed panel.
class frmBoard : public QWidget {
    Q_OBJECT
public:
    static constexpr int MaximumZoom = 3;

    frmBoard(Workbench& workbench, BoardEmulator& board, QWidget* parent = nullptr);

    BoardEmulator& board() { return m_board; }
    int zoom() const;
    // Resizes the window to the panel at this zoom (1 to MaximumZoom), keeping a window
    // that is shown on its screen.
    void setZoom(int zoom);
    // Asks for a file and writes the screen to it as the panel shows it, 320 x 240.
    void saveScreen();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createContextMenu();
    // A zoom that would put the window over the main window is offered greyed: the main
    // window made smaller (or moved) makes room for it.
    void offerZoomsThatFit();
    void showState();
    void announceBeep();

    Workbench& m_workbench;
    BoardEmulator& m_board;
    int m_beepFlashes = 0;
    ScreenSaver m_screenSaver;

    BoardView* m_panel;
    QLabel* m_stateLabel;
    QLabel* m_beepLabel;
    QAction* m_saveScreenAction;
    QList<QAction*> m_zoomActions;
};
