#pragma once

#include "board/boardmirror.h"
#include "engine/tracereader.h"

#include <QList>
#include <QObject>

#include <memory>
#include <optional>

class Conversation;

// A saved trace played again: into a conversation of its own (the rows a monitor
// shows, decoded afresh) with its mirror (the screen after each row). Read only: no
// port, nothing sent.
class TracePlayback : public QObject {
    Q_OBJECT
public:
    explicit TracePlayback(const QList<TraceEvent>& events, QObject* parent = nullptr);
    ~TracePlayback() override;

    Conversation& conversation() { return *m_conversation; }
    BoardMirror& mirror() { return *m_mirror; }

    // The screen the trace leaves, or the one just before its first command stamped
    // later than atMicroseconds (times count from each opening of the port, so a trace
    // of several connections stops in the first that gets there).
    static MirrorScreen screenAt(const QList<TraceEvent>& events,
                                 std::optional<qint64> atMicroseconds = std::nullopt);

private:
    qint64 m_now = 0;
    std::unique_ptr<Conversation> m_conversation;
    std::unique_ptr<BoardMirror> m_mirror;
};
