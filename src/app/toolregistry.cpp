#include "app/toolregistry.h"

#include "app/toolwindows.h"
#include "serial/frmsettings.h"

void registerToolWindows(ToolWindows& windows, Workbench& workbench, bool builtInSimulator) {
    Q_UNUSED(workbench);
    Q_UNUSED(builtInSimulator);
    windows.add(QStringLiteral("frmSettings"),
                [](Workbench& workbench) { return new frmSettings(workbench); });
}
