// Provisioning a board project, measured as ratios in one run: the example project (two
// fonts, twelve pictures, a start screen) sent by lumaret-cli with answer pacing to
//
//   - one lumaret-board --line-rate at 115200 bit/s, against the sum of its steps'
//     line times (the bytes at 10 bits each): target <= 1.05;
//   - eight such boards at once, against the one board: target <= 1.10, with the
//     processor time lumaret-cli takes for it.

#include "benchfigures.h"
#include "boardprocess.h"
#include "project/projectplan.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>

#include <sys/resource.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr double OneBoardTarget = 1.05;
constexpr double EightBoardsTarget = 1.10;
const QString Example = QStringLiteral(LUMARET_SOURCE_DIR "/data/example-project/example.toml");

double childProcessorSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct Run {
    double seconds = -1;
    double processorSeconds = 0;
};

// lumaret-cli provisioning the example onto that many boards.
Run provision(int boardCount) {
    std::vector<std::unique_ptr<BoardProcess>> boards;
    QStringList arguments{QStringLiteral("--quiet"), QStringLiteral("--pace"),
                          QStringLiteral("answer")};
    for (int i = 0; i < boardCount; ++i) {
        boards.push_back(std::make_unique<BoardProcess>());
        if (!boards.back()->start())
            return {};
        arguments << QStringLiteral("--port") << boards.back()->device();
    }
    arguments << QStringLiteral("provision") << Example;
    QProcess cli;
    const double processorBefore = childProcessorSeconds();
    QElapsedTimer clock;
    clock.start();
    cli.start(benchProgram("lumaret-cli"), arguments);
    if (!cli.waitForFinished(600000) || cli.exitCode() != 0) {
        std::fprintf(stderr, "lumaret-cli failed: %s\n", cli.readAllStandardError().constData());
        return {};
    }
    return {double(clock.nsecsElapsed()) / 1e9, childProcessorSeconds() - processorBefore};
}

} // namespace

int main(int argc, char** argv) {
    prepareBenchmark();
    QGuiApplication application(argc, argv);
    if (!loadDejaVuSans())
        return 1;
    const ProjectPlan plan = ProjectPlan::fromFile(Example);
    if (!plan.ok()) {
        std::fprintf(stderr, "%s\n", qPrintable(plan.issues.first().text()));
        return 1;
    }
    const double lineSeconds = plan.totalTime(AllProjectParts).lineMs / 1000.0;

    const Run one = provision(1);
    const double oneRatio = one.seconds / lineSeconds;
    std::printf("Example project (%lld bytes) onto one board at 115200 bit/s: %.2f s, line time "
                "%.2f s: x%.3f (target <= %.2f)  %s\n",
                plan.totalBytes(AllProjectParts), one.seconds, lineSeconds, oneRatio,
                OneBoardTarget, verdict(one.seconds > 0 && oneRatio <= OneBoardTarget));

    const Run eight = provision(8);
    const double eightRatio = eight.seconds / one.seconds;
    std::printf("Eight boards at once: %.2f s: x%.3f of one board (target <= %.2f), lumaret-cli "
                "took %.2f s of processor time (%.1f %% of one core; one board %.2f s)  %s\n",
                eight.seconds, eightRatio, EightBoardsTarget, eight.processorSeconds,
                100.0 * eight.processorSeconds / eight.seconds, one.processorSeconds,
                verdict(eight.seconds > 0 && one.seconds > 0 && eightRatio <= EightBoardsTarget));
    return 0;
}
