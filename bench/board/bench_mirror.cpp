// The mirror's cost and its screens in the Monitor.
//
// - An answer-paced preview against lumaret-board --line-rate at 115200 bit/s takes at
//   most 1.02 x the same preview without the mirror (alternately, two of each); after
//   it the mirror equals the board's screen.
// - With the conversation's ring full (200,000 events, its byte budget spent on
//   previews, drawings and text), showing the screen of any row that still holds its
//   bytes takes at most 100 ms (the slowest of rows spread over the ring, each asked
//   for the first time); the memory the snapshots take is told.

#include "app/frmmainmdi.h"
#include "benchfigures.h"
#include "board/boardmirror.h"
#include "engine/boardengine.h"
#include "engine/commands.h"
#include "engine/conversation.h"
#include "graphic/screencanvas.h"
#include "linebench.h"
#include "monitor/eventscreenpanel.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>

namespace {

constexpr double MirrorCostTarget = 1.02;
constexpr double RowScreenTargetMs = 100;
constexpr int RowsAsked = 200;

double previewSeconds(LineBench& line, QWidget* graphic) {
    BoardEngine& engine = line.engine();
    QElapsedTimer clock;
    clock.start();
    graphic->findChild<QPushButton*>(QStringLiteral("cmdPreview"))->click();
    if (!LineBench::waitUntil([&engine] { return !engine.uploadBusy(); }, 120000))
        return -1;
    return double(clock.nsecsElapsed()) / 1e9;
}

bool measureCost(LineBench& line) {
    const QImage picture = noisePicture(320, 240);
    const QString file = line.folder().filePath(QStringLiteral("noise.bmp"));
    picture.save(file);
    QWidget* graphic = line.open(QStringLiteral("frmGraphic"));
    line.dialogs().fileAnswers.append(file);
    graphic->findChild<QPushButton*>(QStringLiteral("cmdOpen"))->click();
    line.main().findChild<QAction*>(QStringLiteral("mnuFastTransfers"))->setChecked(true);

    BoardEngine& engine = line.engine();
    double with = 0;
    double without = 0;
    bool mirrored = true;
    for (int round = 0; round < 2; ++round) {
        const BoardMirror& mirror = BoardMirror::attachedTo(engine);
        with += previewSeconds(line, graphic);
        mirrored = mirrored && mirror.board().screen() == line.boardScreen() &&
                   mirror.screen().known.count('\0') == 0;
        delete &mirror;
        without += previewSeconds(line, graphic);
    }
    const double ratio = with / without;
    const bool met = with > 0 && without > 0 && ratio <= MirrorCostTarget;
    std::printf("Preview, paced by the answers, with the mirror against without: %.3f s against "
                "%.3f s: %.4f (target <= %.2f)  %s\n",
                with / 2, without / 2, ratio, MirrorCostTarget, verdict(met));
    std::printf("The mirror equals the board's screen after the preview: %s\n", verdict(mirrored));
    return met && mirrored;
}

// A session's worth of commands until the ring is full: previews in blocks, drawings,
// text.
void fillRing(Conversation& conversation, qint64& now) {
    QRandomGenerator random(5);
    const auto point = [&random]() -> Commands::Point {
        return {quint16(random.bounded(320)), quint8(random.bounded(240))};
    };
    const auto byte = [&random] { return quint8(random.bounded(256)); };
    QByteArray picture(76800, Qt::Uninitialized);
    for (char& c : picture)
        c = char(random.bounded(256));
    const QByteArray preview = Commands::writeScreen(picture).bytes();
    const auto send = [&](const QByteArray& bytes) {
        conversation.record({now += 1000, LineTraffic::Direction::ToBoard, bytes, 1});
        conversation.record({now += 400, LineTraffic::Direction::FromBoard, "!", 0});
    };
    for (quint64 recorded = 0; recorded < 2 * quint64(conversation.capacity());
         recorded = conversation.end()) {
        send(preview.first(322));
        for (int row = 1; row < 240; ++row)
            send(preview.sliced(2 + row * 320, 320));
        for (int i = 0; i < 2000; ++i) {
            send(Commands::fillRectangle(point(), point(), byte()).bytes());
            send(Commands::drawCircle(point(), byte(), byte()).bytes());
            send(Commands::setTextCursor(point()).bytes());
            send(Commands::writeText(byte(), 1, "Lumaret 42").bytes());
        }
    }
}

bool measureRowScreens() {
    qint64 now = 0;
    Conversation conversation([&now] { return now; });
    BoardMirror mirror(conversation);
    conversation.lineChanged(QStringLiteral("Port opened"));
    fillRing(conversation, now);

    BenchDialogs dialogs;
    EventScreenPanel panel(mirror, dialogs);
    double slowest = 0;
    int shown = 0;
    const quint64 step = quint64(conversation.size()) / RowsAsked;
    for (quint64 number = conversation.first(); number < conversation.end(); number += step) {
        QElapsedTimer clock;
        clock.start();
        panel.showScreenAfter(number);
        const double ms = double(clock.nsecsElapsed()) / 1e6;
        if (mirror.screenAfter(number)) {
            ++shown;
            slowest = std::max(slowest, ms);
        }
    }
    const bool met = slowest <= RowScreenTargetMs && shown > RowsAsked / 2;
    std::printf("A row's screen with the ring full (%lld events, %.1f MB of bytes kept): slowest "
                "%.1f ms of %d rows shown (target <= %.0f ms)  %s\n",
                static_cast<long long>(conversation.size()), double(conversation.keptBytes()) / 1e6,
                slowest, shown, RowScreenTargetMs, verdict(met));
    std::printf("The snapshots with the ring full: %lld of them, %.1f MB\n",
                static_cast<long long>(mirror.snapshotCount()),
                double(mirror.snapshotBytes()) / 1e6);
    return met;
}

} // namespace

int main(int argc, char** argv) {
    prepareBenchmark();
    QApplication application(argc, argv);
    bool allMet = measureRowScreens();
    LineBench line;
    if (!line.start())
        return 1;
    allMet = measureCost(line) && allMet;
    return allMet ? 0 : 1;
}
