#include "utilities/updaterlocation.h"

#include "utilities/updatercommand.h"

#include <QDir>
#include <QFileInfo>

namespace UpdaterLocation {

QString folder(const QString& programFolder, const QString& privateFolderFromPrograms) {
    const QDir programs(programFolder);
    QString found = programs.absolutePath();
    if (!QFileInfo(programs.filePath(UpdaterCommand::name())).isFile())
        found = QDir::cleanPath(programs.absoluteFilePath(privateFolderFromPrograms));
    return UpdaterCommand::folderWithSeparator(QDir::toNativeSeparators(found), QDir::separator());
}

} // namespace UpdaterLocation
