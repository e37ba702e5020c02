#pragma once

#include <QCoreApplication>
#include <QString>

#include <memory>

class QTemporaryDir;

// The folder one firmware update runs in. The updater reads the working copy of the
// firmware from its own folder, so the copy goes next to the updater, as it always has,
// when that folder may be written. An installed program's folder may not (it belongs
// to the system): then the update runs in a private temporary folder that holds a copy
// of the updater and the working copy, and is removed with this object.
class UpdateWorkspace {
    Q_DECLARE_TR_FUNCTIONS(UpdateWorkspace)
public:
    // Sets up the workspace for the updater in updaterFolder (ending with its
    // separator). A missing updater is not copied, so that starting it reports it
    // missing where it belongs.
    UpdateWorkspace(const QString& updaterFolder, bool folderWritable);
    ~UpdateWorkspace();
    UpdateWorkspace(const UpdateWorkspace&) = delete;
    UpdateWorkspace& operator=(const UpdateWorkspace&) = delete;

    // False when the temporary folder or the updater's copy could not be made.
    bool isReady() const { return m_error.isEmpty(); }
    QString errorString() const { return m_error; }
    // Where the updater is started and the working copy lies, in native form and
    // ending with its separator: the updater's folder or the temporary one.
    QString folder() const { return m_folder; }

    // Whether a file can be created in folder: tried, since permissions alone do not
    // tell (a read-only file system, an administrator's rights).
    static bool canWriteIn(const QString& folder);

private:
    std::unique_ptr<QTemporaryDir> m_temporary;
    QString m_folder;
    QString m_error;
};
