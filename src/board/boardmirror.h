#pragma once

#include "board/boardemulator.h"

#include <QByteArray>
#include <QObject>

#include <deque>
#include <memory>
#include <optional>

class BoardEngine;
class Conversation;
struct ConversationEvent;

// A board's screen as far as the bytes it was sent tell: the pixels (drawing
// coordinates), which of them are known, and whether the panel shows them turned.
struct MirrorScreen {
    QByteArray pixels;
    QByteArray known;
    bool rotated = false;

    static MirrorScreen of(const BoardEmulator& board);
    bool knows(int x, int y) const;
};

// The screen as Lumaret drew it: an emulator of its own fed with every command of the
// conversation, for any port. The first command of a connection starts it afresh,
// knowing nothing of what the board showed before. It also tells the screen just after any event
// the conversation still holds all the bytes of: from the nearest snapshot before it (one kept
// every SnapshotBytes, SnapshotEvents or SnapshotWorkMs of drawing, and whenever the last one can
// no longer be played on from, between two commands), the events up to it are played again.
class BoardMirror : public QObject {
    Q_OBJECT
public:
    static constexpr qsizetype SnapshotBytes = 512 * 1024;
    static constexpr int SnapshotEvents = 8192;
    // Playing the events between two snapshots again takes about as long as drawing
    // them took: at most this long (large fills cost more than their bytes say).
    static constexpr int SnapshotWorkMs = 20;

    explicit BoardMirror(Conversation& conversation, QObject* parent = nullptr);
    ~BoardMirror() override;
    // The one mirror of an engine's conversation, made on the first call (which comes
    // before the engine connects, or it knows only what follows).
    static BoardMirror& attachedTo(BoardEngine& engine);

    // The board as it is now.
    const BoardEmulator& board() const { return *m_live; }
    MirrorScreen screen() const { return MirrorScreen::of(*m_live); }
    // Just after the event numbered so; none when the conversation no longer holds the
    // bytes that lead there.
    std::optional<MirrorScreen> screenAfter(quint64 event) const;

    // The memory the snapshots take (their screens; pictures and fonts they share
    // are counted once a snapshot).
    qsizetype snapshotCount() const { return qsizetype(m_snapshots.size()); }
    qsizetype snapshotBytes() const;

    // Hands a write to an emulator as the board would take it, whatever speed it was
    // told to use since.
    static void feed(BoardEmulator& board, QByteArrayView bytes);

Q_SIGNALS:
    // The live screen changed (at most once a recorded event).
    void changed();

private:
    struct Snapshot {
        // The state just after this event.
        quint64 event = 0;
        BoardEmulator::State state;
        // The first event after it whose bytes may be given up; none yet.
        std::optional<quint64> firstLongEvent;
    };

    void onRecorded(const ConversationEvent& event);
    void onCleared();
    void startAfresh(quint64 event);
    void takeSnapshot(quint64 event);
    void dropUselessSnapshots();
    // Whether the events after the snapshot can still be played again from it.
    bool replayable(size_t index) const;

    Conversation& m_conversation;
    std::unique_ptr<BoardEmulator> m_live;
    std::unique_ptr<BoardEmulator> m_replay;
    std::deque<Snapshot> m_snapshots;
    // The last time the port opened or closed, until the next command starts afresh.
    std::optional<quint64> m_lineChangedAt;
    qsizetype m_bytesSinceSnapshot = 0;
    int m_eventsSinceSnapshot = 0;
    qint64 m_feedNanosecondsSinceSnapshot = 0;
    // The last screen told by screenAfter(), which a view asks for again and again.
    mutable std::optional<std::pair<quint64, MirrorScreen>> m_lastAsked;
};
