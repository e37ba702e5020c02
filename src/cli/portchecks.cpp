#include "cli/portchecks.h"

#include "engine/portsystem.h"

#include <QCoreApplication>

namespace PortChecks {
namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("PortChecks", text);
}

bool usable(PortDiagnosis::Verdict verdict) {
    return verdict == PortDiagnosis::Verdict::Fine || verdict == PortDiagnosis::Verdict::Unknown;
}

} // namespace

Report doctor(const PortSystem& system, const QStringList& devices) {
    Report report;
    const UserEvidence user = system.user();
    if (devices.isEmpty()) {
        report.lines.append(tr("No serial port found: is the board plugged in?"));
        report.allUsable = false;
    }
    for (const QString& device : devices) {
        const PortEvidence port = system.port(device);
        report.lines.append(PortDoctor::report(port, user));
        report.lines.append(QString());
        report.allUsable = report.allUsable && usable(PortDoctor::diagnose(port, user).verdict);
    }
    const QStringList programs = PortDoctor::systemReport(system.system());
    report.lines.append(
        programs.isEmpty() ? QStringList{tr("No program known to take serial adapters is running.")}
                           : programs);
    return report;
}

QString listed(const PortSystem& system, const QString& name) {
    const PortEvidence port = system.port(name);
    if (port.kind != PortEvidence::Kind::Terminal || PortDoctor::mayOpen(port, system.user()))
        return name;
    return tr("%1  (you may not open it: lumaret-cli doctor %1 tells why)").arg(name);
}

} // namespace PortChecks
