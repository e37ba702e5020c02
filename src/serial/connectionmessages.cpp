#include "serial/connectionmessages.h"

#include <QCoreApplication>

namespace ConnectionMessages {
namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("ConnectionMessages", text);
}

} // namespace

QString notFoundTitle() {
    return tr("Demo mode");
}

QString notFoundText() {
    return tr("Controller not found");
}

QString criticalTitle() {
    return tr("Critical Error");
}

QString cannotOpen(const PortError& error) {
    QString text = tr("Can't open the selected COM Port.") + QLatin1Char('\n') +
                   tr("Error code: ") + QString::number(error.code) + QLatin1Char('\n') +
                   tr("Description: ") + error.description;
    if (!error.advice.isEmpty())
        text += QStringLiteral("\n\n") + error.advice;
    return text;
}

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
    QString text = tr("The board on %1 is no longer there: the cable or adapter was unplugged, "
                      "or the board lost power. Check it and connect again.")
                       .arg(deviceName(portName));
    if (!error.description.isEmpty())
        text += QStringLiteral("\n\n") + tr("System message: %1").arg(error.description);
    return text;
}

} // namespace ConnectionMessages
