#pragma once

#include <QString>

class Clock;
class ConnectionController;
class MSserial;
class PortCatalog;
class QProgressBar;
class QTimer;
class QWidget;
class Session;
class ToolWindows;
class UserDialogs;

// What the tool windows share, reached through the one main window: the port, the
// session state, the status bar's connection panel, the progress bar, the receive
// poll, the connection, the other tool windows, and the clock and dialogs seams.
class Workbench {
public:
    virtual ~Workbench() = default;

    virtual MSserial& port() = 0;
    virtual Session& session() = 0;
    virtual ConnectionController& connection() = 0;
    virtual PortCatalog& portCatalog() = 0;
    virtual ToolWindows& toolWindows() = 0;
    virtual Clock& clock() = 0;
    virtual UserDialogs& dialogs() = 0;

    // Panel 1 of the status bar: the connection state, or what a long action is doing.
    virtual QString statusText() const = 0;
    virtual void setStatusText(const QString& text) = 0;
    // A note in the status bar for a few seconds; the connection state returns after it.
    virtual void showStatusMessage(const QString& text) = 0;
    virtual QProgressBar& progressBar() = 0;
    // The receive poll; uploads shorten its interval while they run.
    virtual QTimer& receiveTimer() = 0;
    // The parent for dialogs.
    virtual QWidget* mainWindow() = 0;
};

// Whether a tool window may send a command now: the port is open and no upload owns
// the line. A command sent during an upload would land in the middle of the picture or
// font going out, so the user is told in the status bar instead.
bool readyForCommand(Workbench& workbench);
