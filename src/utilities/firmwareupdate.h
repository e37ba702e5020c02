#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class UpdaterProcess;
class Workbench;

// Where the firmware updater lies and how it is started.
struct UpdaterSetup {
    // The program's folder, ending with its separator: the updater and the working
    // copy of the firmware file lie there.
    QString folder;
    std::function<std::unique_ptr<UpdaterProcess>()> newProcess;

    // The program's own folder and the real process.
    static UpdaterSetup system();
};

// One firmware update: the chosen file is copied next to the program, the port is
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
    // Puts the working copy next to the program; false (the user told) when it failed.
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
    // False when the chosen file already lies in the program's folder: it is the
    // user's own file, used in place and never deleted.
    bool m_copied = false;
    bool m_disconnected = false;
    bool m_updaterEnded = false;
    bool m_minimumWaitOver = false;
    bool m_done = false;
    std::unique_ptr<UpdaterProcess> m_process;
};
