// Start-up time, idle CPU while connected, and resident memory of the program.
//
//   bench_startup            runs the measurements and prints them
//
// Start-up is measured from the moment a fresh process is started until its main
// window is shown and the event loop runs. Idle CPU and memory are measured in a
// process connected to a pseudo-terminal that answers like a board and then stays
// quiet, so only the 250 ms receive poll runs.

#include "app/frmmainmdi.h"
#include "board/pty/pseudoterminal.h"
#include "engine/boardengine.h"
#include "engine/clock.h"
#include "engine/connectioncontroller.h"
#include "engine/portcatalog.h"
#include "engine/qtseriallink.h"
#include "workbench/userdialogs.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSocketNotifier>
#include <QTextStream>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>

namespace {

constexpr double StartupLimitMs = 300;
constexpr double IdleCpuLimitPercent = 1;
constexpr double ResidentLimitMb = 80;

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double residentMegabytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return -1;
}

// Child: show the window, say so, and leave.
int showAndQuit(int argc, char** argv) {
    QApplication application(argc, argv);
    frmMainMDI window;
    window.show();
    QTimer::singleShot(0, &application, [] {
        std::puts("shown");
        std::fflush(stdout);
        QCoreApplication::quit();
    });
    return QApplication::exec();
}

// Child: connect to a pseudo-terminal board, then sit idle and measure.
int idleWhileConnected(int argc, char** argv) {
    QApplication application(argc, argv);
    PseudoTerminal board;
    if (!board.isOpen()) {
        std::fprintf(stderr, "no pseudo-terminal: %s\n", qPrintable(board.errorString()));
        return 1;
    }
    QSocketNotifier answers(board.masterDescriptor(), QSocketNotifier::Read);
    QObject::connect(&answers, &QSocketNotifier::activated, [&board] {
        if (board.readAvailable().contains("ID"))
            board.write("100");
    });
    const QString path = board.devicePath();
    auto catalog = std::make_shared<PortCatalog>(
        [path] {
            return QList<PortEntry>{{path, path}};
        },
        [](const QString& name) { return std::make_unique<QtSerialLink>(name); });
    frmMainMDI window(frmMainMDI::Services{
        std::make_shared<SystemClock>(), std::make_shared<QtUserDialogs>(), catalog, false, {}});
    window.show();
    window.engine().connectTo(path, QStringLiteral("115200,N,8,1"));

    constexpr int SettleMs = 1000;
    constexpr int IdleMs = 5000;
    double cpuAtStart = 0;
    QElapsedTimer idle;
    QTimer::singleShot(SettleMs, [&] {
        if (window.engine().connectionState() != ConnectionController::State::Connected) {
            std::fprintf(stderr, "not connected: %s\n", qPrintable(window.statusText()));
            QCoreApplication::exit(1);
            return;
        }
        cpuAtStart = cpuSeconds();
        idle.start();
    });
    QTimer::singleShot(SettleMs + IdleMs, [&] {
        const double percent = 100.0 * (cpuSeconds() - cpuAtStart) / (idle.elapsed() / 1000.0);
        std::printf("%.3f %.1f\n", percent, residentMegabytes());
        QCoreApplication::quit();
    });
    return QApplication::exec();
}

// The child's output; empty when it failed (it says why on the error output).
QByteArray runChild(const QString& mode) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {mode});
    if (!child.waitForFinished(60000) || child.exitStatus() != QProcess::NormalExit ||
        child.exitCode() != 0)
        return {};
    return child.readAllStandardOutput().trimmed();
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && qstrcmp(argv[1], "--show") == 0)
        return showAndQuit(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], "--idle") == 0)
        return idleWhileConnected(argc, argv);

    QCoreApplication application(argc, argv);
    QList<double> startups;
    for (int run = 0; run < 7; ++run) {
        QProcess child;
        QElapsedTimer clock;
        clock.start();
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--show")});
        const bool shown = child.waitForReadyRead(30000);
        startups.append(clock.nsecsElapsed() / 1e6);
        if (!shown || !child.waitForFinished(30000) || child.exitCode() != 0) {
            std::fprintf(stderr, "the main window did not show\n");
            return 1;
        }
    }
    std::sort(startups.begin(), startups.end());
    const double startup = startups.at(startups.size() / 2);

    const QByteArray idleFigures = runChild(QStringLiteral("--idle"));
    if (idleFigures.isEmpty()) {
        std::fprintf(stderr, "the idle measurement failed\n");
        return 1;
    }
    const QList<QByteArray> idle = idleFigures.split(' ');
    const double cpu = idle.value(0).toDouble();
    const double resident = idle.value(1).toDouble();

    std::printf("start-up to main window shown: %7.1f ms (median of 7; target < %.0f ms)  %s\n",
                startup, StartupLimitMs, startup < StartupLimitMs ? "ok" : "OVER");
    std::printf("idle CPU while connected:      %7.3f %% of a core (target < %.0f %%)  %s\n", cpu,
                IdleCpuLimitPercent, cpu < IdleCpuLimitPercent ? "ok" : "OVER");
    std::printf("resident memory at idle:       %7.1f MB (target < %.0f MB)  %s\n", resident,
                ResidentLimitMb, resident > 0 && resident < ResidentLimitMb ? "ok" : "OVER");
    return 0;
}
