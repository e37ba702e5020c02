#include "board/mirrordesk.h"

#include "board/boardmirror.h"
#include "board/boardsimulator.h"
#include "board/frmboardmirror.h"
#include "engine/boardengine.h"
#include "engine/msserial.h"
#include "workbench/workbench.h"

#include <QAction>
#include <QPointer>
#include <QWidget>

QAction* installBoardMirror(Workbench& workbench, QWidget& mainWindow) {
    BoardMirror& mirror = BoardMirror::attachedTo(workbench.engine());
    MSserial& port = workbench.engine().port();
    auto* action = new QAction(QObject::tr("Board"), &mainWindow);
    action->setObjectName(QStringLiteral("mnuBoardMirror"));
    action->setVisible(false);
    auto window = std::make_shared<QPointer<frmBoardMirror>>();
    const auto realPortOpen = [&port] {
        return port.portOpen() && !isSimulatorPort(port.commPort());
    };
    QObject::connect(&port, &MSserial::portOpenChanged, action, [=, &port] {
        action->setVisible(realPortOpen());
        if (*window && port.portOpen())
            (*window)->setPortName(port.commPort());
    });
    QObject::connect(action, &QAction::triggered, &mainWindow,
                     [=, &workbench, &mirror, &port, &mainWindow] {
                         if (!*window) {
                             *window = new frmBoardMirror(workbench, mirror, &mainWindow);
                             (*window)->setPortName(port.commPort());
                         }
                         (*window)->show();
                         (*window)->raise();
                         (*window)->activateWindow();
                     });
    return action;
}
