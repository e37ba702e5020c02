#pragma once

#include "engine/uploader.h"

#include <QMap>
#include <QString>

class Console;

// The progress of uploads, on the error output: a bar redrawn in place on a terminal,
// a line at each tenth otherwise.
class ProgressView {
public:
    // portPrefix: the lines name the board (several boards run at once).
    ProgressView(Console& console, bool portPrefix);

    void started(const QString& port, const QString& name);
    void progressed(const QString& port, const UploadProgress& progress);
    void ended(const QString& port);

    // "Preview [#########.........]  48 %  37,120/76,802 bytes  11.1 kB/s  4 s left", at
    // most width characters; the bar shrinks (and goes) first.
    static QString bar(const QString& name, const UploadProgress& progress, int width);

private:
    struct Upload {
        QString name;
        UploadProgress progress;
        int tenthsShown = 0;
    };
    void showStatus();

    Console& m_console;
    bool m_portPrefix;
    QMap<QString, Upload> m_uploads;
};
