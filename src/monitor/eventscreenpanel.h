#pragma once

#include "workbench/screensaver.h"

#include <QString>
#include <QWidget>

#include <optional>

class BoardMirror;
class MirrorView;
class QLabel;
class QPushButton;
class UserDialogs;

// Beside a monitor's rows: the board's screen just after the selected event, as its
// mirror tells it (hatched where not known), and "Save Screen..." to keep it as PNG.
// An event older than the bytes the conversation keeps says so instead.
class EventScreenPanel : public QWidget {
    Q_OBJECT
public:
    EventScreenPanel(BoardMirror& mirror, UserDialogs& dialogs, QWidget* parent = nullptr);

    // The event by its number in the conversation; none for no selection.
    void showScreenAfter(std::optional<quint64> event);
    void saveScreen();

private:
    BoardMirror& m_mirror;
    std::optional<quint64> m_event;
    ScreenSaver m_screenSaver;

    MirrorView* picEventScreen;
    QLabel* lblEventScreen;
    QPushButton* cmdSaveScreen;
};
