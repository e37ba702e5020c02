#pragma once

#include "graphic/pictureconversion.h"
#include "graphic/screencanvas.h"

#include <QImage>

#include <QString>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class UpDown;
struct LoadedPicture;
class Workbench;

// The graphic window: open a picture, size it for the screen and bring it to the board's
// colours, preview it on the board's screen, store it in one of the board's twelve
// picture slots, or show a stored one.
class frmGraphic : public QWidget {
    Q_OBJECT
public:
    explicit frmGraphic(Workbench& workbench, QWidget* parent = nullptr);

    void cmdOpen_Click();
    void cmdPreview_Click();
    void cmdSave_Click();
    void cmdLoad_Click();
    void udScreenNumber_Change();
    void cboSize_Click();
    void cboDither_Click();
    void chkBoardColors_Click();
    void cmdSavePng_Click();

private:
    void showTransferRunning(bool running);
    PictureOptions pictureOptions() const;
    // The picture as read for the chosen fit.
    const QImage& picture() const;
    QImage& pictureFor(PictureFit fit);
    // Tells why a picture was not read: a status note, or a warning for one too large.
    void reportUnread(const LoadedPicture& unread);
    void placePicture();
    void showPicture();

    Workbench& m_workbench;
    // The file shown, and its picture as read for "As is" and for the scaling fits (a
    // large JPEG decodes smaller for those); each is read when first needed.
    QString m_picturePath;
    QImage m_naturalPicture;
    QImage m_scalingPicture;
    // The picture placed on the screen for the fit that cboSize shows.
    ScreenCanvas m_placed;
    PictureFit m_placedFit = PictureFit::AsIs;
    // Where the file dialog opens: the folder of the last picture opened here.
    QString m_pictureFolder;
    // The running upload is this window's save: the chunk being sent is shown.
    bool m_saving = false;

    QLabel* picBox;
    QGroupBox* Frame2;
    QPushButton* cmdOpen;
    QPushButton* cmdPreview;
    QGroupBox* Frame1;
    QPushButton* cmdSave;
    QPushButton* cmdLoad;
    QLineEdit* txtScreenNumber;
    UpDown* udScreenNumber;
    QLineEdit* txtGraphic;
    QGroupBox* Frame3;
    QLabel* lblSize;
    QComboBox* cboSize;
    QLabel* lblDither;
    QComboBox* cboDither;
    QCheckBox* chkBoardColors;
    QPushButton* cmdSavePng;
};
