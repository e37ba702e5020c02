#pragma once

#include "cli/boardrun.h"
#include "cli/clirequest.h"
#include "cli/projectcommand.h"
#include "cli/progressview.h"

#include <QList>
#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class Clock;
class Console;
class PortCatalog;
class PortSystem;

// lumaret-cli as a whole: the command line checked, pictures and fonts prepared, then
// the commands on every board at once (one engine per board, one event loop), the
// results told, and the exit status.
class CliProgram : public QObject {
    Q_OBJECT
public:
    // What the program works with; tests give their own clock and ports.
    struct Environment {
        std::shared_ptr<Clock> clock;
        // The ports of the system, fresh for each board (the simulator is added to it).
        std::function<std::shared_ptr<PortCatalog>()> ports;
        static Environment system();
    };

    CliProgram(Console& console, Environment environment, QObject* parent = nullptr);
    ~CliProgram() override;

    // Starts the command line's work; finished() tells the end (at once, for help or a
    // refused line).
    void start(const QStringList& arguments);
    // Ctrl-C: the boards finish what they cannot leave half done; a second one ends
    // the program at once.
    void interrupt();

    // What the system says of ports and users, for doctor and ports (this machine's
    // unless a test gives its own).
    void setPortSystem(std::shared_ptr<const PortSystem> system);

    bool isFinished() const { return m_exitCode.has_value(); }
    int exitCode() const { return m_exitCode.value_or(ExitCode::Done); }
    const QList<BoardRun*>& runs() const { return m_runs; }

    // The name --port means: the simulator's, a listed port's by its label, or as given.
    static QString resolvePort(const QString& given, const PortCatalog& catalog);

Q_SIGNALS:
    // A board's run was made (before it starts): tests look at its engine.
    void runCreated(BoardRun* run);
    void finished(int exitCode);

private:
    void listPorts();
    void examinePorts(const QString& port);
    std::optional<QStringList> boardPorts(const CliSettings& settings);
    void startRuns(const CliRequest& request, const QStringList& ports);
    void onRunFinished(BoardRun* run);
    void printTable();
    void end(int exitCode);

    Console& m_console;
    Environment m_environment;
    std::shared_ptr<const PortSystem> m_portSystem;
    bool m_quiet = false;
    std::unique_ptr<ProgressView> m_progress;
    QList<BoardRun*> m_runs;
    int m_interrupts = 0;
    std::optional<int> m_exitCode;
    ProjectCommand m_project;
};
