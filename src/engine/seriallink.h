#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QMetaType>
#include <QObject>
#include <QString>

// What went wrong on a port: the serial port error number and its text.
struct PortError {
    PortError() = default;
    PortError(int errorCode, QString text, QString whatToDo = {})
        : code(errorCode)
        , description(std::move(text))
        , advice(std::move(whatToDo)) {}

    int code = 0;
    QString description;
    // What it means and what to do, where the port doctor can tell; else empty.
    QString advice;
};
Q_DECLARE_METATYPE(PortError)

// One end of a serial line: a real port, the board simulator, or a test's recorder.
// The port object works through this interface and never knows which one it has.
class SerialLink : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Opens the line at the given speed (8 data bits, no parity, 1 stop bit).
    // On failure error() tells why.
    virtual bool open(int baudRate) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // One write, as it should reach the line.
    virtual bool write(QByteArrayView bytes) = 0;
    // Everything received since the last read.
    virtual QByteArray readAll() = 0;
    virtual PortError error() const = 0;

Q_SIGNALS:
    // Bytes arrived: readAll() has something (or the line has news, such as a hang-up).
    void readyRead();
    // The line went away while open (device unplugged, peer closed). The link is
    // closed by the time this is emitted.
    void lost(const PortError& error);
};
