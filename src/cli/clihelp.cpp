#include "cli/cliarguments.h"
#include "cli/clicommands.h"

#include <QCoreApplication>

// The help texts, wrapped to a terminal's 80 columns (CLI11's formatter cannot wrap).

using namespace Qt::StringLiterals;
using namespace CliCommands;

namespace CliArguments {
namespace {

constexpr int HelpWidth = 80;
constexpr int HelpIndent = 24;

// The text in lines of at most HelpWidth characters, the first after head, the others
// indented to line up with it.
QString wrapped(const QString& head, const QString& text, int indent = HelpIndent) {
    const QString margin(indent, u' ');
    QString result = head.leftJustified(indent);
    if (indent > 0 && head.size() >= indent)
        result += u'\n' + margin;
    QString line;
    for (const QString& word : text.split(u' ', Qt::SkipEmptyParts)) {
        if (!line.isEmpty() && indent + line.size() + 1 + word.size() > HelpWidth) {
            result += line + u'\n' + margin;
            line.clear();
        }
        line += (line.isEmpty() ? QString() : u" "_s) + word;
    }
    return result + line + u'\n';
}

QString optionLines(const QList<ValueSpec>& options) {
    QString text;
    for (const ValueSpec& option : options)
        text += wrapped(u"  "_s + option.name +
                            (option.valueName.isEmpty() ? QString() : u' ' + option.valueName),
                        option.help);
    return text;
}

} // namespace

QStringList commandNames() {
    QStringList names;
    for (const CommandSpec& spec : commands())
        names.append(spec.name);
    return names;
}

QString programHelp() {
    QString text = u"Usage: %1 [OPTIONS] COMMAND [ARGUMENTS] [-- COMMAND [ARGUMENTS]]...\n"
                   "\n"
                   "Drives Lumaret LCD controller boards from the command line, with the same "
                   "bytes\nand handshakes as the Lumaret program. Commands separated by \"--\" "
                   "run in order\nover one connection; with several --port options (or --all) "
                   "they run on every\nboard at once.\n"
                   "\n"
                   "Commands:\n"_s.arg(Program);
    for (const CommandSpec& spec : commands()) {
        const QString synopsis = spec.synopsis();
        text += wrapped(u"  "_s + spec.name + (synopsis.isEmpty() ? QString() : u' ' + synopsis),
                        spec.summary);
    }
    text += u"\nOptions:\n"_s + optionLines(commonOptions());
    return text +
           u"\n"
           "Exit status: 0 done, 1 a wrong command line (nothing was sent), 2 no board "
           "or no\nanswer, 3 the board went away on the way, 130 interrupted "
           "(Ctrl-C).\n"
           "\n"
           "Examples:\n"
           "  %1 --port /dev/ttyUSB0 clear 0 -- fill-circle 160 120 50 --color 224\n"
           "  %1 --port sim --screenshot shown.png preview photo.jpg --fit fill\n"
           "  %1 --all font 'DejaVu Sans' 14 --slot 2 -- save 1 splash.png\n"
           "\n"
           "\"%1 COMMAND --help\" tells a command's arguments and options;\n"
           "\"%1 replay TRACE --screenshot FILE.png [--at SECONDS]\" draws a saved\n"
           "trace's screen."_s.arg(
               Program);
}

QString commandHelp(const QString& command) {
    const CommandSpec* spec = named(commands(), command);
    if (!spec)
        return {};
    const QString synopsis = spec->synopsis();
    QString text = u"Usage: %1 [OPTIONS] %2%3%4\n\n"_s.arg(
                       Program, spec->name, synopsis.isEmpty() ? QString() : u' ' + synopsis,
                       spec->options.isEmpty() ? QString() : u" [%1 OPTIONS]"_s.arg(spec->name)) +
                   wrapped({}, spec->summary + u' ' + spec->details, 0);
    if (!spec->options.isEmpty())
        text += u"\nOptions of %1:\n"_s.arg(spec->name) + optionLines(spec->options);
    return text + u"\nThe common options (%1 --help) may be given too."_s.arg(Program);
}

QString versionText() {
    return Program + u' ' + QCoreApplication::applicationVersion();
}

} // namespace CliArguments
