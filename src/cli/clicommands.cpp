#include "cli/clicommands.h"

#include "engine/boardgeometry.h"
#include "engine/colorvalue.h"
#include "engine/linesettings.h"

#include <QRegularExpression>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace CliCommands {
namespace {

// What the board's encodings carry: an X in two bytes (up to the largest 16-bit
// signed value, as the drawing window takes it), every other value in one byte.
constexpr int LargestX = 32767;
constexpr int LargestByte = 255;
constexpr int LargestFontSize = 255;
constexpr int LargestCount = 1000000;
constexpr double LargestSeconds = 24 * 60 * 60;
constexpr quint8 DefaultColor = 255;

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

} // namespace

struct Values {
    const Segment& segment;
    QString* wrong;

    bool has(const QString& option) const { return segment.options.contains(option); }
    QString option(const QString& name, const QString& fallback = {}) const {
        return segment.options.value(name, fallback);
    }
    QString argument(int index) const { return segment.arguments.value(index); }
    int number(int index) const { return argument(index).toInt(); }
    Commands::Point point(int index) const {
        return {quint16(number(index)), quint8(number(index + 1))};
    }
    quint8 color() const { return colorValue(option(u"--color"_s)).value_or(DefaultColor); }
    CliStep refuse(const QString& reason) const {
        *wrong = reason;
        return {};
    }
};

namespace {

// A check that refuses a value failing the test with the sentence (the value in its one
// place marker left), after the value's name where it has one.
Check takes(const std::function<bool(const QString&)>& test, const QString& sentence) {
    return [=](const QString& name, const QString& text) -> std::optional<QString> {
        if (test(text))
            return std::nullopt;
        return (name.isEmpty() ? QString() : name + u' ') + sentence.arg(text);
    };
}

Check wholeFrom(int minimum, int maximum) {
    return takes(
        [=](const QString& text) { return wholeNumber(text, minimum, maximum).has_value(); },
        u"must be a whole number from %1 to %2, not \"%3\""_s.arg(minimum).arg(maximum));
}

// One of the names, as the sentence tells them ("takes answer or poll").
Check oneOf(const QStringList& names, const QString& told) {
    return takes([=](const QString& text) { return names.contains(text); },
                 told + u", not \"%1\""_s);
}

const Check Seconds =
    takes([](const QString& text) { return milliseconds(text).has_value(); },
          u"takes a number of seconds above 0 and up to %1, not \"%2\""_s.arg(LargestSeconds));
const Check Colour = takes([](const QString& text) { return colorValue(text).has_value(); },
                           u"takes a colour value from 0 to 255 or #rrggbb, not \"%1\""_s);
const Check X = wholeFrom(0, LargestX);
const Check Byte = wholeFrom(0, LargestByte);

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

// An argument's name in messages: "COLOUR" for "[COLOUR]", "TEXT" for "TEXT..."; none for
// words typed as they are shown ("on|off").
QString plainName(const QString& shown) {
    QString name = shown;
    name.remove(u'[').remove(u']').remove("..."_L1);
    return name == name.toLower() ? QString() : name;
}

// The last argument's check holds for any further ones.
std::optional<QString> checked(const QList<ValueSpec>& specs, const QStringList& arguments) {
    for (qsizetype i = 0; i < arguments.size() && !specs.isEmpty(); ++i) {
        const ValueSpec& spec = specs.at(std::min(i, specs.size() - 1));
        if (spec.check) {
            if (std::optional<QString> wrong = spec.check(plainName(spec.name), arguments.at(i)))
                return wrong;
        }
    }
    return std::nullopt;
}

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
        const bool save = kind == CliStep::Kind::Save;
        made.slot = quint8(save ? values.number(0) : 0);
        made.picture.path = values.argument(save ? 1 : 0);
        made.picture.options.fit = *pictureFitNamed(values.option(u"--fit"_s, u"as-is"_s));
        made.picture.options.dither = *pictureDitherNamed(values.option(u"--dither"_s, u"none"_s));
        return made;
    };
}

CliStep text(const Values& values) {
    const QByteArray characters = values.segment.arguments.join(u' ').toLatin1();
    return step(CliStep::Kind::Send,
                Commands::writeText(values.color(),
                                    quint8(values.option(u"--font"_s, u"1"_s).toInt()),
                                    characters));
}

CliStep font(const Values& values) {
    CliStep made = step(CliStep::Kind::Font);
    FontSource& font = made.font;
    const bool fromFile = values.has(u"--file"_s);
    const QString size = values.argument(fromFile ? 0 : 1);
    font.file = values.option(u"--file"_s);
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
    font.slot = values.option(u"--slot"_s).toInt() == 1 ? Commands::FontSlot::Font1
                                                        : Commands::FontSlot::Font2;
    font.bold = values.has(u"--bold"_s);
    font.italic = values.has(u"--italic"_s);
    return made;
}

CliStep touch(const Values& values) {
    CliStep made = step(CliStep::Kind::Touch);
    made.touch.keypad = values.has(u"--keypad"_s);
    made.touch.count = values.option(u"--count"_s).toInt();
    made.touch.milliseconds = milliseconds(values.option(u"--seconds"_s)).value_or(0);
    return made;
}

// Board projects (the project command checks the rest).
CliStep project(const Values& values) {
    CliStep made = step(CliStep::Kind::Project);
    made.project = {values.segment.command, values.argument(0), values.segment.options};
    return made;
}

QList<CommandSpec> makeCommands() {
    using Kind = CliStep::Kind;
    using Action = CliRequest::Action;
    const ValueSpec colorOption{
        u"--color"_s, Colour, u"N"_s,
        u"The colour: 0..255, or #rrggbb reduced to the board's colours (default 255, white)."_s};
    const QList<ValueSpec> corners{{u"X0"_s, X}, {u"Y0"_s, Byte}, {u"X1"_s, X}, {u"Y1"_s, Byte}};
    const QList<ValueSpec> round{{u"X"_s, X}, {u"Y"_s, Byte}, {u"R"_s, Byte}};
    const QList<ValueSpec> place{{u"X"_s, X}, {u"Y"_s, Byte}};
    const QString drawingNote =
        u"An X is 0..32767, a Y and a radius 0..255 (the screen shows X 0..319 and Y 0..239)."_s;
    const QString touchPauseNote = u"Touch reporting is switched off first and the board gets "_s;
    const ValueSpec onOff{u"on|off"_s, oneOf({u"on"_s, u"off"_s}, u"takes on or off"_s)};
    const ValueSpec slot{u"SLOT"_s, wholeFrom(1, BoardGeometry::PictureSlots)};
    const ValueSpec image{u"IMAGE"_s, nonEmpty};
    const QString slotNote = u"SLOT is 1..%1."_s.arg(BoardGeometry::PictureSlots);
    const QList<ValueSpec> pictureOptions{
        {u"--fit"_s, oneOf(pictureFitNames(), u"takes "_s + pictureFitNames().join(", "_L1)),
         u"HOW"_s,
         u"How the picture is sized onto the 320 x 240 screen: as-is (natural size from the "
         "top-left corner, the default), fit, fill or stretch."_s},
        {u"--dither"_s,
         oneOf(pictureDitherNames(), u"takes "_s + pictureDitherNames().join(", "_L1)), u"HOW"_s,
         u"How its colours are brought to the board's 256: none (the default), diffusion or "
         "ordered."_s}};
    const QList<ValueSpec> projectFile{{u"PROJECT"_s, nonEmpty}};
    const Check fontSlot = wholeFrom(1, BoardGeometry::FontSlots);
    QList<CommandSpec> table;
    const auto add = [&table](const QString& name, const QList<ValueSpec>& arguments,
                              const QList<ValueSpec>& options, const QString& summary,
                              const QString& details, const Builder& build,
                              Action action = Action::Run, const QString& shown = {}) {
        table.append({name, arguments, options, summary, details, build, action, shown});
    };
    add(u"ports"_s, {}, {}, u"List the ports a board can be reached on."_s,
        u"One port per line, as --port takes it: the serial ports of this system, then those "
        "named in LUMARET_PORTS (separated like PATH), then the built-in simulator, marked as "
        "such. A port this user may not open is marked; doctor tells why."_s,
        nullptr, Action::ListPorts);
    add(u"doctor"_s, {{u"[PORT]"_s}}, {},
        u"Tell whether each port (or PORT) can be opened, and why not."_s,
        u"For every serial port, or the one named: the device, its USB vendor, product and "
        "serial number where known, whether this user may open it and who holds it; then the "
        "programs known to take USB serial adapters away. The exit status is 0 when every port "
        "examined can be opened, 2 otherwise."_s,
        nullptr, Action::Doctor);
    add(u"identify"_s, {}, {}, u"Print the board's answer to the identification."_s,
        u"Opens the port, sends the identification and prints what the board answered. The "
        "exit status is 0 when the answer held \"100\" within 1.5 s, 2 otherwise."_s,
        [](const Values&) { return step(Kind::Identify); });
    add(u"baud"_s, {{u"RATE"_s, oneOf(rateNames(), u"must be "_s + rates(u"or"_s))}}, {},
        u"Switch the board to another speed and reconnect at it."_s,
        u"RATE is one of %1. The board takes the new speed after about 2.8 s (jumper 1 of J11 "
        "removed); the commands that follow run at the new speed. Connect at that speed with "
        "--baud RATE in later calls."_s.arg(rates(u"and"_s)),
        [](const Values& values) {
            CliStep made = step(Kind::BaudRate);
            made.rateIndex = int(rateNames().indexOf(values.argument(0)));
            return made;
        });
    add(u"clear"_s, {{u"[COLOUR]"_s, Colour}}, {}, u"Fill the screen with a colour."_s,
        u"COLOUR is 0..255 or #rrggbb (default 255, white)."_s, [](const Values& values) {
            const quint8 color = colorValue(values.argument(0)).value_or(DefaultColor);
            return step(Kind::Send, Commands::clearScreen(color));
        });
    add(u"rotate"_s, {}, {}, u"Turn the screen by 180 degrees."_s,
        u"Each call turns the picture further by 180 degrees."_s, sends(Commands::rotateScreen));
    add(u"backlight"_s, {onOff}, {}, u"Switch the backlight on or off."_s,
        touchPauseNote + u"a quarter of a second before the backlight command."_s,
        inTouchPause(Commands::setBacklight));
    add(u"beep"_s, {}, {}, u"Sound the beeper."_s, u"The board beeps once."_s,
        sends(Commands::beep));
    add(u"beep-on-touch"_s, {onOff}, {}, u"Let the board beep at each touch, or not."_s,
        touchPauseNote + u"half a second before the command."_s,
        inTouchPause(Commands::setBeepOnTouch));
    add(u"calibrate"_s, {}, {}, u"Start the touch screen's calibration."_s,
        u"The board shows the points to touch; its end is not awaited."_s,
        sends(Commands::touchCalibrate));
    add(u"restore-calibration"_s, {}, {}, u"Return to the board's default touch calibration."_s,
        u"The board forgets the calibration made with calibrate."_s,
        sends(Commands::restoreCalibration));
    add(u"pixel"_s, place, {colorOption}, u"Set one pixel."_s, drawingNote,
        [](const Values& values) {
            return step(Kind::Send, Commands::drawPixel(values.point(0), values.color()));
        });
    add(u"line"_s, corners, {colorOption}, u"Draw a line."_s, drawingNote,
        twoCorners(Commands::drawLine));
    add(u"rect"_s, corners, {colorOption},
        u"Draw the outline of a rectangle between two corners."_s, drawingNote,
        twoCorners(Commands::drawRectangle));
    add(u"fill-rect"_s, corners, {colorOption}, u"Fill a rectangle between two corners."_s,
        drawingNote, twoCorners(Commands::fillRectangle));
    add(u"circle"_s, round, {colorOption}, u"Draw a circle around (X, Y) with radius R."_s,
        drawingNote, circle(Commands::drawCircle));
    add(u"fill-circle"_s, round, {colorOption}, u"Fill a circle around (X, Y) with radius R."_s,
        drawingNote, circle(Commands::fillCircle));
    add(u"cursor"_s, place, {}, u"Place the text cursor: where the next text begins."_s,
        u"X is 0..32767, Y 0..255."_s, [](const Values& values) {
            return step(Kind::Send, Commands::setTextCursor(values.point(0)));
        });
    add(u"text"_s, {{u"TEXT..."_s, boardText}},
        {{u"--font"_s, fontSlot, u"1|2"_s, u"The board's font to write in (default 1)."_s},
         colorOption},
        u"Write text at the text cursor."_s,
        u"Several arguments are joined with blanks. Characters go to the board as their codes "
        "(0..255), as the text window sends typed keys, and a carriage return ends the text."_s,
        text);
    add(u"preview"_s, {image}, pictureOptions, u"Show a picture file on the screen."_s,
        u"The picture is read and reduced to the board's colours as the graphic window does, "
        "then sent row by row; the board answers each row."_s,
        picture(Kind::Preview));
    add(u"save"_s, {slot, image}, pictureOptions,
        u"Store a picture file in one of the board's picture slots."_s,
        slotNote + u" The picture is read and reduced as the graphic window does, then sent in "
                   "300 blocks of 256 pixels; the board answers each."_s,
        picture(Kind::Save));
    add(u"load"_s, {slot}, {}, u"Show the picture stored in a slot."_s, slotNote,
        [](const Values& values) {
            return step(Kind::Send, Commands::showScreenPicture(quint8(values.number(0))));
        });
    // FAMILY is left out with --file; the font's step checks which of them came.
    add(u"font"_s, {{u"[FAMILY]"_s}, {u"SIZE"_s}},
        {{u"--slot"_s, fontSlot, u"1|2"_s, u"The board's font slot to load (required)."_s},
         {u"--file"_s, nullptr, u"FONT"_s,
          u"Take the font from this file (TrueType or OpenType) instead of an installed "
          "family."_s},
         {u"--bold"_s, nullptr, QString(), u"The bold face."_s},
         {u"--italic"_s, nullptr, QString(), u"The italic face."_s}},
        u"Capture a desktop font and load it into a font slot."_s,
        u"SIZE is in points, 1..255. The characters ! to ~ are captured and sent as the font "
        "window does. A font the board cannot take (a character without ink, or larger than "
        "255 pixels) is refused before anything is sent."_s,
        font, Action::Run, u"FAMILY SIZE | --file FONT SIZE"_s);
    add(u"font-test"_s, {}, {}, u"Write the font test line."_s,
        u"Writes the characters ! to , in white at the text cursor, in the font the board uses "
        "for text without a font number."_s,
        sends(Commands::fontTestLine));
    add(u"touch"_s, {},
        {{u"--keypad"_s, nullptr, QString(),
          u"Keypad reports instead of coordinates, printed as they come."_s},
         {u"--count"_s, wholeFrom(1, LargestCount), u"N"_s, u"Stop after N reports."_s},
         {u"--seconds"_s, Seconds, u"S"_s, u"Stop after S seconds."_s}},
        u"Print the touch screen's reports as they come."_s,
        u"Switches touch reporting on, prints each touch as \"X Y\" (or each keypad report as "
        "it came) on a line of its own, and switches it off again after --count reports, "
        "after --seconds, or at Ctrl-C."_s,
        touch);
    add(u"check"_s, projectFile, {}, u"Check a board project and print what it sends."_s,
        u"Reads the project file, its pictures and fonts without a board and prints each step "
        "with its bytes and its time at the project's speed, paced by the answers and by the "
        "poll."_s,
        project);
    add(u"render"_s, projectFile,
        {{u"--out"_s, nonEmpty, u"DIR"_s, u"The folder for the pictures (required)."_s}},
        u"Write what a board project shows, as PNG files."_s,
        u"On the simulator, without a board: slot-01.png ... for each picture, font-1.png and "
        "font-2.png for the fonts and start.png for the screen at the end."_s,
        project);
    add(u"provision"_s, projectFile,
        {{u"--only"_s, nonEmpty, u"PARTS"_s, u"Send only these of fonts, pictures and start."_s},
         {u"--report"_s, nonEmpty, u"FILE"_s,
          u"Write each board's steps to FILE (.csv or .json)."_s}},
        u"Program a board project onto every board named."_s,
        u"The fonts, then the pictures into their slots, then the start screen, at the "
        "project's speed, on all boards at once; a board that fails leaves the others going."_s,
        project);
    return table;
}

} // namespace

std::optional<QString> CommandSpec::step(const Segment& segment, CliStep& made) const {
    const auto count = int(segment.arguments.size());
    const auto required =
        std::count_if(arguments.begin(), arguments.end(),
                      [](const ValueSpec& spec) { return !spec.name.startsWith(u'['); });
    const bool repeats = !arguments.isEmpty() && arguments.last().name.endsWith("..."_L1);
    if (count < required || (!repeats && count > arguments.size())) {
        const QString usage =
            arguments.isEmpty() ? u"takes no arguments"_s : u"takes %1"_s.arg(synopsis());
        return u"%1 %2, not %3 argument%4"_s.arg(name, usage)
            .arg(count)
            .arg(count == 1 ? QString() : u"s"_s);
    }
    QString wrong = checked(arguments, segment.arguments)
                        .value_or(checked(options, segment.options).value_or(QString()));
    if (wrong.isEmpty() && build) {
        made = build(Values{segment, &wrong});
        made.command = name;
    }
    return wrong.isEmpty() ? std::nullopt : std::optional<QString>(name + u": "_s + wrong);
}

QString CommandSpec::synopsis() const {
    if (!shownSynopsis.isEmpty())
        return shownSynopsis;
    QStringList names;
    for (const ValueSpec& argument : arguments)
        names.append(argument.name);
    return names.join(u' ');
}

const QList<CommandSpec>& commands() {
    static const QList<CommandSpec> table = makeCommands();
    return table;
}

const QList<ValueSpec>& commonOptions() {
    static const QList<ValueSpec> options{
        {u"--port"_s, nullptr, u"NAME"_s,
         u"The board's port (default: the first serial port of \"ports\"); sim or simulator is "
         "the built-in simulator. Give it more than once to run the same commands on several "
         "boards at once."_s},
        {u"--all"_s, nullptr, QString(),
         u"Every serial port of \"ports\" (the simulator aside), at once."_s},
        {u"--baud"_s, oneOf(rateNames(), u"takes "_s + rates(u"or"_s)), u"N"_s,
         u"The line's speed: %1 (default)."_s.arg(rates(u"or"_s))},
        {u"--pace"_s, oneOf({u"answer"_s, u"poll"_s}, u"takes answer or poll"_s), u"answer|poll"_s,
         u"Uploads send their next block the moment the board answers (answer, the default) or "
         "when the 50 to 250 ms receive poll sees the answer (poll, as the program's windows "
         "do)."_s},
        {u"--timeout"_s, Seconds, u"SECONDS"_s,
         u"How long to wait for each answer of the board during uploads (default 5). The "
         "identification always has 1.5 s."_s},
        {u"--quiet"_s, nullptr, QString(),
         u"No progress, notes or table; errors and asked-for output only."_s},
        {u"--trace"_s, nullptr, QString(),
         u"Every write and answer on the line, decoded, on the error output (the Monitor "
         "window's lines)."_s},
        {u"--screenshot"_s, nullptr, u"FILE.png"_s,
         u"Save the board's screen after the commands (the default port is then the "
         "simulator). A real board's screen is its mirror: what the commands drew, the rest "
         "transparent."_s},
        {u"--help"_s, nullptr, QString(), u"This help; after a command, its help."_s},
        {u"--version"_s, nullptr, QString(), u"The program's version."_s},
    };
    return options;
}

std::optional<QString> checked(const QList<ValueSpec>& specs,
                               const QMap<QString, QString>& options) {
    for (const ValueSpec& spec : specs) {
        if (spec.check && options.contains(spec.name)) {
            if (std::optional<QString> wrong = spec.check(spec.name, options[spec.name]))
                return wrong;
        }
    }
    return std::nullopt;
}

std::optional<int> milliseconds(const QString& text) {
    bool numeric = false;
    const double value = text.toDouble(&numeric);
    if (!numeric || !(value > 0) || value > LargestSeconds)
        return std::nullopt;
    return std::max(1, int(value * 1000));
}

} // namespace CliCommands
