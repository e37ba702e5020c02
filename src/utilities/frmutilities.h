#pragma once

#include "engine/session.h"
#include "utilities/firmwareupdate.h"

#include <QString>
#include <QWidget>

class ClockTimer;
class QCheckBox;
class QLineEdit;
class QPushButton;
class Workbench;

// The utilities window: clear and rotate the board's screen, its backlight and
// beeper, the touch screen's reporting modes with the display of its reports, beep on
// touch and calibration, and the firmware update.
class frmUtilities : public QWidget {
    Q_OBJECT
public:
    explicit frmUtilities(Workbench& workbench, QWidget* parent = nullptr);

    // Where the firmware updater lies and how it is started (the program's own by default).
    void setUpdaterSetup(const UpdaterSetup& setup) { m_updaterSetup = setup; }

private Q_SLOTS:
    // Screen and controller
    void clearScreen();
    void rotateScreen();
    void switchBacklight();
    void beep();
    // Touch screen
    void reportCoordinates();
    void reportKeys();
    void stopReporting();
    void switchBeepOnTouch();
    void calibrateTouch();
    void restoreCalibration();
    void showLatestReport();
    // Firmware
    void updateFirmware();

private:
    // The reports are shown while the board reports touches or keys.
    void followTouchMode(Session::TouchMode mode);
    void showBacklightAction(bool backlightOn);
    void followUpdate(FirmwareUpdate* update);

    Workbench& m_workbench;
    UpdaterSetup m_updaterSetup;
    // The file dialog's settings: the initial folder is the program's after the first use.
    struct FileDialogSettings {
        QString filter;
        QString initialFolder;
    } m_firmwareDialog;

    QPushButton* m_backlightButton;
    QCheckBox* m_beepOnTouchBox;
    QLineEdit* m_coordinatesBox;
    QLineEdit* m_responseBox;
    QPushButton* m_updateButton;
    ClockTimer* m_reportDisplay;
};
