#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QProcess;

// The firmware updater as a started program: start it, and hear whether it failed to
// start or when it has ended. Tests put a program of their own making in its place.
class UpdaterProcess : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Starts program with these arguments in folder. Returns at once; the signals tell
    // the rest (a failure may be told before start returns).
    virtual void start(const QString& program, const QStringList& arguments,
                       const QString& folder) = 0;

Q_SIGNALS:
    void failedToStart(const QString& reason);
    void ended();
};

// The real updater: a console program, in a console window of its own on Windows.
class QtUpdaterProcess : public UpdaterProcess {
    Q_OBJECT
public:
    QtUpdaterProcess();
    ~QtUpdaterProcess() override;

    void start(const QString& program, const QStringList& arguments,
               const QString& folder) override;

private:
    QProcess* m_process;
};
