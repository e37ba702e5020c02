#pragma once

#include "cli/clirequest.h"

#include <QString>
#include <QStringList>

#include <optional>

// The command line of lumaret-cli: common options, then commands separated by "--".
// Every value is checked here, so that nothing reaches a board for a line that is
// wrong anywhere; pictures and fonts are read later (prepareUploads) but still before
// anything is sent.
namespace CliArguments {

// The arguments without the program's name.
CliRequest parse(const QStringList& arguments);

QStringList commandNames();
QString programHelp();
// Empty for a name that is no command.
QString commandHelp(const QString& command);
QString versionText();

// The value checks, shared by every command (a reason names the value when it fails).
std::optional<int> wholeNumber(const QString& text, int minimum, int maximum);
// 0..255, or #rrggbb reduced as the colour picker reduces a colour.
std::optional<quint8> colorValue(const QString& text);

} // namespace CliArguments
