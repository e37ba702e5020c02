#include "engine/linesettings.h"

#include <QStringList>

namespace LineSettings {

const QList<int>& baudRates() {
    static const QList<int> rates{9600, 14400, 19200, 28800, 38400, 57600, 115200};
    return rates;
}

QString forIndex(int index) {
    if (index < 0 || index >= baudRates().size())
        return {};
    return QString::number(baudRates().at(index)) + QStringLiteral(",N,8,1");
}

std::optional<int> baudRateOf(const QString& settings) {
    const QStringList fields = settings.split(QLatin1Char(','));
    if (fields.size() != 4 || fields.at(1).compare(QLatin1String("N"), Qt::CaseInsensitive) != 0 ||
        fields.at(2) != QLatin1String("8") || fields.at(3) != QLatin1String("1"))
        return std::nullopt;
    bool ok = false;
    const int rate = fields.at(0).toInt(&ok);
    if (!ok || !baudRates().contains(rate))
        return std::nullopt;
    return rate;
}

double lineMs(qint64 bytes, int baudRate) {
    constexpr double BitsPerByte = 10;
    return baudRate > 0 ? double(bytes) * BitsPerByte * 1000.0 / baudRate : 0.0;
}

} // namespace LineSettings
