#include "graphic/frmgraphic.h"

#include "engine/boardengine.h"
#include "engine/boardgeometry.h"
#include "engine/colorvalue.h"
#include "engine/commands.h"
#include "engine/uploadplan.h"
#include "graphic/pictureloading.h"
#include "workbench/named.h"
#include "workbench/twips.h"
#include "workbench/updown.h"
#include "workbench/userdialogs.h"
#include "workbench/workbench.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QImageReader>
#include <QImageWriter>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStringList>

namespace {

constexpr Qt::GlobalColor PictureBackground = Qt::white;

// A stopped upload finishes the board's picture in the picture box's background.
quint8 backgroundValue() {
    return ColorValue::reduce(QColor(PictureBackground).rgb());
}

constexpr int FirstScreen = 1;
constexpr int LastScreen = BoardGeometry::PictureSlots;

} // namespace

frmGraphic::frmGraphic(Workbench& workbench, QWidget* parent)
    : QWidget(parent)
    , m_workbench(workbench)
    , m_placed(PictureBackground) {
    setWindowTitle(tr(" Graphic "));
    setFixedSize(Twips::size(11655, 4890));

    m_pictureBox = named(new QLabel(this), "picBox");
    m_pictureBox->setGeometry(Twips::rect(360, 600, 4875, 3675));
    m_pictureBox->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_pictureBox->setLineWidth(2);
    m_pictureBox->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_pictureBox->setAutoFillBackground(true);
    QPalette boxPalette = m_pictureBox->palette();
    boxPalette.setColor(QPalette::Window, PictureBackground);
    m_pictureBox->setPalette(boxPalette);

    m_fileFrame = named(new QGroupBox(tr("File "), this), "Frame2");
    m_fileFrame->setGeometry(Twips::rect(5880, 600, 2535, 1695));
    m_openButton = named(new QPushButton(tr("Open"), m_fileFrame), "cmdOpen");
    m_openButton->setGeometry(Twips::rect(360, 360, 1215, 375));
    m_previewButton = named(new QPushButton(tr("Preview"), m_fileFrame), "cmdPreview");
    m_previewButton->setGeometry(Twips::rect(360, 960, 1215, 375));

    m_slotFrame = named(new QGroupBox(tr("Picture"), this), "Frame1");
    m_slotFrame->setGeometry(Twips::rect(5880, 2640, 2535, 1575));
    m_saveButton = named(new QPushButton(tr("Save"), m_slotFrame), "cmdSave");
    m_saveButton->setGeometry(Twips::rect(120, 480, 1335, 375));
    m_loadButton = named(new QPushButton(tr("Load"), m_slotFrame), "cmdLoad");
    m_loadButton->setGeometry(Twips::rect(120, 960, 1335, 375));
    // Only shows the number: the commands take the up-down's value.
    m_slotBox = named(new QLineEdit(m_slotFrame), "txtScreenNumber");
    m_slotBox->setGeometry(Twips::rect(1680, 720, 375, 285));
    m_slotBox->setReadOnly(true);
    m_slotUpDown = named(new UpDown(m_slotFrame), "udScreenNumber");
    m_slotUpDown->setGeometry(Twips::rect(2040, 720, 240, 285));
    m_slotUpDown->setRange(FirstScreen, LastScreen);
    m_slotUpDown->setToolTip(tr("Change Screen Number"));

    // Holds the chunk being saved; hidden, as nothing reads it.
    m_savedChunkBox = named(new QLineEdit(this), "txtGraphic");
    m_savedChunkBox->setGeometry(Twips::rect(4320, 6000, 495, 285));
    m_savedChunkBox->setReadOnly(true);
    m_savedChunkBox->hide();

    // How the picture meets the screen, beside the other frames.
    m_fitFrame = named(new QGroupBox(tr("Fit"), this), "Frame3");
    m_fitFrame->setGeometry(Twips::rect(8760, 600, 2535, 3615));
    m_sizeLabel = named(new QLabel(tr("Size"), m_fitFrame), "lblSize");
    m_sizeLabel->setGeometry(Twips::rect(120, 330, 2295, 255));
    m_sizeList = named(new QComboBox(m_fitFrame), "cboSize");
    m_sizeList->setGeometry(Twips::rect(120, 585, 2295, 345));
    m_sizeList->addItems({tr("As is"), tr("Fit"), tr("Fill"), tr("Stretch")});
    m_sizeList->setToolTip(tr("How the picture is sized onto the 320 x 240 screen"));
    m_ditherLabel = named(new QLabel(tr("Dither"), m_fitFrame), "lblDither");
    m_ditherLabel->setGeometry(Twips::rect(120, 1050, 2295, 255));
    m_ditherList = named(new QComboBox(m_fitFrame), "cboDither");
    m_ditherList->setGeometry(Twips::rect(120, 1305, 2295, 345));
    m_ditherList->addItems({tr("None"), tr("Error diffusion"), tr("Ordered")});
    m_ditherList->setToolTip(tr("How the colours are brought down to the board's 256"));
    m_boardColorsCheck = named(new QCheckBox(tr("Board colours"), m_fitFrame), "chkBoardColors");
    m_boardColorsCheck->setGeometry(Twips::rect(120, 1800, 2295, 315));
    m_boardColorsCheck->setToolTip(tr("Show the picture as the board will show it"));
    m_savePngButton = named(new QPushButton(tr("Save as PNG..."), m_fitFrame), "cmdSavePng");
    m_savePngButton->setGeometry(Twips::rect(120, 2970, 2295, 375));
    m_savePngButton->setToolTip(tr("Save the picture as the board will show it"));

    connect(m_openButton, &QPushButton::clicked, this, &frmGraphic::openPicture);
    connect(m_previewButton, &QPushButton::clicked, this, &frmGraphic::previewOnBoard);
    connect(m_saveButton, &QPushButton::clicked, this, &frmGraphic::saveInSlot);
    connect(m_loadButton, &QPushButton::clicked, this, &frmGraphic::showStoredPicture);
    connect(m_slotUpDown, &UpDown::valueChanged, this, &frmGraphic::showSlotNumber);
    connect(m_sizeList, &QComboBox::currentIndexChanged, this, &frmGraphic::changeFit);
    connect(m_ditherList, &QComboBox::currentIndexChanged, this, &frmGraphic::showPicture);
    connect(m_boardColorsCheck, &QCheckBox::toggled, this, &frmGraphic::showPicture);
    connect(m_savePngButton, &QPushButton::clicked, this, &frmGraphic::savePictureAsPng);
    BoardEngine& engine = workbench.engine();
    connect(&engine, &BoardEngine::uploadBusyChanged, this, &frmGraphic::showTransferRunning);
    // The chunk of the picture being saved (block 0 is the save's header).
    connect(&engine, &BoardEngine::uploadBlockSent, this, [this](int block) {
        if (m_saving && block > 0)
            m_savedChunkBox->setText(QString::number(block - 1));
    });

    m_slotUpDown->setValue(FirstScreen);
    showSlotNumber();
    showTransferRunning(engine.uploadBusy());
    showPicture();
}

void frmGraphic::openPicture() {
    const QString path =
        m_workbench.dialogs().openFileName(this, pictureFileFilter(), m_pictureFolder);
    // Cancelled: the picture stays as it is.
    if (path.isEmpty())
        return;
    m_pictureFolder = QFileInfo(path).absolutePath();
    const PictureFit fit = pictureOptions().fit;
    const LoadedPicture loaded = loadPicture(path, fit);
    // The picture box keeps what it showed.
    if (loaded.outcome != LoadedPicture::Outcome::Loaded) {
        reportUnread(loaded);
        return;
    }
    m_picturePath = path;
    m_naturalPicture = m_scalingPicture = QImage();
    if (loaded.servesEveryFit)
        m_naturalPicture = m_scalingPicture = loaded.image;
    else
        pictureFor(fit) = loaded.image;
    placePicture();
}

void frmGraphic::previewOnBoard() {
    BoardEngine& engine = m_workbench.engine();
    if (!engine.portOpen())
        return;
    engine.startUpload(
        UploadPlans::preview(boardPixels(picture(), pictureOptions()), backgroundValue()), this);
}

void frmGraphic::saveInSlot() {
    BoardEngine& engine = m_workbench.engine();
    if (!engine.portOpen())
        return;
    const auto screen = quint8(m_slotUpDown->value());
    // Cleared again when the save ends, which may happen before start() returns.
    m_saving = true;
    if (engine.startUpload(UploadPlans::savePicture(
                               screen, boardPixels(picture(), pictureOptions()), backgroundValue()),
                           this) != Uploader::Start::Started)
        m_saving = false;
}

void frmGraphic::showStoredPicture() {
    m_workbench.engine().send(Commands::showScreenPicture(quint8(m_slotUpDown->value())));
}

void frmGraphic::showSlotNumber() {
    m_slotBox->setText(QString::number(m_slotUpDown->value()));
}

void frmGraphic::changeFit() {
    const PictureFit fit = pictureOptions().fit;
    QImage& picture = pictureFor(fit);
    if (picture.isNull() && !m_picturePath.isEmpty()) {
        const LoadedPicture loaded = loadPicture(m_picturePath, fit);
        if (loaded.outcome != LoadedPicture::Outcome::Loaded) {
            // The file is gone or changed: the fit stays as it was, with its picture.
            const QSignalBlocker quiet(m_sizeList);
            m_sizeList->setCurrentIndex(int(m_placedFit));
            reportUnread(loaded);
            return;
        }
        picture = loaded.image;
    }
    placePicture();
}

void frmGraphic::savePictureAsPng() {
    const QString name = m_picturePath.isEmpty() ? QStringLiteral("screen")
                                                 : QFileInfo(m_picturePath).completeBaseName();
    const QString path = m_workbench.dialogs().saveFileName(
        this, tr("PNG Files(*.PNG)|*.PNG|"),
        QDir(m_pictureFolder).filePath(tr("%1 on the board.png").arg(name)));
    if (path.isEmpty())
        return;
    QImageWriter writer(path, "png");
    if (!writer.write(boardColours(boardPixels(picture(), pictureOptions())))) {
        m_workbench.dialogs().message(
            this, tr("Warning"),
            tr("Not saved: %1 (%2)").arg(QDir::toNativeSeparators(path), writer.errorString()),
            UserDialogs::Icon::Warning);
        return;
    }
    m_workbench.showStatusMessage(tr("Saved %1").arg(QDir::toNativeSeparators(path)));
}

PictureOptions frmGraphic::pictureOptions() const {
    return {PictureFit(m_sizeList->currentIndex()), PictureDither(m_ditherList->currentIndex()),
            PictureBackground};
}

const QImage& frmGraphic::picture() const {
    return m_placedFit == PictureFit::AsIs ? m_naturalPicture : m_scalingPicture;
}

QImage& frmGraphic::pictureFor(PictureFit fit) {
    return fit == PictureFit::AsIs ? m_naturalPicture : m_scalingPicture;
}

void frmGraphic::reportUnread(const LoadedPicture& unread) {
    if (unread.outcome == LoadedPicture::Outcome::TooLarge)
        m_workbench.dialogs().message(this, tr("Warning"), unread.error,
                                      UserDialogs::Icon::Warning);
    else
        m_workbench.showStatusMessage(unread.error);
}

void frmGraphic::placePicture() {
    m_placedFit = pictureOptions().fit;
    m_placed = placedPicture(picture(), m_placedFit, PictureBackground);
    showPicture();
}

// The placed picture in full colour, or exactly the colours the board will show.
void frmGraphic::showPicture() {
    const QImage shown = m_boardColorsCheck->isChecked()
                             ? boardColours(reducedPixels(m_placed, pictureOptions().dither))
                             : m_placed.image();
    m_pictureBox->setPixmap(QPixmap::fromImage(shown));
}

void frmGraphic::showTransferRunning(bool running) {
    if (!running)
        m_saving = false;
    // A button that loses its focus by being disabled would hand it to the next control;
    // the window holds it meanwhile, and gives it back when the transfer ends.
    QWidget* focused = focusWidget();
    const QList<QPushButton*> transferButtons{m_previewButton, m_saveButton, m_loadButton};
    if (running && transferButtons.contains(focused)) {
        m_focusBeforeTransfer = focused;
        setFocus(Qt::OtherFocusReason);
    }
    for (QPushButton* button : transferButtons)
        button->setEnabled(!running);
    if (!running && m_focusBeforeTransfer) {
        if (focusWidget() == this)
            m_focusBeforeTransfer->setFocus(Qt::OtherFocusReason);
        m_focusBeforeTransfer = nullptr;
    }
}
