// Speed of the board simulator.
//
//   bench_board              runs the measurements and prints them
//   bench_board --no-line    leaves out the line-rate runs (3 x 7 s)
//
// The emulator's own speed, in processor time: command bytes consumed per second
// (small drawing and text commands, pictures, large shapes), and a full-screen write
// with its 240 answers. Then lumaret-board --line-rate on a pseudo-terminal: a full-screen write
// at 115200 bit/s, sent row by row as the app does, against the line time of its
// 76802 bytes.

#include "benchfigures.h"
#include "boardprocess.h"
#include "board/boardemulator.h"
#include "engine/commands.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSerialPort>

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace {

constexpr double ThroughputTargetMBps = 50;
constexpr double FullScreenTargetMs = 5;
constexpr double LineTimeToleranceRatio = 0.03;
constexpr int PictureBytes = BoardGeometry::PixelCount;

// The emulator's figures count processor time, so that other work on the machine
// does not pass for slowness of the board.
double processorSecondsSince(std::clock_t started) {
    return double(std::clock() - started) / CLOCKS_PER_SEC;
}

Commands::Point somewhere(QRandomGenerator& random) {
    return {quint16(random.bounded(BoardGeometry::Width)),
            quint8(random.bounded(BoardGeometry::Height))};
}

// What the tools send most: pixels, cursor and text, short lines and small shapes.
QByteArray smallCommands(int megabytes) {
    QRandomGenerator random(7);
    QByteArray stream;
    while (stream.size() < megabytes * 1000000) {
        const Commands::Point at = somewhere(random);
        const Commands::Point near{quint16(std::min(319, at.x + 6)),
                                   quint8(std::min(239, at.y + 4))};
        const quint8 color = quint8(random.bounded(256));
        switch (random.bounded(6)) {
        case 0:
            stream += Commands::drawPixel(at, color).bytes();
            break;
        case 1:
            stream += Commands::setTextCursor(at).bytes();
            stream += Commands::writeText(color, 1, "Lumaret 42").bytes();
            break;
        case 2:
            stream += Commands::drawLine(at, near, color).bytes();
            break;
        case 3:
            stream += Commands::fillRectangle(at, near, color).bytes();
            break;
        case 4:
            stream += Commands::drawCircle(at, 4, color).bytes();
            break;
        default:
            stream += Commands::drawRectangle(at, near, color).bytes();
            break;
        }
    }
    return stream;
}

QByteArray picture(int seed) {
    QByteArray pixels(PictureBytes, Qt::Uninitialized);
    for (int i = 0; i < PictureBytes; ++i)
        pixels[i] = char((i * 13 + seed) & 0xFF);
    return pixels;
}

QByteArray pictures(int count) {
    QByteArray stream;
    for (int i = 0; i < count; ++i)
        stream += Commands::writeScreen(picture(i)).bytes();
    return stream;
}

// Random shapes anywhere on the screen: most of the time goes into drawing, not decoding.
QByteArray largeShapes(int megabytes) {
    QRandomGenerator random(11);
    QByteArray stream;
    while (stream.size() < megabytes * 1000000) {
        const quint8 color = quint8(random.bounded(256));
        switch (random.bounded(4)) {
        case 0:
            stream += Commands::drawLine(somewhere(random), somewhere(random), color).bytes();
            break;
        case 1:
            stream += Commands::fillRectangle(somewhere(random), somewhere(random), color).bytes();
            break;
        case 2:
            stream +=
                Commands::drawCircle(somewhere(random), quint8(random.bounded(120)), color).bytes();
            break;
        default:
            stream +=
                Commands::fillCircle(somewhere(random), quint8(random.bounded(120)), color).bytes();
            break;
        }
    }
    return stream;
}

// Feeds the stream in 4 KB reads, as from a serial line; returns MB/s.
double throughput(const QByteArray& stream) {
    BoardEmulator board;
    const std::clock_t started = std::clock();
    for (qsizetype i = 0; i < stream.size(); i += 4096) {
        board.feed(QByteArrayView(stream).sliced(i, std::min<qsizetype>(4096, stream.size() - i)));
        board.takeAnswers();
    }
    const double seconds = processorSecondsSince(started);
    if (board.errorCount() != 0)
        std::fprintf(stderr, "unexpected decoding errors: %d\n", board.errorCount());
    return double(stream.size()) / 1e6 / seconds;
}

enum class Chunking { Whole, Rows, Bytes };

// Milliseconds for one full-screen write and the collection of its 240 answers.
double fullScreenMs(Chunking chunking) {
    constexpr int Runs = 50;
    const QByteArray command = Commands::writeScreen(picture(3)).bytes();
    BoardEmulator board;
    const std::clock_t started = std::clock();
    qsizetype answers = 0;
    for (int run = 0; run < Runs; ++run) {
        switch (chunking) {
        case Chunking::Whole:
            board.feed(command);
            answers += board.takeAnswers().size();
            break;
        case Chunking::Rows:
            board.feed(QByteArrayView(command).first(2));
            for (int row = 0; row < BoardGeometry::Height; ++row) {
                board.feed(QByteArrayView(command).sliced(2 + row * BoardGeometry::Width,
                                                          BoardGeometry::Width));
                answers += board.takeAnswers().size();
            }
            break;
        case Chunking::Bytes:
            // As the in-process link gets them: the app writes each pixel on its own.
            for (const char byte : command) {
                board.feed(QByteArrayView(&byte, 1));
                answers += board.takeAnswers().size();
            }
            break;
        }
    }
    const double ms = processorSecondsSince(started) * 1000 / Runs;
    if (answers != qsizetype(Runs) * BoardGeometry::Height)
        std::fprintf(stderr, "expected %d answers, got %lld\n", Runs * BoardGeometry::Height,
                     qint64(answers));
    return ms;
}

// Seconds for a full-screen write through lumaret-board --line-rate at 115200, row
// by row, each row sent when the previous one was acknowledged; -1 on failure.
double lineRateSeconds() {
    BoardProcess board;
    if (!board.start())
        return -1;
    const QString device = board.device();
    QSerialPort port(device);
    port.setBaudRate(115200);
    if (!port.open(QIODevice::ReadWrite)) {
        std::fprintf(stderr, "cannot open %s: %s\n", qPrintable(device),
                     qPrintable(port.errorString()));
        return -1;
    }
    const auto send = [&port](QByteArrayView bytes) {
        port.write(bytes.data(), bytes.size());
        while (port.bytesToWrite() > 0 && port.waitForBytesWritten(1000)) {
        }
    };
    const auto awaitAcknowledge = [&port] {
        while (port.bytesAvailable() == 0) {
            if (!port.waitForReadyRead(2000))
                return false;
        }
        port.read(1);
        return true;
    };
    const QByteArray command = Commands::writeScreen(picture(5)).bytes();
    QElapsedTimer clock;
    clock.start();
    send(QByteArrayView(command).first(2));
    for (int row = 0; row < BoardGeometry::Height; ++row) {
        send(QByteArrayView(command).sliced(2 + row * BoardGeometry::Width, BoardGeometry::Width));
        if (!awaitAcknowledge()) {
            std::fprintf(stderr, "no answer to row %d\n", row);
            return -1;
        }
    }
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    port.close();
    return seconds;
}

} // namespace

int main(int argc, char* argv[]) {
    // Each result shows as it comes, also when the output goes to a file.
    std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
    QCoreApplication application(argc, argv);
    bool allMet = true;

    const double small = throughput(smallCommands(32));
    const double picturesRate = throughput(pictures(400));
    const double shapes = throughput(largeShapes(4));
    allMet = allMet && small >= ThroughputTargetMBps && picturesRate >= ThroughputTargetMBps;
    std::printf("emulator, small drawing and text commands: %8.1f MB/s (target >= %.0f)  %s\n",
                small, ThroughputTargetMBps, verdict(small >= ThroughputTargetMBps));
    std::printf("emulator, full-screen pictures:            %8.1f MB/s (target >= %.0f)  %s\n",
                picturesRate, ThroughputTargetMBps, verdict(picturesRate >= ThroughputTargetMBps));
    std::printf("emulator, large random shapes (drawing):   %8.1f MB/s (for information)\n",
                shapes);

    const double whole = fullScreenMs(Chunking::Whole);
    const double rows = fullScreenMs(Chunking::Rows);
    const double bytes = fullScreenMs(Chunking::Bytes);
    const double slowest = std::max({whole, rows, bytes});
    allMet = allMet && slowest < FullScreenTargetMs;
    std::printf("full-screen write + 240 answers, one block: %7.3f ms (target < %.0f)  %s\n", whole,
                FullScreenTargetMs, verdict(whole < FullScreenTargetMs));
    std::printf("full-screen write + 240 answers, by rows:   %7.3f ms (target < %.0f)  %s\n", rows,
                FullScreenTargetMs, verdict(rows < FullScreenTargetMs));
    std::printf("full-screen write + 240 answers, by bytes:  %7.3f ms (target < %.0f)  %s\n", bytes,
                FullScreenTargetMs, verdict(bytes < FullScreenTargetMs));

    if (!application.arguments().contains(QStringLiteral("--no-line"))) {
        // Both processes wake up for every row, so the machine's wake-up latency adds
        // to each run; the median of three runs is the figure.
        const double lineTime = 76802.0 * 10 / 115200;
        QList<double> runs;
        for (int run = 0; run < 3; ++run)
            runs.append(lineRateSeconds());
        std::sort(runs.begin(), runs.end());
        const double seconds = runs.at(1);
        const double deviation = (seconds - lineTime) / lineTime;
        const bool met = seconds > 0 && std::abs(deviation) <= LineTimeToleranceRatio;
        allMet = allMet && met;
        std::printf("lumaret-board --line-rate, full screen at 115200: %.3f s (median of %.3f, "
                    "%.3f, %.3f; line time %.3f s, %+.2f %%; target within 3 %%)  %s\n",
                    seconds, runs.at(0), runs.at(1), runs.at(2), lineTime, deviation * 100,
                    verdict(met));
    }
    return allMet ? 0 : 1;
}
