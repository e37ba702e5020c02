#include "app/commandline.h"

#include <QTest>

// The program's options: help and version, and what is refused.
class tst_CommandLine : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readsTheArguments_data();
    void readsTheArguments();
};

void tst_CommandLine::readsTheArguments_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<CommandLine::Action>("action");
    QTest::addColumn<QString>("text"); // what the printed text holds
    const QString version = QStringLiteral("lumaret " LUMARET_CONFIGURED_VERSION "\n");
    QTest::newRow("none") << QStringList() << CommandLine::Action::Start << QString();
    QTest::newRow("--help") << QStringList{QStringLiteral("--help")}
                            << CommandLine::Action::ShowHelp << QStringLiteral("-v, --version");
    QTest::newRow("-h") << QStringList{QStringLiteral("-h")} << CommandLine::Action::ShowHelp
                        << QStringLiteral("-h, --help");
    QTest::newRow("--version") << QStringList{QStringLiteral("--version")}
                               << CommandLine::Action::ShowVersion << version;
    QTest::newRow("-v") << QStringList{QStringLiteral("-v")} << CommandLine::Action::ShowVersion
                        << version;
    // Help and version win wherever they stand, even after something unknown.
    QTest::newRow("unknown, then help")
        << QStringList{QStringLiteral("--bogus"), QStringLiteral("--help")}
        << CommandLine::Action::ShowHelp << QStringLiteral("Usage: lumaret");
    QTest::newRow("Qt's option, then version")
        << QStringList{QStringLiteral("-platform"), QStringLiteral("offscreen"),
                       QStringLiteral("--version")}
        << CommandLine::Action::ShowVersion << version;
    // Anything else is refused by name, with the way to the options.
    QTest::newRow("unknown option")
        << QStringList{QStringLiteral("--verison")} << CommandLine::Action::Refuse
        << QStringLiteral("lumaret: unknown argument \"--verison\"; lumaret --help lists the "
                          "options\n");
    QTest::newRow("a file") << QStringList{QStringLiteral("board.zep"), QStringLiteral("-x")}
                            << CommandLine::Action::Refuse << QStringLiteral("\"board.zep\"");
    QTest::newRow("help's value") << QStringList{QStringLiteral("--help=all")}
                                  << CommandLine::Action::Refuse << QStringLiteral("--help=all");
}

void tst_CommandLine::readsTheArguments() {
    QFETCH(QStringList, arguments);
    QFETCH(CommandLine::Action, action);
    QFETCH(QString, text);
    const CommandLine::Outcome outcome = CommandLine::read(arguments);
    QCOMPARE(outcome.action, action);
    QVERIFY2(text.isEmpty() ? outcome.text.isEmpty() : outcome.text.contains(text),
             qPrintable(outcome.text));
}

QTEST_GUILESS_MAIN(tst_CommandLine)
#include "tst_commandline.moc"
