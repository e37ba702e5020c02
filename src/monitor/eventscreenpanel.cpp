#include "monitor/eventscreenpanel.h"

#include "board/boardmirror.h"
#include "board/mirrorimage.h"
#include "board/mirrorview.h"
#include "workbench/named.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

EventScreenPanel::EventScreenPanel(BoardMirror& mirror, UserDialogs& dialogs, QWidget* parent)
    : QWidget(parent)
    , m_mirror(mirror)
    , m_screenSaver(dialogs, QStringLiteral("board-screen.png")) {
    picEventScreen = named(new MirrorView(this), "picEventScreen");
    lblEventScreen = named(new QLabel(this), "lblEventScreen");
    lblEventScreen->setWordWrap(true);
    lblEventScreen->setFixedWidth(picEventScreen->width());
    // Room for the longest note, so that the panel's height never cuts it.
    lblEventScreen->setMinimumHeight(3 * lblEventScreen->fontMetrics().lineSpacing());
    cmdSaveScreen = named(new QPushButton(tr("Save Screen..."), this), "cmdSaveScreen");

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(picEventScreen);
    layout->addWidget(lblEventScreen);
    layout->addWidget(cmdSaveScreen, 0, Qt::AlignLeft);
    layout->addStretch();
    connect(cmdSaveScreen, &QPushButton::clicked, this, &EventScreenPanel::saveScreen);
    showScreenAfter(std::nullopt);
}

void EventScreenPanel::showScreenAfter(std::optional<quint64> event) {
    m_event = event;
    const std::optional<MirrorScreen> screen = event ? m_mirror.screenAfter(*event) : std::nullopt;
    cmdSaveScreen->setEnabled(screen.has_value());
    if (screen) {
        picEventScreen->setScreen(*screen);
        lblEventScreen->setText(tr("The screen just after this event; hatched pixels are not "
                                   "known."));
        return;
    }
    picEventScreen->clearScreen();
    lblEventScreen->setText(event ? tr("This event is older than the bytes the Monitor keeps: "
                                       "its screen cannot be told.")
                                  : tr("Select a row to see the screen just after it."));
}

void EventScreenPanel::saveScreen() {
    const std::optional<MirrorScreen> screen =
        m_event ? m_mirror.screenAfter(*m_event) : std::nullopt;
    if (!screen)
        return;
    m_screenSaver.save(this, [&screen](const QString& path, QString* why) {
        return MirrorImage::savePng(*screen, path, why);
    });
}
