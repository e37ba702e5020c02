#include "graphic/frmgraphic.h"

#include "engine/boardengine.h"
#include "engine/boardgeometry.h"
#include "engine/colorvalue.h"
#include "engine/commands.h"
#include "engine/msserial.h"
#include "engine/uploader.h"
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

// The three formats the board's tools always offered first, then PNG and whatever
// else this system can read.
QString pictureFilter() {
    QStringList patterns;
    const QList<QByteArray> formats = QImageReader::supportedImageFormats();
    for (const QByteArray& format : formats)
        patterns.append(QStringLiteral("*.") + QString::fromLatin1(format));
    return QStringLiteral("Image Files(*.BMP;*.JPG;*.GIF)|*.BMP;*.JPG;*.GIF|"
                          "PNG Files(*.PNG)|*.PNG|All Pictures|") +
           patterns.join(QLatin1Char(';')) + QLatin1Char('|');
}

} // namespace

frmGraphic::frmGraphic(Workbench& workbench, QWidget* parent)
    : QWidget(parent)
    , m_workbench(workbench)
    , m_placed(PictureBackground) {
    setWindowTitle(tr(" Graphic "));
    setFixedSize(Twips::size(11655, 4890));

    picBox = named(new QLabel(this), "picBox");
    picBox->setGeometry(Twips::rect(360, 600, 4875, 3675));
    picBox->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    picBox->setLineWidth(2);
    picBox->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    picBox->setAutoFillBackground(true);
    QPalette boxPalette = picBox->palette();
    boxPalette.setColor(QPalette::Window, PictureBackground);
    picBox->setPalette(boxPalette);

    Frame2 = named(new QGroupBox(tr("File "), this), "Frame2");
    Frame2->setGeometry(Twips::rect(5880, 600, 2535, 1695));
    cmdOpen = named(new QPushButton(tr("Open"), Frame2), "cmdOpen");
    cmdOpen->setGeometry(Twips::rect(360, 360, 1215, 375));
    cmdPreview = named(new QPushButton(tr("Preview"), Frame2), "cmdPreview");
    cmdPreview->setGeometry(Twips::rect(360, 960, 1215, 375));

    Frame1 = named(new QGroupBox(tr("Picture"), this), "Frame1");
    Frame1->setGeometry(Twips::rect(5880, 2640, 2535, 1575));
    cmdSave = named(new QPushButton(tr("Save"), Frame1), "cmdSave");
    cmdSave->setGeometry(Twips::rect(120, 480, 1335, 375));
    cmdLoad = named(new QPushButton(tr("Load"), Frame1), "cmdLoad");
    cmdLoad->setGeometry(Twips::rect(120, 960, 1335, 375));
    // Only shows the number: the commands take the up-down's value.
    txtScreenNumber = named(new QLineEdit(Frame1), "txtScreenNumber");
    txtScreenNumber->setGeometry(Twips::rect(1680, 720, 375, 285));
    txtScreenNumber->setReadOnly(true);
    udScreenNumber = named(new UpDown(Frame1), "udScreenNumber");
    udScreenNumber->setGeometry(Twips::rect(2040, 720, 240, 285));
    udScreenNumber->setRange(FirstScreen, LastScreen);
    udScreenNumber->setToolTip(tr("Change Screen Number"));

    // The chunk being saved, under the picture frame.
    txtGraphic = named(new QLineEdit(this), "txtGraphic");
    txtGraphic->setGeometry(Twips::rect(5880, 4380, 495, 285));
    txtGraphic->setReadOnly(true);
    txtGraphic->setToolTip(tr("Block of the picture being saved"));

    // How the picture meets the screen, beside the other frames.
    Frame3 = named(new QGroupBox(tr("Fit"), this), "Frame3");
    Frame3->setGeometry(Twips::rect(8760, 600, 2535, 3615));
    lblSize = named(new QLabel(tr("Size"), Frame3), "lblSize");
    lblSize->setGeometry(Twips::rect(120, 330, 2295, 255));
    cboSize = named(new QComboBox(Frame3), "cboSize");
    cboSize->setGeometry(Twips::rect(120, 585, 2295, 345));
    cboSize->addItems({tr("As is"), tr("Fit"), tr("Fill"), tr("Stretch")});
    cboSize->setToolTip(tr("How the picture is sized onto the 320 x 240 screen"));
    lblDither = named(new QLabel(tr("Dither"), Frame3), "lblDither");
    lblDither->setGeometry(Twips::rect(120, 1050, 2295, 255));
    cboDither = named(new QComboBox(Frame3), "cboDither");
    cboDither->setGeometry(Twips::rect(120, 1305, 2295, 345));
    cboDither->addItems({tr("None"), tr("Error diffusion"), tr("Ordered")});
    cboDither->setToolTip(tr("How the colours are brought down to the board's 256"));
    chkBoardColors = named(new QCheckBox(tr("Board colours"), Frame3), "chkBoardColors");
    chkBoardColors->setGeometry(Twips::rect(120, 1800, 2295, 315));
    chkBoardColors->setToolTip(tr("Show the picture as the board will show it"));
    cmdSavePng = named(new QPushButton(tr("Save as PNG..."), Frame3), "cmdSavePng");
    cmdSavePng->setGeometry(Twips::rect(120, 2970, 2295, 375));
    cmdSavePng->setToolTip(tr("Save the picture as the board will show it"));

    connect(cmdOpen, &QPushButton::clicked, this, &frmGraphic::cmdOpen_Click);
    connect(cmdPreview, &QPushButton::clicked, this, &frmGraphic::cmdPreview_Click);
    connect(cmdSave, &QPushButton::clicked, this, &frmGraphic::cmdSave_Click);
    connect(cmdLoad, &QPushButton::clicked, this, &frmGraphic::cmdLoad_Click);
    connect(udScreenNumber, &UpDown::valueChanged, this, &frmGraphic::udScreenNumber_Change);
    connect(cboSize, &QComboBox::currentIndexChanged, this, &frmGraphic::cboSize_Click);
    connect(cboDither, &QComboBox::currentIndexChanged, this, &frmGraphic::cboDither_Click);
    connect(chkBoardColors, &QCheckBox::toggled, this, &frmGraphic::chkBoardColors_Click);
    connect(cmdSavePng, &QPushButton::clicked, this, &frmGraphic::cmdSavePng_Click);
    Uploader& uploader = workbench.engine().uploader();
    connect(&uploader, &Uploader::busyChanged, this, &frmGraphic::showTransferRunning);
    // The chunk of the picture being saved (block 0 is the save's header).
    connect(&uploader, &Uploader::blockSent, this, [this](int block) {
        if (m_saving && block > 0)
            txtGraphic->setText(QString::number(block - 1));
    });

    udScreenNumber->setValue(FirstScreen);
    udScreenNumber_Change();
    showTransferRunning(uploader.isBusy());
    showPicture();
}

void frmGraphic::cmdOpen_Click() {
    const QString path = m_workbench.dialogs().openFileName(this, pictureFilter(), m_pictureFolder);
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

void frmGraphic::cmdPreview_Click() {
    BoardEngine& engine = m_workbench.engine();
    if (!engine.port().portOpen())
        return;
    engine.uploader().start(
        UploadPlans::preview(boardPixels(picture(), pictureOptions()), backgroundValue()), this);
}

void frmGraphic::cmdSave_Click() {
    BoardEngine& engine = m_workbench.engine();
    if (!engine.port().portOpen())
        return;
    const auto screen = quint8(udScreenNumber->value());
    // Cleared again when the save ends, which may happen before start() returns.
    m_saving = true;
    if (engine.uploader().start(UploadPlans::savePicture(screen,
                                                         boardPixels(picture(), pictureOptions()),
                                                         backgroundValue()),
                                this) != Uploader::Start::Started)
        m_saving = false;
}

void frmGraphic::cmdLoad_Click() {
    m_workbench.engine().send(Commands::showScreenPicture(quint8(udScreenNumber->value())));
}

void frmGraphic::udScreenNumber_Change() {
    txtScreenNumber->setText(QString::number(udScreenNumber->value()));
}

void frmGraphic::cboSize_Click() {
    const PictureFit fit = pictureOptions().fit;
    QImage& picture = pictureFor(fit);
    if (picture.isNull() && !m_picturePath.isEmpty()) {
        const LoadedPicture loaded = loadPicture(m_picturePath, fit);
        if (loaded.outcome != LoadedPicture::Outcome::Loaded) {
            // The file is gone or changed: the fit stays as it was, with its picture.
            const QSignalBlocker quiet(cboSize);
            cboSize->setCurrentIndex(int(m_placedFit));
            reportUnread(loaded);
            return;
        }
        picture = loaded.image;
    }
    placePicture();
}

void frmGraphic::cboDither_Click() {
    showPicture();
}

void frmGraphic::chkBoardColors_Click() {
    showPicture();
}

void frmGraphic::cmdSavePng_Click() {
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
    return {PictureFit(cboSize->currentIndex()), PictureDither(cboDither->currentIndex()),
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
    const QImage shown = chkBoardColors->isChecked()
                             ? boardColours(reducedPixels(m_placed, pictureOptions().dither))
                             : m_placed.image();
    picBox->setPixmap(QPixmap::fromImage(shown));
}

void frmGraphic::showTransferRunning(bool running) {
    if (!running)
        m_saving = false;
    for (QPushButton* button : {cmdPreview, cmdSave, cmdLoad})
        button->setEnabled(!running);
}
