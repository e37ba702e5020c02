#include "monitor/eventscreenpanel.h"

#include "board/boardmirror.h"
#include "board/mirrorimage.h"
#include "board/mirrorview.h"
#include "workbench/named.h"
#include "workbench/userdialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString PngFilter = QStringLiteral("PNG Image (*.png)|*.png|");

} // namespace

EventScreenPanel::EventScreenPanel(BoardMirror& mirror, UserDialogs& dialogs, QWidget* parent)
    : QWidget(parent)
    , m_mirror(mirror)
    , m_dialogs(dialogs) {
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
    const QString suggested = m_lastSavedPath.isEmpty()
                                  ? QDir::home().filePath(QStringLiteral("board-screen.png"))
                                  : m_lastSavedPath;
    QString path = m_dialogs.saveFileName(this, PngFilter, suggested);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".png");
    QString why;
    if (!MirrorImage::savePng(*screen, path, &why)) {
        m_dialogs.message(this, tr("Warning"), tr("The screen was not saved: %1.").arg(why),
                          UserDialogs::Icon::Warning);
        return;
    }
    m_lastSavedPath = path;
}
