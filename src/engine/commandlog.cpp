#include "engine/commandlog.h"

#include "engine/boardgeometry.h"
#include "engine/linesettings.h"

#include <algorithm>

namespace {

// A text longer than this is shown up to here, then its length.
constexpr qsizetype TextShown = 120;
constexpr int PictureChunks = BoardGeometry::PixelCount / 256;

QString at(const char* x, const char* y, QPoint point) {
    return QStringLiteral("%1=%2 %3=%4")
        .arg(QLatin1String(x))
        .arg(point.x())
        .arg(QLatin1String(y))
        .arg(point.y());
}

QString color(quint8 value) {
    return QStringLiteral(" color=%1").arg(value);
}

QString twoCorners(const char* name, QPoint start, QPoint end, quint8 value) {
    return QLatin1String(name) + QLatin1Char(' ') + at("x0", "y0", start) + QLatin1Char(' ') +
           at("x1", "y1", end) + color(value);
}

QString circle(const char* name, QPoint center, int radius, quint8 value) {
    return QLatin1String(name) + QLatin1Char(' ') + at("x", "y", center) +
           QStringLiteral(" r=%1").arg(radius) + color(value);
}

QString onOff(const char* name, bool on) {
    return QLatin1String(name) + (on ? QStringLiteral(" on") : QStringLiteral(" off"));
}

} // namespace

QString printableCharacter(quint8 code) {
    if (code == '"' || code == '\\')
        return QStringLiteral("\\") + QLatin1Char(char(code));
    if (code >= 32 && code < 127)
        return QString(QLatin1Char(char(code)));
    return QStringLiteral("<%1>").arg(code);
}

CommandLog::CommandLog(Writer writer)
    : m_writer(std::move(writer)) {}

QString CommandLog::pending() const {
    if (m_pending.startsWith(QLatin1String("WriteText")))
        return textLine() + QStringLiteral("...");
    return m_pending.isEmpty() ? QString() : m_pending + QStringLiteral(" ...");
}

void CommandLog::identifyController() {
    write(QStringLiteral("IdentifyController"));
}

void CommandLog::setControllerBaudRate(int rateIndex) {
    write(QStringLiteral("SetControllerBaudRate rate=%1 (%2 baud)")
              .arg(rateIndex)
              .arg(LineSettings::baudRates().at(rateIndex)));
}

void CommandLog::fontUploadBegin(int slot) {
    m_fontSlot = slot;
    m_pending = QStringLiteral("FontUploadBegin slot=%1").arg(slot);
    write(m_pending);
}

void CommandLog::fontSizeTable(const QList<Commands::GlyphSize>& sizes) {
    int width = 0;
    int height = 0;
    for (const Commands::GlyphSize& size : sizes) {
        width = std::max(width, int(size.width));
        height = std::max(height, int(size.height));
    }
    m_pending = QStringLiteral("FontSizeTable sizes=%1 widest=%2 tallest=%3")
                    .arg(sizes.size())
                    .arg(width)
                    .arg(height);
    write(m_pending);
}

void CommandLog::fontGlyph(int code, Commands::GlyphSize size, QByteArrayView bitmap) {
    QString line = QStringLiteral("FontGlyph \"%1\" w=%2 h=%3 bytes=%4")
                       .arg(printableCharacter(quint8(code)))
                       .arg(size.width)
                       .arg(size.height)
                       .arg(bitmap.size());
    if (code == Commands::LastGlyphCode)
        line += QStringLiteral(" (font %1 complete)").arg(m_fontSlot);
    m_pending = QStringLiteral("Font upload slot=%1").arg(m_fontSlot);
    write(line);
}

void CommandLog::fontUploadEnd() {
    m_pending.clear();
}

void CommandLog::textBegin(quint8 value, std::optional<int> font) {
    m_pending = QStringLiteral("WriteText") + color(value);
    if (font)
        m_pending += QStringLiteral(" font=%1").arg(*font);
    m_text.clear();
    m_textLength = 0;
}

void CommandLog::textCharacter(quint8 code) {
    if (++m_textLength > TextShown)
        return;
    m_text.append(printableCharacter(code));
}

QString CommandLog::textLine() const {
    QString line = m_pending + QStringLiteral(" \"") + m_text + QLatin1Char('"');
    if (m_textLength > TextShown)
        line += QStringLiteral(" ... (%1 characters)").arg(m_textLength);
    return line;
}

void CommandLog::textEnd() {
    const QString line = textLine();
    m_pending.clear();
    write(line);
}

void CommandLog::setTextCursor(QPoint position) {
    write(QStringLiteral("SetTextCursor ") + at("x", "y", position));
}

void CommandLog::writeScreenBegin() {
    m_pending = QStringLiteral("WriteScreen");
}

void CommandLog::screenRowReceived(int row) {
    QString line = QStringLiteral("WriteScreen row=%1").arg(row);
    if (row == BoardGeometry::Height - 1)
        line += QStringLiteral(" (picture complete)");
    write(line);
}

void CommandLog::writeScreenEnd() {
    m_pending.clear();
}

void CommandLog::savePictureBegin(int slot) {
    m_pictureSlot = slot;
    m_pending = QStringLiteral("SaveScreenPicture slot=%1").arg(slot);
    write(m_pending);
}

void CommandLog::pictureBlockReceived(int block) {
    QString line = QStringLiteral("SaveScreenPicture slot=%1 chunk=%2/%3")
                       .arg(m_pictureSlot)
                       .arg(block + 1)
                       .arg(PictureChunks);
    if (block + 1 == PictureChunks)
        line += QStringLiteral(" (picture stored)");
    write(line);
}

void CommandLog::savePictureEnd() {
    m_pending.clear();
}

void CommandLog::showScreenPicture(int slot) {
    write(QStringLiteral("ShowScreenPicture slot=%1").arg(slot));
}

void CommandLog::drawPixel(QPoint point, quint8 value) {
    write(QStringLiteral("DrawPixel ") + at("x", "y", point) + color(value));
}

void CommandLog::drawLine(QPoint start, QPoint end, quint8 value) {
    write(twoCorners("DrawLine", start, end, value));
}

void CommandLog::drawRectangle(QPoint corner, QPoint opposite, quint8 value) {
    write(twoCorners("DrawRectangle", corner, opposite, value));
}

void CommandLog::fillRectangle(QPoint corner, QPoint opposite, quint8 value) {
    write(twoCorners("FillRectangle", corner, opposite, value));
}

void CommandLog::drawCircle(QPoint center, int radius, quint8 value) {
    write(circle("DrawCircle", center, radius, value));
}

void CommandLog::fillCircle(QPoint center, int radius, quint8 value) {
    write(circle("FillCircle", center, radius, value));
}

void CommandLog::clearScreen(quint8 value) {
    write(QStringLiteral("ClearScreen") + color(value));
}

void CommandLog::rotateScreen() {
    write(QStringLiteral("RotateScreen"));
}

void CommandLog::setBacklight(bool on) {
    write(onOff("SetBacklight", on));
}

void CommandLog::beep() {
    write(QStringLiteral("Beep"));
}

void CommandLog::setBeepOnTouch(bool on) {
    write(onOff("SetBeepOnTouch", on));
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
    write(what);
}

void CommandLog::commandAbandoned() {
    m_pending.clear();
    write(QStringLiteral("Command cut short: its partial data is dropped"));
}
