#pragma once

#include "engine/conversation.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>

// The conversation with the board as text, one line per event, for a trace on the
// command line and for the monitor's saved files:
//
//   0.012345 > DrawPixel x=300 y=10 color=224 | 57 50 01 2C 0A E0
//   0.013100 < IdentifyAnswer "100" (answered in 0.755 ms) | 31 30 30
//   0.120000 > WriteScreen row=0 | 57 53 00 00 ... (322 bytes)
//   7.123456 = Preview: 76802 bytes in 240 blocks, 6.952 s; ...
//   0.000000 # Port /dev/ttyUSB0 opened at 115200,N,8,1
//
// The time is in seconds since the port was opened; ">" goes to the board, "<" comes
// from it, "=" sums up an upload, "#" is a note about the line. Blocks longer than
// ShownBytes show their first ShownBytes bytes and their length on the event's line;
// in a full trace the rest follows on continuation lines, ContinuationBytes a line:
//
//   0.120000 > WriteScreen row=0 | 57 53 00 00 ... (322 bytes)
//     + 00 00 00 ... (32 bytes a line, the last one shorter)
//
// or, for a block whose bytes were given up before it was saved, one line
//   "  + not kept".
namespace TraceText {

inline constexpr qsizetype ShownBytes = ConversationEvent::HeadBytes;
inline constexpr qsizetype ContinuationBytes = 32;
inline constexpr char ContinuationMark[] = "  + ";
inline constexpr char NotKept[] = "not kept";

QString line(const ConversationEvent& event);
// The event's line and its continuation lines: every byte it holds.
QStringList lines(const ConversationEvent& event);

// "12.345678"
QString seconds(qint64 microseconds);
// "0.755 ms"
QString latency(qint64 microseconds);
// "to board", "from board", "upload", "line".
QString direction(ConversationEvent::Kind kind);
// "57 53 00", or the first ShownBytes of a longer block and its length:
// "57 53 00 ... (322 bytes)". count: the block's length when bytes is only its start.
QString hex(QByteArrayView bytes, qint64 count);
// Every byte, with no shortening.
QString fullHex(QByteArrayView bytes);

// Comma-separated values with a header line: time_s, direction, meaning, latency_ms,
// bytes, writes, hex (all the bytes while the conversation keeps them).
QString csvHeader();
QString csvLine(const ConversationEvent& event);

} // namespace TraceText
