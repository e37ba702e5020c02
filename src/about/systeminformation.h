#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class Registry;

// The operating system's system information tool: on Windows the one the registry
// names (Microsoft's System Information, MSINFO32.EXE); elsewhere a system
// information program on the PATH, when one is installed.
namespace SystemInformation {

struct Program {
    QString path;
    QStringList arguments;
};

// The programs looked for on the PATH, in this order: KDE's Info Center
// ("kinfocenter"), HardInfo ("hardinfo2", "hardinfo"); on macOS System Information
// through "open". None on Windows, where the registry names the tool.
QList<Program> pathCandidates();

// The tool to start: the "PATH" value of the "MSINFO" key as it is (even when no such
// file exists), else MSINFO32.EXE in the folder of the "Shared Tools Location" key if
// it is there, else the first candidate found on the PATH.
std::optional<Program> find(const Registry& registry);

} // namespace SystemInformation
