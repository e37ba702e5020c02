#pragma once

#include "engine/seriallink.h"
#include "engine/uploadplan.h"

#include <QMetaObject>
#include <QObject>
#include <QString>

class Clock;
class ConnectionController;
class MSserial;
class Session;

// How the next block of an upload is set off.
enum class Pacing {
    // The receive poll notices the board's answer (the board tools' way).
    Poll,
    // The next block goes the moment the board's answer arrives; still one block in
    // flight, any answer being the go-ahead.
    AnswerDriven,
};

// Where an upload stands, after each block the board answered.
struct UploadProgress {
    int block = 0; // blocks answered
    int blocks = 0;
    qint64 bytesSent = 0;
    qint64 bytesTotal = 0;
    qint64 elapsedMs = 0;
};

// How an upload ended.
struct UploadOutcome {
    enum class Cause {
        Completed,
        WindowClosed,
        Disconnected,
        PortLost,
        WriteFailed,
        // The board's answer did not come within the answer limit.
        TimedOut,
    };
    QString name;
    QString description;
    Cause cause = Cause::Completed;
    // Why the port failed, for PortLost and WriteFailed.
    PortError error;
    // False when the board may still be in the middle of the command: it stopped
    // answering while the command was being finished, or the line was gone.
    bool boardReady = true;
    qint64 bytesSent = 0;
    qint64 bytesTotal = 0;
    qint64 elapsedMs = 0;

    bool completed() const { return cause == Cause::Completed; }
};

// Sends uploads to the board block by block, one upload at a time: each block is
// written, then the next waits for the board's answer. Waiting costs nothing: the
// next block goes out from the answer's arrival or from the receive poll that sees it.
//
// A stopped upload never leaves the board in the middle of its command: unless the
// port is gone, the rest of the command goes out as filler (answer-driven) before the
// line is free again. Finishing is bounded: each answer has 2 s, and the whole rest
// the time its bytes take at the line's speed plus 2 s. A board slower than that is
// left as a silent one is, told as not ready.
class Uploader : public QObject {
    Q_OBJECT
public:
    enum class Start { Started, PortClosed, Busy };
    static constexpr int FinishingAnswerLimitMs = 2000;

    Uploader(MSserial& port, Session& session, ConnectionController& connection, Clock& clock,
             QObject* parent = nullptr);

    Pacing pacing() const { return m_pacing; }
    void setPacing(Pacing pacing) { m_pacing = pacing; }
    // How long each of the board's answers may take before the upload stops as timed
    // out; 0 (the default) waits as long as the board takes.
    void setAnswerLimit(int limitMs) { m_answerLimitMs = limitMs; }

    // Starts the upload unless the port is closed or another upload owns the line
    // (refused() tells). The upload stops when owner is destroyed.
    Start start(UploadPlan plan, QObject* owner);
    // An upload owns the line (running, or finishing the board's command).
    bool isBusy() const { return m_state != State::Idle; }
    bool isFinishing() const { return m_state == State::Finishing; }
    QString runningName() const { return isBusy() ? m_plan.name : QString(); }
    QString runningDescription() const { return isBusy() ? m_plan.description : QString(); }
    // Stops the running upload: the board's command is finished with filler first.
    void stop(UploadOutcome::Cause cause);

Q_SIGNALS:
    void busyChanged(bool busy);
    void started(const QString& name, int progressMaximum);
    // A second upload was refused while this one owns the line.
    void refused(const QString& runningDescription);
    void blockSent(int block);
    // The progress bar's value as the upload moves it.
    void progressValueChanged(int value);
    void progress(const UploadProgress& progress);
    // The upload was stopped; the board's command is being finished.
    void finishing(const QString& note);
    void finished(const UploadOutcome& outcome);
    // Sent after finished(): everyone has heard of the end, views clear the traces of
    // the upload (the progress bar).
    void ended();

private:
    enum class State { Idle, Running, Finishing };

    void sendBlock();
    void onPolled();
    void onReadyRead();
    void takeAnswer();
    void armAnswerWatch();
    void checkAnswerWatch();
    // The milliseconds that the filler of the blocks after the current one takes on the line.
    qint64 fillerLineMs() const;
    void end(UploadOutcome::Cause cause, bool boardReady, const PortError& error = {});
    UploadProgress currentProgress() const;

    MSserial& m_port;
    Session& m_session;
    ConnectionController& m_connection;
    Clock& m_clock;
    Pacing m_pacing = Pacing::Poll;
    int m_answerLimitMs = 0;

    State m_state = State::Idle;
    UploadPlan m_plan;
    UploadOutcome::Cause m_stopCause = UploadOutcome::Cause::Completed;
    // Uploads started so far: tells a stop meant for an earlier one apart.
    quint64 m_uploadCount = 0;
    QMetaObject::Connection m_ownerConnection;
    int m_block = 0;
    bool m_awaiting = false;
    bool m_sending = false;
    bool m_answerWhileSending = false;
    quint64 m_watchCount = 0;
    qint64 m_lastAnswerMs = 0;
    // While finishing: when the rest must be done.
    qint64 m_finishByMs = 0;
    qint64 m_startedMs = 0;
    qint64 m_bytesSent = 0;
    qint64 m_bytesTotal = 0;
};

Q_DECLARE_METATYPE(UploadProgress)
Q_DECLARE_METATYPE(UploadOutcome)
