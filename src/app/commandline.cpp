#include "app/commandline.h"

#include "buildinfo.h"

namespace CommandLine {
namespace {

QString help() {
    return QStringLiteral(
        "Usage: lumaret [OPTION]\n"
        "The workbench for a serial colour LCD controller board. With no option it opens its\n"
        "main window; connect to the board, or to the built-in simulator, from File > Settings.\n"
        "\n"
        "Options:\n"
        "  -h, --help     Print this help and exit.\n"
        "  -v, --version  Print the version and exit.\n"
        "\n"
        "Qt's own options, such as -platform NAME or -style NAME, are taken as well.\n"
        "LUMARET_PORTS names serial ports the system does not list (separated by ':',\n"
        "or ';' on Windows).\n");
}

} // namespace

Outcome read(const QStringList& arguments) {
    for (const QString& argument : arguments) {
        if (argument == QLatin1String("-h") || argument == QLatin1String("--help"))
            return {Action::ShowHelp, help()};
        if (argument == QLatin1String("-v") || argument == QLatin1String("--version"))
            return {Action::ShowVersion, QStringLiteral("lumaret ") +
                                             QLatin1String(BuildInfo::Version) + QLatin1Char('\n')};
    }
    if (arguments.isEmpty())
        return {};
    return {Action::Refuse, QStringLiteral("lumaret: unknown argument \"%1\"; lumaret --help "
                                           "lists the options\n")
                                .arg(arguments.first())};
}

} // namespace CommandLine
