#include "engine/portsystem.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_LINUX
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

namespace {

#ifdef Q_OS_LINUX

// Unix98 pseudo-terminals have these majors and no entry under /sys/class/tty.
constexpr unsigned FirstPtyMajor = 136;
constexpr unsigned LastPtyMajor = 143;
// Where programs leave "LCK..ttyUSB0" files, as the serial libraries look for them.
const char* const LockFolders[] = {"/run/lock",       "/var/lock",  "/var/spool/locks",
                                   "/var/spool/uucp", "/etc/locks", "/tmp"};
const char* const RuleFolders[] = {"/etc/udev/rules.d", "/run/udev/rules.d",
                                   "/usr/lib/udev/rules.d", "/lib/udev/rules.d"};

QString readLine(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readLine(256)).trimmed();
}

QString userName(unsigned id) {
    const passwd* entry = getpwuid(id);
    return entry ? QString::fromLocal8Bit(entry->pw_name) : QString();
}

QString groupName(unsigned id) {
    const group* entry = getgrgid(id);
    return entry ? QString::fromLocal8Bit(entry->gr_name) : QString();
}

QString programOf(qint64 pid) {
    return readLine(QStringLiteral("/proc/%1/comm").arg(pid));
}

bool processAlive(qint64 pid) {
    return pid > 0 && QFileInfo::exists(QStringLiteral("/proc/%1").arg(pid));
}

QList<qint64> processIds() {
    QList<qint64> pids;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& entry : entries) {
        bool number = false;
        const qint64 pid = entry.toLongLong(&number);
        if (number)
            pids.append(pid);
    }
    return pids;
}

// The processes with the device open, as far as this user may look into them.
QList<PortHolder> holdersOf(const QString& device) {
    QList<PortHolder> holders;
    const QString target = QFileInfo(device).canonicalFilePath();
    for (const qint64 pid : processIds()) {
        const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
        const QStringList links = fds.entryList(QDir::Files | QDir::System);
        for (const QString& link : links) {
            if (QFile::symLinkTarget(fds.filePath(link)) == target) {
                holders.append({pid, programOf(pid)});
                break;
            }
        }
    }
    return holders;
}

QList<PortLock> locksOf(const QString& device) {
    QList<PortLock> locks;
    QStringList seen;
    const QString name = QStringLiteral("LCK..") + QFileInfo(device).fileName();
    for (const char* folder : LockFolders) {
        const QFileInfo info(QDir{QLatin1String(folder)}.filePath(name));
        if (!info.exists() || seen.contains(info.canonicalFilePath()))
            continue;
        seen.append(info.canonicalFilePath());
        PortLock lock;
        lock.path = info.filePath();
        lock.ownerId = info.ownerId();
        lock.pid = readLine(lock.path).toLongLong();
        lock.programAlive = processAlive(lock.pid);
        if (lock.programAlive)
            lock.program = programOf(lock.pid);
        locks.append(lock);
    }
    return locks;
}

// USB adapters: the interface's device folder holds the identity files.
void readUsbIdentity(const QString& device, PortEvidence& evidence) {
    QString folder =
        QFileInfo(QStringLiteral("/sys/class/tty/%1/device").arg(QFileInfo(device).fileName()))
            .canonicalFilePath();
    while (!folder.isEmpty() && folder != QStringLiteral("/sys") && folder != QStringLiteral("/")) {
        if (QFileInfo::exists(folder + QStringLiteral("/idVendor"))) {
            evidence.usbVendorId = readLine(folder + QStringLiteral("/idVendor"));
            evidence.usbProductId = readLine(folder + QStringLiteral("/idProduct"));
            evidence.usbManufacturer = readLine(folder + QStringLiteral("/manufacturer"));
            evidence.usbProduct = readLine(folder + QStringLiteral("/product"));
            evidence.usbSerial = readLine(folder + QStringLiteral("/serial"));
            return;
        }
        folder = QFileInfo(folder).path();
    }
}

PortEvidence::Kind kindOf(const QString& device, const struct stat& status) {
    if (S_ISFIFO(status.st_mode))
        return PortEvidence::Kind::Fifo;
    if (S_ISREG(status.st_mode))
        return PortEvidence::Kind::RegularFile;
    if (S_ISDIR(status.st_mode))
        return PortEvidence::Kind::Directory;
    if (!S_ISCHR(status.st_mode))
        return PortEvidence::Kind::OtherDevice;
    const unsigned deviceMajor = major(status.st_rdev);
    const bool terminal =
        (deviceMajor >= FirstPtyMajor && deviceMajor <= LastPtyMajor) ||
        QFileInfo::exists(QStringLiteral("/sys/class/tty/") + QFileInfo(device).fileName());
    return terminal ? PortEvidence::Kind::Terminal : PortEvidence::Kind::OtherDevice;
}

class LocalPortSystem : public PortSystem {
public:
    PortEvidence port(const QString& given) const override {
        PortEvidence evidence;
        evidence.device =
            given.contains(QLatin1Char('/')) ? given : QStringLiteral("/dev/") + given;
        struct stat status {};
        if (stat(QFile::encodeName(evidence.device).constData(), &status) != 0) {
            evidence.kind = PortEvidence::Kind::Missing;
            return evidence;
        }
        evidence.kind = kindOf(evidence.device, status);
        evidence.mode = status.st_mode & 07777;
        evidence.ownerId = status.st_uid;
        evidence.ownerName = userName(status.st_uid);
        evidence.groupId = status.st_gid;
        evidence.groupName = groupName(status.st_gid);
        evidence.holders = holdersOf(evidence.device);
        evidence.locks = locksOf(evidence.device);
        readUsbIdentity(evidence.device, evidence);
        return evidence;
    }

    UserEvidence user() const override {
        UserEvidence evidence;
        evidence.userId = getuid();
        evidence.userName = userName(evidence.userId);
        evidence.pid = QCoreApplication::applicationPid();
        const int count = getgroups(0, nullptr);
        QList<gid_t> groups(qMax(count, 0));
        if (count > 0 && getgroups(count, groups.data()) == count)
            for (const gid_t id : groups)
                evidence.loginGroupIds.append(id);
        evidence.loginGroupIds.append(getegid());
        const QByteArray name = evidence.userName.toLocal8Bit();
        if (const passwd* entry = getpwuid(evidence.userId)) {
            int fileCount = 64;
            QList<gid_t> fileGroups(fileCount);
            if (getgrouplist(name.constData(), entry->pw_gid, fileGroups.data(), &fileCount) < 0) {
                fileGroups.resize(fileCount);
                getgrouplist(name.constData(), entry->pw_gid, fileGroups.data(), &fileCount);
            }
            for (int index = 0; index < fileCount && index < fileGroups.size(); ++index)
                evidence.groupFileIds.append(fileGroups.at(index));
        }
        return evidence;
    }

    SystemEvidence system() const override {
        SystemEvidence evidence;
        for (const qint64 pid : processIds()) {
            if (programOf(pid) == QStringLiteral("ModemManager")) {
                evidence.modemManagerRunning = true;
                break;
            }
        }
        const QStringList filter{QStringLiteral("*brltty*.rules")};
        for (const char* folder : RuleFolders) {
            const QDir rules{QLatin1String(folder)};
            for (const QString& file : rules.entryList(filter, QDir::Files))
                evidence.brlttyRules.append(rules.filePath(file));
        }
        return evidence;
    }
};

#else

// Elsewhere the system's message is all there is.
class LocalPortSystem : public PortSystem {
public:
    PortEvidence port(const QString& device) const override {
        PortEvidence evidence;
        evidence.device = device;
        return evidence;
    }
    UserEvidence user() const override { return {}; }
    SystemEvidence system() const override { return {}; }
};

#endif

} // namespace

QString PortSystem::openFailureAdvice(const QString& device) const {
    const PortDiagnosis diagnosis = PortDoctor::diagnose(port(device), user());
    return diagnosis.verdict == PortDiagnosis::Verdict::Missing ? QString() : diagnosis.advice();
}

std::shared_ptr<const PortSystem> PortSystem::local() {
    static const auto system = std::make_shared<const LocalPortSystem>();
    return system;
}
