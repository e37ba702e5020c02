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
    using Action = CommandLine::Action;
    const auto row = [](const char* arguments, Action action, const QString& text) {
        QTest::newRow(arguments) << QString::fromLatin1(arguments).split(QLatin1Char(' '),
                                                                         Qt::SkipEmptyParts)
                                 << action << text;
    };
    const QString version = QStringLiteral("lumaret " LUMARET_CONFIGURED_VERSION "\n");
    row("", Action::Start, QString());
    row("--help", Action::ShowHelp, QStringLiteral("-v, --version"));
    row("-h", Action::ShowHelp, QStringLiteral("-h, --help"));
    row("--version", Action::ShowVersion, version);
    row("-v", Action::ShowVersion, version);
    // Help and version win wherever they stand, even after something unknown or Qt's own.
    row("--bogus --help", Action::ShowHelp, QStringLiteral("Usage: lumaret"));
    row("-platform offscreen --version", Action::ShowVersion, version);
    // Anything else is refused by name, with the way to the options.
    row("--verison", Action::Refuse,
        QStringLiteral(
            "lumaret: unknown argument \"--verison\"; lumaret --help lists the options\n"));
    row("board.zep -x", Action::Refuse, QStringLiteral("\"board.zep\""));
    row("--help=all", Action::Refuse, QStringLiteral("--help=all"));
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
