#pragma once

#include "engine/seriallink.h"

#include <QList>
#include <QPointer>

class RecordingLink;

// The far end of a test's serial line: it records every write separately (as the
// board would receive them) and holds the answers the next read will return.
class TestLine {
public:
    QList<QByteArray> writes;
    QByteArray pending;
    QList<int> openedBaudRates;
    QStringList openedPorts;
    // Make the next open fail with this error.
    std::optional<PortError> openFailure;
    bool writesFail = false;

    // The board's answer waits to be read; the open link tells that it arrived.
    void answer(const QByteArray& bytes);
    // Writes since the last call.
    QList<QByteArray> takeWrites();
    bool isOpen() const;
    // The device goes away, as when a USB adapter is unplugged.
    void unplug(const PortError& error);

    QPointer<RecordingLink> link;
};

class RecordingLink : public SerialLink {
    Q_OBJECT
public:
    RecordingLink(TestLine& line, const QString& portName);

    bool open(int baudRate) override;
    void close() override;
    bool isOpen() const override { return m_open; }
    bool write(QByteArrayView bytes) override;
    QByteArray readAll() override;
    PortError error() const override { return m_error; }

    void lose(const PortError& error);
    void arrived();

private:
    TestLine& m_line;
    QString m_portName;
    bool m_open = false;
    PortError m_error;
};

// Compact write lists for comparisons: {"WP", bytes({1, 44, 10, 224})}.
QByteArray bytes(std::initializer_list<int> values);
