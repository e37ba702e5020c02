#pragma once

#include "engine/uploader.h"

#include <QString>

// What the user reads about an upload, in the program's status bar and on the
// command line alike.
namespace UploadNotes {

// "Preview: 42 %, 4 s left"; the time left comes from the rate measured so far.
QString progress(const QString& name, const UploadProgress& progress);
// "Preview: 76,802 bytes in 6.9 s (11.1 kB/s)": short enough for the status bar
QString completed(const UploadOutcome& outcome);
// "The picture preview stopped: the window was closed." and, when the board was left
// in the middle of its command, what to do about it.
QString stopped(const UploadOutcome& outcome);

} // namespace UploadNotes
