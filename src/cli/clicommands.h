#pragma once

#include "cli/clirequest.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <functional>
#include <optional>

// lumaret-cli's commands and options, each named once: its values and their checks, its
// help, and the step it makes.
namespace CliCommands {

// The program's name, as its help and messages show it.
inline const QString Program = QStringLiteral("lumaret-cli");

// Why the value named so is wrong, or nothing.
using Check = std::function<std::optional<QString>(const QString& name, const QString& text)>;

// A value the command line names: an argument as the usage line shows it ("X", "[COLOUR]"
// when it may be left out, "TEXT..." when any number of them may follow) or an option
// ("--color", with the name of its value, empty for a switch); its check and its help.
struct ValueSpec {
    QString name;
    Check check = {};
    QString valueName = {};
    QString help = {};
};

// One command as typed: its name, its arguments and its options with their values.
struct Segment {
    QString command;
    QStringList arguments;
    QMap<QString, QString> options;
};

// A command's values, checked, as its step reads them.
struct Values;

// Makes a command's step from its checked values.
using Builder = std::function<CliStep(const Values&)>;

// A command: its name, its arguments (in the order they come), its options, its help,
// how it becomes a step (if it makes one) and what the program does with it: Run for a
// board's command, another action for one that talks to no board.
struct CommandSpec {
    QString name;
    QList<ValueSpec> arguments;
    QList<ValueSpec> options;
    QString summary;
    QString details;
    Builder build;
    CliRequest::Action action = CliRequest::Action::Run;
    // The arguments as the usage line shows them, where their names alone cannot tell.
    QString shownSynopsis = {};

    // Makes the command's step (if it makes one); why its values are wrong, or nothing.
    std::optional<QString> step(const Segment& segment, CliStep& made) const;
    QString synopsis() const;
};

// Every command, in the order the help lists them.
const QList<CommandSpec>& commands();
// The options that hold for every command of a call, given anywhere on the line.
const QList<ValueSpec>& commonOptions();
// The command or option of that name in the list, or nothing.
template <typename Spec> const Spec* named(const QList<Spec>& specs, const QString& name) {
    const auto found = std::find_if(specs.begin(), specs.end(),
                                    [&](const Spec& spec) { return spec.name == name; });
    return found == specs.end() ? nullptr : &*found;
}

// Why one of the options given is wrong against its check.
std::optional<QString> checked(const QList<ValueSpec>& specs,
                               const QMap<QString, QString>& options);

// A number of seconds (above 0, up to a day) as milliseconds; nothing when wrong.
std::optional<int> milliseconds(const QString& text);

} // namespace CliCommands
