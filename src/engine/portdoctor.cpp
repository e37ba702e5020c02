#include "engine/portdoctor.h"

#include <QCoreApplication>

namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("PortDoctor", text);
}

constexpr unsigned ReadWrite = 06;
constexpr unsigned OwnerShift = 6;
constexpr unsigned GroupShift = 3;

bool hasReadWrite(unsigned mode, unsigned shift) {
    return ((mode >> shift) & ReadWrite) == ReadWrite;
}

bool isRoot(const UserEvidence& user) {
    return user.userId == 0;
}

QString nameOr(const QString& name, unsigned id) {
    return name.isEmpty() ? QString::number(id) : name;
}

QString kindText(PortEvidence::Kind kind) {
    switch (kind) {
    case PortEvidence::Kind::Terminal:
        return tr("a serial port");
    case PortEvidence::Kind::OtherDevice:
        return tr("a device that is not a terminal");
    case PortEvidence::Kind::Fifo:
        return tr("a FIFO");
    case PortEvidence::Kind::RegularFile:
        return tr("a regular file");
    case PortEvidence::Kind::Directory:
        return tr("a folder");
    case PortEvidence::Kind::Missing:
        return tr("missing");
    case PortEvidence::Kind::Unknown:
        break;
    }
    return tr("unknown to this system's checks");
}

// The holders other than this program: "minicom (process 900), screen (process 41)".
QString holdersText(const PortEvidence& port, const UserEvidence& user) {
    QStringList names;
    for (const PortHolder& holder : port.holders) {
        if (holder.pid != user.pid)
            names.append(tr("%1 (process %2)")
                             .arg(holder.program.isEmpty() ? tr("a program") : holder.program)
                             .arg(holder.pid));
    }
    return names.join(QStringLiteral(", "));
}

const PortLock* liveLock(const PortEvidence& port, const UserEvidence& user) {
    for (const PortLock& lock : port.locks) {
        if (lock.programAlive && lock.pid != user.pid)
            return &lock;
    }
    return nullptr;
}

const PortLock* staleLock(const PortEvidence& port) {
    for (const PortLock& lock : port.locks) {
        if (!lock.programAlive)
            return &lock;
    }
    return nullptr;
}

PortDiagnosis accessDiagnosis(const PortEvidence& port, const UserEvidence& user) {
    const QString group = nameOr(port.groupName, port.groupId);
    const QString mode = PortDoctor::modeText(port.kind, port.mode);
    if (!hasReadWrite(port.mode, GroupShift) || port.groupId == 0)
        return {PortDiagnosis::Verdict::NoAccess,
                tr("You may not open %1: only %2 may (%3 %4:%5).")
                    .arg(port.device, nameOr(port.ownerName, port.ownerId), mode,
                         nameOr(port.ownerName, port.ownerId), group),
                tr("Ask the administrator for access (a udev rule can give the device to a "
                   "group such as dialout).")};
    if (user.groupFileIds.contains(port.groupId))
        return {
            PortDiagnosis::Verdict::NewLoginNeeded,
            tr("You may not open %1 yet: you are in its group \"%2\", but this login "
               "started before you were added.")
                .arg(port.device, group),
            tr("To use it, log out and in again (or run newgrp %1 in this terminal).").arg(group)};
    return {PortDiagnosis::Verdict::NoAccess,
            tr("You may not open %1: it belongs to the group \"%2\" (%3), and you are not in "
               "that group.")
                .arg(port.device, group, mode),
            tr("Add yourself to it with: sudo usermod -aG %1 $USER — then log out and in again.")
                .arg(group)};
}

} // namespace

QString PortDiagnosis::advice() const {
    if (problem.isEmpty())
        return {};
    return remedy.isEmpty() ? problem : problem + QLatin1Char(' ') + remedy;
}

namespace PortDoctor {

bool mayOpen(const PortEvidence& port, const UserEvidence& user) {
    if (isRoot(user))
        return true;
    if (port.ownerId == user.userId)
        return hasReadWrite(port.mode, OwnerShift);
    if (user.loginGroupIds.contains(port.groupId))
        return hasReadWrite(port.mode, GroupShift);
    return hasReadWrite(port.mode, 0);
}

PortDiagnosis diagnose(const PortEvidence& port, const UserEvidence& user) {
    using Verdict = PortDiagnosis::Verdict;
    switch (port.kind) {
    case PortEvidence::Kind::Unknown:
        return {};
    case PortEvidence::Kind::Missing:
        return {Verdict::Missing, tr("%1 does not exist.").arg(port.device),
                tr("Check that the board is plugged in, or pick another port.")};
    case PortEvidence::Kind::Terminal:
        break;
    case PortEvidence::Kind::OtherDevice:
    case PortEvidence::Kind::Fifo:
    case PortEvidence::Kind::RegularFile:
    case PortEvidence::Kind::Directory:
        return {Verdict::NotSerial,
                tr("%1 is not a serial port (it is %2).").arg(port.device, kindText(port.kind)),
                tr("Pick the board's port, such as /dev/ttyUSB0 or /dev/ttyACM0.")};
    }
    if (!mayOpen(port, user))
        return accessDiagnosis(port, user);
    if (const QString holders = holdersText(port, user); !holders.isEmpty())
        return {Verdict::Held, tr("%1 is in use by %2.").arg(port.device, holders),
                tr("Close that program and try again.")};
    if (const PortLock* lock = liveLock(port, user))
        return {Verdict::Held,
                tr("%1 is locked by %2 (process %3) through %4.")
                    .arg(port.device, lock->program.isEmpty() ? tr("a program") : lock->program)
                    .arg(lock->pid)
                    .arg(lock->path),
                tr("Close that program and try again.")};
    if (const PortLock* lock = staleLock(port)) {
        const bool own = isRoot(user) || lock->ownerId == user.userId;
        const QString gone = lock->pid > 0
                                 ? tr("left by a program that is gone (process %1)").arg(lock->pid)
                                 : tr("left by a program that is gone");
        return {
            Verdict::StaleLock,
            tr("%1 is blocked by the lock file %2, %3.").arg(port.device, lock->path, gone),
            tr("Remove it: %1rm %2").arg(own ? QString() : QStringLiteral("sudo "), lock->path)};
    }
    return {Verdict::Fine, {}, {}};
}

QString modeText(PortEvidence::Kind kind, unsigned mode) {
    QString text;
    switch (kind) {
    case PortEvidence::Kind::Terminal:
    case PortEvidence::Kind::OtherDevice:
        text = QStringLiteral("c");
        break;
    case PortEvidence::Kind::Fifo:
        text = QStringLiteral("p");
        break;
    case PortEvidence::Kind::Directory:
        text = QStringLiteral("d");
        break;
    default:
        text = QStringLiteral("-");
    }
    const char* letters = "rwx";
    for (int bit = 8; bit >= 0; --bit)
        text.append((mode >> bit) & 1 ? QLatin1Char(letters[(8 - bit) % 3]) : QLatin1Char('-'));
    return text;
}

QStringList report(const PortEvidence& port, const UserEvidence& user) {
    QStringList lines{port.device};
    const bool present =
        port.kind != PortEvidence::Kind::Missing && port.kind != PortEvidence::Kind::Unknown;
    lines.append(present ? tr("  device: %1, %2 %3:%4")
                               .arg(kindText(port.kind), modeText(port.kind, port.mode),
                                    nameOr(port.ownerName, port.ownerId),
                                    nameOr(port.groupName, port.groupId))
                         : tr("  device: %1").arg(kindText(port.kind)));
    if (!port.usbVendorId.isEmpty()) {
        QString usb = tr("  USB: %1:%2").arg(port.usbVendorId, port.usbProductId);
        const QString names =
            QStringList{port.usbManufacturer, port.usbProduct}.join(QLatin1Char(' ')).trimmed();
        if (!names.isEmpty())
            usb += QLatin1Char(' ') + names;
        if (!port.usbSerial.isEmpty())
            usb += tr(", serial %1").arg(port.usbSerial);
        lines.append(usb);
    }
    if (!present)
        return lines;
    lines.append(mayOpen(port, user) ? tr("  access: you may open it")
                                     : tr("  access: you may not open it"));
    const QString holders = holdersText(port, user);
    lines.append(tr("  held by: %1").arg(holders.isEmpty() ? tr("nobody") : holders));
    for (const PortLock& lock : port.locks)
        lines.append(lock.programAlive
                         ? tr("  lock file: %1, by %2 (process %3)")
                               .arg(lock.path, lock.program)
                               .arg(lock.pid)
                         : tr("  lock file: %1, left by a program that is gone").arg(lock.path));
    const PortDiagnosis diagnosis = diagnose(port, user);
    if (!diagnosis.problem.isEmpty()) {
        lines.append(tr("  problem: %1").arg(diagnosis.problem));
        lines.append(tr("  to do: %1").arg(diagnosis.remedy));
    }
    return lines;
}

QStringList systemReport(const SystemEvidence& system) {
    QStringList lines;
    if (system.modemManagerRunning)
        lines.append(tr("ModemManager is running: it tries every new serial port as a modem "
                        "and can hold the board's port for seconds after it is plugged in. "
                        "If you use no modem: sudo systemctl disable --now ModemManager"));
    for (const QString& rules : system.brlttyRules)
        lines.append(tr("brltty's rules (%1) take some USB serial adapters for braille "
                        "displays. If you use no braille display: sudo apt remove brltty")
                         .arg(rules));
    return lines;
}

} // namespace PortDoctor
