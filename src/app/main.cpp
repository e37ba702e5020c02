#include "app/artwork.h"
#include "app/commandline.h"
#include "app/frmmainmdi.h"
#include "buildinfo.h"

#include <QApplication>

#include <cstdio>

namespace {

QStringList argumentsAfterProgramName(int argc, char* argv[]) {
    QStringList arguments;
    for (int index = 1; index < argc; ++index)
        arguments.append(QString::fromLocal8Bit(argv[index]));
    return arguments;
}

// Prints what the command line asked for; returns the program's exit code.
int tell(const CommandLine::Outcome& outcome) {
    const bool refused = outcome.action == CommandLine::Action::Refuse;
    std::fputs(outcome.text.toLocal8Bit().constData(), refused ? stderr : stdout);
    return refused ? CommandLine::UsageError : 0;
}

} // namespace

int main(int argc, char* argv[]) {
    // Help and version need no display: they are told before Qt starts.
    const CommandLine::Outcome early = CommandLine::read(argumentsAfterProgramName(argc, argv));
    if (early.action == CommandLine::Action::ShowHelp ||
        early.action == CommandLine::Action::ShowVersion)
        return tell(early);

    QApplication application(argc, argv);
    // Qt has taken its own options; whatever is left is refused.
    const CommandLine::Outcome rest = CommandLine::read(QApplication::arguments().mid(1));
    if (rest.action != CommandLine::Action::Start)
        return tell(rest);

    QApplication::setApplicationName(QStringLiteral("Lumaret"));
    QApplication::setApplicationVersion(QString::fromLatin1(BuildInfo::Version));
    QApplication::setOrganizationName(QStringLiteral("Lumaret"));
    // Lets the desktop match the window to the installed entry and its icon.
    QApplication::setDesktopFileName(QString::fromLatin1(BuildInfo::AppId));
    QApplication::setWindowIcon(Artwork::applicationIcon());

    frmMainMDI window;
    window.show();
    return QApplication::exec();
}
