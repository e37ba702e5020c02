#pragma once

#include "engine/commands.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QPoint>
#include <QString>

#include <array>
#include <optional>

// What the decoder found on the line: one call per command, or per part of the long
// ones (pictures, fonts, text). Every method does nothing unless overridden, so a
// listener (such as a log) picks only what it needs.
class CommandSink {
public:
    virtual ~CommandSink() = default;

    virtual void identifyController() {}
    // rateIndex 0..6, a position in LineSettings::baudRates().
    virtual void setControllerBaudRate(int /*rateIndex*/) {}

    // slot 1 or 2. Then the 94 sizes, then 94 glyphs, codes 33 to 126 in order.
    virtual void fontUploadBegin(int /*slot*/) {}
    virtual void fontSizeTable(const QList<Commands::GlyphSize>& /*sizes*/) {}
    // bitmap: rows bottom first, ceil(width / 8) bytes a row, bit 0 the leftmost pixel.
    virtual void fontGlyph(int /*code*/, Commands::GlyphSize /*size*/, QByteArrayView /*bitmap*/) {}
    virtual void fontUploadEnd() {}

    // font: 1 or 2 in the text window's form; none in the short form.
    virtual void textBegin(quint8 /*color*/, std::optional<int> /*font*/) {}
    virtual void textCharacter(quint8 /*code*/) {}
    virtual void textEnd() {}
    virtual void setTextCursor(QPoint /*position*/) {}

    // Picture bytes as they arrive: offset counts pixels from (0, 0), row by row.
    virtual void writeScreenBegin() {}
    virtual void screenPixels(int /*offset*/, QByteArrayView /*pixels*/) {}
    virtual void screenRowReceived(int /*row*/) {}
    virtual void writeScreenEnd() {}

    // slot 1..12; the picture arrives in blocks of 256 bytes.
    virtual void savePictureBegin(int /*slot*/) {}
    virtual void picturePixels(int /*offset*/, QByteArrayView /*pixels*/) {}
    virtual void pictureBlockReceived(int /*block*/) {}
    virtual void savePictureEnd() {}
    virtual void showScreenPicture(int /*slot*/) {}

    virtual void drawPixel(QPoint /*point*/, quint8 /*color*/) {}
    virtual void drawLine(QPoint /*start*/, QPoint /*end*/, quint8 /*color*/) {}
    virtual void drawRectangle(QPoint /*corner*/, QPoint /*opposite*/, quint8 /*color*/) {}
    virtual void fillRectangle(QPoint /*corner*/, QPoint /*opposite*/, quint8 /*color*/) {}
    virtual void drawCircle(QPoint /*center*/, int /*radius*/, quint8 /*color*/) {}
    virtual void fillCircle(QPoint /*center*/, int /*radius*/, quint8 /*color*/) {}

    virtual void clearScreen(quint8 /*color*/) {}
    virtual void rotateScreen() {}
    virtual void setBacklight(bool /*on*/) {}
    virtual void beep() {}
    virtual void setBeepOnTouch(bool /*on*/) {}
    virtual void touchCoordinatesOn() {}
    virtual void touchKeypadOn() {}
    virtual void touchOff() {}
    virtual void touchCalibrate() {}
    virtual void restoreCalibration() {}

    // Bytes that made no valid command were skipped ("Unknown byte ...", "Unknown opcode
    // ...", "Malformed ..."); the decoder looks for the next opcode. Told once a run.
    virtual void malformed(const QString& /*what*/) {}
    // A command was cut off (its sender went away); its partial data is dropped.
    virtual void commandAbandoned() {}
};

// The command stream to the board, decoded: takes bytes in any chunking and reports
// the commands to a sink (the simulated board carries them out, a log describes them).
// Bytes that make no command are skipped until the next valid opcode; each such skip
// counts as one error. Its memory is bounded by the largest block (a glyph bitmap of
// at most 8160 bytes).
class CommandDecoder {
public:
    explicit CommandDecoder(CommandSink& sink);

    // Returns how many bytes it took: all of them, unless a sink called stop().
    qsizetype feed(QByteArrayView bytes);
    // Ends the current feed() after the command just reported (the board changed
    // its speed, so the bytes after it are no longer heard the same way).
    void stop() { m_stopped = true; }
    // Drops a partly received command, if there is one.
    void abandon();
    bool midCommand() const { return m_state != State::Opcode; }
    // Inside a run of bytes that make no command.
    bool skipping() const { return m_skipping; }
    int errorCount() const { return m_errors; }

    // A second sink that hears everything after the first (a log).
    void setObserver(CommandSink* observer) { m_observer = observer; }

private:
    enum class State {
        Opcode,         // waiting for the first letter
        OpcodeSecond,   // first letter seen
        Parameters,     // collecting a fixed number of parameter bytes
        TextFontOrChar, // after "W" "T" and the colour
        Text,
        FontSizeTable,
        FontGlyphSize,
        FontGlyphBitmap,
        ScreenPixels,
        PicturePixels,
    };

    void takeByte(quint8 byte);
    void takeOpcodeByte(quint8 byte);
    void takeSecondLetter(quint8 byte);
    void startCommand(int command);
    void finishParameters();
    void takeTextByte(quint8 byte);
    void takeSizeTableByte(quint8 byte);
    void beginGlyph();
    qsizetype takeGlyphBitmap(QByteArrayView bytes);
    qsizetype takeScreenPixels(QByteArrayView bytes);
    qsizetype takePicturePixels(QByteArrayView bytes);
    // Skips bytes; a run of skipped bytes counts as one error, described once.
    template <typename Describe> void reject(Describe describe) {
        if (m_skipping)
            return;
        m_skipping = true;
        ++m_errors;
        const QString what = describe();
        notify([&](CommandSink& sink) { sink.malformed(what); });
    }
    // The point whose x_hi, x_lo and y start at this parameter.
    QPoint point(int index) const;

    template <typename Call> void notify(Call call) {
        call(m_sink);
        if (m_observer)
            call(*m_observer);
    }

    CommandSink& m_sink;
    CommandSink* m_observer = nullptr;
    State m_state = State::Opcode;
    bool m_skipping = false;
    bool m_stopped = false;
    int m_errors = 0;

    quint8 m_firstLetter = 0;
    int m_command = -1;
    std::array<quint8, 7> m_parameters{};
    int m_parameterCount = 0;
    int m_parametersWanted = 0;

    int m_offset = 0; // pixels received so far
    QList<Commands::GlyphSize> m_sizes;
    QByteArray m_sizeBytes;
    int m_glyphCode = 0;
    Commands::GlyphSize m_glyphSize{};
    QByteArray m_bitmap;
    int m_bitmapWanted = 0;
};
