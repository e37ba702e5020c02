#include "app/session.h"

QString Session::runningTransferName() const {
    return m_transfer ? m_transfer->objectName() : QString();
}

bool Session::beginTransfer(QObject* transfer) {
    if (m_transfer)
        return false;
    m_transfer = transfer;
    Q_EMIT transferRunningChanged(true);
    return true;
}

void Session::endTransfer(QObject* transfer, Notify notify) {
    if (m_transfer != transfer)
        return;
    m_transfer = nullptr;
    if (notify == Notify::Now) {
        Q_EMIT transferRunningChanged(false);
        return;
    }
    QMetaObject::invokeMethod(
        this, [this] { Q_EMIT transferRunningChanged(transferRunning()); }, Qt::QueuedConnection);
}
