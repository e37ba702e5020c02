#include "cli/boardrun.h"

#include "board/boardconsole.h"
#include "board/boardemulator.h"
#include "board/boardmirror.h"
#include "board/mirrorimage.h"
#include "cli/uploadsources.h"
#include "engine/boardengine.h"
#include "engine/clock.h"
#include "engine/connectioncontroller.h"
#include "engine/linesettings.h"
#include "engine/session.h"
#include "engine/terminaltext.h"
#include "engine/uploadnotes.h"

#include <QLocale>

namespace {

QString identificationSeconds() {
    return QLocale::c().toString(ConnectionController::ConnectTimeoutMs / 1000.0, 'f', 1);
}

} // namespace

BoardRun::BoardRun(QString portName, const CliSettings& settings, QList<CliStep> steps,
                   std::unique_ptr<BoardEngine> engine, Clock& clock,
                   std::unique_ptr<BoardEmulator> simulator, QObject* parent)
    : QObject(parent)
    , m_portName(std::move(portName))
    , m_settings(settings)
    , m_steps(std::move(steps))
    , m_engine(std::move(engine))
    , m_clock(clock)
    , m_simulator(std::move(simulator)) {
    if (!m_simulator && !settings.screenshotFile.isEmpty())
        m_mirror = std::make_unique<BoardMirror>(m_engine->conversation());
    m_engine->setPacing(settings.pacing);
    m_engine->setAnswerLimit(settings.timeoutMs);
    BoardEngine* board = m_engine.get();
    connect(board, &BoardEngine::connectionStateChanged, this,
            [this](ConnectionController::State state) {
                if (state == ConnectionController::State::Connected)
                    onConnected();
            });
    connect(board, &BoardEngine::connectFailed, this, [this](const PortError& error) {
        if (m_state == State::Connecting || m_state == State::ChangingRate)
            finish(ExitCode::NoBoard,
                   error.advice.isEmpty()
                       ? tr("cannot open the port: %1").arg(error.description.trimmed())
                       : tr("cannot open the port: %1 (the system says: %2)")
                             .arg(error.advice, error.description.trimmed()));
    });
    connect(board, &BoardEngine::connectTimedOut, this, [this] {
        const QString speed =
            m_state == State::ChangingRate
                ? tr(" at %1 bit/s").arg(*LineSettings::baudRateOf(m_engine->lineSettings()))
                : QString();
        finish(ExitCode::NoBoard, tr("no answer to the identification%1 within %2 s")
                                      .arg(speed, identificationSeconds()));
    });
    connect(board, &BoardEngine::portLost, this, [this](const QString&, const PortError& error) {
        if (m_state == State::Connecting) {
            finish(ExitCode::NoBoard, tr("the port went away: %1").arg(error.description));
            return;
        }
        QString during;
        if (m_state == State::Uploading)
            during =
                tr(" during %1, after %2 of %3 bytes")
                    .arg(m_steps.at(m_next - 1).command, QLocale().toString(m_progress.bytesSent),
                         QLocale().toString(m_progress.bytesTotal));
        finish(ExitCode::BoardGone,
               tr("the board went away%1 (%2)").arg(during, error.description));
    });
    connect(board, &BoardEngine::answered, this, &BoardRun::onAnswered);
    connect(board, &BoardEngine::uploadStarted, this,
            [this](const QString& name) { Q_EMIT uploadStarted(name); });
    connect(board, &BoardEngine::uploadProgress, this, [this](const UploadProgress& progress) {
        m_progress = progress;
        Q_EMIT uploadProgressed(progress);
    });
    connect(board, &BoardEngine::uploadFinished, this, &BoardRun::onUploadFinished);
}

BoardRun::~BoardRun() = default;

void BoardRun::start() {
    m_startedMs = m_clock.elapsedMs();
    connectBoard();
}

void BoardRun::connectBoard() {
    m_state = State::Connecting;
    const int rateIndex = int(LineSettings::baudRates().indexOf(m_settings.baudRate));
    m_engine->connectTo(m_portName, LineSettings::forIndex(rateIndex));
}

void BoardRun::onConnected() {
    m_identification = m_engine->identification().trimmed();
    if (m_state == State::Connecting || m_state == State::ChangingRate) {
        m_state = State::Running;
        scheduleNext();
    }
}

void BoardRun::scheduleNext() {
    // From the event loop: the writes of the last step get on their way first, and a
    // long list of commands does not nest calls.
    ++m_stepGeneration;
    QMetaObject::invokeMethod(
        this,
        [this, generation = m_stepGeneration] {
            if (m_state == State::Running && generation == m_stepGeneration)
                runNext();
        },
        Qt::QueuedConnection);
}

void BoardRun::runNext() {
    if (m_next >= m_steps.size()) {
        succeed();
        return;
    }
    Q_EMIT stepStarted(m_next);
    runStep(m_steps.at(m_next++));
}

void BoardRun::runStep(const CliStep& step) {
    switch (step.kind) {
    case CliStep::Kind::Identify:
        printAnswer(m_identification);
        scheduleNext();
        return;
    case CliStep::Kind::Send:
        send(step.writes);
        return;
    case CliStep::Kind::TouchPause: {
        // As the utilities window does: no touch report may cross the command.
        const int generation = ++m_stepGeneration;
        const bool pausing = m_engine->sendInTouchPause(step.writes, [this, generation](bool sent) {
            if (m_state != State::Pausing || generation != m_stepGeneration)
                return;
            m_state = State::Running;
            if (sent)
                scheduleNext();
            else
                reportWriteFailure();
        });
        if (pausing)
            m_state = State::Pausing;
        else
            reportWriteFailure();
        return;
    }
    case CliStep::Kind::BaudRate:
        m_state = State::ChangingRate;
        m_engine->changeBoardRate(step.rateIndex);
        return;
    case CliStep::Kind::Preview:
    case CliStep::Kind::Save:
    case CliStep::Kind::Font:
        startUpload(step);
        return;
    case CliStep::Kind::Touch:
        startListening(step);
        return;
    case CliStep::Kind::Project:
        scheduleNext();
        return;
    }
}

void BoardRun::send(const WriteList& writes) {
    if (m_engine->send(writes))
        scheduleNext();
    else
        reportWriteFailure();
}

void BoardRun::reportWriteFailure() {
    const QString reason = m_engine->portError().description;
    finish(ExitCode::BoardGone, m_engine->portOpen()
                                    ? tr("the board could not be written to (%1)").arg(reason)
                                    : tr("the board went away (%1)").arg(reason));
}

void BoardRun::startUpload(const CliStep& step) {
    QString error;
    std::optional<UploadPlan> plan = UploadSources::planFor(step, &error);
    if (!plan) {
        finish(ExitCode::Usage, step.command + QStringLiteral(": ") + error);
        return;
    }
    m_state = State::Uploading;
    m_progress = UploadProgress{0, int(plan->blocks.size()), 0, plan->byteCount(), 0};
    if (m_engine->startUpload(std::move(*plan), this) == Uploader::Start::Started)
        return;
    finish(ExitCode::BoardGone, tr("the board went away before %1").arg(step.command));
}

void BoardRun::onUploadFinished(const UploadOutcome& outcome) {
    if (m_state != State::Uploading)
        return;
    m_state = State::Running;
    Q_EMIT uploadEnded();
    const QString& command = m_steps.at(m_next - 1).command;
    const QString unfinished =
        outcome.boardReady ? QString()
                           : tr("; the board did not finish the interrupted command: reset it "
                                "before it gets anything else");
    if (m_interrupted) {
        finish(ExitCode::Interrupted,
               tr("interrupted during %1%2")
                   .arg(command, outcome.boardReady
                                     ? tr("; the board's command was finished with filler")
                                     : unfinished));
        return;
    }
    if (outcome.cause == UploadOutcome::Cause::TimedOut) {
        finish(ExitCode::NoBoard,
               tr("no answer from the board within %1 s during %2 (block %3 of %4)%5")
                   .arg(QLocale::c().toString(m_settings.timeoutMs / 1000.0, 'g', 6), command)
                   .arg(m_progress.block + 1)
                   .arg(m_progress.blocks)
                   .arg(unfinished));
        return;
    }
    switch (outcome.cause) {
    case UploadOutcome::Cause::Completed:
        Q_EMIT noted(UploadNotes::completed(outcome));
        scheduleNext();
        return;
    case UploadOutcome::Cause::TimedOut:
        break;
    case UploadOutcome::Cause::WriteFailed:
        finish(ExitCode::BoardGone, tr("the board could not be written to during %1 (%2)")
                                        .arg(command, outcome.error.description));
        return;
    case UploadOutcome::Cause::PortLost:
    case UploadOutcome::Cause::Disconnected:
    case UploadOutcome::Cause::WindowClosed:
        finish(ExitCode::BoardGone,
               tr("the board went away during %1, after %2 of %3 bytes%4")
                   .arg(command, QLocale().toString(outcome.bytesSent),
                        QLocale().toString(outcome.bytesTotal),
                        outcome.error.description.isEmpty()
                            ? QString()
                            : QStringLiteral(" (%1)").arg(outcome.error.description)));
        return;
    }
}

void BoardRun::startListening(const CliStep& step) {
    if (!m_engine->switchTouchMode(step.touch.keypad ? Session::TouchMode::Keypad
                                                     : Session::TouchMode::Coordinates)) {
        reportWriteFailure();
        return;
    }
    m_state = State::Listening;
    m_listening = &step;
    m_touchReports.clear();
    m_reports = 0;
    const int generation = ++m_stepGeneration;
    if (step.touch.milliseconds > 0)
        m_clock.callAfter(step.touch.milliseconds, this, [this, generation] {
            if (m_state == State::Listening && generation == m_stepGeneration)
                stopListening();
        });
}

void BoardRun::stopListening() {
    m_state = State::Running;
    m_listening = nullptr;
    if (m_engine->switchTouchMode(Session::TouchMode::Off))
        scheduleNext();
    else
        reportWriteFailure();
}

void BoardRun::onAnswered(const BoardAnswers::Answer& answer) {
    if (m_state != State::Listening || answer.isAcknowledge())
        return;
    if (m_listening->touch.keypad) {
        ++m_reports;
        printAnswer(answer.bytes);
    } else {
        takeTouchReports(answer.bytes);
    }
    if (m_state == State::Listening && m_listening->touch.count > 0 &&
        m_reports >= m_listening->touch.count)
        stopListening();
}

void BoardRun::takeTouchReports(const QByteArray& chunk) {
    const QList<TouchReport::Stream::Report> reports =
        m_touchReports.take(QString::fromLatin1(chunk));
    for (const TouchReport::Stream::Report& report : reports) {
        if (!report.point) {
            Q_EMIT noted(
                tr("unreadable touch report \"%1\"").arg(TerminalText::escaped(report.text)));
            continue;
        }
        ++m_reports;
        Q_EMIT printed(QStringLiteral("%1 %2").arg(report.point->x).arg(report.point->y));
        if (m_listening->touch.count > 0 && m_reports >= m_listening->touch.count)
            return;
    }
}

void BoardRun::printAnswer(const QByteArray& answer) {
    Q_EMIT printed(QString::fromLatin1(answer));
}

void BoardRun::interrupt() {
    if (m_state == State::Finishing || m_state == State::Finished || m_interrupted)
        return;
    m_interrupted = true;
    switch (m_state) {
    case State::Uploading:
        // The uploader finishes the board's command; its end finishes the run.
        m_engine->stopUpload(UploadOutcome::Cause::Disconnected);
        return;
    case State::Listening:
        m_engine->switchTouchMode(Session::TouchMode::Off);
        break;
    default:
        break;
    }
    finish(ExitCode::Interrupted, tr("interrupted"));
}

void BoardRun::succeed() {
    if (m_simulator && !m_settings.screenshotFile.isEmpty()) {
        QString error;
        if (!BoardConsole::saveScreenshot(*m_simulator, m_settings.screenshotFile, &error)) {
            finish(ExitCode::Usage, error);
            return;
        }
    }
    if (m_mirror) {
        QString error;
        if (!MirrorImage::savePng(m_mirror->screen(), m_settings.screenshotFile, &error)) {
            finish(ExitCode::Usage, error);
            return;
        }
        Q_EMIT noted(tr("the screenshot is a mirror: what the commands drew since connecting; "
                        "the pixels they did not draw are transparent"));
    }
    finish(ExitCode::Done, {});
}

void BoardRun::finish(int exitCode, const QString& message) {
    if (m_state == State::Finishing || m_state == State::Finished)
        return;
    m_state = State::Finishing;
    ++m_stepGeneration;
    m_result = {exitCode, message, 0};
    m_engine->leave([this] {
        m_result.elapsedMs = m_clock.elapsedMs() - m_startedMs;
        m_state = State::Finished;
        Q_EMIT finished();
    });
}
