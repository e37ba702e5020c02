#include "serial/connectioncontroller.h"

#include "engine/clock.h"
#include "app/session.h"
#include "app/userdialogs.h"
#include "app/workbench.h"
#include "engine/commands.h"
#include "engine/linesettings.h"
#include "engine/msserial.h"
#include "serial/connectionmessages.h"

#include <QTimer>

namespace {
// The board needs this long after the baud-rate command before it listens again;
// the pause must last more than 2.8 s.
constexpr int BoardRateSwitchMs = 2801;
constexpr int LineDrainMs = 50;
const QString IdentifyAnswer = QStringLiteral("100");

QString errorDetails(const PortError& error) {
    return ConnectionController::tr("Error code: ") + QString::number(error.code) +
           QLatin1Char('\n') + ConnectionController::tr("Description: ") + error.description;
}
} // namespace

ConnectionController::ConnectionController(Workbench& workbench, Timers timers, QObject* parent)
    : QObject(parent)
    , m_workbench(workbench)
    , m_timers(timers)
    , m_settings(workbench.port().settings()) {
    connect(&workbench.port(), &MSserial::portLost, this, &ConnectionController::onPortLost);
}

bool ConnectionController::connectTo(const QString& portName, const QString& settings) {
    MSserial& port = m_workbench.port();
    m_portName = portName;
    m_settings = settings;
    port.setCommPort(portName);
    if (!port.portOpen()) {
        port.setSettings(settings);
        if (!port.open()) {
            failWith(port.lastError());
            return false;
        }
    }
    m_workbench.setStatusText(tr("Connecting"));
    m_timers.timeout.start();
    setState(State::Probing);
    if (!port.output(Commands::identifyController())) {
        // The time-out that is running now ends the attempt.
        failWith(port.lastError());
        return false;
    }
    // The first read comes only after one 50 ms step.
    m_timers.step.start();
    return true;
}

void ConnectionController::disconnect() {
    // Also ends a probe still running, so its time-out cannot report on a closed port.
    m_timers.timeout.stop();
    m_timers.step.stop();
    m_timers.poll.stop();
    m_workbench.port().close();
    setState(State::Idle);
    m_workbench.setStatusText(tr("Controller Disconnected "));
}

void ConnectionController::changeBoardRate(int rateIndex) {
    MSserial& port = m_workbench.port();
    if (!port.portOpen() || LineSettings::forIndex(rateIndex).isEmpty())
        return;
    port.output(Commands::setControllerBaudRate(quint8(rateIndex)));
    m_timers.timeout.stop();
    m_timers.step.stop();
    m_timers.poll.stop();
    m_settings = LineSettings::forIndex(rateIndex);
    setState(State::ChangingRate);
    Q_EMIT rateChangeStarted(rateIndex);
    m_workbench.setStatusText(tr("Connecting "));
    // Closing puts the port's earlier line settings back at once: the command gets a
    // moment to leave at the speed the board listens at.
    m_workbench.clock().callAfter(LineDrainMs, this, [this] {
        if (m_state != State::ChangingRate)
            return;
        m_workbench.port().close();
        m_workbench.clock().callAfter(BoardRateSwitchMs, this, [this] { finishRateChange(); });
    });
}

void ConnectionController::finishRateChange() {
    if (m_state != State::ChangingRate)
        return;
    setState(State::Idle);
    connectTo(m_portName, m_settings);
    Q_EMIT rateChangeFinished();
}

void ConnectionController::connectTimedOut() {
    m_timers.timeout.stop();
    m_timers.poll.stop();
    m_workbench.port().close();
    setState(State::Idle);
    m_workbench.setStatusText(tr("Controller Disconnected"));
    m_workbench.dialogs().message(m_workbench.mainWindow(), tr("Demo mode"),
                                  tr("Controller not found"), UserDialogs::Icon::Information);
}

void ConnectionController::handshakeStep() {
    MSserial& port = m_workbench.port();
    if (m_state != State::Probing || !port.portOpen())
        return;
    Session& session = m_workbench.session();
    session.setControllerResponse(QString::fromLatin1(port.input()));
    if (!session.controllerResponse().contains(IdentifyAnswer) || !m_timers.timeout.isActive()) {
        m_timers.step.start();
        return;
    }
    m_timers.timeout.stop();
    setState(State::Connected);
    m_workbench.setStatusText(tr("Connected: ") + port.commPort() + QLatin1Char(' ') +
                              port.settings());
    m_timers.poll.start();
}

void ConnectionController::poll() {
    MSserial& port = m_workbench.port();
    if (!port.portOpen())
        return;
    Session& session = m_workbench.session();
    session.setControllerResponse(QString::fromLatin1(port.input()));
    session.notifyPolled();
}

void ConnectionController::setState(State state) {
    if (m_state == state)
        return;
    m_state = state;
    Q_EMIT stateChanged(state);
}

void ConnectionController::failWith(const PortError& error) {
    Q_EMIT failed();
    showCritical(tr("Can't open the selected COM Port.") + QLatin1Char('\n') + errorDetails(error));
}

void ConnectionController::onPortLost(const PortError& error) {
    if (m_state != State::Probing && m_state != State::Connected)
        return;
    m_timers.timeout.stop();
    m_timers.step.stop();
    m_timers.poll.stop();
    setState(State::Idle);
    m_workbench.setStatusText(tr("Controller Disconnected"));
    showCritical(ConnectionMessages::lostPort(m_portName, error));
}

void ConnectionController::showCritical(const QString& text) {
    m_workbench.dialogs().message(m_workbench.mainWindow(), tr("Critical Error"), text,
                                  UserDialogs::Icon::Critical);
}
