#include "board/frmboardmirror.h"

#include "board/boardmirror.h"
#include "board/mirrorimage.h"
#include "board/mirrorview.h"
#include "engine/boardengine.h"
#include "engine/clock.h"
#include "workbench/named.h"
#include "workbench/userdialogs.h"
#include "workbench/workbench.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QVBoxLayout>

namespace {

// A running upload changes the screen with every block: the view follows at most
// this often.
constexpr int RefreshMs = 100;

} // namespace

frmBoardMirror::frmBoardMirror(Workbench& workbench, BoardMirror& mirror, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_workbench(workbench)
    , m_mirror(mirror)
    , m_screenSaver(workbench.dialogs(), QStringLiteral("board-mirror.png")) {
    setObjectName(QStringLiteral("frmBoardMirror"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    picScreen = named(new MirrorView(this), "picScreen");
    picScreen->setToolTip(tr("A board on a serial port cannot be read back: this is what "
                             "Lumaret drew on it. Right-click to save the screen."));
    lblMirror = named(new QLabel(tr("Shows what Lumaret sent to the board since connecting; "
                                    "hatched pixels are not known."),
                                 this),
                      "lblMirror");
    lblMirror->setWordWrap(true);
    lblMirror->setFixedWidth(picScreen->width());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    layout->addWidget(picScreen);
    layout->addWidget(lblMirror);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setContextMenuPolicy(Qt::ActionsContextMenu);
    mnuSaveScreen = named(new QAction(tr("Save Screen as PNG..."), this), "mnuSaveScreen");
    connect(mnuSaveScreen, &QAction::triggered, this, &frmBoardMirror::saveScreen);
    addAction(mnuSaveScreen);

    connect(&mirror, &BoardMirror::changed, this, [this] {
        if (std::exchange(m_screenDue, true))
            return;
        m_workbench.clock().callAfter(RefreshMs, this, [this] { showScreen(); });
    });
    showScreen();
}

void frmBoardMirror::setPortName(const QString& port) {
    setWindowTitle(tr("Board (mirror of %1)").arg(QDir::toNativeSeparators(port)));
}

void frmBoardMirror::showScreen() {
    m_screenDue = false;
    picScreen->setScreen(m_mirror.screen());
}

void frmBoardMirror::saveScreen() {
    m_screenSaver.save(this, [this](const QString& path, QString* why) {
        return MirrorImage::savePng(m_mirror.screen(), path, why);
    });
}
