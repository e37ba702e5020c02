#pragma once

#include "engine/connectioncontroller.h"

#include <QWidget>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QTimer;
class Workbench;
struct PortEntry;

// The settings window: pick a port and a speed, connect or disconnect, and change
// the board's own speed. The connection itself is the ConnectionController's. While
// the window is open its port list follows the system's once a second: ports that
// appear are added, ports that vanish are removed, and the selection stays put.
class frmSettings : public QWidget {
    Q_OBJECT
public:
    explicit frmSettings(Workbench& workbench, QWidget* parent = nullptr);

    void cmd_conecta_Click();
    void cmdBaudRate_Click();

private:
    void Form_Load();
    void tmrPorts_Timer();
    // Brings the list to these ports, keeping the selected one while it is among them.
    void followPorts(const QList<PortEntry>& ports);
    // The line settings for the selected speed, or the port's own when none is selected.
    QString appliedBaudRate() const;
    void setListsEnabled(bool enabled);
    void showConnectionState(ConnectionController::State state);
    void updateConnectButton();

    Workbench& m_workbench;
    // A window opened while an earlier one's connection is up offers no connect button.
    bool m_connectLocked = false;
    bool m_focusConnectWhenEnabled = false;

    QGroupBox* Connect;
    QLabel* Label1;
    QComboBox* cbo_mostraporta;
    QLabel* Label2;
    QComboBox* cboBR;
    QPushButton* cmd_conecta;
    QGroupBox* Frame10;
    QComboBox* cmbBoudRate;
    QPushButton* cmdBaudRate;
    QTimer* tmrPorts;
};
