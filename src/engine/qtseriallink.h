#pragma once

#include "engine/seriallink.h"

#include <QSerialPort>

// A real serial port (or any device QSerialPort can open, such as a pseudo-terminal).
class QtSerialLink : public SerialLink {
    Q_OBJECT
public:
    explicit QtSerialLink(const QString& portName, QObject* parent = nullptr);

    bool open(int baudRate) override;
    void close() override;
    bool isOpen() const override;
    bool write(QByteArrayView bytes) override;
    QByteArray readAll() override;
    PortError error() const override;

private:
    void onError(QSerialPort::SerialPortError error);

    QSerialPort* m_port;
    // Reads that failed since the last one that brought bytes.
    int m_failedReads = 0;
};
