#pragma once

#include <QString>
#include <QStringList>

class PortSystem;

// What lumaret-cli tells about ports this user may or may not open: the doctor's
// report and the mark in the port list.
namespace PortChecks {

struct Report {
    QStringList lines;
    // Every port examined can be opened by this user as things stand.
    bool allUsable = true;
};

// The checks of each device (a path or a system port name), then the programs known to
// take serial adapters away.
Report doctor(const PortSystem& system, const QStringList& devices);

// The port's line in "ports": its name, marked when this user may not open it.
QString listed(const PortSystem& system, const QString& name);

} // namespace PortChecks
