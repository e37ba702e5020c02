#include "recordinglink.h"

QList<QByteArray> TestLine::takeWrites() {
    QList<QByteArray> taken;
    taken.swap(writes);
    return taken;
}

void TestLine::answer(const QByteArray& bytes) {
    pending.append(bytes);
    if (!bytes.isEmpty() && isOpen())
        link->arrived();
}

bool TestLine::isOpen() const {
    return link && link->isOpen();
}

void TestLine::unplug(const PortError& error) {
    if (link)
        link->lose(error);
}

RecordingLink::RecordingLink(TestLine& line, const QString& portName)
    : m_line(line)
    , m_portName(portName) {}

bool RecordingLink::open(int baudRate) {
    if (m_line.openFailure) {
        m_error = *m_line.openFailure;
        m_line.openFailure.reset();
        return false;
    }
    m_open = true;
    m_line.link = this;
    m_line.openedBaudRates.append(baudRate);
    m_line.openedPorts.append(m_portName);
    return true;
}

void RecordingLink::close() {
    m_open = false;
}

bool RecordingLink::write(QByteArrayView bytes) {
    if (!m_open || m_line.writesFail) {
        m_error = {12, QStringLiteral("Write failed")};
        return false;
    }
    m_line.writes.append(bytes.toByteArray());
    return true;
}

QByteArray RecordingLink::readAll() {
    QByteArray taken;
    taken.swap(m_line.pending);
    return taken;
}

void RecordingLink::lose(const PortError& error) {
    m_open = false;
    Q_EMIT lost(error);
}

void RecordingLink::arrived() {
    Q_EMIT readyRead();
}

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray result;
    for (int value : values)
        result.append(char(value));
    return result;
}
