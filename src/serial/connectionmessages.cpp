#include "serial/connectionmessages.h"

#include <QCoreApplication>

namespace ConnectionMessages {
namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("ConnectionMessages", text);
}

QString errorDetails(const PortError& error) {
    return tr("Error code: ") + QString::number(error.code) + QLatin1Char('\n') +
           tr("Description: ") + error.description;
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
    return tr("Can't open the selected COM Port.") + QLatin1Char('\n') + errorDetails(error);
}

QString lostPort(const QString& portName, const PortError& error) {
    return tr("The connection to the board on %1 was lost.").arg(portName) + QLatin1Char('\n') +
           errorDetails(error);
}

} // namespace ConnectionMessages
