#include "engine/boardengine.h"
#include "engine/commands.h"
#include "engine/portcatalog.h"
#include "engine/session.h"
#include "engine/uploadnotes.h"
#include "engineparts.h"
#include "manualclock.h"
#include "recordinglink.h"

#include <QLocale>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

constexpr int Pixels = 320 * 240;

QByteArray picture() {
    QByteArray pixels(Pixels, '\0');
    for (int i = 0; i < Pixels; ++i)
        pixels[i] = char((i * 7 + i / 320) % 251);
    return pixels;
}

// 94 glyphs of assorted sizes, bitmaps of the length their size asks for.
UploadPlan fontPlan() {
    QList<Commands::GlyphSize> sizes;
    QList<UploadPlans::Glyph> glyphs;
    for (int code = Commands::FirstGlyphCode; code <= Commands::LastGlyphCode; ++code) {
        const Commands::GlyphSize size{quint8(1 + code % 13), quint8(5 + code % 7)};
        sizes.append(size);
        glyphs.append({size, QByteArray(size.height * ((size.width + 7) / 8), char(code))});
    }
    return UploadPlans::font(Commands::FontSlot::Font2, sizes, glyphs);
}

UploadPlan planNamed(const QString& name) {
    if (name == QLatin1String("preview"))
        return UploadPlans::preview(picture(), 255);
    if (name == QLatin1String("save"))
        return UploadPlans::savePicture(7, picture(), 255);
    return fontPlan();
}

// Everything a plan puts on the line, its blocks one after the other.
QByteArray allBytes(const UploadPlan& plan) {
    QByteArray bytes;
    for (const UploadBlock& block : plan.blocks)
        bytes += block.writes.bytes();
    return bytes;
}

// The engine on a recorded line with a clock the test moves: no windows, no event loop.
struct EngineBench {
    EngineBench() {
        engine.connectTo(QStringLiteral("COM1"), QStringLiteral("115200,N,8,1"));
        line.takeWrites();
        line.answer("100");
        clock->advanceToTick(engine, QStringLiteral("Timer4"));
    }

    Uploader& uploader() { return EngineParts::uploader(engine); }
    QByteArray sent() {
        QByteArray bytes;
        for (const QByteArray& write : line.takeWrites())
            bytes += write;
        return bytes;
    }

    // Plays a board that answers each block the moment it has it whole, as a stopped
    // upload is finished. Returns the bytes that went out.
    QByteArray answerEveryBlock() {
        QByteArray bytes;
        for (int blocks = 0; uploader().isBusy() && blocks < 1000; ++blocks) {
            bytes += sent();
            line.answer("!");
        }
        return bytes + sent();
    }

    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
    TestLine line;
    BoardEngine engine{
        clock,
        std::make_shared<PortCatalog>(
            [] {
                return QList<PortEntry>{{QStringLiteral("1"), QStringLiteral("COM1")}};
            },
            [this](const QString& name) { return std::make_unique<RecordingLink>(line, name); })};
};

} // namespace

class tst_Uploader : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void aShortPictureIsMadeWholeWithTheFiller();
    void answersDuringAWriteWaitForTheBlockToEnd();
    void stopsOnceItsOwnerIsGone();
    void disconnectFinishesTheUploadFirst();
    void notesTellProgressAndRate();
};

void tst_Uploader::aShortPictureIsMadeWholeWithTheFiller() {
    QCOMPARE(allBytes(UploadPlans::preview(QByteArray(10, 'x'), 3)).count(char(3)), Pixels - 10);
}

void tst_Uploader::answersDuringAWriteWaitForTheBlockToEnd() {
    // A board (the in-process simulator) can answer while the block is still being
    // written; the next block still waits for the end of this one.
    EngineBench bench;
    bench.uploader().setPacing(Pacing::AnswerDriven);
    QList<int> blockAtWrite;
    int block = -1;
    QObject::connect(&bench.uploader(), &Uploader::blockSent, [&block](int sent) { block = sent; });
    QObject::connect(&bench.engine, &BoardEngine::lineTraffic, [&](const LineTraffic& traffic) {
        if (traffic.direction == LineTraffic::Direction::ToBoard) {
            blockAtWrite.append(block);
            bench.line.answer("!");
        }
    });
    const UploadPlan plan = planNamed(QStringLiteral("preview"));
    QCOMPARE(bench.uploader().start(plan, nullptr), Uploader::Start::Started);
    QVERIFY(!bench.uploader().isBusy());
    QCOMPARE(bench.sent(), allBytes(plan));
    // Each block went out whole, after the one before had been sent.
    QCOMPARE(blockAtWrite.size(), 240);
    for (int i = 0; i < 240; ++i)
        QCOMPARE(blockAtWrite[i], i - 1);
}

void tst_Uploader::stopsOnceItsOwnerIsGone() {
    EngineBench bench;
    auto* window = new QObject;
    bench.uploader().start(planNamed(QStringLiteral("save")), window);
    // Nothing runs inside the owner's destruction: the stop comes right after it.
    delete window;
    QVERIFY(!bench.uploader().isFinishing());
    QCoreApplication::sendPostedEvents();
    QVERIFY(bench.uploader().isFinishing());
}

void tst_Uploader::disconnectFinishesTheUploadFirst() {
    EngineBench bench;
    QSignalSpy finished(&bench.engine, &BoardEngine::uploadFinished);
    bench.uploader().start(planNamed(QStringLiteral("font")), nullptr);
    bench.sent();
    bench.engine.disconnect();
    // The port stays open until the board's font is complete.
    QVERIFY(bench.line.isOpen());
    QCOMPARE(bench.engine.connectionState(), ConnectionController::State::Connected);
    QCOMPARE(bench.answerEveryBlock(), bytes({0, 0}).repeated(94));
    QVERIFY(!bench.line.isOpen());
    QCOMPARE(bench.engine.statusText(), QStringLiteral("Controller Disconnected "));
    QCOMPARE(UploadNotes::stopped(finished[0][0].value<UploadOutcome>()),
             QStringLiteral("The font upload stopped: the connection to the board was closed."));
    // A closed port takes nothing.
    QCOMPARE(bench.uploader().start(planNamed(QStringLiteral("preview")), nullptr),
             Uploader::Start::PortClosed);
    QVERIFY(bench.line.writes.isEmpty());
}

void tst_Uploader::notesTellProgressAndRate() {
    QCOMPARE(UploadNotes::progress(QStringLiteral("Preview"), {100, 240, 32002, 76802, 2000}),
             QStringLiteral("Preview: 41 %, 3 s left"));
    QCOMPARE(UploadNotes::progress(QStringLiteral("Preview"), {1, 240, 322, 76802, 0}),
             QStringLiteral("Preview: 0 %"));
    UploadOutcome done;
    done.name = QStringLiteral("Preview");
    done.bytesSent = done.bytesTotal = 76802;
    done.elapsedMs = 6900;
    QCOMPARE(UploadNotes::completed(done),
             QStringLiteral("Preview: 76,802 bytes in 6.9 s (11.1 kB/s)"));
}

QTEST_GUILESS_MAIN(tst_Uploader)
#include "tst_uploader.moc"
