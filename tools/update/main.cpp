// The substitute firmware updater. Called as the real one is, with the bare name of
// the firmware file (which lies next to the updater), the port and the speed:
//
//     update board.zep -COM1 -115200
//
// It checks the arguments and that the file can be read, reports what a real updater
// would transfer, and exits with 0. It does not write to any board. On any failure it
// explains on standard error and exits with a non-zero code.

#include "engine/linesettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>

#include <optional>

namespace {

enum ExitCode { Success = 0, UsageError = 2, FileError = 3 };

struct Request {
    QString file;
    int port = 0;
    int speed = 0;
};

QTextStream& errors() {
    static QTextStream stream(stderr);
    return stream;
}

QString usage() {
    return QStringLiteral("usage: update FILE -COMn -SPEED   (for example: update board.zep "
                          "-COM1 -115200)");
}

std::optional<Request> parse(const QStringList& arguments, QString& problem) {
    if (arguments.size() != 3) {
        problem = QStringLiteral("expected 3 arguments, got %1").arg(arguments.size());
        return std::nullopt;
    }
    Request request;
    request.file = arguments[0];
    if (request.file.isEmpty() || request.file.startsWith(QLatin1Char('-'))) {
        problem = QStringLiteral("the first argument must name the firmware file");
        return std::nullopt;
    }
    static const QRegularExpression portPattern(QStringLiteral("^-COM([1-9][0-9]{0,2})$"));
    const QRegularExpressionMatch port = portPattern.match(arguments[1]);
    if (!port.hasMatch() || port.captured(1).toInt() > 256) {
        problem = QStringLiteral("\"%1\" is not a port; use -COM1 to -COM256").arg(arguments[1]);
        return std::nullopt;
    }
    request.port = port.captured(1).toInt();
    const QString speedText = arguments[2];
    bool isNumber = false;
    request.speed = speedText.startsWith(QLatin1Char('-')) ? speedText.mid(1).toInt(&isNumber) : 0;
    if (!isNumber || !LineSettings::baudRates().contains(request.speed)) {
        QStringList speeds;
        for (int speed : LineSettings::baudRates())
            speeds.append(QString::number(speed));
        problem = QStringLiteral("\"%1\" is not a speed; use one of -%2")
                      .arg(speedText, speeds.join(QStringLiteral(", -")));
        return std::nullopt;
    }
    return request;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    QString problem;
    const std::optional<Request> request = parse(application.arguments().mid(1), problem);
    if (!request) {
        errors() << "update: " << problem << Qt::endl << usage() << Qt::endl;
        return UsageError;
    }
    // A bare name means the working copy next to the updater.
    const QString path = QDir(QCoreApplication::applicationDirPath()).filePath(request->file);
    QFile firmware(path);
    const QFileInfo info(path);
    QString reason;
    if (!info.exists())
        reason = QStringLiteral("there is no such file");
    else if (!info.isFile())
        reason = QStringLiteral("it is not a file");
    else if (!firmware.open(QIODevice::ReadOnly))
        reason = firmware.errorString();
    if (!reason.isEmpty()) {
        errors() << "update: cannot read the firmware file " << QDir::toNativeSeparators(path)
                 << ": " << reason << Qt::endl;
        return FileError;
    }
    QTextStream out(stdout);
    out << "update: substitute firmware updater; no board is written." << Qt::endl
        << "Would transfer " << QDir::toNativeSeparators(path) << " (" << firmware.size()
        << " bytes) over COM" << request->port << " at " << request->speed << " bit/s." << Qt::endl;
    return Success;
}
