#include "cli/cliprogram.h"
#include "cli/console.h"
#include "cli/consoleinterrupt.h"

#include "buildinfo.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <algorithm>
#include <cstring>
#include <memory>

int main(int argc, char* argv[]) {
    // Capturing a font renders glyphs, which takes the GUI application; it never shows
    // a window.
    const bool rendersGlyphs = std::any_of(argv + 1, argv + argc, [](const char* argument) {
        return std::strcmp(argument, "font") == 0 || std::strcmp(argument, "check") == 0 ||
               std::strcmp(argument, "render") == 0 || std::strcmp(argument, "provision") == 0;
    });
    std::unique_ptr<QCoreApplication> application;
    if (rendersGlyphs) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        application = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        application = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("lumaret-cli"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(BuildInfo::Version));

    Console console(Console::standardStreams());
    CliProgram program(console, CliProgram::Environment::system());
    ConsoleInterrupt interrupt;
    interrupt.install();
    QObject::connect(&interrupt, &ConsoleInterrupt::interrupted, &program, &CliProgram::interrupt);
    QObject::connect(&program, &CliProgram::finished, application.get(), &QCoreApplication::exit);
    program.start(QCoreApplication::arguments().mid(1));
    if (program.isFinished())
        return program.exitCode();
    return QCoreApplication::exec();
}
