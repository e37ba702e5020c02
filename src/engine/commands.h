#pragma once

#include "engine/writelist.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <optional>

// The board's command set: one encoder per command, each returning the command's
// writes in the order and grouping that the board expects. Parameter types cannot
// hold a value the wire cannot carry (a byte is a byte, an X is 0..65535); turning
// text into these values, and rejecting what does not fit, is the caller's job.
namespace Commands {

// Two-letter opcodes, shared with the command decoder.
namespace Opcode {
inline constexpr char IdentifyController[] = "ID";
inline constexpr char SetControllerBaudRate[] = "BR";
inline constexpr char FontUploadBegin[] = "SF";
inline constexpr char WriteText[] = "WT";
inline constexpr char SetTextCursor[] = "SC";
inline constexpr char WriteScreen[] = "WS";
inline constexpr char SaveScreenPicture[] = "SP";
inline constexpr char ShowScreenPicture[] = "LP";
inline constexpr char DrawPixel[] = "WP";
inline constexpr char DrawLine[] = "DL";
inline constexpr char DrawRectangle[] = "DR";
inline constexpr char FillRectangle[] = "FR";
inline constexpr char DrawCircle[] = "DC";
inline constexpr char FillCircle[] = "FC";
inline constexpr char ClearScreen[] = "CS";
inline constexpr char RotateScreen[] = "RS";
inline constexpr char SetBacklight[] = "BL";
inline constexpr char Beep[] = "BP";
inline constexpr char SetBeepOnTouch[] = "BT";
inline constexpr char TouchCoordinatesOn[] = "TE";
inline constexpr char TouchKeypadOn[] = "KP";
inline constexpr char TouchOff[] = "TD";
inline constexpr char TouchCalibrate[] = "TC";
inline constexpr char RestoreCalibration[] = "RC";
} // namespace Opcode

// The board's text ends at a carriage return.
inline constexpr char TextEnd = 13;
// The characters the board's fonts hold: "!" to "~".
inline constexpr int FirstGlyphCode = 33;
inline constexpr int LastGlyphCode = 126;
inline constexpr int GlyphCount = LastGlyphCode - FirstGlyphCode + 1;

struct XParts {
    quint8 high;
    quint8 low;
};
// An X goes on the line as two bytes, high part first.
XParts splitX(quint16 x);

enum class FontSlot : char { Font1 = '1', Font2 = '2' };

struct GlyphSize {
    quint8 width;
    quint8 height;
};

struct Point {
    quint16 x;
    quint8 y;
};

WriteList identifyController();
// rateIndex: position in LineSettings::baudRates(), 0 = 9600 ... 6 = 115200.
WriteList setControllerBaudRate(quint8 rateIndex);

WriteList fontUploadBegin(FontSlot slot);
// One write of width and height per glyph, in character order.
WriteList fontSizeTable(const QList<GlyphSize>& sizes);
// The glyph's size as one write, then each bitmap byte as a write of its own.
WriteList fontGlyph(GlyphSize size, QByteArrayView bitmap);

// The header carries the colour and, when given, the font number (1 or 2); then one
// write per character in typing order; then the closing carriage return.
WriteList writeText(quint8 color, std::optional<quint8> font, QByteArrayView characters);
// The font test line: "!" to "," in white, without a font number, in whatever font the
// board uses for text.
WriteList fontTestLine();
WriteList setTextCursor(Point position);

// The picture's 76800 pixel bytes, each as a write of its own, after the header.
WriteList writeScreen(QByteArrayView pixels);
WriteList saveScreenPicture(quint8 screen, QByteArrayView pixels);
WriteList showScreenPicture(quint8 screen);

WriteList drawPixel(Point point, quint8 color);
WriteList drawLine(Point start, Point end, quint8 color);
WriteList drawRectangle(Point corner, Point oppositeCorner, quint8 color);
WriteList fillRectangle(Point corner, Point oppositeCorner, quint8 color);
WriteList drawCircle(Point center, quint8 radius, quint8 color);
WriteList fillCircle(Point center, quint8 radius, quint8 color);

WriteList clearScreen(quint8 color);
WriteList rotateScreen();
WriteList setBacklight(bool on);
WriteList beep();
WriteList setBeepOnTouch(bool on);
WriteList touchCoordinatesOn();
WriteList touchKeypadOn();
WriteList touchOff();
WriteList touchCalibrate();
WriteList restoreCalibration();

} // namespace Commands
