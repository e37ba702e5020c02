#include "project/frmproject.h"

#include "engine/boardengine.h"
#include "engine/linesettings.h"
#include "engine/msserial.h"
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
constexpr int FontSlots = 2;
constexpr int PictureSlots = 12;
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
    cmdNew = button(tr("New"), "cmdNew", this);
    cmdOpen = button(tr("Open..."), "cmdOpen", this);
    cmdSave = button(tr("Save"), "cmdSave", this);
    cmdSaveAs = button(tr("Save As..."), "cmdSaveAs", this);
    cboSpeed = named(new QComboBox(this), "cboSpeed");
    const QList<int> rates = LineSettings::baudRates();
    for (int rate : rates)
        cboSpeed->addItem(QString::number(rate), rate);
    cboSpeed->setToolTip(tr("The board's line speed, in bit/s"));
    for (QWidget* widget : {static_cast<QWidget*>(cmdNew), static_cast<QWidget*>(cmdOpen),
                            static_cast<QWidget*>(cmdSave), static_cast<QWidget*>(cmdSaveAs)})
        fileRow->addWidget(widget);
    fileRow->addStretch();
    fileRow->addWidget(new QLabel(tr("Speed"), this));
    fileRow->addWidget(cboSpeed);
    layout->addLayout(fileRow);

    auto* fontsFrame = named(new QGroupBox(tr("Fonts"), this), "fraFonts");
    auto* fontsLayout = new QGridLayout(fontsFrame);
    lstFonts = named(new QTableWidget(0, 2, fontsFrame), "lstFonts");
    lstFonts->setHorizontalHeaderLabels({tr("Slot"), tr("Font")});
    lstFonts->horizontalHeader()->setStretchLastSection(true);
    lstFonts->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstFonts->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstFonts->setMaximumHeight(100);
    lstFonts->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    cmdAddFont = button(tr("Add Font..."), "cmdAddFont", fontsFrame);
    cmdRemoveFont = button(tr("Remove"), "cmdRemoveFont", fontsFrame);
    fontsLayout->addWidget(lstFonts, 0, 0, 3, 1);
    fontsLayout->addWidget(cmdAddFont, 0, 1);
    fontsLayout->addWidget(cmdRemoveFont, 1, 1);
    layout->addWidget(fontsFrame);

    auto* picturesFrame = named(new QGroupBox(tr("Pictures"), this), "fraPictures");
    auto* picturesLayout = new QGridLayout(picturesFrame);
    lstPictures = named(new QTableWidget(0, 5, picturesFrame), "lstPictures");
    lstPictures->setHorizontalHeaderLabels(
        {tr("Picture"), tr("Slot"), tr("File"), tr("Size"), tr("Dither")});
    lstPictures->horizontalHeader()->setSectionResizeMode(File, QHeaderView::Stretch);
    lstPictures->setColumnWidth(Thumb, Thumbnail.width() + 10);
    lstPictures->setColumnWidth(Slot, 60);
    lstFonts->setColumnWidth(0, 60);
    lstPictures->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstPictures->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstPictures->setIconSize(Thumbnail);
    lstPictures->verticalHeader()->setDefaultSectionSize(Thumbnail.height() + 4);
    cmdAddPicture = button(tr("Add Picture..."), "cmdAddPicture", picturesFrame);
    cmdRemovePicture = button(tr("Remove"), "cmdRemovePicture", picturesFrame);
    picturesLayout->addWidget(lstPictures, 0, 0, 3, 1);
    picturesLayout->addWidget(cmdAddPicture, 0, 1);
    picturesLayout->addWidget(cmdRemovePicture, 1, 1);
    layout->addWidget(picturesFrame, 3);

    auto* startFrame = named(new QGroupBox(tr("Start screen"), this), "fraStart");
    auto* startLayout = new QVBoxLayout(startFrame);
    txtStart = named(new QPlainTextEdit(startFrame), "txtStart");
    txtStart->setPlaceholderText(tr("One lumaret-cli command a line: clear '#000040'"));
    txtStart->setMaximumHeight(110);
    startLayout->addWidget(txtStart);
    layout->addWidget(startFrame, 1);

    auto* actionRow = new QHBoxLayout;
    cmdCheck = button(tr("Check"), "cmdCheck", this);
    cmdProvision = button(tr("Provision"), "cmdProvision", this);
    cmdRender = button(tr("Render..."), "cmdRender", this);
    actionRow->addWidget(cmdCheck);
    actionRow->addWidget(cmdProvision);
    actionRow->addWidget(cmdRender);
    actionRow->addStretch();
    layout->addLayout(actionRow);
    txtPlan = named(new QPlainTextEdit(this), "txtPlan");
    txtPlan->setReadOnly(true);
    txtPlan->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtPlan->setFont(QFont(QStringLiteral("monospace")));
    layout->addWidget(txtPlan, 1);

    connect(cmdNew, &QPushButton::clicked, this, &frmProject::cmdNew_Click);
    connect(cmdOpen, &QPushButton::clicked, this, &frmProject::cmdOpen_Click);
    connect(cmdSave, &QPushButton::clicked, this, &frmProject::cmdSave_Click);
    connect(cmdSaveAs, &QPushButton::clicked, this, &frmProject::cmdSaveAs_Click);
    connect(cmdAddFont, &QPushButton::clicked, this, &frmProject::cmdAddFont_Click);
    connect(cmdRemoveFont, &QPushButton::clicked, this, &frmProject::cmdRemoveFont_Click);
    connect(cmdAddPicture, &QPushButton::clicked, this, &frmProject::cmdAddPicture_Click);
    connect(cmdRemovePicture, &QPushButton::clicked, this, &frmProject::cmdRemovePicture_Click);
    connect(cmdCheck, &QPushButton::clicked, this, &frmProject::cmdCheck_Click);
    connect(cmdProvision, &QPushButton::clicked, this, &frmProject::cmdProvision_Click);
    connect(cmdRender, &QPushButton::clicked, this, &frmProject::cmdRender_Click);
    connect(cboSpeed, &QComboBox::currentIndexChanged, this, [this] {
        m_project.baudRate = cboSpeed->currentData().toInt();
        markChanged();
    });
    connect(txtStart, &QPlainTextEdit::textChanged, this, [this] {
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
                cmdProvision->setEnabled(true);
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
    const QSignalBlocker speedBlocker(cboSpeed);
    const QSignalBlocker startBlocker(txtStart);
    cboSpeed->setCurrentIndex(cboSpeed->findData(m_project.baudRate));
    QStringList lines;
    for (const ProjectStartLine& line : std::as_const(m_project.start))
        lines.append(line.text);
    txtStart->setPlainText(lines.join(QLatin1Char('\n')));
    showFonts();
    showPictures();
    txtPlan->clear();
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
    lstFonts->setRowCount(0);
    for (qsizetype row = 0; row < m_project.fonts.size(); ++row) {
        const ProjectFont& font = m_project.fonts.at(row);
        lstFonts->insertRow(int(row));
        auto* slot = new QSpinBox(lstFonts);
        slot->setRange(1, FontSlots);
        slot->setValue(font.slot);
        connect(slot, &QSpinBox::valueChanged, this, [this, row](int value) {
            m_project.fonts[row].slot = value;
            markChanged();
        });
        lstFonts->setCellWidget(int(row), 0, slot);
        lstFonts->setItem(int(row), 1, new QTableWidgetItem(fontText(font)));
    }
}

void frmProject::showPictures() {
    lstPictures->setRowCount(0);
    for (qsizetype index = 0; index < m_project.pictures.size(); ++index) {
        const auto row = int(index);
        const ProjectPicture& picture = m_project.pictures.at(index);
        lstPictures->insertRow(row);
        auto* slot = new QSpinBox(lstPictures);
        slot->setRange(1, PictureSlots);
        slot->setValue(picture.slot);
        connect(slot, &QSpinBox::valueChanged, this, [this, row](int value) {
            m_project.pictures[row].slot = value;
            markChanged();
        });
        lstPictures->setCellWidget(row, Slot, slot);
        lstPictures->setItem(row, File, new QTableWidgetItem(picture.file));
        auto* size = new QComboBox(lstPictures);
        size->addItems(pictureFitNames());
        size->setCurrentIndex(int(picture.fit));
        connect(size, &QComboBox::currentIndexChanged, this, [this, row](int value) {
            m_project.pictures[row].fit = PictureFit(value);
            showPictureThumbnail(row);
            markChanged();
        });
        lstPictures->setCellWidget(row, Size, size);
        auto* dither = new QComboBox(lstPictures);
        dither->addItems(pictureDitherNames());
        dither->setCurrentIndex(int(picture.dither));
        connect(dither, &QComboBox::currentIndexChanged, this, [this, row](int value) {
            m_project.pictures[row].dither = PictureDither(value);
            showPictureThumbnail(row);
            markChanged();
        });
        lstPictures->setCellWidget(row, Dither, dither);
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
    lstPictures->setItem(row, Thumb, item);
}

void frmProject::takeStartLines() {
    m_project.start.clear();
    const QStringList lines = txtStart->toPlainText().split(QLatin1Char('\n'));
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

void frmProject::cmdNew_Click() {
    if (!changesMayGo())
        return;
    m_project = BoardProject{};
    showProject();
}

void frmProject::cmdOpen_Click() {
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
    txtPlan->setPlainText(problems.join(QLatin1Char('\n')));
}

void frmProject::cmdSave_Click() {
    if (m_project.path.isEmpty())
        cmdSaveAs_Click();
    else
        saveTo(m_project.path);
}

void frmProject::cmdSaveAs_Click() {
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

void frmProject::cmdAddFont_Click() {
    const int slot = freeSlot(m_project.fonts, FontSlots);
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

void frmProject::cmdRemoveFont_Click() {
    const int row = lstFonts->currentRow();
    if (row < 0 || row >= m_project.fonts.size())
        return;
    m_project.fonts.removeAt(row);
    showFonts();
    markChanged();
}

void frmProject::cmdAddPicture_Click() {
    const int slot = freeSlot(m_project.pictures, PictureSlots);
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

void frmProject::cmdRemovePicture_Click() {
    const int row = lstPictures->currentRow();
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
    txtPlan->setPlainText(problems.join(QLatin1Char('\n')));
    return false;
}

void frmProject::cmdCheck_Click() {
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
    txtPlan->setPlainText(lines.join(QLatin1Char('\n')));
}

void frmProject::cmdProvision_Click() {
    BoardEngine& engine = m_workbench.engine();
    if (!engine.port().portOpen()) {
        m_workbench.dialogs().message(this, tr("Information"),
                                      tr("Connect to a board first (File > Settings)."),
                                      UserDialogs::Icon::Information);
        return;
    }
    ProjectPlan plan;
    if (!planned(plan))
        return;
    if (m_provisioner->start(plan.steps))
        cmdProvision->setEnabled(false);
    else
        m_workbench.showStatusMessage(tr("The board is busy with another upload"));
}

void frmProject::cmdRender_Click() {
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
