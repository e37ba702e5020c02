#pragma once

#include <QByteArray>
#include <QWidget>

class QGroupBox;
class QInputMethodEvent;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class UpDown;
class Workbench;

// Text placement: set the board's text cursor, then type. The keys typed in the
// text box are collected as they come (Backspace and other control keys too) and
// each Enter sends them to the board as one line, in the drawing colour and the
// chosen font.
class frmText : public QWidget {
    Q_OBJECT
public:
    explicit frmText(Workbench& workbench, QWidget* parent = nullptr);

    void cmdSet_Click();
    void cmdColor_Click();
    // Every key pressed in the text box; the box still handles it as usual.
    void Text2_KeyPress(const QKeyEvent& key);
    // Characters an input method composes (accents, dead keys) arrive as one commit.
    void Text2_InputMethod(const QInputMethodEvent& input);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void collectTyped(const QString& text, const QList<uint>& codes);
    void collect(quint8 code);
    int fontNumber() const;

    Workbench& m_workbench;
    // The character codes typed since the last Enter, in typing order.
    QByteArray TextKeyBuffer;

    QGroupBox* Frame2;
    QLabel* Label2;
    QLabel* Label1;
    QLineEdit* txtXCoordinate;
    UpDown* udXCoordinate;
    QLineEdit* txtYCoordinate;
    UpDown* udYCoordinate;
    QPushButton* cmdSet;
    QGroupBox* Frame4;
    QLineEdit* txtColor;
    QPushButton* cmdColor;
    QGroupBox* Frame3;
    QRadioButton* Option1;
    QRadioButton* Option2;
    QGroupBox* Frame1;
    QPlainTextEdit* Text2;
};
