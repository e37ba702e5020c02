#pragma once

#include <QByteArray>
#include <QMetaType>

// What crossed the line at one moment: a command's writes going to the board (folded
// into one record: a picture's block is one record, not 320), or what a read brought
// back from it.
struct LineTraffic {
    enum class Direction { ToBoard, FromBoard };

    // Microseconds since the port was opened, on a monotonic clock: when the writes went
    // to the port, or when the bytes of a read began to arrive.
    qint64 microseconds = 0;
    Direction direction = Direction::ToBoard;
    QByteArray bytes;
    // The separate writes folded into this record; 0 for what came from the board.
    int writes = 0;
};
Q_DECLARE_METATYPE(LineTraffic)
