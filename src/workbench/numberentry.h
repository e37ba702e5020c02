#pragma once

#include <QString>

#include <optional>

// A whole number typed into a box, checked before anything goes to the board.
namespace NumberEntry {

enum class Problem { Empty, NotWholeNumber, OutOfRange };

struct Reading {
    int value = 0;
    std::optional<Problem> problem;

    bool ok() const { return !problem; }
};

// Accepts plain decimal digits (blanks around them and a leading "+" are fine) for a
// number from 0 to maximum.
Reading read(const QString& text, int maximum);

// What to tell the user about a rejected entry in the box called boxName.
QString problemText(const QString& boxName, const QString& text, Problem problem, int maximum);

} // namespace NumberEntry
