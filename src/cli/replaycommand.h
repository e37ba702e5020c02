#pragma once

#include <QStringList>

class Console;

// lumaret-cli replay TRACE --screenshot FILE.png [--at SECONDS]: the screen a saved
// trace leaves on the board (or leaves by then), as a PNG with the pixels it never drew
// transparent. Nothing is sent anywhere.
namespace ReplayCommand {

inline constexpr char Name[] = "replay";

bool asked(const QStringList& arguments);
// arguments: those after the command's name. Returns the exit status.
int run(const QStringList& arguments, Console& console);
QString help();

} // namespace ReplayCommand
