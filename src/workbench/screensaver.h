#pragma once

#include <QString>

#include <functional>

class QWidget;
class UserDialogs;

// Saves a screen as a PNG file the user names: the dialog offers the file saved last (at
// first the suggested name in the pictures folder), a name without a suffix gets ".png",
// and a file that could not be written is told.
class ScreenSaver {
public:
    // Writes the screen to path; false with the reason in why when it could not.
    using Writer = std::function<bool(const QString& path, QString* why)>;

    ScreenSaver(UserDialogs& dialogs, const QString& suggestedName);

    // Returns whether the screen was written.
    bool save(QWidget* parent, const Writer& write);

private:
    UserDialogs& m_dialogs;
    QString m_suggestedName;
    QString m_lastSavedPath;
};
