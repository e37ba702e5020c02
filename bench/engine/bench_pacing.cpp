// The uploads paced by the receive poll and paced by the board's answers ("Fast
// Transfers"), side by side: the whole program (main window, tool windows, a real serial
// port) against lumaret-board --line-rate at 115200 bit/s, in one run.
//
// - Poll pacing, as the board tools always paced it: the board answers each block well
//   within one tick, so one block goes per tick; the paced part of each upload lies
//   within 3 % of 240 x 50 ms (preview), 300 x 70 ms (save) and 94 x 130 ms (font).
// - Answer-driven pacing: the next block goes the moment the answer arrives; a preview
//   and a save take at most 1.04 x the line time of their bytes (10 bits a byte), the
//   font (DejaVu Sans 24) at most 1.15 x; the program's CPU stays under 10 % of the time.
// - The protocol monitor costs nothing noticeable: an answer-driven preview with the
//   Monitor window open (showing every block and answer) takes at most 1.02 x the same
//   preview with it closed (alternately, two of each).

#include "app/frmmainmdi.h"
#include "benchfigures.h"
#include "engine/boardengine.h"
#include "graphic/screencanvas.h"
#include "linebench.h"
#include "workbench/toolwindows.h"
#include "workbench/updown.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLocale>
#include <QPushButton>

#include <cstdio>
#include <functional>

namespace {

constexpr double PollTolerance = 0.03;
constexpr double CpuShareTarget = 0.10;
constexpr double MonitorOpenTarget = 1.02;

struct Upload {
    const char* name;
    // Sets the upload off in its window.
    std::function<void(LineBench&)> start;
    // The blocks whose answers the poll paces, from the first of them to the end.
    int firstPacedBlock;
    int pacedBlocks;
    int pollMs;
    // At most this many times the line time of its bytes when the answers pace it.
    double answerTarget;
};

struct Run {
    double wallSeconds = -1;
    double pacedSeconds = -1;
    double cpuSeconds = 0;
    qint64 bytes = 0;
    bool completed = false;
};

void click(QWidget* window, const char* button) {
    window->findChild<QPushButton*>(QLatin1String(button))->click();
}

Run measure(LineBench& line, const Upload& upload) {
    Run run;
    BoardEngine& engine = line.engine();
    QElapsedTimer clock;
    qint64 pacedFromNs = -1;
    const auto paced = QObject::connect(&engine, &BoardEngine::uploadBlockSent, [&](int block) {
        if (block == upload.firstPacedBlock)
            pacedFromNs = clock.nsecsElapsed();
    });
    const auto finished =
        QObject::connect(&engine, &BoardEngine::uploadFinished, [&](const UploadOutcome& outcome) {
            run.completed = outcome.completed();
            run.bytes = outcome.bytesSent;
        });
    const double cpuBefore = processorSeconds();
    clock.start();
    upload.start(line);
    if (LineBench::waitUntil([&engine] { return !engine.uploadBusy(); }, 120000)) {
        const qint64 endNs = clock.nsecsElapsed();
        run.wallSeconds = double(endNs) / 1e9;
        run.pacedSeconds = double(endNs - pacedFromNs) / 1e9;
        run.cpuSeconds = processorSeconds() - cpuBefore;
    }
    QObject::disconnect(paced);
    QObject::disconnect(finished);
    return run;
}

} // namespace

int main(int argc, char** argv) {
    prepareBenchmark();
    QApplication application(argc, argv);
    if (!loadDejaVuSans())
        return 1;
    LineBench line;
    line.dialogs().font = QFont(QStringLiteral("DejaVu Sans"), 24);
    if (!line.start())
        return 1;

    const QImage picture = noisePicture(400, 300);
    const QString pictureFile = line.folder().filePath(QStringLiteral("noise.bmp"));
    picture.save(pictureFile);
    const QByteArray expectedScreen = screenPixels(ScreenCanvas(picture, Qt::white));
    QWidget* graphic = line.open(QStringLiteral("frmGraphic"));
    line.dialogs().fileAnswers.append(pictureFile);
    click(graphic, "cmdOpen");
    graphic->findChild<UpDown*>(QStringLiteral("udScreenNumber"))->setValue(12);
    QWidget* font = line.open(QStringLiteral("frmFont"));

    const QList<Upload> uploads{
        {"Preview", [graphic](LineBench&) { click(graphic, "cmdPreview"); }, 0, 240, 50, 1.04},
        {"Save", [graphic](LineBench&) { click(graphic, "cmdSave"); }, 1, 300, 70, 1.04},
        {"Font upload", [font](LineBench&) { click(font, "cmdCapture"); }, 1, 94, 130, 1.15},
    };
    QAction* fastTransfers = line.main().findChild<QAction*>(QStringLiteral("mnuFastTransfers"));
    bool allMet = true;
    double answerDrivenCpu = 0;
    double answerDrivenWall = 0;
    const QLocale locale(QLocale::English, QLocale::UnitedStates);
    std::printf("%-12s %8s  %-37s  %-33s  %s\n", "upload", "bytes", "paced by the receive poll",
                "paced by the answers", "speed-up");
    for (const Upload& upload : uploads) {
        fastTransfers->setChecked(false);
        const Run poll = measure(line, upload);
        fastTransfers->setChecked(true);
        const Run answers = measure(line, upload);
        const double floor = upload.pacedBlocks * upload.pollMs / 1000.0;
        const double pollRatio = poll.pacedSeconds / floor;
        const double lineRatio = answers.wallSeconds / LineBench::lineSeconds(answers.bytes);
        const bool pollMet = poll.completed && std::abs(pollRatio - 1) <= PollTolerance;
        const bool answersMet = answers.completed && lineRatio <= upload.answerTarget;
        allMet = allMet && pollMet && answersMet;
        answerDrivenCpu += answers.cpuSeconds;
        answerDrivenWall += answers.wallSeconds;
        const QString floorText =
            QStringLiteral("%1 x %2 ms").arg(upload.pacedBlocks).arg(upload.pollMs);
        std::printf(
            "%-12s %8s  %7.3f s, %.4f x %-12s %-6s  %7.3f s, %.3f x line (<= %.2f) %-6s  %.2f x\n",
            upload.name, qPrintable(locale.toString(answers.bytes)), poll.wallSeconds, pollRatio,
            qPrintable(floorText), verdict(pollMet), answers.wallSeconds, lineRatio,
            upload.answerTarget, verdict(answersMet), poll.wallSeconds / answers.wallSeconds);
        if (upload.start && QLatin1String(upload.name) == QLatin1String("Preview")) {
            const bool shown = line.boardScreen() == expectedScreen;
            allMet = allMet && shown;
            std::printf("%-12s the board's screen equals the picture: %s\n", "", verdict(shown));
        }
    }
    // Alternately closed and open, so that a drift of the machine's speed counts for both.
    double closed = 0;
    double open = 0;
    fastTransfers->setChecked(true);
    for (int round = 0; round < 2; ++round) {
        if (QWidget* monitor = line.main().toolWindows().find(QStringLiteral("frmMonitor")))
            monitor->parentWidget()->close();
        closed += measure(line, uploads[0]).wallSeconds;
        line.open(QStringLiteral("frmMonitor"))
            ->findChild<QCheckBox*>(QStringLiteral("chkUploadBlocks"))
            ->setChecked(true);
        open += measure(line, uploads[0]).wallSeconds;
    }
    const double monitorRatio = open / closed;
    const bool monitorLight = closed > 0 && open > 0 && monitorRatio <= MonitorOpenTarget;
    allMet = allMet && monitorLight;
    std::printf("Preview, paced by the answers, with the Monitor open (every block shown) against "
                "closed: %.3f s against %.3f s: %.4f (target <= %.2f)  %s\n",
                open / 2, closed / 2, monitorRatio, MonitorOpenTarget, verdict(monitorLight));

    const double cpuShare = answerDrivenCpu / answerDrivenWall;
    const bool light = cpuShare <= CpuShareTarget;
    allMet = allMet && light;
    std::printf("CPU during the answer-paced uploads: %.1f %% of their time (target <= %.0f %%)  "
                "%s\n",
                100 * cpuShare, 100 * CpuShareTarget, verdict(light));
    const bool quiet =
        line.dialogs().messages.count(QStringLiteral("   Done.")) == line.dialogs().messages.size();
    return allMet && quiet ? 0 : 1;
}
