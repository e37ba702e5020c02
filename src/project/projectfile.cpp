#include "project/projectfile.h"

#include "engine/boardgeometry.h"
#include "engine/linesettings.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <functional>
#include <map>

// Errors come back as values: a malformed file is an everyday thing here.
#define TOML_EXCEPTIONS 0
#include <toml++/toml.h>

namespace ProjectFile {
namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("ProjectFile", text);
}

constexpr int LargestFontSize = 255;

QString fromStd(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

int lineOf(const toml::node& node) {
    return int(node.source().begin.line);
}

QString typeName(const toml::node& node) {
    switch (node.type()) {
    case toml::node_type::string:
        return tr("text");
    case toml::node_type::integer:
        return tr("a whole number");
    case toml::node_type::floating_point:
        return tr("a number with a fraction");
    case toml::node_type::boolean:
        return tr("true or false");
    case toml::node_type::array:
        return tr("a list");
    case toml::node_type::table:
        return tr("a table");
    default:
        return tr("a date or time");
    }
}

// Reads the keys of one table; each key is looked at once, and what is left over is
// reported as unknown.
class TableReader {
public:
    TableReader(const toml::table& table, QString name, QString file, ProjectIssues& issues)
        : m_table(table)
        , m_name(std::move(name))
        , m_file(std::move(file))
        , m_issues(issues) {}

    int line() const { return lineOf(m_table); }
    // The line of a key's value, or of the table when it has no such key.
    int keyLine(const QString& key) const {
        const toml::node* node = m_table.get(key.toStdString());
        return node ? lineOf(*node) : line();
    }

    void fail(const toml::node* node, const QString& key, const QString& message) {
        m_issues.append({m_file, node ? lineOf(*node) : line(), field(key), message});
    }

    std::optional<qint64> integer(const QString& key, qint64 minimum, qint64 maximum,
                                  bool required) {
        const toml::node* node = take(key, required);
        if (!node)
            return std::nullopt;
        const auto* value = node->as_integer();
        if (!value) {
            fail(node, key, tr("takes a whole number, not %1").arg(typeName(*node)));
            return std::nullopt;
        }
        if (value->get() < minimum || value->get() > maximum) {
            fail(node, key,
                 tr("%1 is not from %2 to %3").arg(value->get()).arg(minimum).arg(maximum));
            return std::nullopt;
        }
        return value->get();
    }

    std::optional<QString> text(const QString& key, bool required) {
        const toml::node* node = take(key, required);
        if (!node)
            return std::nullopt;
        const auto* value = node->as_string();
        if (!value) {
            fail(node, key, tr("takes text in quotes, not %1").arg(typeName(*node)));
            return std::nullopt;
        }
        const QString result = fromStd(value->get());
        if (result.trimmed().isEmpty()) {
            fail(node, key, tr("is empty"));
            return std::nullopt;
        }
        return result;
    }

    bool flag(const QString& key) {
        const toml::node* node = take(key, false);
        if (!node)
            return false;
        if (const auto* value = node->as_boolean())
            return value->get();
        fail(node, key, tr("takes true or false, not %1").arg(typeName(*node)));
        return false;
    }

    // A value out of a list of names; the first name when it is not there.
    template <typename Enum>
    Enum named(const QString& key, const QStringList& names,
               std::optional<Enum> (*lookUp)(QStringView)) {
        const std::optional<QString> name = text(key, false);
        if (!name)
            return Enum{};
        if (const std::optional<Enum> value = lookUp(*name))
            return *value;
        fail(m_table.get(key.toStdString()), key,
             tr("takes %1, not \"%2\"").arg(names.join(QStringLiteral(", ")), *name));
        return Enum{};
    }

    const toml::node* take(const QString& key, bool required) {
        m_known.append(key);
        const toml::node* node = m_table.get(key.toStdString());
        if (!node && required)
            m_issues.append({m_file, line(), field(key), tr("is missing")});
        return node;
    }

    // Every key that nobody took.
    void refuseOthers(const QString& hint = {}) {
        for (auto&& [key, node] : m_table) {
            const QString name = fromStd(key.str());
            if (!m_known.contains(name))
                m_issues.append({m_file, lineOf(node), field(name),
                                 tr("is not a key of %1%2").arg(tableTitle(), hint)});
        }
    }

private:
    QString field(const QString& key) const {
        return m_name.isEmpty() ? key : m_name + QLatin1Char('.') + key;
    }
    QString tableTitle() const {
        return m_name.isEmpty() ? tr("a project") : QStringLiteral("[%1]").arg(m_name);
    }

    const toml::table& m_table;
    QString m_name;
    QString m_file;
    ProjectIssues& m_issues;
    QStringList m_known;
};

// The tables of an array of tables ("[[font]]"), or nothing when it is something else.
QList<const toml::table*> tablesOf(const toml::node* node, const QString& name, const QString& file,
                                   ProjectIssues& issues) {
    QList<const toml::table*> tables;
    if (!node)
        return tables;
    const toml::array* array = node->as_array();
    if (!array || !array->is_array_of_tables()) {
        issues.append(
            {file, lineOf(*node), name, tr("takes [[%1]] tables, one for each %1").arg(name)});
        return tables;
    }
    for (const toml::node& each : *array)
        tables.append(each.as_table());
    return tables;
}

QString topLevelHint() {
    return tr(" (a key below a [[font]] or [[picture]] belongs to that table)");
}

// Where an entry takes its slot: the line of its "slot" and of its table.
struct SlotUse {
    int slot;
    int slotLine;
    int tableLine;
};

// A slot taken twice: the second names the first.
void checkSlots(const QList<SlotUse>& uses, const QString& what, const QString& file,
                ProjectIssues& issues) {
    std::map<int, int> firstTable;
    for (const SlotUse& use : uses) {
        const auto [at, inserted] = firstTable.emplace(use.slot, use.tableLine);
        if (!inserted)
            issues.append({file, use.slotLine, what + QStringLiteral(".slot"),
                           tr("slot %1 is taken already by the %2 at line %3")
                               .arg(use.slot)
                               .arg(what)
                               .arg(at->second)});
    }
}

void readBoard(const toml::table& top, BoardProject& project, const QString& file,
               ProjectIssues& issues) {
    const toml::node* node = top.get("board");
    if (!node)
        return;
    const toml::table* board = node->as_table();
    if (!board) {
        issues.append({file, lineOf(*node), QStringLiteral("board"), tr("takes a [board] table")});
        return;
    }
    TableReader reader(*board, QStringLiteral("board"), file, issues);
    const toml::node* speed = reader.take(QStringLiteral("speed"), false);
    if (speed) {
        const auto* value = speed->as_integer();
        const QList<int> rates = LineSettings::baudRates();
        if (value && rates.contains(int(std::clamp<int64_t>(value->get(), 0, INT32_MAX)))) {
            project.baudRate = int(value->get());
        } else {
            QStringList names;
            for (int rate : rates)
                names.append(QString::number(rate));
            reader.fail(speed, QStringLiteral("speed"),
                        tr("takes one of %1 (bit/s)").arg(names.join(QStringLiteral(", "))));
        }
    }
    reader.refuseOthers();
}

void readFonts(const toml::table& top, BoardProject& project, const QString& file,
               ProjectIssues& issues) {
    QList<SlotUse> slotUses;
    const QString name = QStringLiteral("font");
    for (const toml::table* table : tablesOf(top.get("font"), name, file, issues)) {
        TableReader reader(*table, name, file, issues);
        ProjectFont font;
        font.line = reader.line();
        const auto slot = reader.integer(QStringLiteral("slot"), 1, BoardGeometry::FontSlots, true);
        const auto family = reader.text(QStringLiteral("family"), true);
        const auto size = reader.integer(QStringLiteral("size"), 1, LargestFontSize, true);
        font.bold = reader.flag(QStringLiteral("bold"));
        font.italic = reader.flag(QStringLiteral("italic"));
        font.underline = reader.flag(QStringLiteral("underline"));
        font.strikeOut = reader.flag(QStringLiteral("strikeout"));
        reader.refuseOthers();
        // The font window refuses these effects on an italic face.
        if (font.italic && (font.underline || font.strikeOut))
            reader.fail(nullptr, QStringLiteral("italic"),
                        tr("underline and strikeout are not supported with italic"));
        if (!slot || !family || !size)
            continue;
        font.slot = int(*slot);
        font.family = *family;
        font.pointSize = int(*size);
        slotUses.append({font.slot, reader.keyLine(QStringLiteral("slot")), font.line});
        project.fonts.append(font);
    }
    checkSlots(slotUses, name, file, issues);
}

void readPictures(const toml::table& top, BoardProject& project, const QString& file,
                  ProjectIssues& issues) {
    QList<SlotUse> slotUses;
    const QString name = QStringLiteral("picture");
    for (const toml::table* table : tablesOf(top.get("picture"), name, file, issues)) {
        TableReader reader(*table, name, file, issues);
        ProjectPicture picture;
        picture.line = reader.line();
        const auto slot =
            reader.integer(QStringLiteral("slot"), 1, BoardGeometry::PictureSlots, true);
        const auto path = reader.text(QStringLiteral("file"), true);
        picture.fit =
            reader.named<PictureFit>(QStringLiteral("size"), pictureFitNames(), pictureFitNamed);
        picture.dither = reader.named<PictureDither>(QStringLiteral("dither"), pictureDitherNames(),
                                                     pictureDitherNamed);
        reader.refuseOthers();
        if (!slot || !path)
            continue;
        picture.slot = int(*slot);
        picture.file = *path;
        slotUses.append({picture.slot, reader.keyLine(QStringLiteral("slot")), picture.line});
        project.pictures.append(picture);
    }
    checkSlots(slotUses, name, file, issues);
}

void readStart(const toml::table& top, BoardProject& project, const QString& file,
               ProjectIssues& issues) {
    const toml::node* node = top.get("start");
    if (!node)
        return;
    const toml::table* start = node->as_table();
    if (!start) {
        issues.append({file, lineOf(*node), QStringLiteral("start"), tr("takes a [start] table")});
        return;
    }
    TableReader reader(*start, QStringLiteral("start"), file, issues);
    if (const toml::node* lines = reader.take(QStringLiteral("lines"), false)) {
        const toml::array* array = lines->as_array();
        if (!array)
            reader.fail(lines, QStringLiteral("lines"),
                        tr("takes a list of lines in quotes, not %1").arg(typeName(*lines)));
        for (std::size_t i = 0; array && i < array->size(); ++i) {
            const toml::node& line = *array->get(i);
            if (const auto* text = line.as_string()) {
                project.start.append({fromStd(text->get()), lineOf(line)});
                continue;
            }
            issues.append({file, lineOf(line), QStringLiteral("start.lines[%1]").arg(i + 1),
                           tr("takes a line in quotes, not %1").arg(typeName(line))});
        }
    }
    reader.refuseOthers();
}

// The comment lines that open the file, up to the first line that is not one.
QString headerComment(const QByteArray& text) {
    QString header;
    const QList<QByteArray> lines = text.split('\n');
    for (const QByteArray& line : lines) {
        if (!line.startsWith('#'))
            break;
        header += QString::fromUtf8(line).trimmed() + QLatin1Char('\n');
    }
    return header;
}

QString quoted(const QString& text) {
    QString result = QStringLiteral("\"");
    for (const QChar c : text) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
            result += QLatin1Char('\\') + c;
        else if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            result += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            result += c;
    }
    return result + QLatin1Char('"');
}

} // namespace

Reading parse(const QByteArray& text, const QString& path) {
    Reading reading;
    reading.project.path = path;
    const QString& file = path;
    const std::string_view document(text.constData(), std::size_t(text.size()));
    toml::parse_result result = toml::parse(document);
    if (!result) {
        const toml::parse_error& error = result.error();
        reading.issues.append(
            {file, int(error.source().begin.line), {}, fromStd(error.description())});
        return reading;
    }
    const toml::table& top = result.table();
    reading.project.headerComment = headerComment(text);
    TableReader reader(top, {}, file, reading.issues);
    for (const char* key : {"board", "font", "picture", "start"})
        reader.take(QLatin1String(key), false);
    reader.refuseOthers(topLevelHint());
    readBoard(top, reading.project, file, reading.issues);
    readFonts(top, reading.project, file, reading.issues);
    readPictures(top, reading.project, file, reading.issues);
    readStart(top, reading.project, file, reading.issues);
    sortByLine(reading.issues);
    return reading;
}

Reading read(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Reading reading;
        reading.project.path = path;
        reading.issues.append({path, 0, {}, tr("cannot be read: %1").arg(file.errorString())});
        return reading;
    }
    if (file.size() > LargestFile) {
        Reading reading;
        reading.project.path = path;
        reading.issues.append({path, 0, {}, tr("is larger than a project file can be (1 MiB)")});
        return reading;
    }
    return parse(file.read(LargestFile), path);
}

QByteArray text(const BoardProject& project) {
    QString out = project.headerComment;
    const auto line = [&out](const QString& key, const QString& value) {
        out += key + QStringLiteral(" = ") + value + QLatin1Char('\n');
    };
    const auto flag = [&line](const QString& key, bool on) {
        if (on)
            line(key, QStringLiteral("true"));
    };
    if (!out.isEmpty())
        out += QLatin1Char('\n');
    out += QStringLiteral("[board]\n");
    line(QStringLiteral("speed"), QString::number(project.baudRate));
    BoardProject sorted = project;
    sorted.sortBySlot();
    for (const ProjectFont& font : std::as_const(sorted.fonts)) {
        out += QStringLiteral("\n[[font]]\n");
        line(QStringLiteral("slot"), QString::number(font.slot));
        line(QStringLiteral("family"), quoted(font.family));
        line(QStringLiteral("size"), QString::number(font.pointSize));
        flag(QStringLiteral("bold"), font.bold);
        flag(QStringLiteral("italic"), font.italic);
        flag(QStringLiteral("underline"), font.underline);
        flag(QStringLiteral("strikeout"), font.strikeOut);
    }
    for (const ProjectPicture& picture : std::as_const(sorted.pictures)) {
        out += QStringLiteral("\n[[picture]]\n");
        line(QStringLiteral("slot"), QString::number(picture.slot));
        line(QStringLiteral("file"), quoted(picture.file));
        line(QStringLiteral("size"), quoted(pictureFitNames().at(int(picture.fit))));
        line(QStringLiteral("dither"), quoted(pictureDitherNames().at(int(picture.dither))));
    }
    if (!project.start.isEmpty()) {
        out += QStringLiteral("\n[start]\nlines = [\n");
        for (const ProjectStartLine& start : project.start)
            out += QStringLiteral("    ") + quoted(start.text) + QStringLiteral(",\n");
        out += QStringLiteral("]\n");
    }
    return out.toUtf8();
}

bool write(const BoardProject& project, const QString& path, QString* error) {
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(text(project)) >= 0 && file.commit())
        return true;
    *error = tr("cannot write %1: %2").arg(path, file.errorString());
    return false;
}

} // namespace ProjectFile
