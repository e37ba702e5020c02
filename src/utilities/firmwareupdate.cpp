#include "utilities/firmwareupdate.h"

#include "buildinfo.h"
#include "engine/boardengine.h"
#include "engine/clock.h"
#include "utilities/updatercommand.h"
#include "utilities/updaterlocation.h"
#include "utilities/updaterprocess.h"
#include "workbench/userdialogs.h"
#include "workbench/workbench.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QWidget>

namespace {

constexpr Qt::CaseSensitivity FileNameCase =
#ifdef Q_OS_WIN
    Qt::CaseInsensitive;
#else
    Qt::CaseSensitive;
#endif

bool sameFile(const QString& first, const QString& second) {
    const QString firstPath = QFileInfo(first).canonicalFilePath();
    return !firstPath.isEmpty() &&
           firstPath.compare(QFileInfo(second).canonicalFilePath(), FileNameCase) == 0;
}

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

} // namespace

UpdaterSetup UpdaterSetup::system() {
    return {UpdaterLocation::folder(QCoreApplication::applicationDirPath(),
                                    QString::fromLatin1(BuildInfo::PrivateFolderFromPrograms)),
            [] { return std::make_unique<QtUpdaterProcess>(); }};
}

FirmwareUpdate::FirmwareUpdate(Workbench& workbench, const UpdaterSetup& setup,
                               const QString& chosenPath)
    : QObject(&workbench.engine())
    , m_workbench(workbench)
    , m_setup(setup)
    , m_chosenPath(chosenPath) {}

FirmwareUpdate::~FirmwareUpdate() = default;

FirmwareUpdate* FirmwareUpdate::running(Workbench& workbench) {
    const QList<FirmwareUpdate*> updates =
        workbench.engine().findChildren<FirmwareUpdate*>(Qt::FindDirectChildrenOnly);
    for (FirmwareUpdate* update : updates) {
        if (!update->m_done)
            return update;
    }
    return nullptr;
}

void FirmwareUpdate::run() {
    BoardEngine& engine = m_workbench.engine();
    // With the port closed there is nothing to update; during an upload it waits.
    if (!prepareWorkspace() || !placeWorkingCopy() || !engine.readyForCommand()) {
        finish();
        return;
    }
    engine.disconnect();
    m_disconnected = true;
    engine.setStatusText(tr("Updating "));
    startUpdater();
}

bool FirmwareUpdate::prepareWorkspace() {
    m_workspace =
        std::make_unique<UpdateWorkspace>(m_setup.folder, m_setup.canWriteIn(m_setup.folder));
    if (m_workspace->isReady())
        return true;
    showCritical(m_workspace->errorString());
    return false;
}

bool FirmwareUpdate::placeWorkingCopy() {
    m_fileName = UpdaterCommand::FileNameOfPath(m_chosenPath);
    m_workingCopy = m_workspace->folder() + m_fileName;
    if (sameFile(m_chosenPath, m_workingCopy))
        return true;
    // Replacing the updater or the program itself would break the installation.
    const QString programName = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    if (m_fileName.compare(UpdaterCommand::name(), FileNameCase) == 0 ||
        m_fileName.compare(programName, FileNameCase) == 0) {
        showCritical(tr("The firmware file %1 has the name of one of the program's own files "
                        "and cannot be placed next to it. Rename the firmware file and try again.")
                         .arg(native(m_chosenPath)));
        return false;
    }
    // The copy is removed after the update: a file of that name that this update did not
    // make is someone's, and is neither replaced nor removed.
    if (QFileInfo(m_workingCopy).exists() || QFileInfo(m_workingCopy).isSymLink()) {
        showCritical(tr("A file named %1 already lies next to the firmware updater, and this "
                        "program did not make it: it is left as it is. Rename the firmware file "
                        "and try again.")
                         .arg(native(m_workingCopy)));
        return false;
    }
    QFile source(m_chosenPath);
    if (!source.copy(m_workingCopy)) {
        const QString reason = source.errorString();
        showCritical(tr("The firmware file could not be copied next to the program.") +
                     QLatin1Char('\n') + tr("From: ") + native(m_chosenPath) + QLatin1Char('\n') +
                     tr("To: ") + native(m_workingCopy) + QLatin1Char('\n') + tr("Reason: ") +
                     reason);
        return false;
    }
    m_copied = true;
    return true;
}

void FirmwareUpdate::startUpdater() {
    const QString updater = m_setup.folder + UpdaterCommand::name();
    if (!QFileInfo(updater).isFile()) {
        updaterFailed(tr("The firmware updater %1 was not found.").arg(native(updater)));
        return;
    }
    const QString folder = m_workspace->folder();
    m_process = m_setup.newProcess();
    connect(m_process.get(), &UpdaterProcess::failedToStart, this,
            [this, folder](const QString& reason) {
                updaterFailed(tr("The firmware updater could not be started.") + QLatin1Char('\n') +
                              tr("Command: ") + UpdaterCommand::commandLine(folder, m_fileName) +
                              QLatin1Char('\n') + tr("Reason: ") + reason);
            });
    connect(m_process.get(), &UpdaterProcess::ended, this, &FirmwareUpdate::updaterEnded);
    m_workbench.clock().callAfter(MinimumUpdaterMs, this, [this] { minimumWaitOver(); });
    m_process->start(folder + UpdaterCommand::name(), UpdaterCommand::arguments(m_fileName),
                     folder);
}

void FirmwareUpdate::updaterFailed(const QString& text) {
    if (m_done)
        return;
    showCritical(text);
    // The board was not touched: it can be spoken to again at once.
    reconnect();
}

void FirmwareUpdate::updaterEnded() {
    m_updaterEnded = true;
    if (m_minimumWaitOver)
        waitForBoard();
}

void FirmwareUpdate::minimumWaitOver() {
    m_minimumWaitOver = true;
    if (m_updaterEnded)
        waitForBoard();
}

void FirmwareUpdate::waitForBoard() {
    if (m_done)
        return;
    m_workbench.engine().setStatusText(tr("Reconnecting... "));
    m_workbench.clock().callAfter(BoardRestartMs, this, [this] { reconnect(); });
}

void FirmwareUpdate::reconnect() {
    if (m_done)
        return;
    BoardEngine& engine = m_workbench.engine();
    // The user may have connected again in the meantime.
    if (m_disconnected && !engine.portOpen() &&
        engine.connectionState() == ConnectionController::State::Idle && !engine.reconnect())
        engine.setStatusText(tr("Controller Disconnected "));
    finish();
}

void FirmwareUpdate::finish() {
    m_done = true;
    if (m_copied)
        QFile::remove(m_workingCopy);
    m_workspace.reset();
    Q_EMIT finished();
    deleteLater();
}

void FirmwareUpdate::showCritical(const QString& text) {
    // Outliving the window it was started from, it has no window of its own to tell from.
    m_workbench.dialogs().message(nullptr, tr("Critical Error"), text, UserDialogs::Icon::Critical);
}
