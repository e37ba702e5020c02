#include "cli/cliarguments.h"

#include "engine/colorvalue.h"
#include "engine/linesettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>

#include <functional>

bool CliSettings::isSimulatorName(const QString& port) {
    return port.compare(QLatin1String("sim"), Qt::CaseInsensitive) == 0 ||
           port.compare(QLatin1String("simulator"), Qt::CaseInsensitive) == 0;
}

bool CliSettings::usesSimulator() const {
    return std::any_of(ports.begin(), ports.end(), isSimulatorName);
}

namespace CliArguments {
namespace {

const QString Program = QStringLiteral("lumaret-cli");
const QString Separator = QStringLiteral("--");

// What the board's encodings carry: an X in two bytes (up to the largest 16-bit
// signed value, as the drawing window takes it), every other value in one byte.
constexpr int LargestX = 32767;
constexpr int LargestByte = 255;
constexpr int Slots = 12;
constexpr int LargestFontSize = 255;
constexpr int LargestCount = 1000000;
constexpr double LargestSeconds = 24 * 60 * 60;
constexpr int BacklightPauseMs = 250;
constexpr int BeepOnTouchPauseMs = 500;
constexpr quint8 DefaultColor = 255;
// The font test line: "!" to "," in white, without a font number.
constexpr quint8 FontTestColor = 255;
constexpr char FontTestFirst = '!';
constexpr char FontTestLast = ',';

struct OptionSpec {
    QString name;
    // Empty for a switch that takes no value.
    QString valueName;
    QString help;
};

// One command as typed: its name, its arguments and its options with their values.
struct Segment {
    QString command;
    QStringList arguments;
    QMap<QString, QString> options;

    bool has(const QString& option) const { return options.contains(option); }
};

// Reads a segment's values; the first value that fails tells why.
class ValueReader {
public:
    ValueReader(const Segment& segment, QString* error)
        : m_segment(segment)
        , m_error(error) {}

    bool ok() const { return m_ok; }

    int number(int index, const QString& what, int minimum, int maximum) {
        return checked(m_segment.arguments.value(index), what, minimum, maximum);
    }
    int optionNumber(const QString& option, int minimum, int maximum, int fallback) {
        if (!m_segment.has(option))
            return fallback;
        return checked(m_segment.options.value(option), option, minimum, maximum);
    }
    quint16 x(int index, const QString& what) { return quint16(number(index, what, 0, LargestX)); }
    quint8 byte(int index, const QString& what) {
        return quint8(number(index, what, 0, LargestByte));
    }
    Commands::Point point(int index, const QString& xName, const QString& yName) {
        const quint16 px = x(index, xName);
        return {px, byte(index + 1, yName)};
    }
    quint8 color(const QString& text, const QString& what) {
        const std::optional<quint8> value = colorValue(text);
        if (!value)
            fail(QStringLiteral("%1 takes a colour value from 0 to 255 or #rrggbb, not \"%2\"")
                     .arg(what, text));
        return value.value_or(0);
    }
    quint8 colorOption() {
        const QString option = QStringLiteral("--color");
        return m_segment.has(option) ? color(m_segment.options.value(option), option)
                                     : DefaultColor;
    }
    bool onOff(int index) {
        const QString text = m_segment.arguments.value(index);
        if (text == QLatin1String("on"))
            return true;
        if (text != QLatin1String("off"))
            fail(QStringLiteral("takes on or off, not \"%1\"").arg(text));
        return false;
    }
    int seconds(const QString& option) {
        if (!m_segment.has(option))
            return 0;
        const QString text = m_segment.options.value(option);
        bool numeric = false;
        const double value = text.toDouble(&numeric);
        if (!numeric || !(value > 0) || value > LargestSeconds) {
            fail(QStringLiteral("%1 takes a number of seconds above 0 and up to %2, not \"%3\"")
                     .arg(option)
                     .arg(LargestSeconds)
                     .arg(text));
            return 0;
        }
        return std::max(1, int(value * 1000));
    }
    void fail(const QString& reason) {
        if (m_ok)
            *m_error = reason;
        m_ok = false;
    }

private:
    int checked(const QString& text, const QString& what, int minimum, int maximum) {
        const std::optional<int> value = wholeNumber(text, minimum, maximum);
        if (!value)
            fail(QStringLiteral("%1 must be a whole number from %2 to %3, not \"%4\"")
                     .arg(what)
                     .arg(minimum)
                     .arg(maximum)
                     .arg(text));
        return value.value_or(minimum);
    }

    const Segment& m_segment;
    QString* m_error;
    bool m_ok = true;
};

using Builder = std::function<void(const Segment&, ValueReader&, CliStep&)>;

struct CommandSpec {
    QString name;
    // The arguments as the usage line shows them.
    QString synopsis;
    int minimumArguments = 0;
    // -1: any number.
    int maximumArguments = 0;
    QList<OptionSpec> options;
    QString summary;
    QString details;
    Builder build;
};

CliStep sending(WriteList writes) {
    CliStep step;
    step.kind = CliStep::Kind::Send;
    step.writes = std::move(writes);
    return step;
}

Builder sends(WriteList writes) {
    return [writes](const Segment&, ValueReader&, CliStep& step) { step = sending(writes); };
}

// Backlight and beep on touch go out with touch reporting off, after a pause.
Builder inTouchPause(int pauseMs, WriteList (*command)(bool)) {
    return [pauseMs, command](const Segment&, ValueReader& values, CliStep& step) {
        step.kind = CliStep::Kind::TouchPause;
        step.pauseMs = pauseMs;
        step.writes = command(values.onOff(0));
    };
}

using TwoCorners = WriteList (*)(Commands::Point, Commands::Point, quint8);
Builder twoCorners(TwoCorners command) {
    return [command](const Segment&, ValueReader& values, CliStep& step) {
        const Commands::Point start = values.point(0, QStringLiteral("X0"), QStringLiteral("Y0"));
        const Commands::Point end = values.point(2, QStringLiteral("X1"), QStringLiteral("Y1"));
        step = sending(command(start, end, values.colorOption()));
    };
}

using Circle = WriteList (*)(Commands::Point, quint8, quint8);
Builder circle(Circle command) {
    return [command](const Segment&, ValueReader& values, CliStep& step) {
        const Commands::Point center = values.point(0, QStringLiteral("X"), QStringLiteral("Y"));
        const quint8 radius = values.byte(2, QStringLiteral("R"));
        step = sending(command(center, radius, values.colorOption()));
    };
}

std::optional<PictureSource> pictureSource(const Segment& segment, const QString& path,
                                           ValueReader& values) {
    PictureSource source{path, {}};
    const QString fit = segment.options.value(QStringLiteral("--fit"), QStringLiteral("as-is"));
    const QString dither =
        segment.options.value(QStringLiteral("--dither"), QStringLiteral("none"));
    const std::optional<PictureFit> fitNamed = pictureFitNamed(fit);
    const std::optional<PictureDither> ditherNamed = pictureDitherNamed(dither);
    if (!fitNamed) {
        values.fail(QStringLiteral("--fit takes %1, not \"%2\"")
                        .arg(pictureFitNames().join(QStringLiteral(", ")), fit));
        return std::nullopt;
    }
    if (!ditherNamed) {
        values.fail(QStringLiteral("--dither takes %1, not \"%2\"")
                        .arg(pictureDitherNames().join(QStringLiteral(", ")), dither));
        return std::nullopt;
    }
    if (path.isEmpty()) {
        values.fail(QStringLiteral("IMAGE is empty"));
        return std::nullopt;
    }
    source.options.fit = *fitNamed;
    source.options.dither = *ditherNamed;
    return source;
}

QList<OptionSpec> pictureOptions() {
    return {{QStringLiteral("--fit"), QStringLiteral("HOW"),
             QStringLiteral("How the picture is sized onto the 320 x 240 screen: as-is "
                            "(natural size from the top-left corner, the default), fit, fill "
                            "or stretch.")},
            {QStringLiteral("--dither"), QStringLiteral("HOW"),
             QStringLiteral("How its colours are brought to the board's 256: none (the "
                            "default), diffusion or ordered.")}};
}

OptionSpec colorOption() {
    return {QStringLiteral("--color"), QStringLiteral("N"),
            QStringLiteral("The colour: 0..255, or #rrggbb reduced to the board's colours "
                           "(default 255, white).")};
}

const QString DrawingNote = QStringLiteral(
    "An X is 0..32767, a Y and a radius 0..255 (the screen shows X 0..319 and Y 0..239).");

QList<CommandSpec> makeCommands() {
    using Kind = CliStep::Kind;
    QList<CommandSpec> commands;
    commands.append({QStringLiteral("ports"),
                     {},
                     0,
                     0,
                     {},
                     QStringLiteral("List the ports a board can be reached on."),
                     QStringLiteral("One port per line, as --port takes it: the serial ports of "
                                    "this system, then those named in LUMARET_PORTS (separated "
                                    "like PATH), then the built-in simulator, marked as such."),
                     nullptr});
    commands.append(
        {QStringLiteral("identify"),
         {},
         0,
         0,
         {},
         QStringLiteral("Print the board's answer to the identification."),
         QStringLiteral("Opens the port, sends the identification and prints what "
                        "the board answered. The exit status is 0 when the answer "
                        "held \"100\" within 1.5 s, 2 otherwise."),
         [](const Segment&, ValueReader&, CliStep& step) { step.kind = Kind::Identify; }});
    commands.append(
        {QStringLiteral("baud"),
         QStringLiteral("RATE"),
         1,
         1,
         {},
         QStringLiteral("Switch the board to another speed and reconnect at it."),
         QStringLiteral("RATE is one of 9600, 14400, 19200, 28800, 38400, 57600 and 115200. The "
                        "board takes the new speed after about 2.8 s (jumper 1 of J11 removed); "
                        "the commands that follow run at the new speed. Connect at that speed "
                        "with --baud RATE in later calls."),
         [](const Segment& segment, ValueReader& values, CliStep& step) {
             const QString text = segment.arguments.value(0);
             bool numeric = false;
             const int index = LineSettings::baudRates().indexOf(text.toInt(&numeric));
             if (!numeric || index < 0) {
                 values.fail(QStringLiteral("RATE must be 9600, 14400, 19200, 28800, 38400, "
                                            "57600 or 115200, not \"%1\"")
                                 .arg(text));
                 return;
             }
             step.kind = Kind::BaudRate;
             step.rateIndex = index;
         }});
    commands.append({QStringLiteral("clear"),
                     QStringLiteral("[COLOUR]"),
                     0,
                     1,
                     {},
                     QStringLiteral("Fill the screen with a colour."),
                     QStringLiteral("COLOUR is 0..255 or #rrggbb (default 255, white)."),
                     [](const Segment& segment, ValueReader& values, CliStep& step) {
                         const quint8 color =
                             segment.arguments.isEmpty()
                                 ? DefaultColor
                                 : values.color(segment.arguments.at(0), QStringLiteral("COLOUR"));
                         step = sending(Commands::clearScreen(color));
                     }});
    commands.append({QStringLiteral("rotate"),
                     {},
                     0,
                     0,
                     {},
                     QStringLiteral("Turn the screen by 180 degrees."),
                     QStringLiteral("Each call turns the picture further by 180 degrees."),
                     sends(Commands::rotateScreen())});
    commands.append({QStringLiteral("backlight"),
                     QStringLiteral("on|off"),
                     1,
                     1,
                     {},
                     QStringLiteral("Switch the backlight on or off."),
                     QStringLiteral("Touch reporting is switched off first and the board gets "
                                    "a quarter of a second before the backlight command."),
                     inTouchPause(BacklightPauseMs, Commands::setBacklight)});
    commands.append({QStringLiteral("beep"),
                     {},
                     0,
                     0,
                     {},
                     QStringLiteral("Sound the beeper."),
                     QStringLiteral("The board beeps once."),
                     sends(Commands::beep())});
    commands.append({QStringLiteral("beep-on-touch"),
                     QStringLiteral("on|off"),
                     1,
                     1,
                     {},
                     QStringLiteral("Let the board beep at each touch, or not."),
                     QStringLiteral("Touch reporting is switched off first and the board gets "
                                    "half a second before the command."),
                     inTouchPause(BeepOnTouchPauseMs, Commands::setBeepOnTouch)});
    commands.append({QStringLiteral("calibrate"),
                     {},
                     0,
                     0,
                     {},
                     QStringLiteral("Start the touch screen's calibration."),
                     QStringLiteral("The board shows the points to touch; its end is not "
                                    "awaited."),
                     sends(Commands::touchCalibrate())});
    commands.append({QStringLiteral("restore-calibration"),
                     {},
                     0,
                     0,
                     {},
                     QStringLiteral("Return to the board's default touch calibration."),
                     QStringLiteral("The board forgets the calibration made with calibrate."),
                     sends(Commands::restoreCalibration())});
    commands.append({QStringLiteral("pixel"),
                     QStringLiteral("X Y"),
                     2,
                     2,
                     {colorOption()},
                     QStringLiteral("Set one pixel."),
                     DrawingNote,
                     [](const Segment&, ValueReader& values, CliStep& step) {
                         const Commands::Point point =
                             values.point(0, QStringLiteral("X"), QStringLiteral("Y"));
                         step = sending(Commands::drawPixel(point, values.colorOption()));
                     }});
    commands.append({QStringLiteral("line"),
                     QStringLiteral("X0 Y0 X1 Y1"),
                     4,
                     4,
                     {colorOption()},
                     QStringLiteral("Draw a line."),
                     DrawingNote,
                     twoCorners(Commands::drawLine)});
    commands.append({QStringLiteral("rect"),
                     QStringLiteral("X0 Y0 X1 Y1"),
                     4,
                     4,
                     {colorOption()},
                     QStringLiteral("Draw the outline of a rectangle between two corners."),
                     DrawingNote,
                     twoCorners(Commands::drawRectangle)});
    commands.append({QStringLiteral("fill-rect"),
                     QStringLiteral("X0 Y0 X1 Y1"),
                     4,
                     4,
                     {colorOption()},
                     QStringLiteral("Fill a rectangle between two corners."),
                     DrawingNote,
                     twoCorners(Commands::fillRectangle)});
    commands.append({QStringLiteral("circle"),
                     QStringLiteral("X Y R"),
                     3,
                     3,
                     {colorOption()},
                     QStringLiteral("Draw a circle around (X, Y) with radius R."),
                     DrawingNote,
                     circle(Commands::drawCircle)});
    commands.append({QStringLiteral("fill-circle"),
                     QStringLiteral("X Y R"),
                     3,
                     3,
                     {colorOption()},
                     QStringLiteral("Fill a circle around (X, Y) with radius R."),
                     DrawingNote,
                     circle(Commands::fillCircle)});
    commands.append({QStringLiteral("cursor"),
                     QStringLiteral("X Y"),
                     2,
                     2,
                     {},
                     QStringLiteral("Place the text cursor: where the next text begins."),
                     QStringLiteral("X is 0..32767, Y 0..255."),
                     [](const Segment&, ValueReader& values, CliStep& step) {
                         step = sending(Commands::setTextCursor(
                             values.point(0, QStringLiteral("X"), QStringLiteral("Y"))));
                     }});
    commands.append(
        {QStringLiteral("text"),
         QStringLiteral("TEXT..."),
         1,
         -1,
         {{QStringLiteral("--font"), QStringLiteral("1|2"),
           QStringLiteral("The board's font to write in (default 1).")},
          colorOption()},
         QStringLiteral("Write text at the text cursor."),
         QStringLiteral("Several arguments are joined with blanks. Characters go to the board "
                        "as their codes (0..255), as the text window sends typed keys, and a "
                        "carriage return ends the text."),
         [](const Segment& segment, ValueReader& values, CliStep& step) {
             const int font = values.optionNumber(QStringLiteral("--font"), 1, 2, 1);
             const quint8 color = values.colorOption();
             const QString text = segment.arguments.join(QLatin1Char(' '));
             QByteArray characters;
             for (const uint code : text.toUcs4()) {
                 if (code > LargestByte) {
                     values.fail(
                         QStringLiteral("the board takes only characters with codes 0 "
                                        "to 255, and \"%1\" is not one of them")
                             .arg(QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1)));
                     return;
                 }
                 if (code == uint(Commands::TextEnd)) {
                     values.fail(QStringLiteral("TEXT may not hold a carriage return: it would "
                                                "end the text there"));
                     return;
                 }
                 characters.append(char(code));
             }
             step = sending(Commands::writeText(color, quint8(font), characters));
         }});
    commands.append(
        {QStringLiteral("preview"), QStringLiteral("IMAGE"), 1, 1, pictureOptions(),
         QStringLiteral("Show a picture file on the screen."),
         QStringLiteral("The picture is read and reduced to the board's colours as the graphic "
                        "window does, then sent row by row; the board answers each row."),
         [](const Segment& segment, ValueReader& values, CliStep& step) {
             const auto source = pictureSource(segment, segment.arguments.value(0), values);
             step.kind = Kind::Preview;
             step.picture = source.value_or(PictureSource{});
         }});
    commands.append(
        {QStringLiteral("save"), QStringLiteral("SLOT IMAGE"), 2, 2, pictureOptions(),
         QStringLiteral("Store a picture file in one of the board's picture slots."),
         QStringLiteral("SLOT is 1..12. The picture is read and reduced as the graphic window "
                        "does, then sent in 300 blocks of 256 pixels; the board answers each."),
         [](const Segment& segment, ValueReader& values, CliStep& step) {
             step.slot = quint8(values.number(0, QStringLiteral("SLOT"), 1, Slots));
             const auto source = pictureSource(segment, segment.arguments.value(1), values);
             step.kind = Kind::Save;
             step.picture = source.value_or(PictureSource{});
         }});
    commands.append({QStringLiteral("load"),
                     QStringLiteral("SLOT"),
                     1,
                     1,
                     {},
                     QStringLiteral("Show the picture stored in a slot."),
                     QStringLiteral("SLOT is 1..12."),
                     [](const Segment&, ValueReader& values, CliStep& step) {
                         step = sending(Commands::showScreenPicture(
                             quint8(values.number(0, QStringLiteral("SLOT"), 1, Slots))));
                     }});
    commands.append(
        {QStringLiteral("font"),
         QStringLiteral("FAMILY SIZE | --file FONT SIZE"),
         1,
         2,
         {{QStringLiteral("--slot"), QStringLiteral("1|2"),
           QStringLiteral("The board's font slot to load (required).")},
          {QStringLiteral("--file"), QStringLiteral("FONT"),
           QStringLiteral("Take the font from this file (TrueType or OpenType) instead of an "
                          "installed family.")},
          {QStringLiteral("--bold"), {}, QStringLiteral("The bold face.")},
          {QStringLiteral("--italic"), {}, QStringLiteral("The italic face.")}},
         QStringLiteral("Capture a desktop font and load it into a font slot."),
         QStringLiteral("SIZE is in points, 1..255. The characters ! to ~ are captured and sent "
                        "as the font window does. A font the board cannot take (a character "
                        "without ink, or larger than 255 pixels) is refused before anything is "
                        "sent."),
         [](const Segment& segment, ValueReader& values, CliStep& step) {
             step.kind = Kind::Font;
             FontSource& font = step.font;
             const bool fromFile = segment.has(QStringLiteral("--file"));
             const int sizeIndex = fromFile ? 0 : 1;
             if (segment.arguments.size() != sizeIndex + 1) {
                 values.fail(fromFile ? QStringLiteral("takes SIZE after --file FONT")
                                      : QStringLiteral("takes FAMILY and SIZE"));
                 return;
             }
             if (!segment.has(QStringLiteral("--slot"))) {
                 values.fail(QStringLiteral("needs --slot 1 or --slot 2"));
                 return;
             }
             font.file = segment.options.value(QStringLiteral("--file"));
             font.family = fromFile ? QString() : segment.arguments.at(0).trimmed();
             if (fromFile ? font.file.isEmpty() : font.family.isEmpty()) {
                 values.fail(fromFile ? QStringLiteral("--file is empty")
                                      : QStringLiteral("FAMILY is empty"));
                 return;
             }
             font.pointSize = values.number(sizeIndex, QStringLiteral("SIZE"), 1, LargestFontSize);
             font.slot = values.optionNumber(QStringLiteral("--slot"), 1, 2, 1) == 1
                             ? Commands::FontSlot::Font1
                             : Commands::FontSlot::Font2;
             font.bold = segment.has(QStringLiteral("--bold"));
             font.italic = segment.has(QStringLiteral("--italic"));
         }});
    commands.append({QStringLiteral("font-test"),
                     {},
                     0,
                     0,
                     {},
                     QStringLiteral("Write the font test line."),
                     QStringLiteral("Writes the characters ! to , in white at the text cursor, "
                                    "in the font the board uses for text without a font number."),
                     [](const Segment&, ValueReader&, CliStep& step) {
                         QByteArray characters;
                         for (char c = FontTestFirst; c <= FontTestLast; ++c)
                             characters.append(c);
                         step =
                             sending(Commands::writeText(FontTestColor, std::nullopt, characters));
                     }});
    commands.append(
        {QStringLiteral("touch"),
         {},
         0,
         0,
         {{QStringLiteral("--keypad"),
           {},
           QStringLiteral("Keypad reports instead of coordinates, printed as they come.")},
          {QStringLiteral("--count"), QStringLiteral("N"), QStringLiteral("Stop after N reports.")},
          {QStringLiteral("--seconds"), QStringLiteral("S"),
           QStringLiteral("Stop after S seconds.")}},
         QStringLiteral("Print the touch screen's reports as they come."),
         QStringLiteral("Switches touch reporting on, prints each touch as \"X Y\" (or each "
                        "keypad report as it came) on a line of its own, and switches it off "
                        "again after --count reports, after --seconds, or at Ctrl-C."),
         [](const Segment& segment, ValueReader& values, CliStep& step) {
             step.kind = Kind::Touch;
             step.touch.keypad = segment.has(QStringLiteral("--keypad"));
             step.touch.count = values.optionNumber(QStringLiteral("--count"), 1, LargestCount, 0);
             step.touch.milliseconds = values.seconds(QStringLiteral("--seconds"));
         }});
    return commands;
}

const QList<CommandSpec>& commands() {
    static const QList<CommandSpec> table = makeCommands();
    return table;
}

const CommandSpec* commandNamed(const QString& name) {
    for (const CommandSpec& spec : commands()) {
        if (spec.name == name)
            return &spec;
    }
    return nullptr;
}

QList<OptionSpec> commonOptions() {
    return {
        {QStringLiteral("--port"), QStringLiteral("NAME"),
         QStringLiteral("The board's port (default: the first serial port of \"ports\"); sim "
                        "or simulator is the built-in simulator. Give it more than once to run "
                        "the same commands on several boards at once.")},
        {QStringLiteral("--all"),
         {},
         QStringLiteral("Every serial port of \"ports\" (the simulator aside), at once.")},
        {QStringLiteral("--baud"), QStringLiteral("N"),
         QStringLiteral("The line's speed: 9600, 14400, 19200, 28800, 38400, 57600 or 115200 "
                        "(default).")},
        {QStringLiteral("--pace"), QStringLiteral("answer|poll"),
         QStringLiteral("Uploads send their next block the moment the board answers (answer, "
                        "the default) or when the 50 to 250 ms receive poll sees the answer "
                        "(poll, as the program's windows do).")},
        {QStringLiteral("--timeout"), QStringLiteral("SECONDS"),
         QStringLiteral("How long to wait for each answer of the board during uploads "
                        "(default 5). The identification always has 1.5 s.")},
        {QStringLiteral("--quiet"),
         {},
         QStringLiteral("No progress, notes or table; errors and asked-for output only.")},
        {QStringLiteral("--trace"),
         {},
         QStringLiteral("Every write and answer on the line, decoded, on the error output "
                        "(the Monitor window's lines).")},
        {QStringLiteral("--screenshot"), QStringLiteral("FILE.png"),
         QStringLiteral("Save the board's screen after the commands (the default port is then "
                        "the simulator). A real board's screen is its mirror: what the commands "
                        "drew, the rest transparent.")},
        {QStringLiteral("--help"), {}, QStringLiteral("This help; after a command, its help.")},
        {QStringLiteral("--version"), {}, QStringLiteral("The program's version.")},
    };
}

const OptionSpec* findOption(const QList<OptionSpec>& options, const QString& name) {
    for (const OptionSpec& option : options) {
        if (option.name == name)
            return &option;
    }
    return nullptr;
}

constexpr int HelpWidth = 80;
constexpr int HelpIndent = 24;

// The text in lines of at most HelpWidth characters, the first after head, the others
// indented to line up with it.
QString wrapped(const QString& head, const QString& text) {
    QString result = head.leftJustified(HelpIndent);
    if (head.size() >= HelpIndent)
        result += QLatin1Char('\n') + QString(HelpIndent, QLatin1Char(' '));
    qsizetype column = HelpIndent;
    bool lineStart = true;
    const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString& word : words) {
        if (!lineStart && column + 1 + word.size() > HelpWidth) {
            result += QLatin1Char('\n') + QString(HelpIndent, QLatin1Char(' '));
            column = HelpIndent;
            lineStart = true;
        }
        if (!lineStart) {
            result += QLatin1Char(' ');
            ++column;
        }
        result += word;
        column += word.size();
        lineStart = false;
    }
    return result + QLatin1Char('\n');
}

// A paragraph in lines of at most HelpWidth characters.
QString paragraph(const QString& text) {
    QString result;
    qsizetype column = 0;
    const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString& word : words) {
        if (column > 0 && column + 1 + word.size() > HelpWidth) {
            result += QLatin1Char('\n');
            column = 0;
        }
        if (column > 0) {
            result += QLatin1Char(' ');
            ++column;
        }
        result += word;
        column += word.size();
    }
    return result + QLatin1Char('\n');
}

QString optionLines(const QList<OptionSpec>& options) {
    QString text;
    for (const OptionSpec& option : options) {
        QString head = QStringLiteral("  ") + option.name;
        if (!option.valueName.isEmpty())
            head += QLatin1Char(' ') + option.valueName;
        text += wrapped(head, option.help);
    }
    return text;
}

bool looksLikeOption(const QString& token) {
    // "-5" is a value (refused later as below 0), not an option.
    static const QRegularExpression option(QStringLiteral("^-[^0-9]"));
    return option.match(token).hasMatch();
}

// The common options as they were given; a later one of the same name is refused.
struct CommonValues {
    QMap<QString, QString> values;
    QStringList ports;
};

CliRequest refuse(const QString& reason) {
    CliRequest request;
    request.action = CliRequest::Action::Refuse;
    request.text = reason;
    return request;
}

CliRequest showText(const QString& text) {
    CliRequest request;
    request.action = CliRequest::Action::ShowText;
    request.text = text;
    return request;
}

std::optional<QString> applyCommonOptions(const CommonValues& given, CliSettings& settings) {
    const auto value = [&](const char* name) { return given.values.value(QLatin1String(name)); };
    const auto isSet = [&](const char* name) { return given.values.contains(QLatin1String(name)); };
    settings.ports = given.ports;
    settings.allPorts = isSet("--all");
    settings.quiet = isSet("--quiet");
    settings.trace = isSet("--trace");
    settings.screenshotFile = value("--screenshot");
    if (isSet("--baud")) {
        bool numeric = false;
        settings.baudRate = value("--baud").toInt(&numeric);
        if (!numeric || !LineSettings::baudRates().contains(settings.baudRate))
            return QStringLiteral("--baud takes 9600, 14400, 19200, 28800, 38400, 57600 or "
                                  "115200, not \"%1\"")
                .arg(value("--baud"));
    }
    if (isSet("--pace")) {
        if (value("--pace") == QLatin1String("answer"))
            settings.pacing = Pacing::AnswerDriven;
        else if (value("--pace") == QLatin1String("poll"))
            settings.pacing = Pacing::Poll;
        else
            return QStringLiteral("--pace takes answer or poll, not \"%1\"").arg(value("--pace"));
    }
    if (isSet("--timeout")) {
        bool numeric = false;
        const double seconds = value("--timeout").toDouble(&numeric);
        if (!numeric || !(seconds > 0) || seconds > LargestSeconds)
            return QStringLiteral("--timeout takes a number of seconds above 0 and up to %1, "
                                  "not \"%2\"")
                .arg(LargestSeconds)
                .arg(value("--timeout"));
        settings.timeoutMs = std::max(1, int(seconds * 1000));
    }
    if (settings.allPorts && !settings.ports.isEmpty())
        return QStringLiteral("--all and --port exclude each other");
    QStringList seen;
    for (const QString& port : std::as_const(settings.ports)) {
        if (port.isEmpty())
            return QStringLiteral("--port is empty");
        const QString key = CliSettings::isSimulatorName(port) ? QStringLiteral("sim") : port;
        if (seen.contains(key))
            return QStringLiteral("--port %1 is given twice").arg(port);
        seen.append(key);
    }
    if (!settings.screenshotFile.isEmpty()) {
        if (settings.ports.isEmpty() && !settings.allPorts)
            settings.ports.append(QStringLiteral("sim"));
        if (settings.allPorts || settings.ports.size() > 1)
            return QStringLiteral("--screenshot writes one board's screen: name one --port");
        if (!settings.screenshotFile.endsWith(QLatin1String(".png"), Qt::CaseInsensitive))
            return QStringLiteral("--screenshot writes a PNG file: its name ends in .png");
        const QFileInfo file(settings.screenshotFile);
        if (!file.absoluteDir().exists())
            return QStringLiteral("--screenshot: there is no folder %1")
                .arg(QDir::toNativeSeparators(file.absolutePath()));
    }
    return std::nullopt;
}

} // namespace

std::optional<int> wholeNumber(const QString& text, int minimum, int maximum) {
    static const QRegularExpression number(QStringLiteral("^[+-]?[0-9]{1,10}$"));
    if (!number.match(text).hasMatch())
        return std::nullopt;
    const qint64 value = text.toLongLong();
    if (value < minimum || value > maximum)
        return std::nullopt;
    return int(value);
}

std::optional<quint8> colorValue(const QString& text) {
    static const QRegularExpression rgb(QStringLiteral("^#([0-9a-fA-F]{6})$"));
    if (const QRegularExpressionMatch match = rgb.match(text); match.hasMatch())
        return ColorValue::reduce(0xFF000000u | match.captured(1).toUInt(nullptr, 16));
    const std::optional<int> value = wholeNumber(text, 0, LargestByte);
    if (!value)
        return std::nullopt;
    return quint8(*value);
}

CliRequest parse(const QStringList& arguments) {
    const QList<OptionSpec> common = commonOptions();
    CommonValues given;
    QList<Segment> segments{Segment{}};
    bool help = false;
    bool version = false;

    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& token = arguments.at(i);
        Segment& segment = segments.last();
        if (token == Separator) {
            if (segment.command.isEmpty())
                return refuse(QStringLiteral("a command must come before \"--\""));
            segments.append(Segment{});
            continue;
        }
        if (token == QLatin1String("-h")) {
            help = true;
            continue;
        }
        if (!looksLikeOption(token)) {
            if (segment.command.isEmpty()) {
                if (token == QLatin1String("help")) {
                    help = true;
                    segment.command = arguments.value(i + 1);
                    if (!segment.command.isEmpty() && !commandNamed(segment.command))
                        return refuse(
                            QStringLiteral("unknown command \"%1\"").arg(segment.command));
                    break;
                }
                if (!commandNamed(token))
                    return refuse(QStringLiteral("unknown command \"%1\" (%2 --help lists them)")
                                      .arg(token, Program));
                segment.command = token;
            } else {
                segment.arguments.append(token);
            }
            continue;
        }
        const qsizetype equals = token.indexOf(QLatin1Char('='));
        const QString name = equals < 0 ? token : token.left(equals);
        const CommandSpec* command = commandNamed(segment.command);
        const OptionSpec* option = findOption(common, name);
        const bool isCommon = option != nullptr;
        if (!option && command)
            option = findOption(command->options, name);
        if (!option) {
            if (command)
                return refuse(QStringLiteral("%1 has no option %2").arg(command->name, name));
            return refuse(QStringLiteral("unknown option %1").arg(name));
        }
        QString value;
        if (option->valueName.isEmpty()) {
            if (equals >= 0)
                return refuse(QStringLiteral("%1 takes no value").arg(name));
        } else if (equals >= 0) {
            value = token.mid(equals + 1);
        } else if (i + 1 < arguments.size() && arguments.at(i + 1) != Separator) {
            value = arguments.at(++i);
        } else {
            return refuse(QStringLiteral("%1 needs a value (%2)").arg(name, option->valueName));
        }
        if (name == QLatin1String("--help")) {
            help = true;
        } else if (name == QLatin1String("--version")) {
            version = true;
        } else if (name == QLatin1String("--port")) {
            given.ports.append(value);
        } else if (isCommon) {
            if (given.values.contains(name))
                return refuse(QStringLiteral("%1 is given twice").arg(name));
            given.values.insert(name, value);
        } else {
            if (segment.options.contains(name))
                return refuse(QStringLiteral("%1: %2 is given twice").arg(segment.command, name));
            segment.options.insert(name, value);
        }
    }

    if (help) {
        for (const Segment& segment : std::as_const(segments)) {
            if (!segment.command.isEmpty())
                return showText(commandHelp(segment.command));
        }
        return showText(programHelp());
    }
    if (version)
        return showText(versionText());
    if (segments.size() == 1 && segments.first().command.isEmpty())
        return refuse(QStringLiteral("no command given (%1 --help lists them)").arg(Program));
    if (segments.last().command.isEmpty())
        return refuse(QStringLiteral("a command must follow \"--\""));

    CliRequest request;
    request.action = CliRequest::Action::Run;
    if (const std::optional<QString> wrong = applyCommonOptions(given, request.settings))
        return refuse(*wrong);
    for (const Segment& segment : std::as_const(segments)) {
        const CommandSpec& spec = *commandNamed(segment.command);
        const auto count = int(segment.arguments.size());
        if (count < spec.minimumArguments ||
            (spec.maximumArguments >= 0 && count > spec.maximumArguments)) {
            const QString usage = spec.synopsis.isEmpty()
                                      ? QStringLiteral("takes no arguments")
                                      : QStringLiteral("takes %1").arg(spec.synopsis);
            return refuse(QStringLiteral("%1 %2, not %3 argument%4")
                              .arg(spec.name, usage)
                              .arg(count)
                              .arg(count == 1 ? QString() : QStringLiteral("s")));
        }
        if (!spec.build) {
            if (segments.size() > 1)
                return refuse(
                    QStringLiteral("%1 talks to no board: run it on its own").arg(spec.name));
            if (!request.settings.ports.isEmpty() || request.settings.allPorts)
                return refuse(QStringLiteral("%1 takes no --port or --all").arg(spec.name));
            request.action = CliRequest::Action::ListPorts;
            return request;
        }
        QString reason;
        ValueReader values(segment, &reason);
        CliStep step;
        spec.build(segment, values, step);
        if (!values.ok())
            return refuse(spec.name + QStringLiteral(": ") + reason);
        step.command = spec.name;
        request.steps.append(std::move(step));
    }
    return request;
}

QStringList commandNames() {
    QStringList names;
    for (const CommandSpec& spec : commands())
        names.append(spec.name);
    return names;
}

QString programHelp() {
    QString text =
        QStringLiteral(
            "Usage: %1 [OPTIONS] COMMAND [ARGUMENTS] [-- COMMAND [ARGUMENTS]]...\n"
            "\n"
            "Drives Lumaret LCD controller boards from the command line, with the same bytes\n"
            "and handshakes as the Lumaret program. Commands separated by \"--\" run in order\n"
            "over one connection; with several --port options (or --all) they run on every\n"
            "board at once.\n"
            "\n"
            "Commands:\n")
            .arg(Program);
    for (const CommandSpec& spec : commands()) {
        const QString head =
            QStringLiteral("  ") + spec.name +
            (spec.synopsis.isEmpty() ? QString() : QLatin1Char(' ') + spec.synopsis);
        text += wrapped(head, spec.summary);
    }
    text += QStringLiteral("\nOptions:\n") + optionLines(commonOptions());
    text += QStringLiteral(
                "\n"
                "Exit status: 0 done, 1 a wrong command line (nothing was sent), 2 no board or no\n"
                "answer, 3 the board went away on the way, 130 interrupted (Ctrl-C).\n"
                "\n"
                "Examples:\n"
                "  %1 --port /dev/ttyUSB0 clear 0 -- fill-circle 160 120 50 --color 224\n"
                "  %1 --port sim --screenshot shown.png preview photo.jpg --fit fill\n"
                "  %1 --all font 'DejaVu Sans' 14 --slot 2 -- save 1 splash.png\n"
                "\n"
                "\"%1 COMMAND --help\" tells a command's arguments and options; \"%1 replay\n"
                "TRACE --screenshot FILE.png [--at SECONDS]\" draws a saved trace's screen.")
                .arg(Program);
    return text;
}

QString commandHelp(const QString& command) {
    const CommandSpec* spec = commandNamed(command);
    if (!spec)
        return {};
    QString text =
        QStringLiteral("Usage: %1 [OPTIONS] %2%3%4\n\n")
            .arg(Program, spec->name,
                 spec->synopsis.isEmpty() ? QString() : QLatin1Char(' ') + spec->synopsis,
                 spec->options.isEmpty() ? QString()
                                         : QStringLiteral(" [%1 OPTIONS]").arg(spec->name)) +
        paragraph(spec->summary + QLatin1Char(' ') + spec->details);
    if (!spec->options.isEmpty())
        text += QStringLiteral("\nOptions of %1:\n").arg(spec->name) + optionLines(spec->options);
    text += QStringLiteral("\nThe common options (%1 --help) may be given too.").arg(Program);
    return text;
}

QString versionText() {
    return Program + QLatin1Char(' ') + QCoreApplication::applicationVersion();
}

} // namespace CliArguments
