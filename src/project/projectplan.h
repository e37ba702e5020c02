#pragma once

#include "cli/clirequest.h"
#include "project/boardproject.h"
#include "project/projectissue.h"

#include <QFlags>
#include <QList>
#include <QString>

#include <optional>

// The parts of a project, in the order they go to the board.
enum class ProjectPart { Fonts = 1, Pictures = 2, Start = 4 };
Q_DECLARE_FLAGS(ProjectParts, ProjectPart)
Q_DECLARE_OPERATORS_FOR_FLAGS(ProjectParts)

inline constexpr ProjectParts AllProjectParts =
    ProjectParts(ProjectPart::Fonts) | ProjectPart::Pictures | ProjectPart::Start;

// "fonts,pictures,start" as --only takes it; nullopt (and why) for another name.
std::optional<ProjectParts> projectPartsNamed(const QString& names, QString* error);

// How long a step takes on the line at a speed, paced by the board's answers and by
// the receive poll (each answered block then waits for the next tick of its poll).
struct StepTime {
    double answerPacedMs = 0;
    double pollPacedMs = 0;
    // The bytes alone at the line's speed.
    double lineMs = 0;

    StepTime& operator+=(const StepTime& other);
};

// One thing the board gets, ready to send.
struct ProjectStep {
    ProjectPart part = ProjectPart::Start;
    // Short, for tables and reports: "font 1", "picture 12", "start 3".
    QString name;
    // What it is: "DejaVu Sans 14 bold", "photo.jpg (fit, diffusion)", "clear '#000040'".
    QString detail;
    CliStep step;

    qint64 byteCount() const;
    StepTime time(int baudRate) const;
};

// A project made ready for the board: every picture read and reduced, every font
// captured, every start line parsed, with the file's line for whatever is wrong. Only
// a plan without issues is sent anywhere.
struct ProjectPlan {
    int baudRate = 115200;
    QList<ProjectStep> steps;
    ProjectIssues issues;

    bool ok() const { return issues.isEmpty(); }
    // Fonts render glyphs: the GUI application must exist.
    static ProjectPlan make(const BoardProject& project);
    // The project file read and planned: the issues of its form and of its entries.
    static ProjectPlan fromFile(const QString& path);

    // The steps of those parts, in order.
    QList<ProjectStep> stepsOf(ProjectParts parts) const;
    StepTime totalTime(ProjectParts parts) const;
    qint64 totalBytes(ProjectParts parts) const;
};

// "6.7 s", "1 min 21 s".
QString durationText(double ms);

// A text safe to print: control characters shown as "?".
QString printableText(const QString& text);
