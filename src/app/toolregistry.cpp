#include "app/toolregistry.h"

#include "app/toolwindows.h"
#include "board/boardsimulator.h"
#include "serial/frmsettings.h"

void registerToolWindows(ToolWindows& windows, Workbench& workbench, bool builtInSimulator) {
    windows.add(QStringLiteral("frmSettings"),
                [](Workbench& workbench) { return new frmSettings(workbench); });
    if (builtInSimulator)
        installBoardSimulator(windows, workbench);
}
