// Speed of the graphic tool.
//
//   bench_graphic            runs the measurements and prints them
//   bench_graphic --no-line  leaves out the 60 s of line-rate transfers
//
// First the reduction of a 320 x 240 canvas to its 76800-byte stream, the two dithers
// alone, a 4000 x 3000 JPEG from disk to its values (Fit, error diffusion), and how long
// the graphic window takes to show a change of option with a 4000 x 3000 JPEG or PNG
// loaded. Then the whole
// program (main window, graphic window, a real serial port) against lumaret-board
// --line-rate at 115200 bit/s with the real receive poll: a Preview and a Save, each
// timed against the floor the poll sets (the board answers every block well within
// one tick, so one block goes per tick: 240 x 50 ms and 300 x 70 ms) and against the
// line's own limit, with the CPU time they cost. The board's screen and picture slot
// are checked against the canvas afterwards. Last, answer-driven Previews (each block
// goes the moment the board answers) with the Monitor window closed and open.

#include "engine/boardengine.h"
#include "engine/clock.h"
#include "app/frmmainmdi.h"
#include "engine/session.h"
#include "graphic/pictureconversion.h"
#include "graphic/pictureloading.h"
#include "workbench/toolwindows.h"
#include "workbench/updown.h"
#include "workbench/userdialogs.h"
#include "graphic/screencanvas.h"
#include "engine/colorvalue.h"
#include "engine/commands.h"
#include "engine/connectioncontroller.h"
#include "engine/msserial.h"
#include "engine/portcatalog.h"
#include "engine/qtseriallink.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>

namespace {

constexpr double ReductionTargetMs = 2;
constexpr double DitherTargetMs = 5;
constexpr double PhotoTargetMs = 250;
constexpr double OptionChangeTargetMs = 50;
constexpr double FloorTolerance = 0.03;
constexpr double CpuShareTarget = 0.10;
constexpr double MonitorOpenTarget = 1.02;
constexpr int BaudRate = 115200;
constexpr int Rows = 240;
constexpr int Chunks = 300;
constexpr double PreviewPollSeconds = 0.050;
constexpr double SavePollSeconds = 0.070;
// Ten bits a byte on the line: the header and the 76800 pixels.
constexpr double LineLimitSeconds = (2 + ScreenCanvas::PixelCount) * 10.0 / BaudRate;

QImage noise(int width, int height) {
    QRandomGenerator random(11);
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, random.generate() | 0xFF000000u);
    }
    return image;
}

double processorSeconds() {
    return double(std::clock()) / CLOCKS_PER_SEC;
}

const char* verdict(bool ok) {
    return ok ? "ok" : "MISSED";
}

// Median milliseconds of one canvas-to-stream reduction.
double reductionMs() {
    const ScreenCanvas canvas(noise(ScreenCanvas::Width, ScreenCanvas::Height), Qt::white);
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

// Runs the event loop until done() or the time is up; looks every 5 ms.
bool waitUntil(const std::function<bool()>& done, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    QEventLoop loop;
    QTimer look;
    look.callOnTimeout([&] {
        if (done() || deadline.hasExpired())
            loop.quit();
    });
    look.start(5);
    if (!done())
        loop.exec();
    return done();
}

struct Run {
    double wallSeconds = -1;
    double cpuSeconds = 0;
};

// The board's screen, read back through the simulator's screenshot command.
QByteArray boardScreen(QProcess& board, const QString& file) {
    board.readAllStandardOutput();
    board.write(QByteArray("screenshot ") + file.toLocal8Bit() + '\n');
    QByteArray said;
    if (!waitUntil([&] { return (said += board.readAllStandardOutput()).contains("written"); },
                   5000))
        return {};
    const QImage shot(file);
    QByteArray pixels;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x)
            pixels.append(char(ColorValue::reduce(shot.pixel(x, y))));
    }
    return pixels;
}

class LineRateBench {
public:
    bool start() {
        const QString path =
            QCoreApplication::applicationDirPath() + QStringLiteral("/lumaret-board");
        if (!QFileInfo::exists(path)) {
            std::fprintf(stderr, "no %s (it is built on POSIX systems only)\n", qPrintable(path));
            return false;
        }
        m_board.start(path, {QStringLiteral("--line-rate")});
        if (!m_board.waitForStarted() || !m_board.waitForReadyRead(5000)) {
            std::fprintf(stderr, "lumaret-board did not start\n");
            return false;
        }
        const QString device = QString::fromLocal8Bit(m_board.readLine().trimmed());

        const QString picture = m_folder.filePath(QStringLiteral("noise.bmp"));
        const QImage image = noise(400, 300);
        image.save(picture);
        m_expected = screenPixels(ScreenCanvas(image, Qt::white));
        m_dialogs = std::make_shared<BenchDialogs>(picture);
        auto ports = std::make_shared<PortCatalog>(
            [device] {
                return QList<PortEntry>{{device, device}};
            },
            [](const QString& name) { return std::make_unique<QtSerialLink>(name); });
        m_main = std::make_unique<frmMainMDI>(
            frmMainMDI::Services{std::make_shared<SystemClock>(), m_dialogs, ports, false});
        m_main->show();
        m_main->engine().connection().connectTo(device, QStringLiteral("115200,N,8,1"));
        if (!waitUntil(
                [this] {
                    return m_main->engine().connection().state() == ConnectionController::State::Connected;
                },
                5000)) {
            std::fprintf(stderr, "not connected: %s\n", qPrintable(m_main->statusText()));
            return false;
        }
        m_window = m_main->toolWindows().show(QStringLiteral("frmGraphic"));
        button("cmdOpen")->click();
        return true;
    }

    Run transfer(const char* buttonName) {
        Run run;
        QElapsedTimer wall;
        const double cpuAtStart = processorSeconds();
        wall.start();
        button(buttonName)->click();
        if (!waitUntil([this] { return !m_main->engine().uploader().isBusy(); }, 60000))
            return run;
        run.wallSeconds = double(wall.nsecsElapsed()) / 1e9;
        run.cpuSeconds = processorSeconds() - cpuAtStart;
        return run;
    }

    void chooseScreen(int screen) {
        m_window->findChild<UpDown*>(QStringLiteral("udScreenNumber"))->setValue(screen);
    }

    // Whether the board's screen comes to show these pixels within about a second.
    bool screenShows(const QByteArray& pixels) {
        const QString file = m_folder.filePath(QStringLiteral("screen.png"));
        for (int look = 0; look < 10; ++look) {
            if (boardScreen(m_board, file) == pixels)
                return true;
            waitUntil([] { return false; }, 100);
        }
        return false;
    }
    bool previewShown() { return screenShows(m_expected); }
    bool clearedAndLoaded() {
        m_main->engine().port().output(Commands::clearScreen(0));
        if (!screenShows(QByteArray(ScreenCanvas::PixelCount, char(0))))
            return false;
        button("cmdLoad")->click();
        return screenShows(m_expected);
    }
    int messages() const { return m_dialogs->messages; }

    // A Preview whose blocks go the moment the board answers, with the Monitor closed or
    // open (showing every block and answer as they come).
    Run answerDrivenPreview(bool monitorOpen) {
        ToolWindows& windows = m_main->toolWindows();
        if (monitorOpen) {
            windows.show(QStringLiteral("frmMonitor"))
                ->findChild<QCheckBox*>(QStringLiteral("chkUploadBlocks"))
                ->setChecked(true);
        } else if (QWidget* monitor = windows.find(QStringLiteral("frmMonitor"))) {
            monitor->parentWidget()->close();
        }
        Uploader& uploader = m_main->engine().uploader();
        uploader.setPacing(Pacing::AnswerDriven);
        const Run run = transfer("cmdPreview");
        uploader.setPacing(Pacing::Poll);
        return run;
    }

    ~LineRateBench() {
        m_main.reset();
        m_board.closeWriteChannel();
        m_board.terminate();
        m_board.waitForFinished(5000);
    }

private:
    QPushButton* button(const char* name) {
        return m_window->findChild<QPushButton*>(QLatin1String(name));
    }

    QProcess m_board;
    QTemporaryDir m_folder;
    QByteArray m_expected;
    std::shared_ptr<BenchDialogs> m_dialogs;
    std::unique_ptr<frmMainMDI> m_main;
    QWidget* m_window = nullptr;
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
            frmMainMDI::Services{std::make_shared<SystemClock>(), dialogs, ports, false});
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

void report(const char* name, const Run& run, int blocks, double pollSeconds) {
    if (run.wallSeconds < 0) {
        std::printf("%s: did not finish\n", name);
        return;
    }
    const double floor = blocks * pollSeconds;
    const double ratio = run.wallSeconds / floor;
    const double cpuShare = run.cpuSeconds / run.wallSeconds;
    std::printf("%s to lumaret-board --line-rate at 115200: %.3f s\n", name, run.wallSeconds);
    std::printf("  against the poll's floor (%d x %.0f ms = %.2f s): %.4f (target <= %.2f)  %s\n",
                blocks, pollSeconds * 1000, floor, ratio, 1 + FloorTolerance,
                verdict(ratio <= 1 + FloorTolerance));
    std::printf("  against the line's limit (%.2f s): %.3f\n", LineLimitSeconds,
                run.wallSeconds / LineLimitSeconds);
    std::printf("  CPU time %.3f s, %.2f %% of wall time (target < %.0f %%)  %s\n", run.cpuSeconds,
                100 * cpuShare, 100 * CpuShareTarget, verdict(cpuShare < CpuShareTarget));
}

} // namespace

int main(int argc, char** argv) {
    // Each result shows as it comes, also when the output goes to a file.
    std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);

    const double reduction = reductionMs();
    std::printf("320 x 240 canvas to its 76800-byte stream: %.3f ms (median of 201; target < "
                "%.0f ms)  %s\n",
                reduction, ReductionTargetMs, verdict(reduction < ReductionTargetMs));

    QTemporaryDir pictures;
    reportConversion(pictures);
    reportOptionChanges(pictures);

    if (QCoreApplication::arguments().contains(QStringLiteral("--no-line")))
        return 0;
    LineRateBench line;
    if (!line.start())
        return 1;
    const Run preview = line.transfer("cmdPreview");
    report("Preview", preview, Rows, PreviewPollSeconds);
    std::printf("  board's screen equals the canvas: %s\n", verdict(line.previewShown()));

    line.chooseScreen(12);
    const Run save = line.transfer("cmdSave");
    report("Save", save, Chunks, SavePollSeconds);
    std::printf("  cleared, then Load 12 shows the canvas again: %s\n",
                verdict(line.clearedAndLoaded()));

    // Alternately closed and open, so that a drift of the machine's speed counts for both.
    double closed = 0;
    double open = 0;
    for (int round = 0; round < 2; ++round) {
        closed += line.answerDrivenPreview(false).wallSeconds;
        open += line.answerDrivenPreview(true).wallSeconds;
    }
    const double ratio = open / closed;
    std::printf("Answer-driven Preview to lumaret-board --line-rate, Monitor open showing every "
                "block, against closed: %.2f s against %.2f s (two of each): %.4f (target <= "
                "%.2f)  %s\n",
                open / 2, closed / 2, ratio, MonitorOpenTarget,
                verdict(closed > 0 && open > 0 && ratio <= MonitorOpenTarget));
    return line.messages() == 0 ? 0 : 1;
}
