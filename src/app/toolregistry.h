#pragma once

class ToolWindows;
class Workbench;

// Adds every subsystem's tool windows to the main window (and the built-in board
// simulator's port, when wanted).
void registerToolWindows(ToolWindows& windows, Workbench& workbench, bool builtInSimulator);
