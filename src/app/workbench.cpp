#include "app/workbench.h"

#include "app/session.h"
#include "engine/msserial.h"

#include <QCoreApplication>

bool readyForCommand(Workbench& workbench) {
    if (!workbench.port().portOpen())
        return false;
    const Session& session = workbench.session();
    if (!session.transferRunning())
        return true;
    workbench.showStatusMessage(
        QCoreApplication::translate("Workbench", "%1 is still running: nothing was sent.")
            .arg(session.runningTransferName()));
    return false;
}
