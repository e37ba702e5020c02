#include "engine/commanddecoder.h"

#include "engine/boardgeometry.h"
#include "engine/linesettings.h"

#include <algorithm>

namespace {

enum Command {
    IdentifyController,
    SetControllerBaudRate,
    FontUploadBegin,
    WriteText,
    SetTextCursor,
    WriteScreen,
    SaveScreenPicture,
    ShowScreenPicture,
    DrawPixel,
    DrawLine,
    DrawRectangle,
    FillRectangle,
    DrawCircle,
    FillCircle,
    ClearScreen,
    RotateScreen,
    SetBacklight,
    Beep,
    SetBeepOnTouch,
    TouchCoordinatesOn,
    TouchKeypadOn,
    TouchOff,
    TouchCalibrate,
    RestoreCalibration,
    CommandCount
};

struct CommandInfo {
    const char* opcode;
    int parameters; // the fixed bytes after the opcode
};

namespace Op = Commands::Opcode;

// Indexed by Command.
constexpr CommandInfo Table[CommandCount] = {
    {Op::IdentifyController, 0}, {Op::SetControllerBaudRate, 1},
    {Op::FontUploadBegin, 1},    {Op::WriteText, 1},
    {Op::SetTextCursor, 3},      {Op::WriteScreen, 0},
    {Op::SaveScreenPicture, 1},  {Op::ShowScreenPicture, 1},
    {Op::DrawPixel, 4},          {Op::DrawLine, 7},
    {Op::DrawRectangle, 7},      {Op::FillRectangle, 7},
    {Op::DrawCircle, 5},         {Op::FillCircle, 5},
    {Op::ClearScreen, 1},        {Op::RotateScreen, 0},
    {Op::SetBacklight, 1},       {Op::Beep, 0},
    {Op::SetBeepOnTouch, 1},     {Op::TouchCoordinatesOn, 0},
    {Op::TouchKeypadOn, 0},      {Op::TouchOff, 0},
    {Op::TouchCalibrate, 0},     {Op::RestoreCalibration, 0},
};

constexpr int LetterCount = 26;

bool isLetter(quint8 byte) {
    return byte >= 'A' && byte <= 'Z';
}

// The command of each pair of upper-case letters, -1 where there is none.
struct OpcodeTable {
    std::array<int, LetterCount * LetterCount> commands;
    std::array<bool, 256> firstLetters;

    OpcodeTable() {
        commands.fill(-1);
        firstLetters.fill(false);
        for (int command = 0; command < CommandCount; ++command) {
            const char* opcode = Table[command].opcode;
            commands[(opcode[0] - 'A') * LetterCount + (opcode[1] - 'A')] = command;
            firstLetters[quint8(opcode[0])] = true;
        }
    }
    int commandFor(quint8 first, quint8 second) const {
        if (!isLetter(second))
            return -1;
        return commands[(first - 'A') * LetterCount + (second - 'A')];
    }
};

const OpcodeTable& opcodes() {
    static const OpcodeTable table;
    return table;
}

QString describeByte(quint8 byte) {
    if (byte >= 32 && byte < 127)
        return QStringLiteral("\"%1\" (%2)").arg(QLatin1Char(char(byte))).arg(byte);
    return QString::number(byte);
}

constexpr int PictureBlock = 256;
constexpr int SizeTableBytes = 2 * Commands::GlyphCount;

} // namespace

CommandDecoder::CommandDecoder(CommandSink& sink)
    : m_sink(sink) {
    m_sizes.reserve(Commands::GlyphCount);
}

qsizetype CommandDecoder::feed(QByteArrayView bytes) {
    qsizetype i = 0;
    m_stopped = false;
    while (i < bytes.size() && !m_stopped) {
        switch (m_state) {
        case State::ScreenPixels:
            i += takeScreenPixels(bytes.sliced(i));
            break;
        case State::PicturePixels:
            i += takePicturePixels(bytes.sliced(i));
            break;
        case State::FontGlyphBitmap:
            i += takeGlyphBitmap(bytes.sliced(i));
            break;
        default:
            takeByte(quint8(bytes[i]));
            ++i;
            break;
        }
    }
    m_stopped = false;
    return i;
}

void CommandDecoder::abandon() {
    const bool partial = midCommand();
    m_state = State::Opcode;
    m_skipping = false;
    if (partial) {
        ++m_errors;
        notify([](CommandSink& sink) { sink.commandAbandoned(); });
    }
}

void CommandDecoder::takeByte(quint8 byte) {
    switch (m_state) {
    case State::Opcode:
        takeOpcodeByte(byte);
        break;
    case State::OpcodeSecond:
        takeSecondLetter(byte);
        break;
    case State::Parameters:
        m_parameters[m_parameterCount++] = byte;
        if (m_parameterCount == m_parametersWanted)
            finishParameters();
        break;
    case State::TextFontOrChar: {
        // In the text window's form a font number (1 or 2) follows the colour; any
        // other byte already belongs to the text of the short form.
        const bool fontNumber = byte == 1 || byte == 2;
        const quint8 color = m_parameters[0];
        const std::optional<int> font = fontNumber ? std::optional<int>(byte) : std::nullopt;
        notify([&](CommandSink& sink) { sink.textBegin(color, font); });
        m_state = State::Text;
        if (!fontNumber)
            takeTextByte(byte);
        break;
    }
    case State::Text:
        takeTextByte(byte);
        break;
    case State::FontSizeTable:
        takeSizeTableByte(byte);
        break;
    case State::FontGlyphSize:
        m_parameters[m_parameterCount++] = byte;
        if (m_parameterCount == 2)
            beginGlyph();
        break;
    case State::FontGlyphBitmap:
    case State::ScreenPixels:
    case State::PicturePixels:
        // Taken in blocks by feed().
        break;
    }
}

void CommandDecoder::takeOpcodeByte(quint8 byte) {
    if (opcodes().firstLetters[byte]) {
        m_firstLetter = byte;
        m_state = State::OpcodeSecond;
    } else {
        reject([byte] { return QStringLiteral("Unknown byte %1").arg(describeByte(byte)); });
    }
}

void CommandDecoder::takeSecondLetter(quint8 byte) {
    const int command = opcodes().commandFor(m_firstLetter, byte);
    if (command >= 0) {
        m_skipping = false;
        startCommand(command);
        return;
    }
    m_state = State::Opcode;
    reject([this, byte] {
        return QStringLiteral("Unknown opcode %1 %2")
            .arg(describeByte(m_firstLetter), describeByte(byte));
    });
    // The byte may itself begin the next command.
    takeOpcodeByte(byte);
}

void CommandDecoder::startCommand(int command) {
    m_command = command;
    m_parameterCount = 0;
    m_parametersWanted = Table[command].parameters;
    if (m_parametersWanted > 0)
        m_state = State::Parameters;
    else
        finishParameters();
}

QPoint CommandDecoder::point(int index) const {
    return {m_parameters[index] * 256 + m_parameters[index + 1], m_parameters[index + 2]};
}

void CommandDecoder::finishParameters() {
    m_state = State::Opcode;
    const quint8 first = m_parameters[0];
    // The drawing commands end with the colour.
    const quint8 color = m_parameters[std::max(0, m_parametersWanted - 1)];
    QString invalid;
    switch (Command(m_command)) {
    case IdentifyController:
        notify([](CommandSink& sink) { sink.identifyController(); });
        break;
    case SetControllerBaudRate:
        if (first < LineSettings::baudRates().size())
            notify([&](CommandSink& sink) { sink.setControllerBaudRate(first); });
        else
            invalid = QStringLiteral("baud-rate index %1 is not 0 to 6").arg(first);
        break;
    case FontUploadBegin:
        if (first == quint8(Commands::FontSlot::Font1) ||
            first == quint8(Commands::FontSlot::Font2)) {
            notify([&](CommandSink& sink) { sink.fontUploadBegin(first - '0'); });
            m_sizeBytes.clear();
            m_state = State::FontSizeTable;
        } else {
            invalid = QStringLiteral("font slot %1 is not \"1\" or \"2\"").arg(describeByte(first));
        }
        break;
    case WriteText:
        m_state = State::TextFontOrChar;
        break;
    case SetTextCursor:
        notify([&](CommandSink& sink) { sink.setTextCursor(point(0)); });
        break;
    case WriteScreen:
        m_offset = 0;
        notify([](CommandSink& sink) { sink.writeScreenBegin(); });
        m_state = State::ScreenPixels;
        break;
    case SaveScreenPicture:
        if (first >= 1 && first <= BoardGeometry::PictureSlots) {
            m_offset = 0;
            notify([&](CommandSink& sink) { sink.savePictureBegin(first); });
            m_state = State::PicturePixels;
        } else {
            invalid = QStringLiteral("picture slot %1 is not 1 to 12").arg(first);
        }
        break;
    case ShowScreenPicture:
        if (first >= 1 && first <= BoardGeometry::PictureSlots)
            notify([&](CommandSink& sink) { sink.showScreenPicture(first); });
        else
            invalid = QStringLiteral("picture slot %1 is not 1 to 12").arg(first);
        break;
    case DrawPixel:
        notify([&](CommandSink& sink) { sink.drawPixel(point(0), color); });
        break;
    case DrawLine:
        notify([&](CommandSink& sink) { sink.drawLine(point(0), point(3), color); });
        break;
    case DrawRectangle:
        notify([&](CommandSink& sink) { sink.drawRectangle(point(0), point(3), color); });
        break;
    case FillRectangle:
        notify([&](CommandSink& sink) { sink.fillRectangle(point(0), point(3), color); });
        break;
    case DrawCircle:
        notify([&](CommandSink& sink) { sink.drawCircle(point(0), m_parameters[3], color); });
        break;
    case FillCircle:
        notify([&](CommandSink& sink) { sink.fillCircle(point(0), m_parameters[3], color); });
        break;
    case ClearScreen:
        notify([&](CommandSink& sink) { sink.clearScreen(first); });
        break;
    case RotateScreen:
        notify([](CommandSink& sink) { sink.rotateScreen(); });
        break;
    case SetBacklight:
        if (first <= 1)
            notify([&](CommandSink& sink) { sink.setBacklight(first == 1); });
        else
            invalid = QStringLiteral("backlight state %1 is not 0 or 1").arg(first);
        break;
    case Beep:
        notify([](CommandSink& sink) { sink.beep(); });
        break;
    case SetBeepOnTouch:
        if (first <= 1)
            notify([&](CommandSink& sink) { sink.setBeepOnTouch(first == 1); });
        else
            invalid = QStringLiteral("beep-on-touch state %1 is not 0 or 1").arg(first);
        break;
    case TouchCoordinatesOn:
        notify([](CommandSink& sink) { sink.touchCoordinatesOn(); });
        break;
    case TouchKeypadOn:
        notify([](CommandSink& sink) { sink.touchKeypadOn(); });
        break;
    case TouchOff:
        notify([](CommandSink& sink) { sink.touchOff(); });
        break;
    case TouchCalibrate:
        notify([](CommandSink& sink) { sink.touchCalibrate(); });
        break;
    case RestoreCalibration:
        notify([](CommandSink& sink) { sink.restoreCalibration(); });
        break;
    case CommandCount:
        break;
    }
    if (!invalid.isEmpty()) {
        reject([&]() -> QString {
            return QStringLiteral("Malformed ") + QLatin1String(Table[m_command].opcode) +
                   QStringLiteral(": ") + invalid;
        });
        // The commands checked here take one parameter byte, which may be the start
        // of the next command (the checked one was cut short).
        takeOpcodeByte(first);
    }
}

void CommandDecoder::takeTextByte(quint8 byte) {
    if (byte == quint8(Commands::TextEnd)) {
        m_state = State::Opcode;
        notify([](CommandSink& sink) { sink.textEnd(); });
    } else {
        notify([&](CommandSink& sink) { sink.textCharacter(byte); });
    }
}

void CommandDecoder::takeSizeTableByte(quint8 byte) {
    m_sizeBytes.append(char(byte));
    if (m_sizeBytes.size() < SizeTableBytes)
        return;
    m_sizes.clear();
    for (int i = 0; i < SizeTableBytes; i += 2)
        m_sizes.append({quint8(m_sizeBytes[i]), quint8(m_sizeBytes[i + 1])});
    notify([&](CommandSink& sink) { sink.fontSizeTable(m_sizes); });
    m_glyphCode = Commands::FirstGlyphCode;
    m_parameterCount = 0;
    m_state = State::FontGlyphSize;
}

void CommandDecoder::beginGlyph() {
    m_glyphSize = {m_parameters[0], m_parameters[1]};
    m_bitmapWanted = m_glyphSize.height * ((m_glyphSize.width + 7) / 8);
    m_bitmap.clear();
    m_state = State::FontGlyphBitmap;
    if (m_bitmapWanted == 0)
        takeGlyphBitmap({});
}

qsizetype CommandDecoder::takeGlyphBitmap(QByteArrayView bytes) {
    const qsizetype count = std::min(bytes.size(), qsizetype(m_bitmapWanted - m_bitmap.size()));
    m_bitmap.append(bytes.first(count));
    if (m_bitmap.size() < m_bitmapWanted)
        return count;
    const int code = m_glyphCode;
    notify([&](CommandSink& sink) { sink.fontGlyph(code, m_glyphSize, m_bitmap); });
    if (++m_glyphCode > Commands::LastGlyphCode) {
        m_state = State::Opcode;
        notify([](CommandSink& sink) { sink.fontUploadEnd(); });
    } else {
        m_parameterCount = 0;
        m_state = State::FontGlyphSize;
    }
    return count;
}

qsizetype CommandDecoder::takeScreenPixels(QByteArrayView bytes) {
    const int width = BoardGeometry::Width;
    const qsizetype count = std::min(bytes.size(), qsizetype(width - m_offset % width));
    const int offset = m_offset;
    notify([&](CommandSink& sink) { sink.screenPixels(offset, bytes.first(count)); });
    m_offset += int(count);
    if (m_offset % width == 0) {
        const int row = m_offset / width - 1;
        notify([&](CommandSink& sink) { sink.screenRowReceived(row); });
    }
    if (m_offset == BoardGeometry::PixelCount) {
        m_state = State::Opcode;
        notify([](CommandSink& sink) { sink.writeScreenEnd(); });
    }
    return count;
}

qsizetype CommandDecoder::takePicturePixels(QByteArrayView bytes) {
    const qsizetype count =
        std::min(bytes.size(), qsizetype(PictureBlock - m_offset % PictureBlock));
    const int offset = m_offset;
    notify([&](CommandSink& sink) { sink.picturePixels(offset, bytes.first(count)); });
    m_offset += int(count);
    if (m_offset % PictureBlock == 0) {
        const int block = m_offset / PictureBlock - 1;
        notify([&](CommandSink& sink) { sink.pictureBlockReceived(block); });
    }
    if (m_offset == BoardGeometry::PixelCount) {
        m_state = State::Opcode;
        notify([](CommandSink& sink) { sink.savePictureEnd(); });
    }
    return count;
}
