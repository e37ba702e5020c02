#include "engine/commands.h"

namespace Commands {
namespace {

QByteArray bytes(std::initializer_list<quint8> values) {
    QByteArray result;
    result.reserve(qsizetype(values.size()));
    for (quint8 value : values)
        result.append(char(value));
    return result;
}

QByteArray withParameters(const char* opcode, std::initializer_list<quint8> values) {
    return QByteArray(opcode).append(bytes(values));
}

// A point's X (two bytes) and Y, then any further parameters.
QByteArray xy(Point point, std::initializer_list<quint8> more = {}) {
    const XParts x = splitX(point.x);
    return bytes({x.high, x.low, point.y}).append(bytes(more));
}

WriteList twoCorners(const char* opcode, Point start, Point end, quint8 color) {
    return {opcode, xy(start), xy(end, {color})};
}

WriteList circle(const char* opcode, Point center, quint8 radius, quint8 color) {
    return {opcode, xy(center, {radius, color})};
}

} // namespace

XParts splitX(quint16 x) {
    // The board takes the high part as the number of whole 256s.
    quint8 high = 0;
    while (x >= 256) {
        x -= 256;
        ++high;
    }
    return {high, quint8(x)};
}

WriteList identifyController() {
    return {Opcode::IdentifyController};
}

WriteList setControllerBaudRate(quint8 rateIndex) {
    return {withParameters(Opcode::SetControllerBaudRate, {rateIndex})};
}

WriteList fontUploadBegin(FontSlot slot) {
    return {QByteArray(Opcode::FontUploadBegin).append(char(slot))};
}

WriteList fontSizeTable(const QList<GlyphSize>& sizes) {
    WriteList writes;
    for (GlyphSize size : sizes)
        writes.append(bytes({size.width, size.height}));
    return writes;
}

WriteList fontGlyph(GlyphSize size, QByteArrayView bitmap) {
    WriteList writes{bytes({size.width, size.height})};
    writes.appendEachByte(bitmap);
    return writes;
}

WriteList writeText(quint8 color, std::optional<quint8> font, QByteArrayView characters) {
    QByteArray header = withParameters(Opcode::WriteText, {color});
    if (font)
        header.append(char(*font));
    WriteList writes{header};
    writes.appendEachByte(characters);
    writes.append(QByteArrayView(&TextEnd, 1));
    return writes;
}

WriteList setTextCursor(Point position) {
    return {Opcode::SetTextCursor, xy(position)};
}

WriteList writeScreen(QByteArrayView pixels) {
    WriteList writes{Opcode::WriteScreen};
    writes.appendEachByte(pixels);
    return writes;
}

WriteList saveScreenPicture(quint8 screen, QByteArrayView pixels) {
    WriteList writes{withParameters(Opcode::SaveScreenPicture, {screen})};
    writes.appendEachByte(pixels);
    return writes;
}

WriteList showScreenPicture(quint8 screen) {
    return {Opcode::ShowScreenPicture, bytes({screen})};
}

WriteList drawPixel(Point point, quint8 color) {
    return {Opcode::DrawPixel, xy(point, {color})};
}

WriteList drawLine(Point start, Point end, quint8 color) {
    return twoCorners(Opcode::DrawLine, start, end, color);
}

WriteList drawRectangle(Point corner, Point oppositeCorner, quint8 color) {
    return twoCorners(Opcode::DrawRectangle, corner, oppositeCorner, color);
}

WriteList fillRectangle(Point corner, Point oppositeCorner, quint8 color) {
    return twoCorners(Opcode::FillRectangle, corner, oppositeCorner, color);
}

WriteList drawCircle(Point center, quint8 radius, quint8 color) {
    return circle(Opcode::DrawCircle, center, radius, color);
}

WriteList fillCircle(Point center, quint8 radius, quint8 color) {
    return circle(Opcode::FillCircle, center, radius, color);
}

WriteList clearScreen(quint8 color) {
    return {withParameters(Opcode::ClearScreen, {color})};
}
WriteList rotateScreen() {
    return {Opcode::RotateScreen};
}
WriteList setBacklight(bool on) {
    return {withParameters(Opcode::SetBacklight, {quint8(on)})};
}
WriteList beep() {
    return {Opcode::Beep};
}
WriteList setBeepOnTouch(bool on) {
    return {withParameters(Opcode::SetBeepOnTouch, {quint8(on)})};
}
WriteList touchCoordinatesOn() {
    return {Opcode::TouchCoordinatesOn};
}
WriteList touchKeypadOn() {
    return {Opcode::TouchKeypadOn};
}
WriteList touchOff() {
    return {Opcode::TouchOff};
}
WriteList touchCalibrate() {
    return {Opcode::TouchCalibrate};
}
WriteList restoreCalibration() {
    return {Opcode::RestoreCalibration};
}

} // namespace Commands

WriteList Commands::fontTestLine() {
    constexpr quint8 White = 255;
    QByteArray characters;
    for (char c = '!'; c <= ','; ++c)
        characters.append(c);
    return writeText(White, std::nullopt, characters);
}
