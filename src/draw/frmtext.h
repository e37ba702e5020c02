#pragma once

#include <QByteArray>
#include <QWidget>

class QGroupBox;
class QInputMethodEvent;
class QKeyEvent;
class QLabel;
class ColorSwatch;
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

    // Every key pressed in the text box; the box still handles it as usual.
    // Characters an input method composes (accents, dead keys) arrive as one commit.

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private Q_SLOTS:
    void placeTextCursor();
    void pickColor();
    void collectKey(const QKeyEvent& key);
    void collectComposition(const QInputMethodEvent& input);

private:
    void collectTyped(const QString& text, const QList<uint>& codes);
    void collect(quint8 code);
    int fontNumber() const;

    Workbench& m_workbench;
    // The character codes typed since the last Enter, in typing order.
    QByteArray m_typedKeys;

    QGroupBox* m_cursorFrame;
    QLabel* m_xLabel;
    QLabel* m_yLabel;
    QLineEdit* m_xBox;
    UpDown* m_xUpDown;
    QLineEdit* m_yBox;
    UpDown* m_yUpDown;
    QPushButton* m_setButton;
    QGroupBox* m_colorFrame;
    QLineEdit* m_colorBox;
    ColorSwatch* m_colorSwatch;
    QPushButton* m_pickColorButton;
    QGroupBox* m_fontFrame;
    QRadioButton* m_font1Option;
    QRadioButton* m_font2Option;
    QGroupBox* m_textFrame;
    QPlainTextEdit* m_typingBox;
};
