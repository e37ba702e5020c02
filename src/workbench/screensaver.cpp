#include "workbench/screensaver.h"

#include "workbench/userdialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

const QString PngFilter = QStringLiteral("PNG Image (*.png)|*.png|");

QString picturesFolder() {
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    return !pictures.isEmpty() && QDir(pictures).exists() ? pictures : QDir::homePath();
}

} // namespace

ScreenSaver::ScreenSaver(UserDialogs& dialogs, const QString& suggestedName)
    : m_dialogs(dialogs)
    , m_suggestedName(suggestedName) {}

bool ScreenSaver::save(QWidget* parent, const Writer& write) {
    const QString suggested = m_lastSavedPath.isEmpty()
                                  ? QDir(picturesFolder()).filePath(m_suggestedName)
                                  : m_lastSavedPath;
    QString path = m_dialogs.saveFileName(parent, PngFilter, suggested);
    if (path.isEmpty())
        return false;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".png");
    QString why;
    if (!write(path, &why)) {
        m_dialogs.message(
            parent, QCoreApplication::translate("ScreenSaver", "Warning"),
            QCoreApplication::translate("ScreenSaver", "The screen was not saved: %1.").arg(why),
            UserDialogs::Icon::Warning);
        return false;
    }
    m_lastSavedPath = path;
    return true;
}
