#include "cli/projectcommand.h"

#include "cli/boardrun.h"
#include "cli/console.h"
#include "engine/boardengine.h"
#include "engine/clock.h"
#include "project/projectrender.h"

#include <QDir>
#include <QLocale>

namespace {

const QString Program = QStringLiteral("lumaret-cli");

double pacedMs(const StepTime& time, Pacing pacing) {
    return pacing == Pacing::AnswerDriven ? time.answerPacedMs : time.pollPacedMs;
}

} // namespace

ProjectCommand::ProjectCommand(Console& console)
    : m_console(console) {}

int ProjectCommand::refuse(const QString& reason) {
    m_console.error(Program + QStringLiteral(": ") + reason);
    return ExitCode::Usage;
}

std::optional<int> ProjectCommand::prepare(CliRequest& request) {
    if (request.steps.isEmpty() || request.steps.first().kind != CliStep::Kind::Project) {
        for (const CliStep& step : std::as_const(request.steps)) {
            if (step.kind == CliStep::Kind::Project)
                return refuse(tr("%1 runs on its own, not after \"--\"").arg(step.command));
        }
        return std::nullopt;
    }
    const ProjectCall call = request.steps.first().project;
    if (request.steps.size() > 1)
        return refuse(
            tr("%1 runs on its own: nothing may follow it after \"--\"").arg(call.command));
    const bool provisioning = call.command == QLatin1String("provision");
    if (!provisioning && (!request.settings.ports.isEmpty() || request.settings.allPorts ||
                          !request.settings.screenshotFile.isEmpty()))
        return refuse(tr("%1 works without a board: it takes no --port, --all or --screenshot")
                          .arg(call.command));
    const QString folder = call.options.value(QStringLiteral("--out"));
    if (call.command == QLatin1String("render") && folder.isEmpty())
        return refuse(tr("render needs --out DIR, the folder for the pictures"));
    ProjectParts parts = AllProjectParts;
    if (call.options.contains(QStringLiteral("--only"))) {
        QString error;
        const std::optional<ProjectParts> named =
            projectPartsNamed(call.options.value(QStringLiteral("--only")), &error);
        if (!named)
            return refuse(error);
        parts = *named;
    }
    m_reportFile = call.options.value(QStringLiteral("--report"));
    if (call.options.contains(QStringLiteral("--report"))) {
        if (const QString unfit = ProvisionReport::unfit(m_reportFile); !unfit.isEmpty())
            return refuse(unfit);
    }
    m_quiet = request.settings.quiet;
    const std::optional<ProjectPlan> plan = readPlan(call.file);
    if (!plan)
        return ExitCode::Usage;
    if (call.command == QLatin1String("check"))
        return check(*plan);
    if (call.command == QLatin1String("render"))
        return render(*plan, folder);
    m_steps = plan->stepsOf(parts);
    return provision(request, *plan);
}

std::optional<ProjectPlan> ProjectCommand::readPlan(const QString& file) {
    m_file = file;
    const ProjectPlan plan = ProjectPlan::fromFile(file);
    const ProjectIssues& issues = plan.issues;
    if (issues.isEmpty())
        return plan;
    for (const ProjectIssue& issue : std::as_const(issues))
        m_console.error(printableText(issue.text()));
    m_console.error(tr("%1: %2 in the project: nothing was sent")
                        .arg(Program, issues.size() == 1 ? tr("1 problem")
                                                         : tr("%1 problems").arg(issues.size())));
    return std::nullopt;
}

int ProjectCommand::check(const ProjectPlan& plan) {
    const QLocale locale;
    qsizetype nameWidth = 5;
    for (const ProjectStep& step : plan.steps)
        nameWidth = std::max(nameWidth, step.name.size());
    const auto row = [&](const QString& name, const QString& bytes, const QString& byAnswers,
                         const QString& byPoll, const QString& what) -> QString {
        return name.leftJustified(nameWidth) + bytes.rightJustified(10) +
               byAnswers.rightJustified(13) + byPoll.rightJustified(13) + QStringLiteral("  ") +
               what;
    };
    m_console.print(tr("%1: %2 steps at %3 bit/s")
                        .arg(printableText(m_file))
                        .arg(plan.steps.size())
                        .arg(plan.baudRate));
    m_console.print(row(tr("STEP"), tr("BYTES"), tr("BY ANSWERS"), tr("BY POLL"), tr("WHAT")));
    for (const ProjectStep& step : plan.steps) {
        const StepTime time = step.time(plan.baudRate);
        m_console.print(row(step.name, locale.toString(step.byteCount()),
                            durationText(time.answerPacedMs), durationText(time.pollPacedMs),
                            step.detail));
    }
    const StepTime total = plan.totalTime(AllProjectParts);
    m_console.print(row(tr("total"), locale.toString(plan.totalBytes(AllProjectParts)),
                        durationText(total.answerPacedMs), durationText(total.pollPacedMs), {}));
    return ExitCode::Done;
}

int ProjectCommand::render(const ProjectPlan& plan, const QString& folder) {
    QStringList written;
    QString error;
    if (!ProjectRender::write(plan, folder, &written, &error))
        return refuse(error);
    if (!m_quiet) {
        for (const QString& file : std::as_const(written))
            m_console.print(QDir::toNativeSeparators(file));
    }
    return ExitCode::Done;
}

std::optional<int> ProjectCommand::provision(CliRequest& request, const ProjectPlan& plan) {
    if (m_steps.isEmpty())
        return refuse(tr("the project has nothing of the parts asked for to send"));
    m_plan = plan;
    m_provisioning = true;
    m_pacing = request.settings.pacing;
    // The board runs at the project's speed.
    request.settings.baudRate = plan.baudRate;
    request.steps.clear();
    for (const ProjectStep& step : std::as_const(m_steps))
        request.steps.append(step.step);
    return std::nullopt;
}

void ProjectCommand::watch(BoardRun& run, Clock& clock) {
    if (!m_provisioning)
        return;
    const auto index = m_watched.size();
    m_watched.append({&run, {}, 0, 0});
    QObject::connect(&run, &BoardRun::stepStarted, &run, [this, index, &clock, &run](int step) {
        Watched& watched = m_watched[index];
        watched.startedMs.append(clock.elapsedMs());
        watched.bytesSentInStep = 0;
        const ProjectStep& next = m_steps.at(step);
        // The start screen's lines take no time worth telling one by one.
        const bool startScreen = next.part == ProjectPart::Start;
        if (m_quiet || (startScreen && step > 0 && m_steps.at(step - 1).part == next.part))
            return;
        StepTime left;
        for (qsizetype i = step; i < m_steps.size(); ++i)
            left += m_steps.at(i).time(m_plan.baudRate);
        const QString what =
            startScreen ? tr("the start screen") : next.name + QStringLiteral("  ") + next.detail;
        m_console.error(tr("%1: [%2/%3] %4, about %5 left")
                            .arg(run.portName())
                            .arg(step + 1)
                            .arg(m_steps.size())
                            .arg(what, durationText(pacedMs(left, m_pacing))));
    });
    QObject::connect(&run, &BoardRun::uploadProgressed, &run,
                     [this, index](const UploadProgress& progress) {
                         m_watched[index].bytesSentInStep = progress.bytesSent;
                     });
    QObject::connect(&run, &BoardRun::finished, &run,
                     [this, index, &clock] { m_watched[index].endedMs = clock.elapsedMs(); });
}

int ProjectCommand::finish(const QList<BoardRun*>& runs, int status) {
    if (!m_provisioning)
        return status;
    ProvisionReport report;
    report.project = m_file;
    report.baudRate = m_plan.baudRate;
    for (const BoardRun* run : runs) {
        const auto watched = std::find_if(m_watched.cbegin(), m_watched.cend(),
                                          [run](const Watched& each) { return each.run == run; });
        if (watched == m_watched.cend())
            continue;
        ProvisionReport::Board board{
            run->portName(), run->result().exitCode, run->result().message, {}};
        const bool done = run->result().exitCode == ExitCode::Done;
        for (qsizetype i = 0; i < m_steps.size(); ++i) {
            const ProjectStep& step = m_steps.at(i);
            ProvisionReport::Step line{step.name, step.detail, 0, 0,
                                       ProvisionReport::Result::NotRun};
            if (i < watched->startedMs.size()) {
                const bool last = i + 1 == watched->startedMs.size();
                const qint64 end = last ? watched->endedMs : watched->startedMs.at(i + 1);
                line.seconds = double(end - watched->startedMs.at(i)) / 1000.0;
                const bool stepDone = !last || done;
                line.result =
                    stepDone ? ProvisionReport::Result::Done : ProvisionReport::Result::Failed;
                line.bytes = stepDone ? step.byteCount() : watched->bytesSentInStep;
            }
            board.steps.append(line);
        }
        report.boards.append(board);
    }
    if (!m_quiet) {
        const QStringList table = report.table();
        for (const QString& line : table)
            m_console.print(printableText(line));
    }
    if (m_reportFile.isEmpty())
        return status;
    QString error;
    if (report.write(m_reportFile, &error))
        return status;
    m_console.error(Program + QStringLiteral(": ") + error);
    return std::max(status, int(ExitCode::Usage));
}
