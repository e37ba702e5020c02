#pragma once

class ToolWindows;
class Workbench;

// Installs the built-in board: a "Simulator" entry at the end of the port list, and
// the "Board" window (frmBoard) that opens when the app connects to it. The board
// lives as long as the main window, so its screen and memory survive a disconnect.
void installBoardSimulator(ToolWindows& windows, Workbench& workbench);
