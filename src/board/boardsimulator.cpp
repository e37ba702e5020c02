#include "board/boardsimulator.h"

#include "board/boarddesk.h"
#include "board/boardemulator.h"
#include "board/simulatorlink.h"
#include "engine/boardengine.h"
#include "engine/portcatalog.h"
#include "workbench/workbench.h"

#include <QPointer>
#include <QWidget>

namespace {

const QString PortName = QStringLiteral("Simulator");

} // namespace

QAction* installBoardSimulator(Workbench& workbench, QWidget& mainWindow) {
    auto* board = new BoardEmulator(&mainWindow);
    board->setObjectName(QStringLiteral("BoardEmulator"));
    // Nobody talks to it until the app opens its port.
    board->setLineBaudRate(0);
    auto* desk = new BoardDesk(workbench, *board, mainWindow);

    const QPointer<BoardEmulator> alive(board);
    const QPointer<BoardDesk> deskAlive(desk);
    Clock* clock = &workbench.clock();
    workbench.ports().addVirtualPort(
        {PortName, PortName},
        [alive, deskAlive, clock](const QString&) -> std::unique_ptr<SerialLink> {
            if (!alive)
                return nullptr;
            return std::make_unique<SimulatorLink>(*alive, *clock, [deskAlive](bool open) {
                if (deskAlive)
                    deskAlive->lineOpenChanged(open);
            });
        });
    return desk->showAction();
}

bool isSimulatorPort(const QString& name) {
    return name == PortName;
}
