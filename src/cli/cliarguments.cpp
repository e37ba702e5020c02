#include "cli/cliarguments.h"

#include "cli/clicommands.h"

#include <CLI/CLI.hpp>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

using namespace Qt::StringLiterals;
using namespace CliCommands;

bool CliSettings::isSimulatorName(const QString& port) {
    return port.compare("sim"_L1, Qt::CaseInsensitive) == 0 ||
           port.compare("simulator"_L1, Qt::CaseInsensitive) == 0;
}

bool CliSettings::usesSimulator() const {
    return std::any_of(ports.begin(), ports.end(), isSimulatorName);
}

namespace CliArguments {
namespace {

const QString Separator = u"--"_s;

bool looksLikeOption(const QString& token) {
    // "-5" is a value (refused later as below 0), not an option.
    static const QRegularExpression option(u"^-[^0-9]"_s);
    return option.match(token).hasMatch();
}

// The common options as they were given; a later one of the same name is refused.
struct CommonValues {
    QMap<QString, QString> values;
    QStringList ports;
    bool help = false;
    bool version = false;
};

CliRequest answer(CliRequest::Action action, const QString& text) {
    return {action, text, {}, {}};
}

CliRequest refuse(const QString& reason) {
    return answer(CliRequest::Action::Refuse, reason);
}

// The name of the option's value ("N" for --color): options of one name take the same value
// in every command.
QString valueName(const QString& option) {
    const ValueSpec* spec = named(commonOptions(), option);
    for (const CommandSpec& command : commands())
        spec = spec ? spec : named(command.options, option);
    return spec ? spec->valueName : QString();
}

void addOptions(CLI::App& app, const QList<ValueSpec>& options) {
    for (const ValueSpec& option : options) {
        const std::string name =
            option.name == "--help"_L1 ? "-h,--help" : option.name.toStdString();
        if (option.valueName.isEmpty())
            app.add_flag(name);
        else
            app.add_option(name, CLI::callback_t{}, std::string())
                ->expected(1)
                ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    }
}

// The options of one command line part (or of the part before its command) into the
// segment and the common values; why they are wrong, or nothing.
std::optional<QString> takeOptions(const CLI::App& app, Segment& segment, CommonValues& given) {
    for (const CLI::Option* option : app.get_options()) {
        const QString name = QString::fromStdString(option->get_name());
        const bool common = named(commonOptions(), name) != nullptr;
        const bool isSwitch = option->get_expected_min() == 0;
        for (const std::string& value : option->results()) {
            if (isSwitch && value != "true")
                return u"%1 takes no value"_s.arg(name);
            if (name == "--help"_L1)
                given.help = true;
            else if (name == "--version"_L1)
                given.version = true;
            else if (name == "--port"_L1)
                given.ports.append(QString::fromStdString(value));
            else if (common ? given.values.contains(name) : segment.options.contains(name))
                return common ? u"%1 is given twice"_s.arg(name)
                              : u"%1: %2 is given twice"_s.arg(segment.command, name);
            else
                (common ? given.values : segment.options)
                    .insert(name, QString::fromStdString(value));
        }
    }
    return std::nullopt;
}

// One part of the command line between "--": its command, arguments and options. Sets
// segment.command to "help" for "help [COMMAND]", with the command as its argument.
std::optional<QString> readSegment(const QStringList& tokens, Segment& segment,
                                   CommonValues& given) {
    CLI::App app{std::string(), Program.toStdString()};
    app.set_help_flag();
    app.allow_extras();
    // After the command every word is its argument, even a command's name.
    app.require_subcommand(0, 1);
    addOptions(app, commonOptions());
    for (const CommandSpec& spec : commands()) {
        CLI::App* command = app.add_subcommand(spec.name.toStdString());
        command->set_help_flag();
        command->allow_extras();
        addOptions(*command, commonOptions());
        addOptions(*command, spec.options);
    }
    std::vector<std::string> reversed;
    for (auto token = tokens.rbegin(); token != tokens.rend(); ++token)
        reversed.push_back(token->toStdString());
    try {
        app.parse(reversed);
    } catch (const CLI::ArgumentMismatch& error) {
        // The one way a known option fails here: the line ends before its value.
        const QString name = QString::fromStdString(error.what()).section(u':', 0, 0);
        return u"%1 needs a value (%2)"_s.arg(name, valueName(name));
    }
    const std::vector<std::string> before = app.remaining();
    if (!before.empty()) {
        const QString first = QString::fromStdString(before.front());
        if (looksLikeOption(first))
            return u"unknown option %1"_s.arg(first.section(u'=', 0, 0));
        if (first != "help"_L1)
            return u"unknown command \"%1\" (%2 --help lists them)"_s.arg(first, Program);
        given.help = true;
        segment.command = first;
        const QString asked = before.size() > 1 ? QString::fromStdString(before[1])
                              : app.get_subcommands().empty()
                                  ? QString()
                                  : QString::fromStdString(app.get_subcommands()[0]->get_name());
        if (!asked.isEmpty() && !named(commands(), asked))
            return u"unknown command \"%1\""_s.arg(asked);
        segment.arguments = {asked};
        return std::nullopt;
    }
    if (const std::optional<QString> wrong = takeOptions(app, segment, given))
        return wrong;
    if (app.get_subcommands().empty())
        return std::nullopt;
    const CLI::App& command = *app.get_subcommands().front();
    segment.command = QString::fromStdString(command.get_name());
    for (const std::string& word : command.remaining()) {
        const QString token = QString::fromStdString(word);
        if (looksLikeOption(token))
            return u"%1 has no option %2"_s.arg(segment.command, token.section(u'=', 0, 0));
        segment.arguments.append(token);
    }
    return takeOptions(command, segment, given);
}

std::optional<QString> applyCommonOptions(const CommonValues& given, CliSettings& settings) {
    if (const std::optional<QString> wrong = checked(commonOptions(), given.values))
        return wrong;
    const auto value = [&](const char* name) { return given.values.value(QLatin1String(name)); };
    const auto isSet = [&](const char* name) { return given.values.contains(QLatin1String(name)); };
    settings.ports = given.ports;
    settings.allPorts = isSet("--all");
    settings.quiet = isSet("--quiet");
    settings.trace = isSet("--trace");
    settings.screenshotFile = value("--screenshot");
    if (isSet("--baud"))
        settings.baudRate = value("--baud").toInt();
    if (value("--pace") == "poll"_L1)
        settings.pacing = Pacing::Poll;
    settings.timeoutMs = milliseconds(value("--timeout")).value_or(settings.timeoutMs);
    if (settings.allPorts && !settings.ports.isEmpty())
        return u"--all and --port exclude each other"_s;
    QStringList seen;
    for (const QString& port : std::as_const(settings.ports)) {
        if (port.isEmpty())
            return u"--port is empty"_s;
        const QString key = CliSettings::isSimulatorName(port) ? u"sim"_s : port;
        if (seen.contains(key))
            return u"--port %1 is given twice"_s.arg(port);
        seen.append(key);
    }
    if (settings.screenshotFile.isEmpty())
        return std::nullopt;
    if (settings.ports.isEmpty() && !settings.allPorts)
        settings.ports.append(u"sim"_s);
    if (settings.allPorts || settings.ports.size() > 1)
        return u"--screenshot writes one board's screen: name one --port"_s;
    if (!settings.screenshotFile.endsWith(".png"_L1, Qt::CaseInsensitive))
        return u"--screenshot writes a PNG file: its name ends in .png"_s;
    const QFileInfo file(settings.screenshotFile);
    if (!file.absoluteDir().exists())
        return u"--screenshot: there is no folder %1"_s.arg(
            QDir::toNativeSeparators(file.absolutePath()));
    return std::nullopt;
}

// The steps of the checked segments, or why one of them is wrong.
CliRequest run(const QList<Segment>& segments, const CommonValues& given) {
    CliRequest request;
    request.action = CliRequest::Action::Run;
    if (const std::optional<QString> wrong = applyCommonOptions(given, request.settings))
        return refuse(*wrong);
    for (const Segment& segment : segments) {
        const CommandSpec& spec = *named(commands(), segment.command);
        CliStep made;
        if (const std::optional<QString> wrong = spec.step(segment, made))
            return refuse(*wrong);
        if (spec.action == CliRequest::Action::Run) {
            request.steps.append(std::move(made));
            continue;
        }
        if (segments.size() > 1)
            return refuse(u"%1 talks to no board: run it on its own"_s.arg(spec.name));
        if (!request.settings.ports.isEmpty() || request.settings.allPorts)
            return refuse(u"%1 takes no --port or --all"_s.arg(spec.name));
        request.action = spec.action;
        request.text = segment.arguments.value(0);
    }
    return request;
}

} // namespace

CliRequest parse(const QStringList& arguments) {
    QList<QStringList> parts{{}};
    for (const QString& token : arguments) {
        if (token == Separator)
            parts.append(QStringList());
        else
            parts.last().append(token);
    }
    CommonValues given;
    QList<Segment> segments;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        Segment segment;
        if (const std::optional<QString> wrong = readSegment(parts.at(i), segment, given))
            return refuse(*wrong);
        if (segment.command == "help"_L1) {
            segments.append({segment.arguments.value(0), {}, {}});
            break;
        }
        if (segment.command.isEmpty() && i + 1 < parts.size())
            return refuse(u"a command must come before \"--\""_s);
        segments.append(segment);
    }
    if (given.help) {
        for (const Segment& segment : std::as_const(segments)) {
            if (!segment.command.isEmpty())
                return answer(CliRequest::Action::ShowText, commandHelp(segment.command));
        }
        return answer(CliRequest::Action::ShowText, programHelp());
    }
    if (given.version)
        return answer(CliRequest::Action::ShowText, versionText());
    if (segments.size() == 1 && segments.first().command.isEmpty())
        return refuse(u"no command given (%1 --help lists them)"_s.arg(Program));
    if (segments.last().command.isEmpty())
        return refuse(u"a command must follow \"--\""_s);
    return run(segments, given);
}

} // namespace CliArguments
