#pragma once

#include "engine/boardanswers.h"
#include "engine/linetraffic.h"
#include "engine/session.h"
#include "engine/uploader.h"

#include <QObject>
#include <QString>

#include <memory>

class Clock;
class ConnectionController;
class Conversation;
class MSserial;
class PortCatalog;
class WriteList;

// Everything that drives one board, free of windows: the port over its link, the
// shared session state, the connection with its timers, and the uploads. Programs
// and windows are its views: they hand it commands and uploads and follow its signals.
class BoardEngine : public QObject {
    Q_OBJECT
public:
    BoardEngine(std::shared_ptr<Clock> clock, std::shared_ptr<PortCatalog> ports,
                QObject* parent = nullptr);
    ~BoardEngine() override;

    MSserial& port() { return *m_port; }
    Session& session() { return *m_session; }
    ConnectionController& connection() { return *m_connection; }
    Uploader& uploader() { return *m_uploader; }
    // What crossed the line, decoded, for a monitor or a trace.
    Conversation& conversation() { return *m_conversation; }
    Clock& clock() { return *m_clock; }
    PortCatalog& ports() { return *m_ports; }

    // Whether a command may go out now: the port is open (otherwise nothing happens,
    // silently) and no upload owns the line (a command would land in the middle of
    // its data: commandHeldBack() tells).
    bool readyForCommand();
    // The command's writes, when readyForCommand(). Returns whether they went out.
    bool send(const WriteList& writes);

    // Leaves the board: an upload that is running finishes the board's command first.
    void disconnect();
    // Leaves the board once what was written has had its time on the line at the line's
    // speed (closing puts the port's earlier settings back at once); then left runs.
    void leave(std::function<void()> left);

    // The board's latest answer (the receive poll's last read), already read.
    BoardAnswers::Answer latestAnswer() const;

    // Switches the touch reporting mode: sends its command and, once sent, records it.
    bool switchTouchMode(Session::TouchMode mode);
    // The board's touch controller must be quiet while the backlight or the beep on touch
    // changes: touch reporting goes off, and after a pause (251 ms around the backlight,
    // 501 ms around the beep on touch) the command goes and the mode that was on comes
    // back. Returns false, sending nothing, for another command, while a pause runs or
    // when no command may go now. done(sent) follows the pause.
    bool sendInTouchPause(const WriteList& command, std::function<void(bool)> done = {});
    bool touchPauseRunning() const { return m_touchPauseRunning; }
    // The backlight, in a touch pause; the session records its state once sent.
    bool switchBacklight(bool on);

    static constexpr int BacklightPauseMs = 251;
    static constexpr int BeepOnTouchPauseMs = 501;
    // The pause the command needs with touch reporting off; 0 for a command that needs none.
    static int touchPauseMs(const WriteList& command);

Q_SIGNALS:
    void commandHeldBack(const QString& runningUpload);
    // Each receive poll that brought something: the board's answer, already read.
    void answered(const BoardAnswers::Answer& answer);
    void touchPauseChanged(bool running);
    // A touch mode's command went out (also when it was the mode already).
    void touchModeSwitched(Session::TouchMode mode);

private:
    void recordConversation();
    void followLine(const LineTraffic& traffic);
    // How long the bytes written still need before the port may close; 0 when the board
    // has answered all of them.
    int drainMs() const;

    std::shared_ptr<Clock> m_clock;
    std::shared_ptr<PortCatalog> m_ports;
    Session* m_session;
    MSserial* m_port;
    ConnectionController* m_connection;
    Uploader* m_uploader;
    Conversation* m_conversation;
    bool m_disconnectAfterUpload = false;
    bool m_touchPauseRunning = false;
    // When the last byte written will have left on the line, at the line's speed.
    double m_lineFreeAtMs = 0;
    // The board answered after the last write: it has everything.
    bool m_boardHasAll = true;
};
