#pragma once

#include <QString>
#include <QStringView>

// What a board sent, made safe to print: a board is input, and its bytes must never
// reach a terminal as control characters (an escape sequence can rewrite the screen, a
// bell rings, a flood buries the prompt).
namespace TerminalText {

// How much of one answer is shown; the rest is counted.
inline constexpr qsizetype ShownCharacters = 4096;

// Printable ASCII as it is; tab, carriage return and newline as \t \r \n; every other
// character (read as one byte each) as \xNN. Beyond `limit` characters of the text,
// " ... and 6,512,340 more bytes".
QString escaped(QStringView text, qsizetype limit = ShownCharacters);

} // namespace TerminalText
