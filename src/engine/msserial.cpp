#include "engine/msserial.h"

#include "engine/linesettings.h"

#include <QSerialPort>

MSserial::MSserial(const PortCatalog& catalog, QObject* parent)
    : QObject(parent)
    , m_catalog(catalog)
    , m_settings(LineSettings::forIndex(6)) {
    qRegisterMetaType<PortError>();
}

MSserial::~MSserial() = default;

void MSserial::setCommPort(const QString& name) {
    m_commPort = name;
}

bool MSserial::setSettings(const QString& settings) {
    if (!LineSettings::baudRateOf(settings))
        return false;
    m_settings = settings;
    return true;
}

bool MSserial::portOpen() const {
    return m_link && m_link->isOpen();
}

bool MSserial::open() {
    if (portOpen())
        return true;
    m_link = m_catalog.createLink(m_commPort);
    if (!m_link) {
        m_lastError = {int(QSerialPort::DeviceNotFoundError),
                       tr("There is no port named \"%1\".").arg(m_commPort)};
        return false;
    }
    if (!m_link->open(*LineSettings::baudRateOf(m_settings))) {
        m_lastError = m_link->error();
        m_link.reset();
        return false;
    }
    connect(m_link.get(), &SerialLink::lost, this, &MSserial::onLinkLost);
    connect(m_link.get(), &SerialLink::readyRead, this, &MSserial::readyRead);
    m_lastError = {};
    Q_EMIT portOpenChanged(true);
    return true;
}

void MSserial::close() {
    if (!m_link)
        return;
    const bool wasOpen = m_link->isOpen();
    m_link->close();
    m_link.reset();
    if (wasOpen)
        Q_EMIT portOpenChanged(false);
}

bool MSserial::output(QByteArrayView write) {
    if (!portOpen())
        return false;
    if (!m_link->write(write)) {
        m_lastError = m_link->error();
        return false;
    }
    return true;
}

bool MSserial::output(const WriteList& writes) {
    for (qsizetype i = 0; i < writes.count(); ++i) {
        if (!output(writes.at(i)))
            return false;
    }
    return true;
}

QByteArray MSserial::input() {
    return portOpen() ? m_link->readAll() : QByteArray();
}

void MSserial::onLinkLost(const PortError& error) {
    m_lastError = error;
    // The link may be the sender; let it finish its signal before it goes.
    m_link.release()->deleteLater();
    Q_EMIT portLost(error);
    Q_EMIT portOpenChanged(false);
}
