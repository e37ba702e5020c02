#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

// How the external firmware updater is called: it lies in the program's folder and
// takes the bare name of the firmware file (whose working copy lies next to it), the
// port and the speed: update.exe board.zep -COM1 -115200. The board's loader always
// listens on port 1 at 115200 bit/s, whatever line the program was connected on.
namespace UpdaterCommand {

// "update.exe" on Windows, "update" elsewhere.
QString name();
// The text after the last "\" (or "/") of a path; the whole path when it has none.
QString FileNameOfPath(const QString& path);
// The folder with one separator at its end: C:\Tools gives C:\Tools\, C:\ stays C:\.
QString folderWithSeparator(const QString& folder, QChar separator);
// The updater's arguments: the file name, "-COM1", "-115200". A name that begins with
// "-" is passed as "./-name.zep", so that it cannot be read as an option.
QStringList arguments(const QString& fileName);
// The whole command as text, for messages: C:\Tools\update.exe board.zep -COM1 -115200.
QString commandLine(const QString& folder, const QString& fileName,
                    const QString& updaterName = name());

} // namespace UpdaterCommand
