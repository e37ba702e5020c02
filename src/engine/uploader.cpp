#include "engine/uploader.h"

#include "engine/clock.h"
#include "engine/connectioncontroller.h"
#include "engine/linesettings.h"
#include "engine/msserial.h"
#include "engine/session.h"

#include <cmath>

Uploader::Uploader(MSserial& port, Session& session, ConnectionController& connection, Clock& clock,
                   QObject* parent)
    : QObject(parent)
    , m_port(port)
    , m_session(session)
    , m_connection(connection)
    , m_clock(clock) {
    qRegisterMetaType<UploadProgress>();
    qRegisterMetaType<UploadOutcome>();
    connect(&connection, &ConnectionController::polled, this, &Uploader::onPolled);
    connect(&port, &MSserial::readyRead, this, &Uploader::onReadyRead);
    connect(&port, &MSserial::portLost, this, [this](const PortError& error) {
        if (isBusy())
            end(UploadOutcome::Cause::PortLost, false, error);
    });
    connect(&port, &MSserial::portOpenChanged, this, [this](bool open) {
        // Closed under the upload: nothing can reach the board now.
        if (!open && isBusy())
            end(m_state == State::Finishing ? m_stopCause : UploadOutcome::Cause::Disconnected,
                false);
    });
}

Uploader::Start Uploader::start(UploadPlan plan, QObject* owner) {
    if (isBusy()) {
        Q_EMIT refused(m_plan.description);
        return Start::Busy;
    }
    if (!m_port.portOpen())
        return Start::PortClosed;
    m_plan = std::move(plan);
    m_state = State::Running;
    m_stopCause = UploadOutcome::Cause::Completed;
    m_block = 0;
    m_bytesSent = 0;
    m_bytesTotal = m_plan.byteCount();
    m_startedMs = m_clock.elapsedMs();
    m_lastAnswerMs = m_startedMs;
    const quint64 upload = ++m_uploadCount;
    if (owner) {
        // Nothing may run inside the owner's destruction: the stop comes right after it,
        // for this upload only.
        m_ownerConnection = connect(owner, &QObject::destroyed, this, [this, upload] {
            QMetaObject::invokeMethod(
                this,
                [this, upload] {
                    if (upload == m_uploadCount)
                        stop(UploadOutcome::Cause::WindowClosed);
                },
                Qt::QueuedConnection);
        });
    }
    Q_EMIT busyChanged(true);
    Q_EMIT started(m_plan.name, m_plan.progressMaximum);
    if (m_plan.blocks.empty()) {
        end(UploadOutcome::Cause::Completed, true);
        return Start::Started;
    }
    sendBlock();
    if (m_answerLimitMs > 0 && isBusy())
        armAnswerWatch();
    return Start::Started;
}

void Uploader::stop(UploadOutcome::Cause cause) {
    if (m_state != State::Running)
        return;
    if (!m_port.portOpen()) {
        end(cause, false);
        return;
    }
    m_state = State::Finishing;
    m_stopCause = cause;
    Q_EMIT finishing(m_plan.finishingNote);
    // The block in flight is answered first; the filler follows from there.
    m_lastAnswerMs = m_clock.elapsedMs();
    m_finishByMs = m_lastAnswerMs + fillerLineMs() + FinishingAnswerLimitMs;
    armAnswerWatch();
}

qint64 Uploader::fillerLineMs() const {
    qint64 bytes = 0;
    for (size_t block = size_t(m_block) + 1; block < m_plan.blocks.size(); ++block)
        bytes += m_plan.blocks[block].filler.bytes().size();
    const int baudRate = LineSettings::baudRateOf(m_port.settings()).value_or(0);
    return qint64(std::ceil(LineSettings::lineMs(bytes, baudRate)));
}

void Uploader::sendBlock() {
    const UploadBlock& block = m_plan.blocks[size_t(m_block)];
    const WriteList& writes = m_state == State::Finishing ? block.filler : block.writes;
    m_sending = true;
    const bool written = m_port.output(writes);
    m_sending = false;
    if (!written) {
        // Nothing more can be written: nothing can finish the board's command either.
        if (m_port.portOpen())
            end(UploadOutcome::Cause::WriteFailed, false, m_port.lastError());
        else if (isBusy())
            end(UploadOutcome::Cause::PortLost, false, m_port.lastError());
        return;
    }
    m_bytesSent += writes.bytes().size();
    m_session.clearControllerResponse();
    m_awaiting = true;
    if (m_state == State::Running) {
        m_connection.setPollInterval(block.pollIntervalMs);
        if (block.progressWhenSent >= 0)
            Q_EMIT progressValueChanged(block.progressWhenSent);
        Q_EMIT blockSent(m_block);
    }
    if (std::exchange(m_answerWhileSending, false))
        onReadyRead();
}

void Uploader::onPolled() {
    if (m_awaiting && !m_session.controllerResponse().isEmpty())
        takeAnswer();
}

void Uploader::onReadyRead() {
    if (!m_awaiting && !m_sending)
        return;
    if (m_pacing != Pacing::AnswerDriven && m_state != State::Finishing)
        return;
    if (m_sending) {
        m_answerWhileSending = true;
        return;
    }
    const QByteArray answer = m_port.input();
    if (answer.isEmpty())
        return;
    m_session.setControllerResponse(QString::fromLatin1(answer));
    takeAnswer();
}

void Uploader::takeAnswer() {
    m_awaiting = false;
    m_lastAnswerMs = m_clock.elapsedMs();
    const bool last = m_block + 1 == int(m_plan.blocks.size());
    if (m_state == State::Running) {
        const int value = m_plan.blocks[size_t(m_block)].progressWhenAnswered;
        if (value >= 0)
            Q_EMIT progressValueChanged(value);
        Q_EMIT progress(currentProgress());
        if (!isBusy())
            return;
    }
    if (!(last && m_plan.keepsLastAnswer && m_state == State::Running))
        m_session.clearControllerResponse();
    if (last) {
        end(m_state == State::Finishing ? m_stopCause : UploadOutcome::Cause::Completed, true);
        return;
    }
    ++m_block;
    sendBlock();
}

// One check is pending at a time (arming again replaces it); it looks again for the time
// that is left.
void Uploader::armAnswerWatch() {
    const quint64 watch = ++m_watchCount;
    const qint64 now = m_clock.elapsedMs();
    qint64 due = m_lastAnswerMs + (m_state == State::Finishing ? qint64(FinishingAnswerLimitMs)
                                                               : qint64(m_answerLimitMs));
    if (m_state == State::Finishing)
        due = std::min(due, m_finishByMs);
    m_clock.callAfter(int(std::max<qint64>(1, due - now)), this, [this, watch] {
        if (watch == m_watchCount)
            checkAnswerWatch();
    });
}

void Uploader::checkAnswerWatch() {
    const qint64 now = m_clock.elapsedMs();
    const qint64 waited = now - m_lastAnswerMs;
    if (m_state == State::Running) {
        if (m_answerLimitMs <= 0)
            return;
        if (m_awaiting && waited >= m_answerLimitMs) {
            stop(UploadOutcome::Cause::TimedOut);
            return;
        }
    } else if (m_state == State::Finishing) {
        if (now >= m_finishByMs || (m_awaiting && waited >= FinishingAnswerLimitMs)) {
            end(m_stopCause, false);
            return;
        }
    } else {
        return;
    }
    armAnswerWatch();
}

void Uploader::end(UploadOutcome::Cause cause, bool boardReady, const PortError& error) {
    UploadOutcome outcome{
        m_plan.name, m_plan.description, cause,        error,
        boardReady,  m_bytesSent,        m_bytesTotal, m_clock.elapsedMs() - m_startedMs};
    m_state = State::Idle;
    m_awaiting = false;
    m_answerWhileSending = false;
    disconnect(m_ownerConnection);
    m_connection.setPollInterval(ConnectionController::ReceivePollMs);
    Q_EMIT busyChanged(false);
    Q_EMIT finished(outcome);
    Q_EMIT ended();
}

UploadProgress Uploader::currentProgress() const {
    return {m_block + 1, int(m_plan.blocks.size()), m_bytesSent, m_bytesTotal,
            m_clock.elapsedMs() - m_startedMs};
}
