#pragma once

#include "engine/commanddecoder.h"

#include <functional>

// A character as a log shows it inside quotes: printable ASCII as itself (with \" and
// \\ escaped), anything else as its code in angle brackets ("<13>").
QString printableCharacter(quint8 code);

// Describes each decoded command as one line in the board's own terms, such as
// "DrawPixel x=300 y=10 color=224": for lumaret-board --log and the protocol monitor.
// Long commands give a line per block the board answers (a row of a screen write, a
// chunk of a stored picture, a glyph of a font), text a line when it ends.
class CommandLog : public CommandSink {
public:
    using Writer = std::function<void(const QString& line)>;
    explicit CommandLog(Writer writer);

    // The command whose bytes are still coming ("WriteText color=255 font=1 "Hel"..."),
    // or "" between commands.
    QString pending() const;

    void identifyController() override;
    void setControllerBaudRate(int rateIndex) override;
    void fontUploadBegin(int slot) override;
    void fontSizeTable(const QList<Commands::GlyphSize>& sizes) override;
    void fontGlyph(int code, Commands::GlyphSize size, QByteArrayView bitmap) override;
    void fontUploadEnd() override;
    void textBegin(quint8 color, std::optional<int> font) override;
    void textCharacter(quint8 code) override;
    void textEnd() override;
    void setTextCursor(QPoint position) override;
    void writeScreenBegin() override;
    void screenRowReceived(int row) override;
    void writeScreenEnd() override;
    void savePictureBegin(int slot) override;
    void pictureBlockReceived(int block) override;
    void savePictureEnd() override;
    void showScreenPicture(int slot) override;
    void drawPixel(QPoint point, quint8 color) override;
    void drawLine(QPoint start, QPoint end, quint8 color) override;
    void drawRectangle(QPoint corner, QPoint opposite, quint8 color) override;
    void fillRectangle(QPoint corner, QPoint opposite, quint8 color) override;
    void drawCircle(QPoint center, int radius, quint8 color) override;
    void fillCircle(QPoint center, int radius, quint8 color) override;
    void clearScreen(quint8 color) override;
    void rotateScreen() override;
    void setBacklight(bool on) override;
    void beep() override;
    void setBeepOnTouch(bool on) override;
    void touchCoordinatesOn() override;
    void touchKeypadOn() override;
    void touchOff() override;
    void touchCalibrate() override;
    void restoreCalibration() override;
    void malformed(const QString& what) override;
    void commandAbandoned() override;

private:
    void write(const QString& line) { m_writer(line); }
    QString textLine() const;

    Writer m_writer;
    // The long command in progress: its line so far; empty between commands.
    QString m_pending;
    QString m_text; // the text so far, shortened past TextShown characters
    qsizetype m_textLength = 0;
    int m_fontSlot = 0;
    int m_pictureSlot = 0;
};
