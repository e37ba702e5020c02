#include "project/frmproject.h"

#include "engine/boardengine.h"
#include "engine/boardgeometry.h"
#include "engine/linesettings.h"
#include "graphic/pictureloading.h"
#include "project/projectfile.h"
#include "project/projectplan.h"
#include "project/projectprovisioner.h"
#include "project/projectrender.h"
#include "workbench/named.h"
#include "workbench/userdialogs.h"
#include "workbench/workbench.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const QString ProjectFilter = QStringLiteral("Board Projects(*.toml)|*.toml|");
const QString PngFilter = QStringLiteral("PNG Files(*.PNG)|*.PNG|");
const QSize Thumbnail(80, 60);

enum PictureColumn { Thumb, Slot, File, Size, Dither };

QString fontText(const ProjectFont& font) {
    QStringList text{font.family, QString::number(font.pointSize)};
    if (font.bold)
        text.append(QStringLiteral("bold"));
    if (font.italic)
        text.append(QStringLiteral("italic"));
    if (font.underline)
        text.append(QStringLiteral("underline"));
    if (font.strikeOut)
        text.append(QStringLiteral("strikeout"));
    return text.join(QLatin1Char(' '));
}

// The first slot no entry takes, or 0 when all are taken.
template <typename Entries> int freeSlot(const Entries& entries, int slots) {
    for (int slot = 1; slot <= slots; ++slot) {
        if (std::none_of(entries.begin(), entries.end(),
                         [slot](const auto& entry) { return entry.slot == slot; }))
            return slot;
    }
    return 0;
}

QPushButton* button(const QString& caption, const char* name, QWidget* parent) {
    return named(new QPushButton(caption, parent), name);
}

} // namespace

frmProject::frmProject(Workbench& workbench, QWidget* parent)
    : QWidget(parent)
    , m_workbench(workbench)
    , m_provisioner(new ProjectProvisioner(workbench.engine(), this)) {
    setObjectName(QStringLiteral("frmProject"));
    auto* layout = new QVBoxLayout(this);

    auto* fileRow = new QHBoxLayout;
    m_newButton = button(tr("New"), "cmdNew", this);
    m_openButton = button(tr("Open..."), "cmdOpen", this);
    m_saveButton = button(tr("Save"), "cmdSave", this);
    m_saveAsButton = button(tr("Save As..."), "cmdSaveAs", this);
    m_speedList = named(new QComboBox(this), "cboSpeed");
    const QList<int> rates = LineSettings::baudRates();
    for (int rate : rates)
        m_speedList->addItem(QString::number(rate), rate);
    m_speedList->setToolTip(tr("The board's line speed, in bit/s"));
    for (QWidget* widget :
         {static_cast<QWidget*>(m_newButton), static_cast<QWidget*>(m_openButton),
          static_cast<QWidget*>(m_saveButton), static_cast<QWidget*>(m_saveAsButton)})
        fileRow->addWidget(widget);
    fileRow->addStretch();
    fileRow->addWidget(new QLabel(tr("Speed"), this));
    fileRow->addWidget(m_speedList);
    layout->addLayout(fileRow);

    auto* fontsFrame = named(new QGroupBox(tr("Fonts"), this), "fraFonts");
    auto* fontsLayout = new QGridLayout(fontsFrame);
    m_fontsTable = named(new QTableWidget(0, 2, fontsFrame), "lstFonts");
    m_fontsTable->setHorizontalHeaderLabels({tr("Slot"), tr("Font")});
    m_fontsTable->horizontalHeader()->setStretchLastSection(true);
    m_fontsTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_fontsTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_fontsTable->setMaximumHeight(100);
    m_fontsTable->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_addFontButton = button(tr("Add Font..."), "cmdAddFont", fontsFrame);
    m_removeFontButton = button(tr("Remove"), "cmdRemoveFont", fontsFrame);
    fontsLayout->addWidget(m_fontsTable, 0, 0, 3, 1);
    fontsLayout->addWidget(m_addFontButton, 0, 1);
    fontsLayout->addWidget(m_removeFontButton, 1, 1);
    layout->addWidget(fontsFrame);

    auto* picturesFrame = named(new QGroupBox(tr("Pictures"), this), "fraPictures");
    auto* picturesLayout = new QGridLayout(picturesFrame);
    m_picturesTable = named(new QTableWidget(0, 5, picturesFrame), "lstPictures");
    m_picturesTable->setHorizontalHeaderLabels(
        {tr("Picture"), tr("Slot"), tr("File"), tr("Size"), tr("Dither")});
    m_picturesTable->horizontalHeader()->setSectionResizeMode(File, QHeaderView::Stretch);
    m_picturesTable->setColumnWidth(Thumb, Thumbnail.width() + 10);
    m_picturesTable->setColumnWidth(Slot, 60);
    m_fontsTable->setColumnWidth(0, 60);
    m_picturesTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_picturesTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_picturesTable->setIconSize(Thumbnail);
    m_picturesTable->verticalHeader()->setDefaultSectionSize(Thumbnail.height() + 4);
    m_addPictureButton = button(tr("Add Picture..."), "cmdAddPicture", picturesFrame);
    m_removePictureButton = button(tr("Remove"), "cmdRemovePicture", picturesFrame);
    picturesLayout->addWidget(m_picturesTable, 0, 0, 3, 1);
    picturesLayout->addWidget(m_addPictureButton, 0, 1);
    picturesLayout->addWidget(m_removePictureButton, 1, 1);
    layout->addWidget(picturesFrame, 3);

    auto* startFrame = named(new QGroupBox(tr("Start screen"), this), "fraStart");
    auto* startLayout = new QVBoxLayout(startFrame);
    m_startBox = named(new QPlainTextEdit(startFrame), "txtStart");
    m_startBox->setPlaceholderText(tr("One lumaret-cli command a line: clear '#000040'"));
    m_startBox->setMaximumHeight(110);
    startLayout->addWidget(m_startBox);
    layout->addWidget(startFrame, 1);

    auto* actionRow = new QHBoxLayout;
    m_checkButton = button(tr("Check"), "cmdCheck", this);
    m_provisionButton = button(tr("Provision"), "cmdProvision", this);
    m_renderButton = button(tr("Render..."), "cmdRender", this);
    actionRow->addWidget(m_checkButton);
    actionRow->addWidget(m_provisionButton);
    actionRow->addWidget(m_renderButton);
    actionRow->addStretch();
    layout->addLayout(actionRow);
    m_planBox = named(new QPlainTextEdit(this), "txtPlan");
    m_planBox->setReadOnly(true);
    m_planBox->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_planBox->setFont(QFont(QStringLiteral("monospace")));
    layout->addWidget(m_planBox, 1);

    connect(m_newButton, &QPushButton::clicked, this, &frmProject::newProject);
    connect(m_openButton, &QPushButton::clicked, this, &frmProject::openProject);
    connect(m_saveButton, &QPushButton::clicked, this, &frmProject::saveProject);
    connect(m_saveAsButton, &QPushButton::clicked, this, &frmProject::saveProjectAs);
    connect(m_addFontButton, &QPushButton::clicked, this, &frmProject::addFont);
    connect(m_removeFontButton, &QPushButton::clicked, this, &frmProject::removeFont);
    connect(m_addPictureButton, &QPushButton::clicked, this, &frmProject::addPicture);
    connect(m_removePictureButton, &QPushButton::clicked, this, &frmProject::removePicture);
    connect(m_checkButton, &QPushButton::clicked, this, &frmProject::checkProject);
    connect(m_provisionButton, &QPushButton::clicked, this, &frmProject::provisionBoard);
    connect(m_renderButton, &QPushButton::clicked, this, &frmProject::renderProject);
    connect(m_speedList, &QComboBox::currentIndexChanged, this, [this] {
        m_project.baudRate = m_speedList->currentData().toInt();
        markChanged();
    });
    connect(m_startBox, &QPlainTextEdit::textChanged, this, [this] {
        takeStartLines();
        markChanged();
    });
    connect(m_provisioner, &ProjectProvisioner::stepStarted, this,
            [this](int index, int count, const QString& name) {
                m_workbench.showStatusMessage(
                    tr("Provisioning %1 (%2 of %3)").arg(name).arg(index + 1).arg(count));
            });
    connect(m_provisioner, &ProjectProvisioner::finished, this,
            [this](bool completed, const QString& message) {
                m_provisionButton->setEnabled(true);
                m_workbench.showStatusMessage(message);
                if (!completed)
                    m_workbench.dialogs().message(this, tr("Warning"),
                                                  tr("Provisioning stopped: %1").arg(message),
                                                  UserDialogs::Icon::Warning);
            });
    // Lists and the plan scroll: the window fits beside the board on a small screen.
    setMinimumSize(600, 460);
    showProject();
}

void frmProject::showProject() {
    const QSignalBlocker speedBlocker(m_speedList);
    const QSignalBlocker startBlocker(m_startBox);
    m_speedList->setCurrentIndex(m_speedList->findData(m_project.baudRate));
    QStringList lines;
    for (const ProjectStartLine& line : std::as_const(m_project.start))
        lines.append(line.text);
    m_startBox->setPlainText(lines.join(QLatin1Char('\n')));
    showFonts();
    showPictures();
    m_planBox->clear();
    m_changed = false;
    showTitle();
}

void frmProject::showTitle() {
    const QString name =
        m_project.path.isEmpty() ? tr("new project") : QFileInfo(m_project.path).fileName();
    setWindowTitle(tr("Project - %1%2").arg(name, m_changed ? QStringLiteral(" *") : QString()));
}

void frmProject::markChanged() {
    m_changed = true;
    showTitle();
}

void frmProject::showFonts() {
    m_fontsTable->setRowCount(0);
    for (qsizetype row = 0; row < m_project.fonts.size(); ++row) {
        const ProjectFont& font = m_project.fonts.at(row);
        m_fontsTable->insertRow(int(row));
        auto* slot = new QSpinBox(m_fontsTable);
        slot->setRange(1, BoardGeometry::FontSlots);
        slot->setValue(font.slot);
        connect(slot, &QSpinBox::valueChanged, this, [this, row](int value) {
            m_project.fonts[row].slot = value;
            markChanged();
        });
        m_fontsTable->setCellWidget(int(row), 0, slot);
        m_fontsTable->setItem(int(row), 1, new QTableWidgetItem(fontText(font)));
    }
}

void frmProject::showPictures() {
    m_picturesTable->setRowCount(0);
    for (qsizetype index = 0; index < m_project.pictures.size(); ++index) {
        const auto row = int(index);
        const ProjectPicture& picture = m_project.pictures.at(index);
        m_picturesTable->insertRow(row);
        auto* slot = new QSpinBox(m_picturesTable);
        slot->setRange(1, BoardGeometry::PictureSlots);
        slot->setValue(picture.slot);
        connect(slot, &QSpinBox::valueChanged, this, [this, row](int value) {
            m_project.pictures[row].slot = value;
            markChanged();
        });
        m_picturesTable->setCellWidget(row, Slot, slot);
        m_picturesTable->setItem(row, File, new QTableWidgetItem(picture.file));
        auto* size = new QComboBox(m_picturesTable);
        size->addItems(pictureFitNames());
        size->setCurrentIndex(int(picture.fit));
        connect(size, &QComboBox::currentIndexChanged, this, [this, row](int value) {
            m_project.pictures[row].fit = PictureFit(value);
            showPictureThumbnail(row);
            markChanged();
        });
        m_picturesTable->setCellWidget(row, Size, size);
        auto* dither = new QComboBox(m_picturesTable);
        dither->addItems(pictureDitherNames());
        dither->setCurrentIndex(int(picture.dither));
        connect(dither, &QComboBox::currentIndexChanged, this, [this, row](int value) {
            m_project.pictures[row].dither = PictureDither(value);
            showPictureThumbnail(row);
            markChanged();
        });
        m_picturesTable->setCellWidget(row, Dither, dither);
        showPictureThumbnail(row);
    }
}

// The picture as the board shows it, small.
void frmProject::showPictureThumbnail(int row) {
    const ProjectPicture& picture = m_project.pictures.at(row);
    const LoadedPicture loaded = loadPicture(m_project.picturePath(picture), picture.fit);
    auto* item = new QTableWidgetItem;
    if (loaded.outcome == LoadedPicture::Outcome::Loaded) {
        const QImage shown =
            boardColours(boardPixels(loaded.image, {picture.fit, picture.dither, Qt::white}));
        item->setIcon(QIcon(QPixmap::fromImage(
            shown.scaled(Thumbnail, Qt::KeepAspectRatio, Qt::SmoothTransformation))));
    } else {
        item->setText(tr("unreadable"));
        item->setToolTip(loaded.error);
    }
    m_picturesTable->setItem(row, Thumb, item);
}

void frmProject::takeStartLines() {
    m_project.start.clear();
    const QStringList lines = m_startBox->toPlainText().split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        if (!line.trimmed().isEmpty())
            m_project.start.append({line.trimmed(), 0});
    }
}

bool frmProject::changesMayGo() {
    return !m_changed ||
           m_workbench.dialogs().message(this, tr("Attention"),
                                         tr("The project has changes that are not saved. "
                                            "Discard them?"),
                                         UserDialogs::Icon::Question,
                                         UserDialogs::Buttons::OkCancel) == UserDialogs::Answer::Ok;
}

void frmProject::newProject() {
    if (!changesMayGo())
        return;
    m_project = BoardProject{};
    showProject();
}

void frmProject::openProject() {
    if (!changesMayGo())
        return;
    const QString folder =
        m_project.path.isEmpty() ? QString() : QFileInfo(m_project.path).absolutePath();
    const QString path = m_workbench.dialogs().openFileName(this, ProjectFilter, folder);
    if (path.isEmpty())
        return;
    const ProjectFile::Reading reading = ProjectFile::read(path);
    if (!reading.issues.isEmpty() && reading.issues.first().line == 0) {
        m_workbench.dialogs().message(this, tr("Warning"), reading.issues.first().text(),
                                      UserDialogs::Icon::Warning);
        return;
    }
    m_project = reading.project;
    showProject();
    // What could not be read is told, and left out.
    QStringList problems;
    for (const ProjectIssue& issue : reading.issues)
        problems.append(printableText(issue.text()));
    m_planBox->setPlainText(problems.join(QLatin1Char('\n')));
}

void frmProject::saveProject() {
    if (m_project.path.isEmpty())
        saveProjectAs();
    else
        saveTo(m_project.path);
}

void frmProject::saveProjectAs() {
    const QString suggested =
        m_project.path.isEmpty() ? QStringLiteral("board.toml") : m_project.path;
    QString path = m_workbench.dialogs().saveFileName(this, ProjectFilter, suggested);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".toml");
    saveTo(path);
}

bool frmProject::saveTo(const QString& path) {
    BoardProject saved = m_project;
    // Picture files move with the project: relative to its new folder where they can be.
    for (ProjectPicture& picture : saved.pictures)
        picture.file = QFileInfo(m_project.picturePath(picture)).absoluteFilePath();
    saved.path = QFileInfo(path).absoluteFilePath();
    for (ProjectPicture& picture : saved.pictures)
        picture.file = saved.relativeFile(picture.file);
    QString error;
    if (!ProjectFile::write(saved, path, &error)) {
        m_workbench.dialogs().message(this, tr("Warning"), error, UserDialogs::Icon::Warning);
        return false;
    }
    m_project.path = saved.path;
    m_project.pictures = saved.pictures;
    m_changed = false;
    showTitle();
    m_workbench.showStatusMessage(tr("Saved %1").arg(QDir::toNativeSeparators(path)));
    return true;
}

void frmProject::addFont() {
    const int slot = freeSlot(m_project.fonts, BoardGeometry::FontSlots);
    if (slot == 0) {
        m_workbench.dialogs().message(this, tr("Information"),
                                      tr("Both font slots are taken: remove a font first."),
                                      UserDialogs::Icon::Information);
        return;
    }
    const std::optional<UserDialogs::FontChoice> choice =
        m_workbench.dialogs().chooseFont(this, tr("Font"), {});
    if (!choice)
        return;
    const QFont& font = choice->font;
    m_project.fonts.append({slot, font.family(), std::max(1, font.pointSize()), font.bold(),
                            font.italic(), font.underline() && !font.italic(),
                            font.strikeOut() && !font.italic(), 0});
    showFonts();
    markChanged();
}

void frmProject::removeFont() {
    const int row = m_fontsTable->currentRow();
    if (row < 0 || row >= m_project.fonts.size())
        return;
    m_project.fonts.removeAt(row);
    showFonts();
    markChanged();
}

void frmProject::addPicture() {
    const int slot = freeSlot(m_project.pictures, BoardGeometry::PictureSlots);
    if (slot == 0) {
        m_workbench.dialogs().message(this, tr("Information"),
                                      tr("All twelve picture slots are taken: remove a picture "
                                         "first."),
                                      UserDialogs::Icon::Information);
        return;
    }
    const QString folder =
        m_project.path.isEmpty() ? QString() : QFileInfo(m_project.path).absolutePath();
    const QString path = m_workbench.dialogs().openFileName(this, pictureFileFilter(), folder);
    if (path.isEmpty())
        return;
    m_project.pictures.append(
        {slot, m_project.relativeFile(path), PictureFit::Fit, PictureDither::None, 0});
    showPictures();
    markChanged();
}

void frmProject::removePicture() {
    const int row = m_picturesTable->currentRow();
    if (row < 0 || row >= m_project.pictures.size())
        return;
    m_project.pictures.removeAt(row);
    showPictures();
    markChanged();
}

bool frmProject::planned(ProjectPlan& plan) {
    plan = ProjectPlan::make(m_project);
    if (plan.ok())
        return true;
    QStringList problems;
    for (const ProjectIssue& issue : std::as_const(plan.issues))
        problems.append(printableText(issue.text()));
    m_planBox->setPlainText(problems.join(QLatin1Char('\n')));
    return false;
}

void frmProject::checkProject() {
    ProjectPlan plan;
    if (!planned(plan))
        return;
    const QLocale locale;
    QStringList lines;
    for (const ProjectStep& step : std::as_const(plan.steps)) {
        const StepTime time = step.time(plan.baudRate);
        lines.append(tr("%1  %2 bytes  %3 / %4  %5")
                         .arg(step.name.leftJustified(11), locale.toString(step.byteCount()),
                              durationText(time.answerPacedMs), durationText(time.pollPacedMs),
                              step.detail));
    }
    const StepTime total = plan.totalTime(AllProjectParts);
    lines.append(tr("Total: %1 bytes, %2 paced by the board's answers (Fast Transfers), %3 by "
                    "the poll, at %4 bit/s")
                     .arg(locale.toString(plan.totalBytes(AllProjectParts)),
                          durationText(total.answerPacedMs), durationText(total.pollPacedMs))
                     .arg(plan.baudRate));
    m_planBox->setPlainText(lines.join(QLatin1Char('\n')));
}

void frmProject::provisionBoard() {
    BoardEngine& engine = m_workbench.engine();
    if (!engine.portOpen()) {
        m_workbench.dialogs().message(this, tr("Information"),
                                      tr("Connect to a board first (File > Settings)."),
                                      UserDialogs::Icon::Information);
        return;
    }
    ProjectPlan plan;
    if (!planned(plan))
        return;
    if (m_provisioner->start(plan.steps))
        m_provisionButton->setEnabled(false);
    else
        m_workbench.showStatusMessage(tr("The board is busy with another upload"));
}

void frmProject::renderProject() {
    ProjectPlan plan;
    if (!planned(plan))
        return;
    const QString suggested =
        m_project.path.isEmpty()
            ? QStringLiteral("start.png")
            : QFileInfo(m_project.path).absoluteDir().filePath(QStringLiteral("start.png"));
    const QString path = m_workbench.dialogs().saveFileName(this, PngFilter, suggested);
    if (path.isEmpty())
        return;
    // The pictures of the slots and fonts go beside start.png.
    QStringList written;
    QString error;
    if (!ProjectRender::write(plan, QFileInfo(path).absolutePath(), &written, &error)) {
        m_workbench.dialogs().message(this, tr("Warning"), error, UserDialogs::Icon::Warning);
        return;
    }
    m_workbench.showStatusMessage(
        tr("Rendered %1 pictures into %2")
            .arg(written.size())
            .arg(QDir::toNativeSeparators(QFileInfo(path).absolutePath())));
}
