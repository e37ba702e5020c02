#include "engine/uploadnotes.h"

#include <QCoreApplication>
#include <QLocale>

#include <cmath>

namespace UploadNotes {
namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("UploadNotes", text);
}

QString reason(const UploadOutcome& outcome) {
    switch (outcome.cause) {
    case UploadOutcome::Cause::WindowClosed:
        return tr("the window was closed");
    case UploadOutcome::Cause::Disconnected:
        return tr("the connection to the board was closed");
    case UploadOutcome::Cause::PortLost:
        return tr("the connection to the board was lost");
    case UploadOutcome::Cause::WriteFailed:
        return tr("the board could not be written to (%1)").arg(outcome.error.description);
    case UploadOutcome::Cause::TimedOut:
        return tr("the board did not answer in time");
    case UploadOutcome::Cause::Completed:
        break;
    }
    return {};
}

} // namespace

QString progress(const QString& name, const UploadProgress& progress) {
    const int percent =
        progress.bytesTotal > 0 ? int(100 * progress.bytesSent / progress.bytesTotal) : 100;
    QString note = tr("%1: %2 %").arg(name).arg(percent);
    if (progress.bytesSent <= 0 || progress.elapsedMs <= 0)
        return note;
    const double msPerByte = double(progress.elapsedMs) / double(progress.bytesSent);
    const double leftMs = msPerByte * double(progress.bytesTotal - progress.bytesSent);
    return note + tr(", %1 s left").arg(qint64(std::ceil(leftMs / 1000.0)));
}

QString completed(const UploadOutcome& outcome) {
    const QLocale locale;
    const double seconds = double(outcome.elapsedMs) / 1000.0;
    QString note = tr("%1: %2 bytes in %3 s")
                       .arg(outcome.name, locale.toString(outcome.bytesSent),
                            locale.toString(seconds, 'f', 1));
    if (outcome.elapsedMs <= 0)
        return note;
    const double kilobytesPerSecond = double(outcome.bytesSent) / double(outcome.elapsedMs);
    return note + tr(" (%1 kB/s)").arg(locale.toString(kilobytesPerSecond, 'f', 1));
}

QString stopped(const UploadOutcome& outcome) {
    QString text = tr("%1 stopped: %2.").arg(outcome.description, reason(outcome));
    // A board whose line is gone starts afresh when it comes back; one still on the line
    // may wait for the rest of its command and take the next ones as its data.
    if (!outcome.boardReady && outcome.cause != UploadOutcome::Cause::PortLost)
        text += QLatin1Char('\n') +
                tr("The board did not finish its interrupted command: reset the board before "
                   "you send it anything else.");
    return text;
}

} // namespace UploadNotes
