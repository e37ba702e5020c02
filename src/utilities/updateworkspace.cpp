#include "utilities/updateworkspace.h"

#include "utilities/updatercommand.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTemporaryFile>

UpdateWorkspace::UpdateWorkspace(const QString& updaterFolder, bool folderWritable) {
    if (folderWritable) {
        m_folder = updaterFolder;
        return;
    }
    // An empty path when the system's folder for temporary files does not exist; a
    // relative template would put the folder wherever the program was started.
    const QString temporaryFiles = QDir::tempPath();
    if (!temporaryFiles.isEmpty())
        m_temporary = std::make_unique<QTemporaryDir>(
            QDir(temporaryFiles).filePath(QStringLiteral("lumaret-update-XXXXXX")));
    if (!m_temporary || !m_temporary->isValid()) {
        m_error = tr("No temporary folder could be made for the update.") + QLatin1Char('\n') +
                  tr("Reason: ") +
                  (m_temporary ? m_temporary->errorString()
                               : tr("the folder for temporary files does not exist"));
        m_temporary.reset();
        return;
    }
    m_folder = UpdaterCommand::folderWithSeparator(QDir::toNativeSeparators(m_temporary->path()),
                                                   QDir::separator());
    const QString updater = updaterFolder + UpdaterCommand::name();
    if (!QFileInfo(updater).isFile())
        return;
    QFile original(updater);
    if (!original.copy(m_folder + UpdaterCommand::name()))
        m_error = tr("The firmware updater could not be copied into a temporary folder.") +
                  QLatin1Char('\n') + tr("From: ") + QDir::toNativeSeparators(updater) +
                  QLatin1Char('\n') + tr("To: ") + m_folder + QLatin1Char('\n') + tr("Reason: ") +
                  original.errorString();
}

UpdateWorkspace::~UpdateWorkspace() = default;

bool UpdateWorkspace::canWriteIn(const QString& folder) {
    if (!QFileInfo(folder).isDir())
        return false;
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".lumaret-probe-XXXXXX")));
    return probe.open();
}
