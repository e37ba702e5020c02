#include "board/frmboard.h"

#include "engine/boardengine.h"
#include "engine/clock.h"
#include "workbench/workbench.h"
#include "board/boardemulator.h"
#include "board/boardview.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QVBoxLayout>

namespace {

constexpr int BeepShownMs = 400;

} // namespace

frmBoard::frmBoard(Workbench& workbench, BoardEmulator& board, QWidget* parent)
    : QWidget(parent)
    , m_workbench(workbench)
    , m_board(board) {
    setWindowTitle(tr(" Board "));

    picScreen = new BoardView(board, this);
    picScreen->setObjectName(QStringLiteral("picScreen"));
    picScreen->setToolTip(tr("Click to touch the screen; in keypad mode the keys 0-9, A-D, * "
                             "and # press the keypad"));
    lblState = new QLabel(this);
    lblState->setObjectName(QStringLiteral("lblState"));
    lblBeep = new QLabel(tr("Beep"), this);
    lblBeep->setObjectName(QStringLiteral("lblBeep"));
    lblBeep->setVisible(false);
    QFont bold = lblBeep->font();
    bold.setBold(true);
    lblBeep->setFont(bold);

    auto* stateLine = new QHBoxLayout;
    stateLine->addWidget(lblState, 1);
    stateLine->addWidget(lblBeep);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    layout->addWidget(picScreen, 1);
    layout->addLayout(stateLine);

    connect(&board, &BoardEmulator::settingsChanged, this, &frmBoard::showState);
    connect(&board, &BoardEmulator::beeped, this, &frmBoard::announceBeep);
    showState();
}

void frmBoard::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_fitted)
        return;
    m_fitted = true;
    // The panel prefers 2x; where the main window's area is smaller, the window
    // starts at the size that fits and the panel scales down with it.
    auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget());
    if (frame && frame->mdiArea()) {
        const QSize room = frame->mdiArea()->viewport()->size();
        frame->resize(frame->size().boundedTo(room));
        frame->move(0, 0);
    }
}

void frmBoard::showState() {
    QString touch;
    switch (m_board.touchMode()) {
    case BoardEmulator::TouchMode::Off:
        touch = tr("off");
        break;
    case BoardEmulator::TouchMode::Coordinates:
        touch = tr("coordinates");
        break;
    case BoardEmulator::TouchMode::Keypad:
        touch = tr("keypad");
        break;
    }
    if (m_board.calibrationTarget())
        touch = tr("calibrating (tap the cross)");
    lblState->setText(tr("%1 baud   Touch: %2   Beep on touch: %3   Backlight: %4")
                          .arg(m_board.baudRate())
                          .arg(touch, m_board.beepOnTouch() ? tr("on") : tr("off"),
                               m_board.backlight() ? tr("on") : tr("off")));
}

void frmBoard::announceBeep() {
    QApplication::beep();
    lblBeep->setVisible(true);
    ++m_beepFlashes;
    m_workbench.engine().clock().callAfter(BeepShownMs, this, [this] {
        if (--m_beepFlashes == 0)
            lblBeep->setVisible(false);
    });
}
