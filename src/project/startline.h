#pragma once

#include "cli/clirequest.h"

#include <QString>
#include <QStringList>

#include <optional>

// A start-screen line in the command-line tool's own syntax ("text --font 2 Ready"): split
// as a shell splits it, then read by the tool's one parser. Only commands that draw or set
// the board up are taken: no uploads, no speed change, no touch listening, no options
// meant for the whole call.
namespace StartLine {

// The words of a line: blanks separate them; 'single quotes' keep everything, "double
// quotes" keep everything but \" and \\; a backslash outside quotes keeps the next
// character. nullopt for an unfinished quote or a trailing backslash.
std::optional<QStringList> split(const QString& line);

struct Parsed {
    std::optional<CliStep> step;
    // Why the line is refused when there is no step.
    QString error;
};
Parsed parse(const QString& line);

} // namespace StartLine
