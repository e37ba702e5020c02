#include "board/mirrordesk.h"

#include "board/boardmirror.h"
#include "board/boardsimulator.h"
#include "board/frmboardmirror.h"
#include "engine/boardengine.h"
#include "workbench/workbench.h"

#include <QAction>
#include <QPointer>
#include <QWidget>

QAction* installBoardMirror(Workbench& workbench, QWidget& mainWindow) {
    BoardMirror& mirror = BoardMirror::attachedTo(workbench.engine());
    BoardEngine& engine = workbench.engine();
    auto* action = new QAction(QObject::tr("Board"), &mainWindow);
    action->setObjectName(QStringLiteral("mnuBoardMirror"));
    action->setVisible(false);
    auto window = std::make_shared<QPointer<frmBoardMirror>>();
    const auto realPortOpen = [&engine] {
        return engine.portOpen() && !isSimulatorPort(engine.portName());
    };
    QObject::connect(&engine, &BoardEngine::portOpenChanged, action, [=, &engine] {
        action->setVisible(realPortOpen());
        if (*window && engine.portOpen())
            (*window)->setPortName(engine.portName());
    });
    QObject::connect(action, &QAction::triggered, &mainWindow,
                     [=, &workbench, &mirror, &engine, &mainWindow] {
                         if (!*window) {
                             *window = new frmBoardMirror(workbench, mirror, &mainWindow);
                             (*window)->setPortName(engine.portName());
                         }
                         (*window)->show();
                         (*window)->raise();
                         (*window)->activateWindow();
                     });
    return action;
}
