#include "engine/qtseriallink.h"

#include <QDeadlineTimer>

namespace {
// A device that is gone keeps failing every read at once; a single failed read is
// not yet a loss.
constexpr int FailedReadsForLoss = 3;
} // namespace

QtSerialLink::QtSerialLink(const QString& portName, QObject* parent)
    : SerialLink(parent)
    , m_port(new QSerialPort(portName, this)) {
    m_port->setObjectName(QStringLiteral("QSerialPort"));
    connect(m_port, &QSerialPort::errorOccurred, this, &QtSerialLink::onError);
    connect(m_port, &QSerialPort::readyRead, this, [this] {
        m_failedReads = 0;
        Q_EMIT readyRead();
    });
}

bool QtSerialLink::open(int baudRate) {
    // Line settings before opening, so the device is raw at the right speed from
    // the start; QSerialPort leaves DTR/RTS alone unless asked.
    m_port->setBaudRate(baudRate);
    m_port->setDataBits(QSerialPort::Data8);
    m_port->setParity(QSerialPort::NoParity);
    m_port->setStopBits(QSerialPort::OneStop);
    m_port->setFlowControl(QSerialPort::NoFlowControl);
    m_failedReads = 0;
    return m_port->open(QIODevice::ReadWrite);
}

void QtSerialLink::close() {
    if (!m_port->isOpen())
        return;
    // Writes wait in QSerialPort until the event loop runs; what was written just before
    // the close must still reach the line.
    constexpr int DrainLimitMs = 1000;
    const QDeadlineTimer deadline(DrainLimitMs);
    while (m_port->isOpen() && m_port->bytesToWrite() > 0 &&
           m_port->waitForBytesWritten(int(deadline.remainingTime()))) {
    }
    if (m_port->isOpen())
        m_port->close();
}

bool QtSerialLink::isOpen() const {
    return m_port->isOpen();
}

bool QtSerialLink::write(QByteArrayView bytes) {
    return m_port->write(bytes.data(), bytes.size()) == bytes.size();
}

QByteArray QtSerialLink::readAll() {
    return m_port->readAll();
}

PortError QtSerialLink::error() const {
    return {int(m_port->error()), m_port->errorString()};
}

void QtSerialLink::onError(QSerialPort::SerialPortError error) {
    // The device is gone (unplugged, or the far end of a pseudo-terminal closed): a
    // resource error, or reads that fail as fast as they are tried. The port cannot be
    // used any more, and left open it would keep the event loop spinning.
    const bool gone = error == QSerialPort::ResourceError ||
                      (error == QSerialPort::ReadError && ++m_failedReads >= FailedReadsForLoss);
    if (gone && m_port->isOpen()) {
        const PortError what{int(error), m_port->errorString()};
        m_port->close();
        Q_EMIT lost(what);
    }
}
