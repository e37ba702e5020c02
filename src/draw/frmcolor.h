#pragma once

#include <QWidget>

class PaletteView;
class QLabel;
class QLineEdit;
class QPushButton;
class UpDown;
class Workbench;

// The colour picker: the board's 256 colours as a palette. Hovering shows the
// colour under the mouse as 8-bit components, as 3-3-2 levels and as the colour
// value; a click selects it; "Set Color" hands the selection to the window that
// asked for it and to the shared drawing colour, and closes the picker.
class frmColor : public QWidget {
    Q_OBJECT
public:
    explicit frmColor(Workbench& workbench, QWidget* parent = nullptr);

    // point: the palette pixel under the mouse.
    void picBox_MouseMove(QPoint point);
    void picBox_Click();
    void cmdSetColor_Click();

private:
    // The colour box of the window that asked for a colour, if that window is open.
    void closeWindow();

    Workbench& m_workbench;

    QLabel* Label1;
    PaletteView* picBox;
    QLabel* Label2;
    QLineEdit* Text1;
    QLabel* Label3;
    QLineEdit* Text2;
    QLabel* Label4;
    QLineEdit* Text3;
    QLabel* Label5;
    QLineEdit* Text4;
    QPushButton* cmdSetColor;
    UpDown* UpDown1;
    UpDown* UpDown2;
};
