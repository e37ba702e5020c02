#include "board/boardsimulator.h"

#include "workbench/toolwindows.h"
#include "workbench/workbench.h"
#include "board/boardemulator.h"
#include "board/frmboard.h"
#include "board/simulatorlink.h"
#include "engine/boardengine.h"
#include "engine/portcatalog.h"

#include <QPointer>

namespace {

const QString PortName = QStringLiteral("Simulator");
const QString WindowName = QStringLiteral("frmBoard");

} // namespace

void installBoardSimulator(ToolWindows& windows, Workbench& workbench) {
    auto* board = new BoardEmulator(&workbench.engine());
    board->setObjectName(QStringLiteral("BoardEmulator"));
    // Nobody talks to it until the app opens its port.
    board->setLineBaudRate(0);

    const QPointer<BoardEmulator> alive(board);
    QPointer<ToolWindows> toolWindows(&windows);
    workbench.engine().ports().addVirtualPort(
        {PortName, PortName}, [alive, toolWindows](const QString&) -> std::unique_ptr<SerialLink> {
            if (!alive)
                return nullptr;
            return std::make_unique<SimulatorLink>(*alive, [toolWindows] {
                if (toolWindows)
                    toolWindows->show(WindowName, ToolWindows::Activation::ShowOnly);
            });
        });
    windows.add(WindowName,
                [board](Workbench& workbench) { return new frmBoard(workbench, *board); });
}
