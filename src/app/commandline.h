#pragma once

#include <QString>
#include <QStringList>

// What lumaret makes of its command line. With no argument it opens its main window; it
// takes --help and --version, which print and end the program before any window opens,
// and refuses anything else that Qt has not taken for itself (-platform, -style, ...).
namespace CommandLine {

enum class Action {
    Start,       // open the main window
    ShowHelp,    // print text to standard output, exit with 0
    ShowVersion, // print text to standard output, exit with 0
    Refuse,      // print text to standard error, exit with UsageError
};

constexpr int UsageError = 2;

struct Outcome {
    Action action = Action::Start;
    QString text;
};

// Reads the arguments after the program's name. Read once before the application
// object exists, where only help and version count (Qt's own options are still there),
// and once after Qt took its options, where anything left is refused.
Outcome read(const QStringList& arguments);

} // namespace CommandLine
