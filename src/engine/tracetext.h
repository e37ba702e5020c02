#pragma once

#include "engine/linetraffic.h"

#include <QString>

// One line of text for each record of the line's traffic, for a trace or a monitor:
//   "  0.052113 -> WP 01 2C 0A E0"      a command: its opcode letters, then its bytes
//   "  0.061200 <- \"100\""            an answer: its text, or its bytes when not text
// The time is seconds since the port opened. Long records show their first bytes and
// their length.
namespace TraceText {

// Bytes shown of a record before it is shortened.
inline constexpr int ShownBytes = 16;

QString line(const LineTraffic& traffic);

} // namespace TraceText
