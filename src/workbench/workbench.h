#pragma once

#include <QString>

class BoardEngine;
class Clock;
class PortCatalog;
class ToolWindows;
class UserDialogs;

// What the tool windows share through the one main window: the board engine (port,
// session, connection, uploads), the program's clock and ports, the other tool
// windows, the dialogs seam, and the status bar's note.
class Workbench {
public:
    virtual ~Workbench() = default;

    virtual BoardEngine& engine() = 0;
    virtual Clock& clock() = 0;
    // The ports the system offers, the simulator's among them.
    virtual PortCatalog& ports() = 0;
    virtual ToolWindows& toolWindows() = 0;
    virtual UserDialogs& dialogs() = 0;
    // A note in the status bar for a few seconds; the connection state stays in view.
    virtual void showStatusMessage(const QString& text) = 0;
};
