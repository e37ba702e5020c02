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

private Q_SLOTS:
    // Connect (or Disconnect) was clicked: opens the selected port and identifies the
    // board, or ends the connection.
    void onConnectClicked();
    // OK under "Change Baud Rate": the board switches to the chosen speed.
    void onBoardRateClicked();
    // Once a second: the port list follows the system's ports.
    void onPortCheck();
    void showConnectionState(ConnectionController::State state);

private:
    // Each opening starts from the same state: the ports listed afresh, the shared
    // drawing colour and touch mode at their start values, 115200 bit/s chosen.
    void loadFreshState();
    // Brings the list to these ports, keeping the selected one while it is among them.
    void followPorts(const QList<PortEntry>& ports);
    // The line settings for the selected speed, or the port's own when none is selected.
    QString appliedBaudRate() const;
    void setListsEnabled(bool enabled);
    void updateConnectButton();

    Workbench& m_workbench;
    // A window opened while an earlier one's connection is up offers no connect button.
    bool m_connectLocked = false;
    bool m_focusConnectWhenEnabled = false;

    QGroupBox* m_connectGroup;
    QLabel* m_portLabel;
    QComboBox* m_portList;
    QLabel* m_speedLabel;
    QComboBox* m_speedList;
    QPushButton* m_connectButton;
    QGroupBox* m_boardRateGroup;
    QComboBox* m_boardRateList;
    QPushButton* m_boardRateButton;
    QTimer* m_portCheck;
};
