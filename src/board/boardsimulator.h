#pragma once

#include <QString>

class QAction;
class QWidget;
class Workbench;

// Installs the built-in board: a "Simulator" entry at the end of the port list, and
// the "Board" window (frmBoard) beside the main window, which shows when the app
// connects to it. The board lives as long as the main window, so its screen and
// memory survive a disconnect. Returns the menu item that shows the board's window.
QAction* installBoardSimulator(Workbench& workbench, QWidget& mainWindow);
// Whether the port list's entry of this name is the built-in board's.
bool isSimulatorPort(const QString& name);
