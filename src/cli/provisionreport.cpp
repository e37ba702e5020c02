#include "cli/provisionreport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QRegularExpression>
#include <QSaveFile>

namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("ProvisionReport", text);
}

bool isJson(const QString& file) {
    return file.endsWith(QLatin1String(".json"), Qt::CaseInsensitive);
}

// A CSV field, quoted when it holds a separator, a quote or a line break.
QString csvField(const QString& text) {
    if (!text.contains(QRegularExpression(QStringLiteral("[\",\\r\\n]"))))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString seconds(double value) {
    return QString::number(value, 'f', 3);
}

} // namespace

QString ProvisionReport::resultName(Result result) {
    switch (result) {
    case Result::Done:
        return QStringLiteral("done");
    case Result::Failed:
        return QStringLiteral("failed");
    case Result::NotRun:
        break;
    }
    return QStringLiteral("not run");
}

QString ProvisionReport::unfit(const QString& file) {
    if (!file.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive) && !isJson(file))
        return tr("--report writes CSV or JSON: its name ends in .csv or .json");
    const QFileInfo info(file);
    if (!info.absoluteDir().exists())
        return tr("--report: there is no folder %1")
            .arg(QDir::toNativeSeparators(info.absolutePath()));
    return {};
}

QByteArray ProvisionReport::csv() const {
    QString text = QStringLiteral("port,step,detail,bytes,seconds,result\n");
    for (const Board& board : boards) {
        for (const Step& step : board.steps)
            text += QStringList{csvField(board.port),  csvField(step.name),
                                csvField(step.detail), QString::number(step.bytes),
                                seconds(step.seconds), resultName(step.result)}
                        .join(QLatin1Char(',')) +
                    QLatin1Char('\n');
    }
    return text.toUtf8();
}

QByteArray ProvisionReport::json() const {
    QJsonArray boardList;
    for (const Board& board : boards) {
        QJsonArray steps;
        for (const Step& step : board.steps)
            steps.append(QJsonObject{{QStringLiteral("step"), step.name},
                                     {QStringLiteral("detail"), step.detail},
                                     {QStringLiteral("bytes"), step.bytes},
                                     {QStringLiteral("seconds"), step.seconds},
                                     {QStringLiteral("result"), resultName(step.result)}});
        boardList.append(QJsonObject{{QStringLiteral("port"), board.port},
                                     {QStringLiteral("exitCode"), board.exitCode},
                                     {QStringLiteral("message"), board.message},
                                     {QStringLiteral("steps"), steps}});
    }
    const QJsonObject report{{QStringLiteral("project"), project},
                             {QStringLiteral("speed"), baudRate},
                             {QStringLiteral("boards"), boardList}};
    return QJsonDocument(report).toJson(QJsonDocument::Indented);
}

bool ProvisionReport::write(const QString& file, QString* error) const {
    QSaveFile out(file);
    if (out.open(QIODevice::WriteOnly) && out.write(isJson(file) ? json() : csv()) >= 0 &&
        out.commit())
        return true;
    *error = tr("cannot write the report %1: %2").arg(file, out.errorString());
    return false;
}

QStringList ProvisionReport::table() const {
    qsizetype portWidth = 4;
    qsizetype stepWidth = 4;
    for (const Board& board : boards) {
        portWidth = std::max(portWidth, board.port.size());
        for (const Step& step : board.steps)
            stepWidth = std::max(stepWidth, step.name.size());
    }
    const QLocale locale;
    QStringList lines{tr("PORT").leftJustified(portWidth + 2) +
                      tr("STEP").leftJustified(stepWidth + 2) + tr("     BYTES      TIME  RESULT")};
    for (const Board& board : boards) {
        for (const Step& step : board.steps)
            lines.append(board.port.leftJustified(portWidth + 2) +
                         step.name.leftJustified(stepWidth + 2) +
                         locale.toString(step.bytes).rightJustified(10) +
                         QString(locale.toString(step.seconds, 'f', 1) + QStringLiteral(" s"))
                             .rightJustified(10) +
                         QStringLiteral("  ") + resultName(step.result));
    }
    return lines;
}
