#include "boardprocess.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>

QString benchProgram(const char* name) {
    return QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(name);
}

BoardProcess::~BoardProcess() {
    m_process.closeWriteChannel();
    m_process.terminate();
    if (!m_process.waitForFinished(5000))
        m_process.kill();
}

bool BoardProcess::start() {
    const QString program = benchProgram("lumaret-board");
    if (!QFileInfo::exists(program)) {
        std::fprintf(stderr, "no %s (it is built on POSIX systems only)\n", qPrintable(program));
        return false;
    }
    m_process.start(program, {QStringLiteral("--line-rate")});
    if (!m_process.waitForStarted() || !m_process.waitForReadyRead(5000)) {
        std::fprintf(stderr, "lumaret-board did not start: %s\n",
                     qPrintable(m_process.errorString()));
        return false;
    }
    m_device = QString::fromLocal8Bit(m_process.readLine().trimmed());
    return !m_device.isEmpty();
}

QImage BoardProcess::screen() {
    const QString file = m_folder.filePath(QStringLiteral("screen.png"));
    m_process.readAllStandardOutput();
    m_process.write(QByteArray("screenshot ") + file.toLocal8Bit() + '\n');
    QByteArray said;
    for (int i = 0; i < 50 && !said.contains("written"); ++i) {
        m_process.waitForReadyRead(100);
        said += m_process.readAllStandardOutput();
    }
    return said.contains("written") ? QImage(file) : QImage();
}
