#pragma once

#include "board/boardcanvas.h"
#include "board/boardfont.h"
#include "engine/boardgeometry.h"
#include "engine/commanddecoder.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <QPoint>

#include <array>
#include <optional>
#include <vector>

// The board as far as the byte protocol can tell: command bytes go in, in any
// chunking; out come its screen, fonts, picture slots, text cursor, backlight,
// rotation, beeper and touch state, and its answers. No widgets, no clock: whoever
// owns the line (the in-process link, a pseudo-terminal) feeds it and collects the
// answers. Every buffer is bounded.
class BoardEmulator : public QObject, private CommandSink {
    Q_OBJECT
public:
    enum class TouchMode { Off, Coordinates, Keypad };
    Q_ENUM(TouchMode)

    static constexpr int DefaultBaudRate = 115200;
    // Answers nobody collects are kept up to this many bytes; older ones are lost.
    static constexpr qsizetype AnswerLimit = 4096;
    // The board's identification contains "100".
    static constexpr char IdentifyAnswer[] = "100";
    // The acknowledgement after each block of a transfer.
    static constexpr char Acknowledge[] = "!";

    explicit BoardEmulator(QObject* parent = nullptr);
    ~BoardEmulator() override;

    // What the board holds between two commands: its screen, slots, fonts, text cursor
    // and settings. A copy costs the screen; pictures and fonts are shared.
    struct State;
    State state() const;
    // Takes a state saved between commands; a command half received is dropped.
    void setState(const State& state);

    // From now on the emulator stands for a board whose past it does not know (a
    // mirror of a real one): every pixel, picture slot and font slot and the text
    // cursor are unknown until commands set them. Text whose place or font is unknown
    // makes its line and all below it unknown; an unknown picture slot shown makes
    // the whole screen unknown.
    void trackKnownPixels();
    bool tracksKnownPixels() const { return m_canvas.tracksKnownPixels(); }
    // One byte a pixel, 1 where known (row by row, drawing coordinates); empty while
    // not tracking.
    const QByteArray& knownPixels() const { return m_canvas.knownPixels(); }
    bool pixelKnown(int x, int y) const { return m_canvas.known(x, y); }

    // Bytes from the line. They are heard only while the sender's speed is the
    // board's; otherwise they are noise, ignored and answered with nothing.
    void feed(QByteArrayView bytes);
    // What the board sent since the last call. The line passes it on only while
    // hearsLine(): at another speed the sender cannot make sense of it.
    QByteArray takeAnswers();

    // The board's own speed (changed by the baud-rate command).
    int baudRate() const { return m_baudRate; }
    void setBaudRate(int baudRate);
    // The speed the sender talks at; 0 when nobody is on the line.
    int lineBaudRate() const { return m_lineBaudRate; }
    void setLineBaudRate(int baudRate);
    bool hearsLine() const { return m_lineBaudRate == m_baudRate; }
    // The sender went away: a command cut short is dropped (and counted as an error).
    void lineReset();
    bool midCommand() const { return m_decoder.midCommand(); }
    // Runs of bytes that made no command, malformed parameters and abandoned commands.
    int errorCount() const { return m_decoder.errorCount(); }
    // Bytes ignored because they came at another speed than the board's.
    qint64 ignoredByteCount() const { return m_ignoredBytes; }

    // 76800 colour values, row by row from the top, in drawing coordinates (the
    // panel shows them turned by 180 degrees while rotated()).
    const QByteArray& screen() const { return m_canvas.pixels(); }
    quint8 pixel(int x, int y) const { return m_canvas.pixel(x, y); }
    // Slot 1..12; empty while nothing is stored there.
    QByteArray picture(int slot) const;
    // Slot 1 or 2; false while the slot holds the built-in font.
    bool fontLoaded(int slot) const;
    // The font that text in this slot is drawn with (the built-in one until loaded).
    const BoardFont& font(int slot) const;
    // The slot that text without a font number uses: the one loaded last (1 at first).
    int defaultTextFont() const { return m_defaultTextFont; }
    // Where the next text begins: the top-left corner of its line.
    QPoint textCursor() const { return m_cursor; }
    bool backlight() const { return m_backlight; }
    bool rotated() const { return m_rotated; }
    int beepCount() const { return m_beepCount; }
    bool beepOnTouch() const { return m_beepOnTouch; }
    TouchMode touchMode() const { return m_touchMode; }
    // The cross to tap while a calibration runs, in drawing coordinates.
    std::optional<QPoint> calibrationTarget() const;
    bool calibrated() const { return m_calibrated; }

    // A press on the panel, at the point the viewer sees (the panel turns with the
    // picture); ignored outside the screen.
    void touch(QPoint panelPoint);
    // Presses a key of the on-screen keypad by its label, as a touch on its middle
    // would. Returns false outside keypad mode or for a label the keypad lacks.
    bool pressKey(char label);
    // Drawing coordinates of the point the viewer sees, and back (the same mapping).
    QPoint fromPanel(QPoint panelPoint) const;

    // Hears every decoded command after the board has carried it out (a log).
    void setCommandObserver(CommandSink* observer) { m_decoder.setObserver(observer); }

Q_SIGNALS:
    // The screen memory changed (at most once per feed).
    void screenChanged();
    // What the panel or the board's settings show changed: speed, rotation, backlight,
    // touch mode, calibration, beep on touch, a stored font or picture.
    void settingsChanged();
    // takeAnswers() has something.
    void answersReady();
    void beeped();

private:
    // CommandSink: the board carries out each command.
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
    void screenPixels(int offset, QByteArrayView pixels) override;
    void screenRowReceived(int row) override;
    void savePictureBegin(int slot) override;
    void picturePixels(int offset, QByteArrayView pixels) override;
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
    void commandAbandoned() override;

    void answer(QByteArrayView bytes);
    void reportKey(char label);
    // Emits what the last feed or touch changed.
    void publish();

    // Text: one glyph (or blank) placed at the cursor, remembered for Backspace.
    void placeCharacter(const Glyph* glyph, int width);
    // The start of the line below the cursor's (one blank row between lines).
    QPoint nextLine(int lineHeight) const;
    void backspace();
    void forgetPlacedCharacters();

    CommandDecoder m_decoder;
    BoardCanvas m_canvas;
    int m_baudRate = DefaultBaudRate;
    int m_lineBaudRate = DefaultBaudRate;
    qint64 m_ignoredBytes = 0;
    QByteArray m_answers;

    std::array<QByteArray, BoardGeometry::PictureSlots> m_pictures;
    int m_pendingPictureSlot = 0;
    QByteArray m_pendingPicture;

    std::array<std::optional<BoardFont>, BoardGeometry::FontSlots> m_fonts;
    int m_defaultTextFont = 1;
    int m_pendingFontSlot = 0;
    QList<Glyph> m_pendingGlyphs;

    QPoint m_cursor;
    int m_textLeft = 0; // where lines of text start again
    quint8 m_textColor = 255;
    const BoardFont* m_textFont = nullptr;
    struct PlacedCharacter {
        QPoint cursorBefore;
        QRect area;
        qsizetype offset; // of the pixels it covered, in m_coveredPixels
        qsizetype size;
    };
    std::vector<PlacedCharacter> m_placed;
    QByteArray m_coveredPixels;

    bool m_backlight = true;
    bool m_rotated = false;
    int m_beepCount = 0;
    bool m_beepOnTouch = false;
    TouchMode m_touchMode = TouchMode::Off;
    int m_calibrationStep = -1; // -1: no calibration running
    bool m_calibrated = false;

    // While tracking what is known: whether the text cursor is, and the text being
    // written now is in a known font at a known place (otherwise the rows from
    // m_uncertainTextTop down are unknown).
    bool m_cursorKnown = true;
    bool m_textCertain = true;
    int m_uncertainTextTop = 0;

    bool m_screenChanged = false;
    bool m_settingsChanged = false;
    bool m_answered = false;
    int m_beepsToAnnounce = 0;
};

struct BoardEmulator::State {
    BoardCanvas canvas;
    std::array<QByteArray, BoardGeometry::PictureSlots> pictures;
    std::array<std::optional<BoardFont>, BoardGeometry::FontSlots> fonts;
    int defaultTextFont = 1;
    QPoint cursor;
    int textLeft = 0;
    bool cursorKnown = true;
    int baudRate = DefaultBaudRate;
    bool backlight = true;
    bool rotated = false;
    int beepCount = 0;
    bool beepOnTouch = false;
    TouchMode touchMode = TouchMode::Off;
    int calibrationStep = -1;
    bool calibrated = false;
};
