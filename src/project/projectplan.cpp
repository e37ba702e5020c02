#include "project/projectplan.h"

#include "cli/uploadsources.h"
#include "engine/boardengine.h"
#include "engine/commands.h"
#include "project/projectfile.h"
#include "project/startline.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLocale>

#include <cmath>

namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("ProjectPlan", text);
}

constexpr double BitsPerByte = 10;
// The board's answer to a block: one character.
constexpr int AnswerBytes = 1;

double lineMs(qint64 bytes, int baudRate) {
    return double(bytes) * BitsPerByte * 1000.0 / baudRate;
}

// The upload's plan made from its file or font, held for the plan's figures and the
// render (a project has at most twelve pictures); the issue names the entry's line.
void prepare(CliStep& step, const QString& file, int line, const QString& field,
             ProjectIssues& issues) {
    QList<CliStep> one{step};
    QString message;
    if (const std::optional<QString> refused = UploadSources::prepare(one)) {
        message = *refused;
        const QString prefix = step.command + QStringLiteral(": ");
        if (message.startsWith(prefix))
            message.remove(0, prefix.size());
    } else if (std::optional<UploadPlan> plan = UploadSources::planFor(one.first(), &message)) {
        step = one.first();
        step.plan = std::move(*plan);
        return;
    }
    issues.append({file, line, field, message});
}

ProjectStep fontStep(const BoardProject& project, const ProjectFont& font, ProjectIssues& issues) {
    ProjectStep result;
    result.part = ProjectPart::Fonts;
    result.name = tr("font %1").arg(font.slot);
    QStringList detail{font.family, QString::number(font.pointSize)};
    const std::pair<bool, QString> styles[] = {{font.bold, QStringLiteral("bold")},
                                               {font.italic, QStringLiteral("italic")},
                                               {font.underline, QStringLiteral("underline")},
                                               {font.strikeOut, QStringLiteral("strikeout")}};
    for (const auto& [on, name] : styles) {
        if (on)
            detail.append(name);
    }
    result.detail = detail.join(QLatin1Char(' '));
    CliStep& step = result.step;
    step.kind = CliStep::Kind::Font;
    step.command = result.name;
    step.font.family = font.family;
    step.font.pointSize = font.pointSize;
    step.font.bold = font.bold;
    step.font.italic = font.italic;
    step.font.underline = font.underline;
    step.font.strikeOut = font.strikeOut;
    step.font.slot = font.slot == 2 ? Commands::FontSlot::Font2 : Commands::FontSlot::Font1;
    prepare(step, project.path, font.line, QStringLiteral("font"), issues);
    return result;
}

ProjectStep pictureStep(const BoardProject& project, const ProjectPicture& picture,
                        ProjectIssues& issues) {
    ProjectStep result;
    result.part = ProjectPart::Pictures;
    result.name = tr("picture %1").arg(picture.slot);
    result.detail = QStringLiteral("%1 (%2, %3)")
                        .arg(picture.file, pictureFitNames().at(int(picture.fit)),
                             pictureDitherNames().at(int(picture.dither)));
    CliStep& step = result.step;
    step.kind = CliStep::Kind::Save;
    step.command = result.name;
    step.slot = quint8(picture.slot);
    step.picture.path = project.picturePath(picture);
    step.picture.options.fit = picture.fit;
    step.picture.options.dither = picture.dither;
    if (!QFileInfo(step.picture.path).isFile()) {
        issues.append({project.path, picture.line, QStringLiteral("picture.file"),
                       tr("there is no file %1").arg(picture.file)});
        return result;
    }
    prepare(step, project.path, picture.line, QStringLiteral("picture.file"), issues);
    return result;
}

} // namespace

std::optional<ProjectParts> projectPartsNamed(const QString& names, QString* error) {
    ProjectParts parts;
    const QStringList words = names.split(QLatin1Char(','));
    for (const QString& word : words) {
        if (word == QLatin1String("fonts"))
            parts |= ProjectPart::Fonts;
        else if (word == QLatin1String("pictures"))
            parts |= ProjectPart::Pictures;
        else if (word == QLatin1String("start"))
            parts |= ProjectPart::Start;
        else {
            *error = tr("--only takes fonts, pictures and start, separated by commas, not \"%1\"")
                         .arg(printableText(word));
            return std::nullopt;
        }
    }
    return parts;
}

StepTime& StepTime::operator+=(const StepTime& other) {
    answerPacedMs += other.answerPacedMs;
    pollPacedMs += other.pollPacedMs;
    lineMs += other.lineMs;
    return *this;
}

qint64 ProjectStep::byteCount() const {
    switch (step.kind) {
    case CliStep::Kind::Save:
    case CliStep::Kind::Font:
        return step.plan.byteCount();
    case CliStep::Kind::TouchPause:
        return Commands::touchOff().bytes().size() + step.writes.bytes().size();
    default:
        return step.writes.bytes().size();
    }
}

StepTime ProjectStep::time(int baudRate) const {
    StepTime time;
    time.lineMs = lineMs(byteCount(), baudRate);
    if (step.kind != CliStep::Kind::Save && step.kind != CliStep::Kind::Font) {
        time.answerPacedMs = time.pollPacedMs =
            time.lineMs + BoardEngine::touchPauseMs(step.writes);
        return time;
    }
    for (const UploadBlock& block : step.plan.blocks) {
        const double roundTrip =
            lineMs(block.writes.bytes().size(), baudRate) + lineMs(AnswerBytes, baudRate);
        time.answerPacedMs += roundTrip;
        const double poll = std::max(1, block.pollIntervalMs);
        time.pollPacedMs += std::max(1.0, std::ceil(roundTrip / poll)) * poll;
    }
    return time;
}

ProjectPlan ProjectPlan::make(const BoardProject& project) {
    ProjectPlan plan;
    plan.baudRate = project.baudRate;
    BoardProject sorted = project;
    sorted.sortBySlot();
    for (const ProjectFont& font : std::as_const(sorted.fonts))
        plan.steps.append(fontStep(sorted, font, plan.issues));
    for (const ProjectPicture& picture : std::as_const(sorted.pictures))
        plan.steps.append(pictureStep(sorted, picture, plan.issues));
    for (qsizetype i = 0; i < project.start.size(); ++i) {
        const ProjectStartLine& line = project.start.at(i);
        const StartLine::Parsed parsed = StartLine::parse(line.text);
        if (!parsed.step) {
            plan.issues.append({project.path, line.line,
                                QStringLiteral("start.lines[%1]").arg(i + 1),
                                printableText(parsed.error)});
            continue;
        }
        plan.steps.append({ProjectPart::Start, tr("start %1").arg(i + 1), printableText(line.text),
                           *parsed.step});
    }
    sortByLine(plan.issues);
    return plan;
}

ProjectPlan ProjectPlan::fromFile(const QString& path) {
    const ProjectFile::Reading reading = ProjectFile::read(path);
    // Whatever the file's form, every entry that could be read is looked at too.
    ProjectPlan plan = make(reading.project);
    plan.issues += reading.issues;
    sortByLine(plan.issues);
    return plan;
}

QList<ProjectStep> ProjectPlan::stepsOf(ProjectParts parts) const {
    QList<ProjectStep> chosen;
    for (const ProjectStep& step : steps) {
        if (parts.testFlag(step.part))
            chosen.append(step);
    }
    return chosen;
}

StepTime ProjectPlan::totalTime(ProjectParts parts) const {
    StepTime total;
    for (const ProjectStep& step : stepsOf(parts))
        total += step.time(baudRate);
    return total;
}

qint64 ProjectPlan::totalBytes(ProjectParts parts) const {
    qint64 total = 0;
    for (const ProjectStep& step : stepsOf(parts))
        total += step.byteCount();
    return total;
}

QString printableText(const QString& text) {
    QString result = text;
    for (QChar& c : result) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            c = QLatin1Char('?');
    }
    return result;
}

QString durationText(double ms) {
    if (ms < 60000)
        return QLocale().toString(ms / 1000.0, 'f', 1) + QStringLiteral(" s");
    const auto seconds = qint64(std::llround(ms / 1000.0));
    return QStringLiteral("%1 min %2 s").arg(seconds / 60).arg(seconds % 60);
}
