#pragma once

#include "engine/portdoctor.h"

#include <memory>

// What the system says about ports, users and the programs that take serial adapters:
// the facts the port doctor works from. The machine's own answers come from local();
// tests give made-up ones.
class PortSystem {
public:
    virtual ~PortSystem() = default;

    // device: a path (/dev/ttyUSB0) or a port name (ttyUSB0).
    virtual PortEvidence port(const QString& device) const = 0;
    virtual UserEvidence user() const = 0;
    virtual SystemEvidence system() const = 0;

    // This machine's: device files, /proc and the group file on Linux; elsewhere it
    // knows nothing (every port Unknown).
    static std::shared_ptr<const PortSystem> local();

    // What this port's failure to open means and what to do, in plain words; empty
    // where the system's own message says it already (a missing device) or nothing is
    // known.
    QString openFailureAdvice(const QString& device) const;
};
