#pragma once

#include "workbench/workbench.h"

#include <QMainWindow>

#include <functional>
#include <memory>

class Clock;
class ElidedLabel;
class PortCatalog;
class QAction;
class QLabel;
class QMdiArea;
class QMenu;
class QProgressBar;
class QStatusBar;
class QTimer;
class QToolBar;
struct UploadOutcome;

// The main window: menus, toolbar, the status bar with the connection state, the
// progress bar and the area that holds the tool windows. It is the view of the board
// engine it owns: the connection's state and messages, and the uploads' progress.
class frmMainMDI : public QMainWindow, public Workbench {
    Q_OBJECT
public:
    // The seams: real ones for the program, scripted ones for tests.
    struct Services {
        std::shared_ptr<Clock> clock;
        std::shared_ptr<UserDialogs> dialogs;
        std::shared_ptr<PortCatalog> ports;
        // Whether "Simulator" joins the port list (the built-in board).
        bool builtInSimulator = true;
        // The part of the screen the windows are kept in (the screen's available area
        // unless given).
        std::function<QRect()> desktopArea;
        static Services system();
    };

    frmMainMDI();
    explicit frmMainMDI(Services services, QWidget* parent = nullptr);
    ~frmMainMDI() override;

    // Workbench
    BoardEngine& engine() override { return *m_engine; }
    Clock& clock() override { return *m_services.clock; }
    PortCatalog& ports() override { return *m_services.ports; }
    ToolWindows& toolWindows() override { return *m_toolWindows; }
    UserDialogs& dialogs() override;
    void showStatusMessage(const QString& text) override;

    // Panel 1 of the status bar: the connection state.
    QString statusText() const;
    // The note now in the status bar, if any.
    QString statusNote() const;

private:
    void startUp();
    // The smallest size that shows the largest tool window whole, within the desktop.
    void takeOpeningSize();
    void createMenus();
    void createToolbar();
    void createStatusBar();
    void followEngine();
    void openMenuBar();
    QAction* addToolAction(QMenu* menu, const char* name, const QString& caption,
                           const QString& window);
    void openToolWindow(const QString& window);
    void fillWindowMenu();
    void showTimeOfDay();
    // A note that stays until the next one (0) or for a few seconds.
    void showNote(const QString& text, int shownMs);
    void clearNote();
    void uploadFinished(const UploadOutcome& outcome);

    Services m_services;
    // Answers the dialogs of windows made only to be measured.
    std::unique_ptr<UserDialogs> m_unseenDialogs;
    BoardEngine* m_engine;
    QMdiArea* m_area;
    ToolWindows* m_toolWindows;

    QStatusBar* m_statusBar;
    ElidedLabel* m_connectionPanel;
    QLabel* m_timePanel;
    ElidedLabel* m_notePanel;
    QTimer* m_noteTimer;
    QProgressBar* m_progressBar;
    int m_savedProgressMaximum = 0;
    QToolBar* m_toolbar;
    QTimer* m_clockTimer;
    QMenu* m_windowMenu;
    // Window menu items for windows of their own (the board's), after "Tile".
    QList<QAction*> m_windowItems;
};
