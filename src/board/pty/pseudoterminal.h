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
    // Writes all bytes (waiting while the device side's buffer is full).
    bool write(QByteArrayView bytes);

private:
    int m_master = -1;
    int m_device = -1;
    QString m_devicePath;
    QString m_error;
};
