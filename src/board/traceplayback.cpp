#include "board/traceplayback.h"

#include "engine/conversation.h"
#include "engine/linetraffic.h"

namespace {

bool isToBoard(const TraceEvent& event) {
    return event.kind == TraceEvent::Kind::ToBoard;
}

// A block the trace lost the bytes of leaves a board nobody knows.
QString lostBlockNote(const TraceEvent& event) {
    return event.text + QStringLiteral(" (its bytes were not kept)");
}

} // namespace

TracePlayback::TracePlayback(const QList<TraceEvent>& events, QObject* parent)
    : QObject(parent)
    , m_conversation(std::make_unique<Conversation>(
          [this] { return m_now; },
          std::max<qsizetype>(Conversation::DefaultCapacity, events.size())))
    , m_mirror(std::make_unique<BoardMirror>(*m_conversation)) {
    for (const TraceEvent& event : events) {
        m_now = event.microseconds;
        switch (event.kind) {
        case TraceEvent::Kind::ToBoard:
        case TraceEvent::Kind::FromBoard:
            if (!event.complete) {
                m_conversation->lineChanged(lostBlockNote(event));
                break;
            }
            m_conversation->record({event.microseconds,
                                    isToBoard(event) ? LineTraffic::Direction::ToBoard
                                                     : LineTraffic::Direction::FromBoard,
                                    event.bytes, isToBoard(event) ? 1 : 0});
            break;
        case TraceEvent::Kind::Note:
            m_conversation->lineChanged(event.text);
            break;
        case TraceEvent::Kind::Upload:
            // The summary of an upload is made from its events, which a trace has as rows.
            break;
        }
    }
}

TracePlayback::~TracePlayback() = default;

MirrorScreen TracePlayback::screenAt(const QList<TraceEvent>& events,
                                     std::optional<qint64> atMicroseconds) {
    BoardEmulator board;
    board.trackKnownPixels();
    const BoardEmulator::State fresh = board.state();
    // As the mirror: a connection's first command meets a board nobody knows.
    bool lineChanged = false;
    for (const TraceEvent& event : events) {
        lineChanged = lineChanged || event.kind == TraceEvent::Kind::Note;
        if (!isToBoard(event))
            continue;
        if (atMicroseconds && event.microseconds > *atMicroseconds)
            break;
        if (std::exchange(lineChanged, false) || !event.complete)
            board.setState(fresh);
        if (event.complete)
            BoardMirror::feed(board, event.bytes);
    }
    return MirrorScreen::of(board);
}
