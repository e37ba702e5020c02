// Speed of the font capture: rendering, scanning and packing the 94 characters of
// DejaVu Sans 24 for both passes, without the line. (The upload to a board is measured
// by bench_pacing.)

#include "benchfigures.h"
#include "font/fontcapture.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>

namespace {

constexpr double CaptureTargetMs = 50;

QFont benchFont() {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(24);
    return font;
}

// Median milliseconds for both passes of the capture.
double captureMs() {
    const QFont font = benchFont();
    FontCapture::capture(font, font); // glyph caches warm, as after the font dialog
    QList<double> runs;
    for (int run = 0; run < 21; ++run) {
        QElapsedTimer clock;
        clock.start();
        const FontCapture capture = FontCapture::capture(font, font);
        runs.append(double(clock.nsecsElapsed()) / 1e6);
        if (!capture.isSendable())
            std::fprintf(stderr, "the bench font cannot be sent whole\n");
    }
    std::sort(runs.begin(), runs.end());
    return runs.at(runs.size() / 2);
}

} // namespace

int main(int argc, char* argv[]) {
    prepareBenchmark();
    QApplication application(argc, argv);
    if (!loadDejaVuSans())
        return 1;
    bool allMet = true;

    const double ms = captureMs();
    allMet = allMet && ms < CaptureTargetMs;
    std::printf("capture of DejaVu Sans 24, both passes, 188 glyphs: %7.2f ms (median of 21; "
                "target < %.0f ms)  %s\n",
                ms, CaptureTargetMs, verdict(ms < CaptureTargetMs));

    return allMet ? 0 : 1;
}
