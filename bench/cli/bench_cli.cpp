// Speed of lumaret-cli, measured as ratios in one run:
//
//   - from the start of the program to the first byte on the line (a pseudo-terminal
//     this benchmark reads itself), median of 5 starts: target < 150 ms;
//   - a preview of a 320 x 240 picture against lumaret-board --line-rate at 115200
//     bit/s, the whole program's run against the line's own time for the picture
//     ((2 + 76,800) bytes of 10 bits): target <= 1.04;
//   - the same preview on four such boards at once against one board's run: target
//     <= 1.10.
//
// Each board's screen is checked against the picture afterwards.

#include "benchfigures.h"
#include "boardprocess.h"
#include "board/pty/pseudoterminal.h"
#include "engine/colorvalue.h"
#include "graphic/pictureconversion.h"
#include "graphic/screencanvas.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr double FirstByteTargetMs = 150;
constexpr double PreviewTarget = 1.04;
constexpr double FourBoardsTarget = 1.10;
constexpr int BaudRate = 115200;
constexpr double LineSeconds = (2 + 76800) * 10.0 / BaudRate;

// Milliseconds from starting lumaret-cli to the first byte it puts on the line.
double firstByteMs() {
    PseudoTerminal line;
    if (!line.isOpen())
        return -1;
    QProcess cli;
    QElapsedTimer clock;
    clock.start();
    cli.start(benchProgram("lumaret-cli"),
              {QStringLiteral("--port"), line.devicePath(), QStringLiteral("identify")});
    double ms = -1;
    const QDeadlineTimer deadline(5000);
    while (!deadline.hasExpired()) {
        if (!line.readAvailable().isEmpty()) {
            ms = double(clock.nsecsElapsed()) / 1e6;
            break;
        }
        QThread::usleep(200);
    }
    // The board's answer lets the program end at once.
    line.write("100");
    cli.waitForFinished(5000);
    return ms;
}

// Seconds the whole program takes to preview the picture on the boards; -1 on failure.
double previewSeconds(const std::vector<std::unique_ptr<BoardProcess>>& boards, const QString& picture) {
    QStringList arguments{QStringLiteral("--quiet")};
    for (const auto& board : boards)
        arguments << QStringLiteral("--port") << board->device();
    arguments << QStringLiteral("preview") << picture;
    QProcess cli;
    QElapsedTimer clock;
    clock.start();
    cli.start(benchProgram("lumaret-cli"), arguments);
    if (!cli.waitForFinished(60000) || cli.exitCode() != 0) {
        std::fprintf(stderr, "lumaret-cli failed: %s\n", cli.readAllStandardError().constData());
        return -1;
    }
    return double(clock.nsecsElapsed()) / 1e9;
}

bool screensShow(const std::vector<std::unique_ptr<BoardProcess>>& boards, const QByteArray& expected) {
    return std::all_of(boards.begin(), boards.end(),
                       [&](const auto& board) {
                           // Its colour values, reduced as every picture is.
                           return screenPixels(ScreenCanvas(board->screen(), Qt::white)) ==
                                  expected;
                       });
}

} // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
    QCoreApplication application(argc, argv);

    std::vector<double> starts;
    for (int run = 0; run < 5; ++run)
        starts.push_back(firstByteMs());
    std::sort(starts.begin(), starts.end());
    const double firstByte = starts.at(starts.size() / 2);
    std::printf("Start of lumaret-cli to its first byte on the line: %.1f ms (median of 5; "
                "target < %.0f ms)  %s\n",
                firstByte, FirstByteTargetMs,
                verdict(firstByte >= 0 && firstByte < FirstByteTargetMs));

    QTemporaryDir folder;
    const QString picture = folder.filePath(QStringLiteral("noise.png"));
    const QImage image = noisePicture(320, 240);
    image.save(picture);
    const QByteArray expected = boardPixels(image, {});

    std::vector<std::unique_ptr<BoardProcess>> one;
    std::vector<std::unique_ptr<BoardProcess>> four;
    for (int i = 0; i < 5; ++i) {
        auto board = std::make_unique<BoardProcess>();
        if (!board->start()) {
            std::fprintf(stderr, "lumaret-board did not start\n");
            return 1;
        }
        (i == 0 ? one : four).push_back(std::move(board));
    }

    const double single = previewSeconds(one, picture);
    const double ratio = single / LineSeconds;
    std::printf("Preview to lumaret-board --line-rate at 115200: %.3f s, %.4f x the line's %.3f s "
                "(target <= %.2f)  %s\n",
                single, ratio, LineSeconds, PreviewTarget,
                verdict(single > 0 && ratio <= PreviewTarget));
    std::printf("  board's screen equals the picture: %s\n", verdict(screensShow(one, expected)));

    const double parallel = previewSeconds(four, picture);
    const double fourRatio = parallel / single;
    std::printf("Preview to four such boards at once: %.3f s, %.4f x one board's (target <= %.2f)  "
                "%s\n",
                parallel, fourRatio, FourBoardsTarget,
                verdict(parallel > 0 && fourRatio <= FourBoardsTarget));
    std::printf("  every board's screen equals the picture: %s\n",
                verdict(screensShow(four, expected)));
    return 0;
}
