#include "engine/tracetext.h"

#include "engine/commands.h"

#include <QByteArrayView>

#include <algorithm>
#include <array>
#include <cstring>

namespace TraceText {
namespace {

const std::array<const char*, 24> Opcodes{
    Commands::Opcode::IdentifyController, Commands::Opcode::SetControllerBaudRate,
    Commands::Opcode::FontUploadBegin,    Commands::Opcode::WriteText,
    Commands::Opcode::SetTextCursor,      Commands::Opcode::WriteScreen,
    Commands::Opcode::SaveScreenPicture,  Commands::Opcode::ShowScreenPicture,
    Commands::Opcode::DrawPixel,          Commands::Opcode::DrawLine,
    Commands::Opcode::DrawRectangle,      Commands::Opcode::FillRectangle,
    Commands::Opcode::DrawCircle,         Commands::Opcode::FillCircle,
    Commands::Opcode::ClearScreen,        Commands::Opcode::RotateScreen,
    Commands::Opcode::SetBacklight,       Commands::Opcode::Beep,
    Commands::Opcode::SetBeepOnTouch,     Commands::Opcode::TouchCoordinatesOn,
    Commands::Opcode::TouchKeypadOn,      Commands::Opcode::TouchOff,
    Commands::Opcode::TouchCalibrate,     Commands::Opcode::RestoreCalibration};

// The length of the opcode the record starts with; 0 for data such as a picture's rows.
qsizetype opcodeLength(const QByteArray& bytes) {
    const bool known = std::any_of(Opcodes.begin(), Opcodes.end(), [&](const char* opcode) {
        return bytes.startsWith(QByteArrayView(opcode, qsizetype(std::strlen(opcode))));
    });
    return known ? 2 : 0;
}

bool isText(const QByteArray& bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return c >= ' ' && c <= '~'; });
}

QString hex(QByteArrayView bytes) {
    return QString::fromLatin1(bytes.toByteArray().toHex(' ').toUpper());
}

QString shown(const QByteArray& bytes, qsizetype skipped) {
    const QByteArrayView rest = QByteArrayView(bytes).sliced(skipped);
    if (rest.size() <= ShownBytes)
        return hex(rest);
    return hex(rest.first(ShownBytes)) + QStringLiteral(" ... (%1 bytes)").arg(bytes.size());
}

} // namespace

QString line(const LineTraffic& traffic) {
    const QString time = QString::number(double(traffic.microseconds) / 1e6, 'f', 6);
    QString text =
        time.rightJustified(10) +
        QLatin1String(traffic.direction == LineTraffic::Direction::ToBoard ? " -> " : " <- ");
    const QByteArray& bytes = traffic.bytes;
    if (traffic.direction == LineTraffic::Direction::FromBoard) {
        if (isText(bytes) && bytes.size() <= ShownBytes * 4)
            return text + QLatin1Char('"') + QString::fromLatin1(bytes) + QLatin1Char('"');
        return text + shown(bytes, 0);
    }
    const qsizetype opcode = opcodeLength(bytes);
    if (opcode == 0)
        return text + shown(bytes, 0);
    text += QString::fromLatin1(bytes.first(opcode));
    if (bytes.size() > opcode)
        text += QLatin1Char(' ') + shown(bytes, opcode);
    return text;
}

} // namespace TraceText
