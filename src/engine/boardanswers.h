#pragma once

#include <QByteArrayView>
#include <QString>

// What the board sends back, in its own terms: the identification, the acknowledgement
// of a block, touch reports in coordinates mode and keypad reports (shown as they came).
namespace BoardAnswers {

enum class Kind : quint8 { Identify, Acknowledge, Touch, Keypad, Other };

// Text longer than this shows its start and its length.
inline constexpr qsizetype QuotedBytes = 16;

// One read of the board's answers. keypadMode: the touch screen reports keys, so text
// that is no other answer is a key.
Kind classify(QByteArrayView chunk, bool keypadMode);
// The answer's text: "IdentifyAnswer "100"", "Acknowledge", "touch x=260 y=200",
// "KeypadReport "5"". Every kind but Touch needs only the chunk's first QuotedBytes
// bytes besides its length: start may be just those.
QString describe(Kind kind, QByteArrayView start, qint64 length);

// Touch and keypad reports come when the user presses, not in answer to a command.
inline bool unsolicited(Kind kind) {
    return kind == Kind::Touch || kind == Kind::Keypad;
}

} // namespace BoardAnswers
