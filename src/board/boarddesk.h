#pragma once

#include <QObject>

class BoardEmulator;
class QAction;
class QWidget;
class Workbench;
class frmBoard;

// The simulator's board on the desk: its window is a window of its own beside the main
// window (not inside it, where the tool windows would cover it), made once and kept
// for the run, so it keeps its place and zoom when closed and shown again. It shows
// when the app's line to the board opens; the "Board" menu item, enabled while that
// line is open, brings it back. As a window that belongs to the main window it does
// not keep the program running: closing the main window ends the program and closes it.
class BoardDesk : public QObject {
    Q_OBJECT
public:
    BoardDesk(Workbench& workbench, BoardEmulator& board, QWidget& mainWindow);

    frmBoard& window() { return *m_window; }
    // "Board", for the main window's menu.
    QAction* showAction() const { return m_showAction; }

    // The app's line to the board opened (the window shows, without taking the focus)
    // or closed.
    void lineOpenChanged(bool open);
    // Shows the window, brought to the front with the focus.
    void bringToFront();

private:
    void show();
    void placeBesideMainWindow();

    Workbench& m_workbench;
    QWidget& m_mainWindow;
    frmBoard* m_window;
    QAction* m_showAction;
    bool m_placed = false;
};
