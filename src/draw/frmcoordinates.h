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

private Q_SLOTS:
    void showLineFrame();
    void showRectangleFrame();
    void showCircleFrame();
    void showPixelFrame();
    void pickColor();
    void sendPixel();
    void sendLineOrRectangle();
    void sendCircle();

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

    QGroupBox* m_shapeFrame;
    QRadioButton* m_lineOption;
    QRadioButton* m_rectangleOption;
    QRadioButton* m_circleOption;
    QRadioButton* m_pixelOption;
    QGroupBox* m_colorFrame;
    QPushButton* m_pickColorButton;
    QLineEdit* m_colorBox;
    QGroupBox* m_lineFrame;
    QLineEdit* m_startXBox;
    QLineEdit* m_startYBox;
    QLineEdit* m_endXBox;
    QLineEdit* m_endYBox;
    QPushButton* m_sendLineButton;
    QGroupBox* m_fillingFrame;
    QRadioButton* m_emptyOption;
    QRadioButton* m_filledOption;
    QGroupBox* m_circleFrame;
    QLineEdit* m_centerXBox;
    QLineEdit* m_centerYBox;
    QLineEdit* m_radiusBox;
    QPushButton* m_sendCircleButton;
    QGroupBox* m_pixelFrame;
    QLineEdit* m_pixelXBox;
    QLineEdit* m_pixelYBox;
    QPushButton* m_sendPixelButton;
};
