#include "about/systeminformation.h"

#include "about/registry.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace SystemInformation {

QList<Program> pathCandidates() {
#if defined(Q_OS_WIN)
    return {};
#elif defined(Q_OS_MACOS)
    return {{QStringLiteral("open"),
             {QStringLiteral("-b"), QStringLiteral("com.apple.SystemProfiler")}}};
#else
    return {{QStringLiteral("kinfocenter"), {}},
            {QStringLiteral("hardinfo2"), {}},
            {QStringLiteral("hardinfo"), {}}};
#endif
}

std::optional<Program> find(const Registry& registry) {
    QString value;
    if (GetKeyValue(registry, QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"),
                    QStringLiteral("PATH"), value))
        return Program{value, {}};
    if (GetKeyValue(registry, QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location"),
                    QStringLiteral("MSINFO"), value) &&
        !value.isEmpty()) {
        const QString tool =
            QDir(QDir::fromNativeSeparators(value)).filePath(QStringLiteral("MSINFO32.EXE"));
        if (QFileInfo::exists(tool))
            return Program{QDir::toNativeSeparators(tool), {}};
    }
    const QList<Program> candidates = pathCandidates();
    for (const Program& candidate : candidates) {
        const QString path = QStandardPaths::findExecutable(candidate.path);
        if (!path.isEmpty())
            return Program{path, candidate.arguments};
    }
    return std::nullopt;
}

} // namespace SystemInformation
