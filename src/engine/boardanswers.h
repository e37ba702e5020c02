#pragma once

#include "engine/touchreport.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// What the board sends back, in its own terms: the identification, the acknowledgement
// of a block, touch reports in coordinates mode and keypad reports (shown as they came).
namespace BoardAnswers {

enum class Kind : quint8 { Identify, Acknowledge, Touch, Keypad, Other };

// Text longer than this shows its start and its length.
inline constexpr qsizetype QuotedBytes = 16;

// One read of the board's answers, as the program reads it.
struct Answer {
    Kind kind = Kind::Other;
    QByteArray bytes;
    // The touch display's reading: the first report of the chunk (text before its first
    // "$", or the whole chunk), when it holds three numbers. Set in coordinates mode only.
    std::optional<TouchReport::Point> point;

    // Nothing arrived at that read.
    bool isEmpty() const { return bytes.isEmpty(); }
    // Whatever the board sent lets an upload's next block go.
    bool isGoAhead() const { return !bytes.isEmpty(); }
    // Only acknowledges a command: the touch display ignores it.
    bool isAcknowledge() const { return kind == Kind::Acknowledge; }
};

// One read of the board's answers. keypadMode: the touch screen reports keys, so text
// that is no other answer is a key.
Kind classify(QByteArrayView chunk, bool keypadMode);
Answer read(QByteArrayView chunk, bool keypadMode);
// The answer's text: "IdentifyAnswer "100"", "Acknowledge", "touch x=260 y=200",
// "KeypadReport "5"". Every kind but Touch needs only the chunk's first QuotedBytes
// bytes besides its length: start may be just those.
QString describe(Kind kind, QByteArrayView start, qint64 length);

// Touch and keypad reports come when the user presses, not in answer to a command.
inline bool unsolicited(Kind kind) {
    return kind == Kind::Touch || kind == Kind::Keypad;
}

// The board's identification, recognised in everything it sent since the identification
// command went out, however the reads cut it.
class IdentificationReader {
public:
    // Text kept of what the board sent: enough for any board's identification line.
    static constexpr qsizetype KeptBytes = 64 * 1024;

    // Starts over: the identification command goes out now.
    void restart();
    // One read; returns whether the identification is complete now.
    bool take(QByteArrayView chunk);
    bool recognised() const { return m_recognised; }
    // What the board sent since the command (its first KeptBytes bytes), and how much.
    QByteArray text() const { return m_text; }
    qint64 length() const { return m_length; }

private:
    QByteArray m_text;
    // The last bytes of the reads before, where an answer cut in two begins.
    QByteArray m_tail;
    qint64 m_length = 0;
    bool m_recognised = false;
};

} // namespace BoardAnswers
