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
#include "engine/msserial.h"
#include "engine/session.h"
#include "engine/terminaltext.h"
#include "engine/touchreport.h"
#include "engine/uploadnotes.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace {

// Closing a port sets its earlier line settings back at once: the last bytes need their
// time on the line at the board's speed first, and a moment more.
constexpr int LineDrainMs = 50;
constexpr double BitsPerByte = 10;
// A report that grows longer than this without its "$" is noise, not a report.
constexpr qsizetype TouchReportLimit = 64;
const QString Acknowledge = QStringLiteral("!");

QString identificationSeconds() {
    return QLocale::c().toString(ConnectionController::ConnectTimeoutMs / 1000.0, 'f', 1);
}

} // namespace

BoardRun::BoardRun(QString portName, const CliSettings& settings, QList<CliStep> steps,
                   std::unique_ptr<BoardEngine> engine, std::unique_ptr<BoardEmulator> simulator,
                   QObject* parent)
    : QObject(parent)
    , m_portName(std::move(portName))
    , m_settings(settings)
    , m_steps(std::move(steps))
    , m_engine(std::move(engine))
    , m_simulator(std::move(simulator)) {
    if (!m_simulator && !settings.screenshotFile.isEmpty())
        m_mirror = std::make_unique<BoardMirror>(m_engine->conversation());
    m_engine->uploader().setPacing(settings.pacing);
    ConnectionController& connection = m_engine->connection();
    connect(&connection, &ConnectionController::stateChanged, this,
            [this](ConnectionController::State state) {
                if (state == ConnectionController::State::Connected)
                    onConnected();
            });
    connect(&connection, &ConnectionController::failed, this, [this](const PortError& error) {
        if (m_state == State::Connecting || m_state == State::ChangingRate)
            finish(ExitCode::NoBoard,
                   error.advice.isEmpty()
                       ? tr("cannot open the port: %1").arg(error.description.trimmed())
                       : tr("cannot open the port: %1 (the system says: %2)")
                             .arg(error.advice, error.description.trimmed()));
    });
    connect(&connection, &ConnectionController::timedOut, this, [this] {
        const QString speed =
            m_state == State::ChangingRate
                ? tr(" at %1 bit/s")
                      .arg(*LineSettings::baudRateOf(m_engine->connection().settings()))
                : QString();
        finish(ExitCode::NoBoard, tr("no answer to the identification%1 within %2 s")
                                      .arg(speed, identificationSeconds()));
    });
    connect(&connection, &ConnectionController::lost, this,
            [this](const QString&, const PortError& error) {
                if (m_state == State::Connecting) {
                    finish(ExitCode::NoBoard, tr("the port went away: %1").arg(error.description));
                    return;
                }
                QString during;
                if (m_state == State::Uploading)
                    during = tr(" during %1, after %2 of %3 bytes")
                                 .arg(m_steps.at(m_next - 1).command,
                                      QLocale().toString(m_progress.bytesSent),
                                      QLocale().toString(m_progress.bytesTotal));
                finish(ExitCode::BoardGone,
                       tr("the board went away%1 (%2)").arg(during, error.description));
            });
    connect(&connection, &ConnectionController::polled, this, &BoardRun::onPolled);
    Uploader& uploader = m_engine->uploader();
    connect(&uploader, &Uploader::started, this,
            [this](const QString& name) { Q_EMIT uploadStarted(name); });
    connect(&uploader, &Uploader::progress, this, [this](const UploadProgress& progress) {
        m_progress = progress;
        m_lastAnswerMs = m_engine->clock().elapsedMs();
        Q_EMIT uploadProgressed(progress);
    });
    connect(&uploader, &Uploader::finished, this, &BoardRun::onUploadFinished);
    connect(&m_engine->port(), &MSserial::traffic, this, [this](const LineTraffic& traffic) {
        const auto now = double(m_engine->clock().elapsedMs());
        // The board answers a block (or the identification) once all of it has arrived;
        // a touch report tells nothing of what is still on its way.
        if (traffic.direction != LineTraffic::Direction::ToBoard) {
            if (m_state != State::Listening) {
                m_lineFreeAtMs = std::min(m_lineFreeAtMs, now);
                m_boardHasAll = true;
            }
            return;
        }
        m_boardHasAll = false;
        const double msPerByte =
            BitsPerByte * 1000.0 /
            LineSettings::baudRateOf(m_engine->port().settings()).value_or(m_settings.baudRate);
        m_lineFreeAtMs = std::max(m_lineFreeAtMs, now) + double(traffic.bytes.size()) * msPerByte;
    });
}

BoardRun::~BoardRun() = default;

void BoardRun::start() {
    m_startedMs = m_engine->clock().elapsedMs();
    connectBoard();
}

void BoardRun::connectBoard() {
    m_state = State::Connecting;
    const int rateIndex = int(LineSettings::baudRates().indexOf(m_settings.baudRate));
    m_engine->connection().connectTo(m_portName, LineSettings::forIndex(rateIndex));
}

void BoardRun::onConnected() {
    m_identification = m_engine->session().controllerResponse().trimmed();
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
        Q_EMIT printed(m_identification);
        scheduleNext();
        return;
    case CliStep::Kind::Send:
        send(step.writes);
        return;
    case CliStep::Kind::TouchPause: {
        // As the utilities window does: no touch report may cross the command.
        if (!m_engine->send(Commands::touchOff())) {
            reportWriteFailure();
            return;
        }
        m_state = State::Pausing;
        const int generation = ++m_stepGeneration;
        m_engine->clock().callAfter(step.pauseMs, this, [this, generation, writes = step.writes] {
            if (m_state != State::Pausing || generation != m_stepGeneration)
                return;
            m_state = State::Running;
            send(writes);
        });
        return;
    }
    case CliStep::Kind::BaudRate:
        m_state = State::ChangingRate;
        m_engine->connection().changeBoardRate(step.rateIndex);
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
    MSserial& port = m_engine->port();
    finish(ExitCode::BoardGone,
           port.portOpen()
               ? tr("the board could not be written to (%1)").arg(port.lastError().description)
               : tr("the board went away (%1)").arg(port.lastError().description));
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
    m_timedOut = false;
    m_lastAnswerMs = m_engine->clock().elapsedMs();
    watchAnswer();
    if (m_engine->uploader().start(std::move(*plan), this) == Uploader::Start::Started)
        return;
    finish(ExitCode::BoardGone, tr("the board went away before %1").arg(step.command));
}

// Each answer of the board during an upload has --timeout to come. One check is
// pending at a time; it looks again for the time that is left.
void BoardRun::watchAnswer() {
    if (std::exchange(m_watchArmed, true))
        return;
    const qint64 waited = m_engine->clock().elapsedMs() - m_lastAnswerMs;
    m_engine->clock().callAfter(int(std::max<qint64>(1, m_settings.timeoutMs - waited)), this,
                                [this] { checkAnswer(); });
}

void BoardRun::checkAnswer() {
    m_watchArmed = false;
    if (m_state != State::Uploading || m_timedOut || m_interrupted)
        return;
    if (m_engine->clock().elapsedMs() - m_lastAnswerMs < m_settings.timeoutMs) {
        watchAnswer();
        return;
    }
    m_timedOut = true;
    m_engine->uploader().stop(UploadOutcome::Cause::Disconnected);
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
    if (m_timedOut) {
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
    const WriteList on =
        step.touch.keypad ? Commands::touchKeypadOn() : Commands::touchCoordinatesOn();
    if (!m_engine->send(on)) {
        reportWriteFailure();
        return;
    }
    m_state = State::Listening;
    m_listening = &step;
    m_touchPending.clear();
    m_reports = 0;
    const int generation = ++m_stepGeneration;
    if (step.touch.milliseconds > 0)
        m_engine->clock().callAfter(step.touch.milliseconds, this, [this, generation] {
            if (m_state == State::Listening && generation == m_stepGeneration)
                stopListening();
        });
}

void BoardRun::stopListening() {
    m_state = State::Running;
    m_listening = nullptr;
    send(Commands::touchOff());
}

void BoardRun::onPolled() {
    if (m_state != State::Listening)
        return;
    const QString chunk = m_engine->session().controllerResponse();
    // An acknowledgement is no report.
    if (chunk.isEmpty() || chunk == Acknowledge)
        return;
    if (m_listening->touch.keypad) {
        ++m_reports;
        Q_EMIT printed(chunk);
    } else {
        takeTouchReports(chunk);
    }
    if (m_state == State::Listening && m_listening->touch.count > 0 &&
        m_reports >= m_listening->touch.count)
        stopListening();
}

// Reports may come several in a read, or split over two reads: each ends with "$".
void BoardRun::takeTouchReports(const QString& chunk) {
    m_touchPending += chunk;
    qsizetype end = 0;
    while ((end = m_touchPending.indexOf(QLatin1Char('$'))) >= 0) {
        const QString report = m_touchPending.left(end);
        m_touchPending.remove(0, end + 1);
        if (report.isEmpty())
            continue;
        if (const std::optional<TouchReport::Point> point = TouchReport::decode(report)) {
            ++m_reports;
            Q_EMIT printed(QStringLiteral("%1 %2").arg(point->x).arg(point->y));
        } else {
            Q_EMIT noted(tr("unreadable touch report \"%1\"").arg(TerminalText::escaped(report)));
        }
        if (m_listening->touch.count > 0 && m_reports >= m_listening->touch.count)
            return;
    }
    if (m_touchPending.size() > TouchReportLimit) {
        Q_EMIT noted(
            tr("unreadable touch report \"%1\"").arg(TerminalText::escaped(m_touchPending)));
        m_touchPending.clear();
    }
}

void BoardRun::interrupt() {
    if (m_state == State::Finishing || m_state == State::Finished || m_interrupted)
        return;
    m_interrupted = true;
    switch (m_state) {
    case State::Uploading:
        // The uploader finishes the board's command; its end finishes the run.
        m_engine->uploader().stop(UploadOutcome::Cause::Disconnected);
        return;
    case State::Listening:
        m_engine->send(Commands::touchOff());
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
    if (!m_engine->port().portOpen() || m_boardHasAll) {
        leaveBoard();
        return;
    }
    const double lineBusyMs = m_lineFreeAtMs - double(m_engine->clock().elapsedMs());
    m_engine->clock().callAfter(LineDrainMs + int(std::ceil(std::max(0.0, lineBusyMs))), this,
                                [this] { leaveBoard(); });
}

void BoardRun::leaveBoard() {
    m_result.elapsedMs = m_engine->clock().elapsedMs() - m_startedMs;
    m_engine->disconnect();
    m_state = State::Finished;
    Q_EMIT finished();
}
