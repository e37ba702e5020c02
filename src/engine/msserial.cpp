#include "engine/msserial.h"

#include "engine/clock.h"
#include "engine/linesettings.h"

#include <QMetaMethod>
#include <QSerialPort>

MSserial::MSserial(const PortCatalog& catalog, const Clock& clock, QObject* parent)
    : QObject(parent)
    , m_catalog(catalog)
    , m_clock(clock)
    , m_settings(LineSettings::forIndex(6)) {
    qRegisterMetaType<PortError>();
    qRegisterMetaType<LineTraffic>();
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
    // A child, so that tools and tests find the port's link (it still goes with close()).
    m_link->setParent(this);
    connect(m_link.get(), &SerialLink::lost, this, &MSserial::onLinkLost);
    connect(m_link.get(), &SerialLink::readyRead, this, &MSserial::onLinkReadyRead);
    m_lastError = {};
    m_arrivedAt.reset();
    m_openedAtUs = m_clock.elapsedUs();
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

bool MSserial::write(QByteArrayView bytes) {
    if (!portOpen())
        return false;
    if (!m_link->write(bytes)) {
        m_lastError = m_link->error();
        return false;
    }
    return true;
}

bool MSserial::output(QByteArrayView write) {
    if (!this->write(write))
        return false;
    if (observed())
        recordWrites(write.toByteArray(), 1);
    return true;
}

bool MSserial::output(const WriteList& writes) {
    qsizetype written = 0;
    while (written < writes.count() && write(writes.at(written)))
        ++written;
    // What went out is recorded, also when a write failed on the way.
    if (written > 0 && observed())
        recordWrites(written == writes.count() ? writes.bytes() : writes.mid(0, written).bytes(),
                     int(written));
    return written == writes.count();
}

QByteArray MSserial::input() {
    if (!portOpen())
        return {};
    const QByteArray bytes = m_link->readAll();
    const std::optional<qint64> arrived = std::exchange(m_arrivedAt, std::nullopt);
    if (!bytes.isEmpty() && observed())
        Q_EMIT traffic(
            {arrived.value_or(microsecondsOpen()), LineTraffic::Direction::FromBoard, bytes, 0});
    return bytes;
}

bool MSserial::observed() const {
    static const QMetaMethod traffic = QMetaMethod::fromSignal(&MSserial::traffic);
    return isSignalConnected(traffic);
}

qint64 MSserial::microsecondsOpen() const {
    return m_openedAtUs ? m_clock.elapsedUs() - *m_openedAtUs : 0;
}

void MSserial::recordWrites(const QByteArray& bytes, int writes) {
    Q_EMIT traffic({microsecondsOpen(), LineTraffic::Direction::ToBoard, bytes, writes});
}

void MSserial::onLinkReadyRead() {
    // The bytes are stamped with the moment they arrived, not with the moment a
    // receive poll read them.
    if (!m_arrivedAt)
        m_arrivedAt = microsecondsOpen();
    Q_EMIT readyRead();
}

void MSserial::onLinkLost(const PortError& error) {
    m_lastError = error;
    // The link may be the sender; let it finish its signal before it goes.
    m_link.release()->deleteLater();
    Q_EMIT portLost(error);
    Q_EMIT portOpenChanged(false);
}
