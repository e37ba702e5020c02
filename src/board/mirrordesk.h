#pragma once

class QAction;
class QWidget;
class Workbench;

// The mirror of the board on a real port, on the desk: attaches the engine's mirror
// now (so it sees every connection) and returns the Window menu's "Board" item, shown
// while a port other than the built-in simulator's is open, that brings up the
// mirror's window (frmBoardMirror, made when first asked for, kept for the run).
QAction* installBoardMirror(Workbench& workbench, QWidget& mainWindow);
