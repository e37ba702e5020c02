#include "utilities/updaterprocess.h"

#include <QProcess>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

QtUpdaterProcess::QtUpdaterProcess()
    : m_process(new QProcess) {
    // The updater talks to the user in its console, not to us.
    m_process->setProcessChannelMode(QProcess::ForwardedChannels);
    m_process->setInputChannelMode(QProcess::ForwardedInputChannel);
#ifdef Q_OS_WIN
    m_process->setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments* arguments) {
        arguments->flags |= CREATE_NEW_CONSOLE;
        arguments->startupInfo->dwFlags &= ~STARTF_USESTDHANDLES;
    });
#endif
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            Q_EMIT failedToStart(m_process->errorString());
    });
    connect(m_process, &QProcess::finished, this, [this] { Q_EMIT ended(); });
}

QtUpdaterProcess::~QtUpdaterProcess() {
    if (m_process->state() == QProcess::NotRunning) {
        delete m_process;
        return;
    }
    // The program ends while the updater is still writing the board's firmware.
    // Destroying the QProcess would kill the updater and leave the board half
    // written, so the process object is left behind and the updater runs to its end.
    m_process->disconnect(this);
}

void QtUpdaterProcess::start(const QString& program, const QStringList& arguments,
                             const QString& folder) {
    m_process->setWorkingDirectory(folder);
    m_process->start(program, arguments);
}
