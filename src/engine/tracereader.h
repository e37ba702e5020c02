#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class QIODevice;

// One event of a saved trace (the format TraceText writes).
struct TraceEvent {
    enum class Kind { ToBoard, FromBoard, Upload, Note };

    // The line it begins on, counted from 1.
    int line = 0;
    // Seconds since its port was opened, in microseconds.
    qint64 microseconds = 0;
    Kind kind = Kind::Note;
    // What the line says after the direction mark, its bytes left out.
    QString text;
    QByteArray bytes;
    // False for a block whose bytes were given up before the trace was saved: bytes
    // holds its first ones only.
    bool complete = true;
};

// Reads a trace back: every event with all its bytes. A text that is no trace, or a
// trace cut short in a block, is refused with the number of the line at fault.
namespace TraceReader {

// Lines longer than this are no trace's.
inline constexpr qsizetype LineLimit = 64 * 1024;

struct Result {
    QList<TraceEvent> events;
    // "line 12: ..." when the text is refused (events is empty then).
    QString error;
};

Result read(QIODevice& device);
// The file, or why it cannot be read ("cannot open ...", "line 3: ...").
Result readFile(const QString& path);

} // namespace TraceReader
