#include "cli/progressview.h"

#include "cli/console.h"
#include "engine/uploadnotes.h"

#include <QLocale>
#include <QStringList>

#include <cmath>

namespace {

constexpr int SmallestBar = 10;

int percentOf(const UploadProgress& progress) {
    return progress.bytesTotal > 0 ? int(100 * progress.bytesSent / progress.bytesTotal) : 100;
}

} // namespace

ProgressView::ProgressView(Console& console, bool portPrefix)
    : m_console(console)
    , m_portPrefix(portPrefix) {}

void ProgressView::started(const QString& port, const QString& name) {
    m_uploads.insert(port, {name, {}, 0});
    showStatus();
}

void ProgressView::progressed(const QString& port, const UploadProgress& progress) {
    const auto upload = m_uploads.find(port);
    if (upload == m_uploads.end())
        return;
    upload->progress = progress;
    if (m_console.showsStatus()) {
        showStatus();
        return;
    }
    const int tenths = percentOf(progress) / 10;
    if (tenths <= upload->tenthsShown || tenths >= 10)
        return;
    upload->tenthsShown = tenths;
    const QString prefix = m_portPrefix ? port + QStringLiteral(": ") : QString();
    m_console.error(prefix + UploadNotes::progress(upload->name, progress));
}

void ProgressView::ended(const QString& port) {
    m_uploads.remove(port);
    showStatus();
}

void ProgressView::showStatus() {
    if (!m_console.showsStatus())
        return;
    if (m_uploads.isEmpty()) {
        m_console.setStatus({});
        return;
    }
    if (m_uploads.size() == 1 && !m_portPrefix) {
        const Upload& upload = m_uploads.first();
        m_console.setStatus(bar(upload.name, upload.progress, m_console.width() - 1));
        return;
    }
    QStringList boards;
    for (auto upload = m_uploads.cbegin(); upload != m_uploads.cend(); ++upload)
        boards.append(QStringLiteral("%1 %2 %3 %")
                          .arg(upload.key(), upload->name)
                          .arg(percentOf(upload->progress)));
    m_console.setStatus(boards.join(QStringLiteral("  ")));
}

QString ProgressView::bar(const QString& name, const UploadProgress& progress, int width) {
    const QLocale locale;
    const int percent = percentOf(progress);
    QString figures =
        QStringLiteral("%1 %  %2/%3 bytes")
            .arg(percent, 3)
            .arg(locale.toString(progress.bytesSent), locale.toString(progress.bytesTotal));
    if (progress.bytesSent > 0 && progress.elapsedMs > 0) {
        const double bytesPerMs = double(progress.bytesSent) / double(progress.elapsedMs);
        const auto leftSeconds = qint64(
            std::ceil(double(progress.bytesTotal - progress.bytesSent) / bytesPerMs / 1000.0));
        figures += QStringLiteral("  %1 kB/s  %2 s left")
                       .arg(locale.toString(bytesPerMs, 'f', 1))
                       .arg(leftSeconds);
    }
    const int barWidth = width - int(name.size()) - int(figures.size()) - 5;
    if (barWidth < SmallestBar)
        return QString(name + QLatin1Char(' ') + figures).left(width);
    const int filled = barWidth * percent / 100;
    return name + QStringLiteral(" [") + QString(filled, QLatin1Char('#')) +
           QString(barWidth - filled, QLatin1Char('.')) + QStringLiteral("]  ") + figures;
}
