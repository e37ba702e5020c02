#include "graphic/frmgraphic.h"

#include "engine/boardengine.h"
#include "engine/colorvalue.h"
#include "engine/commands.h"
#include "engine/msserial.h"
#include "engine/uploader.h"
#include "engine/uploadplan.h"
#include "workbench/named.h"
#include "workbench/twips.h"
#include "workbench/updown.h"
#include "workbench/userdialogs.h"
#include "workbench/workbench.h"

#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QStringList>

namespace {

constexpr Qt::GlobalColor PictureBackground = Qt::white;

// A stopped upload finishes the board's picture in the picture box's background.
quint8 backgroundValue() {
    return ColorValue::reduce(QColor(PictureBackground).rgb());
}

constexpr int FirstScreen = 1;
constexpr int LastScreen = 12;

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
    , m_canvas(PictureBackground) {
    setWindowTitle(tr(" Graphic "));
    setFixedSize(Twips::size(9525, 4890));

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

    connect(cmdOpen, &QPushButton::clicked, this, &frmGraphic::cmdOpen_Click);
    connect(cmdPreview, &QPushButton::clicked, this, &frmGraphic::cmdPreview_Click);
    connect(cmdSave, &QPushButton::clicked, this, &frmGraphic::cmdSave_Click);
    connect(cmdLoad, &QPushButton::clicked, this, &frmGraphic::cmdLoad_Click);
    connect(udScreenNumber, &UpDown::valueChanged, this, &frmGraphic::udScreenNumber_Change);
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
    showCanvas();
}

void frmGraphic::cmdOpen_Click() {
    const QString path = m_workbench.dialogs().openFileName(this, pictureFilter(), m_pictureFolder);
    // Cancelled: the picture stays as it is.
    if (path.isEmpty())
        return;
    m_pictureFolder = QFileInfo(path).absolutePath();
    QImageReader reader(path);
    const QImage picture = reader.read();
    // No message box for a file that is no picture: the picture box keeps what it
    // showed, and a note in the status bar says why.
    if (picture.isNull()) {
        m_workbench.showStatusMessage(
            tr("Not opened: %1 (%2)").arg(QDir::toNativeSeparators(path), reader.errorString()));
        return;
    }
    m_canvas = ScreenCanvas(picture, PictureBackground);
    showCanvas();
}

void frmGraphic::cmdPreview_Click() {
    BoardEngine& engine = m_workbench.engine();
    if (!engine.port().portOpen())
        return;
    engine.uploader().start(UploadPlans::preview(screenPixels(m_canvas), backgroundValue()), this);
}

void frmGraphic::cmdSave_Click() {
    BoardEngine& engine = m_workbench.engine();
    if (!engine.port().portOpen())
        return;
    const auto screen = quint8(udScreenNumber->value());
    // Cleared again when the save ends, which may happen before start() returns.
    m_saving = true;
    if (engine.uploader().start(
            UploadPlans::savePicture(screen, screenPixels(m_canvas), backgroundValue()), this) !=
        Uploader::Start::Started)
        m_saving = false;
}

void frmGraphic::cmdLoad_Click() {
    m_workbench.engine().send(Commands::showScreenPicture(quint8(udScreenNumber->value())));
}

void frmGraphic::udScreenNumber_Change() {
    txtScreenNumber->setText(QString::number(udScreenNumber->value()));
}

void frmGraphic::showCanvas() {
    picBox->setPixmap(QPixmap::fromImage(m_canvas.image()));
}

void frmGraphic::showTransferRunning(bool running) {
    if (!running)
        m_saving = false;
    for (QPushButton* button : {cmdPreview, cmdSave, cmdLoad})
        button->setEnabled(!running);
}
