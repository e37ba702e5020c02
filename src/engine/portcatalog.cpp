#include "engine/portcatalog.h"

#include "engine/qtseriallink.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSerialPortInfo>
#include <QtGlobal>

#include <algorithm>

namespace {

// Digits compare as numbers, so COM2 comes before COM10 and ttyS9 before ttyS10.
int compareNatural(const QString& left, const QString& right) {
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < left.size() && j < right.size()) {
        if (left.at(i).isDigit() && right.at(j).isDigit()) {
            qsizetype iEnd = i;
            qsizetype jEnd = j;
            while (iEnd < left.size() && left.at(iEnd).isDigit())
                ++iEnd;
            while (jEnd < right.size() && right.at(jEnd).isDigit())
                ++jEnd;
            const qulonglong a = left.mid(i, iEnd - i).toULongLong();
            const qulonglong b = right.mid(j, jEnd - j).toULongLong();
            if (a != b)
                return a < b ? -1 : 1;
            i = iEnd;
            j = jEnd;
        } else {
            if (left.at(i) != right.at(j))
                return left.at(i) < right.at(j) ? -1 : 1;
            ++i;
            ++j;
        }
    }
    return int(left.size() - i) - int(right.size() - j);
}

QList<PortEntry> scanSystemPorts() {
    QList<PortEntry> entries;
    const QList<QSerialPortInfo> infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& info : infos)
        entries.append(PortCatalog::entryForSystemPort(info.portName()));
    std::sort(entries.begin(), entries.end(), [](const PortEntry& a, const PortEntry& b) {
        return PortCatalog::lessByNumber(a.name, b.name);
    });
    entries.append(PortCatalog::presentDevices(
        PortCatalog::entriesFromEnvironment(qEnvironmentVariable("LUMARET_PORTS"))));
    return entries;
}

} // namespace

PortCatalog::PortCatalog(Scan scan, LinkFactory links)
    : m_scan(std::move(scan))
    , m_links(std::move(links)) {}

std::unique_ptr<PortCatalog> PortCatalog::system() {
    return std::make_unique<PortCatalog>(
        scanSystemPorts, [](const QString& name) { return std::make_unique<QtSerialLink>(name); });
}

void PortCatalog::addVirtualPort(const PortEntry& entry, LinkFactory links) {
    m_virtualPorts.append({entry, std::move(links)});
}

QList<PortEntry> PortCatalog::ports() const {
    QList<PortEntry> entries = m_scan();
    for (const VirtualPort& port : m_virtualPorts)
        entries.append(port.entry);
    return entries;
}

std::unique_ptr<SerialLink> PortCatalog::createLink(const QString& name) const {
    for (const VirtualPort& port : m_virtualPorts) {
        if (port.entry.name == name)
            return port.links(name);
    }
    return m_links(name);
}

PortEntry PortCatalog::entryForSystemPort(const QString& portName) {
#ifdef Q_OS_WIN
    // Windows users know their ports by number: COM3 is listed as "3".
    static const QRegularExpression comPort(QStringLiteral("^COM(\\d+)$"),
                                            QRegularExpression::CaseInsensitiveOption);
    if (const QRegularExpressionMatch match = comPort.match(portName); match.hasMatch())
        return {match.captured(1), portName.toUpper()};
#endif
    return {portName, portName};
}

QList<PortEntry> PortCatalog::entriesFromEnvironment(const QString& value) {
    QList<PortEntry> entries;
    const QStringList paths = value.split(QDir::listSeparator(), Qt::SkipEmptyParts);
    for (const QString& path : paths) {
        const QString trimmed = path.trimmed();
        if (!trimmed.isEmpty())
            entries.append({trimmed, trimmed});
    }
    return entries;
}

QList<PortEntry> PortCatalog::presentDevices(const QList<PortEntry>& entries) {
    QList<PortEntry> present;
    for (const PortEntry& entry : entries) {
        if (!entry.name.contains(QLatin1Char('/')) || QFileInfo::exists(entry.name))
            present.append(entry);
    }
    return present;
}

bool PortCatalog::lessByNumber(const QString& left, const QString& right) {
    return compareNatural(left, right) < 0;
}
