#pragma once

#include "graphic/pictureconversion.h"
#include "graphic/screencanvas.h"

#include <QImage>
#include <QPointer>

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

private Q_SLOTS:
    void openPicture();
    void previewOnBoard();
    void saveInSlot();
    void showStoredPicture();
    void showSlotNumber();
    void changeFit();
    void savePictureAsPng();

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
    // The button that had the focus when a transfer began.
    QPointer<QWidget> m_focusBeforeTransfer;

    QLabel* m_pictureBox;
    QGroupBox* m_fileFrame;
    QPushButton* m_openButton;
    QPushButton* m_previewButton;
    QGroupBox* m_slotFrame;
    QPushButton* m_saveButton;
    QPushButton* m_loadButton;
    QLineEdit* m_slotBox;
    UpDown* m_slotUpDown;
    QLineEdit* m_savedChunkBox;
    QGroupBox* m_fitFrame;
    QLabel* m_sizeLabel;
    QComboBox* m_sizeList;
    QLabel* m_ditherLabel;
    QComboBox* m_ditherList;
    QCheckBox* m_boardColorsCheck;
    QPushButton* m_savePngButton;
};
