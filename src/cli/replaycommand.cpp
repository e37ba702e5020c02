#include "cli/replaycommand.h"

#include "board/mirrorimage.h"
#include "board/traceplayback.h"
#include "cli/boardrun.h"
#include "cli/console.h"
#include "engine/tracereader.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>

#include <cmath>
#include <optional>
#include <variant>

namespace ReplayCommand {
namespace {

const QString Program = QStringLiteral("lumaret-cli");
// Ten years: any later --at is a typing slip.
constexpr double LatestSeconds = 10.0 * 365 * 24 * 3600;

struct Request {
    QString trace;
    QString screenshot;
    std::optional<qint64> atMicroseconds;
};

// The request, or why the line is refused.
std::variant<Request, QString> parse(const QStringList& arguments) {
    Request request;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        const bool hasValue = i + 1 < arguments.size();
        if (argument == QLatin1String("--screenshot") || argument == QLatin1String("--at")) {
            if (!hasValue)
                return QStringLiteral("%1 needs a value").arg(argument);
            const QString value = arguments.at(++i);
            if (argument == QLatin1String("--screenshot")) {
                request.screenshot = value;
                continue;
            }
            bool ok = false;
            const double seconds = QLocale::c().toDouble(value, &ok);
            if (!ok || !std::isfinite(seconds) || seconds < 0 || seconds > LatestSeconds)
                return QStringLiteral("--at takes seconds since the port opened, such as 2.5");
            request.atMicroseconds = std::llround(seconds * 1e6);
        } else if (argument.startsWith(QLatin1Char('-')) && argument.size() > 1) {
            return QStringLiteral("replay has no option %1").arg(argument);
        } else if (request.trace.isEmpty()) {
            request.trace = argument;
        } else {
            return QStringLiteral("replay takes one trace");
        }
    }
    if (request.trace.isEmpty())
        return QStringLiteral("replay needs a trace file");
    if (request.screenshot.isEmpty())
        return QStringLiteral("replay needs --screenshot FILE.png");
    if (!request.screenshot.endsWith(QLatin1String(".png"), Qt::CaseInsensitive))
        return QStringLiteral("--screenshot writes a PNG file: its name ends in .png");
    const QFileInfo file(request.screenshot);
    if (!file.absoluteDir().exists())
        return QStringLiteral("--screenshot: there is no folder %1")
            .arg(QDir::toNativeSeparators(file.absolutePath()));
    return request;
}

} // namespace

bool asked(const QStringList& arguments) {
    return !arguments.isEmpty() && arguments.first() == QLatin1String(Name);
}

QString help() {
    return QStringLiteral(
        "Usage: lumaret-cli replay TRACE --screenshot FILE.png [--at SECONDS]\n"
        "Plays a saved trace (from the Monitor's Save... or --trace) on a board of its own\n"
        "and writes the screen it leaves, or the screen at SECONDS after the port opened.\n"
        "Pixels the trace never drew are transparent. Nothing is sent to any board.");
}

int run(const QStringList& arguments, Console& console) {
    if (arguments.contains(QLatin1String("--help"))) {
        console.print(help());
        return ExitCode::Done;
    }
    const std::variant<Request, QString> parsed = parse(arguments);
    if (const QString* refused = std::get_if<QString>(&parsed)) {
        console.error(Program + QStringLiteral(": ") + *refused);
        return ExitCode::Usage;
    }
    const Request& request = std::get<Request>(parsed);
    const TraceReader::Result trace = TraceReader::readFile(request.trace);
    if (!trace.error.isEmpty()) {
        console.error(QStringLiteral("%1: %2: %3")
                          .arg(Program, QDir::toNativeSeparators(request.trace), trace.error));
        return ExitCode::Usage;
    }
    QString why;
    if (!MirrorImage::savePng(TracePlayback::screenAt(trace.events, request.atMicroseconds),
                              request.screenshot, &why)) {
        console.error(Program + QStringLiteral(": ") + why);
        return ExitCode::Usage;
    }
    return ExitCode::Done;
}

} // namespace ReplayCommand
