#pragma once

#include "cli/clirequest.h"
#include "cli/provisionreport.h"
#include "project/projectplan.h"

#include <QCoreApplication>
#include <QList>
#include <QString>

#include <optional>

class BoardRun;
class Clock;
class Console;

// lumaret-cli check, render and provision: a board project read, checked and planned
// before anything is sent. Check and render end here; provision becomes the project's
// steps for every board, and this watches each run to report its steps.
class ProjectCommand {
    Q_DECLARE_TR_FUNCTIONS(ProjectCommand)
public:
    explicit ProjectCommand(Console& console);

    // nullopt: the request is for boards (provision's rewritten into the project's
    // steps, any other left as it is); otherwise the exit status, all done.
    std::optional<int> prepare(CliRequest& request);
    // Provisioning: a board's run, to time its steps on its engine's clock.
    void watch(BoardRun& run, Clock& clock);
    // Every run ended: the table and the report. The exit status, at least status.
    int finish(const QList<BoardRun*>& runs, int status);

private:
    int check(const ProjectPlan& plan);
    int render(const ProjectPlan& plan, const QString& folder);
    std::optional<int> provision(CliRequest& request, const ProjectPlan& plan);
    std::optional<ProjectPlan> readPlan(const QString& file);
    int refuse(const QString& reason);

    // One board being provisioned: when each step began.
    struct Watched {
        BoardRun* run = nullptr;
        QList<qint64> startedMs;
        qint64 bytesSentInStep = 0;
        qint64 endedMs = 0;
    };

    Console& m_console;
    bool m_quiet = false;
    bool m_provisioning = false;
    QString m_file;
    QString m_reportFile;
    ProjectPlan m_plan;
    QList<ProjectStep> m_steps;
    Pacing m_pacing = Pacing::AnswerDriven;
    QList<Watched> m_watched;
};
