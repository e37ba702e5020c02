#include "cli/cliarguments.h"
#include "engine/colorvalue.h"
#include "recordinglink.h"

#include <QTest>

namespace {

QStringList words(const char* line) {
    return QString::fromUtf8(line).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

QStringList args(std::initializer_list<const char*> list) {
    QStringList result;
    for (const char* each : list)
        result.append(QString::fromUtf8(each));
    return result;
}

// Every write of the steps that go out as commands, in order.
QList<QByteArray> writesOf(const CliRequest& request) {
    QList<QByteArray> writes;
    for (const CliStep& step : request.steps)
        writes += step.writes.toList();
    return writes;
}

} // namespace

// The command line of lumaret-cli: what it refuses, and what it makes of what it takes.
class tst_CliArguments : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void refusesWithTheReason_data();
    void refusesWithTheReason();
    void commandsBecomeTheirBytes_data();
    void commandsBecomeTheirBytes();
    void commonOptionsHoldForEveryCommand();
    void uploadsAndListeningKeepTheirValues();
    void everyCommandHasItsHelp();
};

void tst_CliArguments::refusesWithTheReason_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("reason");
    const auto row = [](const char* name, QStringList arguments, const char* reason) {
        QTest::newRow(name) << arguments << QString::fromUtf8(reason);
    };
    row("nothing", {}, "no command given");
    row("unknown command", words("paint 1 2"), "unknown command \"paint\"");
    row("help on no command", words("help paint"), "unknown command \"paint\"");
    row("x above 32767", words("pixel 32768 0"),
        "pixel: X must be a whole number from 0 to 32767, not \"32768\"");
    row("x below 0", words("pixel -1 0"), "X must be a whole number from 0 to 32767, not \"-1\"");
    row("y above a byte", words("line 0 256 1 1"), "line: Y0 must be a whole number from 0 to 255");
    row("second corner", words("fill-rect 0 0 1 999"), "Y1 must be a whole number from 0 to 255");
    row("radius", words("circle 10 10 300"), "R must be a whole number from 0 to 255");
    row("not a number", words("cursor ten 5"),
        "X must be a whole number from 0 to 32767, not \"ten\"");
    row("fraction", words("pixel 1.5 2"), "not \"1.5\"");
    row("colour above 255", words("pixel 1 1 --color 256"),
        "--color takes a colour value from 0 to 255 or #rrggbb, not \"256\"");
    row("short rgb", words("clear #12345"), "COLOUR takes a colour value");
    row("slot 0", words("load 0"), "load: SLOT must be a whole number from 1 to 12, not \"0\"");
    row("slot 13", words("save 13 a.png"), "SLOT must be a whole number from 1 to 12");
    row("font slot 3", words("font Sans 12 --slot 3"), "--slot must be a whole number from 1 to 2");
    row("font without slot", words("font Sans 12"), "font: needs --slot 1 or --slot 2");
    row("font size 0", words("font Sans 0 --slot 1"), "SIZE must be a whole number from 1 to 255");
    row("font file and family", words("font Sans 12 --file a.ttf --slot 1"),
        "takes SIZE after --file");
    row("text font 3", words("text --font 3 hi"), "--font must be a whole number from 1 to 2");
    row("text beyond a byte", args({"text", "snow \u2603"}), "codes 0 to 255");
    row("text with a return", args({"text", "a\rb"}), "carriage return");
    row("rate", words("baud 12345"),
        "RATE must be 9600, 14400, 19200, 28800, 38400, 57600 or 115200");
    row("on or off", words("backlight dim"), "backlight: takes on or off, not \"dim\"");
    row("too many", words("beep now"), "beep takes no arguments, not 1 argument");
    row("too few", words("line 1 2 3"), "line takes X0 Y0 X1 Y1, not 3 arguments");
    row("misspelt option", words("pixel 1 1 --colour 3"), "pixel has no option --colour");
    row("another command's option", words("clear --slot 1"), "clear has no option --slot");
    row("option before its command", words("--color 3 pixel 1 1"), "unknown option --color");
    row("value missing", words("pixel 1 1 --color"), "--color needs a value (N)");
    row("switch with a value", words("touch --keypad=yes"), "--keypad takes no value");
    row("option twice", words("pixel 1 1 --color 3 --color 4"), "pixel: --color is given twice");
    row("common option twice", words("--baud 9600 --baud 9600 beep"), "--baud is given twice");
    row("speed", words("--baud 300 beep"), "--baud takes 9600");
    row("pace", words("--pace fast beep"), "--pace takes answer or poll, not \"fast\"");
    row("timeout", words("--timeout 0 beep"), "--timeout takes a number of seconds above 0");
    row("same board twice", words("--port sim --port Simulator beep"),
        "--port Simulator is given twice");
    row("all and port", words("--all --port /dev/ttyS0 beep"),
        "--all and --port exclude each other");
    row("screenshot of two boards", words("--port sim --port /dev/ttyUSB0 --screenshot a.png beep"),
        "--screenshot writes one board's screen");
    row("screenshot not png", words("--screenshot a.jpg beep"), "ends in .png");
    row("screenshot nowhere", words("--screenshot /no/such/folder/a.png beep"),
        "--screenshot: there is no folder");
    row("nothing after --", words("beep --"), "a command must follow \"--\"");
    row("nothing before --", words("-- beep"), "a command must come before \"--\"");
    row("ports with a board command", words("ports -- beep"), "ports talks to no board");
    row("fit", words("preview a.png --fit zoom"),
        "--fit takes as-is, fit, fill, stretch, not \"zoom\"");
    row("dither", words("save 1 a.png --dither noise"), "--dither takes none, diffusion, ordered");
    row("touch count", words("touch --count 0"),
        "--count must be a whole number from 1 to 1000000");
    row("touch seconds", words("touch --seconds -1"),
        "--seconds takes a number of seconds above 0");
}

void tst_CliArguments::refusesWithTheReason() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, reason);
    const CliRequest request = CliArguments::parse(arguments);
    QCOMPARE(request.action, CliRequest::Action::Refuse);
    QVERIFY2(request.text.contains(reason), qPrintable(request.text));
    QVERIFY(request.steps.isEmpty());
}

void tst_CliArguments::commandsBecomeTheirBytes_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QList<QByteArray>>("writes");
    QTest::newRow("pixel") << words("pixel 300 10 --color 224")
                           << QList<QByteArray>{"WP", bytes({1, 44, 10, 224})};
    QTest::newRow("line, white by default")
        << words("line 300 5 10 200")
        << QList<QByteArray>{"DL", bytes({1, 44, 5}), bytes({0, 10, 200, 255})};
    QTest::newRow("rectangle") << words("rect 300 0 310 239 --color=7")
                               << QList<QByteArray>{"DR", bytes({1, 44, 0}),
                                                    bytes({1, 54, 239, 7})};
    QTest::newRow("largest x") << words("fill-rect 32767 0 0 0 --color 0")
                               << QList<QByteArray>{"FR", bytes({127, 255, 0}),
                                                    bytes({0, 0, 0, 0})};
    QTest::newRow("filled circle, #rrggbb") << words("fill-circle 160 120 50 --color #000000")
                                            << QList<QByteArray>{"FC", bytes({0, 160, 120, 50, 0})};
    QTest::newRow("circle") << words("circle 256 1 2 --color #20203F")
                            << QList<QByteArray>{
                                   "DC", bytes({1, 0, 1, 2, ColorValue::reduce(0xFF20203F)})};
    QTest::newRow("clear, white by default")
        << words("clear") << QList<QByteArray>{bytes({'C', 'S', 255})};
    QTest::newRow("clear, reduced red")
        << words("clear #ff1f3f") << QList<QByteArray>{bytes({'C', 'S', 224})};
    QTest::newRow("cursor") << words("cursor 319 239")
                            << QList<QByteArray>{"SC", bytes({1, 63, 239})};
    QTest::newRow("text in font 2") << words("text --font 2 --color 224 Hi")
                                    << QList<QByteArray>{bytes({'W', 'T', 224, 2}), "H", "i", "\r"};
    QTest::newRow("text of several words")
        << words("text a b") << QList<QByteArray>{bytes({'W', 'T', 255, 1}), "a", " ", "b", "\r"};
    QTest::newRow("text that names a command")
        << words("text beep --color 0")
        << QList<QByteArray>{bytes({'W', 'T', 0, 1}), "b", "e", "e", "p", "\r"};
    QTest::newRow("text, Latin-1")
        << args({"text", "\u00e9"})
        << QList<QByteArray>{bytes({'W', 'T', 255, 1}), bytes({0xe9}), "\r"};
    QTest::newRow("font test") << words("font-test") << QList<QByteArray>{bytes({'W', 'T', 255}),
                                                                          "!",
                                                                          "\"",
                                                                          "#",
                                                                          "$",
                                                                          "%",
                                                                          "&",
                                                                          "'",
                                                                          "(",
                                                                          ")",
                                                                          "*",
                                                                          "+",
                                                                          ",",
                                                                          "\r"};
    QTest::newRow("load") << words("load 12") << QList<QByteArray>{"LP", bytes({12})};
    QTest::newRow("backlight off")
        << words("backlight off") << QList<QByteArray>{bytes({'B', 'L', 0})};
    QTest::newRow("beep on touch")
        << words("beep-on-touch on") << QList<QByteArray>{bytes({'B', 'T', 1})};
    QTest::newRow("several commands") << words("rotate -- beep -- calibrate -- restore-calibration")
                                      << QList<QByteArray>{"RS", "BP", "TC", "RC"};
}

void tst_CliArguments::commandsBecomeTheirBytes() {
    QFETCH(QStringList, arguments);
    QFETCH(QList<QByteArray>, writes);
    const CliRequest request = CliArguments::parse(arguments);
    QVERIFY2(request.action == CliRequest::Action::Run, qPrintable(request.text));
    QCOMPARE(writesOf(request), writes);
}

void tst_CliArguments::commonOptionsHoldForEveryCommand() {
    // Common options anywhere, before or between the commands.
    const CliRequest request = CliArguments::parse(
        words("--port /dev/ttyUSB0 --port=/dev/ttyUSB1 --baud 9600 clear --pace poll -- beep "
              "--timeout 0.5 --quiet --trace"));
    QCOMPARE(request.action, CliRequest::Action::Run);
    const CliSettings& settings = request.settings;
    QCOMPARE(settings.ports, words("/dev/ttyUSB0 /dev/ttyUSB1"));
    QCOMPARE(settings.baudRate, 9600);
    QCOMPARE(settings.pacing, Pacing::Poll);
    QCOMPARE(settings.timeoutMs, 500);
    QVERIFY(settings.quiet && settings.trace);
    QCOMPARE(request.steps.size(), 2);

    // The defaults; a screenshot alone means the simulator.
    const CliRequest defaults = CliArguments::parse(words("--screenshot shown.png identify"));
    QCOMPARE(defaults.settings.ports, QStringList{QStringLiteral("sim")});
    QCOMPARE(defaults.settings.baudRate, 115200);
    QCOMPARE(defaults.settings.pacing, Pacing::AnswerDriven);
    QCOMPARE(defaults.settings.timeoutMs, 5000);
    QCOMPARE(defaults.steps.first().kind, CliStep::Kind::Identify);
    QCOMPARE(CliArguments::parse(words("ports")).action, CliRequest::Action::ListPorts);
}

void tst_CliArguments::uploadsAndListeningKeepTheirValues() {
    const CliRequest request = CliArguments::parse(
        args({"save",      "3",         "splash.png", "--fit", "fill",  "--dither",    "ordered",
              "--",        "preview",   "photo.jpg",  "--",    "font",  "DejaVu Sans", "14",
              "--slot",    "2",         "--bold",     "--",    "font",  "--file",      "mono.ttf",
              "9",         "--slot=1",  "--italic",   "--",    "touch", "--keypad",    "--count",
              "4",         "--seconds", "2.5",        "--",    "baud",  "9600",        "--",
              "backlight", "on"}));
    QVERIFY2(request.action == CliRequest::Action::Run, qPrintable(request.text));
    const QList<CliStep>& steps = request.steps;
    QCOMPARE(steps.size(), 7);
    QCOMPARE(steps[0].kind, CliStep::Kind::Save);
    QCOMPARE(steps[0].slot, quint8(3));
    QCOMPARE(steps[0].picture.path, QStringLiteral("splash.png"));
    QCOMPARE(steps[0].picture.options.fit, PictureFit::Fill);
    QCOMPARE(steps[0].picture.options.dither, PictureDither::Ordered);
    QCOMPARE(steps[1].picture.options.fit, PictureFit::AsIs);
    QCOMPARE(steps[1].picture.options.dither, PictureDither::None);
    QCOMPARE(steps[2].font.family, QStringLiteral("DejaVu Sans"));
    QCOMPARE(steps[2].font.pointSize, 14);
    QCOMPARE(steps[2].font.slot, Commands::FontSlot::Font2);
    QVERIFY(steps[2].font.bold && !steps[2].font.italic);
    QCOMPARE(steps[3].font.file, QStringLiteral("mono.ttf"));
    QCOMPARE(steps[3].font.pointSize, 9);
    QCOMPARE(steps[3].font.slot, Commands::FontSlot::Font1);
    QVERIFY(steps[3].font.italic);
    QVERIFY(steps[4].touch.keypad);
    QCOMPARE(steps[4].touch.count, 4);
    QCOMPARE(steps[4].touch.milliseconds, 2500);
    QCOMPARE(steps[5].rateIndex, 0);
    QCOMPARE(steps[6].kind, CliStep::Kind::TouchPause);
}

void tst_CliArguments::everyCommandHasItsHelp() {
    const QString program = CliArguments::programHelp();
    const QStringList names = CliArguments::commandNames();
    QCOMPARE(names.size(), 28);
    for (const QString& name : names) {
        QVERIFY2(program.contains(QStringLiteral("\n  ") + name + QLatin1Char(' ')),
                 qPrintable(name));
        const QString help = CliArguments::commandHelp(name);
        QVERIFY2(help.startsWith(QStringLiteral("Usage: lumaret-cli [OPTIONS] ") + name),
                 qPrintable(help));
        // --help after the command, and "help COMMAND", show it.
        for (const QStringList& asked :
             {QStringList{name, QStringLiteral("--help")},
              QStringList{QStringLiteral("help"), name},
              args({"--port", "sim"}) + QStringList{name, QStringLiteral("-h")}}) {
            const CliRequest request = CliArguments::parse(asked);
            QCOMPARE(request.action, CliRequest::Action::ShowText);
            QCOMPARE(request.text, help);
        }
    }
    // Every line within 80 columns; the usage lines as the table names the arguments.
    const QString text = CliArguments::commandHelp(QStringLiteral("text"));
    for (const QString& line : QString(program + text).split(QLatin1Char('\n')))
        QVERIFY2(line.size() <= 80, qPrintable(line));
    QCOMPARE(text,
             QStringLiteral(
                 "Usage: lumaret-cli [OPTIONS] text TEXT... [text OPTIONS]\n\n"
                 "Write text at the text cursor. Several arguments are joined with blanks.\n"
                 "Characters go to the board as their codes (0..255), as the text window sends\n"
                 "typed keys, and a carriage return ends the text.\n\n"
                 "Options of text:\n"
                 "  --font 1|2            The board's font to write in (default 1).\n"
                 "  --color N             The colour: 0..255, or #rrggbb reduced to the board's\n"
                 "                        colours (default 255, white).\n\n"
                 "The common options (lumaret-cli --help) may be given too."));
    QVERIFY(program.contains(QLatin1String("\n  clear [COLOUR]        Fill the screen")));
    QCOMPARE(CliArguments::parse(words("--help")).text, program);
    QVERIFY(CliArguments::parse(words("--version")).text.startsWith(QLatin1String("lumaret-cli ")));
    QCOMPARE(CliArguments::commandHelp(QStringLiteral("paint")), QString());
}

QTEST_GUILESS_MAIN(tst_CliArguments)
#include "tst_cliarguments.moc"
