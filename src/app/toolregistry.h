#pragma once

#include <QList>

class QAction;
class QWidget;
class ToolWindows;
class Workbench;

// Adds every subsystem's tool windows to the main window (and the built-in board
// simulator's port, when wanted). Returns what the Window menu offers besides the
// tool windows: the items that show windows of their own, such as the board's.
QList<QAction*> registerToolWindows(ToolWindows& windows, Workbench& workbench, QWidget& mainWindow,
                                    bool builtInSimulator);
