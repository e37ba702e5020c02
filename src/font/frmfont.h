#pragma once

#include "workbench/userdialogs.h"

#include <QWidget>

struct FontCapture;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class Workbench;
struct UploadOutcome;

// The font tool: the user picks a desktop font and sees a specimen of it; Capture
// turns the characters "!" to "~" into bitmaps and loads them into the chosen font
// slot of the board; Test writes a line of characters with the board's current font.
class frmFont : public QWidget {
    Q_OBJECT
public:
    // Opens the font dialog at once: choosing a font is the first thing to do here.
    explicit frmFont(Workbench& workbench, QWidget* parent = nullptr);

private Q_SLOTS:
    void chooseFont();
    void captureAndUpload();
    void sendTestText();

private:
    void applyFont(const UserDialogs::FontChoice& choice);
    void showLastCharacter(const FontCapture& capture);
    void refuseUnsendable(const FontCapture& capture);
    void uploadFinished(const UploadOutcome& outcome);
    void updateButtons();

    Workbench& m_workbench;
    // The running upload is this window's: its end is told here.
    bool m_uploading = false;
    // What the font dialog shows next time: the last font accepted in it.
    UserDialogs::FontChoice m_dialogChoice;
    // Capture needs a font with a name.
    bool m_fontUsable = true;

    QLabel* m_fontNameLabel;
    QPlainTextEdit* m_specimenBox;
    QPushButton* m_fontButton;
    QPushButton* m_captureButton;
    QPushButton* m_testButton;
    QGroupBox* m_slotFrame;
    QRadioButton* m_slot1Option;
    QRadioButton* m_slot2Option;
    // The canvas the characters are captured from, and the label that measures them;
    // both keep the last character of a capture.
    QLabel* m_glyphCanvas;
    QLabel* m_lastCharacterLabel;
};
