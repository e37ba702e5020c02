#pragma once

#include "cli/clirequest.h"
#include "engine/boardanswers.h"
#include "engine/touchreport.h"
#include "engine/uploader.h"

#include <QObject>
#include <QString>

#include <memory>

class BoardEmulator;
class BoardEngine;
class BoardMirror;
class Clock;

// The exit statuses of lumaret-cli.
namespace ExitCode {
inline constexpr int Done = 0;
inline constexpr int Usage = 1;
inline constexpr int NoBoard = 2;
inline constexpr int BoardGone = 3;
inline constexpr int Interrupted = 130;
} // namespace ExitCode

// The commands of a call on one board: connects, runs each step in turn over the one
// connection, and leaves the board. Every wait is bounded: the identification by the
// board's 1.5 s, each answer during an upload by the --timeout, finishing a stopped
// upload by the engine's bound. Nothing blocks: the
// engine's signals move it on, so any number of boards share one event loop.
class BoardRun : public QObject {
    Q_OBJECT
public:
    struct Result {
        int exitCode = ExitCode::Done;
        // Why it failed; empty when done.
        QString message;
        qint64 elapsedMs = 0;
    };

    // clock: the engine's. simulator: the board behind the port when it is the
    // in-process simulator (for the screenshot); the run keeps both alive.
    BoardRun(QString portName, const CliSettings& settings, QList<CliStep> steps,
             std::unique_ptr<BoardEngine> engine, Clock& clock,
             std::unique_ptr<BoardEmulator> simulator, QObject* parent = nullptr);
    ~BoardRun() override;

    QString portName() const { return m_portName; }
    BoardEngine& engine() { return *m_engine; }
    BoardEmulator* simulator() { return m_simulator.get(); }
    bool isFinished() const { return m_state == State::Finished; }
    const Result& result() const { return m_result; }

    void start();
    // Ctrl-C: an upload finishes the board's interrupted command first, touch
    // reporting is switched off; then the run ends as interrupted.
    void interrupt();

Q_SIGNALS:
    // What the user asked to see: the board's identification, touch reports.
    void printed(const QString& line);
    // What went well, for the error output unless quiet: "Preview: 76,802 bytes in 6.9 s".
    void noted(const QString& line);
    // The step of that index (in the list given) begins.
    void stepStarted(int index);
    void uploadStarted(const QString& name);
    void uploadProgressed(const UploadProgress& progress);
    void uploadEnded();
    void finished();

private:
    enum class State {
        Idle,
        Connecting,
        Running,
        ChangingRate,
        Uploading,
        Listening,
        Pausing,
        Finishing,
        Finished
    };

    void connectBoard();
    void runNext();
    void scheduleNext();
    void runStep(const CliStep& step);
    void send(const WriteList& writes);
    void reportWriteFailure();
    void startUpload(const CliStep& step);
    void startListening(const CliStep& step);
    void stopListening();
    void onAnswered(const BoardAnswers::Answer& answer);
    void takeTouchReports(const QByteArray& chunk);
    // Every text the board sent that the user sees goes out here.
    void printAnswer(const QByteArray& answer);
    void onConnected();
    void onUploadFinished(const UploadOutcome& outcome);
    void succeed();
    void finish(int exitCode, const QString& message);

    QString m_portName;
    CliSettings m_settings;
    QList<CliStep> m_steps;
    std::unique_ptr<BoardEngine> m_engine;
    Clock& m_clock;
    std::unique_ptr<BoardEmulator> m_simulator;
    // A real board's screen for the screenshot, as the commands drew it.
    std::unique_ptr<BoardMirror> m_mirror;
    State m_state = State::Idle;
    Result m_result;
    qint64 m_startedMs = 0;
    int m_next = 0;
    QByteArray m_identification;
    // The step in progress, so that a pause or limit that falls due later still knows it.
    int m_stepGeneration = 0;
    UploadProgress m_progress;
    bool m_interrupted = false;
    // Touch reporting: the reports as they arrive, and the count.
    TouchReport::Stream m_touchReports;
    int m_reports = 0;
    const CliStep* m_listening = nullptr;
};
