#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// A pseudo-terminal pair standing in for a serial cable: programs open
// devicePath() as their serial port; this side reads and writes the other end.
// The device side is kept open and raw, so nothing written before a program
// opens it goes through echo or line-ending translation.
class PseudoTerminal {
public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool isOpen() const { return m_master >= 0; }
    QString errorString() const { return m_error; }
    QString devicePath() const { return m_devicePath; }
    // For waiting on with poll() or a QSocketNotifier.
    int masterDescriptor() const { return m_master; }

    // Whatever the program has written so far; never blocks.
    QByteArray readAvailable();
    // At most maxBytes of it; never blocks.
    QByteArray read(qsizetype maxBytes);
    // Writes all bytes (waiting while the device side's buffer is full).
    bool write(QByteArrayView bytes);
    // Writes what fits without waiting; returns how many bytes that was, -1 on error.
    qsizetype writeAvailable(QByteArrayView bytes);
    // The speed the program on the device side set (the terminal's setting while
    // no program has the device open); 0 when unknown.
    int deviceBaudRate() const;
    // Drops what this side wrote that the program has not read yet.
    void discardUnread();

private:
    int m_master = -1;
    int m_device = -1;
    QString m_devicePath;
    QString m_error;
};
