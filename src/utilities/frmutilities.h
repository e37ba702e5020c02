#pragma once

#include "engine/session.h"
#include "utilities/firmwareupdate.h"

#include <QString>
#include <QWidget>

#include <functional>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QTimer;
class Workbench;
class WriteList;

// The utilities window: clear and rotate the board's screen, its backlight and
// beeper, the touch screen's reporting modes with the display of its reports, beep on
// touch and calibration, and the firmware update.
class frmUtilities : public QWidget {
    Q_OBJECT
public:
    explicit frmUtilities(Workbench& workbench, QWidget* parent = nullptr);

    // Where the firmware updater lies and how it is started (the program's own by default).
    void setUpdaterSetup(const UpdaterSetup& setup) { m_updaterSetup = setup; }

    // Screen and controller
    void cmdClear_Click();
    void cmdRotate_Click();
    void cmdBL_Click();
    void cmdBeep_Click();
    // Touch screen
    void cmdCoordinates_Click();
    void cmdKeypad_Click();
    void cmdOFF_Click();
    void chkBeep_Click();
    void cmdCal_Click();
    void cmdRestore_Click();
    void Timer1_Timer();
    // Firmware
    void cmdUpdate_Click();

private:
    // The board's touch controller must be quiet while the backlight or the beep on
    // touch changes: touch reporting goes off, and after the pause send() runs and
    // the mode that was on comes back.
    void inTouchPause(int pauseMs, std::function<void()> send);
    void restoreTouchMode(Session::TouchMode mode);
    // Sends the touch mode's command and, once sent, shows the reports while it is on.
    void switchTouchMode(const WriteList& command, Session::TouchMode mode);
    void setTouchPauseRunning(bool running);
    void followUpdate(FirmwareUpdate* update);

    Workbench& m_workbench;
    UpdaterSetup m_updaterSetup;
    // The file dialog's settings: the initial folder is the program's after the first use.
    struct FileDialogSettings {
        QString filter;
        QString initialFolder;
    } CommonDialog1;

    QGroupBox* Frame5;
    QPushButton* cmdClear;
    QPushButton* cmdRotate;
    QGroupBox* Frame4;
    QPushButton* cmdBL;
    QPushButton* cmdBeep;
    QGroupBox* Frame1;
    QGroupBox* Frame3;
    QPushButton* cmdCoordinates;
    QPushButton* cmdKeypad;
    QPushButton* cmdOFF;
    QCheckBox* chkBeep;
    QGroupBox* Frame6;
    QLineEdit* txtCoordinates;
    QGroupBox* Frame9;
    QLineEdit* txtControllerResponse;
    QGroupBox* Frame2;
    QPushButton* cmdCal;
    QPushButton* cmdRestore;
    QGroupBox* Frame7;
    QPushButton* cmdUpdate;
    QTimer* Timer1;
};
