#pragma once

#include "engine/boardanswers.h"
#include "engine/seriallink.h"

#include <QObject>
#include <QString>

class Clock;
class ClockTimer;
class MSserial;
class Session;

// Connecting to the board, watching the connection and leaving it: opens the port,
// sends the identification and waits in 50 ms steps for the board's identification
// (in everything it sent since, however the reads cut it) until the 1.5 s time-out; polls the
// board's answers while connected; closes on request, on time-out, on a lost port, and around a
// change of the board's speed.
//
// It owns the three timers of the connection, named as the main window knows them:
// Timer1 (the connect time-out), Timer2 (the receive poll) and Timer4 (the 50 ms
// handshake step), all running on the program's clock. The status text it keeps is the connection
// state the user reads.
class ConnectionController : public QObject {
    Q_OBJECT
public:
    enum class State { Idle, Probing, Connected, ChangingRate };
    Q_ENUM(State)

    static constexpr int ConnectTimeoutMs = 1500;
    static constexpr int ReceivePollMs = 250;
    static constexpr int HandshakeStepMs = 50;

    ConnectionController(MSserial& port, Session& session, Clock& clock, QObject* parent = nullptr);

    State state() const { return m_state; }
    // The port and settings of the current or the last connection attempt.
    QString portName() const { return m_portName; }
    QString settings() const { return m_settings; }

    // The connection state as the user reads it ("Connected: COM3 115200,N,8,1").
    QString statusText() const { return m_statusText; }
    // For what goes on around the connection, such as a firmware update ("Updating ").
    void setStatusText(const QString& text);

    // Opens the port and starts the identification handshake. Returns false when
    // opening or the identification's write failed (failed() tells why).
    bool connectTo(const QString& portName, const QString& settings);
    // Connects again to the last port at its last settings.
    bool reconnect() { return connectTo(m_portName, m_settings); }
    void disconnect();
    // Tells the board its new speed (the rate's index), closes the port and, after
    // the board had 2.8 s to switch, connects again at that speed.
    void changeBoardRate(int rateIndex);

    // What the board sent in answer to the identification, up to the connection.
    const BoardAnswers::IdentificationReader& identification() const { return m_identification; }

    // The receive poll's interval: shorter while an upload awaits the board's answers.
    int pollInterval() const;
    void setPollInterval(int intervalMs);

Q_SIGNALS:
    void stateChanged(ConnectionController::State state);
    void statusTextChanged(const QString& text);
    // The board did not answer the identification in time; the port is closed again.
    void timedOut();
    // Opening the port or writing the identification failed.
    void failed(const PortError& error);
    // The port went away while connected or connecting; it is closed.
    void lost(const QString& portName, const PortError& error);
    void rateChangeStarted(int rateIndex);
    void rateChangeFinished();
    // The receive poll has replaced the board's latest answer.
    void polled();
    // A receive poll brought something: the board's answer, already read.
    void answered(const BoardAnswers::Answer& answer);

private:
    // The connect time-out, the receive poll and the handshake step.
    void Timer1_Timer();
    void Timer2_Timer();
    void Timer4_Timer();
    void setState(State state);
    void onPortLost(const PortError& error);
    void finishRateChange();
    void stopTimers();

    MSserial& m_port;
    Session& m_session;
    Clock& m_clock;
    ClockTimer* m_timer1;
    ClockTimer* m_timer2;
    ClockTimer* m_timer4;
    BoardAnswers::IdentificationReader m_identification;
    State m_state = State::Idle;
    QString m_portName;
    QString m_settings;
    QString m_statusText;
};
