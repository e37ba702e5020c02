#include "project/startline.h"

#include "cli/cliarguments.h"

#include <QCoreApplication>

namespace StartLine {
namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("StartLine", text);
}

// Options of the whole call (ports, speed, pacing) belong to the project or to the
// command that provisions it, not to one of its lines.
bool hasCallOptions(const CliSettings& settings) {
    const CliSettings defaults;
    return !settings.ports.isEmpty() || settings.allPorts || settings.quiet || settings.trace ||
           !settings.screenshotFile.isEmpty() || settings.baudRate != defaults.baudRate ||
           settings.pacing != defaults.pacing || settings.timeoutMs != defaults.timeoutMs;
}

} // namespace

std::optional<QStringList> split(const QString& line) {
    QStringList words;
    QString word;
    bool inWord = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t')) {
            if (inWord)
                words.append(std::exchange(word, {}));
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == QLatin1Char('\'')) {
            const qsizetype end = line.indexOf(QLatin1Char('\''), i + 1);
            if (end < 0)
                return std::nullopt;
            word += line.mid(i + 1, end - i - 1);
            i = end;
        } else if (c == QLatin1Char('"')) {
            for (++i;; ++i) {
                if (i >= line.size())
                    return std::nullopt;
                const QChar q = line.at(i);
                if (q == QLatin1Char('"'))
                    break;
                if (q == QLatin1Char('\\') && i + 1 < line.size() &&
                    (line.at(i + 1) == QLatin1Char('"') || line.at(i + 1) == QLatin1Char('\\')))
                    ++i;
                word += line.at(i);
            }
        } else if (c == QLatin1Char('\\')) {
            if (++i >= line.size())
                return std::nullopt;
            word += line.at(i);
        } else {
            word += c;
        }
    }
    if (inWord)
        words.append(word);
    return words;
}

Parsed parse(const QString& line) {
    const std::optional<QStringList> words = split(line);
    if (!words)
        return {std::nullopt, tr("a quote is not closed, or the line ends in a backslash")};
    if (words->isEmpty())
        return {std::nullopt, tr("the line is empty")};
    if (words->contains(QStringLiteral("--")))
        return {std::nullopt, tr("one command per line (\"--\" does not join lines here)")};
    const CliRequest request = CliArguments::parse(*words);
    switch (request.action) {
    case CliRequest::Action::Refuse:
        return {std::nullopt, request.text};
    case CliRequest::Action::Run:
        break;
    default:
        return {std::nullopt, tr("\"%1\" draws nothing on the board").arg(words->first())};
    }
    if (hasCallOptions(request.settings))
        return {std::nullopt, tr("options of the whole call (--port, --baud, --pace, --timeout, "
                                 "--screenshot, --quiet, --trace) have no place in a line")};
    const CliStep& step = request.steps.first();
    if (step.kind != CliStep::Kind::Send && step.kind != CliStep::Kind::TouchPause)
        return {std::nullopt,
                tr("%1 cannot be a start line: the start screen takes drawing and set-up "
                   "commands (pictures and fonts have entries of their own)")
                    .arg(step.command)};
    return {step, {}};
}

} // namespace StartLine
