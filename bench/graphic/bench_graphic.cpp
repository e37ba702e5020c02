// Speed of the graphic tool: the reduction of a 320 x 240 canvas to its 76800-byte
// stream, the two dithers alone, a 4000 x 3000 JPEG from disk to its values (Fit, error
// diffusion), and how long the graphic window takes to show a change of option with a
// 4000 x 3000 JPEG or PNG loaded. (The uploads to a board are measured by bench_pacing.)

#include "app/frmmainmdi.h"
#include "benchfigures.h"
#include "engine/clock.h"
#include "engine/portcatalog.h"
#include "engine/qtseriallink.h"
#include "graphic/pictureconversion.h"
#include "graphic/pictureloading.h"
#include "graphic/screencanvas.h"
#include "workbench/toolwindows.h"
#include "workbench/userdialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

constexpr double ReductionTargetMs = 2;
constexpr double DitherTargetMs = 5;
constexpr double PhotoTargetMs = 250;
constexpr double OptionChangeTargetMs = 50;

// Median milliseconds of one canvas-to-stream reduction.
double reductionMs() {
    const ScreenCanvas canvas(noisePicture(ScreenCanvas::Width, ScreenCanvas::Height), Qt::white);
    QList<double> runs;
    qint64 checksum = 0;
    for (int run = 0; run < 201; ++run) {
        QElapsedTimer clock;
        clock.start();
        const QByteArray pixels = screenPixels(canvas);
        runs.append(double(clock.nsecsElapsed()) / 1e6);
        checksum += quint8(pixels.at(run));
    }
    std::sort(runs.begin(), runs.end());
    if (checksum == 0)
        std::fprintf(stderr, "unexpected all-black stream\n");
    return runs.at(runs.size() / 2);
}

// Median milliseconds of a step over a number of runs.
double medianMs(int runs, const std::function<void()>& step) {
    QList<double> times;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer clock;
        clock.start();
        step();
        times.append(double(clock.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times.at(times.size() / 2);
}

// A photo's kind of content: smooth shading with fine grain, which JPEG does not
// compress away.
QImage photo(int width, int height) {
    QRandomGenerator random(5);
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int grain = int(random.bounded(24));
            row[x] = qRgb((x * 230 / width + grain) & 0xFF, (y * 230 / height + grain) & 0xFF,
                          ((x + y) * 115 / (width + height) + 2 * grain) & 0xFF);
        }
    }
    return image;
}

void reportConversion(QTemporaryDir& folder) {
    const ScreenCanvas canvas(photo(ScreenCanvas::Width, ScreenCanvas::Height), Qt::white);
    for (const auto dither : {PictureDither::Diffusion, PictureDither::Ordered}) {
        qint64 checksum = 0;
        const double ms =
            medianMs(101, [&] { checksum += quint8(reducedPixels(canvas, dither).at(7)); });
        std::printf("%s dither of 320 x 240: %.3f ms (median of 101; target < %.0f ms)  %s\n",
                    dither == PictureDither::Diffusion ? "Error-diffusion" : "Ordered", ms,
                    DitherTargetMs, verdict(ms < DitherTargetMs && checksum > 0));
    }
    const QString jpeg = folder.filePath(QStringLiteral("photo.jpg"));
    photo(4000, 3000).save(jpeg, "JPG", 90);
    bool complete = true;
    const double ms = medianMs(11, [&] {
        const LoadedPicture loaded = loadPicture(jpeg, PictureFit::Fit);
        complete = complete &&
                   boardPixels(loaded.image, {PictureFit::Fit, PictureDither::Diffusion}).size() ==
                       ScreenCanvas::PixelCount;
    });
    std::printf("4000 x 3000 JPEG (%.1f MB) from disk to its values, Fit + error diffusion: "
                "%.1f ms (median of 11; target < %.0f ms)  %s\n",
                double(QFileInfo(jpeg).size()) / 1e6, ms, PhotoTargetMs,
                verdict(ms < PhotoTargetMs && complete));
}

// Dialogs that need nobody: the file dialog picks the bench picture; messages are printed
// (a benchmark run should show none).
class BenchDialogs : public UserDialogs {
public:
    explicit BenchDialogs(QString picture)
        : m_picture(std::move(picture)) {}

    Answer message(QWidget*, const QString& title, const QString& text, Icon, Buttons) override {
        std::fprintf(stderr, "message \"%s\": %s\n", qPrintable(title), qPrintable(text));
        ++messages;
        return Answer::Ok;
    }
    QString openFileName(QWidget*, const QString&, const QString&) override { return m_picture; }
    QString saveFileName(QWidget*, const QString&, const QString&) override { return {}; }
    std::optional<FontChoice> chooseFont(QWidget*, const QString&, const FontChoice&) override {
        return std::nullopt;
    }

    int messages = 0;

private:
    QString m_picture;
};

// The graphic window with a large picture loaded: how long each change of option takes
// to show in the picture box (the worst change, each the median of its runs).
void reportOptionChanges(QTemporaryDir& folder) {
    const QString png = folder.filePath(QStringLiteral("photo.png"));
    photo(4000, 3000).save(png);
    for (const QString& file : {folder.filePath(QStringLiteral("photo.jpg")), png}) {
        auto dialogs = std::make_shared<BenchDialogs>(file);
        auto ports = std::make_shared<PortCatalog>(
            [] { return QList<PortEntry>(); },
            [](const QString& name) { return std::make_unique<QtSerialLink>(name); });
        frmMainMDI main(
            frmMainMDI::Services{std::make_shared<SystemClock>(), dialogs, ports, false, {}});
        main.show();
        QWidget* window = main.toolWindows().show(QStringLiteral("frmGraphic"));
        auto* size = window->findChild<QComboBox*>(QStringLiteral("cboSize"));
        auto* dither = window->findChild<QComboBox*>(QStringLiteral("cboDither"));
        auto* boardColours = window->findChild<QCheckBox*>(QStringLiteral("chkBoardColors"));
        size->setCurrentIndex(int(PictureFit::Fit));
        window->findChild<QPushButton*>(QStringLiteral("cmdOpen"))->click();
        boardColours->setChecked(true);
        // Each picture read once for every fit, as a user's first change would.
        QElapsedTimer firstAsIs;
        firstAsIs.start();
        size->setCurrentIndex(int(PictureFit::AsIs));
        const double firstAsIsMs = double(firstAsIs.nsecsElapsed()) / 1e6;
        double worst = 0;
        for (int fit = 0; fit < 4; ++fit) {
            worst = std::max(worst, medianMs(9, [&] {
                                        size->setCurrentIndex(fit);
                                        size->setCurrentIndex((fit + 1) % 4);
                                    }) / 2);
        }
        size->setCurrentIndex(int(PictureFit::Fill));
        for (int kind = 0; kind < 3; ++kind) {
            worst = std::max(worst, medianMs(9, [&] {
                                        dither->setCurrentIndex(kind);
                                        dither->setCurrentIndex((kind + 1) % 3);
                                    }) / 2);
        }
        worst = std::max(worst, medianMs(9, [&] { boardColours->toggle(); }));
        std::printf("Option change with a 4000 x 3000 %s loaded: %.1f ms (worst; target < %.0f "
                    "ms)  %s\n",
                    file.endsWith(QLatin1String(".png")) ? "PNG" : "JPEG", worst,
                    OptionChangeTargetMs, verdict(worst < OptionChangeTargetMs));
        std::printf("  the first \"As is\" (a full decode where the picture was read smaller): "
                    "%.1f ms\n",
                    firstAsIsMs);
    }
}

} // namespace

int main(int argc, char** argv) {
    prepareBenchmark();
    QApplication application(argc, argv);

    const double reduction = reductionMs();
    std::printf("320 x 240 canvas to its 76800-byte stream: %.3f ms (median of 201; target < "
                "%.0f ms)  %s\n",
                reduction, ReductionTargetMs, verdict(reduction < ReductionTargetMs));

    QTemporaryDir pictures;
    reportConversion(pictures);
    reportOptionChanges(pictures);
    return 0;
}
