#include "board/boardemulator.h"

#include "board/keypad.h"
#include "engine/linesettings.h"

#include <algorithm>

using BoardGeometry::Height;
using BoardGeometry::PixelCount;
using BoardGeometry::Width;

namespace {

// Backspace can take back the characters of the current text: up to this many, and
// the pixels they covered up to this many bytes. Beyond that the older half is
// forgotten (at least half of each limit stays).
constexpr std::size_t PlacedCharacterLimit = 256;
constexpr qsizetype CoveredBytesLimit = 512 * 1024;

// Text that runs on below the screen stops moving down here (it is clipped anyway).
constexpr int LowestTextLine = 1 << 20;

// The crosses a calibration asks the user to tap, in order.
constexpr std::array<QPoint, 2> CalibrationTargets{QPoint(20, 20), QPoint(299, 219)};

} // namespace

BoardEmulator::BoardEmulator(QObject* parent)
    : QObject(parent)
    , m_decoder(*this)
    , m_textFont(&BoardFont::builtIn()) {}

BoardEmulator::~BoardEmulator() = default;

BoardEmulator::State BoardEmulator::state() const {
    return {m_canvas,    m_pictures,    m_fonts,     m_defaultTextFont, m_cursor,
            m_textLeft,  m_cursorKnown, m_baudRate,  m_backlight,       m_rotated,
            m_beepCount, m_beepOnTouch, m_touchMode, m_calibrationStep, m_calibrated};
}

void BoardEmulator::setState(const State& state) {
    m_decoder.abandon();
    commandAbandoned();
    m_canvas = state.canvas;
    m_pictures = state.pictures;
    m_fonts = state.fonts;
    m_defaultTextFont = state.defaultTextFont;
    m_textFont = &font(m_defaultTextFont);
    m_cursor = state.cursor;
    m_textLeft = state.textLeft;
    m_cursorKnown = state.cursorKnown;
    m_baudRate = state.baudRate;
    m_backlight = state.backlight;
    m_rotated = state.rotated;
    m_beepCount = state.beepCount;
    m_beepOnTouch = state.beepOnTouch;
    m_touchMode = state.touchMode;
    m_calibrationStep = state.calibrationStep;
    m_calibrated = state.calibrated;
    m_screenChanged = true;
    m_settingsChanged = true;
    publish();
}

void BoardEmulator::trackKnownPixels() {
    m_canvas.trackKnownPixels();
    m_pictures = {};
    m_fonts = {};
    m_defaultTextFont = 1;
    m_cursorKnown = false;
    m_screenChanged = true;
    m_settingsChanged = true;
    publish();
}

void BoardEmulator::feed(QByteArrayView bytes) {
    while (!bytes.isEmpty()) {
        if (!hearsLine()) {
            m_ignoredBytes += bytes.size();
            break;
        }
        bytes = bytes.sliced(m_decoder.feed(bytes));
    }
    publish();
}

QByteArray BoardEmulator::takeAnswers() {
    m_answered = false;
    return std::exchange(m_answers, QByteArray());
}

void BoardEmulator::setBaudRate(int baudRate) {
    if (m_baudRate == baudRate)
        return;
    m_baudRate = baudRate;
    m_settingsChanged = true;
    publish();
}

void BoardEmulator::setLineBaudRate(int baudRate) {
    m_lineBaudRate = baudRate;
}

void BoardEmulator::lineReset() {
    m_decoder.abandon();
    publish();
}

QByteArray BoardEmulator::picture(int slot) const {
    return slot >= 1 && slot <= BoardGeometry::PictureSlots ? m_pictures[slot - 1] : QByteArray();
}

bool BoardEmulator::fontLoaded(int slot) const {
    return slot >= 1 && slot <= BoardGeometry::FontSlots && m_fonts[slot - 1].has_value();
}

const BoardFont& BoardEmulator::font(int slot) const {
    return fontLoaded(slot) ? *m_fonts[slot - 1] : BoardFont::builtIn();
}

std::optional<QPoint> BoardEmulator::calibrationTarget() const {
    if (m_calibrationStep < 0)
        return std::nullopt;
    return CalibrationTargets[m_calibrationStep];
}

QPoint BoardEmulator::fromPanel(QPoint panelPoint) const {
    if (!m_rotated)
        return panelPoint;
    return {Width - 1 - panelPoint.x(), Height - 1 - panelPoint.y()};
}

void BoardEmulator::touch(QPoint panelPoint) {
    if (!BoardCanvas::contains(panelPoint.x(), panelPoint.y()))
        return;
    const QPoint point = fromPanel(panelPoint);
    if (m_beepOnTouch)
        beep();
    if (m_calibrationStep >= 0) {
        if (++m_calibrationStep == int(CalibrationTargets.size())) {
            m_calibrationStep = -1;
            m_calibrated = true;
        }
        m_settingsChanged = true;
    } else if (m_touchMode == TouchMode::Coordinates) {
        // x_hi,x_lo,y$ in decimal.
        QByteArray report = QByteArray::number(point.x() / 256);
        report.append(',').append(QByteArray::number(point.x() % 256));
        report.append(',').append(QByteArray::number(point.y())).append('$');
        answer(report);
    } else if (m_touchMode == TouchMode::Keypad) {
        if (const std::optional<Keypad::Key> key = Keypad::keyAt(point))
            reportKey(key->label);
    }
    publish();
}

bool BoardEmulator::pressKey(char label) {
    if (m_touchMode != TouchMode::Keypad || m_calibrationStep >= 0 || !Keypad::keyLabelled(label))
        return false;
    if (m_beepOnTouch)
        beep();
    reportKey(label);
    publish();
    return true;
}

void BoardEmulator::reportKey(char label) {
    answer(QByteArray(1, label));
}

void BoardEmulator::answer(QByteArrayView bytes) {
    m_answers.append(bytes);
    if (m_answers.size() > AnswerLimit)
        m_answers.remove(0, m_answers.size() - AnswerLimit);
    m_answered = true;
}

void BoardEmulator::publish() {
    if (m_screenChanged) {
        m_screenChanged = false;
        Q_EMIT screenChanged();
    }
    if (m_settingsChanged) {
        m_settingsChanged = false;
        Q_EMIT settingsChanged();
    }
    for (; m_beepsToAnnounce > 0; --m_beepsToAnnounce)
        Q_EMIT beeped();
    if (m_answered && !m_answers.isEmpty())
        Q_EMIT answersReady();
    m_answered = false;
}

void BoardEmulator::identifyController() {
    answer(IdentifyAnswer);
}

void BoardEmulator::setControllerBaudRate(int rateIndex) {
    m_baudRate = LineSettings::baudRates().at(rateIndex);
    m_settingsChanged = true;
    // What follows on the line was sent at the old speed.
    m_decoder.stop();
}

void BoardEmulator::fontUploadBegin(int slot) {
    m_pendingFontSlot = slot;
    m_pendingGlyphs.clear();
}

void BoardEmulator::fontSizeTable(const QList<Commands::GlyphSize>&) {
    answer(Acknowledge);
}

void BoardEmulator::fontGlyph(int, Commands::GlyphSize size, QByteArrayView bitmap) {
    m_pendingGlyphs.append({size, bitmap.toByteArray()});
    answer(Acknowledge);
}

void BoardEmulator::fontUploadEnd() {
    m_fonts[m_pendingFontSlot - 1].emplace(std::exchange(m_pendingGlyphs, {}));
    m_defaultTextFont = m_pendingFontSlot;
    m_pendingFontSlot = 0;
    m_settingsChanged = true;
}

void BoardEmulator::textBegin(quint8 color, std::optional<int> font) {
    const int slot = font.value_or(m_defaultTextFont);
    m_textColor = color;
    m_textFont = &this->font(slot);
    forgetPlacedCharacters();
    if (tracksKnownPixels()) {
        m_textCertain = m_cursorKnown && fontLoaded(slot);
        m_uncertainTextTop = m_cursorKnown ? m_cursor.y() : 0;
        // Text in an unknown font moves the cursor by unknown steps.
        m_cursorKnown = m_textCertain;
    }
}

void BoardEmulator::textCharacter(quint8 code) {
    if (code == '\b') {
        backspace();
        return;
    }
    // Other control codes move nothing.
    if (code < ' ')
        return;
    const Glyph* glyph = m_textFont->glyph(code);
    placeCharacter(glyph, glyph ? glyph->size.width : m_textFont->spaceWidth());
}

void BoardEmulator::placeCharacter(const Glyph* glyph, int width) {
    const int lineHeight = m_textFont->lineHeight();
    // A character that would cross the right edge starts a new line, unless it is
    // the first of its line already.
    if (m_cursor.x() + width > Width && m_cursor.x() > m_textLeft)
        m_cursor = nextLine(lineHeight);

    PlacedCharacter placed{m_cursor, {}, m_coveredPixels.size(), 0};
    if (glyph) {
        // Glyphs stand on the bottom line of the text line.
        const QPoint bottomLeft(m_cursor.x(), m_cursor.y() + lineHeight - 1);
        placed.area = QRect(bottomLeft.x(), bottomLeft.y() - glyph->size.height + 1,
                            glyph->size.width, glyph->size.height);
        m_canvas.copy(placed.area, m_coveredPixels);
        placed.size = m_coveredPixels.size() - placed.offset;
        m_canvas.glyph(*glyph, bottomLeft, m_textColor);
    }
    if (!m_textCertain)
        m_canvas.forgetRowsFrom(m_uncertainTextTop);
    m_placed.push_back(placed);
    while (m_placed.size() > 1 &&
           (m_placed.size() > PlacedCharacterLimit || m_coveredPixels.size() > CoveredBytesLimit)) {
        const auto kept = m_placed.begin() + qsizetype(m_placed.size() / 2);
        const qsizetype forgotten = kept->offset;
        m_placed.erase(m_placed.begin(), kept);
        m_coveredPixels.remove(0, forgotten);
        for (PlacedCharacter& character : m_placed)
            character.offset -= forgotten;
    }
    // One blank column between characters.
    m_cursor.rx() += width + 1;
    m_screenChanged = true;
}

QPoint BoardEmulator::nextLine(int lineHeight) const {
    return {m_textLeft, std::min(m_cursor.y() + lineHeight + 1, LowestTextLine)};
}

void BoardEmulator::backspace() {
    if (m_placed.empty())
        return;
    const PlacedCharacter& last = m_placed.back();
    m_canvas.paste(last.area, QByteArrayView(m_coveredPixels).sliced(last.offset, last.size));
    m_cursor = last.cursorBefore;
    m_coveredPixels.truncate(last.offset);
    m_placed.pop_back();
    m_screenChanged = true;
}

void BoardEmulator::forgetPlacedCharacters() {
    m_placed.clear();
    m_coveredPixels.truncate(0);
}

void BoardEmulator::textEnd() {
    // The carriage return ends the line: the next text starts below it.
    m_cursor = nextLine(m_textFont->lineHeight());
    forgetPlacedCharacters();
}

void BoardEmulator::setTextCursor(QPoint position) {
    m_cursor = position;
    m_cursorKnown = true;
    m_textLeft = position.x();
}

void BoardEmulator::screenPixels(int offset, QByteArrayView pixels) {
    m_canvas.write(offset, pixels);
    m_screenChanged = true;
}

void BoardEmulator::screenRowReceived(int) {
    answer(Acknowledge);
}

void BoardEmulator::savePictureBegin(int slot) {
    m_pendingPictureSlot = slot;
    m_pendingPicture.resize(PixelCount);
    answer(Acknowledge);
}

void BoardEmulator::picturePixels(int offset, QByteArrayView pixels) {
    std::copy(pixels.begin(), pixels.end(), m_pendingPicture.begin() + offset);
}

void BoardEmulator::pictureBlockReceived(int) {
    answer(Acknowledge);
}

void BoardEmulator::savePictureEnd() {
    m_pictures[m_pendingPictureSlot - 1] = std::exchange(m_pendingPicture, QByteArray());
    m_pendingPictureSlot = 0;
    m_settingsChanged = true;
}

void BoardEmulator::showScreenPicture(int slot) {
    const QByteArray& stored = m_pictures[slot - 1];
    // An empty slot shows as black; one stored before the mirror knew the board shows
    // what nobody knows.
    if (stored.isEmpty()) {
        m_canvas.clear(0);
        if (tracksKnownPixels())
            m_canvas.forgetRowsFrom(0);
    } else {
        m_canvas.write(0, stored);
    }
    m_screenChanged = true;
}

void BoardEmulator::drawPixel(QPoint point, quint8 color) {
    m_canvas.setPixel(point.x(), point.y(), color);
    m_screenChanged = true;
}

void BoardEmulator::drawLine(QPoint start, QPoint end, quint8 color) {
    m_canvas.line(start, end, color);
    m_screenChanged = true;
}

void BoardEmulator::drawRectangle(QPoint corner, QPoint opposite, quint8 color) {
    m_canvas.rectangle(corner, opposite, color);
    m_screenChanged = true;
}

void BoardEmulator::fillRectangle(QPoint corner, QPoint opposite, quint8 color) {
    m_canvas.fillRectangle(corner, opposite, color);
    m_screenChanged = true;
}

void BoardEmulator::drawCircle(QPoint center, int radius, quint8 color) {
    m_canvas.circle(center, radius, color);
    m_screenChanged = true;
}

void BoardEmulator::fillCircle(QPoint center, int radius, quint8 color) {
    m_canvas.fillCircle(center, radius, color);
    m_screenChanged = true;
}

void BoardEmulator::clearScreen(quint8 color) {
    m_canvas.clear(color);
    m_screenChanged = true;
}

void BoardEmulator::rotateScreen() {
    m_rotated = !m_rotated;
    m_settingsChanged = true;
}

void BoardEmulator::setBacklight(bool on) {
    m_backlight = on;
    m_settingsChanged = true;
}

void BoardEmulator::beep() {
    ++m_beepCount;
    ++m_beepsToAnnounce;
}

void BoardEmulator::setBeepOnTouch(bool on) {
    m_beepOnTouch = on;
    m_settingsChanged = true;
}

void BoardEmulator::touchCoordinatesOn() {
    m_touchMode = TouchMode::Coordinates;
    m_settingsChanged = true;
}

void BoardEmulator::touchKeypadOn() {
    m_touchMode = TouchMode::Keypad;
    m_settingsChanged = true;
}

void BoardEmulator::touchOff() {
    m_touchMode = TouchMode::Off;
    m_settingsChanged = true;
}

void BoardEmulator::touchCalibrate() {
    m_calibrationStep = 0;
    m_settingsChanged = true;
}

void BoardEmulator::restoreCalibration() {
    m_calibrationStep = -1;
    m_calibrated = false;
    m_settingsChanged = true;
}

void BoardEmulator::commandAbandoned() {
    // A transfer cut short stores nothing.
    m_pendingFontSlot = 0;
    m_pendingGlyphs.clear();
    m_pendingPictureSlot = 0;
    m_pendingPicture.clear();
    forgetPlacedCharacters();
}
