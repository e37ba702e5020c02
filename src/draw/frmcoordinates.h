#pragma once

#include <QList>
#include <QWidget>

#include <optional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class Workbench;

// Shape drawing: a pixel, a line, an empty or filled rectangle or circle at typed
// coordinates, in a typed or picked colour. Each "Send" checks every box the shape
// needs and only then sends the whole command, so a rejected entry never leaves a
// half command on the line.
class frmCoordinates : public QWidget {
    Q_OBJECT
public:
    explicit frmCoordinates(Workbench& workbench, QWidget* parent = nullptr);

    void optLine_Click();
    void optRectangle_Click();
    void optCircle_Click();
    void optPixel_Click();
    void cmdColor_Click();
    void cmdPixel_Click();
    void Command23_Click();
    void cmdCircle_Click();

private:
    struct Field {
        QLineEdit* box;
        QString name;
        int maximum;
    };
    // The values of all fields, in order; nothing (after telling the user which box is
    // wrong) when any of them is not acceptable.
    std::optional<QList<int>> readFields(const QList<Field>& fields);
    // Which of the three coordinate frames shows, and whether Empty/Filled applies.
    void showFrame(QGroupBox* frame, bool emptyOrFilled);

    Workbench& m_workbench;

    QGroupBox* Frame34;
    QRadioButton* optLine;
    QRadioButton* optRectangle;
    QRadioButton* optCircle;
    QRadioButton* optPixel;
    QGroupBox* Frame4;
    QPushButton* cmdColor;
    QLineEdit* txtColor;
    QGroupBox* frmLR;
    QLineEdit* txtX0;
    QLineEdit* txtY0;
    QLineEdit* txtX1;
    QLineEdit* txtY1;
    QPushButton* Command23;
    QGroupBox* frmEF;
    QRadioButton* optEmpty;
    QRadioButton* optFilled;
    QGroupBox* frmCircle;
    QLineEdit* txtCX;
    QLineEdit* txtCY;
    QLineEdit* txtRadius;
    QPushButton* cmdCircle;
    QGroupBox* frmPixel;
    QLineEdit* txtPX;
    QLineEdit* txtPY;
    QPushButton* cmdPixel;
};
