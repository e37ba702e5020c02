#pragma once

#include "engine/boardanswers.h"
#include "engine/commanddecoder.h"
#include "engine/commandlog.h"
#include "engine/linetraffic.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

struct UploadOutcome;

// One moment of the conversation with the board: a command's writes, a read of its
// answers, the summary of an upload, or a note about the line.
struct ConversationEvent {
    enum class Kind : quint8 { ToBoard, FromBoard, Upload, Note };
    // The first bytes of every event stay; the rest only while the byte budget lasts.
    static constexpr int HeadBytes = 16;

    // Microseconds since the port was opened.
    qint64 microseconds = 0;
    // For an answer: microseconds since the write it answers; -1 for anything else
    // (touch and keypad reports answer no write).
    qint64 latencyMicroseconds = -1;
    // The bytes on the line (an upload's summary: the bytes it sent).
    qint64 byteCount = 0;
    // The writes folded into the event (an upload's summary: its blocks).
    int writes = 0;
    // The upload the event belongs to, counted from 1; 0 for none.
    quint32 upload = 0;
    Kind kind = Kind::Note;

    // The meaning in the board's terms: "DrawPixel x=300 y=10 color=224", "Acknowledge".
    QString meaning() const;
    // All the bytes, or just the first HeadBytes once older events gave theirs up.
    QByteArrayView bytes() const;
    bool allBytesKept() const { return byteCount <= HeadBytes || m_bytes.size() == byteCount; }

private:
    friend class Conversation;
    // Answers are told from their bytes when shown (their first bytes say all a row
    // shows); the rest keep their text.
    QString m_meaning;
    BoardAnswers::Kind m_answer = BoardAnswers::Kind::Other;
    QByteArray m_bytes;
    std::array<char, HeadBytes> m_head{};
};

// An upload's figures, for its summary row.
struct UploadSummary {
    QString name;
    // Empty when the upload completed; otherwise why it stopped ("window closed").
    QString stopped;
    qint64 bytes = 0;
    int blocks = 0;
    // From its first write to its last answer.
    qint64 microseconds = 0;
    std::optional<qint64> medianLatencyMicroseconds;
    std::optional<qint64> worstLatencyMicroseconds;
    // The line's speed: ten bits a byte set the limit.
    int baudRate = 0;

    // "Preview: 76802 bytes in 240 blocks, 6.952 s; answers median 0.412 ms, worst
    // 2.310 ms; 11.05 kB/s, 95.9 % of the line's 11.52 kB/s".
    QString text() const;
};

// The engine's record of what crossed the line: each write and each read, decoded
// (commands with the command decoder, answers as the board's answers), stamped and
// kept in a bounded ring of the newest events. An upload's block is one event, its
// answer another; each upload ends with a summary event.
//
// Memory stays bounded whatever comes: at most capacity events, and the bytes of the
// newest events up to the byte budget (older events keep their first bytes).
class Conversation : public QObject {
    Q_OBJECT
public:
    static constexpr qsizetype DefaultCapacity = 200000;
    static constexpr qsizetype DefaultByteBudget = 8 * 1024 * 1024;
    // A meaning longer than this (many commands in one write) is cut.
    static constexpr qsizetype MeaningLimit = 160;
    // Microseconds on the scale of the recorded traffic: since the port was opened.
    using Now = std::function<qint64()>;

    explicit Conversation(Now now, qsizetype capacity = DefaultCapacity,
                          qsizetype byteBudget = DefaultByteBudget, QObject* parent = nullptr);
    ~Conversation() override;

    void record(const LineTraffic& traffic);
    // The port was opened or closed: a note, and the command stream starts afresh.
    void lineChanged(const QString& note);
    // Answers that are no other answer are keys of the board's keypad.
    void setKeypadMode(bool keypad) { m_keypadMode = keypad; }
    // Events recorded between these belong to the upload; the end adds its summary.
    void beginUpload(const QString& name);
    void endUpload(const UploadOutcome& outcome, int baudRate);

    // Events are numbered from 0 in the order they were recorded, for as long as the
    // program runs; the ring holds the numbers [first(), end()).
    quint64 first() const { return m_first; }
    quint64 end() const { return m_first + quint64(m_events.size()); }
    qsizetype size() const { return qsizetype(m_events.size()); }
    qsizetype capacity() const { return m_capacity; }
    const ConversationEvent& at(quint64 number) const { return m_events[size_t(number - m_first)]; }
    // The bytes the events hold beyond their first ones.
    qsizetype keptBytes() const { return m_keptBytes; }
    // Forgets every event; numbering goes on.
    void clear();

Q_SIGNALS:
    void recorded(const ConversationEvent& event);
    void cleared();

private:
    void append(ConversationEvent event, const QByteArray& bytes);
    QString commandMeaning(QByteArrayView bytes);
    void giveUpBytes(ConversationEvent& event);

    Now m_now;
    qsizetype m_capacity;
    qsizetype m_byteBudget;
    std::deque<ConversationEvent> m_events;
    quint64 m_first = 0;
    // Events before this number hold their first bytes only.
    quint64 m_trimmedUpTo = 0;
    qsizetype m_keptBytes = 0;

    QStringList m_lines;
    CommandLog m_log;
    CommandDecoder m_decoder;
    bool m_keypadMode = false;
    // The times of the last writes no answer came for yet, oldest first.
    static constexpr size_t UnansweredWritesKept = 16;
    std::deque<qint64> m_unansweredWrites;

    quint32 m_uploads = 0;
    bool m_uploading = false;
    QString m_uploadName;
    std::optional<qint64> m_uploadFirstWrite;
    qint64 m_uploadLastEvent = 0;
    int m_uploadBlocks = 0;
    std::vector<qint64> m_uploadLatencies;
};

Q_DECLARE_METATYPE(ConversationEvent)
