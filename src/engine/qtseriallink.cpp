#include "engine/qtseriallink.h"

#include <QDeadlineTimer>

QtSerialLink::QtSerialLink(const QString& portName, QObject* parent)
    : SerialLink(parent) {
    m_port.setPortName(portName);
    connect(&m_port, &QSerialPort::errorOccurred, this, &QtSerialLink::onError);
}

bool QtSerialLink::open(int baudRate) {
    // Line settings before opening, so the device is raw at the right speed from
    // the start; QSerialPort leaves DTR/RTS alone unless asked.
    m_port.setBaudRate(baudRate);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    return m_port.open(QIODevice::ReadWrite);
}

void QtSerialLink::close() {
    if (!m_port.isOpen())
        return;
    // Writes wait in QSerialPort until the event loop runs; what was written just before
    // the close must still reach the line.
    constexpr int DrainLimitMs = 1000;
    const QDeadlineTimer deadline(DrainLimitMs);
    while (m_port.isOpen() && m_port.bytesToWrite() > 0 &&
           m_port.waitForBytesWritten(int(deadline.remainingTime()))) {
    }
    if (m_port.isOpen())
        m_port.close();
}

bool QtSerialLink::isOpen() const {
    return m_port.isOpen();
}

bool QtSerialLink::write(QByteArrayView bytes) {
    return m_port.write(bytes.data(), bytes.size()) == bytes.size();
}

QByteArray QtSerialLink::readAll() {
    return m_port.readAll();
}

PortError QtSerialLink::error() const {
    return {int(m_port.error()), m_port.errorString()};
}

void QtSerialLink::onError(QSerialPort::SerialPortError error) {
    // The device is gone: a resource error, or a read that finds the line ended (a
    // pseudo-terminal whose far side closed). Either way the port cannot be used any
    // more, and left open it would be reported unreadable over and over.
    const bool gone = error == QSerialPort::ResourceError || error == QSerialPort::ReadError;
    if (gone && m_port.isOpen()) {
        const PortError what{int(error), m_port.errorString()};
        m_port.close();
        Q_EMIT lost(what);
    }
}
