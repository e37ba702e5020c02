#include "project/projectrender.h"

#include "board/boardemulator.h"
#include "board/boardimage.h"
#include "engine/commands.h"

#include <QCoreApplication>
#include <QDir>
#include <QImageWriter>

namespace ProjectRender {
namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("ProjectRender", text);
}

constexpr quint8 Black = 0;
constexpr quint8 White = 255;

QByteArray fontSpecimen() {
    QByteArray characters;
    for (int code = Commands::FirstGlyphCode; code <= Commands::LastGlyphCode; ++code)
        characters.append(char(code));
    return characters;
}

void feedAll(BoardEmulator& board, const QList<ProjectStep>& steps) {
    for (const ProjectStep& step : steps)
        feed(board, step.step);
}

} // namespace

void feed(BoardEmulator& board, const CliStep& step) {
    switch (step.kind) {
    case CliStep::Kind::Save:
    case CliStep::Kind::Font:
    case CliStep::Kind::Preview:
        for (const UploadBlock& block : step.plan.blocks) {
            board.feed(block.writes.bytes());
            board.takeAnswers();
        }
        return;
    case CliStep::Kind::TouchPause:
        board.feed(Commands::touchOff().bytes());
        break;
    default:
        break;
    }
    board.feed(step.writes.bytes());
    board.takeAnswers();
}

QList<Image> images(const ProjectPlan& plan) {
    QList<Image> result;
    BoardEmulator loaded;
    feedAll(loaded, plan.stepsOf(ProjectParts(ProjectPart::Fonts) | ProjectPart::Pictures));
    for (const ProjectStep& step : plan.stepsOf(ProjectPart::Pictures)) {
        loaded.feed(Commands::showScreenPicture(step.step.slot).bytes());
        result.append({QStringLiteral("slot-%1.png").arg(step.step.slot, 2, 10, QLatin1Char('0')),
                       BoardImage::panel(loaded)});
    }
    for (const ProjectStep& step : plan.stepsOf(ProjectPart::Fonts)) {
        const auto slot = quint8(step.step.font.slot == Commands::FontSlot::Font2 ? 2 : 1);
        loaded.feed(Commands::clearScreen(Black).bytes());
        loaded.feed(Commands::setTextCursor({0, 0}).bytes());
        loaded.feed(Commands::writeText(White, slot, fontSpecimen()).bytes());
        result.append({QStringLiteral("font-%1.png").arg(slot), BoardImage::panel(loaded)});
    }
    BoardEmulator finished;
    feedAll(finished, plan.steps);
    result.append({QStringLiteral("start.png"), BoardImage::panel(finished)});
    return result;
}

bool write(const ProjectPlan& plan, const QString& folder, QStringList* written, QString* error) {
    QDir dir(folder);
    if (!dir.mkpath(QStringLiteral("."))) {
        *error = tr("cannot make the folder %1").arg(QDir::toNativeSeparators(folder));
        return false;
    }
    const QList<Image> made = images(plan);
    QStringList names;
    for (const Image& image : made)
        names.append(image.fileName);
    // Images of slots and fonts the project dropped would pass for its own.
    const QStringList old =
        dir.entryList({QStringLiteral("slot-\?\?.png"), QStringLiteral("font-?.png")}, QDir::Files);
    for (const QString& name : old) {
        if (!names.contains(name))
            dir.remove(name);
    }
    for (const Image& image : made) {
        const QString path = dir.filePath(image.fileName);
        QImageWriter writer(path, "png");
        if (!writer.write(image.image)) {
            *error =
                tr("cannot write %1: %2").arg(QDir::toNativeSeparators(path), writer.errorString());
            return false;
        }
        written->append(path);
    }
    return true;
}

} // namespace ProjectRender
