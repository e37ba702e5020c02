#pragma once

#include "cli/clirequest.h"

#include <QString>
#include <QStringList>

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

} // namespace CliArguments
