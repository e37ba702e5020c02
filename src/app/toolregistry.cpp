#include "app/toolregistry.h"

#include "about/frmabout.h"
#include "board/boardsimulator.h"
#include "board/mirrordesk.h"
#include "draw/frmcolor.h"
#include "draw/frmcoordinates.h"
#include "draw/frmtext.h"
#include "font/frmfont.h"
#include "graphic/frmgraphic.h"
#include "monitor/frmmonitor.h"
#include "project/frmproject.h"
#include "serial/frmsettings.h"
#include "utilities/frmutilities.h"
#include "workbench/toolwindows.h"

QList<QAction*> registerToolWindows(ToolWindows& windows, Workbench& workbench, QWidget& mainWindow,
                                    bool builtInSimulator) {
    // Its load step sets the shared values: it is made only when the user opens it.
    windows.add(
        QStringLiteral("frmSettings"),
        [](Workbench& workbench) { return new frmSettings(workbench); }, ToolWindows::Home::Area,
        ToolWindows::Creation::HasEffects);
    windows.add(QStringLiteral("frmColor"),
                [](Workbench& workbench) { return new frmColor(workbench); });
    windows.add(QStringLiteral("frmText"),
                [](Workbench& workbench) { return new frmText(workbench); });
    windows.add(QStringLiteral("frmCoordinates"),
                [](Workbench& workbench) { return new frmCoordinates(workbench); });
    windows.add(QStringLiteral("frmFont"),
                [](Workbench& workbench) { return new frmFont(workbench); });
    windows.add(QStringLiteral("frmGraphic"),
                [](Workbench& workbench) { return new frmGraphic(workbench); });
    windows.add(QStringLiteral("frmUtilities"),
                [](Workbench& workbench) { return new frmUtilities(workbench); });
    // Beside the board's window, not under the tool windows.
    windows.add(
        QStringLiteral("frmMonitor"),
        [](Workbench& workbench) { return new frmMonitor(workbench); }, ToolWindows::Home::Desk);
    windows.add(QStringLiteral("frmProject"),
                [](Workbench& workbench) { return new frmProject(workbench); });
    windows.add(QStringLiteral("frmAbout"),
                [](Workbench& workbench) { return new frmAbout(workbench); });
    QList<QAction*> items{installBoardMirror(workbench, mainWindow)};
    if (builtInSimulator)
        items.prepend(installBoardSimulator(workbench, mainWindow));
    return items;
}
