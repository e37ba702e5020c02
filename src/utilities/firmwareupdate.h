#pragma once

#include "utilities/updateworkspace.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class UpdaterProcess;
class Workbench;

// Where the firmware updater lies and how it is started.
struct UpdaterSetup {
    // The updater's folder, ending with its separator: the program's own, or its
    // private folder once installed.
    QString folder;
    std::function<std::unique_ptr<UpdaterProcess>()> newProcess;
    // Whether the working copy can go next to the updater; else the update runs in a
    // temporary folder (see UpdateWorkspace).
    std::function<bool(const QString& folder)> canWriteIn = UpdateWorkspace::canWriteIn;

    // The updater's folder, found from the program's own, and the real process.
    static UpdaterSetup system();
};

// One firmware update: the chosen file is copied next to the updater, the port is
// released, the external updater loads the file into the board, and after the board
// has had time to restart the program connects again and removes the copy.
//
// A run belongs to the main window, so that closing the utilities window does not
// cut it short, and deletes itself when it has finished.
class FirmwareUpdate : public QObject {
    Q_OBJECT
public:
    // The updater gets at least this long, and in any case until it has ended.
    static constexpr int MinimumUpdaterMs = 5001;
    // Then the board restarts its firmware before it is spoken to again.
    static constexpr int BoardRestartMs = 9001;

    FirmwareUpdate(Workbench& workbench, const UpdaterSetup& setup, const QString& chosenPath);
    ~FirmwareUpdate() override;

    // The update that is running, if any.
    static FirmwareUpdate* running(Workbench& workbench);

    void run();

Q_SIGNALS:
    void finished();

private:
    // Sets up the folder the updater runs in; false (the user told) when it failed.
    bool prepareWorkspace();
    // Puts the working copy next to the updater; false (the user told) when it failed.
    bool placeWorkingCopy();
    void startUpdater();
    void updaterFailed(const QString& text);
    void updaterEnded();
    void minimumWaitOver();
    void waitForBoard();
    void reconnect();
    void finish();
    void showCritical(const QString& text);

    Workbench& m_workbench;
    UpdaterSetup m_setup;
    QString m_chosenPath;
    QString m_fileName;
    QString m_workingCopy;
    // False when the chosen file already lies in the updater's folder: it is the
    // user's own file, used in place and never deleted.
    bool m_copied = false;
    bool m_disconnected = false;
    bool m_updaterEnded = false;
    bool m_minimumWaitOver = false;
    bool m_done = false;
    std::unique_ptr<UpdateWorkspace> m_workspace;
    // After the workspace, so that a process still running is let go before its
    // temporary folder is removed.
    std::unique_ptr<UpdaterProcess> m_process;
};
