#include "engine/boardengine.h"

#include "engine/clock.h"
#include "engine/commands.h"
#include "engine/connectioncontroller.h"
#include "engine/conversation.h"
#include "engine/linesettings.h"
#include "engine/msserial.h"
#include "engine/portcatalog.h"
#include "engine/session.h"

#include <algorithm>
#include <cmath>

BoardEngine::BoardEngine(std::shared_ptr<Clock> clock, std::shared_ptr<PortCatalog> ports,
                         QObject* parent)
    : QObject(parent)
    , m_clock(std::move(clock))
    , m_ports(std::move(ports))
    , m_session(new Session(this))
    , m_port(new MSserial(*m_ports, *m_clock, this)) {
    setObjectName(QStringLiteral("BoardEngine"));
    m_session->setObjectName(QStringLiteral("Session"));
    m_port->setObjectName(QStringLiteral("MSserial"));
    m_connection = new ConnectionController(*m_port, *m_session, *m_clock, this);
    m_connection->setObjectName(QStringLiteral("Connection"));
    m_uploader = new Uploader(*m_port, *m_session, *m_connection, *m_clock, this);
    m_uploader->setObjectName(QStringLiteral("Uploader"));
    connect(m_uploader, &Uploader::ended, this, [this] {
        if (std::exchange(m_disconnectAfterUpload, false) && m_port->portOpen())
            m_connection->disconnect();
    });
    connect(m_connection, &ConnectionController::answered, this, &BoardEngine::answered);
    recordConversation();
    connect(m_port, &MSserial::traffic, this, &BoardEngine::followLine);
    relaySignals();
}

// After the engine's own followers: views hear of each event once the engine has.
void BoardEngine::relaySignals() {
    connect(m_port, &MSserial::portOpenChanged, this, &BoardEngine::portOpenChanged);
    connect(m_port, &MSserial::traffic, this, &BoardEngine::lineTraffic);

    connect(m_connection, &ConnectionController::stateChanged, this,
            &BoardEngine::connectionStateChanged);
    connect(m_connection, &ConnectionController::statusTextChanged, this,
            &BoardEngine::statusTextChanged);
    connect(m_connection, &ConnectionController::timedOut, this, &BoardEngine::connectTimedOut);
    connect(m_connection, &ConnectionController::failed, this, &BoardEngine::connectFailed);
    connect(m_connection, &ConnectionController::lost, this, &BoardEngine::portLost);
    connect(m_connection, &ConnectionController::rateChangeStarted, this,
            &BoardEngine::rateChangeStarted);
    connect(m_connection, &ConnectionController::rateChangeFinished, this,
            &BoardEngine::rateChangeFinished);

    connect(m_uploader, &Uploader::busyChanged, this, &BoardEngine::uploadBusyChanged);
    connect(m_uploader, &Uploader::started, this, &BoardEngine::uploadStarted);
    connect(m_uploader, &Uploader::refused, this, &BoardEngine::uploadRefused);
    connect(m_uploader, &Uploader::blockSent, this, &BoardEngine::uploadBlockSent);
    connect(m_uploader, &Uploader::progressValueChanged, this, &BoardEngine::uploadProgressValue);
    connect(m_uploader, &Uploader::progress, this, &BoardEngine::uploadProgress);
    connect(m_uploader, &Uploader::finishing, this, &BoardEngine::uploadFinishing);
    connect(m_uploader, &Uploader::finished, this, &BoardEngine::uploadFinished);
    connect(m_uploader, &Uploader::ended, this, &BoardEngine::uploadEnded);
}

void BoardEngine::recordConversation() {
    m_conversation =
        new Conversation([port = m_port] { return port->microsecondsOpen(); },
                         Conversation::DefaultCapacity, Conversation::DefaultByteBudget, this);
    m_conversation->setObjectName(QStringLiteral("Conversation"));
    connect(m_port, &MSserial::traffic, m_conversation, &Conversation::record);
    connect(m_port, &MSserial::portOpenChanged, m_conversation, [this](bool open) {
        m_conversation->lineChanged(
            open ? tr("Port %1 opened at %2").arg(m_port->commPort(), m_port->settings())
                 : tr("Port %1 closed").arg(m_port->commPort()));
    });
    connect(m_session, &Session::touchModeChanged, m_conversation, [this](Session::TouchMode mode) {
        m_conversation->setKeypadMode(mode == Session::TouchMode::Keypad);
    });
    connect(m_uploader, &Uploader::started, m_conversation,
            [this](const QString& name) { m_conversation->beginUpload(name); });
    connect(m_uploader, &Uploader::finished, m_conversation, [this](const UploadOutcome& outcome) {
        m_conversation->endUpload(outcome,
                                  LineSettings::baudRateOf(m_port->settings()).value_or(0));
    });
}

BoardEngine::~BoardEngine() = default;

bool BoardEngine::portOpen() const {
    return m_port->portOpen();
}

QString BoardEngine::portName() const {
    return m_port->commPort();
}

QString BoardEngine::lineSettings() const {
    return m_port->settings();
}

PortError BoardEngine::portError() const {
    return m_port->lastError();
}

ConnectionController::State BoardEngine::connectionState() const {
    return m_connection->state();
}

QString BoardEngine::statusText() const {
    return m_connection->statusText();
}

void BoardEngine::setStatusText(const QString& text) {
    m_connection->setStatusText(text);
}

QByteArray BoardEngine::identification() const {
    return m_connection->identification().text();
}

bool BoardEngine::connectTo(const QString& portName, const QString& settings) {
    return m_connection->connectTo(portName, settings);
}

bool BoardEngine::reconnect() {
    return m_connection->reconnect();
}

void BoardEngine::changeBoardRate(int rateIndex) {
    m_connection->changeBoardRate(rateIndex);
}

Uploader::Start BoardEngine::startUpload(UploadPlan plan, QObject* owner) {
    return m_uploader->start(std::move(plan), owner);
}

void BoardEngine::stopUpload(UploadOutcome::Cause cause) {
    m_uploader->stop(cause);
}

bool BoardEngine::uploadBusy() const {
    return m_uploader->isBusy();
}

QString BoardEngine::runningUpload() const {
    return m_uploader->runningName();
}

Pacing BoardEngine::pacing() const {
    return m_uploader->pacing();
}

void BoardEngine::setPacing(Pacing pacing) {
    m_uploader->setPacing(pacing);
}

void BoardEngine::setAnswerLimit(int limitMs) {
    m_uploader->setAnswerLimit(limitMs);
}

bool BoardEngine::readyForCommand() {
    if (!m_port->portOpen())
        return false;
    if (!m_uploader->isBusy())
        return true;
    Q_EMIT commandHeldBack(m_uploader->runningDescription());
    return false;
}

bool BoardEngine::send(const WriteList& writes) {
    return readyForCommand() && m_port->output(writes);
}

void BoardEngine::disconnect() {
    if (!m_uploader->isBusy()) {
        m_connection->disconnect();
        return;
    }
    m_disconnectAfterUpload = true;
    m_uploader->stop(UploadOutcome::Cause::Disconnected);
}

void BoardEngine::followLine(const LineTraffic& traffic) {
    const auto now = double(m_clock->elapsedMs());
    if (traffic.direction == LineTraffic::Direction::FromBoard) {
        // The board answers a block (or the identification) once all of it has arrived;
        // a touch or keypad report tells nothing of what is still on its way.
        const Session::TouchMode mode = m_session->touchMode();
        if (mode != Session::TouchMode::Coordinates && mode != Session::TouchMode::Keypad) {
            m_lineFreeAtMs = std::min(m_lineFreeAtMs, now);
            m_boardHasAll = true;
        }
        return;
    }
    m_boardHasAll = false;
    m_lineFreeAtMs = std::max(m_lineFreeAtMs, now) +
                     LineSettings::lineMs(traffic.bytes.size(),
                                          LineSettings::baudRateOf(m_port->settings()).value_or(0));
}

int BoardEngine::drainMs() const {
    if (!m_port->portOpen() || m_boardHasAll)
        return 0;
    const double lineBusyMs = m_lineFreeAtMs - double(m_clock->elapsedMs());
    return MSserial::LineDrainMs + int(std::ceil(std::max(0.0, lineBusyMs)));
}

void BoardEngine::leave(std::function<void()> left) {
    const int waitMs = drainMs();
    if (waitMs == 0) {
        disconnect();
        left();
        return;
    }
    m_clock->callAfter(waitMs, this, [this, left = std::move(left)] {
        disconnect();
        left();
    });
}

BoardAnswers::Answer BoardEngine::latestAnswer() const {
    return BoardAnswers::read(m_session->controllerResponse().toLatin1(),
                              m_session->touchMode() == Session::TouchMode::Keypad);
}

bool BoardEngine::switchTouchMode(Session::TouchMode mode) {
    WriteList command;
    switch (mode) {
    case Session::TouchMode::Coordinates:
        command = Commands::touchCoordinatesOn();
        break;
    case Session::TouchMode::Keypad:
        command = Commands::touchKeypadOn();
        break;
    case Session::TouchMode::Off:
        command = Commands::touchOff();
        break;
    case Session::TouchMode::Unset:
        return false;
    }
    if (!send(command))
        return false;
    m_session->setTouchMode(mode);
    Q_EMIT touchModeSwitched(mode);
    return true;
}

int BoardEngine::touchPauseMs(const WriteList& command) {
    const auto opcodeOf = [](const WriteList& writes) { return writes.bytes().first(2); };
    if (command.bytes().size() < 2)
        return 0;
    const QByteArray opcode = opcodeOf(command);
    if (opcode == opcodeOf(Commands::setBacklight(false)))
        return BacklightPauseMs;
    if (opcode == opcodeOf(Commands::setBeepOnTouch(false)))
        return BeepOnTouchPauseMs;
    return 0;
}

bool BoardEngine::sendInTouchPause(const WriteList& command, std::function<void(bool)> done) {
    const int pauseMs = touchPauseMs(command);
    // One pause at a time: a second one would take "off" as the mode to restore.
    if (pauseMs == 0 || m_touchPauseRunning || !readyForCommand())
        return false;
    const Session::TouchMode savedMode = m_session->touchMode();
    if (!switchTouchMode(Session::TouchMode::Off))
        return false;
    m_touchPauseRunning = true;
    Q_EMIT touchPauseChanged(true);
    m_clock->callAfter(pauseMs, this, [this, savedMode, command, done = std::move(done)] {
        m_touchPauseRunning = false;
        Q_EMIT touchPauseChanged(false);
        // A port closed (or an upload started) during the pause takes nothing more.
        const bool sent = send(command);
        if (sent && (savedMode == Session::TouchMode::Coordinates ||
                     savedMode == Session::TouchMode::Keypad))
            switchTouchMode(savedMode);
        if (done)
            done(sent);
    });
    return true;
}

bool BoardEngine::switchBacklight(bool on) {
    return sendInTouchPause(Commands::setBacklight(on), [this, on](bool sent) {
        if (sent)
            m_session->setBacklightOn(on);
    });
}
