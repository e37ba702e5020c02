#include "board/boardmirror.h"

#include "engine/boardengine.h"
#include "engine/conversation.h"

#include <QElapsedTimer>

#include <algorithm>

namespace {

BoardEmulator::State freshState() {
    BoardEmulator board;
    board.trackKnownPixels();
    return board.state();
}

bool isLong(const ConversationEvent& event) {
    return event.byteCount > ConversationEvent::HeadBytes;
}

} // namespace

MirrorScreen MirrorScreen::of(const BoardEmulator& board) {
    return {board.screen(), board.knownPixels(), board.rotated()};
}

bool MirrorScreen::knows(int x, int y) const {
    if (!BoardCanvas::contains(x, y))
        return false;
    return known.isEmpty() || known.at(y * BoardGeometry::Width + x) != 0;
}

BoardMirror::BoardMirror(Conversation& conversation, QObject* parent)
    : QObject(parent)
    , m_conversation(conversation)
    , m_live(std::make_unique<BoardEmulator>())
    , m_replay(std::make_unique<BoardEmulator>()) {
    m_live->trackKnownPixels();
    connect(&conversation, &Conversation::recorded, this, &BoardMirror::onRecorded);
    connect(&conversation, &Conversation::cleared, this, &BoardMirror::onCleared);
    connect(m_live.get(), &BoardEmulator::screenChanged, this, &BoardMirror::changed);
    connect(m_live.get(), &BoardEmulator::settingsChanged, this, &BoardMirror::changed);
}

BoardMirror::~BoardMirror() = default;

BoardMirror& BoardMirror::attachedTo(BoardEngine& engine) {
    if (auto* mirror = engine.findChild<BoardMirror*>(QString(), Qt::FindDirectChildrenOnly))
        return *mirror;
    auto* mirror = new BoardMirror(engine.conversation(), &engine);
    mirror->setObjectName(QStringLiteral("BoardMirror"));
    return *mirror;
}

void BoardMirror::feed(BoardEmulator& board, QByteArrayView bytes) {
    // A speed change reaches the board at the old speed; what follows comes at the new.
    board.setLineBaudRate(board.baudRate());
    board.feed(bytes);
}

void BoardMirror::onRecorded(const ConversationEvent& event) {
    const quint64 number = m_conversation.end() - 1;
    if (event.kind == ConversationEvent::Kind::Note) {
        // The port opened or closed. The board keeps showing what it showed; the next
        // command meets a board that may have been drawn on by others meanwhile.
        m_lineChangedAt = number;
        return;
    }
    if (event.kind != ConversationEvent::Kind::ToBoard)
        return;
    if (const std::optional<quint64> changed = std::exchange(m_lineChangedAt, std::nullopt))
        startAfresh(*changed);
    if (!event.allBytesKept()) {
        startAfresh(number);
        return;
    }
    QElapsedTimer feeding;
    feeding.start();
    feed(*m_live, event.bytes());
    m_feedNanosecondsSinceSnapshot += feeding.nsecsElapsed();
    if (isLong(event) && !m_snapshots.empty() && !m_snapshots.back().firstLongEvent)
        m_snapshots.back().firstLongEvent = number;
    m_bytesSinceSnapshot += event.byteCount;
    ++m_eventsSinceSnapshot;
    const bool due = m_bytesSinceSnapshot >= SnapshotBytes ||
                     m_feedNanosecondsSinceSnapshot >= SnapshotWorkMs * 1000000 ||
                     m_eventsSinceSnapshot >=
                         std::min<qsizetype>(SnapshotEvents, m_conversation.capacity() / 4) ||
                     !replayable(m_snapshots.size() - 1);
    if (due && !m_live->midCommand())
        takeSnapshot(number);
    dropUselessSnapshots();
}

bool BoardMirror::replayable(size_t index) const {
    if (index >= m_snapshots.size())
        return false;
    const Snapshot& snapshot = m_snapshots[index];
    if (snapshot.event + 1 < m_conversation.first())
        return false;
    const std::optional<quint64> firstLong = snapshot.firstLongEvent;
    return !firstLong ||
           (*firstLong >= m_conversation.first() && m_conversation.at(*firstLong).allBytesKept());
}

void BoardMirror::onCleared() {
    // The rows that come next replay from here, if a command is not half sent.
    if (m_conversation.first() > 0 && !m_live->midCommand())
        takeSnapshot(m_conversation.first() - 1);
    dropUselessSnapshots();
}

void BoardMirror::startAfresh(quint64 event) {
    static const BoardEmulator::State fresh = freshState();
    m_live->setState(fresh);
    // What was kept after that event stood for the board before it.
    while (!m_snapshots.empty() && m_snapshots.back().event >= event)
        m_snapshots.pop_back();
    takeSnapshot(event);
    dropUselessSnapshots();
}

void BoardMirror::takeSnapshot(quint64 event) {
    m_snapshots.push_back({event, m_live->state(), std::nullopt});
    m_bytesSinceSnapshot = 0;
    m_eventsSinceSnapshot = 0;
    m_feedNanosecondsSinceSnapshot = 0;
    m_lastAsked.reset();
}

void BoardMirror::dropUselessSnapshots() {
    // A snapshot helps while some event after it, up to the next snapshot, can still be
    // played again.
    while (m_snapshots.size() > 1 &&
           (m_snapshots[1].event < m_conversation.first() || !replayable(0)))
        m_snapshots.pop_front();
}

std::optional<MirrorScreen> BoardMirror::screenAfter(quint64 event) const {
    if (event < m_conversation.first() || event >= m_conversation.end())
        return std::nullopt;
    if (m_lastAsked && m_lastAsked->first == event)
        return m_lastAsked->second;
    const auto after = std::upper_bound(
        m_snapshots.begin(), m_snapshots.end(), event,
        [](quint64 number, const Snapshot& snapshot) { return number < snapshot.event; });
    if (after == m_snapshots.begin())
        return std::nullopt;
    const Snapshot& from = *std::prev(after);
    m_replay->setState(from.state);
    for (quint64 number = from.event + 1; number <= event; ++number) {
        if (number < m_conversation.first())
            return std::nullopt;
        const ConversationEvent& each = m_conversation.at(number);
        if (each.kind != ConversationEvent::Kind::ToBoard)
            continue;
        if (!each.allBytesKept())
            return std::nullopt;
        feed(*m_replay, each.bytes());
    }
    m_lastAsked.emplace(event, MirrorScreen::of(*m_replay));
    return m_lastAsked->second;
}

qsizetype BoardMirror::snapshotBytes() const {
    qsizetype bytes = 0;
    for (const Snapshot& snapshot : m_snapshots) {
        bytes += snapshot.state.canvas.pixels().size() + snapshot.state.canvas.knownPixels().size();
        for (const QByteArray& picture : snapshot.state.pictures)
            bytes += picture.size();
    }
    return bytes;
}
