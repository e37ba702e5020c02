#pragma once

#include "engine/seriallink.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>

// A port the user can pick: the text shown in the list, and the name that opens it
// and appears in the status bar ("3" and "COM3" on Windows; "ttyUSB0" twice
// elsewhere; a device path twice for ports named in LUMARET_PORTS).
struct PortEntry {
    QString label;
    QString name;
    bool operator==(const PortEntry& other) const {
        return label == other.label && name == other.name;
    }
};

// The ports the settings window offers and the links that open them: the system's
// serial ports, the devices named in LUMARET_PORTS that exist, then virtual ports such
// as the built-in board simulator. Each call of ports() looks at the system anew.
class PortCatalog {
public:
    using Scan = std::function<QList<PortEntry>()>;
    using LinkFactory = std::function<std::unique_ptr<SerialLink>(const QString& name)>;

    PortCatalog(Scan scan, LinkFactory links);
    // The system's ports and LUMARET_PORTS, opened through QSerialPort.
    static std::unique_ptr<PortCatalog> system();

    void addVirtualPort(const PortEntry& entry, LinkFactory links);
    QList<PortEntry> ports() const;
    std::unique_ptr<SerialLink> createLink(const QString& name) const;

    // The pieces of the system scan, kept apart so they can be checked anywhere.
    static PortEntry entryForSystemPort(const QString& portName);
    static QList<PortEntry> entriesFromEnvironment(const QString& value);
    // The entries whose device is there now: a path (with a "/") is listed while it
    // exists, as a device that comes and goes; a plain port name (COM7) always.
    static QList<PortEntry> presentDevices(const QList<PortEntry>& entries);
    static bool lessByNumber(const QString& left, const QString& right);

private:
    struct VirtualPort {
        PortEntry entry;
        LinkFactory links;
    };
    Scan m_scan;
    LinkFactory m_links;
    QList<VirtualPort> m_virtualPorts;
};
