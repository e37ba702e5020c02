#include "engine/connectioncontroller.h"

#include "engine/clock.h"
#include "engine/commands.h"
#include "engine/linesettings.h"
#include "engine/msserial.h"
#include "engine/portsystem.h"
#include "engine/session.h"

namespace {
// The board needs this long after the baud-rate command before it listens again;
// the pause must last more than 2.8 s.
constexpr int BoardRateSwitchMs = 2801;
} // namespace

ConnectionController::ConnectionController(MSserial& port, Session& session, Clock& clock,
                                           QObject* parent)
    : QObject(parent)
    , m_port(port)
    , m_session(session)
    , m_clock(clock)
    , m_timer1(new ClockTimer(clock, QStringLiteral("Timer1"), ConnectTimeoutMs, true, this))
    , m_timer2(new ClockTimer(clock, QStringLiteral("Timer2"), ReceivePollMs, false, this))
    , m_timer4(new ClockTimer(clock, QStringLiteral("Timer4"), HandshakeStepMs, true, this))
    , m_settings(port.settings())
    , m_statusText(tr("Controller Disconnected")) {
    connect(m_timer1, &ClockTimer::timeout, this, &ConnectionController::Timer1_Timer);
    connect(m_timer2, &ClockTimer::timeout, this, &ConnectionController::Timer2_Timer);
    connect(m_timer4, &ClockTimer::timeout, this, &ConnectionController::Timer4_Timer);
    connect(&port, &MSserial::portLost, this, &ConnectionController::onPortLost);
    // The handshake step runs once at start and stops itself.
    m_timer4->start();
}

int ConnectionController::pollInterval() const {
    return m_timer2->interval();
}

void ConnectionController::setPollInterval(int intervalMs) {
    if (m_timer2->interval() != intervalMs)
        m_timer2->setInterval(intervalMs);
}

void ConnectionController::setStatusText(const QString& text) {
    if (m_statusText == text)
        return;
    m_statusText = text;
    Q_EMIT statusTextChanged(text);
}

bool ConnectionController::connectTo(const QString& portName, const QString& settings) {
    m_portName = portName;
    m_settings = settings;
    m_port.setCommPort(portName);
    if (!m_port.portOpen()) {
        m_port.setSettings(settings);
        if (!m_port.open()) {
            PortError error = m_port.lastError();
            error.advice = PortSystem::local()->openFailureAdvice(portName);
            Q_EMIT failed(error);
            return false;
        }
    }
    setStatusText(tr("Connecting"));
    m_identification.restart();
    m_timer1->start();
    setState(State::Probing);
    if (!m_port.output(Commands::identifyController())) {
        // The time-out that is running now ends the attempt.
        Q_EMIT failed(m_port.lastError());
        return false;
    }
    // The first read comes only after one 50 ms step.
    m_timer4->start();
    return true;
}

void ConnectionController::stopTimers() {
    m_timer1->stop();
    m_timer4->stop();
    m_timer2->stop();
}

void ConnectionController::disconnect() {
    // Also ends a probe still running, so its time-out cannot report on a closed port.
    stopTimers();
    m_port.close();
    setState(State::Idle);
    setStatusText(tr("Controller Disconnected "));
}

void ConnectionController::changeBoardRate(int rateIndex) {
    if (!m_port.portOpen() || LineSettings::forIndex(rateIndex).isEmpty())
        return;
    m_port.output(Commands::setControllerBaudRate(quint8(rateIndex)));
    stopTimers();
    m_settings = LineSettings::forIndex(rateIndex);
    setState(State::ChangingRate);
    Q_EMIT rateChangeStarted(rateIndex);
    setStatusText(tr("Connecting "));
    // Closing puts the port's earlier line settings back at once: the command gets a
    // moment to leave at the speed the board listens at.
    m_clock.callAfter(MSserial::LineDrainMs, this, [this] {
        if (m_state != State::ChangingRate)
            return;
        m_port.close();
        m_clock.callAfter(BoardRateSwitchMs, this, [this] { finishRateChange(); });
    });
}

void ConnectionController::finishRateChange() {
    if (m_state != State::ChangingRate)
        return;
    setState(State::Idle);
    connectTo(m_portName, m_settings);
    Q_EMIT rateChangeFinished();
}

void ConnectionController::Timer1_Timer() {
    m_timer1->stop();
    m_timer2->stop();
    m_port.close();
    setState(State::Idle);
    setStatusText(tr("Controller Disconnected"));
    Q_EMIT timedOut();
}

void ConnectionController::Timer4_Timer() {
    m_timer4->stop();
    if (m_state != State::Probing || !m_port.portOpen())
        return;
    const QByteArray chunk = m_port.input();
    m_session.setControllerResponse(QString::fromLatin1(chunk));
    // The board's answer may come in pieces, each in a read of its own.
    if (!m_identification.take(chunk) || !m_timer1->isActive()) {
        m_timer4->start();
        return;
    }
    m_timer1->stop();
    setState(State::Connected);
    setStatusText(tr("Connected: ") + m_port.commPort() + QLatin1Char(' ') + m_port.settings());
    m_timer2->start();
}

void ConnectionController::Timer2_Timer() {
    if (!m_port.portOpen())
        return;
    const QByteArray chunk = m_port.input();
    m_session.setControllerResponse(QString::fromLatin1(chunk));
    Q_EMIT polled();
    if (!chunk.isEmpty())
        Q_EMIT answered(
            BoardAnswers::read(chunk, m_session.touchMode() == Session::TouchMode::Keypad));
}

void ConnectionController::setState(State state) {
    if (m_state == state)
        return;
    m_state = state;
    Q_EMIT stateChanged(state);
}

void ConnectionController::onPortLost(const PortError& error) {
    if (m_state != State::Probing && m_state != State::Connected)
        return;
    stopTimers();
    setState(State::Idle);
    setStatusText(tr("Controller Disconnected"));
    Q_EMIT lost(m_portName, error);
}
