#pragma once

#include <QByteArrayView>
#include <QString>

// What the board sends back, in its own terms: the identification, the acknowledgement
// of a block, touch reports in coordinates mode and keypad reports (shown as they came).
namespace BoardAnswers {

enum class Kind { Identify, Acknowledge, Touch, Keypad, Other };

struct Answer {
    Kind kind = Kind::Other;
    // "IdentifyAnswer "100"", "Acknowledge", "touch x=260 y=200", "KeypadReport "5"".
    QString text;

    // Touch and keypad reports come when the user presses, not in answer to a command.
    bool unsolicited() const { return kind == Kind::Touch || kind == Kind::Keypad; }
};

// One read of the board's answers. keypadMode: the touch screen reports keys, so text
// that is no other answer is a key.
Answer decode(QByteArrayView chunk, bool keypadMode);

} // namespace BoardAnswers
