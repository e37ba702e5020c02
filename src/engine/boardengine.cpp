#include "engine/boardengine.h"

#include "engine/clock.h"
#include "engine/connectioncontroller.h"
#include "engine/conversation.h"
#include "engine/linesettings.h"
#include "engine/msserial.h"
#include "engine/portcatalog.h"
#include "engine/session.h"

BoardEngine::BoardEngine(std::shared_ptr<Clock> clock, std::shared_ptr<PortCatalog> ports,
                         QObject* parent)
    : QObject(parent)
    , m_clock(std::move(clock))
    , m_ports(std::move(ports))
    , m_session(new Session(this))
    , m_port(new MSserial(*m_ports, this)) {
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
    recordConversation();
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
