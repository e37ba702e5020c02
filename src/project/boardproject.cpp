#include "project/boardproject.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

QString BoardProject::picturePath(const ProjectPicture& picture) const {
    if (QFileInfo(picture.file).isAbsolute() || path.isEmpty())
        return picture.file;
    return QFileInfo(path).absoluteDir().filePath(picture.file);
}

QString BoardProject::relativeFile(const QString& absolutePath) const {
    if (path.isEmpty())
        return absolutePath;
    const QString relative = QFileInfo(path).absoluteDir().relativeFilePath(absolutePath);
    // A file outside the project's folder keeps its full path.
    return relative.startsWith(QLatin1String("..")) ? absolutePath : relative;
}

void BoardProject::sortBySlot() {
    std::stable_sort(fonts.begin(), fonts.end(),
                     [](const ProjectFont& a, const ProjectFont& b) { return a.slot < b.slot; });
    std::stable_sort(
        pictures.begin(), pictures.end(),
        [](const ProjectPicture& a, const ProjectPicture& b) { return a.slot < b.slot; });
}
