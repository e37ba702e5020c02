#pragma once

#include <QString>

// Where the firmware updater lies. In the build tree, and in a copy of the program
// that was simply unpacked, it lies next to the program; an installed program keeps it
// in its private folder (lib/lumaret or libexec/lumaret), off the PATH.
namespace UpdaterLocation {

// The folder, in native form and ending with its separator, that holds the updater:
// the program's folder when the updater lies there, else the private folder, given
// relative to the program's folder. When neither holds it, the private folder, where
// an installed program expects it (and its error message names it).
QString folder(const QString& programFolder, const QString& privateFolderFromPrograms);

} // namespace UpdaterLocation
