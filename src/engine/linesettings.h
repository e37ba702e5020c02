#pragma once

#include <QList>
#include <QString>

#include <optional>

// The line settings text of the port object, such as "115200,N,8,1". The board
// talks 8 data bits, no parity, 1 stop bit at one of seven speeds.
namespace LineSettings {

// The speeds in the board's order: the index is the rate byte of the baud-rate command.
const QList<int>& baudRates();
// "9600,N,8,1" for index 0 ... "115200,N,8,1" for index 6; empty for any other index.
QString forIndex(int index);
// The speed of a settings text, when it is one the board can use.
std::optional<int> baudRateOf(const QString& settings);
// How long bytes take on the line at a speed (a start bit, 8 data bits, a stop bit
// each); 0 for an unknown speed.
double lineMs(qint64 bytes, int baudRate);

} // namespace LineSettings
