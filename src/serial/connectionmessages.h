#pragma once

#include "engine/seriallink.h"

#include <QString>

// What the user reads about the connection, composed apart from where it is shown.
namespace ConnectionMessages {

// "Controller not found" in a "Demo mode" box: the board did not answer in time.
QString notFoundTitle();
QString notFoundText();

// The port could not be opened or written: "Critical Error", with what the port doctor
// makes of it below.
QString criticalTitle();
QString cannotOpen(const PortError& error);

// A port's name as its user knows it: the device path (/dev/ttyUSB0) where the system
// names ports by their devices, the port's own name (COM3) on Windows.
QString deviceName(const QString& portName);

// The port went away under an open connection: what happened and what to do, in plain
// words, with the system's own text as a detail.
QString lostPort(const QString& portName, const PortError& error);

} // namespace ConnectionMessages
