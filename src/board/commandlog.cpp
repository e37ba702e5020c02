#include "board/commandlog.h"

#include "engine/linesettings.h"

#include <algorithm>

namespace {

// A text longer than this is shown up to here, then its length.
constexpr qsizetype TextShown = 120;

QString point(QPoint p) {
    return QStringLiteral("(%1, %2)").arg(p.x()).arg(p.y());
}

QString colour(quint8 color) {
    return QStringLiteral("colour %1").arg(color);
}

QString onOff(bool on) {
    return on ? QStringLiteral("on") : QStringLiteral("off");
}

} // namespace

CommandLog::CommandLog(Writer writer)
    : m_writer(std::move(writer)) {}

void CommandLog::identifyController() {
    write(QStringLiteral("IdentifyController"));
}

void CommandLog::setControllerBaudRate(int rateIndex) {
    write(QStringLiteral("SetControllerBaudRate %1 (%2 baud)")
              .arg(rateIndex)
              .arg(LineSettings::baudRates().at(rateIndex)));
}

void CommandLog::fontUploadBegin(int slot) {
    m_fontSlot = slot;
    write(QStringLiteral("FontUploadBegin font %1").arg(slot));
}

void CommandLog::fontSizeTable(const QList<Commands::GlyphSize>& sizes) {
    int height = 0;
    for (const Commands::GlyphSize& size : sizes)
        height = std::max(height, int(size.height));
    write(QStringLiteral("FontSizeTable %1 sizes, tallest %2").arg(sizes.size()).arg(height));
}

void CommandLog::fontGlyph(int code, Commands::GlyphSize size, QByteArrayView bitmap) {
    write(QStringLiteral("FontGlyph \"%1\" %2 x %3, %4 bytes")
              .arg(QLatin1Char(char(code)))
              .arg(size.width)
              .arg(size.height)
              .arg(bitmap.size()));
}

void CommandLog::fontUploadEnd() {
    write(QStringLiteral("Font %1 stored").arg(m_fontSlot));
}

void CommandLog::textBegin(quint8 color, std::optional<int> font) {
    m_textHeader = QStringLiteral("WriteText %1, %2")
                       .arg(colour(color), font ? QStringLiteral("font %1").arg(*font)
                                                : QStringLiteral("default font"));
    m_text.clear();
    m_textLength = 0;
}

void CommandLog::textCharacter(quint8 code) {
    if (++m_textLength > TextShown)
        return;
    if (code >= 32 && code < 127)
        m_text.append(QLatin1Char(char(code)));
    else
        m_text.append(QStringLiteral("<%1>").arg(code));
}

void CommandLog::textEnd() {
    QString line = m_textHeader + QStringLiteral(": \"") + m_text + QLatin1Char('"');
    if (m_textLength > TextShown)
        line += QStringLiteral(" ... (%1 characters)").arg(m_textLength);
    write(line);
}

void CommandLog::setTextCursor(QPoint position) {
    write(QStringLiteral("SetTextCursor ") + point(position));
}

void CommandLog::writeScreenBegin() {
    write(QStringLiteral("WriteScreen begins"));
}

void CommandLog::writeScreenEnd() {
    write(QStringLiteral("WriteScreen: 76800 pixels received"));
}

void CommandLog::savePictureBegin(int slot) {
    write(QStringLiteral("SaveScreenPicture %1 begins").arg(slot));
}

void CommandLog::savePictureEnd() {
    write(QStringLiteral("SaveScreenPicture: picture stored"));
}

void CommandLog::showScreenPicture(int slot) {
    write(QStringLiteral("ShowScreenPicture %1").arg(slot));
}

void CommandLog::drawPixel(QPoint p, quint8 color) {
    write(QStringLiteral("DrawPixel %1 %2").arg(point(p), colour(color)));
}

void CommandLog::drawLine(QPoint start, QPoint end, quint8 color) {
    write(QStringLiteral("DrawLine %1 to %2 %3").arg(point(start), point(end), colour(color)));
}

void CommandLog::drawRectangle(QPoint corner, QPoint opposite, quint8 color) {
    write(QStringLiteral("DrawRectangle %1 to %2 %3")
              .arg(point(corner), point(opposite), colour(color)));
}

void CommandLog::fillRectangle(QPoint corner, QPoint opposite, quint8 color) {
    write(QStringLiteral("FillRectangle %1 to %2 %3")
              .arg(point(corner), point(opposite), colour(color)));
}

void CommandLog::drawCircle(QPoint center, int radius, quint8 color) {
    write(QStringLiteral("DrawCircle %1 radius %2 %3")
              .arg(point(center))
              .arg(radius)
              .arg(colour(color)));
}

void CommandLog::fillCircle(QPoint center, int radius, quint8 color) {
    write(QStringLiteral("FillCircle %1 radius %2 %3")
              .arg(point(center))
              .arg(radius)
              .arg(colour(color)));
}

void CommandLog::clearScreen(quint8 color) {
    write(QStringLiteral("ClearScreen ") + colour(color));
}

void CommandLog::rotateScreen() {
    write(QStringLiteral("RotateScreen"));
}

void CommandLog::setBacklight(bool on) {
    write(QStringLiteral("SetBacklight ") + onOff(on));
}

void CommandLog::beep() {
    write(QStringLiteral("Beep"));
}

void CommandLog::setBeepOnTouch(bool on) {
    write(QStringLiteral("SetBeepOnTouch ") + onOff(on));
}

void CommandLog::touchCoordinatesOn() {
    write(QStringLiteral("TouchCoordinatesOn"));
}

void CommandLog::touchKeypadOn() {
    write(QStringLiteral("TouchKeypadOn"));
}

void CommandLog::touchOff() {
    write(QStringLiteral("TouchOff"));
}

void CommandLog::touchCalibrate() {
    write(QStringLiteral("TouchCalibrate"));
}

void CommandLog::restoreCalibration() {
    write(QStringLiteral("RestoreCalibration"));
}

void CommandLog::malformed(const QString& what) {
    write(QStringLiteral("Resynchronising: ") + what);
}

void CommandLog::commandAbandoned() {
    write(QStringLiteral("Command cut short: its partial data is dropped"));
}
