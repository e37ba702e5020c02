#pragma once

#include "app/workbench.h"

#include <QMainWindow>

#include <memory>

class QAction;
class QLabel;
class QMdiArea;
class QMenu;
class QToolBar;
class QStatusBar;

// The main window: menus, toolbar, status bar, the port object, the timers that
// watch a connection attempt and poll the board's answers, and the area that holds
// the tool windows.
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
        static Services system();
    };

    frmMainMDI();
    explicit frmMainMDI(Services services, QWidget* parent = nullptr);
    ~frmMainMDI() override;

    // Workbench
    MSserial& port() override { return *m_port; }
    Session& session() override { return *m_session; }
    ConnectionController& connection() override { return *m_connection; }
    PortCatalog& portCatalog() override { return *m_services.ports; }
    ToolWindows& toolWindows() override { return *m_toolWindows; }
    Clock& clock() override { return *m_services.clock; }
    UserDialogs& dialogs() override { return *m_services.dialogs; }
    QString statusText() const override;
    void setStatusText(const QString& text) override;
    void showStatusMessage(const QString& text) override;
    // The note now in the status bar, if any.
    QString statusNote() const;
    QProgressBar& progressBar() override { return *ProgressBar1; }
    QTimer& receiveTimer() override { return *Timer2; }
    QWidget* mainWindow() override { return this; }

    void Toolbar1_ButtonClick(const QString& key);
    void Timer1_Timer();
    void Timer2_Timer();
    void Timer4_Timer();

private:
    void MDIForm_Load();
    void createMenus();
    void createToolbar();
    void createStatusBar();
    void createTimers();
    QAction* addToolAction(QMenu* menu, const char* name, const QString& caption,
                           const QString& window);
    void openToolWindow(const QString& window);
    void fillWindowMenu();
    void tileHorizontally();
    void showTimeOfDay();

    Services m_services;
    Session* m_session;
    QMdiArea* m_area;
    ToolWindows* m_toolWindows;
    ConnectionController* m_connection = nullptr;

    MSserial* m_port; // objectName "MSserial"
    QStatusBar* StatusBar1;
    QLabel* m_connectionPanel;
    QLabel* m_timePanel;
    QLabel* m_notePanel;
    QTimer* m_noteTimer;
    QProgressBar* ProgressBar1;
    QToolBar* Toolbar1;
    QTimer* Timer1;
    QTimer* Timer2;
    QTimer* Timer4;
    QTimer* m_clockTimer;
    QMenu* mnuWindow;
    QList<QAction*> m_toolActions;
    // Window menu items for windows of their own (the board's), after "Tile".
    QList<QAction*> m_windowItems;
};
