#include "cli/uploadsources.h"

#include "engine/colorvalue.h"
#include "font/fontcapture.h"
#include "graphic/pictureloading.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>

namespace UploadSources {
namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("UploadSources", text);
}

// The installed family of that name, as the font database spells it.
std::optional<QString> installedFamily(const QString& name) {
    const QStringList families = QFontDatabase::families();
    for (const QString& family : families) {
        if (family.compare(name, Qt::CaseInsensitive) == 0)
            return family;
    }
    return std::nullopt;
}

std::optional<QString> fontPlan(CliStep& step) {
    const FontSource& source = step.font;
    QString family;
    if (!source.file.isEmpty()) {
        if (!QFileInfo(source.file).isFile())
            return tr("%1: there is no font file %2").arg(step.command, source.file);
        const int id = QFontDatabase::addApplicationFont(source.file);
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        if (id < 0 || families.isEmpty())
            return tr("%1: %2 is not a font file that can be read").arg(step.command, source.file);
        family = families.first();
    } else if (const std::optional<QString> installed = installedFamily(source.family)) {
        family = *installed;
    } else {
        return tr("%1: there is no font family \"%2\" on this system")
            .arg(step.command, source.family);
    }
    QFont font(family);
    font.setPointSize(source.pointSize);
    font.setBold(source.bold);
    font.setItalic(source.italic);
    font.setUnderline(source.underline);
    font.setStrikeOut(source.strikeOut);
    // The font window measures and draws with the same font.
    const FontCapture capture = FontCapture::capture(font, font);
    if (!capture.isSendable()) {
        QStringList problems;
        if (const QString tooLarge = capture.charactersTooLarge(); !tooLarge.isEmpty())
            problems.append(tr("larger than the 255 pixels the board takes: %1").arg(tooLarge));
        if (const QString withoutInk = capture.charactersWithoutInk(); !withoutInk.isEmpty())
            problems.append(tr("without ink: %1").arg(withoutInk));
        return tr("%1: the board cannot take %2 at %3 points; characters %4")
            .arg(step.command, family)
            .arg(source.pointSize)
            .arg(problems.join(QStringLiteral("; ")));
    }
    step.plan = capture.uploadPlan(source.slot);
    return std::nullopt;
}

} // namespace

std::optional<QByteArray> picturePixels(const PictureSource& source, QString* error) {
    const LoadedPicture loaded = loadPicture(source.path, source.options.fit);
    if (loaded.outcome != LoadedPicture::Outcome::Loaded) {
        *error = loaded.error;
        return std::nullopt;
    }
    return boardPixels(loaded.image, source.options);
}

std::optional<QString> prepare(QList<CliStep>& steps) {
    for (CliStep& step : steps) {
        // A step made ready already (a project's) is kept.
        if (!step.plan.blocks.empty())
            continue;
        if (step.kind == CliStep::Kind::Font) {
            if (const std::optional<QString> refused = fontPlan(step))
                return refused;
            continue;
        }
        if (step.kind != CliStep::Kind::Preview && step.kind != CliStep::Kind::Save)
            continue;
        // Read once to be sure of it, and let go: the step reads it again when it runs.
        QString error;
        if (!planFor(step, &error))
            return step.command + QStringLiteral(": ") + error;
    }
    return std::nullopt;
}

std::optional<UploadPlan> planFor(const CliStep& step, QString* error) {
    if (!step.plan.blocks.empty() ||
        (step.kind != CliStep::Kind::Preview && step.kind != CliStep::Kind::Save))
        return step.plan;
    const std::optional<QByteArray> pixels = picturePixels(step.picture, error);
    if (!pixels)
        return std::nullopt;
    // A stopped upload finishes the board's picture in the background colour.
    const quint8 filler = ColorValue::reduce(step.picture.options.background.rgb());
    return step.kind == CliStep::Kind::Preview
               ? UploadPlans::preview(*pixels, filler)
               : UploadPlans::savePicture(step.slot, *pixels, filler);
}

} // namespace UploadSources
