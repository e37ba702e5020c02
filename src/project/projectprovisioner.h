#pragma once

#include "project/projectplan.h"

#include <QList>
#include <QObject>
#include <QString>

class BoardEngine;
struct UploadOutcome;

// Sends a project's steps, one after the other, to the board the program is connected
// to: the uploads through the engine's uploader (its progress bar and status notes),
// the start screen's commands as they are. Driven by the engine's signals.
class ProjectProvisioner : public QObject {
    Q_OBJECT
public:
    explicit ProjectProvisioner(BoardEngine& engine, QObject* parent = nullptr);

    // False (and nothing sent) while the port is closed or another upload owns the line.
    bool start(const QList<ProjectStep>& steps);
    bool isRunning() const { return m_running; }

Q_SIGNALS:
    void stepStarted(int index, int count, const QString& name);
    // completed: every step went out; otherwise why not.
    void finished(bool completed, const QString& message);

private:
    void runNext();
    void onUploadFinished(const UploadOutcome& outcome);
    void finish(bool completed, const QString& message);

    BoardEngine& m_engine;
    QList<ProjectStep> m_steps;
    int m_next = 0;
    bool m_running = false;
    bool m_uploading = false;
    // The run a pause belongs to, so that one falling due after the run ended is ignored.
    int m_generation = 0;
};
