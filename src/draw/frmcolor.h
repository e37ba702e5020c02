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

private Q_SLOTS:
    // point: the palette pixel under the mouse.
    void showPaletteColorAt(QPoint point);
    void takePaletteColor();
    void setSelectedColor();

private:
    // The colour box of the window that asked for a colour, if that window is open.
    void closeWindow();

    Workbench& m_workbench;

    QLabel* m_paletteLabel;
    PaletteView* m_palette;
    QLabel* m_rgb888Label;
    QLineEdit* m_rgb888Box;
    QLabel* m_rgb332Label;
    QLineEdit* m_rgb332Box;
    QLabel* m_paletteColorLabel;
    QLineEdit* m_paletteColorBox;
    QLabel* m_selectedColorLabel;
    QLineEdit* m_selectedColorBox;
    QPushButton* m_setColorButton;
    UpDown* m_hoveredValue;
    UpDown* m_chosenValue;
};
