#include "app/boardtransfer.h"

#include "app/session.h"
#include "app/userdialogs.h"
#include "app/workbench.h"
#include "engine/msserial.h"

#include <QPointer>
#include <QProgressBar>
#include <QTimer>
#include <QWidget>

namespace {
constexpr int ReceivePollMs = 250;
}

BoardTransfer::BoardTransfer(Workbench& workbench, const QString& name, QObject* owner)
    : QObject(owner)
    , m_workbench(workbench)
    , m_name(name) {
    setObjectName(name);
}

BoardTransfer::~BoardTransfer() {
    // The owning window is being destroyed: nothing here may call back into it.
    if (m_running) {
        finish(false, Session::Notify::Later);
        tellStopped(tr("the window was closed"));
    }
}

bool BoardTransfer::start(Steps steps) {
    if (m_running || !m_workbench.port().portOpen())
        return false;
    Session& session = m_workbench.session();
    if (!session.beginTransfer(this)) {
        m_workbench.dialogs().message(
            m_workbench.mainWindow(), tr("Warning"),
            tr("%1 is still running. Wait until it has finished, or close its window to stop it.")
                .arg(session.runningTransferName()),
            UserDialogs::Icon::Warning);
        return false;
    }
    m_steps = std::move(steps);
    m_running = true;
    m_block = 0;
    m_savedProgressMaximum = m_workbench.progressBar().maximum();
    m_pollConnection = connect(&session, &Session::polled, this, &BoardTransfer::onPolled);
    m_portConnection =
        connect(&m_workbench.port(), &MSserial::portOpenChanged, this, [this](bool open) {
            if (!open)
                stop(tr("the connection to the board was closed"));
        });
    if (m_steps.blockCount <= 0)
        finish(true, Session::Notify::Now);
    else
        sendCurrentBlock();
    return true;
}

void BoardTransfer::stop(const QString& reason) {
    if (!m_running)
        return;
    finish(false, Session::Notify::Now);
    tellStopped(reason);
}

void BoardTransfer::sendCurrentBlock() {
    m_steps.send(m_block);
    // Sending may have lost the port, which stops the transfer.
    m_waiting = m_running;
}

void BoardTransfer::onPolled() {
    if (!m_waiting || m_workbench.session().controllerResponse().isEmpty())
        return;
    m_waiting = false;
    if (m_steps.answered)
        m_steps.answered(m_block);
    if (!m_running)
        return;
    if (++m_block < m_steps.blockCount)
        sendCurrentBlock();
    else
        finish(true, Session::Notify::Now);
}

void BoardTransfer::finish(bool completed, Session::Notify notify) {
    m_running = false;
    m_waiting = false;
    disconnect(m_pollConnection);
    disconnect(m_portConnection);
    m_workbench.receiveTimer().setInterval(ReceivePollMs);
    m_workbench.session().endTransfer(this, notify);
    QProgressBar& progress = m_workbench.progressBar();
    const int savedMaximum = m_savedProgressMaximum;
    // Whoever is told of the end (a "Done." message) sees the bar as the transfer left
    // it; it empties afterwards. The transfer itself may be gone by then.
    if (notify == Session::Notify::Now)
        Q_EMIT finished(completed);
    progress.setValue(0);
    progress.setMaximum(savedMaximum);
}

void BoardTransfer::tellStopped(const QString& reason) {
    // Told once the current event is done: this may run while the window closes.
    QWidget* mainWindow = m_workbench.mainWindow();
    UserDialogs* dialogs = &m_workbench.dialogs();
    const QString text = tr("%1 stopped: %2.").arg(m_name, reason);
    QMetaObject::invokeMethod(
        mainWindow,
        [mainWindow, dialogs, text] {
            dialogs->message(mainWindow, tr("Warning"), text, UserDialogs::Icon::Warning);
        },
        Qt::QueuedConnection);
}
