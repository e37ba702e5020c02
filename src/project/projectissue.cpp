#include "project/projectissue.h"

#include <algorithm>

QString ProjectIssue::text() const {
    QString where = file;
    if (line > 0)
        where += QLatin1Char(':') + QString::number(line);
    if (!field.isEmpty())
        where += QStringLiteral(": ") + field;
    return where + QStringLiteral(": ") + message;
}

void sortByLine(ProjectIssues& issues) {
    std::stable_sort(issues.begin(), issues.end(),
                     [](const ProjectIssue& a, const ProjectIssue& b) { return a.line < b.line; });
}
