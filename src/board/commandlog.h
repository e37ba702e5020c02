#pragma once

#include "board/commanddecoder.h"

#include <functional>

// Describes each decoded command as one line of text, for lumaret-board --log.
// Long commands give one line when they begin and one when they end, not one per byte.
class CommandLog : public CommandSink {
public:
    using Writer = std::function<void(const QString& line)>;
    explicit CommandLog(Writer writer);

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
    void writeScreenEnd() override;
    void savePictureBegin(int slot) override;
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

    Writer m_writer;
    QString m_textHeader;
    QString m_text; // the text so far, shortened past TextShown characters
    qsizetype m_textLength = 0;
    int m_fontSlot = 0;
};
