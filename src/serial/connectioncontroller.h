#pragma once

#include "engine/seriallink.h"

#include <QObject>
#include <QString>

class QTimer;
class Workbench;

// Connecting to the board, watching the connection and leaving it: opens the port,
// sends the identification and waits in 50 ms steps for an answer holding "100"
// until the 1.5 s time-out; polls the board's answers while connected; closes on
// request, on time-out, on a lost port, and around a change of the board's speed.
//
// The state lives here rather than in the settings window, so that it survives
// closing that window and other tools (the firmware update) can reconnect.
class ConnectionController : public QObject {
    Q_OBJECT
public:
    enum class State { Idle, Probing, Connected, ChangingRate };
    Q_ENUM(State)

    // The main window's timers: the connect time-out (Timer1), the receive poll
    // (Timer2) and the 50 ms handshake step (Timer4).
    struct Timers {
        QTimer& timeout;
        QTimer& poll;
        QTimer& step;
    };

    ConnectionController(Workbench& workbench, Timers timers, QObject* parent = nullptr);

    State state() const { return m_state; }
    // The port and settings of the current or the last connection attempt.
    QString portName() const { return m_portName; }
    QString settings() const { return m_settings; }

    // Opens the port and starts the identification handshake. Returns false when it
    // ended in the error path (the user has been told).
    bool connectTo(const QString& portName, const QString& settings);
    // Connects again to the last port at its last settings.
    bool reconnect() { return connectTo(m_portName, m_settings); }
    void disconnect();
    // Tells the board its new speed (the rate's index), closes the port and, after
    // the board had 2.8 s to switch, connects again at that speed.
    void changeBoardRate(int rateIndex);

    // The main window's timer ticks.
    void connectTimedOut();
    void handshakeStep();
    void poll();

Q_SIGNALS:
    void stateChanged(ConnectionController::State state);
    // A connect or disconnect failed; the error message follows at once.
    void failed();
    void rateChangeStarted(int rateIndex);
    void rateChangeFinished();

private:
    void setState(State state);
    void failWith(const PortError& error);
    void showCritical(const QString& text);
    void onPortLost(const PortError& error);
    void finishRateChange();

    Workbench& m_workbench;
    Timers m_timers;
    State m_state = State::Idle;
    QString m_portName;
    QString m_settings;
};
