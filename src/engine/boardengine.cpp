#include "engine/boardengine.h"

#include "engine/clock.h"
#include "engine/connectioncontroller.h"
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
