#include "serial/connectionmessages.h"

#include <QCoreApplication>

namespace ConnectionMessages {

QString deviceName(const QString& portName) {
#ifdef Q_OS_WIN
    return portName;
#else
    // The system lists "ttyUSB0" for /dev/ttyUSB0; a path given by the user stays as it is.
    if (portName.isEmpty() || portName.contains(QLatin1Char('/')))
        return portName;
    return QStringLiteral("/dev/") + portName;
#endif
}

QString lostPort(const QString& portName, const PortError& error) {
    QString text = QCoreApplication::translate(
                       "ConnectionMessages",
                       "The board on %1 is no longer there: the cable or adapter was unplugged, "
                       "or the board lost power. Check it and connect again.")
                       .arg(deviceName(portName));
    if (!error.description.isEmpty())
        text += QStringLiteral("\n\n") +
                QCoreApplication::translate("ConnectionMessages", "System message: %1")
                    .arg(error.description);
    return text;
}

} // namespace ConnectionMessages
