#include "project/projectprovisioner.h"

#include "engine/boardengine.h"
#include "engine/uploadnotes.h"

ProjectProvisioner::ProjectProvisioner(BoardEngine& engine, QObject* parent)
    : QObject(parent)
    , m_engine(engine) {
    connect(&engine, &BoardEngine::uploadFinished, this, &ProjectProvisioner::onUploadFinished);
}

bool ProjectProvisioner::start(const QList<ProjectStep>& steps) {
    if (m_running || !m_engine.portOpen() || m_engine.uploadBusy())
        return false;
    m_steps = steps;
    m_next = 0;
    m_running = true;
    ++m_generation;
    runNext();
    return true;
}

void ProjectProvisioner::runNext() {
    if (!m_running)
        return;
    if (m_next >= m_steps.size()) {
        finish(true, tr("Provisioned: %1 steps").arg(m_steps.size()));
        return;
    }
    const ProjectStep& step = m_steps.at(m_next);
    Q_EMIT stepStarted(m_next, int(m_steps.size()), step.name);
    ++m_next;
    const auto goOn = [this, generation = m_generation] {
        if (generation == m_generation)
            runNext();
    };
    switch (step.step.kind) {
    case CliStep::Kind::Save:
    case CliStep::Kind::Font:
        m_uploading = true;
        if (m_engine.startUpload(step.step.plan, this) != Uploader::Start::Started) {
            m_uploading = false;
            finish(false, tr("%1 could not start: the board is not connected").arg(step.name));
        }
        return;
    case CliStep::Kind::TouchPause:
        if (!m_engine.sendInTouchPause(step.step.writes, [this, goOn, name = step.name](bool sent) {
                if (!m_running)
                    return;
                if (!sent)
                    finish(false, tr("The board did not take %1").arg(name));
                else
                    goOn();
            }))
            finish(false, tr("The board did not take %1").arg(step.name));
        return;
    default:
        if (!m_engine.send(step.step.writes)) {
            finish(false, tr("The board did not take %1").arg(step.name));
            return;
        }
        // From the event loop: a long start screen does not nest calls.
        QMetaObject::invokeMethod(this, goOn, Qt::QueuedConnection);
        return;
    }
}

void ProjectProvisioner::onUploadFinished(const UploadOutcome& outcome) {
    if (!m_running || !m_uploading)
        return;
    m_uploading = false;
    if (outcome.cause == UploadOutcome::Cause::Completed)
        runNext();
    else
        finish(false, UploadNotes::stopped(outcome));
}

void ProjectProvisioner::finish(bool completed, const QString& message) {
    m_running = false;
    ++m_generation;
    Q_EMIT finished(completed, message);
}
