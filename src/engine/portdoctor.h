#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Why a port cannot be opened, worked out from what the system says about it: the
// device's kind, mode and owners, this user's groups (in the group file and in this
// login), the programs that hold it and the lock files left beside it. Everything here
// is a pure function of those facts; PortSystem gathers them.

// A program that has the device open.
struct PortHolder {
    qint64 pid = 0;
    QString program;
};

// A lock file naming the device ("LCK..ttyUSB0"), and the program it names.
struct PortLock {
    QString path;
    qint64 pid = 0; // 0: the file names no process
    bool programAlive = false;
    QString program;
    unsigned ownerId = 0;
};

// What the system says of one device. Unknown where the system tells nothing (a
// system without device files).
struct PortEvidence {
    enum class Kind { Unknown, Missing, Terminal, OtherDevice, Fifo, RegularFile, Directory };

    QString device; // "/dev/ttyUSB0"
    Kind kind = Kind::Unknown;
    unsigned mode = 0; // permission bits, 0660
    unsigned ownerId = 0;
    QString ownerName;
    unsigned groupId = 0;
    QString groupName;
    QList<PortHolder> holders;
    QList<PortLock> locks;
    // USB adapters: "0403", "6001", "FTDI", "FT232R USB UART", "A50285BI".
    QString usbVendorId;
    QString usbProductId;
    QString usbManufacturer;
    QString usbProduct;
    QString usbSerial;
};

// The user who runs this program.
struct UserEvidence {
    unsigned userId = 0;
    QString userName;
    qint64 pid = 0;
    // The groups of this login (what access is checked against).
    QList<unsigned> loginGroupIds;
    // The groups the group file gives the user, the primary one included: a group added
    // there takes effect at the next login.
    QList<unsigned> groupFileIds;
};

// Programs known to take USB serial adapters away from their users.
struct SystemEvidence {
    bool modemManagerRunning = false;
    // brltty's udev rules that claim USB serial adapters for braille displays.
    QStringList brlttyRules;
};

struct PortDiagnosis {
    enum class Verdict {
        Unknown, // nothing to tell: the system does not say
        Fine,
        Missing,
        NotSerial,
        NoAccess,       // the user is not in the device's group, or the group may not use it
        NewLoginNeeded, // in the group file, not in this login
        Held,           // a program has it open or holds its lock
        StaleLock,      // a lock file left by a program that is gone
    };
    Verdict verdict = Verdict::Unknown;
    // What is wrong and what to do, in plain words; empty for Fine and Unknown.
    QString problem;
    QString remedy;

    // "problem remedy", or empty.
    QString advice() const;
};

namespace PortDoctor {

// Whether this user may read and write the device by its mode and owners.
bool mayOpen(const PortEvidence& port, const UserEvidence& user);

PortDiagnosis diagnose(const PortEvidence& port, const UserEvidence& user);

// The checks of one port, one line each: the device, its USB identity, access, holders.
QStringList report(const PortEvidence& port, const UserEvidence& user);

// What the known programs mean for serial adapters, one line each; empty when none.
QStringList systemReport(const SystemEvidence& system);

// "crw-rw----".
QString modeText(PortEvidence::Kind kind, unsigned mode);

} // namespace PortDoctor
