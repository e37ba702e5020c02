#pragma once

#include "workbench/screensaver.h"

#include <QString>
#include <QWidget>

class BoardMirror;
class MirrorView;
class QAction;
class QLabel;
class Workbench;

// The "Board" window for a board on a real port: its mirror, the screen as Lumaret
// drew it since connecting, with the pixels it does not know hatched. A mirror takes
// no clicks. Its context menu saves the screen as PNG, the unknown pixels transparent.
class frmBoardMirror : public QWidget {
    Q_OBJECT
public:
    frmBoardMirror(Workbench& workbench, BoardMirror& mirror, QWidget* parent = nullptr);

    // "Board (mirror of /dev/ttyUSB0)".
    void setPortName(const QString& port);
    void saveScreen();

private:
    void showScreen();

    Workbench& m_workbench;
    BoardMirror& m_mirror;
    bool m_screenDue = false;
    ScreenSaver m_screenSaver;

    MirrorView* picScreen;
    QLabel* lblMirror;
    QAction* mnuSaveScreen;
};
