#pragma once

#include "engine/boardanswers.h"
#include "engine/connectioncontroller.h"
#include "engine/linetraffic.h"
#include "engine/session.h"
#include "engine/uploader.h"

#include <QObject>
#include <QString>

#include <memory>

class Clock;
class Conversation;
class MSserial;
class PortCatalog;
class WriteList;

// Everything that drives one board, free of windows: the port over its link, the
// shared session state, the connection with its timers, and the uploads. Programs
// and windows are its views: they hand it commands and uploads and follow its signals;
// the port, the connection and the uploader stay inside. The clock and the port
// catalogue are the program's: it hands them in.
class BoardEngine : public QObject {
    Q_OBJECT
public:
    BoardEngine(std::shared_ptr<Clock> clock, std::shared_ptr<PortCatalog> ports,
                QObject* parent = nullptr);
    ~BoardEngine() override;

    // The shared state the windows follow.
    Session& session() { return *m_session; }
    // What crossed the line, decoded, for a monitor or a trace.
    Conversation& conversation() { return *m_conversation; }

    // The port and the connection.
    bool portOpen() const;
    QString portName() const;
    // The line settings the port opens at ("115200,N,8,1").
    QString lineSettings() const;
    // Why the port last failed.
    PortError portError() const;
    ConnectionController::State connectionState() const;
    // The connection state as the user reads it ("Connected: COM3 115200,N,8,1").
    QString statusText() const;
    // For what goes on around the connection, such as a firmware update ("Updating ").
    void setStatusText(const QString& text);
    // What the board sent in answer to the identification, up to the connection.
    QByteArray identification() const;
    // Opens the port and starts the identification handshake; false when that failed
    // at once (connectFailed() tells why).
    bool connectTo(const QString& portName, const QString& settings);
    // Connects again to the last port at its last settings.
    bool reconnect();
    // Tells the board its new speed (the rate's index) and connects again at it.
    void changeBoardRate(int rateIndex);

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

    // Uploads: one at a time, each stopping when its owner is destroyed.
    Uploader::Start startUpload(UploadPlan plan, QObject* owner);
    // The board's command is finished with filler first.
    void stopUpload(UploadOutcome::Cause cause);
    // An upload owns the line (running, or finishing the board's command).
    bool uploadBusy() const;
    // The running upload's name; empty when none runs.
    QString runningUpload() const;
    Pacing pacing() const;
    void setPacing(Pacing pacing);
    // How long each of the board's answers may take during an upload; 0 waits as long
    // as the board takes.
    void setAnswerLimit(int limitMs);

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
    // The port and the connection.
    void portOpenChanged(bool open);
    // Every output and every input that brought bytes, as it happens.
    void lineTraffic(const LineTraffic& traffic);
    void connectionStateChanged(ConnectionController::State state);
    void statusTextChanged(const QString& text);
    // The board did not answer the identification in time; the port is closed again.
    void connectTimedOut();
    // Opening the port or writing the identification failed.
    void connectFailed(const PortError& error);
    // The port went away while connected or connecting; it is closed.
    void portLost(const QString& portName, const PortError& error);
    void rateChangeStarted(int rateIndex);
    void rateChangeFinished();

    // Uploads, as the uploader tells them (see Uploader).
    void uploadBusyChanged(bool busy);
    void uploadStarted(const QString& name, int progressMaximum);
    // A second upload was refused while this one owns the line.
    void uploadRefused(const QString& runningDescription);
    void uploadBlockSent(int block);
    // The progress bar's value as the upload moves it.
    void uploadProgressValue(int value);
    void uploadProgress(const UploadProgress& progress);
    // The upload was stopped; the board's command is being finished.
    void uploadFinishing(const QString& note);
    void uploadFinished(const UploadOutcome& outcome);
    // After uploadFinished(): everyone has heard of the end, views clear its traces.
    void uploadEnded();

    void commandHeldBack(const QString& runningUpload);
    // Each receive poll that brought something: the board's answer, already read.
    void answered(const BoardAnswers::Answer& answer);
    void touchPauseChanged(bool running);
    // A touch mode's command went out (also when it was the mode already).
    void touchModeSwitched(Session::TouchMode mode);

private:
    void recordConversation();
    void relaySignals();
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
