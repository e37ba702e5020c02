#include "cli/cliarguments.h"

#include "engine/boardgeometry.h"
#include "engine/colorvalue.h"
#include "engine/linesettings.h"

#include <CLI/CLI.hpp>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>

#include <algorithm>
#include <functional>

using namespace Qt::StringLiterals;

bool CliSettings::isSimulatorName(const QString& port) {
    return port.compare("sim"_L1, Qt::CaseInsensitive) == 0 ||
           port.compare("simulator"_L1, Qt::CaseInsensitive) == 0;
}

bool CliSettings::usesSimulator() const {
    return std::any_of(ports.begin(), ports.end(), isSimulatorName);
}

namespace CliArguments {
namespace {

const QString Program = u"lumaret-cli"_s;
const QString Separator = u"--"_s;

// What the board's encodings carry: an X in two bytes (up to the largest 16-bit
// signed value, as the drawing window takes it), every other value in one byte.
constexpr int LargestX = 32767;
constexpr int LargestByte = 255;
constexpr int LargestFontSize = 255;
constexpr int LargestCount = 1000000;
constexpr double LargestSeconds = 24 * 60 * 60;
constexpr quint8 DefaultColor = 255;
// The font test line: "!" to "," in white, without a font number.
constexpr int HelpWidth = 80;
constexpr int HelpIndent = 24;

// A value's check: why the value named so is wrong, or nothing.
using Check = std::function<std::optional<QString>(const QString& name, const QString& text)>;

Check wholeFrom(int minimum, int maximum) {
    return [=](const QString& name, const QString& text) -> std::optional<QString> {
        if (wholeNumber(text, minimum, maximum))
            return std::nullopt;
        return u"%1 must be a whole number from %2 to %3, not \"%4\""_s.arg(name)
            .arg(minimum)
            .arg(maximum)
            .arg(text);
    };
}

// One of the names, as the sentence tells them ("takes answer or poll").
Check oneOf(const QStringList& names, const QString& told) {
    return [=](const QString& name, const QString& text) -> std::optional<QString> {
        if (names.contains(text))
            return std::nullopt;
        return (name.isEmpty() ? told : name + u' ' + told) + u", not \"%1\""_s.arg(text);
    };
}

// Reads a number of seconds (above 0, up to a day) as milliseconds; nothing when wrong.
std::optional<int> milliseconds(const QString& text) {
    bool numeric = false;
    const double value = text.toDouble(&numeric);
    if (!numeric || !(value > 0) || value > LargestSeconds)
        return std::nullopt;
    return std::max(1, int(value * 1000));
}

std::optional<QString> seconds(const QString& name, const QString& text) {
    if (milliseconds(text))
        return std::nullopt;
    return u"%1 takes a number of seconds above 0 and up to %2, not \"%3\""_s.arg(name)
        .arg(LargestSeconds)
        .arg(text);
}

std::optional<QString> colour(const QString& name, const QString& text) {
    if (colorValue(text))
        return std::nullopt;
    return u"%1 takes a colour value from 0 to 255 or #rrggbb, not \"%2\""_s.arg(name, text);
}

std::optional<QString> nonEmpty(const QString& name, const QString& text) {
    return text.trimmed().isEmpty() ? std::optional(name + u" is empty"_s) : std::nullopt;
}

// The board writes the characters with codes 0 to 255; a carriage return ends its text.
std::optional<QString> boardText(const QString& name, const QString& text) {
    for (const char32_t code : text.toUcs4()) {
        if (code > LargestByte)
            return u"the board takes only characters with codes 0 to 255, and \"%1\" is not one "
                   "of them"_s.arg(QString::fromUcs4(&code, 1));
        if (code == char32_t(Commands::TextEnd))
            return name + u" may not hold a carriage return: it would end the text there"_s;
    }
    return std::nullopt;
}

QStringList rateNames() {
    QStringList names;
    for (const int rate : LineSettings::baudRates())
        names.append(QString::number(rate));
    return names;
}

// The board's speeds as a sentence: "9600, 14400, ... 57600 or 115200".
QString rates(const QString& lastJoin) {
    QStringList names = rateNames();
    const QString last = names.takeLast();
    return names.join(", "_L1) + u' ' + lastJoin + u' ' + last;
}

const Check X = wholeFrom(0, LargestX);
const Check Byte = wholeFrom(0, LargestByte);

// A value the command line names: an argument ("X") or an option ("--color", with the
// name of its value, empty for a switch), its check and its help.
struct ValueSpec {
    QString name;
    Check check;
    QString valueName = {};
    QString help = {};
};
using OptionSpec = ValueSpec;

// One command as typed: its name, its arguments and its options with their values.
struct Segment {
    QString command;
    QStringList arguments;
    QMap<QString, QString> options;
};

// A command's values, checked, as its step reads them.
struct Values {
    const Segment& segment;
    QString* wrong;

    bool has(const QString& option) const { return segment.options.contains(option); }
    QString argument(int index) const { return segment.arguments.value(index); }
    int number(int index) const { return argument(index).toInt(); }
    Commands::Point point(int index) const {
        return {quint16(number(index)), quint8(number(index + 1))};
    }
    quint8 color() const {
        return colorValue(segment.options.value(u"--color"_s)).value_or(DefaultColor);
    }
    CliStep refuse(const QString& reason) const {
        *wrong = reason;
        return {};
    }
};

// Makes a command's step from its checked values.
using Builder = std::function<CliStep(const Values&)>;

// A command: its name, its arguments as the usage line shows them, how many it takes
// (-1: any number), the checks of its arguments (the last one checks any further ones),
// its options, its help, how it becomes a step (if it makes one) and what the program
// does with it: Run for a board's command, another action for one that talks to no board.
struct CommandSpec {
    QString name;
    QString synopsis;
    int minimumArguments = 0;
    int maximumArguments = 0;
    QList<ValueSpec> arguments;
    QList<OptionSpec> options;
    QString summary;
    QString details;
    Builder build;
    CliRequest::Action action = CliRequest::Action::Run;
};

CliStep step(CliStep::Kind kind, WriteList writes = {}) {
    CliStep made;
    made.kind = kind;
    made.writes = std::move(writes);
    return made;
}

Builder sends(WriteList (*command)()) {
    return [command](const Values&) { return step(CliStep::Kind::Send, command()); };
}

// Backlight and beep on touch go out with touch reporting off, after a pause.
Builder inTouchPause(WriteList (*command)(bool)) {
    return [command](const Values& values) {
        return step(CliStep::Kind::TouchPause, command(values.argument(0) == "on"_L1));
    };
}

Builder twoCorners(WriteList (*command)(Commands::Point, Commands::Point, quint8)) {
    return [command](const Values& values) {
        return step(CliStep::Kind::Send, command(values.point(0), values.point(2), values.color()));
    };
}

Builder circle(WriteList (*command)(Commands::Point, quint8, quint8)) {
    return [command](const Values& values) {
        return step(CliStep::Kind::Send,
                    command(values.point(0), quint8(values.number(2)), values.color()));
    };
}

Builder picture(CliStep::Kind kind) {
    return [kind](const Values& values) {
        CliStep made = step(kind);
        const int pathIndex = kind == CliStep::Kind::Save ? 1 : 0;
        made.slot = quint8(kind == CliStep::Kind::Save ? values.number(0) : 0);
        made.picture.path = values.argument(pathIndex);
        made.picture.options.fit =
            *pictureFitNamed(values.segment.options.value(u"--fit"_s, u"as-is"_s));
        made.picture.options.dither =
            *pictureDitherNamed(values.segment.options.value(u"--dither"_s, u"none"_s));
        return made;
    };
}

CliStep text(const Values& values) {
    const int font =
        values.has(u"--font"_s) ? values.segment.options.value(u"--font"_s).toInt() : 1;
    const QByteArray characters = values.segment.arguments.join(u' ').toLatin1();
    return step(CliStep::Kind::Send, Commands::writeText(values.color(), quint8(font), characters));
}

CliStep font(const Values& values) {
    CliStep made = step(CliStep::Kind::Font);
    FontSource& font = made.font;
    const bool fromFile = values.has(u"--file"_s);
    const QString size = values.argument(fromFile ? 0 : 1);
    font.file = values.segment.options.value(u"--file"_s);
    font.family = fromFile ? QString() : values.argument(0).trimmed();
    if (values.segment.arguments.size() != (fromFile ? 1 : 2))
        return values.refuse(fromFile ? u"takes SIZE after --file FONT"_s
                                      : u"takes FAMILY and SIZE"_s);
    if (!values.has(u"--slot"_s))
        return values.refuse(u"needs --slot 1 or --slot 2"_s);
    if (const std::optional<QString> wrong =
            fromFile ? nonEmpty(u"--file"_s, font.file) : nonEmpty(u"FAMILY"_s, font.family))
        return values.refuse(*wrong);
    if (const std::optional<QString> wrong = wholeFrom(1, LargestFontSize)(u"SIZE"_s, size))
        return values.refuse(*wrong);
    font.pointSize = size.toInt();
    font.slot = values.segment.options.value(u"--slot"_s).toInt() == 1 ? Commands::FontSlot::Font1
                                                                       : Commands::FontSlot::Font2;
    font.bold = values.has(u"--bold"_s);
    font.italic = values.has(u"--italic"_s);
    return made;
}

CliStep touch(const Values& values) {
    CliStep made = step(CliStep::Kind::Touch);
    made.touch.keypad = values.has(u"--keypad"_s);
    made.touch.count = values.segment.options.value(u"--count"_s).toInt();
    made.touch.milliseconds =
        milliseconds(values.segment.options.value(u"--seconds"_s)).value_or(0);
    return made;
}

CliStep fontTest(const Values&) {
    return step(CliStep::Kind::Send, Commands::fontTestLine());
}

const OptionSpec ColorOption{
    u"--color"_s, colour, u"N"_s,
    u"The colour: 0..255, or #rrggbb reduced to the board's colours (default 255, white)."_s};
const QList<ValueSpec> Corners{{u"X0"_s, X}, {u"Y0"_s, Byte}, {u"X1"_s, X}, {u"Y1"_s, Byte}};
const QList<ValueSpec> Round{{u"X"_s, X}, {u"Y"_s, Byte}, {u"R"_s, Byte}};
const QString DrawingNote =
    u"An X is 0..32767, a Y and a radius 0..255 (the screen shows X 0..319 and Y 0..239)."_s;
const QString TouchPauseNote = u"Touch reporting is switched off first and the board gets "_s;
const QString PictureNote = u"The picture is read and reduced to the board's colours as the "
                            "graphic window does, then sent "_s;

// Every command, in the order the help lists them. A command joins with one call here
// (and its builder, if it needs more than a line).
QList<CommandSpec> makeCommands() {
    using Kind = CliStep::Kind;
    const ValueSpec slot{u"SLOT"_s, wholeFrom(1, BoardGeometry::PictureSlots)};
    const ValueSpec image{u"IMAGE"_s, nonEmpty};
    const ValueSpec onOff{QString(), oneOf({u"on"_s, u"off"_s}, u"takes on or off"_s)};
    const QString slotNote = u"SLOT is 1..%1."_s.arg(BoardGeometry::PictureSlots);
    const QList<OptionSpec> pictureOptions{
        {u"--fit"_s, oneOf(pictureFitNames(), u"takes "_s + pictureFitNames().join(", "_L1)),
         u"HOW"_s,
         u"How the picture is sized onto the 320 x 240 screen: as-is (natural size from the "
         "top-left corner, the default), fit, fill or stretch."_s},
        {u"--dither"_s,
         oneOf(pictureDitherNames(), u"takes "_s + pictureDitherNames().join(", "_L1)), u"HOW"_s,
         u"How its colours are brought to the board's 256: none (the default), diffusion or "
         "ordered."_s}};
    QList<CommandSpec> table;
    const auto add = [&table](const QString& name, const QString& synopsis, int minimum,
                              int maximum, const QString& summary, const QString& details,
                              const Builder& build, const QList<ValueSpec>& arguments = {},
                              const QList<OptionSpec>& options = {},
                              CliRequest::Action action = CliRequest::Action::Run) {
        table.append({name, synopsis, minimum, maximum, arguments, options, summary, details, build,
                      action});
    };
    add(u"ports"_s, QString(), 0, 0, u"List the ports a board can be reached on."_s,
        u"One port per line, as --port takes it: the serial ports of this system, then those "
        "named in LUMARET_PORTS (separated like PATH), then the built-in simulator, marked as "
        "such. A port this user may not open is marked; doctor tells why."_s,
        nullptr, {}, {}, CliRequest::Action::ListPorts);
    add(u"doctor"_s, u"[PORT]"_s, 0, 1,
        u"Tell whether each port (or PORT) can be opened, and why not."_s,
        u"For every serial port, or the one named: the device, its USB vendor, product and "
        "serial number where known, whether this user may open it and who holds it; then the "
        "programs known to take USB serial adapters away. The exit status is 0 when every port "
        "examined can be opened, 2 otherwise."_s,
        nullptr, {}, {}, CliRequest::Action::Doctor);
    add(u"identify"_s, QString(), 0, 0, u"Print the board's answer to the identification."_s,
        u"Opens the port, sends the identification and prints what the board answered. The "
        "exit status is 0 when the answer held \"100\" within 1.5 s, 2 otherwise."_s,
        [](const Values&) { return step(Kind::Identify); });
    add(u"baud"_s, u"RATE"_s, 1, 1, u"Switch the board to another speed and reconnect at it."_s,
        u"RATE is one of %1. The board takes the new speed after about 2.8 s (jumper 1 of J11 "
        "removed); the commands that follow run at the new speed. Connect at that speed with "
        "--baud RATE in later calls."_s.arg(rates(u"and"_s)),
        [](const Values& values) {
            CliStep made = step(Kind::BaudRate);
            made.rateIndex = int(rateNames().indexOf(values.argument(0)));
            return made;
        },
        {{u"RATE"_s, oneOf(rateNames(), u"must be "_s + rates(u"or"_s))}});
    add(u"clear"_s, u"[COLOUR]"_s, 0, 1, u"Fill the screen with a colour."_s,
        u"COLOUR is 0..255 or #rrggbb (default 255, white)."_s,
        [](const Values& values) {
            const quint8 color = colorValue(values.argument(0)).value_or(DefaultColor);
            return step(Kind::Send, Commands::clearScreen(color));
        },
        {{u"COLOUR"_s, colour}});
    add(u"rotate"_s, QString(), 0, 0, u"Turn the screen by 180 degrees."_s,
        u"Each call turns the picture further by 180 degrees."_s, sends(Commands::rotateScreen));
    add(u"backlight"_s, u"on|off"_s, 1, 1, u"Switch the backlight on or off."_s,
        TouchPauseNote + u"a quarter of a second before the backlight command."_s,
        inTouchPause(Commands::setBacklight), {onOff});
    add(u"beep"_s, QString(), 0, 0, u"Sound the beeper."_s, u"The board beeps once."_s,
        sends(Commands::beep));
    add(u"beep-on-touch"_s, u"on|off"_s, 1, 1, u"Let the board beep at each touch, or not."_s,
        TouchPauseNote + u"half a second before the command."_s,
        inTouchPause(Commands::setBeepOnTouch), {onOff});
    add(u"calibrate"_s, QString(), 0, 0, u"Start the touch screen's calibration."_s,
        u"The board shows the points to touch; its end is not awaited."_s,
        sends(Commands::touchCalibrate));
    add(u"restore-calibration"_s, QString(), 0, 0,
        u"Return to the board's default touch calibration."_s,
        u"The board forgets the calibration made with calibrate."_s,
        sends(Commands::restoreCalibration));
    add(u"pixel"_s, u"X Y"_s, 2, 2, u"Set one pixel."_s, DrawingNote,
        [](const Values& values) {
            return step(Kind::Send, Commands::drawPixel(values.point(0), values.color()));
        },
        {{u"X"_s, X}, {u"Y"_s, Byte}}, {ColorOption});
    add(u"line"_s, u"X0 Y0 X1 Y1"_s, 4, 4, u"Draw a line."_s, DrawingNote,
        twoCorners(Commands::drawLine), Corners, {ColorOption});
    add(u"rect"_s, u"X0 Y0 X1 Y1"_s, 4, 4,
        u"Draw the outline of a rectangle between two corners."_s, DrawingNote,
        twoCorners(Commands::drawRectangle), Corners, {ColorOption});
    add(u"fill-rect"_s, u"X0 Y0 X1 Y1"_s, 4, 4, u"Fill a rectangle between two corners."_s,
        DrawingNote, twoCorners(Commands::fillRectangle), Corners, {ColorOption});
    add(u"circle"_s, u"X Y R"_s, 3, 3, u"Draw a circle around (X, Y) with radius R."_s, DrawingNote,
        circle(Commands::drawCircle), Round, {ColorOption});
    add(u"fill-circle"_s, u"X Y R"_s, 3, 3, u"Fill a circle around (X, Y) with radius R."_s,
        DrawingNote, circle(Commands::fillCircle), Round, {ColorOption});
    add(u"cursor"_s, u"X Y"_s, 2, 2, u"Place the text cursor: where the next text begins."_s,
        u"X is 0..32767, Y 0..255."_s,
        [](const Values& values) {
            return step(Kind::Send, Commands::setTextCursor(values.point(0)));
        },
        {{u"X"_s, X}, {u"Y"_s, Byte}});
    add(u"text"_s, u"TEXT..."_s, 1, -1, u"Write text at the text cursor."_s,
        u"Several arguments are joined with blanks. Characters go to the board as their codes "
        "(0..255), as the text window sends typed keys, and a carriage return ends the text."_s,
        text, {{u"TEXT"_s, boardText}},
        {{u"--font"_s, wholeFrom(1, BoardGeometry::FontSlots), u"1|2"_s,
          u"The board's font to write in (default 1)."_s},
         ColorOption});
    add(u"preview"_s, u"IMAGE"_s, 1, 1, u"Show a picture file on the screen."_s,
        PictureNote + u"row by row; the board answers each row."_s, picture(Kind::Preview), {image},
        pictureOptions);
    add(u"save"_s, u"SLOT IMAGE"_s, 2, 2,
        u"Store a picture file in one of the board's picture slots."_s,
        slotNote + u" The picture is read and reduced as the graphic window does, then sent in "
                   "300 blocks of 256 pixels; the board answers each."_s,
        picture(Kind::Save), {slot, image}, pictureOptions);
    add(u"load"_s, u"SLOT"_s, 1, 1, u"Show the picture stored in a slot."_s, slotNote,
        [](const Values& values) {
            return step(Kind::Send, Commands::showScreenPicture(quint8(values.number(0))));
        },
        {slot});
    add(u"font"_s, u"FAMILY SIZE | --file FONT SIZE"_s, 1, 2,
        u"Capture a desktop font and load it into a font slot."_s,
        u"SIZE is in points, 1..255. The characters ! to ~ are captured and sent as the font "
        "window does. A font the board cannot take (a character without ink, or larger than "
        "255 pixels) is refused before anything is sent."_s,
        font, {},
        {{u"--slot"_s, wholeFrom(1, BoardGeometry::FontSlots), u"1|2"_s,
          u"The board's font slot to load (required)."_s},
         {u"--file"_s, nullptr, u"FONT"_s,
          u"Take the font from this file (TrueType or OpenType) instead of an installed "
          "family."_s},
         {u"--bold"_s, nullptr, {}, u"The bold face."_s},
         {u"--italic"_s, nullptr, {}, u"The italic face."_s}});
    add(u"font-test"_s, QString(), 0, 0, u"Write the font test line."_s,
        u"Writes the characters ! to , in white at the text cursor, in the font the board uses "
        "for text without a font number."_s,
        fontTest);
    add(u"touch"_s, QString(), 0, 0, u"Print the touch screen's reports as they come."_s,
        u"Switches touch reporting on, prints each touch as \"X Y\" (or each keypad report as "
        "it came) on a line of its own, and switches it off again after --count reports, "
        "after --seconds, or at Ctrl-C."_s,
        touch, {},
        {{u"--keypad"_s,
          nullptr,
          {},
          u"Keypad reports instead of coordinates, printed as they come."_s},
         {u"--count"_s, wholeFrom(1, LargestCount), u"N"_s, u"Stop after N reports."_s},
         {u"--seconds"_s, seconds, u"S"_s, u"Stop after S seconds."_s}});
    // Board projects (the project command checks the rest).
    const Builder project = [](const Values& values) {
        CliStep made = step(Kind::Project);
        made.project = {values.segment.command, values.argument(0), values.segment.options};
        return made;
    };
    const ValueSpec projectFile{u"PROJECT"_s, nonEmpty};
    add(u"check"_s, u"PROJECT"_s, 1, 1, u"Check a board project and print what it sends."_s,
        u"Reads the project file, its pictures and fonts without a board and prints each step "
        "with its bytes and its time at the project's speed, paced by the answers and by the "
        "poll."_s,
        project, {projectFile});
    add(u"render"_s, u"PROJECT"_s, 1, 1, u"Write what a board project shows, as PNG files."_s,
        u"On the simulator, without a board: slot-01.png ... for each picture, font-1.png and "
        "font-2.png for the fonts and start.png for the screen at the end."_s,
        project, {projectFile},
        {{u"--out"_s, nonEmpty, u"DIR"_s, u"The folder for the pictures (required)."_s}});
    add(u"provision"_s, u"PROJECT"_s, 1, 1, u"Program a board project onto every board named."_s,
        u"The fonts, then the pictures into their slots, then the start screen, at the "
        "project's speed, on all boards at once; a board that fails leaves the others going."_s,
        project, {projectFile},
        {{u"--only"_s, nonEmpty, u"PARTS"_s, u"Send only these of fonts, pictures and start."_s},
         {u"--report"_s, nonEmpty, u"FILE"_s,
          u"Write each board's steps to FILE (.csv or .json)."_s}});
    return table;
}

const QList<CommandSpec>& commands() {
    static const QList<CommandSpec> table = makeCommands();
    return table;
}

const CommandSpec* commandNamed(const QString& name) {
    const auto found = std::find_if(commands().begin(), commands().end(),
                                    [&](const CommandSpec& spec) { return spec.name == name; });
    return found == commands().end() ? nullptr : &*found;
}

// The options that hold for every command of a call, given anywhere on the line.
const QList<OptionSpec>& commonOptions() {
    static const QList<OptionSpec> options{
        {u"--port"_s, nullptr, u"NAME"_s,
         u"The board's port (default: the first serial port of \"ports\"); sim or simulator is "
         "the built-in simulator. Give it more than once to run the same commands on several "
         "boards at once."_s},
        {u"--all"_s,
         nullptr,
         {},
         u"Every serial port of \"ports\" (the simulator aside), at once."_s},
        {u"--baud"_s, oneOf(rateNames(), u"takes "_s + rates(u"or"_s)), u"N"_s,
         u"The line's speed: %1 (default)."_s.arg(rates(u"or"_s))},
        {u"--pace"_s, oneOf({u"answer"_s, u"poll"_s}, u"takes answer or poll"_s), u"answer|poll"_s,
         u"Uploads send their next block the moment the board answers (answer, the default) or "
         "when the 50 to 250 ms receive poll sees the answer (poll, as the program's windows "
         "do)."_s},
        {u"--timeout"_s, seconds, u"SECONDS"_s,
         u"How long to wait for each answer of the board during uploads (default 5). The "
         "identification always has 1.5 s."_s},
        {u"--quiet"_s,
         nullptr,
         {},
         u"No progress, notes or table; errors and asked-for output only."_s},
        {u"--trace"_s,
         nullptr,
         {},
         u"Every write and answer on the line, decoded, on the error output (the Monitor "
         "window's lines)."_s},
        {u"--screenshot"_s, nullptr, u"FILE.png"_s,
         u"Save the board's screen after the commands (the default port is then the "
         "simulator). A real board's screen is its mirror: what the commands drew, the rest "
         "transparent."_s},
        {u"--help"_s, nullptr, {}, u"This help; after a command, its help."_s},
        {u"--version"_s, nullptr, {}, u"The program's version."_s},
    };
    return options;
}

// Why one of the values is wrong against its checks, or nothing.
std::optional<QString> checked(const QList<ValueSpec>& specs, const QStringList& arguments) {
    for (qsizetype i = 0; i < arguments.size() && !specs.isEmpty(); ++i) {
        const ValueSpec& spec = specs.at(std::min(i, specs.size() - 1));
        if (const std::optional<QString> wrong = spec.check(spec.name, arguments.at(i)))
            return wrong;
    }
    return std::nullopt;
}

std::optional<QString> checked(const QList<OptionSpec>& specs,
                               const QMap<QString, QString>& options) {
    for (const OptionSpec& spec : specs) {
        if (spec.check && options.contains(spec.name)) {
            if (const std::optional<QString> wrong = spec.check(spec.name, options[spec.name]))
                return wrong;
        }
    }
    return std::nullopt;
}

const OptionSpec* findOption(const QList<OptionSpec>& options, const QString& name) {
    const auto found = std::find_if(options.begin(), options.end(),
                                    [&](const OptionSpec& option) { return option.name == name; });
    return found == options.end() ? nullptr : &*found;
}

// The text in lines of at most HelpWidth characters, the first after head, the others
// indented to line up with it.
QString wrapped(const QString& head, const QString& text, int indent = HelpIndent) {
    QString result = head.leftJustified(indent);
    if (indent > 0 && head.size() >= indent)
        result += u'\n' + QString(indent, u' ');
    qsizetype column = indent;
    bool lineStart = true;
    for (const QString& word : text.split(u' ', Qt::SkipEmptyParts)) {
        if (!lineStart && column + 1 + word.size() > HelpWidth) {
            result += u'\n' + QString(indent, u' ');
            column = indent;
            lineStart = true;
        }
        if (!lineStart) {
            result += u' ';
            ++column;
        }
        result += word;
        column += word.size();
        lineStart = false;
    }
    return result + u'\n';
}

QString optionLines(const QList<OptionSpec>& options) {
    QString text;
    for (const OptionSpec& option : options)
        text += wrapped(u"  "_s + option.name +
                            (option.valueName.isEmpty() ? QString() : u' ' + option.valueName),
                        option.help);
    return text;
}

bool looksLikeOption(const QString& token) {
    // "-5" is a value (refused later as below 0), not an option.
    static const QRegularExpression option(u"^-[^0-9]"_s);
    return option.match(token).hasMatch();
}

// The common options as they were given; a later one of the same name is refused.
struct CommonValues {
    QMap<QString, QString> values;
    QStringList ports;
    bool help = false;
    bool version = false;
};

CliRequest answer(CliRequest::Action action, const QString& text) {
    CliRequest request;
    request.action = action;
    request.text = text;
    return request;
}

CliRequest refuse(const QString& reason) {
    return answer(CliRequest::Action::Refuse, reason);
}

void addOptions(CLI::App& app, const QList<OptionSpec>& options) {
    for (const OptionSpec& option : options) {
        const std::string name =
            option.name == "--help"_L1 ? "-h,--help" : option.name.toStdString();
        if (option.valueName.isEmpty())
            app.add_flag(name);
        else
            app.add_option(name, CLI::callback_t{}, std::string())
                ->expected(1)
                ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    }
}

// The options of one command line part (or of the part before its command) into the
// segment and the common values; why they are wrong, or nothing.
std::optional<QString> takeOptions(const CLI::App& app, Segment& segment, CommonValues& given) {
    for (const CLI::Option* option : app.get_options()) {
        const QString name = QString::fromStdString(option->get_name());
        const bool common = findOption(commonOptions(), name) != nullptr;
        const bool isSwitch = option->get_expected_min() == 0;
        for (const std::string& value : option->results()) {
            if (isSwitch && value != "true")
                return u"%1 takes no value"_s.arg(name);
            if (name == "--help"_L1)
                given.help = true;
            else if (name == "--version"_L1)
                given.version = true;
            else if (name == "--port"_L1)
                given.ports.append(QString::fromStdString(value));
            else if (common ? given.values.contains(name) : segment.options.contains(name))
                return common ? u"%1 is given twice"_s.arg(name)
                              : u"%1: %2 is given twice"_s.arg(segment.command, name);
            else
                (common ? given.values : segment.options)
                    .insert(name, QString::fromStdString(value));
        }
    }
    return std::nullopt;
}

// One part of the command line between "--": its command, arguments and options. Sets
// segment.command to "help" for "help [COMMAND]", with the command as its argument.
std::optional<QString> readSegment(const QStringList& tokens, Segment& segment,
                                   CommonValues& given) {
    CLI::App app{std::string(), Program.toStdString()};
    app.set_help_flag();
    app.allow_extras();
    // After the command every word is its argument, even a command's name.
    app.require_subcommand(0, 1);
    addOptions(app, commonOptions());
    for (const CommandSpec& spec : commands()) {
        CLI::App* command = app.add_subcommand(spec.name.toStdString());
        command->set_help_flag();
        command->allow_extras();
        addOptions(*command, commonOptions());
        addOptions(*command, spec.options);
    }
    std::vector<std::string> reversed;
    for (auto token = tokens.rbegin(); token != tokens.rend(); ++token)
        reversed.push_back(token->toStdString());
    try {
        app.parse(reversed);
    } catch (const CLI::ArgumentMismatch& error) {
        // The one way a known option fails here: the line ends before its value.
        const QString name = QString::fromStdString(error.what()).section(u':', 0, 0);
        const CommandSpec* spec =
            app.get_subcommands().empty()
                ? nullptr
                : commandNamed(QString::fromStdString(app.get_subcommands().front()->get_name()));
        const OptionSpec* option = findOption(commonOptions(), name);
        if (!option && spec)
            option = findOption(spec->options, name);
        return u"%1 needs a value (%2)"_s.arg(name, option ? option->valueName : QString());
    }
    const std::vector<std::string> before = app.remaining();
    if (!before.empty()) {
        const QString first = QString::fromStdString(before.front());
        if (looksLikeOption(first))
            return u"unknown option %1"_s.arg(first.section(u'=', 0, 0));
        if (first != "help"_L1)
            return u"unknown command \"%1\" (%2 --help lists them)"_s.arg(first, Program);
        given.help = true;
        segment.command = first;
        const QString asked = before.size() > 1 ? QString::fromStdString(before[1])
                              : app.get_subcommands().empty()
                                  ? QString()
                                  : QString::fromStdString(app.get_subcommands()[0]->get_name());
        if (!asked.isEmpty() && !commandNamed(asked))
            return u"unknown command \"%1\""_s.arg(asked);
        segment.arguments = {asked};
        return std::nullopt;
    }
    if (const std::optional<QString> wrong = takeOptions(app, segment, given))
        return wrong;
    if (app.get_subcommands().empty())
        return std::nullopt;
    const CLI::App& command = *app.get_subcommands().front();
    segment.command = QString::fromStdString(command.get_name());
    for (const std::string& word : command.remaining()) {
        const QString token = QString::fromStdString(word);
        if (looksLikeOption(token))
            return u"%1 has no option %2"_s.arg(segment.command, token.section(u'=', 0, 0));
        segment.arguments.append(token);
    }
    return takeOptions(command, segment, given);
}

std::optional<QString> applyCommonOptions(const CommonValues& given, CliSettings& settings) {
    if (const std::optional<QString> wrong = checked(commonOptions(), given.values))
        return wrong;
    const auto value = [&](const char* name) { return given.values.value(QLatin1String(name)); };
    const auto isSet = [&](const char* name) { return given.values.contains(QLatin1String(name)); };
    settings.ports = given.ports;
    settings.allPorts = isSet("--all");
    settings.quiet = isSet("--quiet");
    settings.trace = isSet("--trace");
    settings.screenshotFile = value("--screenshot");
    if (isSet("--baud"))
        settings.baudRate = value("--baud").toInt();
    if (value("--pace") == "poll"_L1)
        settings.pacing = Pacing::Poll;
    settings.timeoutMs = milliseconds(value("--timeout")).value_or(settings.timeoutMs);
    if (settings.allPorts && !settings.ports.isEmpty())
        return u"--all and --port exclude each other"_s;
    QStringList seen;
    for (const QString& port : std::as_const(settings.ports)) {
        if (port.isEmpty())
            return u"--port is empty"_s;
        const QString key = CliSettings::isSimulatorName(port) ? u"sim"_s : port;
        if (seen.contains(key))
            return u"--port %1 is given twice"_s.arg(port);
        seen.append(key);
    }
    if (settings.screenshotFile.isEmpty())
        return std::nullopt;
    if (settings.ports.isEmpty() && !settings.allPorts)
        settings.ports.append(u"sim"_s);
    if (settings.allPorts || settings.ports.size() > 1)
        return u"--screenshot writes one board's screen: name one --port"_s;
    if (!settings.screenshotFile.endsWith(".png"_L1, Qt::CaseInsensitive))
        return u"--screenshot writes a PNG file: its name ends in .png"_s;
    const QFileInfo file(settings.screenshotFile);
    if (!file.absoluteDir().exists())
        return u"--screenshot: there is no folder %1"_s.arg(
            QDir::toNativeSeparators(file.absolutePath()));
    return std::nullopt;
}

// The steps of the checked segments, or why one of them is wrong.
CliRequest run(const QList<Segment>& segments, const CommonValues& given) {
    CliRequest request;
    request.action = CliRequest::Action::Run;
    if (const std::optional<QString> wrong = applyCommonOptions(given, request.settings))
        return refuse(*wrong);
    for (const Segment& segment : segments) {
        const CommandSpec& spec = *commandNamed(segment.command);
        const auto count = int(segment.arguments.size());
        if (count < spec.minimumArguments ||
            (spec.maximumArguments >= 0 && count > spec.maximumArguments)) {
            const QString usage = spec.synopsis.isEmpty() ? u"takes no arguments"_s
                                                          : u"takes %1"_s.arg(spec.synopsis);
            return refuse(u"%1 %2, not %3 argument%4"_s.arg(spec.name, usage)
                              .arg(count)
                              .arg(count == 1 ? QString() : u"s"_s));
        }
        if (spec.action != CliRequest::Action::Run) {
            if (segments.size() > 1)
                return refuse(u"%1 talks to no board: run it on its own"_s.arg(spec.name));
            if (!request.settings.ports.isEmpty() || request.settings.allPorts)
                return refuse(u"%1 takes no --port or --all"_s.arg(spec.name));
            request.action = spec.action;
            request.text = segment.arguments.value(0);
        }
        QString reason;
        if (const std::optional<QString> wrong = checked(spec.arguments, segment.arguments))
            reason = *wrong;
        else if (const std::optional<QString> wrongOption = checked(spec.options, segment.options))
            reason = *wrongOption;
        CliStep made =
            reason.isEmpty() && spec.build ? spec.build(Values{segment, &reason}) : CliStep();
        if (!reason.isEmpty())
            return refuse(spec.name + u": "_s + reason);
        made.command = spec.name;
        if (spec.build)
            request.steps.append(std::move(made));
    }
    return request;
}

} // namespace

std::optional<int> wholeNumber(const QString& text, int minimum, int maximum) {
    static const QRegularExpression number(u"^[+-]?[0-9]{1,10}$"_s);
    if (!number.match(text).hasMatch())
        return std::nullopt;
    const qint64 value = text.toLongLong();
    if (value < minimum || value > maximum)
        return std::nullopt;
    return int(value);
}

std::optional<quint8> colorValue(const QString& text) {
    static const QRegularExpression rgb(u"^#([0-9a-fA-F]{6})$"_s);
    if (const QRegularExpressionMatch match = rgb.match(text); match.hasMatch())
        return ColorValue::reduce(0xFF000000u | match.captured(1).toUInt(nullptr, 16));
    const std::optional<int> value = wholeNumber(text, 0, LargestByte);
    return value ? std::optional<quint8>(quint8(*value)) : std::nullopt;
}

CliRequest parse(const QStringList& arguments) {
    QList<QStringList> parts{{}};
    for (const QString& token : arguments) {
        if (token == Separator)
            parts.append(QStringList());
        else
            parts.last().append(token);
    }
    CommonValues given;
    QList<Segment> segments;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        Segment segment;
        if (const std::optional<QString> wrong = readSegment(parts.at(i), segment, given))
            return refuse(*wrong);
        if (segment.command == "help"_L1) {
            segments.append({segment.arguments.value(0), {}, {}});
            break;
        }
        if (segment.command.isEmpty() && i + 1 < parts.size())
            return refuse(u"a command must come before \"--\""_s);
        segments.append(segment);
    }
    if (given.help) {
        for (const Segment& segment : std::as_const(segments)) {
            if (!segment.command.isEmpty())
                return answer(CliRequest::Action::ShowText, commandHelp(segment.command));
        }
        return answer(CliRequest::Action::ShowText, programHelp());
    }
    if (given.version)
        return answer(CliRequest::Action::ShowText, versionText());
    if (segments.size() == 1 && segments.first().command.isEmpty())
        return refuse(u"no command given (%1 --help lists them)"_s.arg(Program));
    if (segments.last().command.isEmpty())
        return refuse(u"a command must follow \"--\""_s);
    return run(segments, given);
}

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
    for (const CommandSpec& spec : commands())
        text += wrapped(u"  "_s + spec.name +
                            (spec.synopsis.isEmpty() ? QString() : u' ' + spec.synopsis),
                        spec.summary);
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
           "\"%1 COMMAND --help\" tells a command's arguments and options; \"%1 replay\n"
           "TRACE --screenshot FILE.png [--at SECONDS]\" draws a saved trace's screen."_s.arg(
               Program);
}

QString commandHelp(const QString& command) {
    const CommandSpec* spec = commandNamed(command);
    if (!spec)
        return {};
    QString text =
        u"Usage: %1 [OPTIONS] %2%3%4\n\n"_s.arg(
            Program, spec->name, spec->synopsis.isEmpty() ? QString() : u' ' + spec->synopsis,
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
