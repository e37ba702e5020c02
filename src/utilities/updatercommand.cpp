#include "utilities/updatercommand.h"

#include <algorithm>

namespace UpdaterCommand {

QString name() {
#ifdef Q_OS_WIN
    return QStringLiteral("update.exe");
#else
    return QStringLiteral("update");
#endif
}

QString FileNameOfPath(const QString& path) {
    const qsizetype lastSeparator =
        std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
    return path.mid(lastSeparator + 1);
}

QString folderWithSeparator(const QString& folder, QChar separator) {
    return folder.endsWith(separator) ? folder : folder + separator;
}

QStringList arguments(const QString& fileName) {
    // A name that begins like an option is given by its path in the working folder.
    const QString file =
        fileName.startsWith(QLatin1Char('-')) ? QStringLiteral("./") + fileName : fileName;
    return {file, QStringLiteral("-COM1"), QStringLiteral("-115200")};
}

QString commandLine(const QString& folder, const QString& fileName, const QString& updaterName) {
    return folder + updaterName + QLatin1Char(' ') + arguments(fileName).join(QLatin1Char(' '));
}

} // namespace UpdaterCommand
