#include "boardprogram.h"
#include "buildinfo.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("lumaret-board"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(BuildInfo::Version));

    QString error;
    const std::optional<BoardProgram::Settings> settings =
        BoardProgram::parse(QCoreApplication::arguments(), &error);
    if (!settings) {
        if (error.isEmpty())
            return 0; // help or version shown
        std::fprintf(stderr, "lumaret-board: %s\n", qPrintable(error));
        return 2;
    }
    BoardProgram program(*settings);
    if (!program.start())
        return 1;
    const int status = QCoreApplication::exec();
    program.finish();
    return status;
}
