#pragma once

#include "graphic/screencanvas.h"

#include <QString>
#include <QWidget>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class UpDown;
class Workbench;

// The graphic window: open a picture, preview it on the board's screen, store it in
// one of the board's twelve picture slots, or show a stored one.
class frmGraphic : public QWidget {
    Q_OBJECT
public:
    explicit frmGraphic(Workbench& workbench, QWidget* parent = nullptr);

    void cmdOpen_Click();
    void cmdPreview_Click();
    void cmdSave_Click();
    void cmdLoad_Click();
    void udScreenNumber_Change();

private:
    void showCanvas();
    void showTransferRunning(bool running);

    Workbench& m_workbench;
    ScreenCanvas m_canvas;
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
};
