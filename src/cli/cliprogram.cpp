#include "cli/cliprogram.h"

#include "board/boardemulator.h"
#include "board/simulatorlink.h"
#include "cli/cliarguments.h"
#include "cli/console.h"
#include "cli/portchecks.h"
#include "cli/replaycommand.h"
#include "cli/uploadsources.h"
#include "engine/boardengine.h"
#include "engine/clock.h"
#include "engine/conversation.h"
#include "engine/msserial.h"
#include "engine/portcatalog.h"
#include "engine/portsystem.h"
#include "engine/terminaltext.h"
#include "engine/tracetext.h"

#include <QLocale>
#include <QPointer>

#include <algorithm>

namespace {

const QString SimulatorPort = QStringLiteral("Simulator");
const QString Program = QStringLiteral("lumaret-cli");

// The system's ports and the simulator after them, as the program's settings window
// lists them. The simulator's line leads to board (none: a port only to be listed).
void addSimulator(PortCatalog& catalog, BoardEmulator* board, Clock& clock) {
    const QPointer<BoardEmulator> alive(board);
    catalog.addVirtualPort({SimulatorPort, SimulatorPort},
                           [alive, &clock](const QString&) -> std::unique_ptr<SerialLink> {
                               if (!alive)
                                   return nullptr;
                               return std::make_unique<SimulatorLink>(*alive, clock);
                           });
}

} // namespace

CliProgram::Environment CliProgram::Environment::system() {
    return {std::make_shared<SystemClock>(),
            [] { return std::shared_ptr<PortCatalog>(PortCatalog::system()); }};
}

CliProgram::CliProgram(Console& console, Environment environment, QObject* parent)
    : QObject(parent)
    , m_console(console)
    , m_environment(std::move(environment))
    , m_portSystem(PortSystem::local())
    , m_project(console) {}

CliProgram::~CliProgram() = default;

QString CliProgram::resolvePort(const QString& given, const PortCatalog& catalog) {
    if (CliSettings::isSimulatorName(given))
        return SimulatorPort;
    const QList<PortEntry> entries = catalog.ports();
    for (const PortEntry& entry : entries) {
        if (entry.label == given || entry.name == given)
            return entry.name;
    }
    return given;
}

void CliProgram::start(const QStringList& arguments) {
    if (ReplayCommand::asked(arguments)) {
        end(ReplayCommand::run(arguments.mid(1), m_console));
        return;
    }
    CliRequest request = CliArguments::parse(arguments);
    switch (request.action) {
    case CliRequest::Action::ShowText:
        m_console.print(request.text);
        end(ExitCode::Done);
        return;
    case CliRequest::Action::Refuse:
        m_console.error(Program + QStringLiteral(": ") + request.text);
        end(ExitCode::Usage);
        return;
    case CliRequest::Action::ListPorts:
        listPorts();
        return;
    case CliRequest::Action::Doctor:
        examinePorts(request.text);
        return;
    case CliRequest::Action::Run:
        break;
    }
    if (const std::optional<int> done = m_project.prepare(request)) {
        end(*done);
        return;
    }
    m_quiet = request.settings.quiet;
    if (const std::optional<QString> refused = UploadSources::prepare(request.steps)) {
        m_console.error(Program + QStringLiteral(": ") + *refused);
        end(ExitCode::Usage);
        return;
    }
    const std::optional<QStringList> ports = boardPorts(request.settings);
    if (!ports)
        return;
    startRuns(request, *ports);
}

void CliProgram::listPorts() {
    const std::shared_ptr<PortCatalog> catalog = m_environment.ports();
    addSimulator(*catalog, nullptr, *m_environment.clock);
    const QList<PortEntry> entries = catalog->ports();
    for (const PortEntry& entry : entries) {
        if (entry.name == SimulatorPort)
            m_console.print(tr("sim (the built-in board simulator)"));
        else
            m_console.print(PortChecks::listed(*m_portSystem, entry.name));
    }
    end(ExitCode::Done);
}

void CliProgram::setPortSystem(std::shared_ptr<const PortSystem> system) {
    m_portSystem = std::move(system);
}

void CliProgram::examinePorts(const QString& port) {
    if (CliSettings::isSimulatorName(port)) {
        m_console.print(tr("sim is the built-in board simulator: it needs no port."));
        end(ExitCode::Done);
        return;
    }
    QStringList devices;
    if (!port.isEmpty()) {
        devices.append(resolvePort(port, *m_environment.ports()));
    } else {
        const QList<PortEntry> entries = m_environment.ports()->ports();
        for (const PortEntry& entry : entries)
            devices.append(entry.name);
    }
    const PortChecks::Report report = PortChecks::doctor(*m_portSystem, devices);
    for (const QString& line : report.lines)
        m_console.print(line);
    end(report.allUsable ? ExitCode::Done : ExitCode::NoBoard);
}

std::optional<QStringList> CliProgram::boardPorts(const CliSettings& settings) {
    const std::shared_ptr<PortCatalog> catalog = m_environment.ports();
    QStringList ports;
    for (const QString& port : settings.ports)
        ports.append(resolvePort(port, *catalog));
    if (!ports.isEmpty())
        return ports;
    const QList<PortEntry> entries = catalog->ports();
    for (const PortEntry& entry : entries) {
        ports.append(entry.name);
        if (!settings.allPorts)
            break;
    }
    if (ports.isEmpty()) {
        // A board is never stood in for by the simulator unless asked for.
        m_console.error(tr("%1: no serial port found; name one with --port NAME (--port sim is "
                           "the built-in simulator)")
                            .arg(Program));
        end(ExitCode::NoBoard);
        return std::nullopt;
    }
    return ports;
}

void CliProgram::startRuns(const CliRequest& request, const QStringList& ports) {
    const bool several = ports.size() > 1;
    m_progress = std::make_unique<ProgressView>(m_console, several);
    for (const QString& port : ports) {
        const std::shared_ptr<PortCatalog> catalog = m_environment.ports();
        std::unique_ptr<BoardEmulator> simulator;
        if (port == SimulatorPort) {
            simulator = std::make_unique<BoardEmulator>();
            // Nobody talks to it until the port opens.
            simulator->setLineBaudRate(0);
        }
        addSimulator(*catalog, simulator.get(), *m_environment.clock);
        auto engine = std::make_unique<BoardEngine>(m_environment.clock, catalog);
        auto* run = new BoardRun(port, request.settings, request.steps, std::move(engine),
                                 *m_environment.clock, std::move(simulator), this);
        const QString prefix = several ? port + QStringLiteral(": ") : QString();
        connect(run, &BoardRun::printed, this, [this, prefix](const QString& line) {
            m_console.print(prefix + TerminalText::escaped(line));
        });
        connect(run, &BoardRun::noted, this, [this, prefix](const QString& line) {
            if (!m_quiet)
                m_console.error(prefix + line);
        });
        if (!m_quiet) {
            connect(run, &BoardRun::uploadStarted, this,
                    [this, port](const QString& name) { m_progress->started(port, name); });
            connect(run, &BoardRun::uploadProgressed, this,
                    [this, port](const UploadProgress& progress) {
                        m_progress->progressed(port, progress);
                    });
            connect(run, &BoardRun::uploadEnded, this, [this, port] { m_progress->ended(port); });
        }
        if (request.settings.trace)
            connect(&run->engine().conversation(), &Conversation::recorded, this,
                    [this, prefix](const ConversationEvent& event) {
                        for (const QString& line : TraceText::lines(event))
                            m_console.error(prefix + TerminalText::escaped(line));
                    });
        m_project.watch(*run, *m_environment.clock);
        connect(run, &BoardRun::finished, this, [this, run] { onRunFinished(run); });
        m_runs.append(run);
        Q_EMIT runCreated(run);
    }
    for (BoardRun* run : std::as_const(m_runs))
        run->start();
}

void CliProgram::onRunFinished(BoardRun* run) {
    if (isFinished())
        return;
    const BoardRun::Result& result = run->result();
    if (result.exitCode != ExitCode::Done)
        m_console.error(QStringLiteral("%1: %2: %3").arg(Program, run->portName(), result.message));
    const bool allFinished = std::all_of(m_runs.begin(), m_runs.end(),
                                         [](BoardRun* each) { return each->isFinished(); });
    if (!allFinished)
        return;
    if (m_runs.size() > 1 && !m_quiet)
        printTable();
    int status = ExitCode::Done;
    for (BoardRun* each : std::as_const(m_runs))
        status = std::max(status, each->result().exitCode);
    end(m_project.finish(m_runs, status));
}

void CliProgram::printTable() {
    qsizetype portWidth = 4;
    for (BoardRun* run : std::as_const(m_runs))
        portWidth = std::max(portWidth, run->portName().size());
    const QLocale locale;
    m_console.print(tr("PORT").leftJustified(portWidth + 2) + tr("TIME      RESULT"));
    for (BoardRun* run : std::as_const(m_runs)) {
        const BoardRun::Result& result = run->result();
        const QString time =
            locale.toString(double(result.elapsedMs) / 1000.0, 'f', 1) + QStringLiteral(" s");
        const QString outcome =
            result.exitCode == ExitCode::Done
                ? tr("done")
                : tr("failed (%1): %2").arg(result.exitCode).arg(result.message);
        m_console.print(run->portName().leftJustified(portWidth + 2) + time.leftJustified(10) +
                        outcome);
    }
}

void CliProgram::interrupt() {
    if (isFinished())
        return;
    if (++m_interrupts > 1) {
        m_console.error(tr("%1: interrupted again: quitting at once").arg(Program));
        end(ExitCode::Interrupted);
        return;
    }
    if (!m_quiet)
        m_console.error(tr("%1: interrupted: finishing the board's command (Ctrl-C again quits "
                           "at once)")
                            .arg(Program));
    const QList<BoardRun*> runs = m_runs;
    for (BoardRun* run : runs)
        run->interrupt();
}

void CliProgram::end(int exitCode) {
    if (isFinished())
        return;
    m_console.setStatus({});
    m_exitCode = exitCode;
    Q_EMIT finished(exitCode);
}
