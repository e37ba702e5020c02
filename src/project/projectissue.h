#pragma once

#include <QList>
#include <QString>

// One thing wrong with a project, where it is: "board.toml:12: picture.slot: ...".
struct ProjectIssue {
    QString file;
    // 0 when it concerns the whole file (it cannot be read at all).
    int line = 0;
    // The field as the file spells it: "picture.slot", "start.lines[2]"; may be empty.
    QString field;
    QString message;

    QString text() const;
};

using ProjectIssues = QList<ProjectIssue>;

// In the order of their lines, those of the whole file first.
void sortByLine(ProjectIssues& issues);
