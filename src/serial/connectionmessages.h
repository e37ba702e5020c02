#pragma once

#include "engine/seriallink.h"

#include <QString>

// What the user reads when the connection fails: titles and texts of the messages.
namespace ConnectionMessages {

// "Controller not found" in a "Demo mode" box: the board did not answer in time.
QString notFoundTitle();
QString notFoundText();

// The port could not be opened or written: "Critical Error".
QString criticalTitle();
QString cannotOpen(const PortError& error);

// The port went away while connected or connecting.
QString lostPort(const QString& portName, const PortError& error);

} // namespace ConnectionMessages
